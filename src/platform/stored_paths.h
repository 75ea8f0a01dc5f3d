// Where the program lives, and how the paths that settings, trees and pages name are found on
// this system: the one resolver the viewer, stirpex-cli and the web-site pass share.
//
// Settings, GEDCOM files, image lists and styles were often written on another system: a path
// may use "\" between folders, may be relative to the program's folder ("ged\sample.ged",
// ".\HTML"), may be percent-encoded in a link, and may differ in letter case from the file on
// disk ("Photos\Anna.JPG" for photos/anna.jpg). Three operations cover them:
//   - ResolveStoredPath: a path stored in settings, as a path of this system;
//   - FindFileIn: a file named relative to some folders, looked for exactly and then without
//     regard to letter case (the pictures a site copies, the files a page names);
//   - ResolvePageReference: a reference written in a page (a picture, a style sheet, a linked
//     page), with its URL form undone, then found as FindFileIn finds it.
// Paths the user gives on a command line are not stored paths: they are taken against the
// current directory by whoever reads the command line.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex {

// The folder of the running program file (from /proc/self/exe), absolute. Falls back to the
// current directory when the link cannot be read.
std::filesystem::path ProgramDir();

// The folder of the files that come with the program (styles/, ged/, help/): the program's
// folder when it holds them (a build tree), else "../share/stirpex" beside it when that exists
// (an installed program: bin/ and share/stirpex/ under one prefix), else the program's folder.
// Relative paths of settings are taken against this folder.
std::filesystem::path DataDir(const std::filesystem::path& program_dir);

// The text of a stored path with every "\" turned into "/" (files written on Windows name
// their folders so; this system reads both). The one place the two separators become one:
// whatever takes a stored path or a name inside an archive apart asks here.
std::string WithForwardSlashes(std::string_view stored);

// The file name a stored path ends in: the text after its last "/", "\" or ":" (a drive
// letter), the whole text when it has none ("C:\www\Names.HTM" gives "Names.HTM").
std::string StoredFileName(std::string_view stored);
// The name a file the tree links to is shown by where it has no title: the file name it ends
// in with its URL escapes undone ("media/Bront%C3%AB.jpg" gives "Brontë.jpg"), the whole
// reference when it ends in "/".
std::string FileCaption(std::string_view reference);

// True when name is a file name and no path on either system: not empty, "." or "..", and
// without "/", "\" or NUL.
bool IsPlainFileName(std::string_view name);

// A path stored in settings as a path of this system: "\" taken as "/", a relative path taken
// against base (normally DataDir). An empty text gives an empty path. Letter case is kept.
std::filesystem::path ResolveStoredPath(std::string_view stored, const std::filesystem::path& base);

// The regular file at `relative` ("/" between its parts, taken literally: no "\" or "%"
// decoding) below the first folder of `dirs` that holds it, or an empty path. Every folder is
// tried with the path exactly as given first; then folder by folder each part is matched
// without regard to ASCII letter case, folders for the inner parts and a regular file for the
// last. "." parts are skipped and ".." goes up. Empty folders in `dirs` are skipped. The path
// is returned as found (not normalised).
std::filesystem::path FindFileIn(std::string_view relative,
                                 const std::vector<std::filesystem::path>& dirs);

// The entries of the folders that FindFileIn lists to match a name without regard to case,
// each folder listed once: a pass that looks for many files not where they are named (a
// tree's pictures moved, or named by another machine's paths) would otherwise list every
// folder again for each of them. The folders are taken as they were when first listed, so a
// FolderListings lives no longer than one pass. Safe to share between threads.
class FolderListings {
 public:
  FolderListings();
  ~FolderListings();
  FolderListings(const FolderListings&) = delete;
  FolderListings& operator=(const FolderListings&) = delete;

  // What FindFileIn(relative, dirs) finds, the folders' entries taken from this listing.
  std::filesystem::path FindFileIn(std::string_view relative,
                                   const std::vector<std::filesystem::path>& dirs);

  // The entries of dir whose names equal name without regard to ASCII case, in the folder's
  // order (listed on first use; none for a folder that cannot be read).
  std::vector<std::filesystem::path> EntriesNamed(const std::filesystem::path& dir,
                                                  std::string_view name);

 private:
  struct Listings;
  std::unique_ptr<Listings> listings_;
};

// The local file a reference in a page names, or an empty path when there is none:
//   - "file:" URLs and absolute paths are taken as they are (and matched without regard to
//     case when not found exactly);
//   - other references with a scheme ("http:", "mailto:") are not local files;
//   - a relative reference is found in the folders as FindFileIn finds it.
// A "#fragment" or "?query" ending is ignored, "%XX" escapes are decoded and "\" counts as
// "/". Only existing regular files are returned, lexically normalised.
std::filesystem::path ResolvePageReference(std::string_view reference,
                                           const std::vector<std::filesystem::path>& dirs);

// True when the reference begins with a URL scheme other than "file:" ("http://...",
// "mailto:..."): such links are for a web browser, not for the viewer.
bool IsExternalReference(std::string_view reference);

// The "#fragment" part of a reference without the "#", empty when there is none.
std::string ReferenceFragment(std::string_view reference);

}  // namespace stirpex
