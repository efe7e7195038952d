// The reload job: fetches the selected mails again with another number of body lines and
// replaces their body previews; nothing else of the records changes.
#include "engine/Account.h"

#include "engine/HeaderDecoder.h"
#include "engine/JobTexts.h"

namespace tolvane {

bool CAccount::ReloadMails(const std::vector<CMail*>& mails, unsigned lines,
                           const std::string& prefix, IHost* pWnd) {
    const long count = static_cast<long>(mails.size());
    std::string reply;
    for (long i = 0; i < count; ++i) {
        CMail* mail = mails[static_cast<size_t>(i)];
        if (pWnd) {
            pWnd->SetWindowText(Progress(prefix, txt::kReloadProgress, i + 1, count));
        }
        Report(SjisFormat(txt::kReloading, mail->m_strSubject.c_str()));
        // The number is the one the last check gave; it is not re-verified here.
        const int code = m_socket.CmdTop(mail->m_nNumber, lines, reply);
        if (code == POP3_CANCELLED) {
            ReportName(txt::kStopReload);
            return true;
        }
        if (code != POP3_OK) {
            ReportName(txt::kReceiveFailed);
            return false;
        }
        ReloadBody(mail, reply);
    }
    return true;
}

CMail* CAccount::ReloadBody(CMail* pMail, const std::string& reply) {
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
    std::optional<std::string> decoded = DecodeHeaderText(body);
    pMail->m_strBody = decoded ? std::move(*decoded) : std::move(body);
    return pMail;
}

} // namespace tolvane
