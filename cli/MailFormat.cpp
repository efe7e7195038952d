#include "cli/MailFormat.h"

#include "cli/CliTexts.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tolvane::cli {

namespace {

// Decodes one UTF-8 sequence at text[i]; advances i. Bytes that start no valid sequence
// count as one character each.
char32_t NextCodePoint(std::string_view text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
    if (length == 0 || i + length > text.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3F);
    }
    i += length;
    return code;
}

int CodePointWidth(char32_t c) {
    if ((c >= 0x0300 && c <= 0x036F) || c == 0x200B || c == 0x3099 || c == 0x309A) {
        return 0;
    }
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
                      (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                      (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

std::string PadRight(const std::string& text, int width) {
    return text + std::string(static_cast<size_t>(std::max(0, width - DisplayWidth(text))), ' ');
}

std::string PadLeft(const std::string& text, int width) {
    return std::string(static_cast<size_t>(std::max(0, width - DisplayWidth(text))), ' ') + text;
}

std::string Show(const std::string& cp932) {
    return TerminalSafe(Cp932ToUtf8(cp932), false);
}

// Server and user names are UTF-8 already.
std::string ShowUtf8(const std::string& utf8) {
    return TerminalSafe(utf8, false);
}

const char* Bool(int32_t flag) {
    return flag ? "true" : "false";
}

// The decimal size text of a record as a number (0 when it holds none).
unsigned long SizeNumber(const std::string& size) {
    return std::strtoul(size.c_str(), nullptr, 10);
}

} // namespace

int DisplayWidth(std::string_view utf8) {
    int width = 0;
    for (size_t i = 0; i < utf8.size();) {
        width += CodePointWidth(NextCodePoint(utf8, i));
    }
    return width;
}

std::string TerminalSafe(std::string_view utf8, bool bKeepLineFeeds) {
    std::string safe;
    safe.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '\n' && bKeepLineFeeds) {
            safe += '\n';
        } else if (c == '\t') {
            safe += ' ';
        } else if (c < 0x20 || c == 0x7F) {
            safe += '?';
        } else if (c == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            safe += '?'; // C1 control characters
            ++i;
        } else {
            safe += static_cast<char>(c);
        }
    }
    return safe;
}

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string HexBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0xF];
    }
    return hex;
}

const char* StateName(uint32_t state) {
    switch (state) {
    case MAIL_NEW:
        return "new";
    case MAIL_KNOWN:
        return "known";
    case MAIL_EXPIRED:
        return "expired";
    default:
        return "gone";
    }
}

const char* StateWord(uint32_t state) {
    switch (state) {
    case MAIL_NEW:
        return txt::kStateNew;
    case MAIL_KNOWN:
        return txt::kStateKnown;
    case MAIL_EXPIRED:
        return txt::kStateExpired;
    default:
        return txt::kStateGone;
    }
}

std::string FormatMailList(const std::vector<const CMail*>& mails) {
    struct Row {
        std::string account, state, size, date, from, subject;
    };
    std::vector<Row> rows;
    int widths[5] = {0, 0, 0, 0, 0};
    for (const CMail* mail : mails) {
        Row row{Show(mail->m_strAccount), StateWord(mail->m_nState), Show(mail->m_strSize),
                Show(mail->m_strDate),    Show(mail->m_strFrom),     Show(mail->m_strSubject)};
        const std::string* columns[5] = {&row.account, &row.state, &row.size, &row.date, &row.from};
        for (int k = 0; k < 5; ++k) {
            widths[k] = std::max(widths[k], DisplayWidth(*columns[k]));
        }
        rows.push_back(std::move(row));
    }
    widths[4] = std::min(widths[4], kFromColumnMax);
    std::string out;
    for (const Row& row : rows) {
        std::string line = PadRight(row.account, widths[0]) + "  " +
                           PadRight(row.state, widths[1]) + "  " + PadLeft(row.size, widths[2]) +
                           "  " + PadRight(row.date, widths[3]) + "  " +
                           PadRight(row.from, widths[4]) + "  " + row.subject;
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out += line + "\n";
    }
    return out;
}

std::string FormatMailJson(const std::vector<const CMail*>& mails, bool bRaw) {
    std::string out = "[";
    for (size_t i = 0; i < mails.size(); ++i) {
        const CMail& mail = *mails[i];
        out += i == 0 ? "\n" : ",\n";
        out += "  {\"account\": " + JsonString(Cp932ToUtf8(mail.m_strAccount));
        out += ", \"number\": " + std::to_string(mail.m_nNumber);
        out += ", \"state\": " + JsonString(StateName(mail.m_nState));
        out += ", \"uidl\": " + JsonString(Cp932ToUtf8(mail.m_strUidl));
        out += ", \"size\": " + std::to_string(SizeNumber(mail.m_strSize));
        out += ", \"date\": " + JsonString(Cp932ToUtf8(mail.m_strDate));
        out += ", \"from\": " + JsonString(Cp932ToUtf8(mail.m_strFrom));
        out += ", \"subject\": " + JsonString(Cp932ToUtf8(mail.m_strSubject));
        out += ", \"body\": " + JsonString(Cp932ToUtf8(mail.m_strBody));
        out += std::string(", \"not_plain\": ") + (mail.m_bNotPlain ? "true" : "false");
        out += ", \"received\": " + std::to_string(mail.m_timeReceived);
        if (bRaw) {
            out += ", \"from_cp932\": \"" + HexBytes(mail.m_strFrom) + "\"";
            out += ", \"subject_cp932\": \"" + HexBytes(mail.m_strSubject) + "\"";
            out += ", \"body_cp932\": \"" + HexBytes(mail.m_strBody) + "\"";
        }
        out += "}";
    }
    out += mails.empty() ? "]\n" : "\n]\n";
    return out;
}

namespace {

// "暗号化なし", "STLS（証明書確認あり）", ...
std::string SecurityText(const CAccount& account) {
    std::string text;
    switch (account.m_nSecurity) {
    case SECURITY_NONE:
        return txt::kSecurityNone;
    case SECURITY_STLS:
        text = txt::kSecurityStls;
        break;
    case SECURITY_POP3S:
        text = txt::kSecurityPop3s;
        break;
    default:
        return std::string(txt::kSecurityUnknown) + "（" + std::to_string(account.m_nSecurity) +
               "）";
    }
    return text + "（" +
           (account.m_bVerifyCertificate ? txt::kCertificateChecked : txt::kCertificateUnchecked) +
           "）";
}

// Where the password lives: the human list's words and JSON's.
struct PasswordPlaceNames {
    const char* text;
    const char* word;
};

PasswordPlaceNames PasswordPlaceOf(const CAccount& account) {
    switch (account.m_nPasswordStore) {
    case PASSWORD_IN_FILE:
        return {txt::kPasswordInFile, "file"};
    case PASSWORD_IN_KEYRING:
        return {txt::kPasswordInKeyring, "keyring"};
    case PASSWORD_BY_COMMAND:
        return {txt::kPasswordByCommand, "command"};
    default:
        return {txt::kPasswordUnknown, "unknown"};
    }
}

} // namespace

std::string FormatAccountList(const std::vector<const CAccount*>& accounts) {
    int nameWidth = 0;
    int serverWidth = 0;
    std::vector<std::pair<std::string, std::string>> heads;
    for (const CAccount* account : accounts) {
        std::string name = Show(account->m_strName);
        std::string server = ShowUtf8(account->m_strUser) + "@" + ShowUtf8(account->m_strServer) +
                             ":" + std::to_string(account->m_nPort);
        nameWidth = std::max(nameWidth, DisplayWidth(name));
        serverWidth = std::max(serverWidth, DisplayWidth(server));
        heads.emplace_back(std::move(name), std::move(server));
    }
    std::string out;
    for (size_t i = 0; i < accounts.size(); ++i) {
        const CAccount& account = *accounts[i];
        std::string line =
            PadRight(heads[i].first, nameWidth) + "  " + PadRight(heads[i].second, serverWidth) +
            "  " + (account.m_bEnable ? txt::kEnabled : txt::kDisabled) + "  " +
            SecurityText(account) + "  " +
            (account.m_bNewMailOnly ? txt::kNewOnly : txt::kAllMails) + "  " +
            (account.m_bSimpleDelete ? txt::kSimpleDelete : txt::kVerifiedDelete) + "  " +
            (account.m_bDecode ? txt::kDecodeAll : txt::kDecodeJisOnly) + "  " +
            (account.m_bPipelining ? txt::kPipelining : txt::kOneAtATime) + "  " +
            PasswordPlaceOf(account).text + "  本文" + std::to_string(account.m_nReceiveCount) +
            "行  タイムアウト" + std::to_string(account.m_socket.m_nTimeout) + "秒  ";
        if (account.m_bLimitDelete) {
            line += "期限削除" + std::to_string(account.m_nLimitDays) + "日" +
                    (account.m_bConfLimitDelete ? "（確認あり）" : "（確認なし）");
        } else {
            line += "期限削除なし";
        }
        out += line + "\n";
    }
    return out;
}

std::string FormatAccountJson(const std::vector<const CAccount*>& accounts) {
    std::string out = "[";
    for (size_t i = 0; i < accounts.size(); ++i) {
        const CAccount& account = *accounts[i];
        out += i == 0 ? "\n" : ",\n";
        out += "  {\"name\": " + JsonString(Cp932ToUtf8(account.m_strName));
        out += ", \"server\": " + JsonString(account.m_strServer);
        out += ", \"port\": " + std::to_string(account.m_nPort);
        out += ", \"user\": " + JsonString(account.m_strUser);
        out += ", \"lines\": " + std::to_string(account.m_nReceiveCount);
        out += ", \"timeout\": " + std::to_string(account.m_socket.m_nTimeout);
        out += std::string(", \"enabled\": ") + Bool(account.m_bEnable);
        out += std::string(", \"new_only\": ") + Bool(account.m_bNewMailOnly);
        out += std::string(", \"simple_delete\": ") + Bool(account.m_bSimpleDelete);
        out += std::string(", \"limit_delete\": ") + Bool(account.m_bLimitDelete);
        out += ", \"limit_days\": " + std::to_string(account.m_nLimitDays);
        out += std::string(", \"confirm_limit_delete\": ") + Bool(account.m_bConfLimitDelete);
        out += std::string(", \"decode\": ") + Bool(account.m_bDecode);
        out += ", \"security\": " + std::to_string(account.m_nSecurity);
        out += std::string(", \"verify_certificate\": ") + Bool(account.m_bVerifyCertificate);
        out += std::string(", \"pipelining\": ") + Bool(account.m_bPipelining);
        out += std::string(", \"password_store\": \"") + PasswordPlaceOf(account).word + "\"";
        out += "}";
    }
    out += accounts.empty() ? "]\n" : "\n]\n";
    return out;
}

} // namespace tolvane::cli
