#include "database/exclude_entries.h"

#include "database/text.h"

namespace stirpex {

ExcludeEntry ParseExcludeEntry(std::string_view line) {
  constexpr std::string_view kOpen = "|@";
  if (line.size() < kOpen.size() + 2 || line.back() != '@') return {line, {}};
  const std::size_t open = line.rfind(kOpen, line.size() - 2);
  if (open == std::string_view::npos) return {line, {}};
  const std::string_view id =
      line.substr(open + kOpen.size(), line.size() - 1 - open - kOpen.size());
  if (id.empty() || id.find('@') != std::string_view::npos) return {line, {}};
  return {line.substr(0, open), id};
}

std::string PersonExcludeEntry(const Database& db, const TPersonRec& person) {
  std::string_view id = person.Id.view();
  if (person.StoreRecord < db.Store().RecordCount()) {
    const std::string_view xref = db.Store().Node(person.StoreRecord).xref();
    if (!xref.empty() && EqualsNoCaseAscii(Cut(xref, kIdCapacity), id)) id = xref;
  }
  const std::string_view name = person.Name.view();
  std::string entry;
  entry.reserve(name.size() + id.size() + 3);
  entry.append(name).append("|@").append(id).append("@");
  return entry;
}

}  // namespace stirpex
