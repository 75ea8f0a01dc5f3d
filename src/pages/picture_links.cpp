#include "pages/picture_links.h"

#include "database/text.h"

namespace stirpex {

namespace {

bool IsPictureFormat(std::string_view format) {
  for (std::string_view known : {"jpg", "jpeg", "png", "gif", "webp", "tif", "tiff"}) {
    if (EqualsNoCaseAscii(format, known)) return true;
  }
  return false;
}

}  // namespace

bool IsShownPicture(const MediaFileView& file) {
  std::string_view format = file.format;
  while (!format.empty() && format.front() == ' ') format.remove_prefix(1);
  while (!format.empty() && format.back() == ' ') format.remove_suffix(1);
  if (!format.empty()) {
    constexpr std::string_view kImage = "image/";
    if (format.size() > kImage.size() &&
        EqualsNoCaseAscii(format.substr(0, kImage.size()), kImage)) {
      // SVG is a document a browser may run scripts in, not a picture to thumbnail.
      return !EqualsNoCaseAscii(format.substr(kImage.size(), 3), "svg");
    }
    return IsPictureFormat(format);
  }
  // No FORM: the extension of the file's name, ignoring a URL's query or fragment.
  std::string_view name = file.file.substr(0, file.file.find_first_of("?#"));
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name.find_first_of("/\\", dot) != std::string_view::npos) {
    return false;
  }
  return IsPictureFormat(name.substr(dot + 1));
}

}  // namespace stirpex
