#include "database/gedcom_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/gedcom_reader.h"
#include "support/recorders.h"
#include "support/test_paths.h"
#include "support/zip_files.h"

namespace stirpex {
namespace {

using testing::CrLf;
using testing::RecordingMessages;
using testing::TempDir;

std::filesystem::path WriteZip(const TempDir& dir, const std::string& file,
                               const std::vector<testing::ZipEntry>& entries) {
  const std::filesystem::path path = dir.path() / file;
  EXPECT_TRUE(testing::WriteZipFile(path, entries)) << file;
  return path;
}

const std::string kTree = CrLf({"0 HEAD", "0 @I1@ INDI", "1 NAME Ann /Oak/", "0 TRLR"});

// Whatever the names in an archive say, nothing is written outside its own folder, nothing is
// a link, and the folder goes when the archive is let go.
TEST(GedcomArchiveTest, HostileNamesStayInsideThePrivateFolder) {
  TempDir dir;
  const std::filesystem::path archive =
      WriteZip(dir, "tree.gdz",
               {{"gedcom.ged", kTree},
                {"media/", ""},
                {"media/photo.jpg", "jpeg"},
                {"../escaped.txt", "x"},
                {"/absolute.txt", "x"},
                {"media/../../up.txt", "x"},
                {"media\\..\\..\\back.txt", "x"},
                {"./dot.txt", "x"},
                {".hidden", "x"},
                {"c:/drive.txt", "x"},
                {"link", "/etc/passwd", true},
                {"media\\photo.jpg", "a second file of the same name"}});
  UnpackStatus status;
  std::filesystem::path folder;
  {
    std::unique_ptr<UnpackedArchive> unpacked = UnpackGedcomArchive(archive, status);
    ASSERT_NE(unpacked, nullptr);
    EXPECT_EQ(status, UnpackStatus::kOk);
    folder = unpacked->folder();
    EXPECT_EQ(unpacked->gedcom(), folder / "gedcom.ged");
    EXPECT_EQ(folder.parent_path(), std::filesystem::temp_directory_path());
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      EXPECT_FALSE(entry.is_symlink()) << entry.path();
      files.push_back(entry.path().lexically_relative(folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"gedcom.ged", "media", "media/photo.jpg"}));
    EXPECT_EQ(testing::ReadFileBytes(folder / "media/photo.jpg"), "jpeg");  // first one wins
    for (const char* outside : {"escaped.txt", "up.txt", "back.txt", "absolute.txt"}) {
      EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / outside)) << outside;
      EXPECT_FALSE(std::filesystem::exists(dir.path() / outside)) << outside;
    }
    EXPECT_FALSE(std::filesystem::exists("/absolute.txt"));
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

// The entry that comes first in the zip declares `size` bytes (local and central header).
void DeclareFirstEntrySize(std::string& zip, std::uint32_t size) {
  for (const auto& [signature, offset] :
       {std::pair{std::string("PK\x03\x04", 4), 22}, std::pair{std::string("PK\x01\x02", 4), 24}}) {
    const std::size_t at = zip.find(signature);
    ASSERT_NE(at, std::string::npos);
    for (int i = 0; i < 4; ++i) zip[at + offset + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  }
}

TEST(GedcomArchiveTest, RefusedArchives) {
  TempDir dir;
  UnpackStatus status;
  const auto big = WriteZip(
      dir, "big.gdz",
      {{"a.jpg", std::string(600, 'a')}, {"b.jpg", std::string(600, 'b')}, {"gedcom.ged", kTree}});
  // Each limit by what the entries declare, before anything is unpacked: with a temporary
  // folder nothing can be made in (not even by root), the limit is still what refuses.
  const char* const tmpdir = std::getenv("TMPDIR");
  const std::string kept_tmpdir = tmpdir ? tmpdir : "";
  ::setenv("TMPDIR", "/proc", 1);
  const std::pair<UnpackLimits, UnpackStatus> limits_cases[] = {
      {UnpackLimits{2, 1000, 10000}, UnpackStatus::kTooManyEntries},
      {UnpackLimits{10, 500, 10000}, UnpackStatus::kEntryTooLarge},
      {UnpackLimits{10, 1000, 1000}, UnpackStatus::kTooLarge},
      {UnpackLimits{}, UnpackStatus::kWriteFailed},
  };
  for (const auto& [limits, expected] : limits_cases) {
    EXPECT_EQ(UnpackGedcomArchive(big, status, limits), nullptr);
    EXPECT_EQ(status, expected);
  }
  if (tmpdir) {
    ::setenv("TMPDIR", kept_tmpdir.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
  EXPECT_EQ(UnpackProblem(UnpackStatus::kTooManyEntries),
            "the archive holds more than 100000 entries");
  EXPECT_EQ(UnpackProblem(UnpackStatus::kEntryTooLarge),
            "an entry of the archive is larger than 2 GiB");
  EXPECT_EQ(UnpackProblem(UnpackStatus::kTooLarge, UnpackLimits{10, 1000, 1000}),
            "the entries of the archive are larger than 1000 bytes together");

  // An archive that gives more than it declares is stopped by the bytes it gives.
  std::string lying = testing::ReadFileBytes(big);
  DeclareFirstEntrySize(lying, 100);
  EXPECT_EQ(UnpackGedcomArchive(dir.Write("lying.gdz", lying), status), nullptr);
  EXPECT_EQ(status, UnpackStatus::kLargerThanDeclared);

  const auto no_tree = WriteZip(dir, "none.gdz", {{"sub/gedcom.ged", kTree}});
  EXPECT_EQ(UnpackGedcomArchive(no_tree, status), nullptr);
  EXPECT_EQ(status, UnpackStatus::kNoGedcom);

  std::string truncated = testing::ReadFileBytes(big);
  truncated.resize(truncated.size() / 2);
  EXPECT_EQ(UnpackGedcomArchive(dir.Write("cut.gdz", truncated), status), nullptr);
  EXPECT_EQ(status, UnpackStatus::kUnreadable);
  EXPECT_TRUE(IsZipArchive(dir.path() / "cut.gdz"));
  EXPECT_FALSE(IsZipArchive(dir.Write("tree.ged", kTree)));

  // The reader says which: the database stays as it was.
  Database db;
  NullProgress progress;
  RecordingMessages messages;
  ASSERT_TRUE(LoadGedcom(db, dir.path() / "tree.ged", progress, messages));
  EXPECT_FALSE(LoadGedcom(db, no_tree, progress, messages));
  EXPECT_FALSE(LoadGedcom(db, dir.path() / "cut.gdz", progress, messages));
  EXPECT_FALSE(LoadGedcom(db, dir.path() / "lying.gdz", progress, messages));
  ASSERT_EQ(messages.entries.size(), 3u);
  EXPECT_EQ(messages.entries[0].text, "Not a valid GEDCOM file: " + no_tree.string());
  EXPECT_EQ(messages.entries[1].text,
            "Error reading GEDCOM file: " + (dir.path() / "cut.gdz").string() +
                " (not a zip archive that can be read)");
  EXPECT_EQ(messages.entries[2].text,
            "Error reading GEDCOM file: " + (dir.path() / "lying.gdz").string() +
                " (an entry of the archive holds more bytes than it declares)");
  EXPECT_EQ(db.PersonList().size(), 1u);
}

// The database keeps the unpacked archive of the tree it holds, and no longer.
TEST(GedcomArchiveTest, TheDatabaseOwnsTheUnpackedFolder) {
  TempDir dir;
  const auto archive = WriteZip(dir, "tree.gdz", {{"GEDCOM.GED", kTree}, {"media/a.png", "png"}});
  Database db;
  NullProgress progress;
  NullMessages messages;
  ASSERT_TRUE(LoadGedcom(db, archive, progress, messages));
  EXPECT_EQ(db.PersonList()[0]->Name, "Ann Oak");
  const std::filesystem::path folder = db.ArchiveFolder();
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "media/a.png"));
  ASSERT_TRUE(LoadGedcom(db, dir.Write("plain.ged", kTree), progress, messages));
  EXPECT_TRUE(db.ArchiveFolder().empty());
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST(GedcomArchiveTest, SafeRelativePaths) {
  for (const char* safe : {"a.jpg", "media/a.jpg", "a/b/c d.png", "Zoë.jpg"}) {
    EXPECT_TRUE(IsSafeRelativePath(safe)) << safe;
  }
  for (const char* unsafe : {"", "/a.jpg", "a//b.jpg", "a/", "../a.jpg", "a/../b.jpg", "./a", ".a",
                             "a\\b.jpg", "c:a.jpg"}) {
    EXPECT_FALSE(IsSafeRelativePath(unsafe)) << unsafe;
  }
}

}  // namespace
}  // namespace stirpex
