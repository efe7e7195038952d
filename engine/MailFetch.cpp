#include "engine/MailFetch.h"

#include "engine/Clock.h"

#include <memory>

namespace tolvane {

CMailFetch::CMailFetch(CAccount& account, const std::vector<unsigned>& selection,
                       const ServerListing* uids, std::string stat)
    : m_account(account), m_pUids(uids), m_strStat(std::move(stat)),
      m_bOneAtATime(account.m_bPipelining == 0) {
    for (unsigned number : selection) {
        if (number != 0) {
            m_selected.push_back(number);
        }
    }
}

int CMailFetch::Prepare() {
    if (m_selected.empty()) {
        return POP3_OK;
    }
    const bool pipelined = !m_bOneAtATime && m_account.PipelinesRun(m_selected.size() + 1);
    m_run.emplace(m_account.m_socket, pipelined);
    if (!m_bOneAtATime) {
        if (!m_pUids) {
            const int code = ReadListing("UIDL\r\n", ListingKind::Uid, m_ownUids);
            if (code != POP3_OK && code != POP3_NEGATIVE) {
                return code;
            }
            m_bServerUids = code == POP3_OK;
            m_pUids = m_bServerUids ? &m_ownUids : nullptr;
        }
        const int code = ReadListing("LIST\r\n", ListingKind::Size, m_sizes);
        if (code != POP3_OK && code != POP3_NEGATIVE) {
            return code;
        }
        m_bListedSizes = code == POP3_OK;
    }
    for (unsigned number : m_selected) {
        Queue(number);
    }
    if (pipelined) {
        m_run->Add("STAT\r\n", false); // the run's last reply, checked by Finish
    }
    return POP3_OK;
}

void CMailFetch::Queue(unsigned number) {
    m_run->Add(CPop3Socket::TopCommand(number, static_cast<unsigned>(m_account.m_nReceiveCount)),
               true);
    if (!m_bListedSizes) {
        m_run->Add(CPop3Socket::NumberCommand("LIST ", number), false);
    }
    if (m_bOneAtATime) {
        m_run->Add(CPop3Socket::NumberCommand("UIDL ", number), false);
    }
}

int CMailFetch::ReadListing(const char* command, ListingKind kind, ServerListing& listing) {
    std::string reply;
    const int code = m_account.m_socket.Command(command, reply, true, true);
    if (code != POP3_OK) {
        return code;
    }
    const unsigned count = static_cast<unsigned>(m_account.ParseCount(m_strStat));
    if (!ParseServerListing(reply, kind, count, listing) || !listing.Complete(count)) {
        return m_account.ProtocolFailure();
    }
    return POP3_OK;
}

int CMailFetch::ReadSize(unsigned number, std::string& size) {
    if (m_bListedSizes) {
        size = *m_sizes.ValueOf(number); // a complete listing holds every number
    } else {
        std::string reply;
        const int code = m_run->Next(reply);
        if (code != POP3_OK) {
            return code;
        }
        if (!ParseNumberedReply(reply, ListingKind::Size, number, size)) {
            return m_account.ProtocolFailure();
        }
    }
    size = std::to_string(std::stoul(size)); // digits within 32 bits: "0119" shows as 119
    return POP3_OK;
}

int CMailFetch::ReadUid(unsigned number, const CMail& mail, std::string& uid) {
    if (!m_bOneAtATime) {
        uid = m_pUids ? *m_pUids->ValueOf(number) : mail.m_strUidl;
        return POP3_OK;
    }
    std::string reply;
    const int code = m_run->Next(reply);
    if (code == POP3_NEGATIVE && !m_pUids) {
        uid = mail.m_strUidl; // a server without UIDL: the header's id, if any
        return POP3_OK;
    }
    if (code != POP3_OK) {
        return code == POP3_NEGATIVE ? m_account.ProtocolFailure() : code;
    }
    if (!ParseNumberedReply(reply, ListingKind::Uid, number, uid) ||
        (m_pUids && *m_pUids->ValueOf(number) != uid) || !m_seenUids.insert(uid).second) {
        return m_account.ProtocolFailure();
    }
    return POP3_OK;
}

int CMailFetch::Fetch(unsigned number) {
    std::string reply;
    int code = m_run->Next(reply);
    if (code != POP3_OK) {
        return code;
    }
    if (StartsWithStrayStatus(reply)) {
        return m_account.ProtocolFailure();
    }
    std::unique_ptr<CMail> mail(m_account.ParseMail(reply));
    if (!mail) {
        return POP3_ERROR;
    }
    code = ReadSize(number, mail->m_strSize);
    std::string uid;
    if (code == POP3_OK) {
        code = ReadUid(number, *mail, uid);
    }
    if (code != POP3_OK) {
        return code;
    }
    const std::string headerUid = std::move(mail->m_strUidl);
    mail->m_strUidl = std::move(uid);
    if (m_account.m_bNewMailOnly && m_bServerUids &&
        m_account.AdoptFormerRecord(headerUid, mail->m_strUidl)) {
        return POP3_OK;
    }
    mail->m_strAccount = m_account.m_strName;
    mail->m_timeReceived = static_cast<uint32_t>(Clock().Now());
    mail->m_nState = m_account.m_bNewMailOnly ? MAIL_NEW : MAIL_KNOWN;
    m_account.m_mails.push_back(std::move(mail));
    return POP3_OK;
}

int CMailFetch::Finish() {
    if (!m_run || !m_run->Pipelined()) {
        return POP3_OK;
    }
    std::string reply;
    const int code = m_run->Next(reply);
    if (code == POP3_NEGATIVE || (code == POP3_OK && reply != m_strStat)) {
        return m_account.ProtocolFailure();
    }
    return code;
}

} // namespace tolvane
