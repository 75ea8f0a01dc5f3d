// What the viewer's start-up and stirpex-cli share: the loaded state and the load sequence.
//
// A session holds the database, the settings, the style in force, the paths of the style and
// GEDCOM files in use and the target of the surname link. Loading follows the viewer's
// start-up: the style, then the GEDCOM file, the exclude list, the excluded flags, the private
// person's name and, when a family was read, the pictures of the image list.
//
// Relative paths read from a settings or project file are taken against that file's folder
// when the file they name is there, else against the program's folder (paths.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "database/progress.h"
#include "pages/page_context.h"
#include "pages/style.h"
#include "platform/clock.h"
#include "platform/stored_paths.h"
#include "settings/settings.h"

namespace stirpex {

// What a load did. Each step that fails reports itself through Messages as it fails (the
// viewer shows it at once) and is told here as well, so that a caller decides by this value
// rather than by asking its message sink afterwards.
struct LoadOutcome {
  bool style_loaded = false;  // LoadCurrentFiles only
  bool gedcom_loaded = false;
  bool exclude_list_failed = false;  // the exclude list in force was reported unreadable
  // Nothing was reported: the tree (and, when asked for, the style) loaded, the list was read.
  bool ok(bool with_style) const {
    return gedcom_loaded && !exclude_list_failed && (style_loaded || !with_style);
  }
};

class Session {
 public:
  // A session with default settings whose stored paths resolve against program_dir (by
  // default the folder of the program's bundled files, see DataDir). Its pages are dated by
  // `clock`, which must outlive it.
  explicit Session(const Clock& clock, std::filesystem::path program_dir = DataDir(ProgramDir()));

  // A path stored in settings: a relative one is taken against settings_dir when the file or
  // folder it names is there, else against the program's folder (see paths.h). The one rule
  // for every stored path the viewer and stirpex-cli open, choose from or write into.
  std::filesystem::path ResolveSetting(std::string_view stored) const;
  // The places ResolveSetting looks at for a stored path, in order, up to the one it gives
  // (its last); empty for an empty text.
  std::vector<std::filesystem::path> PlacesOfSetting(std::string_view stored) const;

  // Takes the StyleFile and GEDCOMFile settings as the files in use.
  void UseFilesOfSettings();

  // Reads a settings or project file into settings (missing keys, or a missing file, give the
  // defaults), makes its folder settings_dir, and takes its StyleFile and GEDCOMFile as the
  // files in use.
  void ReadSettingsFile(const std::filesystem::path& path);

  // Loads the style file in use, then the tree (LoadTree). Failures are reported through
  // messages (the style's and LoadTree's); the steps after a failed style load still run, as
  // at start-up.
  LoadOutcome LoadCurrentFiles(Progress& progress, Messages& messages);

  // Loads the GEDCOM file in use, then reads the exclude list in force (ReadExcludeListInForce)
  // and names the private person PrivateName when ReplaceName is on, whether or not the tree
  // loaded (a tree opened later gets both). When a tree was read: marks the excluded people
  // and (when a family was read) applies the image list of the ImageList setting.
  // gedcom_loaded: the GEDCOM reader read a tree.
  LoadOutcome LoadTree(Progress& progress, Messages& messages);

  // Reads the exclude list in force into the excluded names: the exclude_list file when one is
  // given, else the file of the ExcludeList setting (none when the setting is empty). A list
  // that cannot be read leaves the names as they were and is recorded in the database
  // (Database::UnreadableExcludeList, so that exports refuse while the filter is on); it is
  // reported as "Exclude list cannot be read: " + every place looked at (PlacesOfSetting,
  // joined by " or "; help topic 204) when it was given, or while the filter is on. A list
  // that was read clears that record. False when it was reported.
  bool ReadExcludeListInForce(Messages& messages);

  // Where the pictures a page names are looked for: the folder a GEDCOM archive was unpacked
  // into (its media), the GEDCOM file's folder, the style file's folder (the footer graphic
  // lies beside the default style) and the program's folder, each once. A relative file is
  // taken against the current directory ("tree.ged" lies in it).
  std::vector<std::filesystem::path> PictureFolders() const;
  // Where the viewer looks for what a page on show names (pictures, style sheets, linked
  // pages): the program's folder first, then the picture folders.
  std::vector<std::filesystem::path> PageSearchDirs() const;

  // A page context over this session's database, settings, style and clock. Its privacy
  // layer shares what earlier contexts made of the whole tree (the sources, places and media
  // with pages) while the tree, its excluded people and the privacy settings are unchanged,
  // so a page of the viewer does not walk the tree again; a change to any of them is seen at
  // the next call. From the thread that owns the session only.
  PageContext Context() const;

  // Why an export may not be written to `output`: it is the GEDCOM file in use, however named
  // (the same device and inode), which the export would replace with a filtered copy.
  // "Unable to write to OUT: it is the GEDCOM file in use", with " (IN)" after it when
  // the two are named differently; empty when output is any other file or none yet.
  std::string OverwriteRefusal(const std::filesystem::path& output) const;

  const Clock& clock;
  Database db;
  TSettings settings;
  TStyle style;
  std::filesystem::path program_dir;
  // The folder of the settings or project file the settings came from; empty: none (the
  // program's own settings, or defaults).
  std::filesystem::path settings_dir;
  std::filesystem::path style_file;   // the style file in use
  std::filesystem::path gedcom_file;  // the GEDCOM file in use
  // Exclude list read at each load in place of the ExcludeList setting's; empty: none.
  std::filesystem::path exclude_list;
  std::string index_page_name{kViewerIndexPageName};

 private:
  // The state of the tree and the privacy settings that the shared slots were made for.
  struct ShownState {
    std::uint64_t generation = 0;
    std::size_t people = 0, families = 0;  // a tree cleared and read again
    std::uint64_t excluded = 0;            // a hash of which people are excluded
    bool exclude = false, mask = false, replace_date = false;
    std::string private_date;
    friend bool operator==(const ShownState&, const ShownState&) = default;
  };
  ShownState CurrentShownState() const;
  mutable ShownState shown_state_;
  mutable std::shared_ptr<ShownTree::IndexSlots> shown_slots_;
};

// Reads an exclude list file (one entry a line, every line as it stands: a full name, or a
// name with a record, database/exclude_entries.h) into names.
// False when the file cannot be read; names are then unchanged. A list that is not valid UTF-8
// is read in the set the tree was decoded from when that was ANSEL or Mac Roman
// (tree_encoding, see ReadTextLines), so a list saved before still names the same people.
bool ReadExcludeList(const std::filesystem::path& path, std::vector<std::string>& names,
                     TextEncoding tree_encoding = TextEncoding::kBytes);

// The warning about exclude-list entries that name nobody (Database::UnmatchedExcludedNames):
// how many, and the first three; empty when there are none.
std::string UnmatchedNamesWarning(const std::vector<std::string>& unmatched);

}  // namespace stirpex
