// stirpex-cli: the command-line client of the core (batch exports and page printing).
//
// Each group of commands lives in a file of its own and registers its subcommands on the one
// CLI11 application; they share the global options below. Errors go to standard error and
// give exit status 1; a usage error gives 2.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "database/progress.h"
#include "platform/clock.h"

namespace stirpex::cli {

// Options that every command accepts.
struct GlobalOptions {
  std::string settings_file;          // --settings FILE
  std::string style_file;             // --style FILE
  std::vector<std::string> settings;  // --set KEY=VALUE, in the order given
  std::string exclude_list;           // --exclude-list FILE
  bool auto_exclude = false;          // --auto-exclude
};

// Messages on standard error. Whether a step failed is told by its returned value.
class CliMessages : public Messages {
 public:
  void Error(std::string_view text, int help_context) override;
  void Warning(std::string_view text) override;
};

// Progress as one rewritten line on standard error, shown only when it is a terminal.
class CliProgress : public Progress {
 public:
  CliProgress();
  void ProgressOpen(std::string_view title, std::string_view people, std::string_view families,
                    std::string_view file_name) override;
  void ProgressPeople(long long count) override;
  void ProgressFamilies(long long count) override;
  void ProgressTrees(long long count) override;
  void ProgressPercent(int percent) override;
  void ProgressClose() override;

 private:
  void Draw();
  bool enabled_;
  bool open_ = false;
  std::string title_;
  long long people_ = 0, families_ = 0, trees_ = -1;
  int percent_ = 0;
};

// Registration of the command groups. `status` receives the exit status of the command run;
// `clock` is the run's one clock (pages, GEDCOM header, auto filter).
void AddInfoCommand(CLI::App& app, const GlobalOptions& options, int& status);
void AddPageCommands(CLI::App& app, const GlobalOptions& options, const Clock& clock, int& status);
void AddExportCommands(CLI::App& app, const GlobalOptions& options, const Clock& clock,
                       int& status);
void AddLivingCommand(CLI::App& app, const GlobalOptions& options, const Clock& clock, int& status);

int Run(int argc, char** argv);

}  // namespace stirpex::cli
