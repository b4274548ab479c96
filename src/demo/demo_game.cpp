#include "demo/demo_game.h"

namespace vq {

int32_t DemoGame(Platform&) { return 0; }

}  // namespace vq
