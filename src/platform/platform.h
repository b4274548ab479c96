// The one narrow interface through which the game reaches the machine: clock,
// input, images, the screen and audio. SdlPlatform implements it on SDL 1.2;
// FakePlatform implements it for tests with a virtual clock, scripted input
// and recorded blits. Nothing outside src/platform/ includes SDL.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "rules/input.h"

namespace vq {

// Keys the program reads.
enum class Key : int {
  Escape,
  LeftCtrl,
  RightCtrl,
  LeftAlt,
  RightAlt,
  Up,
  Down,
  Left,
  Right,
  Space,
  Return,
  M,
  F,
  R,
  B,
  F1,
  H,
  Count
};

// How long a waiting screen sleeps at least while the window is hidden: a
// tenth of a second to notice a key, a signal or the window shown again.
constexpr uint32_t kHiddenWaitMs = 100;

// What the player is doing, for a target that shows more than the picture:
// the browser's page says a pause or a watched replay beside the canvas,
// offers the touch controls of a game while one runs (played, the demo, or a
// replay watched) and those of the menus otherwise, and keeps a phone's
// screen awake only while a game runs, not in a pause.
enum class Activity : int { Other, Paused, Watching, WatchPaused, Playing };

struct Image;  // defined by each implementation
struct Music;  // defined by each implementation

class Platform {
 public:
  virtual ~Platform() = default;

  // Clock.
  virtual uint32_t Ticks() = 0;         // milliseconds since start
  virtual void Delay(uint32_t ms) = 0;  // sleeps at least ms
  virtual std::time_t Time() = 0;       // time(NULL)
  // The sleep of a waiting screen between two looks at the keys: at least
  // ms, and longer while the window is hidden, where nobody presses a key.
  virtual void Wait(uint32_t ms) = 0;

  // The window. Hidden() is true while it is minimised: nothing drawn shows.
  // TakeFocusLoss() is true once after the window lost the keyboard's focus
  // (or was minimised) since it was last asked.
  virtual bool Hidden() = 0;
  virtual bool TakeFocusLoss() = 0;

  // Input. PollEvent takes at most one pending event and writes its type to
  // *record only when there was one (returns true then). Mouse and window
  // events are never queued; a pad's buttons and sticks come as the key
  // events of the keys they stand for; a request to end the program (the
  // window closed, SIGTERM, SIGINT, SIGHUP) comes as Quit, and once it came
  // it may be all that every later poll reports: a loop that takes events
  // "while there are any" must stop at the first Quit. KeyHeld reads the
  // keyboard and the pads as of the last poll. TakePress is true once for each press of the key (or of a pad
  // control that stands for it) since it was last taken, also when the key
  // was let go again before the poll.
  virtual bool PollEvent(EventType* record) = 0;
  virtual bool KeyHeld(Key key) = 0;
  virtual bool TakePress(Key key) = 0;
  // True once when any key of the keyboard (also one the program does not
  // read) or any pad button went down since it was last taken.
  virtual bool TakeAnyPress() = 0;
  // Looks for pads anew, so that pads plugged in since the last look play
  // too. Without pads, or when they cannot be read, nothing changes.
  virtual void FindPads() = 0;
  // A replay the player opened from outside the program since it was last
  // asked (the browser's page takes a file from its file input or a drop):
  // true with the path to read it from. The desktop has none.
  virtual bool TakeOpenedReplay(std::string* path) = 0;
  // True once after the player's files changed outside the program since it
  // was last asked (another tab of the browser's game saved, and this one was
  // brought to the front): a screen that shows them reads them anew. The
  // desktop's never change under it.
  virtual bool TakeFilesChanged() = 0;
  // A game begun, paused, going on or ended (Other), and a replay watched or
  // paused: the browser's page says so beside the canvas, whose picture stays
  // as it is, lays out its touch controls and holds the screen awake by it;
  // the desktop's window shows the picture alone.
  virtual void ShowActivity(Activity activity) = 0;
  // The mode the title menu has chosen (0 for Play, else the Time attack
  // limit), told whenever it shows: the browser's page lists that mode's
  // leaderboard. The desktop has no use for it.
  virtual void ShowChosenMode(int32_t mode) = 0;

  // Images, converted to the screen's format when loaded. LoadImage returns
  // nullptr when the file cannot be loaded.
  virtual Image* LoadImage(const char* path) = 0;
  virtual void FreeImage(Image* image) = 0;
  virtual int ImageWidth(const Image* image) = 0;
  virtual int ImageHeight(const Image* image) = 0;
  // Blits the whole image with its top-left corner at (x, y).
  virtual void Blit(Image* image, int x, int y) = 0;
  // Blits the source rectangle (sx, sy, w, h) of the image to (x, y); parts
  // outside the image or the screen are clipped away.
  virtual void BlitRegion(Image* image, int sx, int sy, int w, int h, int x, int y) = 0;
  virtual void Flip() = 0;
  virtual void ToggleFullScreen() = 0;

  // Audio. OpenAudio returns false when the device cannot be opened; then
  // LastError() says why.
  virtual bool OpenAudio() = 0;
  virtual const char* LastError() = 0;
  virtual Music* LoadMusic(const char* path) = 0;  // nullptr when it cannot be loaded
  virtual void PlayMusicLooped(Music* music) = 0;  // from the beginning, forever
  virtual void HaltMusic() = 0;
  // Gives the music back: it is freed at once when it is not playing, and
  // otherwise as soon as it has stopped, so that music still playing when a
  // game ends goes on playing.
  virtual void ReleaseMusic(Music* music) = 0;
};

// A key read at fixed moments (every frame, every tick) acts while it is
// held, and once for a press that began and ended since the last moment.
inline bool HeldOrPressed(Platform& platform, Key key) {
  const bool pressed = platform.TakePress(key);  // taken at every moment, held or not
  return pressed || platform.KeyHeld(key);
}

}  // namespace vq
