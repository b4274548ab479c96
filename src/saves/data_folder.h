// Where the game keeps what it writes (the hiscore, the records, the
// replays): beside the program for a copy run from its own folder, in the
// player's data folder for an installed copy.
#pragma once

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
// of them cannot be made (errno says why).
bool MakeParentDirectories(const std::string& path);

// The folder of path: "." for a bare name, "/" for a file of the root.
std::string FolderOf(const std::string& path);

}  // namespace vq
