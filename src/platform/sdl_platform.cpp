#include "platform/sdl_platform.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>

#include <algorithm>

namespace vq {

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

SDL_Surface* AsSurface(Image* image) { return reinterpret_cast<SDL_Surface*>(image); }
const SDL_Surface* AsSurface(const Image* image) {
  return reinterpret_cast<const SDL_Surface*>(image);
}
Mix_Music* AsMixMusic(Music* music) { return reinterpret_cast<Mix_Music*>(music); }

SDLKey SdlKeyOf(Key key) {
  switch (key) {
    case Key::Escape: return SDLK_ESCAPE;
    case Key::LeftCtrl: return SDLK_LCTRL;
    case Key::RightCtrl: return SDLK_RCTRL;
    case Key::LeftAlt: return SDLK_LALT;
    case Key::RightAlt: return SDLK_RALT;
    case Key::Up: return SDLK_UP;
    case Key::Down: return SDLK_DOWN;
    case Key::Left: return SDLK_LEFT;
    case Key::Right: return SDLK_RIGHT;
    case Key::Space: return SDLK_SPACE;
    case Key::Return: return SDLK_RETURN;
    case Key::M: return SDLK_m;
    case Key::F: return SDLK_f;
    case Key::Count: break;
  }
  return SDLK_UNKNOWN;
}

}  // namespace

void ShutdownSdl() { SDL_Quit(); }

SdlPlatform::SdlPlatform(bool convert_images) : convert_images_(convert_images) {}

bool SdlPlatform::StartVideo() { return SDL_Init(SDL_INIT_VIDEO) == 0; }

bool SdlPlatform::OpenWindow() {
  SDL_WM_SetCaption("Velquadro", nullptr);
  screen_ = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 0, SDL_DOUBLEBUF);
  if (!screen_) return false;
  // The program has no use for the mouse: its events are never queued, so
  // they cannot crowd out the keys in a game's one poll per frame.
  SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
  SDL_EventState(SDL_MOUSEBUTTONDOWN, SDL_IGNORE);
  SDL_EventState(SDL_MOUSEBUTTONUP, SDL_IGNORE);
  return true;
}

uint32_t SdlPlatform::Ticks() { return SDL_GetTicks(); }

void SdlPlatform::Delay(uint32_t ms) { SDL_Delay(ms); }

std::time_t SdlPlatform::Time() { return std::time(nullptr); }

bool SdlPlatform::PollEvent(EventType* record) {
  SDL_Event event;
  if (!SDL_PollEvent(&event)) return false;
  switch (event.type) {
    case SDL_KEYDOWN: *record = EventType::KeyDown; break;
    case SDL_KEYUP: *record = EventType::KeyUp; break;
    case SDL_QUIT: *record = EventType::Quit; break;
    default: *record = EventType::Other; break;
  }
  return true;
}

bool SdlPlatform::KeyHeld(Key key) {
  const Uint8* keys = SDL_GetKeyState(nullptr);
  SDLKey sym = SdlKeyOf(key);
  return keys && sym != SDLK_UNKNOWN && keys[sym] != 0;
}

Image* SdlPlatform::LoadImage(const char* path) {
  SDL_Surface* loaded = IMG_Load(path);
  if (!loaded) return nullptr;
  if (convert_images_ && SDL_GetVideoSurface()) {
    // Images with an alpha channel keep it; the others take the screen's
    // format exactly.
    SDL_Surface* converted = loaded->format->Amask ? SDL_DisplayFormatAlpha(loaded)
                                                   : SDL_DisplayFormat(loaded);
    if (converted) {
      SDL_FreeSurface(loaded);
      loaded = converted;
    }
  }
  return reinterpret_cast<Image*>(loaded);
}

void SdlPlatform::FreeImage(Image* image) {
  if (image) SDL_FreeSurface(AsSurface(image));
}

int SdlPlatform::ImageWidth(const Image* image) { return AsSurface(image)->w; }

int SdlPlatform::ImageHeight(const Image* image) { return AsSurface(image)->h; }

void SdlPlatform::Blit(Image* image, int x, int y) {
  const SDL_Surface* surface = AsSurface(image);
  BlitRegion(image, 0, 0, surface->w, surface->h, x, y);
}

void SdlPlatform::BlitRegion(Image* image, int sx, int sy, int w, int h, int x, int y) {
  if (!image || !screen_) return;
  SDL_Surface* surface = AsSurface(image);
  // Clip here, in int, against the image and the screen: SDL's rectangles hold
  // 16-bit values, and a rectangle partly left of the image must lose the
  // columns that are not there rather than wrap around.
  if (sx < 0) { w += sx; x -= sx; sx = 0; }
  if (sy < 0) { h += sy; y -= sy; sy = 0; }
  w = std::min(w, surface->w - sx);
  h = std::min(h, surface->h - sy);
  if (x < 0) { w += x; sx -= x; x = 0; }
  if (y < 0) { h += y; sy -= y; y = 0; }
  w = std::min(w, screen_->w - x);
  h = std::min(h, screen_->h - y);
  if (w <= 0 || h <= 0) return;
  SDL_Rect source{static_cast<Sint16>(sx), static_cast<Sint16>(sy), static_cast<Uint16>(w),
                  static_cast<Uint16>(h)};
  SDL_Rect destination{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
  SDL_BlitSurface(surface, &source, screen_, &destination);
}

void SdlPlatform::Flip() {
  if (screen_) SDL_Flip(screen_);
}

void SdlPlatform::ToggleFullScreen() {
  if (!screen_) return;
  SDL_WM_ToggleFullScreen(screen_);
  screen_ = SDL_GetVideoSurface();
}

bool SdlPlatform::OpenAudio() {
  // Once open, the device stays open for every later game: music still
  // playing from the previous game goes on.
  if (audio_open_) return true;
  if (SDL_Init(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(22050, AUDIO_S16MSB, 2, 4096) != 0) return false;
  audio_open_ = true;
  return true;
}

const char* SdlPlatform::LastError() { return SDL_GetError(); }

Music* SdlPlatform::LoadMusic(const char* path) {
  FreeStoppedMusic();
  return reinterpret_cast<Music*>(Mix_LoadMUS(path));
}

void SdlPlatform::PlayMusicLooped(Music* music) {
  if (!music) return;
  playing_ = Mix_PlayMusic(AsMixMusic(music), -1) == 0 ? AsMixMusic(music) : nullptr;
  FreeStoppedMusic();
}

void SdlPlatform::HaltMusic() {
  Mix_HaltMusic();
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
