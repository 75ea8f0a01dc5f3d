#include "export/thumbnails.h"

#include <gtest/gtest.h>
#include <vips/vips.h>

#include <thread>

#include "support/test_paths.h"

namespace stirpex {
namespace {

namespace fs = std::filesystem;

// A picture made by the library: black in its left half, white in its right, with an alpha
// band of the value given (none when negative), in the format of suffix (".webp", ".tif"...).
std::string MakePicture(int width, int height, const char* suffix, int alpha = -1,
                        int orientation = 0) {
  static const bool library_ready = VIPS_INIT("thumbnails_test") == 0;
  EXPECT_TRUE(library_ready);
  VipsImage *xyz = nullptr, *x = nullptr, *mask = nullptr, *rgb = nullptr, *out = nullptr;
  EXPECT_EQ(vips_xyz(&xyz, width, height, nullptr), 0);
  EXPECT_EQ(vips_extract_band(xyz, &x, 0, nullptr), 0);
  EXPECT_EQ(vips_moreeq_const1(x, &mask, width / 2, nullptr), 0);
  VipsImage* bands[] = {mask, mask, mask};
  EXPECT_EQ(vips_bandjoin(bands, &rgb, 3, nullptr), 0);
  if (alpha >= 0) {
    EXPECT_EQ(vips_bandjoin_const1(rgb, &out, alpha, nullptr), 0);
  } else {
    EXPECT_EQ(vips_copy(rgb, &out, nullptr), 0);
  }
  if (orientation) vips_image_set_int(out, VIPS_META_ORIENTATION, orientation);
  void* buffer = nullptr;
  std::size_t length = 0;
  EXPECT_EQ(vips_image_write_to_buffer(out, suffix, &buffer, &length, nullptr), 0);
  std::string bytes(static_cast<const char*>(buffer), length);
  g_free(buffer);
  for (VipsImage* image : {xyz, x, mask, rgb, out}) g_object_unref(image);
  return bytes;
}

// The average of every band of a written picture.
double Average(const fs::path& file) {
  const std::string bytes = testing::ReadFileBytes(file);
  VipsImage* image = vips_image_new_from_buffer(bytes.data(), bytes.size(), "", nullptr);
  double average = -1;
  if (image) {
    EXPECT_EQ(vips_avg(image, &average, nullptr), 0);
    g_object_unref(image);
  }
  return average;
}

// What was written for a picture, as "jpg 1024x512 160x80": the kind that both files are by
// their bytes and their names' ending ("?" when these disagree), and the two sizes.
std::string Made(const fs::path& site, const PictureFiles& files) {
  auto kind = [&site](const std::string& name) -> std::string {
    const std::string bytes = testing::ReadFileBytes(site / name);
    const std::string kind = bytes.starts_with("\xFF\xD8\xFF") ? "jpg"
                             : bytes.starts_with("\x89PNG")    ? "png"
                                                               : "?";
    return name.ends_with("." + kind) ? kind : "?";
  };
  const std::string made = kind(files.display);
  return (made == kind(files.thumbnail) ? made : "?") + " " + std::to_string(files.display_width) +
         "x" + std::to_string(files.display_height) + " " + std::to_string(files.thumbnail_width) +
         "x" + std::to_string(files.thumbnail_height);
}

class SitePicturesTest : public ::testing::Test {
 protected:
  fs::path Torture(const char* name) {
    const fs::path testdata = testing::TestdataGedcomDir();
    return testdata.empty() ? fs::path() : testdata / "torture" / name;
  }
  fs::path Source(const std::string& name, std::string_view bytes) {
    return sources_.Write(name, bytes);
  }
  std::vector<std::string> SiteFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(site_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempDir sources_;
  testing::TempDir site_;
};

TEST(PictureNames, AreStableSafeAndApartForEveryPathAndCrop) {
  const std::string anna = PictureBaseName("photos\\Anna Maria.JPG", std::nullopt);
  EXPECT_EQ(anna, "anna-maria-" + anna.substr(11));
  EXPECT_EQ(anna.size(), 11u + 12u);
  // The same on every machine and in every version: a new name would make every site publish
  // all its pictures anew.
  EXPECT_EQ(PictureBaseName("media/photo.jpg", std::nullopt), "photo-51bd121b5150");
  EXPECT_NE(PictureBaseName("other/Anna Maria.JPG", std::nullopt), anna);
  EXPECT_NE(PictureBaseName("photos\\Anna Maria.JPG", PictureCrop{0, 0, 10, 10}), anna);
  EXPECT_NE(PictureBaseName("photos\\Anna Maria.JPG", PictureCrop{0, 0, 10, 10}),
            PictureBaseName("photos\\Anna Maria.JPG", PictureCrop{0, 0, 10, 11}));
  EXPECT_TRUE(PictureBaseName("../../.hidden.jpg", std::nullopt).starts_with("hidden-"));
  EXPECT_TRUE(PictureBaseName("\xC3\x9C"
                              "ber  Stra\xC3\x9F"
                              "e.png",
                              std::nullopt)
                  .starts_with("ber-stra-e-"));
  EXPECT_TRUE(PictureBaseName("C:\\???.tif", std::nullopt).starts_with("picture-"));
  EXPECT_EQ(PictureBaseName(std::string(90, 'x'), std::nullopt).size(), 40u + 1u + 12u);
}

TEST_F(SitePicturesTest, MakesBothSizesOfEveryKindThatIsRead) {
  if (Torture("ImgFile.JPG").empty()) GTEST_SKIP() << "no test data";
  SitePictures pictures(site_.path());
  // The test data's pictures are 100x100: never enlarged.
  for (const char* name : {"ImgFile.JPG", "ImgFile.PNG", "ImgFile.GIF"}) {
    EXPECT_EQ(Made(site_.path(), pictures.Make(name, Torture(name))), "jpg 100x100 100x100");
  }
  // BMP is not among the kinds read (its loader would be ImageMagick's): no files.
  EXPECT_EQ(pictures.Make("ImgFile.BMP", Torture("ImgFile.BMP")).problem,
            PictureProblem::kUnsupported);

  // Transparency keeps PNG; an alpha band opaque everywhere does not.
  const PictureFiles webp =
      pictures.Make("w.webp", Source("w.webp", MakePicture(2000, 1000, ".webp", 128)));
  EXPECT_EQ(Made(site_.path(), webp), "png 1024x512 160x80");
  EXPECT_EQ(webp.display, PictureBaseName("w.webp", std::nullopt) + ".png");
  EXPECT_EQ(webp.thumbnail, PictureBaseName("w.webp", std::nullopt) + "-t.png");
  EXPECT_EQ(Made(site_.path(),
                 pictures.Make("t.tif", Source("t.tif", MakePicture(400, 2000, ".tif", 255)))),
            "jpg 205x1024 32x160");
}

TEST_F(SitePicturesTest, APictureThatCannotBeReadGetsNoFilesOnlyThePlaceholder) {
  if (Torture("ImgFile.JPG").empty()) GTEST_SKIP() << "no test data";
  const std::string jpeg = testing::ReadFileBytes(Torture("ImgFile.JPG"));
  const std::string png = testing::ReadFileBytes(Torture("ImgFile.PNG"));
  // A decompression bomb: a small JPEG whose frame header claims 65000 x 65000 pixels.
  std::string bomb = jpeg;
  const std::size_t frame = bomb.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  bomb.replace(frame + 5, 4, "\xFD\xE8\xFD\xE8");

  SitePictures pictures(site_.path());
  const struct {
    const char* name;
    fs::path file;
    PictureProblem problem;
  } cases[] = {
      {"none.jpg", fs::path(), PictureProblem::kMissing},
      {"gone.jpg", sources_.path() / "gone.jpg", PictureProblem::kMissing},
      {"folder.jpg", sources_.path(), PictureProblem::kMissing},
      {"text.jpg", Source("text.jpg", "0 HEAD\r\n1 CHAR UTF-8\r\n"), PictureProblem::kUnsupported},
      {"svg.svg", Source("svg.svg", PicturePlaceholderSvg()), PictureProblem::kUnsupported},
      {"empty.png", Source("empty.png", ""), PictureProblem::kUnsupported},
      {"cut.png", Source("cut.png", png.substr(0, png.size() / 2)), PictureProblem::kDamaged},
      {"bomb.jpg", Source("bomb.jpg", bomb), PictureProblem::kTooLarge},
  };
  for (const auto& c : cases) {
    const PictureFiles files = pictures.Make(c.name, c.file);
    EXPECT_EQ(files.problem, c.problem) << c.name;
    EXPECT_TRUE(files.display.empty() && files.thumbnail.empty()) << c.name;
  }
  SitePictures small(site_.path(), PictureLimits{.max_bytes = 1000});
  EXPECT_EQ(small.Make("big.jpg", Torture("ImgFile.JPG")).problem, PictureProblem::kTooLarge);

  SiteManifest manifest(site_.path());
  const SitePictures::Summary summary = pictures.Finish(manifest);
  manifest.Finish();
  EXPECT_EQ(summary.unreadable, static_cast<long long>(std::size(cases)));
  EXPECT_EQ(summary.made, 0);
  EXPECT_EQ(SiteFiles(),
            (std::vector<std::string>{std::string(kManifestName), std::string(kPictureIndexName),
                                      std::string(kPicturePlaceholderName)}));
  EXPECT_EQ(testing::ReadFileBytes(site_.path() / kPicturePlaceholderName),
            PicturePlaceholderSvg());
}

TEST_F(SitePicturesTest, TheCropIsCutBeforeScaling) {
  const fs::path file = Source("c.png", MakePicture(400, 300, ".png"));
  SitePictures pictures(site_.path());
  const struct {
    PictureCrop crop;
    int width, height;
    double average;  // of the readable picture: 255 all white, 127.5 half black
  } cases[] = {
      {{.top = 50, .left = 200, .width = 200, .height = 100}, 200, 100, 255},
      {{.left = 100}, 300, 300, 255 * 2 / 3.0},     // to the edges
      {{.left = 350, .width = 500}, 50, 300, 255},  // cut to the picture
      {{.top = 300, .left = -5}, 400, 300, 127.5},  // nothing left: the whole picture
  };
  for (const auto& c : cases) {
    const PictureFiles files = pictures.Make("c.png", file, c.crop);
    EXPECT_EQ(files.display_width * 1000 + files.display_height, c.width * 1000 + c.height);
    EXPECT_NEAR(Average(site_.path() / files.display), c.average, 3) << c.width;
  }
  // A photograph stored on its side (EXIF orientation 6: its black left half is the top half
  // as seen) is cut as it is seen.
  const fs::path turned = Source("turned.jpg", MakePicture(400, 300, ".jpg", -1, 6));
  const PictureFiles files = pictures.Make("turned.jpg", turned, PictureCrop{.top = 200});
  EXPECT_EQ(Made(site_.path(), files), "jpg 300x200 160x107");
  EXPECT_NEAR(Average(site_.path() / files.display), 255, 3);
}

TEST_F(SitePicturesTest, ARepublishDecodesOnlyWhatChanged) {
  const fs::path kept = Source("kept.png", MakePicture(300, 200, ".png"));
  const fs::path changed = Source("changed.png", MakePicture(300, 200, ".png"));
  const fs::path damaged = Source("damaged.tif", MakePicture(300, 200, ".tif").substr(0, 200));
  const fs::path dropped = Source("dropped.png", MakePicture(30, 20, ".png"));
  auto pass = [&](bool with_dropped) {
    SitePictures pictures(site_.path());
    std::vector<PictureFiles> files;
    for (const fs::path& file : {kept, changed, damaged}) {
      files.push_back(pictures.Make(file.filename().string(), file));
    }
    if (with_dropped) pictures.Make("dropped.png", dropped);
    SiteManifest manifest(site_.path());
    const SitePictures::Summary summary = pictures.Finish(manifest);
    manifest.Finish();
    return std::pair(files, summary);
  };
  const auto [first, first_summary] = pass(true);
  EXPECT_EQ(first_summary.made, 3);
  EXPECT_EQ(first_summary.unreadable, 1);
  EXPECT_TRUE(first_summary.index_written);
  const fs::path kept_display = site_.path() / first[0].display;
  const auto kept_time = fs::last_write_time(kept_display);
  const std::string index = testing::ReadFileBytes(site_.path() / kPictureIndexName);

  // changed.png gets other bytes; the other pictures stay as they were.
  Source("changed.png", MakePicture(200, 300, ".png"));
  const auto [second, second_summary] = pass(false);
  EXPECT_EQ(second_summary.made, 1);
  EXPECT_EQ(second_summary.reused, 1);
  EXPECT_EQ(second_summary.unreadable, 1);
  EXPECT_TRUE(second[0].reused && second[2].reused);
  EXPECT_EQ(second[2].problem, PictureProblem::kDamaged);
  EXPECT_FALSE(second[1].reused);
  EXPECT_EQ(Made(site_.path(), second[1]), "jpg 200x300 107x160");
  EXPECT_EQ(second[0].display, first[0].display);
  EXPECT_EQ(Made(site_.path(), second[0]), "jpg 300x200 160x107");
  EXPECT_EQ(fs::last_write_time(kept_display), kept_time);
  EXPECT_NE(testing::ReadFileBytes(site_.path() / kPictureIndexName), index);
  // The pictures no longer asked for went with the manifest.
  const std::string dropped_base = PictureBaseName("dropped.png", std::nullopt);
  for (const std::string& name : SiteFiles()) EXPECT_FALSE(name.starts_with(dropped_base));

  // A file of ours that went missing is made again.
  fs::remove(site_.path() / second[0].thumbnail);
  const auto [third, third_summary] = pass(false);
  EXPECT_EQ(third_summary.made, 1);
  EXPECT_EQ(third_summary.reused, 1);
  EXPECT_TRUE(fs::exists(site_.path() / third[0].thumbnail));
}

TEST_F(SitePicturesTest, ThreadsMakeEachPictureOnce) {
  std::vector<fs::path> files;
  for (int i = 0; i < 4; ++i) {
    files.push_back(Source("p" + std::to_string(i) + ".webp", MakePicture(600 + i, 400, ".webp")));
  }
  SitePictures pictures(site_.path());
  std::vector<std::vector<PictureFiles>> made(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 8; ++i) {
        const fs::path& file = files[static_cast<std::size_t>((i + t) % 4)];
        made[static_cast<std::size_t>(t)].push_back(pictures.Make(file.filename().string(), file));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  SiteManifest manifest(site_.path());
  EXPECT_EQ(pictures.Finish(manifest).made, 4);
  for (const auto& results : made) {
    for (const PictureFiles& files : results) EXPECT_EQ(files.display_height, 400);
  }
}

}  // namespace
}  // namespace stirpex
