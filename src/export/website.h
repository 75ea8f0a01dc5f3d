// Writing the whole database as a static web site into one folder (the Save Website command).
//
// One page per family, a picture page per family and person with a picture, a note page per
// person with notes, the surname index (maybe with split pages), with IncludeTrees a tree page
// per person, and with a style that makes them the chart pages of each family and the
// statistics page (pages/chart_pages.h), and with a style that makes them the pages of
// sources, places and media records and their indexes (pages/record_pages.h; the pictures of
// media objects as export/thumbnails.h makes them), all built by the page builders from the style
// in force and written under the page names of pages/page_names.h. Pages are built on several
// threads (page_pipeline.h) and written as soon as built, a few pages per thread at a time, so
// memory does not grow with the number of pages; the site is the same, byte for byte, whatever the
// number of threads. A file whose bytes the folder holds already is not written again
// (site_files.h). When no picture folder is set (ImageDir empty) pages name their pictures beside
// themselves, so the pictures they name are copied into the site from where they lie. A style with
// a SEARCH PAGE section gives the site a search page (search_index.h); with SiteURL set the site
// gets a sitemap and its pages canonical links (sitemap.h).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "database/progress.h"
#include "pages/style.h"
#include "platform/clock.h"
#include "settings/settings.h"

namespace stirpex {

struct WebsiteOptions {
  // Where the pictures the tree names lie (the GEDCOM file's folder, the style's folder, ...),
  // searched in this order; see SaveWebsite.
  std::vector<std::filesystem::path> picture_dirs;
  // Threads that build pages; 0: one per processor core (PageThreads).
  int jobs = 0;
};

struct WebsiteResult {
  long long pages_written = 0;
  long long pages_unchanged = 0;  // files the folder held already, byte for byte: not written
  long long pages_failed = 0;     // pages and pictures that could not be written
  long long pictures_copied = 0;
  // Thumbnails and readable-size pictures of media objects made by this pass (reused ones not
  // counted), and pictures that could not be read (shown as the placeholder).
  long long pictures_made = 0;
  long long pictures_unreadable = 0;
  long long stale_removed = 0;  // files of an earlier site no longer written (site_manifest.h)
  bool folder_failed = false;   // the folder could not be made: nothing was written
  bool refused = false;         // the privacy layer refused (ShownTree::Refusal): nothing written
  bool cancelled = false;       // Progress::Cancelled() stopped the pass between pages
  std::string index_page_name;  // IndexPageName for the pages shown afterwards
  // PersonList sorted by name as the surname index leaves it (surname_index.h), for the
  // viewer to apply; empty when the pass did not sort (no surname, or it stopped before).
  std::vector<const TPersonRec*> name_order;
};

// The summary of a pass into dir, as stirpex-cli prints it and the viewer shows it: "12 pages
// written to DIR", then ", 40 unchanged", ", 3 pictures copied", ", 2 stale files removed" and
// ", 1 could not be written" when there are any (one page, picture, file in the singular).
std::string WebsiteSummary(const WebsiteResult& result, const std::string& dir);

// The file-name part of the SurnameFile setting: the text after the last "/", "\" or ":".
std::string IndexPageNameOf(std::string_view surname_file);

// Writes the web site into dir (made with its parents when missing). In order: the family
// pass (family page, its picture page, its fan and descendant chart pages), the person pass
// (picture page, then note page), the index page (named IndexPageNameOf(SurnameFile)) with its
// split pages, the statistics page, the indexes of sources and places and the pages of
// sources, places and media records, the tree pass, the search files and the sitemap; counts, the
// first failure and the manifest follow this order whatever the threads (options.jobs) did.
// Persons the privacy filter replaces get no picture, note or tree page; families whose
// pictures it hides no picture page. Progress: the title "Saving Webpages", the family and
// people counts, the tree count in the tree pass, and the percentage step * 100 / steps before
// each step (one step per family, per person and per tree page). Cancel is looked at between
// pages; pages written stay.
//
// With ImageDir empty, the footer graphic (with IncludeGraphic) and the pictures the privacy
// layer shows (ShowsPicture, ShowsFamilyPicture) are then copied into dir from the first of
// options.picture_dirs that holds them (a name matched exactly, else without regard to case),
// unless dir holds an up-to-date copy. Only plain file names with a picture's extension are
// copied: a name with a folder in it, or beginning with a dot, never makes the site publish
// another file. The one exception is a tree read from a GEDCOM archive: a picture named with a
// safe path inside it (IsSafeRelativePath, "media/photo.jpg") is copied from the unpacked
// archive (Database::ArchiveFolder) to the same path in dir.
//
// While the privacy layer refuses every export (the exclude list in force could not be read
// and the filter is on), nothing is written: its refusal goes to messages (help topic 204).
//
// The folder's manifest (export/site_manifest.h) names every file the pass wrote; after a
// complete pass the files an earlier pass wrote and this one did not are removed (counted in
// stale_removed); a cancelled pass removes nothing. A manifest that cannot be written counts
// as a file that could not be written.
//
// Write failures do not stop the pass: they are counted and reported once at the end through
// messages ("Unable to write to " + the first path that failed, with the count when more
// failed; help topic 204). The tree pass visits the people in the name order the surname
// index hands back (WebsiteResult::name_order). The pass changes neither the database nor a
// setting, and leaves the process's working directory alone.
WebsiteResult SaveWebsite(const Database& db, const TSettings& settings, const TStyle& style,
                          const Clock& clock, const std::filesystem::path& dir,
                          const WebsiteOptions& options, Progress& progress, Messages& messages);

}  // namespace stirpex
