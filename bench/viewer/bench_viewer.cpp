// Viewer benchmark: how the desktop viewer responds on a large generated tree. It drives the
// real main window (offscreen when there is no display) and times what a user waits for:
//
//   - loading the tree at start-up with the progress window, against loading it with no
//     progress report at all (the window must not slow loading down);
//   - following a family link: the controller builds the page and the display lays it out
//     and paints it (target: under 50 ms);
//   - back to the previous family, and a pedigree (tree page) link;
//   - opening the surname list: both lists filled and painted (target: under 0.5 s);
//   - the exclusion lists of the options: filled, half the rows moved, then every row moved
//     back (target: under 1 s per 100,000 people);
//   - the descendant outline of 111,111 people built and shown (target: under 1 s);
//   - a fan chart link (five generations, the default): the chart built, drawn by Qt SVG in
//     the chart window and painted (target: under 100 ms), and a descendant chart link;
//   - with --rich (the generator's rich tree): links to the pages of sources, places and media
//     records, built from the privacy layer's reverse indexes and painted (target: under
//     50 ms), the first source and place link of the session apart.
//
//   bench_viewer [--people 1M] [--seed 1] [--links 200] [--rich]
//   bench_viewer --smoke      a 2,000-person tree, checks the pages shown, no timing targets
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/descendant_outline.h"
#include "app/people_lists.h"
#include "database/gedcom_reader.h"
#include "htmlview/html_viewer.h"
#include "pages/chart_pages.h"
#include "pages/page_names.h"
#include "pages/record_pages.h"
#include "pages/shown_index.h"
#include "pages/small_tree.h"
#include "shell/chart_window.h"
#include "shell/main_window.h"
#include "shell/outline_model.h"
#include "shell/progress_window.h"
#include "shell/surnames_dialog.h"
#include "support/bench_support.h"
#include "support/test_paths.h"

namespace stirpex::bench {
namespace {

struct Options {
  std::uint64_t people = 1000000;
  std::uint64_t seed = 1;
  int links = 200;
  bool smoke = false;
  bool rich = false;
};

struct Stats {
  double median = 0, p95 = 0, max = 0;
};

Stats Summarise(std::vector<double> ms) {
  Stats s;
  if (ms.empty()) return s;
  std::sort(ms.begin(), ms.end());
  s.median = ms[ms.size() / 2];
  s.p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  s.max = ms.back();
  return s;
}

// Lays out and paints the display as the screen would after a change.
void Paint(TSDIAppForm& window) {
  window.Viewer()->viewport()->repaint();
  QApplication::processEvents();
}

void Fail(const char* what) {
  std::fprintf(stderr, "bench_viewer: %s\n", what);
  std::exit(1);
}

int Run(const Options& options) {
  const std::filesystem::path gedcom = SyntheticGedcom(options.people, options.seed, options.rich);
  if (gedcom.empty()) Fail("cannot make the generated tree");

  // Loading with no progress report at all, for comparison.
  QElapsedTimer clock;
  double bare_load_ms = 0;
  {
    Database db;
    NullProgress progress;
    NullMessages messages;
    clock.start();
    if (!LoadGedcom(db, gedcom, progress, messages)) Fail("the generated tree does not load");
    bare_load_ms = clock.nsecsElapsed() / 1e6;
  }

  // Loading with the progress window, as the viewer loads.
  double window_load_ms = 0;
  long long repaints = 0;
  {
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    Database db;
    ProgressReport progress(&owner);
    NullMessages messages;
    clock.restart();
    LoadGedcom(db, gedcom, progress, messages);
    window_load_ms = clock.nsecsElapsed() / 1e6;
    repaints = progress.Repaints();
  }

  // A program folder whose settings name the generated tree and the bundled style.
  testing::TempDir program;
  const std::filesystem::path style = testing::SourceDir() / "styles" / "stirp1.sty";
  program.Write("stirpex.ini", "[Options]\r\nStyleFile=" + style.string() + "\r\nGEDCOMFile=" +
                                   gedcom.string() + "\r\nwidth=1000\r\nheight=800\r\n");
  TSDIAppForm window;
  window.show();
  QApplication::processEvents();
  clock.restart();
  window.FormCreate(program.path(), {});
  Paint(window);
  const double start_ms = clock.nsecsElapsed() / 1e6;
  ViewerController& controller = window.Controller();
  const Database& db = controller.db();
  if (db.FamilyList().empty()) Fail("no family was loaded");
  if (!window.Viewer()->toPlainText().contains("Family of")) Fail("no family page at start");

  // Family links to families spread over the whole tree.
  std::mt19937_64 random(options.seed);
  std::uniform_int_distribution<std::size_t> pick(0, db.FamilyList().size() - 1);
  std::vector<double> link_ms, back_ms, tree_ms, fan_ms, descendants_ms;
  ChartWindow* charts = window.ChartsWindow();
  // A chart link: the chart built, loaded into the chart window, drawn and painted.
  auto chart_link = [&](const std::string& target, std::vector<double>& times) {
    clock.restart();
    controller.HTMLViewerHotSpotClick(target);
    charts->Canvas()->repaint();
    QApplication::processEvents();
    times.push_back(clock.nsecsElapsed() / 1e6);
    if (charts->CurrentChart().svg.empty()) Fail("a chart link showed no chart");
  };
  for (int i = 0; i < options.links; ++i) {
    const TFamilyRec* family = db.FamilyList()[pick(random)];
    const std::string target = family->Id.str() + ".htm";
    clock.restart();
    controller.HTMLViewerHotSpotClick(target);
    Paint(window);
    link_ms.push_back(clock.nsecsElapsed() / 1e6);
    if (controller.CurrentFamily() != family) Fail("a family link did not show its family");

    const TPersonRec* person = family->Husband ? family->Husband : family->Wife;
    if (person && i % 4 == 0) {
      clock.restart();
      controller.HTMLViewerHotSpotClick(person->Id.str() + "tr.htm");
      Paint(window);
      tree_ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    const PageContext ctx = controller.MakePageContext();
    if (!FanChartPage(ctx, *family).empty()) {
      chart_link(PageName(family->Id, PageKind::kFanChart), fan_ms);
    }
    if (!DescendantChartPage(ctx, *family).empty()) {
      chart_link(PageName(family->Id, PageKind::kDescendantChart), descendants_ms);
    }
    if (i % 4 == 1) {
      clock.restart();
      controller.PrevButtonClick(true);
      Paint(window);
      back_ms.push_back(clock.nsecsElapsed() / 1e6);
    }
  }

  // Links to the pages of sources, places and media records, each timed as a click (page built
  // and painted) and as the page built alone, with its size. The targets come from a walk of
  // their own, so that the session's indexes are made as in use: by the first page that asks
  // (a family page of a rich tree, which links its places and sources to their pages).
  struct RecordLinks {
    RecordLinks(PageKind page_kind, const char* row_label, const char* shown_title)
        : kind(page_kind), label(row_label), title(shown_title) {}
    PageKind kind;
    const char* label;
    const char* title;                   // what the history calls the page, up to its title
    std::vector<std::uint64_t> targets;  // record numbers, or the keys of places
    std::vector<double> shown_ms, built_ms, kbytes;
    double first_ms = 0;
  };
  RecordLinks sources(PageKind::kSource, "source page link", "Source: "),
      places(PageKind::kPlace, "place page link", "Place: "),
      media(PageKind::kMedia, "media page link", "Media: ");
  if (options.rich) {
    const ShownTree walk(db, controller.MakePageContext().settings);
    for (std::uint32_t record : SourcesWithPages(walk)) sources.targets.push_back(record);
    for (const ShownPlace& place : PlacesWithPages(walk)) places.targets.push_back(place.key);
    for (std::uint32_t record : MediaWithPages(walk)) media.targets.push_back(record);
    auto follow = [&](RecordLinks& links) {
      const std::uint64_t target = links.targets.at(random() % links.targets.size());
      const auto record = static_cast<std::uint32_t>(target);
      const std::string name = links.kind == PageKind::kPlace
                                   ? PageName(PlaceKeyText(target), links.kind)
                                   : PageName(db.Store().Node(record).xref(), links.kind);
      clock.restart();
      controller.HTMLViewerHotSpotClick(name);
      Paint(window);
      links.shown_ms.push_back(clock.nsecsElapsed() / 1e6);
      const std::vector<std::string> history = controller.PlaceHistory();
      if (!history.at(controller.PlaceIndex()).starts_with(links.title)) Fail("a link failed");

      const PageContext ctx = controller.MakePageContext();
      PageLines lines;
      clock.restart();
      if (links.kind == PageKind::kPlace) {
        BuildPlacePage(ctx, target, lines);
      } else if (links.kind == PageKind::kSource) {
        BuildSourcePage(ctx, record, lines);
      } else {
        BuildMediaPage(ctx, record, lines);
      }
      links.built_ms.push_back(clock.nsecsElapsed() / 1e6);
      double size = 0;
      for (std::string_view line : lines) size += static_cast<double>(line.size() + 1);
      links.kbytes.push_back(size / 1024);
    };
    follow(sources);
    follow(places);
    sources.first_ms = sources.shown_ms.back();
    places.first_ms = places.shown_ms.back();
    sources.shown_ms.clear(), places.shown_ms.clear();
    for (int i = 0; i < options.links; ++i) {
      for (RecordLinks* links : {&sources, &places, &media}) follow(*links);
    }
  }

  // The surname list, filled, shown and painted as it opens.
  std::vector<double> surname_ms;
  TfrmSurnames* surnames = window.SurnamesWindow();
  for (int i = 0; i < 5; ++i) {
    clock.restart();
    surnames->Activate(db, controller.CurrentFamily());
    surnames->show();
    surnames->lbSurnames->viewport()->repaint();
    surnames->lbPeople->viewport()->repaint();
    QApplication::processEvents();
    surname_ms.push_back(clock.nsecsElapsed() / 1e6);
    surnames->hide();
  }
  if (surnames->SurnameEntries().isEmpty()) Fail("the surname list is empty");

  // The options' exclusion lists: filled, every other row moved over, all moved back.
  clock.restart();
  {
    PeopleLists lists;
    lists.Attach(db);
    lists.Fill();
    std::vector<int> every_other;
    for (int row = 0; row < lists.Count(PeopleSide::kInclude); row += 2) every_other.push_back(row);
    lists.MoveRows(PeopleSide::kInclude, std::move(every_other));
    lists.MoveAll(PeopleSide::kExclude);
    if (lists.Count(PeopleSide::kInclude) != static_cast<int>(db.PersonList().size())) {
      Fail("the exclusion lists lost people");
    }
  }
  const double lists_ms = clock.nsecsElapsed() / 1e6;
  const double lists_target_ms = 1000.0 * static_cast<double>(db.PersonList().size()) / 100000;

  // The descendant outline: ten children a person over five generations.
  testing::SmallTree outline_tree;
  std::vector<TPersonRec*> generation{outline_tree.Person("i0", "Person 0")};
  int next = 1;
  for (int g = 0; g < 5; ++g) {
    std::vector<TPersonRec*> children_of_all;
    for (TPersonRec* parent : generation) {
      TFamilyRec* f = outline_tree.Family("f" + std::to_string(next), parent, nullptr, {});
      for (int k = 0; k < 10; ++k, ++next) {
        TPersonRec* kid =
            outline_tree.Person("i" + std::to_string(next), "Person " + std::to_string(next));
        outline_tree.db.Append(f->Children, kid);
        kid->ParentFamily = f;
        children_of_all.push_back(kid);
      }
    }
    generation = std::move(children_of_all);
  }
  double outline_ms = 0;
  {
    QTreeView view;
    OutlineModel model;
    view.setModel(&model);
    view.show();
    clock.restart();
    DescendantOutline outline;
    if (!outline.Build(outline_tree.db.FamilyList().front(), nullptr)) Fail("no outline");
    model.SetOutline(std::move(outline));
    view.expand(model.index(0, 0));
    QApplication::processEvents();
    outline_ms = clock.nsecsElapsed() / 1e6;
    if (model.Outline().size() != 111111u) Fail("the outline lost people");
  }

  charts->close();
  if (fan_ms.empty() || descendants_ms.empty()) Fail("no family with charts was visited");
  const Stats link = Summarise(link_ms), back = Summarise(back_ms), tree = Summarise(tree_ms),
              list = Summarise(surname_ms), fan = Summarise(fan_ms),
              descendants = Summarise(descendants_ms);
  std::printf("Viewer on a generated tree of %s people (%zu families, %zu surnames)\n",
              SizeLabel(options.people).c_str(), db.FamilyList().size(), db.Surnames().size());
  std::printf("  %-38s %10s %10s %10s\n", "", "median ms", "p95 ms", "max ms");
  std::printf("  %-38s %10.1f %10.1f %10.1f\n", "family link: page built and painted", link.median,
              link.p95, link.max);
  std::printf("  %-38s %10.1f %10.1f %10.1f\n", "back to the previous family", back.median,
              back.p95, back.max);
  std::printf("  %-38s %10.1f %10.1f %10.1f\n", "tree page link", tree.median, tree.p95, tree.max);
  std::printf("  %-38s %10.1f %10.1f %10.1f\n", "surname list opened and painted", list.median,
              list.p95, list.max);
  std::printf("  %-38s %10.1f %10.1f %10.1f   (%zu)\n", "fan chart link: drawn and painted",
              fan.median, fan.p95, fan.max, fan_ms.size());
  std::printf("  %-38s %10.1f %10.1f %10.1f   (%zu)\n", "descendant chart link: the same",
              descendants.median, descendants.p95, descendants.max, descendants_ms.size());
  if (options.rich) {
    std::printf("  %-38s %10s %10s %10s %10s %10s %10s\n", "built and painted", "median ms",
                "p95 ms", "max ms", "built p95", "median kB", "max kB");
    for (const RecordLinks* links : {&sources, &places, &media}) {
      const Stats shown = Summarise(links->shown_ms), built = Summarise(links->built_ms),
                  size = Summarise(links->kbytes);
      std::printf("  %-38s %10.1f %10.1f %10.1f %10.1f %10.1f %10.1f\n", links->label, shown.median,
                  shown.p95, shown.max, built.p95, size.median, size.max);
    }
    std::printf("  first source link / first place link:             %.1f / %.1f ms\n",
                sources.first_ms, places.first_ms);
  }
  std::printf("  exclusion lists filled, half moved, all back:     %.0f ms\n", lists_ms);
  std::printf("  outline of 111,111 descendants built and shown:   %.0f ms\n", outline_ms);
  std::printf("  start-up (load with progress window, home page): %.0f ms\n", start_ms);
  std::printf("  load with the progress window:                    %.0f ms (%lld repaints)\n",
              window_load_ms, repaints);
  std::printf("  load without any progress report:                %.0f ms\n", bare_load_ms);

  window.close();
  if (options.smoke) {
    std::printf("smoke run passed\n");
    return 0;
  }
  bool ok = true;
  if (link.p95 >= 50) ok = false, std::printf("  TOO SLOW: family links (target 50 ms)\n");
  if (list.max >= 500) ok = false, std::printf("  TOO SLOW: surname list (target 500 ms)\n");
  if (fan.p95 >= 100) ok = false, std::printf("  TOO SLOW: fan chart (target 100 ms)\n");
  if (lists_ms >= lists_target_ms) {
    ok = false, std::printf("  TOO SLOW: exclusion lists (target %.0f ms)\n", lists_target_ms);
  }
  for (const RecordLinks* links : {&sources, &places, &media}) {
    if (!links->shown_ms.empty() && Summarise(links->shown_ms).p95 >= 50) {
      ok = false, std::printf("  TOO SLOW: %ss (target 50 ms)\n", links->label);
    }
  }
  if (outline_ms >= 1000) ok = false, std::printf("  TOO SLOW: outline (target 1000 ms)\n");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  stirpex::bench::Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* name) -> std::string {
      if (arg.rfind(std::string(name) + "=", 0) == 0) return arg.substr(std::strlen(name) + 1);
      if (arg == name && i + 1 < argc) return argv[++i];
      return {};
    };
    if (arg == "--smoke") {
      options.smoke = true;
      options.people = 2000;
      options.links = 40;
      options.rich = true;
    } else if (arg == "--rich") {
      options.rich = true;
    } else if (std::string v = value("--people"); !v.empty()) {
      auto sizes = stirpex::bench::ParseSizeList(v);
      if (sizes.size() != 1) return 2;
      options.people = sizes[0];
    } else if (std::string v2 = value("--seed"); !v2.empty()) {
      options.seed = std::stoull(v2);
    } else if (std::string v3 = value("--links"); !v3.empty()) {
      options.links = std::stoi(v3);
    } else {
      std::fprintf(stderr,
                   "usage: bench_viewer [--smoke] [--people N] [--seed S] [--links N] [--rich]\n");
      return 2;
    }
  }
  if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  Q_INIT_RESOURCE(shell);
  QApplication app(argc, argv);
  return stirpex::bench::Run(options);
}
