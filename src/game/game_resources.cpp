#include "game/game_resources.h"

#include <cstdio>
#include <cstdlib>

#include "draw/image_loading.h"

namespace vq {

namespace {

const char* const kSkinPaths[kSkinCount][kSkinImages] = {
    {"gfx/1/bg.png", "gfx/1/sq1.png", "gfx/1/sq2.png", "gfx/1/sq3.png", "gfx/1/sq4.png"},
    {"gfx/2/bg.png", "gfx/2/sq1.png", "gfx/2/sq2.png", "gfx/2/sq3.png", "gfx/2/sq4.png"},
    {"gfx/3/bg.png", "gfx/3/sq1.png", "gfx/3/sq2.png", "gfx/3/sq3.png", "gfx/3/sq4.png"},
    {"gfx/4/bg.png", "gfx/4/sq1.png", "gfx/4/sq2.png", "gfx/4/sq3.png", "gfx/4/sq4.png"},
    {"gfx/5/bg.png", "gfx/5/sq1.png", "gfx/5/sq2.png", "gfx/5/sq3.png", "gfx/5/sq4.png"},
};

void LoadImages(Platform& platform, GameImages& images) {
  Image** skin1 = images.skins[0];
  images.grid = LoadImageOrExit(platform, "gfx/grid.png");
  for (int role = 0; role < kSkinImages; ++role) {
    skin1[role] = LoadImageOrExit(platform, kSkinPaths[0][role]);
  }
  images.tempo = LoadImageOrExit(platform, "gfx/tempo.png");
  images.numbers = LoadImageOrExit(platform, "gfx/numbers.png");
  images.dead = LoadImageOrExit(platform, "gfx/dead.png");
  images.hud = LoadImageOrExit(platform, "gfx/hud.png");
  images.spark = LoadImageOrExit(platform, "gfx/spark.png");
  images.audvis = LoadImageOrExit(platform, "gfx/audvis.png");
  images.result = LoadImageOrExit(platform, "gfx/result.png");
  images.place = LoadImageOrExit(platform, "gfx/place.png");
  images.new_best = LoadImageOrExit(platform, "gfx/newbest.png");

  // The other skins are loaded now, so that a pass end never decodes an
  // image in the middle of a frame, nor loses the game to a missing one.
  for (int skin = 1; skin < kSkinCount; ++skin) {
    for (int role = 0; role < kSkinImages; ++role) {
      images.skins[skin][role] = platform.LoadImage(kSkinPaths[skin][role]);
      if (!images.skins[skin][role]) {
        std::printf("An image file is missing\n");
        std::fflush(stdout);
        std::exit(1);
      }
    }
  }
}

}  // namespace

GameResources TakeGameResources(Platform& platform) {
  GameResources resources{};
  // Pads plugged in since the last game play in this one.
  platform.FindPads();
  LoadImages(platform, resources.images);
  resources.music_available = true;
  if (!platform.OpenAudio()) {
    resources.music_available = false;
    std::printf("Unable to initialize audio: %s\n", platform.LastError());
    std::fflush(stdout);
  }
  // Loaded even without audio, so that the music is there for the next try.
  resources.music = platform.LoadMusic("bgm.ogg");
  if (!resources.music) resources.music_available = false;
  return resources;
}

void GiveBackGameResources(Platform& platform, GameResources& resources, const GameState& state) {
  GameImages& images = resources.images;
  Image* const* shown = CurrentSkin(images, state);
  platform.FreeImage(shown[kSkinBg]);
  platform.FreeImage(images.grid);
  for (int role = kSkinSq1; role <= kSkinSq4; ++role) platform.FreeImage(shown[role]);
  platform.FreeImage(images.tempo);
  platform.FreeImage(images.numbers);
  platform.FreeImage(images.dead);
  platform.FreeImage(images.hud);
  platform.FreeImage(images.spark);
  platform.FreeImage(images.audvis);
  platform.FreeImage(images.result);
  platform.FreeImage(images.place);
  platform.FreeImage(images.new_best);
  for (int skin = 0; skin < kSkinCount; ++skin) {
    if (images.skins[skin] == shown) continue;
    for (int role = 0; role < kSkinImages; ++role) platform.FreeImage(images.skins[skin][role]);
  }
  images = GameImages{};
  // The platform frees the music once it has stopped.
  platform.ReleaseMusic(resources.music);
  resources.music = nullptr;
}

}  // namespace vq
