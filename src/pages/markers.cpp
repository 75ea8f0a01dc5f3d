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
#include "pages/template/compiled_style.h"

namespace stirpex {

namespace {

// --- What the rules write -----------------------------------------------------------------

using Call = MarkerCall;

bool Escaped(std::string& v, std::string_view text) {
  AppendHtmlEscaped(v, text);
  return true;
}
bool Text(std::string& v, std::string_view text) {
  v.append(text);
  return true;
}
// Date(t) of a shown person: the date, or masked.
bool Date(const Call& c, std::string& v, std::string_view date, bool mask) {
  if (mask && !date.empty()) return Escaped(v, c.ctx.privacy.PageDate(date, true));
  return Escaped(v, date);
}
// Place(t): " in: " + t, only when t is not empty.
bool Place(std::string& v, std::string_view place) {
  if (place.empty()) return false;
  v.append(" in: ");
  return Escaped(v, place);
}
// As Place(t), the place linked to its page when it has one.
bool LinkedPlace(const Call& c, std::string& v, std::string_view place) {
  if (place.empty()) return false;
  v.append(" in: ");
  AppendLinkedPlace(c.ctx, v, place);
  return true;
}
// Tag(f): the picture tag with ImageDir before the file name.
bool Tag(const Call& c, std::string& v, std::string_view file) {
  v.append("<img src=\"");
  AppendHtmlEscaped(v, PicturePath(c.ctx.settings, file));
  v.append("\">");
  return true;
}
bool Link(std::string& v, std::string_view opening, std::string_view id, PageKind kind) {
  v.append(opening);
  AppendPageName(v, id, kind);
  v.append("\">");
  return true;
}
bool PageNameOf(std::string& v, std::string_view id, PageKind kind) {
  AppendPageName(v, id, kind);
  return true;
}

// The link template of section in place of the marker: each template line expanded for (the
// page's family, child 0, the picture, person), the lines standing in reverse order, joined.
// Link markers inside template lines do not fire, so a template cannot call itself; an empty
// section leaves nothing.
bool LinkTemplate(const Call& c, std::string& v, TStyleSection section, std::string_view picture,
                  const TPersonRec* person, std::string_view link_target = {}) {
  if (c.in_template) return false;
  const std::string image = PicturePath(c.ctx.settings, picture);
  const MarkerArgs args{c.args.family, 0, image, person};
  const Call call{c.ctx, args, true, link_target};
  const std::span<const CompiledLine> lines = c.ctx.style.Compiled().Section(section);
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) AppendExpanded(call, *line, v);
  return true;
}

ShownPerson Shown(const Call& c, const TPersonRec* x) {
  return c.ctx.privacy.Show(x);
}
bool IsPrivate(const Call& c, const TPersonRec& x) {
  return &x == c.ctx.privacy.PrivatePerson();
}

// --- Page-wide ----------------------------------------------------------------------------

// The lines of the SEARCHBOX section, expanded and joined in their order. Only a written site
// has a search page to lead to; elsewhere the marker leaves nothing. Inside the box itself it
// stays a comment: the box cannot hold itself.
bool SearchBox(const Call& c, std::string& v) {
  if (!c.ctx.site_search) return true;
  if (c.in_template) return false;
  const Call call{c.ctx, c.args, true};
  for (const CompiledLine& line : c.ctx.style.Compiled().Section(ssSearchBox)) {
    AppendExpanded(call, line, v);
  }
  return true;
}

// The indexes of sources and places: viewer and site alike show them, when the style makes
// them.
bool IndexLink(const Call& c, std::string& v, TStyleSection index, TStyleSection link,
               std::string_view page) {
  if (c.ctx.style.Section(index).empty()) return true;
  return LinkTemplate(c, v, link, {}, nullptr, page);
}

constexpr MarkerDef kPageWide[] = {
    {"<!--^Date^-->", [](const Call& c, std::string& v) { return Text(v, c.ctx.today); }},
    {"<!--^Surnameshtm^-->",
     [](const Call& c, std::string& v) {
       v.append("<A HREF=\"");
       AppendHtmlEscaped(v, c.ctx.index_page_name);
       return Text(v, "\">");
     }},
    {"<!--^ImageName^-->",
     [](const Call& c, std::string& v) {
       v.append("<img src=\"");
       AppendHtmlEscaped(v, c.args.image_name);
       return Text(v, "\">");
     }},
    {"<!--^Charset^-->",
     [](const Call& c, std::string& v) { return Text(v, c.ctx.privacy.PageCharset()); }},
    {"<!--^SearchBox^-->", SearchBox},
    {"<!--^SearchScript^-->",
     [](const Call& c, std::string& v) {
       return Text(v, c.ctx.site_search ? "<script src=\"search.js\"></script>" : "");
     }},
    // As the search box: only a written site has a statistics page to lead to.
    {"<!--^StatsLink^-->",
     [](const Call& c, std::string& v) {
       if (!c.ctx.site_statistics) return true;
       return LinkTemplate(c, v, ssStatsLink, {}, nullptr, kStatisticsPageName);
     }},
    {"<!--^SourcesLink^-->",
     [](const Call& c, std::string& v) {
       return IndexLink(c, v, ssSourcesIndex, ssSourcesLink, kSourcesIndexPageName);
     }},
    {"<!--^PlacesLink^-->",
     [](const Call& c, std::string& v) {
       return IndexLink(c, v, ssPlacesIndex, ssPlacesLink, kPlacesIndexPageName);
     }},
    {"<!--^ChartRef^-->",
     [](const Call& c, std::string& v) {
       return !c.link_target.empty() && Escaped(v, c.link_target);
     }},
    {"<!--^SourceList^-->",
     [](const Call& c, std::string& v) {
       if (!c.args.facts) return false;
       AppendSourceList(*c.args.facts, v);
       return true;
     }},
    // The title of a record page, filled by its builder.
    {"<!--^PageTitle^-->",
     [](const Call& c, std::string& v) {
       return c.args.page_title != nullptr && Escaped(v, *c.args.page_title);
     }},
    // Lines their builders fill whole: the note text of a page, the index's contents and its
    // people, a chart, a record page's body.
    {"<!--^NoteText^-->"},
    {"<!--^SNContents^-->"},
    {"<!--^SNPeople^-->"},
    {"<!--^Chart^-->"},
    {"<!--^PageBody^-->"},
    // Known names without a rule.
    {"<!--^HUSBNOTE"},
    {"<!--^WIFENOTE"},
    {"<!--^OTHERHTM"},
};

// --- The page's person --------------------------------------------------------------------

// The rules of the page's person (and its ancestors) fire only on a page that has one.
template <bool (*Rule)(const Call&, const TPersonRec&, bool, std::string&)>
bool PersonRule(const Call& c, std::string& v) {
  if (!c.args.person) return false;
  const ShownPerson shown = Shown(c, c.args.person);
  return Rule(c, *shown.record, shown.MaskDates, v);
}

// The record shown in ancestor slot k (0 father, 1 mother, then 2k+2 and 2k+3 the parents of
// slot k), or null. Slot k's father and mother are reached through the parent family of the
// record shown in slot k: a person replaced by the private person ends the line.
const TPersonRec* Ancestor(const Call& c, std::size_t k) {
  AncestorSlots& slots = c.args.ancestors;
  if (!slots.ready) {
    const TFamilyRec* parents = Shown(c, c.args.person).record->ParentFamily;
    if (parents) {
      slots.shown[0] = Shown(c, parents->Husband);
      slots.shown[1] = Shown(c, parents->Wife);
      for (std::size_t i = 0; 2 * i + 3 < AncestorSlots::kCount; ++i) {
        const TPersonRec* child = slots.shown[i].record;
        const TFamilyRec* family = child ? child->ParentFamily : nullptr;
        if (!family) continue;
        slots.shown[2 * i + 2] = Shown(c, family->Husband);
        slots.shown[2 * i + 3] = Shown(c, family->Wife);
      }
    }
    slots.ready = true;
  }
  return slots.shown[k].record;
}

template <std::size_t K>
bool AncestorRule(const Call& c, std::string& v) {
  if (!c.args.person) return false;
  const TPersonRec* ancestor = Ancestor(c, K);
  if (!ancestor) return false;
  if (IsPrivate(c, *ancestor)) return Escaped(v, ancestor->Name);  // no tree page to link to
  v.append("<A HREF=\"");
  AppendPageName(v, ancestor->Id, PageKind::kTree);
  v.append("\">");
  AppendHtmlEscaped(v, ancestor->Name);
  return Text(v, "</a>");
}

// A family's picture is the partners' as much as the family's (privacy.h).
bool ShowsFamilyPicture(const Call& c, const TFamilyRec& f) {
  return !f.Picture.empty() && c.ctx.privacy.ShowsFamilyPicture(&f);
}

// "<!--^PictRef^-->" is the person's picture page on a page with a person who has a picture,
// and the family's otherwise (and on the marker's next occurrence in the line).
bool PersonPictRef(const Call& c, std::string& v) {
  if (!c.args.person) return false;
  const TPersonRec& p = *Shown(c, c.args.person).record;
  return !p.Picture.empty() && PageNameOf(v, p.Id, PageKind::kPicture);
}
bool FamilyPictRef(const Call& c, std::string& v) {
  return c.args.family && ShowsFamilyPicture(c, *c.args.family) &&
         PageNameOf(v, c.args.family->Id, PageKind::kPicture);
}

constexpr MarkerDef kPerson[] = {
    {"<!--^Name^-->", PersonRule<[](const Call&, const TPersonRec& p, bool, std::string& v) {
       return Escaped(v, p.Name);
     }>},
    {"<!--^BDate^-->", PersonRule<[](const Call& c, const TPersonRec& p, bool mask,
                                     std::string& v) { return Date(c, v, p.BirthDate, mask); }>},
    {"<!--^BPlace^-->", PersonRule<[](const Call&, const TPersonRec& p, bool, std::string& v) {
       return Escaped(v, p.BirthPlace);
     }>},
    {"<!--^DDate^-->", PersonRule<[](const Call& c, const TPersonRec& p, bool mask,
                                     std::string& v) { return Date(c, v, p.DeathDate, mask); }>},
    {"<!--^DPlace^-->", PersonRule<[](const Call&, const TPersonRec& p, bool, std::string& v) {
       return Escaped(v, p.DeathPlace);
     }>},
    {"<!--^PictRef^-->", PersonPictRef, FamilyPictRef},
    {"<!--^PicLink^-->",
     PersonRule<[](const Call& c, const TPersonRec& p, bool, std::string& v) {
       return !p.Picture.empty() && LinkTemplate(c, v, ssPicLink, p.Picture, &p);
     }>},
    // The private person stands for someone else and has no pages of its own: a link to
    // "tr.htm" or "nt.htm" would lead nowhere.
    {"<!--^TreeRef^-->",
     PersonRule<[](const Call& c, const TPersonRec& p, bool, std::string& v) {
       return !IsPrivate(c, p) && PageNameOf(v, p.Id, PageKind::kTree);
     }>},
    {"<!--^NoteRef^-->",
     PersonRule<[](const Call& c, const TPersonRec& p, bool, std::string& v) {
       return !IsPrivate(c, p) && PageNameOf(v, p.Id, PageKind::kNote);
     }>},
    {"<!--^SelfHtm^-->",
     PersonRule<[](const Call&, const TPersonRec& p, bool, std::string& v) {
       return !p.SpouseFamilies.empty() &&
              Link(v, "<A HREF=\"", p.SpouseFamilies.front()->Id, PageKind::kFamily);
     }>},
    // The parent family of the page's person, and its ancestors over four generations.
    {"<!--^FamHtm^-->",
     [](const Call& c, std::string& v) {
       if (!c.args.person) return false;
       const TFamilyRec* parents = Shown(c, c.args.person).record->ParentFamily;
       return parents && Link(v, "<A HREF=\"", parents->Id, PageKind::kFamily);
     }},
    {"<!--^Father^-->", AncestorRule<0>},
    {"<!--^Mother^-->", AncestorRule<1>},
    {"<!--^FFather^-->", AncestorRule<2>},
    {"<!--^FMother^-->", AncestorRule<3>},
    {"<!--^MFather^-->", AncestorRule<4>},
    {"<!--^MMother^-->", AncestorRule<5>},
    {"<!--^FFFather^-->", AncestorRule<6>},
    {"<!--^FFMother^-->", AncestorRule<7>},
    {"<!--^FMFather^-->", AncestorRule<8>},
    {"<!--^FMMother^-->", AncestorRule<9>},
    {"<!--^MFFather^-->", AncestorRule<10>},
    {"<!--^MFMother^-->", AncestorRule<11>},
    {"<!--^MMFather^-->", AncestorRule<12>},
    {"<!--^MMMother^-->", AncestorRule<13>},
};

// --- The family ---------------------------------------------------------------------------

template <bool (*Rule)(const Call&, const TFamilyRec&, std::string&)>
bool FamilyRule(const Call& c, std::string& v) {
  return c.args.family && Rule(c, *c.args.family, v);
}

bool ChartLink(const Call& c, std::string& v, bool fan) {
  if (c.in_template) return false;
  const TFamilyRec& f = *c.args.family;
  // Only to a page the style makes and the family has.
  const std::string target = fan ? FanChartPage(c.ctx, f) : DescendantChartPage(c.ctx, f);
  return !target.empty() && LinkTemplate(c, v, fan ? ssFanLink : ssDescLink, {}, nullptr, target);
}

constexpr MarkerDef kFamily[] = {
    {"<!--^MarrDate^-->", FamilyRule<[](const Call& c, const TFamilyRec& f, std::string& v) {
       return Escaped(v, c.ctx.privacy.PageMarriage(f).date);
     }>},
    {"<!--^MarrPlace^-->", FamilyRule<[](const Call& c, const TFamilyRec& f, std::string& v) {
       return Place(v, c.ctx.privacy.PageMarriage(f).place);
     }>},
    {"<!--^MarrPic^-->", FamilyRule<[](const Call& c, const TFamilyRec& f, std::string& v) {
       return ShowsFamilyPicture(c, f) && Tag(c, v, f.Picture);
     }>},
    {"<!--^MarrPicLink^-->", FamilyRule<[](const Call& c, const TFamilyRec& f, std::string& v) {
       return ShowsFamilyPicture(c, f) && LinkTemplate(c, v, ssPicLink, f.Picture, nullptr);
     }>},
    // "A and B", or the one partner the family has: never a dangling "and" (a title cannot
    // hide a marker left as a comment).
    {"<!--^Partners^-->", FamilyRule<[](const Call& c, const TFamilyRec& f, std::string& v) {
       bool first = true;
       for (const TPersonRec* partner : {f.Husband, f.Wife}) {
         if (!partner) continue;
         const std::string_view name = Shown(c, partner).record->Name.view();
         if (name.empty()) continue;
         if (!first) v.append(" and ");
         first = false;
         AppendHtmlEscaped(v, name);
       }
       return true;
     }>},
    {"<!--^FanLink^-->", FamilyRule<[](const Call& c, const TFamilyRec&, std::string& v) {
       return ChartLink(c, v, true);
     }>},
    {"<!--^DescLink^-->", FamilyRule<[](const Call& c, const TFamilyRec&, std::string& v) {
       return ChartLink(c, v, false);
     }>},
    {"<!--^FamilyRef^-->", FamilyRule<[](const Call&, const TFamilyRec& f, std::string& v) {
       return PageNameOf(v, f.Id, PageKind::kFamily);
     }>},
    {"<!--^FamilyFacts^-->", FamilyRule<[](const Call& c, const TFamilyRec& f, std::string& v) {
       if (!c.args.facts) return false;
       AppendFamilyFacts(*c.args.facts, f, ssFactRow, v);
       return true;
     }>},
    {"<!--^MarriedIn^-->", FamilyRule<[](const Call& c, const TFamilyRec& f, std::string& v) {
       return LinkedPlace(c, v, c.ctx.privacy.PageMarriage(f).place);
     }>},
    {"<!--^MarrCites^-->", FamilyRule<[](const Call& c, const TFamilyRec& f, std::string& v) {
       if (!c.args.facts) return false;
       AppendMarriageCites(*c.args.facts, f, v);
       return true;
     }>},
};

// --- Husband and wife ---------------------------------------------------------------------

// What a partner's rule is given: the partner as the file has them, as shown, and the other
// partner.
struct Partner {
  const TPersonRec* real;
  ShownPerson shown;
  const TPersonRec* other;
};

// The partner of the page's family that a husband (H) or wife marker names; false when the
// page has no family or the family no such partner.
template <bool H>
bool PartnerOf(const Call& c, Partner& p) {
  if (!c.args.family) return false;
  const TFamilyRec& f = *c.args.family;
  p.real = H ? f.Husband : f.Wife;
  if (!p.real) return false;
  p.shown = Shown(c, p.real);
  p.other = H ? f.Wife : f.Husband;
  return true;
}

template <bool H, bool (*Rule)(const Call&, const Partner&, std::string&)>
bool SpouseRule(const Call& c, std::string& v) {
  Partner p;
  return PartnerOf<H>(c, p) && Rule(c, p, v);
}

bool SpouseName(const Call&, const Partner& p, std::string& v) {
  return Escaped(v, p.shown.record->Name);
}
bool SpouseBirthDate(const Call& c, const Partner& p, std::string& v) {
  return Date(c, v, p.shown.record->BirthDate, p.shown.MaskDates);
}
bool SpouseBirthPlace(const Call&, const Partner& p, std::string& v) {
  return Place(v, p.shown.record->BirthPlace);
}
bool SpouseDeathDate(const Call& c, const Partner& p, std::string& v) {
  return Date(c, v, p.shown.record->DeathDate, p.shown.MaskDates);
}
bool SpouseDeathPlace(const Call&, const Partner& p, std::string& v) {
  return Place(v, p.shown.record->DeathPlace);
}
bool SpouseBornIn(const Call& c, const Partner& p, std::string& v) {
  return LinkedPlace(c, v, p.shown.record->BirthPlace);
}
bool SpouseDiedIn(const Call& c, const Partner& p, std::string& v) {
  return LinkedPlace(c, v, p.shown.record->DeathPlace);
}

// "Also married": links to the partner's other families, each followed by ", ", the family
// of the page left out, in reverse order of the partner's families (each was put in front of
// the ones before).
template <bool H>
bool OtherFamilies(const Call& c, const Partner& p, std::string& v) {
  const TPersonRec& s = *p.shown.record;
  if (s.SpouseFamilies.size() < 2 || !p.other) return false;
  const auto& families = s.SpouseFamilies;
  for (std::size_t i = families.size(); i-- > 0;) {
    const TFamilyRec* other = families[i];
    const TPersonRec* partner = H ? other->Wife : other->Husband;
    if (!partner || partner->Id.view() == p.other->Id.view()) continue;
    v.append("<a HREF=\"");
    AppendPageName(v, other->Id, PageKind::kFamily);
    v.append("\">");
    AppendHtmlEscaped(v, Shown(c, partner).record->Name);
    v.append("</a>, ");
  }
  return true;
}

bool SpouseTreeLink(const Call& c, const Partner& p, std::string& v) {
  const TPersonRec& s = *p.shown.record;
  return c.ctx.settings.IncludeTrees && !IsPrivate(c, s) &&
         LinkTemplate(c, v, ssTreeLink, s.Picture, &s);
}
bool SpouseNoteLink(const Call& c, const Partner& p, std::string& v) {
  const TPersonRec& s = *p.shown.record;
  return !s.Notes.empty() && LinkTemplate(c, v, ssNoteLink, s.Picture, &s);
}
bool SpousePicLink(const Call& c, const Partner& p, std::string& v) {
  const TPersonRec& s = *p.shown.record;
  return !s.Picture.empty() && LinkTemplate(c, v, ssPicLink, s.Picture, &s);
}
bool SpousePic(const Call& c, const Partner& p, std::string& v) {
  return !p.shown.record->Picture.empty() && Tag(c, v, p.shown.record->Picture);
}
bool SpouseFamHtm(const Call&, const Partner& p, std::string& v) {
  const TFamilyRec* parents = p.shown.record->ParentFamily;
  return parents && Link(v, "<A HREF=\"", parents->Id, PageKind::kFamily);
}
template <bool Father>
bool SpouseParent(const Call& c, const Partner& p, std::string& v) {
  const TFamilyRec* parents = p.shown.record->ParentFamily;
  if (!parents) return false;
  const TPersonRec* parent = Father ? parents->Husband : parents->Wife;
  return parent && Escaped(v, Shown(c, parent).record->Name);
}

// What the file says of the partner beyond the fields is read from their own record
// (family_facts.h, which asks the privacy layer).
bool SpouseFacts(const Call& c, const Partner& p, std::string& v) {
  if (!c.args.facts) return false;
  AppendPersonFacts(*c.args.facts, p.real, ssFactRow, v);
  return true;
}
template <CitedFact Which>
bool SpouseCites(const Call& c, const Partner& p, std::string& v) {
  if (!c.args.facts) return false;
  AppendPersonCites(*c.args.facts, p.real, Which, v);
  return true;
}
bool SpouseAlso(const Call& c, const Partner& p, std::string& v) {
  if (!c.args.facts) return false;
  AppendOtherNames(*c.args.facts, p.real, ssFactRow, v);
  return true;
}
bool SpouseAssoc(const Call& c, const Partner& p, std::string& v) {
  if (!c.args.facts) return false;
  AppendAssociations(*c.args.facts, p.real, ssFactRow, v);
  return true;
}
bool SpouseMedia(const Call& c, const Partner& p, std::string& v) {
  if (!c.args.facts) return false;
  AppendPersonMedia(*c.args.facts, p.real, v);
  return true;
}

constexpr MarkerDef kHusband[] = {
    {"<!--^HusbName^-->", SpouseRule<true, SpouseName>},
    {"<!--^HusbBday^-->", SpouseRule<true, SpouseBirthDate>},
    {"<!--^HusbBPlace^-->", SpouseRule<true, SpouseBirthPlace>},
    {"<!--^HusbDeath^-->", SpouseRule<true, SpouseDeathDate>},
    {"<!--^HusbDPlace^-->", SpouseRule<true, SpouseDeathPlace>},
    {"<!--^HusbBornIn^-->", SpouseRule<true, SpouseBornIn>},
    {"<!--^HusbDiedIn^-->", SpouseRule<true, SpouseDiedIn>},
    {"<!--^HusbOtherHtm^-->", SpouseRule<true, OtherFamilies<true>>},
    {"<!--^HTreeLink^-->", SpouseRule<true, SpouseTreeLink>},
    {"<!--^HNoteLink^-->", SpouseRule<true, SpouseNoteLink>},
    {"<!--^HusbPicLink^-->", SpouseRule<true, SpousePicLink>},
    {"<!--^HusbPic^-->", SpouseRule<true, SpousePic>},
    {"<!--^HusbFamHtm^-->", SpouseRule<true, SpouseFamHtm>},
    {"<!--^HusbFather^-->", SpouseRule<true, SpouseParent<true>>},
    {"<!--^HusbMother^-->", SpouseRule<true, SpouseParent<false>>},
    {"<!--^HusbFacts^-->", SpouseRule<true, SpouseFacts>},
    {"<!--^HusbCites^-->", SpouseRule<true, SpouseCites<CitedFact::kRecord>>},
    {"<!--^HusbBCites^-->", SpouseRule<true, SpouseCites<CitedFact::kBirth>>},
    {"<!--^HusbDCites^-->", SpouseRule<true, SpouseCites<CitedFact::kDeath>>},
    {"<!--^HusbAlso^-->", SpouseRule<true, SpouseAlso>},
    {"<!--^HusbAssoc^-->", SpouseRule<true, SpouseAssoc>},
    {"<!--^HusbMedia^-->", SpouseRule<true, SpouseMedia>},
};
constexpr MarkerDef kWife[] = {
    {"<!--^WifeName^-->", SpouseRule<false, SpouseName>},
    {"<!--^WifeBday^-->", SpouseRule<false, SpouseBirthDate>},
    {"<!--^WifeBPlace^-->", SpouseRule<false, SpouseBirthPlace>},
    {"<!--^WifeDeath^-->", SpouseRule<false, SpouseDeathDate>},
    {"<!--^WifeDPlace^-->", SpouseRule<false, SpouseDeathPlace>},
    {"<!--^WifeBornIn^-->", SpouseRule<false, SpouseBornIn>},
    {"<!--^WifeDiedIn^-->", SpouseRule<false, SpouseDiedIn>},
    {"<!--^WifeOtherHtm^-->", SpouseRule<false, OtherFamilies<false>>},
    {"<!--^WTreeLink^-->", SpouseRule<false, SpouseTreeLink>},
    {"<!--^WNoteLink^-->", SpouseRule<false, SpouseNoteLink>},
    {"<!--^WifePicLink^-->", SpouseRule<false, SpousePicLink>},
    {"<!--^WifePic^-->", SpouseRule<false, SpousePic>},
    {"<!--^WifeFamHtm^-->", SpouseRule<false, SpouseFamHtm>},
    {"<!--^WifeFather^-->", SpouseRule<false, SpouseParent<true>>},
    {"<!--^WifeMother^-->", SpouseRule<false, SpouseParent<false>>},
    {"<!--^WifeFacts^-->", SpouseRule<false, SpouseFacts>},
    {"<!--^WifeCites^-->", SpouseRule<false, SpouseCites<CitedFact::kRecord>>},
    {"<!--^WifeBCites^-->", SpouseRule<false, SpouseCites<CitedFact::kBirth>>},
    {"<!--^WifeDCites^-->", SpouseRule<false, SpouseCites<CitedFact::kDeath>>},
    {"<!--^WifeAlso^-->", SpouseRule<false, SpouseAlso>},
    {"<!--^WifeAssoc^-->", SpouseRule<false, SpouseAssoc>},
    {"<!--^WifeMedia^-->", SpouseRule<false, SpouseMedia>},
};

// --- The child of the child block ---------------------------------------------------------

struct Kid {
  const TPersonRec* real;
  ShownPerson shown;
  const TFamilyRec* family;  // the child's first own family, or none
};

template <bool (*Rule)(const Call&, const Kid&, std::string&)>
bool ChildRule(const Call& c, std::string& v) {
  if (!c.args.family || c.args.child_index >= c.args.family->Children.size()) return false;
  const TPersonRec* real = c.args.family->Children[c.args.child_index];
  const ShownPerson shown = Shown(c, real);
  const auto& own = shown.record->SpouseFamilies;
  return Rule(c, Kid{real, shown, own.empty() ? nullptr : own.front()}, v);
}

bool ChildCites(const Call& c, const Kid& k, CitedFact which, std::string& v) {
  if (!c.args.facts) return false;
  AppendPersonCites(*c.args.facts, k.real, which, v);
  return true;
}

constexpr MarkerDef kChild[] = {
    {"<!--^ChildName^-->", ChildRule<[](const Call&, const Kid& k, std::string& v) {
       return Escaped(v, k.shown.record->Name);
     }>},
    {"<!--^ChildBday^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return Date(c, v, k.shown.record->BirthDate, k.shown.MaskDates);
     }>},
    {"<!--^ChildBPlace^-->", ChildRule<[](const Call&, const Kid& k, std::string& v) {
       return Place(v, k.shown.record->BirthPlace);
     }>},
    {"<!--^ChildDeath^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return Date(c, v, k.shown.record->DeathDate, k.shown.MaskDates);
     }>},
    {"<!--^ChildDPlace^-->", ChildRule<[](const Call&, const Kid& k, std::string& v) {
       return Place(v, k.shown.record->DeathPlace);
     }>},
    {"<!--^ChildPLink^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       const TPersonRec& s = *k.shown.record;
       return !s.Picture.empty() && LinkTemplate(c, v, ssPicLink, s.Picture, &s);
     }>},
    // The bare file name: the child picture never takes the ImageDir folder.
    {"<!--^ChildPic^-->", ChildRule<[](const Call&, const Kid& k, std::string& v) {
       if (k.shown.record->Picture.empty()) return false;
       v.append("<img src=\"");
       AppendHtmlEscaped(v, k.shown.record->Picture);
       return Text(v, "\">");
     }>},
    {"<!--^ChildDMDate^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return k.family && Escaped(v, c.ctx.privacy.PageMarriage(*k.family).date);
     }>},
    {"<!--^ChildDMPlace^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return k.family && Place(v, c.ctx.privacy.PageMarriage(*k.family).place);
     }>},
    {"<!--^ChildSpouse^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       if (!k.family) return false;
       const char sex = k.shown.record->Sex;
       const TPersonRec* spouse =
           sex == 'M' ? k.family->Wife : sex == 'F' ? k.family->Husband : nullptr;
       return spouse && Escaped(v, Shown(c, spouse).record->Name);
     }>},
    {"<!--^ChildSpHtm^-->", ChildRule<[](const Call&, const Kid& k, std::string& v) {
       return k.family && Link(v, "<a HREF=\"", k.family->Id, PageKind::kFamily);
     }>},
    {"<!--^ChildFacts^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       if (!c.args.facts) return false;
       AppendPersonFacts(*c.args.facts, k.real, ssKidFact, v);
       return true;
     }>},
    {"<!--^ChildCites^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return ChildCites(c, k, CitedFact::kRecord, v);
     }>},
    {"<!--^ChildBCites^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return ChildCites(c, k, CitedFact::kBirth, v);
     }>},
    {"<!--^ChildDCites^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return ChildCites(c, k, CitedFact::kDeath, v);
     }>},
    {"<!--^ChildBornIn^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return LinkedPlace(c, v, k.shown.record->BirthPlace);
     }>},
    {"<!--^ChildDiedIn^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return LinkedPlace(c, v, k.shown.record->DeathPlace);
     }>},
    {"<!--^ChildMarrIn^-->", ChildRule<[](const Call& c, const Kid& k, std::string& v) {
       return k.family && LinkedPlace(c, v, c.ctx.privacy.PageMarriage(*k.family).place);
     }>},
};

}  // namespace

std::string PicturePath(const TSettings& settings, std::string_view file) {
  if (settings.ImageDir.empty()) return std::string(file);
  std::string path = settings.ImageDir;
  path += '/';
  path.append(file);
  return path;
}

const MarkerSet& PageMarkers() {
  static const MarkerSet markers({kPageWide, kPerson, kFamily, kHusband, kWife, kChild});
  return markers;
}

void ExpandMarkersInPlace(const PageContext& ctx, std::string& line, const MarkerArgs& args) {
  if (FindMarkerStart(line, 0) == std::string::npos) return;
  ExpandInterpreted(PageMarkers(), MarkerCall{ctx, args}, line);
}

std::string ExpandMarkers(const PageContext& ctx, std::string_view line, const MarkerArgs& args) {
  std::string expanded(line);
  ExpandMarkersInPlace(ctx, expanded, args);
  return expanded;
}

void AppendExpanded(const PageContext& ctx, const CompiledLine& line, const MarkerArgs& args,
                    std::string& out) {
  AppendExpanded(MarkerCall{ctx, args}, line, out);
}

void AppendExpandedLine(const PageContext& ctx, const CompiledLine& line, const MarkerArgs& args,
                        PageLines& out) {
  AppendExpanded(MarkerCall{ctx, args}, line, out.OpenLine());
  out.CloseLine();
}

void ReplaceMarker(std::string& line, std::string_view marker, std::string_view value) {
  const std::size_t pos = line.find(marker);
  if (pos != std::string::npos) line.replace(pos, marker.size(), value);
}

}  // namespace stirpex
