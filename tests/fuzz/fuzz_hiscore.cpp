// Feeds any bytes to the hiscore reader. The value must be the one strtoll
// gives for the same text (base from the prefix, stopping at the first byte
// that cannot continue the number) held to the signed 32-bit range; the file
// reader must agree with the in-memory reader; and a stored value must read
// back unchanged.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "saves/hiscore_file.h"
#include "scratch_file.h"

namespace {

int64_t Expected(const uint8_t* data, size_t size) {
  // The reader stops at a NUL byte as strtoll does at the end of its string.
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));
  const long long value = std::strtoll(text.c_str(), nullptr, 0);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return value;
}

[[noreturn]] void Fail(const char* what, int64_t got, int64_t want) {
  std::fprintf(stderr, "%s: got %lld, want %lld\n", what, static_cast<long long>(got), static_cast<long long>(want));
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int32_t parsed = vq::ParseHiscore(reinterpret_cast<const char*>(data), size);
  const int64_t want = Expected(data, size);
  if (parsed != want) Fail("ParseHiscore", parsed, want);

  static const vq::fuzz::ScratchFile scratch("hiscore.dat");
  const std::string& path = scratch.file;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  const int32_t read = vq::ReadHiscore(path.c_str());
  if (read != parsed) Fail("ReadHiscore", read, parsed);

  // Scores are never negative; any value must still survive the round trip.
  if (!vq::WriteHiscore(path.c_str(), parsed)) Fail("WriteHiscore failed for", parsed, parsed);
  const int32_t back = vq::ReadHiscore(path.c_str());
  if (back != parsed) Fail("read after write", back, parsed);
  return 0;
}
