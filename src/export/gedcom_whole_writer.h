// The whole-file GEDCOM writer: every record and every line the file held, written out again
// with the privacy filter applied (setting GedcomWholeRecords; the writer of kept fields,
// gedcom_writer.h, is the other choice).
//
// Filter off: the program's own header (today's date, UTF-8 or the set the text was kept in,
// the file's own GEDCOM version) with the input header's other structures (submitter,
// language, place form, notes, GEDCOM 7 schema), then every other record and line of the
// input in its order, each line as read and ended by CR LF, and one TRLR.
//
// Filter on, people replaced: the record of a replaced person is left out and every pointer to
// it removed with its substructure; a family left with no partner and no child is left out
// (and the pointers to it); a record that only left-out structures point to is left out too,
// found by a walk from what stays (a record nobody points to stays). A pointer to a left-out
// record goes with its substructure, except that a GEDCOM 7 citation whose substructure says
// something of its own becomes "@VOID@". The events of a family with a replaced partner are
// written without their details (only their tag and TYPE), so the family and its children's
// links stay. Filter on, dates masked: the protected person stays, and every DATE in their
// record and in the events of their families is masked as the pages show it, in a date phrase
// ("(14 AUG 19xx)"), or replaced by the PrivateDate text; DATE phrases go with it. Whenever
// the filter is on, a structure with its own RESN confidential or privacy is left out (a
// family's: its events, notes, media and citations), and so is a record restricted so.
#pragma once

#include <filesystem>
#include <string_view>

#include "database/database.h"
#include "database/progress.h"
#include "settings/settings.h"

namespace stirpex {

// Writes the file atomically; false after reporting "Unable to write to " + path (help topic
// 204), or the privacy layer's refusal (nothing written) while the exclude list cannot be
// read. `header_date` is the text of the header's DATE line.
bool WriteWholeGedcom(const Database& db, const TSettings& settings,
                      const std::filesystem::path& path, std::string_view header_date,
                      Messages& messages);

}  // namespace stirpex
