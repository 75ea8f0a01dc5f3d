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
  const CompiledStyle& style = ctx.style.Compiled();
  const int note_text = style.LineMarker(kNoteTextMarker);
  for (const CompiledLine& line : style.Section(ssImages)) {
    if (line.HoldsAnyCase(note_text)) AppendNoteText(ctx, person, out);
    AppendExpandedLine(ctx, line, args, out);
  }
  return true;
}

void BuildNotePage(const PageContext& ctx, const TFamilyRec* family, const TPersonRec* person,
                   PageLines& out) {
  const MarkerArgs args{family, 0, {}, person};
  const CompiledStyle& style = ctx.style.Compiled();
  const int note_text = style.LineMarker(kNoteTextMarker);
  for (const CompiledLine& line : style.Section(ssNoteHead)) {
    if (line.Holds(note_text)) {
      AppendNoteText(ctx, person, out);
      continue;
    }
    AppendExpandedLine(ctx, line, args, out);
  }
}

void BuildTreePage(const PageContext& ctx, const TFamilyRec* family, const TPersonRec* person,
                   PageLines& out) {
  const MarkerArgs args{family, 0, {}, person};
  for (const CompiledLine& line : ctx.style.Compiled().Section(ssTreeHead)) {
    AppendExpandedLine(ctx, line, args, out);
  }
}

}  // namespace stirpex
