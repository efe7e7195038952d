#include "engine/MailStore.h"

#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace {

constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassReference = 0x8001; // the class introduced by the first record
constexpr uint16_t kBigCount = 0xFFFF;       // a dword count follows
constexpr uint16_t kSchema = 2;
constexpr char kClassName[] = "CMail";
constexpr size_t kClassNameLength = sizeof(kClassName) - 1;
constexpr size_t kStringFields = 7;
// Smallest record on file: a tag, seven empty strings and three dwords (schema 1). A count
// larger than the remaining bytes allow is refused before anything is reserved.
constexpr size_t kMinRecordBytes = 2 + kStringFields + 3 * 4;
// No store comes near this; a larger file is kept aside rather than read into memory.
constexpr off_t kMaxStoreBytes = off_t{1} << 30;

// --- writing

void PutWord(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void PutDword(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void PutString(std::string& out, const std::string& text) {
    const size_t length = text.size();
    if (length < 0xFF) {
        out.push_back(static_cast<char>(length));
    } else if (length < 0xFFFE) {
        out.push_back(static_cast<char>(0xFF));
        PutWord(out, static_cast<uint16_t>(length));
    } else {
        out.push_back(static_cast<char>(0xFF));
        PutWord(out, 0xFFFF);
        PutDword(out, static_cast<uint32_t>(length));
    }
    out += text;
}

void PutBody(std::string& out, const CMail& mail) {
    for (const std::string* field :
         {&mail.m_strFrom, &mail.m_strSubject, &mail.m_strDate, &mail.m_strSize, &mail.m_strUidl,
          &mail.m_strBody, &mail.m_strAccount}) {
        PutString(out, *field);
    }
    PutDword(out, mail.m_nNumber);
    PutDword(out, mail.m_bNotPlain);
    PutDword(out, mail.m_nState);
    PutDword(out, mail.m_timeReceived);
}

// --- reading: a cursor over the bytes; every Get fails instead of reading past the end.

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_rest(bytes) {}

    size_t Remaining() const { return m_rest.size(); }

    bool GetWord(uint16_t& value) {
        if (m_rest.size() < 2) {
            return false;
        }
        value = static_cast<uint16_t>(Byte(0) | (Byte(1) << 8));
        m_rest.remove_prefix(2);
        return true;
    }

    bool GetDword(uint32_t& value) {
        if (m_rest.size() < 4) {
            return false;
        }
        value = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (Byte(3) << 24);
        m_rest.remove_prefix(4);
        return true;
    }

    bool GetBytes(size_t length, std::string_view& bytes) {
        if (m_rest.size() < length) {
            return false;
        }
        bytes = m_rest.substr(0, length);
        m_rest.remove_prefix(length);
        return true;
    }

    bool GetString(std::string& text) {
        std::string_view prefix;
        if (!GetBytes(1, prefix)) {
            return false;
        }
        uint32_t length = static_cast<unsigned char>(prefix[0]);
        if (length == 0xFF) {
            uint16_t word = 0;
            if (!GetWord(word)) {
                return false;
            }
            length = word;
            if (word == 0xFFFE) {
                return false; // a wide-character string: never written by this program
            }
            if (word == 0xFFFF && !GetDword(length)) {
                return false;
            }
        }
        std::string_view bytes;
        if (!GetBytes(length, bytes)) {
            return false; // checked against the remaining bytes before allocating
        }
        text.assign(bytes);
        return true;
    }

private:
    uint32_t Byte(size_t index) const { return static_cast<unsigned char>(m_rest[index]); }

    std::string_view m_rest;
};

bool GetCount(Reader& in, uint32_t& count) {
    uint16_t word = 0;
    if (!in.GetWord(word)) {
        return false;
    }
    count = word;
    return word != kBigCount || in.GetDword(count);
}

// The class header of the first record: only "CMail" of schema 1 or 2 is known. Other
// schema numbers are refused: their layout is unknown, and reading them as one of ours
// could turn a file of a later release into wrong records; refusing keeps it aside whole.
bool GetClassHeader(Reader& in, uint16_t& schema) {
    uint16_t tag = 0;
    uint16_t nameLength = 0;
    std::string_view name;
    return in.GetWord(tag) && tag == kNewClassTag && in.GetWord(schema) &&
           (schema == 1 || schema == 2) && in.GetWord(nameLength) &&
           nameLength == kClassNameLength && in.GetBytes(nameLength, name) && name == kClassName;
}

bool GetBody(Reader& in, uint16_t schema, uint32_t loadTime, CMail& mail) {
    for (std::string* field :
         {&mail.m_strFrom, &mail.m_strSubject, &mail.m_strDate, &mail.m_strSize, &mail.m_strUidl,
          &mail.m_strBody, &mail.m_strAccount}) {
        if (!in.GetString(*field)) {
            return false;
        }
    }
    if (!in.GetDword(mail.m_nNumber) || !in.GetDword(mail.m_bNotPlain) ||
        !in.GetDword(mail.m_nState)) {
        return false;
    }
    if (schema == 1) {
        mail.m_timeReceived = loadTime; // expiry counts from the first run that reads it
        return true;
    }
    return in.GetDword(mail.m_timeReceived);
}

bool GetRecord(Reader& in, bool first, uint16_t& schema, uint32_t loadTime, MailList& mails) {
    if (first) {
        if (!GetClassHeader(in, schema)) {
            return false;
        }
    } else {
        uint16_t tag = 0;
        if (!in.GetWord(tag) || tag != kClassReference) {
            return false;
        }
    }
    auto mail = std::make_unique<CMail>();
    if (!GetBody(in, schema, loadTime, *mail)) {
        return false;
    }
    mails.push_back(std::move(mail));
    return true;
}

enum class FileRead { Ok, Missing, Unreadable, TooLarge };

FileRead ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
    // O_NONBLOCK: a FIFO put in the store's place must not hang the start-up. O_NOFOLLOW:
    // a link there is no store of ours (the next save replaces the link itself).
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        return errno == ENOENT ? FileRead::Missing : FileRead::Unreadable;
    }
    struct stat st {};
    FileRead result = FileRead::Ok;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result = FileRead::Unreadable;
    } else if (st.st_size > kMaxStoreBytes) {
        result = FileRead::TooLarge;
    } else {
        bytes.clear();
        bytes.reserve(static_cast<size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                result = FileRead::Unreadable;
                break;
            }
            if (got == 0) {
                break;
            }
            if (bytes.size() + static_cast<size_t>(got) > static_cast<size_t>(kMaxStoreBytes)) {
                result = FileRead::TooLarge;
                break;
            }
            bytes.append(buffer, static_cast<size_t>(got));
        }
    }
    ::close(fd);
    return result;
}

} // namespace

std::string EncodeMailStore(const MailList& mails) {
    std::string out;
    const size_t count = mails.size();
    if (count < kBigCount) {
        PutWord(out, static_cast<uint16_t>(count));
    } else {
        PutWord(out, kBigCount);
        PutDword(out, static_cast<uint32_t>(count));
    }
    for (size_t i = 0; i < count; ++i) {
        if (i == 0) {
            PutWord(out, kNewClassTag);
            PutWord(out, kSchema);
            PutWord(out, static_cast<uint16_t>(kClassNameLength));
            out.append(kClassName, kClassNameLength);
        } else {
            PutWord(out, kClassReference);
        }
        PutBody(out, *mails[i]);
    }
    return out;
}

bool DecodeMailStore(std::string_view bytes, uint32_t loadTime, MailList& mails) {
    mails.clear();
    Reader in(bytes);
    uint32_t count = 0;
    if (!GetCount(in, count) || count > in.Remaining() / kMinRecordBytes) {
        return false;
    }
    MailList decoded;
    decoded.reserve(count);
    uint16_t schema = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (!GetRecord(in, i == 0, schema, loadTime, decoded)) {
            return false;
        }
    }
    mails = std::move(decoded);
    return true;
}

StoreReadResult ReadMailStore(const std::filesystem::path& path, uint32_t loadTime,
                              MailList& mails) {
    std::string bytes;
    MailList decoded;
    switch (ReadWholeFile(path, bytes)) {
    case FileRead::Missing:
        return StoreReadResult::Missing;
    case FileRead::Unreadable:
        return StoreReadResult::Unreadable;
    case FileRead::TooLarge:
        break;
    case FileRead::Ok:
        if (DecodeMailStore(bytes, loadTime, decoded)) {
            for (auto& mail : decoded) {
                mails.push_back(std::move(mail));
            }
            return StoreReadResult::Ok;
        }
        break;
    }
    // Kept for the user to inspect or recover; the account starts without it.
    MoveAside(path, ".damaged");
    return StoreReadResult::Damaged;
}

bool WriteMailStore(const std::filesystem::path& path, const MailList& mails) {
    return WriteFileAtomic(path, EncodeMailStore(mails), 0600);
}

} // namespace tolvane
