// Pads in a browser: the Gamepad API numbers the buttons of a pad in its
// "standard" layout in an order of its own, not in PadButton's. Plain C++, no
// SDL, so that the desktop's tests check the table too.
#pragma once

#include "platform/pad_input.h"

namespace vq {

// PadButton of each button of the browser's standard layout, by its number.
// The triggers (6, 7) stand for nothing: the program gives them no meaning.
constexpr int kBrowserPadButtons[] = {
    kPadA,              // 0: bottom of the four face buttons
    kPadB,              // 1: right
    kPadX,              // 2: left
    kPadY,              // 3: top
    kPadLeftShoulder,   // 4
    kPadRightShoulder,  // 5
    kPadButtons,        // 6: left trigger
    kPadButtons,        // 7: right trigger
    kPadBack,           // 8: back, select or share
    kPadStart,          // 9: start, options or menu
    kPadLeftStickPress,
    kPadRightStickPress,
    kPadUp,  // 12: the D-pad
    kPadDown,
    kPadLeft,
    kPadRight,
    kPadGuide,  // 16: the logo button in the middle
};

// PadButton of the browser's button number; kPadButtons for one the
// standard layout does not have.
constexpr int BrowserPadButton(int browser_button) {
  return browser_button >= 0 && browser_button < static_cast<int>(sizeof kBrowserPadButtons / sizeof(int))
             ? kBrowserPadButtons[browser_button]
             : kPadButtons;
}

}  // namespace vq
