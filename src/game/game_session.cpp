#include "game/game_session.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "draw/image_loading.h"
#include "game/hiscore_file.h"
#include "rules/scoring.h"

namespace vq {

namespace {

// How long the pause and the end screen sleep between two looks at the keys:
// short enough to answer a key at once, long enough to leave the processor
// idle.
constexpr uint32_t kIdlePollMs = 10;

constexpr uint32_t kFrameMs = 60;

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

// Frees the images: the skin on show and the game's own images in their
// fixed order, then the skins not on show.
void FreeImages(Platform& platform, GameState& state) {
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
  for (int skin = 0; skin < kSkinCount; ++skin) {
    if (images.skins[skin] == shown) continue;
    for (int role = 0; role < kSkinImages; ++role) platform.FreeImage(images.skins[skin][role]);
  }
  images = GameImages{};
}

void NoteWindowClosed(GameState& state) {
  state.window_closed = true;
  state.field.game_over = 1;
}

// One look at the input while the game stands still: takes an event into the
// kept record and notes a request to close the window.
void PollWhileWaiting(Platform& platform, GameState& state) {
  EventType taken = EventType::None;
  if (platform.PollEvent(&taken)) {
    state.event_record = taken;
    if (taken == EventType::Quit) NoteWindowClosed(state);
  }
}

// The keys read on every frame: a press made between two frames acts in the
// next one, as if the key had been held across it.
constexpr Key kEveryFrameKeys[] = {Key::Up, Key::Down, Key::Left, Key::Right, Key::Space, Key::Escape};

// A key that acts once per press on the frames its step runs: true on the
// first such frame on which it is held after having been seen released.
bool PressedOnce(bool held, bool step_runs, bool& released) {
  if (!held) {
    released = true;
    return false;
  }
  if (!step_runs || !released) return false;
  released = false;
  return true;
}

}  // namespace

void StartGame(Platform& platform, GameState& state, int32_t time_limit) {
  state = GameState{};
  state.time_limit = time_limit;
  // Pads plugged in since the last game play in this one.
  platform.FindPads();
  LoadImages(platform, state.images);

  // Empty Board, the first piece, the queue (the game's first twelve random
  // draws), Timeline 0.0, Score 0, Level 1, skin 1, latch armed.
  StartPlayfield(state.field);

  state.music_available = 1;
  state.music_on = 0;
  if (!platform.OpenAudio()) {
    state.music_available = 0;
    std::printf("Unable to initialize audio: %s\n", platform.LastError());
    std::fflush(stdout);
  }
  // Loaded even without audio, so that the music is there for the next try.
  state.music = platform.LoadMusic("bgm.ogg");
  if (!state.music) state.music_available = 0;

  state.tick_a = platform.Ticks();
  state.tick_b = 0;
  state.frame_time = 0;
  state.play_time = 0;
  state.hiscore = ReadHiscore(HiscorePath().c_str());
  state.field.move_latch = 1;
  for (int32_t& bar : state.visualiser_bars) bar = std::rand() % 5;

  state.event_record = EventType::None;
  // A key still held from the title menu (the Return that started this game,
  // say) is a press that has already acted: it pauses or toggles nothing here
  // until it has been let go.
  state.music_key_released = !platform.KeyHeld(Key::M);
  state.fullscreen_key_released = !platform.KeyHeld(Key::F);
  state.pause_key_released = !platform.KeyHeld(Key::Return);
  // Presses made before the game belong to the title menu.
  for (Key key : kEveryFrameKeys) platform.TakePress(key);
  state.window_closed = false;
}

void CountMeasurePace(Platform& platform, GameState& state) {
  state.field.frame_counter += 1;

  // The older reading is overwritten; the interval is taken to the other one.
  if (state.tick_a < state.tick_b) {
    state.tick_a = platform.Ticks();
    state.frame_time = static_cast<int32_t>(state.tick_a - state.tick_b);
  } else {
    state.tick_b = platform.Ticks();
    state.frame_time = static_cast<int32_t>(state.tick_b - state.tick_a);
  }
  state.play_time += state.frame_time;

  // The sleep comes before this frame's work, which is therefore not counted:
  // two frames take 60 ms plus the work of one.
  if (state.frame_time < static_cast<int32_t>(kFrameMs)) {
    platform.Delay(kFrameMs - static_cast<uint32_t>(state.frame_time));
  }
}

void CheckWin(GameState& state) {
  if (WinCheck(state.field)) {
    std::printf("You win! Now get a job ;)\n");
    std::fflush(stdout);
  }
}

unsigned ReseedValue(std::time_t now, int32_t frame_counter) {
  // The frame counter grows by 20 between reseeds and the time never goes
  // back, so no two reseeds of a game get the same seed.
  return static_cast<unsigned>(now) * 1000003u + static_cast<unsigned>(frame_counter);
}

void Reseed(Platform& platform, GameState& state) {
  if (state.field.frame_counter % 20 == 0) {
    std::srand(ReseedValue(platform.Time(), state.field.frame_counter));
  }
}

void CheckTimeLimit(GameState& state) {
  if (state.time_limit != 0 && state.play_time / 1000 >= state.time_limit) {
    state.field.game_over = 1;
  }
}

void PollInput(Platform& platform, GameState& state) { PollWhileWaiting(platform, state); }

void HandleEscape(Platform& platform, GameState& state) {
  if (HeldOrPressed(platform, Key::Escape) || state.window_closed) state.field.game_over = 1;
}

PieceInput ReadPieceKeys(Platform& platform) {
  PieceInput keys;
  keys.up = HeldOrPressed(platform, Key::Up);
  keys.down = HeldOrPressed(platform, Key::Down);
  keys.left = HeldOrPressed(platform, Key::Left);
  keys.right = HeldOrPressed(platform, Key::Right);
  keys.space = HeldOrPressed(platform, Key::Space);
  keys.rearm = platform.KeyHeld(Key::LeftCtrl) || platform.KeyHeld(Key::RightCtrl) || platform.KeyHeld(Key::LeftAlt) ||
               platform.KeyHeld(Key::RightAlt);
  return keys;
}

void HandlePause(Platform& platform, GameState& state) {
  if (state.window_closed) return;  // the game is over: nothing to pause
  bool every_third = state.field.frame_counter % 3 == 0;
  if (!PressedOnce(platform.KeyHeld(Key::Return), every_third, state.pause_key_released)) return;

  // Nothing is drawn while paused: the last frame stays on screen and the
  // music plays on. Only Return (or closing the window) ends the pause.
  platform.Delay(500);
  for (;;) {
    PollWhileWaiting(platform, state);
    if (state.window_closed || platform.KeyHeld(Key::Return)) break;
    platform.Delay(kIdlePollMs);
  }
}

void HandleMusicKey(Platform& platform, GameState& state) {
  bool even = state.field.frame_counter % 2 == 0;
  if (!PressedOnce(platform.KeyHeld(Key::M), even, state.music_key_released)) return;
  state.music_on = 1 - state.music_on;
  if (!state.music_available) return;  // silent game: only the flag flips
  if (state.music_on) {
    platform.PlayMusicLooped(state.music);
  } else {
    platform.HaltMusic();
  }
}

void HandleFullScreenKey(Platform& platform, GameState& state) {
  bool even = state.field.frame_counter % 2 == 0;
  if (PressedOnce(platform.KeyHeld(Key::F), even, state.fullscreen_key_released)) {
    platform.ToggleFullScreen();
  }
}

int32_t EndGame(Platform& platform, GameState& state, bool print_summary_and_store_hiscore) {
  if (print_summary_and_store_hiscore) {
    std::printf("You have perished\nSeconds Played: %i\nFinal Score: %i\n", static_cast<int>(state.play_time / 1000),
                static_cast<int>(state.field.score));
    std::fflush(stdout);
  }

  platform.Blit(state.images.dead, 175, 500);
  platform.Flip();

  // A closed window does not wait for Return.
  if (!state.window_closed) {
    for (;;) {
      PollWhileWaiting(platform, state);
      if (state.window_closed || platform.KeyHeld(Key::Return)) break;
      platform.Delay(kIdlePollMs);
    }
    if (!state.window_closed) platform.Delay(500);
  }

  FreeImages(platform, state);

  if (print_summary_and_store_hiscore && state.time_limit == 0 && state.hiscore <= state.field.score) {
    // An installed copy makes the player's data folders on its first store.
    const std::string path = HiscorePath();
    if (!path.empty() && MakeParentDirectories(path)) WriteHiscore(path.c_str(), state.field.score);
  }

  // Music still playing goes on into the title menu; the platform frees it
  // once it has stopped.
  platform.ReleaseMusic(state.music);
  state.music = nullptr;

  return state.window_closed ? kQuitProgram : kBackToMenu;
}

}  // namespace vq
