// Any TOP reply given to ParseMail (and ReloadBody): no crash, no leak; a record always;
// the not-plain flag is 0 or 1; no decoded field is longer than the reply; the unique id
// is the X-UIDL value as written.
#include "engine/Account.h"
#include "fuzz/Require.h"

#include <cstdint>
#include <memory>
#include <string>

using tolvane::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tolvane::CAccount;
    static CAccount account(nullptr, nullptr); // ParseMail reads nothing of it
    const std::string reply(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<tolvane::CMail> mail(account.ParseMail(reply));
    Require(mail != nullptr);
    Require(mail->m_bNotPlain == 0 || mail->m_bNotPlain == 1);
    for (const std::string* field :
         {&mail->m_strFrom, &mail->m_strSubject, &mail->m_strBody, &mail->m_strUidl}) {
        Require(field->size() <= reply.size());
    }
    Require(mail->m_strUidl == CAccount::GetHeader(reply, "\r\nX-UIDL:"));
    Require(CAccount::ReloadBody(mail.get(), reply) == mail.get());
    return 0;
}
