// The GENDEX writer: one index line per person for genealogy search sites, each naming the
// family page that the web site writes for the person.
//
// Line format (fields separated by "|", the line ending with "|", the whole cut to 255
// characters): page | surname | name in GEDCOM form (42) | birth date | birth place |
// death date | death place. A person without a family has no page and gets no line. The
// privacy filter acts as on the surname index: excluded persons are left out, or listed with
// their years masked ("19xx") or their birth date replaced by the private date text.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/progress.h"
#include "settings/settings.h"

namespace stirpex {

// The lines, persons in PersonList order.
std::vector<std::string> BuildGendexLines(const Database& db, const TSettings& settings);

// Builds the lines and writes them (each followed by CR LF, atomically). Returns false after
// reporting "Unable to write to " + path (help topic 204) when the file cannot be written, or
// the privacy layer's refusal (nothing written) while the exclude list cannot be read.
bool WriteGendex(const Database& db, const TSettings& settings, const std::filesystem::path& path,
                 Messages& messages);

}  // namespace stirpex
