// The desktop's player files are on disk as soon as they are renamed into
// place: nothing to write through, nothing to bring in, and the folder's own
// lock is the only one.
#include "platform/sdl_platform.h"

namespace vq {

void ReadStoredFilesAnew() {}

void StoredFilesChanged(const char*) {}

void LetGoOfStoredFiles() {}

}  // namespace vq
