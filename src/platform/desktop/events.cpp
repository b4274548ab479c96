// The desktop's events: key presses, pads and what the window goes through
// noted by SDL 1.2's event filter as SDL takes them in, and the mouse
// ignored.
#include "platform/desktop/desktop.h"
#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"

namespace vq {

namespace {

// Key presses and pads are noted as SDL takes their events in, not when the
// program takes events one at a time, so that a short tap counts in the very
// next frame even behind other events. The pads' own events stay out of the
// queue, where a moving stick would crowd out the keys.
KeyInput* g_input = nullptr;

// The window was shown again since the program last looked, noted as SDL
// takes the events in: what it showed must be shown anew.
bool g_exposed = false;

int NoteInput(const SDL_Event* event) {
  if (!g_input) return 1;
  // The pads' own events stay out of the queue.
  if (NotePadEvent(*event, *g_input)) return 0;
  switch (event->type) {
    case SDL_KEYDOWN: NoteKeyDown(event->key.keysym.sym, *g_input); return 1;
    case SDL_ACTIVEEVENT:
      if (!event->active.gain && (event->active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE))) NoteFocusLoss();
      if (event->active.gain && (event->active.state & SDL_APPACTIVE)) g_exposed = true;
      return 1;
    case SDL_VIDEOEXPOSE: g_exposed = true; return 1;
  }
  return 1;
}

}  // namespace

// SDL 1.2's pads read in the standard layout (SDL12COMPAT_USE_GAME_CONTROLLERS)
// number their buttons as PadButton does.
int PadButtonOf(int sdl_button) { return sdl_button < kPadButtons ? sdl_button : kPadButtons; }

const Uint8* KeyboardState() { return SDL_GetKeyState(nullptr); }

void SdlPlatform::StartInput() {
  // The program has no use for the mouse: its events are never queued, so
  // they cannot crowd out the keys in a game's one poll per frame.
  SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
  SDL_EventState(SDL_MOUSEBUTTONDOWN, SDL_IGNORE);
  SDL_EventState(SDL_MOUSEBUTTONUP, SDL_IGNORE);
  g_input = &input_;
  SDL_SetEventFilter(NoteInput);
  FindPads();
}

// SDL 1.2's window takes no dropped file: the desktop opens a replay from
// the command line (--replay).
bool SdlPlatform::TakeOpenedReplay(std::string*) { return false; }

bool SdlPlatform::TakeFilesChanged() { return false; }

void SdlPlatform::ShowActivity(Activity) {}

bool SdlPlatform::PollEvent(EventType* record) {
  // Pads, key presses and the window are noted as their events come in. A
  // hidden window's events are taken in ten times a second: nobody presses
  // keys there, and taking them in costs more than a frame of the demo that
  // goes on meanwhile.
  const uint32_t now = SDL_GetTicks();
  if (!Hidden() || now - events_taken_at_ >= kHiddenWaitMs) {
    SDL_PumpEvents();
    events_taken_at_ = now;
  }
  // Nothing drawn while the window was hidden reached it, and a window shown
  // again may have lost its picture: the last one is shown anew.
  if (g_exposed && !Hidden()) {
    g_exposed = false;
    Present();
  }
  if (QuitSignalCame()) {
    *record = EventType::Quit;
    return true;
  }
  if (input_.TakePadEvent(record)) return true;
  SDL_Event event;
  if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_ALLEVENTS) <= 0) return false;
  *record = EventTypeOf(event);
  return true;
}

}  // namespace vq
