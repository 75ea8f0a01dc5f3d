#include "shell/viewer_main.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "htmlview/page_text.h"
#include "shell/icons.h"
#include "shell/main_window.h"

// Outside any namespace: the resource initialiser it names is a global function.
static void InitShellResources() {
  Q_INIT_RESOURCE(shell);
}

namespace stirpex {

int RunViewer(int argc, char** argv, const std::function<void(TSDIAppForm&)>& after_start) {
  InitShellResources();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Stirpex"));
  QApplication::setApplicationVersion(QStringLiteral(STIRPEX_VERSION_TEXT));
  QApplication::setWindowIcon(ProgramIcon());
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
    arguments.push_back(QStringToPath(argument));
  }
  const std::filesystem::path program_dir = QStringToPath(QApplication::applicationDirPath());

  TSDIAppForm window;
  window.show();
  // Loading starts once the window is up, so its progress window has a window to centre on.
  QTimer::singleShot(0, &window, [&window, &after_start, program_dir, arguments] {
    window.FormCreate(program_dir, arguments);
    if (after_start) after_start(window);
  });
  return app.exec();
}

}  // namespace stirpex
