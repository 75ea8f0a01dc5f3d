// Where a page finds the pictures of a media object it shows.
//
// The viewer shows a picture file itself: its reference as the tree writes it, which the
// display looks for in the page's folders (beside the tree, the picture folders, an unpacked
// archive). A web site shows copies of its own, a thumbnail and a picture of readable size made
// once per picture by the site pass. A page builder asks this port and never decides which.
#pragma once

#include <optional>
#include <string>

#include "database/gedcom_facts.h"

namespace stirpex {

struct PictureLink {
  // What the page's <img> shows and what a click on it opens (the media page, for a media
  // record on a web site). An empty thumbnail: the file is not a picture (a PDF, a sound, a
  // film); the page lists it by a link to `full` with its title.
  std::string thumbnail;
  std::string full;
  // The picture at a readable size, as a media page shows it (empty: not a picture).
  std::string display;
  int width = 0;  // of the thumbnail, when known (0: not known; the style's CSS bounds it)
  int height = 0;
  // A picture that could not be read (missing, damaged, too large, unsupported): the thumbnail
  // is the site's placeholder.
  bool unreadable = false;
};

class PictureLinks {
 public:
  virtual ~PictureLinks() = default;
  // The link for one file of a media object (media.files[i]); may be called from several
  // threads at once.
  virtual PictureLink Link(const MediaView& media, const MediaFileView& file) const = 0;
};

// Whether a media file is a picture a page may show as an image: by its FORM ("jpg", "png",
// "gif", "webp", "tif"/"tiff", "jpeg", or a media type "image/..." other than SVG), else by the
// file name's extension.
bool IsShownPicture(const MediaFileView& file);

}  // namespace stirpex
