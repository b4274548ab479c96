#include "game/game_resources.h"

#include <cstdio>
#include <cstdlib>

#include "draw/image_loading.h"
#include "game/data_files.h"
#include "game/frame_steps.h"
#include "game/game_input.h"
#include "game/hiscore_file.h"

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

// Images, audio and music: the platform's part of start-up.
void TakeResources(Platform& platform, GameState& state) {
  state = GameState{};
  // Pads plugged in since the last game play in this one.
  platform.FindPads();
  LoadImages(platform, state.images);
  state.music_available = 1;
  if (!platform.OpenAudio()) {
    state.music_available = 0;
    std::printf("Unable to initialize audio: %s\n", platform.LastError());
    std::fflush(stdout);
  }
  // Loaded even without audio, so that the music is there for the next try.
  state.music = platform.LoadMusic("bgm.ogg");
  if (!state.music) state.music_available = 0;
}

}  // namespace

void StartGame(Platform& platform, GameState& state, int32_t time_limit, uint32_t seed) {
  TakeResources(platform, state);
  GameStart start{};
  start.time_limit = time_limit;
  start.seed = seed;
  start.ticks = platform.Ticks();
  start.hiscore = ReadHiscore(DataFilePath(kHiscorePath).c_str());
  if (platform.KeyHeld(Key::Return)) start.held |= kHeldReturn;
  if (platform.KeyHeld(Key::M)) start.held |= kHeldM;
  if (platform.KeyHeld(Key::F)) start.held |= kHeldF;
  ForgetInputBeforeTheGame(platform);
  StartGameState(state, start);
}

void StartRecordedGame(Platform& platform, GameState& state, const GameStart& start) {
  TakeResources(platform, state);
  StartGameState(state, start);
}

void CarryOutRequests(Platform& platform, GameState& state) {
  const FrameRequests& asked = state.requests;
  if (asked.announce_win) {
    std::printf("You win! Now get a job ;)\n");
    std::fflush(stdout);
  }
  // A silent game only flips its flag.
  if (asked.music_toggled && state.music_available) {
    if (state.music_on) {
      platform.PlayMusicLooped(state.music);
    } else {
      platform.HaltMusic();
    }
  }
  if (asked.toggle_full_screen) platform.ToggleFullScreen();
}

void ReleaseGame(Platform& platform, GameState& state) {
  GameImages& images = state.images;
  Image* const* shown = CurrentSkin(state);
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
  platform.ReleaseMusic(state.music);
  state.music = nullptr;
}

}  // namespace vq
