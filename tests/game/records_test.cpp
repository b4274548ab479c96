// The records file: its order, ties, the ten kept, lines that cannot be read,
// and files that cannot be read or written.
#include "game/records.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game_run.h"

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
      {"a new best of a full table", TenResults(), 0, 101, 1,
       kHead + "0 101 12 2025-01-02\n" + TenResults().substr(0, TenResults().rfind("0 10 "))},
      {"more than ten read: the ten best", TenResults() + "0 200 1 2024-01-01\n", 0, 1, 0, ""},
      {"lines that cannot be read are kept after the tables",
       "velquadro records 1\r\n0 -5 1 2024-01-01\n0 5 1 2024-13-01\n0 5 1 2024-1-01\n0 5 1 2024-01-01 x\n"
       "0 5 1 2024-01-01\r\n5 99999999999 1 2024-01-01\ngarbage\n\n# a comment\n",
       0, 6, 1,
       kHead + "0 6 12 2025-01-02\n0 5 1 2024-01-01\n0 -5 1 2024-01-01\n0 5 1 2024-13-01\n0 5 1 2024-1-01\n"
               "0 5 1 2024-01-01 x\n5 99999999999 1 2024-01-01\ngarbage\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Records records;
    ASSERT_TRUE(ParseRecords(c.before, &records));
    const std::string as_read = FormatRecords(records);
    EXPECT_EQ(InsertRecord(records, c.time_limit, Record{c.score, 12, other.date}), c.place);
    EXPECT_EQ(FormatRecords(records), c.after.empty() ? as_read : c.after);
    // What is written reads back the same.
    Records again;
    ASSERT_TRUE(ParseRecords(FormatRecords(records), &again));
    EXPECT_EQ(FormatRecords(again), FormatRecords(records));
  }
}

using RecordsFileTest = InTempDir;

// The file on disk: created when missing; never written over when it cannot
// be read (a folder, another version's, too big) or cannot be written (here
// a write cut short, as on a full disk); no temporary file is left.
TEST_F(RecordsFileTest, StoresOnlyWhatItCanReadAndWrite) {
  struct Case {
    const char* what;
    std::function<void()> make;
    int place;
    std::string after;  // "" for a folder
  };
  const std::string newer = "velquadro records 2\n0 1 1 2024-01-01\n";
  const std::string big = kHead + std::string(kRecordsFileMost, '#') + "\n";
  const Case cases[] = {
      {"missing", [] {}, 1, kHead + "0 42 30 2024-02-29\n"},
      {"kept", [] { WriteFile("records.txt", "0 50 1 2024-01-01\n"); }, 2,
       kHead + "0 50 1 2024-01-01\n0 42 30 2024-02-29\n"},
      {"a folder", [] { mkdir("records.txt", 0755); }, 0, ""},
      {"another version's", [&newer] { WriteFile("records.txt", newer); }, 0, newer},
      {"too big to be ours", [&big] { WriteFile("records.txt", big); }, 0, big},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(std::system("rm -rf records.txt"), 0);
    c.make();
    EXPECT_EQ(StoreRecord("records.txt", 0, Record{42, 30, {2024, 2, 29}}), c.place);
    struct stat info;
    ASSERT_EQ(stat("records.txt", &info), 0);
    if (c.after.empty()) {
      EXPECT_TRUE(S_ISDIR(info.st_mode));
    } else {
      EXPECT_EQ(ReadFile("records.txt"), c.after);
    }
    EXPECT_EQ(std::system("test \"$(ls -A)\" = records.txt"), 0);
  }

  WriteFile("records.txt", "0 50 1 2024-01-01\n");
  struct rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  struct sigaction ignore = {}, old_action = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &old_action), 0);
  struct rlimit tiny = old_limit;
  tiny.rlim_cur = 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const int place = StoreRecord("records.txt", 0, Record{42, 30, {2024, 2, 29}});
  setrlimit(RLIMIT_FSIZE, &old_limit);
  sigaction(SIGXFSZ, &old_action, nullptr);
  EXPECT_EQ(place, 0);  // no place is told for a result that was not kept
  EXPECT_EQ(ReadFile("records.txt"), "0 50 1 2024-01-01\n");
}

TEST(RecordsTest, DatesAreLocal) {
  const char* old = std::getenv("TZ");
  const std::string kept = old ? old : "";
  struct Case {
    const char* tz;
    int day;
  };
  for (const Case& c : {Case{"UTC0", 14}, Case{"XYZ-10", 15}, Case{"XYZ+10", 14}}) {
    setenv("TZ", c.tz, 1);
    tzset();
    const RecordDate date = LocalDate(1700000000);  // 2023-11-14 22:13:20 UTC
    EXPECT_EQ(date.year, 2023) << c.tz;
    EXPECT_EQ(date.month, 11) << c.tz;
    EXPECT_EQ(date.day, c.day) << c.tz;
  }
  old ? setenv("TZ", kept.c_str(), 1) : unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace vq::test
