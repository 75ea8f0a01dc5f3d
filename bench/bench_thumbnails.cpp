// Site-picture benchmark: the thumbnail and the readable-size picture of a few hundred generated
// picture files (export/thumbnails.h), made into a fresh site folder from several threads as the
// site pass makes them, then made again into the same folder with nothing changed.
//
//   bench_thumbnails [--count=300] [--jobs=N] [--dir=FOLDER] [--keep]
//   bench_thumbnails --smoke    a dozen small pictures, made and reused, checked, then exits
//
// The pictures are made once by libvips under bench/data/pictures-<count>/ and kept: of every
// ten, six camera-sized JPEG photographs (3000x2000), a PNG scan (1600x1200, every second one
// with transparency), a GIF (800x600), a WebP (2000x1500) and a TIFF (1200x1600), of smooth
// noise so that they compress as photographs do. The table gives their count and megabytes, the
// threads (--jobs, one per core by default), the seconds and pictures per second of the first
// run and of the re-run, and the megabytes written. The re-run must decode nothing.
#include <unistd.h>
#include <vips/vips.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "export/page_pipeline.h"
#include "export/thumbnails.h"
#include "platform/line_files.h"
#include "support/bench_support.h"

namespace stirpex::bench {
namespace {

namespace fs = std::filesystem;

struct Kind {
  const char* suffix;
  int width, height;
  bool alpha;
};

// The kind of picture number i.
Kind KindOf(int i, bool small) {
  static const Kind kKinds[10] = {{".jpg", 3000, 2000, false},  {".jpg", 3000, 2000, false},
                                  {".jpg", 2000, 3000, false},  {".jpg", 3000, 2000, false},
                                  {".jpg", 3000, 2000, false},  {".jpg", 2000, 3000, false},
                                  {".png", 1600, 1200, false},  {".gif", 800, 600, false},
                                  {".webp", 2000, 1500, false}, {".tif", 1200, 1600, false}};
  Kind kind = kKinds[i % 10];
  if (kind.suffix == std::string_view(".png")) kind.alpha = (i / 10) % 2 == 1;
  if (small) {
    kind.width /= 8;
    kind.height /= 8;
  }
  return kind;
}

// One picture of smooth noise, encoded; empty when the library failed.
std::string Generate(const Kind& kind, int seed) {
  std::vector<VipsImage*> made;
  auto keep = [&made](VipsImage* image) {
    made.push_back(image);
    return image;
  };
  VipsImage* bands[4] = {};
  bool ok = true;
  const int count = kind.alpha ? 4 : 3;
  for (int b = 0; b < count && ok; ++b) {
    VipsImage *noise = nullptr, *scaled = nullptr, *byte = nullptr;
    ok = vips_perlin(&noise, kind.width, kind.height, "cell_size", 96 + 32 * b, "seed",
                     seed * 4 + b, nullptr) == 0 &&
         vips_linear1(keep(noise), &scaled, 120, 128, nullptr) == 0 &&
         vips_cast_uchar(keep(scaled), &byte, nullptr) == 0;
    bands[b] = ok ? keep(byte) : nullptr;
  }
  std::string bytes;
  VipsImage* picture = nullptr;
  if (ok && vips_bandjoin(bands, &picture, count, nullptr) == 0) {
    keep(picture);
    void* buffer = nullptr;
    std::size_t length = 0;
    if (vips_image_write_to_buffer(picture, kind.suffix, &buffer, &length, "Q", 90, nullptr) == 0 ||
        vips_image_write_to_buffer(picture, kind.suffix, &buffer, &length, nullptr) == 0) {
      bytes.assign(static_cast<const char*>(buffer), length);
      g_free(buffer);
    }
  }
  vips_error_clear();
  for (VipsImage* image : made) g_object_unref(image);
  return bytes;
}

// The picture files, made first when missing.
std::vector<fs::path> Pictures(const fs::path& dir, int count, bool small) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  std::vector<fs::path> files;
  bool told = false;
  for (int i = 0; i < count; ++i) {
    const Kind kind = KindOf(i, small);
    const fs::path file = dir / ("picture" + std::to_string(i) + kind.suffix);
    if (!fs::exists(file)) {
      if (!told) std::fprintf(stderr, "making %d pictures in %s\n", count, dir.c_str());
      told = true;
      const std::string bytes = Generate(kind, i);
      if (bytes.empty() || !WriteFileAtomically(file, bytes)) return {};
    }
    files.push_back(file);
  }
  return files;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Run {
  double seconds = 0;
  SitePictures::Summary summary;
};

// Every picture made into site from `threads` threads, as the site pass does.
Run MakeAll(const std::vector<fs::path>& files, const fs::path& site, unsigned threads) {
  const auto start = std::chrono::steady_clock::now();
  SitePictures pictures(site);
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      for (std::size_t i; (i = next++) < files.size();) {
        pictures.Make("media/" + files[i].filename().string(), files[i]);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  SiteManifest manifest(site);
  Run run;
  run.summary = pictures.Finish(manifest);
  manifest.Finish();
  run.seconds = Seconds(start);
  return run;
}

double Megabytes(const std::vector<fs::path>& files) {
  double bytes = 0;
  for (const fs::path& file : files) bytes += static_cast<double>(fs::file_size(file));
  return bytes / 1e6;
}

double FolderMegabytes(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path());
  return Megabytes(files);
}

int Smoke() {
  const fs::path root =
      fs::temp_directory_path() / ("stirpex-bench-thumbnails-" + std::to_string(::getpid()));
  const std::vector<fs::path> files = Pictures(root / "pictures", 12, true);
  fs::create_directories(root / "site");
  const Run first = MakeAll(files, root / "site", 2);
  const Run again = MakeAll(files, root / "site", 2);
  std::error_code ec;
  fs::remove_all(root, ec);
  if (files.size() != 12 || first.summary.made != 12 || first.summary.unreadable != 0 ||
      again.summary.made != 0 || again.summary.reused != 12) {
    std::fprintf(stderr, "bench_thumbnails: smoke run failed (%lld made, then %lld)\n",
                 first.summary.made, again.summary.made);
    return 1;
  }
  std::printf("smoke: 12 pictures made in %.3f s, reused in %.3f s\n", first.seconds,
              again.seconds);
  return 0;
}

}  // namespace
}  // namespace stirpex::bench

int main(int argc, char** argv) {
  using namespace stirpex::bench;
  namespace fs = std::filesystem;
  if (VIPS_INIT(argv[0]) != 0) return 1;
  int count = 300;
  int jobs = 0;
  fs::path dir = BenchDataDir() / "thumbnails";
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--smoke") return Smoke();
    if (arg.starts_with("--count=")) {
      count = std::stoi(arg.substr(8));
    } else if (arg.starts_with("--jobs=")) {
      jobs = std::stoi(arg.substr(7));
    } else if (arg.starts_with("--dir=")) {
      dir = fs::path(arg.substr(6)) / "stirpex-bench-thumbnails";
    } else if (arg == "--keep") {
      keep = true;
    } else {
      std::fprintf(stderr,
                   "usage: bench_thumbnails [--count=300] [--jobs=N] [--dir=FOLDER] [--keep] | "
                   "--smoke\n");
      return 2;
    }
  }
  const std::vector<fs::path> files =
      Pictures(BenchDataDir() / ("pictures-" + std::to_string(count)), count, false);
  if (files.empty()) return 1;
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir);
  const unsigned threads = stirpex::PageThreads(jobs);
  const Run first = MakeAll(files, dir, threads);
  const Run again = MakeAll(files, dir, threads);
  std::printf(
      "| pictures | MB | threads | first run | pictures/s | re-run | pictures/s | "
      "written MB | decoded again |\n");
  std::printf("| %zu | %.1f | %u | %.2f s | %.1f | %.3f s | %.0f | %.1f | %lld |\n", files.size(),
              Megabytes(files), threads, first.seconds,
              static_cast<double>(files.size()) / first.seconds, again.seconds,
              static_cast<double>(files.size()) / again.seconds, FolderMegabytes(dir),
              again.summary.made);
  const bool sound = first.summary.made == count && again.summary.made == 0;
  if (!keep) fs::remove_all(dir, ec);
  if (!sound)
    std::fprintf(stderr, "bench_thumbnails: %lld made, %lld unreadable, %lld again\n",
                 first.summary.made, first.summary.unreadable, again.summary.made);
  return sound ? 0 : 1;
}
