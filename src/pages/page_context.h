// What every page builder reads besides its arguments: the settings, the style in force, the
// tree as it may be shown (`privacy`, a ShownTree over the database and settings), the name of
// the surname index page and today's date (from the clock the caller passes).
//
// The context gives no database: a builder reaches records, lists, look-ups and the store only
// through `privacy` (privacy.h), so that what it reads has passed the privacy layer or can be
// asked about there. The database is reached directly only by the privacy layer's own views
// (privacy.cpp, shown_facts.cpp, shown_index.cpp, through ShownTree::Unfiltered), and, outside
// the builders, by what makes a context and by the writers of whole files (the GEDCOM exports
// apply the same rules line by line); tests/layers_test.sh checks the builders.
//
// The viewer's controller, the web-site writer, the surname index and stirpex-cli each make one
// and pass it to the builders; nothing is global. The context only refers to the database,
// settings and style: they must outlive it, and a page built reflects their state at the time.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "database/database.h"
#include "pages/page_names.h"
#include "pages/privacy.h"
#include "pages/style.h"
#include "pages/template/page_lines.h"
#include "platform/clock.h"
#include "settings/settings.h"

namespace stirpex {

class PictureLinks;

struct PageContext {
  PageContext(const Database& database, const TSettings& settings_in, const TStyle& style_in,
              const Clock& clock)
      : settings(settings_in),
        style(style_in),
        privacy(database, settings_in),
        today(DateText(clock.Today())) {}

  // A date as "<!--^Date^-->" writes it: the C library's short date ("%x" in the LC_TIME
  // locale the program's front end chose; month/day/year in the C locale).
  static std::string DateText(const std::tm& date);

  const TSettings& settings;
  const TStyle& style;
  ShownTree privacy;                                  // how each person and date may be shown
  std::string index_page_name{kViewerIndexPageName};  // target of "<!--^Surnameshtm^-->"
  std::string today;                                  // text of "<!--^Date^-->"
  // Only while a web site is written: whether it has a search page, so that
  // "<!--^SearchBox^-->" shows the style's search box (the viewer runs no search), and the
  // site's address (SiteURL) for the canonical links of its pages.
  bool site_search = false;
  std::string site_url;
  // Only while a web site is written: whether it has a statistics page (the style has a
  // STATISTICS section), so that "<!--^StatsLink^-->" shows the link to it.
  bool site_statistics = false;
  // Where pages find the pictures of media objects (picture_links.h); none: the files as the
  // tree names them, which the viewer's display looks for itself.
  const PictureLinks* pictures = nullptr;
};

}  // namespace stirpex
