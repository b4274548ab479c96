// Whether a PNG file holds an opaque picture by its very format: a colour
// type without an alpha channel (grey or truecolour) and no tRNS chunk, which
// would make a colour transparent. The browser's SDL gives every image an
// alpha channel, so the file is what tells there that an image hides what it
// is drawn over. Plain C++, no SDL.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vq {

inline bool PngOpaque(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  uint8_t signature[8];
  bool opaque = std::fread(signature, 1, 8, file) == 8 && std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8) == 0;
  // The chunks up to the picture's data: the header first, then any tRNS.
  bool header = false;
  for (int chunk = 0; opaque && chunk < 64; ++chunk) {
    uint8_t head[8];
    if (std::fread(head, 1, 8, file) != 8) {
      opaque = false;
      break;
    }
    const uint32_t length = static_cast<uint32_t>(head[0]) << 24 | static_cast<uint32_t>(head[1]) << 16 |
                            static_cast<uint32_t>(head[2]) << 8 | head[3];
    const char* type = reinterpret_cast<const char*>(head + 4);
    if (!header) {
      uint8_t data[13];
      constexpr int kGrey = 0, kTruecolour = 2;
      header = std::memcmp(type, "IHDR", 4) == 0 && length == 13 && std::fread(data, 1, 13, file) == 13;
      opaque = header && (data[9] == kGrey || data[9] == kTruecolour);
      if (opaque) opaque = std::fseek(file, 4, SEEK_CUR) == 0;  // the CRC
      continue;
    }
    if (std::memcmp(type, "tRNS", 4) == 0) opaque = false;
    if (std::memcmp(type, "IDAT", 4) == 0) break;
    if (std::fseek(file, static_cast<long>(length) + 4, SEEK_CUR) != 0) opaque = false;
  }
  std::fclose(file);
  return opaque;
}

}  // namespace vq
