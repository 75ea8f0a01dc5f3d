#include "app/options_values.h"

#include <algorithm>
#include <system_error>

#include "app/auto_filter.h"
#include "app/session.h"
#include "database/records.h"
#include "database/text.h"

namespace stirpex {

OptionsControls ControlsFromSettings(const TSettings& s) {
  OptionsControls c;
  c.edtGEDCOMfile = s.GEDCOMFile;
  c.edtPersonName = s.StartPerson;
  c.edtStyleFile = s.StyleFile;
  c.edtImageList = s.ImageList;
  c.edtWelcomePage = s.WelcomePage;
  c.cbShowWelcome = s.ShowWelcome;

  c.edtHTMLdir = s.HTMLDir;
  c.edtSurnamesFile = s.SurnameFile;
  c.edtKeywords = s.Keywords;
  c.edtImageDir = s.ImageDir;
  c.cbVerbose = s.SurnameVerbose;
  c.cbIncludeTrees = s.IncludeTrees;
  c.cbSurnameListBox = s.SurnameListBox;
  c.cbSplitSurnames = s.SplitSurnames;
  c.sedtSplitNumber = std::to_string(std::clamp(s.SplitNumber, kSplitNumberMin, kSplitNumberMax));
  c.cbIncludeGraphic = s.IncludeGraphic;
  c.cbWholeRecords = s.GedcomWholeRecords;

  c.edtExcludeFile = s.ExcludeList;
  c.cbReplaceName = s.ReplaceName;
  c.edtFakeName = std::string(Cut(s.PrivateName, kPrivateTextCapacity));
  c.rbReplaceDate = s.ReplaceDate;
  c.edtFakeDate = std::string(Cut(s.PrivateDate, kPrivateTextCapacity));
  c.cbBDEmpty = s.ExcNoBirthDate;
  c.cbBdayGreater = s.ExcByBirthDate;
  c.edtBdayGreater = s.ExcMaxAge;
  c.cbDeatDateFull = s.ExcByDeathDate;
  c.cbPresumedDead = s.ExcPresumedDead;
  c.cbDoExclude = s.ExcDoExclude;

  c.cbIncludeSpouse = s.IncludeSpouse;
  return c;
}

void CopyControlsToSettings(const OptionsControls& c, TSettings& s) {
  s.StyleFile = c.edtStyleFile;
  s.GEDCOMFile = c.edtGEDCOMfile;
  s.StartPerson = std::string(Cut(c.edtPersonName, kNameCapacity));
  s.HTMLDir = c.edtHTMLdir;
  s.SurnameFile = c.edtSurnamesFile;
  s.ExcludeList = c.edtExcludeFile;
  s.Keywords = c.edtKeywords;
  s.WelcomePage = c.edtWelcomePage;
  s.ExcMaxAge = std::string(Cut(c.edtBdayGreater, 5));
  s.ImageDir = c.edtImageDir;
  int split = 1;
  if (!ParseWholeNumber(c.sedtSplitNumber, split)) split = 1;
  s.SplitNumber = split;
  s.ImageList = c.edtImageList;

  s.SurnameListBox = c.cbSurnameListBox;
  s.ExcDoExclude = c.cbDoExclude;
  // The dialog offers one choice: replace excluded people, or show them with masked dates.
  s.ExcMaskDateOnly = !c.cbReplaceName;
  s.ExcNoBirthDate = c.cbBDEmpty;
  s.ExcByBirthDate = c.cbBdayGreater;
  s.ExcByDeathDate = c.cbDeatDateFull;
  s.ExcPresumedDead = c.cbPresumedDead;
  s.SurnameVerbose = c.cbVerbose;
  s.PrivateName = std::string(Cut(c.edtFakeName, kPrivateTextCapacity));
  s.PrivateDate = std::string(Cut(c.edtFakeDate, kPrivateTextCapacity));
  s.ReplaceName = c.cbReplaceName;
  s.ReplaceDate = c.rbReplaceDate;
  s.SplitSurnames = c.cbSplitSurnames;
  s.IncludeGraphic = c.cbIncludeGraphic;
  s.GedcomWholeRecords = c.cbWholeRecords;
  s.IncludeTrees = c.cbIncludeTrees;
  s.ShowWelcome = c.cbShowWelcome;
  s.IncludeSpouse = c.cbIncludeSpouse;
}

void CloseOptions(const OptionsControls& controls, const std::vector<std::string>& exclude_entries,
                  TSettings& settings, Database& db, Progress* progress) {
  CopyControlsToSettings(controls, settings);
  if (controls.cbReplaceName) db.SetPrivateName(Cut(controls.edtFakeName, kPrivateTextCapacity));
  db.ExcludedNames() = exclude_entries;
  db.ApplyExcludedNames(progress);
}

bool LoadExcludeList(Database& db, const std::filesystem::path& chosen, Messages& messages) {
  std::vector<std::string> names;
  if (!ReadExcludeList(chosen, names, db.SourceEncoding())) {
    messages.Error("File: " + chosen.string() + " does not exist.", kHelpMissingFile);
    return false;
  }
  db.ExcludedNames() = std::move(names);
  db.SetUnreadableExcludeList({});  // exports refused for want of a list may go on
  db.ApplyExcludedNames();
  return true;
}

}  // namespace stirpex
