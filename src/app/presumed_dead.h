// Whether a person may be taken for dead, from what the file says of them and their relatives:
// the "Presumed &dead" criterion of the auto filter.
//
// A person is presumed dead when the file records a death, burial or cremation for them (with
// or without a date); or when their birth, by their own dated events, lies more than N years
// back; or, when their own birth and christening dates are missing, when the dates of their
// relatives put their birth more than N years back. With no evidence a person is presumed
// living. Every bound is the latest year a birth can be (database/date_years.h), with gaps
// generous enough that a living person is not freed by them:
//   their own christening, or a marriage (no one marries before kMinMarriageAge);
//   a parent's birth + kMaxParentAge;
//   a child's birth - kMinParentAge, a grandchild's - 2 * kMinParentAge;
//   a spouse's birth + kSpouseGap, a sibling's + kSiblingGap.
// A relative's birth is itself taken from their own dates only (birth, christening, death,
// burial, marriages): evidence never travels further than one relative. A parent's death says
// nothing more of a child than the parent's birth does: a death date entered wrongly must not
// free a living child. An approximate date ("ABT 1850") may lie kAboutSlack years later, and a
// date open at its end ("AFT 1850") bounds nothing.
#pragma once

#include <string>

#include "database/records.h"

namespace stirpex {

inline constexpr int kMinMarriageAge = 12;
inline constexpr int kMinParentAge = 12;
inline constexpr int kMaxParentAge = 60;
inline constexpr int kSpouseGap = 30;
inline constexpr int kSiblingGap = 25;
// Relatives of one kind looked at (a hostile file's family of a million children must not
// make the rule quadratic); leaving some out only leaves the person presumed living.
inline constexpr int kMaxRelativesOfAKind = 64;

struct Presumption {
  bool dead = false;
  // What decided, as a person reads it: "death recorded", "died 1850", "born 1950",
  // "married 1975", "no dates; child born 1990", "no evidence".
  std::string reason;
};

// The least age this rule lets a person reach, whatever N the user gave: people born within
// the last 100 years of whom the file records no death are still living often enough that a
// smaller N would publish some of them.
inline constexpr int kMinPresumedAge = 110;

// The presumption for person in current_year with N = max(max_age, kMinPresumedAge): dead when
// their birth lies before current_year - N.
Presumption PresumeDead(const TPersonRec& person, int current_year, int max_age);

}  // namespace stirpex
