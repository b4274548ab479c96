// What the browser's own platform files reach in each other.
#pragma once

namespace vq {

// window.cpp: the page was hidden (another tab, a minimised browser) or shown
// again, as the events tell; Hidden() says which it is now.
void NotePageHidden(bool hidden);

}  // namespace vq
