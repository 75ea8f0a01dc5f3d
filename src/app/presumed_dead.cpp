#include "app/presumed_dead.h"

#include <algorithm>
#include <climits>

#include "database/date_years.h"

namespace stirpex {

namespace {

constexpr int kNoBound = INT_MAX;

// The latest year a birth can be, and what gave it: an event of the person ("born 1850") or
// of a relative ("child born 1850").
struct Bound {
  int year = kNoBound;
  const char* what = nullptr;  // "born", "christened", "died", "buried", "married"
  int shown = 0;               // the year the event names
  bool about = false;          // the date is approximate: the bound lies a little later
  const char* relation = nullptr;

  bool known() const { return year != kNoBound; }
  void Take(int bound, const char* event, int named, bool approximate,
            const char* relative = nullptr) {
    if (bound >= year) return;
    year = bound;
    what = event;
    shown = named;
    about = approximate;
    relation = relative;
  }
  // A relative's bound moved by the gap between them.
  void TakeFrom(const Bound& other, int gap, const char* relative) {
    if (other.known()) Take(other.year + gap, other.what, other.shown, other.about, relative);
  }
  std::string Text() const {
    std::string text = relation ? std::string(relation) + " " : std::string();
    return text + what + (about ? " about " : " ") + std::to_string(shown);
  }
};

// A year kept in a record, with the slack of an approximate date.
int ApproxYear(int year, bool approximate) {
  return approximate ? year + kAboutSlack : year;
}

void TakeDate(Bound& bound, std::string_view date, const char* event, int gap = 0) {
  const DateYears years = YearsOf(date);
  if (years.latest == kNoYear) return;
  bound.Take(years.latest + gap, event, years.named, years.latest != years.named);
}

void TakeDeath(Bound& bound, const TPersonRec& p) {
  TakeDate(bound, p.DeathDate, "died");
  if (p.BurialYear != 0) {
    const bool about = p.Evidence & kBurialApprox;
    bound.Take(ApproxYear(p.BurialYear, about), "buried", p.BurialYear, about);
  }
}

// Birth and christening: the dates that decide a person's own case.
Bound BirthDates(const TPersonRec& p) {
  Bound bound;
  TakeDate(bound, p.BirthDate, "born");
  if (p.ChristeningYear != 0) {
    const bool about = p.Evidence & kChristeningApprox;
    bound.Take(ApproxYear(p.ChristeningYear, about), "christened", p.ChristeningYear, about);
  }
  return bound;
}

void TakeMarriages(Bound& bound, const TPersonRec& p) {
  int seen = 0;
  for (const TFamilyRec* family : p.SpouseFamilies) {
    if (++seen > kMaxRelativesOfAKind) break;
    TakeDate(bound, family->MarrDate, "married", -kMinMarriageAge);
  }
}

// What a person's own dates say of their birth: every dated event bounds it.
Bound OwnBound(const TPersonRec& p) {
  Bound bound = BirthDates(p);
  TakeDeath(bound, p);
  TakeMarriages(bound, p);
  return bound;
}

// The tightest bound the relatives of p give.
void TakeRelatives(Bound& bound, const TPersonRec& p) {
  auto take = [&](const TPersonRec* relative, int gap, const char* relation) {
    if (relative && relative != &p) bound.TakeFrom(OwnBound(*relative), gap, relation);
  };
  if (const TFamilyRec* parents = p.ParentFamily) {
    // A parent's death bounds the child's birth only through the parent's own birth: a
    // death date entered wrongly must not free a living child.
    take(parents->Husband, kMaxParentAge, "parent");
    take(parents->Wife, kMaxParentAge, "parent");
    int siblings = 0;
    for (const TPersonRec* sibling : parents->Children) {
      if (++siblings > kMaxRelativesOfAKind) break;
      take(sibling, kSiblingGap, "sibling");
    }
  }
  int families = 0;
  for (const TFamilyRec* family : p.SpouseFamilies) {
    if (++families > kMaxRelativesOfAKind) break;
    take(family->Husband == &p ? family->Wife : family->Husband, kSpouseGap, "spouse");
    int children = 0;
    for (const TPersonRec* child : family->Children) {
      if (++children > kMaxRelativesOfAKind) break;
      take(child, -kMinParentAge, "child");
      if (!child || child == &p) continue;
      int child_families = 0;
      for (const TFamilyRec* own : child->SpouseFamilies) {
        if (++child_families > kMaxRelativesOfAKind) break;
        int grandchildren = 0;
        for (const TPersonRec* grandchild : own->Children) {
          if (++grandchildren > kMaxRelativesOfAKind) break;
          take(grandchild, -2 * kMinParentAge, "grandchild");
        }
      }
    }
  }
}

}  // namespace

Presumption PresumeDead(const TPersonRec& person, int current_year, int max_age) {
  max_age = std::max(max_age, kMinPresumedAge);
  if ((person.Evidence & kDeathRecorded) || !person.DeathDate.empty()) {
    Bound death;
    TakeDeath(death, person);
    return {true, death.known() ? death.Text() : "death recorded"};
  }
  // A birth or christening date decides alone; otherwise marriages and relatives bound it.
  Bound bound = BirthDates(person);
  if (!bound.known()) {
    TakeMarriages(bound, person);
    const bool own_dates = bound.known();
    TakeRelatives(bound, person);
    if (bound.known() && bound.relation && !own_dates) {
      return {bound.year < current_year - max_age, "no dates; " + bound.Text()};
    }
  }
  if (!bound.known()) return {false, "no evidence"};
  return {bound.year < current_year - max_age, bound.Text()};
}

}  // namespace stirpex
