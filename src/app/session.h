// What the viewer's start-up and stirpex-cli share: the loaded state and the load sequence.
//
// A session holds the database, the settings, the style in force, the paths of the style and
// GEDCOM files in use and the target of the surname link. Loading follows the viewer's
// start-up: the style, then the GEDCOM file, then, when a family was read, the exclude list,
// the excluded flags, the private person's name and the pictures of the image list.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/paths.h"
#include "database/database.h"
#include "database/progress.h"
#include "pages/page_context.h"
#include "pages/style.h"
#include "settings/settings.h"

namespace stirpex {

struct LoadOutcome {
  bool style_loaded = false;
  bool gedcom_loaded = false;
};

class Session {
 public:
  // A session with default settings whose stored paths resolve against program_dir (by
  // default the folder of the program's bundled files, see DataDir).
  explicit Session(std::filesystem::path program_dir = DataDir(ProgramDir()));

  // A path stored in settings, resolved against the program's folder (see paths.h).
  std::filesystem::path ResolveSetting(std::string_view stored) const;

  // Takes the StyleFile and GEDCOMFile settings as the files in use.
  void UseFilesOfSettings();

  // Reads a settings or project file into settings (missing keys, or a missing file, give the
  // defaults) and takes its StyleFile and GEDCOMFile as the files in use.
  void ReadSettingsFile(const std::filesystem::path& path);

  // Loads the style file in use, then the tree (LoadTree). Failures are reported through
  // messages (the style's and LoadTree's); the steps after a failed style load still run, as
  // at start-up.
  LoadOutcome LoadCurrentFiles(Progress& progress, Messages& messages);

  // Loads the GEDCOM file in use; when a tree was read: reads the exclude list
  // into the excluded names (the exclude_list file when one is given, reporting "File: " +
  // path + " does not exist." with help topic 204 when it cannot be read; else the file of the
  // ExcludeList setting when it exists), marks the excluded people, names the private person
  // PrivateName when ReplaceName is on, and (when a family was read) applies the image list
  // of the ImageList setting.
  // True when the GEDCOM reader read a tree.
  bool LoadTree(Progress& progress, Messages& messages);

  // Where the pictures a page names are looked for: the folder a GEDCOM archive was unpacked
  // into (its media), the GEDCOM file's folder, the style file's folder (the footer graphic
  // lies beside the default style) and the program's folder, each once. A relative file is
  // taken against the current directory ("tree.ged" lies in it).
  std::vector<std::filesystem::path> PictureFolders() const;

  // A page context over this session's database, settings and style.
  PageContext Context() const;

  Database db;
  TSettings settings;
  TStyle style;
  std::filesystem::path program_dir;
  std::filesystem::path style_file;   // the style file in use
  std::filesystem::path gedcom_file;  // the GEDCOM file in use
  // Exclude list read at each load in place of the ExcludeList setting's; empty: none.
  std::filesystem::path exclude_list;
  std::string index_page_name{kViewerIndexPageName};
};

// Reads an exclude list file (one full name a line, every line as it stands) into names.
// False when the file cannot be read; names are then unchanged. A list that is not valid UTF-8
// is read in the set the tree was decoded from when that was ANSEL or Mac Roman
// (tree_encoding, see ReadTextLines), so a list saved before still names the same people.
bool ReadExcludeList(const std::filesystem::path& path, std::vector<std::string>& names,
                     TextEncoding tree_encoding = TextEncoding::kBytes);

}  // namespace stirpex
