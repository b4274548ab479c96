// A fresh empty folder for each test, made the current one: the game finds
// and writes its files there.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace vq::test {

// Runs each test in a fresh empty directory, where the game finds its
// hiscore file.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vq_game_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    char* old = getcwd(nullptr, 0);
    old_dir_ = old;
    std::free(old);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(old_dir_.c_str()), 0);
    std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  static void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string dir_;
  std::string old_dir_;
};

}  // namespace vq::test
