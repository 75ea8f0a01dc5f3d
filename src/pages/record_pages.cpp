#include "pages/record_pages.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_set>

#include "database/date_years.h"
#include "database/text.h"
#include "pages/html_escape.h"
#include "pages/markers.h"
#include "pages/page_names.h"
#include "pages/picture_links.h"

namespace stirpex {

namespace {

constexpr std::string_view kBodyMarker = "<!--^PageBody^-->";
constexpr std::string_view kTitleMarker = "<!--^PageTitle^-->";

// --- The pass ---------------------------------------------------------------------------------

// Calls cite(record, item) for each SOUR line below node that points to a record (item counts
// every SOUR line, as Citations does) and media(record) for each OBJE line pointing to one.
template <typename Cite, typename Medium>
void VisitLinks(const GedcomStore& store, const GedcomNode& node, Cite&& cite, Medium&& medium) {
  std::uint32_t item = 0;
  for (const GedcomNode& child : node.children()) {
    if (child.Is("SOUR")) {
      const std::string_view pointer = child.pointer();
      if (!pointer.empty()) {
        const std::uint32_t record = store.FindRecord(pointer);
        if (record != GedcomStore::kNoRecord && store.RecordAt(record).kind == RecordKind::kSour)
          cite(record, item);
      }
      ++item;
    } else if (child.Is("OBJE")) {
      const std::string_view pointer = child.pointer();
      if (pointer.empty()) continue;
      const std::uint32_t record = store.FindRecord(pointer);
      if (record != GedcomStore::kNoRecord && store.RecordAt(record).kind == RecordKind::kObje)
        medium(record);
    }
  }
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

LinkedRecords::LinkedRecords(const ShownTree& tree) {
  const Database& db = tree.db();
  const GedcomStore& store = db.Store();
  const bool filter = tree.settings().ExcDoExclude;
  std::unordered_set<std::uint32_t> blocked;  // media linked by someone replaced

  auto index = [&](Ref ref, const GedcomNode& record, const auto& facts, bool hidden) {
    if (hidden) {
      auto block = [&](std::uint32_t media) { blocked.insert(media); };
      VisitLinks(
          store, record, [](std::uint32_t, std::uint32_t) {}, block);
      for (const FactView& fact : facts) {
        VisitLinks(
            store, fact.node, [](std::uint32_t, std::uint32_t) {}, block);
      }
      return;
    }
    auto visit = [&](const GedcomNode& node) {
      VisitLinks(
          store, node,
          [&](std::uint32_t source, std::uint32_t item) {
            Ref cite = ref;
            cite.item = item;
            std::vector<Ref>& list = citers_[source];
            if (list.empty()) source_order_.push_back(source);
            list.push_back(cite);
          },
          [&](std::uint32_t media) {
            std::vector<Ref>& list = shows_[media];
            if (list.empty() || list.back().person != ref.person ||
                list.back().family != ref.family) {
              if (list.empty()) media_order_.push_back(media);
              Ref shown = ref;
              shown.fact = kRecordItself;
              list.push_back(shown);
            }
          });
    };
    visit(record);
    for (std::uint32_t i = 0; i < facts.size(); ++i) {
      const FactView& fact = facts[i];
      if (filter && fact.restricted) continue;
      ref.fact = i;
      visit(fact.node);
      const std::string_view text = TrimSpaces(fact.place.text);
      if (text.empty() || fact.negated) continue;
      Place& place = places_[PlaceKey(text)];
      if (place.events.empty()) {
        place.text = text;
        place_order_.push_back(PlaceKey(text));
      }
      if (!place.latitude && fact.place.latitude && fact.place.longitude) {
        place.latitude = fact.place.latitude;
        place.longitude = fact.place.longitude;
      }
      place.events.push_back(ref);
    }
  };

  for (const TPersonRec* person : db.PersonList()) {
    const GedcomNode record = RecordNode(db, *person);
    if (!record) continue;
    index(Ref{person, nullptr}, record, PersonFacts(db, *person), tree.IsReplaced(person));
  }
  for (const TFamilyRec* family : db.FamilyList()) {
    const GedcomNode record = RecordNode(db, *family);
    if (!record) continue;
    index(Ref{nullptr, family}, record, FamilyFacts(db, *family), tree.HidesFamilyFacts(family));
  }

  // File order for the sources and media records; nothing linked by a hidden record.
  std::sort(source_order_.begin(), source_order_.end());
  std::erase_if(media_order_, [&](std::uint32_t media) {
    if (!blocked.count(media)) return false;
    shows_.erase(media);
    return true;
  });
  std::sort(media_order_.begin(), media_order_.end());
  for (std::uint32_t source : source_order_) {
    pages_.emplace(PageName(store.Node(source).xref(), PageKind::kSource), source);
  }
  for (std::uint32_t media : media_order_) {
    pages_.emplace(PageName(store.Node(media).xref(), PageKind::kMedia), media);
  }
}

const std::vector<LinkedRecords::Ref>* LinkedRecords::Citers(std::uint32_t source) const {
  const auto it = citers_.find(source);
  return it == citers_.end() ? nullptr : &it->second;
}

const LinkedRecords::Place* LinkedRecords::PlaceAt(std::uint64_t key) const {
  const auto it = places_.find(key);
  return it == places_.end() ? nullptr : &it->second;
}

const std::vector<LinkedRecords::Ref>* LinkedRecords::Shows(std::uint32_t media) const {
  const auto it = shows_.find(media);
  return it == shows_.end() ? nullptr : &it->second;
}

std::uint32_t LinkedRecords::RecordOfPage(std::string_view page_name) const {
  const auto it = pages_.find(std::string(page_name));
  return it == pages_.end() ? GedcomStore::kNoRecord : it->second;
}

bool MakesRecordPages(const TStyle& style) {
  for (TStyleSection s : {ssSourcePage, ssSourcesIndex, ssPlacePage, ssPlacesIndex, ssMediaPage})
    if (!style.Section(s).empty()) return true;
  return false;
}

std::string SourcePageOf(const PageContext& ctx, std::uint32_t source) {
  if (!ctx.records || ctx.style.Section(ssSourcePage).empty() || !ctx.records->Citers(source))
    return {};
  return PageName(ctx.db.Store().Node(source).xref(), PageKind::kSource);
}

std::string PlacePageOf(const PageContext& ctx, std::string_view place_text) {
  place_text = TrimSpaces(place_text);
  if (!ctx.records || ctx.style.Section(ssPlacePage).empty() ||
      !ctx.records->PlaceAt(PlaceKey(place_text)))
    return {};
  return PlacePageName(place_text);
}

std::string MediaPageOf(const PageContext& ctx, std::uint32_t media) {
  if (!ctx.records || ctx.style.Section(ssMediaPage).empty() || !ctx.records->Shows(media))
    return {};
  return PageName(ctx.db.Store().Node(media).xref(), PageKind::kMedia);
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

// A fact of a Ref, read again from the record.
struct RefFact {
  std::vector<FactView> facts;
  const FactView* fact = nullptr;
  GedcomNode node;  // the fact's, or the record's
};
RefFact ReadRef(const Database& db, const LinkedRecords::Ref& ref) {
  RefFact out;
  if (ref.person) {
    out.node = RecordNode(db, *ref.person);
    if (ref.fact != LinkedRecords::kRecordItself) out.facts = PersonFacts(db, *ref.person);
  } else {
    out.node = RecordNode(db, *ref.family);
    if (ref.fact != LinkedRecords::kRecordItself) out.facts = FamilyFacts(db, *ref.family);
  }
  if (ref.fact < out.facts.size()) {
    out.fact = &out.facts[ref.fact];
    out.node = out.fact->node;
  }
  return out;
}

// A date as the page shows it for the record of ref.
std::string ShownDate(const PageContext& ctx, const LinkedRecords::Ref& ref,
                      std::string_view date) {
  const bool masked =
      ref.person ? ctx.privacy.HasMaskedDates(ref.person) : ctx.privacy.MasksMarriage(ref.family);
  return ctx.privacy.PageDate(date, masked);
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

// The person or couple of ref, linked to their family page.
void AppendWho(const PageContext& ctx, std::string& out, const LinkedRecords::Ref& ref) {
  if (ref.person) {
    const TFamilyRec* family = Database::DisplayFamily(ref.person);
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
  return media.files.empty() ? std::string() : std::string(media.files.front().file);
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
  for (const MediaView& media : Media(ctx.db.Store(), node)) {
    if (media.record != GedcomStore::kNoRecord && !ctx.records->Shows(media.record)) continue;
    const std::string page =
        media.record == GedcomStore::kNoRecord ? std::string() : MediaPageOf(ctx, media.record);
    for (const MediaFileView& file : media.files) {
      const PictureLink link = LinkOf(ctx, media, file);
      const std::string title(media.title.empty() ? file.file : media.title);
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
  for (const NoteView& note : Notes(ctx.db.Store(), node)) {
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
  const std::string escaped = HtmlEscape(title);
  for (const std::string& line : ctx.style.Section(section)) {
    if (line.find(kBodyMarker) != std::string::npos) {
      body(out);
      continue;
    }
    out.push_back(line);
    std::string& added = out.back();
    for (std::size_t at; (at = added.find(kTitleMarker)) != std::string::npos;) {
      added.replace(at, kTitleMarker.size(), escaped);
    }
    ExpandMarkersInPlace(ctx, added, MarkerArgs{});
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

bool BuildSourcePage(const PageContext& ctx, std::uint32_t record, PageLines& out,
                     std::string* title) {
  const std::vector<LinkedRecords::Ref>* citers = ctx.records->Citers(record);
  if (!citers) return false;
  const GedcomStore& store = ctx.db.Store();
  const SourceView source = ReadSource(store, record);
  if (title) *title = SourceTitle(source);
  BuildRecordPage(ctx, ssSourcePage, SourceTitle(source), out, [&](PageLines& lines) {
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
    lines.emplace_back(
        "<table class=\"cites\"><tr><th>Who</th><th>Fact</th><th>Page</th><th>Date</th></tr>");
    for (const LinkedRecords::Ref& ref : *citers) {
      const RefFact fact = ReadRef(ctx.db, ref);
      const std::vector<CitationView> cites = Citations(store, fact.node);
      if (ref.item >= cites.size()) continue;
      const CitationView& cite = cites[ref.item];
      std::string line = "<tr><td>";
      AppendWho(ctx, line, ref);
      line += "</td><td>";
      if (fact.fact) AppendHtmlEscaped(line, FactLabel(*fact.fact));
      line += "</td><td>";
      AppendHtmlEscaped(line, cite.page);
      line += "</td><td>";
      AppendHtmlEscaped(line, ShownDate(ctx, ref, cite.data_date));
      line += "</td></tr>";
      lines.push_back(std::move(line));
    }
    lines.emplace_back("</table>");
  });
  return true;
}

bool BuildPlacePage(const PageContext& ctx, std::uint64_t key, PageLines& out, std::string* title) {
  const LinkedRecords::Place* place = ctx.records->PlaceAt(key);
  if (!place) return false;
  if (title) *title = place->text;
  BuildRecordPage(ctx, ssPlacePage, place->text, out, [&](PageLines& lines) {
    // Each part, the broader ones leading to their own pages.
    std::string line = "<p class=\"hierarchy\">";
    std::string_view rest = place->text;
    bool first = true;
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      const std::string_view part = TrimSpaces(rest.substr(0, comma));
      if (!first) line += ", ";
      AppendLink(line, first ? std::string() : PlacePageOf(ctx, rest), part);
      first = false;
      if (comma == std::string_view::npos) break;
      rest = TrimSpaces(rest.substr(comma + 1));
    }
    line += "</p>";
    lines.push_back(std::move(line));
    if (place->latitude && place->longitude) {
      char text[64];
      std::snprintf(text, sizeof text, "%.6g, %.6g", *place->latitude, *place->longitude);
      line = "<p class=\"coordinates\">";
      line += text;
      line += " &nbsp; <a href=\"";
      AppendHtmlEscaped(line, MapLink(*place->latitude, *place->longitude));
      line += "\">Map</a></p>";
      lines.push_back(std::move(line));
    }
    // Dated events first, by year, then the undated, each in file order.
    struct Row {
      int year;
      std::size_t order;
      std::string html;
    };
    std::vector<Row> rows;
    rows.reserve(place->events.size());
    for (const LinkedRecords::Ref& ref : place->events) {
      const RefFact fact = ReadRef(ctx.db, ref);
      if (!fact.fact) continue;
      const std::string date = ShownDate(ctx, ref, fact.fact->date);
      const int year = NamedYear(date);
      std::string html = "<tr><td>";
      AppendHtmlEscaped(html, date);
      html += "</td><td>";
      AppendHtmlEscaped(html, FactLabel(*fact.fact));
      html += "</td><td>";
      AppendWho(ctx, html, ref);
      html += "</td></tr>";
      rows.push_back({year == kNoYear ? 1 << 30 : year, rows.size(), std::move(html)});
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
      return a.year != b.year ? a.year < b.year : a.order < b.order;
    });
    lines.emplace_back("<table class=\"events\"><tr><th>Date</th><th>Event</th><th>Who</th></tr>");
    for (Row& row : rows) lines.push_back(std::move(row.html));
    lines.emplace_back("</table>");
  });
  return true;
}

bool BuildMediaPage(const PageContext& ctx, std::uint32_t record, PageLines& out,
                    std::string* title) {
  const std::vector<LinkedRecords::Ref>* shows = ctx.records->Shows(record);
  if (!shows) return false;
  const MediaView media = ReadMediaRecord(ctx.db.Store(), record);
  const std::string caption(media.title.empty() ? FileOf(media) : std::string(media.title));
  if (title) *title = caption;
  BuildRecordPage(ctx, ssMediaPage, caption, out, [&](PageLines& lines) {
    for (const MediaFileView& file : media.files) {
      const PictureLink link = LinkOf(ctx, media, file);
      std::string line = "<div class=\"picture\">";
      if (link.thumbnail.empty() || link.display.empty()) {
        AppendLink(line, link.full, file.title.empty() ? file.file : file.title);
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
    for (const LinkedRecords::Ref& ref : *shows) {
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
  for (std::uint32_t record : ctx.records->Sources()) {
    const SourceView source = ReadSource(ctx.db.Store(), record);
    Entry entry{SourceTitle(source), "<tr><td>"};
    AppendLink(entry.line, SourcePageOf(ctx, record), entry.title);
    entry.line += "</td><td>";
    AppendHtmlEscaped(entry.line, source.author);
    entry.line += "</td><td class=\"count\">";
    entry.line += std::to_string(ctx.records->Citers(record)->size());
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
  for (std::uint64_t key : ctx.records->Places()) {
    const LinkedRecords::Place& place = *ctx.records->PlaceAt(key);
    const std::vector<std::string_view> parts = PlaceParts(place.text);
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
