// The viewer's message boxes: error boxes with OK and Help (the Help button opens the message's
// help topic and leaves the box open), warnings titled "Error", and the replace question of the
// save dialog. `ShellMessages` puts the core's messages into them.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

#include "database/progress.h"

class QAbstractButton;
class QPushButton;

namespace stirpex {

// Opens help topic n.
using HelpOpener = std::function<void(int topic)>;

class MessageBoxDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { kError, kWarning, kQuestion };
  // Buttons: OK, plus Help when help_context > 0, plus Cancel for a question.
  MessageBoxDialog(QWidget* parent, Kind kind, const QString& caption, const QString& text,
                   int help_context, HelpOpener open_help);

  QString Text() const { return text_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* HelpButton() const { return help_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  QString text_;
  QPushButton* ok_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// The error box: title "Error", an error icon, the text, OK and Help.
void ShowErrorBox(QWidget* parent, const QString& text, int help_context,
                  const HelpOpener& open_help);
// The warning box: title "Error", an exclamation icon, the text and OK.
void ShowWarningBox(QWidget* parent, const QString& text);
// "File: ... exists. Replace? ": caption "Saving File", an exclamation icon, OK and Cancel.
// True on OK.
bool AskReplaceBox(QWidget* parent, const QString& text);
// The question before an export publishes people who may be living: caption "Publishing
// Living People", an exclamation icon, OK and Cancel. True on OK.
bool AskPublishBox(QWidget* parent, const QString& text);

// The core's messages as boxes over `parent`.
class ShellMessages : public Messages {
 public:
  ShellMessages(QWidget* parent, HelpOpener open_help)
      : parent_(parent), open_help_(std::move(open_help)) {}
  void Error(std::string_view text, int help_context) override;
  void Warning(std::string_view text) override;

 private:
  QWidget* parent_;
  HelpOpener open_help_;
};

}  // namespace stirpex
