#include "support/gedcom_generator.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace stirpex::bench {

namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 <= result < n.
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
  int Between(int lo, int hi) { return lo + static_cast<int>(Below(hi - lo + 1)); }
  bool Chance(int percent) { return Below(100) < static_cast<std::uint32_t>(percent); }
  // Skewed towards small values, as surnames and towns are in real trees.
  std::uint32_t Skewed(std::uint32_t n) {
    const double u = static_cast<double>(Next() >> 11) / 9007199254740992.0;
    return static_cast<std::uint32_t>(u * u * n);
  }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 48> kMaleNames = {
    "John",   "William", "Thomas",  "James",  "George", "Henry",  "Edward",    "Charles",
    "Robert", "Samuel",  "Joseph",  "Arthur", "Walter", "Albert", "Frederick", "Harold",
    "Peter",  "David",   "Michael", "Daniel", "Jonas",  "Josiah", "Edmund",    "Lionel",
    "Cecil",  "Percy",   "Raymond", "Nils",   "Karl",   "Johan",  "Jörg",      "Søren",
    "René",   "Mathis",  "Oliver",  "Lucas",  "Noah",   "Isaac",  "Silas",     "Amos",
    "Ezra",   "Felix",   "Hugo",    "Anton",  "Elias",  "Tobias", "Victor",    "Leon"};
constexpr std::array<std::string_view, 48> kFemaleNames = {
    "Mary",     "Elizabeth",  "Sarah",  "Anne",    "Margaret", "Jane",   "Hannah",   "Martha",
    "Clara",    "Eliza",      "Rose",   "Ada",     "Ingrid",   "Sofie",  "Beatrice", "Mabel",
    "Florence", "Dorothy",    "Joan",   "Eileen",  "Iris",     "Greta",  "Linda",    "Susan",
    "Helen",    "Emma",       "Laura",  "Carol",   "Agnes",    "Lise",   "Zoë",      "Åsa",
    "Élise",    "Margarethe", "Louisa", "Harriet", "Edith",    "Violet", "Alice",    "Grace",
    "Lydia",    "Miriam",     "Nora",   "Ruth",    "Esther",   "Judith", "Olive",    "Maud"};
constexpr std::array<std::string_view, 32> kSurnameHeads = {
    "Amber",  "Ash",     "Black",   "Brack", "Corri", "Dun",  "Fen",   "Glen",
    "Harrow", "Kestrel", "Lind",    "Moss",  "North", "Pell", "Quill", "Raven",
    "Sallow", "Thorn",   "Vell",    "Wrex",  "Öster", "Brøn", "Mér",   "Tinder",
    "Holl",   "Ather",   "Brindle", "Cald",  "Dray",  "Elm",  "Farr",  "Grims"};
constexpr std::array<std::string_view, 32> kSurnameTails = {
    "vale",  "wood",  "ford",  "by",    "ton",   "mere",    "holt",  "ley",  "well", "wick", "gård",
    "sen",   "quist", "field", "brook", "stone", "worth",   "combe", "dale", "moor", "gast", "ham",
    "croft", "shaw",  "more",  "ridge", "hurst", "thwaite", "ard",   "in",   "ell",  "ow"};
constexpr std::array<std::string_view, 24> kTownHeads = {
    "Bracken", "Quill",  "Carrow", "Ashby",    "Eastholm", "Little", "Port",  "Nord",
    "Haver",   "Wex",    "Tansey", "Mill",     "Kings",    "Oak",    "Stone", "Marsh",
    "Bridge",  "Sønder", "Méri",   "Westmoor", "Holm",     "Fell",   "Brook", "Ravens"};
constexpr std::array<std::string_view, 16> kTownTails = {
    "ford", "mere", " Cross", " Fenwick", " Vale", "ton",   "by",   "löv",
    "wick", "ham",  "field",  "dale",     "well",  "stead", "bury", " Halloran"};
constexpr std::array<std::string_view, 12> kCounties = {
    "Wexmoor", "Haverdale",  "Lantmark",  "Østmark",  "Northfold",  "Carrowshire",
    "Fenland", "Quillshire", "Ambermoor", "Glenholt", "Sallowdale", "Marchfield"};
constexpr std::array<std::string_view, 4> kCountries = {"Lantria", "Østmark", "Mérival",
                                                        "Northfold"};
constexpr std::array<std::string_view, 16> kOccupations = {
    "Farmer",  "Miller",    "Carter",   "Wheelwright", "Teacher", "Weaver", "Smith", "Clerk",
    "Mariner", "Innkeeper", "Labourer", "Carpenter",   "Baker",   "Mason",  "Nurse", "Tailor"};
constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<std::string_view, 8> kNoteWords = {
    "the family",      "moved to",         "worked at",  "the old mill",
    "after the flood", "with his brother", "the parish", "in the spring of"};

struct Person {
  std::uint16_t given = 0;
  std::uint16_t middle = 0;  // 0: none, else index + 1
  std::uint16_t surname = 0;
  char sex = 'M';
  std::int16_t birth_year = 0;
  std::int16_t death_year = 0;  // 0: living or unknown
  std::uint8_t date_style = 0;  // how the dates are written (full, year, ABT, none)
  std::uint16_t birth_place = 0;
  std::uint16_t death_place = 0;
  std::int32_t famc = -1;
  std::int32_t fams[2] = {-1, -1};
};

struct Family {
  std::int32_t husband = -1;
  std::int32_t wife = -1;
  std::int16_t year = 0;
  std::uint16_t place = 0;
  std::int32_t first_child = 0;
  std::int32_t children = 0;
};

class Writer {
 public:
  explicit Writer(std::ostream& out) : out_(out) { buffer_.reserve(1 << 16); }
  ~Writer() { Flush(); }
  void Line(std::string_view a, std::string_view b = {}, std::string_view c = {},
            std::string_view d = {}) {
    buffer_.append(a).append(b).append(c).append(d).append("\r\n");
    ++lines_;
    if (buffer_.size() > (1 << 16)) Flush();
  }
  void Flush() {
    bytes_ += buffer_.size();
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }
  std::uint64_t lines() const { return lines_; }
  std::uint64_t bytes() const { return bytes_ + buffer_.size(); }

 private:
  std::ostream& out_;
  std::string buffer_;
  std::uint64_t lines_ = 0;
  std::uint64_t bytes_ = 0;
};

std::string Surname(std::uint32_t i) {
  return std::string(kSurnameHeads[i / kSurnameTails.size() % kSurnameHeads.size()]) +
         std::string(kSurnameTails[i % kSurnameTails.size()]);
}

std::string Place(std::uint32_t i) {
  std::string town(kTownHeads[i % kTownHeads.size()]);
  town += kTownTails[(i / kTownHeads.size()) % kTownTails.size()];
  const std::uint32_t rest = i / (kTownHeads.size() * kTownTails.size());
  town += ", ";
  town += kCounties[rest % kCounties.size()];
  town += ", ";
  town += kCountries[(rest / kCounties.size()) % kCountries.size()];
  return town;
}

// A date in one of the forms real files use; empty for "not known".
std::string Date(int year, std::uint8_t style, std::uint64_t salt) {
  char buffer[40];
  switch (style) {
    case 0:
    case 1:
    case 2:
      std::snprintf(buffer, sizeof buffer, "%d %s %d", static_cast<int>(salt % 28) + 1,
                    kMonths[(salt / 28) % 12].data(), year);
      return buffer;
    case 3:
    case 4:
      return std::to_string(year);
    case 5:
      return "ABT " + std::to_string(year);
    case 6:
      std::snprintf(buffer, sizeof buffer, "BET %d AND %d", year - 1, year + 1);
      return buffer;
    default:
      return {};
  }
}

constexpr int kThisYear = kGeneratorYear;

}  // namespace

GeneratorCounts WriteSyntheticGedcom(const GeneratorOptions& options, std::ostream& out,
                                     std::vector<PersonTruth>* truth) {
  Random rng(options.seed * 0x2545F4914F6CDD1Dull + 7);
  // The blur draws from a generator of its own: the population and every other choice stay
  // those of the file without blur.
  Random blur_rng(options.seed * 0x9E3779B97F4A7C15ull + 11);
  auto blur = [&](int percent) { return options.blur && blur_rng.Chance(percent); };
  const std::uint64_t target = options.people;
  std::vector<Person> people;
  std::vector<Family> families;
  people.reserve(target);
  families.reserve(target / 2 + 8);

  const std::uint32_t surname_count = kSurnameHeads.size() * kSurnameTails.size();
  const std::uint32_t place_count =
      kTownHeads.size() * kTownTails.size() * kCounties.size() * kCountries.size();

  auto new_person = [&](char sex, int birth_year, std::int32_t surname) -> std::int32_t {
    Person p;
    p.sex = sex;
    p.given = static_cast<std::uint16_t>(rng.Skewed(kMaleNames.size()));
    if (rng.Chance(40)) p.middle = static_cast<std::uint16_t>(1 + rng.Below(kMaleNames.size()));
    p.surname = static_cast<std::uint16_t>(surname >= 0 ? surname : rng.Skewed(surname_count));
    p.birth_year = static_cast<std::int16_t>(birth_year);
    p.date_style = static_cast<std::uint8_t>(rng.Below(9));  // 7 and 8: no dates
    p.birth_place = static_cast<std::uint16_t>(rng.Skewed(place_count));
    p.death_place =
        rng.Chance(70) ? p.birth_place : static_cast<std::uint16_t>(rng.Skewed(place_count));
    const int lifespan = rng.Chance(15) ? rng.Between(0, 15) : rng.Between(40, 95);
    p.death_year = birth_year + lifespan >= kThisYear - 1
                       ? 0
                       : static_cast<std::int16_t>(birth_year + lifespan);
    people.push_back(p);
    return static_cast<std::int32_t>(people.size() - 1);
  };

  // Founder couples, then every person in the order made may marry once or twice and have
  // children, until the tree holds the number of people asked for.
  const std::uint64_t per_founder = options.people_per_founder;
  const std::uint64_t founders = target < per_founder ? 1 : target / per_founder;
  std::uint64_t next = 0;  // next person whose life is decided
  while (people.size() < target) {
    if (next >= people.size()) {
      // Every line has ended (or this is the start): add a founder couple.
      for (std::uint64_t f = 0; f < founders && people.size() + 1 < target; ++f) {
        new_person('M', rng.Between(options.founders_born_from, options.founders_born_to), -1);
      }
      if (next >= people.size()) {
        new_person('M', rng.Between(options.founders_born_from, options.founders_born_to), -1);
      }
    }
    const std::int32_t self = static_cast<std::int32_t>(next++);
    // Copy the facts needed: new_person may move `people`.
    const int birth = people[self].birth_year;
    const int death = people[self].death_year;
    if (death != 0 && death - birth < 18) continue;  // died young
    if (!rng.Chance(78)) continue;                   // never married
    const int marriages = rng.Chance(9) ? 2 : 1;
    int year = birth + rng.Between(19, 32);
    for (int m = 0; m < marriages && people.size() < target; ++m) {
      if (year >= kThisYear - 2) break;
      const char sex = people[self].sex;
      const std::int32_t spouse =
          new_person(sex == 'M' ? 'F' : 'M', birth + rng.Between(-6, 6), -1);
      Family family;
      family.husband = sex == 'M' ? self : spouse;
      family.wife = sex == 'M' ? spouse : self;
      family.year = static_cast<std::int16_t>(year);
      family.place = static_cast<std::uint16_t>(rng.Skewed(place_count));
      const std::int32_t id = static_cast<std::int32_t>(families.size());
      people[self].fams[m] = id;
      people[spouse].fams[0] = id;
      const std::int32_t surname = people[family.husband].surname;
      int children = static_cast<int>(rng.Below(4)) + static_cast<int>(rng.Below(4));
      if (rng.Chance(12)) children = 0;
      family.first_child = static_cast<std::int32_t>(people.size());
      int child_year = year + 1;
      for (int c = 0; c < children && people.size() < target && child_year < kThisYear; ++c) {
        const std::int32_t child = new_person(rng.Chance(50) ? 'M' : 'F', child_year, surname);
        people[child].famc = id;
        ++family.children;
        child_year += rng.Between(1, 4);
      }
      families.push_back(family);
      year = child_year + rng.Between(1, 6);
    }
  }

  Writer w(out);
  GeneratorCounts counts;
  w.Line("0 HEAD");
  w.Line("1 SOUR STIRPEX-GEN");
  w.Line("2 VERS 1.0");
  w.Line("2 NAME Stirpex synthetic tree generator");
  w.Line("2 CORP The Stirpex Project");
  w.Line("1 DATE 1 JAN 2024");
  w.Line("1 SUBM @U1@");
  w.Line("1 GEDC");
  w.Line("2 VERS 5.5");
  w.Line("2 FORM LINEAGE-LINKED");
  w.Line("1 CHAR UTF-8");
  w.Line("0 @U1@ SUBM");
  w.Line("1 NAME Synthetic Data");

  std::uint64_t note_records = 0;
  std::string id, name, text;
  if (truth) truth->assign(people.size(), PersonTruth{});
  for (std::size_t i = 0; i < people.size(); ++i) {
    const Person& p = people[i];
    const bool restricted = blur(kBlurRestricted);
    const bool death_record_dropped =
        p.death_year != 0 && blur(kBlurDeathRecordDropped[p.death_year < 1900   ? 0
                                                          : p.death_year < 1950 ? 1
                                                                                : 2]);
    const bool birth_date_dropped = blur(kBlurBirthDateDropped);
    const bool death_date_dropped = blur(kBlurDeathDateDropped);
    if (truth) (*truth)[i] = PersonTruth{p.birth_year, p.death_year, restricted};
    const auto& names = p.sex == 'M' ? kMaleNames : kFemaleNames;
    id = "@I" + std::to_string(i + 1) + "@";
    w.Line("0 ", id, " INDI");
    name = names[p.given];
    if (p.middle) name.append(" ").append(names[p.middle - 1]);
    const std::string surname = Surname(p.surname);
    w.Line("1 NAME ", name, " /" + surname, "/");
    w.Line("2 GIVN ", name);
    w.Line("2 SURN ", surname);
    w.Line("1 SEX ", std::string(1, p.sex));
    if (restricted) w.Line("1 RESN privacy");
    const std::uint64_t salt = rng.Next();
    std::string birth = Date(p.birth_year, p.date_style, salt);
    // A birth whose date is dropped keeps its place.
    const bool birth_event = !birth.empty() || p.date_style == 7;
    if (birth_date_dropped) birth.clear();
    if (birth_event) {
      w.Line("1 BIRT");
      if (!birth.empty()) w.Line("2 DATE ", birth);
      w.Line("2 PLAC ", Place(p.birth_place));
      if (salt % 11 == 0) {
        w.Line("2 SOUR @S1@");
        w.Line("3 PAGE Register of baptisms, folio ", std::to_string(salt % 400 + 1));
        w.Line("3 DATA");
        w.Line("4 DATE ", std::to_string(p.birth_year));
      }
    }
    if (p.death_year != 0 && !death_record_dropped) {
      std::string death = Date(p.death_year, p.date_style, salt >> 9);
      const bool death_event = !death.empty() || p.date_style == 7;
      if (death_date_dropped) death.clear();
      if (death_event) {
        w.Line("1 DEAT");
        if (salt % 13 == 0) w.Line("2 CAUS Fever");
        if (!death.empty()) w.Line("2 DATE ", death);
        w.Line("2 PLAC ", Place(p.death_place));
        if (salt % 3 == 0) {
          w.Line("1 BURI");
          if (!death.empty()) w.Line("2 DATE ", death);
          w.Line("2 PLAC ", Place(p.death_place));
        }
      }
    }
    if (salt % 4 == 0) w.Line("1 OCCU ", kOccupations[(salt >> 20) % kOccupations.size()]);
    if (salt % 7 == 0) {
      w.Line("1 RESI");
      w.Line("2 DATE ", std::to_string(p.birth_year + 25));
      w.Line("2 PLAC ", Place(static_cast<std::uint32_t>(salt >> 24) % place_count));
    }
    if (salt % 17 == 0) {
      // An inline note over several lines.
      text = name + " " + std::string(kNoteWords[(salt >> 8) % kNoteWords.size()]) + " " +
             Place(p.birth_place);
      w.Line("1 NOTE ", text);
      w.Line("2 CONC  ", kNoteWords[(salt >> 12) % kNoteWords.size()], " ",
             std::to_string(p.birth_year + 20));
      w.Line("2 CONT ", kNoteWords[(salt >> 16) % kNoteWords.size()], " the records of ", surname);
    }
    if (salt % 29 == 0) {
      w.Line("1 NOTE @N", std::to_string(++note_records), "@");
    }
    if (p.famc >= 0) w.Line("1 FAMC @F", std::to_string(p.famc + 1), "@");
    for (std::int32_t f : p.fams) {
      if (f >= 0) w.Line("1 FAMS @F", std::to_string(f + 1), "@");
    }
    if (salt % 5 == 0) {
      w.Line("1 CHAN");
      w.Line("2 DATE ", std::to_string(salt % 28 + 1), " MAR 2023");
    }
  }
  for (std::size_t i = 0; i < families.size(); ++i) {
    const Family& f = families[i];
    w.Line("0 @F", std::to_string(i + 1), "@ FAM");
    w.Line("1 HUSB @I", std::to_string(f.husband + 1), "@");
    w.Line("1 WIFE @I", std::to_string(f.wife + 1), "@");
    const std::uint64_t salt = rng.Next();
    if (salt % 10 != 0) {
      w.Line("1 MARR");
      if (salt % 5 != 0) w.Line("2 DATE ", Date(f.year, 0, salt));
      w.Line("2 PLAC ", Place(f.place));
    }
    for (std::int32_t c = 0; c < f.children; ++c) {
      w.Line("1 CHIL @I", std::to_string(f.first_child + c + 1), "@");
    }
  }
  for (std::uint64_t n = 1; n <= note_records; ++n) {
    const std::uint64_t salt = rng.Next();
    w.Line("0 @N", std::to_string(n), "@ NOTE Family papers, bundle " + std::to_string(n));
    const int more = 1 + static_cast<int>(salt % 4);
    for (int k = 0; k < more; ++k) {
      w.Line(k % 2 ? "1 CONC " : "1 CONT ", kNoteWords[(salt >> (4 * k)) % kNoteWords.size()],
             " and ", kNoteWords[(salt >> (4 * k + 3)) % kNoteWords.size()]);
    }
  }
  w.Line("0 @S1@ SOUR");
  w.Line("1 TITL Parish registers");
  w.Line("0 TRLR");
  w.Flush();

  counts.people = people.size();
  counts.families = families.size();
  counts.notes = note_records;
  counts.lines = w.lines();
  counts.bytes = w.bytes();
  return counts;
}

GeneratorOptions PresentDayTree(std::uint64_t people, std::uint64_t seed) {
  GeneratorOptions options;
  options.people = people;
  options.seed = seed;
  options.blur = true;
  options.founders_born_from = 1700;
  options.founders_born_to = 1800;
  options.people_per_founder = 2000;
  return options;
}

bool WriteSyntheticGedcomFile(const GeneratorOptions& options, const std::filesystem::path& path,
                              GeneratorCounts* counts, std::vector<PersonTruth>* truth) {
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  // Benchmarks run side by side may make the same file at once: each writes its own temporary
  // file, and the rename puts a whole file in place whoever comes last.
  std::filesystem::path temp = path;
  temp += ".part" + std::to_string(::getpid());
  GeneratorCounts written;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    written = WriteSyntheticGedcom(options, out, truth);
    out.flush();
    if (!out) {
      out.close();
      std::filesystem::remove(temp, ec);
      return false;
    }
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  if (counts) *counts = written;
  return true;
}

}  // namespace stirpex::bench
