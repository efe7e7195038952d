// SHA-256 against the published examples and the lengths around the padding's edges.
#include "platform/Sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

struct Digest {
    std::string input;
    const char* hex;
};

class Sha256Test : public ::testing::TestWithParam<Digest> {};

TEST_P(Sha256Test, MatchesTheKnownDigest) {
    EXPECT_EQ(Sha256Hex(GetParam().input), GetParam().hex);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Sha256Test,
    ::testing::Values(
        Digest{"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        Digest{"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        Digest{"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
               "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        Digest{std::string(55, 'a'),
               "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        Digest{std::string(63, 'a'),
               "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        Digest{std::string(64, 'a'),
               "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        Digest{std::string(65, 'a'),
               "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        Digest{std::string(1000000, 'a'),
               "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}));

} // namespace
} // namespace tolvane
