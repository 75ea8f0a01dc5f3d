#include "pages/person_pages.h"

#include "pages/family_page.h"
#include "pages/markers.h"
#include "pages/privacy.h"

namespace stirpex {

bool BuildPicturePage(const PageContext& ctx, const TFamilyRec* family, const TPersonRec* person,
                      PageLines& out, std::string_view picture) {
  out.clear();
  if (person ? !ctx.privacy.ShowsPicture(person) : !ctx.privacy.ShowsFamilyPicture(family)) {
    return false;
  }
  const std::string image = PicturePath(ctx.settings, picture);
  const MarkerArgs args{family, 0, image, person};
  for (const std::string& line : ctx.style.Section(ssImages)) {
    if (ContainsUpperCased(line, "<!--^NOTETEXT^-->")) AppendNoteText(ctx, person, out);
    out.push_back(line);
    ExpandMarkersInPlace(ctx, out.back(), args);
  }
  return true;
}

void BuildNotePage(const PageContext& ctx, const TFamilyRec* family, const TPersonRec* person,
                   PageLines& out) {
  const MarkerArgs args{family, 0, {}, person};
  for (const std::string& line : ctx.style.Section(ssNoteHead)) {
    if (line.find("<!--^NoteText^-->") != std::string::npos) {
      AppendNoteText(ctx, person, out);
      continue;
    }
    out.push_back(line);
    ExpandMarkersInPlace(ctx, out.back(), args);
  }
}

void BuildTreePage(const PageContext& ctx, const TFamilyRec* family, const TPersonRec* person,
                   PageLines& out) {
  const MarkerArgs args{family, 0, {}, person};
  for (const std::string& line : ctx.style.Section(ssTreeHead)) {
    out.push_back(line);
    ExpandMarkersInPlace(ctx, out.back(), args);
  }
}

}  // namespace stirpex
