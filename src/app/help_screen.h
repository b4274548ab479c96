// The help screen, on F1 or H from the title: the aim of the game, its keys
// and pads, and the records of the mode selected on the title.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vq {

// Shows the help with the records of the untimed game (time_limit 0) or of
// Time attack for time_limit seconds, until any key or pad button has been
// pressed and every key the program reads let go again, so that the press
// acts on nothing after it. Loads its images first and ends the process with
// status 1 when one is missing. Returns kQuitProgram when the window was
// closed, kBackToMenu otherwise.
int32_t HelpScreen(Platform& platform, int32_t time_limit);

}  // namespace vq
