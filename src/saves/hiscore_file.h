// The hiscore file: one integer as text, the best Score of the untimed game.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vq {

constexpr const char* kHiscorePath = "hiscore.dat";

// Reads the number at the start of data the way fscanf("%i") does: leading
// white space, an optional sign, then "0x"/"0X" for hexadecimal, a leading 0
// for octal, decimal otherwise; reading stops at the first character that
// cannot continue the number. Gives 0 when no number can be read, and clamps
// values beyond the signed 32-bit range. Accepts any bytes.
int32_t ParseHiscore(const char* data, size_t size);

// The value stored at path; 0 when the file is missing, unreadable, not a
// plain file (a directory or a pipe, for one) or holds no number. Never waits.
int32_t ReadHiscore(const char* path);

// Stores score as "%i\n", the careful way SaveFile writes (a failed write
// leaves the old file whole, a read-only file keeps its contents, and either
// is told on standard error). Returns false when nothing was stored.
bool WriteHiscore(const char* path, int32_t score);

}  // namespace vq
