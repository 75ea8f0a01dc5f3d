// The page commands: page, tree, note and picture print one page as the viewer builds it.
#include <cstdio>
#include <memory>
#include <string>

#include "app/session.h"
#include "cli/cli.h"
#include "cli/cli_session.h"
#include "pages/family_page.h"
#include "pages/person_pages.h"
#include "settings/settings_keys.h"

namespace stirpex::cli {

namespace {

// Loads the session as the viewer's start-up does, with the global options applied. Returns
// the exit status: 0 when loaded, 2 for a bad --set, 1 when a file could not be read.
int LoadSession(const GlobalOptions& options, const std::string& gedcom, Session& session) {
  return cli::LoadSession(options, gedcom, session, LoadWhat::kStyleAndTree);
}

// The page as built, each line followed by CR LF, bytes unchanged.
void PrintLines(const PageLines& lines) {
  std::fwrite(lines.bytes().data(), 1, lines.bytes().size(), stdout);
  std::fflush(stdout);
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "stirpex-cli: %s\n", text.c_str());
  return 1;
}

struct PageArgs {
  std::string gedcom;
  std::string first_id;
  std::string second_id;
};

}  // namespace

void AddPageCommands(CLI::App& app, const GlobalOptions& options, const Clock& clock, int& status) {
  auto args = std::make_shared<PageArgs>();

  CLI::App* page = app.add_subcommand("page", "Print the family page of a family");
  page->footer(
      "Prints the family page of FAMILY_ID. With PERSON_ID the page is built for that person "
      "(notes, parents and pedigree); without it as on a web site.");
  page->add_option("GEDCOM", args->gedcom, "GEDCOM file")->required();
  page->add_option("FAMILY_ID", args->first_id, "Family id (any case)")->required();
  page->add_option("PERSON_ID", args->second_id, "Person id (any case)");
  page->callback([args, &options, &clock, &status] {
    Session session(clock);
    if ((status = LoadSession(options, args->gedcom, session)) != 0) return;
    const TFamilyRec* family = session.db.FindFamilyByIdNoCase(args->first_id);
    if (!family) {
      status = Fail("No family with id " + args->first_id);
      return;
    }
    const TPersonRec* person = nullptr;
    if (!args->second_id.empty()) {
      person = session.db.FindPersonById(ToLowerAscii(args->second_id));
      if (!person) {
        status = Fail("No person with id " + args->second_id);
        return;
      }
    }
    PageLines lines;
    BuildFamilyPage(session.Context(), *family, person, lines);
    PrintLines(lines);
  });

  // tree and note: a person's page with the person's display family.
  auto add_person_page = [&](const char* name, const char* help, auto build) {
    CLI::App* command = app.add_subcommand(name, help);
    command->add_option("GEDCOM", args->gedcom, "GEDCOM file")->required();
    command->add_option("PERSON_ID", args->first_id, "Person id (any case)")->required();
    command->callback([args, &options, &clock, &status, build] {
      Session session(clock);
      if ((status = LoadSession(options, args->gedcom, session)) != 0) return;
      const TPersonRec* person = session.db.FindPersonById(ToLowerAscii(args->first_id));
      if (!person) {
        status = Fail("No person with id " + args->first_id);
        return;
      }
      PageLines lines;
      build(session.Context(), Database::DisplayFamily(person), person, lines);
      PrintLines(lines);
    });
  };
  add_person_page("tree", "Print the tree page (pedigree) of a person", &BuildTreePage);
  add_person_page("note", "Print the note page of a person", &BuildNotePage);

  CLI::App* picture =
      app.add_subcommand("picture", "Print the picture page of a person or a family");
  picture->footer(
      "Prints the picture page of the person with id ID, else of the family with that id; "
      "nothing when it has no picture.");
  picture->add_option("GEDCOM", args->gedcom, "GEDCOM file")->required();
  picture->add_option("ID", args->first_id, "Person or family id (any case)")->required();
  picture->callback([args, &options, &clock, &status] {
    Session session(clock);
    if ((status = LoadSession(options, args->gedcom, session)) != 0) return;
    const std::string id = ToLowerAscii(args->first_id);
    const TPersonRec* person = session.db.FindPersonById(id);
    const TFamilyRec* family = nullptr;
    std::string_view file;
    if (person) {
      family = Database::DisplayFamily(person);
      file = person->Picture;
    } else if ((family = session.db.FindFamilyById(id)) != nullptr) {
      file = family->Picture;
    } else {
      status = Fail("No person or family with id " + args->first_id);
      return;
    }
    if (file.empty()) return;
    PageLines lines;
    if (BuildPicturePage(session.Context(), family, person, lines, file)) PrintLines(lines);
  });
}

}  // namespace stirpex::cli
