/* A gamepad that is not there: preloaded into the program
 * (LD_PRELOAD=virtual_pad.so), it plugs a virtual pad with the standard
 * layout into SDL 2 before the program first looks for pads, and sets its
 * buttons and stick from lines written to the named pipe given in
 * VQ_PAD_FIFO:
 *   button <0-14> <0|1>     A, B, X, Y, Back, Guide, Start, the stick presses,
 *                           the shoulders, then D-pad up, down, left, right
 *   axis <0|1> <value>      the left stick's x and y, -32768 to 32767
 * Try pads without owning one, and test them end to end.
 * Build: cc -shared -fPIC -o virtual_pad.so tools/pad/virtual_pad.c -ldl -lpthread */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define INIT_JOYSTICK 0x200u
#define INIT_GAMECONTROLLER 0x2000u

/* SDL 2's description of a virtual joystick (SDL_VirtualJoystickDesc, version 1). */
struct VirtualDesc {
  uint16_t version, type, naxes, nbuttons, nhats, vendor_id, product_id, padding;
  uint32_t button_mask, axis_mask;
  const char *name;
  void *userdata, *update, *set_player_index, *rumble, *rumble_triggers, *set_led, *send_effect;
};

static void *pad;
static int (*set_button)(void *, int, uint8_t);
static int (*set_axis)(void *, int, int16_t);

static void *Listen(void *path) {
  char line[64];
  for (;;) {
    FILE *in = fopen(path, "r");
    if (!in) return NULL;
    while (fgets(line, sizeof line, in)) {
      int index, value;
      if (sscanf(line, "button %d %d", &index, &value) == 2) set_button(pad, index, (uint8_t)value);
      if (sscanf(line, "axis %d %d", &index, &value) == 2) set_axis(pad, index, (int16_t)value);
    }
    fclose(in);
  }
}

static void PlugIn(void) {
  void *sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
  const char *fifo = getenv("VQ_PAD_FIFO");
  if (!sdl2 || !fifo) return;
  int (*init)(uint32_t) = (int (*)(uint32_t))dlsym(sdl2, "SDL_InitSubSystem");
  int (*attach)(const struct VirtualDesc *) =
      (int (*)(const struct VirtualDesc *))dlsym(sdl2, "SDL_JoystickAttachVirtualEx");
  void *(*open)(int) = (void *(*)(int))dlsym(sdl2, "SDL_JoystickOpen");
  set_button = (int (*)(void *, int, uint8_t))dlsym(sdl2, "SDL_JoystickSetVirtualButton");
  set_axis = (int (*)(void *, int, int16_t))dlsym(sdl2, "SDL_JoystickSetVirtualAxis");
  if (!init || !attach || !open || !set_button || !set_axis) return;
  struct VirtualDesc desc;
  memset(&desc, 0, sizeof desc);
  desc.version = 1;
  desc.type = 1; /* a game controller */
  desc.naxes = 2;
  desc.nbuttons = 15;
  desc.button_mask = 0x7fff;
  desc.axis_mask = 0x3;
  desc.name = "Virtual pad";
  if (init(INIT_JOYSTICK | INIT_GAMECONTROLLER) != 0) return;
  int index = attach(&desc);
  if (index < 0 || !(pad = open(index))) return;
  pthread_t listener;
  pthread_create(&listener, NULL, Listen, (void *)fifo);
}

int SDL_InitSubSystem(uint32_t flags) {
  static int (*real)(uint32_t);
  static int plugged;
  if (!real) real = (int (*)(uint32_t))dlsym(RTLD_NEXT, "SDL_InitSubSystem");
  if ((flags & INIT_JOYSTICK) && !plugged) {
    plugged = 1;
    PlugIn();
  }
  return real(flags);
}
