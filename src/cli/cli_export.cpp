// The export commands (website, gedcom, gendex).
#include "cli/cli.h"

namespace stirpex::cli {

void AddExportCommands(CLI::App& app, const GlobalOptions& options, int& status) {
  (void)app;
  (void)options;
  (void)status;
}

}  // namespace stirpex::cli
