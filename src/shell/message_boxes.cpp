#include "shell/message_boxes.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "htmlview/page_text.h"

namespace stirpex {

MessageBoxDialog::MessageBoxDialog(QWidget* parent, Kind kind, const QString& caption,
                                   const QString& text, int help_context, HelpOpener open_help)
    : QDialog(parent), text_(text) {
  setWindowTitle(caption);
  setObjectName(QStringLiteral("MessageBox"));
  QStyle::StandardPixmap icon_kind =
      kind == Kind::kError ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning;
  auto* icon = new QLabel;
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(icon_kind, nullptr, this).pixmap(size, size));
  icon->setAlignment(Qt::AlignTop);
  auto* label = new QLabel(text);
  label->setObjectName(QStringLiteral("MessageText"));
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setMinimumWidth(280);

  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(8);
  top->addWidget(label, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = new QPushButton(tr("OK"));
  ok_->setDefault(true);
  buttons->addWidget(ok_);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  if (kind == Kind::kQuestion) {
    cancel_ = new QPushButton(tr("Cancel"));
    buttons->addWidget(cancel_);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  }
  if (help_context > 0 && open_help) {
    help_ = new QPushButton(tr("Help"));
    help_->setAutoDefault(false);
    buttons->addWidget(help_);
    // The box stays open while the topic is read.
    connect(help_, &QPushButton::clicked, this,
            [open_help, help_context] { open_help(help_context); });
  }
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // Blocks the window it belongs to, not the help window opened from it.
  setWindowModality(Qt::WindowModal);
}

void ShowErrorBox(QWidget* parent, const QString& text, int help_context,
                  const HelpOpener& open_help) {
  MessageBoxDialog box(parent, MessageBoxDialog::Kind::kError, QStringLiteral("Error"), text,
                       help_context, open_help);
  box.exec();
}

void ShowWarningBox(QWidget* parent, const QString& text) {
  MessageBoxDialog box(parent, MessageBoxDialog::Kind::kWarning, QStringLiteral("Error"), text, 0,
                       {});
  box.exec();
}

bool AskReplaceBox(QWidget* parent, const QString& text) {
  MessageBoxDialog box(parent, MessageBoxDialog::Kind::kQuestion, QStringLiteral("Saving File"),
                       text, 0, {});
  return box.exec() == QDialog::Accepted;
}

bool AskPublishBox(QWidget* parent, const QString& text) {
  MessageBoxDialog box(parent, MessageBoxDialog::Kind::kQuestion,
                       QStringLiteral("Publishing Living People"), text, 0, {});
  return box.exec() == QDialog::Accepted;
}

void ShellMessages::Error(std::string_view text, int help_context) {
  ShowErrorBox(parent_, DecodePageText(text), help_context, open_help_);
}

void ShellMessages::Warning(std::string_view text) {
  ShowWarningBox(parent_, DecodePageText(text));
}

}  // namespace stirpex
