#include "export/website.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "database/gedcom_archive.h"
#include "database/text.h"
#include "export/family_pages.h"
#include "export/page_pipeline.h"
#include "export/search_index.h"
#include "export/site_manifest.h"
#include "export/sitemap.h"
#include "export/surname_index.h"
#include "export/thumbnails.h"
#include "pages/chart_pages.h"
#include "pages/family_page.h"
#include "pages/page_context.h"
#include "pages/page_names.h"
#include "pages/person_pages.h"
#include "pages/picture_links.h"
#include "pages/privacy.h"
#include "pages/record_pages.h"
#include "pages/shown_index.h"
#include "platform/file_updates.h"
#include "platform/line_files.h"
#include "platform/stored_paths.h"

namespace stirpex {

namespace {

bool HasPictureExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  static const std::set<std::string, std::less<>> kExtensions = {"bmp", "gif", "jpeg", "jpg", "png",
                                                                 "svg", "tif", "tiff", "webp"};
  return kExtensions.count(ToLowerAscii(name.substr(dot + 1))) > 0;
}

// A name pages refer to beside themselves that may be copied into the site: a plain file name
// (no folder) with a picture's extension.
bool IsPlainPictureName(std::string_view name) {
  return IsSafeRelativePath(name) && name.find('/') == std::string_view::npos &&
         HasPictureExtension(name);
}

// A picture named with a path inside an unpacked archive ("media/photo.jpg"), when the tree
// came from one: copied from there to the same path in the site. Only a regular file counts.
std::filesystem::path FindArchivePicture(std::string_view name,
                                         const std::filesystem::path& archive) {
  if (archive.empty() || !IsSafeRelativePath(name) || !HasPictureExtension(name)) return {};
  const std::filesystem::path source = archive / std::string(name);
  std::error_code ec;
  return std::filesystem::symlink_status(source, ec).type() == std::filesystem::file_type::regular
             ? source
             : std::filesystem::path();
}

// The pictures of media objects as a site shows them: its own thumbnails and readable-size
// copies (thumbnails.h), a click leading to the media record's page. A file is looked for as
// the pictures of pages are: a safe relative path ("media/photo.jpg", GEDCOM 7's FILE, as
// written and with its URL escapes read) in the unpacked archive and the picture folders, else
// its file name alone in the picture folders.
// Files that are no pictures (a PDF, a sound) are not published: they lead to the media page.
class SitePictureLinks : public PictureLinks {
 public:
  SitePictureLinks(const PageContext& ctx, SitePictures& pictures,
                   const std::vector<std::filesystem::path>& picture_dirs)
      : ctx_(ctx), pictures_(pictures), dirs_(picture_dirs) {
    if (!ctx.privacy.ArchiveFolder().empty())
      dirs_.insert(dirs_.begin(), ctx.privacy.ArchiveFolder());
  }

  PictureLink Link(const MediaView& media, const MediaFileView& file) const override {
    PictureLink link;
    const std::string page =
        media.record == GedcomStore::kNoRecord ? std::string() : MediaPageOf(ctx_, media.record);
    if (!IsShownPicture(file)) {
      link.full = page;
      return link;
    }
    std::optional<PictureCrop> crop;
    if (media.crop_top || media.crop_left || media.crop_width || media.crop_height) {
      crop = PictureCrop{media.crop_top.value_or(0), media.crop_left.value_or(0),
                         media.crop_width.value_or(0), media.crop_height.value_or(0)};
    }
    const PictureFiles files = pictures_.Make(file.file, Find(file.file), crop);
    if (files.ok()) {
      link.thumbnail = files.thumbnail;
      link.display = files.display;
      link.width = files.thumbnail_width;
      link.height = files.thumbnail_height;
    } else {
      link.thumbnail = link.display = std::string(kPicturePlaceholderName);
      link.unreadable = true;
    }
    link.full = page.empty() ? link.display : page;
    return link;
  }

 private:
  // Where the file a reference names lies, looked for once per pass: a medium is shown on
  // several pages, and a file not found exactly costs a listing of every picture folder.
  std::filesystem::path Find(std::string_view reference) const {
    const std::string key(reference);
    {
      std::lock_guard<std::mutex> lock(found_mutex_);
      if (const auto it = found_.find(key); it != found_.end()) return it->second;
    }
    std::filesystem::path found = Search(reference);
    std::lock_guard<std::mutex> lock(found_mutex_);
    return found_.emplace(key, std::move(found)).first->second;
  }

  std::filesystem::path Search(std::string_view reference) const {
    // GEDCOM 7 writes a URL: "%C3%AB" for the bytes of a letter, "%20" for a space.
    const std::string written = WithForwardSlashes(reference);
    const std::string decoded = DecodeHexEscapes(written, '%', /*upper_case_digits=*/true);
    for (const std::string& name : {written, decoded}) {
      if (!IsSafeRelativePath(name)) continue;
      if (std::filesystem::path found = listings_.FindFileIn(name, dirs_); !found.empty()) {
        return found;
      }
    }
    const std::string plain = StoredFileName(decoded);
    return IsPlainFileName(plain) ? listings_.FindFileIn(plain, dirs_) : std::filesystem::path();
  }

  const PageContext& ctx_;
  SitePictures& pictures_;
  std::vector<std::filesystem::path> dirs_;
  mutable std::mutex found_mutex_;
  mutable FolderListings listings_;  // each picture folder listed once a pass
  mutable std::unordered_map<std::string, std::filesystem::path> found_;
};

class WebsitePass {
 public:
  WebsitePass(const PageContext& ctx, const std::filesystem::path& dir, SiteManifest& manifest,
              Progress& progress, unsigned threads)
      : ctx_(ctx), dir_(dir), progress_(progress), threads_(threads) {
    tally_.manifest = &manifest;
  }

  // False when the pass was cancelled.
  bool Run() {
    const TSettings& settings = ctx_.settings;
    const long long families = static_cast<long long>(ctx_.privacy.FamilyList().size());
    const long long persons = static_cast<long long>(ctx_.privacy.PersonList().size());
    total_ = families + persons + (settings.IncludeTrees ? persons : 0);
    if (MakesRecordPages(ctx_.style)) {
      total_ += static_cast<long long>(SourcesWithPages(ctx_.privacy).size() +
                                       PlacesWithPages(ctx_.privacy).size() +
                                       MediaWithPages(ctx_.privacy).size());
    }
    // Steps only read the tree; the index runs between them, and the tree pass follows the
    // name order it hands back.
    PagePipeline pipeline(threads_, dir_, tally_);

    long long family_count = 0;
    for (const TFamilyRec* family : ctx_.privacy.FamilyList()) {
      if (!Step()) return Stop(pipeline);
      progress_.ProgressFamilies(++family_count);
      pipeline.Submit([this, family](PageWork& work) { FamilyPages(*family, work); });
    }

    long long person_count = 0;
    for (const TPersonRec* person : ctx_.privacy.PersonList()) {
      if (!Step()) return Stop(pipeline);
      progress_.ProgressPeople(++person_count);
      if (!ctx_.privacy.HasOwnPages(person)) continue;
      pipeline.Submit([this, person](PageWork& work) { PersonPages(*person, work); });
    }
    pipeline.Drain();

    if (progress_.Cancelled()) return false;
    WriteIndex();
    if (ctx_.site_statistics) {
      index_pages_.emplace_back(kStatisticsPageName);
      pipeline.Submit([this](PageWork& work) {
        work.lines.clear();
        BuildStatisticsPage(ctx_, work.lines);
        WritePage(std::string(kStatisticsPageName), work);
      });
    }
    if (MakesRecordPages(ctx_.style) && !RecordPages(pipeline)) return Stop(pipeline);

    if (settings.IncludeTrees) {
      long long tree_count = 0;
      // In the name order the index left, as the viewer's list then stands.
      const std::span<const TPersonRec* const> people =
          name_order_.empty() ? ctx_.privacy.PersonList()
                              : std::span<const TPersonRec* const>(name_order_);
      for (const TPersonRec* person : people) {
        if (!Step()) return Stop(pipeline);
        progress_.ProgressTrees(++tree_count);
        // A replaced person has no page of their own (and, unwritten, the manifest lets a
        // re-publish remove one an older site had).
        if (!ctx_.privacy.HasOwnPages(person)) continue;
        pipeline.Submit([this, person](PageWork& work) {
          work.lines.clear();
          BuildTreePage(ctx_, ShownTree::DisplayFamily(person), person, work.lines);
          WritePage(PageName(person->Id, PageKind::kTree), work);
        });
      }
    }
    pipeline.Drain();

    if (progress_.Cancelled()) return false;
    WriteSearch(ctx_, dir_, pipeline);
    if (!ctx_.site_url.empty()) {
      WriteSitemaps(dir_, ctx_.site_url, index_pages_, ctx_.privacy.FamilyList(), tally_,
                    kSitemapLimit,
                    [this](const TFamilyRec& family, std::vector<std::string>& pages) {
                      for (std::string page :
                           {FanChartPage(ctx_, family), DescendantChartPage(ctx_, family)}) {
                        if (!page.empty()) pages.push_back(std::move(page));
                      }
                    });
    }
    return true;
  }

  // The pictures the pages name beside themselves, copied from where they lie.
  long long CopyPictures(const std::vector<std::filesystem::path>& picture_dirs) {
    const TSettings& settings = ctx_.settings;
    if (!settings.ImageDir.empty() || picture_dirs.empty()) return 0;
    std::set<std::string, std::less<>> names;
    if (settings.IncludeGraphic) names.insert("stirpex.gif");
    for (const TFamilyRec* family : ctx_.privacy.FamilyList()) {
      if (ctx_.privacy.ShowsFamilyPicture(family)) names.insert(family->Picture.str());
    }
    for (const TPersonRec* person : ctx_.privacy.PersonList()) {
      if (ctx_.privacy.ShowsPicture(person)) names.insert(person->Picture.str());
    }
    long long copied = 0;
    for (const std::string& name : names) {
      std::filesystem::path source;
      if (IsPlainPictureName(name)) {
        source = FindFileIn(name, picture_dirs);
      } else {
        source = FindArchivePicture(name, ctx_.privacy.ArchiveFolder());
      }
      if (source.empty()) continue;
      const std::filesystem::path target = dir_ / name;
      // A picture that lies in the site's folder itself is the user's, not a copy of ours:
      // the manifest must never name it for removal.
      std::error_code ec;
      if (std::filesystem::equivalent(source, target, ec)) continue;
      progress_.Pump();
      std::filesystem::create_directories(target.parent_path(), ec);
      switch (UpdateCopy(source, target)) {
        case FileUpdate::kWritten:
          ++copied;
          [[fallthrough]];
        case FileUpdate::kUnchanged:
          tally_.manifest->Wrote(name);
          break;
        case FileUpdate::kFailed:
          tally_.Count(false, target);
          break;
      }
    }
    return copied;
  }

  WriteTally& tally() { return tally_; }
  std::vector<const TPersonRec*>& name_order() { return name_order_; }

 private:
  // Before each step: pending messages, the percentage, and whether to go on.
  bool Step() {
    progress_.Pump();
    if (progress_.Cancelled()) return false;
    progress_.ProgressPercent(static_cast<int>(step_ * 100 / total_));
    ++step_;
    return true;
  }

  // A cancelled pass: the pages under way are finished and counted.
  bool Stop(PagePipeline& pipeline) {
    pipeline.Drain();
    return false;
  }

  // The indexes of sources and places, then a page per source, place and media record, each
  // kind as the style makes it. False when cancelled.
  bool RecordPages(PagePipeline& pipeline) {
    const TStyle& style = ctx_.style;
    const ShownTree& tree = ctx_.privacy;
    auto index = [&](std::string_view name, void (*build)(const PageContext&, PageLines&)) {
      index_pages_.emplace_back(name);
      pipeline.Submit([this, name, build](PageWork& work) {
        work.lines.clear();
        build(ctx_, work.lines);
        WritePage(std::string(name), work);
      });
    };
    if (!style.Section(ssSourcesIndex).empty()) index(kSourcesIndexPageName, &BuildSourcesIndex);
    if (!style.Section(ssPlacesIndex).empty()) index(kPlacesIndexPageName, &BuildPlacesIndex);
    // A page for each record of a kind the style makes (each part of a split page: the
    // record's job writes them all from one read of its list); the steps count either way.
    auto pages = [&](const auto& keys, TStyleSection section, auto name_of, auto parts_of,
                     auto build) {
      const bool makes = !style.Section(section).empty();
      for (const auto key : keys) {
        if (!Step()) return false;
        if (!makes) continue;
        std::string name = name_of(key);
        for (int part = 1, parts = parts_of(key); part <= parts; ++part) {
          index_pages_.push_back(PartPageName(name, part));
        }
        pipeline.Submit([this, key, build, name = std::move(name)](PageWork& work) {
          build(ctx_, key, work.lines,
                [&](int part) { WritePage(PartPageName(name, part), work); });
        });
      }
      return true;
    };
    std::vector<std::uint64_t> places;
    for (const ShownPlace& place : PlacesWithPages(tree)) places.push_back(place.key);
    return pages(
               SourcesWithPages(tree), ssSourcePage,
               [this](std::uint32_t s) { return SourcePageOf(ctx_, s); },
               [this](std::uint32_t s) { return SourcePageParts(ctx_, s); }, &BuildSourcePages) &&
           pages(
               places, ssPlacePage,
               [&tree](std::uint64_t key) {
                 return PlacePageName(FindShownPlace(tree, key)->text);
               },
               [this](std::uint64_t key) { return PlacePageParts(ctx_, key); }, &BuildPlacePages) &&
           pages(
               MediaWithPages(tree), ssMediaPage,
               [this](std::uint32_t m) { return MediaPageOf(ctx_, m); },
               [](std::uint32_t) { return 1; },
               [](const PageContext& ctx, std::uint32_t m, PageLines& lines,
                  const std::function<void(int)>& written) {
                 lines.clear();
                 if (BuildMediaPage(ctx, m, lines)) written(1);
               });
  }

  // The family page, the family's picture page, then its chart pages.
  void FamilyPages(const TFamilyRec& family, PageWork& work) {
    FamilyPageSource(ctx_).Build(family, work.lines);
    WritePage(PageName(family.Id, PageKind::kFamily), work);
    if (!family.Picture.empty()) {
      work.lines.clear();
      if (BuildPicturePage(ctx_, &family, nullptr, work.lines, family.Picture)) {
        WritePage(PageName(family.Id, PageKind::kPicture), work);
      }
    }
    if (const std::string fan = FanChartPage(ctx_, family); !fan.empty()) {
      work.lines.clear();
      BuildFanChartPage(ctx_, family, work.lines);
      WritePage(fan, work);
    }
    if (const std::string tree = DescendantChartPage(ctx_, family); !tree.empty()) {
      work.lines.clear();
      BuildDescendantChartPage(ctx_, family, work.lines);
      WritePage(tree, work);
    }
  }

  // The person's picture page, then the note page.
  void PersonPages(const TPersonRec& person, PageWork& work) {
    const TFamilyRec* family = ShownTree::DisplayFamily(&person);
    if (!person.Picture.empty()) {
      work.lines.clear();
      if (BuildPicturePage(ctx_, family, &person, work.lines, person.Picture)) {
        WritePage(PageName(person.Id, PageKind::kPicture), work);
      }
    }
    if (!person.Notes.empty()) {
      work.lines.clear();
      BuildNotePage(ctx_, family, &person, work.lines);
      WritePage(PageName(person.Id, PageKind::kNote), work);
    }
  }

  void WritePage(const std::string& name, PageWork& work) const {
    work.WritePage(dir_, name, CanonicalLink(ctx_.site_url, name));
  }

  // The index page with its split pages, on the calling thread between the passes: the tree
  // pass follows the name order it hands back.
  // The index of a large tree is long: it goes to its file line by line.
  void WriteIndex() {
    tally_.names = &index_pages_;
    const std::filesystem::path index_path = dir_ / ctx_.index_page_name;
    FileUpdater index_file;
    index_file.Open(index_path);
    SiteLineSink index(index_file, CanonicalLink(ctx_.site_url, ctx_.index_page_name));
    name_order_ = BuildSurnameIndex(ctx_, dir_, index, tally_);
    tally_.Count(index_file.Commit(), index_path);
    tally_.names = nullptr;
    // The index page first, then its split pages.
    std::rotate(index_pages_.begin(), index_pages_.end() - 1, index_pages_.end());
  }

  const PageContext& ctx_;
  const std::filesystem::path& dir_;
  Progress& progress_;
  const unsigned threads_;
  WriteTally tally_;
  std::vector<const TPersonRec*> name_order_;  // from the surname index
  std::vector<std::string> index_pages_;       // for the sitemap
  long long step_ = 0;
  long long total_ = 0;
};

}  // namespace

std::string WebsiteSummary(const WebsiteResult& result, const std::string& dir) {
  auto count = [](long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string text = count(result.pages_written, "page", "pages") + " written to " + dir;
  if (result.pages_unchanged > 0)
    text += ", " + std::to_string(result.pages_unchanged) + " unchanged";
  if (result.pictures_copied > 0) {
    text += ", " + count(result.pictures_copied, "picture", "pictures") + " copied";
  }
  if (result.pictures_made > 0) {
    text += ", " + count(result.pictures_made, "picture", "pictures") + " made";
  }
  if (result.pictures_unreadable > 0) {
    text += ", " + count(result.pictures_unreadable, "picture", "pictures") + " unreadable";
  }
  if (result.stale_removed > 0) {
    text += ", " + count(result.stale_removed, "stale file", "stale files") + " removed";
  }
  if (result.pages_failed > 0) {
    text += ", " + std::to_string(result.pages_failed) + " could not be written";
  }
  return text;
}

std::string IndexPageNameOf(std::string_view surname_file) {
  return StoredFileName(surname_file);
}

WebsiteResult SaveWebsite(const Database& db, const TSettings& settings, const TStyle& style,
                          const Clock& clock, const std::filesystem::path& dir,
                          const WebsiteOptions& options, Progress& progress, Messages& messages) {
  WebsiteResult result;
  result.index_page_name = IndexPageNameOf(settings.SurnameFile);
  if (const std::string refusal = ShownTree(db, settings).Refusal(); !refusal.empty()) {
    messages.Error(refusal, kHelpMissingFile);
    result.refused = true;
    return result;
  }

  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) {
    messages.Error(UnableToWriteMessage(dir), kHelpMissingFile);
    result.folder_failed = true;
    return result;
  }

  PageContext ctx(db, settings, style, clock);
  ctx.index_page_name = result.index_page_name;
  ctx.site_search = !style.Section(ssSearchPage).empty();
  ctx.site_statistics = !style.Section(ssStatistics).empty();
  ctx.site_url = SiteAddress(settings.SiteURL);
  // The pages of sources, places and media records, with the pictures of media objects.
  std::optional<SitePictures> pictures;
  std::optional<SitePictureLinks> picture_links;
  pictures.emplace(dir);
  picture_links.emplace(ctx, *pictures, options.picture_dirs);
  ctx.pictures = &*picture_links;
  progress.ProgressOpen("Saving Webpages", "0", "0", "");
  SiteManifest manifest(dir);
  WebsitePass pass(ctx, dir, manifest, progress, PageThreads(options.jobs));
  result.cancelled = !pass.Run();
  result.name_order = std::move(pass.name_order());
  if (!result.cancelled) result.pictures_copied = pass.CopyPictures(options.picture_dirs);
  WriteTally& tally = pass.tally();
  const SitePictures::Summary made = pictures->Finish(manifest);
  result.pictures_made = made.made;
  result.pictures_unreadable = made.unreadable;
  tally.failed += made.not_written;
  if (result.cancelled) {
    manifest.Keep();
  } else {
    result.stale_removed = manifest.Finish();
  }
  if (!manifest.manifest_written()) {
    tally.manifest = nullptr;
    tally.Count(false, manifest.path());
  }
  progress.ProgressClose();

  result.pages_written = tally.written;
  result.pages_unchanged = tally.unchanged;
  result.pages_failed = tally.failed;
  if (tally.failed > 0) {
    std::string text = UnableToWriteMessage(tally.first_failed);
    if (tally.failed > 1) {
      text += " (" + std::to_string(tally.failed) + " pages could not be written)";
    }
    messages.Error(text, kHelpMissingFile);
  }
  return result;
}

}  // namespace stirpex
