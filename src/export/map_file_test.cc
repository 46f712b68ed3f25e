#include "export/map_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/files.h"

namespace ardentix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Names = std::vector<std::string>;

std::string Fixture(const std::string& name) {
  return ReadWholeFile(fs::path(ARDENTIX_SOURCE_DIR) / "tests/data/maps" / name).value_or("");
}

struct ReadCase {
  const char* what;
  std::string bytes;
  Names names;
};

TEST(MapFileTest, XmlMapsAreReadAsOtherProgramsWriteThem) {
  const ReadCase cases[] = {
      {"as written, CR LF",
       "<?xml version=\"1.0\"  encoding=\"ISO-8859-1\"?>\r\n<CONFIGURATION>\r\n"
       "<FIELD>SUBLNAME</FIELD>\r\n<FIELD>DX1</FIELD>\r\n</CONFIGURATION>\r\n",
       {"SUBLNAME", "DX1"}},
      {"lower-case tags, LF",
       "<configuration>\n<field>SUBLNAME</field>\n</configuration>\n",
       {"SUBLNAME"}},
      {"CR only, one line", "<C>\r<FIELD>A</FIELD>\r<FIELD>B</FIELD></C>", {"A", "B"}},
      {"a blank inside a name is kept", "<FIELD>SUB FNAME</FIELD>", {"SUB FNAME"}},
      {"names of the text around are not names", "<CONFIGURATION>SUBLNAME</CONFIGURATION>", {}},
      {"no FIELD elements", "<?xml version=\"1.0\"?><CONFIGURATION/>", {}},
      {"empty element and self-closing tag", "<FIELD></FIELD><FIELD />", {"", ""}},
      {"FIELDS is another element", "<FIELDS><FIELD>A</FIELD></FIELDS>", {"A"}},
      {"a stray closing tag ends nothing", "</FIELD><FIELD>A</FIELD>", {"A"}},
      {"entities and a plain ampersand",
       "<FIELD>A&lt;&#x42;&gt;&amp;C&nbsp; & D</FIELD>",
       {"A<B>&C&nbsp; & D"}},
      {"quoted > in an attribute", "<FIELD note=\"a > b\">A</FIELD>", {"A"}},
      {"DOCTYPE with an internal subset",
       "<!DOCTYPE c [<!ELEMENT c ANY>]><c><FIELD>A</FIELD></c>",
       {"A"}},
      {"UTF-8 mark", "\xEF\xBB\xBF<FIELD>A</FIELD>", {"A"}},
      {"UTF-16 little endian",
       std::string("\xFF\xFE<\0F\0I\0E\0L\0D\0>\0A\0\xE9\0<\0/\0F\0I\0E\0L\0D\0>\0", 36),
       {"A\xE9"}},
      {"UTF-16 big endian",
       std::string("\xFE\xFF\0<\0F\0I\0E\0L\0D\0>\0B\0<\0/\0F\0I\0E\0L\0D\0>", 34),
       {"B"}},
  };
  for (const ReadCase& c : cases) {
    const MapText map = ParseXmlMap(c.bytes);
    EXPECT_TRUE(map.ok()) << c.what << ": " << map.error;
    EXPECT_EQ(map.names, c.names) << c.what;
  }
  const MapText fixture = ParseXmlMap(Fixture("handwritten.xml"));
  ASSERT_TRUE(fixture.ok()) << fixture.error;
  EXPECT_THAT(fixture.names,
              ElementsAre("SUBLNAME", "SUBFNAME", "PAYERNAME", "CLAIMID", "", "DX 1"));
}

TEST(MapFileTest, MalformedXmlMapsNameThePlaceAndGiveNoNames) {
  const struct {
    std::string bytes;
    const char* error;
  } cases[] = {
      {"<C>\r\n<FIELD>A</FIELD>\r\n<FIELD>B", "line 3: <FIELD> is not closed"},
      {"<FIELD>A\n<FIELD>B</FIELD>", "line 2: <FIELD> inside the <FIELD> of line 1"},
      {"<C>\n\n<FIELD>A</FIELD\n", "line 3: tag </FIELD not closed"},
      {"<FIELD>A</FIELD><FIELD a=\"x>", "line 1: tag <FIELD not closed"},
      {"<!-- <FIELD>A</FIELD>", "line 1: comment not closed"},
      {"<FIELD><![CDATA[A</FIELD>", "CDATA section not closed"},
      {std::string("<FIELD>A\0</FIELD>", 17), "NUL byte"},
      {std::string(kMaxMapBytes + 1, ' '), "larger than 16 MB"},
  };
  for (const auto& c : cases) {
    const MapText map = ParseXmlMap(c.bytes);
    EXPECT_THAT(map.error, HasSubstr(c.error)) << c.bytes.substr(0, 40);
    EXPECT_TRUE(map.names.empty());
  }
}

TEST(MapFileTest, CsvMapsTrimNamesAndIgnoreLineEnds) {
  const ReadCase cases[] = {
      {"as the wizard writes it", "SUBLNAME,SUBFNAME,DX1\r\n", {"SUBLNAME", "SUBFNAME", "DX1"}},
      {"no line end", "SUBLNAME,SUBFNAME,DX1", {"SUBLNAME", "SUBFNAME", "DX1"}},
      {"LF and CR ends", "A,B\n", {"A", "B"}},
      {"line ends inside a name are dropped", "SUB\r\nLNAME,D\rX1", {"SUBLNAME", "DX1"}},
      {"blanks and tabs around names", "  A , \tB\t,C  ", {"A", "B", "C"}},
      {"a trailing comma adds nothing", "A,B,\r\n", {"A", "B"}},
      {"blanks after the last comma add nothing", "A,B,   ", {"A", "B"}},
      {"an empty piece between commas is an empty column", "A,,B", {"A", "", "B"}},
      {"quoted names", "\"A\", \" B \"", {"A", "B"}},
      {"UTF-8 mark",
       "\xEF\xBB\xBF"
       "A,B",
       {"A", "B"}},
      {"empty file", "", {}},
  };
  for (const ReadCase& c : cases) {
    const MapText map = ParseCsvMap(c.bytes);
    EXPECT_TRUE(map.ok()) << c.what;
    EXPECT_EQ(map.names, c.names) << c.what;
  }
  EXPECT_THAT(ParseCsvMap(Fixture("handwritten.csv")).names,
              ElementsAre("SUBLNAME", "SUBFNAME", "PAYERNAME", "CLAIMID", "", "DX1"));
  EXPECT_THAT(ParseCsvMap(std::string("A,\0B", 4)).error, HasSubstr("NUL byte"));
}

TEST(MapFileTest, WrittenMapsAreExactAndReadBack) {
  const Names names = {"SUBLNAME", "  ", "", " DX1 ", "A&B<C>"};
  const std::string xml = XmlMapText(names);
  EXPECT_EQ(xml,
            "<?xml version=\"1.0\"  encoding=\"ISO-8859-1\"?>\r\n"
            "<CONFIGURATION>\r\n"
            "<FIELD>SUBLNAME</FIELD>\r\n"
            "<FIELD>DX1</FIELD>\r\n"
            "<FIELD>A&amp;B&lt;C&gt;</FIELD>\r\n"
            "</CONFIGURATION>\r\n");
  EXPECT_THAT(ParseXmlMap(xml).names, ElementsAre("SUBLNAME", "DX1", "A&B<C>"));
  EXPECT_EQ(XmlMapText({}),
            "<?xml version=\"1.0\"  encoding=\"ISO-8859-1\"?>\r\n<CONFIGURATION>\r\n"
            "</CONFIGURATION>\r\n");

  EXPECT_EQ(CsvMapText({"SUBLNAME", "DX1", "PROC10"}), "SUBLNAME,DX1,PROC10\r\n");
  EXPECT_THAT(ParseCsvMap(CsvMapText({"A", "B"})).names, ElementsAre("A", "B"));
}

TEST(MapFileTest, ProgressReachesTheEnd) {
  std::size_t last_done = 0;
  std::size_t last_total = 0;
  int calls = 0;
  const MapProgress progress = [&](std::size_t done, std::size_t total) {
    EXPECT_GE(done, last_done);
    last_done = done;
    last_total = total;
    ++calls;
  };
  const std::string text = "<FIELD>A</FIELD><FIELD>B</FIELD>";
  ASSERT_TRUE(ParseXmlMap(text, progress).ok());
  EXPECT_EQ(last_done, text.size());
  EXPECT_EQ(last_total, text.size());
  EXPECT_EQ(calls, 3);  // one per name, one at the end
}

}  // namespace
}  // namespace ardentix
