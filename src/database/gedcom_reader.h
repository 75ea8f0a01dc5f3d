// Reads a GEDCOM 5.5 file into the database.
//
// A single pass over the lines driven by a table of tag words. It keeps only what the pages
// need: names, sex, birth, death and marriage dates and places, the family links, notes and
// four facts of the header, and it keeps a little state (which record and which event are
// open) to decide where a value goes. Lines it does not understand are skipped.
//
// Character sets: UTF-8 and 8-bit files are read as bytes. A UTF-16 file, and a file whose
// header declares CHAR ANSEL or CHAR MACINTOSH while its text is not UTF-8 beyond ASCII, are
// decoded to UTF-8 by the line reader (text_decoding.h); the tree is UTF-8 text from then on.
//
// GEDCOM 7 as well: SNOTE records and pointers are notes like NOTE; a pointer to @VOID@ makes
// no record and no link; a value that begins with "@@" stands for text that begins with one
// "@" (elsewhere in a value "@@" stays).
//
// A GEDCOM archive (.gdz, a zip file, recognised by its first bytes) is unpacked and its
// gedcom.ged read (gedcom_archive.h); the database keeps the unpacked folder for the media
// until the next load.
#pragma once

#include <filesystem>

#include "database/database.h"
#include "database/progress.h"

namespace stirpex {

// Empties the database and reads the file into it, reporting progress (title
// "Loading GEDCOM", people and family counts, percentage of lines read).
//
// Returns true when the file could be read and at least one person was made. Failures are
// reported through `messages` (help topic 201) before false is returned:
//   "Error reading GEDCOM file: " + path  - the file cannot be read, or is an archive that
//                                           cannot be unpacked (database unchanged), or a read
//                                           failed part-way (database holds what was read);
//   "Not a valid GEDCOM file: " + path    - no person record (database holds what was read), or
//                                           an archive without gedcom.ged (database unchanged).
// The path is followed by what is wrong, in parentheses, when that can be said: "(a folder,
// not a file)", "(no such file)", "(an empty file)", the archive limit it went beyond, ...
// After a load the database's LastFamilyRead names the family of the last FAM record, or none.
bool LoadGedcom(Database& db, const std::filesystem::path& path, Progress& progress,
                Messages& messages);

}  // namespace stirpex
