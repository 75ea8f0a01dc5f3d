#include "database/gedcom_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(GedcomArchiveTest, RefusedArchives) {
  TempDir dir;
  UnpackStatus status;
  // Too large as a whole, and one entry too large, by the sizes it unpacks to.
  UnpackLimits limits;
  limits.max_total_bytes = 1000;
  const auto big =
      WriteZip(dir, "big.gdz", {{"gedcom.ged", kTree}, {"a.jpg", std::string(1500, 'a')}});
  EXPECT_EQ(UnpackGedcomArchive(big, status, limits), nullptr);
  EXPECT_EQ(status, UnpackStatus::kUnreadable);
  limits = UnpackLimits{};
  limits.max_entry_bytes = 1000;
  EXPECT_EQ(UnpackGedcomArchive(big, status, limits), nullptr);
  EXPECT_EQ(status, UnpackStatus::kUnreadable);
  limits = UnpackLimits{};
  limits.max_entries = 1;
  EXPECT_EQ(UnpackGedcomArchive(big, status, limits), nullptr);

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
  ASSERT_EQ(messages.entries.size(), 2u);
  EXPECT_EQ(messages.entries[0].text, "Not a valid GEDCOM file: " + no_tree.string());
  EXPECT_EQ(messages.entries[1].text,
            "Error reading GEDCOM file: " + (dir.path() / "cut.gdz").string());
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
