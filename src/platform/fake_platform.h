// A platform for tests: a virtual clock that only delays (and the optional
// work time of a frame) advance, scripted keys and events, recorded blits,
// flips and audio calls. Whole menus and games run on it headless.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/pad_input.h"
#include "platform/platform.h"

namespace vq {

struct Image {
  std::string path;
  int width;
  int height;
};

struct Music {
  std::string path;
};

// Thrown by the fake when a script runs past its poll budget, so that a test
// of a loop that never ends fails instead of hanging.
struct FakeRunaway : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class FakePlatform : public Platform {
 public:
  struct BlitRecord {
    std::string image;  // path the image was loaded from
    int x, y;           // destination
    int sx, sy, w, h;   // source rectangle
    int flip;           // number of flips before this blit
  };

  // --- script ---------------------------------------------------------
  uint32_t now = 0;  // the virtual clock, in ms
  std::time_t wall_time = 1700000000;
  std::array<bool, static_cast<int>(Key::Count)> keys{};  // held keys
  std::deque<EventType> events;                      // pending events; once a Quit is taken, every poll reports Quit
  std::deque<std::string> opened_replays;            // replays opened from outside, by path
  bool files_changed = false;                        // another copy stored the player's files
  Activity activity = Activity::Other;               // as the game last showed it
  int activity_changes = 0;                          // ShowActivity calls that changed it
  std::set<std::string> missing;                     // paths that fail to load
  std::map<std::string, std::pair<int, int>> sizes;  // image sizes by path
  bool audio_ok = true;
  bool hidden = false;  // the window is minimised: Wait sleeps longer
  bool music_file_ok = true;
  uint32_t ticks_cost = 0;      // ms each Ticks() call advances the clock (work time)
  long poll_budget = 10000000;  // polls before FakeRunaway is thrown
  // Called at every poll, before the event is taken: the place for a test to
  // press and release keys or queue events by time or by flip count.
  std::function<void(FakePlatform&)> on_poll;
  // Called after every flip.
  std::function<void(FakePlatform&)> on_flip;

  // --- record -----------------------------------------------------------
  std::vector<uint32_t> delays;
  std::vector<uint32_t> tick_readings;
  std::vector<BlitRecord> blits;
  std::vector<std::string> loads;        // paths in load order (also failed ones)
  std::vector<std::string> frees;        // paths in free order
  std::vector<std::string> audio_calls;  // "open", "load", "play", "halt", "release", "free"
  int flips = 0;
  int fullscreen_toggles = 0;
  int time_calls = 0;  // calls of Time()
  long polls = 0;
  bool music_playing = false;

  FakePlatform() = default;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;
  // Deletes what a test left loaded (LiveImages() and LiveMusic() tell).
  ~FakePlatform() override;

  // A key that goes down is a press for TakePress; Tap presses and lets go
  // between two polls.
  void Press(Key k) {
    if (!keys[static_cast<int>(k)]) input_.KeyDown(k);
    keys[static_cast<int>(k)] = true;
  }
  void Release(Key k) { keys[static_cast<int>(k)] = false; }
  void Tap(Key k) { input_.KeyDown(k); }
  // The window loses the keyboard's focus (to another window, or minimised).
  void LoseFocus() { focus_lost_ = true; }
  // Pad number index stands as given from now on (a tap is two moves made
  // between two polls).
  void MovePad(int index, const PadState& pad) { input_.SetPad(index, pad); }
  void ClearBlits() { blits.clear(); }
  int LiveImages() const { return static_cast<int>(live_.size()); }
  int LiveMusic() const { return static_cast<int>(live_music_.size()); }

  // --- Platform -----------------------------------------------------------
  uint32_t Ticks() override;
  void Delay(uint32_t ms) override;
  std::time_t Time() override {
    ++time_calls;
    return wall_time;
  }
  void Wait(uint32_t ms) override { Delay(hidden && ms < kHiddenWaitMs ? kHiddenWaitMs : ms); }
  bool Hidden() override { return hidden; }
  bool TakeFocusLoss() override {
    const bool lost = focus_lost_;
    focus_lost_ = false;
    return lost;
  }
  bool PollEvent(EventType* record) override;
  bool KeyHeld(Key key) override { return keys[static_cast<int>(key)] || input_.PadHolds(key); }
  bool TakePress(Key key) override { return input_.TakePress(key); }
  bool TakeAnyPress() override { return input_.TakeAnyPress(); }
  void FindPads() override {}  // the pads are the ones MovePad sets
  bool TakeOpenedReplay(std::string* path) override {
    if (opened_replays.empty()) return false;
    *path = opened_replays.front();
    opened_replays.pop_front();
    return true;
  }
  bool TakeFilesChanged() override {
    const bool changed = files_changed;
    files_changed = false;
    return changed;
  }
  void ShowActivity(Activity shown) override {
    activity_changes += shown != activity;
    activity = shown;
  }
  Image* LoadImage(const char* path) override;
  void FreeImage(Image* image) override;
  int ImageWidth(const Image* image) override { return image->width; }
  int ImageHeight(const Image* image) override { return image->height; }
  void Blit(Image* image, int x, int y) override;
  void BlitRegion(Image* image, int sx, int sy, int w, int h, int x, int y) override;
  void Flip() override;
  void ToggleFullScreen() override { ++fullscreen_toggles; }
  bool OpenAudio() override;
  const char* LastError() override { return "no audio device in this test"; }
  Music* LoadMusic(const char* path) override;
  void PlayMusicLooped(Music* music) override;
  void HaltMusic() override;
  void ReleaseMusic(Music* music) override;

 private:
  KeyInput input_;
  bool focus_lost_ = false;
  bool quit_taken_ = false;
  std::set<Image*> live_;
  std::set<Music*> live_music_;
  Music* playing_ = nullptr;
  std::vector<Music*> released_;
  void FreeStoppedMusic();
};

// Default size of an image by its file name: backgrounds and the title are
// 800x600, the digit strip 200x20, everything else 30x30.
std::pair<int, int> DefaultImageSize(const std::string& path);

}  // namespace vq
