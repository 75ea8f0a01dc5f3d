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

}  // namespace stirpex
