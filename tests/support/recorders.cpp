#include "support/recorders.h"

#include "database/gedcom_reader.h"
#include "support/test_paths.h"

namespace stirpex::testing {

bool LoadGedcomText(Database& db, std::string_view bytes, Messages* messages) {
  TempDir dir;
  auto path = dir.Write("test.ged", bytes);
  NullProgress progress;
  NullMessages ignore;
  return LoadGedcom(db, path, progress, messages ? *messages : ignore);
}

}  // namespace stirpex::testing
