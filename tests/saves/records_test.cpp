// The records file: its order, ties, the ten kept, lines that cannot be read,
// and files that cannot be read.
#include "saves/records.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "saves/atomic_file.h"
#include "saves/save_lock.h"
#include "temp_dir.h"

namespace vq::test {
namespace {

const std::string kHead =
    "velquadro records 1\n# time limit in s (0: untimed), score, seconds played, date; each mode's ten best, best "
    "first\n";

// Ten untimed results of 100 down to 10 points, one a day.
std::string TenResults() {
  std::string lines;
  for (int i = 0; i < 10; ++i)
    lines += "0 " + std::to_string(100 - 10 * i) + " 60 2024-05-" + std::to_string(10 + i) + "\n";
  return lines;
}

// A file read, a result entered into it, the file as written again.
TEST(RecordsTest, EntersAResultInItsPlace) {
  struct Case {
    const char* what;
    std::string before;
    int32_t time_limit;
    int32_t score;
    int place;
    std::string after;  // "" when the table stays as it was read
  };
  const Record other{0, 0, {2025, 1, 2}};
  const Case cases[] = {
      {"the first game", "", 0, 7, 1, kHead + "0 7 12 2025-01-02\n"},
      {"read out of order, kept best first", "0 5 1 2024-01-01\n0 9 2 2024-01-02\n", 0, 7, 2,
       kHead + "0 9 2 2024-01-02\n0 7 12 2025-01-02\n0 5 1 2024-01-01\n"},
      {"equal scores: the earlier game first", "0 7 1 2024-01-01\n0 7 3 2023-01-01\n", 0, 7, 3,
       kHead + "0 7 1 2024-01-01\n0 7 3 2023-01-01\n0 7 12 2025-01-02\n"},
      {"each mode its own table, by limit", "40 9 40 2024-01-01\n0 3 2 2024-01-01\n", 30, 1, 1,
       kHead + "0 3 2 2024-01-01\n30 1 12 2025-01-02\n40 9 40 2024-01-01\n"},
      {"an eleventh below the ten", TenResults(), 0, 9, 0, ""},
      {"an eleventh equal to the tenth", TenResults(), 0, 10, 0, ""},
      {"above the tenth, which drops out", TenResults(), 0, 11, 10,
       kHead + TenResults().substr(0, TenResults().rfind("0 10 ")) + "0 11 12 2025-01-02\n"},
      {"more than ten read: the ten best", TenResults() + "0 200 1 2024-01-01\n", 0, 1, 0, ""},
      {"lines that cannot be read are kept after the tables",
       "velquadro records 1\r\n0 -5 1 2024-01-01\n0 5 1 2024-13-01\n0 5 1 2024-1-01\n0 5 1 2024-01-01 x\n"
       "0 5 1 2024-01-01\r\n5 99999999999 1 2024-01-01\ngarbage\n\n# a comment\n0 8 1 2024-01-01\r\r\n",
       0, 6, 1,
       kHead + "0 6 12 2025-01-02\n0 5 1 2024-01-01\n0 -5 1 2024-01-01\n0 5 1 2024-13-01\n0 5 1 2024-1-01\n"
               "0 5 1 2024-01-01 x\n5 99999999999 1 2024-01-01\ngarbage\n0 8 1 2024-01-01\r\r\n"},
      {"days of the calendar only", "0 5 1 2024-02-29\n0 5 1 2023-02-29\n0 5 1 0000-01-01\n0 5 1 2024-04-31\n", 0, 6, 1,
       kHead + "0 6 12 2025-01-02\n0 5 1 2024-02-29\n0 5 1 2023-02-29\n0 5 1 0000-01-01\n0 5 1 2024-04-31\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Records records;
    ASSERT_TRUE(ParseRecords(c.before, &records));
    const std::string as_read = FormatRecords(records);
    EXPECT_EQ(InsertRecord(records, c.time_limit, Record{c.score, 12, other.date}), c.place);
    EXPECT_EQ(FormatRecords(records), c.after.empty() ? as_read : c.after);
  }
}

using RecordsFileTest = InTempDir;

// The file on disk: created when missing; never written over when it cannot
// be read (a folder, another version's, too big). A file that cannot be
// written is WriteFileAtomically's (hiscore_file_test.cpp) and the e2e test's.
TEST_F(RecordsFileTest, StoresOnlyOverWhatItCanRead) {
  const std::string newer = "velquadro records 2\n0 1 1 2024-01-01\n", big = std::string(kRecordsFileMost + 1, '#');
  const std::pair<std::string, int> cases[] = {{"", 1}, {"0 50 1 2024-01-01\n", 2}, {"/", 0}, {newer, 0}, {big, 0}};
  for (const auto& [before, place] : cases) {
    SCOPED_TRACE(before.substr(0, 20));
    ASSERT_EQ(std::system("rm -rf records.txt"), 0);
    if (before == "/") {
      ASSERT_EQ(mkdir("records.txt", 0755), 0);
    }
    if (before.size() > 1) WriteFile("records.txt", before);
    EXPECT_EQ(StoreRecord("records.txt", 0, Record{42, 30, {2024, 2, 29}}), place);
    EXPECT_EQ(ReadFile("records.txt"), place           ? kHead + (place == 2 ? before : "") + "0 42 30 2024-02-29\n"
                                       : before == "/" ? ""
                                                       : before);
    EXPECT_EQ(std::system("test \"$(ls -A)\" = records.txt"), 0);  // no temporary file left
  }
  // A file its reader would refuse is never written: lines that do not fit
  // are left out, and told.
  WriteFile("records.txt", kHead + std::string(kRecordsFileMost - kHead.size() - 6, 'x') + "\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(StoreRecord("records.txt", 0, Record{42, 30, {2024, 2, 29}}), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "velquadro: records.txt: 1 lines left out, to keep it within 1048576 bytes\n");
  EXPECT_TRUE(ReadFile("records.txt") == kHead + "0 42 30 2024-02-29\n");
}

// Two copies of the game saving at once, each under the lock, keep every
// result: each reads what the other saved before it adds its own.
TEST_F(RecordsFileTest, TwoCopiesSavingTogetherLoseNothing) {
  constexpr int kSaves = 100;
  pid_t copies[2];
  for (int copy = 0; copy < 2; ++copy) {
    copies[copy] = fork();
    ASSERT_GE(copies[copy], 0);
    if (copies[copy] > 0) continue;
    for (int i = 1; i <= kSaves; ++i) {
      const SaveLock lock;
      StoreRecord("records.txt", copy * kSaves + i, Record{i, 1, {2024, 1, 1}});
    }
    std::_Exit(0);
  }
  for (pid_t copy : copies) waitpid(copy, nullptr, 0);
  Records records;
  ASSERT_EQ(ReadRecordsFile("records.txt", &records), RecordsRead::kRead);
  EXPECT_EQ(records.tables.size(), 2u * kSaves);
}

}  // namespace
}  // namespace vq::test
