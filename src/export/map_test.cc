#include "export/map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "export/map_file.h"
#include "export/map_test_support.h"

namespace ardentix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr std::string_view kStamp = "12/11/2610:42:03 - Loading Configuration \r\n";
const std::string kXmlX =
    "<?xml version=\"1.0\"  encoding=\"ISO-8859-1\"?>\r\n<CONFIGURATION>\r\n"
    "<FIELD>X</FIELD>\r\n</CONFIGURATION>\r\n";

FieldCatalogue Remit() {
  return FieldCatalogue("835", {{"CLAIMPATCTL", "Patient Control Number", 20, "H", "C"},
                                {"CLAIMTOTALPAID", "Claim Total Paid", 12, "T", "$"},
                                {"PAYERNAME", "Payer Name", 35, "H", "C"}});
}

class MapTest : public testing_support::MapFolderTest {
 protected:
  // qvmap.log as a catalogue build leaves it, so the loader adds to it.
  void StartMapLog() { logs::ResetMapLog(dir_, "Professional"); }
  std::string Lines(const std::vector<std::string>& lines) const {
    std::string text = "Maptype = Professional\r\n" + std::string(kStamp);
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
  }
  std::string Dir() const { return "Current Directory =" + dir_.string(); }
};

TEST_F(MapTest, Load837PicksTheMapAndLogsWhatItFound) {
  const FieldCatalogue institutional = BuildCatalogue(ClaimKind::kInstitutional);
  const FieldList professional_default = ProfessionalDefaultList();
  const FieldList institutional_default = CatalogueNames(institutional);
  struct Case {
    const char* what;
    std::map<std::string, std::string> files;
    std::string current_map;
    std::string claim_type;
    bool reset;
    FieldList expected;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {"no map: the fixed professional list",
       {},
       "",
       "PROFESSIONAL",
       false,
       professional_default,
       {"Mapping File Not Found. Using Default System Map PROFESSIONAL"}},
      {"no map: every institutional catalogue name",
       {},
       "",
       "INSTITUTIONAL",
       false,
       institutional_default,
       {"Mapping File Not Found. Using Default System Map INSTITUTIONAL"}},
      {"CSV before XML, names trimmed",
       {{"qv837p.csv", " A , B\r\n"}, {"qv837p.xml", kXmlX}},
       "",
       "PROFESSIONAL",
       false,
       {"A", "B"},
       {" CSV 837 Map File Present ", "Map File : qv837p.csv", Dir(), " Field Count          2"}},
      {"XML map under another letter case",
       {{"QV837P.XML", kXmlX}},
       "",
       "PROFESSIONAL",
       false,
       {"X"},
       {"XML 837 Map File Present ", "Map File : qv837p.xml", Dir(), " Field Count          1"}},
      {"reset gives the default even when a map was read",
       {{"qv837p.csv", "A,B"}},
       "",
       "PROFESSIONAL",
       true,
       professional_default,
       {" CSV 837 Map File Present ", "Map File : qv837p.csv", Dir(), " Field Count          2"}},
      {"the claim type picks the map",
       {{"qv837p.csv", "A"}, {"qv837i.xml", kXmlX}},
       "",
       "INSTITUTIONAL",
       false,
       {"X"},
       {"XML 837 Map File Present ", "Map File : qv837i.xml", Dir(), " Field Count          1"}},
      {"an XML map from MAP= replaces the XML name",
       {{"sub/Mine.Xml", "<FIELD>M</FIELD>"}, {"qv837p.xml", kXmlX}},
       "sub/Mine.Xml",
       "PROFESSIONAL",
       false,
       {"M"},
       {"XML 837 Map File Present ", "Map File : sub/Mine.Xml", Dir(), " Field Count          1"}},
      {"an existing XML map from MAP= comes before the claim type's CSV map",
       {{"mine.xml", "<FIELD>M</FIELD>"}, {"qv837p.csv", "C"}},
       "mine.xml",
       "PROFESSIONAL",
       false,
       {"M"},
       {"XML 837 Map File Present ", "Map File : mine.xml", Dir(), " Field Count          1"}},
      {"a map from MAP= that does not exist leaves the documented search",
       {{"qv837p.csv", "C"}},
       "gone.xml",
       "PROFESSIONAL",
       false,
       {"C"},
       {" CSV 837 Map File Present ", "Map File : qv837p.csv", Dir(), " Field Count          1"}},
      {"a map from MAP= of another extension is read by its text",
       {{"mine.txt", "T1, T2\r\n"}, {"other.map", "<FIELD>X1</FIELD>"}, {"qv837p.csv", "C"}},
       "mine.txt",
       "PROFESSIONAL",
       false,
       {"T1", "T2"},
       {" CSV 837 Map File Present ", "Map File : mine.txt", Dir(), " Field Count          2"}},
      {"a CSV map from MAP= replaces the CSV name",
       {{"mine.csv", "M1,M2"}, {"qv837p.csv", "C"}},
       "mine.csv",
       "PROFESSIONAL",
       false,
       {"M1", "M2"},
       {" CSV 837 Map File Present ", "Map File : mine.csv", Dir(), " Field Count          2"}},
      {"a map name of 4 characters does not count",
       {{"a.cs", "M"}},
       "a.cs",
       "DENTAL",
       false,
       CatalogueNames(BuildCatalogue(ClaimKind::kDental)),
       {"Mapping File Not Found. Using Default System Map DENTAL"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
    for (const auto& [name, bytes] : c.files) Write(name, bytes);
    StartMapLog();
    SetCurrentMapFile(c.current_map);
    const FieldList list =
        LoadMap("837", c.reset, c.claim_type, BuildClaimCatalogue(c.claim_type), dir_);
    EXPECT_EQ(list, c.expected);
    EXPECT_EQ(Read("qvmap.log"), Lines(c.log));
  }
  EXPECT_EQ(professional_default.size(), 164u);
  EXPECT_EQ(professional_default[43], "DX5");
  EXPECT_EQ(professional_default[44], "PROC1");
  EXPECT_EQ(professional_default.back(), "ADJUDID10");
}

TEST_F(MapTest, Load835LogsEveryFieldAndTheOptionMap) {
  Write("qv835.csv", "CLAIMPATCTL,CLAIMTOTALPAID\r\n");
  Write("other.xml", "<FIELD>Z</FIELD>");
  SetCurrentMapFile("other.csv");  // missing: the family's own maps are read
  StartMapLog();
  EXPECT_THAT(LoadMap("835", false, "", Remit(), dir_),
              ElementsAre("CLAIMPATCTL", "CLAIMTOTALPAID"));
  EXPECT_EQ(Read("qvmap.log"), Lines({"835 CSV Map file ", "Map File : qv835.csv",
                                      "Option Map File : other.csv", Dir(), "1 Field = CLAIMPATCTL",
                                      "2 Field = CLAIMTOTALPAID", " Field Count          2"}));

  SetCurrentMapFile("other.xml");  // exists: it comes before qv835.csv
  StartMapLog();
  EXPECT_THAT(LoadMap("835", false, "", Remit(), dir_), ElementsAre("Z"));

  SetCurrentMapFile({});
  fs::remove(dir_ / "other.xml");
  fs::remove(dir_ / "qv835.csv");
  StartMapLog();
  EXPECT_EQ(LoadMap("835", false, "", Remit(), dir_), CatalogueNames(Remit()));
  EXPECT_EQ(Read("qvmap.log"),
            Lines({"No Map Found, Using Default 835 Mapping. ", " Field Count          3"}));
}

TEST_F(MapTest, Load277And271ReadOnlyTheirXmlMap) {
  const FieldCatalogue status("277 ", {{"TRACEID", "Trace", 30, "H", "C"}});
  Write("qv277.xml", "<FIELD>TRACEID</FIELD><FIELD>CLAIMSTATUS1</FIELD>");
  Write("qv271.csv", "BENEFIT1");  // never read
  Write("mine.xml", "<FIELD>M</FIELD>");
  SetCurrentMapFile("mine.xml");  // does not apply to these families
  StartMapLog();
  EXPECT_THAT(LoadMap("277", false, "", status, dir_), ElementsAre("TRACEID", "CLAIMSTATUS1"));
  EXPECT_EQ(LoadMap("271", false, "", status, dir_), FieldList{"TRACEID"});
  EXPECT_EQ(LoadMap("277", true, "", status, dir_), FieldList{"TRACEID"});
  EXPECT_EQ(Read("qvmap.log"), "Maptype = Professional\r\n" + std::string(kStamp) +
                                   std::string(kStamp) + std::string(kStamp));
  EXPECT_EQ(LoadMap("270", false, "", status, dir_), FieldList{""});
}

TEST_F(MapTest, LoaderShowsItsMeterAndWritesNoMapLogOfItsOwn) {
  Write("qv837d.csv", "A");
  EXPECT_EQ(LoadMap("837", false, "DENTAL", BuildCatalogue(ClaimKind::kDental), dir_),
            FieldList{"A"});
  EXPECT_FALSE(FileExists(dir_ / "qvmap.log"));
  EXPECT_TRUE(ui_->HasLine("meter open: Loading Configuration  | Please Wait.."));
  EXPECT_TRUE(ui_->HasLine("meter percent: 100"));
  EXPECT_TRUE(ui_->HasLine("meter close"));
}

TEST_F(MapTest, BrokenMapGivesAMessageAndTheDefault) {
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"qv837p.xml", "<CONFIGURATION>\r\n<FIELD>A</FIELD>\r\n<FIELD>B\r\n",
       "line 3: <FIELD> is not closed"},
      {"qv837p.csv", std::string("\0\0\0\0", 4), "line 1: NUL byte, this is not a text file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Write(c.name, c.bytes);
    StartMapLog();
    EXPECT_EQ(LoadMap("837", false, "PROFESSIONAL", BuildCatalogue(ClaimKind::kProfessional), dir_),
              ProfessionalDefaultList());
    const std::string message = "Map File : " + std::string(c.name) + " can not be used (" +
                                c.reason + "). Using the default map.";
    EXPECT_TRUE(ui_->HasLine("message:  WARNING.: " + message));
    EXPECT_EQ(Read("qvmap.log"), Lines({message}));
  }
  // A map far too large is not read at all (a sparse file: no disk used).
  fs::create_directories(dir_ / "big");
  Write("big/qv835.xml", "");
  fs::resize_file(dir_ / "big/qv835.xml", kMaxMapBytes + 1);
  EXPECT_EQ(LoadMap("835", false, "", Remit(), dir_ / "big"), CatalogueNames(Remit()));
  EXPECT_TRUE(Shown("qv835.xml can not be used (the file is larger than 16 MB)"));
}

TEST_F(MapTest, UnreadableMapGivesTheOpenErrorAndTheDefault) {
  Write("qv835.xml", "<FIELD>A</FIELD>");
  fs::permissions(dir_ / "qv835.xml", fs::perms::none);
  if (ReadWholeFile(dir_ / "qv835.xml")) GTEST_SKIP() << "this user reads any file (root)";
  EXPECT_EQ(LoadMap("835", false, "", Remit(), dir_), CatalogueNames(Remit()));
  EXPECT_TRUE(Shown("qv835.xml can not be used (Cfile <ERROR> FC-Open #13)"));
}

TEST_F(MapTest, SaveWritesTheDocumentedBytesAndAsksBeforeReplacing) {
  EXPECT_EQ(SaveMap("837", {"SUBLNAME", " ", "DX1 "}, "PROFESSIONAL", dir_),
            MapSaveResult::kWritten);
  const std::string saved =
      "<?xml version=\"1.0\"  encoding=\"ISO-8859-1\"?>\r\n<CONFIGURATION>\r\n"
      "<FIELD>SUBLNAME</FIELD>\r\n<FIELD>DX1</FIELD>\r\n</CONFIGURATION>\r\n";
  EXPECT_EQ(Read("qv837p.xml"), saved);
  EXPECT_THAT(ui_->transcript(), IsEmpty());

  ui_->AnswerYesNo(false);
  EXPECT_EQ(SaveMap("837", {"OTHER"}, "PROFESSIONAL", dir_), MapSaveResult::kDeclined);
  EXPECT_TRUE(ui_->HasLine("question:  WARNING.: qv837p.xml Already Exists. Overwrite it? -> No"));
  EXPECT_EQ(Read("qv837p.xml"), saved);

  // An old map under another spelling is replaced by the documented one.
  fs::rename(dir_ / "qv837p.xml", dir_ / "QV837P.XML");
  ui_->AnswerYesNo(true);
  EXPECT_EQ(SaveMap("837", {"OTHER"}, "PROFESSIONAL", dir_), MapSaveResult::kWritten);
  EXPECT_TRUE(ui_->HasLine("question:  WARNING.: QV837P.XML Already Exists. Overwrite it? -> Yes"));
  EXPECT_THAT(Listing(), ElementsAre("qv837p.xml"));
  EXPECT_THAT(LoadMap("837", false, "PROFESSIONAL", {}, dir_), ElementsAre("OTHER"));

  EXPECT_EQ(SaveMap("835", {"A"}, "", dir_), MapSaveResult::kWritten);
  EXPECT_TRUE(FileExists(dir_ / "qv835.xml"));
  EXPECT_EQ(SaveMap("277", {"A"}, "", dir_), MapSaveResult::kNoMapFile);
  EXPECT_EQ(SaveMap("837", {"A"}, "VISION", dir_), MapSaveResult::kNoMapFile);
  EXPECT_THAT(Listing(), ElementsAre("qv835.xml", "qv837p.xml"));

  // A folder that is not there: nothing written, the error shown.
  EXPECT_EQ(SaveMap("837", {"A"}, "DENTAL", dir_ / "gone"), MapSaveResult::kFailed);
  EXPECT_EQ(ui_->transcript().back(), "message:  WARNING.: Cfile <ERROR> FC-Open #02 " +
                                          (dir_ / "gone" / "qv837d.xml").string());
}

TEST_F(MapTest, DefaultButtonFlowErasesOnlyTheXmlMap) {
  Write("qv837p.csv", "C1,C2");
  Write("qv837p.xml", kXmlX);
  Write("Qv837P.Xml", kXmlX);
  Write("qv837i.xml", kXmlX);
  EXPECT_TRUE(DeleteMap("837", "PROFESSIONAL", dir_));
  EXPECT_THAT(Listing(), ElementsAre("qv837i.xml", "qv837p.csv"));
  EXPECT_FALSE(DeleteMap("837", "PROFESSIONAL", dir_));
  EXPECT_FALSE(DeleteMap("277", "", dir_));
  // The dialog reloads with reset (the default list); the next export reads
  // the CSV map again.
  const FieldCatalogue catalogue = BuildCatalogue(ClaimKind::kProfessional);
  EXPECT_EQ(LoadMap("837", true, "PROFESSIONAL", catalogue, dir_), ProfessionalDefaultList());
  EXPECT_THAT(LoadMap("837", false, "PROFESSIONAL", catalogue, dir_), ElementsAre("C1", "C2"));
}

TEST_F(MapTest, MapOptionsSetTheCurrentMapFile) {
  const struct {
    const char* options;
    std::optional<std::string> map;
    std::optional<std::string> select_map;
  } cases[] = {
      {"HO,MAP=maps/My Map.xml,OW", "maps/My Map.xml", std::nullopt},
      {"map= a.xml ", "a.xml", std::nullopt},
      {"SELECTMAP=*.xml,HO", std::nullopt, "*.xml"},
      {"HO,OW", std::nullopt, std::nullopt},
      {"HOMAP=x.xml", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    const MapOptions found = FindMapOptions(c.options);
    EXPECT_EQ(found.map, c.map) << c.options;
    EXPECT_EQ(found.select_map, c.select_map) << c.options;
  }

  fs::create_directories(dir_ / "maps");
  Write("maps/MY MAP.XML", "<FIELD>CHOSEN</FIELD>");
  EXPECT_TRUE(ApplyMapOption(*FindMapOptions("HO,MAP=maps/My Map.xml").map, dir_));
  EXPECT_EQ(CurrentMapFile(), "maps/My Map.xml");
  EXPECT_TRUE(CurrentMapFileCounts());
  EXPECT_THAT(LoadMap("835", false, "", Remit(), dir_), ElementsAre("CHOSEN"));
  EXPECT_THAT(LoadMap("837", false, "DENTAL", {}, dir_), ElementsAre("CHOSEN"));

  EXPECT_FALSE(ApplyMapOption("missing.xml", dir_));
  EXPECT_EQ(CurrentMapFile(), "");
  EXPECT_EQ(LoadMap("835", false, "", Remit(), dir_), CatalogueNames(Remit()));

  ui_->ChooseFileResult((dir_ / "maps/MY MAP.XML").string());
  EXPECT_TRUE(ApplySelectMapOption("*.xml", dir_));
  EXPECT_EQ(CurrentMapFile(), (dir_ / "maps/MY MAP.XML").string());
  ASSERT_EQ(ui_->file_choosers().size(), 1u);
  EXPECT_EQ(ui_->file_choosers()[0].title, "Select a Map File");
  EXPECT_THAT(ui_->file_choosers()[0].masks, ElementsAre("*.xml"));
  EXPECT_FALSE(ApplySelectMapOption("*.xml", dir_));  // cancelled
  EXPECT_EQ(CurrentMapFile(), "");
}

}  // namespace
}  // namespace ardentix
