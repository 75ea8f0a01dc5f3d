// Small trees built in memory for the page tests.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "database/database.h"
#include "pages/page_context.h"
#include "pages/style.h"
#include "settings/settings.h"
#include "support/test_paths.h"

namespace stirpex::testing {

struct SmallTree {
  Database db;
  TSettings settings;
  TStyle style;

  TPersonRec* Person(std::string_view id, std::string_view name, char sex = 'M',
                     std::string_view birth = "", std::string_view birth_place = "",
                     std::string_view death = "", std::string_view death_place = "") {
    TPersonRec* p = db.AddPerson(id);
    db.SetPersonName(p, name);
    p->Sex = sex;
    db.Set(p->BirthDate, birth);
    db.Set(p->BirthPlace, birth_place);
    db.Set(p->DeathDate, death);
    db.Set(p->DeathPlace, death_place);
    return p;
  }

  // A family with both sides of every link set, as a well-formed file gives them.
  TFamilyRec* Family(std::string_view id, TPersonRec* husband, TPersonRec* wife,
                     std::initializer_list<TPersonRec*> children = {},
                     std::string_view marr_date = "", std::string_view marr_place = "") {
    TFamilyRec* f = db.FindOrAddFamily(id);
    f->Husband = husband;
    f->Wife = wife;
    if (husband) db.Append(husband->SpouseFamilies, f);
    if (wife) db.Append(wife->SpouseFamilies, f);
    for (TPersonRec* child : children) {
      db.Append(f->Children, child);
      child->ParentFamily = f;
    }
    db.Set(f->MarrDate, marr_date);
    db.Set(f->MarrPlace, marr_place);
    return f;
  }

  TNoteRec* Note(TPersonRec* person, std::vector<std::string> lines) {
    TNoteRec* note = db.AddNote("NOTE");
    note->Lines = std::move(lines);
    db.Append(person->Notes, note);
    return note;
  }

  // A context dated by the tests' clock ("11/14/23").
  PageContext Context() const { return PageContext(db, settings, style, TestClock()); }

  void Section(TStyleSection section, std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) style.Append(section, line);
  }
};

}  // namespace stirpex::testing
