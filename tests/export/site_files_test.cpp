#include "export/site_files.h"

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
  SiteWrite outcome;
};

// Big enough to cross the writer's blocks of old bytes.
std::string Big(char last) {
  std::string bytes(300 * 1000, 'x');
  for (std::size_t i = 0; i < bytes.size(); i += 97) bytes[i] = static_cast<char>('a' + i % 26);
  bytes.back() = last;
  return bytes;
}

const Case kCases[] = {
    {"new file", false, "", "abc", SiteWrite::kWritten},
    {"same bytes", true, "abc\r\n", "abc\r\n", SiteWrite::kUnchanged},
    {"same, empty", true, "", "", SiteWrite::kUnchanged},
    {"a byte differs", true, "abc", "abd", SiteWrite::kWritten},
    {"old is longer", true, "abcd", "abc", SiteWrite::kWritten},
    {"old is shorter", true, "ab", "abc", SiteWrite::kWritten},
    {"same, large", true, Big('z'), Big('z'), SiteWrite::kUnchanged},
    {"last byte of large differs", true, Big('z'), Big('y'), SiteWrite::kWritten},
    {"large and shorter", true, Big('z'), Big('z').substr(100 * 1000), SiteWrite::kWritten},
};

// Both writers, whole and streamed in pieces of every size, write exactly the new bytes, and
// leave a file that holds them already as it was, its time included.
TEST(SiteFiles, AFileIsWrittenOnlyWhenItsBytesChange) {
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
      SiteWrite outcome;
      if (way == 0) {
        outcome = WriteSiteFile(path, c.new_bytes);
      } else {
        SiteFileWriter writer;
        writer.Open(path);
        const std::size_t piece = way == 1 ? 1 : 70000;
        for (std::size_t at = 0; at < c.new_bytes.size(); at += piece) {
          writer.Write(std::string_view(c.new_bytes).substr(at, piece));
        }
        outcome = writer.Commit();
      }
      EXPECT_EQ(outcome, c.outcome);
      EXPECT_EQ(ReadFileBytes(path), c.new_bytes);
      if (c.outcome == SiteWrite::kUnchanged) {
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

TEST(SiteFiles, SomethingElseInTheWayFails) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "f1.htm");
  EXPECT_EQ(WriteSiteFile(dir.path() / "f1.htm", "page"), SiteWrite::kFailed);
  SiteFileWriter writer;
  writer.Open(dir.path() / "f1.htm");
  writer.WriteLine("page");
  EXPECT_EQ(writer.Commit(), SiteWrite::kFailed);
  EXPECT_EQ(WriteSiteFile(dir.path() / "missing" / "f2.htm", "page"), SiteWrite::kFailed);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "f1.htm"));
}

TEST(SiteFiles, TheCanonicalLinkGoesBeforeTheFirstHeadEnd) {
  EXPECT_EQ(HeadEndLine({"<html><head>", "<title>x</title>", "</HEAD>", "</head>"}), 2u);
  EXPECT_EQ(HeadEndLine({"<html>", "<body>"}), 2u);
  EXPECT_TRUE(HoldsHeadEnd("<meta x></Head><body>"));
  EXPECT_FALSE(HoldsHeadEnd("</heading>"));

  TempDir dir;
  SiteFileWriter writer;
  writer.Open(dir.path() / "i.htm");
  SiteLineSink sink(writer, "<link rel=\"canonical\" href=\"https://x.org/i.htm\">");
  for (const char* line : {"<head>", "</head>", "</head>"}) sink.Add(line);
  EXPECT_EQ(writer.Commit(), SiteWrite::kWritten);
  EXPECT_EQ(ReadFileBytes(dir.path() / "i.htm"),
            testing::CrLf({"<head>", "<link rel=\"canonical\" href=\"https://x.org/i.htm\">",
                           "</head>", "</head>"}));
}

}  // namespace
}  // namespace stirpex
