// Players' names as the board takes them: 1 to 16 characters of ASCII
// letters, digits, space and "-_.", spaces around them trimmed. Anything else
// is refused rather than cleaned, so that a name is shown exactly as given.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vq::server {

constexpr size_t kMostNameChars = 16;

// The name to store, or nothing when raw is no acceptable name.
std::optional<std::string> CheckName(std::string_view raw);

// Decodes one value of a query string (%XX and '+'); nothing when an escape
// is broken.
std::optional<std::string> DecodeQueryValue(std::string_view raw);

// The decoded value of key in a query string ("a=1&b=2"), nothing when the
// key is absent or its value cannot be decoded.
std::optional<std::string> QueryValue(std::string_view query, std::string_view key);

}  // namespace vq::server
