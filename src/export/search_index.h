// The search of a published web site: a page (search.htm) on which a visitor finds people by
// any part of their name, wherever the site's folder lies (file://, any static host; no server).
//
// Browsers refuse to fetch local files, so the index is loaded as script files: search.js (the
// program's search code), search-data.js (the directory of the index) and the data files
// search-data-<prefix>[.top|.<n>].js. Every word of every listed person's name is folded
// (SearchWords) and the (word, person) entries are cut into files by the first letters of the
// word, a file per prefix, longer prefixes where a file would grow past kSearchFileBudget: a
// query loads the directory and the one file of its rarest word. A prefix too common to fit
// gets a file of its best matches (".top") and its entries in name order (".0", ".1", ...).
// Every file is ASCII (other characters written as \uXXXX), whatever the tree's character set.
//
// An entry names the person as pages show them: only people listed under their own record
// (the privacy layer's ForEachListedPerson; a replaced person is absent), with the years of
// their birth and death dates as pages write them (masked ones as "19xx"), and the page to
// go to: the family page (DisplayFamily), or the tree page when there is no family page and
// tree pages are written, or none.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "export/page_pipeline.h"
#include "pages/page_context.h"

namespace stirpex {

inline constexpr std::string_view kSearchPageName = "search.htm";
inline constexpr std::string_view kSearchScriptName = "search.js";
inline constexpr std::string_view kSearchDirectoryName = "search-data.js";

// The largest data file the index is cut to aim for, in bytes (a file holds at least one
// entry, and an entry is a name of at most a few hundred bytes).
inline constexpr std::size_t kSearchFileBudget = 80 * 1000;
// The most people a query shows, and the most a ".top" file holds.
inline constexpr std::size_t kSearchResultLimit = 300;
// Words are filed by at most this many of their first characters.
inline constexpr std::size_t kSearchPrefixLimit = 16;

// The words of a name as the search compares them: lower case, marks removed from letters
// (accents, umlauts, cedillas: "Östergård" gives "ostergard"), the letters ø æ œ ß đ ð þ ł ı
// written as o ae oe ss d d th l i, apostrophes dropped ("O'Brien" gives "obrien"), and cut at
// everything that is neither letter nor digit. The name is read as UTF-8 when it is valid
// UTF-8, else as Windows-1252; the words are UTF-8. The page's script folds queries and names
// the same way.
std::vector<std::string> SearchWords(std::string_view name);

// The year of a date as a result shows it: the year as pages show it (ShownYear, privacy.h).
std::string SearchYear(std::string_view shown_date);

// The file name of the data of prefix (UTF-8): letters a-z and digits as they are, every other
// byte as "_" and two hex digits; suffix "" (the whole prefix), ".top" or "." + chunk number.
std::string SearchDataFileName(std::string_view prefix, std::string_view suffix);

// The program's search code (search.js).
std::string_view SearchScript();

// Writes the search of the site into dir: search.htm from the style's SEARCH PAGE section
// (markers expanded as on the index page; "<!--^SearchScript^-->" loads search.js), search.js,
// the directory and the data files, as steps of pipeline (drained before returning). Files
// whose bytes are there already stay as they are. Nothing when the style has no SEARCH PAGE.
// budget: the file size the data are cut to (tests make it small).
void WriteSearch(const PageContext& ctx, const std::filesystem::path& dir, PagePipeline& pipeline,
                 std::size_t budget = kSearchFileBudget);

}  // namespace stirpex
