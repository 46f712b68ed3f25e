#include "common/ini.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "common/files.h"

namespace ardentix::ini {
namespace {

// The same settings written with each kind of line end must read the same.
std::string WithEnds(std::string_view lf_text, std::string_view end) {
  std::string out;
  for (char c : lf_text) {
    if (c == '\n') {
      out.append(end);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

TEST(SectionLines, CutTrimUpperPadAndSkipEmptyLines) {
  const std::string long_line = "FIELD=" + std::string(94, 'x');  // 100 characters
  const auto lines = SectionLines("  [x12Viewer]  \r\n\r\n\tab\x1a" + long_line + "\rx");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "[X12VIEWER]");
  EXPECT_EQ(lines[1], "AB   ");  // the tab is dropped, padded to 5
  EXPECT_EQ(lines[2].size(), 80u);
  EXPECT_EQ(lines[2], "FIELD=" + std::string(74, 'X'));
  EXPECT_EQ(lines[3], "X    ");
}

TEST(IniValue, ParserAndViewerKeysWithEveryLineEnd) {
  const std::string text =
      "[X12VIEWER]\nsetExtension=*.x12\nCOMMAND=0\n"
      "[X12PARSER]\nfileReadBlock=5000000\nSTARTBLOCK=12abc\nMERGEST=off\nCOMMAND=0\n"
      "[CMS-1500]\nBOX25EIN=123456789\nCOMMAND=0\n";
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string t = WithEnds(text, end);
    EXPECT_EQ(IniValueFromText(1, t), "*.X12");  // values arrive upper-cased
    EXPECT_EQ(IniValueFromText(112, t), "5000000");
    EXPECT_EQ(IniValueFromText(113, t), "12");
    EXPECT_EQ(IniValueFromText(114, t), "0");
    EXPECT_EQ(IniValueFromText(115, t), "1");
    EXPECT_EQ(IniValueFromText(116, t), "123456789");
    EXPECT_EQ(IniValueFromText(117, t), "");
  }
  EXPECT_EQ(IniValueFromText(1, ""), "*.*");
  // A key outside its section, or after COMMAND=0, is not seen.
  EXPECT_EQ(IniValueFromText(112, "FILEREADBLOCK=9\n[X12PARSER]\nCOMMAND=0\nFILEREADBLOCK=8\n"),
            "0");
  // The first match ends the reading.
  EXPECT_EQ(IniValueFromText(112, "[PARSER]\nFILEREADBLOCK=7\nFILEREADBLOCK=8\n"), "7");
}

TEST(IniList, FieldPiecesSkipEmptyOnes) {
  const std::string text =
      "[X12837SCREEN]\nFIELD=PATLNAME,Last Name,1,2\nTITLE=T1,,3\nFIELD=DX1\nCOMMAND=0\n"
      "[X12837VIEWER]\nFIELD=A,B\n[X12837CHECK]\nFIELD=Z,Z\n";
  EXPECT_EQ(IniListFromText(104, text), (std::vector<std::string>{"PATLNAME", "T1", "DX1"}));
  EXPECT_EQ(IniListFromText(105, text), (std::vector<std::string>{"LAST NAME"}));
  EXPECT_EQ(IniListFromText(106, text), (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(IniListFromText(100, text), (std::vector<std::string>{"A"}));
  EXPECT_EQ(IniListFromText(101, text), (std::vector<std::string>{"B"}));
  EXPECT_EQ(IniListFromText(108, text), (std::vector<std::string>{""}));  // none: one empty entry
}

TEST(FormSwitches, KeysAndSectionEnds) {
  struct Case {
    const char* text;
    int position;
    char expected;
  };
  const Case cases[] = {
      {"[CMS1500]\nFONT=SANSERIF12\n", 29, 'L'},
      {"[CMS1500]\nFONT=ARIAL8\n", 29, 'A'},
      {"[CMS1500]\nfont=courriernew12\n", 29, 'J'},
      {"[HCFA1500]\nBOX12=ONFILE\n", 3, 'B'},
      {"[HCFA1500]\n[X12VIEWER]\nBOX12=ONFILE\n", 3, 'A'},  // another known section ends it
      {"[HCFA1500]\nCOMMAND=0\nBOX13=ONFILE\n", 4, 'B'},    // COMMAND=0 does not end it
      {"[CMS1500-OFFICE2]\nBOX30=BOX28\n", 37, 'C'},
      {"[CMS1500-]\nBOX30=BOX28\n", 37, 'A'},  // too short to be a form section
      {"BOX12=ONFILE\n", 3, 'A'},              // outside any section
      {"[CMS1500]\nBOX12=DATEOFF\n", 8, 'A'},
      {"[CMS1500]\nDATECTL=MMDDCCYY\n", 13, 'B'},
      {"[CMS1500]\nTEXTFORMCONTROL=FORMFEED\n", 40, 'B'},
  };
  for (const auto& c : cases) {
    const std::string s = FormSwitchesFromText(kFormDefault, c.text);
    ASSERT_EQ(s.size(), 64u);
    EXPECT_EQ(s[static_cast<std::size_t>(c.position - 1)], c.expected) << c.text;
  }
  EXPECT_EQ(FormSwitchesFromText(kFormDefault, ""), kFormDefault);
}

TEST(CheckTable, PairsInOrderAtMostAHundred) {
  std::string text = "[X12CHECKTABLE]\nA=1\nB==2=3\n=X\nC=\nAB\n";
  for (int i = 0; i < 150; ++i) text += "K" + std::to_string(i) + "=V\n";
  text += "COMMAND=0\n";
  const CheckPairs pairs = CheckTableFromText(text);
  ASSERT_EQ(pairs.size(), 100u);
  EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"A", "1"}));
  EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"B", "23"}));
  EXPECT_EQ(pairs[2].first, "K0");
}

TEST(ExportSettings, SwitchesAndValues) {
  const std::string text =
      "[ANY]\nxml = dropemptyfields\nDebug=On\nOTHERDIAGNOSISCOUNT=4\n  xmlencoding=UTF-8\n";
  std::string sw = ExportSwitchesFromText(kExportSwitchDefault, WithEnds(text, "\r\n"));
  EXPECT_EQ(sw, "AAAAAAAAAABBAAAA");
  EXPECT_EQ(ExportSettingFromText(2, "12", text), "4");
  EXPECT_EQ(ExportSettingFromText(11, "ISO-8859-1", WithEnds(text, "\r\n")), "UTF-8");
  EXPECT_EQ(ExportSettingFromText(9, "255", text), "255");
  EXPECT_EQ(ExportSettingFromText(9, "255", "dbffieldcount=abc\n"), "0");
  // The last line without a line end is not read.
  EXPECT_EQ(ExportSettingFromText(11, "ISO-8859-1", "[X]\r\nxmlencoding=UTF-8"), "ISO-8859-1");
  EXPECT_EQ(ExportSettingDefault(10), "999999");
}

TEST(UserFields, DefinitionsFromX12Udf) {
  const std::string text =
      "[X12VIEWER]\nUDF=IGNORED\n[X12UDF]\nSEGMENT=XX\nudf= MYREF \nsegment=REF\n"
      "Qualifier=EA\nLOOP=2300\nRETURN=REF02\nUDF=Second\n";
  const auto fields = UserFieldsFromText(text);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].name, "MYREF");
  EXPECT_EQ(fields[0].segment, "REF");
  EXPECT_EQ(fields[0].qualifier, "EA");
  EXPECT_EQ(fields[0].loop, "2300");
  EXPECT_EQ(fields[0].returned, "REF02");
  EXPECT_EQ(fields[1].name, "Second");  // values as typed
  const auto none = UserFieldsFromText("[X12VIEWER]\n");
  ASSERT_EQ(none.size(), 1u);
  EXPECT_TRUE(none[0].name.empty());
}

TEST(IniFile, FoundUnderItsUpperCaseNameAndConfigXmlRoundTrips) {
  const fs::path dir = fs::temp_directory_path() / ("ardentix_ini_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  ASSERT_TRUE(WriteWholeFile(dir / "QV.INI", "[X12PARSER]\r\nBLOCKCOUNT=3\r\n"));
  EXPECT_EQ(IniValue(114, dir), "3");
  EXPECT_EQ(GetX12Folder(dir.string(), ""), "");
  ASSERT_TRUE(SaveX12Folder(dir.string(), "/data/x12", ""));
  EXPECT_EQ(GetX12Folder(dir.string(), ""), "/data/x12");
  const std::string saved = ReadWholeFile(dir / "config.xml").value();
  EXPECT_EQ(saved.rfind("<DATADIR>/data/x12</DATADIR><DATE>", 0), 0u);
  EXPECT_NE(saved.find("</TIME>"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace ardentix::ini
