// The mail store: the archive layout byte for byte, schema 1, damaged input, atomic save.
#include "engine/MailStore.h"

#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int value : values) {
        out.push_back(static_cast<char>(value));
    }
    return out;
}

std::unique_ptr<CMail> MakeMail(const std::string& uidl, uint32_t number, uint32_t state,
                                uint32_t time) {
    auto mail = std::make_unique<CMail>();
    mail->m_strFrom = "from " + uidl;
    mail->m_strSubject = "subject";
    mail->m_strDate = "2024/01/02 03:04:05";
    mail->m_strSize = "1234";
    mail->m_strUidl = uidl;
    mail->m_strBody = "line1\r\nline2\r\n";
    mail->m_strAccount = "pop";
    mail->m_nNumber = number;
    mail->m_bNotPlain = number % 2;
    mail->m_nState = state;
    mail->m_timeReceived = time;
    return mail;
}

void ExpectSameMail(const CMail& a, const CMail& b) {
    EXPECT_EQ(a.m_strFrom, b.m_strFrom);
    EXPECT_EQ(a.m_strSubject, b.m_strSubject);
    EXPECT_EQ(a.m_strDate, b.m_strDate);
    EXPECT_EQ(a.m_strSize, b.m_strSize);
    EXPECT_EQ(a.m_strUidl, b.m_strUidl);
    EXPECT_EQ(a.m_strBody, b.m_strBody);
    EXPECT_EQ(a.m_strAccount, b.m_strAccount);
    EXPECT_EQ(a.m_nNumber, b.m_nNumber);
    EXPECT_EQ(a.m_bNotPlain, b.m_bNotPlain);
    EXPECT_EQ(a.m_nState, b.m_nState);
    EXPECT_EQ(a.m_timeReceived, b.m_timeReceived);
}

// A record body with one-letter strings, written by hand.
std::string Body(char letter, uint32_t number, uint32_t state, const std::string& time) {
    std::string body;
    for (int i = 0; i < 7; ++i) {
        body += Bytes({1, letter});
    }
    body += Bytes({static_cast<int>(number), 0, 0, 0, 0, 0, 0, 0});
    body += Bytes({static_cast<int>(state), 0, 0, 0});
    return body + time;
}

std::string ClassHeader(int schema) {
    return Bytes({0xFF, 0xFF, schema, 0, 5, 0}) + "CMail";
}

MailList ThreeLetterMails() {
    MailList mails;
    for (char letter : {'a', 'b', 'c'}) {
        auto mail = std::make_unique<CMail>();
        std::string text(1, letter);
        mail->m_strFrom = mail->m_strSubject = mail->m_strDate = mail->m_strSize = text;
        mail->m_strUidl = mail->m_strBody = mail->m_strAccount = text;
        mail->m_nNumber = static_cast<uint32_t>(letter - 'a' + 1);
        mail->m_nState = MAIL_KNOWN;
        mail->m_timeReceived = 0x11223344;
        mails.push_back(std::move(mail));
    }
    return mails;
}

TEST(MailStoreLayout, ThreeRecordsByteForByte) {
    const std::string time = Bytes({0x44, 0x33, 0x22, 0x11});
    const std::string expected = Bytes({3, 0}) + ClassHeader(2) + Body('a', 1, 2, time) +
                                 Bytes({0x01, 0x80}) + Body('b', 2, 2, time) + Bytes({0x01, 0x80}) +
                                 Body('c', 3, 2, time);
    const MailList mails = ThreeLetterMails();
    EXPECT_EQ(EncodeMailStore(mails), expected);

    MailList decoded;
    ASSERT_TRUE(DecodeMailStore(expected, 0, decoded));
    ASSERT_EQ(decoded.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        ExpectSameMail(*decoded[i], *mails[i]);
    }
}

TEST(MailStoreLayout, RoundTripKeepsEveryField) {
    MailList mails;
    mails.push_back(MakeMail("uid-1", 1, MAIL_NEW, 1700000000));
    mails.push_back(MakeMail("uid-2", 2, MAIL_EXPIRED, 0xFFFFFFFF));
    mails.back()->m_strSubject = "\x83\x65\x83\x58\x83\x67"; // CP932 text, bytes kept as is
    mails.back()->m_strBody.clear();
    MailList decoded;
    ASSERT_TRUE(DecodeMailStore(EncodeMailStore(mails), 0, decoded));
    ASSERT_EQ(decoded.size(), 2u);
    ExpectSameMail(*decoded[0], *mails[0]);
    ExpectSameMail(*decoded[1], *mails[1]);
}

struct PrefixCase {
    size_t length;
    std::string prefix;
};

class MailStorePrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(MailStorePrefix, LengthPrefixAndRoundTrip) {
    const PrefixCase& c = GetParam();
    MailList mails;
    mails.push_back(std::make_unique<CMail>());
    mails[0]->m_strFrom.assign(c.length, 'x');
    const std::string bytes = EncodeMailStore(mails);
    const size_t start = 2 + 11; // count word, class header
    EXPECT_EQ(bytes.substr(start, c.prefix.size()), c.prefix);
    EXPECT_EQ(bytes.substr(start + c.prefix.size(), c.length), mails[0]->m_strFrom);

    MailList decoded;
    ASSERT_TRUE(DecodeMailStore(bytes, 0, decoded));
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0]->m_strFrom, mails[0]->m_strFrom);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, MailStorePrefix,
    ::testing::Values(PrefixCase{0, Bytes({0x00})}, PrefixCase{254, Bytes({0xFE})},
                      PrefixCase{255, Bytes({0xFF, 0xFF, 0x00})},
                      PrefixCase{0xFFFD, Bytes({0xFF, 0xFD, 0xFF})},
                      PrefixCase{0xFFFE, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
                      PrefixCase{0x10000, Bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})}));

TEST(MailStoreLayout, CountsFromFFFFUseTheDwordForm) {
    for (size_t count : {size_t{0xFFFE}, size_t{0xFFFF}, size_t{0x10001}}) {
        MailList mails;
        for (size_t i = 0; i < count; ++i) {
            mails.push_back(std::make_unique<CMail>());
            mails.back()->m_nNumber = static_cast<uint32_t>(i + 1);
        }
        const std::string bytes = EncodeMailStore(mails);
        if (count < 0xFFFF) {
            EXPECT_EQ(bytes.substr(0, 2), Bytes({0xFE, 0xFF}));
        } else {
            EXPECT_EQ(bytes.substr(0, 6).substr(0, 2), Bytes({0xFF, 0xFF}));
            uint32_t stored = static_cast<unsigned char>(bytes[2]) |
                              static_cast<unsigned char>(bytes[3]) << 8 |
                              static_cast<unsigned char>(bytes[4]) << 16 |
                              static_cast<uint32_t>(static_cast<unsigned char>(bytes[5])) << 24;
            EXPECT_EQ(stored, count);
        }
        MailList decoded;
        ASSERT_TRUE(DecodeMailStore(bytes, 0, decoded)) << count;
        ASSERT_EQ(decoded.size(), count);
        EXPECT_EQ(decoded.back()->m_nNumber, count);
    }
}

TEST(MailStoreLayout, ZeroCountIsAnEmptyStore) {
    MailList decoded;
    EXPECT_TRUE(DecodeMailStore(Bytes({0, 0}), 0, decoded));
    EXPECT_TRUE(decoded.empty());
    EXPECT_TRUE(DecodeMailStore(Bytes({0xFF, 0xFF, 0, 0, 0, 0}), 0, decoded));
    EXPECT_TRUE(decoded.empty());
}

TEST(MailStoreLayout, SchemaOneGetsTheLoadTime) {
    const std::string bytes = Bytes({2, 0}) + ClassHeader(1) + Body('a', 7, MAIL_NEW, "") +
                              Bytes({0x01, 0x80}) + Body('b', 8, MAIL_KNOWN, "");
    MailList decoded;
    ASSERT_TRUE(DecodeMailStore(bytes, 1234567890u, decoded));
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[0]->m_strUidl, "a");
    EXPECT_EQ(decoded[0]->m_nNumber, 7u);
    EXPECT_EQ(decoded[0]->m_nState, MAIL_NEW);
    EXPECT_EQ(decoded[1]->m_strAccount, "b");
    EXPECT_EQ(decoded[1]->m_nState, MAIL_KNOWN);
    for (const auto& mail : decoded) {
        EXPECT_EQ(mail->m_timeReceived, 1234567890u);
    }
}

TEST(MailStoreLayout, TrailingBytesAfterTheLastRecordAreIgnored) {
    MailList decoded;
    EXPECT_TRUE(DecodeMailStore(EncodeMailStore(ThreeLetterMails()) + "junk", 0, decoded));
    EXPECT_EQ(decoded.size(), 3u);
}

// --- damaged input

struct DamagedCase {
    const char* name;
    std::string bytes;
};

class MailStoreDamaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(MailStoreDamaged, RefusedWithAnEmptyList) {
    MailList mails;
    mails.push_back(std::make_unique<CMail>());
    EXPECT_FALSE(DecodeMailStore(GetParam().bytes, 0, mails));
    EXPECT_TRUE(mails.empty());
}

const std::string kTime = Bytes({0, 0, 0, 0});
const std::string kOneBody = Body('a', 1, MAIL_KNOWN, kTime);

INSTANTIATE_TEST_SUITE_P(
    Inputs, MailStoreDamaged,
    ::testing::Values(
        DamagedCase{"Empty", ""}, DamagedCase{"HalfCount", Bytes({1})},
        DamagedCase{"OtherClassName", Bytes({1, 0, 0xFF, 0xFF, 2, 0, 5, 0}) + "CMain" + kOneBody},
        DamagedCase{"OtherNameLength", Bytes({1, 0, 0xFF, 0xFF, 2, 0, 6, 0}) + "CMailX" + kOneBody},
        DamagedCase{"SchemaZero", Bytes({1, 0}) + ClassHeader(0) + kOneBody},
        DamagedCase{"SchemaThree", Bytes({1, 0}) + ClassHeader(3) + kOneBody},
        DamagedCase{"FirstRecordIsAReference", Bytes({1, 0, 0x01, 0x80}) + kOneBody},
        DamagedCase{"UnknownTag",
                    Bytes({2, 0}) + ClassHeader(2) + kOneBody + Bytes({0x02, 0x80}) + kOneBody},
        DamagedCase{"ObjectReferenceTag",
                    Bytes({2, 0}) + ClassHeader(2) + kOneBody + Bytes({0x01, 0x00}) + kOneBody},
        DamagedCase{"SecondClassHeader",
                    Bytes({2, 0}) + ClassHeader(2) + kOneBody + ClassHeader(2) + kOneBody},
        DamagedCase{"AbsurdCount",
                    Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + ClassHeader(2) + kOneBody},
        DamagedCase{"CountBeyondTheBytes",
                    Bytes({0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}) + ClassHeader(2) + kOneBody},
        DamagedCase{"AbsurdStringLength", Bytes({1, 0}) + ClassHeader(2) +
                                              Bytes({0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF}) +
                                              "abc"},
        DamagedCase{"WideStringMarker", Bytes({1, 0}) + ClassHeader(2) +
                                            Bytes({0xFF, 0xFE, 0xFF, 1, 'a', 0}) + kOneBody}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(MailStoreDamagedTruncation, EveryShorterPrefixOfAStoreIsRefused) {
    MailList mails = ThreeLetterMails();
    mails[1]->m_strBody.assign(300, 'b'); // word-length prefix
    const std::string bytes = EncodeMailStore(mails);
    for (size_t length = 0; length < bytes.size(); ++length) {
        MailList decoded;
        EXPECT_FALSE(DecodeMailStore(std::string_view(bytes).substr(0, length), 0, decoded))
            << length;
        EXPECT_TRUE(decoded.empty());
    }
}

// --- files

class MailStoreFile : public ::testing::Test {
protected:
    fs::path Store() const { return m_dir.Path() / "pop.dat"; }
    TempDir m_dir;
};

TEST_F(MailStoreFile, WrittenPrivatelyAndReadBackAppended) {
    MailList mails = ThreeLetterMails();
    ASSERT_TRUE(WriteMailStore(Store(), mails));
    struct stat st {};
    ASSERT_EQ(::stat(Store().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFileBytes(Store()), EncodeMailStore(mails));

    MailList read;
    read.push_back(MakeMail("earlier", 1, MAIL_NEW, 5));
    EXPECT_EQ(ReadMailStore(Store(), 0, read), StoreReadResult::Ok);
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[0]->m_strUidl, "earlier");
    EXPECT_EQ(read[3]->m_strUidl, "c");
}

TEST_F(MailStoreFile, MissingAndUnreadableLeaveTheListAndTheFolderAlone) {
    MailList mails;
    mails.push_back(MakeMail("kept", 1, MAIL_NEW, 5));
    EXPECT_EQ(ReadMailStore(Store(), 0, mails), StoreReadResult::Missing);
    fs::create_directory(Store());
    EXPECT_EQ(ReadMailStore(Store(), 0, mails), StoreReadResult::Unreadable);
    EXPECT_EQ(mails.size(), 1u);
    EXPECT_TRUE(fs::is_directory(Store()));
    EXPECT_FALSE(fs::exists(Store().string() + ".damaged"));
}

TEST_F(MailStoreFile, DamagedFileIsKeptAsideNeverOverwritingAnOlderOne) {
    const std::string first = EncodeMailStore(ThreeLetterMails()).substr(0, 20);
    const std::string second = Bytes({1, 0}) + ClassHeader(9) + kOneBody;
    const fs::path aside = Store().string() + ".damaged";

    WriteFileBytes(Store(), first);
    MailList mails;
    EXPECT_EQ(ReadMailStore(Store(), 0, mails), StoreReadResult::Damaged);
    EXPECT_TRUE(mails.empty());
    EXPECT_FALSE(fs::exists(Store()));
    EXPECT_EQ(ReadFileBytes(aside), first);

    WriteFileBytes(Store(), second);
    EXPECT_EQ(ReadMailStore(Store(), 0, mails), StoreReadResult::Damaged);
    EXPECT_FALSE(fs::exists(Store()));
    EXPECT_EQ(ReadFileBytes(aside), first);
    EXPECT_EQ(ReadFileBytes(aside.string() + ".1"), second);
}

TEST_F(MailStoreFile, FailedSaveLeavesThePreviousFile) {
    MailList old;
    old.push_back(MakeMail("old", 1, MAIL_KNOWN, 5));
    ASSERT_TRUE(WriteMailStore(Store(), old));
    const std::string before = ReadFileBytes(Store());

    MailList big;
    big.push_back(MakeMail("new", 1, MAIL_NEW, 6));
    big[0]->m_strBody.assign(8192, 'n');

    // A file-size limit fails the write part-way, like a full disk, even for root.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteMailStore(Store(), big);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFileBytes(Store()), before);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(m_dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

} // namespace
} // namespace tolvane
