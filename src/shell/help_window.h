// The help window: the program's HTML help pages (help/topic<N>.htm; topic 1 is the
// contents) in a window of their own, with Contents, Back and Forward. Message boxes and
// "#Help|N" links open topics by number; an unknown number shows the contents.
//
// It is a top-level window without owner, so a modal message box does not block it: the user
// can read the topic of a message while the message is still open.
#pragma once

#include <QWidget>
#include <filesystem>

class QAction;

namespace stirpex {

class HtmlViewer;

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(std::filesystem::path help_dir);

  // Shows topic n (raising the window); false when neither the topic's page nor the
  // contents exists.
  bool ShowTopic(int topic);
  // The page file of a topic.
  std::filesystem::path TopicFile(int topic) const;
  int CurrentTopic() const { return current_topic_; }
  HtmlViewer* Viewer() const { return viewer_; }

 private:
  void UpdateButtons();

  std::filesystem::path help_dir_;
  HtmlViewer* viewer_;
  QAction* back_;
  QAction* forward_;
  int current_topic_ = 0;
};

}  // namespace stirpex
