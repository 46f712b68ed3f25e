#include "x12/join.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/files.h"
#include "x12/test_support.h"

namespace ardentix::x12 {
namespace {

using testing::ReadBytes;
using testing::ScriptedScope;
using testing::TempDir;

ParseSpec Spec(std::string type, std::string folder, std::string file, std::string options = "") {
  ParseSpec spec;
  spec.parse_type = std::move(type);
  spec.destination_folder = std::move(folder);
  spec.destination_file = std::move(file);
  spec.parse_options = std::move(options);
  return spec;
}

// A dBASE III table with character fields of the given names and widths.
std::string Dbf(const std::vector<std::pair<std::string, int>>& fields,
                const std::vector<std::string>& rows) {
  int record_length = 1;
  for (const auto& f : fields) record_length += f.second;
  const int header_length = 32 + 32 * static_cast<int>(fields.size()) + 1;
  std::string h(32, '\0');
  h[0] = 3;
  h[1] = 123;
  h[2] = 1;
  h[3] = 1;
  const auto count = static_cast<std::uint32_t>(rows.size());
  for (int i = 0; i < 4; ++i) h[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
  h[8] = static_cast<char>(header_length & 0xFF);
  h[9] = static_cast<char>(header_length >> 8);
  h[10] = static_cast<char>(record_length & 0xFF);
  h[11] = static_cast<char>(record_length >> 8);
  for (const auto& f : fields) {
    std::string d(32, '\0');
    d.replace(0, f.first.size(), f.first);
    d[11] = 'C';
    d[16] = static_cast<char>(f.second);
    h += d;
  }
  h.push_back('\r');
  for (const std::string& row : rows) {
    std::string r = " " + row;
    r.resize(static_cast<std::size_t>(record_length), ' ');
    h += r;
  }
  h.push_back('\x1A');
  return h;
}

std::uint32_t DbfCount(const std::string& bytes) {
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(bytes[4 + i]);
  return n;
}

TEST(OutputPathTest, FollowsTheExportNamingRules) {
  TempDir dir;
  const std::string folder = dir.path().string();
  EXPECT_EQ(ExportOutputPath(Spec("CSV", folder, "claims"), OutputFormat::kCsv),
            dir / "claims.csv");
  EXPECT_EQ(ExportOutputPath(Spec("XML", folder + "  ", "claims"), OutputFormat::kXml),
            dir / "claims.xml");
  EXPECT_EQ(ExportOutputPath(Spec("CSV", "out.csv", "out"), OutputFormat::kCsv),
            fs::path("out.csv"));
  EXPECT_EQ(ExportOutputPath(Spec("CSV", folder, "claims.x12", "HO,MN"), OutputFormat::kCsv),
            dir / "claims.x12");
  EXPECT_EQ(ExportOutputPath(Spec("CSV", "merged.csv", "claims_ST2", "MF,HO"), OutputFormat::kCsv),
            fs::path("merged.csv"));
  EXPECT_EQ(ExportOutputPath(Spec("DBF", folder, "123", ""), OutputFormat::kDbf, true),
            dir / "a_123.dbf");
  EXPECT_EQ(ExportOutputPath(Spec("DBF", folder, "abc", ""), OutputFormat::kDbf, true),
            dir / "abc.dbf");
  // MAP=MF.XML is an argument, not the word MF.
  EXPECT_EQ(ExportOutputPath(Spec("CSV", folder, "c", "MAP=MF"), OutputFormat::kCsv),
            dir / "c.csv");
  EXPECT_EQ(Remit835Path(Spec("835", folder, "pay_ST1")), dir / "pay_ST1.835");
  EXPECT_EQ(OutputFormatOf("dbf"), OutputFormat::kDbf);
  EXPECT_EQ(OutputFormatOf("TXT"), OutputFormat::kNone);
}

TEST(JoinPiecesTest, CsvAndXmlBodies) {
  EXPECT_EQ(CsvPartBody(" \t\r\nA,B\r\n1,2\r\n  ", false), "A,B\r\n1,2\r\n");
  EXPECT_EQ(CsvPartBody("A,B\r\n1,2\r\n", true), "1,2\r\n");
  EXPECT_EQ(CsvPartBody("A,B\r\n", true), "");
  EXPECT_EQ(CsvPartBody("1,2", false), "1,2\r\n");
  EXPECT_EQ(CsvPartBody("", false), "");
  const std::string part =
      "<?xml version=\"1.0\"  encoding=\"ISO-8859-1\"?>\r\n<EXPORTDATA>\r\n<CLAIM>\r\n"
      "<A>1</A>\r\n</CLAIM>\r\n</EXPORTDATA>";
  EXPECT_EQ(XmlPartBody(part), "<CLAIM>\r\n<A>1</A>\r\n</CLAIM>\r\n");
  EXPECT_EQ(XmlPartBody("<exportdata>\r\n<CLAIM/>\r\n</exportdata>\r\n"), "<CLAIM/>\r\n");
  EXPECT_EQ(XmlPartBody("<?xml version=\"1.0\"?>\r\n<EXPORTDATA>\r\n</EXPORTDATA>"), "");
  EXPECT_EQ(XmlPartBody("no root"), "");
  // The first root tag and the last closing one bound the records.
  EXPECT_EQ(XmlPartBody("<EXPORTDATA></EXPORTDATA>"), "");
  EXPECT_EQ(XmlPartBody("</EXPORTDATA><EXPORTDATA>\r\n<A/>\r\n"), "<A/>\r\n");
  EXPECT_EQ(XmlPartBody("<EXPORTDATA>\r\n<EXPORTDATA>x</EXPORTDATA>\r\n</EXPORTDATA> \r\n"),
            "<EXPORTDATA>x</EXPORTDATA>\r\n");
  EXPECT_EQ(CsvPartBody("A,B\r\n \t\r\n  1,2  ", true), "1,2\r\n");
  EXPECT_EQ(CsvPartBody(" \r\n ", false), "");
}

// Part files are read a block at a time: bodies and tags that straddle the
// blocks join exactly as the rules above cut the whole text.
TEST(OutputJoinerTest, LargePartsJoinAsTheirWholeTextsDo) {
  TempDir dir;
  const std::string folder = dir.path().string();
  std::string rows;
  for (int i = 0; rows.size() < 200000; ++i) rows += "ROW" + std::to_string(i) + ",X\r\n";
  const std::string blanks(65536 - 3, ' ');
  const std::vector<std::string> csv = {
      "A,B\r\n" + rows,
      blanks + "\r\nA,B\r\n" + rows + std::string(70000, ' '),
      std::string(70000, '\n'),
  };
  for (bool header : {false, true}) {
    std::string expected;
    OutputJoiner joiner(Spec("CSV", folder, "c"), {true, header, "ISO-8859-1"});
    for (std::size_t i = 0; i < csv.size(); ++i) {
      const std::string name = "c_ST" + std::to_string(i + 1);
      dir.Write(name + ".csv", csv[i]);
      expected += CsvPartBody(csv[i], header && !expected.empty());
      EXPECT_TRUE(joiner.AddPart(Spec("CSV", folder, name)));
    }
    EXPECT_TRUE(joiner.Finish());
    EXPECT_EQ(ReadBytes(dir / "c.csv"), expected) << "header " << header;
  }

  const std::string decl = XmlDeclaration("ISO-8859-1") + "\r\n";
  std::string records;
  while (records.size() < 200000) records += "<CLAIM>\r\n<A>1</A>\r\n</CLAIM>\r\n";
  const std::vector<std::string> xml = {
      decl + std::string(65536 - decl.size() - 5, ' ') + "<exportdata>\r\n" + records +
          "</EXPORTDATA>",
      decl + "<EXPORTDATA>\r\n" + records + "</EXPORTDATA>" + std::string(65536, ' ') +
          "</ExportData>\r\n",
  };
  std::string expected = decl + "<EXPORTDATA>\r\n";
  OutputJoiner joiner(Spec("XML", folder, "x"), {true, false, "ISO-8859-1"});
  for (std::size_t i = 0; i < xml.size(); ++i) {
    const std::string name = "x_ST" + std::to_string(i + 1);
    dir.Write(name + ".xml", xml[i]);
    expected += XmlPartBody(xml[i]);
    EXPECT_TRUE(joiner.AddPart(Spec("XML", folder, name)));
  }
  EXPECT_TRUE(joiner.Finish());
  EXPECT_EQ(ReadBytes(dir / "x.xml"), expected + "</EXPORTDATA>");
}

TEST(OutputJoinerTest, CsvPartsJoinUnderOneHeader) {
  TempDir dir;
  const std::string folder = dir.path().string();
  dir.Write("claims.csv", "left over from an earlier run\r\n");
  dir.Write("claims_ST1.csv", "A,B\r\n1,2\r\n");
  dir.Write("claims_ST2.csv", "A,B\r\n");  // a set without claims
  dir.Write("claims_ST3.csv", "A,B\r\n3,4\r\n5,6\r\n");
  OutputJoiner joiner(Spec("CSV", folder, "claims", "HO,OW"), {true, true, "ISO-8859-1"});
  ASSERT_TRUE(joiner.active());
  for (const char* name : {"claims_ST1", "claims_ST2", "claims_ST3", "claims_ST4"}) {
    EXPECT_TRUE(joiner.AddPart(Spec("CSV", folder, name, "HO,OW")));
  }
  EXPECT_TRUE(joiner.Finish());
  EXPECT_EQ(ReadBytes(dir / "claims.csv"), "A,B\r\n1,2\r\n3,4\r\n5,6\r\n");
  EXPECT_EQ(joiner.parts_joined(), 3);
  for (const char* name : {"claims_ST1.csv", "claims_ST2.csv", "claims_ST3.csv"}) {
    EXPECT_FALSE(fs::exists(dir / name)) << name;
  }
}

TEST(OutputJoinerTest, CsvWithoutHeaderKeepsEveryLineAndMergeOffKeepsParts) {
  TempDir dir;
  const std::string folder = dir.path().string();
  dir.Write("c_ST1.csv", "1,2\r\n");
  dir.Write("c_ST2.csv", "3,4\r\n");
  OutputJoiner joiner(Spec("CSV", folder, "c"), {true, false, "ISO-8859-1"});
  EXPECT_TRUE(joiner.AddPart(Spec("CSV", folder, "c_ST1")));
  EXPECT_TRUE(joiner.AddPart(Spec("CSV", folder, "c_ST2")));
  EXPECT_TRUE(joiner.Finish());
  EXPECT_EQ(ReadBytes(dir / "c.csv"), "1,2\r\n3,4\r\n");

  dir.Write("d_ST1.csv", "1,2\r\n");
  OutputJoiner off(Spec("CSV", folder, "d"), {false, false, "ISO-8859-1"});
  EXPECT_FALSE(off.active());
  EXPECT_TRUE(off.AddPart(Spec("CSV", folder, "d_ST1")));
  EXPECT_TRUE(fs::exists(dir / "d_ST1.csv"));
  EXPECT_FALSE(fs::exists(dir / "d.csv"));
}

TEST(OutputJoinerTest, XmlPartsShareOneDeclarationAndRoot) {
  TempDir dir;
  const std::string folder = dir.path().string();
  auto part = [](const char* value) {
    return std::string(
               "<?xml version=\"1.0\"  encoding=\"UTF-8\"?>\r\n<EXPORTDATA>\r\n<CLAIM>\r\n<A>") +
           value + "</A>\r\n</CLAIM>\r\n</EXPORTDATA>";
  };
  dir.Write("x_ISA1.xml", part("1"));
  dir.Write("x_ISA2_ST1.xml", part("2"));
  ScriptedScope ui;
  OutputJoiner joiner(Spec("XML", folder, "x"), {true, false, "UTF-8"});
  EXPECT_TRUE(joiner.AddPart(Spec("XML", folder, "x_ISA1")));
  EXPECT_TRUE(joiner.AddPart(Spec("XML", folder, "x_ISA2_ST1")));
  EXPECT_TRUE(joiner.Finish());
  EXPECT_EQ(ReadBytes(dir / "x.xml"),
            "<?xml version=\"1.0\"  encoding=\"UTF-8\"?>\r\n<EXPORTDATA>\r\n"
            "<CLAIM>\r\n<A>1</A>\r\n</CLAIM>\r\n<CLAIM>\r\n<A>2</A>\r\n</CLAIM>\r\n</EXPORTDATA>");
  EXPECT_TRUE(ui->HasLine("meter open: Concatenating | Please Stand By.."));
}

TEST(OutputJoinerTest, DbfTablesAppendTheirRows) {
  TempDir dir;
  const std::string folder = dir.path().string();
  const std::vector<std::pair<std::string, int>> fields = {{"F_000001", 4}, {"F_000002", 3}};
  dir.Write("a_123_ST1.dbf", Dbf(fields, {"AAAABBB", "CCCCDDD"}));
  dir.Write("a_123_ST2.dbf", Dbf(fields, {"EEEEFFF"}));
  OutputJoiner joiner(Spec("DBF", folder, "123"), {false, false, "ISO-8859-1"});
  ASSERT_TRUE(joiner.active());  // tables are joined whatever MERGEST says
  EXPECT_TRUE(joiner.AddPart(Spec("DBF", folder, "123_ST1")));
  EXPECT_TRUE(joiner.AddPart(Spec("DBF", folder, "123_ST2")));
  EXPECT_TRUE(joiner.Finish());
  const std::string joined = ReadBytes(dir / "a_123.dbf");
  EXPECT_EQ(DbfCount(joined), 3u);
  EXPECT_EQ(joined.substr(joined.size() - 25), " AAAABBB CCCCDDD EEEEFFF\x1A");
  EXPECT_FALSE(fs::exists(dir / "a_123_ST1.dbf"));
  EXPECT_FALSE(fs::exists(dir / "a_123_ST2.dbf"));

  // A table with other fields is not appended and stays for inspection.
  dir.Write("a_123_ST3.dbf", Dbf({{"F_000001", 5}}, {"XXXXX"}));
  ScriptedScope ui;
  std::string why;
  EXPECT_FALSE(AppendDbfTable(dir / "a_123.dbf", dir / "a_123_ST3.dbf", &why));
  EXPECT_EQ(why, "the tables have different fields");
  EXPECT_EQ(DbfCount(ReadBytes(dir / "a_123.dbf")), 3u);
}

TEST(OutputJoinerTest, Remittance835NeverErasesItsOwnTarget) {
  TempDir dir;
  const std::string folder = dir.path().string();
  // A single part is its own target: left as it is.
  dir.Write("pay.835", "ONLY PART~");
  OutputJoiner single(Spec("835", folder, "pay"), {});
  EXPECT_TRUE(single.AddPart(Spec("835", folder, "pay")));
  EXPECT_TRUE(single.Finish());
  EXPECT_EQ(ReadBytes(dir / "pay.835"), "ONLY PART~");
  // Parts replace what an earlier run left in the target.
  dir.Write("pay_ST1.835", "ONE~");
  dir.Write("pay_ST2.835", "TWO~");
  OutputJoiner joiner(Spec("835", folder, "pay"), {});
  EXPECT_TRUE(joiner.AddPart(Spec("835", folder, "pay_ST1")));
  EXPECT_TRUE(joiner.AddPart(Spec("835", folder, "pay_ST2")));
  EXPECT_TRUE(joiner.Finish());
  EXPECT_EQ(ReadBytes(dir / "pay.835"), "ONE~TWO~");
  EXPECT_FALSE(fs::exists(dir / "pay_ST1.835"));
}

TEST(OutputJoinerTest, LaterPartsMayGoStraightIntoTheJoinedFile) {
  TempDir dir;
  const std::string folder = dir.path().string();
  dir.Write("c_ST1.csv", "A,B\r\n1,2\r\n");
  OutputJoiner joiner(Spec("CSV", folder, "c", "HO"), {true, true, "ISO-8859-1"});
  EXPECT_FALSE(joiner.DirectTarget(Spec("CSV", folder, "c_ST1", "HO")));  // nothing joined yet
  EXPECT_TRUE(joiner.AddPart(Spec("CSV", folder, "c_ST1", "HO")));
  EXPECT_EQ(joiner.DirectTarget(Spec("CSV", folder, "c_ST2", "HO")), dir / "c.csv");
  EXPECT_TRUE(joiner.drops_first_line());
  dir.Write("c_ST3.csv", "left from an earlier run\r\n");  // written and joined as before
  EXPECT_FALSE(joiner.DirectTarget(Spec("CSV", folder, "c_ST3", "HO")));
  // MF: every part is the joined file itself.
  EXPECT_FALSE(joiner.DirectTarget(Spec("CSV", dir.path() / "c.csv", "c_ST4", "MF")));

  dir.Write("p_ST1.835", "ONE~");
  OutputJoiner remit(Spec("835", folder, "p"), {});
  EXPECT_TRUE(remit.AddPart(Spec("835", folder, "p_ST1")));
  EXPECT_FALSE(remit.DirectTarget(Spec("835", folder, "p_ST2")));
  OutputJoiner off(Spec("XML", folder, "x"), {false, false, "ISO-8859-1"});
  EXPECT_FALSE(off.DirectTarget(Spec("XML", folder, "x_ST2")));
}

TEST(OutputJoinerTest, AFailedJoinKeepsThePartFile) {
  TempDir dir;
  ScriptedScope ui;
  const std::string folder = dir.path().string();
  dir.Write("c_ST1.csv", "1,2\r\n");
  // The target's place is taken by a folder: it cannot be created.
  fs::create_directory(dir / "c.csv");
  OutputJoiner joiner(Spec("CSV", folder, "c"), {true, false, "ISO-8859-1"});
  EXPECT_FALSE(joiner.AddPart(Spec("CSV", folder, "c_ST1")));
  EXPECT_FALSE(joiner.Finish());
  EXPECT_TRUE(ui->HasLine("message: Error: Error CSV Multi ST Create"));
  EXPECT_EQ(ReadBytes(dir / "c_ST1.csv"), "1,2\r\n");
}

}  // namespace
}  // namespace ardentix::x12
