#include "draw/image_loading.h"

#include <cstdio>
#include <cstdlib>

namespace vq {

Image* LoadImageOrExit(Platform& platform, const char* path) {
  Image* image = platform.LoadImage(path);
  if (image) return image;
  std::fprintf(stderr, "Cannot load image %s: %s\n", path, platform.LastError());
  std::exit(1);
}

}  // namespace vq
