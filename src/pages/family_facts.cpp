#include "pages/family_facts.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

#include "database/text.h"
#include "pages/html_escape.h"
#include "pages/page_names.h"
#include "pages/picture_links.h"
#include "pages/record_pages.h"
#include "pages/template/compiled_style.h"
#include "platform/stored_paths.h"

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

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// An item of a template section: its marker and the value (HTML) put in its place.
using Item = ItemValue;

// Expands each line of section for one item and appends them to out, joined
// (compiled_style.h).
void AppendItem(const PageContext& ctx, TStyleSection section, std::span<const Item> items,
                std::string& out) {
  stirpex::AppendItem(ctx.style.Compiled().ItemSection(section), items, out);
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

// The place, linked to its page when it has one.
void AppendPlace(const PageContext& ctx, std::string& out, std::string_view place) {
  place = Trimmed(place);
  if (place.empty()) return;
  const std::string page = PlacePageOf(ctx, place);
  if (!page.empty()) {
    out.append("<a href=\"");
    AppendHtmlEscaped(out, page);
    out.append("\">");
  }
  AppendHtmlEscaped(out, place);
  if (!page.empty()) out.append("</a>");
}

// Appends the numbers of the citations, each once, as one superscript.
void AppendCitationNumbers(PageCitations& citations, const std::vector<ShownCitation>& cited,
                           std::string& out) {
  std::array<int, 16> written{};
  std::size_t count = 0;
  for (const ShownCitation& citation : cited) {
    const int number = citations.Number(citation);
    if (std::find(written.begin(), written.begin() + std::min(count, written.size()), number) !=
        written.begin() + std::min(count, written.size())) {
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

// One row of the row section with only a label and details; its other items are empty.
void AppendLabelRow(const PageContext& ctx, TStyleSection row, std::string_view label,
                    std::string_view details, std::string& out) {
  std::string escaped_label;
  AppendHtmlEscaped(escaped_label, label);
  const Item items[] = {{"<!--^FactLabel^-->", escaped_label},
                        {"<!--^FactDate^-->", {}},
                        {"<!--^FactPlace^-->", {}},
                        {"<!--^FactDetails^-->", details},
                        {"<!--^FactNotes^-->", {}},
                        {"<!--^FactCites^-->", {}}};
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

// Writes the facts through the row section, leaving out the first fact of each tag in skip
// (the page shows those in places of their own).
void AppendFacts(PageFacts& page, const std::vector<ShownFact>& facts,
                 std::initializer_list<std::string_view> skip, TStyleSection row,
                 std::string& out) {
  const PageContext& ctx = page.Context();
  std::array<bool, 4> skipped{};
  std::string label, date, place, details, notes, cites;
  for (const ShownFact& shown : facts) {
    const FactView& fact = shown.view;
    if (!fact.negated) {
      std::size_t k = 0;
      bool skip_this = false;
      for (std::string_view tag : skip) {
        if (k < skipped.size() && !skipped[k] && fact.tag == tag) skipped[k] = skip_this = true;
        ++k;
      }
      if (skip_this) continue;
    }
    label.clear();
    AppendHtmlEscaped(label, FactCaption(fact));
    date.clear();
    AppendHtmlEscaped(date, shown.date);
    if (!fact.date_phrase.empty()) {  // emptied when the date is masked
      date.append(date.empty() ? "" : " (");
      AppendHtmlEscaped(date, fact.date_phrase);
      if (!shown.date.empty()) date.push_back(')');
    }
    place.clear();
    AppendPlace(ctx, place, fact.place.text);
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
    for (const NoteView& note : ShownNotes(ctx.privacy, fact.node)) {
      if (!notes.empty()) notes.append("<br>");
      AppendEscapedLines(notes, note.text);
    }
    cites.clear();
    AppendCitationNumbers(page.Citations(), ShownCitations(ctx.privacy, fact.node, shown.masked),
                          cites);
    const Item items[] = {{"<!--^FactLabel^-->", label}, {"<!--^FactDate^-->", date},
                          {"<!--^FactPlace^-->", place}, {"<!--^FactDetails^-->", details},
                          {"<!--^FactNotes^-->", notes}, {"<!--^FactCites^-->", cites}};
    AppendItem(ctx, row, items, out);
  }
}

const ShownFact* FirstFact(const std::vector<ShownFact>& facts, std::string_view tag) {
  for (const ShownFact& fact : facts) {
    if (fact.view.tag == tag && !fact.view.negated) return &fact;
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

int PageCitations::Number(const ShownCitation& shown) {
  const CitationView& c = shown.view;
  for (std::size_t i = 0; i < list_.size(); ++i) {
    const CitationView& o = list_[i].view;
    if (o.source == c.source && o.source_id == c.source_id && o.page == c.page &&
        o.quality == c.quality && list_[i].date == shown.date && o.text == c.text &&
        o.inline_text == c.inline_text) {
      return static_cast<int>(i + 1);
    }
  }
  list_.push_back(shown);
  return static_cast<int>(list_.size());
}

const ShownPersonFacts& PageFacts::Of(const TPersonRec& person) {
  for (const auto& [who, facts] : people_) {
    if (who == &person) return facts;
  }
  people_.emplace_back(&person, ShownFactsOf(ctx_.privacy, person));
  return people_.back().second;
}

const ShownFamilyFacts& PageFacts::Of(const TFamilyRec& family) {
  if (family_ != &family) {
    family_ = &family;
    family_facts_ = ShownFactsOf(ctx_.privacy, family);
  }
  return family_facts_;
}

void AppendLinkedPlace(const PageContext& ctx, std::string& out, std::string_view place) {
  AppendPlace(ctx, out, place);
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

void AppendPersonFacts(PageFacts& page, const TPersonRec* person, TStyleSection row,
                       std::string& out) {
  if (!person || page.Context().style.Section(row).empty()) return;
  AppendFacts(page, page.Of(*person).facts, {"BIRT", "DEAT"}, row, out);
}

void AppendFamilyFacts(PageFacts& page, const TFamilyRec& family, TStyleSection row,
                       std::string& out) {
  if (page.Context().style.Section(row).empty()) return;
  AppendFacts(page, page.Of(family).facts, {"MARR"}, row, out);
}

void AppendPersonCites(PageFacts& page, const TPersonRec* person, CitedFact which,
                       std::string& out) {
  if (!person) return;
  const ShownPersonFacts& facts = page.Of(*person);
  if (which == CitedFact::kRecord) {
    AppendCitationNumbers(page.Citations(), facts.citations, out);
    return;
  }
  const ShownFact* fact = FirstFact(facts.facts, which == CitedFact::kBirth ? "BIRT" : "DEAT");
  if (fact) {
    AppendCitationNumbers(page.Citations(),
                          ShownCitations(page.Context().privacy, fact->view.node, fact->masked),
                          out);
  }
}

void AppendMarriageCites(PageFacts& page, const TFamilyRec& family, std::string& out) {
  const ShownFact* fact = FirstFact(page.Of(family).facts, "MARR");
  if (fact) {
    AppendCitationNumbers(page.Citations(),
                          ShownCitations(page.Context().privacy, fact->view.node, fact->masked),
                          out);
  }
}

void AppendOtherNames(PageFacts& page, const TPersonRec* person, TStyleSection row,
                      std::string& out) {
  const PageContext& ctx = page.Context();
  if (!person || ctx.style.Section(row).empty()) return;
  const std::vector<NameView>& names = page.Of(*person).names;
  std::string text, details;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const NameView& name = names[i];
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

void AppendAssociations(PageFacts& page, const TPersonRec* person, TStyleSection row,
                        std::string& out) {
  const PageContext& ctx = page.Context();
  if (!person || ctx.style.Section(row).empty()) return;
  std::string details;
  for (const ShownAssociation& shown : page.Of(*person).associations) {
    const TPersonRec* other = shown.person;
    if (!other) continue;
    const AssociationView& asso = shown.view;
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
    AppendHtmlEscaped(details, ctx.privacy.Show(other).record->Name);
    if (family) details.append("</a>");
    AppendLabelRow(ctx, row, relation, details, out);
  }
}

void AppendPersonMedia(PageFacts& page, const TPersonRec* person, std::string& out) {
  const PageContext& ctx = page.Context();
  if (!person) return;
  if (ctx.style.Section(ssPicture).empty() && ctx.style.Section(ssMediaFile).empty()) return;
  const std::vector<MediaView>& media = page.Of(*person).media;
  // The primary first, the others in file order.
  std::string thumb, ref, title, file_name;
  for (int pass = 0; pass < 2; ++pass) {
    for (const MediaView& object : media) {
      if (object.primary != (pass == 0)) continue;
      for (const MediaFileView& file : object.files) {
        if (Trimmed(file.file).empty()) continue;
        PictureLink link;
        if (ctx.pictures) {
          link = ctx.pictures->Link(object, file);
        } else {
          link.full = std::string(file.file);
          if (IsShownPicture(file)) link.thumbnail = link.full;
        }
        // The link's or the object's own title, else the file's: MediaView's title may be
        // another file's.
        std::string_view caption = Trimmed(object.title);
        if (object.files.size() > 1 &&
            std::any_of(object.files.begin(), object.files.end(),
                        [&](const MediaFileView& f) { return f.title == object.title; })) {
          caption = Trimmed(file.title);
        }
        if (caption.empty()) {
          // A file without a title is named by its file name.
          file_name = FileCaption(file.file);
          caption = file_name;
        }
        title.clear();
        AppendHtmlEscaped(title, caption);
        ref.clear();
        AppendHtmlEscaped(ref, link.full);
        thumb.clear();
        AppendHtmlEscaped(thumb, link.thumbnail);
        const Item items[] = {{"<!--^MediaThumb^-->", thumb},
                              {"<!--^MediaRef^-->", ref},
                              {"<!--^MediaTitle^-->", title}};
        AppendItem(ctx, link.thumbnail.empty() ? ssMediaFile : ssPicture, items, out);
      }
    }
  }
}

void AppendSourceList(PageFacts& page, std::string& out) {
  const PageContext& ctx = page.Context();
  const GedcomStore& store = ctx.privacy.Store();
  std::string number, anchor, title, author, publication, cited_page, quality, date, page_date,
      text;
  const auto escaped = [](std::string& to, std::string_view value) {
    to.clear();
    AppendHtmlEscaped(to, Trimmed(value));
  };
  // A page cites a source with several pages or dates: each source record is read once.
  struct Heading {
    std::uint32_t source;
    std::string_view id;  // as the citation wrote it: a source without a title is named by it
    std::string title, author, publication;
  };
  std::vector<Heading> headings;
  const auto heading = [&](const CitationView& cite) -> const Heading& {
    for (const Heading& known : headings) {
      if (known.source == cite.source && known.id == cite.source_id) return known;
    }
    Heading& made = headings.emplace_back(Heading{cite.source, cite.source_id, {}, {}, {}});
    const SourceView source = ReadSource(store, cite.source);
    std::string_view name = Trimmed(source.title);
    if (name.empty()) name = Trimmed(source.abbreviation);
    if (name.empty()) name = cite.source_id;
    const std::string page = SourcePageOf(ctx, cite.source);
    if (!page.empty()) {
      made.title.append("<a href=\"");
      AppendHtmlEscaped(made.title, page);
      made.title.append("\">");
    }
    AppendEscapedLines(made.title, name);
    if (!page.empty()) made.title.append("</a>");
    escaped(made.author, source.author);
    AppendEscapedLines(made.publication, Trimmed(source.publication));
    return made;
  };
  int n = 0;
  for (const ShownCitation& shown : page.Citations().List()) {
    const CitationView& cite = shown.view;
    number = std::to_string(++n);
    anchor = "cite-" + number;
    title.clear();
    author.clear();
    publication.clear();
    if (cite.source != GedcomStore::kNoRecord) {
      const Heading& known = heading(cite);
      title = known.title;
      author = known.author;
      publication = known.publication;
    } else if (!cite.source_id.empty() && cite.source_id != "VOID") {
      AppendHtmlEscaped(title, cite.source_id);  // a pointer to no record
    } else {
      AppendEscapedLines(title, Trimmed(cite.inline_text));
    }
    escaped(cited_page, cite.page);
    escaped(quality, QualityText(cite.quality));
    escaped(date, shown.date);
    page_date = cited_page;
    if (!page_date.empty() && !date.empty()) page_date.append("; ");
    page_date.append(date);
    text.clear();
    AppendEscapedLines(text, Trimmed(cite.text));
    const Item items[] = {{"<!--^CiteNumber^-->", number},
                          {"<!--^CiteAnchor^-->", anchor},
                          {"<!--^CiteTitle^-->", title},
                          {"<!--^CiteAuthor^-->", author},
                          {"<!--^CitePublication^-->", publication},
                          {"<!--^CitePage^-->", cited_page},
                          {"<!--^CiteQuality^-->", quality},
                          {"<!--^CiteDate^-->", date},
                          {"<!--^CitePageDate^-->", page_date},
                          {"<!--^CiteText^-->", text}};
    AppendItem(ctx, ssSourceRow, items, out);
  }
}

}  // namespace stirpex
