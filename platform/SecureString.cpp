#include "platform/SecureString.h"

#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace tolvane {

namespace {

constexpr size_t kPageBytes = CSecureString::kMaxBytes + 1;

char* MapPage() {
    void* page =
        ::mmap(nullptr, kPageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) {
        return nullptr;
    }
    ::madvise(page, kPageBytes, MADV_DONTDUMP);
    ::mlock(page, kPageBytes); // out of swap where RLIMIT_MEMLOCK allows; fine without
    return static_cast<char*>(page);
}

} // namespace

CSecureString::CSecureString() : m_pData(MapPage()) {}

CSecureString::CSecureString(std::string_view text) : CSecureString() {
    Append(text);
}

CSecureString::~CSecureString() {
    Release();
}

CSecureString::CSecureString(CSecureString&& other) noexcept
    : m_pData(other.m_pData), m_nSize(other.m_nSize) {
    other.m_pData = nullptr;
    other.m_nSize = 0;
}

CSecureString& CSecureString::operator=(CSecureString&& other) noexcept {
    if (this != &other) {
        Release();
        m_pData = other.m_pData;
        m_nSize = other.m_nSize;
        other.m_pData = nullptr;
        other.m_nSize = 0;
    }
    return *this;
}

void CSecureString::Release() {
    if (m_pData == nullptr) {
        return;
    }
    ::explicit_bzero(m_pData, kPageBytes);
    ::munlock(m_pData, kPageBytes);
    ::munmap(m_pData, kPageBytes);
    m_pData = nullptr;
    m_nSize = 0;
}

bool CSecureString::Append(std::string_view text) {
    if (m_pData == nullptr || text.size() > kMaxBytes - m_nSize) {
        return false;
    }
    std::memcpy(m_pData + m_nSize, text.data(), text.size());
    m_nSize += text.size();
    return true;
}

void CSecureString::Clear() {
    Truncate(0);
}

void CSecureString::Truncate(size_t size) {
    if (m_pData != nullptr && size < m_nSize) {
        ::explicit_bzero(m_pData + size, m_nSize - size);
        m_nSize = size;
    }
}

void WipeString(std::string& text) {
    ::explicit_bzero(text.data(), text.capacity());
    text.clear();
}

} // namespace tolvane
