#include "support/gedcom_generator.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
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

// What a rich file adds. Names below are invented like the rest.
constexpr std::array<std::string_view, 12> kMoreCounties = {
    "Tarnwick",   "Hollowmere", "Brackenshire", "Eastfold",  "Kestrelholt", "Westlyn",
    "Morrowdale", "Pellshire",  "Sønderland",   "Ravenmark", "Thornbury",   "Vellmoor"};
constexpr std::array<std::string_view, 8> kRegions = {"North Riding", "South Reach", "Upper Vale",
                                                      "Lower Vale",   "Westmarch",   "Eastmarch",
                                                      "High Fells",   "Mérisande"};
constexpr std::array<std::string_view, 12> kNicknames = {
    "Jack", "Bill", "Tom", "Ned", "Kit", "Fred", "Nell", "Bess", "Polly", "Molly", "Sal", "Lottie"};
constexpr std::array<std::string_view, 6> kRelations = {"Godfather", "Godmother", "Witness",
                                                        "Friend",    "Neighbour", "Guardian"};
constexpr std::array<std::string_view, 4> kEventTypes = {"Military service", "Apprenticeship",
                                                         "Land grant", "Court case"};
constexpr std::array<std::string_view, 4> kStreets = {"Church Street", "Mill Lane", "High Street",
                                                      "Castle Row"};

// About 3,000 places: a town of 384 names in one of 24 counties, each county in one of 8
// regions, two regions to a country.
constexpr std::uint32_t kRichPlaces = 3000;
constexpr std::uint32_t kTowns = kTownHeads.size() * kTownTails.size();
constexpr std::uint32_t kRichCounties = kCounties.size() + kMoreCounties.size();

std::string TownName(std::uint32_t town) {
  return std::string(kTownHeads[town % kTownHeads.size()]) +
         std::string(kTownTails[town / kTownHeads.size() % kTownTails.size()]);
}

std::string_view CountyName(std::uint32_t county) {
  return county < kCounties.size() ? kCounties[county] : kMoreCounties[county - kCounties.size()];
}

struct RichPlace {
  std::string text;  // "Town, County, Region, Country"
  std::string lati;  // "N51.4823"; empty for a place without coordinates
  std::string longi;
  std::uint32_t town = 0;
  std::uint32_t county = 0;
};

// Kinds of source; the citation's PAGE and the title follow the kind. Source n (the file's
// @S<n+1>@) is of kind kSourceKinds[n % 16], so a citation knows the kind of what it cites.
enum class SourceKind : std::uint8_t {
  kParish,
  kCensus,
  kCivil,
  kBible,
  kNewspaper,
  kWills,
  kPassengers,
  kGravestones,
  kMilitary,
  kAny
};
constexpr std::array<SourceKind, 16> kSourceKinds = {
    SourceKind::kParish,  SourceKind::kCensus,     SourceKind::kParish,
    SourceKind::kCivil,   SourceKind::kParish,     SourceKind::kCensus,
    SourceKind::kBible,   SourceKind::kParish,     SourceKind::kNewspaper,
    SourceKind::kCivil,   SourceKind::kWills,      SourceKind::kParish,
    SourceKind::kCensus,  SourceKind::kPassengers, SourceKind::kGravestones,
    SourceKind::kMilitary};

constexpr std::array<std::string_view, 6> kLevel = {"0 ", "1 ", "2 ", "3 ", "4 ", "5 "};

// The lines a rich file adds to the plain one, and its source, repository and media records.
// Every choice comes from a random stream of its own.
class RichTree {
 public:
  RichTree(std::uint64_t seed, std::uint64_t people, std::uint32_t plain_places)
      : x_(seed * 0xD1B54A32D192ED03ull + 13), plain_places_(plain_places) {
    sources_ = std::clamp<std::uint64_t>(people / 250, 20, 4000);
    repositories_ = std::max<std::uint64_t>(3, sources_ / 10);
    places_.resize(kRichPlaces);
    for (std::uint32_t k = 0; k < kRichPlaces; ++k) {
      RichPlace& place = places_[k];
      // Town k % 384 appears in up to 8 counties, never twice in one.
      place.town = k % kTowns;
      place.county = (k / kTowns + 7 * k) % kRichCounties;
      const std::uint32_t region = place.county / 3;
      place.text = TownName(place.town);
      place.text.append(", ").append(CountyName(place.county));
      place.text.append(", ").append(kRegions[region]);
      place.text.append(", ").append(kCountries[region / 2]);
      if (k % 2 == 0) {
        // Ten-thousandths of a degree: each county a patch of its own, its towns around it.
        const std::uint64_t h = (k + 1) * 0x9E3779B97F4A7C15ull;
        const int lat = 500000 + static_cast<int>(place.county % 6) * 9000 +
                        static_cast<int>(h >> 40) % 8000 - 4000;
        const int lon = -40000 + static_cast<int>(place.county / 6) * 17000 +
                        static_cast<int>((h >> 20) & 0xFFFFF) % 8000 - 4000;
        place.lati = Degrees(lat, 'N', 'S');
        place.longi = Degrees(lon, 'E', 'W');
      }
    }
  }

  std::uint64_t sources() const { return sources_; }
  std::uint64_t repositories() const { return repositories_; }
  std::uint64_t media() const { return media_.size(); }
  Random& random() { return x_; }

  // A place of the plain generator's numbering mapped onto the rich places, keeping its skew.
  std::uint32_t FromPlain(std::uint32_t plain) const {
    return static_cast<std::uint32_t>(std::uint64_t{plain} * kRichPlaces / plain_places_);
  }
  const std::string& PlaceText(std::uint32_t rich) const { return places_[rich].text; }
  std::uint32_t RandomPlace() { return x_.Skewed(kRichPlaces); }

  // "2 PLAC", with MAP, LATI and LONG when the place has coordinates.
  void Place(Writer& w, std::uint32_t rich) {
    const RichPlace& place = places_[rich];
    w.Line("2 PLAC ", place.text);
    if (place.lati.empty()) return;
    w.Line("3 MAP");
    w.Line("4 LATI ", place.lati);
    w.Line("4 LONG ", place.longi);
  }

  // A person's citations: 1 to 3, some under events, the rest on the person.
  void StartPerson(std::string_view name, std::string_view surname) {
    budget_ = 1 + static_cast<int>(x_.Below(3));
    who_.assign(name).append(" ").append(surname);
  }
  void MaybeCite(Writer& w, SourceKind kind, std::string_view date) {
    if (budget_ > 0 && x_.Chance(45)) {
      --budget_;
      Cite(w, 2, kind, date);
    }
  }
  void RestOfCitations(Writer& w) {
    for (; budget_ > 0; --budget_) Cite(w, 1, SourceKind::kAny, {});
  }

  // Pieces of the first NAME (a nickname) and a second NAME with its TYPE.
  void NameExtras(Writer& w, std::string_view name, const std::string* married_surname) {
    if (x_.Chance(4)) w.Line("2 NICK ", kNicknames[x_.Below(kNicknames.size())]);
    if (!x_.Chance(3)) return;
    const bool married = married_surname != nullptr;
    const std::string other = married ? *married_surname : Surname(x_.Below(1024));
    w.Line("1 NAME ", name, " /" + other, "/");
    w.Line("2 TYPE ", married ? "married" : "aka");
    w.Line("2 GIVN ", name);
    w.Line("2 SURN ", other);
  }

  // A christening on the day of birth (as the registers often give it), in the birthplace.
  void Christening(Writer& w, int birth_year, std::string_view date, std::uint32_t plain_place) {
    if (birth_year >= 1925 || !x_.Chance(35)) return;
    w.Line("1 CHR");
    if (!date.empty()) w.Line("2 DATE ", date);
    Place(w, FromPlain(plain_place));
    MaybeCite(w, SourceKind::kParish, date);
  }

  // A burial's citation: a gravestone or the parish register.
  void BurialDetails(Writer& w, std::string_view date) {
    MaybeCite(w, x_.Chance(50) ? SourceKind::kGravestones : SourceKind::kParish, date);
  }

  // The age at death, now and then a note, and a citation under DEAT.
  void DeathDetails(Writer& w, int age, std::string_view date) {
    if (!date.empty() && x_.Chance(30)) w.Line("2 AGE ", std::to_string(age), "y");
    if (x_.Chance(3)) w.Line("2 NOTE Recorded by the parish clerk");
    MaybeCite(w, SourceKind::kCivil, date);
  }

  // When and where an occupation was followed, for some.
  void OccupationDetails(Writer& w, int birth, std::uint32_t home) {
    if (!x_.Chance(20)) return;
    w.Line("2 DATE ", "ABT " + std::to_string(birth + 30));
    Place(w, FromPlain(home));
  }

  // Census returns of the years the person lived through (at most three), a residence with
  // its street, emigration, and an EVEN of its own TYPE.
  void LaterEvents(Writer& w, int birth, int death, std::uint32_t home) {
    int censuses = 0;
    for (int year = 1841; year <= 1921 && censuses < 3; year += 10) {
      if (year <= birth || (death != 0 && year >= death) || !x_.Chance(30)) continue;
      ++censuses;
      const std::string census_year = std::to_string(year);
      w.Line("1 CENS");
      w.Line("2 DATE ", census_year);
      Place(w, x_.Chance(70) ? FromPlain(home) : RandomPlace());
      w.Line("2 AGE ", std::to_string(year - birth), "y");
      MaybeCite(w, SourceKind::kCensus, census_year);
    }
    if (x_.Chance(12) && (death == 0 || death > birth + 35) && birth + 35 < kGeneratorYear) {
      const std::uint32_t place = RandomPlace();
      w.Line("1 RESI");
      w.Line("2 DATE ", "FROM " + std::to_string(birth + 20), " TO " + std::to_string(birth + 35));
      w.Line("2 ADDR ", std::to_string(1 + x_.Below(90)), " ", kStreets[x_.Below(4)]);
      w.Line("3 CITY ", TownName(places_[place].town));
      Place(w, place);
    }
    const int adult = birth + 18 + static_cast<int>(x_.Below(18));
    const bool lived_on = death == 0 || death > adult;
    if (x_.Chance(3) && lived_on && adult < kGeneratorYear) {
      w.Line("1 EMIG");
      w.Line("2 DATE ", std::to_string(adult));
      Place(w, RandomPlace());
      if (x_.Chance(50)) w.Line("2 NOTE Sailed for ", kCountries[x_.Below(kCountries.size())]);
      MaybeCite(w, SourceKind::kPassengers, {});
    }
    if (x_.Chance(2) && lived_on && adult < kGeneratorYear) {
      w.Line("1 EVEN");
      w.Line("2 TYPE ", kEventTypes[x_.Below(kEventTypes.size())]);
      w.Line("2 DATE ", std::to_string(adult));
      Place(w, RandomPlace());
      MaybeCite(w, x_.Chance(50) ? SourceKind::kMilitary : SourceKind::kAny, {});
    }
  }

  // An association with someone written earlier (the file's @I<1..self>@).
  void Association(Writer& w, std::uint64_t self) {
    if (self == 0 || !x_.Chance(2)) return;
    w.Line("1 ASSO @I", std::to_string(1 + x_.Next() % self), "@");
    w.Line("2 RELA ", kRelations[x_.Below(kRelations.size())]);
  }

  // Links to media records for about a tenth of the people: mostly a record of their own (a
  // portrait, a certificate, a gravestone), some a record made for a relative before.
  void MediaLinks(Writer& w, std::string_view id, std::string_view surname, bool dead) {
    if (!x_.Chance(10)) return;
    const int links = x_.Chance(5) ? 2 : 1;
    for (int k = 0; k < links; ++k) {
      std::uint64_t record;
      if (!media_.empty() && k == 0 && x_.Chance(15)) {
        record = media_.size() -
                 x_.Below(static_cast<std::uint32_t>(std::min<std::size_t>(media_.size(), 50)));
      } else {
        media_.push_back(NewMedia(id, surname, dead));
        record = media_.size();
      }
      w.Line("1 OBJE @M", std::to_string(record), "@");
      if (k == 0 && x_.Chance(40)) w.Line("2 _PRIM Y");
    }
  }

  // An engagement the year before the marriage, for a few.
  void Engagement(Writer& w, int year) {
    if (!x_.Chance(5)) return;
    w.Line("1 ENGA");
    w.Line("2 DATE ", Date(year - 1, 0, x_.Next()));
    Place(w, RandomPlace());
  }
  // A citation of the marriage.
  void MarriageDetails(Writer& w, std::string_view date) {
    if (x_.Chance(40)) Cite(w, 2, SourceKind::kParish, date);
  }
  // A divorce a few years on, for a few.
  void LaterFamilyEvents(Writer& w, int year) {
    const int divorce = year + 3 + static_cast<int>(x_.Below(18));
    if (x_.Chance(3) && divorce < kGeneratorYear) {
      w.Line("1 DIV");
      w.Line("2 DATE ", std::to_string(divorce));
      if (x_.Chance(50)) Cite(w, 2, SourceKind::kCivil, {});
    }
  }
  // A citation of the family as a whole.
  void FamilyCitation(Writer& w) {
    if (x_.Chance(10)) Cite(w, 1, SourceKind::kAny, {});
  }

  // The source records (S1 keeps the plain file's title), the repositories and the media.
  void Records(Writer& w) {
    std::string text;
    for (std::uint64_t s = 0; s < sources_; ++s) {
      const RichPlace& place = places_[(s * 2654435761u) % kRichPlaces];
      const std::string town = TownName(place.town);
      const std::string_view county = CountyName(place.county);
      w.Line("0 @S", std::to_string(s + 1), "@ SOUR");
      const SourceKind kind = kSourceKinds[s % kSourceKinds.size()];
      std::string_view author, medium = "book";
      switch (kind) {
        case SourceKind::kParish:
          text = s == 0 ? "Parish registers" : "Parish registers of " + town;
          author = "Church of ";
          medium = "film";
          break;
        case SourceKind::kCensus:
          text = "Census returns of " + std::string(county) + ", " +
                 std::to_string(1841 + 10 * (s * 7 % 9));
          author = "General Register Office";
          medium = "film";
          break;
        case SourceKind::kCivil:
          text = "Civil registration index, " + std::string(kRegions[place.county / 3]);
          author = "General Register Office";
          medium = "fiche";
          break;
        case SourceKind::kBible:
          text = "Family bible of the " + Surname(static_cast<std::uint32_t>(s % 1024)) + " family";
          medium = "manuscript";
          break;
        case SourceKind::kNewspaper:
          text = "The " + town + " Gazette";
          medium = "newspaper";
          break;
        case SourceKind::kWills:
          text = "Wills and probate, " + std::string(county);
          author = "Probate Registry of ";
          medium = "manuscript";
          break;
        case SourceKind::kPassengers:
          text = "Passenger lists, port of " + town;
          author = "Board of Trade";
          break;
        case SourceKind::kGravestones:
          text = "Monumental inscriptions, " + town + " churchyard";
          author = "Family History Society of ";
          break;
        case SourceKind::kMilitary:
        case SourceKind::kAny:
          text = "Muster rolls of the " + std::string(county) + " Regiment";
          author = "War Office";
          break;
      }
      w.Line("1 TITL ", text);
      if (!author.empty() && x_.Chance(80)) {
        w.Line("1 AUTH ", author, author.back() == ' ' ? county : std::string_view());
      }
      if (x_.Chance(40)) {
        w.Line("1 PUBL ", medium == "film" ? "Microfilm, " : "", town,
               ", " + std::to_string(1950 + x_.Below(60)));
      }
      if (x_.Chance(20)) {
        // Cut at a letter's first byte: the file stays valid UTF-8.
        std::size_t cut = std::min<std::size_t>(text.size(), 24);
        while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        w.Line("1 ABBR ", std::string_view(text).substr(0, cut));
      }
      const int repositories = x_.Chance(90) ? (x_.Chance(5) ? 2 : 1) : 0;
      for (int r = 0; r < repositories; ++r) {
        w.Line("1 REPO @R",
               std::to_string(1 + x_.Skewed(static_cast<std::uint32_t>(repositories_))), "@");
        char caln[32];
        std::snprintf(caln, sizeof caln, "%s %u/%u", medium == "film" ? "MF" : "RG",
                      x_.Below(9000) + 100, x_.Below(400) + 1);
        w.Line("2 CALN ", caln);
        if (x_.Chance(50)) w.Line("3 MEDI ", medium);
      }
      if (x_.Chance(10)) w.Line("1 NOTE Indexed by volunteers of the ", county, " society");
      if (x_.Chance(5)) {
        w.Line("1 TEXT ", kNoteWords[x_.Below(kNoteWords.size())], " ",
               kNoteWords[x_.Below(kNoteWords.size())]);
        w.Line("2 CONT ", kNoteWords[x_.Below(kNoteWords.size())], " ", town);
      }
    }
    for (std::uint64_t r = 0; r < repositories_; ++r) {
      const RichPlace& place = places_[(r * 40503u + 17) % kRichPlaces];
      const std::string town = TownName(place.town);
      const std::string_view county = CountyName(place.county);
      const std::string_view country = kCountries[place.county / 6];
      w.Line("0 @R", std::to_string(r + 1), "@ REPO");
      switch (r % 4) {
        case 0:
          text = std::string(county) + " Record Office";
          break;
        case 1:
          text = town + " Library, local studies";
          break;
        case 2:
          text = std::string(kRegions[place.county / 3]) + " Archives";
          break;
        default:
          text = "Diocese of " + std::string(county) + " archive";
          break;
      }
      w.Line("1 NAME ", text);
      const std::string street =
          std::to_string(1 + x_.Below(120)) + " " + std::string(kStreets[x_.Below(4)]);
      w.Line("1 ADDR ", text);
      w.Line("2 CONT ", street);
      w.Line("2 CONT ", town);
      w.Line("2 ADR1 ", street);
      w.Line("2 CITY ", town);
      w.Line("2 CTRY ", country);
      if (x_.Chance(30)) w.Line("1 PHON +", std::to_string(100000000 + x_.Below(899999999)));
      if (x_.Chance(20)) w.Line("1 EMAIL archives@", std::to_string(r + 1), ".example.org");
    }
    for (std::size_t m = 0; m < media_.size(); ++m) {
      const Media& media = media_[m];
      w.Line("0 @M", std::to_string(m + 1), "@ OBJE");
      w.Line("1 FILE ", media.file);
      w.Line("2 FORM ", media.form);
      w.Line("3 TYPE ", media.type);
      w.Line("2 TITL ", media.title);
      if (x_.Chance(5)) w.Line("1 NOTE Scanned from the original");
    }
  }

 private:
  struct Media {
    std::string file;
    std::string title;
    std::string_view form;
    std::string_view type;
  };

  static std::string Degrees(int tenthousandths, char positive, char negative) {
    char buffer[24];
    const int a = std::abs(tenthousandths);
    std::snprintf(buffer, sizeof buffer, "%c%d.%04d", tenthousandths < 0 ? negative : positive,
                  a / 10000, a % 10000);
    return buffer;
  }

  Media NewMedia(std::string_view id, std::string_view surname, bool dead) {
    Media media;
    const std::uint32_t roll = x_.Below(100);
    std::string bare(id.substr(1, id.size() - 2));
    if (roll < 60 || (roll >= 85 && !dead)) {
      media.file = "photos/" + std::string(surname) + "/" + bare + "-portrait.jpg";
      media.title = "Portrait of " + who_;
      media.form = "jpg";
      media.type = "photo";
    } else if (roll < 85) {
      media.file = "scans/" + bare + "-certificate.tif";
      media.title = "Certificate, " + who_;
      media.form = "tif";
      media.type = "manuscript";
    } else {
      media.file = "photos/" + std::string(surname) + "/" + bare + "-grave.jpg";
      media.title = "Gravestone of " + who_;
      media.form = "jpg";
      media.type = "tombstone";
    }
    return media;
  }

  // The source a citation names: skewed towards a few much-cited sources, of the kind asked for
  // when there is one.
  std::uint64_t PickSource(SourceKind kind) {
    std::uint64_t s = x_.Skewed(static_cast<std::uint32_t>(sources_));
    if (kind == SourceKind::kAny) return s;
    for (std::uint64_t j = 0; j < kSourceKinds.size(); ++j) {
      if (kSourceKinds[j] != kind) continue;
      const std::uint64_t same_block = s - s % kSourceKinds.size() + j;
      return same_block < sources_ ? same_block : j;
    }
    return s;
  }

  // "n SOUR @S..@" with PAGE, and some QUAY, DATA with DATE and TEXT, NOTE.
  void Cite(Writer& w, int level, SourceKind kind, std::string_view date) {
    const std::uint64_t s = PickSource(kind);
    const std::string_view at = kLevel[level], under = kLevel[level + 1];
    w.Line(at, "SOUR @S", std::to_string(s + 1), "@");
    char page[64];
    const unsigned a = x_.Below(900) + 1, b = x_.Below(400) + 1;
    switch (kSourceKinds[s % kSourceKinds.size()]) {
      case SourceKind::kParish:
        std::snprintf(page, sizeof page, "Folio %u, entry %u", a % 300 + 1, b);
        break;
      case SourceKind::kCensus:
        std::snprintf(page, sizeof page, "Piece %u, folio %u, page %u", a * 7, b % 90 + 1,
                      a % 40 + 1);
        break;
      case SourceKind::kCivil:
        std::snprintf(page, sizeof page, "Volume %u%c, page %u", a % 12 + 1, 'a' + b % 3, a);
        break;
      case SourceKind::kBible:
        std::snprintf(page, sizeof page, "Flyleaf, entry %u", b % 30 + 1);
        break;
      case SourceKind::kNewspaper:
        std::snprintf(page, sizeof page, "Page %u, column %u", a % 24 + 1, b % 6 + 1);
        break;
      case SourceKind::kWills:
        std::snprintf(page, sizeof page, "Will no. %u", a * 11 + b);
        break;
      case SourceKind::kPassengers:
        std::snprintf(page, sizeof page, "List %u, line %u", a, b % 40 + 1);
        break;
      case SourceKind::kGravestones:
        std::snprintf(page, sizeof page, "Stone %u", a);
        break;
      default:
        std::snprintf(page, sizeof page, "Roll %u, page %u", b, a % 60 + 1);
        break;
    }
    w.Line(under, "PAGE ", page);
    if (x_.Chance(35)) w.Line(under, "QUAY ", kDigit[3 - x_.Skewed(4)]);
    if (x_.Chance(15)) {
      w.Line(under, "DATA");
      const std::string_view deeper = kLevel[level + 2];
      if (!date.empty()) w.Line(deeper, "DATE ", date);
      w.Line(deeper, "TEXT Entry for ", who_,
             ": " + std::string(kNoteWords[a % kNoteWords.size()]));
      if (b % 3 == 0) {
        w.Line(kLevel[level + 3], "CONC ", " ", kNoteWords[b % kNoteWords.size()]);
      }
    }
    if (x_.Chance(3)) w.Line(under, "NOTE Transcribed from a copy");
  }

  static constexpr std::array<std::string_view, 4> kDigit = {"0", "1", "2", "3"};

  Random x_;
  std::uint32_t plain_places_;
  std::uint64_t sources_ = 0;
  std::uint64_t repositories_ = 0;
  std::vector<RichPlace> places_;
  std::vector<Media> media_;
  int budget_ = 0;
  std::string who_;
};

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
  std::optional<RichTree> rich;
  if (options.rich) rich.emplace(options.seed, target, place_count);
  // "2 PLAC" of a place of the plain numbering, and its text.
  auto place = [&](std::uint32_t i) {
    if (rich) {
      rich->Place(w, rich->FromPlain(i));
    } else {
      w.Line("2 PLAC ", Place(i));
    }
  };
  auto place_text = [&](std::uint32_t i) {
    return rich ? rich->PlaceText(rich->FromPlain(i)) : Place(i);
  };
  w.Line("0 HEAD");
  w.Line("1 SOUR STIRPEX-GEN");
  w.Line("2 VERS 1.0");
  w.Line("2 NAME Stirpex synthetic tree generator");
  w.Line("2 CORP The Stirpex Project");
  w.Line("1 DATE 1 JAN 2024");
  w.Line("1 SUBM @U1@");
  w.Line("1 GEDC");
  w.Line(rich ? "2 VERS 5.5.1" : "2 VERS 5.5");
  w.Line("2 FORM LINEAGE-LINKED");
  w.Line("1 CHAR UTF-8");
  if (rich) {
    w.Line("1 PLAC");
    w.Line("2 FORM Town, County, Region, Country");
  }
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
    if (rich) {
      std::string husband_surname;
      if (p.sex == 'F' && p.fams[0] >= 0) {
        husband_surname = Surname(people[families[p.fams[0]].husband].surname);
      }
      rich->NameExtras(w, name, husband_surname.empty() ? nullptr : &husband_surname);
      rich->StartPerson(name, surname);
    }
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
      place(p.birth_place);
      if (salt % 11 == 0) {
        w.Line("2 SOUR @S1@");
        w.Line("3 PAGE Register of baptisms, folio ", std::to_string(salt % 400 + 1));
        w.Line("3 DATA");
        w.Line("4 DATE ", std::to_string(p.birth_year));
      }
      if (rich) rich->MaybeCite(w, SourceKind::kAny, birth);
    }
    if (rich) rich->Christening(w, p.birth_year, birth, p.birth_place);
    if (p.death_year != 0 && !death_record_dropped) {
      std::string death = Date(p.death_year, p.date_style, salt >> 9);
      const bool death_event = !death.empty() || p.date_style == 7;
      if (death_date_dropped) death.clear();
      if (death_event) {
        w.Line("1 DEAT");
        if (salt % 13 == 0) w.Line("2 CAUS Fever");
        if (!death.empty()) w.Line("2 DATE ", death);
        place(p.death_place);
        if (rich) rich->DeathDetails(w, p.death_year - p.birth_year, death);
        // A rich file has burials for more of the dead.
        if (salt % 3 == 0 || (rich && rich->random().Chance(45))) {
          w.Line("1 BURI");
          if (!death.empty()) w.Line("2 DATE ", death);
          place(p.death_place);
          if (rich) rich->BurialDetails(w, death);
        }
      }
    }
    if (salt % 4 == 0) {
      w.Line("1 OCCU ", kOccupations[(salt >> 20) % kOccupations.size()]);
      if (rich) rich->OccupationDetails(w, p.birth_year, p.birth_place);
    }
    if (salt % 7 == 0) {
      w.Line("1 RESI");
      w.Line("2 DATE ", std::to_string(p.birth_year + 25));
      place(static_cast<std::uint32_t>(salt >> 24) % place_count);
    }
    if (rich) rich->LaterEvents(w, p.birth_year, p.death_year, p.birth_place);
    if (salt % 17 == 0) {
      // An inline note over several lines.
      text = name + " " + std::string(kNoteWords[(salt >> 8) % kNoteWords.size()]) + " " +
             place_text(p.birth_place);
      w.Line("1 NOTE ", text);
      w.Line("2 CONC  ", kNoteWords[(salt >> 12) % kNoteWords.size()], " ",
             std::to_string(p.birth_year + 20));
      w.Line("2 CONT ", kNoteWords[(salt >> 16) % kNoteWords.size()], " the records of ", surname);
    }
    if (salt % 29 == 0) {
      w.Line("1 NOTE @N", std::to_string(++note_records), "@");
    }
    if (rich) {
      rich->Association(w, i);
      rich->MediaLinks(w, id, surname, p.death_year != 0);
      rich->RestOfCitations(w);
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
    if (rich) rich->Engagement(w, f.year);
    if (salt % 10 != 0) {
      w.Line("1 MARR");
      const std::string date = salt % 5 != 0 ? Date(f.year, 0, salt) : std::string();
      if (!date.empty()) w.Line("2 DATE ", date);
      place(f.place);
      if (rich) rich->MarriageDetails(w, date);
    }
    if (rich) rich->LaterFamilyEvents(w, f.year);
    for (std::int32_t c = 0; c < f.children; ++c) {
      w.Line("1 CHIL @I", std::to_string(f.first_child + c + 1), "@");
    }
    if (rich) rich->FamilyCitation(w);
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
  if (rich) {
    rich->Records(w);
  } else {
    w.Line("0 @S1@ SOUR");
    w.Line("1 TITL Parish registers");
  }
  w.Line("0 TRLR");
  w.Flush();

  counts.people = people.size();
  counts.families = families.size();
  counts.notes = note_records;
  counts.sources = rich ? rich->sources() : 1;
  counts.repositories = rich ? rich->repositories() : 0;
  counts.media = rich ? rich->media() : 0;
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
