// The privacy layer: the tree as it may be shown. Every output asks here and nowhere else:
// the page builders, the web-site pass (pages of their own, pictures copied), the surname
// index, the search data, the GEDCOM and GENDEX writers.
//
// The people filter marks excluded (living) people with `Excluded`. While the filter is on
// (`ExcDoExclude`) an excluded person is either replaced by the one shared `PrivatePerson` (a
// fixed name and nothing else: no dates, places, notes, pictures or pages of their own, and no
// entry in any listing), or, with `ExcMaskDateOnly`, shown under their own record with every
// year of their dates masked ("12 MAR 19xx") or, with `ReplaceDate`, each date replaced by the
// `PrivateDate` text. A restriction in the file (RESN confidential or privacy) protects a
// person whatever the lists say, and always by replacing them: the file asks that they are not
// shown at all.
//
// A family's marriage (like every event of a family) is an event of each partner: while either
// partner is replaced, its date and place are shown nowhere, and so are the family's notes and
// pictures; while a partner's dates are masked, the marriage date is masked as theirs are. A
// restriction in the file on the family itself hides its marriage, notes and pictures while
// the filter is on (its partners and children are shown as their own rules say). While the
// exclude list in force could not be read, nothing may be exported at all (Refusal).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "database/records.h"
#include "settings/settings.h"

namespace stirpex {

// What a page shows for one person: the record to write (the person, the private person, or
// none when no person was given) and whether its dates are masked.
struct ShownIndexes;

struct ShownPerson {
  const TPersonRec* record = nullptr;
  bool MaskDates = false;
};

// A person's dates as one output writes them.
struct ShownDates {
  std::string birth;
  std::string death;
};

// A family's marriage as one output writes it; empty texts are left out.
struct ShownMarriage {
  std::string date;
  std::string place;
};

class ShownTree {
 public:
  // Both must outlive the view; it reads their state at each question.
  ShownTree(const Database& db, const TSettings& settings) : db_(db), settings_(settings) {}

  // "Exclude list cannot be read: " + path while the filter is on and the exclude list in
  // force could not be read (Database::UnreadableExcludeList); empty otherwise. Exports write
  // nothing while it is not empty.
  std::string Refusal() const;

  // --- People (each question takes null and answers as for nobody) ---
  // Filter on, and the person excluded or restricted by the file.
  bool IsProtected(const TPersonRec* person) const;
  // Protected and shown as the private person: ExcMaskDateOnly off, or restricted by the file.
  bool IsReplaced(const TPersonRec* person) const;
  // Protected and shown under their own record with masked dates: the others, with
  // ExcMaskDateOnly on.
  bool HasMaskedDates(const TPersonRec* person) const;
  // The record a page writes for the person, and whether its dates are masked.
  ShownPerson Show(const TPersonRec* person) const;
  // What of the person may appear beyond name and dates: notes, pictures (on pages and as
  // files copied into a site), and note, picture and tree pages of their own. Everyone's but
  // a replaced person's.
  bool ShowsNotes(const TPersonRec* person) const { return person && !IsReplaced(person); }
  bool ShowsPicture(const TPersonRec* person) const { return person && !IsReplaced(person); }
  bool HasOwnPages(const TPersonRec* person) const { return person && !IsReplaced(person); }

  // --- Dates ---
  // A date of a shown person on a page: the date itself, or masked (MaskDate).
  std::string PageDate(std::string_view date, bool masked) const;
  // The birth and death dates as pages show the person (the record's own, masked or not).
  ShownDates PageDates(const TPersonRec& person) const;
  // The dates of a listed person's line in the surname index and the GENDEX file: as on
  // pages, except that with ReplaceDate the birth date reads PrivateDate even when it is empty.
  ShownDates ListingDates(const TPersonRec& person) const;
  // The birth and death dates of a person's record in a written GEDCOM file: a masked date is
  // written as the listings show it, inside a GEDCOM date phrase ("(12 MAR 19xx)",
  // "(Living - Private)"), which every reader takes as a date it need not understand.
  ShownDates GedcomDates(const TPersonRec& person) const;

  // --- Families (each question takes null and answers as for no family) ---
  // Filter on, and the family's own facts (marriage, notes, pictures) shown nowhere: the file
  // restricts the family, or a partner is replaced.
  bool HidesFamilyFacts(const TFamilyRec* family) const;
  // Filter on, the facts not hidden, and a partner's dates masked: so is the marriage date.
  bool MasksMarriage(const TFamilyRec* family) const;
  bool ShowsFamilyNotes(const TFamilyRec* family) const {
    return family && !HidesFamilyFacts(family);
  }
  bool ShowsFamilyPicture(const TFamilyRec* family) const {
    return family && !HidesFamilyFacts(family);
  }
  // The marriage date and place as pages and the surname index write them: both
  // empty when hidden, the date masked (PageDate) when a partner's dates are.
  ShownMarriage PageMarriage(const TFamilyRec& family) const;
  // The marriage in a written GEDCOM file: as on pages, a masked date inside a date phrase.
  ShownMarriage GedcomMarriage(const TFamilyRec& family) const;

  // --- The people as shown ---
  // Calls visit(person) for every person who appears under their own record (all but the
  // replaced), in PersonList order: the people a listing of the whole tree may name.
  template <typename Visit>
  void ForEachListedPerson(Visit&& visit) const {
    for (const TPersonRec* person : db_.PersonList()) {
      if (!IsReplaced(person)) visit(*person);
    }
  }

  const TSettings& settings() const { return settings_; }

  // --- The tree, read through this view ---
  // All a page builder reads of the tree (PageContext gives no database): the lists and
  // look-ups as the database gives them, every record with the replaced people among them
  // (what is shown of each is asked above, and in shown_facts.h and shown_index.h), the page
  // charset, an archive's folder, and the store for the views that read records' lines.
  std::span<const TPersonRec* const> PersonList() const { return db_.PersonList(); }
  std::span<const TFamilyRec* const> FamilyList() const { return db_.FamilyList(); }
  std::vector<const TPersonRec*> PersonsInReadOrder() const { return db_.PersonsInReadOrder(); }
  const std::vector<std::string>& Surnames() const { return db_.Surnames(); }
  const TPersonRec* FindPersonById(std::string_view id) const { return db_.FindPersonById(id); }
  const TFamilyRec* FindFamilyById(std::string_view id) const { return db_.FindFamilyById(id); }
  const TPersonRec* PrivatePerson() const { return db_.PrivatePerson(); }
  static const TFamilyRec* DisplayFamily(const TPersonRec* person) {
    return Database::DisplayFamily(person);
  }
  std::string PageCharset() const { return db_.PageCharset(); }
  const std::filesystem::path& ArchiveFolder() const { return db_.ArchiveFolder(); }
  const GedcomStore& Store() const { return db_.Store(); }
  // The database behind the view, for this layer's own views (privacy.cpp, shown_facts.cpp,
  // shown_index.cpp) and no other code: tests/layers_test.sh checks that.
  const Database& Unfiltered() const { return db_; }

  // What is made of the whole tree once, on first use, by the views of shown_facts.h (which
  // media records a replaced person's or a hidden family's structures link to; the sources,
  // places and media records that get pages). Made from the state of the tree and settings at
  // that time: a change to either needs a new ShownTree. Copies share them; safe to ask from
  // several threads.
  struct IndexSlots {
    std::once_flag hidden_media_once, pages_once;
    std::shared_ptr<const std::vector<std::uint32_t>> hidden_media;  // sorted store records
    std::shared_ptr<const ShownIndexes> pages;
  };
  IndexSlots& Slots() const { return *slots_; }
  // Takes the slots of another view of the same tree in the same state, so that what that
  // view made once is not made again (the viewer keeps one set per state of the tree and the
  // privacy settings: Session::Context).
  void ShareSlots(std::shared_ptr<IndexSlots> shared) { slots_ = std::move(shared); }

 private:
  const Database& db_;
  const TSettings& settings_;
  std::shared_ptr<IndexSlots> slots_ = std::make_shared<IndexSlots>();
};

// The record to show for person x (which may be null, giving null):
//   filter off, or x neither excluded nor restricted -> x, dates unmasked;
//   protected, ExcMaskDateOnly off, or restricted    -> db's PrivatePerson, dates unmasked;
//   otherwise protected (ExcMaskDateOnly on)         -> x, dates masked.
ShownPerson PrivacyView(const Database& db, const TSettings& settings, const TPersonRec* x);

// The text to write for a date of a shown person: the date itself unless mask_dates is set and
// the date is not empty; then the PrivateDate text (ReplaceDate on) or MaskYear(date).
std::string MaskDate(const TSettings& settings, std::string_view date, bool mask_dates);

// A date of a person whose dates are masked as a written GEDCOM file holds it: as the pages
// show it (MaskDate), inside a GEDCOM date phrase ("(12 MAR 19xx)", "(Living - Private)"),
// which every reader takes as a date it need not understand; parentheses of its own are left
// out, so that the phrase stays one.
std::string GedcomMaskedDate(const TSettings& settings, std::string_view date);

// The date without its last two characters, followed by "xx" ("12 MAR 1923" gives
// "12 MAR 19xx", "1" gives "xx"), and every other year in it masked too (MaskYears), so that
// "BET 1950 AND 1960" gives "BET 19xx AND 19xx".
std::string MaskYear(std::string_view date);

// The date with the last two digits of every year hidden: in each run of three or more digits
// only the first (of three) or the first two stay, the rest become "x"; one or two digits
// after "/" behind such a run (the second half of a dual year, "1712/13") become "x" too.
// Days and months stay.
std::string MaskYears(std::string_view date);

// The year of a date as a page shows it: the first run of three or four digits, or of digits
// and the "x" of a masked year ("12 MAR 19xx" gives "19xx"), that stands as a word of its own;
// empty when there is none (a date replaced by the PrivateDate text). A view of shown_date.
std::string_view ShownYear(std::string_view shown_date);

}  // namespace stirpex
