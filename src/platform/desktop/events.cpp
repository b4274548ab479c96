// The desktop's events: key presses, pads and what the window goes through
// noted by SDL 1.2's event filter as SDL takes them in, the mouse ignored,
// and the signals that ask the program to end.
#include <signal.h>

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

// What the window went through since the program last looked, noted as SDL
// takes the events in: it lost the keyboard's focus (or was minimised); it
// was shown again, and what it showed must be shown anew.
bool g_focus_lost = false;
bool g_exposed = false;

// SIGTERM, SIGINT or SIGHUP came: from then on every poll reports a request
// to end the program, as closing the window does.
volatile sig_atomic_t g_quit_signal = 0;

void NoteQuitSignal(int) { g_quit_signal = 1; }

int NoteInput(const SDL_Event* event) {
  if (!g_input) return 1;
  switch (event->type) {
    case SDL_KEYDOWN: {
      const Key key = KeyOfSdl(event->key.keysym.sym);
      if (key != Key::Count) g_input->KeyDown(key);
      if (key == Key::Count) g_input->OtherKeyDown();
      return 1;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      PadState pad = g_input->Pad(event->jbutton.which % KeyInput::kMostPads);
      if (event->jbutton.button < kPadButtons) pad.button[event->jbutton.button] = event->type == SDL_JOYBUTTONDOWN;
      g_input->SetPad(event->jbutton.which, pad);
      return 0;
    }
    case SDL_JOYHATMOTION: {
      PadState pad = g_input->Pad(event->jhat.which % KeyInput::kMostPads);
      if (event->jhat.hat == 0) pad.hat = event->jhat.value;
      g_input->SetPad(event->jhat.which, pad);
      return 0;
    }
    case SDL_JOYAXISMOTION: {
      PadState pad = g_input->Pad(event->jaxis.which % KeyInput::kMostPads);
      if (event->jaxis.axis == 0) pad.stick_x = event->jaxis.value;
      if (event->jaxis.axis == 1) pad.stick_y = event->jaxis.value;
      g_input->SetPad(event->jaxis.which, pad);
      return 0;
    }
    case SDL_JOYBALLMOTION: return 0;
    case SDL_ACTIVEEVENT:
      if (!event->active.gain && (event->active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE))) g_focus_lost = true;
      if (event->active.gain && (event->active.state & SDL_APPACTIVE)) g_exposed = true;
      return 1;
    case SDL_VIDEOEXPOSE: g_exposed = true; return 1;
  }
  return 1;
}

}  // namespace

void CatchQuitSignals() {
  // Caught before SDL starts, which then leaves these signals to us: SDL
  // takes SIGINT and SIGTERM only while their action is the default one, and
  // would let SIGHUP end the program at once, without a game's summary.
  struct sigaction action = {};
  action.sa_handler = NoteQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

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

void SdlPlatform::ShowActivity(Activity) {}

bool SdlPlatform::TakeFocusLoss() {
  const bool lost = g_focus_lost;
  g_focus_lost = false;
  return lost;
}

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
  if (g_quit_signal) {
    *record = EventType::Quit;
    return true;
  }
  if (input_.TakePadEvent(record)) return true;
  SDL_Event event;
  if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_ALLEVENTS) <= 0) return false;
  switch (event.type) {
    case SDL_KEYDOWN: *record = EventType::KeyDown; break;
    case SDL_KEYUP: *record = EventType::KeyUp; break;
    case SDL_QUIT: *record = EventType::Quit; break;
    default: *record = EventType::Other; break;
  }
  return true;
}

}  // namespace vq
