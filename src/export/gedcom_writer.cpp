#include "export/gedcom_writer.h"

#include <optional>
#include <unordered_set>

#include "export/gedcom_whole_writer.h"
#include "pages/privacy.h"
#include "platform/line_files.h"

namespace stirpex {

namespace {

constexpr std::string_view kInlineNoteId = "NOTE";
constexpr std::string_view kContinued = "<br>";

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Whether the reader takes a surname from between two slashes of this NAME value: a second
// "/" within kSurnameListCapacity characters behind the first.
bool HasSlashPair(std::string_view value) {
  const std::size_t first = value.find('/');
  if (first == std::string_view::npos) return false;
  return value.substr(first + 1, kSurnameListCapacity).find('/') != std::string_view::npos;
}

// One GEDCOM line at a time into the file: "level tag value" + CR LF.
class GedcomLineWriter {
 public:
  explicit GedcomLineWriter(AtomicFileWriter& out) : out_(out) {}

  void Line(std::string_view text) { out_.WriteLine(text); }
  // A value that begins with "@" is written with it doubled, as "@@" stands for one "@" at
  // the start of a value: otherwise it would read back as a pointer.
  void Line(std::string_view head, std::string_view value) {
    out_.Write(head);
    if (!value.empty() && value.front() == '@') out_.Write("@");
    out_.WriteLine(value);
  }
  // A date: a calendar escape at its start ("@#DJULIAN@ 24 APR 1827") is no pointer and is
  // written as it is; any other "@" at the start is doubled, as above.
  void Date(std::string_view head, std::string_view date) {
    if (date.substr(0, 2) == "@#" && date.find('@', 2) != std::string_view::npos) {
      out_.Write(head);
      out_.WriteLine(date);
    } else {
      Line(head, date);
    }
  }
  // "head" + "@" + id + "@" + tail
  void Pointer(std::string_view head, std::string_view id, std::string_view tail = {}) {
    out_.Write(head);
    out_.Write("@");
    out_.Write(id);
    out_.Write("@");
    out_.WriteLine(tail);
  }

 private:
  AtomicFileWriter& out_;
};

// The stored lines of a note after its first: a line that begins a new text line carries the
// "<br>" the reader put there and becomes CONT; any other continues the text as CONC.
//   +1 CONT <text> | +1 CONC <text>
void WriteContinuations(GedcomLineWriter& w, const TNoteRec& note, std::size_t first,
                        std::string_view cont, std::string_view conc) {
  for (std::size_t i = first; i < note.Lines.size(); ++i) {
    std::string_view line = note.Lines[i];
    if (line.substr(0, kContinued.size()) == kContinued) {
      w.Line(cont, line.substr(kContinued.size()));
    } else {
      w.Line(conc, line);
    }
  }
}

// A note of a person or family: an inline note with its text, or a pointer to a note record.
//   1 NOTE <first line>  +2 CONT|CONC ...     or     1 NOTE @<id>@
void WriteNoteReference(GedcomLineWriter& w, const TNoteRec& note) {
  if (note.Id == kInlineNoteId) {
    w.Line("1 NOTE ", note.Lines.empty() ? std::string_view() : std::string_view(note.Lines[0]));
    WriteContinuations(w, note, 1, "2 CONT ", "2 CONC ");
  } else {
    w.Pointer("1 NOTE ", note.Id);
  }
}

// An event with an optional date and place; nothing when both are empty.
//   1 BIRT|DEAT|MARR  +2 DATE <date>  +2 PLAC <place>
void WriteEvent(GedcomLineWriter& w, std::string_view tag, std::string_view date,
                std::string_view place) {
  if (date.empty() && place.empty()) return;
  w.Line(tag);
  if (!date.empty()) w.Date("2 DATE ", date);
  if (!place.empty()) w.Line("2 PLAC ", place);
}

//   0 @<id>@ INDI
//   1 NAME <given> /<surname>/
//   1 SEX M|F|U
//   [BIRT] [DEAT]
//   1 FAMS @<family>@ ...   1 FAMC @<family>@   1 NOTE ...
void WritePerson(GedcomLineWriter& w, const ShownTree& privacy, const TPersonRec& person) {
  const ShownDates dates = privacy.GedcomDates(person);
  w.Pointer("0 ", person.Id, " INDI");
  if (std::optional<std::string> name = GedcomNameValue(person.Name, person.Surname)) {
    w.Line("1 NAME ", *name);
  }
  // A sex that is not a letter (none was read) is written as undetermined.
  const char sex = IsAsciiLetter(person.Sex) ? person.Sex : 'U';
  w.Line("1 SEX ", std::string_view(&sex, 1));
  WriteEvent(w, "1 BIRT", dates.birth, person.BirthPlace);
  WriteEvent(w, "1 DEAT", dates.death, person.DeathPlace);
  for (const TFamilyRec* family : person.SpouseFamilies) w.Pointer("1 FAMS ", family->Id);
  if (person.ParentFamily) w.Pointer("1 FAMC ", person.ParentFamily->Id);
  for (const TNoteRec* note : person.Notes) WriteNoteReference(w, *note);
}

//   0 @<id>@ NOTE  +1 CONT|CONC <text> ...
void WriteNoteRecord(GedcomLineWriter& w, const TNoteRec& note) {
  w.Pointer("0 ", note.Id, " NOTE");
  WriteContinuations(w, note, 0, "1 CONT ", "1 CONC ");
}

//   0 @<id>@ FAM
//   1 HUSB @<id>@   1 WIFE @<id>@   1 CHIL @<id>@ ...
//   [MARR]   1 NOTE ...
void WriteFamily(GedcomLineWriter& w, const ShownTree& privacy, const TFamilyRec& family) {
  // Persons the filter leaves out are not named: the file holds no record for them.
  auto written = [&](const TPersonRec* p) { return p && !privacy.IsReplaced(p); };
  w.Pointer("0 ", family.Id, " FAM");
  if (written(family.Husband)) w.Pointer("1 HUSB ", family.Husband->Id);
  if (written(family.Wife)) w.Pointer("1 WIFE ", family.Wife->Id);
  for (const TPersonRec* child : family.Children) {
    if (written(child)) w.Pointer("1 CHIL ", child->Id);
  }
  const ShownMarriage marriage = privacy.GedcomMarriage(family);
  WriteEvent(w, "1 MARR", marriage.date, marriage.place);
  if (!privacy.ShowsFamilyNotes(&family)) return;
  for (const TNoteRec* note : family.Notes) WriteNoteReference(w, *note);
}

}  // namespace

std::string SlashedName(std::string_view name, std::string_view surname) {
  if (surname.empty()) return std::string(name) + " /UNKNOWN/";
  // The surname as a word of its own ("Smithson Smith" -> "Smithson /Smith/"), else its first
  // occurrence, else in front.
  std::size_t at = std::string_view::npos;
  for (std::size_t p = name.find(surname); p != std::string_view::npos;
       p = name.find(surname, p + 1)) {
    const std::size_t end = p + surname.size();
    if ((p == 0 || name[p - 1] == ' ') && (end == name.size() || name[end] == ' ')) {
      at = p;
      break;
    }
  }
  if (at == std::string_view::npos) at = name.find(surname);
  std::string slashed = "/" + std::string(surname) + "/";
  if (at == std::string_view::npos) return slashed + std::string(name);
  return std::string(name.substr(0, at)) + slashed + std::string(name.substr(at + surname.size()));
}

std::optional<std::string> GedcomNameValue(std::string_view name, std::string_view surname) {
  if (surname.empty()) {
    if (name.empty()) return std::nullopt;
    // "//" behind a space comes back as nothing at all, leaving the name as it is.
    const std::size_t space = name.rfind(' ');
    if (space != std::string_view::npos) {
      return std::string(name.substr(0, space + 1)) + "//" + std::string(name.substr(space + 1));
    }
    return SlashedName(name, surname);
  }
  // A name read without a slash pair has itself (its first 40 characters) as surname: written
  // without slashes it reads back so.
  if (surname == Cut(name, kSurnameCapacity) && !HasSlashPair(name)) {
    return std::string(name);
  }
  // The reader drops a slash that stands after a space; one that does not becomes a space.
  // So the surname goes between slashes where a space stands before it.
  for (std::size_t p = name.find(surname); p != std::string_view::npos;
       p = name.find(surname, p + 1)) {
    if (p > 0 && name[p - 1] == ' ' && name.substr(0, p).find('/') == std::string_view::npos) {
      return std::string(name.substr(0, p)) + "/" + std::string(surname) + "/" +
             std::string(name.substr(p + surname.size()));
    }
  }
  return SlashedName(name, surname);
}

std::string GedcomHeaderDate(const std::tm& date) {
  // GEDCOM spells months in capitals; readers that hold to the grammar refuse "Dec".
  static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const int month = date.tm_mon >= 0 && date.tm_mon < 12 ? date.tm_mon : 0;
  return std::to_string(date.tm_mday) + " " + kMonths[month] + " " +
         std::to_string(date.tm_year + 1900);
}

bool WriteFilteredGedcom(const Database& db, const TSettings& settings,
                         const std::filesystem::path& path, std::string_view header_date,
                         Messages& messages) {
  if (settings.GedcomWholeRecords) {
    return WriteWholeGedcom(db, settings, path, header_date, messages);
  }
  return WriteKeptFieldsGedcom(db, settings, path, header_date, messages);
}

bool WriteKeptFieldsGedcom(const Database& db, const TSettings& settings,
                           const std::filesystem::path& path, std::string_view header_date,
                           Messages& messages) {
  const ShownTree privacy(db, settings);
  if (const std::string refusal = privacy.Refusal(); !refusal.empty()) {
    messages.Error(refusal, kHelpMissingFile);
    return false;
  }
  AtomicFileWriter out;
  if (!out.Open(path)) {
    messages.Error(UnableToWriteMessage(path), kHelpMissingFile);
    return false;
  }
  GedcomLineWriter w(out);

  w.Line("0 HEAD");
  w.Line("1 SOUR Stirpex");
  w.Line("2 VERS 2.01");
  w.Line("2 NAME Stirpex");
  w.Line("2 CORP Orlevan Software");
  w.Line("1 DATE ", header_date);
  // The bytes are written as read: a tree whose text is UTF-8 must say so, or other programs
  // would read every accented name wrongly.
  w.Line(db.PageCharset() == "UTF-8" ? "1 CHAR UTF-8" : "1 CHAR IBMPC");
  w.Line("1 GEDC");
  w.Line("2 VERS 5.5");

  // Note records that only left-out persons, or families whose notes are hidden, refer to
  // would publish their notes.
  std::unordered_set<const TNoteRec*> shown_notes, hidden_notes;
  for (const TPersonRec* person : db.PersonList()) {
    auto& notes = privacy.ShowsNotes(person) ? shown_notes : hidden_notes;
    for (const TNoteRec* note : person->Notes) notes.insert(note);
  }
  for (const TFamilyRec* family : db.FamilyList()) {
    auto& notes = privacy.ShowsFamilyNotes(family) ? shown_notes : hidden_notes;
    for (const TNoteRec* note : family->Notes) notes.insert(note);
  }

  privacy.ForEachListedPerson([&](const TPersonRec& person) { WritePerson(w, privacy, person); });
  for (const TNoteRec* note : db.NoteList()) {
    if (note->Id == kInlineNoteId) continue;
    if (hidden_notes.count(note) && !shown_notes.count(note)) continue;
    WriteNoteRecord(w, *note);
  }
  for (const TFamilyRec* family : db.FamilyList()) WriteFamily(w, privacy, *family);
  w.Line("0 TRLR");

  if (!out.Commit()) {
    messages.Error(UnableToWriteMessage(path), kHelpMissingFile);
    return false;
  }
  return true;
}

}  // namespace stirpex
