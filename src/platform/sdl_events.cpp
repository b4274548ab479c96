// What both targets do alike with SDL's events, however each takes them in
// (desktop/events.cpp, browser/events.cpp): the type the program sees, the
// pads' events noted as the keys they stand for, and the window's lost focus.
#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"

namespace vq {

namespace {

// The window lost the keyboard's focus (or was minimised, or the page was
// hidden) since the program last looked.
bool g_focus_lost = false;

}  // namespace

void NoteFocusLoss() { g_focus_lost = true; }

bool SdlPlatform::TakeFocusLoss() {
  const bool lost = g_focus_lost;
  g_focus_lost = false;
  return lost;
}

EventType EventTypeOf(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN: return EventType::KeyDown;
    case SDL_KEYUP: return EventType::KeyUp;
    case SDL_QUIT: return EventType::Quit;
    default: return EventType::Other;
  }
}

void NoteKeyDown(SDLKey sym, KeyInput& input) {
  const Key key = KeyOfSdl(sym);
  if (key != Key::Count) input.KeyDown(key);
  if (key == Key::Count) input.OtherKeyDown();
}

bool NotePadEvent(const SDL_Event& event, KeyInput& input) {
  switch (event.type) {
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      PadState pad = input.Pad(event.jbutton.which % KeyInput::kMostPads);
      const int button = PadButtonOf(event.jbutton.button);
      if (button < kPadButtons) pad.button[button] = event.type == SDL_JOYBUTTONDOWN;
      input.SetPad(event.jbutton.which, pad);
      return true;
    }
    case SDL_JOYHATMOTION: {
      PadState pad = input.Pad(event.jhat.which % KeyInput::kMostPads);
      if (event.jhat.hat == 0) pad.hat = event.jhat.value;
      input.SetPad(event.jhat.which, pad);
      return true;
    }
    case SDL_JOYAXISMOTION: {
      PadState pad = input.Pad(event.jaxis.which % KeyInput::kMostPads);
      if (event.jaxis.axis == 0) pad.stick_x = event.jaxis.value;
      if (event.jaxis.axis == 1) pad.stick_y = event.jaxis.value;
      input.SetPad(event.jaxis.which, pad);
      return true;
    }
    case SDL_JOYBALLMOTION: return true;
  }
  return false;
}

}  // namespace vq
