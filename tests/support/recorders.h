// Test doubles of the user-facing interfaces, and a loader of GEDCOM text held in a test.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "database/progress.h"

namespace stirpex::testing {

// Remembers every message in order.
class RecordingMessages : public Messages {
 public:
  struct Entry {
    std::string text;
    int help_context;  // -1 for warnings
  };
  void Error(std::string_view text, int help_context) override {
    entries.push_back({std::string(text), help_context});
  }
  void Warning(std::string_view text) override { entries.push_back({std::string(text), -1}); }
  std::vector<Entry> entries;
};

// Remembers what a long operation reported.
class RecordingProgress : public Progress {
 public:
  void ProgressOpen(std::string_view title, std::string_view people, std::string_view families,
                    std::string_view file_name) override {
    this->title = title;
    this->file_name = file_name;
    open_people = people;
    open_families = families;
    ++opened;
  }
  void ProgressPeople(long long count) override { people.push_back(count); }
  void ProgressFamilies(long long count) override { families.push_back(count); }
  void ProgressTrees(long long count) override { trees.push_back(count); }
  void ProgressPercent(int percent) override { percents.push_back(percent); }
  void ProgressClose() override { ++closed; }
  void Pump() override { ++pumps; }

  std::string title, file_name, open_people, open_families;
  std::vector<long long> people, families, trees;
  std::vector<int> percents;
  int opened = 0, closed = 0;
  long long pumps = 0;
};

// Writes the bytes to a temporary file and loads it; returns LoadGedcom's result. Messages
// go to `messages` when given.
bool LoadGedcomText(Database& db, std::string_view bytes, Messages* messages = nullptr);

}  // namespace stirpex::testing
