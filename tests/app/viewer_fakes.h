// Fakes of the viewer's windows for the controller tests: a display that remembers what it
// was given and keeps a file history like the real one, and windows that record what the
// controller shows and answer its dialogs from values the test sets.
#pragma once

#include <algorithm>
#include <deque>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/html_view.h"
#include "app/surname_list.h"
#include "app/viewer_windows.h"

namespace stirpex::testing {

class FakeView : public HtmlView {
 public:
  void LoadLines(const std::vector<std::string>& lines,
                 const std::vector<std::filesystem::path>& dirs) override {
    shown.clear();
    for (const std::string& line : lines) shown += line + "\n";
    search_dirs = dirs;
    shown_file.clear();
    ++loads;
  }
  void Clear() override {
    shown.clear();
    ++clears;
  }
  bool LoadFile(const std::filesystem::path& path, std::string& error) override {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      error = "Can't locate file: " + path.string();
      return false;
    }
    shown = "file:" + path.string();
    shown_file = path.string();
    if (!history.empty() && history[static_cast<std::size_t>(index)] == path.string()) {
      RaiseHistoryChange();
      return true;
    }
    if (index > 0) history.erase(history.begin(), history.begin() + index);
    history.insert(history.begin(), path.string());
    if (history.size() > kHistoryLimit) history.resize(kHistoryLimit);
    index = 0;
    RaiseHistoryChange();
    return true;
  }
  std::vector<std::string> HistoryPaths() const override { return history; }
  int HistoryIndex() const override { return history.empty() ? -1 : index; }
  void SetHistoryIndex(int i) override {
    if (i < 0 || i >= static_cast<int>(history.size())) return;
    index = i;
    shown = "file:" + history[static_cast<std::size_t>(i)];
    shown_file = history[static_cast<std::size_t>(i)];
    RaiseHistoryChange();
  }
  std::string DocumentTitle() const override { return "Title of " + shown_file; }
  void SelectAll() override { selection = static_cast<int>(shown.size()); }
  int SelectionLength() const override { return selection; }
  void ClearSelection() override { selection = 0; }
  void CopyToClipboard() override {
    clipboard = shown.substr(0, static_cast<std::size_t>(selection));
  }

  // A click as the real display makes it: the handler first.
  bool Click(const std::string& target) { return RaiseHotSpotClick(target); }

  std::string shown;
  std::string shown_file;
  std::vector<std::filesystem::path> search_dirs;
  std::vector<std::string> history;
  int index = 0;
  int loads = 0, clears = 0;
  int selection = 0;
  std::string clipboard;
};

class FakeWindows : public ViewerWindows {
 public:
  void SetPlaceControls(const PlaceControls& c) override { controls = c; }
  void SetFileHistory(const std::vector<std::string>& paths) override { file_history = paths; }
  void SetFilePaths(const std::string& style, const std::string& gedcom) override {
    style_path = style;
    gedcom_path = gedcom;
  }
  void SetCaption(const std::string& text) override { caption = text; }
  void PlaceWindow(int l, int t, int w, int h) override {
    left = l;
    top = t;
    width = w;
    height = h;
  }
  void WindowGeometry(int& l, int& t, int& w, int& h) const override {
    l = left;
    t = top;
    w = width;
    h = height;
  }
  bool RunOpenDialog(const std::string& filter, const std::string& start_dir,
                     std::string& chosen) override {
    open_filter = filter;
    open_start_dir = start_dir;
    if (open_answer.empty()) return false;
    chosen = open_answer;
    return true;
  }
  bool RunSaveDialog(const SaveDialogRequest& request, std::string& chosen) override {
    save_requests.push_back(request);
    if (save_answer.empty()) return false;
    chosen = save_answer;
    return true;
  }
  bool ConfirmReplace(const std::string& text) override {
    replace_questions.push_back(text);
    return replace_answer;
  }
  bool ConfirmPublish(const std::string& text) override {
    publish_questions.push_back(text);
    return publish_answer;
  }
  SurnameListResult RunSurnameList(const Database& db, const TFamilyRec* current) override {
    ++surname_lists;
    surname_selection = InitialSurnameSelection(db, db.Surnames(), current);
    return surname_answer;
  }
  void ShowNotes(const std::vector<std::string>& lines,
                 const std::vector<std::filesystem::path>&) override {
    notes.push_back(Join(lines));
  }
  void ShowPicture(const std::vector<std::string>& lines,
                   const std::vector<std::filesystem::path>&) override {
    pictures.push_back(Join(lines));
  }
  void ShowHelp(int topic) override { help_topics.push_back(topic); }
  void ShowChart(const Chart& chart) override { charts.push_back(chart); }

  static std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
  }

  PlaceControls controls;
  std::vector<std::string> file_history;
  std::string style_path, gedcom_path, caption = "Stirpex";
  int left = 0, top = 0, width = 0, height = 0;
  std::string open_filter, open_start_dir, open_answer;
  std::vector<SaveDialogRequest> save_requests;
  std::string save_answer;
  std::vector<std::string> replace_questions;
  bool replace_answer = true;
  std::vector<std::string> publish_questions;
  bool publish_answer = true;
  int surname_lists = 0;
  SurnameSelection surname_selection;
  SurnameListResult surname_answer;
  std::vector<std::string> notes, pictures;
  std::vector<int> help_topics;
  std::vector<Chart> charts;
};

}  // namespace stirpex::testing
