// The reload job: fetches the selected mails again with another number of body lines and
// replaces their body previews; nothing else of the records changes.
#include "engine/Account.h"

#include "engine/BodyPreview.h"
#include "engine/CommandRun.h"
#include "engine/HeaderDecoder.h"
#include "engine/JobTexts.h"
#include "engine/LogSafe.h"
#include "engine/ServerListing.h"

#include <algorithm>
#include <new>

namespace tolvane {

namespace {

// The bodies a reload replaced, put back when its replies turn out to be out of step.
class CBodyUndo {
public:
    void Keep(CMail* mail) { m_bodies.emplace_back(mail, mail->m_strBody); }
    void Restore() {
        for (auto& [mail, body] : m_bodies) {
            mail->m_strBody = std::move(body);
        }
    }

private:
    std::vector<std::pair<CMail*, std::string>> m_bodies;
};

} // namespace

int CAccount::ReloadNumbers(const std::vector<CMail*>& mails, std::vector<unsigned>& numbers) {
    numbers.clear();
    std::string reply;
    const int code = m_socket.CmdUidlAll(reply);
    ServerListing listing;
    if (code == POP3_NEGATIVE) {
        // A server without ids: the numbers the last check gave are all there is.
        for (const CMail* mail : mails) {
            numbers.push_back(mail->m_nNumber);
        }
        return POP3_OK;
    }
    if (code != POP3_OK) {
        return code;
    }
    if (!ParseServerListing(reply, ListingKind::Uid, kAnyNumber, listing)) {
        return ProtocolFailure();
    }
    for (const CMail* mail : mails) {
        numbers.push_back(listing.NumberOf(mail->m_strUidl));
    }
    m_uidListing = std::move(listing);
    return POP3_OK;
}

bool CAccount::ReloadMails(const std::vector<CMail*>& mails, unsigned lines,
                           const std::string& prefix, IHost* pWnd) {
    std::vector<unsigned> numbers;
    int code = ReloadNumbers(mails, numbers);
    if (code != POP3_OK) {
        m_uidListing.values.clear();
        ReportName(code == POP3_CANCELLED ? txt::kStopReload : txt::kReceiveFailed);
        return code == POP3_CANCELLED;
    }
    code = RunReload(mails, numbers, lines, prefix, pWnd);
    m_uidListing.values.clear();
    return code == POP3_OK || code == POP3_CANCELLED;
}

int CAccount::RunReload(const std::vector<CMail*>& mails, const std::vector<unsigned>& numbers,
                        unsigned lines, const std::string& prefix, IHost* pWnd) {
    const size_t found = static_cast<size_t>(
        std::count_if(numbers.begin(), numbers.end(), [](unsigned n) { return n != 0; }));
    CCommandRun run(m_socket, PipelinesRun(found + 1));
    unsigned last = 0;
    for (unsigned number : numbers) {
        if (number != 0) {
            run.Add(CPop3Socket::TopCommand(number, lines), true);
            last = number;
        }
    }
    // A pipelined run ends with UIDL n of its last mail, whose reply must state that
    // mail's id: a reply lost, doubled or added on the way shifts it.
    const bool sentinel = run.Pipelined() && m_uidListing.ValueOf(last);
    if (sentinel) {
        run.Add(CPop3Socket::NumberCommand("UIDL ", last), false);
    }
    CBodyUndo undo;
    std::string reply;
    const long count = static_cast<long>(mails.size());
    for (long i = 0; i < count; ++i) {
        CMail* mail = mails[static_cast<size_t>(i)];
        if (pWnd) {
            pWnd->SetWindowText(Progress(prefix, txt::kReloadProgress, i + 1, count));
        }
        if (numbers[static_cast<size_t>(i)] == 0) {
            Report(SjisFormat(txt::kReloadNotFound, m_strName.c_str(),
                              LogSafe(mail->m_strSubject).c_str()));
            continue;
        }
        Report(SjisFormat(txt::kReloading, LogSafe(mail->m_strSubject).c_str()));
        int code = run.Next(reply);
        if (code == POP3_OK && StartsWithStrayStatus(reply)) {
            code = ProtocolFailure();
        }
        if (code != POP3_OK) {
            ReportName(code == POP3_CANCELLED ? txt::kStopReload : txt::kReceiveFailed);
            // Replies sent ahead are trusted only once the run's last one is checked; one
            // at a time, only a reply out of step undoes the bodies before it.
            if (run.Pipelined() || !m_socket.IsConnected()) {
                undo.Restore();
            }
            return code;
        }
        undo.Keep(mail);
        ReloadBody(mail, reply, m_bDecode);
    }
    if (!sentinel) {
        return POP3_OK;
    }
    std::string uid;
    int code = run.Next(reply);
    if (code == POP3_OK && (!ParseNumberedReply(reply, ListingKind::Uid, last, uid) ||
                            uid != *m_uidListing.ValueOf(last))) {
        code = ProtocolFailure();
    }
    if (code != POP3_OK) {
        ReportName(code == POP3_CANCELLED ? txt::kStopReload : txt::kReceiveFailed);
        undo.Restore();
    }
    return code;
}

CMail* CAccount::ReloadBody(CMail* pMail, const std::string& reply, int32_t bDecode) {
    pMail->m_strBody.clear();
    const size_t blank = reply.find("\r\n\r\n");
    if (blank == std::string::npos) {
        return pMail;
    }
    // From after the empty line up to the terminating CR LF, dot, CR LF.
    const size_t start = blank + 4;
    const size_t end = reply.size() >= 5 ? reply.size() - 5 : 0;
    if (start >= end) {
        return pMail;
    }
    std::string body = reply.substr(start, end - start);
    if (bDecode) {
        // The header block: after the status line, up to the empty line.
        const size_t headerStart = std::min(reply.find("\r\n") + 2, blank + 2);
        try {
            pMail->m_strBody = DecodeBodyPreview(
                std::string_view(reply).substr(headerStart, blank + 2 - headerStart), body);
        } catch (const std::bad_alloc&) {
            pMail->m_strBody = std::move(body); // as undecoded text, like the seed decoder
        }
        return pMail;
    }
    std::optional<std::string> decoded = DecodeHeaderText(body);
    pMail->m_strBody = decoded ? std::move(*decoded) : std::move(body);
    return pMail;
}

} // namespace tolvane
