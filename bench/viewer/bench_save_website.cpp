// Save Website from the viewer against stirpex-cli website on the same generated tree.
//
// The viewer writes the site of the tree it has loaded with its progress window up (modal,
// with Cancel, repainting as it goes); stirpex-cli loads the tree and writes the same site.
// Both use the bundled default style and default settings. Timed, best of a few rounds each:
//
//   - stirpex-cli website GEDCOM DIR, the whole command (load and site);
//   - stirpex-cli info GEDCOM, the load alone, so that the CLI's site pass is the difference;
//   - the viewer's Save Website pass (folder already chosen), progress window included;
//   - the same pass in this process without any window, for reference.
//
// Afterwards the viewer must still answer: a family link is followed and painted.
//
//   bench_save_website [--people 100k] [--seed 1] [--rounds 3] [--dir FOLDER]
//     (--dir /dev/shm writes to memory, leaving the disk's own speed out of the comparison)
//   bench_save_website --smoke     a 2,000-person tree, one round, checks the sites agree
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/controller.h"
#include "htmlview/html_viewer.h"
#include "shell/main_window.h"
#include "shell/options_commands.h"
#include "shell/progress_window.h"
#include "support/bench_support.h"
#include "support/test_paths.h"

namespace stirpex::bench {
namespace {

struct Options {
  std::uint64_t people = 100000;
  std::uint64_t seed = 1;
  int rounds = 3;
  bool smoke = false;
  std::filesystem::path dir;  // where the sites go; empty: bench/data/save-website
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_save_website: %s\n", what.c_str());
  std::exit(1);
}

// Runs a program with its arguments, output thrown away; the wall time in ms, or -1.
double TimeCommand(const std::vector<std::string>& argv) {
  QElapsedTimer clock;
  clock.start();
  const pid_t child = ::fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return -1;
  }
  return clock.nsecsElapsed() / 1e6;
}

std::size_t CountFiles(const std::filesystem::path& dir) {
  std::size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) n += entry.is_regular_file();
  return n;
}

int Run(const Options& options) {
  const std::filesystem::path gedcom = SyntheticGedcom(options.people, options.seed);
  if (gedcom.empty()) Fail("cannot make the generated tree");
  const std::filesystem::path style = testing::SourceDir() / "styles" / "stirp1.sty";
  const std::string cli = (testing::BinDir() / "stirpex-cli").string();
  const std::filesystem::path work = (options.dir.empty() ? BenchDataDir() / "save-website"
                                                          : options.dir / "stirpex-save-website") /
                                     SizeLabel(options.people);
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);

  // The viewer, started on a program folder whose settings name the tree and the style.
  testing::TempDir program;
  program.Write("stirpex.ini", "[Options]\r\nStyleFile=" + style.string() + "\r\nGEDCOMFile=" +
                                   gedcom.string() + "\r\nwidth=1000\r\nheight=800\r\n");
  const std::filesystem::path cwd = std::filesystem::current_path();
  TSDIAppForm window;
  window.show();
  window.FormCreate(program.path(), {});
  QApplication::processEvents();
  ViewerController& controller = window.Controller();
  if (controller.db().FamilyList().empty()) Fail("the viewer loaded no family");

  double cli_ms = 1e30, load_ms = 1e30, viewer_ms = 1e30, bare_ms = 1e30;
  long long repaints = 0, pages = 0;
  auto run_cli = [&](const std::string& n) {
    ::sync();
    const double whole = TimeCommand({cli, "--style", style.string(), "website", gedcom.string(),
                                      (work / ("cli" + n)).string()});
    if (whole < 0) Fail("stirpex-cli website failed");
    const double load = TimeCommand({cli, "info", gedcom.string()});
    if (load < 0) Fail("stirpex-cli info failed");
    cli_ms = std::min(cli_ms, whole);
    load_ms = std::min(load_ms, load);
    if (n != "0") std::filesystem::remove_all(work / ("cli" + n));
  };
  auto run_viewer = [&](const std::string& n) {
    ::sync();
    ProgressReport progress(&window, /*cancellable=*/true);
    QElapsedTimer clock;
    clock.start();
    const WebsiteResult result =
        window.Commands().SaveWebsiteTo((work / ("viewer" + n)).string(), progress);
    viewer_ms = std::min(viewer_ms, clock.nsecsElapsed() / 1e6);
    if (result.pages_failed > 0 || result.cancelled) Fail("the viewer's site is incomplete");
    repaints = progress.Repaints();
    pages = result.pages_written;
    std::filesystem::current_path(cwd);
    if (n != "0") std::filesystem::remove_all(work / ("viewer" + n));
  };
  // The same pass in this process with no window at all, for reference.
  auto run_bare = [&](const std::string& n) {
    ::sync();
    TSettings settings = controller.settings();
    NullProgress quiet;
    NullMessages messages;
    WebsiteOptions website;
    QElapsedTimer clock;
    clock.start();
    SaveWebsite(controller.db(), settings, controller.style(), testing::TestClock(),
                work / ("bare" + n), website, quiet, messages);
    bare_ms = std::min(bare_ms, clock.nsecsElapsed() / 1e6);
    std::filesystem::remove_all(work / ("bare" + n));
  };
  for (int round = 0; round < options.rounds; ++round) {
    // The order changes from round to round: the disk's writeback of one site weighs on
    // whatever runs next.
    const std::string n = std::to_string(round);
    if (round % 2 == 0) {
      run_cli(n);
      run_viewer(n);
      run_bare(n);
    } else {
      run_bare(n);
      run_viewer(n);
      run_cli(n);
    }
  }
  const std::size_t cli_files = CountFiles(work / "cli0");
  const std::size_t viewer_files = CountFiles(work / "viewer0");
  if (cli_files != viewer_files) Fail("the two sites differ in their number of pages");
  if (testing::ReadFileBytes(work / "cli0" / "index.htm") !=
      testing::ReadFileBytes(work / "viewer0" / "index.htm")) {
    Fail("the two surname indexes differ");
  }

  // The viewer answers afterwards: a family link, built and painted.
  QElapsedTimer clock;
  clock.start();
  const TFamilyRec* family = controller.db().FamilyList()[controller.db().FamilyList().size() / 2];
  controller.HTMLViewerHotSpotClick(family->Id.str() + ".htm");
  window.Viewer()->viewport()->repaint();
  QApplication::processEvents();
  const double link_ms = clock.nsecsElapsed() / 1e6;
  if (controller.CurrentFamily() != family) Fail("the viewer did not follow a link after");

  const double cli_pass_ms = cli_ms - load_ms;
  std::printf("Save Website on a generated tree of %s people (%zu families, %lld pages)\n",
              SizeLabel(options.people).c_str(), controller.db().FamilyList().size(), pages);
  std::printf("  stirpex-cli website (load and site):     %8.0f ms\n", cli_ms);
  std::printf("  stirpex-cli info (load alone):           %8.0f ms\n", load_ms);
  std::printf("  stirpex-cli site pass (the difference):  %8.0f ms\n", cli_pass_ms);
  std::printf(
      "  viewer Save Website pass:                %8.0f ms (%lld repaints of the "
      "progress window)\n",
      viewer_ms, repaints);
  std::printf("  the same pass with no window, in process: %7.0f ms\n", bare_ms);
  std::printf("  viewer / CLI site pass:                  %8.2f\n", viewer_ms / cli_pass_ms);
  std::printf("  family link afterwards:                  %8.1f ms\n", link_ms);
  window.close();
  std::filesystem::remove_all(work);

  if (options.smoke) {
    std::printf("smoke run passed\n");
    return 0;
  }
  if (repaints == 0) Fail("the progress window never repainted");
  return viewer_ms <= cli_pass_ms * 1.10 ? 0 : 1;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  stirpex::bench::Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const std::string next = i + 1 < argc ? argv[i + 1] : "";
    if (arg == "--smoke") {
      options.smoke = true;
      options.people = 2000;
      options.rounds = 1;
    } else if (arg == "--people" && !next.empty()) {
      const auto sizes = stirpex::bench::ParseSizeList(argv[++i]);
      if (sizes.size() != 1) return 2;
      options.people = sizes[0];
    } else if (arg == "--seed" && !next.empty()) {
      options.seed = std::stoull(argv[++i]);
    } else if (arg == "--dir" && !next.empty()) {
      options.dir = argv[++i];
    } else if (arg == "--rounds" && !next.empty()) {
      options.rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr,
                   "usage: bench_save_website [--smoke] [--people N] [--seed S] "
                   "[--rounds N] [--dir FOLDER]\n");
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
