// The check job of one account: STAT, the selection of the messages to fetch (every
// message, or in new-only mode those whose unique id is not in the list), TOP / LIST /
// UIDL n for each of them, the expiry marking, and the automatic deletion at the end.
#include "engine/Account.h"

#include "engine/Clock.h"
#include "engine/HeaderDecoder.h"
#include "engine/JobTexts.h"
#include "engine/MailFetch.h"
#include "engine/MailHeaderDecoder.h"
#include "engine/ServerListing.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

namespace tolvane {

namespace {

// A STAT count above this is not believed: the selection of a normal-mode check holds one
// entry per message, and a broken or hostile server must not make it allocate gigabytes.
constexpr int32_t kMaxMessages = 1000000;

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Words of text: longest runs of characters other than the space character.
std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string::npos) {
            break;
        }
        size_t end = text.find(' ', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        words.push_back(text.substr(start, end - start));
        pos = end;
    }
    return words;
}

// Leading decimal digits; stops growing at a bound so that no digit run can overflow.
int LeadingNumber(const std::string& word) {
    int value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            break;
        }
        if (value < 100000000) {
            value = value * 10 + (c - '0');
        }
    }
    return value;
}

int MonthNumber(const std::string& word) {
    if (word.empty()) {
        return 0; // an empty word names no month
    }
    for (int i = 0; i < 12; ++i) {
        if (std::string(kMonths[i]).find(word) != std::string::npos) {
            return i + 1;
        }
    }
    return 0;
}

// A header value decoded as the account asks; empty when no memory could be had.
std::string DecodedOrEmpty(const std::string& raw, int32_t bDecode) {
    std::optional<std::string> decoded = bDecode ? DecodeMailHeader(raw) : DecodeHeaderText(raw);
    return decoded ? std::move(*decoded) : std::string();
}

// True when the record's receipt day plus days has passed: local midnight of the day of
// receipt (daylight saving worked out for that date) + days x 86400 <= now.
bool IsExpired(const CMail& mail, int32_t days, std::time_t now) {
    std::tm local = Clock().ToLocal(static_cast<std::time_t>(mail.m_timeReceived));
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    std::time_t midnight = Clock().FromLocal(local);
    if (midnight == static_cast<std::time_t>(-1)) {
        return false;
    }
    return static_cast<int64_t>(midnight) + static_cast<int64_t>(days) * 86400 <=
           static_cast<int64_t>(now);
}

} // namespace

namespace {

// What a check may change of the account's list, kept so that a check that fails or is
// cancelled leaves the list as it found it: no record of a broken connection kept, none of
// the known ones lost, their first-seen times unchanged.
class CCheckUndo {
public:
    explicit CCheckUndo(CAccount& account) : m_account(account) {
        if (!account.m_bNewMailOnly) {
            m_former = std::move(account.m_mails); // a normal-mode check starts afresh
            account.m_mails.clear();
            return;
        }
        for (const auto& mail : account.m_mails) {
            m_states.push_back({mail->m_nState, mail->m_strUidl});
        }
    }
    void Restore() {
        if (!m_account.m_bNewMailOnly) {
            m_account.m_mails = std::move(m_former);
            return;
        }
        m_account.m_mails.resize(m_states.size()); // drops the records of this check
        for (size_t i = 0; i < m_states.size(); ++i) {
            m_account.m_mails[i]->m_nState = m_states[i].first;
            m_account.m_mails[i]->m_strUidl = std::move(m_states[i].second);
        }
    }

private:
    CAccount& m_account;
    MailList m_former;
    std::vector<std::pair<uint32_t, std::string>> m_states;
};

} // namespace

int CAccount::CheckMail(const std::string& prefix, IHost* pWnd) {
    m_arrExpiredIds.clear();
    CCheckUndo undo(*this);
    const int code = RunCheck(prefix, pWnd);
    m_uidListing.values.clear();
    if (code != POP3_OK) {
        undo.Restore();
        return code;
    }
    ExpireMails(pWnd);
    CompactMails();
    return POP3_OK;
}

int CAccount::RunCheck(const std::string& prefix, IHost* pWnd) {
    std::string stat;
    int code = m_socket.CmdStat(stat);
    if (code == POP3_CANCELLED) {
        ReportName(txt::kStopCheck);
        return POP3_CANCELLED;
    }
    const int32_t count = ParseCount(stat);
    if (code != POP3_OK || count < 0 || count > kMaxMessages) {
        ReportName(txt::kReceiveFailed);
        return code != POP3_OK ? code : POP3_NEGATIVE;
    }

    std::vector<unsigned> selection;
    int nNew = 0;
    code = SelectMessages(static_cast<unsigned>(count), selection, nNew);
    if (code != POP3_OK) {
        return code; // reported
    }
    if (count == 0) {
        ReportName(txt::kNoMail);
        return POP3_OK;
    }
    Report(SjisFormat(txt::kMailsWaiting, m_strName.c_str(), static_cast<unsigned>(count)));
    if (m_bNewMailOnly) {
        if (nNew > 0) {
            Report(SjisFormat(txt::kNewMails, m_strName.c_str(), static_cast<unsigned>(nNew)));
        } else {
            ReportName(txt::kNoNewMail);
        }
    }
    if (nNew > 0) {
        ReportName(txt::kReading);
    }
    code = FetchSelected(selection, stat, prefix, pWnd);
    if (code == POP3_CANCELLED) {
        ReportName(txt::kStopCheck);
    } else if (code != POP3_OK) {
        ReportName(txt::kReceiveFailed);
    }
    return code;
}

int CAccount::FetchSelected(const std::vector<unsigned>& selection, const std::string& stat,
                            const std::string& prefix, IHost* pWnd) {
    CMailFetch fetch(*this, selection, m_bNewMailOnly ? &m_uidListing : nullptr, stat);
    int code = fetch.Prepare();
    const long n = static_cast<long>(selection.size());
    for (long i = 0; i < n && code == POP3_OK; ++i) {
        if (pWnd) {
            pWnd->SetWindowText(Progress(prefix, txt::kCheckProgress, i + 1, n));
        }
        const unsigned number = selection[static_cast<size_t>(i)];
        if (number != 0) {
            code = fetch.Fetch(number);
        }
    }
    return code == POP3_OK ? fetch.Finish() : code;
}

int CAccount::ProtocolFailure() {
    m_socket.Close(); // later replies can no longer be matched with their commands
    return POP3_ERROR;
}

bool CAccount::AdoptFormerRecord(const std::string& headerUid, const std::string& serverUid) {
    if (headerUid.empty() || headerUid == serverUid) {
        return false;
    }
    for (auto& mail : m_mails) {
        // Only a record no listed id claimed: it is this mail, stored under its header's id.
        if (mail->m_nState == MAIL_GONE && mail->m_strUidl == headerUid) {
            mail->m_strUidl = serverUid;
            mail->m_nState = m_bLimitDelete && IsExpired(*mail, m_nLimitDays, Clock().Now())
                                 ? MAIL_EXPIRED
                                 : MAIL_KNOWN;
            return true;
        }
    }
    return false;
}

int CAccount::SelectMessages(unsigned count, std::vector<unsigned>& selection, int& nNew) {
    selection.clear();
    nNew = 0;
    auto selectAll = [&]() {
        selection.resize(count);
        for (unsigned i = 0; i < count; ++i) {
            selection[i] = i + 1;
        }
        nNew = static_cast<int>(count);
    };
    if (!m_bNewMailOnly) {
        selectAll();
        return POP3_OK;
    }

    std::string reply;
    int code = m_socket.CmdUidlAll(reply);
    if (code == POP3_CANCELLED) {
        ReportName(txt::kStopCheck);
        return code;
    }
    if (code != POP3_OK) {
        ReportName(txt::kReceiveFailed);
        return code;
    }
    // Every message STAT counts must be listed once under the number the line states.
    if (!ParseServerListing(reply, ListingKind::Uid, count, m_uidListing) ||
        !m_uidListing.Complete(count)) {
        m_uidListing.values.clear();
        ReportName(txt::kReceiveFailed);
        return ProtocolFailure();
    }

    for (auto& mail : m_mails) {
        mail->m_nState = MAIL_GONE;
    }
    selection.assign(count, 0);
    for (const auto& [number, uid] : m_uidListing.values) {
        bool matched = false;
        for (auto& mail : m_mails) {
            if (mail->m_strUidl.empty()) {
                ReportName(txt::kNewOnlyUnsupported);
                // Every message is fetched again, so no former record may stay beside
                // its new copy.
                for (auto& former : m_mails) {
                    former->m_nState = MAIL_GONE;
                }
                selectAll();
                return POP3_OK;
            }
            if (mail->m_strUidl == uid) {
                mail->m_nState = MAIL_KNOWN;
                matched = true;
                break;
            }
        }
        if (!matched) {
            selection[number - 1] = number;
            ++nNew;
        }
    }

    if (m_bLimitDelete) {
        const std::time_t now = Clock().Now();
        for (auto& mail : m_mails) {
            if (mail->m_nState == MAIL_KNOWN && IsExpired(*mail, m_nLimitDays, now)) {
                mail->m_nState = MAIL_EXPIRED;
            }
        }
    }
    return POP3_OK;
}

CMail* CAccount::ParseMail(const std::string& reply) {
    CMail* mail = new (std::nothrow) CMail;
    if (!mail) {
        return nullptr;
    }
    mail->m_strFrom = DecodedOrEmpty(GetHeader(reply, "\r\nFrom:"), m_bDecode);
    if (!mail->m_strFrom.empty() && mail->m_strFrom[0] == '"') {
        std::erase(mail->m_strFrom, '"');
    }
    const std::string contentType = GetHeader(reply, "\r\nContent-Type:");
    if (!contentType.empty()) {
        mail->m_bNotPlain =
            Cp932Lower(contentType).find("text/plain;") == std::string::npos ? 1 : 0;
    }
    mail->m_strSubject = DecodedOrEmpty(GetHeader(reply, "\r\nSubject:"), m_bDecode);
    mail->m_strUidl = GetHeader(reply, "\r\nX-UIDL:");
    mail->m_strDate = FormatDate(GetHeader(reply, "\r\nDate:"));
    ReloadBody(mail, reply, m_bDecode);
    return mail;
}

std::string CAccount::GetHeader(const std::string& text, const std::string& key) {
    const size_t found = text.find(key);
    if (found == std::string::npos) {
        return {};
    }
    size_t pos = found + key.size();
    // The single space after the colon is skipped; a line that ends right after the
    // colon keeps its line end, so that an empty value does not swallow the next line.
    if (pos < text.size() && text[pos] != '\r') {
        ++pos;
    }
    std::string value;
    const size_t size = text.size();
    while (pos < size) {
        // Copy the run up to the next CR at once: this runs for five keys of every mail.
        const size_t cr = std::min(text.find('\r', pos), size);
        value.append(text, pos, cr - pos);
        pos = cr;
        if (pos >= size) {
            break;
        }
        if (pos + 1 >= size) {
            break;
        }
        if (text[pos + 1] != '\n') {
            value += text[pos + 1];
            pos += 2;
            continue;
        }
        if (pos + 2 < size && (text[pos + 2] == ' ' || text[pos + 2] == '\t')) {
            pos += 2;
            while (pos < size && (text[pos] == ' ' || text[pos] == '\t')) {
                ++pos;
            }
            continue;
        }
        break;
    }
    return value;
}

std::string CAccount::FormatDate(const std::string& value) {
    if (value.empty()) {
        return {};
    }
    std::vector<std::string> words = SplitWords(value);
    words.resize(std::max<size_t>(words.size(), 5));
    const int day = LeadingNumber(words[1]);
    const int month = MonthNumber(words[2]);
    // The format is plain ASCII, so it needs no code-page conversion ("%s/%02d/%02d %s").
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "/%02d/%02d ", month, day);
    return words[3] + numbers + words[4];
}

} // namespace tolvane
