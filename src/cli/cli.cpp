#include "cli/cli.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <iostream>

namespace stirpex::cli {

void CliMessages::Error(std::string_view text, int help_context) {
  (void)help_context;
  std::cerr << "stirpex-cli: " << text << '\n';
}

void CliMessages::Warning(std::string_view text) {
  std::cerr << "stirpex-cli: " << text << '\n';
}

CliProgress::CliProgress() : enabled_(::isatty(STDERR_FILENO) == 1) {}

void CliProgress::ProgressOpen(std::string_view title, std::string_view, std::string_view,
                               std::string_view) {
  title_ = title;
  people_ = families_ = 0;
  trees_ = -1;
  percent_ = 0;
  open_ = true;
  Draw();
}

void CliProgress::ProgressPeople(long long count) {
  people_ = count;
  if ((count & 0x3FFF) == 0) Draw();
}

void CliProgress::ProgressFamilies(long long count) {
  families_ = count;
  if ((count & 0x3FFF) == 0) Draw();
}

void CliProgress::ProgressTrees(long long count) {
  trees_ = count;
  if ((count & 0x3FFF) == 0) Draw();
}

void CliProgress::ProgressPercent(int percent) {
  if (percent == percent_) return;
  percent_ = percent;
  Draw();
}

void CliProgress::ProgressClose() {
  if (enabled_ && open_) std::fprintf(stderr, "\r\033[K");
  open_ = false;
}

void CliProgress::Draw() {
  if (!enabled_ || !open_) return;
  if (trees_ >= 0) {
    std::fprintf(stderr, "\r\033[K%s: %3d%%  people %lld  families %lld  trees %lld",
                 title_.c_str(), percent_, people_, families_, trees_);
  } else {
    std::fprintf(stderr, "\r\033[K%s: %3d%%  people %lld  families %lld", title_.c_str(), percent_,
                 people_, families_);
  }
  std::fflush(stderr);
}

int Run(int argc, char** argv) {
  CLI::App app{
      "Stirpex command-line tool: reads a GEDCOM file and prints its facts, single pages, or "
      "writes a web site, a filtered GEDCOM file or a GENDEX index.",
      "stirpex-cli"};
  app.set_version_flag("--version", std::string("stirpex-cli ") + STIRPEX_VERSION_TEXT);
  app.require_subcommand(1);
  // Global options may also follow the command ("website tree.ged site --set IncludeTrees=1").
  app.fallthrough();

  GlobalOptions options;
  app.add_option("--settings", options.settings_file, "Settings or project file to read")
      ->type_name("FILE");
  app.add_option("--style", options.style_file, "Style file for the pages")->type_name("FILE");
  app.add_option("--set", options.settings,
                 "Change one setting by its INI key, flags as 1 or 0 (repeatable)")
      ->type_name("KEY=VALUE")
      ->allow_extra_args(false);
  app.add_option("--exclude-list", options.exclude_list,
                 "List of people to exclude, one a line: a full name (everyone of it) or a "
                 "name and record (John Smith|@I12@)")
      ->type_name("FILE");
  app.add_flag("--auto-exclude", options.auto_exclude,
               "Turn the privacy filter on and exclude, besides the exclude list, everyone the "
               "auto filter excludes (the criteria of the settings: ExcPresumedDead, "
               "ExcNoBirthDate, ExcByBirthDate, ExcByDeathDate, ExcMaxAge)");

  // The front end decides what the core takes from the process: the date marker writes the
  // user's short date format, and every command dates by the one clock.
  std::setlocale(LC_TIME, "");
  const SystemClock clock;

  int status = 0;
  AddInfoCommand(app, options, status);
  AddPageCommands(app, options, clock, status);
  AddExportCommands(app, options, clock, status);
  AddLivingCommand(app, options, clock, status);
  // Set after the commands are added, which would otherwise each repeat it.
  app.footer(
      "Paths given on the command line are taken against the current directory; paths stored in "
      "settings (StyleFile, ImageList) against the folder of the --settings file when they are "
      "there, else against the program's folder.\n"
      "Run 'stirpex-cli COMMAND --help' for what a command does in full.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  return status;
}

}  // namespace stirpex::cli
