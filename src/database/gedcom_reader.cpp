#include "database/gedcom_reader.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "database/collation.h"
#include "database/date_years.h"
#include "database/gedcom_archive.h"
#include "database/gedcom_facts.h"
#include "database/text_lines.h"
#include "platform/file_bytes.h"

namespace stirpex {

namespace {

enum class Tag {
  kNone,  // not in the table: the line is not recognised
  kIndi,
  kNote,
  kConc,
  kCont,
  kSex,
  kFams,
  kPlac,
  kDate,
  kBirt,
  kDeat,
  kFamc,
  kFam,
  kHusb,
  kWife,
  kChil,
  kMarr,
  kName,
  kHead,
  kSour,
  kCorp,
  kGedc,
  kVers,
  kOtherEvent,   // events and attributes that are not stored
  kChristening,  // CHR, BAPM: only the year is kept, for the privacy rules
  kBurial,       // BURI: that there is one, and its year
  kCremation,    // CREM: the same; its notes stay the person's, as before it was known
  kResn,         // a restriction notice
};

// The tag words. Rows after VERS are events and attributes whose DATE, PLAC and NOTE lines
// must not be taken for a birth, death or marriage, or for the person.
Tag LookupTag(std::string_view token) {
  if (token.size() >= 3 && token.size() <= 4) {
    switch (PackWord(token)) {
      case PackWord("INDI"):
        return Tag::kIndi;
      case PackWord("NOTE"):
        return Tag::kNote;
      case PackWord("CONC"):
        return Tag::kConc;
      case PackWord("CONT"):
        return Tag::kCont;
      case PackWord("SEX"):
        return Tag::kSex;
      case PackWord("FAMS"):
        return Tag::kFams;
      case PackWord("PLAC"):
        return Tag::kPlac;
      case PackWord("DATE"):
        return Tag::kDate;
      case PackWord("BIRT"):
        return Tag::kBirt;
      case PackWord("DEAT"):
        return Tag::kDeat;
      case PackWord("FAMC"):
        return Tag::kFamc;
      case PackWord("FAM"):
        return Tag::kFam;
      case PackWord("HUSB"):
        return Tag::kHusb;
      case PackWord("WIFE"):
        return Tag::kWife;
      case PackWord("CHIL"):
        return Tag::kChil;
      case PackWord("MARR"):
        return Tag::kMarr;
      case PackWord("NAME"):
        return Tag::kName;
      case PackWord("HEAD"):
        return Tag::kHead;
      case PackWord("SOUR"):
        return Tag::kSour;
      case PackWord("CORP"):
        return Tag::kCorp;
      case PackWord("GEDC"):
        return Tag::kGedc;
      case PackWord("VERS"):
        return Tag::kVers;
      case PackWord("CHR"):
      case PackWord("BAPM"):
        return Tag::kChristening;
      case PackWord("BURI"):
        return Tag::kBurial;
      case PackWord("CREM"):
        return Tag::kCremation;
      case PackWord("RESN"):
        return Tag::kResn;
      case PackWord("CENS"):
      case PackWord("OCCU"):
      case PackWord("EVEN"):
      case PackWord("REFN"):
      case PackWord("MDCL"):
      case PackWord("RESI"):
      case PackWord("SSN"):
      case PackWord("RELI"):
      case PackWord("EDUC"):
      case PackWord("MILT"):
      case PackWord("GRAD"):
      case PackWord("_DEG"):
      case PackWord("WILL"):
      case PackWord("PROB"):
      case PackWord("IMMI"):
      case PackWord("CHAN"):
      case PackWord("CAST"):
      case PackWord("DSCR"):
      case PackWord("IDNO"):
      case PackWord("TYPE"):
      case PackWord("CAUS"):
      case PackWord("PROP"):
      case PackWord("TITL"):
      case PackWord("ADOP"):
      case PackWord("CHRA"):
      case PackWord("NATU"):
      case PackWord("ASSO"):
        return Tag::kOtherEvent;
      default:
        break;
    }
  }
  // A shared note of GEDCOM 7 (0 @N1@ SNOTE text, 1 SNOTE @N1@) is a note.
  if (token.size() == 5 && token == "SNOTE") return Tag::kNote;
  // _FA stands for every custom family event tag that begins with it (_FA1, _FA2, ...).
  return token.substr(0, 3) == "_FA" ? Tag::kOtherEvent : Tag::kNone;
}

enum class Context { kNone, kPerson, kFamily, kHeader };
enum class Event { kNone, kBirth, kDeath, kMarriage, kOther };
// Which year of the person a DATE line of the event being read gives (the event itself is
// kOther: its place and notes are not kept).
enum class EvidenceYear { kNone, kChristening, kBurial };

// The restrictions of a RESN value: "confidential", "privacy" and "locked" (GEDCOM 5.5.1), or
// a list of them in capitals ("CONFIDENTIAL, LOCKED", GEDCOM 7).
std::uint8_t RestrictionBits(std::string_view value) {
  std::uint8_t bits = 0;
  std::size_t start = 0;
  while (start < value.size()) {
    std::size_t end = start;
    while (end < value.size() && value[end] != ',' && value[end] != ' ') ++end;
    const std::string_view word = value.substr(start, end - start);
    if (EqualsNoCaseAscii(word, "confidential")) bits |= kResnConfidential;
    if (EqualsNoCaseAscii(word, "privacy")) bits |= kResnPrivacy;
    if (EqualsNoCaseAscii(word, "locked")) bits |= kResnLocked;
    start = end + 1;
  }
  return bits;
}

// One GEDCOM line taken apart: level, optional cross-reference id, tag token and value.
struct ParsedLine {
  int level = 0;
  bool starts_with_digit = false;
  std::string_view xref;   // "@...@" standing before the tag, with its signs; may be empty
  std::string_view token;  // the tag word
  std::string_view value;  // after the tag and one space, from the 255-character window;
                           // a leading "@@" stands for one "@" (see IsEscaped)
};

// The first position of c in s at or after from, or npos. GEDCOM lines are short and the
// bytes looked for are near: a plain loop beats a library call here.
inline std::size_t FindByte(std::string_view s, char c, std::size_t from = 0) {
  for (std::size_t i = from; i < s.size(); ++i) {
    if (s[i] == c) return i;
  }
  return std::string_view::npos;
}

ParsedLine Parse(std::string_view line) {
  ParsedLine out;
  if (!line.empty() && line[0] >= '0' && line[0] <= '9') {
    out.starts_with_digit = true;
    out.level = line[0] - '0';  // only the first character counts
  }
  std::size_t pos = FindByte(line, ' ');  // end of the level token
  auto skip_spaces = [&] {
    while (pos < line.size() && line[pos] == ' ') ++pos;
  };
  if (pos == std::string_view::npos) return out;
  skip_spaces();
  if (pos < line.size() && line[pos] == '@') {
    std::size_t close = FindByte(line, '@', pos + 1);
    std::size_t end = close == std::string_view::npos ? line.size() : close + 1;
    out.xref = line.substr(pos, end - pos);
    pos = end;
    skip_spaces();
  }
  if (pos >= line.size()) return out;
  std::size_t token_end = FindByte(line, ' ', pos);
  if (token_end == std::string_view::npos) token_end = line.size();
  out.token = line.substr(pos, token_end - pos);
  // The value lies within the 255 characters that begin at the tag.
  std::string_view window = line.substr(pos, 255);
  std::size_t value_start = out.token.size() + 1;
  if (value_start < window.size()) out.value = window.substr(value_start);
  // A value that begins with "@@" is text beginning with one "@", never a pointer.
  if (out.value.size() >= 2 && out.value[0] == '@' && out.value[1] == '@') {
    out.value.remove_prefix(1);
  }
  return out;
}

// True when the value began with "@@": the byte before it is then the "@" Parse took away,
// where an unescaped value has the space after its tag.
bool IsEscaped(const ParsedLine& line) {
  return !line.value.empty() && line.value.data()[-1] == '@';
}

// A value as a note keeps it: notes are the one place where a value is kept whole, up to the
// end of the 255-byte window of its line, and the window may end inside a UTF-8 character;
// then the value ends before it (see Cut). (Done here, not in Parse, which runs for every
// line and is kept lean.)
std::string_view NoteText(std::string_view value, std::string_view text) {
  const std::size_t rest = static_cast<std::size_t>(text.data() + text.size() - value.data());
  if (value.empty() || rest == value.size()) return value;
  return Cut(std::string_view(value.data(), rest), value.size());
}

// The text between the first two "@" of text, or from the first "@" to the end; empty when
// there is no "@".
std::string_view PointerId(std::string_view text) {
  std::size_t first = FindByte(text, '@');
  if (first == std::string_view::npos) return {};
  std::size_t second = FindByte(text, '@', first + 1);
  return text.substr(
      first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
}

// GEDCOM 7's @VOID@ points at no record: it makes neither a placeholder nor a link.
bool IsVoid(std::string_view id) {
  return id == "VOID";
}

constexpr char kCtrlZ = 26;  // ends a text file

// True when no byte has its high bit set; the common case, so checked a word at a time.
bool IsAscii(std::string_view s) {
  const char* p = s.data();
  const std::size_t n = s.size();
  std::uint64_t seen = 0;
  if (n >= 8) {
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      seen |= word;
    }
    std::uint64_t last;  // the last eight bytes, overlapping the words before
    std::memcpy(&last, p + n - 8, 8);
    seen |= last;
  } else {
    for (std::size_t i = 0; i < n; ++i) seen |= static_cast<unsigned char>(p[i]);
  }
  return (seen & 0x8080808080808080ull) == 0;
}

std::string_view TrimSpaces(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

// The value of the header's CHAR line ("1 CHAR ANSEL") among the first bytes of a GEDCOM
// file, "" when there is none. Lines are split at any CR or LF here: only the header's lines
// are looked at. A line cut by the end of the bytes counts only when the bytes are the whole
// file. (Kept apart from the reader's own parsing, which stays inlined in its loop.)
std::string_view HeaderCharset(std::string_view head, bool whole_file) {
  auto trim = [](std::string_view s) {
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return std::string_view();
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
  };
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  bool first = true;
  std::size_t pos = 0;
  while (pos < head.size()) {
    std::size_t end = head.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      if (!whole_file) break;
      end = head.size();
    }
    const std::string_view line = trim(head.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    if (line[0] == '0' && !first) break;  // the header ended
    first = false;
    if (line[0] != '1' || line.size() < 2 || line[1] != ' ') continue;
    const std::string_view rest = trim(line.substr(2));
    if (rest.substr(0, 4) == "CHAR" && (rest.size() == 4 || rest[4] == ' ')) {
      return trim(rest.substr(4));
    }
  }
  return {};
}

// The text of a GEDCOM file as the reader takes it, from the bytes read: a UTF-16 file
// decoded to UTF-8; a file whose header declares CHAR ANSEL or CHAR MACINTOSH decoded line by
// line from that set, unless its text is UTF-8 with letters beyond ASCII (a file that says
// ANSEL but was written in UTF-8 stays as it is); any other file kept as read. Everything from
// a Ctrl-Z on is dropped. Returns the set the text was decoded from (kBytes: none).
// Not inlined: the reader's loop in LoadGedcom must stay small enough to have its helpers
// inlined.
[[gnu::noinline]] TextEncoding DecodeGedcomText(ByteBlock& bytes) {
  const TextEncoding utf16 = DetectUtf16(bytes.view().substr(0, 2));
  if (utf16 != TextEncoding::kBytes) {
    std::string text = DecodeUtf16(bytes.view(), utf16 == TextEncoding::kUtf16Be);
    bytes.Release();
    if (const std::size_t z = text.find(kCtrlZ); z != std::string::npos) text.resize(z);
    bytes.Adopt(std::move(text));
    return utf16;
  }
  if (const void* z = std::memchr(bytes.data(), kCtrlZ, bytes.size())) {
    bytes.Shrink(static_cast<std::size_t>(static_cast<const char*>(z) - bytes.data()));
  }
  const std::string_view declared = HeaderCharset(bytes.view(), true);
  TextEncoding wanted = TextEncoding::kBytes;
  if (EqualsNoCaseAscii(declared, "ANSEL")) wanted = TextEncoding::kAnsel;
  if (EqualsNoCaseAscii(declared, "MACINTOSH")) wanted = TextEncoding::kMacRoman;
  if (wanted == TextEncoding::kBytes) return wanted;
  if (!IsAscii(bytes.view()) && IsValidUtf8(bytes.view())) return TextEncoding::kBytes;

  // Each line decoded; line ends become LF (the lines themselves are what the reader sees).
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 8);
  TextLineSplitter lines(bytes.view());
  std::string_view line;
  while (lines.Next(line)) {
    if (IsAscii(line)) {
      text.append(line);
    } else {
      AppendDecodedLine(wanted, line, text);
    }
    text += '\n';
  }
  bytes.Adopt(std::move(text));
  return wanted;
}

class Reader {
 public:
  Reader(Database& db, Progress& progress) : db_(db), progress_(progress) {}

  TFamilyRec* LastFamily() const { return family_; }

  // One line of the file: `text` with its spaces trimmed, `line` it taken apart, and the
  // store's number of the record it begins (kNoStoreRecord when it begins none).
  void Line(std::string_view text, const ParsedLine& line, std::uint32_t record_begun) {
    record_begun_ = record_begun;

    // Text without a level inside a note is the rest of a note line that a stray line end
    // broke (some programs leave bare LFs in note text): it continues the note, as CONC does.
    if (!line.starts_with_digit && note_ && !text.empty()) {
      note_->Lines.emplace_back(Cut(text, 255));
      return;
    }

    // A note stays open for CONC and CONT until a line at its level or above.
    if (note_ && line.level <= note_level_) note_ = nullptr;
    // The event state belongs to the level-1 line that opened it.
    if (line.level <= 1) {
      event_ = Event::kNone;
      evidence_year_ = EvidenceYear::kNone;
      in_gedc_ = false;
    }

    const Tag tag = LookupTag(line.token);

    // Records: HEAD, INDI and FAM open one on level-0 lines; every other level-0 line (SUBM,
    // SOUR, REPO, OBJE, a NOTE record, TRLR) leaves all records.
    if (line.starts_with_digit && line.level == 0) {
      if (tag == Tag::kHead) {
        context_ = Context::kHeader;
      } else if (tag == Tag::kIndi) {
        OpenPerson(line);
      } else if (tag == Tag::kFam) {
        OpenFamily(line);
      } else {
        context_ = Context::kNone;
        person_ = nullptr;
      }
    }

    if (context_ == Context::kHeader && line.token == "CHAR") db_.SetGedCharset(line.value);

    switch (tag) {
      case Tag::kNone:
      case Tag::kIndi:
      case Tag::kFam:
      case Tag::kHead:
      case Tag::kSour:
        break;
      case Tag::kGedc:
        in_gedc_ = context_ == Context::kHeader && line.level == 1;
        break;
      case Tag::kNote:
        Note(line, text);
        break;
      case Tag::kConc:
      case Tag::kCont:
        if (note_) Continuation(tag, line, text);
        break;
      case Tag::kSex:
        if (context_ == Context::kPerson && person_ && !line.value.empty()) {
          person_->Sex = line.value[0];
        }
        break;
      case Tag::kFams:
        if (context_ == Context::kPerson && person_ && HasPointer(text)) {
          const std::string_view id = PointerId(text);
          if (!IsVoid(id)) db_.Append(person_->SpouseFamilies, db_.FindOrAddFamily(id));
        }
        break;
      case Tag::kFamc:
        if (context_ == Context::kPerson && person_ && HasPointer(text)) {
          const std::string_view id = PointerId(text);
          if (!IsVoid(id)) person_->ParentFamily = db_.FindOrAddFamily(id);
        }
        break;
      case Tag::kPlac:
        if (line.level == 2) Place(line.value);
        break;
      case Tag::kDate:
        if (context_ == Context::kHeader) {
          db_.SetGedDate(line.value);
        } else if (line.level == 2) {
          Date(line.value);
          EvidenceDate(line.value);
        }
        break;
      case Tag::kBirt:
      case Tag::kDeat:
        // A person's own events; in any other record they are events we do not keep.
        if (line.level == 1) {
          if (context_ == Context::kPerson && person_) {
            event_ = tag == Tag::kBirt ? Event::kBirth : Event::kDeath;
            // A death is recorded even when nothing else about it is known.
            if (tag == Tag::kDeat) person_->Evidence |= kDeathRecorded;
          } else {
            event_ = Event::kOther;
          }
        }
        break;
      case Tag::kChristening:
      case Tag::kBurial:
      case Tag::kCremation:
        if (line.level == 1) {
          if (tag != Tag::kCremation) event_ = Event::kOther;
          if (context_ == Context::kPerson && person_) {
            evidence_year_ =
                tag == Tag::kChristening ? EvidenceYear::kChristening : EvidenceYear::kBurial;
            if (tag != Tag::kChristening) person_->Evidence |= kDeathRecorded;
          }
        }
        break;
      case Tag::kResn:
        if (line.level == 1 && context_ == Context::kPerson && person_) {
          person_->Evidence |= RestrictionBits(line.value);
        } else if (line.level == 1 && context_ == Context::kFamily && family_) {
          family_->Restriction |= RestrictionBits(line.value);
        }
        break;
      case Tag::kMarr:
        // The marriage of the family record being read; a MARR elsewhere must not write into
        // the last family read.
        if (line.level == 1) {
          event_ = context_ == Context::kFamily && family_ ? Event::kMarriage : Event::kOther;
        }
        break;
      case Tag::kOtherEvent:
        if (line.level == 1) event_ = Event::kOther;
        break;
      case Tag::kHusb:
      case Tag::kWife:
      case Tag::kChil:
        Partner(tag, text);
        break;
      case Tag::kName:
        Name(line.value);
        break;
      case Tag::kCorp:
        db_.SetGedCorp(line.value);
        break;
      case Tag::kVers:
        Version(line);
        break;
    }
  }

  long long indi_count() const { return indi_count_; }

 private:
  static bool HasPointer(std::string_view text) {
    return FindByte(text, '@') != std::string_view::npos;
  }

  void OpenPerson(const ParsedLine& line) {
    std::string_view id = PointerId(line.xref);
    // A person that a family named before its own record fills the placeholder made then.
    // (Most files name nobody before his record: then there is nothing to look for.)
    TPersonRec* placeholder =
        open_placeholders_ > 0 ? db_.FindPersonById(ToLowerAscii(Cut(id, kIdCapacity))) : nullptr;
    if (placeholder && placeholder->Placeholder) {
      placeholder->Placeholder = false;
      --open_placeholders_;
      person_ = placeholder;
    } else {
      person_ = db_.AddPerson(id);
      person_->Placeholder = false;
    }
    person_->StoreRecord = record_begun_;
    context_ = Context::kPerson;
    progress_.ProgressPeople(++indi_count_);
  }

  void OpenFamily(const ParsedLine& line) {
    family_ = db_.FindOrAddFamily(PointerId(line.xref));
    if (family_->StoreRecord == kNoStoreRecord) family_->StoreRecord = record_begun_;
    context_ = Context::kFamily;
    person_ = nullptr;
    progress_.ProgressFamilies(++fam_count_);
  }

  // Continuation, Note and Name are not inlined: the loop over the lines stays small, and
  // the compiler keeps what every line needs in registers (measured by bench_load).
  [[gnu::noinline]] void Continuation(Tag tag, const ParsedLine& line, std::string_view text) {
    std::string entry = tag == Tag::kCont ? "<br>" : "";
    entry.append(NoteText(line.value, text));
    note_->Lines.push_back(std::move(entry));
  }

  [[gnu::noinline]] void Note(const ParsedLine& line, std::string_view text) {
    note_ = nullptr;
    const std::string_view value = NoteText(line.value, text);
    // Notes of events we do not keep (and of births and deaths) are dropped.
    if (event_ == Event::kBirth || event_ == Event::kDeath || event_ == Event::kOther) return;

    TNoteRec* note = nullptr;
    bool attach = false;
    if (!line.xref.empty()) {
      // A note record (0 @N1@ NOTE text): collects the lines that follow, attached to nobody.
      std::string_view id = Cut(PointerId(line.xref), kIdCapacity);
      if (id.empty()) {
        note = db_.AddNote("NOTE");
        note->Lines.emplace_back(value);
      } else {
        note = db_.FindNoteById(id);
        if (!note) note = db_.AddNote(id);
        if (!value.empty()) note->Lines.emplace_back(value);
      }
    } else if (!line.value.empty() && line.value[0] == '@' && !IsEscaped(line)) {
      // A pointer to a note record (1 NOTE @N1@).
      std::string_view id = Cut(PointerId(line.value), kIdCapacity);
      if (IsVoid(id)) return;
      if (id.empty()) {
        note = db_.AddNote("NOTE");
        note->Lines.emplace_back(value);
      } else {
        note = db_.FindNoteById(id);
        if (!note) note = db_.AddNote(id);
      }
      attach = true;
    } else {
      // Inline: the whole value is the first line, whatever it holds.
      note = db_.AddNote("NOTE");
      note->Lines.emplace_back(value);
      attach = true;
    }
    if (attach) {
      if (context_ == Context::kPerson && person_) {
        db_.Append(person_->Notes, note);
      } else if (context_ == Context::kFamily && family_) {
        db_.Append(family_->Notes, note);
      }
    }
    note_ = note;
    note_level_ = line.level;
  }

  // The file's version is the header's GEDC VERS (1 GEDC / 2 VERS 7.0). A file without one
  // takes its last VERS line, wherever it stands (the program's own, as a rule).
  void Version(const ParsedLine& line) {
    if (in_gedc_ && line.level == 2) {
      db_.SetGedVersion(line.value);
      version_from_gedc_ = true;
    } else if (!version_from_gedc_) {
      db_.SetGedVersion(line.value);
    }
  }

  void Place(std::string_view value) {
    switch (event_) {
      case Event::kBirth:
        if (person_) db_.SetFromStore(person_->BirthPlace, value);
        break;
      case Event::kDeath:
        if (person_) db_.SetFromStore(person_->DeathPlace, value);
        break;
      case Event::kMarriage:
        if (family_) db_.SetFromStore(family_->MarrPlace, value);
        break;
      default:
        break;
    }
  }

  void Date(std::string_view value) {
    switch (event_) {
      case Event::kBirth:
        if (person_) db_.SetFromStore(person_->BirthDate, value);
        break;
      case Event::kDeath:
        if (person_) db_.SetFromStore(person_->DeathDate, value);
        break;
      case Event::kMarriage:
        if (family_) db_.SetFromStore(family_->MarrDate, value);
        break;
      default:
        break;
    }
  }

  // The first dated christening and burial of the person give their years.
  // A burial after a death date adds nothing the death date does not say: it is not read.
  void EvidenceDate(std::string_view value) {
    if (evidence_year_ == EvidenceYear::kNone || !person_) return;
    const bool burial = evidence_year_ == EvidenceYear::kBurial;
    if (burial && !person_->DeathDate.empty()) return;
    std::int16_t& year = burial ? person_->BurialYear : person_->ChristeningYear;
    if (year != 0) return;
    const DateYears years = YearsOf(value);
    year = static_cast<std::int16_t>(years.named);
    if (year != 0 && years.latest != year) {
      person_->Evidence |= burial ? kBurialApprox : kChristeningApprox;
    }
  }

  void Partner(Tag tag, std::string_view text) {
    TFamilyRec* family = family_;
    // Only a pointer names a partner: "2 HUSB" under a family event holds an age.
    if (!family || !HasPointer(text)) return;
    const std::string_view id = PointerId(text);
    if (IsVoid(id)) return;
    const std::size_t people_before = db_.PersonList().size();
    TPersonRec* person = db_.FindOrAddPerson(id);
    if (db_.PersonList().size() > people_before) ++open_placeholders_;
    if (tag == Tag::kHusb) {
      family->Husband = person;
    } else if (tag == Tag::kWife) {
      family->Wife = person;
    } else {
      db_.Append(family->Children, person);
    }
  }

  [[gnu::noinline]] void Name(std::string_view value) {
    if (context_ == Context::kHeader) {
      db_.SetGedSourceName(value);
      return;
    }
    if (context_ != Context::kPerson || !person_ || !person_->Name.empty()) return;
    const std::string_view cut = Cut(value, kNameCapacity);
    // name_ keeps its storage from person to person: no allocation per name.
    std::string& name = name_;
    name.assign(cut);
    std::string_view surname = cut;
    std::size_t first = name.find('/');
    if (first != std::string::npos) {
      std::size_t second = name.find('/', first + 1);
      if (second != std::string::npos && second - first <= kSurnameListCapacity) {
        surname = cut.substr(first + 1, second - first - 1);
        if (first > 0 && name[first - 1] == ' ') {
          name.erase(first, 1);
        } else {
          name[first] = ' ';
          ++first;
        }
        std::size_t next = name.find('/', first);
        if (next != std::string::npos) name.erase(next, 1);
      }
    }
    db_.AddSurname(Cut(surname, kSurnameListCapacity));
    db_.SetPersonName(person_, name);
    db_.SetFromStore(person_->Surname, surname);
  }

  Database& db_;
  Progress& progress_;
  Context context_ = Context::kNone;
  Event event_ = Event::kNone;
  EvidenceYear evidence_year_ = EvidenceYear::kNone;
  TPersonRec* person_ = nullptr;
  // The family of the last FAM record read; it stays set when the record ends (the database's
  // LastFamilyRead after the load).
  TFamilyRec* family_ = nullptr;
  TNoteRec* note_ = nullptr;
  int note_level_ = 0;
  bool in_gedc_ = false;            // under the header's level-1 GEDC line
  bool version_from_gedc_ = false;  // GedVersion came from it: no other VERS line counts
  long long indi_count_ = 0;
  long long open_placeholders_ = 0;  // placeholders no INDI record has filled yet
  std::string name_;                 // work space of Name()
  long long fam_count_ = 0;
  std::uint32_t record_begun_ = kNoStoreRecord;  // the store record the line begins
};

// Marks the records of the store as their lines go by, by the store's own reading of a line,
// and counts what the store counts of people's and families' records.
class StoreBuilder {
 public:
  explicit StoreBuilder(GedcomStore& store) : store_(store), text_(store.Text()) {}

  // One line as read (raw), with its spaces trimmed, and as the reader took it apart. Returns
  // the store's number of the record the line begins, or kNoStoreRecord.
  std::uint32_t Line(std::string_view raw, std::string_view trimmed, const ParsedLine& line) {
    if (!place_.empty()) {
      store_.AddPlace(place_);
      place_ = {};
    }
    if (raw.empty()) return kNoStoreRecord;
    int level;
    std::string_view tag, value;
    // The common line ("1 NAME x": one digit, a space, the tag after a space) is told from the
    // reader's own parts; any other is read again by the store's rule.
    if (line.starts_with_digit && trimmed.size() > 1 && trimmed[1] == ' ' && !line.token.empty() &&
        line.token.data()[-1] == ' ') {
      level = line.level;
      tag = line.token;
      const std::size_t after = static_cast<std::size_t>(tag.data() + tag.size() - trimmed.data());
      if (after < trimmed.size()) value = trimmed.substr(after + 1);
    } else {
      const GedcomLine parsed = ParseGedcomLine(raw);
      level = parsed.level;
      tag = parsed.tag;
      value = parsed.value;
    }
    const std::size_t offset = static_cast<std::size_t>(raw.data() - text_.data());
    if (level == 0) {
      kind_ = RecordKindOfTag(tag);
      extension_ = false;
      const std::uint32_t record = store_.NextRecordIndex();
      store_.BeginRecord(offset, kind_);
      return record;
    }
    if (store_.NextRecordIndex() == 0) {
      kind_ = RecordKind::kPrologue;
      store_.BeginRecord(offset, kind_);
    }
    if (level < 0) {
      store_.CountUnparsedLine();
      return kNoStoreRecord;
    }
    if (tag.size() == 4 && tag == "RESN") store_.MarkResn(level);
    if (kind_ == RecordKind::kIndi || kind_ == RecordKind::kFam) Count(level, tag, value);
    return kNoStoreRecord;
  }

  // The end of the text: what is still waiting goes in.
  void Finish() {
    if (!place_.empty()) store_.AddPlace(place_);
    place_ = {};
  }

 private:
  void Count(int level, std::string_view tag, std::string_view value) {
    if (level == 1) {
      extension_ = false;
      const bool fact = kind_ == RecordKind::kIndi ? PersonFactKind(tag).has_value()
                                                   : FamilyFactKind(tag).has_value();
      if (fact) {
        store_.CountFact();
      } else if (tag[0] == '_') {
        extension_ = true;  // a fact when it says when or where (gedcom_facts.h)
      }
    } else if (level == 2 && extension_ && (tag == "DATE" || tag == "PLAC")) {
      store_.CountFact();
      extension_ = false;
    }
    if (tag.size() == 4) {
      if (tag == "PLAC") {
        // Added with the next line: meanwhile the table's slot comes into the cache.
        store_.PrefetchPlace(value);
        place_ = value;
      } else if (tag == "OBJE") {
        if (value.empty() || value[0] != '@') {
          store_.CountInlineMedia();
        } else {
          store_.MarkMediaLink();
        }
      }
    }
  }

  GedcomStore& store_;
  std::string_view text_;
  RecordKind kind_ = RecordKind::kPrologue;
  bool extension_ = false;  // an extension structure of level 1 not yet known to be a fact
  std::string_view place_;  // a place met on the line before, still to be added
};

// The picture of a person comes from a note whose first line holds "Image file.jpg".
void TakePicturesFromNotes(Database& db) {
  for (TPersonRec* person : db.PersonList()) {
    for (const TNoteRec* note : person->Notes) {
      if (note->Lines.empty()) continue;
      const std::string& first = note->Lines.front();
      std::size_t image = first.find("Image");
      if (image == std::string::npos) continue;
      std::size_t space = first.find(' ', image);
      db.Set(person->Picture, space == std::string::npos
                                  ? std::string_view()
                                  : std::string_view(first).substr(space + 1));
    }
  }
}

}  // namespace

bool LoadGedcom(Database& db, const std::filesystem::path& path, Progress& progress,
                Messages& messages) {
  const std::string shown = path.string();
  // The path, and what is wrong with the file when that can be said.
  const auto failure = [&shown](std::string_view message, std::string_view reason) {
    std::string text = std::string(message) + shown;
    if (!reason.empty()) text += " (" + std::string(reason) + ")";
    return text;
  };
  // The file is opened and read once; an archive is unpacked and its gedcom.ged read instead.
  // Until the text is in hand the database stays as it is.
  ByteBlock bytes;
  FileProblem problem = FileProblem::kNone;
  bool read_failed = !ReadWholeFile(path, bytes, &problem);
  if (problem != FileProblem::kNone) {
    messages.Error(failure("Error reading GEDCOM file: ", DescribeFileProblem(problem)),
                   kHelpGedcomFile);
    return false;
  }
  std::unique_ptr<UnpackedArchive> archive;
  if (IsZipBytes(bytes.view())) {
    bytes.Release();
    UnpackStatus status;
    archive = UnpackGedcomArchive(path, status);
    if (!archive) {
      messages.Error(status == UnpackStatus::kNoGedcom
                         ? failure("Not a valid GEDCOM file: ", {})
                         : failure("Error reading GEDCOM file: ", UnpackProblem(status)),
                     kHelpGedcomFile);
      return false;
    }
    read_failed = !ReadWholeFile(archive->gedcom(), bytes, &problem);
    if (problem != FileProblem::kNone) {
      messages.Error(failure("Error reading GEDCOM file: ", DescribeFileProblem(problem)),
                     kHelpGedcomFile);
      return false;
    }
  }
  const TextEncoding encoding = DecodeGedcomText(bytes);
  db.ClearDatabase();
  db.AdoptArchive(std::move(archive));
  progress.ProgressOpen("Loading GEDCOM", "0", "0", shown);
  // The look-ups by person and the surname list are made once, when the records are in.
  std::optional<Database::Batch> batch(std::in_place, db);

  GedcomStore& store = db.MutableStore();
  store.Reset(std::move(bytes));
  const std::string_view text = store.Text();
  // Progress is the share of the text read so far: it advances evenly whatever the lengths
  // of the lines.
  const std::size_t total = text.size();
  Reader state(db, progress);
  const bool all_utf8 = encoding != TextEncoding::kBytes || IsAscii(text) || IsValidUtf8(text);
  int last_percent = -1;
  std::size_t next_percent_at = 0;  // bytes read at which the percentage changes
  TextLineSplitter lines(text);
  StoreBuilder builder(store);
  std::string_view raw;
  while (lines.Next(raw)) {
    progress.Pump();
    if (lines.Offset() >= next_percent_at) {
      const std::size_t read = lines.Offset();
      const int percent = total > 0 && read < total ? static_cast<int>(read * 100 / total) : 100;
      if (percent != last_percent) {
        progress.ProgressPercent(percent);
        last_percent = percent;
      }
      // The first byte count that gives the next percentage: (p + 1) * total / 100, rounded up.
      next_percent_at = percent >= 100 ? ~std::size_t{0} : ((percent + 1) * total + 99) / 100;
    }
    const std::string_view trimmed = TrimSpaces(raw);
    const ParsedLine line = Parse(trimmed);
    state.Line(trimmed, line, builder.Line(raw, trimmed, line));
  }
  builder.Finish();
  store.SetCrLfOnly(lines.CrLfOnly() && encoding == TextEncoding::kBytes);
  store.Finish();
  db.SetLastFamilyRead(state.LastFamily());
  db.SetTextIsUtf8(all_utf8);
  db.SetSourceEncoding(encoding);
  if (last_percent != 100) progress.ProgressPercent(100);

  bool ok = true;
  if (read_failed) {
    messages.Error(failure("Error reading GEDCOM file: ", "a read failed part way through"),
                   kHelpGedcomFile);
    ok = false;
  } else if (db.PersonList().empty()) {
    const bool empty = total == 0 && db.ArchiveFolder().empty();  // not an archive's tree
    messages.Error(failure("Not a valid GEDCOM file: ", empty ? "an empty file" : ""),
                   kHelpGedcomFile);
    ok = false;
  } else {
    TakePicturesFromNotes(db);
  }
  batch.reset();
  progress.ProgressClose();
  return ok;
}

}  // namespace stirpex
