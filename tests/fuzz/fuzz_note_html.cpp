// libFuzzer target: any bytes as one note, its lines separated by CR (which never stands inside
// a stored line). Whatever the note, the filter must not crash, leak or hang, and what it gives
// a page must hold no script, no "on..." attribute and no "javascript:" address as a browser
// reads them, must pass the filter again unchanged, and must be the note itself when the note
// holds no "<".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "pages/note_html.h"
#include "support/html_hazards.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> note;
  std::size_t start = 0;
  for (std::size_t cr = bytes.find('\r'); cr != std::string_view::npos;
       cr = bytes.find('\r', start)) {
    note.emplace_back(bytes.substr(start, cr - start));
    start = cr + 1;
  }
  note.emplace_back(bytes.substr(start));

  std::vector<std::string> page;
  stirpex::AppendNoteHtml(note, page);
  std::string joined;
  for (const std::string& line : page) {
    Check(line.find('\r') == std::string::npos);
    joined.append(line).append("\r\n");
  }
  Check(stirpex::testing::HtmlHazards(joined).empty());
  if (bytes.find('<') == std::string_view::npos) Check(page == note);

  std::vector<std::string> again;
  stirpex::AppendNoteHtml(page, again);
  Check(again == page);
  return 0;
}
