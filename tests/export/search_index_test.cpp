#include "export/search_index.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "export_fixtures.h"

namespace stirpex {
namespace {

using testing::TempDir;
using Words = std::vector<std::string>;

TEST(SearchWords, NamesFoldAsTheSearchPageFoldsQueries) {
  const struct {
    std::string name;
    Words words;
  } kCases[] = {
      {"Margarethe Östergård", {"margarethe", "ostergard"}},
      {"MÜLLER, Hans", {"muller", "hans"}},
      {"Seán O'Brien", {"sean", "obrien"}},
      {"D\u2019Arcy", {"darcy"}},
      {"Søren Kierkegaard", {"soren", "kierkegaard"}},
      {"Straße ẞ", {"strasse", "ss"}},
      {"Æsa Łukasz Đorđe Þór", {"aesa", "lukasz", "dorde", "thor"}},
      {"İLKER Işık", {"ilker", "isik"}},
      {"Ὀδυσσεύς", {"οδυσσευσ"}},
      {"Jean-Pierre  (Jr.) 2nd", {"jean", "pierre", "jr", "2nd"}},
      {"\xD6sterg\xE5rd", {"ostergard"}},  // Windows-1252 bytes
      {"", {}},
      {" -- ", {}},
  };
  for (const auto& c : kCases) EXPECT_EQ(SearchWords(c.name), c.words) << c.name;
}

TEST(SearchWords, YearsOfDatesAsPagesShowThem) {
  const std::pair<const char*, const char*> kCases[] = {
      {"12 MAR 1923", "1923"},
      {"12 MAR 19xx", "19xx"},
      {"ABT 950", "950"},
      {"1712/13", "1712"},
      {"BET 1850 AND 1860", "1850"},
      {"MAX 1900", "1900"},
      {"Living - Private", ""},
      {"3 MAR 40", ""},
      {"xx", ""},
      {"A1850", ""},
      {"", ""},
  };
  for (const auto& [date, year] : kCases) EXPECT_EQ(SearchYear(date), year) << date;
  EXPECT_EQ(SearchDataFileName("ma", ""), "search-data-ma.js");
  EXPECT_EQ(SearchDataFileName("", ".top"), "search-data-.top.js");
  EXPECT_EQ(SearchDataFileName("\xC3\xB8z", ".2"), "search-data-_c3_b8z.2.js");
}

// The text of a JavaScript string literal the index writes (ASCII, \" \\ and \uXXXX escapes).
std::string Unescape(std::string_view literal) {
  std::string out;
  std::u16string units;
  for (std::size_t i = 0; i < literal.size(); ++i) {
    if (literal[i] != '\\') {
      units.push_back(static_cast<char16_t>(literal[i]));
    } else if (literal[++i] == 'u') {
      units.push_back(
          static_cast<char16_t>(std::stoi(std::string(literal.substr(i + 1, 4)), nullptr, 16)));
      i += 4;
    } else {
      units.push_back(static_cast<char16_t>(literal[i]));
    }
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00) c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      out += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      out += {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
              static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
  }
  return out;
}

// The fields of each "[...]" line of a file of the index.
std::vector<Words> Rows(const std::filesystem::path& file) {
  std::vector<Words> rows;
  for (const std::string& line : testing::FileLines(file)) {
    if (line.empty() || line[0] != '[') continue;
    Words fields;
    for (std::size_t at = line.find('"'); at != std::string::npos; at = line.find('"', at + 1)) {
      std::size_t end = at + 1;
      while (line[end] != '"') end += line[end] == '\\' ? 2 : 1;
      fields.push_back(Unescape(std::string_view(line).substr(at + 1, end - at - 1)));
      at = end;
    }
    rows.push_back(fields);
  }
  return rows;
}

class SearchIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NullProgress progress;
    testing::RecordingMessages messages;
    ASSERT_TRUE(LoadGedcom(db_, testing::SourceDir() / "ged" / "sample.ged", progress, messages));
    style_.Append(ssSearchPage, "<!--^SearchScript^-->");
  }
  void Write(std::size_t budget) {
    std::filesystem::remove_all(dir_.path());
    std::filesystem::create_directories(dir_.path());
    PageContext ctx(db_, settings_, style_, testing::TestClock());
    ctx.site_search = true;
    WriteTally tally;
    PagePipeline pipeline(1, dir_.path(), tally);
    WriteSearch(ctx, dir_.path(), pipeline, budget);
    ASSERT_EQ(tally.failed, 0);
  }
  // Every person row of the data files, by name.
  std::map<std::string, Words> People() const {
    std::map<std::string, Words> people;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("search-data-", 0) != 0) continue;
      for (Words& row : Rows(entry.path())) people[row[0]] = row;
    }
    return people;
  }
  // The files the page's script reads for a query word (search_script.js: locate, sources).
  std::vector<std::string> FilesFor(const std::string& word, bool single) const {
    std::map<std::string, std::pair<bool, int>> nodes;  // prefix -> inner, chunks
    // Directory lines: ["prefix",kind,count,chunks], kind 1 for an inner node.
    const auto lines = testing::FileLines(dir_.path() / "search-data.js");
    const std::vector<Words> rows = Rows(dir_.path() / "search-data.js");
    for (std::size_t i = 0, row = 0; i < lines.size(); ++i) {
      if (lines[i].empty() || lines[i][0] != '[') continue;
      const std::size_t kind = lines[i].rfind("\",") + 2;
      nodes[rows[row++][0]] = {lines[i][kind] == '1', 0};
    }
    // Chunks: the numbered files that are there.
    for (auto& [prefix, node] : nodes) {
      while (std::filesystem::exists(
          dir_.path() / SearchDataFileName(prefix, "." + std::to_string(node.second)))) {
        ++node.second;
      }
    }
    std::vector<std::string> files;
    auto own = [&](const std::string& prefix) {
      for (int k = 0; k < nodes[prefix].second; ++k) {
        files.push_back(SearchDataFileName(prefix, "." + std::to_string(k)));
      }
    };
    const std::vector<std::string> beginnings = Beginnings(word);
    std::string prefix;
    for (std::size_t i = 0;; ++i) {
      const auto node = nodes.find(prefix);
      if (node == nodes.end()) return files;
      if (!node->second.first) return {SearchDataFileName(prefix, "")};
      if (i == beginnings.size() || i == kSearchPrefixLimit) {
        if (i == beginnings.size() && single) return {SearchDataFileName(prefix, ".top")};
        own(prefix);
        if (i < beginnings.size()) return files;
        for (const auto& [p, n] : nodes) {
          if (p.size() <= prefix.size() || p.rfind(prefix, 0) != 0) continue;
          if (n.first) {
            own(p);
          } else {
            files.push_back(SearchDataFileName(p, ""));
          }
        }
        return files;
      }
      prefix = beginnings[i];
    }
  }
  // The first 1, 2, ... letters of a UTF-8 word.
  static std::vector<std::string> Beginnings(const std::string& word) {
    std::vector<std::string> beginnings;
    for (std::size_t i = 1; i <= word.size(); ++i) {
      if (i == word.size() || (static_cast<unsigned char>(word[i]) & 0xC0) != 0x80) {
        beginnings.push_back(word.substr(0, i));
      }
    }
    return beginnings;
  }

  Database db_;
  TSettings settings_;
  TStyle style_;
  TempDir dir_;
};

// However the index is cut, every word of every name, and every beginning of it, leads the
// script to a file that names the person; no file outgrows the budget unless it holds one
// person alone (or is a file of best matches, which holds at most as many as a query shows).
TEST_F(SearchIndexTest, EveryPersonIsFoundByEveryBeginningOfEveryWord) {
  for (std::size_t budget : {kSearchFileBudget, std::size_t{150}, std::size_t{700}}) {
    SCOPED_TRACE("budget " + std::to_string(budget));
    Write(budget);
    std::size_t checked = 0;
    for (const TPersonRec* person : db_.PersonList()) {
      for (const std::string& word : SearchWords(person->Name.view())) {
        for (const std::string& begun : Beginnings(word)) {
          std::set<std::string> names;
          for (const std::string& file : FilesFor(begun, true)) {
            for (const Words& row : Rows(dir_.path() / file)) names.insert(row[0]);
          }
          EXPECT_TRUE(names.count(person->Name.str())) << person->Name.str() << " by " << begun;
          ++checked;
        }
      }
    }
    EXPECT_GT(checked, 500u);
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("search-data-", 0) != 0) continue;
      const std::size_t rows = Rows(entry.path()).size();
      if (name.find(".top.") != std::string::npos) {
        EXPECT_LE(rows, kSearchResultLimit) << name;  // the best, whatever the budget
      } else {
        EXPECT_TRUE(entry.file_size() <= budget + 60 || rows == 1) << name;
      }
    }
  }
  // Small budgets cut the tree deep: the whole word "ambervale" has a file of its own.
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / SearchDataFileName("ambervale", ".top")));
}

TEST_F(SearchIndexTest, ARowNamesThePersonTheYearsAndThePage) {
  Write(kSearchFileBudget);
  const auto people = People();
  EXPECT_EQ(people.at("Margarethe Östergård"),
            (Words{"Margarethe Östergård", "Östergård", "1830", "1901", "f2"}));
  EXPECT_EQ(people.size(), db_.PersonList().size());
  // The search page loads the program's script.
  EXPECT_EQ(testing::FileLines(dir_.path() / "search.htm"),
            Words{"<script src=\"search.js\"></script>"});
  EXPECT_EQ(testing::ReadFileBytes(dir_.path() / "search.js").substr(0, 2), "/*");
}

// The privacy layer decides: a replaced person is not in the index at all, masked people have
// masked years, replaced dates give none; a person without a family page links to the tree
// page when there are tree pages, else nowhere.
TEST_F(SearchIndexTest, PeopleAreListedAsThePagesShowThem) {
  TPersonRec* margarethe = db_.FindPersonByName("Margarethe Östergård");
  TPersonRec* loner = db_.AddPerson("i999");
  db_.SetPersonName(loner, "Lone Wolf");
  db_.Set(loner->BirthDate, "1 JAN 1960");
  margarethe->Excluded = true;
  settings_.ExcDoExclude = true;
  const struct {
    bool mask_only, replace_date, trees;
    Words margarethe;  // empty: absent
    std::string loner_page;
  } kModes[] = {
      {false, false, false, {}, ""},
      {true, false, true, {"Margarethe Östergård", "Östergård", "18xx", "19xx", "f2"}, "i999tr"},
      {true, true, false, {"Margarethe Östergård", "Östergård", "", "", "f2"}, ""},
  };
  for (const auto& mode : kModes) {
    settings_.ExcMaskDateOnly = mode.mask_only;
    settings_.ReplaceDate = mode.replace_date;
    settings_.IncludeTrees = mode.trees;
    Write(kSearchFileBudget);
    const auto people = People();
    if (mode.margarethe.empty()) {
      EXPECT_FALSE(people.count("Margarethe Östergård"));
      EXPECT_EQ(testing::ReadFileBytes(dir_.path() / "search-data-.js").find("sterg"),
                std::string::npos);
    } else {
      EXPECT_EQ(people.at("Margarethe Östergård"), mode.margarethe);
    }
    EXPECT_EQ(people.at("Lone Wolf").back(), mode.loner_page);
  }
}

}  // namespace
}  // namespace stirpex
