// Saving one of the player's files, and telling when it could not be saved:
// the player learns of every result that was not kept.
#pragma once

#include <cstddef>
#include <string>

namespace vq {

// Tells on standard error, in one line, that the file at path was not saved
// and why.
void TellNotSaved(const std::string& path, const std::string& why);

// WriteFileAtomically with the folders above path made first; a file that
// was not stored is told. "" stands for a player without a home folder.
bool SaveFile(const std::string& path, const void* data, size_t size);

// SaveFile for the file of this copy's data folder with that name.
bool SaveDataFile(const char* name, const void* data, size_t size);

}  // namespace vq
