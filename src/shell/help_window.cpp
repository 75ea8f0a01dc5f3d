#include "shell/help_window.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>
#include <charconv>
#include <system_error>

#include "app/controller.h"
#include "htmlview/html_viewer.h"
#include "shell/icons.h"

namespace stirpex {

HelpWindow::HelpWindow(std::filesystem::path help_dir)
    : QWidget(nullptr, Qt::Window), help_dir_(std::move(help_dir)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Stirpex Help"));
  setWindowIcon(ProgramIcon());
  auto* bar = new QToolBar;
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QAction* contents = bar->addAction(MakeToolIcon(ToolIcon::kHome), tr("Contents"));
  back_ = bar->addAction(MakeToolIcon(ToolIcon::kBack), tr("Back"));
  forward_ = bar->addAction(MakeToolIcon(ToolIcon::kForward), tr("Forward"));
  viewer_ = new HtmlViewer;
  viewer_->setObjectName(QStringLiteral("HelpViewer"));

  connect(contents, &QAction::triggered, this, [this] { ShowTopic(kHelpContents); });
  connect(back_, &QAction::triggered, this,
          [this] { viewer_->SetHistoryIndex(viewer_->HistoryIndex() + 1); });
  connect(forward_, &QAction::triggered, this,
          [this] { viewer_->SetHistoryIndex(viewer_->HistoryIndex() - 1); });
  viewer_->SetHistoryHandler([this] { UpdateButtons(); });
  // Help pages link to each other by file name, and to topics by number with "#Help|N".
  viewer_->SetHotSpotHandler([this](const std::string& target) {
    if (target.find("#Help") == std::string::npos) return false;
    const std::string field = ExtractField(target, 1, '|');
    int topic = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), topic);
    if (ec == std::errc() && end == field.data() + field.size()) ShowTopic(topic);
    return true;
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(viewer_, 1);
  resize(640, 560);
  UpdateButtons();
}

std::filesystem::path HelpWindow::TopicFile(int topic) const {
  return help_dir_ / ("topic" + std::to_string(topic) + ".htm");
}

bool HelpWindow::ShowTopic(int topic) {
  std::error_code ec;
  std::filesystem::path file = TopicFile(topic);
  if (!std::filesystem::is_regular_file(file, ec)) {
    topic = kHelpContents;
    file = TopicFile(topic);
  }
  std::string error;
  if (!viewer_->LoadFile(file, error)) return false;
  current_topic_ = topic;
  show();
  raise();
  activateWindow();
  return true;
}

void HelpWindow::UpdateButtons() {
  back_->setEnabled(viewer_->HistoryIndex() < static_cast<int>(viewer_->HistoryPaths().size()) - 1);
  forward_->setEnabled(viewer_->HistoryIndex() > 0);
}

}  // namespace stirpex
