#include "app/program_directory.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace vq {
namespace {

TEST(DirectoryOf, TakesEverythingBeforeTheLastSlash) {
  struct Case {
    const char* path;
    const char* directory;
  };
  const Case cases[] = {
      {"/opt/velquadro/velquadro", "/opt/velquadro"}, {"/velquadro", "/"}, {"velquadro", ""}, {"a/b/", "a/b"}, {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DirectoryOf(c.path), c.directory) << c.path;
}

std::string CurrentDirectory() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? buffer : "";
}

class ProgramDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vq_progdir_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    // root/game/velquadro is the program; root/elsewhere holds a link to it
    // and is where the program is started from.
    ASSERT_EQ(mkdir((root_ + "/game").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root_ + "/elsewhere").c_str(), 0755), 0);
    FILE* f = fopen((root_ + "/game/velquadro").c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    ASSERT_EQ(symlink((root_ + "/game/velquadro").c_str(), (root_ + "/elsewhere/vq").c_str()), 0);
    start_ = CurrentDirectory();
    ASSERT_EQ(chdir((root_ + "/elsewhere").c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(start_.c_str()), 0);
    std::string command = "rm -rf '" + root_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }
  std::string root_, start_;
};

TEST_F(ProgramDirectoryTest, EntersTheProgramsDirectoryThroughALinkAndComesBack) {
  {
    ProgramDirectory program_directory((root_ + "/elsewhere/vq").c_str());
    EXPECT_TRUE(program_directory.entered());
    EXPECT_EQ(CurrentDirectory(), root_ + "/game");
    // Relative paths now reach the files beside the program.
    EXPECT_EQ(access("velquadro", F_OK), 0);
  }
  EXPECT_EQ(CurrentDirectory(), root_ + "/elsewhere");
}

TEST_F(ProgramDirectoryTest, UnreadableLinkLeavesTheDirectoryAlone) {
  for (const std::string& link : {root_ + "/missing", root_ + "/game/velquadro"}) {
    {
      ProgramDirectory program_directory(link.c_str());
      EXPECT_FALSE(program_directory.entered()) << link;
      EXPECT_EQ(CurrentDirectory(), root_ + "/elsewhere") << link;
    }
    EXPECT_EQ(CurrentDirectory(), root_ + "/elsewhere") << link;
  }
}

}  // namespace
}  // namespace vq
