// Every setting of the program, in one record. Each field carries the name of its INI key
// (section "Options" of stirpex.ini and of project files) and starts at the key's default.
// Strings marked with a capacity keep at most that many characters when read or set. Paths are
// kept with "/" (settings_keys.h reads "\" as "/").
#pragma once

#include <string>

namespace stirpex {

struct TSettings {
  std::string LastDir;                           // LastDir: folder of the last opened file (".../")
  std::string StyleFile = "styles/stirp1.sty";   // StyleFile: loaded at start and with projects
  std::string GEDCOMFile = "ged/sample.ged";     // GEDCOMFile: loaded at start and with projects
  std::string StartPerson;                       // StartPerson (90): name of the home person
  std::string HTMLDir = "./HTML";                // HTMLDir: folder offered for a web site
  std::string SurnameFile = "index.htm";         // SurnameFile: surname index page of a web site
  std::string ExcludeList;                       // ExcludeList: exclude list file, an entry a line
  std::string WelcomePage;                       // WelcomePage: shown by Home when ShowWelcome
  std::string ImageDir;                          // ImageDir: folder put before picture names
  std::string ImageList;                         // ImageList: image list file
  bool ExcDoExclude = false;                     // ExcDoExclude: the privacy filter is on
  bool ExcMaskDateOnly = false;                  // ExcMaskDateOnly: excluded people keep names
  bool SurnameListBox = false;                   // SurnameListBox: index contents as a list box
  bool ExcNoBirthDate = false;                   // ExcNoBirthDate: auto filter, birth date empty
  bool ExcByBirthDate = false;                   // ExcByBirthDate: auto filter, birth year
  bool ExcByDeathDate = false;                   // ExcByDeathDate: auto filter, death date
  bool ExcPresumedDead = true;                   // ExcPresumedDead: auto filter, presumed dead
  bool SplitSurnames = false;                    // SplitSurnames: index over several pages
  int SplitNumber = 5;                           // SplitNumber: surnames per split page
  bool IncludeGraphic = true;                    // IncludeGraphic: footer graphic on pages
  bool IncludeTrees = false;                     // IncludeTrees: tree pages and their links
  bool ShowWelcome = false;                      // ShowWelcome: Home shows WelcomePage
  bool IncludeSpouse = true;                     // IncludeSpouse: descendants take spouses
  bool ReplaceName = false;                      // ReplaceName: excluded people shown as private
  bool ReplaceDate = false;                      // ReplaceDate: masked dates read PrivateDate
  std::string PrivateName = "Living - Private";  // PrivateName (30)
  std::string PrivateDate = "Living - Private";  // PrivateDate (30)
  std::string Keywords;                          // Keywords: keywords meta line of pages
  std::string ExcMaxAge;                         // ExcMaxAge (5): "Years ago" of the auto filter
  bool SurnameVerbose = false;                   // SurnameVerbose: long index lines
  std::string SiteURL;                           // SiteURL: address a web site will live at
  int ChartGenerations = 5;                      // ChartGenerations: rings of the fan (2-10)
  int DescendantGenerations = 4;                 // DescendantGenerations: of the tree (2-10)
  bool GedcomWholeRecords = true;                // GedcomWholeRecords: Save GEDCOM writes every
                                                 // record and line, else the kept fields only
  int top = 0;                                   // top: main window
  int left = 0;                                  // left
  int height = 480;                              // height
  int width = 640;                               // width
};

}  // namespace stirpex
