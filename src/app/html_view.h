// The HTML display as the viewer's controller sees it: the few operations the main window, the
// notes window and the image window need of whatever renders pages.
//
// The viewer implements it with Qt's QTextBrowser (htmlview/html_viewer.h); tests use a fake.
// Pages are bytes (the style's and the database's 8-bit text, never converted); the display
// decodes them for showing and hands clicked link targets back as bytes, exactly as written
// in the page.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stirpex {

class HtmlView {
 public:
  // Receives the target text of a clicked link as written in the page; returns true when the
  // link was handled. An unhandled link is followed by the display itself.
  using HotSpotHandler = std::function<bool(const std::string& target)>;
  using HistoryHandler = std::function<void()>;

  // The history keeps at most this many files.
  static constexpr int kHistoryLimit = 20;

  virtual ~HtmlView() = default;

  // Shows the page made of the lines (one line of HTML each) from its top, in place of what
  // was shown. Relative pictures and links of the page are looked for in the folders given,
  // first to last. The history is not touched.
  virtual void LoadLines(const std::vector<std::string>& lines,
                         const std::vector<std::filesystem::path>& search_dirs) = 0;
  // Shows nothing.
  virtual void Clear() = 0;
  // Shows the HTML file (relative pictures and links resolve against its folder) and puts it
  // at the top of the history, dropping the entries newer than the one on show; the file of
  // the entry on show is shown again without a new entry. Returns false and leaves the display
  // as it was when the file cannot be read; `error` then holds "Can't locate file: " + path.
  virtual bool LoadFile(const std::filesystem::path& path, std::string& error) = 0;

  // The files loaded, most recent first (at most kHistoryLimit).
  virtual std::vector<std::string> HistoryPaths() const = 0;
  // Position of the entry on show in HistoryPaths(); -1 while the history is empty.
  virtual int HistoryIndex() const = 0;
  // Shows history entry `index` and raises the history event; an index outside the history
  // is ignored.
  virtual void SetHistoryIndex(int index) = 0;
  // The title of the document on show (its <title>), empty when it has none.
  virtual std::string DocumentTitle() const = 0;

  virtual void SelectAll() = 0;
  // Characters selected; 0 when nothing is.
  virtual int SelectionLength() const = 0;
  virtual void ClearSelection() = 0;
  // Copies the selection to the clipboard (nothing when nothing is selected).
  virtual void CopyToClipboard() = 0;

  void SetHotSpotHandler(HotSpotHandler handler) { hot_spot_handler_ = std::move(handler); }
  void SetHistoryHandler(HistoryHandler handler) { history_handler_ = std::move(handler); }

 protected:
  // For implementations: asks the handler about a clicked link; false when there is none.
  bool RaiseHotSpotClick(const std::string& target) {
    return hot_spot_handler_ ? hot_spot_handler_(target) : false;
  }
  void RaiseHistoryChange() {
    if (history_handler_) history_handler_();
  }

 private:
  HotSpotHandler hot_spot_handler_;
  HistoryHandler history_handler_;
};

// Copy as the viewer's Copy commands do it: with nothing selected everything is selected
// first; the selection goes to the clipboard and is then cleared.
inline void CopyPageText(HtmlView& view) {
  if (view.SelectionLength() == 0) view.SelectAll();
  view.CopyToClipboard();
  view.ClearSelection();
}

}  // namespace stirpex
