// CSecureString: a password on its way from where it lives (the settings file, the keyring,
// a command's output) to the server, in memory that is wiped when it is no longer needed.
//
// Contract:
// - The bytes live in one page of their own, mapped for this string alone: excluded from
//   core dumps (MADV_DONTDUMP) and, where the limit allows, locked out of swap. The
//   buffer never moves or grows, so no copy is left behind by a reallocation.
// - Capacity is kMaxBytes; Append beyond it fails (false) and leaves the string as it was.
// - Clear and the destructor overwrite every byte (explicit_bzero) before the page goes.
// - Moves hand the page over; copies do not exist.
// - Without memory for the page the string stays empty and every Append fails.
#pragma once

#include <cstddef>
#include <string_view>

namespace tolvane {

class CSecureString {
public:
    static constexpr size_t kMaxBytes = 4096 - 1; // one page, less room for a NUL

    CSecureString();
    explicit CSecureString(std::string_view text);
    ~CSecureString();
    CSecureString(CSecureString&& other) noexcept;
    CSecureString& operator=(CSecureString&& other) noexcept;
    CSecureString(const CSecureString&) = delete;
    CSecureString& operator=(const CSecureString&) = delete;

    bool Append(std::string_view text);
    void Clear();
    // Drops trailing bytes from position size on (wiping them).
    void Truncate(size_t size);

    std::string_view View() const { return {m_pData, m_nSize}; }
    const char* Data() const { return m_pData; }
    size_t Size() const { return m_nSize; }
    bool Empty() const { return m_nSize == 0; }
    bool operator==(const CSecureString& other) const { return View() == other.View(); }

private:
    void Release();

    char* m_pData = nullptr;
    size_t m_nSize = 0;
};

// Overwrites the bytes of text that a secret passed through (a command line, a reply buffer).
void WipeString(std::string& text);

} // namespace tolvane
