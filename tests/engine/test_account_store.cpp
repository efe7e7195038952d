// CAccount: settings in the profile, the store file across destroy and load, the mail list.
#include "engine/Account.h"

#include "engine/Clock.h"
#include "engine/JobTexts.h"
#include "engine/SaslMechanisms.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/SettingsTree.h"
#include "tests/support/TestEnv.h"
#include "tests/support/UnwritableFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

const std::string kSection = "Account\\pop";

class FixedClock final : public IClock {
public:
    explicit FixedClock(std::time_t now) : m_now(now) {}
    std::time_t Now() const override { return m_now; }

private:
    std::time_t m_now;
};

std::unique_ptr<CMail> MakeMail(const std::string& uidl, uint32_t state, uint32_t time = 100) {
    auto mail = std::make_unique<CMail>();
    mail->m_strUidl = uidl;
    mail->m_strSubject = "subject " + uidl;
    mail->m_strAccount = "pop";
    mail->m_nState = state;
    mail->m_nNumber = 99;
    mail->m_timeReceived = time;
    return mail;
}

std::vector<std::string> Uidls(const CAccount& account) {
    std::vector<std::string> uidls;
    for (const auto& mail : account.m_mails) {
        uidls.push_back(mail->m_strUidl);
    }
    return uidls;
}

class AccountStore : public ::testing::Test {
protected:
    static fs::path SettingsFile() { return ConfigFolder() / "user.reg"; }

    // A complete, valid account "pop" in the profile.
    void WriteValidAccount(int newOnly = 0) {
        ASSERT_TRUE(WriteProfileString(kSection, "Servername", "127.0.0.1"));
        ASSERT_TRUE(WriteProfileString(kSection, "Username", "taro"));
        ASSERT_TRUE(WriteProfileString(kSection, "Password", "secret"));
        ASSERT_TRUE(WriteProfileInt(kSection, "PortNo", 110));
        ASSERT_TRUE(WriteProfileInt(kSection, "ReceiveCount", 3));
        ASSERT_TRUE(WriteProfileInt(kSection, "Timeout", 30));
        ASSERT_TRUE(WriteProfileInt(kSection, "ReceiveNewMailOnly", newOnly));
    }

    // A new-only account "pop" loaded from the profile.
    std::unique_ptr<CAccount> LoadNewOnly() {
        auto account = std::make_unique<CAccount>(nullptr, nullptr);
        EXPECT_TRUE(account->Load("pop", true));
        EXPECT_EQ(account->m_bNewMailOnly, 1);
        return account;
    }

    test::ScopedHome m_home;
    test::RecordingMessageHost m_messages;
};

TEST_F(AccountStore, LoadReadsEveryValueWithItsDefault) {
    WriteValidAccount();
    CAccount account(nullptr, nullptr);
    ASSERT_TRUE(account.Load("pop", true));
    EXPECT_EQ(account.m_strName, "pop");
    EXPECT_EQ(account.m_strSection, kSection);
    EXPECT_EQ(account.m_strServer, "127.0.0.1");
    EXPECT_EQ(account.m_strUser, "taro");
    EXPECT_EQ(account.m_strPassword, "secret");
    EXPECT_EQ(account.m_nPort, 110);
    EXPECT_EQ(account.m_nReceiveCount, 3);
    EXPECT_EQ(account.m_socket.m_nTimeout, 30);
    EXPECT_EQ(account.m_bSimpleDelete, 0);
    EXPECT_EQ(account.m_bEnable, 1);
    EXPECT_EQ(account.m_bNewMailOnly, 0);
    EXPECT_EQ(account.m_bLimitDelete, 0);
    EXPECT_EQ(account.m_nLimitDays, 5);
    EXPECT_EQ(account.m_bConfLimitDelete, 1);
    EXPECT_TRUE(m_messages.Messages().empty());
}

// Hand-written flags: every reader must see the same 0 or 1, whatever number was stored.
TEST_F(AccountStore, FlagsLoadAsZeroOrOne) {
    WriteValidAccount(2);
    ASSERT_TRUE(WriteProfileInt(kSection, "LimitDelete", -7));
    ASSERT_TRUE(WriteProfileInt(kSection, "ConfLimitDelete", 5));
    ASSERT_TRUE(WriteProfileInt(kSection, "Enable", 0));
    CAccount account(nullptr, nullptr);
    ASSERT_TRUE(account.Load("pop", true));
    EXPECT_EQ(account.m_bNewMailOnly, 1);
    EXPECT_EQ(account.m_bLimitDelete, 1);
    EXPECT_EQ(account.m_bConfLimitDelete, 1);
    EXPECT_EQ(account.m_bEnable, 0);
}

// Simple deletion sends the stored numbers, which in new-only mode are list positions.
TEST_F(AccountStore, NewOnlyAccountNeverDeletesInSimpleMode) {
    WriteValidAccount(1);
    ASSERT_TRUE(WriteProfileInt(kSection, "SimpleDelete", 1));
    CAccount account(nullptr, nullptr);
    ASSERT_TRUE(account.Load("pop", true));
    EXPECT_EQ(account.m_bSimpleDelete, 0);
    EXPECT_FALSE(account.UsesSimpleDelete());
    account.m_bSimpleDelete = 1; // set by other code after loading: still not simple
    EXPECT_FALSE(account.UsesSimpleDelete());
    account.m_bNewMailOnly = 0;
    EXPECT_TRUE(account.UsesSimpleDelete());
}

struct RejectCase {
    const char* name;
    const char* key;
    bool isString;
};

class AccountLoadRejects : public AccountStore, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(AccountLoadRejects, SilentlyAndKeepsTheProfile) {
    WriteValidAccount();
    const RejectCase& c = GetParam();
    if (c.isString) {
        ASSERT_TRUE(WriteProfileString(kSection, c.key, ""));
    } else {
        ASSERT_TRUE(WriteProfileInt(kSection, c.key, 0));
    }
    {
        CAccount account(nullptr, nullptr);
        EXPECT_FALSE(account.Load("pop", true));
    }
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_EQ(GetProfileString(kSection, "Servername", "?"),
              c.key == std::string("Servername") ? "" : "127.0.0.1");
    EXPECT_EQ(GetProfileInt(kSection, "Timeout", -1), c.key == std::string("Timeout") ? 0 : 30);
    EXPECT_EQ(GetProfileInt(kSection, "ReceiveNewMailOnly", -1), 0);
}

INSTANTIATE_TEST_SUITE_P(Values, AccountLoadRejects,
                         ::testing::Values(RejectCase{"NoServer", "Servername", true},
                                           RejectCase{"NoUser", "Username", true},
                                           RejectCase{"NoPassword", "Password", true},
                                           RejectCase{"PortZero", "PortNo", false},
                                           RejectCase{"TimeoutZero", "Timeout", false}),
                         [](const auto& testParam) { return std::string(testParam.param.name); });

TEST_F(AccountStore, LoadWithoutAnyValueFails) {
    CAccount account(nullptr, nullptr);
    EXPECT_FALSE(account.Load("nobody", true));
    EXPECT_TRUE(account.Load("nobody", false)); // the dialog's "add" fills the fields
    EXPECT_EQ(account.m_strSection, "Account\\nobody");
}

TEST_F(AccountStore, SaveWritesTheTwelveValuesInOrder) {
    CAccount account(nullptr, nullptr);
    account.Load("pop", false);
    account.m_strServer = "mail.example.jp";
    account.m_strUser = "hanako";
    account.m_strPassword = "pa\"ss";
    account.m_nPort = 995;
    account.m_nReceiveCount = 0;
    account.m_socket.m_nTimeout = 15;
    account.m_bNewMailOnly = 1;
    account.m_bLimitDelete = 1;
    account.m_nLimitDays = 9;
    account.m_bConfLimitDelete = 0;
    test::FileWriteCounter writes(SettingsFile());
    ASSERT_TRUE(account.SaveAccount());
    EXPECT_EQ(writes.Count(), 1); // one file write for all twelve
    EXPECT_TRUE(m_messages.Messages().empty());

    const std::string file = ReadFileBytes(SettingsFile());
    size_t last = 0;
    for (const char* key :
         {"Servername", "Username", "Password", "PortNo", "ReceiveCount", "Timeout", "SimpleDelete",
          "Enable", "ReceiveNewMailOnly", "LimitDelete", "LimitDays", "ConfLimitDelete"}) {
        size_t at = file.find("\"" + std::string(key) + "\"=");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key << " out of order";
        last = at;
    }

    CAccount again(nullptr, nullptr);
    ASSERT_TRUE(again.Load("pop", true));
    EXPECT_EQ(again.m_strServer, "mail.example.jp");
    EXPECT_EQ(again.m_strPassword, "pa\"ss");
    EXPECT_EQ(again.m_nPort, 995);
    EXPECT_EQ(again.m_socket.m_nTimeout, 15);
    EXPECT_EQ(again.m_bNewMailOnly, 1);
    EXPECT_EQ(again.m_nLimitDays, 9);
    EXPECT_EQ(again.m_bConfLimitDelete, 0);
}

TEST_F(AccountStore, DecodeIsOnUnlessSetToZeroAndIsSavedLast) {
    WriteValidAccount();
    {
        CAccount account(nullptr, nullptr);
        ASSERT_TRUE(account.Load("pop", true));
        EXPECT_EQ(account.m_bDecode, 1); // absent: today's decoding
        account.m_bDecode = 0;
        ASSERT_TRUE(account.SaveAccount());
    }
    const std::string file = ReadFileBytes(m_home.ConfigHome() / "tolvane" / "user.reg");
    EXPECT_GT(file.find("\"Decode\"=dword:00000000"), file.find("\"ConfLimitDelete\"="));
    CAccount again(nullptr, nullptr);
    ASSERT_TRUE(again.Load("pop", true));
    EXPECT_EQ(again.m_bDecode, 0);
}

// Settings written before TLS existed connect as before: clear text, certificates checked
// once TLS is chosen. Both keys follow Decode, and a value no release writes is kept as
// it is (the connection refuses it, never guesses).
TEST_F(AccountStore, SecurityAndVerifyCertificateDefaultAndRoundTrip) {
    WriteValidAccount();
    {
        CAccount account(nullptr, nullptr);
        ASSERT_TRUE(account.Load("pop", true));
        EXPECT_EQ(account.m_nSecurity, SECURITY_NONE);
        EXPECT_EQ(account.m_bVerifyCertificate, 1);
        ASSERT_TRUE(account.SaveChanges());
        EXPECT_EQ(ReadFileBytes(SettingsFile()).find("Security"), std::string::npos);
        account.m_nSecurity = SECURITY_POP3S;
        account.m_bVerifyCertificate = 0;
        ASSERT_TRUE(account.SaveAccount());
    }
    const std::string file = ReadFileBytes(SettingsFile());
    const size_t security = file.find("\"Security\"=dword:00000002");
    ASSERT_NE(security, std::string::npos) << file;
    EXPECT_GT(security, file.find("\"Decode\"="));
    EXPECT_GT(file.find("\"VerifyCertificate\"=dword:00000000"), security);
    CAccount again(nullptr, nullptr);
    ASSERT_TRUE(again.Load("pop", true));
    EXPECT_EQ(again.m_nSecurity, SECURITY_POP3S);
    EXPECT_EQ(again.m_bVerifyCertificate, 0);

    ASSERT_TRUE(WriteProfileInt(kSection, "Security", 9));
    ASSERT_TRUE(WriteProfileInt(kSection, "VerifyCertificate", 4));
    CAccount odd(nullptr, nullptr);
    ASSERT_TRUE(odd.Load("pop", true));
    EXPECT_EQ(odd.m_nSecurity, 9);
    EXPECT_EQ(odd.m_bVerifyCertificate, 1);
    odd.m_bEnable = 0;
    ASSERT_TRUE(odd.SaveChanges());
    EXPECT_EQ(GetProfileInt(kSection, "Security", 0), 9);
}

TEST_F(AccountStore, PipeliningIsOnUnlessSetToZeroAndIsSavedLast) {
    WriteValidAccount();
    {
        CAccount account(nullptr, nullptr);
        ASSERT_TRUE(account.Load("pop", true));
        EXPECT_EQ(account.m_bPipelining, 1); // absent: commands go ahead where they may
        account.m_bPipelining = 0;
        ASSERT_TRUE(account.SaveAccount());
    }
    const std::string file = ReadFileBytes(SettingsFile());
    EXPECT_GT(file.find("\"Pipelining\"=dword:00000000"), file.find("\"VerifyCertificate\"="));
    CAccount again(nullptr, nullptr);
    ASSERT_TRUE(again.Load("pop", true));
    EXPECT_EQ(again.m_bPipelining, 0);
}

// Credentials go to the server and back to the file as the user wrote them.
// A password in the keyring or from a command needs none in the file; PasswordCommand keeps
// its bytes; where the password lives is written with the password in one write.
TEST_F(AccountStore, PasswordPlaceLoadsAndSavesWithTheAccount) {
    WriteValidAccount();
    ASSERT_TRUE(WriteProfileString(kSection, "Password", ""));
    {
        CAccount account(nullptr, nullptr);
        EXPECT_FALSE(account.Load("pop", true)); // the file's password is missing
    }
    ASSERT_TRUE(WriteProfileInt(kSection, "PasswordStore", PASSWORD_BY_COMMAND));
    ASSERT_TRUE(WriteProfileStringUtf8(kSection, "PasswordCommand", "pass show \"é mail\""));
    CAccount account(nullptr, nullptr);
    ASSERT_TRUE(account.Load("pop", true));
    EXPECT_EQ(account.m_nPasswordStore, PASSWORD_BY_COMMAND);
    EXPECT_EQ(account.m_strPasswordCommand, "pass show \"é mail\"");

    account.m_nPasswordStore = PASSWORD_IN_FILE;
    account.m_strPassword = "typed";
    test::FileWriteCounter writes(SettingsFile());
    ASSERT_TRUE(account.WritePasswordPlace());
    EXPECT_EQ(writes.Count(), 1);
    EXPECT_EQ(GetProfileInt(kSection, "PasswordStore", -1), PASSWORD_IN_FILE);
    EXPECT_EQ(GetProfileStringUtf8(kSection, "Password", ""), "typed");
    EXPECT_TRUE(account.SaveChanges()); // nothing left to write back
    EXPECT_EQ(writes.Count(), 1);
    EXPECT_EQ(account.Keys(), (SecretKeys{"pop", "127.0.0.1", "taro"}));

    // A password that lives in the keyring is never written to the file, whatever the
    // record holds.
    account.m_nPasswordStore = PASSWORD_IN_KEYRING;
    account.m_strPassword = "typed again";
    ASSERT_TRUE(account.SaveAccount());
    EXPECT_EQ(ReadFileBytes(SettingsFile()).find("typed"), std::string::npos);
}

// An OAuth 2.0 account loads without a password and round-trips its OAuth keys; an account
// of another login writes none of them at its first save.
TEST_F(AccountStore, OAuthKeysLoadAndSaveOnlyForAnOAuthAccount) {
    WriteValidAccount();
    {
        CAccount account(nullptr, nullptr);
        ASSERT_TRUE(account.Load("pop", true));
        ASSERT_TRUE(account.SaveAccount());
    }
    const std::string before = ReadFileBytes(SettingsFile());
    EXPECT_EQ(before.find("OAuth"), std::string::npos) << before;

    ASSERT_TRUE(WriteProfileString(kSection, "Password", ""));
    ASSERT_TRUE(WriteProfileInt(kSection, "Authentication", AUTH_OAUTH2));
    ASSERT_TRUE(WriteProfileInt(kSection, "OAuthProvider", OAUTH_GOOGLE));
    ASSERT_TRUE(WriteProfileStringUtf8(kSection, "OAuthClientId", "id.apps.example"));
    ASSERT_TRUE(WriteProfileStringUtf8(kSection, "OAuthClientSecret", "sécret"));
    CAccount account(nullptr, nullptr);
    ASSERT_TRUE(account.Load("pop", true));
    EXPECT_EQ(account.m_nAuthentication, AUTH_OAUTH2);
    EXPECT_EQ(account.m_oauth.nProvider, OAUTH_GOOGLE);
    EXPECT_EQ(account.m_oauth.strClientSecret, "sécret");
    OAuthConfig resolved;
    ASSERT_EQ(ResolveOAuthConfig(account.m_oauth, resolved), OAUTH_CONFIG_OK);
    EXPECT_EQ(resolved.strTokenUrl, "https://oauth2.googleapis.com/token");
    EXPECT_TRUE(account.m_oauth.strTokenUrl.empty()); // a known provider's stay built in

    account.m_oauth.nProvider = OAUTH_OTHER;
    account.m_oauth.strTokenUrl = "https://login.example/token";
    ASSERT_TRUE(account.SaveChanges());
    EXPECT_EQ(GetProfileInt(kSection, "OAuthProvider", 0), OAUTH_OTHER);
    EXPECT_EQ(GetProfileStringUtf8(kSection, "OAuthTokenUrl", ""), "https://login.example/token");
    EXPECT_EQ(ResolveOAuthConfig(account.m_oauth, resolved), OAUTH_CONFIG_ENDPOINTS);
}

TEST_F(AccountStore, CredentialsKeepTheirBytes) {
    WriteValidAccount();
    ASSERT_TRUE(WriteProfileStringUtf8(kSection, "Username", "tarō"));
    ASSERT_TRUE(WriteProfileStringUtf8(kSection, "Password", "pé😀"));
    CAccount account(nullptr, nullptr);
    ASSERT_TRUE(account.Load("pop", true));
    EXPECT_EQ(account.m_strUser, "tarō");
    EXPECT_EQ(account.m_strPassword, "pé😀");
    account.m_strPassword = "nouvé😀";
    ASSERT_TRUE(account.SaveAccount());
    EXPECT_EQ(GetProfileStringUtf8(kSection, "Username", ""), "tarō");
    EXPECT_EQ(GetProfileStringUtf8(kSection, "Password", ""), "nouvé😀");
}

// What another process changed while this one ran survives the write-back at exit, and an
// account it removed stays removed.
TEST_F(AccountStore, WriteBackWritesOnlyThisProcesssChanges) {
    WriteValidAccount();
    CAccount account(nullptr, nullptr);
    ASSERT_TRUE(account.Load("pop", true));
    SettingsTree other(SettingsFile());
    RegKey key;
    ASSERT_EQ(other.OpenKey(other.Root(), "Software\\Orrindale\\Tolvane\\" + kSection, key),
              REG_OK);
    ASSERT_EQ(other.SetString(key, "Password", "changed"), REG_OK);
    ASSERT_EQ(other.SetDword(key, "Timeout", 99), REG_OK);
    account.m_nReceiveCount = 8;

    test::FileWriteCounter writes(SettingsFile());
    ASSERT_TRUE(account.SaveChanges());
    EXPECT_EQ(writes.Count(), 1);
    EXPECT_EQ(GetProfileStringUtf8(kSection, "Password", ""), "changed");
    EXPECT_EQ(GetProfileInt(kSection, "Timeout", 0), 99);
    EXPECT_EQ(GetProfileInt(kSection, "ReceiveCount", 0), 8);
    EXPECT_FALSE(ReadFileBytes(SettingsFile()).find("LimitDays") != std::string::npos)
        << "a default was written";
    ASSERT_TRUE(account.SaveChanges()); // nothing is left to write
    EXPECT_EQ(writes.Count(), 1);

    ASSERT_TRUE(DeleteAccountKey("pop"));
    account.m_nReceiveCount = 9;
    EXPECT_TRUE(account.SaveChanges());
    EXPECT_FALSE(account.WriteEnable());
    std::vector<std::string> names;
    ASSERT_TRUE(CAccount::EnumAccountNames(names));
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(m_messages.Messages().empty());
}

// An account added in this run whose save failed is still written at exit.
TEST_F(AccountStore, AnAccountNeverSavedWritesEveryValueAtExit) {
    CAccount account(nullptr, nullptr);
    account.Load("fresh", false);
    account.m_strServer = "127.0.0.1";
    account.m_strUser = "taro";
    account.m_strPassword = "secret";
    account.m_nPort = 110;
    account.m_socket.m_nTimeout = 20;
    ASSERT_TRUE(account.SaveChanges());
    CAccount again(nullptr, nullptr);
    ASSERT_TRUE(again.Load("fresh", true));
    EXPECT_EQ(again.m_socket.m_nTimeout, 20);
    EXPECT_EQ(GetProfileInt("Account\\fresh", "LimitDays", 0), 5);
}

TEST_F(AccountStore, FailedSaveStopsAtTheFirstWriteWithOneMessage) {
    // The settings folder cannot be created under a regular file: every write fails.
    WriteFileBytes(m_home.Path() / "plain", "x");
    ::setenv("XDG_CONFIG_HOME", (m_home.Path() / "plain" / "config").c_str(), 1);
    CAccount account(nullptr, nullptr);
    account.Load("pop", false);
    account.m_strServer = "127.0.0.1";
    EXPECT_FALSE(account.SaveAccount());
    const auto shown = m_messages.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].textUtf8, txt::kRegistryWriteFailed);
    EXPECT_EQ(shown[0].icon, MsgIcon::Stop);
    EXPECT_EQ(shown[0].buttons, MsgButtons::Ok);
}

TEST_F(AccountStore, NamesAndKeyDeletionForwardToTheProfile) {
    std::vector<std::string> names;
    EXPECT_TRUE(CAccount::EnumAccountNames(names));
    EXPECT_TRUE(names.empty());
    WriteValidAccount();
    ASSERT_TRUE(WriteProfileInt("Account\\Beta", "PortNo", 1));
    EXPECT_TRUE(CAccount::EnumAccountNames(names));
    EXPECT_EQ(names, (std::vector<std::string>{"Beta", "pop"}));
    EXPECT_TRUE(CAccount::DeleteAccountKey("pop"));
    names.clear();
    EXPECT_TRUE(CAccount::EnumAccountNames(names));
    EXPECT_EQ(names, (std::vector<std::string>{"Beta"}));
    EXPECT_TRUE(m_messages.Messages().empty());
}

// --- store file

TEST_F(AccountStore, NewOnlyMailsSurviveDestroyAndLoad) {
    WriteValidAccount(1);
    {
        auto account = LoadNewOnly();
        account->m_mails.push_back(MakeMail("u1", MAIL_NEW, 111));
        account->m_mails.push_back(MakeMail("u2", MAIL_GONE)); // left by a cancelled check
        account->m_mails.push_back(MakeMail("u3", MAIL_KNOWN, 333));
        account->m_mails.push_back(MakeMail("u4", MAIL_EXPIRED, 444));
    }
    ASSERT_TRUE(fs::exists(StoreFilePath("pop")));

    auto account = LoadNewOnly();
    EXPECT_EQ(Uidls(*account), (std::vector<std::string>{"u1", "u3", "u4"}));
    EXPECT_EQ(account->m_mails[0]->m_nState, MAIL_NEW);
    EXPECT_EQ(account->m_mails[0]->m_timeReceived, 111u);
    EXPECT_EQ(account->m_mails[1]->m_nState, MAIL_KNOWN);
    EXPECT_EQ(account->m_mails[2]->m_nState, MAIL_EXPIRED);
    for (int i = 0; i < account->GetMailCount(); ++i) {
        EXPECT_EQ(account->GetMail(i)->m_nNumber, static_cast<uint32_t>(i + 1));
    }
}

TEST_F(AccountStore, SchemaOneStoreGetsTheLoadTime) {
    WriteValidAccount(1);
    std::string bytes = std::string("\x01\x00\xFF\xFF\x01\x00\x05\x00", 8) + "CMail";
    bytes += std::string("\x00\x00\x00\x00\x02u1\x00\x00", 9); // seven strings, uidl "u1"
    bytes += std::string("\x05\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00", 12); // 5, 0, 2
    WriteFileBytes(StoreFilePath("pop"), bytes);

    FixedClock clock(1700000000);
    const IClock* previous = SetClock(&clock);
    auto account = LoadNewOnly();
    SetClock(previous);
    ASSERT_EQ(account->GetMailCount(), 1);
    EXPECT_EQ(account->GetMail(0)->m_strUidl, "u1");
    EXPECT_EQ(account->GetMail(0)->m_nState, MAIL_KNOWN);
    EXPECT_EQ(account->GetMail(0)->m_nNumber, 1u);
    EXPECT_EQ(account->GetMail(0)->m_timeReceived, 1700000000u);
}

TEST_F(AccountStore, DamagedStoreIsKeptAsideAndTheAccountStartsEmpty) {
    WriteValidAccount(1);
    const std::string damaged("\x02\x00\xFF\xFF\x02\x00\x05\x00"
                              "CMail\x03",
                              14);
    WriteFileBytes(StoreFilePath("pop"), damaged);
    {
        auto account = LoadNewOnly();
        EXPECT_EQ(account->GetMailCount(), 0);
    }
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_FALSE(fs::exists(StoreFilePath("pop")));
    EXPECT_EQ(ReadFileBytes(StoreFilePath("pop").string() + ".damaged"), damaged);
}

struct DeletedCase {
    const char* name;
    int newOnly;
    bool withMails;
};

class AccountStoreDeleted : public AccountStore,
                            public ::testing::WithParamInterface<DeletedCase> {};

TEST_P(AccountStoreDeleted, NoFileAfterDestroy) {
    const DeletedCase& c = GetParam();
    WriteFileBytes(StoreFilePath("pop"), "stale");
    {
        CAccount account(nullptr, nullptr);
        account.Load("pop", false);
        account.m_bNewMailOnly = c.newOnly;
        if (c.withMails) {
            account.m_mails.push_back(MakeMail("u1", MAIL_KNOWN));
        }
    }
    EXPECT_FALSE(fs::exists(StoreFilePath("pop")));
}

INSTANTIATE_TEST_SUITE_P(Modes, AccountStoreDeleted,
                         ::testing::Values(DeletedCase{"NormalWithMails", 0, true},
                                           DeletedCase{"NormalEmpty", 0, false},
                                           DeletedCase{"NewOnlyEmpty", 1, false}),
                         [](const auto& testParam) { return std::string(testParam.param.name); });

TEST_F(AccountStore, FailedLoadDeletesTheStoreButKeepsTheProfile) {
    WriteValidAccount(1);
    ASSERT_TRUE(WriteProfileInt(kSection, "Timeout", 0));
    WriteFileBytes(StoreFilePath("pop"), "old");
    {
        CAccount account(nullptr, nullptr);
        EXPECT_FALSE(account.Load("pop", true));
    }
    EXPECT_FALSE(fs::exists(StoreFilePath("pop")));
    EXPECT_EQ(GetProfileInt(kSection, "ReceiveNewMailOnly", -1), 1);
}

class AccountStoreNames : public AccountStore, public ::testing::WithParamInterface<const char*> {};

TEST_P(AccountStoreNames, StoreStaysInsideTheDataFolder) {
    const std::string name = Utf8ToCp932(GetParam());
    {
        CAccount account(nullptr, nullptr);
        account.Load(name, false);
        account.m_bNewMailOnly = 1;
        account.m_mails.push_back(MakeMail("u1", MAIL_KNOWN));
    }
    const fs::path store = StoreFilePath(name);
    EXPECT_EQ(store.parent_path(), m_home.DataHome() / "tolvane");
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(m_home.Path())) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], store);

    CAccount again(nullptr, nullptr);
    again.Load(name, false);
    again.m_bNewMailOnly = 1;
    again.StoreMails(false);
    EXPECT_EQ(Uidls(again), (std::vector<std::string>{"u1"}));
    again.m_bNewMailOnly = 0;
    again.StoreMails(true);
    EXPECT_FALSE(fs::exists(store));
}

INSTANTIATE_TEST_SUITE_P(Unsafe, AccountStoreNames,
                         ::testing::Values("../evil", "a/b", "..", ".", ".hidden", "%2F", "/abs",
                                           "ぽっぷ"));

// Names whose file names would not fit (250 letters, 90 kana) get shortened ones.
const std::string kLongAscii(250, 'a');
const std::string kLongKana = test::Repeated("あ", 90);
INSTANTIATE_TEST_SUITE_P(Long, AccountStoreNames,
                         ::testing::Values(kLongAscii.c_str(), kLongKana.c_str()));

ino_t InodeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Saved after every check: a store whose bytes did not change is not written again.
TEST_F(AccountStore, UnchangedStoreIsLeftAlone) {
    CAccount account(nullptr, nullptr);
    account.Load("pop", false);
    account.m_bNewMailOnly = 1;
    account.m_mails.push_back(MakeMail("u1", MAIL_NEW));
    const fs::path store = StoreFilePath("pop");
    ASSERT_EQ(account.StoreMails(true), 0);
    const ino_t first = InodeOf(store);
    ASSERT_EQ(account.StoreMails(true), 0);
    EXPECT_EQ(InodeOf(store), first);

    account.m_mails[0]->m_nState = MAIL_KNOWN;
    ASSERT_EQ(account.StoreMails(true), 0);
    EXPECT_NE(InodeOf(store), first);
    EXPECT_EQ(ReadFileBytes(store), EncodeMailStore(account.m_mails));
    fs::remove(store); // gone behind its back: written again
    ASSERT_EQ(account.StoreMails(true), 0);
    EXPECT_EQ(ReadFileBytes(store), EncodeMailStore(account.m_mails));
}

// A store that cannot be saved says why (the caller tells the user), leaves nothing half
// written, and is saved at the next chance.
class AccountStoreUnwritable : public AccountStore,
                               public ::testing::WithParamInterface<test::UnwritableFolder::Kind> {
};

TEST_P(AccountStoreUnwritable, SaveGivesTheReasonAndSucceedsLater) {
    test::UnwritableFolder folder(m_home.DataHome(), GetParam());
    if (!folder.Usable()) {
        GTEST_SKIP() << "root that may not mount cannot be refused a write";
    }
    CAccount account(nullptr, nullptr);
    account.Load("pop", false);
    account.m_bNewMailOnly = 1;
    account.m_mails.push_back(MakeMail("u1", MAIL_NEW));
    const int error = account.StoreMails(true);
    EXPECT_NE(error, 0);
    EXPECT_FALSE(fs::exists(StoreFilePath("pop")));
    for (const auto& entry : fs::directory_iterator(DataFolder())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
    }

    folder.Free();
    EXPECT_EQ(account.StoreMails(true), 0);
    EXPECT_EQ(ReadFileBytes(StoreFilePath("pop")), EncodeMailStore(account.m_mails));
}

INSTANTIATE_TEST_SUITE_P(Folders, AccountStoreUnwritable,
                         ::testing::Values(test::UnwritableFolder::Kind::Full,
                                           test::UnwritableFolder::Kind::ReadOnly),
                         [](const auto& testParam) {
                             return testParam.param == test::UnwritableFolder::Kind::Full
                                        ? "FullDisk"
                                        : "ReadOnly";
                         });

// --- mail list

TEST_F(AccountStore, CompactMailsDropsGoneOnlyInNewOnlyMode) {
    CAccount account(nullptr, nullptr);
    for (uint32_t state : {MAIL_GONE, MAIL_NEW, MAIL_GONE, MAIL_GONE, MAIL_KNOWN, MAIL_GONE}) {
        account.m_mails.push_back(MakeMail(std::to_string(account.m_mails.size()), state));
    }
    account.CompactMails();
    EXPECT_EQ(account.GetMailCount(), 6);
    EXPECT_EQ(account.GetMail(5)->m_nNumber, 6u);

    account.m_bNewMailOnly = 1;
    account.CompactMails();
    EXPECT_EQ(Uidls(account), (std::vector<std::string>{"1", "4"}));
    EXPECT_EQ(account.GetMail(0)->m_nNumber, 1u);
    EXPECT_EQ(account.GetMail(1)->m_nNumber, 2u);
}

TEST_F(AccountStore, GetMailOutsideTheListIsNone) {
    CAccount account(nullptr, nullptr);
    EXPECT_EQ(account.GetMail(0), nullptr);
    account.m_mails.push_back(MakeMail("u1", MAIL_KNOWN));
    EXPECT_NE(account.GetMail(0), nullptr);
    EXPECT_EQ(account.GetMail(1), nullptr);
    EXPECT_EQ(account.GetMail(-1), nullptr);
}

TEST_F(AccountStore, ClearMailsWaitsForAnOpenConnectionUnlessForced) {
    CAccount account(nullptr, nullptr);
    account.m_mails.push_back(MakeMail("u1", MAIL_KNOWN));
    account.m_bOpen = 1;
    account.ClearMails(false);
    EXPECT_EQ(account.GetMailCount(), 1);
    account.ClearMails(true);
    EXPECT_EQ(account.GetMailCount(), 0);
    account.m_mails.push_back(MakeMail("u2", MAIL_KNOWN));
    account.m_bOpen = 0;
    account.ClearMails(false);
    EXPECT_EQ(account.GetMailCount(), 0);
}

TEST_F(AccountStore, ReportGoesToTheCallbackUntilSilenced) {
    test::LogCollector log;
    CAccount account(&test::LogCollector::Append, &log);
    account.Report("one\r\n");
    account.SetReport(nullptr, nullptr);
    account.Report("two\r\n");
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"one\r\n"}));
}

} // namespace
} // namespace tolvane
