#include "e2e_driver.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <memory>

#include "htmlview/html_viewer.h"
#include "htmlview/page_text.h"
#include "shell/chart_window.h"
#include "shell/main_window.h"
#include "shell/small_windows.h"
#include "shell/surnames_dialog.h"

namespace stirpex {

namespace {

class Driver : public QObject {
 public:
  Driver(TSDIAppForm& window, QStringList steps, QString out_dir)
      : QObject(&window), window_(window), steps_(std::move(steps)), out_dir_(std::move(out_dir)) {}

  void Next(int delay_ms = 150) {
    QTimer::singleShot(delay_ms, this, [this] { Step(); });
  }

 private:
  // A control of the main window by its objectName (the window keeps its controls private).
  QAction* Action(const char* name) const {
    return window_.findChild<QAction*>(QString::fromLatin1(name));
  }

  void Fail(const QString& why) {
    std::fprintf(stderr, "e2e: step %d (%s): %s\n", index_, qPrintable(current_), qPrintable(why));
    std::fflush(stderr);
    QApplication::exit(3);
    std::exit(3);
  }

  QWidget* Front() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return &window_;
  }

  HtmlViewer* FrontViewer() const {
    QWidget* front = Front();
    if (front == &window_) return window_.Viewer();
    return front->findChild<HtmlViewer*>();
  }

  // Runs a command that may open a modal window after this step has returned, so that the
  // script goes on inside the window's own event loop.
  void Later(std::function<void()> action) { QTimer::singleShot(0, &window_, std::move(action)); }

  void ClickLink(const QString& pattern) {
    HtmlViewer* viewer = FrontViewer();
    if (!viewer) return Fail(QStringLiteral("no display in front"));
    QRegularExpression re(pattern);
    for (const HtmlViewer::LinkSpot& link : viewer->Links()) {
      if (!re.match(link.href).hasMatch()) continue;
      QWidget* target = viewer->viewport();
      const QPoint point = viewer->RevealPosition(link.position);
      const QPointF local(point);
      const QPointF global(target->mapToGlobal(point));
      Later([target, local, global] {
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(target, &release);
      });
      return;
    }
    Fail(QStringLiteral("no link matching ") + pattern);
  }

  // Clicks the first area of the chart window whose target matches, at its middle.
  void ClickChart(const QString& pattern) {
    ChartWindow* charts = window_.ChartsWindow();
    if (!charts->isVisible()) return Fail(QStringLiteral("the chart window is not open"));
    const Chart& chart = charts->CurrentChart();
    QRegularExpression re(pattern);
    for (const ChartArea& area : chart.areas) {
      if (!re.match(QString::fromStdString(area.target)).hasMatch()) continue;
      double x = (area.x0 + area.x1) / 2, y = (area.y0 + area.y1) / 2;
      if (area.sector) {
        const double angle = (area.y0 + area.y1) / 2 * 3.14159265358979 / 180;
        x = std::cos(angle) * (area.x0 + area.x1) / 2;
        y = std::sin(angle) * (area.x0 + area.x1) / 2;
      }
      QWidget* canvas = charts->Canvas();
      const QPointF local(x - chart.left, y - chart.top);
      const QPointF global(canvas->mapToGlobal(local.toPoint()));
      Later([canvas, local, global] {
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(canvas, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(canvas, &release);
      });
      return;
    }
    Fail(QStringLiteral("no chart area leading to ") + pattern);
  }

  // Answers the next save dialog with `file`, typed into its name field as a user does.
  void AnswerSaveDialog(const QString& file) {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [timer, file] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (name && name->text() != file) name->setText(file);
      // The dialog reads the typed name as its selection on its own time.
      if (dialog->selectedFiles().value(0) != file) return;
      timer->deleteLater();
      timer->stop();
      QMetaObject::invokeMethod(dialog, "accept");
    });
    timer->start(20);
  }

  bool SelectIn(QListView* view, const QString& text) {
    QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
      QModelIndex index = model->index(row, 0);
      if (index.data().toString().compare(text, Qt::CaseInsensitive) == 0) {
        view->setCurrentIndex(index);
        view->scrollTo(index);
        return true;
      }
    }
    return false;
  }

  void Step() {
    if (index_ >= steps_.size()) {
      window_.close();
      QApplication::quit();
      return;
    }
    current_ = steps_[index_++].trimmed();
    if (current_.isEmpty() || current_.startsWith(QLatin1Char('#'))) return Next(0);
    const int space = current_.indexOf(QLatin1Char(' '));
    const QString command = space < 0 ? current_ : current_.left(space);
    const QString arg = space < 0 ? QString() : current_.mid(space + 1).trimmed();
    std::fprintf(stderr, "e2e: %s\n", qPrintable(current_));
    int delay = 300;

    if (command == QLatin1String("click-link")) {
      ClickLink(arg);
    } else if (command == QLatin1String("click-chart")) {
      ClickChart(arg);
    } else if (command == QLatin1String("shot-chart")) {
      const QString file = QDir(out_dir_).filePath(arg + QStringLiteral(".png"));
      if (!window_.ChartsWindow()->isVisible()) return Fail(QStringLiteral("no chart window"));
      if (!window_.ChartsWindow()->grab().save(file)) {
        return Fail(QStringLiteral("cannot write ") + file);
      }
    } else if (command == QLatin1String("close-chart")) {
      window_.ChartsWindow()->close();
    } else if (command == QLatin1String("back")) {
      if (!Action("tbtnBack")->isEnabled()) return Fail(QStringLiteral("back is off"));
      Action("tbtnBack")->trigger();
    } else if (command == QLatin1String("forward")) {
      if (!Action("tbtnRight")->isEnabled()) return Fail(QStringLiteral("forward is off"));
      Action("tbtnRight")->trigger();
    } else if (command == QLatin1String("home")) {
      Action("tbtnHome")->trigger();
    } else if (command == QLatin1String("surnames")) {
      Later([this] { Action("tbtnSurnames")->trigger(); });
    } else if (command == QLatin1String("gedinfo")) {
      Later([this] { Action("mniGEDCOMInfo")->trigger(); });
    } else if (command == QLatin1String("about")) {
      Later([this] { Action("About1")->trigger(); });
    } else if (command == QLatin1String("copy")) {
      Action("mniViewCopy")->trigger();
    } else if (command == QLatin1String("open")) {
      const std::string path = QStringToPath(arg);
      Later([this, path] { window_.Controller().OpenFile(path); });
    } else if (command == QLatin1String("save")) {
      // Save of the window in front: the notes window's, else Save HTML of the main window.
      auto* notes = qobject_cast<TfrmNotes*>(QApplication::activeModalWidget());
      QAction* save = notes ? notes->tbSave : Action("SaveItem");
      const QString file = QDir(out_dir_).filePath(arg);
      QFile::remove(file);
      AnswerSaveDialog(file);
      Later([save] { save->trigger(); });
    } else if (command == QLatin1String("expect-file")) {
      const int gap = arg.indexOf(QLatin1Char(' '));
      QFile file(QDir(out_dir_).filePath(arg.left(gap)));
      if (gap < 0 || !file.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("no file ") + arg.left(gap));
      }
      const QByteArray bytes = file.readAll();
      const QString text = DecodePageText(std::string_view(bytes.constData(), bytes.size()));
      if (!QRegularExpression(arg.mid(gap + 1)).match(text).hasMatch()) {
        return Fail(QStringLiteral("the file does not hold ") + arg.mid(gap + 1));
      }
    } else if (command == QLatin1String("select-surname") ||
               command == QLatin1String("select-person")) {
      auto* dialog = qobject_cast<TfrmSurnames*>(QApplication::activeModalWidget());
      if (!dialog) return Fail(QStringLiteral("the surname list is not open"));
      QListView* list =
          command == QLatin1String("select-surname") ? dialog->lbSurnames : dialog->lbPeople;
      if (!SelectIn(list, arg)) return Fail(QStringLiteral("not in the list: ") + arg);
    } else if (command == QLatin1String("accept") || command == QLatin1String("close")) {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return Fail(QStringLiteral("no window in front"));
      if (command == QLatin1String("accept")) {
        Later([dialog] { dialog->accept(); });
      } else {
        Later([dialog] { dialog->reject(); });
      }
    } else if (command == QLatin1String("wait")) {
      delay = arg.toInt();
    } else if (command == QLatin1String("shot")) {
      QWidget* front = Front();
      const QString file = QDir(out_dir_).filePath(arg + QStringLiteral(".png"));
      if (!front->grab().save(file)) return Fail(QStringLiteral("cannot write ") + file);
    } else if (command == QLatin1String("shot-screen")) {
      const QString file = QDir(out_dir_).filePath(arg + QStringLiteral(".png"));
      // The screen where the main window is, with whatever windows lie over it.
      const QRect area = window_.frameGeometry();
      QScreen* screen = window_.screen();
      if (!screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(file)) {
        return Fail(QStringLiteral("cannot write ") + file);
      }
    } else if (command == QLatin1String("expect-title")) {
      HtmlViewer* viewer = FrontViewer();
      if (!viewer || !QRegularExpression(arg).match(viewer->toPlainText()).hasMatch()) {
        return Fail(QStringLiteral("page does not show ") + arg);
      }
    } else if (command == QLatin1String("quit")) {
      index_ = static_cast<int>(steps_.size());
    } else {
      return Fail(QStringLiteral("unknown command"));
    }
    Next(delay);
  }

  TSDIAppForm& window_;
  QStringList steps_;
  QString out_dir_;
  int index_ = 0;
  QString current_;
};

}  // namespace

void StartEndToEndScript(TSDIAppForm& window) {
  const QString script = qEnvironmentVariable("STIRPEX_E2E_SCRIPT");
  if (script.isEmpty()) return;
  QFile file(script);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    std::fprintf(stderr, "e2e: cannot read %s\n", qPrintable(script));
    std::exit(3);
  }
  QStringList steps = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
  // The script answers Qt's own file dialogs, whatever the desktop would offer.
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QString out = qEnvironmentVariable("STIRPEX_E2E_OUT", QDir::currentPath());
  QDir().mkpath(out);
  auto* driver = new Driver(window, std::move(steps), out);
  driver->Next(500);
}

}  // namespace stirpex
