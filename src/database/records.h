// The three kinds of genealogy record: persons, families and notes.
//
// Records are plain values owned by the `Database` (database.h); they refer to each other with
// non-owning pointers that stay valid until the database is emptied (the next GEDCOM load).
// Their lists of other records are RecordLists (record_storage.h), filled through the database.
// Both sides of a link are kept exactly as the file states them: the database never completes
// or checks one side from the other. Text fields keep the file's bytes, cut to the capacity
// given by their type (see text.h); person and family Ids are stored in lower case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "database/record_storage.h"
#include "database/text.h"

namespace stirpex {

struct TFamilyRec;
struct TNoteRec;

// No record of the store (see TPersonRec::StoreRecord).
inline constexpr std::uint32_t kNoStoreRecord = 0xFFFFFFFFu;

// What a person's record says beyond the fields that are shown, for the privacy rules: flag
// bits of TPersonRec::Evidence.
enum PersonEvidence : std::uint8_t {
  kDeathRecorded = 1,       // a DEAT, BURI or CREM record, with or without a date
  kResnConfidential = 2,    // "1 RESN confidential" (GEDCOM 5.5.1; CONFIDENTIAL in 7)
  kResnPrivacy = 4,         // "1 RESN privacy"
  kResnLocked = 8,          // "1 RESN locked": kept, but it restricts nothing
  kChristeningApprox = 16,  // ChristeningYear is approximate ("ABT 1850": kAboutSlack later)
  kBurialApprox = 32,       // BurialYear is approximate
};

struct TPersonRec {
  Text<22> Id;          // cross-reference id without "@", lower case
  Text<40> Surname;     // text between the slashes of the first NAME (or the whole name)
  Text<90> Name;        // full name of the first NAME, slashes removed; key of look-ups by name
  char Sex = '\0';      // first character of SEX; NUL when the file had none
  Text<30> BirthDate;   // DATE inside BIRT, as written
  Text<90> BirthPlace;  // PLAC inside BIRT
  Text<30> DeathDate;
  Text<90> DeathPlace;
  TFamilyRec* ParentFamily = nullptr;     // the last FAMC
  RecordList<TFamilyRec> SpouseFamilies;  // FAMS lines in file order (repeats kept)
  RecordList<TNoteRec> Notes;             // inline notes and note pointers in file order
  Text<30> Picture;                       // from an "Image" note or the image list
  bool Excluded = false;                  // on the excluded list; never read from GEDCOM
  // Made by a HUSB, WIFE or CHIL reference before any INDI line named it; the first INDI
  // record with this id fills it instead of making a second person.
  bool Placeholder = false;
  std::uint8_t Evidence = 0;         // PersonEvidence bits
  std::int16_t ChristeningYear = 0;  // year named by the first dated CHR or BAPM (date_years.h)
  std::int16_t BurialYear = 0;       // year named by the first dated BURI or CREM read before
                                     // any death date; 0: none
  // The INDI record of the file that made the person, as the store numbers records
  // (GedcomStore); kNoStoreRecord for a placeholder no record filled, or a person made by hand.
  std::uint32_t StoreRecord = kNoStoreRecord;
};

// A restriction in the file (RESN confidential or privacy) keeps the person private whenever
// the privacy filter is on, whatever the lists say.
inline bool IsRestricted(const TPersonRec& person) {
  return (person.Evidence & (kResnConfidential | kResnPrivacy)) != 0;
}

struct TFamilyRec {
  Text<22> Id;  // lower case
  TPersonRec* Husband = nullptr;
  TPersonRec* Wife = nullptr;
  RecordList<TPersonRec> Children;  // CHIL lines in file order
  Text<30> MarrDate;
  Text<90> MarrPlace;
  RecordList<TNoteRec> Notes;
  Text<30> Picture;              // set only from the image list
  std::uint8_t Restriction = 0;  // kResn... bits (PersonEvidence) of the family's "1 RESN"
  // The first FAM record of the file with the family's id (GedcomStore numbering), or
  // kNoStoreRecord for a family only named by people.
  std::uint32_t StoreRecord = kNoStoreRecord;
};

// A restriction in the file on the family itself keeps its marriage, notes and picture private
// whenever the privacy filter is on.
inline bool IsRestricted(const TFamilyRec& family) {
  return (family.Restriction & (kResnConfidential | kResnPrivacy)) != 0;
}

struct TNoteRec {
  // Note records and pointers: the text between the first two "@" exactly as written (case
  // kept). Inline notes: "NOTE".
  Text<22> Id;
  // One entry per source line: the NOTE line's own text (inline notes only), then one entry per
  // CONT ("<br>" + value) or CONC (bare value) line. Stored as HTML: the "<br>" marks a new line.
  std::vector<std::string> Lines;
};

// Capacities by name, for code that cuts a text before it stores, finds or compares it.
inline constexpr std::size_t kIdCapacity = decltype(TPersonRec::Id)::kCapacity;
inline constexpr std::size_t kNameCapacity = decltype(TPersonRec::Name)::kCapacity;
inline constexpr std::size_t kSurnameCapacity = decltype(TPersonRec::Surname)::kCapacity;
static_assert(decltype(TFamilyRec::Id)::kCapacity == kIdCapacity &&
              decltype(TNoteRec::Id)::kCapacity == kIdCapacity);
// An entry of the surname list; also the reach of a NAME's closing "/" behind its opening one
// (a longer text between them is no surname).
inline constexpr std::size_t kSurnameListCapacity = 60;
// The header's source name and corporation.
inline constexpr std::size_t kHeaderTextCapacity = 60;

}  // namespace stirpex
