// The SDL platform's sound: the audio device and the music.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"

namespace vq {

namespace {

Mix_Music* AsMixMusic(Music* music) { return reinterpret_cast<Mix_Music*>(music); }

}  // namespace

bool SdlPlatform::OpenAudio() {
  // Once open, the device stays open for every later game: music still
  // playing from the previous game goes on.
  if (audio_open_) return true;
  // Started beside the video rather than by SDL_Init, which on the browser
  // starts SDL anew and forgets the keys held and the pads.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(22050, AUDIO_S16MSB, 2, 4096) != 0) return false;
  audio_open_ = true;
  // Every game starts silent: the device plays only while music does, rather
  // than convert silence to the device's rate all the time.
  SDL_PauseAudio(1);
  return true;
}

Music* SdlPlatform::LoadMusic(const char* path) {
  FreeStoppedMusic();
  PrepareFile(path);
  return reinterpret_cast<Music*>(Mix_LoadMUS(path));
}

void SdlPlatform::PlayMusicLooped(Music* music) {
  if (!music) return;
  playing_ = Mix_PlayMusic(AsMixMusic(music), -1) == 0 ? AsMixMusic(music) : nullptr;
  SDL_PauseAudio(playing_ ? 0 : 1);
  FreeStoppedMusic();
}

void SdlPlatform::HaltMusic() {
  Mix_HaltMusic();
  SDL_PauseAudio(1);
  playing_ = nullptr;
  FreeStoppedMusic();
}

void SdlPlatform::ReleaseMusic(Music* music) {
  if (!music) return;
  if (std::find(released_.begin(), released_.end(), AsMixMusic(music)) == released_.end()) {
    released_.push_back(AsMixMusic(music));
  }
  FreeStoppedMusic();
}

void SdlPlatform::FreeStoppedMusic() {
  auto stopped = [this](Mix_Music* m) {
    if (m == playing_ && Mix_PlayingMusic()) return false;
    if (m == playing_) playing_ = nullptr;
    Mix_FreeMusic(m);
    return true;
  };
  released_.erase(std::remove_if(released_.begin(), released_.end(), stopped), released_.end());
}

}  // namespace vq
