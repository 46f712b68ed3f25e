#include "export/dbf_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "export/writer_test_support.h"
#include "export/writers.h"

namespace ardentix {
namespace {

using testing::Columns;
using testing::Export;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::Rows;
using testing::TempDir;
using testing::WriteBytes;

WriterOptions Dated(int y, int m, int d) {
  WriterOptions o;
  o.date_year = y;
  o.date_month = m;
  o.date_day = d;
  return o;
}

// A table of two character fields (3 and 5 wide), spelled out byte by byte.
std::string Descriptor(const std::string& name, int length) {
  std::string d = name + std::string(11 - name.size(), '\0');
  d += 'C';
  d += std::string(4, '\0');
  d += static_cast<char>(length);
  d += std::string(15, '\0');
  return d;
}
std::string TwoFieldTable(char yy, char mm, char dd, char count, const std::string& records) {
  std::string h;
  h += '\x03';
  h += yy;
  h += mm;
  h += dd;
  h += count;
  h += std::string(3, '\0');
  h += '\x61';  // header length 97 = 32 + 2 * 32 + 1
  h += '\0';
  h += '\x09';  // record length 9 = 1 + 3 + 5
  h += '\0';
  h += std::string(17, '\0');
  h += '\x57';  // windows-1252
  h += std::string(2, '\0');
  return h + Descriptor("F_000001", 3) + Descriptor("F_000002", 5) + "\x0D" + records + "\x1A";
}

const auto kTwo = Columns({{"SUBLNAME", 3}, {"SUBFNAME", 5}});

TEST(DbfWriter, CreatesAndAppendsTheDocumentedBytes) {
  TempDir dir;
  const std::string out = dir / "claims.dbf";
  auto w = MakeOutputWriter("C");
  WriterStatus s = Export(*w, out, kTwo, {{"AB", "HELLO WORLD"}, {"XYZW", ""}}, Dated(2024, 3, 5));
  ASSERT_TRUE(s) << s.reason;
  EXPECT_EQ(ReadBytes(out), TwoFieldTable(124, 3, 5, 2, " AB HELLO XYZ     "));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"claims.dbf"}) << "no work tables";

  // A later export adds its records; the count and the date follow.
  s = Export(*MakeOutputWriter("C"), out, kTwo, {{"Q", "R"}}, Dated(2025, 12, 31));
  ASSERT_TRUE(s) << s.reason;
  EXPECT_EQ(ReadBytes(out), TwoFieldTable(125, 12, 31, 3, " AB HELLO XYZ      Q  R    "));
}

TEST(DbfWriter, RefusesToAppendToATableWithOtherFields) {
  TempDir dir;
  const std::string out = dir / "claims.dbf";
  ASSERT_TRUE(Export(*MakeOutputWriter("C"), out, kTwo, {{"AB", "CD"}}, Dated(2024, 3, 5)));
  const std::string before = ReadBytes(out);
  struct Case {
    std::vector<WriterColumn> columns;
    std::string why;
  };
  const std::vector<Case> cases = {
      {Columns({{"A", 3}, {"B", 6}}), "F_000002 has width 5, not 6"},
      {Columns({{"A", 3}}), "the table has 2 fields, the export 1"},
      {Columns({{"A", 3}, {"B", 5}, {"C", 1}}), "the table has 2 fields, the export 3"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> row(c.columns.size(), "X");
    WriterStatus s = Export(*MakeOutputWriter("C"), out, c.columns, {row}, Dated(2025, 1, 1));
    ASSERT_FALSE(s);
    EXPECT_THAT(s.reason, HasSubstr(c.why));
    EXPECT_THAT(s.reason, HasSubstr("nothing was appended"));
    EXPECT_EQ(ReadBytes(out), before);
  }
  // Field names count too: a table written by another program.
  std::string renamed = before;
  renamed.replace(32, 8, "NAME_ONE");
  WriteBytes(out, renamed);
  WriterStatus s = Export(*MakeOutputWriter("C"), out, kTwo, {{"X", "Y"}}, {});
  EXPECT_FALSE(s);
  EXPECT_THAT(s.reason, HasSubstr("field 1 is NAME_ONE, not F_000001"));
  EXPECT_EQ(ReadBytes(out), renamed);
  // And a file that is no table at all is left alone.
  WriteBytes(out, "name,value\r\n");
  EXPECT_FALSE(Export(*MakeOutputWriter("C"), out, kTwo, {{"X", "Y"}}, {}));
  EXPECT_EQ(ReadBytes(out), "name,value\r\n");
}

TEST(DbfWriter, AnUnfinishedAppendLeavesTheTableAsItWas) {
  TempDir dir;
  const std::string out = dir / "claims.dbf";
  ASSERT_TRUE(Export(*MakeOutputWriter("C"), out, kTwo, {{"AB", "CD"}}, Dated(2024, 3, 5)));
  const std::string before = ReadBytes(out);
  {
    auto w = MakeOutputWriter("C");
    ASSERT_TRUE(w->Open(out, kTwo, {}));
    // Enough records to pass through the buffer into the file.
    const std::vector<std::string> row = {"1", "2"};
    for (int i = 0; i < 150000; ++i) ASSERT_TRUE(w->WriteRow(row));
    EXPECT_GT(ReadBytes(out).size(), before.size() + 1000000);
  }  // destroyed without Close
  EXPECT_EQ(ReadBytes(out), before);
}

TEST(DbfWriter, DigitNamesGetThePrefixOnTheFileNameOnly) {
  struct Case {
    std::string path;
    bool prefix;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"1abc.dbf", true, "a_1abc.dbf"},
      {"/data/9dir/1abc.dbf", true, "/data/9dir/a_1abc.dbf"},
      {"/data/9dir/abc.dbf", true, "/data/9dir/abc.dbf"},
      {"9dir/abc.dbf", true, "9dir/abc.dbf"},
      {"/data/1abc.dbf", false, "/data/1abc.dbf"},
  };
  for (const Case& c : cases) EXPECT_EQ(DbfOutputPath(c.path, c.prefix), c.expected) << c.path;

  TempDir dir;
  WriterOptions o = Dated(2024, 3, 5);
  o.prefix_digit_names = true;
  auto w = MakeOutputWriter("C");
  ASSERT_TRUE(Export(*w, dir / "835.dbf", kTwo, {{"A", "B"}}, o));
  EXPECT_EQ(w->target(), dir / "a_835.dbf");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"a_835.dbf"});
  // When the prefixed table exists the export is refused, as documented.
  WriterStatus s = Export(*MakeOutputWriter("C"), dir / "835.dbf", kTwo, {{"A", "B"}}, o);
  EXPECT_FALSE(s);
  EXPECT_EQ(s.reason, kDbfDigitNameError);
}

TEST(DbfWriter, FieldsOutsideWhatATableHoldsAreRefused) {
  TempDir dir;
  for (int width : {0, 255}) {
    WriterStatus s = Export(*MakeOutputWriter("C"), dir / "w.dbf", Columns({{"A", width}}), {}, {});
    EXPECT_FALSE(s) << width;
    EXPECT_THAT(s.reason, HasSubstr("1 to 254"));
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "w.dbf"));
  // A column limit keeps the first columns; rows still carry every value.
  WriterOptions o = Dated(2024, 3, 5);
  o.column_limit = 1;
  ASSERT_TRUE(Export(*MakeOutputWriter("C"), dir / "l.dbf", kTwo, {{"A", "B"}}, o));
  std::optional<DbfTable> t = ReadDbfTable(dir / "l.dbf");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->fields, (std::vector<DbfField>{{"F_000001", 'C', 3, 0}}));
  EXPECT_EQ(t->records, (std::vector<std::vector<std::string>>{{"A  "}}));
}

TEST(DbfReader, ReadsWhatTheWriterWroteAndCopesWithDamage) {
  TempDir dir;
  const std::string out = dir / "r.dbf";
  ASSERT_TRUE(
      Export(*MakeOutputWriter("C"), out, kTwo, {{"AB", "HELLO"}, {"C", ""}}, Dated(2024, 3, 5)));
  DbfReader r;
  ASSERT_TRUE(r.Open(out)) << r.error();
  EXPECT_EQ(r.version(), 3);
  EXPECT_EQ(r.year(), 2024);
  EXPECT_EQ(r.month(), 3);
  EXPECT_EQ(r.day(), 5);
  EXPECT_EQ(r.fields(), (std::vector<DbfField>{{"F_000001", 'C', 3, 0}, {"F_000002", 'C', 5, 0}}));
  ASSERT_EQ(r.record_count(), 2u);
  std::vector<std::string> values;
  bool deleted = true;
  ASSERT_TRUE(r.Read(1, values, &deleted));
  EXPECT_EQ(values, (std::vector<std::string>{"C  ", "     "}));
  EXPECT_FALSE(deleted);
  EXPECT_FALSE(r.Read(2, values));

  // A file cut short holds fewer records than its header says.
  std::string bytes = ReadBytes(out);
  WriteBytes(dir / "cut.dbf", bytes.substr(0, bytes.size() - 10));
  ASSERT_TRUE(r.Open(dir / "cut.dbf")) << r.error();
  EXPECT_EQ(r.header_record_count(), 2u);
  EXPECT_EQ(r.record_count(), 1u);

  for (const std::string& junk :
       {std::string("not a table"), std::string(40, '\x03'), std::string()}) {
    WriteBytes(dir / "junk.dbf", junk);
    EXPECT_FALSE(r.Open(dir / "junk.dbf"));
    EXPECT_FALSE(r.error().empty());
  }
}

// ---- other programs read our tables ---------------------------------------------

const auto kCheckColumns = Columns({{"CLAIMID", 8}, {"SUBLNAME", 35}, {"SUBSEX", 1}});
const Rows kCheckRows = {{"C0000001", "SMITH", "M"},
                         {"C0000002-LONGER", "JOS\xC9", "F"},  // cut to 8; windows-1252 É
                         {"", "", ""}};

TEST(DbfIndependentReaders, PythonDbfreadAgrees) {
  // Debian's python3-dbfread serves the system interpreter, which may not be
  // the first python3 on the PATH.
  std::string python;
  for (const char* candidate : {"/usr/bin/python3", "python3"})
    if (python.empty() && testing::Run(std::string(candidate) + " -c 'import dbfread'").status == 0)
      python = candidate;
  if (python.empty()) GTEST_SKIP() << "python3-dbfread not installed";
  TempDir dir;
  const std::string out = dir / "check.dbf";
  ASSERT_TRUE(Export(*MakeOutputWriter("C"), out, kCheckColumns, kCheckRows, {}));
  const std::string script =
      "import dbfread,sys\n"
      "t=dbfread.DBF(sys.argv[1])\n"
      "print(len(t.fields),len(t))\n"
      "for f in t.fields: print(f.name,f.type,f.length)\n"
      "for r in t: print('|'.join(r.values()))\n";
  testing::WriteBytes(dir / "read.py", script);
  testing::CommandResult r =
      testing::Run(python + " " + (dir / "read.py") + " " + testing::ShellQuote(out));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output,
            "3 3\n"
            "F_000001 C 8\n"
            "F_000002 C 35\n"
            "F_000003 C 1\n"
            "C0000001|SMITH|M\n"
            "C0000002|JOS\xC3\x89|F\n"
            "||\n");

  // The default 255 fields fit too.
  std::vector<WriterColumn> many;
  for (int i = 0; i < 255; ++i) many.push_back({"N" + std::to_string(i), 2});
  ASSERT_TRUE(Export(*MakeOutputWriter("C"), dir / "many.dbf", many,
                     {std::vector<std::string>(255, "xy")}, {}));
  r = testing::Run(python + " " + (dir / "read.py") + " " + (dir / "many.dbf") + " | head -1");
  EXPECT_EQ(r.output, "255 1\n");
}

TEST(DbfIndependentReaders, GdalOgrinfoAgrees) {
  if (!testing::HaveProgram("ogrinfo")) GTEST_SKIP() << "ogrinfo not installed (gdal-bin)";
  TempDir dir;
  const std::string out = dir / "check.dbf";
  ASSERT_TRUE(Export(*MakeOutputWriter("C"), out, kCheckColumns, kCheckRows, {}));
  testing::CommandResult r = testing::Run("ogrinfo -ro -al " + testing::ShellQuote(out));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(r.output, HasSubstr("Feature Count: 3"));
  EXPECT_THAT(r.output, HasSubstr("F_000001: String (8.0)"));
  EXPECT_THAT(r.output, HasSubstr("F_000002: String (35.0)"));
  EXPECT_THAT(r.output, HasSubstr("F_000003: String (1.0)"));
  EXPECT_THAT(r.output, HasSubstr("F_000001 (String) = C0000002\n"));
  EXPECT_THAT(r.output, HasSubstr("F_000002 (String) = JOS\xC3\x89\n"));
  const std::regex feature(R"(OGRFeature\(check\):)");
  EXPECT_EQ(std::distance(std::sregex_iterator(r.output.begin(), r.output.end(), feature),
                          std::sregex_iterator()),
            3);
}

}  // namespace
}  // namespace ardentix
