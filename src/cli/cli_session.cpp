#include "cli/cli_session.h"

#include <cstdio>
#include <system_error>

#include "app/auto_filter.h"
#include "settings/settings_keys.h"

namespace stirpex::cli {

int PrepareSession(const GlobalOptions& options, const std::string& gedcom, Session& session) {
  if (!options.settings_file.empty()) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(options.settings_file, ec)) {
      std::fprintf(stderr, "stirpex-cli: File: %s does not exist.\n",
                   options.settings_file.c_str());
      return 1;
    }
    session.ReadSettingsFile(options.settings_file);
  }
  for (const std::string& assignment : options.settings) {
    std::string error;
    if (!ApplySettingAssignment(session.settings, assignment, error)) {
      std::fprintf(stderr, "stirpex-cli: %s\n", error.c_str());
      return 2;
    }
  }
  if (options.auto_exclude) session.settings.ExcDoExclude = true;
  session.UseFilesOfSettings();
  if (!options.style_file.empty()) session.style_file = options.style_file;
  session.gedcom_file = gedcom;
  if (!options.exclude_list.empty()) session.exclude_list = options.exclude_list;
  return 0;
}

int LoadSession(const GlobalOptions& options, const std::string& gedcom, Session& session,
                LoadWhat what) {
  if (const int status = PrepareSession(options, gedcom, session); status != 0) return status;
  CliProgress progress;
  CliMessages messages;
  const bool with_style = what == LoadWhat::kStyleAndTree;
  const LoadOutcome outcome = with_style ? session.LoadCurrentFiles(progress, messages)
                                         : session.LoadTree(progress, messages);
  if (!outcome.ok(with_style)) return 1;
  if (options.auto_exclude) {
    const AutoFilterRule rule(CriteriaFromSettings(session.settings), session.clock.Year());
    const long long excluded = AutoExclude(session.db, rule);
    messages.Warning("the auto filter excludes " + std::to_string(excluded) + " of " +
                     std::to_string(session.db.PersonList().size()) + " people");
  }
  if (session.settings.ExcDoExclude) {
    const std::string unmatched = UnmatchedNamesWarning(session.db.UnmatchedExcludedNames());
    if (!unmatched.empty()) messages.Warning(unmatched);
  }
  return 0;
}

}  // namespace stirpex::cli
