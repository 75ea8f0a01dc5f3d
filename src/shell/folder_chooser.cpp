#include "shell/folder_chooser.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include "htmlview/page_text.h"

namespace stirpex {

namespace {

// The folder itself when it exists, else the nearest folder above it that does.
QString ExistingFolderAtOrAbove(const QString& path) {
  QString folder = QDir::cleanPath(QDir(path).absolutePath());
  while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
    const QString up = QFileInfo(folder).path();
    if (up == folder) break;
    folder = up;
  }
  return folder;
}

}  // namespace

FolderChooser::FolderChooser(QWidget* parent, const QString& start_folder)
    : QFileDialog(parent, tr("Select Directory")) {
  setObjectName(QStringLiteral("FolderChooser"));
  // Qt's own dialog: the platform's would refuse a folder that does not exist before asking.
  setOption(QFileDialog::DontUseNativeDialog, true);
  setOption(QFileDialog::ShowDirsOnly, true);
  setFileMode(QFileDialog::Directory);
  setAcceptMode(QFileDialog::AcceptOpen);
  if (!start_folder.isEmpty()) {
    const QString absolute = QDir(start_folder).absolutePath();
    const QString existing = ExistingFolderAtOrAbove(absolute);
    setDirectory(existing);
    // A start folder that does not exist yet is offered by name, ready to be created.
    if (QDir::cleanPath(absolute) != existing) selectFile(absolute);
  }
}

bool FolderChooser::AskCreateFolder(QWidget* parent, const QString& folder) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                  QStringLiteral("The specified directory does not exist. Create it?"),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setObjectName(QStringLiteral("CreateFolderQuestion"));
  box.setInformativeText(folder);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void FolderChooser::accept() {
  // The name typed (or selected) counts, taken against the folder on show.
  QString typed;
  if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) typed = edit->text();
  QString folder = typed.isEmpty() ? directory().absolutePath()
                                   : QDir::cleanPath(directory().absoluteFilePath(typed));
  if (typed.isEmpty() && !selectedFiles().isEmpty()) folder = selectedFiles().front();
  if (!QFileInfo(folder).exists()) {
    if (!ask_create_(this, folder)) return;  // No: the chooser stays open
    QDir().mkpath(folder);
    if (!QFileInfo(folder).isDir()) {
      // Could not be made: the chooser closes with the name all the same, and whoever writes
      // into it reports the failure.
      chosen_ = folder;
      QDialog::accept();
      return;
    }
  }
  chosen_ = folder;
  QFileDialog::accept();
  if (result() != QDialog::Accepted) chosen_.clear();
}

bool ChooseFolder(QWidget* parent, const std::string& start_folder, std::string& chosen) {
  FolderChooser chooser(parent, PathToQString(start_folder));
  if (chooser.exec() != QDialog::Accepted || chooser.ChosenFolder().isEmpty()) return false;
  chosen = QStringToPath(chooser.ChosenFolder());
  return true;
}

}  // namespace stirpex
