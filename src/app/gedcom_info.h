// The rows of the GEDCOM information window: the header facts of the loaded file, its path,
// the numbers of family and person records (placeholders made by references included) and
// the character set its text was read in (Database::SourceCharset).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "database/database.h"

namespace stirpex {

// Eight (caption, value) rows in the window's order, captions as shown.
std::vector<std::pair<std::string, std::string>> GedcomInfoRows(const Database& db,
                                                                std::string_view gedcom_path);

// What else the file holds, counted while it was read: source, repository and media records
// (inline media objects counted too), distinct places, the events and attributes of people
// and families, and the lines no level or tag could be read from (kept all the same).
std::vector<std::pair<std::string, std::string>> GedcomContentRows(const Database& db);

}  // namespace stirpex
