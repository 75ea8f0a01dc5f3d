#include "pages/record_pages.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <span>
#include <utility>

#include "database/text.h"
#include "pages/html_escape.h"
#include "pages/markers.h"
#include "pages/page_names.h"
#include "pages/picture_links.h"
#include "pages/shown_index.h"
#include "platform/stored_paths.h"

namespace stirpex {

namespace {

constexpr std::string_view kBodyMarker = "<!--^PageBody^-->";
constexpr std::string_view kTitleMarker = "<!--^PageTitle^-->";

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool MakesRecordPages(const TStyle& style) {
  for (TStyleSection s : {ssSourcePage, ssSourcesIndex, ssPlacePage, ssPlacesIndex, ssMediaPage})
    if (!style.Section(s).empty()) return true;
  return false;
}

std::string SourcePageOf(const PageContext& ctx, std::uint32_t source) {
  if (ctx.style.Section(ssSourcePage).empty() || !HasSourcePage(ctx.privacy, source)) return {};
  return PageName(ctx.privacy.Store().Node(source).xref(), PageKind::kSource);
}

std::string PlacePageOf(const PageContext& ctx, std::string_view place_text) {
  place_text = TrimSpaces(place_text);
  if (ctx.style.Section(ssPlacePage).empty() || !FindShownPlace(ctx.privacy, PlaceKey(place_text)))
    return {};
  return PlacePageName(place_text);
}

std::string MediaPageOf(const PageContext& ctx, std::uint32_t media) {
  if (ctx.style.Section(ssMediaPage).empty() || !HasMediaPage(ctx.privacy, media)) return {};
  return PageName(ctx.privacy.Store().Node(media).xref(), PageKind::kMedia);
}

std::uint32_t RecordOfPage(const ShownTree& tree, std::string_view page_name) {
  const GedcomStore& store = tree.Store();
  for (const auto& [records, kind] : {std::pair{SourcesWithPages(tree), PageKind::kSource},
                                      std::pair{MediaWithPages(tree), PageKind::kMedia}}) {
    if (!page_name.starts_with(PagePrefix(kind))) continue;
    for (std::uint32_t record : records) {
      if (PageName(store.Node(record).xref(), kind) == page_name) return record;
    }
  }
  return GedcomStore::kNoRecord;
}

std::string MapLink(double latitude, double longitude) {
  char lat[32], lon[32];
  std::snprintf(lat, sizeof lat, "%.6f", latitude);
  std::snprintf(lon, sizeof lon, "%.6f", longitude);
  // Trailing zeros say nothing.
  for (char* text : {lat, lon}) {
    std::string_view view(text);
    std::size_t end = view.find_last_not_of('0');
    if (view[end] == '.') --end;
    text[end + 1] = '\0';
  }
  return std::string("https://www.openstreetmap.org/?mlat=") + lat + "&mlon=" + lon + "#map=12/" +
         lat + "/" + lon;
}

namespace {

// --- What a page says of a fact ---------------------------------------------------------------

struct FactWord {
  std::string_view tag, label;
};
constexpr FactWord kFactWords[] = {
    {"BIRT", "Birth"},
    {"CHR", "Christening"},
    {"DEAT", "Death"},
    {"BURI", "Burial"},
    {"CREM", "Cremation"},
    {"ADOP", "Adoption"},
    {"BAPM", "Baptism"},
    {"BARM", "Bar mitzvah"},
    {"BASM", "Bat mitzvah"},
    {"BLES", "Blessing"},
    {"CHRA", "Adult christening"},
    {"CONF", "Confirmation"},
    {"FCOM", "First communion"},
    {"ORDN", "Ordination"},
    {"NATU", "Naturalisation"},
    {"EMIG", "Emigration"},
    {"IMMI", "Immigration"},
    {"CENS", "Census"},
    {"PROB", "Probate"},
    {"WILL", "Will"},
    {"GRAD", "Graduation"},
    {"RETI", "Retirement"},
    {"EVEN", "Event"},
    {"CAST", "Caste"},
    {"DSCR", "Description"},
    {"EDUC", "Education"},
    {"IDNO", "Identity number"},
    {"NATI", "Nationality"},
    {"NCHI", "Children"},
    {"NMR", "Marriages"},
    {"OCCU", "Occupation"},
    {"PROP", "Property"},
    {"RELI", "Religion"},
    {"RESI", "Residence"},
    {"SSN", "Social security number"},
    {"TITL", "Title"},
    {"FACT", "Fact"},
    {"ANUL", "Annulment"},
    {"DIV", "Divorce"},
    {"DIVF", "Divorce filed"},
    {"ENGA", "Engagement"},
    {"MARB", "Marriage banns"},
    {"MARC", "Marriage contract"},
    {"MARL", "Marriage licence"},
    {"MARR", "Marriage"},
    {"MARS", "Marriage settlement"},
    {"BAPL", "LDS baptism"},
    {"CONL", "LDS confirmation"},
    {"ENDL", "LDS endowment"},
    {"INIL", "LDS initiatory"},
    {"SLGC", "LDS sealing to parents"},
    {"SLGS", "LDS sealing to spouse"},
};

// "Burial", "Occupation: Innkeeper", a custom event by its TYPE.
std::string FactLabel(const FactView& fact) {
  std::string label;
  if ((fact.tag == "EVEN" || fact.tag == "FACT") && !fact.type.empty()) {
    label = fact.type;
  } else {
    for (const FactWord& word : kFactWords) {
      if (word.tag == fact.tag) label = word.label;
    }
    if (label.empty()) {
      std::string_view tag = fact.tag;
      if (!tag.empty() && tag.front() == '_') tag.remove_prefix(1);
      label = tag;
    }
  }
  if (fact.kind == FactKind::kAttribute && !fact.value.empty()) {
    label += ": ";
    label += fact.value;
  }
  return label;
}

// The fact of a citation (a fact's node and its tag, the tag denied for a GEDCOM 7 NO).
std::string CitedFactLabel(const SourceCiter& citer) {
  if (!citer.fact) return {};
  const std::optional<FactKind> kind =
      citer.owner.person ? PersonFactKind(citer.tag) : FamilyFactKind(citer.tag);
  FactView view = ReadFact(citer.fact, kind.value_or(FactKind::kEvent));
  view.tag = citer.tag;
  return FactLabel(view);
}

void AppendText(std::string& out, std::string_view text) {
  // Line breaks of a note or a source's text stay line breaks.
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string_view::npos; start = nl + 1) {
    AppendHtmlEscaped(out, text.substr(start, nl - start));
    out += "<br>";
  }
  AppendHtmlEscaped(out, text.substr(start));
}

void AppendLink(std::string& out, std::string_view target, std::string_view text) {
  if (target.empty()) {
    AppendHtmlEscaped(out, text);
    return;
  }
  out += "<a href=\"";
  AppendHtmlEscaped(out, target);
  out += "\">";
  AppendHtmlEscaped(out, text);
  out += "</a>";
}

// The person or couple, linked to their family page.
void AppendWho(const PageContext& ctx, std::string& out, const ShownOwner& ref) {
  if (ref.person) {
    const TFamilyRec* family = ShownTree::DisplayFamily(ref.person);
    AppendLink(out, family ? PageName(family->Id, PageKind::kFamily) : std::string(),
               ctx.privacy.Show(ref.person).record->Name.view());
    return;
  }
  std::string names;
  for (const TPersonRec* partner : {ref.family->Husband, ref.family->Wife}) {
    if (!partner) continue;
    if (!names.empty()) names += " and ";
    names += ctx.privacy.Show(partner).record->Name.view();
  }
  AppendLink(out, PageName(ref.family->Id, PageKind::kFamily), names);
}

std::string FileOf(const MediaView& media) {
  return media.files.empty() ? std::string() : FileCaption(media.files.front().file);
}

PictureLink LinkOf(const PageContext& ctx, const MediaView& media, const MediaFileView& file) {
  if (ctx.pictures) return ctx.pictures->Link(media, file);
  // The viewer: the file as the tree names it, found by the display.
  PictureLink link;
  link.full = link.display = std::string(file.file);
  if (IsShownPicture(file)) link.thumbnail = link.full;
  return link;
}

// Thumbnails of the media linked below node, each leading to its media page (or the file).
void AppendMediaStrip(const PageContext& ctx, const GedcomNode& node, PageLines& out) {
  std::string line;
  for (const MediaView& media : ShownMedia(ctx.privacy, node)) {
    const std::string page =
        media.record == GedcomStore::kNoRecord ? std::string() : MediaPageOf(ctx, media.record);
    for (const MediaFileView& file : media.files) {
      const PictureLink link = LinkOf(ctx, media, file);
      const std::string title(media.title.empty() ? FileCaption(file.file) : media.title);
      line += "<div class=\"thumb\">";
      if (link.thumbnail.empty()) {
        AppendLink(line, page.empty() ? link.full : page, title);
      } else {
        line += "<a href=\"";
        AppendHtmlEscaped(line, page.empty() ? link.full : page);
        line += "\"><img src=\"";
        AppendHtmlEscaped(line, link.thumbnail);
        line += "\" alt=\"";
        AppendHtmlEscaped(line, title);
        line += "\"></a><br>";
        AppendHtmlEscaped(line, title);
      }
      line += "</div>";
    }
  }
  if (line.empty()) return;
  out.emplace_back("<h2>Media</h2>");
  out.push_back("<div class=\"media\">" + line + "</div>");
}

void AppendNotes(const PageContext& ctx, const GedcomNode& node, PageLines& out) {
  bool heading = false;
  for (const NoteView& note : ShownNotes(ctx.privacy, node)) {
    if (note.text.empty()) continue;
    if (!heading) out.emplace_back("<h2>Notes</h2>");
    heading = true;
    std::string line = "<p class=\"note\">";
    AppendText(line, note.text);
    line += "</p>";
    out.push_back(std::move(line));
  }
}

// The section's lines with the title put in and the markers expanded; body(out) in place of
// the body line.
template <typename Body>
void BuildRecordPage(const PageContext& ctx, TStyleSection section, std::string_view title,
                     PageLines& out, Body&& body) {
  const std::string title_text(title);
  MarkerArgs args;
  args.page_title = &title_text;
  const CompiledStyle& style = ctx.style.Compiled();
  const int page_body = style.LineMarker(kBodyMarker);
  for (const CompiledLine& line : style.Section(section)) {
    if (line.Holds(page_body)) {
      body(out);
      continue;
    }
    if (!line.interpreted()) {
      AppendExpandedLine(ctx, line, args, out);
      continue;
    }
    // The title goes in first, then the markers are expanded pass by pass.
    const std::string escaped = HtmlEscape(title);
    std::string added(line.text());
    for (std::size_t at; (at = added.find(kTitleMarker)) != std::string::npos;) {
      added.replace(at, kTitleMarker.size(), escaped);
    }
    ExpandMarkersInPlace(ctx, added, MarkerArgs{});
    out.push_back(added);
  }
}

bool LessNoCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(ToLowerAscii(x)) <
           static_cast<unsigned char>(ToLowerAscii(y));
  });
}

std::string SourceTitle(const SourceView& source) {
  if (!source.title.empty()) return source.title;
  if (!source.abbreviation.empty()) return std::string(source.abbreviation);
  return std::string(source.node.xref());
}

}  // namespace

namespace {

int PartsOf(std::size_t rows) {
  return rows == 0 ? 1 : static_cast<int>((rows + kListRowsPerPage - 1) / kListRowsPerPage);
}

std::string PartTitle(std::string_view title, int part, int parts) {
  std::string out(title);
  if (part > 1) out += ", page " + std::to_string(part) + " of " + std::to_string(parts);
  return out;
}

// The bar of a split page: "Page 3 of 13 (201 to 300 of 1226): First Previous 1 2 3 4 5 Next
// Last", every part but this one linked; nothing for a page of one part.
void AppendPager(PageLines& lines, std::string_view page_name, int part, std::size_t rows) {
  const int parts = PartsOf(rows);
  if (parts <= 1) return;
  std::string line = "<p class=\"pager\">Page " + std::to_string(part) + " of " +
                     std::to_string(parts) + " (" +
                     std::to_string((part - 1) * kListRowsPerPage + 1) + " to " +
                     std::to_string(std::min(rows, part * kListRowsPerPage)) + " of " +
                     std::to_string(rows) + "):";
  auto link = [&](int to, std::string_view text) {
    line += ' ';
    if (to == part || to < 1 || to > parts) {
      line += "<span>";
      line += text;
      line += "</span>";
    } else {
      line += "<a href=\"";
      AppendHtmlEscaped(line, PartPageName(page_name, to));
      line += "\">";
      line += text;
      line += "</a>";
    }
  };
  link(1, "First");
  link(part - 1, "Previous");
  for (int to = std::max(1, part - 2); to <= std::min(parts, part + 2); ++to) {
    link(to, to == part ? "<b>" + std::to_string(to) + "</b>" : std::to_string(to));
  }
  link(part + 1, "Next");
  link(parts, "Last");
  line += "</p>";
  lines.push_back(std::move(line));
}

// The list of a part between two bars: the table's opening line, a line per row
// (row_html(row, line)) and the table's end.
template <typename Row, typename RowHtml>
void AppendListPart(PageLines& lines, std::string_view page_name, int part, std::size_t all,
                    std::string_view table_head, std::span<const Row> rows, RowHtml row_html) {
  AppendPager(lines, page_name, part, all);
  lines.emplace_back(table_head);
  for (const Row& row : rows) {
    std::string line;
    row_html(row, line);
    lines.push_back(std::move(line));
  }
  lines.emplace_back("</table>");
  AppendPager(lines, page_name, part, all);
}

// The source page's part with the citers of that part.
void SourcePagePart(const PageContext& ctx, std::uint32_t record, const SourceView& source,
                    std::span<const SourceCiter> citers, std::size_t all, int part, PageLines& out,
                    std::string* title) {
  const GedcomStore& store = ctx.privacy.Store();
  const std::string page_title = PartTitle(SourceTitle(source), part, PartsOf(all));
  if (title) *title = page_title;
  BuildRecordPage(ctx, ssSourcePage, page_title, out, [&](PageLines& lines) {
    std::string facts;
    auto row = [&](std::string_view label, std::string_view value) {
      if (value.empty()) return;
      facts += "<tr><th>";
      facts += label;
      facts += "</th><td>";
      AppendText(facts, value);
      facts += "</td></tr>";
    };
    row("Title", source.title);
    row("Author", source.author);
    row("Publication", source.publication);
    row("Abbreviation", source.abbreviation);
    row("Text", source.text);
    if (!facts.empty()) lines.push_back("<table class=\"facts\">" + facts + "</table>");
    for (const RepositoryLink& link : source.repositories) {
      if (link.repository == GedcomStore::kNoRecord) continue;
      const RepositoryView repo = ReadRepository(store, link.repository);
      std::string line = "<h2>Repository</h2><p class=\"repo\">";
      AppendHtmlEscaped(line, repo.name);
      if (!repo.address.empty()) {
        line += "<br>";
        AppendText(line, repo.address);
      }
      for (std::string_view contact : repo.contacts) {
        line += "<br>";
        AppendHtmlEscaped(line, contact);
      }
      if (!link.call_number.empty()) {
        line += "<br>Call number: ";
        AppendHtmlEscaped(line, link.call_number);
      }
      line += "</p>";
      lines.push_back(std::move(line));
    }
    AppendNotes(ctx, source.node, lines);
    AppendMediaStrip(ctx, source.node, lines);
    lines.emplace_back("<h2>Cited by</h2>");
    AppendListPart(
        lines, SourcePageOf(ctx, record), part, all,
        "<table class=\"cites\"><tr><th>Who</th><th>Fact</th><th>Date</th><th>Page</th></tr>",
        citers, [&](const SourceCiter& citer, std::string& line) {
          line += "<tr><td>";
          AppendWho(ctx, line, citer.owner);
          line += "</td><td>";
          AppendHtmlEscaped(line, CitedFactLabel(citer));
          line += "</td><td class=\"date\">";
          AppendHtmlEscaped(line, citer.date);
          line += "</td><td>";
          AppendHtmlEscaped(line, citer.page);
          line += "</td></tr>";
        });
  });
}

// The place page's part with the events of that part.
void PlacePagePart(const PageContext& ctx, const ShownPlace& place,
                   std::span<const PlaceEvent> events, std::size_t all, int part, PageLines& out,
                   std::string* title) {
  const std::string page_title = PartTitle(place.text, part, PartsOf(all));
  if (title) *title = page_title;
  BuildRecordPage(ctx, ssPlacePage, page_title, out, [&](PageLines& lines) {
    // Each part, the broader ones leading to their own pages.
    std::string line = "<p class=\"hierarchy\">";
    std::string_view rest = place.text;
    bool first = true;
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      const std::string_view part_text = TrimSpaces(rest.substr(0, comma));
      if (!first) line += ", ";
      AppendLink(line, first ? std::string() : PlacePageOf(ctx, rest), part_text);
      first = false;
      if (comma == std::string_view::npos) break;
      rest = TrimSpaces(rest.substr(comma + 1));
    }
    line += "</p>";
    lines.push_back(std::move(line));
    if (place.latitude && place.longitude) {
      char text[64];
      std::snprintf(text, sizeof text, "%.6g, %.6g", *place.latitude, *place.longitude);
      line = "<p class=\"coordinates\">";
      line += text;
      line += " &nbsp; <a href=\"";
      AppendHtmlEscaped(line, MapLink(*place.latitude, *place.longitude));
      line += "\">Map</a></p>";
      lines.push_back(std::move(line));
    }
    // In date order, the undated last.
    AppendListPart(lines, PageName(PlaceKeyText(place.key), PageKind::kPlace), part, all,
                   "<table class=\"events\"><tr><th>Date</th><th>Event</th><th>Who</th></tr>",
                   events, [&](const PlaceEvent& event, std::string& html) {
                     html += "<tr><td class=\"date\">";
                     AppendHtmlEscaped(html, event.fact.date);
                     html += "</td><td>";
                     AppendHtmlEscaped(html, FactLabel(event.fact.view));
                     html += "</td><td>";
                     AppendWho(ctx, html, event.owner);
                     html += "</td></tr>";
                   });
  });
}

// The rows of part `part` (from 1) of a list of `all`.
std::pair<std::size_t, std::size_t> PartRows(int part, std::size_t all) {
  const std::size_t first = std::min(all, (part - 1) * kListRowsPerPage);
  return {first, std::min(kListRowsPerPage, all - first)};
}

// Every part of a list in turn: out cleared, build_part(rows of the part, part), written(part).
template <typename Row, typename BuildPart>
void EachPart(std::span<const Row> rows, PageLines& out, BuildPart build_part,
              const std::function<void(int part)>& written) {
  for (int part = 1, parts = PartsOf(rows.size()); part <= parts; ++part) {
    const auto [first, count] = PartRows(part, rows.size());
    out.clear();
    build_part(rows.subspan(first, count), part);
    written(part);
  }
}

}  // namespace

int SourcePageParts(const PageContext& ctx, std::uint32_t source) {
  if (!HasSourcePage(ctx.privacy, source)) return 0;
  return PartsOf(CiterCount(ctx.privacy, source));
}

int PlacePageParts(const PageContext& ctx, std::uint64_t place_key) {
  const ShownPlace* place = FindShownPlace(ctx.privacy, place_key);
  return place ? PartsOf(EventCountAt(ctx.privacy, *place)) : 0;
}

bool BuildSourcePage(const PageContext& ctx, std::uint32_t record, PageLines& out,
                     std::string* title, int part) {
  if (!HasSourcePage(ctx.privacy, record)) return false;
  const std::size_t all = CiterCount(ctx.privacy, record);
  if (part < 1 || part > PartsOf(all)) return false;
  const auto [first, count] = PartRows(part, all);
  SourcePagePart(ctx, record, ReadSource(ctx.privacy.Store(), record),
                 CitersOf(ctx.privacy, record, first, count), all, part, out, title);
  return true;
}

void BuildSourcePages(const PageContext& ctx, std::uint32_t record, PageLines& out,
                      const std::function<void(int part)>& written) {
  if (!HasSourcePage(ctx.privacy, record)) return;
  const SourceView source = ReadSource(ctx.privacy.Store(), record);
  const std::vector<SourceCiter> citers = CitersOf(ctx.privacy, record);
  EachPart<SourceCiter>(
      citers, out,
      [&](std::span<const SourceCiter> part_rows, int part) {
        SourcePagePart(ctx, record, source, part_rows, citers.size(), part, out, nullptr);
      },
      written);
}

bool BuildPlacePage(const PageContext& ctx, std::uint64_t key, PageLines& out, std::string* title,
                    int part) {
  const ShownPlace* place = FindShownPlace(ctx.privacy, key);
  if (!place) return false;
  const std::vector<PlaceEvent> events = EventsAt(ctx.privacy, *place);
  if (part < 1 || part > PartsOf(events.size())) return false;
  const auto [first, count] = PartRows(part, events.size());
  PlacePagePart(ctx, *place, std::span(events).subspan(first, count), events.size(), part, out,
                title);
  return true;
}

void BuildPlacePages(const PageContext& ctx, std::uint64_t key, PageLines& out,
                     const std::function<void(int part)>& written) {
  const ShownPlace* place = FindShownPlace(ctx.privacy, key);
  if (!place) return;
  const std::vector<PlaceEvent> events = EventsAt(ctx.privacy, *place);
  EachPart<PlaceEvent>(
      events, out,
      [&](std::span<const PlaceEvent> part_rows, int part) {
        PlacePagePart(ctx, *place, part_rows, events.size(), part, out, nullptr);
      },
      written);
}

bool BuildMediaPage(const PageContext& ctx, std::uint32_t record, PageLines& out,
                    std::string* title) {
  if (!HasMediaPage(ctx.privacy, record)) return false;
  const MediaView media = ReadMediaRecord(ctx.privacy.Store(), record);
  const std::string caption(media.title.empty() ? FileOf(media) : std::string(media.title));
  if (title) *title = caption;
  BuildRecordPage(ctx, ssMediaPage, caption, out, [&](PageLines& lines) {
    for (const MediaFileView& file : media.files) {
      const PictureLink link = LinkOf(ctx, media, file);
      std::string line = "<div class=\"picture\">";
      if (link.thumbnail.empty() || link.display.empty()) {
        // A file that is no picture: a web address is linked, a file of the tree only named
        // (a site publishes no file as it stands).
        const std::string name(file.title.empty() ? FileCaption(file.file) : file.title);
        AppendLink(line, IsExternalReference(file.file) ? file.file : std::string_view(), name);
      } else {
        line += "<img src=\"";
        AppendHtmlEscaped(line, link.display);
        line += "\" alt=\"";
        AppendHtmlEscaped(line, caption);
        line += "\">";
      }
      if (!file.title.empty() && file.title != caption) {
        line += "<br>";
        AppendHtmlEscaped(line, file.title);
      }
      line += "</div>";
      lines.push_back(std::move(line));
    }
    AppendNotes(ctx, media.node, lines);
    lines.emplace_back("<h2>Shows</h2>");
    std::string line = "<ul class=\"shows\">";
    for (const ShownOwner& ref : WhomMediaShows(ctx.privacy, record)) {
      line += "<li>";
      AppendWho(ctx, line, ref);
      line += "</li>";
    }
    line += "</ul>";
    lines.push_back(std::move(line));
  });
  return true;
}

void BuildSourcesIndex(const PageContext& ctx, PageLines& out) {
  struct Entry {
    std::string title;
    std::string line;
  };
  std::vector<Entry> entries;
  for (std::uint32_t record : SourcesWithPages(ctx.privacy)) {
    const SourceView source = ReadSource(ctx.privacy.Store(), record);
    Entry entry{SourceTitle(source), "<tr><td>"};
    AppendLink(entry.line, SourcePageOf(ctx, record), entry.title);
    entry.line += "</td><td>";
    AppendHtmlEscaped(entry.line, source.author);
    entry.line += "</td><td class=\"count\">";
    entry.line += std::to_string(CitersOf(ctx.privacy, record).size());
    entry.line += "</td></tr>";
    entries.push_back(std::move(entry));
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return LessNoCase(a.title, b.title); });
  BuildRecordPage(ctx, ssSourcesIndex, "Sources", out, [&](PageLines& lines) {
    lines.emplace_back(
        "<table class=\"index\"><tr><th>Source</th><th>Author</th><th>Citations</th></tr>");
    for (Entry& entry : entries) lines.push_back(std::move(entry.line));
    lines.emplace_back("</table>");
  });
}

void BuildPlacesIndex(const PageContext& ctx, PageLines& out) {
  // The places as a tree of their parts, broadest first; a node is a place of its own when
  // some event names exactly those parts.
  struct Node {
    std::map<std::string, std::size_t, decltype(&LessNoCase)> children{&LessNoCase};
    std::string page;
  };
  std::vector<Node> nodes(1);
  for (const ShownPlace& place : PlacesWithPages(ctx.privacy)) {
    const std::vector<std::string_view>& parts = place.parts;
    std::size_t at = 0;
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
      const auto [it, added] = nodes[at].children.emplace(std::string(*part), nodes.size());
      if (added) nodes.emplace_back();
      at = it->second;
    }
    if (nodes[at].page.empty()) nodes[at].page = PlacePageOf(ctx, place.text);
  }
  BuildRecordPage(ctx, ssPlacesIndex, "Places", out, [&](PageLines& lines) {
    // Depth first, by an explicit stack: a place text may have any number of parts.
    struct Frame {
      std::size_t node;
      decltype(Node::children)::const_iterator next;
    };
    std::vector<Frame> stack{{0, nodes[0].children.begin()}};
    std::string line = "<ul class=\"places\">";
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next == nodes[frame.node].children.end()) {
        stack.pop_back();
        line += stack.empty() ? "</ul>" : "</ul></li>";
        if (!stack.empty() && line.size() > 4000) {
          lines.push_back(std::move(line));
          line.clear();
        }
        continue;
      }
      const auto& [name, child] = *frame.next++;
      line += "<li>";
      AppendLink(line, nodes[child].page, name.empty() ? std::string_view("?") : name);
      if (nodes[child].children.empty()) {
        line += "</li>";
      } else {
        line += "<ul>";
        stack.push_back({child, nodes[child].children.begin()});
      }
    }
    lines.push_back(std::move(line));
  });
}

}  // namespace stirpex
