#include "export/thumbnails.h"

#include <vips/vips.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <system_error>
#include <vector>

#include "database/text_lines.h"
#include "platform/file_bytes.h"
#include "platform/file_updates.h"
#include "platform/stored_paths.h"

namespace stirpex {

namespace {

constexpr std::string_view kIndexHeading = "# Stirpex web site: the pictures made for its pages";

// The loaders that may parse a file: the five kinds of picture a site shows. Everything else
// the library could read (through ImageMagick, librsvg, poppler, ...) stays blocked.
constexpr std::string_view kAllowedLoaders[] = {
    "VipsForeignLoadJpegBuffer", "VipsForeignLoadPngBuffer", "VipsForeignLoadNsgifBuffer",
    "VipsForeignLoadWebpBuffer", "VipsForeignLoadTiffBuffer"};

// Whether bytes begin as a JPEG, PNG, GIF, WebP or TIFF file does.
bool HasPictureSignature(std::string_view bytes) {
  for (const std::string_view signature :
       {std::string_view("\xFF\xD8\xFF"), std::string_view("\x89PNG\r\n\x1A\n"),
        std::string_view("GIF8"), std::string_view("II*\0", 4), std::string_view("MM\0*", 4)}) {
    if (bytes.starts_with(signature)) return true;
  }
  return bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP";
}

void DropLibraryChatter(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libvips once per process: the site's threads make pictures side by side, so its own threads
// would only compete with them (concurrency 1); no operation is ever repeated, so its cache
// would only hold memory. Its warnings on damaged files would mix into the program's output:
// a problem is reported as a value instead. Shut down at exit, so that no thread or buffer of
// the library outlives the program's own.
bool LibraryReady() {
  static const bool ready = [] {
    if (VIPS_INIT("stirpex") != 0) return false;
    vips_cache_set_max(0);
    vips_cache_set_max_mem(0);
    vips_concurrency_set(1);
    vips_operation_block_set("VipsForeignLoad", TRUE);
    for (const std::string_view loader : kAllowedLoaders) {
      vips_operation_block_set(loader.data(), FALSE);
    }
    g_log_set_handler("VIPS",
                      static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
                      DropLibraryChatter, nullptr);
    std::atexit([] { vips_shutdown(); });
    return true;
  }();
  return ready;
}

struct Unref {
  void operator()(VipsImage* image) const { g_object_unref(image); }
};
using Image = std::unique_ptr<VipsImage, Unref>;

// Runs a libvips operation that makes one image; null on failure (the library's error text is
// dropped: the caller reports a problem value).
template <typename Operation>
Image Run(Operation&& operation) {
  VipsImage* out = nullptr;
  if (operation(&out) != 0) {
    if (out) g_object_unref(out);
    vips_error_clear();
    return nullptr;
  }
  return Image(out);
}

struct Decoded {
  PictureProblem problem = PictureProblem::kNone;
  bool png = false;
  std::string display;
  std::string thumbnail;
  int display_width = 0, display_height = 0, thumbnail_width = 0, thumbnail_height = 0;
};

bool Encode(VipsImage* image, bool png, std::string& bytes) {
  void* buffer = nullptr;
  std::size_t length = 0;
  const int status = png ? vips_pngsave_buffer(image, &buffer, &length, "strip", TRUE, nullptr)
                         : vips_jpegsave_buffer(image, &buffer, &length, "Q", 85, "strip", TRUE,
                                                "optimize_coding", TRUE, nullptr);
  if (status != 0) {
    vips_error_clear();
    return false;
  }
  bytes.assign(static_cast<const char*>(buffer), length);
  g_free(buffer);
  return true;
}

// The value of an opaque pixel in an alpha band: its format's largest for the integer formats
// a picture is decoded to, else the band's own largest value.
double OpaqueAlpha(VipsImage* alpha) {
  switch (alpha->BandFmt) {
    case VIPS_FORMAT_UCHAR:
      return 255;
    case VIPS_FORMAT_USHORT:
      return 65535;
    default: {
      double highest = 0;
      if (vips_max(alpha, &highest, nullptr) != 0) vips_error_clear();
      return highest;
    }
  }
}

// The rectangle of an upright picture of width x height that crop leaves, or false when it
// leaves nothing.
bool CropRectangle(const PictureCrop& crop, int width, int height, int& left, int& top,
                   int& cut_width, int& cut_height) {
  const long long x = std::clamp(crop.left, 0LL, static_cast<long long>(width));
  const long long y = std::clamp(crop.top, 0LL, static_cast<long long>(height));
  const long long w = crop.width > 0 ? std::min(crop.width, width - x) : width - x;
  const long long h = crop.height > 0 ? std::min(crop.height, height - y) : height - y;
  if (w <= 0 || h <= 0) return false;
  left = static_cast<int>(x);
  top = static_cast<int>(y);
  cut_width = static_cast<int>(w);
  cut_height = static_cast<int>(h);
  return true;
}

Decoded Decode(const std::string& bytes, const std::optional<PictureCrop>& crop,
               const PictureLimits& limits) {
  Decoded result;
  result.problem = PictureProblem::kUnsupported;
  if (!LibraryReady()) return result;
  const void* data = bytes.data();
  const std::size_t size = bytes.size();
  const char* loader = vips_foreign_find_load_buffer(data, size);
  if (!loader || std::find(std::begin(kAllowedLoaders), std::end(kAllowedLoaders),
                           std::string_view(loader)) == std::end(kAllowedLoaders)) {
    vips_error_clear();
    // A file that begins as one of those kinds but that no loader takes (a TIFF cut short
    // before its directory) is a damaged picture rather than no picture.
    if (HasPictureSignature(bytes)) result.problem = PictureProblem::kDamaged;
    return result;
  }
  result.problem = PictureProblem::kDamaged;
  // The header only: nothing is decoded before the size is known to be sane.
  const Image header = Run([&](VipsImage** out) {
    *out = vips_image_new_from_buffer(data, size, "", "fail_on", VIPS_FAIL_ON_ERROR, nullptr);
    return *out ? 0 : -1;
  });
  if (!header) return result;
  const unsigned long long pixels = static_cast<unsigned long long>(header->Xsize) *
                                    static_cast<unsigned long long>(header->Ysize);
  if (pixels > limits.max_pixels) {
    result.problem = PictureProblem::kTooLarge;
    return result;
  }

  const int side = limits.display_size;
  Image scaled;
  int left = 0, top = 0, width = 0, height = 0;
  Image upright;
  if (crop) {
    int orientation = 1;
    if (vips_image_get_typeof(header.get(), VIPS_META_ORIENTATION) &&
        vips_image_get_int(header.get(), VIPS_META_ORIENTATION, &orientation) != 0) {
      vips_error_clear();
    }
    // A picture that needs no turning is cut while it is decoded, a few lines at a time;
    // turning needs it whole (in memory, or in a temporary file when large).
    const bool turned = orientation > 1;
    const Image whole = Run([&](VipsImage** out) {
      *out = vips_image_new_from_buffer(data, size, "", "access",
                                        turned ? VIPS_ACCESS_RANDOM : VIPS_ACCESS_SEQUENTIAL,
                                        "fail_on", VIPS_FAIL_ON_ERROR, nullptr);
      return *out ? 0 : -1;
    });
    if (!whole) return result;
    upright = Run([&](VipsImage** out) { return vips_autorot(whole.get(), out, nullptr); });
    if (!upright) return result;
  }
  if (upright && CropRectangle(*crop, upright->Xsize, upright->Ysize, left, top, width, height)) {
    const Image cut = Run([&](VipsImage** out) {
      return vips_extract_area(upright.get(), out, left, top, width, height, nullptr);
    });
    if (!cut) return result;
    scaled = Run([&](VipsImage** out) {
      return vips_thumbnail_image(cut.get(), out, side, "height", side, "size", VIPS_SIZE_DOWN,
                                  "no_rotate", TRUE, nullptr);
    });
  } else {
    // Without a crop the loader can shrink while it decodes (JPEG, WebP): fast and small.
    scaled = Run([&](VipsImage** out) {
      return vips_thumbnail_buffer(const_cast<void*>(data), size, out, side, "height", side, "size",
                                   VIPS_SIZE_DOWN, "option_string", "fail_on=error", nullptr);
    });
  }
  if (!scaled) return result;
  Image display = Run([&](VipsImage** out) {
    *out = vips_image_copy_memory(scaled.get());
    return *out ? 0 : -1;
  });
  if (!display) return result;

  // An alpha band that is opaque everywhere (common in PNG files) is dropped: JPEG then.
  if (vips_image_hasalpha(display.get())) {
    const int bands = display->Bands;
    const Image alpha = Run(
        [&](VipsImage** out) { return vips_extract_band(display.get(), out, bands - 1, nullptr); });
    double lowest = 0;
    if (!alpha || vips_min(alpha.get(), &lowest, nullptr) != 0) {
      vips_error_clear();
      return result;
    }
    result.png = lowest < OpaqueAlpha(alpha.get());
    if (!result.png) {
      display = Run([&](VipsImage** out) {
        VipsImage* colour = nullptr;
        if (vips_extract_band(display.get(), &colour, 0, "n", bands - 1, nullptr) != 0) return -1;
        *out = vips_image_copy_memory(colour);
        g_object_unref(colour);
        return *out ? 0 : -1;
      });
      if (!display) return result;
    }
  }
  const int small = limits.thumbnail_size;
  const Image thumbnail = Run([&](VipsImage** out) {
    return vips_thumbnail_image(display.get(), out, small, "height", small, "size", VIPS_SIZE_DOWN,
                                "no_rotate", TRUE, nullptr);
  });
  if (!thumbnail || !Encode(display.get(), result.png, result.display) ||
      !Encode(thumbnail.get(), result.png, result.thumbnail)) {
    return result;
  }
  result.display_width = display->Xsize;
  result.display_height = display->Ysize;
  result.thumbnail_width = thumbnail->Xsize;
  result.thumbnail_height = thumbnail->Ysize;
  result.problem = PictureProblem::kNone;
  return result;
}

// The words of the record for a problem worth remembering (one that the same file gives
// again), and back.
std::string_view RecordedProblem(PictureProblem problem) {
  switch (problem) {
    case PictureProblem::kTooLarge:
      return "too-large";
    case PictureProblem::kUnsupported:
      return "unsupported";
    case PictureProblem::kDamaged:
      return "damaged";
    default:
      return {};
  }
}

std::uint64_t NameHash(std::string_view reference, const std::optional<PictureCrop>& crop) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  auto add = [&hash](std::string_view bytes) {
    for (const char c : bytes) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 1099511628211ull;
    }
  };
  add(reference);
  if (crop) {
    add(std::string_view("\0crop", 5));
    for (const long long value : {crop->top, crop->left, crop->width, crop->height}) {
      add(" " + std::to_string(value));
    }
  }
  // A final mix, so that the digits kept depend on every byte.
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdull;
  hash ^= hash >> 33;
  return hash;
}

bool IsRegularFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::regular;
}

}  // namespace

std::string_view DescribePictureProblem(PictureProblem problem) {
  switch (problem) {
    case PictureProblem::kNone:
      return {};
    case PictureProblem::kMissing:
      return "missing";
    case PictureProblem::kTooLarge:
      return "too large";
    case PictureProblem::kUnsupported:
      return "not a picture that can be shown";
    case PictureProblem::kDamaged:
      return "damaged";
    case PictureProblem::kNotWritten:
      return "could not be written";
  }
  return {};
}

std::string PictureBaseName(std::string_view reference, const std::optional<PictureCrop>& crop) {
  std::string stem = StoredFileName(reference);
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  std::string name;
  for (const char c : stem) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    const bool kept = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') ||
                      lower == '_' || lower == '-';
    const char out = kept ? lower : '-';
    if (out == '-' && (name.empty() || name.back() == '-')) continue;
    if (name.size() == 40) break;
    name.push_back(out);
  }
  while (!name.empty() && name.back() == '-') name.pop_back();
  if (name.empty()) name = "picture";
  char digits[16];
  std::snprintf(digits, sizeof digits, "%012llx",
                static_cast<unsigned long long>(NameHash(reference, crop) & 0xffffffffffffull));
  return name + "-" + digits;
}

std::string_view PicturePlaceholderSvg() {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"160\" height=\"120\" "
         "viewBox=\"0 0 160 120\">"
         "<rect x=\"0.5\" y=\"0.5\" width=\"159\" height=\"119\" fill=\"#f2f2f2\" "
         "stroke=\"#c8c8c8\"/>"
         "<path d=\"M44 84l22-26 15 17 10-11 25 20z\" fill=\"#d4d4d4\"/>"
         "<circle cx=\"104\" cy=\"40\" r=\"8\" fill=\"#d4d4d4\"/>"
         "<text x=\"80\" y=\"106\" font-family=\"sans-serif\" font-size=\"12\" "
         "text-anchor=\"middle\" fill=\"#707070\">No picture</text></svg>\n";
}

// What the record holds of one picture: the file it was made from and what came of it.
struct SitePictures::Entry {
  unsigned long long size = 0;
  long long modified = 0;  // nanoseconds of the file clock
  std::string kind;        // "jpg", "png" or RecordedProblem; empty: nothing to record
  int display_width = 0, display_height = 0, thumbnail_width = 0, thumbnail_height = 0;
};

struct SitePictures::Job {
  std::promise<PictureFiles> promise;
  std::shared_future<PictureFiles> result = promise.get_future().share();
  Entry entry;
  PictureFiles files;
};

namespace {

std::string SizesText(const PictureLimits& limits) {
  return std::to_string(limits.thumbnail_size) + " " + std::to_string(limits.display_size) + " " +
         std::to_string(limits.max_bytes) + " " + std::to_string(limits.max_pixels);
}

// The fields of a line, split at spaces.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start <= line.size()) {
    const std::size_t end = std::min(line.find(' ', start), line.size());
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Whether a name of the record could have come from PictureBaseName: no other name is ever
// taken for a file of ours.
bool IsPictureBaseName(std::string_view name) {
  if (name.size() < 14 || name.size() > 53 || name[name.size() - 13] != '-') return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (i >= name.size() - 12 ? !hex : !(hex || (c >= 'g' && c <= 'z') || c == '-' || c == '_')) {
      return false;
    }
  }
  return true;
}

PictureFiles FilesOf(const std::string& base, const std::string& kind) {
  PictureFiles files;
  files.display = base + "." + kind;
  files.thumbnail = base + "-t." + kind;
  return files;
}

}  // namespace

SitePictures::SitePictures(const std::filesystem::path& dir, const PictureLimits& limits)
    : dir_(dir), limits_(limits) {
  LibraryReady();
  TextLineReader reader;
  if (!reader.Open(dir_ / std::string(kPictureIndexName))) return;
  std::string_view line;
  if (!reader.Next(line) || line != kIndexHeading) return;
  if (!reader.Next(line) || line != "# " + SizesText(limits_)) return;
  while (reader.Next(line)) {
    const std::vector<std::string_view> fields = Fields(line);
    Entry entry;
    if (fields.size() != 8 || !IsPictureBaseName(fields[0]) ||
        !ParseNumber(fields[1], entry.size) || !ParseNumber(fields[2], entry.modified) ||
        !ParseNumber(fields[4], entry.display_width) ||
        !ParseNumber(fields[5], entry.display_height) ||
        !ParseNumber(fields[6], entry.thumbnail_width) ||
        !ParseNumber(fields[7], entry.thumbnail_height)) {
      continue;
    }
    entry.kind = std::string(fields[3]);
    if (entry.kind != "jpg" && entry.kind != "png" &&
        entry.kind != RecordedProblem(PictureProblem::kTooLarge) &&
        entry.kind != RecordedProblem(PictureProblem::kUnsupported) &&
        entry.kind != RecordedProblem(PictureProblem::kDamaged)) {
      continue;
    }
    old_.emplace(std::string(fields[0]), std::move(entry));
  }
}

SitePictures::~SitePictures() = default;

PictureFiles SitePictures::Make(std::string_view reference, const std::filesystem::path& file,
                                const std::optional<PictureCrop>& crop) {
  const std::string base = PictureBaseName(reference, crop);
  std::shared_ptr<Job> job;
  bool mine = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::shared_ptr<Job>& slot = jobs_[base];
    if (!slot) {
      slot = std::make_shared<Job>();
      mine = true;
    }
    job = slot;
  }
  if (!mine) return job->result.get();  // made by another thread, or earlier
  PictureFiles files;
  try {
    files = MakeOnce(base, file, crop, job->entry);
  } catch (...) {  // out of memory: this picture is not shown, the pass goes on
    files = PictureFiles();
    files.problem = PictureProblem::kDamaged;
    job->entry = Entry();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job->files = files;
    switch (files.problem) {
      case PictureProblem::kNone:
        ++(files.reused ? summary_.reused : summary_.made);
        break;
      case PictureProblem::kNotWritten:
        ++summary_.not_written;
        break;
      default:
        ++summary_.unreadable;
        break;
    }
  }
  job->promise.set_value(files);
  return files;
}

PictureFiles SitePictures::MakeOnce(const std::string& base, const std::filesystem::path& file,
                                    const std::optional<PictureCrop>& crop, Entry& entry) {
  PictureFiles files;
  std::error_code ec;
  if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
    files.problem = PictureProblem::kMissing;
    return files;
  }
  entry.size = std::filesystem::file_size(file, ec);
  if (ec) {
    files.problem = PictureProblem::kMissing;
    return files;
  }
  entry.modified = std::filesystem::last_write_time(file, ec).time_since_epoch().count();
  if (ec) entry.modified = 0;

  // Unchanged since an earlier pass: what it made (or found wrong) holds still.
  const auto old = old_.find(base);  // old_ is only read after construction
  if (old != old_.end() && old->second.size == entry.size &&
      old->second.modified == entry.modified) {
    const Entry& before = old->second;
    if (before.kind == "jpg" || before.kind == "png") {
      files = FilesOf(base, before.kind);
      if (IsRegularFile(dir_ / files.display) && IsRegularFile(dir_ / files.thumbnail)) {
        files.display_width = before.display_width;
        files.display_height = before.display_height;
        files.thumbnail_width = before.thumbnail_width;
        files.thumbnail_height = before.thumbnail_height;
        files.reused = true;
        entry = before;
        return files;
      }
      files = PictureFiles();
    } else {
      for (const PictureProblem problem :
           {PictureProblem::kTooLarge, PictureProblem::kUnsupported, PictureProblem::kDamaged}) {
        if (before.kind == RecordedProblem(problem)) files.problem = problem;
      }
      files.reused = true;
      entry = before;
      return files;
    }
  }

  Decoded decoded;
  std::string bytes;
  if (entry.size > limits_.max_bytes) {
    decoded.problem = PictureProblem::kTooLarge;
  } else if (!ReadFileBytes(file, bytes, limits_.max_bytes + 1)) {
    files.problem = PictureProblem::kMissing;  // it went away, or cannot be read: try again
    return files;
  } else if (bytes.size() > limits_.max_bytes) {
    decoded.problem = PictureProblem::kTooLarge;
  } else {
    decoded = Decode(bytes, crop, limits_);
  }
  if (decoded.problem != PictureProblem::kNone) {
    files.problem = decoded.problem;
    entry.kind = std::string(RecordedProblem(decoded.problem));
    return files;
  }
  entry.kind = decoded.png ? "png" : "jpg";
  files = FilesOf(base, entry.kind);
  files.display_width = entry.display_width = decoded.display_width;
  files.display_height = entry.display_height = decoded.display_height;
  files.thumbnail_width = entry.thumbnail_width = decoded.thumbnail_width;
  files.thumbnail_height = entry.thumbnail_height = decoded.thumbnail_height;
  if (UpdateFile(dir_ / files.display, decoded.display) == FileUpdate::kFailed ||
      UpdateFile(dir_ / files.thumbnail, decoded.thumbnail) == FileUpdate::kFailed) {
    files.problem = PictureProblem::kNotWritten;
    entry.kind.clear();
  }
  return files;
}

SitePictures::Summary SitePictures::Finish(SiteManifest& manifest) {
  std::lock_guard<std::mutex> lock(mutex_);
  Summary summary = summary_;
  bool placeholder = false;
  std::string record;
  for (const auto& [base, job] : jobs_) {  // by base name: the record comes out in that order
    const PictureFiles& files = job->files;
    if (files.ok() || files.problem == PictureProblem::kNotWritten) {
      manifest.Wrote(files.display);
      manifest.Wrote(files.thumbnail);
    } else {
      placeholder = true;
    }
    const Entry& entry = job->entry;
    if (entry.kind.empty()) continue;
    record += base + " " + std::to_string(entry.size) + " " + std::to_string(entry.modified) + " " +
              entry.kind + " " + std::to_string(entry.display_width) + " " +
              std::to_string(entry.display_height) + " " + std::to_string(entry.thumbnail_width) +
              " " + std::to_string(entry.thumbnail_height) + "\r\n";
  }
  if (placeholder) {
    const std::string name(kPicturePlaceholderName);
    if (UpdateFile(dir_ / name, PicturePlaceholderSvg()) == FileUpdate::kFailed) {
      ++summary.not_written;
    }
    manifest.Wrote(name);
  }
  if (!record.empty()) {
    const std::string name(kPictureIndexName);
    record = std::string(kIndexHeading) + "\r\n# " + SizesText(limits_) + "\r\n" + record;
    summary.index_written = UpdateFile(dir_ / name, record) != FileUpdate::kFailed;
    manifest.Wrote(name);
  }
  return summary;
}

}  // namespace stirpex
