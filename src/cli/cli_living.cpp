// The living command: who the auto filter would exclude, and why, before anything is published.
#include <cstdio>
#include <memory>
#include <string>

#include "app/auto_filter.h"
#include "app/session.h"
#include "cli/cli.h"
#include "cli/cli_session.h"
#include "database/gedcom_reader.h"

namespace stirpex::cli {

void AddLivingCommand(CLI::App& app, const GlobalOptions& options, const Clock& clock,
                      int& status) {
  auto gedcom = std::make_shared<std::string>();
  CLI::App* living =
      app.add_subcommand("living", "List the people the auto filter would exclude, and why");
  living->footer(
      "Prints, in the order of the file, every person the auto filter would exclude (the "
      "criteria of the settings, and the people the file restricts with RESN), each by their "
      "own record: one line ID<TAB>NAME<TAB>REASON, the reason saying what decided (\"RESN "
      "privacy\", \"born 1950\", \"no dates; child born 1990\", \"no evidence\"). People who "
      "share a name are decided one by one.");
  living->add_option("GEDCOM", *gedcom, "GEDCOM file")->required();
  living->callback([gedcom, &options, &clock, &status] {
    Session session(clock);
    if ((status = PrepareSession(options, *gedcom, session)) != 0) return;
    CliProgress progress;
    CliMessages messages;
    if (!LoadGedcom(session.db, session.gedcom_file, progress, messages)) {
      status = 1;
      return;
    }
    const AutoFilterRule rule(CriteriaFromSettings(session.settings), clock.Year());
    std::string line;
    for (const TPersonRec* person : session.db.PersonList()) {
      if (rule.Includes(*person)) continue;
      line.assign(person->Id.view());
      line += '\t';
      line += person->Name.view();
      line += '\t';
      line += rule.Reason(*person);
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fflush(stdout);
  });
}

}  // namespace stirpex::cli
