// What saves stopped halfway (the program killed, the machine off) left
// behind: their temporary files, removed at the next start.
#pragma once

#include <initializer_list>

namespace vq {

// Removes the temporary files of the files with these names that a save
// stopped halfway left in the data folder: those whose process is gone, and
// those of this process's own number, which an earlier process of that
// number left (in the browser every run has the same number).
void RemoveLeftoverTemporaryFiles(std::initializer_list<const char*> names);

// The same for every file the game saves: for a start of the program.
void RemoveLeftoverSaves();

}  // namespace vq
