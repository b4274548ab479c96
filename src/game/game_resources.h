// What a game holds of the platform for its length: its images, and the
// music with the audio device. A game takes them at its start and gives them
// back at its end; its GameState stays plain data.
#pragma once

#include "core/game_state.h"
#include "platform/platform.h"

namespace vq {

// Roles of the five images of a skin, in their load order.
enum SkinRole : int { kSkinBg = 0, kSkinSq1, kSkinSq2, kSkinSq3, kSkinSq4, kSkinImages };

// The images of a game. The fifteen are loaded in this order: grid, skin 1's
// bg, sq1, sq2, sq3, sq4, tempo, numbers, dead, hud, spark, audvis, result,
// place, newbest; skins 2 to 5 follow, so that a pass end only switches
// between loaded skins.
struct GameImages {
  Image* grid;
  Image* tempo;    // Timeline marker
  Image* numbers;  // digit strip of the HUD numbers
  Image* dead;     // end-screen overlay
  Image* hud;      // HUD panel
  Image* spark;
  Image* audvis;                          // one block of a visualiser bar
  Image* result;                          // end screen: the panel of the score and the place
  Image* place;                           // end screen: the place's label
  Image* new_best;                        // end screen: the banner of a new best
  Image* skins[kSkinCount][kSkinImages];  // skins[k - 1] is skin k
};

struct GameResources {
  GameImages images;
  Music* music;          // nullptr when the file could not be loaded
  bool music_available;  // false when audio could not be opened or the music loaded: M only flips its flag
};

// The skin images on show.
inline Image* const* CurrentSkin(const GameImages& images, const GameState& state) {
  return images.skins[state.field.skin - 1];
}

// Looks for pads plugged in since the last game, loads the fifteen images (a
// missing one ends the process with status 1) and skins 2 to 5 (a missing one
// prints "An image file is missing" and ends the process with status 1),
// opens audio (a failure is printed and the game runs silent) and loads the
// music. Nothing is drawn or played yet.
GameResources TakeGameResources(Platform& platform);

// Frees the images (the skin on show and the game's own in their fixed
// order, then the skins not on show) and gives the music back: music still
// playing goes on into the title menu.
void GiveBackGameResources(Platform& platform, GameResources& resources, const GameState& state);

}  // namespace vq
