#include "platform/SettingsFormat.h"

#include "tests/support/SettingsFileText.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// A file as the tree writes it: escapes, a key without values, negative and large
// integers, the unnamed value and a Japanese account name.
const std::string kCanonical =
    std::string(test::kSettingsFileStart) +
    "\"Version\"=\"3.0.1\"\n"
    "@=\"unnamed\"\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\pop]\n"
    "\"Password\"=\"se\\\"cret\\\\x\\n\\r\\t=[]\"\n"
    "\"PortNo\"=dword:0000006e\n"
    "\"Minus\"=dword:ffffffff\n"
    "\"Lowest\"=dword:80000000\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\メール]\n"
    "\"Username\"=\"太郎\"\n";

TEST(SettingsFormat, CanonicalFileReadsBackByteForByte) {
    SettingsNode root;
    size_t errorLine = 0;
    ASSERT_TRUE(ParseSettings(kCanonical, root, &errorLine)) << "line " << errorLine;
    EXPECT_EQ(SerializeSettings(root), kCanonical);

    const SettingsNode* account = root.FindChild("Software")
                                      ->FindChild("Orrindale")
                                      ->FindChild("Tolvane")
                                      ->FindChild("Account");
    ASSERT_NE(account, nullptr);
    const SettingsNode* pop = account->FindChild("POP");
    ASSERT_NE(pop, nullptr);
    EXPECT_EQ(pop->FindValue("password")->text, "se\"cret\\x\n\r\t=[]");
    EXPECT_EQ(pop->FindValue("PortNo")->AsInt(), 110);
    EXPECT_EQ(pop->FindValue("Minus")->AsInt(), -1);
    EXPECT_EQ(pop->FindValue("Lowest")->AsInt(), INT32_MIN);
    const SettingsNode* japanese = account->FindChild("メール");
    ASSERT_NE(japanese, nullptr);
    EXPECT_EQ(japanese->FindValue("Username")->text, "太郎");
    EXPECT_EQ(root.FindChild("software")
                  ->FindChild("orrindale")
                  ->FindChild("tolvane")
                  ->FindValue("")
                  ->text,
              "unnamed");
}

TEST(SettingsFormat, WrittenTextParsesToTheSameText) {
    SettingsNode root;
    SettingsNode& pop = root.AddChild("Software").AddChild("pop");
    pop.SetValue({"Text", REG_SZ, "a\"b\\c\nd\re\tf", 0});
    pop.SetValue({"Int", REG_DWORD, "", static_cast<uint32_t>(-12345)});
    root.AddChild("Software").AddChild("Empty");
    root.SetValue({"RootValue", REG_SZ, "", 0});
    std::string text = SerializeSettings(root);
    SettingsNode again;
    ASSERT_TRUE(ParseSettings(text, again));
    EXPECT_EQ(SerializeSettings(again), text);
    EXPECT_EQ(again.FindChild("software")->FindChild("POP")->FindValue("int")->AsInt(), -12345);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER]\n\"RootValue\"=\"\"\n"), std::string::npos);
}

TEST(SettingsFormat, SubKeysSortIgnoringCaseAndKeepTheirCase) {
    SettingsNode root;
    for (const char* name : {"gamma", "Beta", "alpha", "Delta", "Ｂ"}) {
        root.AddChild(name);
    }
    bool created = true;
    root.AddChild("ALPHA", &created);
    EXPECT_FALSE(created);
    std::vector<std::string> names;
    for (const SettingsNode& child : root.children) {
        names.push_back(child.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Delta", "gamma", "Ｂ"}));
    EXPECT_NE(root.FindChild("ｂ"), nullptr);
    EXPECT_EQ(root.FindChild("ｃ"), nullptr);
}

TEST(SettingsFormat, ValuesKeepCreationOrderAndNameCase) {
    SettingsNode node;
    node.SetValue({"Zeta", REG_DWORD, "", 1});
    node.SetValue({"Alpha", REG_SZ, "x", 0});
    node.SetValue({"ZETA", REG_SZ, "now text", 0});
    ASSERT_EQ(node.values.size(), 2u);
    EXPECT_EQ(node.values[0].name, "Zeta");
    EXPECT_EQ(node.values[0].type, REG_SZ);
    EXPECT_EQ(node.values[0].text, "now text");
    EXPECT_EQ(node.values[1].name, "Alpha");
}

struct Accepted {
    const char* name;
    std::string text;
};

class SettingsFormatAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(SettingsFormatAccepts, Variant) {
    SettingsNode root;
    ASSERT_TRUE(ParseSettings(GetParam().text, root));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsFormatAccepts,
    ::testing::Values(
        Accepted{"Empty", ""}, Accepted{"WhiteSpaceOnly", " \n\r\n"},
        Accepted{"HeaderOnly", "REGEDIT4\n"},
        Accepted{"CrLf", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n"},
        Accepted{"ByteOrderMark", "\xEF\xBB\xBFREGEDIT4\n[HKEY_CURRENT_USER\\A]\n"},
        Accepted{"Comments", "REGEDIT4\n; note\n[HKEY_CURRENT_USER\\A]\n"},
        Accepted{"NoFinalNewline", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:00000001"},
        Accepted{"UpperHex", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:0000ABCD\n"},
        Accepted{"ControlBytesStandForThemselves", "REGEDIT4\n[HKEY_CURRENT_USER\\a\x01"
                                                   "b]\n\"x\"=\"\x02\"\n"},
        Accepted{"DeepestKey", test::KeyFileOfDepth(kMaxKeyDepth)},
        Accepted{"LongestPath",
                 "REGEDIT4\n[HKEY_CURRENT_USER\\" + std::string(kMaxKeyPathBytes, 'p') + "]\n"}),
    [](const auto& testParam) { return testParam.param.name; });

struct Rejected {
    const char* name;
    std::string text;
    size_t line;
};

class SettingsFormatRejects : public ::testing::TestWithParam<Rejected> {};

TEST_P(SettingsFormatRejects, DamagedText) {
    SettingsNode root;
    root.AddChild("left over");
    size_t line = 0;
    EXPECT_FALSE(ParseSettings(GetParam().text, root, &line));
    EXPECT_EQ(line, GetParam().line);
    EXPECT_TRUE(root.children.empty());
}

const std::string kHead = "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n";

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsFormatRejects,
    ::testing::Values(Rejected{"NoHeader", "[HKEY_CURRENT_USER\\A]\n", 1},
                      Rejected{"OtherHeader", "Windows Registry Editor Version 5.00\n", 1},
                      Rejected{"Binary", std::string("\x00\x01\x02", 3), 1},
                      Rejected{"ValueBeforeKey", "REGEDIT4\n\"x\"=\"1\"\n", 2},
                      Rejected{"OtherRoot", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n", 2},
                      Rejected{"EmptyComponent", "REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n", 2},
                      Rejected{"UnclosedHeader", "REGEDIT4\n[HKEY_CURRENT_USER\\A\n", 2},
                      Rejected{"UnknownEscape", kHead + "\"x\"=\"a\\qb\"\n", 3},
                      Rejected{"UnterminatedText", kHead + "\"x\"=\"abc\n", 3},
                      Rejected{"ShortDword", kHead + "\"x\"=dword:0000001\n", 3},
                      Rejected{"LongDword", kHead + "\"x\"=dword:000000011\n", 3},
                      Rejected{"NotHex", kHead + "\"x\"=dword:0000001g\n", 3},
                      Rejected{"OtherType", kHead + "\"x\"=hex:01,02\n", 3},
                      Rejected{"GarbageAfterValue", kHead + "\"x\"=\"1\" trailing\n", 3},
                      Rejected{"NoEquals", kHead + "\"x\"\n", 3},
                      Rejected{"TruncatedLine", kHead + "\"Passw", 3},
                      // A value that could not be written back as it was read.
                      Rejected{"NotUtf8", kHead + "\"Password\"=\"p\xff\xfe\x80w\"\n", 3},
                      Rejected{"Cp932Name", "REGEDIT4\n[HKEY_CURRENT_USER\\\x83\x5c]\n", 2},
                      Rejected{"NulInText", kHead + std::string("\"x\"=\"a\0b\"\n", 10), 3},
                      Rejected{"NulInComment", std::string("REGEDIT4\n;\0\n", 12), 2},
                      // Past the bounds.
                      Rejected{"TooDeep", test::KeyFileOfDepth(kMaxKeyDepth + 1), 2},
                      Rejected{"FiftyThousandDeep", test::KeyFileOfDepth(50000), 2},
                      Rejected{"PathTooLong",
                               "REGEDIT4\n[HKEY_CURRENT_USER\\" +
                                   std::string(kMaxKeyPathBytes + 1, 'p') + "]\n",
                               2}),
    [](const auto& testParam) { return testParam.param.name; });

// Every implied parent key is a block of its own that repeats the whole path: a short
// file must not describe a tree whose written form outgrows the bound.
TEST(SettingsFormat, ATreeWrittenPastTheBoundIsDamaged) {
    std::string levels;
    for (size_t level = 1; level < kMaxKeyDepth; ++level) {
        levels += "\\" + std::string(60, 'x');
    }
    auto file = [&](int lines) {
        std::string text = "REGEDIT4\n";
        for (int i = 0; i < lines; ++i) {
            text += "[HKEY_CURRENT_USER\\" + std::to_string(i) + levels + "]\n";
        }
        return text;
    };
    SettingsNode root;
    ASSERT_TRUE(ParseSettings(file(200), root));
    const size_t written = SerializeSettings(root).size();
    EXPECT_LE(written, kMaxSettingsFileBytes);
    EXPECT_GT(written, 10 * file(200).size());

    const std::string tooMuch = file(400);
    ASSERT_LT(tooMuch.size(), kMaxSettingsFileBytes / 8);
    size_t line = 0;
    EXPECT_FALSE(ParseSettings(tooMuch, root, &line));
    EXPECT_GT(line, 200u);
    EXPECT_TRUE(root.children.empty());
}

} // namespace
} // namespace tolvane
