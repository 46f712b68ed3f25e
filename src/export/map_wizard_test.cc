#include "export/map_wizard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/text.h"
#include "export/map_file.h"
#include "export/map_test_support.h"

namespace ardentix {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Names = std::vector<std::string>;

ui::ScriptedUi::Player Click(std::string id) {
  return [id](ui::Dialog& d) { EXPECT_TRUE(d.Fire(ui::Event::Click(id))) << id; };
}
ui::ScriptedUi::Player Count(std::string value) {
  return [value](ui::Dialog& d) {
    EXPECT_TRUE(d.Fire(ui::Event::Change("count", value)));
    EXPECT_TRUE(d.Fire(ui::Event::Click("continue")));
  };
}

class MapWizardTest : public testing_support::MapFolderTest {
 protected:
  void Answers(std::initializer_list<bool> answers) {
    for (bool a : answers) ui_->AnswerYesNo(a);
  }
  Names Map(const std::string& name) {
    const std::string bytes = Read(name);
    return name.ends_with(".xml") ? ParseXmlMap(bytes).names : ParseCsvMap(bytes).names;
  }
};

TEST(CountedGroupNamesTest, OneSegmentNumbersElementsElseLettersBySegment) {
  EXPECT_THAT(CountedGroupNames("OTHERDX", 2, 2),
              ElementsAre("OTHERDXA1", "OTHERDXA2", "OTHERDXB1", "OTHERDXB2"));
  EXPECT_THAT(CountedGroupNames("OTHERDX", 1, 3),
              ElementsAre("OTHERDX01", "OTHERDX02", "OTHERDX03"));
  EXPECT_EQ(CountedGroupNames("VALUECODE", 1, 12).back(), "VALUECODE12");
  EXPECT_EQ(CountedGroupNames("VALUECODE", 24, 12).back(), "VALUECODEL24");
  EXPECT_THAT(CountedGroupNames("OTHERDX", 0, 5), ElementsAre());
  EXPECT_THAT(CountedGroupNames("OTHERDX", 3, 0), ElementsAre());
}

TEST_F(MapWizardTest, InstitutionalXmlMapWithCountedGroups) {
  ui_->PlayDialog(Click("837i"));
  ui_->PlayDialog(Click("xml"));
  ui_->PlayDialog(Count("30"));  // Diagnosis segments: out of bound, asked again
  ui_->PlayDialog(Count("2"));
  ui_->PlayDialog(Count("2"));                               // Diagnosis elements
  ui_->PlayDialog(Count("1"));                               // Procedure segments
  ui_->PlayDialog(Count("3"));                               // Procedure elements
  ui_->PlayDialog(Count("2"));                               // service lines
  Answers({true,                                             // create
           false, false, false, false, false, false, false,  // submitter .. payer
           false, false, false, false,                       // referring .. facility
           true,  true,  false, false, false, false, false,
           false, false, false, false, false, true,  true});  // service lines, NDC
  const auto file = MapWizard(dir_);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(*file, dir_ / "qv837i.xml");
  EXPECT_TRUE(Read("qv837i.xml")
                  .starts_with("<?xml version=\"1.0\"  "
                               "encoding=\"ISO-8859-1\"?>\r\n<CONFIGURATION>\r\n<FIELD>CLAIMID<"));

  Names expected = {"CLAIMID",       "CLAIMAMT",          "POSCODE",     "ICNDCN",
                    "OTHERDXA1",     "OTHERDXA2",         "OTHERDXB1",   "OTHERDXB2",
                    "PRINCIPLEPROC", "PRINCIPLEPROCDATE", "OTHERPROC01", "OTHERPROC02",
                    "OTHERPROC03"};
  for (const char* n : {"1", "2"}) {
    for (const char* stem : {"IREVCODE", "IPROCTYPE", "IPROC", "IMODA", "IMODB", "IMODC", "IDOS",
                             "IAMT", "IUNITS", "IPRICEAMT", "IPRICEREF", "IADJUDID", "IADJUDAMT",
                             "IADJUDDATE", "NDCUNITS", "NDCCODE", "NDCUNITPRICE"}) {
      expected.push_back(std::string(stem) + n);
    }
  }
  EXPECT_THAT(Map("qv837i.xml"), ElementsAreArray(expected));

  EXPECT_TRUE(ui_->HasLine("dialog: Select Transaction Type"));
  EXPECT_TRUE(
      ui_->HasLine("question:  Create a QV837I.XML Mapping File?: Do you wish to create an 837I "
                   "map file? -> Yes"));
  EXPECT_TRUE(ui_->HasLine("question: OtherDX: Include Other Diagnosis Information? -> Yes"));
  EXPECT_TRUE(ui_->HasLine("message: OtherDX: Must be 0 minimum 25 maximum."));
  EXPECT_TRUE(ui_->HasLine("question: VALUEQTY: Include Other Value Quantity  Information? -> No"));
  EXPECT_TRUE(ui_->HasLine("question: NDC: Include National Drug Code Information? -> Yes"));
  EXPECT_TRUE(ui_->HasLine("launch: editor " + (dir_ / "qv837i.xml").string()));
  EXPECT_TRUE(ui_->ScriptDone());

  // The count dialog: the prompt, the default in a three-digit field, "Continue".
  const ui::DialogSnapshot& counts = ui_->opened()[2];
  EXPECT_EQ(counts.title, "OtherDX");
  EXPECT_EQ(counts.Find("prompt")->text, "Number of Other Diagnosis Segments to include?");
  EXPECT_EQ(counts.Find("count")->text, "1");
  EXPECT_EQ(counts.Find("count")->max_length, 3);
  EXPECT_EQ(counts.Find("continue")->text, "Continue");
  EXPECT_EQ(ui_->opened()[3].Find("count")->text, "1");  // asked again from the default
  const ui::DialogSnapshot& types = ui_->opened()[0];
  std::vector<std::string> captions;
  for (const ui::Control& c : types.controls) captions.push_back(c.text);
  EXPECT_THAT(captions, ElementsAre("837I", "837P", "837D", "835", "270", "271", "276", "277"));
}

TEST_F(MapWizardTest, ClosedDialogsMean837IAndCsvAndDefaultsFillTheMap) {
  // No players: both choice dialogs are closed; every question takes Yes
  // and every count its default.
  const auto file = MapWizard(dir_);
  ASSERT_TRUE(file.has_value());
  EXPECT_THAT(Listing(), ElementsAre("qv837i.csv"));
  const std::string bytes = Read("qv837i.csv");
  EXPECT_TRUE(bytes.ends_with("NDCUNITPRICE10\r\n"));
  EXPECT_EQ(bytes.find('\r'), bytes.size() - 2);  // one line
  const Names names = Map("qv837i.csv");
  EXPECT_EQ(names.size(), 390u);
  EXPECT_EQ(names.front(), "SUBMITTERLNAME");
  EXPECT_EQ(std::count(names.begin(), names.end(), "OTHERDX10"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "TREATMENTCODE10"), 1);
}

TEST_F(MapWizardTest, KeepingAnExistingMapOpensItUnchanged) {
  Write("QV835.XML", "<FIELD>OLD</FIELD>");
  ui_->PlayDialog(Click("835"));
  ui_->PlayDialog(Click("xml"));
  Answers({false});
  const auto file = MapWizard(dir_);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(*file, dir_ / "QV835.XML");
  EXPECT_EQ(Read("QV835.XML"), "<FIELD>OLD</FIELD>");
  EXPECT_TRUE(ui_->HasLine(
      "question:  Erase Existing QV835.XML Mapping File?: A map file already exists. Do you wish "
      "to replace the existing 835 map file? -> No"));
  EXPECT_TRUE(ui_->HasLine("launch: editor " + (dir_ / "QV835.XML").string()));
  EXPECT_EQ(std::count_if(ui_->transcript().begin(), ui_->transcript().end(),
                          [](const std::string& l) { return l.starts_with("question"); }),
            1);
}

TEST_F(MapWizardTest, DecliningToCreateWritesNothing) {
  ui_->PlayDialog(Click("270"));
  ui_->PlayDialog(Click("csv"));
  Answers({false});
  EXPECT_FALSE(MapWizard(dir_).has_value());
  EXPECT_THAT(Listing(), ElementsAre());
  EXPECT_TRUE(ui_->HasLine(
      "question:  Create a QV270.XML Mapping File?: Do you wish to create an 270 map file? -> No"));
  for (const std::string& line : ui_->transcript()) EXPECT_FALSE(line.starts_with("launch"));
}

TEST_F(MapWizardTest, QuestionsOfEachTransactionType) {
  struct Case {
    const char* button;
    std::vector<bool> answers;  // after the create question
    std::vector<std::string> counts;
    std::size_t size;
    std::vector<std::pair<std::size_t, std::string>> at;
  };
  const Case cases[] = {
      {"837p",
       {false, false, false, false, false, false, false, false, false, false,  // .. operating
        false, false, false, false, false, true},                              // .. service lines
       {"51", "2"},
       32,
       {{0, "CLAIMID"}, {7, "DX5"}, {8, "PROC1"}, {19, "ADJUDID1"}, {31, "ADJUDID2"}}},
      {"837d",
       {false, false, true, true},
       {"1"},
       25,
       {{0, "PAYERNAME"}, {6, "CLAIMID"}, {14, "DPROC1"}, {24, "DADJUDID1"}}},
      {"835",
       {false, false, false, true, true, true},
       {"1", "1", "3", "1"},
       64,
       {{0, "CLMADJGRPCODE"},
        {5, "CLMADJCODE1"},
        {8, "DATEOFSERVICE1"},
        {35, "PROCREMARKCODE1"},
        {36, "PROCADJGRPCODE1.1"},
        {43, "PROCADJQTY1.2"},
        {44, "PROVADJREFID1"},
        {46, "PROVADJREASONCODEA1"},
        {48, "PROVADJAMTA1"},
        {63, "PROVADJAMTF1"}}},
      {"271",
       {false, true},
       {"1"},
       31,
       {{0, "DEPID"},
        {4, "INQUIRYCODE"},
        {23, "SERVICEPROVIDER"},
        {24, "BENEFIT1"},
        {30, "AMOUNT1"}}},
      {"276", {false, false, true}, {}, 15, {{0, "DATEOFSERVICE"}, {14, "CLAIMSTATUSCODE3"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const std::string name = std::string("qv") + c.button + ".csv";
    Write(ToUpper(name), "OLD");  // replaced, under its documented spelling
    ui_->PlayDialog(Click(c.button));
    ui_->PlayDialog(Click("csv"));
    for (const std::string& v : c.counts) ui_->PlayDialog(Count(v));
    ui_->AnswerYesNo(true);  // replace
    for (bool a : c.answers) ui_->AnswerYesNo(a);
    ASSERT_EQ(MapWizard(dir_), dir_ / name);
    EXPECT_TRUE(ui_->ScriptDone());
    EXPECT_THAT(Listing(), ElementsAre(name));
    const Names names = Map(name);
    EXPECT_EQ(names.size(), c.size);
    for (const auto& [i, expected] : c.at) {
      if (i < names.size()) {
        EXPECT_EQ(names[i], expected) << i;
      }
    }
  }
  EXPECT_TRUE(ui_->HasLine("message: Service Lines: Must be 0 minimum 50 maximum."));
}

}  // namespace
}  // namespace ardentix
