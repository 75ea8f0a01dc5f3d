#include "platform/file_bytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/test_paths.h"

namespace stirpex {
namespace {

TEST(ReadFileBytes, ReadsRegularFilesWholeOrTheirHead) {
  testing::TempDir dir;
  dir.Write("a.txt", std::string("one\r\ntwo\0\x1A", 10));
  std::filesystem::create_directories(dir.path() / "folder");
  std::string bytes = "old";
  EXPECT_TRUE(ReadFileBytes(dir.path() / "a.txt", bytes));
  EXPECT_EQ(bytes, std::string("one\r\ntwo\0\x1A", 10));
  EXPECT_TRUE(ReadFileBytes(dir.path() / "a.txt", bytes, 4));
  EXPECT_EQ(bytes, "one\r");
  for (const char* missing : {"folder", "none.txt"}) {
    EXPECT_FALSE(ReadFileBytes(dir.path() / missing, bytes)) << missing;
    EXPECT_EQ(bytes, "") << missing;
  }
}

// What the user is told when a file cannot be read.
TEST(InputFile, SaysWhyAFileCannotBeOpened) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.path() / "folder");
  ASSERT_EQ(::mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
  const auto locked = dir.Write("locked.ged", "0 HEAD");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  const std::pair<const char*, std::string_view> cases[] = {
      {"folder", "a folder, not a file"},
      {"none.ged", "no such file"},
      {"none/x.ged", "no such file"},
      {"pipe", "not a regular file"},
      // root reads whatever the permissions say
      {"locked.ged", ::geteuid() == 0 ? "" : "no permission to read it"},
  };
  for (const auto& [name, words] : cases) {
    InputFile file;
    EXPECT_EQ(file.Open(dir.path() / name), words.empty()) << name;
    EXPECT_EQ(DescribeFileProblem(file.Problem()), words) << name;
  }
}

}  // namespace
}  // namespace stirpex
