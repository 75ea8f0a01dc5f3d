// Helpers of the window tests: a program folder holding the bundled style and sample tree,
// and a way to answer the modal windows that a command opens.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_paths.h"

namespace stirpex::testing {

// A control of a window by its objectName: the windows keep their controls private.
template <typename T = QAction>
T* Control(const QObject& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromLatin1(name));
  if (!control) ADD_FAILURE() << "no control named " << name;
  return control;
}

// A folder laid out like the program's: styles/, ged/ (copies of the bundled ones) and a
// stirpex.ini with the given lines in section Options.
class ProgramFolder {
 public:
  explicit ProgramFolder(const std::vector<std::string>& options = {}) {
    namespace fs = std::filesystem;
    fs::copy(SourceDir() / "styles", dir_.path() / "styles", fs::copy_options::recursive);
    fs::copy(SourceDir() / "ged", dir_.path() / "ged", fs::copy_options::recursive);
    fs::copy(SourceDir() / "help", dir_.path() / "help", fs::copy_options::recursive);
    std::vector<std::string> lines = {"[Options]"};
    lines.insert(lines.end(), options.begin(), options.end());
    lines.insert(lines.end(), {"StartPerson=Lionel Ambervale", "ImageList=ged\\images.txt"});
    dir_.Write("stirpex.ini", CrLf(lines));
  }
  const std::filesystem::path& path() const { return dir_.path(); }
  std::string File(const std::string& name) const { return (dir_.path() / name).string(); }
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const {
    return dir_.Write(name, bytes);
  }

 private:
  TempDir dir_;
};

// Runs `answer` on the first modal window of class W that opens while `command` runs, then
// returns. Windows of other classes are left to other answers (calls may nest: a dialog that
// leads to a message box).
template <typename W>
void AnswerModal(const std::function<void()>& command, const std::function<void(W*)>& answer) {
  QTimer timer;  // fires inside the modal window's own event loop
  QObject::connect(&timer, &QTimer::timeout, [&timer, &answer] {
    if (W* modal = qobject_cast<W*>(QApplication::activeModalWidget())) {
      timer.stop();
      answer(modal);
    }
  });
  timer.start(10);
  command();
}

}  // namespace stirpex::testing

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
