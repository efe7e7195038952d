// The reload job: fetches the selected mails again with another number of body lines and
// replaces their body previews; nothing else of the records changes.
#include "engine/Account.h"

#include "engine/BodyPreview.h"
#include "engine/CommandRun.h"
#include "engine/HeaderDecoder.h"
#include "engine/JobTexts.h"

#include <algorithm>
#include <new>

namespace tolvane {

bool CAccount::ReloadMails(const std::vector<CMail*>& mails, unsigned lines,
                           const std::string& prefix, IHost* pWnd) {
    const long count = static_cast<long>(mails.size());
    std::string reply;
    // The numbers are the ones the last check gave; they are not re-verified here.
    CCommandRun run(m_socket, PipelinesRun(mails.size()));
    for (const CMail* mail : mails) {
        run.Add(CPop3Socket::TopCommand(mail->m_nNumber, lines), true);
    }
    for (long i = 0; i < count; ++i) {
        CMail* mail = mails[static_cast<size_t>(i)];
        if (pWnd) {
            pWnd->SetWindowText(Progress(prefix, txt::kReloadProgress, i + 1, count));
        }
        Report(SjisFormat(txt::kReloading, mail->m_strSubject.c_str()));
        const int code = run.Next(reply);
        if (code == POP3_CANCELLED) {
            ReportName(txt::kStopReload);
            return true;
        }
        if (code != POP3_OK) {
            ReportName(txt::kReceiveFailed);
            return false;
        }
        ReloadBody(mail, reply, m_bDecode);
    }
    return true;
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
