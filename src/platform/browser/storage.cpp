// The browser's player files live in memory (/data) over the page's storage
// (page_storage.js). Each save holds the lock between the page's tabs while
// it reads the stored files anew, applies its rule and writes each file
// through, waiting for the storage (at most a few seconds) at every step.
#include <emscripten.h>

#include "platform/sdl_platform.h"

namespace vq {

namespace {

EM_ASYNC_JS(void, LockAndReadStorage, (), {
  if (Module["storage"]) await Module["storage"].lockAndRead();
});

EM_ASYNC_JS(void, StoreInStorage, (const char* path), {
  if (Module["storage"]) await Module["storage"].store(UTF8ToString(path));
});

EM_JS(void, UnlockStorage, (), {
  if (Module["storage"]) Module["storage"].unlock();
});

}  // namespace

void ReadStoredFilesAnew() { LockAndReadStorage(); }

void StoredFilesChanged(const char* path) { StoreInStorage(path); }

void LetGoOfStoredFiles() { UnlockStorage(); }

}  // namespace vq
