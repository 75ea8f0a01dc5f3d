#include "platform/file_bytes.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace stirpex
