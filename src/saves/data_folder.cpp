#include "saves/data_folder.h"

#include <errno.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace vq {

namespace {

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder + (folder.back() == '/' ? "" : "/") + name;
}

}  // namespace

std::string PlayerDataPath(const char* xdg_data_home, const char* home, const char* name) {
  const std::string file = std::string("velquadro/") + name;
  if (xdg_data_home && xdg_data_home[0] == '/') return InFolder(xdg_data_home, file);
  if (home && home[0] == '/') return InFolder(home, ".local/share/" + file);
  return "";
}

std::string DataFilePath(const char* name) {
  if (access(kInstalledMarker, F_OK) != 0) return name;
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') {
    const struct passwd* entry = getpwuid(getuid());
    home = entry ? entry->pw_dir : nullptr;
  }
  return PlayerDataPath(std::getenv("XDG_DATA_HOME"), home, name);
}

bool MakeParentDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace vq
