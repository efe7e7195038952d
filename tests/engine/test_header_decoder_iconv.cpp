// JisToSjis against the system's own ISO-2022-JP -> CP932 conversion (iconv): every JIS
// X 0208 cell of rows 1-84 that iconv maps, and thousands of random well-formed texts of
// kanji runs, ASCII and line ends.
#include "engine/HeaderDecoder.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tolvane {
namespace {

const std::string kKanjiIn = "\x1b$B";
const std::string kKanjiIn78 = "\x1b$@";
const std::string kAsciiIn = "\x1b(B";

class Iconv {
public:
    Iconv() : m_cd(iconv_open("CP932", "ISO-2022-JP")) {}
    ~Iconv() {
        if (Ready()) {
            iconv_close(m_cd);
        }
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool Ready() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // nullopt when iconv refuses the text (a cell it cannot map).
    std::optional<std::string> Convert(const std::string& jis) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string in = jis;
        std::string out(jis.size() * 2 + 16, '\0');
        char* inPtr = in.data();
        size_t inLeft = in.size();
        char* outPtr = out.data();
        size_t outLeft = out.size();
        if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
            iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            return std::nullopt;
        }
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    iconv_t m_cd;
};

std::string Jis(const std::string& jis) {
    const size_t size = JisToSjis(jis, nullptr, 0);
    std::string out(size, '\0');
    EXPECT_EQ(JisToSjis(jis, out.data(), out.size()), size);
    return out;
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

class JisAgainstIconv : public testing::Test {
protected:
    void SetUp() override {
        if (!m_iconv.Ready()) {
            GTEST_SKIP() << "iconv has no ISO-2022-JP -> CP932 conversion";
        }
        for (int j1 = 0x21; j1 <= 0x74; ++j1) { // rows 1-84
            for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
                const std::string cell{static_cast<char>(j1), static_cast<char>(j2)};
                const std::optional<std::string> sjis = m_iconv.Convert(kKanjiIn + cell + kAsciiIn);
                if (sjis && sjis->size() == 2) {
                    m_cells.push_back(cell);
                }
            }
        }
    }

    Iconv m_iconv;
    std::vector<std::string> m_cells;
};

TEST_F(JisAgainstIconv, EveryMappedCell) {
    // Rows 1-84 hold 6879 characters; iconv maps nearly all of them.
    EXPECT_GT(m_cells.size(), 6800u);
    for (const std::string& cell : m_cells) {
        for (const std::string& in : {kKanjiIn, kKanjiIn78}) {
            const std::string jis = in + cell + kAsciiIn;
            EXPECT_EQ(Hex(Jis(jis)), Hex(*m_iconv.Convert(jis))) << "JIS " << Hex(cell);
        }
    }
}

TEST_F(JisAgainstIconv, RandomWellFormedTexts) {
    std::mt19937 random(0x7015);
    std::uniform_int_distribution<int> piece(0, 9);
    std::uniform_int_distribution<int> runLength(1, 12);
    std::uniform_int_distribution<int> ascii(0x20, 0x7E);
    std::uniform_int_distribution<size_t> cell(0, m_cells.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        std::string jis;
        for (int pieces = runLength(random); pieces > 0; --pieces) {
            const int kind = piece(random);
            if (kind < 4) {
                jis += kind == 0 ? kKanjiIn78 : kKanjiIn;
                for (int n = runLength(random); n > 0; --n) {
                    jis += m_cells[cell(random)];
                }
                jis += kAsciiIn;
            } else if (kind < 8) {
                for (int n = runLength(random); n > 0; --n) {
                    jis += static_cast<char>(ascii(random));
                }
            } else {
                jis += kind == 8 ? "\r\n" : "\n";
            }
        }
        const std::optional<std::string> expected = m_iconv.Convert(jis);
        ASSERT_TRUE(expected.has_value()) << Hex(jis);
        ASSERT_EQ(Hex(Jis(jis)), Hex(*expected)) << Hex(jis);
        if (jis.find("=?") == std::string::npos) {
            ASSERT_EQ(DecodeHeaderText(jis), expected) << Hex(jis);
        }
    }
}

} // namespace
} // namespace tolvane
