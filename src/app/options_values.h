// What the options dialog edits, as plain values: the state of each of its controls, how
// they are filled from the settings when the dialog opens, and how they go back into the
// settings, the private person and the excluded names when it closes.
//
// The dialog (shell/options_dialog.h) only moves these values in and out of its widgets, so
// the rules live here and are tested without a display. Fields are named after the controls
// they stand for.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/progress.h"
#include "settings/settings.h"

namespace stirpex {

struct OptionsControls {
  // "&Startup Files"
  std::string edtGEDCOMfile;   // GEDCOMFile
  std::string edtPersonName;   // StartPerson
  std::string edtStyleFile;    // StyleFile
  std::string edtImageList;    // ImageList
  std::string edtWelcomePage;  // WelcomePage
  bool cbShowWelcome = false;  // ShowWelcome
  // "&Webpage"
  std::string edtHTMLdir;         // HTMLDir
  std::string edtSurnamesFile;    // SurnameFile
  std::string edtKeywords;        // Keywords
  std::string edtImageDir;        // ImageDir
  bool cbVerbose = false;         // SurnameVerbose
  bool cbIncludeTrees = false;    // IncludeTrees
  bool cbSurnameListBox = false;  // SurnameListBox
  bool cbSplitSurnames = false;   // SplitSurnames
  std::string sedtSplitNumber;    // SplitNumber, the number box's value in decimal
  bool cbIncludeGraphic = false;  // IncludeGraphic
  bool cbWholeRecords = false;    // GedcomWholeRecords ("Export every record")
  // "&Filters"
  std::string edtExcludeFile;   // ExcludeList
  bool cbReplaceName = false;   // ReplaceName ("Replace Name With")
  std::string edtFakeName;      // PrivateName
  bool rbReplaceDate = false;   // ReplaceDate; rbMaskDateOnly is its opposite
  std::string edtFakeDate;      // PrivateDate
  bool cbBDEmpty = false;       // ExcNoBirthDate
  bool cbBdayGreater = false;   // ExcByBirthDate
  std::string edtBdayGreater;   // ExcMaxAge ("Years ago")
  bool cbDeatDateFull = false;  // ExcByDeathDate
  bool cbPresumedDead = false;  // ExcPresumedDead ("Presumed &dead")
  bool cbDoExclude = false;     // ExcDoExclude ("&Apply Filter")
  // "&People"
  bool cbIncludeSpouse = false;  // IncludeSpouse
};

// The number box's range.
inline constexpr int kSplitNumberMin = 1;
inline constexpr int kSplitNumberMax = 100;
// Longest text of the name and date replacement fields.
inline constexpr std::size_t kPrivateTextCapacity = 30;

// FormActivate: every control from its setting (the number box kept within 1 to 100).
OptionsControls ControlsFromSettings(const TSettings& settings);

// The copy of FormClose, in its order: StyleFile, GEDCOMFile, StartPerson (cut to 90), HTMLDir,
// SurnameFile, ExcludeList, Keywords, WelcomePage, ExcMaxAge (cut to 5), ImageDir, SplitNumber
// (the number box's text, 1 when not a whole number), ImageList, then the flags (the auto
// filter's ExcPresumedDead beside the other criteria), with ExcMaskDateOnly the opposite of
// "Replace Name With", PrivateName and PrivateDate (cut to 30),
// ReplaceName, ReplaceDate and the remaining flags.
void CopyControlsToSettings(const OptionsControls& controls, TSettings& settings);

// FormClose as a whole, run whether the dialog was left with OK or Cancel: the copy above;
// the private person renamed to the name field when "Replace Name With" is ticked; the
// excluded names set to the exclude list's entries in their order; the Excluded flags
// recomputed from them (pending messages run between names when progress is given).
void CloseOptions(const OptionsControls& controls, const std::vector<std::string>& exclude_entries,
                  TSettings& settings, Database& db, Progress* progress);

// "&Load List" once a file was chosen: when it exists, the excluded names become its lines in
// order (every line as it stands, read as ReadExcludeList reads it for the tree), the Excluded
// flags are recomputed, and a list that could not be read before no longer stops exports
// (Database::UnreadableExcludeList); true. When it does
// not, "File: " + path + " does not exist." (help topic 204) and nothing changes; false. The
// ExcludeList setting is not changed.
bool LoadExcludeList(Database& db, const std::filesystem::path& chosen, Messages& messages);

}  // namespace stirpex
