// The page commands (page, tree, note, picture).
#include "cli/cli.h"

namespace stirpex::cli {

void AddPageCommands(CLI::App& app, const GlobalOptions& options, int& status) {
  (void)app;
  (void)options;
  (void)status;
}

}  // namespace stirpex::cli
