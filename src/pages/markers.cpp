#include "pages/markers.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "database/text.h"
#include "pages/chart_pages.h"
#include "pages/family_facts.h"
#include "pages/html_escape.h"
#include "pages/page_names.h"
#include "pages/privacy.h"

namespace stirpex {

namespace {

// Every marker with a rule, grouped as the rules are applied. The husband and wife groups list
// their markers in the same order, so a wife marker is its husband marker plus kSpouseCount.
enum class M : std::uint8_t {
  kNone,
  // Page-wide.
  kDate,
  kSurnameshtm,
  kImageName,
  kCharset,
  kSearchBox,
  kSearchScript,
  kStatsLink,
  kSourcesLink,
  kPlacesLink,
  kChartRef,
  kSourceList,
  // The page's person.
  kName,
  kBDate,
  kBPlace,
  kDDate,
  kDPlace,
  kPictRef,  // also a family rule
  kPicLink,
  kTreeRef,
  kNoteRef,
  kSelfHtm,
  // Ancestors; kFather..kMMMother in the order of the ancestor slots below.
  kFamHtm,
  kFather,
  kMother,
  kFFather,
  kFMother,
  kMFather,
  kMMother,
  kFFFather,
  kFFMother,
  kFMFather,
  kFMMother,
  kMFFather,
  kMFMother,
  kMMFather,
  kMMMother,
  // Family.
  kMarrDate,
  kMarrPlace,
  kMarrPic,
  kMarrPicLink,
  kPartners,
  kFanLink,
  kDescLink,
  kFamilyRef,
  kFamilyFacts,
  kMarriedIn,
  kMarrCites,
  // Husband.
  kHusbName,
  kHusbBday,
  kHusbBPlace,
  kHusbDeath,
  kHusbDPlace,
  kHusbBornIn,
  kHusbDiedIn,
  kHusbOtherHtm,
  kHTreeLink,
  kHNoteLink,
  kHusbPicLink,
  kHusbPic,
  kHusbFamHtm,
  kHusbFather,
  kHusbMother,
  kHusbFacts,
  kHusbCites,
  kHusbBCites,
  kHusbDCites,
  kHusbAlso,
  kHusbAssoc,
  kHusbMedia,
  // Wife.
  kWifeName,
  kWifeBday,
  kWifeBPlace,
  kWifeDeath,
  kWifeDPlace,
  kWifeBornIn,
  kWifeDiedIn,
  kWifeOtherHtm,
  kWTreeLink,
  kWNoteLink,
  kWifePicLink,
  kWifePic,
  kWifeFamHtm,
  kWifeFather,
  kWifeMother,
  kWifeFacts,
  kWifeCites,
  kWifeBCites,
  kWifeDCites,
  kWifeAlso,
  kWifeAssoc,
  kWifeMedia,
  // Child.
  kChildName,
  kChildBday,
  kChildBPlace,
  kChildDeath,
  kChildDPlace,
  kChildPLink,
  kChildPic,
  kChildDMDate,
  kChildDMPlace,
  kChildSpouse,
  kChildSpHtm,
  kChildFacts,
  kChildCites,
  kChildBCites,
  kChildDCites,
  kChildBornIn,
  kChildDiedIn,
  kChildMarrIn,
  // Keys that are known but have no rule here (the note text and surname index lines are
  // handled line by line by their builders).
  kNoRule,
  kCount
};

constexpr int kSpouseCount = static_cast<int>(M::kWifeName) - static_cast<int>(M::kHusbName);
constexpr int kAncestorCount = 14;

constexpr bool In(M m, M first, M last) {
  return m >= first && m <= last;
}

struct MarkerText {
  M id;
  std::string_view text;
};

constexpr MarkerText kMarkerTexts[] = {
    {M::kDate, "<!--^Date^-->"},
    {M::kSurnameshtm, "<!--^Surnameshtm^-->"},
    {M::kImageName, "<!--^ImageName^-->"},
    {M::kCharset, "<!--^Charset^-->"},
    {M::kSearchBox, "<!--^SearchBox^-->"},
    {M::kSearchScript, "<!--^SearchScript^-->"},
    {M::kStatsLink, "<!--^StatsLink^-->"},
    {M::kSourcesLink, "<!--^SourcesLink^-->"},
    {M::kPlacesLink, "<!--^PlacesLink^-->"},
    {M::kChartRef, "<!--^ChartRef^-->"},
    {M::kSourceList, "<!--^SourceList^-->"},
    {M::kName, "<!--^Name^-->"},
    {M::kBDate, "<!--^BDate^-->"},
    {M::kBPlace, "<!--^BPlace^-->"},
    {M::kDDate, "<!--^DDate^-->"},
    {M::kDPlace, "<!--^DPlace^-->"},
    {M::kPictRef, "<!--^PictRef^-->"},
    {M::kPicLink, "<!--^PicLink^-->"},
    {M::kTreeRef, "<!--^TreeRef^-->"},
    {M::kNoteRef, "<!--^NoteRef^-->"},
    {M::kSelfHtm, "<!--^SelfHtm^-->"},
    {M::kFamHtm, "<!--^FamHtm^-->"},
    {M::kFather, "<!--^Father^-->"},
    {M::kMother, "<!--^Mother^-->"},
    {M::kFFather, "<!--^FFather^-->"},
    {M::kFMother, "<!--^FMother^-->"},
    {M::kMFather, "<!--^MFather^-->"},
    {M::kMMother, "<!--^MMother^-->"},
    {M::kFFFather, "<!--^FFFather^-->"},
    {M::kFFMother, "<!--^FFMother^-->"},
    {M::kFMFather, "<!--^FMFather^-->"},
    {M::kFMMother, "<!--^FMMother^-->"},
    {M::kMFFather, "<!--^MFFather^-->"},
    {M::kMFMother, "<!--^MFMother^-->"},
    {M::kMMFather, "<!--^MMFather^-->"},
    {M::kMMMother, "<!--^MMMother^-->"},
    {M::kMarrDate, "<!--^MarrDate^-->"},
    {M::kMarrPlace, "<!--^MarrPlace^-->"},
    {M::kMarrPic, "<!--^MarrPic^-->"},
    {M::kMarrPicLink, "<!--^MarrPicLink^-->"},
    {M::kPartners, "<!--^Partners^-->"},
    {M::kFanLink, "<!--^FanLink^-->"},
    {M::kDescLink, "<!--^DescLink^-->"},
    {M::kFamilyRef, "<!--^FamilyRef^-->"},
    {M::kFamilyFacts, "<!--^FamilyFacts^-->"},
    {M::kMarriedIn, "<!--^MarriedIn^-->"},
    {M::kMarrCites, "<!--^MarrCites^-->"},
    {M::kHusbName, "<!--^HusbName^-->"},
    {M::kHusbBday, "<!--^HusbBday^-->"},
    {M::kHusbBPlace, "<!--^HusbBPlace^-->"},
    {M::kHusbDeath, "<!--^HusbDeath^-->"},
    {M::kHusbDPlace, "<!--^HusbDPlace^-->"},
    {M::kHusbBornIn, "<!--^HusbBornIn^-->"},
    {M::kHusbDiedIn, "<!--^HusbDiedIn^-->"},
    {M::kHusbOtherHtm, "<!--^HusbOtherHtm^-->"},
    {M::kHTreeLink, "<!--^HTreeLink^-->"},
    {M::kHNoteLink, "<!--^HNoteLink^-->"},
    {M::kHusbPicLink, "<!--^HusbPicLink^-->"},
    {M::kHusbPic, "<!--^HusbPic^-->"},
    {M::kHusbFamHtm, "<!--^HusbFamHtm^-->"},
    {M::kHusbFather, "<!--^HusbFather^-->"},
    {M::kHusbMother, "<!--^HusbMother^-->"},
    {M::kHusbFacts, "<!--^HusbFacts^-->"},
    {M::kHusbCites, "<!--^HusbCites^-->"},
    {M::kHusbBCites, "<!--^HusbBCites^-->"},
    {M::kHusbDCites, "<!--^HusbDCites^-->"},
    {M::kHusbAlso, "<!--^HusbAlso^-->"},
    {M::kHusbAssoc, "<!--^HusbAssoc^-->"},
    {M::kHusbMedia, "<!--^HusbMedia^-->"},
    {M::kWifeName, "<!--^WifeName^-->"},
    {M::kWifeBday, "<!--^WifeBday^-->"},
    {M::kWifeBPlace, "<!--^WifeBPlace^-->"},
    {M::kWifeDeath, "<!--^WifeDeath^-->"},
    {M::kWifeDPlace, "<!--^WifeDPlace^-->"},
    {M::kWifeBornIn, "<!--^WifeBornIn^-->"},
    {M::kWifeDiedIn, "<!--^WifeDiedIn^-->"},
    {M::kWifeOtherHtm, "<!--^WifeOtherHtm^-->"},
    {M::kWTreeLink, "<!--^WTreeLink^-->"},
    {M::kWNoteLink, "<!--^WNoteLink^-->"},
    {M::kWifePicLink, "<!--^WifePicLink^-->"},
    {M::kWifePic, "<!--^WifePic^-->"},
    {M::kWifeFamHtm, "<!--^WifeFamHtm^-->"},
    {M::kWifeFather, "<!--^WifeFather^-->"},
    {M::kWifeMother, "<!--^WifeMother^-->"},
    {M::kWifeFacts, "<!--^WifeFacts^-->"},
    {M::kWifeCites, "<!--^WifeCites^-->"},
    {M::kWifeBCites, "<!--^WifeBCites^-->"},
    {M::kWifeDCites, "<!--^WifeDCites^-->"},
    {M::kWifeAlso, "<!--^WifeAlso^-->"},
    {M::kWifeAssoc, "<!--^WifeAssoc^-->"},
    {M::kWifeMedia, "<!--^WifeMedia^-->"},
    {M::kChildName, "<!--^ChildName^-->"},
    {M::kChildBday, "<!--^ChildBday^-->"},
    {M::kChildBPlace, "<!--^ChildBPlace^-->"},
    {M::kChildDeath, "<!--^ChildDeath^-->"},
    {M::kChildDPlace, "<!--^ChildDPlace^-->"},
    {M::kChildPLink, "<!--^ChildPLink^-->"},
    {M::kChildPic, "<!--^ChildPic^-->"},
    {M::kChildDMDate, "<!--^ChildDMDate^-->"},
    {M::kChildDMPlace, "<!--^ChildDMPlace^-->"},
    {M::kChildSpouse, "<!--^ChildSpouse^-->"},
    {M::kChildSpHtm, "<!--^ChildSpHtm^-->"},
    {M::kChildFacts, "<!--^ChildFacts^-->"},
    {M::kChildCites, "<!--^ChildCites^-->"},
    {M::kChildBCites, "<!--^ChildBCites^-->"},
    {M::kChildDCites, "<!--^ChildDCites^-->"},
    {M::kChildBornIn, "<!--^ChildBornIn^-->"},
    {M::kChildDiedIn, "<!--^ChildDiedIn^-->"},
    {M::kChildMarrIn, "<!--^ChildMarrIn^-->"},
};

// Keys identified without a rule: a marker with one of them always ends as a comment.
constexpr std::string_view kRulelessKeys[] = {
    "<!--^HUSBNOTE", "<!--^WIFENOTE", "<!--^OTHERHTM",
    "<!--^NOTETEXT",  // "<!--^NoteText^-->"
    "<!--^SNCONTEN",  // "<!--^SNContents^-->"
    "<!--^SNPEOPLE",  // "<!--^SNPeople^-->"
    "<!--^CHART^--",  // "<!--^Chart^-->" (the chart of a chart page, chart_pages.h)
    "<!--^PAGEBOD",   // "<!--^PageBody^-->" (the body of a record page, record_pages.h)
    "<!--^PAGETIT",   // "<!--^PageTitle^-->" (its title, put in by the same builder)
};

constexpr std::string_view kMarkerStart = "<!--^";
constexpr std::size_t kKeyLength = 13;

// The first "<!--^" at or after from. Pages are long lines full of "<" and nearly free of "^":
// the search goes by the "^".
std::size_t FindMarkerStart(std::string_view line, std::size_t from) {
  constexpr std::size_t kCaret = 4;  // where "^" stands in "<!--^"
  if (from >= line.size()) return std::string::npos;
  for (std::size_t q = from + kCaret; q < line.size();) {
    const void* hit = std::memchr(line.data() + q, '^', line.size() - q);
    if (!hit) break;
    q = static_cast<std::size_t>(static_cast<const char*>(hit) - line.data());
    const char* start = line.data() + q - kCaret;
    if (start[0] == '<' && start[1] == '!' && start[2] == '-' && start[3] == '-') return q - kCaret;
    ++q;
  }
  return std::string::npos;
}

// The first exact occurrence of a marker's text at or after from (usually right at from).
std::size_t FindMarkerText(std::string_view line, std::string_view text, std::size_t from) {
  for (std::size_t q = FindMarkerStart(line, from); q != std::string::npos;
       q = FindMarkerStart(line, q + 1)) {
    if (line.compare(q, text.size(), text) == 0) return q;
  }
  return std::string::npos;
}

// The full text of each marker, by id.
class MarkerTextTable {
 public:
  MarkerTextTable() {
    for (const MarkerText& m : kMarkerTexts) texts_[static_cast<int>(m.id)] = m.text;
  }
  std::string_view operator[](M m) const { return texts_[static_cast<int>(m)]; }

 private:
  std::array<std::string_view, static_cast<int>(M::kCount)> texts_{};
};
const MarkerTextTable kText;

// Identification: the 8 characters after "<!--^", upper-cased and packed into a word, in an
// open-addressing table of 256 slots.
class KeyTable {
 public:
  KeyTable() {
    for (const MarkerText& m : kMarkerTexts) Add(Pack(m.text.data() + kMarkerStart.size()), m.id);
    for (std::string_view key : kRulelessKeys)
      Add(Pack(key.data() + kMarkerStart.size()), M::kNoRule);
  }

  // The marker identified at line[p] (which holds "<!--^").
  M Identify(std::string_view line, std::size_t p) const {
    if (line.size() - p < kKeyLength) return M::kNone;
    const std::uint64_t key = Pack(line.data() + p + kMarkerStart.size());
    for (std::size_t i = Slot(key);; i = (i + 1) & 255) {
      if (ids_[i] == M::kNone) return M::kNone;
      if (keys_[i] == key) return ids_[i];
    }
  }

 private:
  static std::uint64_t Pack(const char* s) {
    std::uint64_t key = 0;
    for (int i = 0; i < 8; ++i) {
      key |= std::uint64_t(static_cast<unsigned char>(ToUpperAscii(s[i]))) << (8 * i);
    }
    return key;
  }
  static std::size_t Slot(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15ull) >> 56; }
  void Add(std::uint64_t key, M id) {
    std::size_t i = Slot(key);
    while (ids_[i] != M::kNone) i = (i + 1) & 255;
    keys_[i] = key;
    ids_[i] = id;
  }
  std::array<std::uint64_t, 256> keys_{};
  std::array<M, 256> ids_{};
};
const KeyTable kKeys;

// A runaway guard: expansion always ends (values cannot hold markers), but a hostile style
// must never hang a build. Far above anything a real line needs.
constexpr std::size_t kMaxPasses = 1 << 16;

void InsertLinkTemplate(const PageContext& ctx, std::string& line, std::size_t pos,
                        TStyleSection section, const TFamilyRec* family, std::string_view picture,
                        const TPersonRec* person, std::string_view link_target = {});

class Expander {
 public:
  // link_target: what "<!--^ChartRef^-->" writes in a chart link template.
  Expander(const PageContext& ctx, const MarkerArgs& args, bool in_template,
           std::string_view link_target = {})
      : ctx_(ctx), args_(args), in_template_(in_template), link_target_(link_target) {}

  void Run(std::string& line);

 private:
  ShownPerson Shown(const TPersonRec* x) const { return ctx_.privacy.Show(x); }
  bool IsPrivate(const TPersonRec& x) const { return &x == ctx_.privacy.PrivatePerson(); }

  // Replaces the first exact occurrence of marker m (from the pass position on, before which
  // no marker can stand) by the value that make(value) writes; make runs only when m occurs.
  template <typename Make>
  void ReplaceWith(M m, Make&& make) {
    const std::string_view text = kText[m];
    const std::size_t pos = FindMarkerText(*line_, text, p_);
    if (pos == std::string::npos) return;
    value_.clear();
    make(value_);
    line_->replace(pos, text.size(), value_);
    if (pos == p_) replaced_at_p_ = true;
  }
  void ReplaceText(M m, std::string_view value) {
    ReplaceWith(m, [&](std::string& v) { v.append(value); });
  }
  void ReplaceEscaped(M m, std::string_view value) {
    ReplaceWith(m, [&](std::string& v) { AppendHtmlEscaped(v, value); });
  }
  // Date(t) of a shown person.
  void ReplaceDate(M m, std::string_view date, bool mask) {
    if (mask && !date.empty()) {
      ReplaceEscaped(m, ctx_.privacy.PageDate(date, true));
    } else {
      ReplaceEscaped(m, date);
    }
  }
  // Place(t): " in: " + t, only when t is not empty.
  void ReplacePlace(M m, std::string_view place) {
    if (place.empty()) return;
    ReplaceWith(m, [&](std::string& v) {
      v.append(" in: ");
      AppendHtmlEscaped(v, place);
    });
  }
  // As Place(t), the place linked to its page when it has one.
  void ReplaceLinkedPlace(M m, std::string_view place) {
    if (place.empty()) return;
    ReplaceWith(m, [&](std::string& v) {
      v.append(" in: ");
      AppendLinkedPlace(ctx_, v, place);
    });
  }
  // Tag(f): the picture tag with ImageDir before the file name.
  void ReplaceTag(M m, std::string_view file) {
    ReplaceWith(m, [&](std::string& v) {
      v.append("<img src=\"");
      AppendHtmlEscaped(v, PicturePath(ctx_.settings, file));
      v.append("\">");
    });
  }
  void ReplaceLink(M m, std::string_view opening, std::string_view id, PageKind kind) {
    ReplaceWith(m, [&](std::string& v) {
      v.append(opening);
      AppendPageName(v, id, kind);
      v.append("\">");
    });
  }
  void LinkTemplate(M m, TStyleSection section, std::string_view picture, const TPersonRec* person,
                    std::string_view link_target = {});
  void SearchBox(M m);
  void OtherFamilies(M m, const TPersonRec* spouse, const TPersonRec* current_partner,
                     bool husband_marker);

  void ApplyPageWide(M m);
  void ApplyPerson(M m);
  void ApplyAncestors();
  const TPersonRec* Ancestor(std::size_t k);
  void ApplyFamily(M m);
  void ApplySpouse(M m, bool husband);
  void ApplyChild(M m);
  void AppendPartnerFacts(M m, const TPersonRec* partner, std::string& v);

  const PageContext& ctx_;
  const MarkerArgs& args_;
  const bool in_template_;
  const std::string_view link_target_;
  std::string* line_ = nullptr;
  std::size_t p_ = 0;
  bool replaced_at_p_ = false;
  std::string value_;
  // The page's person as shown, and its ancestors (filled on first use).
  ShownPerson person_;
  bool ancestors_ready_ = false;
  std::array<ShownPerson, kAncestorCount> ancestors_{};
};

void Expander::Run(std::string& line) {
  line_ = &line;
  person_ = Shown(args_.person);
  p_ = 0;
  for (std::size_t passes = 0;; ++passes) {
    p_ = FindMarkerStart(line, p_);
    if (p_ == std::string::npos) return;
    if (passes == kMaxPasses) {
      line.erase(p_ + 4, 1);
      continue;
    }
    replaced_at_p_ = false;
    const M m = kKeys.Identify(line, p_);
    if (In(m, M::kDate, M::kSourceList)) ApplyPageWide(m);
    if (args_.person && In(m, M::kName, M::kSelfHtm)) ApplyPerson(m);
    if (args_.person) ApplyAncestors();
    if (args_.family) {
      if (In(m, M::kMarrDate, M::kMarrCites) || m == M::kPictRef) ApplyFamily(m);
      if (In(m, M::kHusbName, M::kHusbMedia)) ApplySpouse(m, true);
      if (In(m, M::kWifeName, M::kWifeMedia)) {
        ApplySpouse(static_cast<M>(static_cast<int>(m) - kSpouseCount), false);
      }
      if (In(m, M::kChildName, M::kChildMarrIn)) ApplyChild(m);
    }
    // The marker is still at p when no rule took it: make it a plain comment. When a rule
    // replaced the text at p (perhaps by nothing), what stands there now is searched again.
    if (!replaced_at_p_) line.erase(p_ + 4, 1);
  }
}

void Expander::ApplyPageWide(M m) {
  switch (m) {
    case M::kDate:
      ReplaceText(m, ctx_.today);
      break;
    case M::kSurnameshtm:
      ReplaceWith(m, [&](std::string& v) {
        v.append("<A HREF=\"");
        AppendHtmlEscaped(v, ctx_.index_page_name);
        v.append("\">");
      });
      break;
    case M::kImageName:
      ReplaceWith(m, [&](std::string& v) {
        v.append("<img src=\"");
        AppendHtmlEscaped(v, args_.image_name);
        v.append("\">");
      });
      break;
    case M::kCharset:
      ReplaceText(m, ctx_.privacy.PageCharset());
      break;
    case M::kSearchBox:
      // Only a written site has a search page to lead to; elsewhere the marker leaves nothing.
      // Inside the box itself it stays a comment: the box cannot hold itself.
      if (!ctx_.site_search) {
        ReplaceText(m, "");
      } else if (!in_template_) {
        SearchBox(m);
      }
      break;
    case M::kSearchScript:
      ReplaceText(m, ctx_.site_search ? "<script src=\"search.js\"></script>" : "");
      break;
    case M::kStatsLink:
      // As the search box: only a written site has a statistics page to lead to.
      if (!ctx_.site_statistics) {
        ReplaceText(m, "");
      } else if (!in_template_) {
        LinkTemplate(m, ssStatsLink, {}, nullptr, kStatisticsPageName);
      }
      break;
    case M::kSourcesLink:
    case M::kPlacesLink: {
      // Viewer and site alike show the indexes, when the style makes them.
      const bool sources = m == M::kSourcesLink;
      if (ctx_.style.Section(sources ? ssSourcesIndex : ssPlacesIndex).empty()) {
        ReplaceText(m, "");
      } else if (!in_template_) {
        LinkTemplate(m, sources ? ssSourcesLink : ssPlacesLink, {}, nullptr,
                     sources ? kSourcesIndexPageName : kPlacesIndexPageName);
      }
      break;
    }
    case M::kChartRef:
      if (!link_target_.empty()) {
        ReplaceWith(m, [&](std::string& v) { AppendHtmlEscaped(v, link_target_); });
      }
      break;
    case M::kSourceList:
      if (args_.facts) ReplaceWith(m, [&](std::string& v) { AppendSourceList(*args_.facts, v); });
      break;
    default:
      break;
  }
}

void Expander::ApplyPerson(M m) {
  const TPersonRec& p = *person_.record;
  switch (m) {
    case M::kName:
      ReplaceEscaped(m, p.Name);
      break;
    case M::kBDate:
      ReplaceDate(m, p.BirthDate, person_.MaskDates);
      break;
    case M::kBPlace:
      ReplaceEscaped(m, p.BirthPlace);
      break;
    case M::kDDate:
      ReplaceDate(m, p.DeathDate, person_.MaskDates);
      break;
    case M::kDPlace:
      ReplaceEscaped(m, p.DeathPlace);
      break;
    case M::kPictRef:
      if (!p.Picture.empty()) {
        ReplaceWith(m, [&](std::string& v) { AppendPageName(v, p.Id, PageKind::kPicture); });
      }
      break;
    case M::kPicLink:
      if (!p.Picture.empty() && !in_template_) LinkTemplate(m, ssPicLink, p.Picture, &p);
      break;
    // The private person stands for someone else and has no pages of its own: a link to
    // "tr.htm" or "nt.htm" would lead nowhere.
    case M::kTreeRef:
      if (!IsPrivate(p)) {
        ReplaceWith(m, [&](std::string& v) { AppendPageName(v, p.Id, PageKind::kTree); });
      }
      break;
    case M::kNoteRef:
      if (!IsPrivate(p)) {
        ReplaceWith(m, [&](std::string& v) { AppendPageName(v, p.Id, PageKind::kNote); });
      }
      break;
    case M::kSelfHtm:
      if (!p.SpouseFamilies.empty()) {
        ReplaceLink(m, "<A HREF=\"", p.SpouseFamilies.front()->Id, PageKind::kFamily);
      }
      break;
    default:
      break;
  }
}

// Every pass applies the ancestor rules: each replaces the first exact occurrence of its marker
// at or after the pass position. The markers differ and values hold none, so one walk over the
// markers from there, replacing the first of each kind, gives the same line (a tree page's
// lines are long and full of them).
void Expander::ApplyAncestors() {
  const TFamilyRec* parents = person_.record->ParentFamily;
  if (!parents) return;
  std::array<bool, kAncestorCount + 1> done{};  // FamHtm, then the ancestor slots
  std::string& line = *line_;
  for (std::size_t q = FindMarkerStart(line, p_); q != std::string::npos;
       q = FindMarkerStart(line, q)) {
    const M m = kKeys.Identify(line, q);
    const std::string_view text = kText[m];
    const std::size_t slot =
        static_cast<std::size_t>(static_cast<int>(m) - static_cast<int>(M::kFamHtm));
    if (!In(m, M::kFamHtm, M::kMMMother) || done[slot] || line.compare(q, text.size(), text) != 0) {
      ++q;
      continue;
    }
    done[slot] = true;
    value_.clear();
    if (m == M::kFamHtm) {
      value_.append("<A HREF=\"");
      AppendPageName(value_, parents->Id, PageKind::kFamily);
      value_.append("\">");
    } else {
      const TPersonRec* ancestor = Ancestor(slot - 1);
      if (!ancestor) {
        ++q;
        continue;
      }
      if (IsPrivate(*ancestor)) {  // no tree page to link to
        AppendHtmlEscaped(value_, ancestor->Name);
      } else {
        value_.append("<A HREF=\"");
        AppendPageName(value_, ancestor->Id, PageKind::kTree);
        value_.append("\">");
        AppendHtmlEscaped(value_, ancestor->Name);
        value_.append("</a>");
      }
    }
    line.replace(q, text.size(), value_);
    if (q == p_) replaced_at_p_ = true;
    q += value_.size();
  }
}

// The record shown in ancestor slot k (0 father, 1 mother, then 2k+2 and 2k+3 the parents of
// slot k), or null.
const TPersonRec* Expander::Ancestor(std::size_t k) {
  if (!ancestors_ready_) {
    // Slot k's father and mother are slots 2k+2 and 2k+3, reached through the parent family
    // of the record shown in slot k: a person replaced by the private person ends the line.
    const TFamilyRec* parents = person_.record->ParentFamily;
    ancestors_[0] = Shown(parents->Husband);
    ancestors_[1] = Shown(parents->Wife);
    for (int i = 0; 2 * i + 3 < kAncestorCount; ++i) {
      const TPersonRec* child = ancestors_[i].record;
      const TFamilyRec* family = child ? child->ParentFamily : nullptr;
      if (!family) continue;
      ancestors_[2 * i + 2] = Shown(family->Husband);
      ancestors_[2 * i + 3] = Shown(family->Wife);
    }
    ancestors_ready_ = true;
  }
  return ancestors_[k].record;
}

void Expander::ApplyFamily(M m) {
  const TFamilyRec& f = *args_.family;
  // The marriage and the picture are the partners' as much as the family's (privacy.h).
  const bool picture = !f.Picture.empty() && ctx_.privacy.ShowsFamilyPicture(&f);
  switch (m) {
    case M::kMarrDate:
      ReplaceEscaped(m, ctx_.privacy.PageMarriage(f).date);
      break;
    case M::kMarrPlace:
      ReplacePlace(m, ctx_.privacy.PageMarriage(f).place);
      break;
    case M::kMarriedIn:
      ReplaceLinkedPlace(m, ctx_.privacy.PageMarriage(f).place);
      break;
    case M::kMarrPic:
      if (picture) ReplaceTag(m, f.Picture);
      break;
    case M::kMarrPicLink:
      if (picture && !in_template_) LinkTemplate(m, ssPicLink, f.Picture, nullptr);
      break;
    case M::kPictRef:
      if (picture) {
        ReplaceWith(m, [&](std::string& v) { AppendPageName(v, f.Id, PageKind::kPicture); });
      }
      break;
    case M::kPartners:
      // "A and B", or the one partner the family has: never a dangling "and" (a title cannot
      // hide a marker left as a comment).
      ReplaceWith(m, [&](std::string& v) {
        for (const TPersonRec* partner : {f.Husband, f.Wife}) {
          if (!partner) continue;
          const std::string_view name = Shown(partner).record->Name.view();
          if (name.empty()) continue;
          if (!v.empty()) v.append(" and ");
          AppendHtmlEscaped(v, name);
        }
      });
      break;
    case M::kFanLink:
    case M::kDescLink:
      if (!in_template_) {
        const bool fan = m == M::kFanLink;
        // Only to a page the style makes and the family has.
        const std::string target = fan ? FanChartPage(ctx_, f) : DescendantChartPage(ctx_, f);
        if (!target.empty()) {
          LinkTemplate(m, fan ? ssFanLink : ssDescLink, {}, nullptr, target);
        }
      }
      break;
    case M::kFamilyRef:
      ReplaceWith(m, [&](std::string& v) { AppendPageName(v, f.Id, PageKind::kFamily); });
      break;
    case M::kFamilyFacts:
      if (args_.facts) {
        ReplaceWith(m, [&](std::string& v) { AppendFamilyFacts(*args_.facts, f, ssFactRow, v); });
      }
      break;
    case M::kMarrCites:
      if (args_.facts) {
        ReplaceWith(m, [&](std::string& v) { AppendMarriageCites(*args_.facts, f, v); });
      }
      break;
    default:
      break;
  }
}

// m is the husband form of the marker; husband tells whose marker it really is.
void Expander::ApplySpouse(M m, bool husband) {
  const TFamilyRec& f = *args_.family;
  const TPersonRec* real = husband ? f.Husband : f.Wife;
  if (!real) return;
  const ShownPerson shown = Shown(real);
  const TPersonRec& s = *shown.record;
  const M marker = husband ? m : static_cast<M>(static_cast<int>(m) + kSpouseCount);
  switch (m) {
    case M::kHusbName:
      ReplaceEscaped(marker, s.Name);
      break;
    case M::kHusbBday:
      ReplaceDate(marker, s.BirthDate, shown.MaskDates);
      break;
    case M::kHusbBPlace:
      ReplacePlace(marker, s.BirthPlace);
      break;
    case M::kHusbDeath:
      ReplaceDate(marker, s.DeathDate, shown.MaskDates);
      break;
    case M::kHusbDPlace:
      ReplacePlace(marker, s.DeathPlace);
      break;
    case M::kHusbBornIn:
      ReplaceLinkedPlace(marker, s.BirthPlace);
      break;
    case M::kHusbDiedIn:
      ReplaceLinkedPlace(marker, s.DeathPlace);
      break;
    case M::kHusbOtherHtm: {
      const TPersonRec* partner = husband ? f.Wife : f.Husband;
      if (!s.SpouseFamilies.empty() && partner) OtherFamilies(marker, &s, partner, husband);
      break;
    }
    case M::kHTreeLink:
      if (ctx_.settings.IncludeTrees && !in_template_ && !IsPrivate(s)) {
        LinkTemplate(marker, ssTreeLink, s.Picture, &s);
      }
      break;
    case M::kHNoteLink:
      if (!s.Notes.empty() && !in_template_) LinkTemplate(marker, ssNoteLink, s.Picture, &s);
      break;
    case M::kHusbPicLink:
      if (!s.Picture.empty() && !in_template_) LinkTemplate(marker, ssPicLink, s.Picture, &s);
      break;
    case M::kHusbPic:
      if (!s.Picture.empty()) ReplaceTag(marker, s.Picture);
      break;
    case M::kHusbFamHtm:
      if (s.ParentFamily) ReplaceLink(marker, "<A HREF=\"", s.ParentFamily->Id, PageKind::kFamily);
      break;
    case M::kHusbFather:
    case M::kHusbMother: {
      if (!s.ParentFamily) break;
      const TPersonRec* parent =
          m == M::kHusbFather ? s.ParentFamily->Husband : s.ParentFamily->Wife;
      if (parent) ReplaceEscaped(marker, Shown(parent).record->Name);
      break;
    }
    case M::kHusbFacts:
    case M::kHusbCites:
    case M::kHusbBCites:
    case M::kHusbDCites:
    case M::kHusbAlso:
    case M::kHusbAssoc:
    case M::kHusbMedia:
      if (args_.facts) {
        ReplaceWith(marker, [&](std::string& v) { AppendPartnerFacts(m, real, v); });
      }
      break;
    default:
      break;
  }
}

// m is the husband form of the marker. What the file says of the partner beyond the fields is
// read from their own record (family_facts.h, which asks the privacy layer).
void Expander::AppendPartnerFacts(M m, const TPersonRec* partner, std::string& v) {
  PageFacts& facts = *args_.facts;
  switch (m) {
    case M::kHusbFacts:
      AppendPersonFacts(facts, partner, ssFactRow, v);
      break;
    case M::kHusbCites:
      AppendPersonCites(facts, partner, CitedFact::kRecord, v);
      break;
    case M::kHusbBCites:
      AppendPersonCites(facts, partner, CitedFact::kBirth, v);
      break;
    case M::kHusbDCites:
      AppendPersonCites(facts, partner, CitedFact::kDeath, v);
      break;
    case M::kHusbAlso:
      AppendOtherNames(facts, partner, ssFactRow, v);
      break;
    case M::kHusbAssoc:
      AppendAssociations(facts, partner, ssFactRow, v);
      break;
    case M::kHusbMedia:
      AppendPersonMedia(facts, partner, v);
      break;
    default:
      break;
  }
}

void Expander::ApplyChild(M m) {
  const TFamilyRec& f = *args_.family;
  if (args_.child_index >= f.Children.size()) return;
  const ShownPerson shown = Shown(f.Children[args_.child_index]);
  const TPersonRec& k = *shown.record;
  const TFamilyRec* s = k.SpouseFamilies.empty() ? nullptr : k.SpouseFamilies.front();
  switch (m) {
    case M::kChildName:
      ReplaceEscaped(m, k.Name);
      break;
    case M::kChildBday:
      ReplaceDate(m, k.BirthDate, shown.MaskDates);
      break;
    case M::kChildBPlace:
      ReplacePlace(m, k.BirthPlace);
      break;
    case M::kChildDeath:
      ReplaceDate(m, k.DeathDate, shown.MaskDates);
      break;
    case M::kChildDPlace:
      ReplacePlace(m, k.DeathPlace);
      break;
    case M::kChildPLink:
      if (!k.Picture.empty() && !in_template_) LinkTemplate(m, ssPicLink, k.Picture, &k);
      break;
    case M::kChildPic:
      // The bare file name: the child picture never takes the ImageDir folder.
      if (!k.Picture.empty()) {
        ReplaceWith(m, [&](std::string& v) {
          v.append("<img src=\"");
          AppendHtmlEscaped(v, k.Picture);
          v.append("\">");
        });
      }
      break;
    case M::kChildDMDate:
      if (s) ReplaceEscaped(m, ctx_.privacy.PageMarriage(*s).date);
      break;
    case M::kChildDMPlace:
      if (s) ReplacePlace(m, ctx_.privacy.PageMarriage(*s).place);
      break;
    case M::kChildBornIn:
      ReplaceLinkedPlace(m, k.BirthPlace);
      break;
    case M::kChildDiedIn:
      ReplaceLinkedPlace(m, k.DeathPlace);
      break;
    case M::kChildMarrIn:
      if (s) ReplaceLinkedPlace(m, ctx_.privacy.PageMarriage(*s).place);
      break;
    case M::kChildSpouse: {
      if (!s) break;
      const TPersonRec* spouse = k.Sex == 'M' ? s->Wife : k.Sex == 'F' ? s->Husband : nullptr;
      if (spouse) ReplaceEscaped(m, Shown(spouse).record->Name);
      break;
    }
    case M::kChildSpHtm:
      if (s) ReplaceLink(m, "<a HREF=\"", s->Id, PageKind::kFamily);
      break;
    case M::kChildFacts:
      if (args_.facts) {
        ReplaceWith(m, [&](std::string& v) {
          AppendPersonFacts(*args_.facts, f.Children[args_.child_index], ssKidFact, v);
        });
      }
      break;
    case M::kChildCites:
    case M::kChildBCites:
    case M::kChildDCites:
      if (args_.facts) {
        const CitedFact which = m == M::kChildCites    ? CitedFact::kRecord
                                : m == M::kChildBCites ? CitedFact::kBirth
                                                       : CitedFact::kDeath;
        ReplaceWith(m, [&](std::string& v) {
          AppendPersonCites(*args_.facts, f.Children[args_.child_index], which, v);
        });
      }
      break;
    default:
      break;
  }
}

void Expander::LinkTemplate(M m, TStyleSection section, std::string_view picture,
                            const TPersonRec* person, std::string_view link_target) {
  const std::string_view text = kText[m];
  const std::size_t pos = FindMarkerText(*line_, text, p_);
  if (pos == std::string::npos) return;
  line_->erase(pos, text.size());
  if (pos == p_) replaced_at_p_ = true;
  InsertLinkTemplate(ctx_, *line_, pos, section, args_.family, picture, person, link_target);
}

// The lines of the SEARCHBOX section, expanded and joined in their order, in place of the marker.
void Expander::SearchBox(M m) {
  const std::string_view text = kText[m];
  const std::size_t pos = FindMarkerText(*line_, text, p_);
  if (pos == std::string::npos) return;
  std::string box;
  for (const std::string& template_line : ctx_.style.Section(ssSearchBox)) {
    std::string expanded(template_line);
    Expander(ctx_, args_, true).Run(expanded);
    box += expanded;
  }
  line_->replace(pos, text.size(), box);
  if (pos == p_) replaced_at_p_ = true;
}

void Expander::OtherFamilies(M m, const TPersonRec* spouse, const TPersonRec* current_partner,
                             bool husband_marker) {
  const std::string_view text = kText[m];
  const std::size_t pos = FindMarkerText(*line_, text, p_);
  if (pos == std::string::npos || spouse->SpouseFamilies.size() < 2) return;
  line_->erase(pos, text.size());
  if (pos == p_) replaced_at_p_ = true;
  for (const TFamilyRec* other : spouse->SpouseFamilies) {
    const TPersonRec* partner = husband_marker ? other->Wife : other->Husband;
    if (!partner || partner->Id.view() == current_partner->Id.view()) continue;
    value_.clear();
    value_.append("<a HREF=\"");
    AppendPageName(value_, other->Id, PageKind::kFamily);
    value_.append("\">");
    AppendHtmlEscaped(value_, Shown(partner).record->Name);
    value_.append("</a>, ");
    line_->insert(pos, value_);
  }
}

// Expands each line of the template section and inserts it at pos, so the lines stand in
// reverse order. Link markers inside template lines do not fire.
void InsertLinkTemplate(const PageContext& ctx, std::string& line, std::size_t pos,
                        TStyleSection section, const TFamilyRec* family, std::string_view picture,
                        const TPersonRec* person, std::string_view link_target) {
  const std::string image = PicturePath(ctx.settings, picture);
  const MarkerArgs template_args{family, 0, image, person};
  for (const std::string& template_line : ctx.style.Section(section)) {
    std::string expanded(template_line);
    Expander(ctx, template_args, true, link_target).Run(expanded);
    line.insert(pos, expanded);
  }
}

}  // namespace

std::string PicturePath(const TSettings& settings, std::string_view file) {
  if (settings.ImageDir.empty()) return std::string(file);
  std::string path = settings.ImageDir;
  path += '/';
  path.append(file);
  return path;
}

void ExpandMarkersInPlace(const PageContext& ctx, std::string& line, const MarkerArgs& args) {
  if (FindMarkerStart(line, 0) == std::string::npos) return;
  Expander(ctx, args, false).Run(line);
}

std::string ExpandMarkers(const PageContext& ctx, std::string_view line, const MarkerArgs& args) {
  std::string expanded(line);
  ExpandMarkersInPlace(ctx, expanded, args);
  return expanded;
}

void ReplaceMarker(std::string& line, std::string_view marker, std::string_view value) {
  const std::size_t pos = line.find(marker);
  if (pos != std::string::npos) line.replace(pos, marker.size(), value);
}

void ExpandLinkTemplate(const PageContext& ctx, std::string& line, std::string_view marker,
                        TStyleSection section, const TFamilyRec* family, std::string_view picture,
                        const TPersonRec* person) {
  const std::size_t pos = line.find(marker);
  if (pos == std::string::npos) return;
  line.erase(pos, marker.size());
  InsertLinkTemplate(ctx, line, pos, section, family, picture, person);
}

}  // namespace stirpex
