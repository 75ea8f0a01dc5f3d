#include "app/gedcom_info.h"

namespace stirpex {

std::vector<std::pair<std::string, std::string>> GedcomInfoRows(const Database& db,
                                                                std::string_view gedcom_path) {
  return {
      {"Generating Program: ", db.GedSourceName()},
      {"Company:", db.GedCorp()},
      {"GEDCOM Version:", db.GedVersion()},
      {"Date Created:", db.GedDate()},
      {"File Name:", std::string(gedcom_path)},
      {"Families:", std::to_string(db.FamilyList().size())},
      {"People:", std::to_string(db.PersonList().size())},
      {"Character Set:", db.SourceCharset()},
  };
}

std::vector<std::pair<std::string, std::string>> GedcomContentRows(const Database& db) {
  const GedcomStore& store = db.Store();
  return {
      {"Sources:", std::to_string(store.CountOf(RecordKind::kSour))},
      {"Repositories:", std::to_string(store.CountOf(RecordKind::kRepo))},
      {"Media:", std::to_string(store.MediaCount())},
      {"Places:", std::to_string(store.Places().size())},
      {"Events:", std::to_string(store.FactCount())},
      {"Unreadable Lines:", std::to_string(store.UnparsedLines())},
  };
}

}  // namespace stirpex
