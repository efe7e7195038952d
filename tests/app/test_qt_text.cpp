// The conversion header between the engine's CP932 bytes and Qt's strings.
#include "app/widgets/QtText.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(QtText, Cp932RoundTripKeepsJapaneseAndMarksWhatCp932Lacks) {
    const std::string cp932 = "\x83\x67\x83\x8B\x83\x94\x83\x46\x83\x43\x83\x93"; // トルヴェイン
    const QString text = FromCp932(cp932);
    EXPECT_EQ(text, QString::fromUtf8("トルヴェイン"));
    EXPECT_EQ(ToCp932(text), cp932);
    // A trail byte that looks like a backslash stays part of its character.
    EXPECT_EQ(FromCp932("\x95\x5C"), QString::fromUtf8("表"));
    // A character CP932 cannot hold becomes "?".
    EXPECT_EQ(ToCp932(QString::fromUtf8("a😀b")), "a?b");
}

TEST(QtText, PathsStayUtf8Bytes) {
    const std::filesystem::path path = "/tmp/données/メール.txt";
    EXPECT_EQ(ToPath(FromPath(path)), path);
    EXPECT_EQ(FromPath(path), QString::fromUtf8("/tmp/données/メール.txt"));
}

} // namespace
} // namespace tolvane
