// What a site tells search engines once it knows its own address (the SiteURL setting, empty
// by default): a sitemap (sitemap.xml) listing the index pages and the family pages with their
// chart pages, and on
// every page a canonical link naming the page's address. Without SiteURL nothing of this is
// written and pages stay as they were.
#pragma once

#include <filesystem>
#include <span>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "database/records.h"
#include "export/site_files.h"

namespace stirpex {

inline constexpr std::string_view kSitemapName = "sitemap.xml";
// A sitemap names at most this many pages; a larger site gets a sitemap index in sitemap.xml
// naming sitemap-1.xml, sitemap-2.xml, ... of that many pages each.
inline constexpr std::size_t kSitemapLimit = 50000;

// The address pages are found under: SiteURL without blanks around it and with a trailing "/"
// ("https://example.org/tree" gives "https://example.org/tree/"); empty for an empty setting.
std::string SiteAddress(std::string_view site_url);

// The canonical link of page (a file name of the site) at site (a SiteAddress):
// <link rel="canonical" href="https://example.org/tree/f12.htm">; empty when site is empty.
std::string CanonicalLink(std::string_view site, std::string_view page);

// The pages of a family besides its family page that the sitemap names (its chart pages),
// appended to pages.
using FamilySitePages =
    std::function<void(const TFamilyRec& family, std::vector<std::string>& pages)>;

// Writes the sitemap of the site at site (a SiteAddress, not empty) into dir: the index pages
// in the order given, then the page of each family in list order, each followed by the pages
// more_pages names (none when it is empty); more than per_file pages go to numbered sitemaps
// that sitemap.xml names. Files whose bytes are there already stay untouched; each file is
// counted in tally.
void WriteSitemaps(const std::filesystem::path& dir, std::string_view site,
                   const std::vector<std::string>& index_pages,
                   std::span<const TFamilyRec* const> families, WriteTally& tally,
                   std::size_t per_file = kSitemapLimit, const FamilySitePages& more_pages = {});

}  // namespace stirpex
