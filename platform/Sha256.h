// SHA-256 (FIPS 180-4) of a byte string: the digest that makes a shortened file name
// stand for one whole account name.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

std::array<uint8_t, 32> Sha256(std::string_view bytes);

// The digest in lower-case hex (64 characters).
std::string Sha256Hex(std::string_view bytes);

} // namespace tolvane
