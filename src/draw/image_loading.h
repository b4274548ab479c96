// Loading the images a screen cannot do without.
#pragma once

#include "platform/platform.h"

namespace vq {

// Loads the image, or ends the process with status 1 when it cannot be loaded.
// Standard output stays empty; standard error names the file.
Image* LoadImageOrExit(Platform& platform, const char* path);

}  // namespace vq
