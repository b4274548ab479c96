// The signals that ask the desktop's program to end: SIGTERM, SIGINT and
// SIGHUP end it as closing the window does.
#include <signal.h>

#include <initializer_list>

#include "platform/desktop/desktop.h"

namespace vq {

namespace {

// A signal came: from then on every poll reports a request to end the
// program.
volatile sig_atomic_t g_quit_signal = 0;

void NoteQuitSignal(int) { g_quit_signal = 1; }

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

bool QuitSignalCame() { return g_quit_signal != 0; }

}  // namespace vq
