#include "pages/style.h"

#include "database/text.h"
#include "database/text_lines.h"
#include "pages/template/compiled_style.h"

namespace stirpex {

namespace {

constexpr std::array<std::string_view, kStyleSectionCount> kKeys = {
    "<!--MAIN HEAD", "<!--FAMILY HE", "<!--CHILDREN ", "<!--CHILD -->", "<!--CHILDCLOS",
    "<!--FOOTER --", "<!--IMAGES --", "<!--NOTE HEAD", "<!--TREE HEAD", "<!--SURNAME H",
    "<!--PICLINK--", "<!--NOTELINK-", "<!--TREELINK-", "<!--INDEX HEA", "<!--SEARCH PA",
    "<!--SEARCHBOX", "<!--FAN CHART", "<!--DESC CHAR", "<!--STATISTIC", "<!--FANLINK--",
    "<!--DESCLINK-", "<!--STATSLINK", "<!--FACT ROW-", "<!--KID FACT-", "<!--SOURCES -",
    "<!--SOURCE RO", "<!--PICTURE -", "<!--MEDIA FIL", "<!--SOURCE PA", "<!--SOURCES I",
    "<!--PLACE PAG", "<!--PLACES IN", "<!--MEDIA PAG", "<!--SOURCESLI", "<!--PLACESLIN",
};
constexpr std::size_t kKeyLength = 13;

// The section whose key the line begins with (letters compared as capitals), or -1.
int HeaderSection(std::string_view line) {
  if (line.size() < kKeyLength || line.compare(0, 4, "<!--") != 0) return -1;
  char upper[kKeyLength];
  for (std::size_t i = 0; i < kKeyLength; ++i) upper[i] = ToUpperAscii(line[i]);
  const std::string_view head(upper, kKeyLength);
  for (int s = 0; s < kStyleSectionCount; ++s) {
    if (kKeys[s] == head) return s;
  }
  return -1;
}

// Feeds lines one at a time into a style.
class StyleBuilder {
 public:
  void Add(std::string_view line) {
    if (line.size() < 3 || line[0] == '#') return;
    const int section = HeaderSection(line);
    if (section >= 0 && section != current_) {
      current_ = section;
      return;
    }
    if (current_ >= 0) style_.Append(static_cast<TStyleSection>(current_), std::string(line));
  }
  TStyle& style() { return style_; }

 private:
  TStyle style_;
  int current_ = -1;
};

}  // namespace

TStyle::~TStyle() = default;

const CompiledStyle& TStyle::Compiled() const {
  CompiledSlot& slot = *compiled_;
  std::call_once(slot.once,
                 [&] { slot.compiled = std::make_shared<CompiledStyle>(*this, PageMarkers()); });
  return *slot.compiled;
}

std::string_view StyleSectionKey(TStyleSection section) {
  return kKeys[section];
}

TStyle ParseStyleLines(const std::vector<std::string>& lines) {
  StyleBuilder builder;
  for (const std::string& line : lines) builder.Add(line);
  return std::move(builder.style());
}

TStyle ParseStyleText(std::string_view bytes) {
  return ParseStyleLines(SplitTextLines(bytes));
}

bool LoadStyleFile(TStyle& style, const std::filesystem::path& path, Messages& messages) {
  TextLineReader reader;
  StyleBuilder builder;
  bool ok = reader.Open(path);
  if (ok) {
    std::string_view line;
    while (reader.Next(line)) builder.Add(line);
    ok = !reader.Failed();
  }
  if (!ok) {
    // A file that vanished or could not be read leaves the style in force as it was.
    messages.Error("Error reading style file: " + path.string(), kHelpStyleFile);
    return false;
  }
  style = std::move(builder.style());
  return true;
}

}  // namespace stirpex
