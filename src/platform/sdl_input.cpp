// The SDL platform's clock, keys and pads, on both targets. What SDL tells of
// the window and how its events come in differ: each target's events.cpp.
#include <SDL.h>

#include <algorithm>
#include <ctime>

#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"

namespace vq {

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
    case Key::R: return SDLK_r;
    case Key::B: return SDLK_b;
    case Key::F1: return SDLK_F1;
    case Key::H: return SDLK_h;
    case Key::Count: break;
  }
  return SDLK_UNKNOWN;
}

Key KeyOfSdl(SDLKey sym) {
  for (int k = 0; k < static_cast<int>(Key::Count); ++k) {
    if (SdlKeyOf(static_cast<Key>(k)) == sym) return static_cast<Key>(k);
  }
  return Key::Count;
}

void SdlPlatform::FindPads() {
  // Pads plugged in since the last look show up only when the joystick
  // subsystem starts anew.
  for (int i = 0; i < pad_count_; ++i) SDL_JoystickClose(pads_[i]);
  pad_count_ = 0;
  input_.ForgetPads();
  if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  SDL_JoystickEventState(SDL_ENABLE);
  for (int i = 0; i < SDL_NumJoysticks() && pad_count_ < KeyInput::kMostPads; ++i) {
    if (SDL_Joystick* pad = SDL_JoystickOpen(i)) pads_[pad_count_++] = pad;
  }
  // From here on the pads' events keep their state; what is held now is read
  // once.
  SDL_JoystickUpdate();
  for (int i = 0; i < pad_count_; ++i) {
    SDL_Joystick* pad = pads_[i];
    PadState state;
    for (int b = 0; b < SDL_JoystickNumButtons(pad); ++b) {
      const int button = PadButtonOf(b);
      if (button < kPadButtons) state.button[button] = SDL_JoystickGetButton(pad, b) != 0;
    }
    if (SDL_JoystickNumHats(pad) > 0) state.hat = SDL_JoystickGetHat(pad, 0);
    if (SDL_JoystickNumAxes(pad) >= 2) {
      state.stick_x = SDL_JoystickGetAxis(pad, 0);
      state.stick_y = SDL_JoystickGetAxis(pad, 1);
    }
    input_.SetPad(SDL_JoystickIndex(pad), state);
  }
}

uint32_t SdlPlatform::Ticks() { return SDL_GetTicks(); }

void SdlPlatform::Delay(uint32_t ms) { SDL_Delay(ms); }

void SdlPlatform::Wait(uint32_t ms) { SDL_Delay(Hidden() ? std::max(ms, kHiddenWaitMs) : ms); }

std::time_t SdlPlatform::Time() { return std::time(nullptr); }

bool SdlPlatform::KeyHeld(Key key) {
  const Uint8* keys = KeyboardState();
  SDLKey sym = SdlKeyOf(key);
  return (keys && sym != SDLK_UNKNOWN && keys[sym] != 0) || input_.PadHolds(key);
}

bool SdlPlatform::TakePress(Key key) { return input_.TakePress(key); }

bool SdlPlatform::TakeAnyPress() { return input_.TakeAnyPress(); }

}  // namespace vq
