// The folder chooser of Save Website and of the options dialog's folder fields.
//
// A folder dialog that also takes the name of a folder that does not exist yet: confirming such
// a name asks whether to create the folder; Yes creates it together with any missing parents
// and closes the chooser, No keeps the chooser open. A folder that cannot be created is not
// reported here: whoever writes into it reports the failure.
#pragma once

#include <QFileDialog>
#include <functional>
#include <string>

namespace stirpex {

class FolderChooser : public QFileDialog {
  Q_OBJECT

 public:
  // Asks whether to create the folder; true for Yes. Tests replace it.
  using CreateQuestion = std::function<bool(QWidget* parent, const QString& folder)>;

  // Opens at start_folder (or the nearest folder above it that exists).
  FolderChooser(QWidget* parent, const QString& start_folder);

  void SetCreateQuestion(CreateQuestion question) { ask_create_ = std::move(question); }
  // The folder confirmed (absolute); empty until the chooser was accepted.
  QString ChosenFolder() const { return chosen_; }

  // Asks in a message box, with Yes and No, whether the missing folder is to be created.
  static bool AskCreateFolder(QWidget* parent, const QString& folder);

 public slots:
  void accept() override;

 private:
  CreateQuestion ask_create_ = &FolderChooser::AskCreateFolder;
  QString chosen_;
};

// Runs a chooser at start_folder; true and the chosen folder (as bytes) when the user
// confirmed one.
bool ChooseFolder(QWidget* parent, const std::string& start_folder, std::string& chosen);

}  // namespace stirpex
