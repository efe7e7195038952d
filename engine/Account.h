// CAccount: one watched POP3 mailbox: its settings, its socket, the mails known on its
// server, and the report callback through which every log text of its jobs goes.
//
// The record is plain data with public m_ fields (the dialogs, the document and the
// worker read and write them). Operations return bool/int codes and never throw.
// Texts are CP932. Every log text ends in "\r\n" and goes only through Report.
//
// The jobs run on the worker thread between the connection steps, in this order:
//   OpenConnection (if it fails, the job and Logout are skipped); Login (if it fails,
//   the job is skipped); the job; Logout.
//
// Files: AccountStore.cpp (settings and store file), AccountConnection.cpp (connection
// steps and reply parsers), AccountPassword.cpp (the login's password), AccountSasl.cpp (the
// SASL login), AccountCheck.cpp, AccountDelete.cpp, AccountReload.cpp.
#pragma once

#include "engine/AccessTokenSource.h"
#include "engine/Host.h"
#include "engine/Mail.h"
#include "engine/MailStore.h"
#include "engine/OAuthConfig.h"
#include "engine/Pop3Socket.h"
#include "engine/ServerListing.h"
#include "platform/Profile.h"
#include "platform/SecretStore.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace tolvane {

using ReportFn = void (*)(const std::string& textCp932, void* context);

// Where an account's password lives: the account key PasswordStore.
enum : int32_t {
    PASSWORD_IN_FILE = 0,    // Password in the settings file
    PASSWORD_IN_KEYRING = 1, // the desktop's keyring (platform/SecretStore.h), under Keys()
    PASSWORD_BY_COMMAND = 2, // the first line that PasswordCommand prints
};

class CAccount {
public:
    CAccount(ReportFn pfnReport, void* pReportContext);
    // Logout, StoreMails(save), ClearMails(true).
    virtual ~CAccount();
    CAccount(const CAccount&) = delete;
    CAccount& operator=(const CAccount&) = delete;

    // --- reporting
    void SetReport(ReportFn pfnReport, void* pReportContext);
    void Report(const std::string& textCp932) const;

    // --- settings (section "Account\<name>") and store file
    // m_strServer, m_strUser and m_strPassword are UTF-8 bytes exactly as the settings file
    // holds them: they go on the wire unchanged and never pass through CP932 (convert them
    // from UTF-8 to show them). The account name is CP932, as every text of the engine.
    //
    // Reads the settings in order; fails (silently) on an empty Servername or Username, an
    // empty Password where PasswordStore is 0 (the file), or a PortNo or Timeout of 0. Flags read
    // as 0/1 (non-zero is 1); a new-only account gets m_bSimpleDelete 0. Then StoreMails(load). The
    // values read (after those rules) are remembered: SaveChanges writes only what differs from
    // them.
    bool Load(const std::string& name, bool bReadRegistry);
    // The dialog's add or change: all its values in one file write, the account's key
    // created when missing. Every write of Password writes "" unless m_nPasswordStore is
    // PASSWORD_IN_FILE: a password kept elsewhere never reaches the settings file. A failure writes
    // nothing, shows the write-failure message (stop icon) and yields false.
    bool SaveAccount();
    // The write-back at exit: the values changed since they were read or last written, in
    // one file write at most, and nothing at all when the account's key is gone (another
    // process removed the account, and it stays removed). An account never read nor
    // written (added, and its save failed) writes them all; a record never given a name
    // by Load writes nothing. Fails as SaveAccount.
    bool SaveChanges();
    // SaveChanges's writes added to a batch that the caller commits (the document writes
    // every account's changes at once).
    void AddChanges(ProfileBatch& batch) const;
    // One value each, into the account's existing key only: false (no message) when the
    // key is gone or the write failed.
    bool WriteServername();
    bool WriteUsername();
    bool WritePassword();
    bool WritePortNo();
    bool WriteReceiveCount();
    bool WriteTimeout();
    bool WriteSimpleDelete();
    bool WriteEnable();
    bool WriteReceiveNewMailOnly();
    bool WriteLimitDelete();
    bool WriteLimitDays();
    bool WriteConfLimitDelete();
    bool WriteDecode();
    bool WriteSecurity();
    bool WriteVerifyCertificate();
    // Password and PasswordStore together, in one write (where the password lives moves
    // as a whole).
    bool WritePasswordPlace();
    // The attributes of the account's secret in the keyring: its name (UTF-8), server, user.
    SecretKeys Keys() const;
    // Account names (CP932) in settings order; names that cannot be an account's are left
    // out and listed in skipped with the reason (platform/Profile.h).
    static bool EnumAccountNames(std::vector<std::string>& names,
                                 std::vector<SkippedAccountName>* skipped = nullptr);
    static bool DeleteAccountKey(const std::string& name);
    // Save: in new-only mode with at least one mail, writes the store atomically (a file
    // that holds exactly the bytes this account wrote last is left alone); otherwise
    // deletes the file. Returns 0, or the errno of a save that failed: the old file then
    // stays as it was, and the caller tells the user. Load: in new-only mode reads the
    // file (a damaged one is moved aside as NAME.dat.damaged and the list starts empty),
    // then CompactMails; returns 0.
    int StoreMails(bool bSave);

    // --- mail list
    int GetMailCount() const { return static_cast<int>(m_mails.size()); }
    CMail* GetMail(int index) const;
    // Deletes every record, unless m_bOpen is set and bForce is false.
    void ClearMails(bool bForce);
    // New-only mode: drops MAIL_GONE records. Every mode: numbers the records 1, 2, ...
    void CompactMails();

    // --- connection steps
    // Connects as m_nSecurity says: clear text, STLS right after the greeting, or POP3S.
    // A TLS connection that cannot be had (no STLS, a certificate that does not verify,
    // no TLS peer, an unknown Security value) fails with one log text saying why, and
    // nothing else is sent; it never falls back to clear text.
    bool OpenConnection();
    // Over clear text to a server that is not on a loopback address, first logs that the
    // password goes unencrypted. The password is fetched right before USER from where
    // m_nPasswordStore says (AccountPassword.cpp) and wiped once PASS is answered; where it
    // cannot be had, one log text says why and what to do, nothing is sent and false
    // comes back (the connection stays open for Logout's QUIT). With m_nAuthentication
    // AUTH_PLAIN or AUTH_OAUTH2 it logs in by SASL instead (AccountSasl.cpp): PLAIN only over
    // TLS; OAuth 2.0 with OAUTHBEARER or XOAUTH2, whichever CAPA offers (OAUTHBEARER first),
    // its token from m_pTokenSource.
    bool Login();
    bool Logout();

    // --- reply parsers. A word is a longest run of characters other than the space;
    // CR and LF belong to the word they follow. A number is read by the usual decimal
    // rule (optional sign, leading digits, none gives 0), held within the 32-bit range.
    // Second word as a decimal number; -1 unless the first word is exactly "+OK" and the
    // second has digits (a STAT reply without its count is a failure, never "no mail").
    static int32_t ParseCount(const std::string& reply);
    // True when a CAPA reply lists capability (its lines' first words, compared without
    // regard to case), up to the terminating dot.
    static bool HasCapability(const std::string& reply, const char* capability);
    // The listings and the per-mail replies to UIDL n and LIST n are read by the numbers
    // the server states (engine/ServerListing.h).

    // --- check job
    // POP3_OK when the check ran to its end, POP3_CANCELLED when it was stopped, else the
    // code of the command that failed (the job has logged it in every case). The worker
    // records it as the account's outcome. A mail's id is the server's UIDL answer; its
    // X-UIDL header stands in only where the server answers UIDL with -ERR. A check that
    // fails or is cancelled leaves the list as it was before it. A server reply that names
    // another message than asked, lists a number twice or beyond STAT, lists one id for two
    // messages, or is out of step with its command fails the account and closes the
    // connection (POP3_ERROR): nothing of it is kept.
    int CheckMail(const std::string& prefix, IHost* pWnd);
    // New-only mode: reads the UIDL listing (every message STAT counts, by the numbers it
    // states), marks the records and selects the messages whose id no record has.
    int SelectMessages(unsigned count, std::vector<unsigned>& selection, int& nNew);
    // A record not listed under the server's id but stored under the id of the mail's
    // X-UIDL header (a store of an earlier release) is that mail: it takes the server's id
    // and keeps its state and first-seen time. True when one was found.
    bool AdoptFormerRecord(const std::string& headerUid, const std::string& serverUid);
    // Closes the connection after a reply that cannot be matched with its command;
    // POP3_ERROR.
    int ProtocolFailure();
    // The ids of the mails the latest check deleted as expired.
    const std::vector<std::string>& ExpiredIds() const { return m_arrExpiredIds; }
    // New record owned by the caller. With m_bDecode 0, sender, subject and body go
    // through DecodeHeaderText alone; otherwise sender and subject through
    // DecodeMailHeader and the body through DecodeBodyPreview (today's mail).
    CMail* ParseMail(const std::string& reply);
    // The value of the first key found anywhere in text (body lines too), the one
    // character after the key skipped (unless the line ends there), folded lines joined
    // with no space between.
    static std::string GetHeader(const std::string& text, const std::string& key);
    // "Tue, 20 Nov 2001 14:58:44 +0900" -> "2001/11/20 14:58:44" ("%s/%02d/%02d %s" of the
    // 4th word, the month whose name contains the 3rd word, the leading digits of the 2nd
    // word and the 5th word; the first word is always skipped). Missing words count as
    // empty, and an empty word names no month: "20 Nov 2001 14:58:44 +0900" ->
    // "14:58:44/00/00 +0900", "Tue, 20" -> "/00/20 ". An empty value gives "".
    static std::string FormatDate(const std::string& value);

    // --- deletion job
    // Simple mode only when the account asks for it and is not new-only: a new-only
    // account's numbers are list positions, which need not be the server's.
    bool UsesSimpleDelete() const { return m_bSimpleDelete == 1 && m_bNewMailOnly != 1; }
    int DeleteOne(unsigned number, int index);
    // Whether a run of that many per-mail commands goes pipelined: Pipelining is 1, the run
    // has more than one command and the server lists PIPELINING. The first call of a
    // connection asks CAPA (nothing is logged; a failure or a time-out means no
    // capabilities); later calls reuse the answer.
    bool PipelinesRun(size_t commands);
    // Both return false when the deletion failed (RSET sent, failure logged) and true when
    // it ended normally, was cancelled or was declined. nLast receives the code of the last
    // listing or DELE; POP3_CANCELLED also when the user declined the content-changed
    // question, so that a caller tells every stopped deletion from a complete one.
    bool DeleteMarked(const std::vector<CMail*>& mails, const std::string& prefix, IHost* pWnd,
                      int& nLast, bool bQuiet);
    bool SimpleDeleteMails(const std::vector<CMail*>& mails, const std::string& prefix, IHost* pWnd,
                           int& nLast);
    // Called at the end of CheckMail; pWnd is the window the check was given. The
    // questions of DeleteMarked and ExpireMails go to pWnd->Ask; without a window the
    // answer is "not OK", so nothing is ever deleted unasked.
    void ExpireMails(IHost* pWnd);

    // --- reload job
    // Each mail is fetched by the number the server's UIDL listing states for its id now
    // (a mail not listed is reported and left alone; without UIDL, the stored number).
    // One at a time, a mail keeps the body it was given before a later failure or cancel;
    // a pipelined run replaces bodies only once its last reply proves the replies in step.
    bool ReloadMails(const std::vector<CMail*>& mails, unsigned lines, const std::string& prefix,
                     IHost* pWnd);
    // Replaces the body preview from a TOP reply, decoded as ParseMail does for the given
    // Decode value.
    static CMail* ReloadBody(CMail* pMail, const std::string& reply, int32_t bDecode = 1);

    // --- fields
    std::string m_strSection; // "Account\<name>"
    CPop3Socket m_socket;     // its m_nTimeout is the account's time-out
    std::string m_strUser;
    std::string m_strPassword;
    std::string m_strServer;
    int32_t m_nPort = 0;
    std::string m_strName;
    int32_t m_nReceiveCount = 10;
    int32_t m_bOpen = 0; // a connection was opened and QUIT is due
    MailList m_mails;    // owned, in server order
    int32_t m_bSimpleDelete = 0;
    int32_t m_bEnable = 1;
    int32_t m_bNewMailOnly = 0;
    int32_t m_bLimitDelete = 0;
    int32_t m_nLimitDays = 5;
    int32_t m_bConfLimitDelete = 1;
    int32_t m_bDecode = 1;               // 0: headers and bodies decoded as ISO-2022-JP mail only
    int32_t m_nSecurity = SECURITY_NONE; // SECURITY_NONE, SECURITY_STLS or SECURITY_POP3S
    int32_t m_bVerifyCertificate = 1;    // check the server's certificate and name
    // 0: every command waits for the reply before it (the dialogue of servers that
    // mishandle commands sent ahead); 1: per-mail commands are pipelined where the server
    // allows, and without that the check reads the UIDL and LIST listings.
    int32_t m_bPipelining = 1;
    int32_t m_nPasswordStore = PASSWORD_IN_FILE; // PASSWORD_IN_*; an unknown value logs in never
    std::string m_strPasswordCommand;            // UTF-8, run through /bin/sh -c
    // AUTH_USER_PASS, AUTH_PLAIN or AUTH_OAUTH2 (engine/SaslMechanisms.h); an OAuth 2.0
    // account needs no Password in the settings.
    int32_t m_nAuthentication = 0;
    // The OAuth keys as the file holds them (engine/OAuthConfig.h resolves a provider's).
    OAuthConfig m_oauth;
    IAccessTokenSource* m_pTokenSource = nullptr; // not owned; OAuth 2.0 accounts only
    // Set by a login that found no usable refresh token (the user must sign in again),
    // cleared by a login that succeeds; the front end asks the user once.
    int32_t m_bSignInNeeded = 0;
    ReportFn m_pfnReport = nullptr;
    void* m_pReportContext = nullptr;

private:
    // SettingTexts() as last read from or written to the settings; empty while the account
    // was never read nor written.
    std::vector<std::string> m_arrSavedSettings;

    int WriteStore(const std::filesystem::path& path);
    int RemoveStore(const std::filesystem::path& path);
    // Formats a text of the string table with the account name as its first argument.
    void ReportName(const char* formatUtf8) const;
    // Connects and reads the greeting as m_nSecurity says (STLS and its handshake
    // included). A refusal of the TLS step is logged here and comes back as
    // kTlsRefusedReported; any other failure is the socket's code, not yet logged.
    int ConnectAsConfigured();
    static constexpr int kTlsRefusedReported = 1;
    // The login by SASL, and the report of a failed login step (the socket closed); false.
    bool LoginSasl();
    bool LoginFailed(int code, const std::string& reply, bool afterPass);
    // The log text of a handshake that failed (the socket's GetTlsFailure).
    void ReportTlsFailure() const;
    // A cancel among the DELEs: says so and sends RSET, so this connection deletes nothing.
    void RestoreAfterStop();
    // DeleteOne's report of a DELE's code (index -1: none); returns code.
    int ReportDelete(int code, int index);
    // The settings in write order, as text (numbers in decimal).
    std::vector<std::string> SettingTexts() const;
    void AddSetting(ProfileBatch& batch, size_t index, MissingKey missing) const;
    void LoadOAuthSettings();
    bool WriteSetting(size_t index);
    bool WriteSettings(std::initializer_list<size_t> indexes);
    // The login's password from where m_nPasswordStore says; false after logging why not.
    bool ObtainPassword(CSecureString& password);
    bool PasswordFromKeyring(CSecureString& password);
    bool PasswordFromCommand(CSecureString& password);
    bool CommitSettings(ProfileBatch& batch);
    std::string Progress(const std::string& prefix, const char* activityUtf8, long index,
                         long count) const;

    // The reload's numbers by the UIDL listing; POP3_OK or the failure.
    int ReloadNumbers(const std::vector<CMail*>& mails, std::vector<unsigned>& numbers);
    int RunReload(const std::vector<CMail*>& mails, const std::vector<unsigned>& numbers,
                  unsigned lines, const std::string& prefix, IHost* pWnd);
    // The check's steps after the connection's start: STAT, selection, fetch.
    int RunCheck(const std::string& prefix, IHost* pWnd);
    int FetchSelected(const std::vector<unsigned>& selection, const std::string& stat,
                      const std::string& prefix, IHost* pWnd);

    std::string m_strStoreWritten;   // the store's bytes as this account last wrote them
    int32_t m_nServerPipelines = -1; // this connection's CAPA: -1 not asked yet, 0 or 1
    ServerListing m_uidListing;      // the UIDL listing a new-only selection was read from
    std::vector<std::string> m_arrExpiredIds;
};

// The bound of a keyring call for an account's time-out (whole seconds, at least one).
int SecretTimeoutMs(int32_t timeoutSeconds);
// The log text for a keyring failure of the account (code SECRET_*, error the keyring's
// words): which failure, and what to do about it.
std::string SecretFailureText(const CAccount& account, int code, const std::string& errorUtf8);

} // namespace tolvane
