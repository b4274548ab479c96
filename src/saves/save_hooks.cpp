#include "saves/save_hooks.h"

namespace vq {

namespace {

SaveHooks g_hooks{};

}  // namespace

void SetSaveHooks(const SaveHooks& hooks) { g_hooks = hooks; }

const SaveHooks& CurrentSaveHooks() { return g_hooks; }

}  // namespace vq
