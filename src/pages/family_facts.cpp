#include "pages/family_facts.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

#include "database/date_years.h"
#include "database/text.h"
#include "pages/html_escape.h"
#include "pages/page_names.h"
#include "pages/picture_links.h"

namespace stirpex {

namespace {

struct TagLabel {
  std::string_view tag;
  std::string_view label;
};

// One table of the tags a page names: events, attributes and ordinances of people and families.
constexpr TagLabel kTagLabels[] = {
    {"ADOP", "Adoption"},
    {"ANUL", "Annulment"},
    {"BAPL", "LDS baptism"},
    {"BAPM", "Baptism"},
    {"BARM", "Bar mitzvah"},
    {"BASM", "Bat mitzvah"},
    {"BIRT", "Birth"},
    {"BLES", "Blessing"},
    {"BURI", "Burial"},
    {"CAST", "Caste"},
    {"CENS", "Census"},
    {"CHR", "Christening"},
    {"CHRA", "Adult christening"},
    {"CONF", "Confirmation"},
    {"CONL", "LDS confirmation"},
    {"CREM", "Cremation"},
    {"DEAT", "Death"},
    {"DIV", "Divorce"},
    {"DIVF", "Divorce filed"},
    {"DSCR", "Description"},
    {"EDUC", "Education"},
    {"EMIG", "Emigration"},
    {"ENDL", "LDS endowment"},
    {"ENGA", "Engagement"},
    {"EVEN", "Event"},
    {"FACT", "Fact"},
    {"FCOM", "First communion"},
    {"GRAD", "Graduation"},
    {"IDNO", "Identity number"},
    {"IMMI", "Immigration"},
    {"INIL", "LDS initiatory"},
    {"MARB", "Marriage banns"},
    {"MARC", "Marriage contract"},
    {"MARL", "Marriage licence"},
    {"MARR", "Marriage"},
    {"MARS", "Marriage settlement"},
    {"NATI", "Nationality"},
    {"NATU", "Naturalisation"},
    {"NCHI", "Children"},
    {"NMR", "Marriages"},
    {"OCCU", "Occupation"},
    {"ORDN", "Ordination"},
    {"PROB", "Probate"},
    {"PROP", "Property"},
    {"RELI", "Religion"},
    {"RESI", "Residence"},
    {"RETI", "Retirement"},
    {"SLGC", "LDS sealing to parents"},
    {"SLGS", "LDS sealing to spouse"},
    {"SSN", "Social security number"},
    {"TITL", "Title"},
    {"WILL", "Will"},
    {"_DEG", "Degree"},
    {"_MILT", "Military service"},
};

// The roles of GEDCOM 7 associations; 5.5.1 writes its RELA in words.
constexpr TagLabel kRoleLabels[] = {
    {"CHIL", "Child"},      {"CLERGY", "Clergy"},
    {"FATH", "Father"},     {"FRIEND", "Friend"},
    {"GODP", "Godparent"},  {"HUSB", "Husband"},
    {"MOTH", "Mother"},     {"MULTIPLE", "Multiple"},
    {"NGHBR", "Neighbour"}, {"OFFICIATOR", "Officiator"},
    {"PARENT", "Parent"},   {"SPOU", "Spouse"},
    {"WIFE", "Wife"},       {"WITN", "Witness"},
};

constexpr std::string_view kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// An item of a template section: its marker and the value (HTML) put in its place.
using Item = std::pair<std::string_view, std::string_view>;

// Expands each line of section for one item and appends them to out, joined. Every marker the
// item does not fill becomes a plain comment: an item cannot call a list.
void AppendItem(const PageContext& ctx, TStyleSection section, std::span<const Item> items,
                std::string& out) {
  for (const std::string& template_line : ctx.style.Section(section)) {
    const std::size_t start = out.size();
    out.append(template_line);
    for (const Item& item : items) {
      for (std::size_t pos = out.find(item.first, start); pos != std::string::npos;
           pos = out.find(item.first, pos + item.second.size())) {
        out.replace(pos, item.first.size(), item.second);
      }
    }
    // Values are escaped, so what still reads "<!--^" came from the template.
    for (std::size_t pos = out.find("<!--^", start); pos != std::string::npos;
         pos = out.find("<!--^", pos)) {
      out.erase(pos + 4, 1);
    }
  }
}

void AppendEscapedLines(std::string& out, std::string_view text) {
  for (std::size_t begin = 0; begin <= text.size();) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (begin > 0) out.append("<br>");
    AppendHtmlEscaped(out, line);
    begin = end + 1;
  }
}

void AppendPlaceLink(std::string& out, std::string_view place) {
  place = Trimmed(place);
  if (place.empty()) return;
  out.append("<a href=\"");
  AppendHtmlEscaped(out, PlacePageName(place));
  out.append("\">");
  AppendHtmlEscaped(out, place);
  out.append("</a>");
}

// Appends the numbers of the citations under node, each once, as one superscript.
void AppendCitationNumbers(const PageContext& ctx, const GedcomNode& node, PageCitations* citations,
                           std::string& out) {
  if (!citations || !node) return;
  std::array<int, 16> written{};
  std::size_t count = 0;
  for (const CitationView& citation : Citations(ctx.db.Store(), node)) {
    const int number = citations->Number(citation);
    if (std::find(written.begin(), written.begin() + count, number) != written.begin() + count) {
      continue;
    }
    out.append(count == 0 ? "<sup class=\"cite\">" : ",");
    if (count < written.size()) written[count] = number;
    ++count;
    const std::string text = std::to_string(number);
    out.append("<a href=\"#cite-").append(text).append("\">").append(text).append("</a>");
  }
  if (count > 0) out.append("</sup>");
}

// One row of the row section with only a label and details.
void AppendLabelRow(const PageContext& ctx, TStyleSection row, std::string_view label,
                    std::string_view details, std::string& out) {
  std::string escaped_label;
  AppendHtmlEscaped(escaped_label, label);
  const Item items[] = {{"<!--^FactLabel^-->", escaped_label}, {"<!--^FactDetails^-->", details}};
  AppendItem(ctx, row, items, out);
}

std::string_view NameTypeLabel(std::string_view type) {
  constexpr TagLabel kNameTypes[] = {
      {"AKA", "Also known as"},  {"BIRTH", "Birth name"},     {"IMMIGRANT", "Immigrant name"},
      {"MAIDEN", "Maiden name"}, {"MARRIED", "Married name"}, {"PROFESSIONAL", "Professional name"},
  };
  for (const TagLabel& entry : kNameTypes) {
    if (EqualsNoCaseAscii(entry.tag, type)) return entry.label;
  }
  return type.empty() || EqualsNoCaseAscii(type, "OTHER") ? "Also known as" : type;
}

// What of a person or family's facts a page may show.
struct FactsShown {
  bool any = false;     // nothing at all when false
  bool masked = false;  // every date masked
};

FactsShown PersonFactsShown(const PageContext& ctx, const TPersonRec* person) {
  if (!person || ctx.privacy.IsReplaced(person)) return {};
  return {true, ctx.privacy.HasMaskedDates(person)};
}

FactsShown FamilyFactsShown(const PageContext& ctx, const TFamilyRec& family) {
  if (ctx.privacy.HidesFamilyFacts(&family)) return {};
  return {true, ctx.privacy.MasksMarriage(&family)};
}

bool HiddenByRestriction(const PageContext& ctx, const FactView& fact) {
  return fact.restricted && ctx.settings.ExcDoExclude;
}

// Writes the facts through the row section, date order, leaving out the first fact of each
// tag in skip (the page shows those in places of their own).
void AppendFacts(const PageContext& ctx, const std::vector<FactView>& facts, FactsShown shown,
                 std::initializer_list<std::string_view> skip, TStyleSection row,
                 PageCitations* citations, std::string& out) {
  if (ctx.style.Section(row).empty()) return;
  std::vector<std::pair<long, std::size_t>> order;
  order.reserve(facts.size());
  std::array<bool, 4> skipped{};
  for (std::size_t i = 0; i < facts.size(); ++i) {
    const FactView& fact = facts[i];
    if (!fact.negated) {
      std::size_t k = 0;
      bool skip_this = false;
      for (std::string_view tag : skip) {
        if (k < skipped.size() && !skipped[k] && fact.tag == tag) skipped[k] = skip_this = true;
        ++k;
      }
      if (skip_this) continue;
    }
    if (HiddenByRestriction(ctx, fact)) continue;
    order.emplace_back(DateSortKey(fact.sort_date.empty() ? fact.date : fact.sort_date), i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });

  std::string label, date, place, details, notes, cites;
  for (const auto& [key, index] : order) {
    const FactView& fact = facts[index];
    label.clear();
    AppendHtmlEscaped(label, FactCaption(fact));
    date.clear();
    if (!fact.date.empty()) AppendHtmlEscaped(date, ctx.privacy.PageDate(fact.date, shown.masked));
    if (!fact.date_phrase.empty() && !shown.masked) {
      date.append(date.empty() ? "" : " (");
      AppendHtmlEscaped(date, fact.date_phrase);
      if (!fact.date.empty()) date.push_back(')');
    }
    place.clear();
    AppendPlaceLink(place, fact.place.text);
    details.clear();
    const auto detail = [&](std::string_view prefix, std::string_view value) {
      value = Trimmed(value);
      if (value.empty()) return;
      if (!details.empty()) details.append("; ");
      details.append(prefix);
      AppendHtmlEscaped(details, value);
    };
    if (!fact.negated && fact.value != "Y") detail("", fact.value);
    detail("age ", fact.age);
    detail("wife's age ", fact.wife_age);
    detail("cause: ", fact.cause);
    notes.clear();
    for (const NoteView& note : Notes(ctx.db.Store(), fact.node)) {
      if (!notes.empty()) notes.append("<br>");
      AppendEscapedLines(notes, note.text);
    }
    cites.clear();
    AppendCitationNumbers(ctx, fact.node, citations, cites);
    const Item items[] = {{"<!--^FactLabel^-->", label}, {"<!--^FactDate^-->", date},
                          {"<!--^FactPlace^-->", place}, {"<!--^FactDetails^-->", details},
                          {"<!--^FactNotes^-->", notes}, {"<!--^FactCites^-->", cites}};
    AppendItem(ctx, row, items, out);
  }
}

const FactView* FirstFact(const std::vector<FactView>& facts, std::string_view tag) {
  for (const FactView& fact : facts) {
    if (fact.tag == tag && !fact.negated) return &fact;
  }
  return nullptr;
}

std::string_view QualityText(std::string_view quality) {
  quality = Trimmed(quality);
  if (quality == "0") return "Unreliable evidence";
  if (quality == "1") return "Questionable evidence";
  if (quality == "2") return "Secondary evidence";
  if (quality == "3") return "Direct evidence";
  return quality;
}

// The page a family-page link for the person leads to: their own family, else their parents'.
const TFamilyRec* FamilyOf(const TPersonRec& person) {
  if (!person.SpouseFamilies.empty()) return person.SpouseFamilies.front();
  return person.ParentFamily;
}

}  // namespace

int PageCitations::Number(const CitationView& c) {
  for (std::size_t i = 0; i < list_.size(); ++i) {
    const CitationView& o = list_[i];
    if (o.source == c.source && o.source_id == c.source_id && o.page == c.page &&
        o.quality == c.quality && o.data_date == c.data_date && o.text == c.text &&
        o.inline_text == c.inline_text) {
      return static_cast<int>(i + 1);
    }
  }
  list_.push_back(c);
  return static_cast<int>(list_.size());
}

std::string_view FactTagLabel(std::string_view tag) {
  for (const TagLabel& entry : kTagLabels) {
    if (entry.tag == tag) return entry.label;
  }
  return {};
}

std::string FactCaption(const FactView& fact) {
  const std::string_view type = Trimmed(fact.type);
  const std::string_view known = FactTagLabel(fact.tag);
  std::string caption;
  if (fact.negated) {
    caption = "No ";
    for (char c : known.empty() ? fact.tag : known) caption.push_back(ToLowerAscii(c));
    caption.append(" recorded");
    return caption;
  }
  if (!type.empty() && (fact.tag == "EVEN" || fact.tag == "FACT" || known.empty())) {
    return std::string(type);
  }
  caption = known.empty() ? std::string(fact.tag) : std::string(known);
  if (!type.empty()) caption.append(" (").append(type).append(")");
  return caption;
}

long DateSortKey(std::string_view date) {
  const int year = NamedYear(date);
  if (year == kNoYear) return kUndated;
  int month = 0, day = 0, number = 0;
  for (std::size_t i = 0; i < date.size();) {
    std::size_t end = i;
    while (end < date.size() && date[end] != ' ') ++end;
    const std::string_view word = date.substr(i, end - i);
    if (!word.empty() && word.size() <= 2 && word.find_first_not_of("0123456789") == word.npos) {
      number = std::stoi(std::string(word));
    } else if (word.size() == 3) {
      for (int m = 0; m < 12; ++m) {
        if (EqualsNoCaseAscii(word, kMonths[m])) {
          month = m + 1;
          day = number;
          break;
        }
      }
      if (month) break;
    }
    i = end + 1;
  }
  return static_cast<long>(year) * 512 + month * 32 + day;
}

void AppendPersonFacts(const PageContext& ctx, const TPersonRec* person, TStyleSection row,
                       PageCitations* citations, std::string& out) {
  const FactsShown shown = PersonFactsShown(ctx, person);
  if (!shown.any || ctx.style.Section(row).empty()) return;
  AppendFacts(ctx, PersonFacts(ctx.db, *person), shown, {"BIRT", "DEAT"}, row, citations, out);
}

void AppendFamilyFacts(const PageContext& ctx, const TFamilyRec& family, TStyleSection row,
                       PageCitations* citations, std::string& out) {
  const FactsShown shown = FamilyFactsShown(ctx, family);
  if (!shown.any || ctx.style.Section(row).empty()) return;
  AppendFacts(ctx, FamilyFacts(ctx.db, family), shown, {"MARR"}, row, citations, out);
}

void AppendPersonCites(const PageContext& ctx, const TPersonRec* person, CitedFact which,
                       PageCitations* citations, std::string& out) {
  if (!citations || !PersonFactsShown(ctx, person).any) return;
  if (which == CitedFact::kRecord) {
    AppendCitationNumbers(ctx, RecordNode(ctx.db, *person), citations, out);
    return;
  }
  const std::vector<FactView> facts = PersonFacts(ctx.db, *person);
  const FactView* fact = FirstFact(facts, which == CitedFact::kBirth ? "BIRT" : "DEAT");
  if (fact && !HiddenByRestriction(ctx, *fact)) {
    AppendCitationNumbers(ctx, fact->node, citations, out);
  }
}

void AppendMarriageCites(const PageContext& ctx, const TFamilyRec& family, PageCitations* citations,
                         std::string& out) {
  if (!citations || !FamilyFactsShown(ctx, family).any) return;
  const std::vector<FactView> facts = FamilyFacts(ctx.db, family);
  const FactView* fact = FirstFact(facts, "MARR");
  if (fact && !HiddenByRestriction(ctx, *fact)) {
    AppendCitationNumbers(ctx, fact->node, citations, out);
  }
}

void AppendOtherNames(const PageContext& ctx, const TPersonRec* person, TStyleSection row,
                      std::string& out) {
  if (!PersonFactsShown(ctx, person).any || ctx.style.Section(row).empty()) return;
  const std::vector<NameView> names = PersonNames(ctx.db, *person);
  std::string text, details;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const NameView& name = names[i];
    if (IsRestrictedStructure(name.node) && ctx.settings.ExcDoExclude) continue;
    if (i > 0) {
      // The name without its surname slashes, and without the doubled space a slash between
      // words leaves.
      text.clear();
      for (char c : Trimmed(name.value)) {
        if (c == '/') continue;
        if (c == ' ' && (text.empty() || text.back() == ' ')) continue;
        text.push_back(c);
      }
      while (!text.empty() && text.back() == ' ') text.pop_back();
      if (!text.empty()) {
        details.clear();
        AppendHtmlEscaped(details, text);
        AppendLabelRow(ctx, row, NameTypeLabel(Trimmed(name.type)), details, out);
      }
    }
    const std::string_view nickname = Trimmed(name.nickname);
    if (!nickname.empty()) {
      details.clear();
      AppendHtmlEscaped(details, nickname);
      AppendLabelRow(ctx, row, "Nickname", details, out);
    }
  }
}

void AppendAssociations(const PageContext& ctx, const TPersonRec* person, TStyleSection row,
                        std::string& out) {
  if (!PersonFactsShown(ctx, person).any || ctx.style.Section(row).empty()) return;
  std::string details;
  for (const AssociationView& asso : Associations(RecordNode(ctx.db, *person))) {
    if (IsRestrictedStructure(asso.node) && ctx.settings.ExcDoExclude) continue;
    const TPersonRec* other = ctx.db.FindPersonById(ToLowerAscii(asso.pointer));
    if (!other || ctx.privacy.IsReplaced(other)) continue;
    std::string_view relation = Trimmed(asso.role_phrase);
    if (relation.empty()) relation = Trimmed(asso.relation);
    for (const TagLabel& role : kRoleLabels) {
      if (relation == role.tag) relation = role.label;
    }
    if (relation == "OTHER" || relation.empty()) relation = Trimmed(asso.phrase);
    if (relation.empty()) relation = "Associate";
    details.clear();
    const TFamilyRec* family = FamilyOf(*other);
    if (family) {
      details.append("<a href=\"");
      AppendPageName(details, family->Id, PageKind::kFamily);
      details.append("\">");
    }
    AppendHtmlEscaped(details, other->Name);
    if (family) details.append("</a>");
    AppendLabelRow(ctx, row, relation, details, out);
  }
}

void AppendPersonMedia(const PageContext& ctx, const TPersonRec* person, std::string& out) {
  if (!person || !ctx.privacy.ShowsPicture(person)) return;
  if (ctx.style.Section(ssPicture).empty() && ctx.style.Section(ssMediaFile).empty()) return;
  std::vector<MediaView> media = Media(ctx.db.Store(), RecordNode(ctx.db, *person));
  std::stable_partition(media.begin(), media.end(), [](const MediaView& m) { return m.primary; });
  std::string thumb, ref, title;
  for (const MediaView& object : media) {
    if (IsRestrictedStructure(object.node) && ctx.settings.ExcDoExclude) continue;
    for (const MediaFileView& file : object.files) {
      if (Trimmed(file.file).empty()) continue;
      PictureLink link;
      if (ctx.pictures) {
        link = ctx.pictures->Link(object, file);
      } else {
        link.full = std::string(file.file);
        if (IsShownPicture(file)) link.thumbnail = link.full;
      }
      std::string_view caption = Trimmed(object.title);
      if (caption.empty()) caption = Trimmed(file.title);
      title.clear();
      AppendHtmlEscaped(title, caption);
      ref.clear();
      AppendHtmlEscaped(ref, link.full);
      thumb.clear();
      AppendHtmlEscaped(thumb, link.thumbnail);
      if (title.empty()) {
        // A file without a title is named by its file name.
        std::string_view name = file.file;
        const std::size_t slash = name.find_last_of("/\\");
        if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
        AppendHtmlEscaped(title, name);
      }
      const Item items[] = {{"<!--^MediaThumb^-->", thumb},
                            {"<!--^MediaRef^-->", ref},
                            {"<!--^MediaTitle^-->", title}};
      AppendItem(ctx, link.thumbnail.empty() ? ssMediaFile : ssPicture, items, out);
    }
  }
}

void AppendSourceList(const PageContext& ctx, const PageCitations& citations, std::string& out) {
  const GedcomStore& store = ctx.db.Store();
  std::string number, anchor, title, author, publication, page, quality, date, text;
  const auto escaped = [](std::string& to, std::string_view value) {
    to.clear();
    AppendHtmlEscaped(to, Trimmed(value));
  };
  int n = 0;
  for (const CitationView& cite : citations.List()) {
    number = std::to_string(++n);
    anchor = "cite-" + number;
    title.clear();
    author.clear();
    publication.clear();
    if (cite.source != GedcomStore::kNoRecord) {
      const SourceView source = ReadSource(store, cite.source);
      std::string_view name = Trimmed(source.title);
      if (name.empty()) name = Trimmed(source.abbreviation);
      if (name.empty()) name = cite.source_id;
      title.append("<a href=\"");
      AppendPageName(title, cite.source_id, PageKind::kSource);
      title.append("\">");
      AppendEscapedLines(title, name);
      title.append("</a>");
      escaped(author, source.author);
      AppendEscapedLines(publication.erase(), Trimmed(source.publication));
    } else if (!cite.source_id.empty()) {
      AppendHtmlEscaped(title, cite.source_id);  // a pointer to no record
    } else {
      AppendEscapedLines(title, Trimmed(cite.inline_text));
    }
    escaped(page, cite.page);
    escaped(quality, QualityText(cite.quality));
    escaped(date, cite.data_date);
    text.clear();
    AppendEscapedLines(text, Trimmed(cite.text));
    const Item items[] = {{"<!--^CiteNumber^-->", number},
                          {"<!--^CiteAnchor^-->", anchor},
                          {"<!--^CiteTitle^-->", title},
                          {"<!--^CiteAuthor^-->", author},
                          {"<!--^CitePublication^-->", publication},
                          {"<!--^CitePage^-->", page},
                          {"<!--^CiteQuality^-->", quality},
                          {"<!--^CiteDate^-->", date},
                          {"<!--^CiteText^-->", text}};
    AppendItem(ctx, ssSourceRow, items, out);
  }
}

}  // namespace stirpex
