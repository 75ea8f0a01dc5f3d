// The statistics of a tree: people and families counted, births and deaths per decade, life
// spans by decade of birth, the most frequent surnames, given names and places, each drawn as
// an SVG chart with its numbers in a table beside it for screen readers.
//
// Privacy: everything comes through the privacy layer. The dates and places of protected
// people (excluded, or restricted by the file), masked or replaced, count nowhere, nor does a
// marriage place of a family with a protected partner; the names of replaced people count
// nowhere either. People and families are counted all the same: a number shows nobody.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "pages/page_context.h"
#include "pages/privacy.h"

namespace stirpex {

// How many surnames, given names and places the lists show.
inline constexpr std::size_t kStatisticsTop = 15;

struct TreeStatistics {
  long long people = 0;
  long long families = 0;
  long long men = 0;  // as shown: a replaced person counts as neither
  long long women = 0;
  // Counts per period of `period` years from `first` on (births and deaths share them).
  int first = 0;
  int period = 10;
  std::vector<long long> births;
  std::vector<long long> deaths;
  // The life spans of people born in each period, who have both years.
  struct Spans {
    long long count = 0;
    int shortest = 0, median = 0, longest = 0;
  };
  std::vector<Spans> spans;
  // The most frequent first, each with its count; ties in the order first met.
  std::vector<std::pair<std::string, long long>> surnames;
  std::vector<std::pair<std::string, long long>> given_names;
  std::vector<std::pair<std::string, long long>> places;
};

TreeStatistics CountTree(const ShownTree& tree);

// Appends the body of the statistics page: for each part a heading, the chart and its table.
void AppendStatistics(const PageContext& ctx, PageLines& out);

}  // namespace stirpex
