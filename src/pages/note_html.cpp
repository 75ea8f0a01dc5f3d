#include "pages/note_html.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <climits>
#include <mutex>
#include <string_view>

namespace stirpex {

namespace {

// --- The allow-list --------------------------------------------------------------------------

enum class Kind : unsigned char {
  kVoid,         // no content, no end tag (br, hr, img)
  kOptionalEnd,  // kept; a page closes it by itself when the note leaves it open (p, li, td)
  kNormal,       // kept; closed at the note's end when left open
  kDrop,         // removed with everything inside it
};

struct ElementRule {
  std::string_view name;
  Kind kind;
  std::string_view attributes;  // allowed besides the common ones, each between spaces
};

// Attributes every kept element may carry. style is checked (StyleIsSafe).
constexpr std::string_view kCommonAttributes = " align class dir id lang style title ";
constexpr std::string_view kCellAttributes = " bgcolor colspan height nowrap rowspan valign width ";

// Sorted by name. Elements not listed lose their tags but keep their content; among them the
// ones that have no content in a browser but may get some from libxml2, whose HTML 4 tables
// do not know them as empty (embed, frame).
constexpr std::array kElements = std::to_array<ElementRule>({
    {"a", Kind::kNormal, " href name target "},
    {"abbr", Kind::kNormal, ""},
    {"address", Kind::kNormal, ""},
    {"applet", Kind::kDrop, ""},
    {"audio", Kind::kDrop, ""},
    {"b", Kind::kNormal, ""},
    {"big", Kind::kNormal, ""},
    {"blockquote", Kind::kNormal, ""},
    {"br", Kind::kVoid, " clear "},
    {"button", Kind::kDrop, ""},
    {"canvas", Kind::kDrop, ""},
    {"caption", Kind::kOptionalEnd, ""},
    {"center", Kind::kNormal, ""},
    {"cite", Kind::kNormal, ""},
    {"code", Kind::kNormal, ""},
    {"dd", Kind::kOptionalEnd, ""},
    {"del", Kind::kNormal, ""},
    {"div", Kind::kNormal, ""},
    {"dl", Kind::kNormal, ""},
    {"dt", Kind::kOptionalEnd, ""},
    {"em", Kind::kNormal, ""},
    {"font", Kind::kNormal, " color face size "},
    {"form", Kind::kDrop, ""},
    {"frameset", Kind::kDrop, ""},
    {"h1", Kind::kNormal, ""},
    {"h2", Kind::kNormal, ""},
    {"h3", Kind::kNormal, ""},
    {"h4", Kind::kNormal, ""},
    {"h5", Kind::kNormal, ""},
    {"h6", Kind::kNormal, ""},
    {"hr", Kind::kVoid, " color noshade size width "},
    {"i", Kind::kNormal, ""},
    {"iframe", Kind::kDrop, ""},
    {"img", Kind::kVoid, " alt border height hspace src vspace width "},
    {"ins", Kind::kNormal, ""},
    {"li", Kind::kOptionalEnd, " type value "},
    {"math", Kind::kDrop, ""},
    {"noembed", Kind::kDrop, ""},
    {"noframes", Kind::kDrop, ""},
    {"noscript", Kind::kDrop, ""},
    {"object", Kind::kDrop, ""},
    {"ol", Kind::kNormal, " start type "},
    {"p", Kind::kOptionalEnd, ""},
    {"plaintext", Kind::kDrop, ""},
    {"pre", Kind::kNormal, ""},
    {"q", Kind::kNormal, ""},
    {"s", Kind::kNormal, ""},
    {"script", Kind::kDrop, ""},
    {"select", Kind::kDrop, ""},
    {"small", Kind::kNormal, ""},
    {"span", Kind::kNormal, ""},
    {"strike", Kind::kNormal, ""},
    {"strong", Kind::kNormal, ""},
    {"style", Kind::kDrop, ""},
    {"sub", Kind::kNormal, ""},
    {"sup", Kind::kNormal, ""},
    {"svg", Kind::kDrop, ""},
    {"table", Kind::kNormal, " bgcolor border cellpadding cellspacing width "},
    {"tbody", Kind::kOptionalEnd, " valign "},
    {"td", Kind::kOptionalEnd, kCellAttributes},
    {"template", Kind::kDrop, ""},
    {"textarea", Kind::kDrop, ""},
    {"tfoot", Kind::kOptionalEnd, " valign "},
    {"th", Kind::kOptionalEnd, kCellAttributes},
    {"thead", Kind::kOptionalEnd, " valign "},
    {"title", Kind::kDrop, ""},
    {"tr", Kind::kOptionalEnd, " bgcolor valign "},
    {"tt", Kind::kNormal, ""},
    {"u", Kind::kNormal, ""},
    {"ul", Kind::kNormal, " type "},
    {"video", Kind::kDrop, ""},
    {"xmp", Kind::kDrop, ""},
});

constexpr bool SortedByName() {
  for (std::size_t i = 1; i < kElements.size(); ++i) {
    if (!(kElements[i - 1].name < kElements[i].name)) return false;
  }
  return true;
}
static_assert(SortedByName(), "kElements must stay sorted for the binary search");

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
// White space between attributes. A form feed is white space to browsers but not to libxml2;
// plain markup does without it.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The rule of an element named in small letters, or null for an element not listed.
const ElementRule* FindElement(std::string_view name) {
  const auto it =
      std::lower_bound(kElements.begin(), kElements.end(), name,
                       [](const ElementRule& r, std::string_view n) { return r.name < n; });
  return (it != kElements.end() && it->name == name) ? &*it : nullptr;
}

// Whether the space-separated list holds the name.
bool ListHas(std::string_view list, std::string_view name) {
  for (std::size_t at = list.find(name); at != std::string_view::npos;
       at = list.find(name, at + 1)) {
    if (at > 0 && list[at - 1] == ' ' && at + name.size() < list.size() &&
        list[at + name.size()] == ' ') {
      return true;
    }
  }
  return false;
}

// An address a page may hold. Browsers drop tabs and line breaks anywhere in an address and
// leading control characters and spaces, so the scheme is read after doing the same. A
// character reference could spell a scheme ("&#106;avascript:"), so one before the first
// ":", "/", "?" or "#" makes the address unsafe; a relative address is one with no ":" there.
bool UrlIsSafe(std::string_view value, bool allow_mailto) {
  std::string prefix;
  for (char c : value) {
    if (c == '\t' || c == '\n' || c == '\r') continue;
    if (prefix.empty() && static_cast<unsigned char>(c) <= ' ') continue;
    if (c == ':' || c == '/' || c == '?' || c == '#') {
      if (c != ':') return true;
      return prefix == "http" || prefix == "https" || (allow_mailto && prefix == "mailto");
    }
    if (c == '&') return false;
    prefix.push_back(Lower(c));
  }
  return true;  // no scheme, no reference: a relative address
}

// A style attribute may set colours, fonts and the like, but nothing that loads or runs:
// no expression() or url(), and nothing that could hide one (CSS escapes, comments,
// character references).
bool StyleIsSafe(std::string_view value) {
  std::string lower(value);
  for (char& c : lower) c = Lower(c);
  for (std::string_view bad : {"expression", "url(", "\\", "/*", "javascript", "vbscript",
                               "behavior", "binding", "@import", "&"}) {
    if (lower.find(bad) != std::string::npos) return false;
  }
  return true;
}

// Whether an attribute (name in small letters) may stay on the element with that value.
bool AttributeAllowed(const ElementRule& rule, std::string_view name, std::string_view value) {
  if (!ListHas(kCommonAttributes, name) && !ListHas(rule.attributes, name)) return false;
  if (name == "href") return UrlIsSafe(value, /*allow_mailto=*/true);
  if (name == "src") return UrlIsSafe(value, /*allow_mailto=*/false);
  if (name == "style") return StyleIsSafe(value);
  return true;
}

// --- Plain markup: kept as written -----------------------------------------------------------

// Reads a note whose every "<" begins an allowed tag written plainly, and the end tags its
// open elements need. Plain means: "<" or "</", a name of letters and digits, attributes
// separated by white space, each a name of letters, digits and "-" with an optional value in
// double or single quotes or without quotes and free of quotes, "<", "=", "`" and white space;
// then "/>" or ">". Every HTML reader takes such a tag apart the same way, so what the
// allow-list passes here is what a browser sees. A "<" that begins no tag is text. End tags
// must close an element the note opened ("</p>" excepted: a browser makes an empty paragraph
// of it), so a note cannot close the page's own elements.
class PlainScan {
 public:
  explicit PlainScan(std::string_view html) : s_(html) {}

  // True when the whole note is plain and allowed.
  bool Run() {
    for (std::size_t lt = s_.find('<'); lt != std::string_view::npos; lt = s_.find('<', i_)) {
      i_ = lt + 1;
      const char next = At(i_);
      if (IsLetter(next)) {
        if (!Tag(/*end_tag=*/false)) return false;
      } else if (next == '/' && IsLetter(At(i_ + 1))) {
        ++i_;
        if (!Tag(/*end_tag=*/true)) return false;
      } else if (next == '/') {
        if (!BogusComment()) return false;
      } else if (next == '!' || next == '?') {
        return false;  // comments, declarations, processing instructions
      }
      // Any other "<" (before a space, a digit, the line end) is text to every reader.
    }
    return true;
  }

  // End tags for the elements left open that a page would not close by itself, innermost
  // first.
  std::string Closers() const {
    std::string closers;
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
      if ((*it)->kind != Kind::kNormal) continue;
      closers.append("</").append((*it)->name).append(">");
    }
    return closers;
  }

 private:
  char At(std::size_t i) const { return i < s_.size() ? s_[i] : '\0'; }
  std::size_t SkipSpaces() {
    const std::size_t start = i_;
    while (i_ < s_.size() && IsSpace(s_[i_])) ++i_;
    return i_ - start;
  }

  // Reads a name of letters, digits (and "-" when dash) in small letters into name_.
  bool Name(bool dash) {
    name_.clear();
    if (!IsLetter(At(i_))) return false;
    while (i_ < s_.size() && (IsLetter(s_[i_]) || IsDigit(s_[i_]) || (dash && s_[i_] == '-'))) {
      name_.push_back(Lower(s_[i_++]));
    }
    return true;
  }

  // "</" before something other than a letter: browsers take everything up to the next ">"
  // as a comment (files split over lines in the middle of an end tag hold such). Kept when
  // that ">" is in the note and no "<" comes first, so no reader can see a tag in it.
  bool BogusComment() {
    const std::size_t body = i_ + 1;
    if (body >= s_.size() || s_[body] == '>') return false;
    const std::size_t gt = s_.find('>', body);
    if (gt == std::string_view::npos ||
        s_.substr(body, gt - body).find('<') != std::string_view::npos) {
      return false;
    }
    i_ = gt + 1;
    return true;
  }

  // Reads a tag from its name on.
  bool Tag(bool end_tag) {
    if (!Name(/*dash=*/false)) return false;
    const ElementRule* rule = FindElement(name_);
    if (!rule || rule->kind == Kind::kDrop) return false;
    if (end_tag) {
      SkipSpaces();
      if (At(i_) != '>') return false;
      ++i_;
      return Close(*rule);
    }
    while (true) {
      const std::size_t spaces = SkipSpaces();
      if (At(i_) == '>') break;
      if (At(i_) == '/' && At(i_ + 1) == '>') {
        ++i_;
        break;
      }
      if (spaces == 0 || !Attribute(*rule)) return false;
    }
    ++i_;
    if (rule->kind != Kind::kVoid) open_.push_back(rule);
    return true;
  }

  bool Attribute(const ElementRule& rule) {
    if (!Name(/*dash=*/true)) return false;
    std::string_view value;
    const std::size_t after_name = i_;
    SkipSpaces();
    if (At(i_) != '=') {
      i_ = after_name;
    } else {
      ++i_;
      SkipSpaces();
      const char quote = At(i_);
      if (quote == '"' || quote == '\'') {
        const std::size_t close = s_.find(quote, i_ + 1);
        if (close == std::string_view::npos) return false;
        value = s_.substr(i_ + 1, close - i_ - 1);
        i_ = close + 1;
      } else {
        const std::size_t start = i_;
        while (i_ < s_.size() && !IsSpace(s_[i_]) &&
               std::string_view("\"'<=`>\f").find(s_[i_]) == std::string_view::npos &&
               s_[i_] != '\0') {
          ++i_;
        }
        if (i_ == start) return false;
        value = s_.substr(start, i_ - start);
      }
    }
    return AttributeAllowed(rule, name_, value);
  }

  bool Close(const ElementRule& rule) {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
      if (*it == &rule) {
        open_.erase(std::next(it).base());
        return true;
      }
    }
    return rule.name == "p";
  }

  std::string_view s_;
  std::size_t i_ = 0;
  std::string name_;
  std::vector<const ElementRule*> open_;
};

// --- Everything else: parsed and written again -------------------------------------------------

// The parser's text is UTF-8 of Latin-1 input: every character is below 256 and goes back to
// the byte it came from.
void AppendLatin1(std::string& out, const xmlChar* utf8, bool in_attribute) {
  if (!utf8) return;
  for (const unsigned char* p = utf8; *p; ++p) {
    unsigned c = *p;
    if (c >= 0x80) {
      if ((c & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
        c = ((c & 0x1F) << 6) | (p[1] & 0x3F);
        ++p;
      }
      out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    } else if (c == '<' && !in_attribute) {
      out.append("&lt;");
    } else if (c == '"' && in_attribute) {
      out.append("&quot;");
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
}

void WriteStartTag(std::string& out, const ElementRule& rule, const xmlNode* element) {
  out.push_back('<');
  out.append(rule.name);
  std::string name, value;
  for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
    name.clear();
    for (const xmlChar* p = attribute->name; *p; ++p) name.push_back(Lower(static_cast<char>(*p)));
    value.clear();
    for (const xmlNode* part = attribute->children; part; part = part->next) {
      if (part->type == XML_TEXT_NODE) AppendLatin1(value, part->content, /*in_attribute=*/true);
    }
    if (!AttributeAllowed(rule, name, value)) continue;
    out.append(" ").append(name);
    if (attribute->children) out.append("=\"").append(value).append("\"");
  }
  out.push_back('>');
}

void WriteEndTag(std::string& out, const xmlNode* element) {
  const ElementRule* rule = FindElement(reinterpret_cast<const char*>(element->name));
  if (rule && rule->kind != Kind::kVoid && rule->kind != Kind::kDrop) {
    out.append("</").append(rule->name).append(">");
  }
}

// Writes the tree in document order without recursion (the note decides how deep it is).
// Elements not listed are passed through to their content; dropped ones are skipped whole.
void WriteTree(std::string& out, const xmlNode* first) {
  const xmlNode* node = first;
  while (node) {
    const xmlNode* down = nullptr;
    if (node->type == XML_ELEMENT_NODE) {
      const ElementRule* rule = FindElement(reinterpret_cast<const char*>(node->name));
      if (!rule) {
        down = node->children;
      } else if (rule->kind != Kind::kDrop) {
        WriteStartTag(out, *rule, node);
        if (rule->kind != Kind::kVoid) {
          down = node->children;
          if (!down) WriteEndTag(out, node);
        }
      }
    } else if (node->type == XML_TEXT_NODE) {
      AppendLatin1(out, node->content, /*in_attribute=*/false);
    }
    // Comments, processing instructions and the raw content of script and style go.
    if (down) {
      node = down;
      continue;
    }
    while (!node->next) {
      node = node->parent;
      if (!node || node->type != XML_ELEMENT_NODE) return;
      WriteEndTag(out, node);
    }
    node = node->next;
  }
}

// The whole note as text, when it cannot be parsed at all: every "<" escaped.
std::string AsText(std::string_view html) {
  std::string out;
  for (char c : html) {
    if (c == '<') {
      out.append("&lt;");
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The parser's global tables are set up once, before any thread parses.
void InitParserOnce() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

std::string Rebuild(std::string_view html) {
  InitParserOnce();
  // The note goes inside an element of our own: text at the top would otherwise get a
  // paragraph the note never had. Every "&" is handed over as "&amp;", so the parser resolves
  // no reference and gives back text and values with their references as written. NUL bytes,
  // which end the parser's reading of a value, go (browsers show nothing for them either).
  static constexpr std::string_view kWrapper = "<stirpex-note>";
  std::string input(kWrapper);
  input.reserve(kWrapper.size() + html.size() + html.size() / 8);
  for (char c : html) {
    if (c == '&') {
      input.append("&amp;");
    } else if (c != '\0') {
      input.push_back(c);
    }
  }
  if (input.size() > static_cast<std::size_t>(INT_MAX)) return AsText(html);

  htmlParserCtxtPtr ctxt = htmlNewParserCtxt();
  if (!ctxt) return AsText(html);
  // No implied html/body, no default DTD, nothing fetched, no message printed, and the
  // bytes are Latin-1 whatever a meta tag in the note claims.
  const int options = HTML_PARSE_NOIMPLIED | HTML_PARSE_NODEFDTD | HTML_PARSE_NONET |
                      HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_IGNORE_ENC;
  xmlDocPtr doc = htmlCtxtReadMemory(ctxt, input.data(), static_cast<int>(input.size()), nullptr,
                                     "ISO-8859-1", options);
  std::string out;
  if (doc) {
    WriteTree(out, doc->children);
    xmlFreeDoc(doc);
  } else {
    out = AsText(html);
  }
  htmlFreeParserCtxt(ctxt);
  return out;
}

}  // namespace

void AppendNoteHtml(const std::vector<std::string>& note_lines, std::vector<std::string>& out) {
  const bool has_markup =
      std::any_of(note_lines.begin(), note_lines.end(),
                  [](const std::string& line) { return line.find('<') != std::string::npos; });
  if (!has_markup) {
    out.insert(out.end(), note_lines.begin(), note_lines.end());
    return;
  }
  // A CR never stands inside a stored line; to HTML it is white space, like the line end
  // a page puts between the lines.
  std::string joined;
  for (std::size_t i = 0; i < note_lines.size(); ++i) {
    if (i > 0) joined.push_back('\r');
    joined.append(note_lines[i]);
  }
  PlainScan plain(joined);
  if (plain.Run()) {
    out.insert(out.end(), note_lines.begin(), note_lines.end());
    out.back().append(plain.Closers());
    return;
  }
  const std::string rebuilt = Rebuild(joined);
  std::size_t start = 0;
  for (std::size_t cr = rebuilt.find('\r'); cr != std::string::npos;
       cr = rebuilt.find('\r', start)) {
    out.emplace_back(rebuilt, start, cr - start);
    start = cr + 1;
  }
  out.emplace_back(rebuilt, start);
}

}  // namespace stirpex
