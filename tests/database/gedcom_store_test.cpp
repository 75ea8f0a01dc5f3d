// The store keeps the whole file, and its views read what real files say.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "database/database.h"
#include "database/gedcom_facts.h"
#include "database/gedcom_reader.h"
#include "database/text_lines.h"
#include "support/recorders.h"
#include "support/test_paths.h"

namespace stirpex {
namespace {

bool Load(Database& db, const std::filesystem::path& path) {
  NullProgress progress;
  NullMessages messages;
  return LoadGedcom(db, path, progress, messages);
}

bool LoadText(Database& db, const testing::TempDir& dir, const std::string& text) {
  return Load(db, dir.Write("tree.ged", text));
}

// Every line of the store, record by record, in file order.
std::vector<std::string_view> StoredLines(const GedcomStore& store) {
  std::vector<std::string_view> lines;
  for (std::size_t i = 0; i < store.RecordCount(); ++i) {
    GedcomLineCursor cursor(store.RecordText(i));
    std::string_view line;
    while (cursor.Next(line)) lines.push_back(line);
  }
  return lines;
}

// Nothing of a file is lost: the records hold every line of the text read, in order, each
// record begins with its level-0 line, and the people and families of the fields are the
// INDI and FAM records of the store.
TEST(GedcomStoreTest, EveryLineOfEveryTestFileIsKept) {
  const auto files = testing::SampleAndTestdataGedcoms(~std::uintmax_t{0});
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    Database db;
    Load(db, file);
    const GedcomStore& store = db.Store();
    std::vector<std::string_view> read;
    TextLineSplitter splitter(store.Text());
    std::string_view line;
    while (splitter.Next(line)) {
      if (!line.empty()) read.push_back(line);
    }
    EXPECT_EQ(StoredLines(store), read);
    std::size_t indi = 0;
    for (std::size_t i = 0; i < store.RecordCount(); ++i) {
      const GedcomNode node = store.Node(i);
      if (store.RecordAt(i).kind != RecordKind::kPrologue) {
        EXPECT_EQ(node.level(), 0);
      }
      indi += store.RecordAt(i).kind == RecordKind::kIndi;
    }
    std::size_t persons_with_records = 0;
    for (const TPersonRec* p : db.PersonList()) {
      if (p->StoreRecord == kNoStoreRecord) continue;
      ++persons_with_records;
      EXPECT_EQ(store.RecordAt(p->StoreRecord).kind, RecordKind::kIndi);
    }
    EXPECT_EQ(persons_with_records, indi);
    for (const TFamilyRec* f : db.FamilyList()) {
      if (f->StoreRecord != kNoStoreRecord) {
        EXPECT_EQ(store.RecordAt(f->StoreRecord).kind, RecordKind::kFam);
      }
    }
  }
}

TEST(GedcomStoreTest, LinesAreTakenApartByTheGrammar) {
  struct Case {
    std::string_view text;
    int level;
    std::string_view xref, tag, value, pointer;
  };
  const Case cases[] = {
      {"0 @I1@ INDI", 0, "I1", "INDI", "", ""},
      {"1 FAMS @F2@", 1, "", "FAMS", "@F2@", "F2"},
      {"  2   PLAC  Oakby", 2, "", "PLAC", " Oakby", ""},  // indented; the value keeps a space
      {"99 _X y", 99, "", "_X", "y", ""},
      {"2 DATE @#DJULIAN@ 1700", 2, "", "DATE", "@#DJULIAN@ 1700", ""},
      {"1 NOTE @@home", 1, "", "NOTE", "@@home", ""},
      {"1 ASSO @VOID@", 1, "", "ASSO", "@VOID@", "VOID"},
      {"1 NOTE @N1@ and more", 1, "", "NOTE", "@N1@ and more", ""},
      {"100 X", -1, "", "", "", ""},
      {"1", -1, "", "", "", ""},
      {"NAME x", -1, "", "", "", ""},
      {"1 @I1@", -1, "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const GedcomLine line = ParseGedcomLine(c.text);
    EXPECT_EQ(line.level, c.level);
    if (!line.ok()) continue;
    EXPECT_EQ(line.xref, c.xref);
    EXPECT_EQ(line.tag, c.tag);
    EXPECT_EQ(line.value, c.value);
    EXPECT_EQ(line.pointer(), c.pointer);
  }
}

// Structures as files really nest them: a level jump counts as one level down, a line that
// cannot be read stays inside the structure before it, and text values join their CONT and
// CONC lines with the escapes of their version.
TEST(GedcomStoreTest, NodesWalkTheStructureOfARecord) {
  testing::TempDir dir;
  Database db;
  ASSERT_TRUE(LoadText(db, dir,
                       testing::CrLf({"0 HEAD", "1 GEDC", "2 VERS 5.5.1", "0 @I1@ INDI",
                                      "1 NAME A /B/", "3 GIVN Deep", "1 NOTE first@@x", "damaged",
                                      "2 CONT second", "2 CONC  third", "1 SEX M", "0 TRLR"})));
  const GedcomStore& store = db.Store();
  EXPECT_EQ(store.UnparsedLines(), 1u);
  EXPECT_EQ(store.Header().version, "5.5.1");
  const GedcomNode indi = RecordNode(db, *db.PersonList()[0]);
  std::vector<std::string_view> tags;
  for (const GedcomNode& child : indi.children()) tags.push_back(child.tag());
  EXPECT_EQ(tags, (std::vector<std::string_view>{"NAME", "NOTE", "SEX"}));
  EXPECT_EQ(indi.Child("NAME").ChildValue("GIVN"), "Deep");
  const GedcomNode note = indi.Child("NOTE");
  EXPECT_EQ(GedcomText(note, 5), "first@x\nsecond third");
  EXPECT_EQ(GedcomText(note, 7), "first@@x\nsecond third");
  EXPECT_EQ(note.Range(), "1 NOTE first@@x\r\ndamaged\r\n2 CONT second\r\n2 CONC  third");
  EXPECT_EQ(GedcomValue("@@home", 7), "@home");
}

TEST(GedcomStoreTest, HostileStructuresEndAndStayBounded) {
  testing::TempDir dir;
  Database db;
  std::string text = "0 HEAD\r\n0 @I1@ INDI\r\n1 NAME Long /Line/\r\n1 NOTE " +
                     std::string(10 << 20, 'x') + "\r\n0 @I2@ INDI\r\n1 NAME Many /Lines/\r\n";
  for (int i = 0; i < 1000000; ++i) text += "2 CONT line\r\n";
  text += "1 ASSO @I2@\r\n0 @N1@ NOTE @N1@\r\n0 TRLR\r\n";
  ASSERT_TRUE(LoadText(db, dir, text));
  const GedcomStore& store = db.Store();
  ASSERT_EQ(db.PersonList().size(), 2u);
  EXPECT_EQ(RecordNode(db, *db.PersonList()[0]).Child("NOTE").value().size(), 10u << 20);
  // A million continuation lines: one walk over them.
  const std::vector<AssociationView> asso = Associations(RecordNode(db, *db.PersonList()[1]));
  ASSERT_EQ(asso.size(), 1u);
  EXPECT_EQ(asso[0].pointer, "I2");
  // A note record pointing to itself is a record with a value, nothing more.
  EXPECT_NE(store.FindRecord("N1"), GedcomStore::kNoRecord);
}

std::filesystem::path Gedcom7(const char* name) {
  const auto dir = testing::TestdataGedcom7Dir();
  return dir.empty() ? dir : dir / name;
}

// The views read GEDCOM 7's structures: name pieces and translations, events with their
// phrases, NO assertions, citations, media links with CROP, associations, and a family's
// events with the partners' ages.
TEST(GedcomFactsTest, Gedcom7StructuresAreRead) {
  const auto file = Gedcom7("maximal70.ged");
  if (file.empty()) GTEST_SKIP() << "no test data";
  Database db;
  ASSERT_TRUE(Load(db, file));
  const GedcomStore& store = db.Store();
  EXPECT_EQ(store.MajorVersion(), 7);
  const TPersonRec* joe = db.FindPersonById("i1");
  ASSERT_NE(joe, nullptr);

  const std::vector<NameView> names = PersonNames(db, *joe);
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(names[0].prefix, "Lt. Cmndr.");
  EXPECT_EQ(names[0].nickname, "John");
  EXPECT_EQ(names[0].surname_prefix, "de");
  EXPECT_EQ(names[0].suffix, "jr.");
  ASSERT_EQ(names[0].translations.size(), 2u);
  EXPECT_EQ(names[0].translations[0].language, "en-GB");
  EXPECT_EQ(names[2].type, "AKA");

  const std::vector<FactView> facts = PersonFacts(db, *joe);
  const FactView* death = nullptr;
  const FactView* no_natu = nullptr;
  for (const FactView& f : facts) {
    if (f.tag == "DEAT") death = &f;
    if (f.tag == "NATU" && f.negated) no_natu = &f;
  }
  ASSERT_NE(death, nullptr);
  EXPECT_EQ(death->date, "28 MAR 2022");
  EXPECT_EQ(death->place.text, "Somewhere");
  EXPECT_EQ(death->cause, "Cause of death");
  EXPECT_EQ(death->agency, "Agency");
  EXPECT_EQ(death->sort_date, "28 MAR 2022");
  EXPECT_TRUE(death->restricted);
  EXPECT_EQ(GedcomText(death->address, 7), "Address");
  const auto cites = Citations(store, death->node);
  ASSERT_EQ(cites.size(), 2u);
  EXPECT_EQ(cites[0].page, "1");
  EXPECT_NE(cites[0].source, GedcomStore::kNoRecord);
  EXPECT_EQ(Associations(death->node).size(), 2u);
  EXPECT_EQ(Notes(store, death->node).size(), 2u);
  const auto media = Media(store, death->node);
  ASSERT_EQ(media.size(), 2u);
  EXPECT_FALSE(media[0].files.empty());
  ASSERT_NE(no_natu, nullptr);
  EXPECT_EQ(no_natu->date, "FROM 1700 TO 1800");
  EXPECT_EQ(no_natu->date_phrase, "No date phrase");

  const TFamilyRec* f1 = db.FindFamilyById("f1");
  ASSERT_NE(f1, nullptr);
  bool married = false, no_div = false;
  for (const FactView& f : FamilyFacts(db, *f1)) {
    if (f.tag == "MARR" && !f.date.empty()) {
      married = true;
      EXPECT_EQ(f.date_phrase, "Afternoon");
      EXPECT_EQ(f.age, "25y");
      EXPECT_EQ(f.wife_age, "25y");
    }
    no_div |= f.tag == "DIV" && f.negated;
  }
  EXPECT_TRUE(married);
  EXPECT_TRUE(no_div);
}

// GEDCOM 5.5 and 5.5.1 as the torture test writes them: inline sources, inline media with
// FORM beside FILE, source records with repositories and call numbers.
TEST(GedcomFactsTest, Gedcom55SourcesAndMediaAreRead) {
  const auto dir = testing::TestdataGedcomDir();
  if (dir.empty()) GTEST_SKIP() << "no test data";
  Database db;
  ASSERT_TRUE(Load(db, dir / "torture" / "TGC55CLF.ged"));
  const GedcomStore& store = db.Store();
  std::size_t sources = 0, repos_linked = 0, inline_media_with_form = 0, inline_cites = 0;
  for (std::size_t i = 0; i < store.RecordCount(); ++i) {
    if (store.RecordAt(i).kind == RecordKind::kSour) {
      const SourceView s = ReadSource(store, static_cast<std::uint32_t>(i));
      sources += !s.title.empty();
      for (const RepositoryLink& r : s.repositories) {
        repos_linked += r.repository != GedcomStore::kNoRecord && !r.call_number.empty();
      }
    }
  }
  for (const TPersonRec* p : db.PersonList()) {
    const GedcomNode node = RecordNode(db, *p);
    for (const MediaView& m : Media(store, node)) {
      for (const MediaFileView& f : m.files) inline_media_with_form += !f.format.empty();
    }
    std::vector<GedcomNode> cited{node};
    for (const FactView& fact : PersonFacts(db, *p)) cited.push_back(fact.node);
    for (const GedcomNode& n : cited) {
      for (const CitationView& c : Citations(store, n)) {
        inline_cites += c.source_id.empty() && c.inline_text.size() > 60;
      }
    }
  }
  EXPECT_EQ(sources, 2u);
  EXPECT_GE(repos_linked, 1u);
  EXPECT_GE(inline_media_with_form, 1u);
  EXPECT_GE(inline_cites, 1u);
}

// Where each item of a list stands in the store, with what tells its kind.
template <typename View>
std::vector<std::string_view> Found(const std::vector<View>& views) {
  std::vector<std::string_view> lines;
  for (const View& view : views) lines.push_back(view.node.line().text);
  return lines;
}

// The one walk over a record finds what the view of each kind finds, in the same order.
TEST(GedcomFactsTest, OneWalkOverARecordReadsWhatEachViewReads) {
  for (const auto& file : testing::SampleAndTestdataGedcoms(~std::uintmax_t{0})) {
    SCOPED_TRACE(file.string());
    Database db;
    Load(db, file);
    const GedcomStore& store = db.Store();
    const auto same = [&](const RecordContents& one, const GedcomNode& record,
                          const std::vector<FactView>& facts) {
      EXPECT_EQ(Found(one.facts), Found(facts)) << record.xref();
      for (std::size_t i = 0; i < std::min(one.facts.size(), facts.size()); ++i) {
        EXPECT_EQ(one.facts[i].tag, facts[i].tag);
      }
      EXPECT_EQ(Found(one.associations), Found(Associations(record)));
      EXPECT_EQ(Found(one.notes), Found(Notes(store, record)));
      EXPECT_EQ(Found(one.citations), Found(Citations(store, record)));
      EXPECT_EQ(Found(one.media), Found(Media(store, record)));
    };
    for (const TPersonRec* p : db.PersonList()) {
      const GedcomNode record = RecordNode(db, *p);
      const RecordContents one = ReadPersonContents(store, record);
      same(one, record, PersonFacts(db, *p));
      EXPECT_EQ(Found(one.names), Found(PersonNames(db, *p)));
    }
    for (const TFamilyRec* f : db.FamilyList()) {
      const GedcomNode record = RecordNode(db, *f);
      same(ReadFamilyContents(store, record), record, FamilyFacts(db, *f));
    }
  }
}

TEST(GedcomFactsTest, PlacesCoordinatesAndParts) {
  EXPECT_EQ(ReadCoordinate("N51.5"), 51.5);
  EXPECT_EQ(ReadCoordinate("W0.125"), -0.125);
  EXPECT_EQ(ReadCoordinate("S-0"), -0.0);
  EXPECT_EQ(ReadCoordinate("-33.25"), -33.25);
  EXPECT_FALSE(ReadCoordinate("51°30'"));
  EXPECT_FALSE(ReadCoordinate("N"));
  EXPECT_EQ(PlaceParts(" Oakby , , Lantria"),
            (std::vector<std::string_view>{"Oakby", "", "Lantria"}));
  EXPECT_TRUE(PlaceParts("  ").empty());
}

}  // namespace
}  // namespace stirpex
