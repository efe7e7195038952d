// Time to parse TOP replies into mail records (ParseMail: header fields, header decoding,
// date, body preview), over typical Japanese mails with ten body lines.
#include "engine/Account.h"
#include "tests/support/JapaneseMail.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Falls back to the UTF-8 text when iconv has no ISO-2022-JP, so the figures still come.
std::string ToJis(const std::string& utf8) {
    std::string jis;
    return tolvane::test::Utf8ToJis(utf8, jis) || !jis.empty() ? jis : utf8;
}

std::string Word(const std::string& utf8) {
    return tolvane::test::JisWord(ToJis(utf8));
}

std::string TopReply(int i) {
    std::string reply = "+OK\r\n";
    reply += "Return-Path: <sender" + std::to_string(i) + "@example.jp>\r\n";
    reply += "Received: from mx.example.jp (mx.example.jp [192.0.2.1])\r\n\tby pop.example.jp "
             "with ESMTP id " +
             std::to_string(100000 + i) + "; Mon, 12 Feb 2024 09:30:00 +0900\r\n";
    reply += "From: " + Word("山田太郎") + " <taro@example.jp>\r\n";
    reply += "To: hanako@example.jp\r\n";
    reply += "Subject: " + Word("【定例】会議のお知らせ") + "\r\n " +
             Word("第" + std::to_string(i) + "回") + "\r\n";
    reply += "Date: Mon, 12 Feb 2024 09:30:00 +0900\r\n";
    reply += "Message-ID: <" + std::to_string(i) + ".bench@example.jp>\r\n";
    reply += "MIME-Version: 1.0\r\n";
    reply += "Content-Type: text/plain; charset=ISO-2022-JP\r\n";
    reply += "Content-Transfer-Encoding: 7bit\r\n\r\n";
    for (int line = 0; line < 10; ++line) {
        reply += ToJis("お疲れさまです。明日の会議は十時から第二会議室で行います。") + "\r\n";
    }
    return reply + ".\r\n";
}

} // namespace

int main() {
    constexpr int kReplies = 10000;
    std::vector<std::string> replies;
    replies.reserve(kReplies);
    size_t bytes = 0;
    for (int i = 0; i < kReplies; ++i) {
        replies.push_back(TopReply(i));
        bytes += replies.back().size();
    }
    tolvane::CAccount account(nullptr, nullptr);
    size_t check = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& reply : replies) {
        std::unique_ptr<tolvane::CMail> mail(account.ParseMail(reply));
        check += mail->m_strSubject.size() + mail->m_strBody.size();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("ParseMail: %d TOP replies (%.1f KiB each) in %.1f ms: %.2f us per reply, "
                "%.1f MB/s (checksum %zu)\n",
                kReplies, static_cast<double>(bytes) / kReplies / 1024.0, seconds * 1000.0,
                seconds * 1e6 / kReplies, static_cast<double>(bytes) / seconds / 1e6, check);
    return 0;
}
