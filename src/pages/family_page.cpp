#include "pages/family_page.h"

#include "database/text.h"
#include "pages/family_facts.h"
#include "pages/html_escape.h"
#include "pages/markers.h"
#include "pages/note_html.h"
#include "pages/privacy.h"

namespace stirpex {

namespace {

constexpr std::string_view kProductVersion = STIRPEX_VERSION_TEXT;

void AppendMetaLines(const PageContext& ctx, PageLines& out) {
  std::string formatter = "<meta name=\"FORMATTER\" content=\"Stirpex ";
  formatter.append(kProductVersion);
  formatter.append("\">");
  out.push_back(std::move(formatter));
  std::string generator = "<meta name=\"GENERATOR\" content=\"Stirpex ";
  generator.append(kProductVersion);
  generator.append("\">");
  out.push_back(std::move(generator));
  // The keywords are the user's own text, but an attribute all the same: a quote in them
  // must not end it.
  std::string keywords = "<meta name=\"KEYWORDS\" content=\"";
  AppendHtmlEscaped(keywords, ctx.settings.Keywords);
  keywords.append("\">");
  out.push_back(std::move(keywords));
}

// The footer graphic: the program's picture linking to its home page. It lies in the picture
// folder, or beside the pages when no folder is set (a source of "/stirpex.gif" would point at
// the root of the disk or site).
void AppendFooterGraphic(const PageContext& ctx, PageLines& out) {
  std::string line = "<A HREF=\"";
  line.append(kHomePageAddress);
  line.append("\"><img src=\"");
  AppendHtmlEscaped(line, PicturePath(ctx.settings, "stirpex.gif"));
  line.append("\" border=\"none\"></a>");
  out.push_back(std::move(line));
}

void AppendLine(const PageContext& ctx, const CompiledLine& line, const MarkerArgs& args,
                PageLines& out) {
  AppendExpandedLine(ctx, line, args, out);
}

}  // namespace

bool ContainsUpperCased(std::string_view line, std::string_view needle) {
  if (needle.empty()) return true;
  if (line.size() < needle.size()) return false;
  const char first = needle.front();
  for (std::size_t i = 0, last = line.size() - needle.size(); i <= last; ++i) {
    if (ToUpperAscii(line[i]) != first) continue;
    std::size_t k = 1;
    while (k < needle.size() && ToUpperAscii(line[i + k]) == needle[k]) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

void AppendNoteText(const PageContext& ctx, const TPersonRec* person, PageLines& out) {
  if (!ctx.privacy.ShowsNotes(person)) return;
  for (const TNoteRec* note : person->Notes) {
    const bool picture_note =
        !note->Lines.empty() && note->Lines.front().find("Image") != std::string::npos;
    if (!picture_note) {
      std::vector<std::string> html;
      AppendNoteHtml(note->Lines, html);
      for (const std::string& line : html) out.push_back(line);
    }
    out.push_back("<p>");
  }
}

bool BuildFamilyPage(const PageContext& ctx, const TFamilyRec& family, const TPersonRec* person,
                     PageLines& out) {
  const CompiledStyle& style = ctx.style.Compiled();
  const int note_text = style.LineMarker(kNoteTextMarker);
  PageFacts facts(ctx);
  MarkerArgs args{&family, 0, {}, person, &facts};

  for (const CompiledLine& line : style.Section(ssMainHead)) {
    if (line.HoldsHeadEnd()) AppendMetaLines(ctx, out);
    AppendLine(ctx, line, args, out);
  }
  for (const CompiledLine& line : style.Section(ssFamilyHead)) {
    if (line.HoldsAnyCase(note_text)) AppendNoteText(ctx, person, out);
    AppendLine(ctx, line, args, out);
  }
  for (const CompiledLine& line : style.Section(ssChildren)) AppendLine(ctx, line, args, out);
  for (std::size_t child = 0; child < family.Children.size(); ++child) {
    args.child_index = child;
    for (const CompiledLine& line : style.Section(ssChild)) AppendLine(ctx, line, args, out);
  }
  args.child_index = 0;
  for (const CompiledLine& line : style.Section(ssChildClose)) AppendLine(ctx, line, args, out);
  // The Sources block lists what the page cited above it; a page that cites nothing has none.
  if (!facts.Citations().Empty()) {
    for (const CompiledLine& line : style.Section(ssSources)) AppendLine(ctx, line, args, out);
  }
  for (const CompiledLine& line : style.Section(ssFooter)) {
    if (ctx.settings.IncludeGraphic && line.HoldsBodyEndAnyCase()) AppendFooterGraphic(ctx, out);
    AppendLine(ctx, line, args, out);
  }
  return true;
}

}  // namespace stirpex
