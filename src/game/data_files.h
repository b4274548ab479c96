// Where the game keeps what it writes (the hiscore, the replays), and how it
// writes them: beside the program for a copy run from its own folder, in the
// player's data folder for an installed copy, always through a temporary file
// that is renamed over the old one.
#pragma once

#include <cstddef>
#include <string>

namespace vq {

// The install step puts this file beside the program. A copy that finds it is
// installed: the folder it lives in belongs to the system, so each player's
// files are kept in their own data folder instead of beside the program.
constexpr const char* kInstalledMarker = "installed";

// A file of an installed copy: velquadro/<name> in xdg_data_home when that is
// an absolute path, else in home/.local/share when home is absolute; ""
// (nothing read or stored) when neither is. Either may be null.
std::string PlayerDataPath(const char* xdg_data_home, const char* home, const char* name);

// The file name of this copy: beside the program (the current directory), or
// the player's own when kInstalledMarker is there, from XDG_DATA_HOME and HOME
// (the password database's home when HOME is not an absolute path).
std::string DataFilePath(const char* name);

// Creates the missing folders above path, each with mode 0700. False when one
// of them cannot be made.
bool MakeParentDirectories(const std::string& path);

// Stores size bytes as the whole file at path: written to a temporary file
// beside it, then renamed over it, so that a failed write leaves the old file
// whole. A symbolic link is followed and its target replaced, the link left in
// place. A file that cannot be opened for writing (made read-only, say) keeps
// its contents, as does anything but a plain file at the end of a link; a
// file that is replaced keeps its mode. Returns false when nothing was
// stored; no temporary file is left behind then.
bool WriteFileAtomically(const char* path, const void* data, size_t size);

// A file of this copy's data folder, its folders made first: false when
// nothing was stored.
bool StoreDataFile(const char* name, const void* data, size_t size);

}  // namespace vq
