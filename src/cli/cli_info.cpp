// The info command: the facts of the GEDCOM information window, one a line.
#include <filesystem>
#include <iostream>

#include "app/gedcom_info.h"
#include "cli/cli.h"
#include "database/database.h"
#include "database/gedcom_reader.h"

namespace stirpex::cli {

void AddInfoCommand(CLI::App& app, const GlobalOptions& options, int& status) {
  (void)options;
  auto gedcom = std::make_shared<std::string>();
  CLI::App* info = app.add_subcommand("info", "Print the header facts and record counts");
  info->add_option("GEDCOM", *gedcom, "GEDCOM file")->required();
  info->callback([gedcom, &status] {
    Database db;
    CliProgress progress;
    CliMessages messages;
    const std::filesystem::path path(*gedcom);
    if (!LoadGedcom(db, path, progress, messages)) {
      status = 1;
      return;
    }
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec).lexically_normal();
    std::cout << "Generating Program:\t" << db.GedSourceName() << '\n'
              << "Company:\t" << db.GedCorp() << '\n'
              << "GEDCOM Version:\t" << db.GedVersion() << '\n'
              << "Date Created:\t" << db.GedDate() << '\n'
              << "File Name:\t" << (ec ? path.string() : full.string()) << '\n'
              << "Families:\t" << db.FamilyList().size() << '\n'
              << "People:\t" << db.PersonList().size() << '\n'
              << "Character Set:\t" << db.SourceCharset() << '\n';
    for (const auto& [caption, value] : GedcomContentRows(db)) {
      std::cout << caption << '\t' << value << '\n';
    }
  });
}

}  // namespace stirpex::cli
