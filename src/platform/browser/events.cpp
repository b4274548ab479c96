// The browser's events. Emscripten's SDL has no event filter: every poll
// takes in all that came (keys, pads, the page's focus and visibility) and
// notes it at once, as the desktop's filter does, keeping only what the
// desktop queues for the program. The browser repeats a held key's keydown,
// which SDL 1.2 on the desktop does not: a repeat is no press here either.
#include <emscripten.h>

#include <array>
#include <bitset>

#include "platform/browser/browser_pad.h"
#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"

namespace vq {

namespace {

// The page lost the focus or was hidden since the program last looked; the
// page is hidden now (another tab, a minimised browser).
bool g_focus_lost = false;
bool g_hidden = false;

// Keys held now, by SDL's key code (emscripten's go up to 0x10000), to tell
// the browser's repeats from presses.
std::bitset<0x10000> g_keys_down;

// The events the program takes one at a time, as the desktop's queue holds
// them. A ring: when it is full the oldest event makes room.
std::array<EventType, 64> g_events{};
size_t g_first = 0;
size_t g_count = 0;

void Queue(EventType type) {
  if (g_count == g_events.size()) {
    g_first = (g_first + 1) % g_events.size();
    --g_count;
  }
  g_events[(g_first + g_count) % g_events.size()] = type;
  ++g_count;
}

// Notes one event; true when the program is to take it.
bool Note(const SDL_Event& event, KeyInput& input) {
  switch (event.type) {
    case SDL_KEYDOWN: {
      const SDLKey sym = event.key.keysym.sym;
      const bool known = sym >= 0 && static_cast<size_t>(sym) < g_keys_down.size();
      if (known && g_keys_down[static_cast<size_t>(sym)]) return false;  // the browser's repeat
      if (known) g_keys_down[static_cast<size_t>(sym)] = true;
      const Key key = KeyOfSdl(sym);
      if (key != Key::Count) input.KeyDown(key);
      if (key == Key::Count) input.OtherKeyDown();
      return true;
    }
    case SDL_KEYUP: {
      const SDLKey sym = event.key.keysym.sym;
      if (sym >= 0 && static_cast<size_t>(sym) < g_keys_down.size()) g_keys_down[static_cast<size_t>(sym)] = false;
      return true;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      PadState pad = input.Pad(event.jbutton.which % KeyInput::kMostPads);
      const int button = PadButtonOf(event.jbutton.button);
      if (button < kPadButtons) pad.button[button] = event.type == SDL_JOYBUTTONDOWN;
      input.SetPad(event.jbutton.which, pad);
      return false;
    }
    case SDL_JOYAXISMOTION: {
      PadState pad = input.Pad(event.jaxis.which % KeyInput::kMostPads);
      if (event.jaxis.axis == 0) pad.stick_x = event.jaxis.value;
      if (event.jaxis.axis == 1) pad.stick_y = event.jaxis.value;
      input.SetPad(event.jaxis.which, pad);
      return false;
    }
    case SDL_WINDOWEVENT:
      // The page's blur, or the tab hidden: the game pauses, as on the
      // desktop when the window loses the focus or is minimised.
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST || event.window.event == SDL_WINDOWEVENT_HIDDEN) {
        g_focus_lost = true;
      }
      if (event.window.event == SDL_WINDOWEVENT_HIDDEN) g_hidden = true;
      if (event.window.event == SDL_WINDOWEVENT_SHOWN) g_hidden = false;
      return true;
    case SDL_QUIT: return true;
    default: return false;  // the mouse, the touches, the canvas resized
  }
}

// The page puts a replay the player opened (its file input, or a drop) into
// the program's files and names it in Module.openedReplay.
EM_JS(int, TakePageReplay, (char* path, int size), {
  var opened = Module["openedReplay"];
  if (!opened) return 0;
  Module["openedReplay"] = null;
  stringToUTF8(opened, path, size);
  return 1;
});

// The page lays out its touch controls and holds the screen awake by what
// the player is doing (touch.js).
EM_JS(void, ShowPageActivity, (int activity), {
  if (Module["showActivity"]) Module["showActivity"](activity);
});

}  // namespace

int PadButtonOf(int sdl_button) { return BrowserPadButton(sdl_button); }

bool SdlPlatform::TakeOpenedReplay(std::string* path) {
  char opened[256];
  if (!TakePageReplay(opened, sizeof opened)) return false;
  *path = opened;
  return true;
}

void SdlPlatform::ShowActivity(Activity activity) { ShowPageActivity(static_cast<int>(activity)); }

const Uint8* KeyboardState() { return SDL_GetKeyboardState(nullptr); }

void SdlPlatform::StartInput() { FindPads(); }

bool SdlPlatform::Hidden() { return g_hidden; }

bool SdlPlatform::TakeFocusLoss() {
  const bool lost = g_focus_lost;
  g_focus_lost = false;
  return lost;
}

bool SdlPlatform::PollEvent(EventType* record) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (!Note(event, input_)) continue;
    switch (event.type) {
      case SDL_KEYDOWN: Queue(EventType::KeyDown); break;
      case SDL_KEYUP: Queue(EventType::KeyUp); break;
      case SDL_QUIT: Queue(EventType::Quit); break;
      default: Queue(EventType::Other); break;
    }
  }
  // A hidden page draws nothing, so no frame yields in Flip: the browser
  // gets its turn here, or it could not tell the program the page is back.
  if (g_hidden) emscripten_sleep(0);
  if (input_.TakePadEvent(record)) return true;
  if (g_count == 0) return false;
  *record = g_events[g_first];
  g_first = (g_first + 1) % g_events.size();
  --g_count;
  return true;
}

}  // namespace vq
