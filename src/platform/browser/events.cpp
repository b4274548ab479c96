// The browser's events. Emscripten's SDL has no event filter: every poll
// takes in all that came (keys, pads, the page's focus and visibility) and
// notes it at once, as the desktop's filter does, keeping only what the
// desktop queues for the program. The browser repeats a held key's keydown,
// which SDL 1.2 on the desktop does not: a repeat is no press here either.
#include <emscripten.h>

#include <bitset>

#include "platform/browser/browser.h"
#include "platform/browser/browser_pad.h"
#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"

namespace vq {

namespace {

// Keys held now, by SDL's key code (emscripten's go up to 0x10000), to tell
// the browser's repeats from presses.
std::bitset<0x10000> g_keys_down;

// The events the program takes one at a time, as the desktop's queue holds
// them.
EventRing<64> g_events;

// Notes one event; true when the program is to take it.
bool Note(const SDL_Event& event, KeyInput& input) {
  if (NotePadEvent(event, input)) return false;
  switch (event.type) {
    case SDL_KEYDOWN: {
      const SDLKey sym = event.key.keysym.sym;
      const bool known = sym >= 0 && static_cast<size_t>(sym) < g_keys_down.size();
      if (known && g_keys_down[static_cast<size_t>(sym)]) return false;  // the browser's repeat
      if (known) g_keys_down[static_cast<size_t>(sym)] = true;
      NoteKeyDown(sym, input);
      return true;
    }
    case SDL_KEYUP: {
      const SDLKey sym = event.key.keysym.sym;
      if (sym >= 0 && static_cast<size_t>(sym) < g_keys_down.size()) g_keys_down[static_cast<size_t>(sym)] = false;
      return true;
    }
    case SDL_WINDOWEVENT:
      // The page's blur, or the tab hidden: the game pauses, as on the
      // desktop when the window loses the focus or is minimised.
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST || event.window.event == SDL_WINDOWEVENT_HIDDEN) {
        NoteFocusLoss();
      }
      if (event.window.event == SDL_WINDOWEVENT_HIDDEN) NotePageHidden(true);
      if (event.window.event == SDL_WINDOWEVENT_SHOWN) NotePageHidden(false);
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

// The page's storage (page_storage.js) brought in what another tab stored.
EM_JS(int, TakePageFilesChanged, (), {
  var changed = Module["filesChanged"];
  Module["filesChanged"] = false;
  return changed ? 1 : 0;
});

// The page says beside the canvas what the player is doing (page.js), lays
// out its touch controls and holds the screen awake by it (touch.js).
EM_JS(void, ShowPageActivity, (int activity), {
  if (Module["showActivity"]) Module["showActivity"](activity);
});

// The page's leaderboard (leaderboard.js) lists the mode the title menu has
// chosen.
EM_JS(void, TellPageMode, (int mode), {
  Module["chosenMode"] = mode;
  if (Module["onChosenMode"]) Module["onChosenMode"](mode);
});

}  // namespace

int PadButtonOf(int sdl_button) { return BrowserPadButton(sdl_button); }

void SdlPlatform::ShowChosenMode(int32_t mode) { TellPageMode(mode); }

bool SdlPlatform::TakeOpenedReplay(std::string* path) {
  char opened[256];
  if (!TakePageReplay(opened, sizeof opened)) return false;
  *path = opened;
  return true;
}

bool SdlPlatform::TakeFilesChanged() { return TakePageFilesChanged() != 0; }

void SdlPlatform::ShowActivity(Activity activity) { ShowPageActivity(static_cast<int>(activity)); }

const Uint8* KeyboardState() { return SDL_GetKeyboardState(nullptr); }

void SdlPlatform::StartInput() { FindPads(); }

bool SdlPlatform::PollEvent(EventType* record) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (Note(event, input_)) g_events.Push(EventTypeOf(event));
  }
  // A hidden page draws nothing, so no frame yields in Flip: the browser
  // gets its turn here, or it could not tell the program the page is back.
  if (Hidden()) emscripten_sleep(0);
  return input_.TakePadEvent(record) || g_events.Take(record);
}

}  // namespace vq
