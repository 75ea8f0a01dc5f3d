#include "export/search_index.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <numeric>

#include "database/collation.h"
#include "export/sitemap.h"
#include "pages/markers.h"
#include "pages/page_names.h"
#include "pages/privacy.h"

namespace stirpex {

namespace {

// ----- Folding -----------------------------------------------------------------------------

bool IsApostrophe(UChar32 c) {
  return c == 0x27 || c == 0x60 || c == 0xB4 || c == 0x2BC || c == 0x2019;
}

// Letters without a mark to take off that the search reads as plain letters.
const char* Spelled(UChar32 c) {
  switch (c) {
    case 0xF8:  // ø
      return "o";
    case 0xE6:  // æ
      return "ae";
    case 0x153:  // œ
      return "oe";
    case 0xDF:  // ß
      return "ss";
    case 0x111:  // đ
    case 0xF0:   // ð
      return "d";
    case 0xFE:  // þ
      return "th";
    case 0x142:  // ł
      return "l";
    case 0x131:  // ı
      return "i";
    case 0x3C2:  // ς, the final form of σ
      return "\xCF\x83";
    default:
      return nullptr;
  }
}

bool IsWordCharacter(UChar32 c) {
  return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
}

void AppendUtf8(std::string& out, UChar32 c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Calls add(word) for each folded word of text, in order.
template <typename Add>
void ForEachSearchWord(std::string_view text, Add&& add) {
  std::string word;
  auto end_word = [&] {
    if (!word.empty()) add(word);
    word.clear();
  };
  if (IsAscii(text)) {
    for (char c : text) {
      if (c == '\'' || c == '`') continue;
      const char lower = ToLowerAscii(c);
      if ((lower >= 'a' && lower <= 'z') || (c >= '0' && c <= '9')) {
        word += lower;
      } else {
        end_word();
      }
    }
    end_word();
    return;
  }
  const std::u16string utf16 = DecodeToUtf16(text);
  icu::UnicodeString unicode(false, reinterpret_cast<const UChar*>(utf16.data()),
                             static_cast<int32_t>(utf16.size()));
  unicode.toLower(icu::Locale::getRoot());
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  if (U_SUCCESS(status)) {
    icu::UnicodeString decomposed = nfd->normalize(unicode, status);
    if (U_SUCCESS(status)) unicode = decomposed;
  }
  for (int32_t i = 0; i < unicode.length(); i = unicode.moveIndex32(i, 1)) {
    const UChar32 c = unicode.char32At(i);
    if ((U_GET_GC_MASK(c) & U_GC_M_MASK) != 0 || IsApostrophe(c)) continue;
    if (const char* spelled = Spelled(c)) {
      word += spelled;
    } else if (IsWordCharacter(c)) {
      AppendUtf8(word, c);
    } else {
      end_word();
    }
  }
  end_word();
}

// Bytes of the first `limit` characters of a UTF-8 word.
std::size_t PrefixBytes(std::string_view word, std::size_t limit) {
  std::size_t i = 0;
  for (std::size_t chars = 0; i < word.size() && chars < limit; ++chars) {
    ++i;
    while (i < word.size() && (static_cast<unsigned char>(word[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

// ----- Script text ---------------------------------------------------------------------------

// A JavaScript string literal of text (UTF-8, or Windows-1252 when not valid UTF-8) in ASCII.
void AppendJsString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  auto escape = [&](char16_t unit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
  };
  if (IsAscii(text)) {
    for (char c : text) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += c;
      } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        escape(static_cast<char16_t>(c));
      } else {
        out += c;
      }
    }
  } else {
    for (char16_t unit : DecodeToUtf16(text)) {
      if (unit == u'"' || unit == u'\\') {
        out += '\\';
        out += static_cast<char>(unit);
      } else if (unit < 0x20 || unit >= 0x7F) {
        escape(unit);
      } else {
        out += static_cast<char>(unit);
      }
    }
  }
  out += '"';
}

// A page name without its ".htm", as the data files name pages.
std::string PageStem(std::string_view id, PageKind kind) {
  std::string name = PageName(id, kind);
  name.resize(name.size() - 4);
  return name;
}

// ----- The index -----------------------------------------------------------------------------

struct Entry {
  std::uint32_t person;  // rank of the person (their place in name order)
  std::uint32_t word;    // offset of the word in SearchIndex::words_
  std::uint32_t length;  // of the word
};

// One node of the prefix tree the files are cut by.
struct Node {
  std::string prefix;
  bool inner = false;
  std::size_t count = 0;   // entries under the prefix
  std::size_t chunks = 0;  // inner: files of the entries that end at the prefix
};

// One data file: the people it holds, by rank, in order.
struct DataFile {
  std::string name;
  std::vector<std::uint32_t> people;
};

class SearchIndex {
 public:
  SearchIndex(const PageContext& ctx, std::size_t budget) : ctx_(ctx), budget_(budget) {}

  void Build() {
    Collect();
    Rank();
    Cut();
  }

  const std::vector<Node>& nodes() const { return nodes_; }
  const std::vector<DataFile>& files() const { return files_; }

  // Writes one data file into bytes.
  void Render(const DataFile& file, std::string& bytes) const {
    bytes.clear();
    bytes += "stirpexSearch.data(";
    AppendJsString(bytes, file.name);
    bytes += ",[\r\n";
    for (std::size_t i = 0; i < file.people.size(); ++i) {
      const Person& p = people_[file.people[i]];
      bytes += '[';
      bytes.append(texts_, p.text, p.size);
      bytes += i + 1 < file.people.size() ? "],\r\n" : "]\r\n";
    }
    bytes += "]);\r\n";
  }

  void RenderDirectory(std::string& bytes) const {
    bytes = "stirpexSearch.directory({limit:" + std::to_string(kSearchResultLimit) +
            ",prefixLimit:" + std::to_string(kSearchPrefixLimit) + "},[\r\n";
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      const Node& node = nodes_[i];
      bytes += '[';
      AppendJsString(bytes, node.prefix);
      bytes += node.inner ? ",1," : ",0,";
      bytes += std::to_string(node.count);
      bytes += ',';
      bytes += std::to_string(node.chunks);
      bytes += i + 1 < nodes_.size() ? "],\r\n" : "]\r\n";
    }
    bytes += "]);\r\n";
  }

 private:
  struct Person {
    std::uint32_t text = 0;  // the entry's fields in texts_
    std::uint32_t size = 0;
  };

  // Every listed person with a word in their name: their entry text and their words.
  void Collect() {
    const TSettings& settings = ctx_.settings;
    std::vector<std::string> name_words;
    ctx_.privacy.ForEachListedPerson([&](const TPersonRec& person) {
      name_words.clear();
      ForEachSearchWord(person.Name.view(), [&](const std::string& w) { name_words.push_back(w); });
      if (name_words.empty()) return;
      const auto index = static_cast<std::uint32_t>(people_.size());
      Person& p = people_.emplace_back();

      // The order of results: surname, then the whole name, then the Id.
      order_starts_.push_back(static_cast<std::uint32_t>(orders_.size()));
      ForEachSearchWord(person.Surname.view(), [&](const std::string& w) {
        orders_ += w;
        orders_ += ' ';
      });
      orders_ += '\x01';
      for (const std::string& w : name_words) {
        orders_ += w;
        orders_ += ' ';
      }
      orders_ += '\x01';
      orders_.append(person.Id.view());

      const ShownDates dates = ctx_.privacy.PageDates(person);
      std::string page;
      if (const TFamilyRec* family = ShownTree::DisplayFamily(&person)) {
        page = PageStem(family->Id.view(), PageKind::kFamily);
      } else if (settings.IncludeTrees) {
        page = PageStem(person.Id.view(), PageKind::kTree);
      }
      p.text = static_cast<std::uint32_t>(texts_.size());
      AppendJsString(texts_, person.Name.view());
      texts_ += ',';
      AppendJsString(texts_, person.Surname.view());
      texts_ += ',';
      AppendJsString(texts_, SearchYear(dates.birth));
      texts_ += ',';
      AppendJsString(texts_, SearchYear(dates.death));
      texts_ += ',';
      AppendJsString(texts_, page);
      p.size = static_cast<std::uint32_t>(texts_.size() - p.text);

      std::sort(name_words.begin(), name_words.end());
      name_words.erase(std::unique(name_words.begin(), name_words.end()), name_words.end());
      for (const std::string& w : name_words) {
        entries_.push_back({index, static_cast<std::uint32_t>(words_.size()),
                            static_cast<std::uint32_t>(w.size())});
        words_ += w;
      }
    });
  }

  // Puts people in name order and entries in (word, name) order.
  void Rank() {
    order_starts_.push_back(static_cast<std::uint32_t>(orders_.size()));
    auto key = [&](std::uint32_t p) {
      return std::string_view(orders_).substr(order_starts_[p],
                                              order_starts_[p + 1] - order_starts_[p]);
    };
    std::vector<std::uint32_t> order(people_.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    std::string().swap(orders_);
    std::vector<std::uint32_t>().swap(order_starts_);
    std::vector<std::uint32_t> rank(people_.size());
    std::vector<Person> ranked(people_.size());
    for (std::uint32_t r = 0; r < order.size(); ++r) {
      rank[order[r]] = r;
      ranked[r] = people_[order[r]];
    }
    people_ = std::move(ranked);
    for (Entry& e : entries_) e.person = rank[e.person];
    std::sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
      const int c = Word(a).compare(Word(b));
      return c < 0 || (c == 0 && a.person < b.person);
    });
  }

  std::string_view Word(const Entry& e) const {
    return std::string_view(words_).substr(e.word, e.length);
  }

  // The cost of an entry in a data file.
  std::size_t Cost(const Entry& e) const { return people_[e.person].size + 5; }

  // The prefix tree: a node whose entries fit the budget is one file; a larger one files its
  // entries by the next character, and the entries whose word ends there (or that reach the
  // prefix limit) in name order, cut to the budget; it also gets its best matches (".top").
  void Cut() {
    std::vector<std::size_t> cost(entries_.size() + 1, 0);
    for (std::size_t i = 0; i < entries_.size(); ++i) cost[i + 1] = cost[i] + Cost(entries_[i]);
    struct Pending {
      std::size_t depth, lo, hi, prefix_bytes;
    };
    std::vector<Pending> stack;
    if (!entries_.empty()) stack.push_back({0, 0, entries_.size(), 0});
    while (!stack.empty()) {
      const Pending at = stack.back();
      stack.pop_back();
      Node node;
      node.prefix = std::string(Word(entries_[at.lo]).substr(0, at.prefix_bytes));
      node.count = at.hi - at.lo;
      if (cost[at.hi] - cost[at.lo] <= budget_) {
        AddFile(SearchDataFileName(node.prefix, ""), RanksOf(at.lo, at.hi));
        nodes_.push_back(std::move(node));
        continue;
      }
      node.inner = true;
      // The entries that end here come first: their word is the prefix itself.
      std::size_t own_end = at.lo;
      if (at.depth == kSearchPrefixLimit) {
        own_end = at.hi;
      } else {
        while (own_end < at.hi && entries_[own_end].length == at.prefix_bytes) ++own_end;
      }
      const std::vector<std::uint32_t> own = RanksOf(at.lo, own_end);
      AddFile(SearchDataFileName(node.prefix, ".top"), Best(own, own_end, at.hi));
      std::size_t first = 0;
      for (std::size_t i = 0, size = 0; i <= own.size(); ++i) {
        const std::size_t add = i < own.size() ? people_[own[i]].size + 5 : 0;
        if (i == own.size() || (i > first && size + add > budget_)) {
          if (i > first) {
            AddFile(SearchDataFileName(node.prefix, "." + std::to_string(node.chunks++)),
                    std::vector<std::uint32_t>(own.begin() + first, own.begin() + i));
          }
          first = i;
          size = 0;
        }
        size += add;
      }
      nodes_.push_back(std::move(node));
      // Children by the next character, pushed last first so that they come out in order.
      std::vector<Pending> children;
      for (std::size_t lo = own_end; lo < at.hi;) {
        const std::string_view word = Word(entries_[lo]);
        const std::size_t bytes = PrefixBytes(word, at.depth + 1);
        const std::string_view key = word.substr(0, bytes);
        std::size_t hi = lo + 1;
        while (hi < at.hi && Word(entries_[hi]).substr(0, bytes) == key) ++hi;
        children.push_back({at.depth + 1, lo, hi, bytes});
        lo = hi;
      }
      stack.insert(stack.end(), children.rbegin(), children.rend());
    }
  }

  // The people of the entries [lo, hi), each once, in name order.
  std::vector<std::uint32_t> RanksOf(std::size_t lo, std::size_t hi) const {
    std::vector<std::uint32_t> ranks;
    ranks.reserve(hi - lo);
    for (std::size_t i = lo; i < hi; ++i) ranks.push_back(entries_[i].person);
    std::sort(ranks.begin(), ranks.end());
    ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());
    return ranks;
  }

  // The best matches of the prefix alone: the people whose word is the prefix (own), then the
  // people of the entries [lo, hi) whose word only begins with it, in name order.
  std::vector<std::uint32_t> Best(const std::vector<std::uint32_t>& own, std::size_t lo,
                                  std::size_t hi) const {
    std::vector<std::uint32_t> best(own.begin(),
                                    own.begin() + std::min(own.size(), kSearchResultLimit));
    if (best.size() == kSearchResultLimit) return best;
    std::vector<std::uint32_t> rest;
    rest.reserve(hi - lo);
    for (std::size_t i = lo; i < hi; ++i) {
      if (!std::binary_search(own.begin(), own.end(), entries_[i].person)) {
        rest.push_back(entries_[i].person);
      }
    }
    // The smallest ranks without repeats: a person may begin several words so.
    const std::size_t want = kSearchResultLimit - best.size();
    for (std::size_t take = 2 * want;; take *= 4) {
      const bool all = take >= rest.size();
      if (!all) std::nth_element(rest.begin(), rest.begin() + take, rest.end());
      std::vector<std::uint32_t> smallest(rest.begin(), all ? rest.end() : rest.begin() + take);
      std::sort(smallest.begin(), smallest.end());
      smallest.erase(std::unique(smallest.begin(), smallest.end()), smallest.end());
      if (all || smallest.size() >= want) {
        smallest.resize(std::min(smallest.size(), want));
        // Own people come first whatever their rank: they match the word whole.
        best.insert(best.end(), smallest.begin(), smallest.end());
        return best;
      }
    }
  }

  void AddFile(std::string name, std::vector<std::uint32_t> people) {
    files_.push_back({std::move(name), std::move(people)});
  }

  const PageContext& ctx_;
  const std::size_t budget_;
  std::vector<Person> people_;  // by rank once ranked
  std::string texts_;
  std::string orders_;  // the sort keys, until ranked
  std::vector<std::uint32_t> order_starts_;
  std::string words_;
  std::vector<Entry> entries_;
  std::vector<Node> nodes_;
  std::vector<DataFile> files_;
};

// The search page: the style's SEARCH PAGE section, markers expanded.
void BuildSearchPage(const PageContext& ctx, PageLines& out) {
  const MarkerArgs args;
  for (const CompiledLine& line : ctx.style.Compiled().Section(ssSearchPage)) {
    AppendExpandedLine(ctx, line, args, out);
  }
}

// The script with CR LF line ends, as every text file the program writes.
std::string ScriptFileBytes() {
  std::string bytes;
  for (char c : SearchScript()) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

}  // namespace

std::vector<std::string> SearchWords(std::string_view name) {
  std::vector<std::string> words;
  ForEachSearchWord(name, [&](const std::string& w) { words.push_back(w); });
  return words;
}

std::string SearchYear(std::string_view shown_date) {
  return std::string(ShownYear(shown_date));
}

std::string SearchDataFileName(std::string_view prefix, std::string_view suffix) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name = "search-data-";
  for (char c : prefix) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) {
      name += c;
    } else {
      name += '_';
      name += kHex[byte >> 4];
      name += kHex[byte & 0xF];
    }
  }
  name += suffix;
  name += ".js";
  return name;
}

void WriteSearch(const PageContext& ctx, const std::filesystem::path& dir, PagePipeline& pipeline,
                 std::size_t budget) {
  if (ctx.style.Section(ssSearchPage).empty()) return;
  const std::string canonical = CanonicalLink(ctx.site_url, kSearchPageName);
  pipeline.Submit([&ctx, &dir, canonical](PageWork& work) {
    work.lines.clear();
    BuildSearchPage(ctx, work.lines);
    work.WritePage(dir, std::string(kSearchPageName), canonical);
  });
  pipeline.Submit([&dir](PageWork& work) {
    const std::string name(kSearchScriptName);
    work.files.emplace_back(name, UpdateFile(dir / name, ScriptFileBytes()));
  });

  SearchIndex index(ctx, budget);
  index.Build();
  pipeline.Submit([&dir, &index](PageWork& work) {
    index.RenderDirectory(work.bytes);
    const std::string name(kSearchDirectoryName);
    work.files.emplace_back(name, UpdateFile(dir / name, work.bytes));
  });
  for (const DataFile& file : index.files()) {
    pipeline.Submit([&dir, &index, &file](PageWork& work) {
      index.Render(file, work.bytes);
      work.files.emplace_back(file.name, UpdateFile(dir / file.name, work.bytes));
    });
  }
  pipeline.Drain();  // the steps read the index
}

}  // namespace stirpex
