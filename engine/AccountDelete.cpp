// The deletion job: verified deletion (a fresh unique-id listing gives each mail its
// current number), simple deletion by the stored numbers, and the automatic deletion of
// expired mails at the end of a check. DELE only marks; QUIT commits, and every failure
// or cancel among the DELEs sends RSET so that nothing of this connection is deleted.
#include "engine/Account.h"

#include "engine/CommandRun.h"
#include "engine/JobTexts.h"
#include "engine/LogSafe.h"
#include "engine/ServerListing.h"

#include <algorithm>

namespace tolvane {

namespace {

// The subject of the record at index of the account's list ("" when there is none).
std::string SubjectAt(const CAccount& account, int index) {
    const CMail* mail = account.GetMail(index);
    return mail ? LogSafe(mail->m_strSubject) : std::string();
}

// A question without a host to ask is never taken as a yes: nothing is deleted unasked.
bool AskOk(IHost* pWnd, const std::string& textCp932) {
    return pWnd && pWnd->Ask(textCp932);
}

struct DeleteTarget {
    bool found = false;
    unsigned number = 0; // current number on the server, when found
    int index = -1;      // position in the account's list, to name the mail
};

} // namespace

void CAccount::RestoreAfterStop() {
    ReportName(txt::kStopDelete);
    ReportName(txt::kRestoring);
    std::string reply;
    m_socket.CmdRset(reply);
}

int CAccount::DeleteOne(unsigned number, int index) {
    std::string reply;
    return ReportDelete(m_socket.CmdDele(number, reply), index);
}

int CAccount::ReportDelete(int code, int index) {
    if (index != -1) {
        if (code == POP3_OK) {
            Report(SjisFormat(txt::kDeleted, m_strName.c_str(), SubjectAt(*this, index).c_str()));
        } else if (code != POP3_CANCELLED) {
            Report(
                SjisFormat(txt::kDeleteFailed, m_strName.c_str(), SubjectAt(*this, index).c_str()));
        }
    }
    return code;
}

bool CAccount::DeleteMarked(const std::vector<CMail*>& mails, const std::string& prefix,
                            IHost* pWnd, int& nLast, bool bQuiet) {
    std::string reply;
    nLast = m_socket.CmdUidlAll(reply);
    if (nLast == POP3_CANCELLED) {
        ReportName(txt::kStopDelete);
        return true;
    }
    if (nLast != POP3_OK) {
        Report(SjisFormat(txt::kDeleteListFailed, m_strName.c_str(), m_strName.c_str()));
        return false;
    }
    // Each mail is deleted by the number the server states for its id; a listing that
    // cannot be read that way deletes nothing.
    ServerListing listing;
    if (!ParseServerListing(reply, ListingKind::Uid, kAnyNumber, listing)) {
        Report(SjisFormat(txt::kDeleteInfoFailed, m_strName.c_str(), m_strName.c_str()));
        nLast = ProtocolFailure();
        return false;
    }

    bool changed = listing.values.size() != m_mails.size();
    std::vector<DeleteTarget> targets(mails.size());
    for (size_t i = 0; i < mails.size(); ++i) {
        const CMail& mail = *mails[i];
        targets[i].index = static_cast<int>(mail.m_nNumber) - 1;
        // An empty id is no id (a listed id is never empty).
        targets[i].number = listing.NumberOf(mail.m_strUidl);
        targets[i].found = targets[i].number != 0;
        if (!targets[i].found) {
            changed = true;
        }
    }
    if (changed && !bQuiet &&
        !AskOk(pWnd, SjisFormat(txt::kAskContentChanged, m_strName.c_str()))) {
        ReportName(txt::kDeleteDeclined);
        nLast = POP3_CANCELLED; // stopped by the user, like a cancel: nothing was deleted
        return true;
    }

    const size_t found = static_cast<size_t>(std::count_if(
        targets.begin(), targets.end(), [](const DeleteTarget& target) { return target.found; }));
    CCommandRun run(m_socket, PipelinesRun(found));
    for (const DeleteTarget& target : targets) {
        if (target.found) {
            run.Add(CPop3Socket::NumberCommand("DELE ", target.number), false);
        }
    }
    const long count = static_cast<long>(mails.size());
    unsigned deleted = 0;
    for (long i = 0; i < count; ++i) {
        const DeleteTarget& target = targets[static_cast<size_t>(i)];
        if (pWnd) {
            pWnd->SetWindowText(Progress(prefix, txt::kDeleteProgress, i + 1, count));
        }
        if (!target.found) {
            Report(SjisFormat(txt::kNotFound, m_strName.c_str(),
                              SubjectAt(*this, target.index).c_str()));
            continue;
        }
        nLast = ReportDelete(run.Next(reply), target.index);
        if (nLast == POP3_CANCELLED) {
            RestoreAfterStop();
            return true;
        }
        if (nLast != POP3_OK) {
            m_socket.CmdRset(reply);
            return false;
        }
        ++deleted;
    }
    if (!bQuiet) {
        Report(SjisFormat(txt::kDeletedCount, m_strName.c_str(), deleted));
    }
    return true;
}

bool CAccount::SimpleDeleteMails(const std::vector<CMail*>& mails, const std::string& prefix,
                                 IHost* pWnd, int& nLast) {
    ReportName(txt::kSimpleDeleting);
    std::string reply;
    CCommandRun run(m_socket, PipelinesRun(mails.size()));
    for (const CMail* mail : mails) {
        run.Add(CPop3Socket::NumberCommand("DELE ", mail->m_nNumber), false);
    }
    const long count = static_cast<long>(mails.size());
    for (long i = 0; i < count; ++i) {
        if (pWnd) {
            pWnd->SetWindowText(Progress(prefix, txt::kDeleteProgress, i + 1, count));
        }
        nLast = run.Next(reply);
        if (nLast == POP3_CANCELLED) {
            RestoreAfterStop();
            return true;
        }
        if (nLast != POP3_OK) {
            ReportName(txt::kSimpleContentChanged);
            m_socket.CmdRset(reply);
            return false;
        }
    }
    Report(SjisFormat(txt::kSimpleDeleted, m_strName.c_str(), static_cast<unsigned>(count)));
    return true;
}

void CAccount::ExpireMails(IHost* pWnd) {
    if (!m_bLimitDelete || m_mails.empty()) {
        return;
    }
    std::vector<CMail*> expired;
    for (auto& mail : m_mails) {
        if (mail->m_nState == MAIL_EXPIRED) {
            expired.push_back(mail.get());
        }
    }
    if (expired.empty()) {
        ReportName(txt::kNoExpired);
        return;
    }
    const unsigned count = static_cast<unsigned>(expired.size());
    if (m_bConfLimitDelete && !AskOk(pWnd, SjisFormat(txt::kAskExpire, m_strName.c_str(), count))) {
        ReportName(txt::kExpireDeclined);
        return;
    }
    ReportName(txt::kExpireStart);
    int nLast = POP3_OK;
    if (!DeleteMarked(expired, Sjis(txt::kExpirePrefix), pWnd, nLast, true) || nLast != POP3_OK) {
        return; // they stay MAIL_EXPIRED and are asked about again at the next check
    }
    for (auto& mail : m_mails) {
        if (mail->m_nState == MAIL_EXPIRED) {
            mail->m_nState = MAIL_GONE;
            m_arrExpiredIds.push_back(mail->m_strUidl);
        }
    }
    Report(SjisFormat(txt::kExpired, m_strName.c_str(), count));
}

} // namespace tolvane
