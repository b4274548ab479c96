// What a target does around the saves, where the player's files live
// elsewhere too (the browser keeps them in the page's storage): read_anew
// takes the target's own lock between copies once the folder's is held and
// brings in what another copy stored, before the files are read again;
// stored writes the file at path through once it is saved; let_go lets the
// target's lock go again. Any may be null, as all are on the desktop.
#pragma once

namespace vq {

struct SaveHooks {
  void (*read_anew)();
  void (*stored)(const char* path);
  void (*let_go)();
};

void SetSaveHooks(const SaveHooks& hooks);

// The hooks set, for the saves themselves.
const SaveHooks& CurrentSaveHooks();

}  // namespace vq
