// The browser's player files live in memory (/data) over the page's storage
// (page_storage.js): written through after each change, read anew before a
// read, one step at a time.
#include <emscripten.h>

#include "platform/sdl_platform.h"

namespace vq {

namespace {

EM_JS(void, SyncPageStorage, (), {
  if (Module["syncStorage"]) Module["syncStorage"]();
});

EM_ASYNC_JS(void, RefreshFromPageStorage, (), {
  if (Module["refreshStorage"]) await Module["refreshStorage"]();
});

}  // namespace

void StoredFilesChanged() { SyncPageStorage(); }

void ReadStoredFilesAnew() { RefreshFromPageStorage(); }

}  // namespace vq
