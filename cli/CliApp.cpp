#include "cli/CliApp.h"

#include "cli/Arguments.h"
#include "cli/BrowserLauncher.h"
#include "cli/CliTexts.h"
#include "cli/InterruptWatcher.h"
#include "cli/MailFormat.h"
#include "cli/PasswordInput.h"
#include "cli/TerminalHost.h"
#include "engine/DocumentCore.h"
#include "engine/JobTexts.h"
#include "engine/OAuthSignIn.h"
#include "engine/OAuthTokens.h"
#include "engine/PasswordPlace.h"
#include "engine/SaslMechanisms.h"
#include "platform/CodePage.h"
#include "platform/InstanceLock.h"
#include "platform/MessageHost.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>

namespace tolvane::cli {

namespace {

std::string FormatTwo(const char* formatUtf8, const std::string& firstUtf8,
                      const std::string& secondUtf8) {
    char buffer[2048];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(buffer, sizeof buffer, formatUtf8, firstUtf8.c_str(), secondUtf8.c_str());
#pragma GCC diagnostic pop
    return buffer;
}

std::string Format(const char* formatUtf8, const std::string& argumentUtf8) {
    return FormatTwo(formatUtf8, argumentUtf8, {});
}

void WriteOut(const std::string& textUtf8) {
    std::fwrite(textUtf8.data(), 1, textUtf8.size(), stdout);
    std::fflush(stdout);
}

std::vector<int32_t> Worse(std::vector<int32_t> a, const std::vector<int32_t>& b) {
    a.resize(std::max(a.size(), b.size()), OUTCOME_NONE);
    for (size_t i = 0; i < b.size(); ++i) {
        a[i] = std::max(a[i], b[i]);
    }
    return a;
}

bool AnyUnchecked(const std::vector<int32_t>& outcomes) {
    return std::any_of(outcomes.begin(), outcomes.end(), [](int32_t outcome) {
        return outcome == OUTCOME_FAILED || outcome == OUTCOME_CANCELLED;
    });
}

class MessageHostScope {
public:
    explicit MessageHostScope(IMessageHost* host) : m_previous(SetMessageHost(host)) {}
    ~MessageHostScope() { SetMessageHost(m_previous); }
    MessageHostScope(const MessageHostScope&) = delete;
    MessageHostScope& operator=(const MessageHostScope&) = delete;

private:
    IMessageHost* m_previous;
};

// The document of a run: a store that cannot be saved is told on standard error even when
// the log is silenced.
class CCliDocument final : public CDocumentCore {
public:
    CCliDocument(CTerminalHost& host, bool bQuiet)
        : CDocumentCore(&host), m_host(host), m_bQuiet(bQuiet) {}
    ~CCliDocument() override { Close(); }
    CCliDocument(const CCliDocument&) = delete;
    CCliDocument& operator=(const CCliDocument&) = delete;

protected:
    void OnStoreSaveFailed(const CAccount& account, int error) override {
        CDocumentCore::OnStoreSaveFailed(account, error); // the log: standard error unless quiet
        if (m_bQuiet) {
            m_host.WriteError(LogTextForTerminal(StoreSaveFailedText(account, error)));
        }
    }

private:
    CTerminalHost& m_host;
    const bool m_bQuiet;
};

// One run of a command against the loaded document.
class CSession {
public:
    CSession(const Arguments& arguments, CTerminalHost& host, CDocumentCore& doc)
        : m_args(arguments), m_host(host), m_doc(doc), m_watcher([this] { OnInterrupt(); }) {}

    int Check();
    int Delete();
    int Accounts();
    int Password();
    int Login();
    // The passwords still in the settings file into the keyring, on the worker, before the
    // command's job (engine/PasswordMove.h). False when the worker could not start.
    bool MovePasswords();

private:
    // The first Ctrl+C: the cancel command (runs on the watcher's thread).
    void OnInterrupt();
    bool Started(bool bStarted);
    void WaitFor(int lastCommand);
    void PrintMails(const std::vector<int32_t>& outcomes);
    // Of the wanted ids, those the latest check deleted as expired.
    std::set<std::string> ExpiredIds(const std::set<std::string>& wanted) const;
    // The accounts' mails whose id is wanted, in list order; their ids are added to found.
    std::vector<CMail*> ListedMails(const std::set<std::string>& wanted,
                                    std::set<std::string>& found) const;
    std::vector<int32_t> Outcomes() const { return m_doc.m_pWorker->GetOutcomes(); }
    // The loaded account of that name (CP932), or nullptr after telling the user.
    CAccount* NamedAccount(const std::string& name) const;

    const Arguments& m_args;
    CTerminalHost& m_host;
    CDocumentCore& m_doc;
    std::mutex m_cancelLock; // orders a Ctrl+C against the start of the first job
    bool m_bWorkerReady = false;
    bool m_bCancelPending = false;
    std::atomic<COAuthSignIn*> m_pSignIn{nullptr}; // the login's, while it waits
    CInterruptWatcher m_watcher; // last: it stops before the rest of the session goes
};

void CSession::OnInterrupt() {
    m_host.WriteError(txt::kCancelling);
    if (COAuthSignIn* signIn = m_pSignIn.load()) {
        signIn->Cancel();
        return;
    }
    std::lock_guard lock(m_cancelLock);
    if (m_bWorkerReady) {
        m_doc.Cancel();
    } else {
        m_bCancelPending = true; // the job is being started: cancel as soon as it runs
    }
}

bool CSession::Started(bool bStarted) {
    if (!bStarted) {
        m_host.WriteError(txt::kWorkerFailed);
        return false;
    }
    // From here on the worker exists and the document's worker pointer no longer changes.
    std::lock_guard lock(m_cancelLock);
    m_bWorkerReady = true;
    if (m_bCancelPending) {
        m_bCancelPending = false;
        m_doc.Cancel();
    }
    return true;
}

void CSession::WaitFor(int lastCommand) {
    for (;;) {
        const int id = m_host.WaitCommand();
        if (id == ID_RELOAD_COMPLETE) {
            m_doc.OnReloadComplete();
        } else if (id == ID_PASSWORDS_MOVED) {
            m_doc.OnPasswordMoveComplete();
        } else {
            m_doc.OnJobComplete();
        }
        if (id == lastCommand) {
            return;
        }
    }
}

void CSession::PrintMails(const std::vector<int32_t>& outcomes) {
    std::vector<const CMail*> mails;
    for (size_t i = 0; i < m_doc.m_arrAccounts.size(); ++i) {
        if (i >= outcomes.size() || outcomes[i] == OUTCOME_NONE) {
            continue;
        }
        const CAccount& account = *m_doc.m_arrAccounts[i];
        for (int k = 0; k < account.GetMailCount(); ++k) {
            mails.push_back(account.GetMail(k));
        }
    }
    WriteOut(m_args.bJson ? FormatMailJson(mails, m_args.bRaw) : FormatMailList(mails));
}

CAccount* CSession::NamedAccount(const std::string& name) const {
    for (const auto& account : m_doc.m_arrAccounts) {
        if (account->m_strName == name) {
            return account.get();
        }
    }
    m_host.WriteError(Format(txt::kUnknownAccount, Cp932ToUtf8(name)));
    return nullptr;
}

bool CSession::MovePasswords() {
    if (!m_doc.HasPasswordsToMove()) {
        return true;
    }
    if (!Started(m_doc.StartPasswordMove())) {
        return false;
    }
    WaitFor(ID_PASSWORDS_MOVED);
    return true;
}

int CSession::Check() {
    int32_t index = -1;
    if (!m_args.operands.empty()) {
        const CAccount* account = NamedAccount(m_args.operands[0]);
        if (account == nullptr) {
            return EXIT_USAGE;
        }
        for (index = 0; m_doc.GetAccount(index) != account; ++index) {
        }
    } else if (m_doc.m_arrAccounts.empty()) {
        m_host.WriteError(txt::kNoAccounts);
        return EXIT_USAGE;
    }
    if (!MovePasswords() || !Started(m_doc.StartCheck(index))) {
        return EXIT_ACCOUNT_FAILED;
    }
    WaitFor(ID_CHECK_COMPLETE);
    const std::vector<int32_t> outcomes = Outcomes();
    PrintMails(outcomes);
    return AnyUnchecked(outcomes) ? EXIT_ACCOUNT_FAILED : EXIT_ALL_CHECKED;
}

int CSession::Delete() {
    if (m_doc.m_arrAccounts.empty()) {
        m_host.WriteError(txt::kNoAccounts);
        return EXIT_USAGE;
    }
    if (!MovePasswords() || !Started(m_doc.StartCheck(-1))) {
        return EXIT_ACCOUNT_FAILED;
    }
    WaitFor(ID_CHECK_COMPLETE);
    std::vector<int32_t> outcomes = Outcomes();

    // The mails to delete, in list order; every given id must name at least one. A mail
    // the check has just deleted as expired is deleted already.
    const std::set<std::string> wanted(m_args.operands.begin(), m_args.operands.end());
    std::set<std::string> found = ExpiredIds(wanted);
    std::vector<CMail*> marked = ListedMails(wanted, found);
    if (found.size() != wanted.size()) {
        for (const std::string& uidl : m_args.operands) {
            if (found.count(uidl) == 0) {
                m_host.WriteError(Format(txt::kUnknownUidl, Cp932ToUtf8(uidl)));
            }
        }
        m_host.WriteError(txt::kNothingDeleted);
        return AnyUnchecked(outcomes) ? EXIT_ACCOUNT_FAILED : EXIT_USAGE;
    }
    if (marked.empty()) {
        PrintMails(outcomes);
        return AnyUnchecked(outcomes) ? EXIT_ACCOUNT_FAILED : EXIT_ALL_CHECKED;
    }
    if (!m_host.Ask(Sjis(tolvane::txt::kAskDeleteMarked))) {
        m_host.WriteError(txt::kDeleteDeclined);
        return EXIT_USAGE;
    }
    JobEntries entries = m_doc.BuildDeleteEntries(marked);
    if (!entries || !Started(m_doc.StartDelete(std::move(entries)))) {
        return EXIT_ACCOUNT_FAILED;
    }
    WaitFor(ID_DELETE_COMPLETE);
    outcomes = Worse(outcomes, Outcomes());
    PrintMails(outcomes);
    if (AnyUnchecked(outcomes)) {
        return EXIT_ACCOUNT_FAILED; // the log says which account and why
    }
    // The check after the deletion says what the server holds now: a mail still listed
    // was not deleted (not found, or the user declined the changed-content question).
    std::set<std::string> left;
    ListedMails(wanted, left);
    for (const std::string& uidl : left) {
        m_host.WriteError(Format(txt::kNotDeleted, Cp932ToUtf8(uidl)));
    }
    return left.empty() ? EXIT_ALL_CHECKED : EXIT_ACCOUNT_FAILED;
}

std::set<std::string> CSession::ExpiredIds(const std::set<std::string>& wanted) const {
    std::set<std::string> expired;
    for (const auto& account : m_doc.m_arrAccounts) {
        for (const std::string& uidl : account->ExpiredIds()) {
            if (wanted.count(uidl) != 0) {
                expired.insert(uidl);
            }
        }
    }
    return expired;
}

std::vector<CMail*> CSession::ListedMails(const std::set<std::string>& wanted,
                                          std::set<std::string>& found) const {
    std::vector<CMail*> listed;
    for (const auto& account : m_doc.m_arrAccounts) {
        for (int k = 0; k < account->GetMailCount(); ++k) {
            CMail* mail = account->GetMail(k);
            if (wanted.count(mail->m_strUidl) != 0) {
                listed.push_back(mail);
                found.insert(mail->m_strUidl);
            }
        }
    }
    return listed;
}

int CSession::Accounts() {
    std::vector<const CAccount*> accounts;
    for (const auto& account : m_doc.m_arrAccounts) {
        accounts.push_back(account.get());
    }
    WriteOut(m_args.bJson ? FormatAccountJson(accounts) : FormatAccountList(accounts));
    return EXIT_ALL_CHECKED;
}

int CSession::Password() {
    const std::string& name = m_args.operands[0];
    CAccount* account = NamedAccount(name);
    if (account == nullptr) {
        return EXIT_USAGE;
    }
    const std::string nameUtf8 = Cp932ToUtf8(name);
    CSecureString typed;
    switch (ReadPassword(Format(txt::kPasswordPrompt, nameUtf8), typed)) {
    case PASSWORD_EMPTY:
        m_host.WriteError(txt::kPasswordEmpty);
        return EXIT_USAGE;
    case PASSWORD_TOO_LONG:
        m_host.WriteError(txt::kPasswordTooLong);
        return EXIT_USAGE;
    default:
        break;
    }
    PasswordEdit edit;
    edit.before = account->Keys();
    edit.nStoreBefore = account->m_nPasswordStore;
    edit.after = account->Keys();
    edit.nStoreWanted = m_args.bFile ? PASSWORD_IN_FILE : PASSWORD_IN_KEYRING;
    edit.typed = &typed;
    PasswordEditResult result = ApplyPasswordEdit(edit, kSecretTimeoutMs);
    if (result.code != SECRET_OK) {
        // The keyring was asked for by name: no keyring is a failure here, never the file.
        const char* format = result.code == SECRET_NO_SERVICE ? txt::kPasswordNoKeyring
                                                              : txt::kPasswordKeyringFailed;
        m_host.WriteError(FormatTwo(format, nameUtf8, TerminalSafe(result.error, false)));
        return EXIT_ACCOUNT_FAILED;
    }
    account->m_nPasswordStore = result.nStore;
    account->m_strPassword =
        result.bFilePassword ? std::string(result.filePassword.View()) : std::string();
    if (!account->WritePasswordPlace()) {
        m_host.WriteError(Format(txt::kPasswordNotWritten, nameUtf8));
        return EXIT_ACCOUNT_FAILED;
    }
    WriteOut(Format(m_args.bFile ? txt::kPasswordToFile : txt::kPasswordToKeyring, nameUtf8));
    return EXIT_ALL_CHECKED;
}

// What an account's OAuth 2.0 settings lack, for the user (UTF-8).
const char* MissingOAuthSetting(int code) {
    switch (code) {
    case OAUTH_CONFIG_PROVIDER:
        return txt::kLoginNoProvider;
    case OAUTH_CONFIG_CLIENT:
        return txt::kLoginNoClient;
    default:
        return txt::kLoginNoEndpoints;
    }
}

constexpr int64_t kLoginWaitMs = 5 * 60 * 1000;

int CSession::Login() {
    const std::string& name = m_args.operands[0];
    CAccount* account = NamedAccount(name);
    if (account == nullptr) {
        return EXIT_USAGE;
    }
    const std::string nameUtf8 = Cp932ToUtf8(name);
    if (account->m_nAuthentication != AUTH_OAUTH2) {
        m_host.WriteError(Format(txt::kLoginNotOAuth, nameUtf8));
        return EXIT_USAGE;
    }
    OAuthConfig config;
    const int resolved = ResolveOAuthConfig(account->m_oauth, config);
    if (resolved != OAUTH_CONFIG_OK) {
        m_host.WriteError(FormatTwo(txt::kLoginSettings, nameUtf8, MissingOAuthSetting(resolved)));
        return EXIT_USAGE;
    }
    COAuthSignIn signIn;
    std::string url;
    if (!signIn.Start(config, url)) {
        m_host.WriteError(txt::kLoginNoListener);
        return EXIT_ACCOUNT_FAILED;
    }
    WriteOut(url + "\n");
    if (!m_args.bNoBrowser) {
        OpenInBrowser(url); // the address is on the terminal when no browser opens
    }
    m_host.WriteError(txt::kLoginInBrowser);
    m_pSignIn.store(&signIn);
    TokenReply reply;
    std::string detail;
    const int result = signIn.Finish(SystemMonotonicClock(), kLoginWaitMs, reply, detail);
    m_pSignIn.store(nullptr);
    const std::string why = TerminalSafe(detail, false);
    switch (result) {
    case SIGNIN_OK:
        break;
    case SIGNIN_REFUSED:
        m_host.WriteError(FormatTwo(txt::kLoginRefused, nameUtf8, why));
        return EXIT_ACCOUNT_FAILED;
    case SIGNIN_TIMEOUT:
        m_host.WriteError(Format(txt::kLoginTimedOut, nameUtf8));
        return EXIT_ACCOUNT_FAILED;
    case SIGNIN_CANCELLED:
        m_host.WriteError(Format(txt::kLoginCancelled, nameUtf8));
        return EXIT_ACCOUNT_FAILED;
    default:
        m_host.WriteError(FormatTwo(txt::kLoginFailed, nameUtf8, why));
        return EXIT_ACCOUNT_FAILED;
    }
    if (!SharedOAuthTokens().SignedIn(name, reply)) {
        m_host.WriteError(Format(txt::kLoginNotStored, nameUtf8));
        return EXIT_ACCOUNT_FAILED;
    }
    WriteOut(Format(txt::kLoginDone, nameUtf8));
    return EXIT_ALL_CHECKED;
}

} // namespace

int RunCli(const std::vector<std::string>& args) {
    Arguments arguments;
    std::string error;
    if (!ParseArguments(args, arguments, error)) {
        std::fputs((error + txt::kSeeHelp).c_str(), stderr);
        return EXIT_USAGE;
    }
    if (arguments.command == Command::Help) {
        WriteOut(txt::kUsage);
        return EXIT_ALL_CHECKED;
    }
    CTerminalHost host(arguments.bYes, arguments.bQuiet);
    MessageHostScope messages(&host);
    if (!CheckPrivateFolders()) {
        return EXIT_USAGE; // the message says which folder and why
    }
    CInstanceLock lock;
    if (!lock.TryAcquire()) {
        if (lock.HeldElsewhere()) {
            host.WriteError(txt::kInstanceRunning);
            return EXIT_ALREADY_RUNNING;
        }
        host.WriteError(Format(txt::kLockUnavailable, CInstanceLock::LockPath().string()));
        return EXIT_USAGE;
    }
    std::string settingsProblem;
    if (!CheckSettingsFile(&settingsProblem)) {
        host.ShowMessage(settingsProblem, MsgButtons::Ok, MsgIcon::Stop);
        return EXIT_USAGE; // a run on defaults would check nothing the user set up
    }
    CCliDocument doc(host, arguments.bQuiet);
    doc.m_log.SetViewSink(
        [&host](const std::string& textCp932, bool) { host.WriteLog(textCp932); });
    if (!doc.Create()) {
        host.WriteError(txt::kCreateFailed);
        return EXIT_USAGE;
    }
    if (arguments.bQuiet) {
        for (const std::string& text : doc.m_arrSkippedAccounts) {
            host.WriteError(LogTextForTerminal(text)); // the user must hear of a lost account
        }
    }
    int status = EXIT_ALL_CHECKED;
    {
        CSession session(arguments, host, doc);
        switch (arguments.command) {
        case Command::Check:
            status = session.Check();
            break;
        case Command::Delete:
            status = session.Delete();
            break;
        case Command::Accounts:
            status = session.Accounts();
            break;
        case Command::Password:
            status = session.Password();
            break;
        case Command::Login:
            status = session.Login();
            break;
        case Command::Help:
            break;
        }
    }
    // The stores are saved before the status is decided: a check whose seen mails could not
    // be remembered did not fully succeed.
    if (!doc.Close() && status == EXIT_ALL_CHECKED) {
        status = EXIT_ACCOUNT_FAILED;
    }
    return status;
}

} // namespace tolvane::cli
