// What the SDL files that both targets share (sdl_images.cpp, sdl_input.cpp,
// sdl_audio.cpp) and each target's own files (desktop/ on SDL 1.2 through
// sdl12-compat, browser/ on emscripten's SDL) reach in each other. Only the
// platform's own files include it.
#pragma once

#include <SDL.h>

#include "platform/pad_input.h"
#include "platform/platform.h"

namespace vq {

// How an image reaches the screen: through SDL's blitter, or, for an image in
// the screen's own format, copied row by row or blended with BlendRow, which
// write the very pixels SDL's blitter writes for such an image, the blended
// ones in a third to a half of the time.
enum class Drawing { Sdl, Copy, Blend };

// --- Shared (sdl_input.cpp) -------------------------------------------------

// SDL's code of a key the program reads (SDLK_UNKNOWN for Key::Count), and
// back (Key::Count for a key the program does not read).
SDLKey SdlKeyOf(Key key);
Key KeyOfSdl(SDLKey sym);

// --- Shared (sdl_events.cpp) ------------------------------------------------

// The type of event the program sees for one of SDL's.
EventType EventTypeOf(const SDL_Event& event);

// A key went down: a press of a key the program reads, or of any key.
void NoteKeyDown(SDLKey sym, KeyInput& input);

// Notes a pad's event in input, as the keys the pad stands for; false for
// an event that is no pad's.
bool NotePadEvent(const SDL_Event& event, KeyInput& input);

// The window lost the keyboard's focus: TakeFocusLoss tells it once.
void NoteFocusLoss();

// --- Each target's own ------------------------------------------------------

// The loaded image in the screen's own format as a new surface; nullptr to
// keep it as loaded.
SDL_Surface* ConvertForScreen(SDL_Surface* loaded);

// How an image in its final format is drawn onto the screen.
Drawing DrawingFor(const SDL_Surface* image, const SDL_Surface* screen);

// Makes the image or music file at path ready for SDL to load, before
// IMG_Load or Mix_LoadMUS: the browser decodes each image only when the
// program first asks for it, and waits for it here; the desktop's SDL reads
// the file itself.
void PrepareFile(const char* path);

// Which keys the keyboard holds, indexed by SDLKey.
const Uint8* KeyboardState();

// The PadButton that SDL's button number sdl_button of a pad stands for;
// kPadButtons for a button the program gives no meaning.
int PadButtonOf(int sdl_button);

}  // namespace vq
