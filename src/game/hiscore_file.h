// The hiscore file: one integer as text, the best Score of the untimed game.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vq {

constexpr const char* kHiscorePath = "hiscore.dat";

// The install step puts this file beside the program. A copy that finds it is
// installed: the folder it lives in belongs to the system, so each player's
// hiscore is kept in their own data folder instead of beside the program.
constexpr const char* kInstalledMarker = "installed";

// The hiscore file of an installed copy: velquadro/hiscore.dat in
// xdg_data_home when that is an absolute path, else in home/.local/share when
// home is absolute; "" (nothing read or stored) when neither is. Either may
// be null.
std::string PlayerHiscorePath(const char* xdg_data_home, const char* home);

// The hiscore file of this copy: kHiscorePath beside the program (the current
// directory), or the player's own when kInstalledMarker is there, from
// XDG_DATA_HOME and HOME (the password database's home when HOME is not an
// absolute path).
std::string HiscorePath();

// Creates the missing folders above path, each with mode 0700. False when one
// of them cannot be made.
bool MakeParentDirectories(const std::string& path);

// Reads the number at the start of data the way fscanf("%i") does: leading
// white space, an optional sign, then "0x"/"0X" for hexadecimal, a leading 0
// for octal, decimal otherwise; reading stops at the first character that
// cannot continue the number. Gives 0 when no number can be read, and clamps
// values beyond the signed 32-bit range. Accepts any bytes.
int32_t ParseHiscore(const char* data, size_t size);

// The value stored at path; 0 when the file is missing, unreadable, not a
// plain file (a directory or a pipe, for one) or holds no number. Never waits.
int32_t ReadHiscore(const char* path);

// Stores score as "%i\n": written to a temporary file beside the file, then
// renamed over it, so that a failed write leaves the old file whole. A
// symbolic link is followed and its target replaced, the link left in place.
// A file that cannot be opened for writing (made read-only, say) keeps its
// contents, as does anything but a plain file at the end of a link; a file
// that is replaced keeps its mode. Returns false when nothing was stored;
// no temporary file is left behind then.
bool WriteHiscore(const char* path, int32_t score);

}  // namespace vq
