// The export commands: website, gedcom and gendex write a whole tree as the viewer's Save
// Website, Save GEDCOM and Save GENDEX do, with the privacy settings applied.
#include <cstdio>
#include <memory>
#include <string>

#include "app/auto_filter.h"
#include "app/session.h"
#include "cli/cli.h"
#include "cli/cli_session.h"
#include "export/gedcom_writer.h"
#include "export/gendex_writer.h"
#include "export/website.h"
#include "pages/privacy.h"
#include "platform/line_files.h"

namespace stirpex::cli {

namespace {

struct ExportArgs {
  std::string gedcom;
  std::string target;
  int jobs = 0;  // website: threads building pages, 0 for one per core
};

const char* const kPrivacyNote =
    "The privacy settings apply (ExcDoExclude, ExcMaskDateOnly, ReplaceDate, PrivateDate); "
    "the people of the ExcludeList setting's file, or of --exclude-list, are excluded (with "
    "--auto-exclude also everyone the auto filter excludes), and nothing is written while that "
    "list cannot be read.";

// The people the run publishes although the presumed-dead rule finds them living, while
// nobody is protected: one line on standard error, and the run goes on.
void WarnOfUnprotectedLiving(const Session& session, Messages& messages) {
  const long long living = UnprotectedLiving(session.db, session.settings, session.clock.Year());
  if (living > 0) messages.Warning(UnprotectedLivingWarning(living, WarningReader::kCli));
}

int Website(const GlobalOptions& options, const ExportArgs& args, const Clock& clock) {
  Session session(clock);
  if (const int status = LoadSession(options, args.gedcom, session, LoadWhat::kStyleAndTree);
      status != 0) {
    return status;
  }
  CliProgress progress;
  CliMessages messages;
  WarnOfUnprotectedLiving(session, messages);

  WebsiteOptions website;
  website.picture_dirs = session.PictureFolders();
  website.jobs = args.jobs;
  const WebsiteResult result = SaveWebsite(session.db, session.settings, session.style,
                                           session.clock, args.target, website, progress, messages);
  if (result.folder_failed || result.refused) return 1;
  std::printf("%s\n", WebsiteSummary(result, args.target).c_str());
  return result.pages_failed > 0 ? 1 : 0;
}

// The tree alone: the filtered GEDCOM and GENDEX files need no style.
int LoadTree(const GlobalOptions& options, const ExportArgs& args, Session& session) {
  return LoadSession(options, args.gedcom, session, LoadWhat::kTree);
}

// True, and said, when the output is the GEDCOM file itself: nothing is written over it.
bool RefuseToOverwrite(const Session& session, const std::string& target, Messages& messages) {
  const std::string refusal = session.OverwriteRefusal(target);
  if (!refusal.empty()) messages.Error(refusal, kHelpMissingFile);
  return !refusal.empty();
}

int Gedcom(const GlobalOptions& options, const ExportArgs& args, const Clock& clock) {
  Session session(clock);
  if (const int status = LoadTree(options, args, session); status != 0) return status;
  CliMessages messages;
  if (RefuseToOverwrite(session, args.target, messages)) return 1;
  WarnOfUnprotectedLiving(session, messages);
  if (!WriteFilteredGedcom(session.db, session.settings, args.target,
                           GedcomHeaderDate(clock.Today()), messages)) {
    return 1;
  }
  long long people = 0;
  ShownTree(session.db, session.settings).ForEachListedPerson([&](const TPersonRec&) { ++people; });
  std::printf("%lld people and %zu families written to %s\n", people,
              session.db.FamilyList().size(), args.target.c_str());
  return 0;
}

int Gendex(const GlobalOptions& options, const ExportArgs& args, const Clock& clock) {
  Session session(clock);
  if (const int status = LoadTree(options, args, session); status != 0) return status;
  CliMessages messages;
  if (RefuseToOverwrite(session, args.target, messages)) return 1;
  WarnOfUnprotectedLiving(session, messages);
  if (!WriteGendex(session.db, session.settings, args.target, messages)) return 1;
  const std::size_t lines = BuildGendexLines(session.db, session.settings).size();
  std::printf("%zu lines written to %s\n", lines, args.target.c_str());
  return 0;
}

}  // namespace

void AddExportCommands(CLI::App& app, const GlobalOptions& options, const Clock& clock,
                       int& status) {
  auto args = std::make_shared<ExportArgs>();

  CLI::App* website = app.add_subcommand("website", "Write the web site of a tree");
  website->footer(std::string("Writes the web site of GEDCOM into DIR (made with its parents "
                              "when missing), with the style in use. ") +
                  kPrivacyNote +
                  " A second website run into the same folder removes the files of the first "
                  "that it no longer writes, and leaves the files whose bytes are already "
                  "there untouched.");
  website->add_option("GEDCOM", args->gedcom, "GEDCOM file")->required();
  website->add_option("DIR", args->target, "Folder of the web site")->required();
  website
      ->add_option("--jobs", args->jobs,
                   "Threads that build pages (default: one per processor core); the site is "
                   "the same whatever the number")
      ->type_name("N")
      ->check(CLI::Range(1, 1024));
  website->callback([args, &options, &clock, &status] { status = Website(options, *args, clock); });

  CLI::App* gedcom = app.add_subcommand("gedcom", "Write a tree as a filtered GEDCOM file");
  gedcom->footer(
      std::string(
          "Writes GEDCOM again as the GEDCOM file OUT, with the privacy filter applied. By "
          "default (GedcomWholeRecords=1) every record and line of the file comes out as it was "
          "read, sources, events, media and extensions included, in the file's own GEDCOM "
          "version: with the filter on, a replaced person's record, every pointer to them and "
          "every record only they pointed to are left out, the events of their families lose "
          "their dates and places, and a masked person's dates are masked in date phrases. "
          "With --set GedcomWholeRecords=0 only the names, sex, birth, death, marriage, family "
          "links and notes are written, as a GEDCOM 5.5 file. ") +
      kPrivacyNote);
  gedcom->add_option("GEDCOM", args->gedcom, "GEDCOM file")->required();
  gedcom->add_option("OUT", args->target, "GEDCOM file to write")->required();
  gedcom->callback([args, &options, &clock, &status] { status = Gedcom(options, *args, clock); });

  CLI::App* gendex = app.add_subcommand("gendex", "Write the GENDEX index of a tree");
  gendex->footer(std::string("Writes the GENDEX index of GEDCOM to OUT: one line per person "
                             "with a family page. ") +
                 kPrivacyNote);
  gendex->add_option("GEDCOM", args->gedcom, "GEDCOM file")->required();
  gendex->add_option("OUT", args->target, "GENDEX file to write")->required();
  gendex->callback([args, &options, &clock, &status] { status = Gendex(options, *args, clock); });
}

}  // namespace stirpex::cli
