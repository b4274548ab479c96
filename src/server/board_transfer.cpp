#include "server/board_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "server/board.h"
#include "server/names.h"
#include "server/verify.h"

namespace vq::server {

namespace {

// Games stored in one transaction: one sync of the disk for many, and a
// failure loses no more than a batch's worth, which an import again stores.
constexpr size_t kImportBatch = 200;
constexpr int32_t kExportPage = 500;

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

// Writes bytes to path, which must not exist yet, and syncs it.
void WriteNew(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) Fail("cannot make " + path);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(fd);
      Fail("cannot write " + path);
    }
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0 || close(fd) != 0) Fail("cannot write " + path);
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

}  // namespace

Transfer ExportBoard(Store& store, const std::string& folder) {
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) Fail("cannot make " + folder);
  const std::string list = folder + "/" + kBoardList;
  if (access(list.c_str(), F_OK) == 0) {
    throw std::runtime_error(list + " is there already: export into a folder of its own");
  }
  Transfer transfer;
  std::string lines = "# file\tname\tdate\tmode\tscore\tseconds\tframes\n";
  int64_t after = 0;
  for (;;) {
    const std::vector<GameRecord> page = store.GamesAfter(after, kExportPage);
    if (page.empty()) break;
    for (const GameRecord& game : page) {
      const std::optional<std::string> replay = store.ReplayOf(game.id);
      if (!replay) throw std::runtime_error("game " + std::to_string(game.id) + " went while it was exported");
      const std::string file = "game-" + std::to_string(game.id) + ".vqreplay";
      WriteNew(folder + "/" + file, *replay);
      lines += file + "\t" + game.name + "\t" + DateText(game.submitted) + "\t" + std::to_string(game.mode) + "\t" +
               std::to_string(game.score) + "\t" + std::to_string(game.seconds) + "\t" + std::to_string(game.frames) +
               "\n";
      ++transfer.games;
      after = game.id;
    }
  }
  const std::string partial = list + ".partial";
  unlink(partial.c_str());
  WriteNew(partial, lines);
  if (rename(partial.c_str(), list.c_str()) != 0) Fail("cannot name " + list);
  return transfer;
}

Transfer ImportBoard(Store& store, const std::string& folder, const std::function<void(const std::string&)>& tell) {
  const std::string list = folder + "/" + kBoardList;
  std::ifstream in(list, std::ios::binary);
  if (!in) Fail("cannot read " + list);
  Transfer transfer;
  std::vector<NewGame> batch;
  auto store_batch = [&] {
    store.AddAll(batch);
    store.Sync();
    for (const NewGame& game : batch) ++(game.added ? transfer.games : transfer.already);
    batch.clear();
  };
  int line_number = 0;
  for (std::string line; std::getline(in, line);) {
    ++line_number;
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = Fields(line);
    auto refuse = [&](const std::string& why) {
      ++transfer.refused;
      tell(list + ", line " + std::to_string(line_number) + ": " + why);
    };
    if (fields.size() < 5) {
      refuse("not a file, name, date, mode and score");
      continue;
    }
    const std::string& file = fields[0];
    if (file.empty() || file[0] == '.' || file.find('/') != std::string::npos) {
      refuse("the file " + file + " is not in the folder");
      continue;
    }
    const std::optional<std::string> name = CheckName(fields[1]);
    if (!name || *name != fields[1]) {
      refuse("\"" + fields[1] + "\" is no name the board takes");
      continue;
    }
    const std::optional<int64_t> date = ParseDate(fields[2]);
    if (!date) {
      refuse(fields[2] + " is no date such as 2026-12-09T02:34:44Z");
      continue;
    }
    std::ifstream replay_file(folder + "/" + file, std::ios::binary);
    std::ostringstream bytes;
    bytes << replay_file.rdbuf();
    if (!replay_file) {
      refuse("cannot read " + file);
      continue;
    }
    std::string replay = bytes.str();
    const Verdict verdict = VerifyReplay(reinterpret_cast<const uint8_t*>(replay.data()), replay.size());
    if (!verdict.plays) {
      refuse(file + ": " + verdict.reason);
      continue;
    }
    const std::string played = std::to_string(verdict.mode) + "\t" + std::to_string(verdict.score);
    if (fields[3] + "\t" + fields[4] != played) {
      refuse(file + " plays to mode " + std::to_string(verdict.mode) + " and score " + std::to_string(verdict.score) +
             ", not what the list says");
      continue;
    }
    GameRecord game{0, *name, verdict.mode, verdict.score, verdict.seconds, verdict.frames, *date};
    batch.push_back(NewGame{game, ReplayDigest(replay), std::move(replay), false, 0});
    if (batch.size() == kImportBatch) store_batch();
  }
  if (in.bad()) Fail("cannot read " + list);
  if (!batch.empty()) store_batch();
  return transfer;
}

}  // namespace vq::server
