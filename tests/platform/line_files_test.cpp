#include "platform/line_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

// Only the named files: no temporary file may stay behind.
std::vector<std::string> FileNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WriteLinesTest, EachLineEndsWithCrLfAndBytesStayAsTheyAre) {
  TempDir dir;
  const auto path = dir.path() / "page.htm";
  ASSERT_TRUE(WriteLines({"<p>M\xFCller</p>", "", "a\rb\nc"}, path));
  EXPECT_EQ(ReadFileBytes(path), "<p>M\xFCller</p>\r\n\r\na\rb\nc\r\n");
}

TEST(WriteLinesTest, EmptyListMakesEmptyFileAndReplacesOldContent) {
  TempDir dir;
  const auto path = dir.Write("old.txt", "old content that is longer");
  ASSERT_TRUE(WriteLines({}, path));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(ReadFileBytes(path), "");
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"old.txt"});
}

TEST(WriteLinesTest, MissingFolderFailsWithoutLeavingAnything) {
  TempDir dir;
  EXPECT_FALSE(WriteLines({"x"}, dir.path() / "no" / "such" / "page.htm"));
  EXPECT_TRUE(FileNames(dir.path()).empty());
  EXPECT_EQ(UnableToWriteMessage("/x/y.htm"), "Unable to write to /x/y.htm");
}

TEST(WriteLinesTest, TargetThatIsAFolderFailsAndStays) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "index.htm");
  EXPECT_FALSE(WriteLines({"x"}, dir.path() / "index.htm"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "index.htm"));
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"index.htm"});
}

// A write that runs out of room (here: the process's file size limit, which holds for root
// too) must leave the old file whole, not emptied or cut short.
TEST(WriteLinesTest, FailingWriteLeavesOldFileIntact) {
  TempDir dir;
  const auto path = dir.Write("family.htm", "the old page\r\n");
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit small = old_limit;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::vector<std::string> lines(1000, std::string(100, 'x'));
  const bool ok = WriteLines(lines, path);
  AtomicFileWriter writer;
  bool streamed = writer.Open(dir.path() / "family.htm");
  for (int i = 0; streamed && i < 2000; ++i) writer.WriteLine(std::string(100, 'y'));
  streamed = streamed && writer.Commit();
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old_limit), 0);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(streamed);
  EXPECT_EQ(ReadFileBytes(path), "the old page\r\n");
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"family.htm"});
}

TEST(AtomicFileWriterTest, TargetUnchangedUntilCommitAndAbandonLeavesNothing) {
  TempDir dir;
  const auto path = dir.Write("out.ged", "old");
  {
    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(path));
    writer.WriteLine("0 HEAD");
    EXPECT_EQ(ReadFileBytes(path), "old");
  }  // destroyed without Commit
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"out.ged"});

  AtomicFileWriter writer;
  ASSERT_TRUE(writer.Open(path));
  std::string big(200000, 'z');  // larger than the writer's buffer
  writer.WriteLine("0 HEAD");
  writer.Write(big);
  writer.WriteLine("");
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(ReadFileBytes(path), "0 HEAD\r\n" + big + "\r\n");
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"out.ged"});
}

// Pages of a web site: a new file is written under its own name; a failed write removes it,
// and an existing file is still replaced only whole.
TEST(AtomicFileWriterTest, NewFilesInPlaceStillNeverLeaveAFileCutShort) {
  TempDir dir;
  AtomicFileWriter writer;
  ASSERT_TRUE(writer.Open(dir.path() / "new.htm", NewFile::kInPlace));
  writer.WriteLine("page");
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"new.htm"});  // no temporary
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(ReadFileBytes(dir.path() / "new.htm"), "page\r\n");

  {  // Given up before Commit: the new file goes again.
    AtomicFileWriter dropped;
    ASSERT_TRUE(dropped.Open(dir.path() / "dropped.htm", NewFile::kInPlace));
    dropped.WriteLine("half");
  }
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"new.htm"});

  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit small = old_limit;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::vector<std::string> big(1000, std::string(100, 'x'));
  const bool fresh = WriteLines(big, dir.path() / "big.htm", NewFile::kInPlace);
  const bool replaced = WriteLines(big, dir.path() / "new.htm", NewFile::kInPlace);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old_limit), 0);
  EXPECT_FALSE(fresh);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"new.htm"});
  EXPECT_EQ(ReadFileBytes(dir.path() / "new.htm"), "page\r\n");
}

TEST(AtomicFileWriterTest, NewFileGetsTheUsualPermissions) {
  TempDir dir;
  const mode_t old_mask = ::umask(022);
  const auto path = dir.path() / "index.htm";
  ASSERT_TRUE(WriteLines({"x"}, path));
  ::umask(old_mask);
  EXPECT_EQ(std::filesystem::status(path).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read | std::filesystem::perms::others_read);
}

}  // namespace
}  // namespace stirpex
