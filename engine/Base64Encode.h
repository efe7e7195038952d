// Base64 (the standard alphabet, with "=" padding, no line breaks): what SASL responses
// and the PKCE challenge are sent as. Pure: bytes in, text out. Decoding is
// engine/TransferDecode.h's.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

std::string EncodeBase64(std::string_view bytes);
// The URL-safe form ("-" and "_" for "+" and "/") without padding.
std::string EncodeBase64Url(std::string_view bytes);

} // namespace tolvane
