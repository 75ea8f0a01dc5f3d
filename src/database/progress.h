// How long work talks to the user: progress reports and messages.
//
// The core never shows anything itself. Loading a GEDCOM file, writing a web site and the long
// walks report through `Progress`; problems with files the user asked for go through
// `Messages`. The viewer implements both with windows, stirpex-cli with lines on standard error,
// and tests with recorders.
#pragma once

#include <string_view>

namespace stirpex {

// Help topics of the error messages.
enum HelpContext : int {
  kHelpContents = 1,
  kHelpOptions = 100,
  kHelpGedcomFile = 201,
  kHelpStyleFile = 202,
  kHelpHtmlFile = 203,
  kHelpMissingFile = 204,
  kHelpProjectFile = 205,
};

class Progress {
 public:
  virtual ~Progress() = default;
  // Shows the report without blocking the main window: a title ("Loading GEDCOM",
  // "Saving Webpages"), the people and family counts as text, and the file being read (empty
  // when the work is not reading a file).
  virtual void ProgressOpen(std::string_view title, std::string_view people,
                            std::string_view families, std::string_view file_name) = 0;
  virtual void ProgressPeople(long long count) = 0;
  virtual void ProgressFamilies(long long count) = 0;
  // The tree counter of the web-site pass; the first call shows the "Trees:" label.
  virtual void ProgressTrees(long long count) { (void)count; }
  // 0 to 100; also repaints the report.
  virtual void ProgressPercent(int percent) = 0;
  virtual void ProgressClose() = 0;
  // Lets pending window messages run (the viewer repaints and stays responsive).
  virtual void Pump() {}
  // True once the user asked to stop; long passes check it between steps.
  virtual bool Cancelled() const { return false; }
};

// A progress report that shows nothing.
class NullProgress : public Progress {
 public:
  void ProgressOpen(std::string_view, std::string_view, std::string_view,
                    std::string_view) override {}
  void ProgressPeople(long long) override {}
  void ProgressFamilies(long long) override {}
  void ProgressPercent(int) override {}
  void ProgressClose() override {}
};

class Messages {
 public:
  virtual ~Messages() = default;
  // An error about a file: a modal box with OK and Help (the topic number) in the viewer, a
  // line on standard error and a failing exit status in the CLI. The text names the file.
  virtual void Error(std::string_view text, int help_context) = 0;
  // A simple warning (a box titled "Error" with an exclamation icon in the viewer).
  virtual void Warning(std::string_view text) = 0;
};

// Messages that go nowhere.
class NullMessages : public Messages {
 public:
  void Error(std::string_view, int) override {}
  void Warning(std::string_view) override {}
};

}  // namespace stirpex
