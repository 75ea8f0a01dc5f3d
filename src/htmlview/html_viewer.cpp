#include "htmlview/html_viewer.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <system_error>

#include "database/text.h"
#include "htmlview/page_text.h"
#include "platform/file_bytes.h"
#include "platform/stored_paths.h"

namespace fs = std::filesystem;

namespace stirpex {

namespace {

// Pages ask for "Times New Roman" and "Courier New"; Linux desktops rarely have them, so the
// nearest free faces follow in the lists.
QFont PageFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                    QStringLiteral("DejaVu Serif"), QStringLiteral("serif")});
  font.setStyleHint(QFont::Serif);
  font.setPointSize(12);
  return font;
}

const QString kFixedPitchCss = QStringLiteral(
    "pre, code, tt, kbd, samp { font-family: 'Courier New', 'Liberation Mono', "
    "'DejaVu Sans Mono', monospace; }");

void SetUpDocument(QTextDocument* document) {
  document->setDefaultFont(PageFont());
  document->setDefaultStyleSheet(kFixedPitchCss);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 1;
  std::string bytes;
  bytes.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) bytes += '\n';
    bytes += lines[i];
  }
  return bytes;
}

bool IsPageFile(const fs::path& path) {
  std::string ext = ToLowerAscii(path.extension().string());
  return ext == ".htm" || ext == ".html" || ext == ".txt";
}

bool IsPictureFile(const fs::path& path) {
  std::string ext = ToLowerAscii(path.extension().string());
  return ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif" || ext == ".bmp";
}

std::string ReferenceOf(const QUrl& name) {
  // After setHtml() references come back as written (relative); QUrl keeps "%XX" escapes in
  // its encoded form, which ResolvePageReference decodes itself.
  return name.toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace

// --- Resources ------------------------------------------------------------------------------

QVariant LoadPageResource(int type, const QUrl& name, const std::vector<fs::path>& dirs) {
  if (type != QTextDocument::ImageResource && type != QTextDocument::StyleSheetResource &&
      type != QTextDocument::HtmlResource) {
    return {};
  }
  fs::path file = ResolvePageReference(ReferenceOf(name), dirs);
  if (file.empty()) return {};
  std::string bytes;
  if (!ReadFileBytes(file, bytes)) return {};
  if (type == QTextDocument::ImageResource) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  return DecodePageText(bytes);
}

PageDocument::PageDocument(const std::string& bytes, std::vector<fs::path> search_dirs,
                           QObject* parent)
    : QTextDocument(parent), search_dirs_(std::move(search_dirs)) {
  SetUpDocument(this);
  setHtml(DecodePageText(bytes));
}

QVariant PageDocument::loadResource(int type, const QUrl& name) {
  QVariant found = LoadPageResource(type, name, search_dirs_);
  // A missing picture gets an empty image rather than Qt's own attempt at the name.
  if (!found.isValid() && type == QTextDocument::ImageResource) return QImage();
  return found;
}

int PrintDocumentPages(QTextDocument& document, QPagedPaintDevice* printer, QPainter& painter,
                       int first, int last, bool new_page_first) {
  const QRectF body(QPointF(0, 0),
                    printer->pageLayout().paintRectPixels(printer->logicalDpiX()).size());
  document.documentLayout()->setPaintDevice(printer);
  // The document's fonts are in points; laid out on the printer they keep their size.
  document.setPageSize(body.size());
  const int count = document.pageCount();
  first = std::max(first, 1);
  last = std::min(last, count);
  int drawn = 0;
  for (int page = first; page <= last; ++page) {
    if (drawn > 0 || new_page_first) printer->newPage();
    painter.save();
    const QRectF view(0, (page - 1) * body.height(), body.width(), body.height());
    painter.translate(0, -view.top());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    context.palette.setColor(QPalette::Text, Qt::black);
    painter.setClipRect(view);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
    ++drawn;
  }
  return drawn;
}

// --- The display --------------------------------------------------------------------------

HtmlViewer::HtmlViewer(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextBrowserInteraction);
  SetUpDocument(document());
  // Clicks are handled after the mouse event is done: the handler may open a modal window or
  // replace the page, neither of which should happen inside the browser's own event code.
  connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
    QString href = pressed_href_;
    pressed_href_.clear();
    if (href.isEmpty()) href = textCursor().charFormat().anchorHref();
    if (href.isEmpty()) href = url.toString();
    QTimer::singleShot(0, this, [this, href] { ActivateLink(href); });
  });
}

std::vector<fs::path> HtmlViewer::AllSearchDirs() const {
  std::vector<fs::path> dirs = search_dirs_;
  dirs.insert(dirs.end(), extra_dirs_.begin(), extra_dirs_.end());
  return dirs;
}

QVariant HtmlViewer::loadResource(int type, const QUrl& name) {
  QVariant found = LoadPageResource(type, name, AllSearchDirs());
  if (!found.isValid() && type == QTextDocument::ImageResource) return QImage();
  return found;
}

void HtmlViewer::mouseReleaseEvent(QMouseEvent* event) {
  // The href as written in the page; anchorClicked only has it as a resolved URL.
  pressed_href_ = anchorAt(event->position().toPoint());
  QTextBrowser::mouseReleaseEvent(event);
}

void HtmlViewer::ShowBytes(const std::string& bytes) {
  page_bytes_ = bytes;
  document()->clear();
  setHtml(DecodePageText(bytes, &page_utf8_));
  moveCursor(QTextCursor::Start);
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
}

void HtmlViewer::LoadLines(const std::vector<std::string>& lines,
                           const std::vector<fs::path>& search_dirs) {
  search_dirs_ = search_dirs;
  ShowBytes(JoinLines(lines));
}

void HtmlViewer::Clear() {
  page_bytes_.clear();
  document()->clear();
  clear();
}

bool HtmlViewer::ShowFile(const fs::path& path, std::string& error) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) {
    error = "Can't locate file: " + path.string();
    return false;
  }
  search_dirs_ = {path.parent_path()};
  if (IsPictureFile(path)) {
    // A picture followed as a link is shown on a page of its own.
    bytes = "<html><body><img src=\"" + path.filename().string() + "\"></body></html>";
  } else if (ToLowerAscii(path.extension().string()) == ".txt") {
    // The text alone: the browser's own setPlainText() would give it the character format at
    // the cursor, which after a click is the clicked link's.
    page_bytes_.clear();
    document()->setPlainText(DecodePageText(bytes, &page_utf8_));
    moveCursor(QTextCursor::Start);
    return true;
  }
  ShowBytes(bytes);
  return true;
}

bool HtmlViewer::LoadFile(const fs::path& path, std::string& error) {
  const fs::path full = (path.is_absolute() ? path : fs::absolute(path)).lexically_normal();
  if (!ShowFile(full, error)) return false;
  if (!history_enabled_) return true;
  // The file of the entry on show again (Home to the welcome page) is no new place.
  if (history_index_ >= 0 && history_[static_cast<std::size_t>(history_index_)] == full.string()) {
    RaiseHistoryChange();
    return true;
  }
  // A new file drops the entries newer than the one on show, as a web browser does.
  if (history_index_ > 0) {
    history_.erase(history_.begin(), history_.begin() + history_index_);
  }
  history_.insert(history_.begin(), full.string());
  if (static_cast<int>(history_.size()) > kHistoryLimit) history_.resize(kHistoryLimit);
  history_index_ = 0;
  RaiseHistoryChange();
  return true;
}

std::vector<std::string> HtmlViewer::HistoryPaths() const {
  return history_;
}

void HtmlViewer::SetHistoryIndex(int index) {
  if (index < 0 || index >= static_cast<int>(history_.size())) return;
  std::string error;
  if (!ShowFile(history_[static_cast<std::size_t>(index)], error)) {
    emit linkError(QString::fromStdString(error));
    return;
  }
  history_index_ = index;
  RaiseHistoryChange();
}

std::string HtmlViewer::DocumentTitle() const {
  return EncodePageText(document()->metaInformation(QTextDocument::DocumentTitle), page_utf8_);
}

void HtmlViewer::SelectAll() {
  selectAll();
}

int HtmlViewer::SelectionLength() const {
  QTextCursor cursor = textCursor();
  return cursor.selectionEnd() - cursor.selectionStart();
}

void HtmlViewer::ClearSelection() {
  QTextCursor cursor = textCursor();
  cursor.clearSelection();
  setTextCursor(cursor);
}

void HtmlViewer::CopyToClipboard() {
  copy();
}

void HtmlViewer::ActivateLink(const QString& href) {
  if (href.isEmpty()) return;
  if (RaiseHotSpotClick(EncodePageText(href, page_utf8_))) return;
  FollowLink(href);
}

void HtmlViewer::FollowLink(const QString& href) {
  const std::string target = EncodePageText(href, true);
  if (href.startsWith(QLatin1Char('#'))) {
    scrollToAnchor(href.mid(1));
    return;
  }
  if (IsExternalReference(target)) {
    QDesktopServices::openUrl(QUrl(href));
    return;
  }
  fs::path file = ResolvePageReference(target, AllSearchDirs());
  if (file.empty()) {
    emit linkError(QStringLiteral("Can't locate file: ") + href);
    return;
  }
  if (IsPageFile(file) || IsPictureFile(file)) {
    std::string error;
    if (!LoadFile(file, error)) {
      emit linkError(QString::fromStdString(error));
      return;
    }
    std::string fragment = ReferenceFragment(target);
    if (!fragment.empty()) scrollToAnchor(QString::fromStdString(fragment));
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQString(file.string())));
}

void HtmlViewer::Print(QPagedPaintDevice* printer, int first, int last) const {
  PageDocument page(page_bytes_, AllSearchDirs());
  if (page_bytes_.empty()) page.setPlainText(toPlainText());
  QPainter painter(printer);
  PrintDocumentPages(page, printer, painter, first, last, false);
}

std::vector<HtmlViewer::LinkSpot> HtmlViewer::Links() const {
  std::vector<LinkSpot> links;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid() || !fragment.charFormat().isAnchor()) continue;
      const QString href = fragment.charFormat().anchorHref();
      if (href.isEmpty()) continue;
      // The middle of the link's text, away from its edges.
      links.push_back({href, fragment.position() + fragment.length() / 2});
    }
  }
  return links;
}

QPoint HtmlViewer::RevealPosition(int position) {
  QTextCursor cursor(document());
  cursor.setPosition(position);
  setTextCursor(cursor);
  ensureCursorVisible();
  const QRect rect = cursorRect(cursor);
  return QPoint(rect.left() + 2, rect.center().y());
}

}  // namespace stirpex
