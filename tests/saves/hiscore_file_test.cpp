// Reading and storing the hiscore file.
#include "saves/hiscore_file.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "saves/atomic_file.h"
#include "saves/data_folder.h"
#include "temp_dir.h"

namespace vq::test {
namespace {

struct ParseCase {
  std::string content;
  int32_t value;
};

// Contents as fscanf("%i") reads them, with values beyond 32 bits clamped.
const std::vector<ParseCase>& ParseCases() {
  static const std::vector<ParseCase> cases = {
      {"1234\n", 1234},
      {"  \n42", 42},
      {"\t\r\v\f 7", 7},
      {"010", 8},  // octal
      {"08", 0},   // 8 is no octal digit: the number is "0"
      {"0x1F", 31},
      {"0X1f\n", 31},
      {"0x", 0},  // no hexadecimal digit
      {"0xg1", 0},
      {"12abc", 12},
      {"", 0},
      {"-5", -5},
      {"+17", 17},
      {"- 5", 0},  // no white space after the sign
      {"-", 0},
      {"abc12", 0},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"99999999999999999999999", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"0xFFFFFFFFFF", 2147483647},
      {"-0x10", -16},
      {std::string(5000, '0') + "17", 15},  // long octal, leading zeros
      {std::string(5000, ' ') + "9", 9},
      {std::string("\0"
                   "12",
                   3),
       0},
      {std::string("\xff\xfe"
                   "12",
                   4),
       0},
      {std::string("3\0"
                   "4",
                   3),
       3},
  };
  return cases;
}

TEST(ParseHiscoreTest, ReadsTheNumberAtTheStart) {
  for (const ParseCase& c : ParseCases()) {
    SCOPED_TRACE("content \"" + c.content.substr(0, 40) + "\"");
    EXPECT_EQ(ParseHiscore(c.content.data(), c.content.size()), c.value);
  }
}

// Any bytes are accepted; a number stops where its digits stop.
TEST(ParseHiscoreTest, AcceptsEveryByteAndStopsAtTheEnd) {
  for (int b = 0; b < 256; ++b) {
    char data[2] = {'5', static_cast<char>(b)};
    int32_t expected = (b >= '0' && b <= '9') ? 50 + (b - '0') : 5;
    EXPECT_EQ(ParseHiscore(data, 2), expected) << "byte " << b;
    EXPECT_EQ(ParseHiscore(data, 1), 5);
  }
  EXPECT_EQ(ParseHiscore(nullptr, 0), 0);
}

using HiscoreFileTest = InTempDir;

TEST_F(HiscoreFileTest, ReadsFilesAsTheParserDoes) {
  for (const ParseCase& c : ParseCases()) {
    SCOPED_TRACE("content \"" + c.content.substr(0, 40) + "\"");
    WriteFile("hiscore.dat", c.content);
    EXPECT_EQ(ReadHiscore("hiscore.dat"), c.value);
  }
}

TEST_F(HiscoreFileTest, MissingFileOrDirectoryReadsZero) {
  EXPECT_EQ(ReadHiscore("hiscore.dat"), 0);
  ASSERT_EQ(mkdir("hiscore.dat", 0755), 0);
  EXPECT_EQ(ReadHiscore("hiscore.dat"), 0);
  // Nothing can be stored over a directory, and it stays as it is.
  EXPECT_FALSE(WriteHiscore("hiscore.dat", 12));
  struct stat info;
  ASSERT_EQ(stat("hiscore.dat", &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(std::system("test \"$(ls -A)\" = hiscore.dat"), 0);
}

// A pipe of that name with nothing writing to it would keep a plain open
// waiting forever; a device would be read from. Both read as 0 at once, and a
// score stored over the pipe replaces it with a plain file.
TEST_F(HiscoreFileTest, PipeOrDeviceReadsZeroWithoutWaiting) {
  ASSERT_EQ(mkfifo("hiscore.dat", 0644), 0);
  alarm(10);  // a read that waits ends the test program instead of hanging
  EXPECT_EQ(ReadHiscore("hiscore.dat"), 0);
  alarm(0);
  EXPECT_TRUE(WriteHiscore("hiscore.dat", 12));
  EXPECT_EQ(ReadHiscore("hiscore.dat"), 12);
  ASSERT_EQ(unlink("hiscore.dat"), 0);
  ASSERT_EQ(symlink("/dev/zero", "hiscore.dat"), 0);
  EXPECT_EQ(ReadHiscore("hiscore.dat"), 0);
}

TEST_F(HiscoreFileTest, WritesTheScoreAndANewline) {
  for (int32_t score : {0, 1234, 999999999}) {
    ASSERT_TRUE(WriteHiscore("hiscore.dat", score));
    EXPECT_EQ(ReadFile("hiscore.dat"), std::to_string(score) + "\n");
    EXPECT_EQ(ReadHiscore("hiscore.dat"), score);
  }
  // No temporary file is left beside it.
  EXPECT_EQ(std::system("test \"$(ls -A)\" = hiscore.dat"), 0);
}

// A write that fails, here at the file size limit as on a full disk, stores
// nothing, leaves the old file whole and says why.
TEST_F(HiscoreFileTest, FailedWriteLeavesTheOldFileWhole) {
  WriteFile("hiscore.dat", "4321\n");
  struct rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  struct sigaction ignore = {}, old_action = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &old_action), 0);
  struct rlimit tiny = old_limit;
  tiny.rlim_cur = 2;  // room for two bytes only
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);

  std::string why;
  bool stored = WriteFileAtomically("hiscore.dat", "987654\n", 7, &why);

  setrlimit(RLIMIT_FSIZE, &old_limit);
  sigaction(SIGXFSZ, &old_action, nullptr);
  EXPECT_FALSE(stored);
  EXPECT_EQ(why, "File too large");
  EXPECT_EQ(ReadFile("hiscore.dat"), "4321\n");
  EXPECT_EQ(std::system("test \"$(ls -A)\" = hiscore.dat"), 0);
}

// The player's own link is written through; another user's link is left
// alone, its target too, and told. Making a link another user's needs root.
TEST_F(HiscoreFileTest, OnlyThePlayersOwnLinksAreFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "lchown to another user needs root";
  for (const bool own : {true, false}) {
    SCOPED_TRACE(own ? "own link" : "another user's link");
    WriteFile("target", "7\n");
    std::remove("hiscore.dat");
    ASSERT_EQ(symlink("target", "hiscore.dat"), 0);
    if (!own) {
      ASSERT_EQ(lchown("hiscore.dat", 65534, 65534), 0);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(WriteHiscore("hiscore.dat", 12), own);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile("target"), own ? "12\n" : "7\n");
    EXPECT_EQ(
        told,
        own ? ""
            : "velquadro: cannot save hiscore.dat: it is a link that another user made (hiscore.dat), left alone\n");
  }
}

// An installed copy's hiscore file; never a relative path, which would lead
// beside the program.
TEST(PlayerHiscorePathTest, FollowsTheXdgRules) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* path;
  };
  for (const Case& c :
       {Case{"/data", "/h", "/data/velquadro/hiscore.dat"}, Case{"/", nullptr, "/velquadro/hiscore.dat"},
        Case{"", "/h/", "/h/.local/share/velquadro/hiscore.dat"},
        Case{"data", "/h", "/h/.local/share/velquadro/hiscore.dat"}, Case{nullptr, "h", ""},
        Case{nullptr, nullptr, ""}}) {
    EXPECT_EQ(PlayerDataPath(c.xdg, c.home, "hiscore.dat"), c.path) << (c.home ? c.home : "no home");
  }
}

}  // namespace
}  // namespace vq::test
