#include "app/maillist/MailOrder.h"

#include <cstdlib>

namespace tolvane::gui {

long long SizeValue(const std::string& size) {
    return std::strtoll(size.c_str(), nullptr, 10);
}

int CompareMails(const CMail& a, const CMail& b, int column) {
    switch (column) {
    case 0:
        return a.m_strSubject.compare(b.m_strSubject);
    case 1:
        return a.m_strFrom.compare(b.m_strFrom);
    case 2: {
        const long long left = SizeValue(a.m_strSize);
        const long long right = SizeValue(b.m_strSize);
        return left < right ? -1 : (left > right ? 1 : 0);
    }
    case 3:
        return a.m_strDate.compare(b.m_strDate);
    case 4:
        return a.m_strAccount.compare(b.m_strAccount);
    default:
        return 0;
    }
}

} // namespace tolvane::gui
