// The viewer's HTML display: QTextBrowser behind the HtmlView operations.
//
// The browser never navigates by itself: a clicked link's target, exactly as written in the
// page (the anchor's href attribute, not a normalised URL), goes to the hot-spot handler; only
// a link it leaves unhandled is followed here (another page file is loaded into the history,
// "#name" scrolls, web and mail links go to the desktop's browser). Pictures, style sheets and
// linked pages are looked up in the page's folders by ResolvePageReference, so "\" paths and
// names in the wrong letter case still show. The history of loaded files is kept here, most
// recent first, because QTextBrowser's own records only its own navigation.
#pragma once

#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <filesystem>
#include <string>
#include <vector>

#include "app/html_view.h"

class QPainter;
class QPagedPaintDevice;

namespace stirpex {

class HtmlViewer : public QTextBrowser, public HtmlView {
  Q_OBJECT

 public:
  explicit HtmlViewer(QWidget* parent = nullptr);

  // --- HtmlView ---
  void LoadLines(const std::vector<std::string>& lines,
                 const std::vector<std::filesystem::path>& search_dirs) override;
  void Clear() override;
  bool LoadFile(const std::filesystem::path& path, std::string& error) override;
  std::vector<std::string> HistoryPaths() const override;
  int HistoryIndex() const override { return history_index_; }
  void SetHistoryIndex(int index) override;
  std::string DocumentTitle() const override;
  void SelectAll() override;
  int SelectionLength() const override;
  void ClearSelection() override;
  void CopyToClipboard() override;

  // Off: LoadFile shows the file without recording it (the notes and image windows).
  void SetHistoryEnabled(bool enabled) { history_enabled_ = enabled; }
  // Folders searched for the page's pictures and links after the page's own folders.
  void SetExtraSearchDirs(std::vector<std::filesystem::path> dirs) {
    extra_dirs_ = std::move(dirs);
  }
  const std::vector<std::filesystem::path>& SearchDirs() const { return search_dirs_; }

  // Handles a clicked link as a click does: the hot-spot handler first, then the display.
  // `href` is the target as written in the page.
  void ActivateLink(const QString& href);

  // Prints the page on show from page `first` to page `last` (1-based, clipped to the
  // document) in one print job: onto a QPrinter, or a QPdfWriter.
  void Print(QPagedPaintDevice* printer, int first, int last) const;

  // The links of the page on show: each target as written and the document position of its
  // text. For the end-to-end tests that click through pages.
  struct LinkSpot {
    QString href;
    int position;
  };
  std::vector<LinkSpot> Links() const;
  // Scrolls the text at a document position into view and returns its place in the viewport.
  QPoint RevealPosition(int position);

 signals:
  // A link the display could not follow (a missing page file); the text names it.
  void linkError(const QString& text);

 protected:
  QVariant loadResource(int type, const QUrl& name) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ShowBytes(const std::string& bytes);
  void FollowLink(const QString& href);
  bool ShowFile(const std::filesystem::path& path, std::string& error);

  std::vector<std::filesystem::path> AllSearchDirs() const;

  std::vector<std::filesystem::path> search_dirs_;
  std::vector<std::filesystem::path> extra_dirs_;
  std::string page_bytes_;            // the page on show, for printing
  std::vector<std::string> history_;  // most recent first
  int history_index_ = -1;
  bool history_enabled_ = true;
  bool page_utf8_ = true;  // how the page on show was decoded (links are encoded back so)
  QString pressed_href_;   // the raw href under the pointer at the last mouse release
};

// A page as a document of its own, with pictures and style sheets looked up as the display
// does (for printing, where each page is laid out anew on the printer).
class PageDocument : public QTextDocument {
 public:
  PageDocument(const std::string& bytes, std::vector<std::filesystem::path> search_dirs,
               QObject* parent = nullptr);

 protected:
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  std::vector<std::filesystem::path> search_dirs_;
};

// The picture or style sheet a page refers to, looked up in the folders; an empty value
// when there is none (the page then shows without it).
QVariant LoadPageResource(int type, const QUrl& name,
                          const std::vector<std::filesystem::path>& dirs);

// Draws pages of a laid-out document onto a painter that prints (used by Print and by the
// main window's Print All, which puts many documents into one job). Pages `first` to `last`
// (1-based, clipped). `new_page_first` asks for a new printer page before the first one.
// Returns the number of pages drawn.
int PrintDocumentPages(QTextDocument& document, QPagedPaintDevice* printer, QPainter& painter,
                       int first, int last, bool new_page_first);

}  // namespace stirpex
