#include "platform/file_updates.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/test_paths.h"

namespace stirpex {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

// The file's modification time in nanoseconds; -1 when it is not there.
long long ModifiedAt(const std::filesystem::path& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  return st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

struct Case {
  const char* what;
  bool old_exists;
  std::string old_bytes;
  std::string new_bytes;
  FileUpdate outcome;
};

// Big enough to cross the writer's blocks of old bytes.
std::string Big(char last) {
  std::string bytes(300 * 1000, 'x');
  for (std::size_t i = 0; i < bytes.size(); i += 97) bytes[i] = static_cast<char>('a' + i % 26);
  bytes.back() = last;
  return bytes;
}

const Case kCases[] = {
    {"new file", false, "", "abc", FileUpdate::kWritten},
    {"same bytes", true, "abc\r\n", "abc\r\n", FileUpdate::kUnchanged},
    {"same, empty", true, "", "", FileUpdate::kUnchanged},
    {"a byte differs", true, "abc", "abd", FileUpdate::kWritten},
    {"old is longer", true, "abcd", "abc", FileUpdate::kWritten},
    {"old is shorter", true, "ab", "abc", FileUpdate::kWritten},
    {"same, large", true, Big('z'), Big('z'), FileUpdate::kUnchanged},
    {"last byte of large differs", true, Big('z'), Big('y'), FileUpdate::kWritten},
    {"large and shorter", true, Big('z'), Big('z').substr(100 * 1000), FileUpdate::kWritten},
};

// Both writers, whole and streamed in pieces of every size, write exactly the new bytes, and
// leave a file that holds them already as it was, its time included.
TEST(FileUpdates, AFileIsWrittenOnlyWhenItsBytesChange) {
  for (const Case& c : kCases) {
    for (int way = 0; way < 3; ++way) {
      SCOPED_TRACE(std::string(c.what) + ", way " + std::to_string(way));
      TempDir dir;
      const std::filesystem::path path = dir.path() / "page.htm";
      if (c.old_exists) {
        dir.Write("page.htm", c.old_bytes);
        const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), past, 0), 0);
      }
      const long long before = ModifiedAt(path);
      FileUpdate outcome;
      if (way == 0) {
        outcome = UpdateFile(path, c.new_bytes);
      } else {
        FileUpdater writer;
        writer.Open(path);
        const std::size_t piece = way == 1 ? 1 : 70000;
        for (std::size_t at = 0; at < c.new_bytes.size(); at += piece) {
          writer.Write(std::string_view(c.new_bytes).substr(at, piece));
        }
        outcome = writer.Commit();
      }
      EXPECT_EQ(outcome, c.outcome);
      EXPECT_EQ(ReadFileBytes(path), c.new_bytes);
      if (c.outcome == FileUpdate::kUnchanged) {
        EXPECT_EQ(ModifiedAt(path), before);
      } else {
        EXPECT_NE(ModifiedAt(path), before);
      }
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                              std::filesystem::directory_iterator()),
                1)
          << "no temporary file stays";
    }
  }
}

TEST(FileUpdates, SomethingElseInTheWayFails) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "f1.htm");
  EXPECT_EQ(UpdateFile(dir.path() / "f1.htm", "page"), FileUpdate::kFailed);
  FileUpdater writer;
  writer.Open(dir.path() / "f1.htm");
  writer.WriteLine("page");
  EXPECT_EQ(writer.Commit(), FileUpdate::kFailed);
  EXPECT_EQ(UpdateFile(dir.path() / "missing" / "f2.htm", "page"), FileUpdate::kFailed);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "f1.htm"));
}

// A copy is a new file of the user's: a picture unpacked for the user alone (0600) is
// published with the permissions every page gets. A copy already there is left alone.
TEST(FileUpdates, ACopyGetsTheUsersPermissionsAndIsMadeOnce) {
  TempDir dir;
  const auto source = dir.Write("photo.jpg", Big('p'));
  std::filesystem::permissions(
      source, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const mode_t umask_bits = ::umask(022);
  ::umask(umask_bits);
  const auto target = dir.path() / "site.jpg";
  EXPECT_EQ(UpdateCopy(source, target), FileUpdate::kWritten);
  EXPECT_EQ(ReadFileBytes(target), Big('p'));
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~umask_bits);

  // Same bytes, though older than the source: not written again.
  const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, target.c_str(), past, 0), 0);
  EXPECT_EQ(UpdateCopy(source, target), FileUpdate::kUnchanged);
  EXPECT_EQ(ModifiedAt(target), 1000000000LL * 1000000000LL);
  EXPECT_EQ(UpdateCopy(dir.path() / "none.jpg", target), FileUpdate::kFailed);
}

}  // namespace
}  // namespace stirpex
