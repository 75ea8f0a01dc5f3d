// The entries of the exclude list (Database::ExcludedNames), one a line of its file.
//
// An entry is either
//   a full name, "John Smith": every person of that exact name is excluded (the one form
//   lists had before, so a list saved then keeps its meaning); or
//   a full name with the record of one person beside it, "John Smith|@I12@": that person
//   alone is excluded, and the people who share the name are left as the rest of the list
//   says. The record is the person's GEDCOM cross-reference id between "@" signs, compared
//   as the reader stores ids (cut to 22 characters, without regard to letter case).
// A reader that knows only names takes the second form for a name that matches nobody, so it
// protects no one by mistake and counts it among the names that match nobody.
//
// When the record no longer bears the name (the tree was edited, or its ids renumbered,
// since the list was saved), the entry excludes the record and, as the bare name would,
// everyone of the name: the person meant is among them.
#pragma once

#include <string>
#include <string_view>

#include "database/database.h"
#include "database/records.h"

namespace stirpex {

struct ExcludeEntry {
  std::string_view name;    // the full name (may be empty for a record entry)
  std::string_view record;  // the id between the "@" signs; empty for a bare name
};

// Takes a line apart: it names a record when it ends in "|@ID@" with an ID of at least one
// character and no "@"; any other line is a bare name, as it stands.
ExcludeEntry ParseExcludeEntry(std::string_view line);

// The entry that names one person of db: their Name + "|@" + id + "@", the id as the file
// writes it (as stored for a person no record of the file made).
std::string PersonExcludeEntry(const Database& db, const TPersonRec& person);

}  // namespace stirpex
