// Moving a board between stores: every game written as its replay file, with
// a list of names and dates, and the same folder stored again, each game
// played again on its way in as if submitted, under its name and date.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "server/store.h"

namespace vq::server {

// The list beside the replay files: one game a line, in the order stored,
// its file, name, date, mode, score, seconds and frames separated by tabs.
constexpr const char* kBoardList = "games.tsv";

struct Transfer {
  int64_t games = 0;    // written, or stored
  int64_t already = 0;  // on the board before (import)
  int64_t refused = 0;  // not stored, each told (import)
};

// Writes every game of store into folder (made when missing; one that holds a
// list already is refused, so that two boards never mix). The list comes last,
// so that a folder with a list is a whole export. Throws std::runtime_error.
Transfer ExportBoard(Store& store, const std::string& folder);

// Stores the games of folder's list in store, in their order, as a board
// takes a submission: a game that does not play to its result, or to
// another result than the list says, a bad name or a bad date is refused
// and told (one line, to tell); a game already on the board is left as it
// is. Throws std::runtime_error when the list cannot be read or the store
// fails.
Transfer ImportBoard(Store& store, const std::string& folder, const std::function<void(const std::string&)>& tell);

}  // namespace vq::server
