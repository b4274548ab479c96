// The platform on SDL 1.2, SDL_image and SDL_mixer: the one place that talks
// to the machine. This header includes no SDL header, so that main can open
// the window without seeing SDL itself. Both targets share the images
// (sdl_images.cpp), the clock, keys and pads (sdl_input.cpp) and the sound
// (sdl_audio.cpp); the window, the presentation and the events are each
// target's own, in desktop/ (SDL 1.2 through sdl12-compat) or browser/
// (emscripten's SDL), chosen by CMake.
#pragma once

#include <functional>
#include <vector>

#include "platform/pad_input.h"
#include "platform/platform.h"

struct SDL_Surface;
struct _Mix_Music;
struct _SDL_Joystick;

namespace vq {

struct SdlImage;

// The exit handler that main registers with atexit; its only action is
// SDL_Quit().
void ShutdownSdl();

// The player's files and where the target keeps them. On the desktop they are
// on disk and these do nothing. In the browser ReadStoredFilesAnew takes the
// lock between the page's tabs and brings in what another tab stored, waiting
// until it is in; StoredFilesChanged writes the file at path through to the
// page's storage, waiting until it is stored or refused; LetGoOfStoredFiles
// lets the lock go.
void ReadStoredFilesAnew();
void StoredFilesChanged(const char* path);
void LetGoOfStoredFiles();

class SdlPlatform : public Platform {
 public:
  // With convert_images, every loaded image is converted to the screen's
  // pixel format and its blits skip the parts that are fully transparent
  // (same pixels, much faster blits); without, images keep the format they
  // were stored in and are blitted whole (the benchmark compares both).
  explicit SdlPlatform(bool convert_images = true) : convert_images_(convert_images) {}

  // Opening, in this order: StartVideo, then register ShutdownSdl with atexit,
  // then OpenWindow. Each returns false on failure; LastError() says why.
  bool StartVideo();  // SDL_Init(SDL_INIT_VIDEO); fails without a display
  bool OpenWindow();  // caption "Velquadro", 800x600 double-buffered window

  // --- Platform -----------------------------------------------------------
  uint32_t Ticks() override;
  void Delay(uint32_t ms) override;
  std::time_t Time() override;
  void Wait(uint32_t ms) override;
  bool Hidden() override;
  bool TakeFocusLoss() override;
  bool PollEvent(EventType* record) override;
  bool KeyHeld(Key key) override;
  bool TakePress(Key key) override;
  bool TakeAnyPress() override;
  void FindPads() override;
  bool TakeOpenedReplay(std::string* path) override;
  bool TakeFilesChanged() override;
  void ShowActivity(Activity activity) override;
  Image* LoadImage(const char* path) override;
  void FreeImage(Image* image) override;
  int ImageWidth(const Image* image) override;
  int ImageHeight(const Image* image) override;
  void Blit(Image* image, int x, int y) override;
  void BlitRegion(Image* image, int sx, int sy, int w, int h, int x, int y) override;
  void Flip() override;
  // Calls visit with the bytes of each row of the screen as the last drawing
  // left it, top to bottom; false without a window.
  bool VisitScreenRows(const std::function<void(const uint8_t* row, int bytes)>& visit);
  void ToggleFullScreen() override;
  bool OpenAudio() override;
  const char* LastError() override;
  Music* LoadMusic(const char* path) override;
  void PlayMusicLooped(Music* music) override;
  void HaltMusic() override;
  void ReleaseMusic(Music* music) override;

 private:
  // The input's part of opening the window: the mouse ignored, keys, pads and
  // the window's focus noted as they come in.
  void StartInput();
  // Shows the screen's picture in the window as the target does.
  void Present();
  void FreeStoppedMusic();
  // Draws the source rectangle of the image at (x, y), clipped to the image
  // and the screen.
  void BlitClipped(const SdlImage& image, int sx, int sy, int w, int h, int x, int y);

  bool convert_images_;
  SDL_Surface* screen_ = nullptr;
  bool audio_open_ = false;
  uint32_t events_taken_at_ = 0;  // ticks of the last SDL_PumpEvents
  KeyInput input_;
  _SDL_Joystick* pads_[KeyInput::kMostPads] = {};
  int pad_count_ = 0;
  _Mix_Music* playing_ = nullptr;      // the music last started, until halted
  std::vector<_Mix_Music*> released_;  // given back while still playing
};

}  // namespace vq
