// Writing a whole file so that it is either the old file or the new one,
// never half of either, and never through another user's link.
#pragma once

#include <cstddef>
#include <string>

namespace vq {

// Stores size bytes as the whole file at path: written to a temporary file
// beside it (<name>.<process id>.tmp), synced, renamed over it and the folder
// synced, so that a failed write leaves the old file whole. A symbolic link
// that the player made is followed and its target replaced, the link left in
// place; another user's link is left alone, as the kernel leaves them in
// shared folders. A file that cannot be opened for writing (made read-only,
// say) keeps its contents, as does anything but a plain file at the end of a
// link; a file that is replaced keeps its mode. Once the file is stored, the
// target's stored hook writes it through. Returns false when nothing was
// stored, with a few words in *why; no temporary file is left behind then.
bool WriteFileAtomically(const char* path, const void* data, size_t size, std::string* why);

}  // namespace vq
