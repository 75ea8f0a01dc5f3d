// stirpex: the desktop viewer. File arguments name a style (.sty), a project (.sxp) or a
// GEDCOM file, in any order; --help and --version answer without opening a window.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "htmlview/page_text.h"
#include "shell/e2e_driver.h"
#include "shell/icons.h"
#include "shell/main_window.h"

int main(int argc, char** argv) {
  Q_INIT_RESOURCE(shell);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Stirpex"));
  QApplication::setApplicationVersion(QStringLiteral(STIRPEX_VERSION_TEXT));
  QApplication::setWindowIcon(stirpex::ProgramIcon());
  QApplication::setDesktopFileName(QStringLiteral("stirpex"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Stirpex, a genealogy viewer: browse a GEDCOM file one family page at a time."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(
      QStringLiteral("files"),
      QStringLiteral("A GEDCOM file, a style file (.sty) or a project file (.sxp); later "
                     "arguments override earlier ones."),
      QStringLiteral("[files...]"));
  parser.process(app);

  std::vector<std::string> arguments;
  for (const QString& argument : parser.positionalArguments()) {
    arguments.push_back(stirpex::QStringToPath(argument));
  }
  const std::filesystem::path program_dir =
      stirpex::QStringToPath(QApplication::applicationDirPath());

  stirpex::TSDIAppForm window;
  window.show();
  // Loading starts once the window is up, so its progress window has a window to centre on.
  QTimer::singleShot(0, &window, [&window, program_dir, arguments] {
    window.FormCreate(program_dir, arguments);
    stirpex::StartEndToEndScript(window);
  });
  return app.exec();
}
