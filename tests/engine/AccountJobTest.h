// Shared pieces of the account job tests: mail builders, an account "pop" on a local
// server, and a fixture holding such an account pointed at a fake POP3 server, with the
// log and the host recorded.
#pragma once

#include "engine/Account.h"
#include "engine/JobTexts.h"
#include "platform/CodePage.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A log text of the string table as the log collector shows it (UTF-8).
#define LOG_TEXT(...) ::tolvane::Cp932ToUtf8(::tolvane::SjisFormat(__VA_ARGS__))

namespace tolvane::test {

using Strings = std::vector<std::string>;
using U32s = std::vector<uint32_t>;

// A plain mail on the fake server; with xUidl the header carries X-UIDL.
inline FakeMessage PlainMessage(const std::string& uidl, const std::string& subject,
                                bool xUidl = false,
                                std::vector<std::string> body = {"line 1", "line 2"}) {
    std::vector<std::string> headers = {"From: sender@example.com", "Subject: " + subject,
                                        "Date: Tue, 20 Nov 2001 14:58:44 +0900"};
    if (xUidl) {
        headers.push_back("X-UIDL: " + uidl);
    }
    return {uidl, MakeMessage(headers, body)};
}

// A record as an earlier check left it.
inline std::unique_ptr<CMail> KnownMail(const std::string& uidl, const std::string& subject,
                                        uint32_t number, uint32_t received = 0,
                                        uint32_t state = MAIL_KNOWN) {
    auto mail = std::make_unique<CMail>();
    mail->m_strUidl = uidl;
    mail->m_strSubject = subject;
    mail->m_strAccount = "pop";
    mail->m_strBody = "old body";
    mail->m_nNumber = number;
    mail->m_nState = state;
    mail->m_timeReceived = received;
    return mail;
}

inline std::vector<std::string> Uidls(const CAccount& account) {
    std::vector<std::string> uidls;
    for (const auto& mail : account.m_mails) {
        uidls.push_back(mail->m_strUidl);
    }
    return uidls;
}

inline std::vector<uint32_t> States(const CAccount& account) {
    std::vector<uint32_t> states;
    for (const auto& mail : account.m_mails) {
        states.push_back(mail->m_nState);
    }
    return states;
}

inline std::vector<uint32_t> Numbers(const CAccount& account) {
    std::vector<uint32_t> numbers;
    for (const auto& mail : account.m_mails) {
        numbers.push_back(mail->m_nNumber);
    }
    return numbers;
}

inline std::vector<CMail*> AllMails(const CAccount& account) {
    std::vector<CMail*> mails;
    for (const auto& mail : account.m_mails) {
        mails.push_back(mail.get());
    }
    return mails;
}

// An account "pop" on 127.0.0.1:port with a ten-second time-out, its log going to log,
// sending one command at a time (Pipelining 0): the dialogues the job tests assert.
inline std::unique_ptr<CAccount> LocalAccount(LogCollector& log, unsigned port,
                                              const std::string& user,
                                              const std::string& password) {
    auto account = std::make_unique<CAccount>(&LogCollector::Append, &log);
    account->m_strName = "pop";
    account->m_strServer = "127.0.0.1";
    account->m_nPort = static_cast<int32_t>(port);
    account->m_strUser = user;
    account->m_strPassword = password;
    account->m_socket.m_nTimeout = 10;
    account->m_bPipelining = 0;
    return account;
}

class AccountJobTest : public ::testing::Test {
protected:
    AccountJobTest() : account(LocalAccount(log, server.Port(), "taro", "secret")) {}
    ~AccountJobTest() override {
        if (account) {
            account->SetReport(nullptr, nullptr);
        }
    }

    // OpenConnection and Login, with their log texts cleared from what the test checks.
    void Connect() {
        ASSERT_TRUE(account->OpenConnection());
        ASSERT_TRUE(account->Login());
    }
    void Check() {
        Connect();
        checkCode = account->CheckMail(Sjis("トルヴェイン"), &host);
        account->Logout();
    }
    int checkCode = POP3_OK; // what the last Check's CheckMail returned
    void Add(std::unique_ptr<CMail> mail) { account->m_mails.push_back(std::move(mail)); }

    // The commands after USER and PASS.
    std::vector<std::string> JobCommands() const {
        std::vector<std::string> commands = server.Commands();
        if (commands.size() >= 2 && commands[0].rfind("USER", 0) == 0) {
            commands.erase(commands.begin(), commands.begin() + 2);
        }
        return commands;
    }
    // The log texts between the connected text and the logout text.
    std::vector<std::string> JobLog() const {
        std::vector<std::string> texts = log.Texts();
        const std::string connected = LOG_TEXT(txt::kConnected, "pop");
        for (size_t i = 0; i < texts.size(); ++i) {
            if (texts[i] == connected) {
                texts.erase(texts.begin(), texts.begin() + static_cast<long>(i) + 1);
                break;
            }
        }
        if (!texts.empty() && (texts.back() == LOG_TEXT(txt::kLoggedOut, "pop") ||
                               texts.back() == LOG_TEXT(txt::kLogoutFailed, "pop"))) {
            texts.pop_back();
        }
        return texts;
    }

    ScopedHome home; // the account writes its store file at destruction
    FakePop3Server server;
    LogCollector log;
    RecordingHost host{"トルヴェイン"};
    std::unique_ptr<CAccount> account;
};

} // namespace tolvane::test
