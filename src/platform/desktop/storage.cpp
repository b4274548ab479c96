// The desktop's player files are on disk as soon as they are renamed into
// place: nothing to write through, nothing to bring in.
#include "platform/sdl_platform.h"

namespace vq {

void StoredFilesChanged() {}

void ReadStoredFilesAnew() {}

}  // namespace vq
