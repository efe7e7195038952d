// CMail: one mail on a server, as a check found it. Texts are CP932.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

enum : uint32_t {
    MAIL_GONE = 0,    // not in the latest unique-id listing; dropped by CompactMails (new-only)
    MAIL_NEW = 1,     // first seen by the latest check of a new-only account
    MAIL_KNOWN = 2,   // seen before and still on the server
    MAIL_EXPIRED = 3, // known, and its receipt day plus LimitDays has passed
};

class CMail {
public:
    CMail() = default;
    virtual ~CMail() = default;

    std::string m_strFrom;    // decoded From value, double quotes removed
    std::string m_strSubject; // decoded Subject value
    std::string m_strDate;    // yyyy/mm/dd hh:mm:ss, empty without a Date header
    std::string m_strSize;    // size in octets from LIST, "%u"
    std::string m_strUidl;    // X-UIDL value, else the server's UIDL n
    std::string m_strBody;    // decoded preview lines
    std::string m_strAccount; // owning account's name
    uint32_t m_nNumber = 0;   // POP3 message number, from 1
    uint32_t m_bNotPlain = 0; // 1 when Content-Type is present and not text/plain;
    uint32_t m_nState = MAIL_NEW;
    uint32_t m_timeReceived = 0; // first seen: seconds since 1970 UTC
};

} // namespace tolvane
