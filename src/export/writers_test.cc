#include "export/writers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "export/writer_test_support.h"
#include "export/xml_writer.h"

namespace ardentix {
namespace {

using testing::Columns;
using testing::Export;
using testing::GoldenPath;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::Rows;
using testing::TempDir;
using testing::WriteBytes;

// xmllint must accept every XML file the writer makes.
void ExpectWellFormed(const std::string& path) {
  if (!testing::HaveProgram("xmllint")) {
    std::cerr << "xmllint not installed (libxml2-utils): well-formedness not checked\n";
    return;
  }
  testing::CommandResult r = testing::Run("xmllint --noout " + testing::ShellQuote(path));
  EXPECT_EQ(r.status, 0) << path << ":\n" << r.output;
}

TEST(ValueCleaners, BlankTheirCharactersAndKeepTheLength) {
  EXPECT_EQ(CsvClean("SMITH, JR,"), "SMITH  JR ");
  EXPECT_EQ(CsvClean("A|B&C"), "A|B&C");
  EXPECT_EQ(XmlClean("SMITH & JONES <X> \"Q\" *"), "SMITH   JONES  X   Q   ");
  EXPECT_EQ(XmlClean("A,B"), "A,B");
  std::string v = "a,&";
  CsvCleanInPlace(v);
  XmlCleanInPlace(v);
  EXPECT_EQ(v, "a  ");
}

TEST(WriterFactory, OneWriterPerFormatCode) {
  for (const char* code : {"A", "B", "C", "D", "a", "b"})
    EXPECT_NE(MakeOutputWriter(code), nullptr) << code;
  EXPECT_EQ(MakeOutputWriter("E"), nullptr);
  EXPECT_EQ(MakeOutputWriter(""), nullptr);
}

// ---- byte-exact outputs --------------------------------------------------------

struct GoldenCase {
  std::string name;  // also the golden file
  std::string format;
  std::vector<WriterColumn> columns;
  Rows rows;
  std::vector<std::vector<ValueMark>> marks;
  WriterOptions options;
  std::size_t notices = 0;
};

WriterOptions With(void (*set)(WriterOptions&)) {
  WriterOptions o;
  set(o);
  return o;
}

const auto kColumns = Columns({{"SUBLNAME", 35}, {"SUBFNAME", 35}, {"CLAIMID", 20}});
const Rows kCsvRows = {{"SMITH, JR", "JOHN", "C1"}, {"DOE\tX\r\n", "JANE", ""}, {"", "", ""}};
const Rows kXmlRows = {{"SMITH & JONES", "", "C<1>"}, {"O\"NEIL*", "ANN", " "}};
constexpr ValueMark P = ValueMark::kPlain;
constexpr ValueMark D = ValueMark::kDetail;

std::vector<GoldenCase> GoldenCases() {
  return {
      {"header.csv", "A", kColumns, kCsvRows, {}, With([](WriterOptions& o) { o.header = true; })},
      {"no_header.csv", "A", kColumns, kCsvRows, {}, {}},
      // A separate.dat of several bytes: values lose that separator, not "|" or ",".
      {"separator.csv",
       "A",
       kColumns,
       {{"A||B", "x|y", "C,D"}, {"a|||b", "||", ""}},
       {},
       With([](WriterOptions& o) {
         o.header = true;
         o.separator = "||";
       })},
      {"837.xml", "B", kColumns, kXmlRows, {}, {}},
      {"837_drop_empty.xml", "B", kColumns, kXmlRows, {}, With([](WriterOptions& o) {
         o.drop_empty_fields = true;
       })},
      {"835.xml", "B", kColumns, kXmlRows, {}, With([](WriterOptions& o) {
         o.xml_layout = XmlRecordLayout::k835;
       })},
      {"277.xml", "B", kColumns, kXmlRows, {}, With([](WriterOptions& o) {
         o.xml_layout = XmlRecordLayout::k277;
       })},
      {"271.xml", "B", kColumns, kXmlRows, {{P, P, D}, {D, P, P}}, With([](WriterOptions& o) {
         o.xml_layout = XmlRecordLayout::k271;
       })},
      {"names.xml",
       "B",
       Columns({{"1ST", 1}, {"A B", 1}, {"", 1}, {"OK", 1}, {"X&Y", 1}}),
       {{"a", "b", "c", "d", "e"}},
       {},
       {},
       4},
      {"utf8.xml",
       "B",
       Columns({{"SUBLNAME", 35}}),
       {{"JOS\xC9"}, {"\x80 100"}},
       {},
       With([](WriterOptions& o) { o.xml_encoding = "UTF-8"; })},
  };
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, WritesTheDocumentedBytes) {
  const GoldenCase& c = GetParam();
  TempDir dir;
  const std::string out = dir / c.name;
  auto w = MakeOutputWriter(c.format);
  WriterStatus s = w->Open(out, c.columns, c.options);
  for (std::size_t i = 0; s && i < c.rows.size(); ++i)
    s = c.marks.empty() ? w->WriteRow(c.rows[i]) : w->WriteRow(c.rows[i], c.marks[i]);
  if (s) s = w->Close();
  ASSERT_TRUE(s) << s.reason;
  EXPECT_EQ(ReadBytes(out), ReadBytes(GoldenPath(c.name)));
  EXPECT_EQ(w->rows_written(), c.rows.size());
  EXPECT_EQ(w->notices().size(), c.notices) << ::testing::PrintToString(w->notices());
  EXPECT_EQ(dir.Names(), std::vector<std::string>{c.name}) << "scratch file left behind";
  if (c.format == "B") ExpectWellFormed(out);
}

INSTANTIATE_TEST_SUITE_P(Writers, Golden, ::testing::ValuesIn(GoldenCases()), [](const auto& info) {
  std::string n = info.param.name;
  for (char& ch : n)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
});

// ---- comma-separated -----------------------------------------------------------

TEST(CsvWriter, AColumnLimitCutsEveryLineAndEndsItWithOneSeparator) {
  TempDir dir;
  WriterOptions o;
  o.header = true;
  o.column_limit = 2;
  ASSERT_TRUE(Export(*MakeOutputWriter("A"), dir / "x.csv", kColumns, {{"1", "2", "3"}}, o));
  EXPECT_EQ(ReadBytes(dir / "x.csv"), "SUBLNAME,SUBFNAME,\r\n1,2,\r\n");
}

TEST(CsvWriter, EmptyOutputAndEmptyNames) {
  TempDir dir;
  ASSERT_TRUE(Export(*MakeOutputWriter("A"), dir / "empty.csv", kColumns, {}, {}));
  EXPECT_EQ(ReadBytes(dir / "empty.csv"), "");
  WriterOptions o;
  o.header = true;
  ASSERT_TRUE(Export(*MakeOutputWriter("A"), dir / "one.csv", Columns({{"", 1}}), {{""}}, o));
  EXPECT_EQ(ReadBytes(dir / "one.csv"), "\r\n\r\n");
}

TEST(CsvWriter, AppendingKeepsTheFileAndWritesTheHeaderOnlyOnce) {
  TempDir dir;
  WriterOptions o;
  o.header = true;
  o.append = true;
  const std::string out = dir / "merged.csv";
  ASSERT_TRUE(Export(*MakeOutputWriter("A"), out, Columns({{"N", 1}}), {{"1"}}, o));
  ASSERT_TRUE(Export(*MakeOutputWriter("A"), out, Columns({{"N", 1}}), {{"2"}}, o));
  EXPECT_EQ(ReadBytes(out), "N\r\n1\r\n2\r\n");
}

// ---- XML -------------------------------------------------------------------------

struct EncodingCase {
  std::string setting;
  std::string declared;
  std::string content;  // what "\xC9\x80\xA4" becomes
  bool notice;
};

TEST(XmlWriter, WritesEveryCharacterInTheDeclaredEncoding) {
  // É (0xC9), € (0x80 in windows-1252), ¤ (0xA4).
  const std::vector<EncodingCase> cases = {
      {"ISO-8859-1", "ISO-8859-1", "\xC9&#8364;\xA4", false},
      {"UTF-8", "UTF-8", "\xC3\x89\xE2\x82\xAC\xC2\xA4", false},
      {"utf8", "utf8", "\xC3\x89\xE2\x82\xAC\xC2\xA4", false},
      {"US-ASCII", "US-ASCII", "&#201;&#8364;&#164;", false},
      {"windows-1252", "windows-1252", "\xC9\x80\xA4", false},
      {"ISO-8859-15", "ISO-8859-15", "\xC9\xA4&#164;", false},  // through iconv
      {"UTF-16", "ISO-8859-1", "\xC9&#8364;\xA4", true},        // not ASCII-compatible
      {"NO-SUCH-CODESET", "ISO-8859-1", "\xC9&#8364;\xA4", true},
      {"UTF-8\"?><x", "ISO-8859-1", "\xC9&#8364;\xA4", true},  // not a name
      {"UTF 8", "ISO-8859-1", "\xC9&#8364;\xA4", true},
  };
  const bool lint = testing::HaveProgram("xmllint");
  for (const EncodingCase& c : cases) {
    TempDir dir;
    const std::string out = dir / "e.xml";
    WriterOptions o;
    o.xml_encoding = c.setting;
    auto w = MakeOutputWriter("B");
    WriterStatus s = Export(*w, out, Columns({{"V", 9}}), {{"\xC9\x80\xA4"}}, o);
    ASSERT_TRUE(s) << c.setting << ": " << s.reason;
    EXPECT_EQ(ReadBytes(out), "<?xml version=\"1.0\"  encoding=\"" + c.declared +
                                  "\"?>\r\n<EXPORTDATA>\r\n<CLAIM>\r\n<V>" + c.content +
                                  "</V>\r\n</CLAIM>\r\n</EXPORTDATA>")
        << c.setting;
    EXPECT_EQ(w->notices().size(), c.notice ? 1u : 0u) << c.setting;
    if (lint) {
      // An independent parser reads the same three characters back.
      testing::CommandResult r =
          testing::Run("xmllint --xpath 'string(//V)' " + testing::ShellQuote(out));
      EXPECT_EQ(r.status, 0) << c.setting << ": " << r.output;
      EXPECT_EQ(r.output, "\xC3\x89\xE2\x82\xAC\xC2\xA4\n") << c.setting;
    }
  }
}

TEST(XmlWriter, ControlBytesAndMarkupInValuesCannotBreakTheFile) {
  TempDir dir;
  const std::string out = dir / "c.xml";
  ASSERT_TRUE(Export(*MakeOutputWriter("B"), out, Columns({{"V", 9}}),
                     {{std::string("A\x01\x1F\tB\0C]]>&amp;", 15)}}, {}));
  EXPECT_THAT(ReadBytes(out), HasSubstr("<V>A   B C]]  amp;</V>"));
  ExpectWellFormed(out);
}

TEST(XmlWriter, AppendingAddsRecordsInsideTheRoot) {
  TempDir dir;
  const std::string out = dir / "merged.xml";
  WriterOptions o;
  o.append = true;
  ASSERT_TRUE(Export(*MakeOutputWriter("B"), out, kColumns, {kXmlRows[0]}, o));
  ASSERT_TRUE(Export(*MakeOutputWriter("B"), out, kColumns, {kXmlRows[1]}, o));
  EXPECT_EQ(ReadBytes(out), ReadBytes(GoldenPath("837.xml")));

  // A file that is not one of our exports is left alone.
  const std::string other = dir / "other.xml";
  WriteBytes(other, "<?xml version=\"1.0\"?><notes/>");
  WriterStatus s = Export(*MakeOutputWriter("B"), other, kColumns, {kXmlRows[0]}, o);
  EXPECT_FALSE(s);
  EXPECT_EQ(ReadBytes(other), "<?xml version=\"1.0\"?><notes/>");
  // Nor is an export declared in another encoding.
  o.xml_encoding = "UTF-8";
  s = Export(*MakeOutputWriter("B"), out, kColumns, {kXmlRows[0]}, o);
  EXPECT_FALSE(s);
  EXPECT_THAT(s.reason, HasSubstr("UTF-8"));
  EXPECT_EQ(ReadBytes(out), ReadBytes(GoldenPath("837.xml")));
}

// ---- failures ---------------------------------------------------------------------

TEST(WriterFailures, AnUnfinishedExportLeavesTheOldFileAsItWas) {
  for (const char* format : {"A", "B"}) {
    TempDir dir;
    const std::string out = dir / "old.out";
    WriteBytes(out, "OLD CONTENT");
    chmod(out.c_str(), 0640);
    {
      auto w = MakeOutputWriter(format);
      ASSERT_TRUE(w->Open(out, kColumns, {}));
      ASSERT_TRUE(w->WriteRow(kXmlRows[0]));
      EXPECT_EQ(ReadBytes(out), "OLD CONTENT") << format;
    }  // destroyed without Close
    EXPECT_EQ(ReadBytes(out), "OLD CONTENT") << format;
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"old.out"}) << format;

    ASSERT_TRUE(Export(*MakeOutputWriter(format), out, kColumns, {kXmlRows[0]}, {}));
    EXPECT_NE(ReadBytes(out), "OLD CONTENT") << format;
    struct stat st {};
    ASSERT_EQ(stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << format << ": the old file's mode is kept";
  }
}

TEST(WriterFailures, OpenWriteAndCloseFailuresComeBackWithTheirReason) {
  TempDir dir;
  for (const char* format : {"A", "B", "C"}) {
    auto w = MakeOutputWriter(format);
    const std::string missing = dir / "no/such/folder/x.out";
    WriterStatus s = w->Open(missing, kColumns, {});
    ASSERT_FALSE(s) << format;
    EXPECT_THAT(s.reason, HasSubstr("no/such/folder")) << format;
    EXPECT_THAT(s.reason, HasSubstr("No such file or directory")) << format;
    EXPECT_EQ(w->failures(), 1u);
    // A failed writer stays failed.
    EXPECT_EQ(w->WriteRow(kXmlRows[0]).reason, s.reason) << format;
    EXPECT_EQ(w->Close().reason, s.reason) << format;
  }
  if (std::filesystem::exists("/dev/full")) {
    for (const char* format : {"A", "B"}) {
      auto w = MakeOutputWriter(format);
      WriterStatus s = Export(*w, "/dev/full", kColumns, {kXmlRows[0]}, {});
      ASSERT_FALSE(s) << format;
      EXPECT_THAT(s.reason, HasSubstr("No space left on device")) << format;
    }
  }
  auto w = MakeOutputWriter("A");
  ASSERT_TRUE(w->Open(dir / "x.csv", kColumns, {}));
  WriterStatus s = w->WriteRow(std::vector<std::string>{"only one"});
  EXPECT_FALSE(s);
  EXPECT_THAT(s.reason, HasSubstr("1 values for 3 columns"));
}

}  // namespace
}  // namespace ardentix
