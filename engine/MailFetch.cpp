#include "engine/MailFetch.h"

#include "engine/Clock.h"
#include "platform/Texts.h"

#include <algorithm>
#include <memory>

namespace tolvane {

namespace {

// Whether the commands of the selected messages go out pipelined (asks CAPA once).
bool Pipelined(CAccount& account, const std::vector<unsigned>& selection) {
    const size_t selected = static_cast<size_t>(std::count_if(
        selection.begin(), selection.end(), [](unsigned number) { return number != 0; }));
    return selected > 0 && account.PipelinesRun(selected * 3);
}

} // namespace

CMailFetch::CMailFetch(CAccount& account, const std::vector<unsigned>& selection,
                       const std::string& uidListing)
    : m_account(account), m_run(account.m_socket, Pipelined(account, selection)) {
    const bool any = std::any_of(selection.begin(), selection.end(),
                                 [](unsigned number) { return number != 0; });
    if (!any) {
        return;
    }
    if (m_run.Pipelined()) {
        const unsigned lines = static_cast<unsigned>(account.m_nReceiveCount);
        for (unsigned number : selection) {
            if (number != 0) {
                m_run.Add(CPop3Socket::TopCommand(number, lines), true);
                m_run.Add(CPop3Socket::NumberCommand("LIST ", number), false);
                m_run.Add(CPop3Socket::NumberCommand("UIDL ", number), false);
            }
        }
        return;
    }
    if (!account.m_bPipelining) {
        return; // one command at a time, each after the reply before it
    }
    const unsigned count = static_cast<unsigned>(selection.size());
    if (uidListing.empty() || !CAccount::ParseListingLines(uidListing, count, m_uidLines)) {
        m_uidLines = Listing("UIDL\r\n", count);
    }
    m_sizeLines = Listing("LIST\r\n", count);
}

std::vector<std::string> CMailFetch::Listing(const char* command, unsigned count) {
    std::string reply;
    std::vector<std::string> lines;
    if (m_account.m_socket.Command(command, reply, true, true) != POP3_OK ||
        !CAccount::ParseListingLines(reply, count, lines)) {
        lines.clear();
    }
    return lines;
}

std::string CMailFetch::ListedReply(const std::vector<std::string>& lines, unsigned number) {
    return "+OK " + lines[number - 1] + "\r\n";
}

int CMailFetch::Fetch(unsigned number) {
    const bool pipelined = m_run.Pipelined();
    std::string reply;
    if (!pipelined) {
        m_run.Add(CPop3Socket::TopCommand(number, static_cast<unsigned>(m_account.m_nReceiveCount)),
                  true);
    }
    int code = m_run.Next(reply);
    if (code != POP3_OK) {
        return code;
    }
    std::unique_ptr<CMail> mail(m_account.ParseMail(reply));
    if (!mail) {
        return POP3_ERROR;
    }
    if (!m_sizeLines.empty()) {
        reply = ListedReply(m_sizeLines, number);
    } else {
        if (!pipelined) {
            m_run.Add(CPop3Socket::NumberCommand("LIST ", number), false);
        }
        code = m_run.Next(reply);
        if (code != POP3_OK) {
            return code;
        }
    }
    mail->m_strSize = SjisFormat("%u", static_cast<uint32_t>(CAccount::ParseSize(reply)));
    const bool needsUid = mail->m_strUidl.empty();
    if (needsUid && !m_uidLines.empty()) {
        mail->m_strUidl = CAccount::ParseUid(ListedReply(m_uidLines, number));
    } else if (needsUid || pipelined) {
        if (!pipelined) {
            m_run.Add(CPop3Socket::NumberCommand("UIDL ", number), false);
        }
        code = m_run.Next(reply);
        if (needsUid) {
            if (code == POP3_OK) {
                mail->m_strUidl = CAccount::ParseUid(reply);
            } else if (code != POP3_NEGATIVE) {
                // A cancel or a broken line, not a server without ids: a record kept with
                // no id would end every later new-only matching.
                return code;
            }
        }
    }
    mail->m_strAccount = m_account.m_strName;
    mail->m_timeReceived = static_cast<uint32_t>(Clock().Now());
    mail->m_nState = m_account.m_bNewMailOnly ? MAIL_NEW : MAIL_KNOWN;
    m_account.m_mails.push_back(std::move(mail));
    return POP3_OK;
}

} // namespace tolvane
