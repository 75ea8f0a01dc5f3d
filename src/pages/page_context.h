// What every page builder reads besides its arguments: the database, the settings, the style
// in force, the privacy layer over them, the name of the surname index page and today's date.
//
// The viewer's controller, the web-site writer, the surname index and stirpex-cli each make one
// and pass it to the builders; nothing is global. The context only refers to the database,
// settings and style: they must outlive it, and a page built reflects their state at the time.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "database/database.h"
#include "pages/privacy.h"
#include "pages/style.h"
#include "settings/settings.h"

namespace stirpex {

// A page as built: one entry per line, without line ends (writers add CR LF).
using PageLines = std::vector<std::string>;

// The target of the surname link in the viewer (a written web site uses SurnameFile's name).
inline constexpr std::string_view kViewerIndexPageName = "surname.htm";

struct PageContext {
  PageContext(const Database& database, const TSettings& settings_in, const TStyle& style_in)
      : db(database),
        settings(settings_in),
        style(style_in),
        privacy(database, settings_in),
        today(TodayText()) {}

  // Today's date as "<!--^Date^-->" writes it: the C library's short date ("%x" in the
  // current LC_TIME locale). The day is SOURCE_DATE_EPOCH (seconds since 1970, taken as UTC)
  // when that variable holds a whole number, else the clock's local date.
  static std::string TodayText();
  // The same for a given time (UTC when utc is set, else local).
  static std::string DateText(std::time_t when, bool utc);

  const Database& db;
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
};

}  // namespace stirpex
