#include "pages/picture_links.h"

#include "database/text.h"

namespace stirpex {

namespace {

bool IsPictureWord(std::string_view word) {
  const std::string lower = ToLowerAscii(word);
  return lower == "jpg" || lower == "jpeg" || lower == "png" || lower == "gif" || lower == "webp" ||
         lower == "tif" || lower == "tiff";
}

}  // namespace

bool IsShownPicture(const MediaFileView& file) {
  if (!file.format.empty()) {
    const std::string format = ToLowerAscii(file.format);
    if (format.find('/') != std::string::npos) {
      return format.starts_with("image/") && format.find("svg") == std::string::npos;
    }
    if (IsPictureWord(format)) return true;
  }
  std::string_view name = file.file;
  if (const std::size_t end = name.find_first_of("?#"); end != std::string_view::npos) {
    name = name.substr(0, end);
  }
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && name.find('/', dot) == std::string_view::npos &&
         IsPictureWord(name.substr(dot + 1));
}

}  // namespace stirpex
