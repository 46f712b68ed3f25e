#include "x12/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "x12/parse_spec.h"
#include "x12/test_support.h"

namespace ardentix::x12 {
namespace {

using testing::ScriptedScope;
using testing::TempDir;

TEST(ParseSpecTest, OptionWordsKeepArgumentsApart) {
  const OptionWords o = SplitOptions("HO, ow,MAP=Owners.xml,FILTER=PATLNAME,HOLMES,ST1,DEBUG=ON");
  EXPECT_EQ(o.words, (std::vector<std::string>{"HO", "OW", "ST1"}));
  EXPECT_EQ(o.arguments,
            (std::vector<std::string>{"MAP=Owners.xml", "FILTER=PATLNAME,HOLMES", "DEBUG=ON"}));
  EXPECT_TRUE(o.Has("OW"));
  EXPECT_FALSE(o.Has("HOLMES"));
  EXPECT_TRUE(o.HasPrefix("ST"));
  // A filter value beginning with ST is not a word.
  EXPECT_FALSE(SplitOptions("FILTER=CLAIMSTATUS,STOPPED").HasPrefix("ST"));
  EXPECT_TRUE(SplitOptions("").words.empty());
}

TEST(ParseSpecTest, ParseSpecValueByName) {
  ParseSpec spec{"CSV", "in.x12", "out", "HO", "in"};
  EXPECT_EQ(ParseSpecValue("parsetype", spec, "837"), "CSV");
  EXPECT_EQ(ParseSpecValue("SOURCEFILE", spec, "837"), "in.x12");
  EXPECT_EQ(ParseSpecValue("DestinationFolder", spec, "837"), "out");
  EXPECT_EQ(ParseSpecValue("PARSEOPTIONS", spec, "837"), "HO");
  EXPECT_EQ(ParseSpecValue("DESTINATIONFILE", spec, "837"), "in");
  EXPECT_EQ(ParseSpecValue("X12TYPE", spec, "837"), "837");
  EXPECT_EQ(ParseSpecValue("SUBFNAME", spec, "837"), "");
}

TEST(SettingsTest, ViewerSettingsAndCheckTableComeFromQvIni) {
  TempDir dir;
  EXPECT_EQ(ViewerSetting(1, dir.path()), "*.*");
  EXPECT_EQ(ViewerSetting(115, dir.path()), "0");
  EXPECT_EQ(ViewerSettingList(100, dir.path()), std::vector<std::string>{""});
  std::string ini =
      "[X12VIEWER]\r\nSETEXTENSION=*.x12\r\nCOMMAND=0\r\n"
      "[X12837VIEWER]\r\nFIELD=SUBLNAME,Last Name\r\nFIELD=CLAIMID,Claim\r\nCOMMAND=0\r\n"
      "[X12PARSER]\r\nMERGEST=OFF\r\nFILEREADBLOCK=5000\r\nXMLENCODING=utf-8\r\nCOMMAND=0\r\n"
      "[X12CHECKTABLE]\r\n";
  for (int i = 1; i <= 101; ++i)
    ini += "KEY" + std::to_string(i) + "=V" + std::to_string(i) + "\r\n";
  ini += "COMMAND=0\r\n";
  dir.Write("qv.ini", ini);
  EXPECT_EQ(ViewerSetting(1, dir.path()), "*.X12");
  EXPECT_EQ(ViewerSetting(115, dir.path()), "1");
  EXPECT_EQ(ViewerSetting(112, dir.path()), "5000");
  EXPECT_EQ(ViewerSetting(118, dir.path()), "UTF-8");
  EXPECT_EQ(ViewerSettingList(101, dir.path()), (std::vector<std::string>{"LAST NAME", "CLAIM"}));
  const auto lists = ViewerFieldLists(dir.path());
  EXPECT_EQ(lists[0], (std::vector<std::string>{"SUBLNAME", "CLAIMID"}));
  EXPECT_EQ(lists[2], std::vector<std::string>{""});
  const ini::CheckPairs table = CheckTable(dir.path());
  ASSERT_EQ(table.size(), 100u);
  EXPECT_EQ(table.back(), (std::pair<std::string, std::string>{"KEY100", "V100"}));
}

TEST(SettingsTest, Select997FileAsksOnlyWithFlagZero) {
  ScriptedScope ui;
  ui->ChooseFileResult(std::string("/data/ack.997"));
  EXPECT_EQ(Select997File(0, "*.997"), "/data/ack.997");
  EXPECT_EQ(ui->file_choosers().back().title, "Select 997 File");
  EXPECT_EQ(ui->file_choosers().back().masks, std::vector<std::string>{"*.997"});
  EXPECT_EQ(Select997File(0, "*.997"), "");  // cancelled
  EXPECT_EQ(Select997File(1, "*.997"), "");
  EXPECT_EQ(ui->file_choosers().size(), 2u);
}

}  // namespace
}  // namespace ardentix::x12
