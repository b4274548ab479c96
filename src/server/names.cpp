#include "server/names.h"

namespace vq::server {

namespace {

bool NameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' ||
         c == '_' || c == '.';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> CheckName(std::string_view raw) {
  const size_t first = raw.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  raw = raw.substr(first, raw.find_last_not_of(' ') - first + 1);
  if (raw.size() > kMostNameChars) return std::nullopt;
  for (char c : raw) {
    if (!NameChar(c)) return std::nullopt;
  }
  return std::string(raw);
}

std::optional<std::string> DecodeQueryValue(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (size_t k = 0; k < raw.size(); ++k) {
    if (raw[k] == '+') {
      out += ' ';
    } else if (raw[k] == '%') {
      if (k + 2 >= raw.size()) return std::nullopt;
      const int high = HexDigit(raw[k + 1]), low = HexDigit(raw[k + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      k += 2;
    } else {
      out += raw[k];
    }
  }
  return out;
}

std::optional<std::string> QueryValue(std::string_view query, std::string_view key) {
  while (!query.empty()) {
    const size_t end = query.find('&');
    const std::string_view pair = query.substr(0, end);
    const size_t equals = pair.find('=');
    if (pair.substr(0, equals) == key) {
      return DecodeQueryValue(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
    }
    if (end == std::string_view::npos) break;
    query.remove_prefix(end + 1);
  }
  return std::nullopt;
}

}  // namespace vq::server
