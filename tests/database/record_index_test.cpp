// The look-up index of the database: the first record with a key wins, whichever of its two
// paths (numbered arrays, hash table) a key takes, and whenever the record was added.
#include "database/record_index.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace stirpex {
namespace {

struct Rec {
  std::string key;
  int serial;
};

std::string_view KeyOf(const void* r) {
  return static_cast<const Rec*>(r)->key;
}

class RecordIndexTest : public ::testing::Test {
 protected:
  Rec* Make(std::string key) {
    records_.push_back(Rec{std::move(key), static_cast<int>(records_.size())});
    return &records_.back();
  }
  int SerialOf(std::string_view key) const {
    const Rec* r = static_cast<const Rec*>(index_.Find(key));
    return r ? r->serial : -1;
  }

  std::deque<Rec> records_;  // records never move
  RecordIndex index_{&KeyOf};
};

TEST_F(RecordIndexTest, FirstRecordWithAKeyWinsOnBothPaths) {
  // Numbered keys, keys of no numbered form, keys that only look numbered.
  const std::vector<std::string> keys = {"i1",
                                         "i2",
                                         "I1",
                                         "f10",
                                         "NOTE",
                                         "i01",
                                         "i0",
                                         "",
                                         "17",
                                         "a b",
                                         "i1x",
                                         "verylongprefix9",
                                         "i999999999",
                                         "i1000000000",
                                         "longer than eleven bytes"};
  for (const std::string& key : keys) index_.AddIfAbsent(Make(key));
  for (const std::string& key : keys) index_.AddIfAbsent(Make(key));  // repeats lose
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(SerialOf(keys[i]), static_cast<int>(i)) << "key '" << keys[i] << "'";
  }
  // Near misses find nothing.
  for (const char* absent : {"i3", "i001", "i", "f1", "NOTES", "i10000000000", "17 "}) {
    EXPECT_EQ(SerialOf(absent), -1) << absent;
  }
}

TEST_F(RecordIndexTest, AddLaterKeepsTheOrderAcrossPathsAndFlushes) {
  // A number far beyond the records so far goes to the hash table; once the arrays may
  // reach it, a later record with the same key must not take its place.
  index_.AddLater(Make("i50000"));  // serial 0: too far for an array now
  index_.AddLater(Make("i7"));      // 1
  index_.AddLater(Make("x"));       // 2
  index_.AddLater(Make("i7"));      // 3: a repeat within the batch
  index_.Flush();
  for (int k = 0; k < 20'000; ++k) index_.AddLater(Make("p" + std::to_string(k)));
  index_.AddLater(Make("i50000"));  // a repeat, now within an array's reach
  index_.Flush();
  EXPECT_EQ(SerialOf("i50000"), 0);
  EXPECT_EQ(SerialOf("i7"), 1);
  EXPECT_EQ(SerialOf("x"), 2);
  EXPECT_EQ(SerialOf("p0"), 4);
  EXPECT_EQ(SerialOf("p19999"), 4 + 19999);

  // AddIfAbsent first adds whatever waits.
  index_.AddLater(Make("y"));
  index_.AddIfAbsent(Make("y"));
  EXPECT_EQ(SerialOf("y"), static_cast<int>(records_.size()) - 2);

  index_.Clear();
  EXPECT_EQ(SerialOf("i7"), -1);
  EXPECT_EQ(SerialOf("x"), -1);
  index_.AddIfAbsent(Make("i7"));
  EXPECT_EQ(SerialOf("i7"), static_cast<int>(records_.size()) - 1);
}

TEST_F(RecordIndexTest, ManyPrefixesAndSparseNumbersStayFindable) {
  // More prefixes than get arrays, and numbers spread far apart: all go somewhere.
  std::vector<std::string> keys;
  for (char p = 'a'; p <= 'z'; ++p) {
    for (int n : {0, 1, 2, 99, 12345, 999999999})
      keys.push_back(std::string(1, p) + std::to_string(n));
  }
  for (const std::string& key : keys) index_.AddIfAbsent(Make(key));
  for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(SerialOf(keys[i]), static_cast<int>(i));
  // The arrays are bounded by the number of records, not by the largest number.
  EXPECT_LT(index_.Bytes(), 4u << 20);
}

}  // namespace
}  // namespace stirpex
