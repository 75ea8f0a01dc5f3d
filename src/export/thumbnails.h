// The pictures of a web site's media pages: for each picture file a thumbnail (fits 160x160)
// and a picture of readable size (fits 1024x1024), decoded and scaled by libvips, made once and
// reused by later passes into the same folder while the file is unchanged.
//
// Both are written into the site's folder as JPEG, or PNG when the picture has transparency,
// stripped of their metadata (a photograph's camera data and GPS position stay private), under
// names made from the picture's reference (PictureBaseName). A picture smaller than a size is
// not enlarged. Only JPEG, PNG, GIF, WebP and TIFF are read (the first frame or page); every
// other loader of the library is blocked, so a BMP, an SVG, a PDF or a hostile file in another
// format is reported kUnsupported without being parsed. A file is read whole through
// platform/file_bytes.h (its size is checked first), its pixel count is checked from its header
// before anything is decoded, and the library's operation cache is off: memory stays bounded
// whatever the file, and a picture that cannot be read never fails the pass.
//
// Whether a picture is unchanged is decided by its file's size and modification time, recorded
// with what was made (or why nothing could be) in kPictureIndexName in the site's folder. A
// reused picture costs a few file-status calls and no decoding. (A file changed within the
// time resolution of its file system, to the same size, is not noticed.)
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "export/site_manifest.h"

namespace stirpex {

// The record of what earlier passes made, in the site's folder.
inline constexpr std::string_view kPictureIndexName = ".stirpex-pictures";
// The picture a page shows in place of one that could not be read (an SVG, written once).
inline constexpr std::string_view kPicturePlaceholderName = "nopicture.svg";

// The part of a picture to show, in pixels of the picture as it is seen (after the rotation
// its EXIF data asks for): GEDCOM 7's CROP. A width or height of 0 reaches to the picture's
// edge. A rectangle reaching beyond the picture is cut to it; one that leaves nothing of it is
// ignored (the whole picture is shown). Negative values count as 0.
struct PictureCrop {
  long long top = 0;
  long long left = 0;
  long long width = 0;
  long long height = 0;
};

struct PictureLimits {
  int thumbnail_size = 160;  // the thumbnail fits a square of this side
  int display_size = 1024;   // the readable picture fits a square of this side
  // Larger files are not read.
  unsigned long long max_bytes = 64ull << 20;
  // Pictures with more pixels (width x height as their header gives them) are not decoded.
  unsigned long long max_pixels = 100'000'000;
};

enum class PictureProblem {
  kNone,
  kMissing,      // no file: not found, or not a regular file
  kTooLarge,     // more bytes or pixels than PictureLimits allow
  kUnsupported,  // not a picture of a kind that is read (BMP, SVG, a PDF, a text...)
  kDamaged,      // a picture of a kind that is read, but it could not be decoded
  kNotWritten,   // decoded, but a file could not be written into the site's folder
};

// A few words for the page and the pass's messages: "missing", "too large",
// "not a picture that can be shown", "damaged", "could not be written" (empty for kNone).
std::string_view DescribePictureProblem(PictureProblem problem);

// What a page needs of one picture.
struct PictureFiles {
  PictureProblem problem = PictureProblem::kNone;
  // File names in the site's folder (set also for kNotWritten: the names that failed).
  std::string display;
  std::string thumbnail;
  int display_width = 0;
  int display_height = 0;
  int thumbnail_width = 0;
  int thumbnail_height = 0;
  bool reused = false;  // made by an earlier pass from the same file: nothing was decoded

  bool ok() const { return problem == PictureProblem::kNone; }
};

// The stem of a picture's file names: its file name without extension, in small ASCII letters,
// digits, "-" and "_" (other characters become "-", at most 40 of them; "picture" when nothing
// is left), then "-" and 12 hexadecimal digits of a hash of the reference (the path as the tree
// gives it) and the crop. The same reference and crop give the same stem on every machine;
// "a/photo.jpg" and "b/photo.jpg" give two. The readable picture is stem + ".jpg" or ".png",
// the thumbnail stem + "-t.jpg" or "-t.png".
std::string PictureBaseName(std::string_view reference, const std::optional<PictureCrop>& crop);

// The placeholder's bytes: a small SVG with the words "No picture".
std::string_view PicturePlaceholderSvg();

// The pictures of one pass into a site's folder. Make may be called from any number of threads
// at once; a picture asked for again in the same pass (by reference and crop) is made once and
// the others wait for it. One object per pass; Finish once, after the last Make.
class SitePictures {
 public:
  // Reads what earlier passes recorded in dir (an unreadable record, or one made with other
  // sizes, counts as none). The folder must exist. Sets libvips up on first use in the process.
  explicit SitePictures(const std::filesystem::path& dir, const PictureLimits& limits = {});
  ~SitePictures();
  SitePictures(const SitePictures&) = delete;
  SitePictures& operator=(const SitePictures&) = delete;

  // The thumbnail and readable picture of file (the picture the tree names as reference, found
  // by the caller; an empty path when none was found), with crop applied first. Never throws;
  // a problem is reported in the result and nothing is written for it.
  PictureFiles Make(std::string_view reference, const std::filesystem::path& file,
                    const std::optional<PictureCrop>& crop = std::nullopt);

  struct Summary {
    long long made = 0;        // pictures decoded and written (or found with these bytes)
    long long reused = 0;      // unchanged since an earlier pass: not decoded
    long long unreadable = 0;  // missing, too large, unsupported or damaged
    long long not_written = 0;
    bool index_written = false;
  };
  // Writes the placeholder (when a picture could not be read) and the record of the pictures
  // this pass asked for, and names in the manifest every file of their pictures, the
  // placeholder and the record. (After a cancelled pass the pictures it did not reach are
  // decoded again next time; their files, kept by the manifest, are then found unchanged.)
  Summary Finish(SiteManifest& manifest);

 private:
  struct Entry;
  struct Job;
  PictureFiles MakeOnce(const std::string& base, const std::filesystem::path& file,
                        const std::optional<PictureCrop>& crop, Entry& entry);

  std::filesystem::path dir_;
  PictureLimits limits_;
  std::mutex mutex_;
  std::map<std::string, Entry, std::less<>> old_;     // by base name, from the record
  std::map<std::string, std::shared_ptr<Job>> jobs_;  // this pass's pictures, by base name
  Summary summary_;
};

}  // namespace stirpex
