// The desktop's end when the display goes away: in one line, at once, and
// without shutting down SDL's video on the dead connection.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "platform/desktop/desktop.h"

namespace vq {

namespace {

// Set once the connection to the display broke: SDL's video must then not be
// shut down, as SDL 2 would wait for ever for the window to be unmapped on
// the dead connection (Xlib stops reading once it knows the connection is
// broken, so the wait spins at a full core).
bool g_display_lost = false;

// Xlib's handler of a broken connection, of type int (*)(Display*). It must
// not return: it says so in one line and ends the program, whose exit
// handler then leaves SDL's video alone. The hiscore and the replays are
// only ever renamed into place whole, so nothing is left half-written.
int EndOnDisplayLost(void*) {
  g_display_lost = true;
  std::fflush(stdout);
  std::fputs("velquadro: the connection to the display was lost\n", stderr);
  std::exit(1);
}

}  // namespace

// Replaces Xlib's own handler, which prints two lines and calls exit, whose
// SDL_Quit then spins, where SDL's video runs on Xlib. Reached by name, so
// that no X header is needed and nothing changes on other video drivers.
void HandleDisplayLoss() {
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (!xlib) return;
  using Handler = int (*)(void*);
  auto set_handler = reinterpret_cast<Handler (*)(Handler)>(dlsym(xlib, "XSetIOErrorHandler"));
  if (set_handler) set_handler(EndOnDisplayLost);
  dlclose(xlib);  // still loaded: SDL holds it
}

bool DisplayLost() { return g_display_lost; }

}  // namespace vq
