// What a target does around the saves, where the player's files live
// elsewhere too (the browser keeps them in the page's storage): read_anew
// brings in what another copy stored, under the lock before the files are
// read again; stored writes a file through once it is saved. Either may be
// null, as both are on the desktop.
#pragma once

namespace vq {

struct SaveHooks {
  void (*read_anew)();
  void (*stored)();
};

void SetSaveHooks(const SaveHooks& hooks);

// The hooks set, for the saves themselves.
const SaveHooks& CurrentSaveHooks();

}  // namespace vq
