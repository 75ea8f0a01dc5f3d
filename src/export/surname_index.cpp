#include "export/surname_index.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "database/collation.h"
#include "export/index_order.h"
#include "export/sitemap.h"
#include "pages/html_escape.h"
#include "pages/markers.h"
#include "pages/page_names.h"
#include "pages/privacy.h"
#include "platform/line_files.h"

namespace stirpex {

namespace {

constexpr std::string_view kContentsMarker = "<!--^SNContents^-->";
constexpr std::string_view kPeopleMarker = "<!--^SNPeople^-->";
constexpr std::size_t kMarriagePart = 90;
constexpr std::uint32_t kNoGroup = std::numeric_limits<std::uint32_t>::max();

// The persons of each surname block, in the order that sorting the whole list by name before
// each block gives (see index_order.h). Persons are grouped by surname once: a block visits
// only the cycles of the sort's permutation that hold persons of its surname.
//
// The sorts start from the order the file gave the persons, not from the list as an earlier
// index left it: a site written again from the same tree lists everyone in the same order, so
// its index pages stay byte for byte the same (and unwritten).
class SurnameBlocks {
 public:
  explicit SurnameBlocks(const ShownTree& tree) : sort_(tree.PersonsInReadOrder()) {}

  // Sorts once more and calls visit(person) for each person of the heading's surname.
  template <typename Visit>
  void ForEachPerson(std::string_view heading, Visit&& visit) {
    sort_.Sort();
    if (sort_.sorts() == 1) Group();
    auto group = groups_.find(collator_.SortKey(Cut(heading, kSurnameCapacity)));
    if (group == groups_.end()) return;
    const std::uint32_t g = group->second;
    for (std::uint32_t k : positions_[g]) {
      const std::size_t origin = sort_.Origin(k);
      if (group_at_[origin] == g) visit(sort_.FirstSorted()[origin]);
    }
  }

  // Sorts once more for a heading that is not written: the blocks after it list their people
  // in the order they would have had.
  void Skip() {
    sort_.Sort();
    if (sort_.sorts() == 1) Group();
  }

  // PersonList as the sorts done leave it; empty when nothing was sorted.
  std::vector<const TPersonRec*> Order() const {
    if (sort_.sorts() == 0) return {};
    return sort_.Current();
  }

 private:
  // After the first sort: the surname group of every position, and per group the positions of
  // the cycles its persons lie on, ascending.
  void Group() {
    const std::vector<const TPersonRec*>& first = sort_.FirstSorted();
    std::unordered_map<std::string_view, std::uint32_t> group_of_spelling;
    std::vector<std::vector<std::uint32_t>> members;
    group_at_.assign(first.size(), kNoGroup);
    for (std::size_t q = 0; q < first.size(); ++q) {
      const std::string_view spelling = first[q]->Surname.view();
      auto known = group_of_spelling.find(spelling);
      std::uint32_t g;
      if (known != group_of_spelling.end()) {
        g = known->second;
      } else {
        auto [it, added] = groups_.try_emplace(collator_.SortKey(spelling),
                                               static_cast<std::uint32_t>(members.size()));
        if (added) members.emplace_back();
        g = it->second;
        group_of_spelling.emplace(spelling, g);
      }
      group_at_[q] = g;
      members[g].push_back(static_cast<std::uint32_t>(q));
    }
    positions_.resize(members.size());
    std::vector<std::uint32_t> seen(first.size(), kNoGroup);
    std::vector<std::size_t> cycle;
    for (std::uint32_t g = 0; g < members.size(); ++g) {
      std::vector<std::uint32_t>& positions = positions_[g];
      for (std::uint32_t q : members[g]) {
        const std::size_t id = sort_.CycleId(q);
        if (seen[id] == g) continue;
        seen[id] = g;
        cycle.clear();
        sort_.CycleOf(q, cycle);
        for (std::size_t k : cycle) positions.push_back(static_cast<std::uint32_t>(k));
      }
      std::sort(positions.begin(), positions.end());
    }
  }

  RepeatedNameSort sort_;
  SurnameCollator collator_;
  std::unordered_map<std::string, std::uint32_t> groups_;  // collation key -> group
  std::vector<std::uint32_t> group_at_;                    // per first-sorted position
  std::vector<std::vector<std::uint32_t>> positions_;      // per group
};

class ListSink : public LineSink {
 public:
  explicit ListSink(PageLines& lines) : lines_(lines) {}
  void Add(std::string line) override { lines_.push_back(std::move(line)); }

 private:
  PageLines& lines_;
};

void AddExpanded(const PageContext& ctx, const CompiledLine& line, LineSink& out) {
  std::string expanded;
  AppendExpanded(ctx, line, MarkerArgs{}, expanded);
  out.Add(std::move(expanded));
}

void AppendExpandedSection(const PageContext& ctx, TStyleSection section, LineSink& out) {
  for (const CompiledLine& line : ctx.style.Compiled().Section(section)) {
    AddExpanded(ctx, line, out);
  }
}

void AppendContents(const PageContext& ctx, const std::vector<std::string>& surnames, int per_page,
                    LineSink& out) {
  const TSettings& settings = ctx.settings;
  if (settings.SurnameListBox) {
    out.Add("<form METHOD=\"POST\"> <select NAME=\"list1\" SIZE=\"20\">");
  }
  for (std::size_t i = 0; i < surnames.size(); ++i) {
    std::string target;
    if (settings.SplitSurnames) target = SplitIndexPageName(static_cast<int>(i / per_page));
    std::string entry = settings.SurnameListBox ? "<option value=\"" : "<A HREF=\"";
    entry += target;
    entry += "#";
    AppendHtmlEscaped(entry, surnames[i]);
    entry += settings.SurnameListBox ? "\" onClick=\" \">" : "\">";
    AppendHtmlEscaped(entry, surnames[i]);
    entry += settings.SurnameListBox ? "  </option>" : "</A> | ";
    out.Add(std::move(entry));
  }
  if (settings.SurnameListBox) {
    out.Add(
        "</select><br><input type=\"button\" NAME=\"GO\" VALUE=\" Go..\" "
        "onClick=\"box1(this.form)\"></form>");
  }
}

// Whether the person has a line in the index: shown under their own record, with a family
// page to link to.
bool IsListed(const PageContext& ctx, const TPersonRec& person) {
  return !ctx.privacy.IsReplaced(&person) && ShownTree::DisplayFamily(&person);
}

// The surnames some person is listed under (see SurnameBlocks: without regard to case): a
// heading with nobody under it would only tell that the tree holds people of that name.
std::vector<bool> ListedSurnames(const PageContext& ctx) {
  SurnameCollator collator;
  std::unordered_set<std::string_view> spellings;  // of the listed people's Surname
  std::unordered_set<std::string> keys;
  for (const TPersonRec* person : ctx.privacy.PersonList()) {
    if (IsListed(ctx, *person) && spellings.insert(person->Surname.view()).second) {
      keys.insert(collator.SortKey(person->Surname.view()));
    }
  }
  std::vector<bool> listed;
  listed.reserve(ctx.privacy.Surnames().size());
  for (const std::string& surname : ctx.privacy.Surnames()) {
    listed.push_back(keys.count(collator.SortKey(Cut(surname, kSurnameCapacity))) > 0);
  }
  return listed;
}

// One person line, or nothing when the person is not listed.
void AppendPersonLine(const PageContext& ctx, const TPersonRec& person, LineSink& out) {
  const TSettings& settings = ctx.settings;
  if (!IsListed(ctx, person)) return;
  const TFamilyRec* family = ShownTree::DisplayFamily(&person);
  const ShownDates dates = ctx.privacy.ListingDates(person);
  const std::string& birth = dates.birth;
  const std::string& death = dates.death;

  std::string line = "<A HREF=\"";
  AppendPageName(line, family->Id, PageKind::kFamily);
  line += "\">";
  AppendHtmlEscaped(line, person.Name);
  if (settings.SurnameVerbose) {
    // The spouse in the first own family: the wife of a man, else the husband; shown as the
    // privacy filter shows every person on a page.
    std::string married;
    if (!person.SpouseFamilies.empty()) {
      const TFamilyRec* own = person.SpouseFamilies.front();
      const TPersonRec* spouse = person.Sex == 'M' ? own->Wife : own->Husband;
      const TPersonRec* shown = ctx.privacy.Show(spouse).record;
      if (shown && !shown->Name.empty()) {
        const ShownMarriage marriage = ctx.privacy.PageMarriage(*own);
        married = " married " + marriage.date + ", " + marriage.place + " to " + shown->Name.str();
        married.resize(std::min(married.size(), kMarriagePart));
      }
    }
    line += "</A> (b.";
    AppendHtmlEscaped(line, birth);
    line += ", ";
    AppendHtmlEscaped(line, person.BirthPlace);
    AppendHtmlEscaped(line, married);
    line += ". d. ";
    AppendHtmlEscaped(line, death);
    line += ", ";
    AppendHtmlEscaped(line, person.DeathPlace);
    line += ")<BR>";
  } else {
    line += "</A> (";
    AppendHtmlEscaped(line, birth);
    line += " &#151; ";
    AppendHtmlEscaped(line, death);
    line += ")<BR>";
  }
  out.Add(std::move(line));
}

void AppendSurnameBlock(const PageContext& ctx, SurnameBlocks& blocks, std::string_view surname,
                        LineSink& out) {
  std::string heading = "<H3><A NAME=\"";
  AppendHtmlEscaped(heading, surname);
  heading += "\">";
  AppendHtmlEscaped(heading, surname);
  heading += "</A></H3><BR>";
  out.Add(std::move(heading));
  blocks.ForEachPerson(surname,
                       [&](const TPersonRec* person) { AppendPersonLine(ctx, *person, out); });
}

}  // namespace

std::vector<const TPersonRec*> BuildSurnameIndex(const PageContext& ctx,
                                                 const std::filesystem::path& dir, LineSink& out,
                                                 WriteTally& tally) {
  const TSettings& settings = ctx.settings;
  const std::vector<std::string>& all_surnames = ctx.privacy.Surnames();
  const std::vector<bool> listed = ListedSurnames(ctx);
  std::vector<std::string> surnames;  // the headings written, numbered for the split pages
  for (std::size_t i = 0; i < all_surnames.size(); ++i) {
    if (listed[i]) surnames.push_back(all_surnames[i]);
  }
  // The options dialog keeps SplitNumber within 1 to 100; a file may hold anything.
  const int per_page = std::max(1, settings.SplitNumber);
  SurnameBlocks blocks(ctx.privacy);
  // The split page being filled, written as it fills.
  FileUpdater split_file;
  SiteLineSink split(split_file);
  auto close_split_page = [&](int page) {
    AppendExpandedSection(ctx, ssFooter, split);
    tally.Count(split_file.Commit(), dir / SplitIndexPageName(page));
  };

  const CompiledStyle& style = ctx.style.Compiled();
  const int contents_marker = style.LineMarker(kContentsMarker);
  const int people_marker = style.LineMarker(kPeopleMarker);
  for (const CompiledLine& line : style.Section(ssSurnameHead)) {
    if (line.Holds(contents_marker)) AppendContents(ctx, surnames, per_page, out);
    if (line.Holds(people_marker)) {
      for (std::size_t all = 0, written = 0; all < all_surnames.size(); ++all) {
        if (!listed[all]) {
          blocks.Skip();
          continue;
        }
        const std::size_t i = written++;
        if (!settings.SplitSurnames) {
          AppendSurnameBlock(ctx, blocks, surnames[i], out);
          continue;
        }
        const int page = static_cast<int>(i / per_page);
        if (i % per_page == 0) {
          if (page > 0) close_split_page(page - 1);
          split_file.Open(dir / SplitIndexPageName(page));
          split.Restart(CanonicalLink(ctx.site_url, SplitIndexPageName(page)));
          AppendExpandedSection(ctx, ssIndexHead, split);
        }
        AppendSurnameBlock(ctx, blocks, surnames[i], split);
        if (i + 1 == surnames.size()) close_split_page(page);
      }
    }
    AddExpanded(ctx, line, out);
  }
  return blocks.Order();
}

std::vector<const TPersonRec*> BuildSurnameIndex(const PageContext& ctx,
                                                 const std::filesystem::path& dir, PageLines& out,
                                                 WriteTally& tally) {
  ListSink sink(out);
  return BuildSurnameIndex(ctx, dir, sink, tally);
}

}  // namespace stirpex
