// Where the game keeps what it writes (the hiscore, the records, the
// replays), and how it writes them: beside the program for a copy run from its
// own folder, in the player's data folder for an installed copy; always
// through a temporary file that is renamed over the old one, one copy of the
// game at a time under the folder's lock, and never through another user's
// link. A file that cannot be saved is told on standard error.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

namespace vq {

// The install step puts this file beside the program. A copy that finds it is
// installed: the folder it lives in belongs to the system, so each player's
// files are kept in their own data folder instead of beside the program.
constexpr const char* kInstalledMarker = "installed";

// The lock file beside the player's files: copies of the game that save into
// one folder take turns on it.
constexpr const char* kSaveLockName = "saves.lock";

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

// Stores size bytes as the whole file at path: written to a temporary file
// beside it, synced, renamed over it and the folder synced, so that a failed
// write leaves the old file whole. A symbolic link that the player made is
// followed and its target replaced, the link left in place; another user's
// link is left alone, as the kernel leaves them in shared folders. A file
// that cannot be opened for writing (made read-only, say) keeps its contents,
// as does anything but a plain file at the end of a link; a file that is
// replaced keeps its mode. Returns false when nothing was stored, with a few
// words in *why; no temporary file is left behind then.
bool WriteFileAtomically(const char* path, const void* data, size_t size, std::string* why);

// Tells on standard error, in one line, that the file at path was not saved
// and why.
void TellNotSaved(const std::string& path, const std::string& why);

// WriteFileAtomically with the folders above path made first; a file that
// was not stored is told. "" stands for a player without a home folder.
bool SaveFile(const std::string& path, const void* data, size_t size);

// SaveFile for the file of this copy's data folder with that name.
bool SaveDataFile(const char* name, const void* data, size_t size);

// What a target does around the saves, where the player's files live
// elsewhere too (the browser keeps them in the page's storage): read_anew
// takes the target's own lock between copies once the folder's is held and
// brings in what another copy stored, before the files are read again;
// stored writes the file at path through once it is saved; let_go lets the
// target's lock go again. Any may be null, as all are on the desktop.
struct SaveHooks {
  void (*read_anew)();
  void (*stored)(const char* path);
  void (*let_go)();
};
void SetSaveHooks(const SaveHooks& hooks);

// While it lives, this copy of the game holds the lock of its data folder,
// so that another copy saving into it waits until this one has read and
// written what it saves, and then reads what it finds anew. The folder is
// made first. Another copy holding the lock is waited for at most 3 s, and a
// folder where no lock can be taken is saved into without one.
class SaveLock {
 public:
  SaveLock();
  ~SaveLock();
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;

 private:
  void TakeLock();

  int fd_ = -1;
};

// Removes the temporary files of the files with these names that a save
// stopped halfway left in the data folder: those whose process is gone.
void RemoveLeftoverTemporaryFiles(std::initializer_list<const char*> names);

}  // namespace vq
