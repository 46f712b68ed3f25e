#include "x12/access.h"

#include <gtest/gtest.h>

#include <string>

#include "x12/loader.h"
#include "x12/test_support.h"

namespace ardentix::x12 {
namespace {

using testing::Isa;
using testing::ReadFixture;
using testing::ScriptedScope;
using testing::TempDir;

TEST(ElementAccessTest, NumberingSchemes) {
  struct Case {
    const char* text;
    std::size_t n;
    const char* element;  // ElementAt
    const char* field;    // FieldAt
    const char* lookup;   // LookupFieldAt
  } cases[] = {
      {"NM1*85*2*NAME", 0, "NM1", "", ""},
      {"NM1*85*2*NAME", 1, "85", "NM1", "NNM1"},
      {"NM1*85*2*NAME", 2, "2", "85", "85"},
      {"NM1*85*2*NAME", 3, "NAME", "2", "2"},
      {"NM1*85*2*NAME", 4, "", "NAME", "NAME"},
      {"NM1*85*2*NAME", 5, "", "", ""},
      {"REF*EI*", 2, "", "EI", "EI"},
      {"SV1*HC:99213*100", 1, "HC:99213", "SV1", "SSV1"},
      {"NOSEPARATOR", 0, "NOSEPARATOR", "", ""},
      {"", 0, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.n));
    EXPECT_EQ(ElementAt(c.text, c.n, '*'), c.element);
    EXPECT_EQ(FieldAt(c.text, c.n, '*'), c.field);
    EXPECT_EQ(LookupFieldAt(c.text, c.n, '*'), c.lookup);
  }
  EXPECT_EQ(FieldCount("A*B*C", '*'), 3u);
  EXPECT_EQ(FieldCount("REF*EI*", '*'), 2u);  // a separator in the last place is not counted
  EXPECT_EQ(FieldCount("", '*'), 1u);
}

TEST(ListScanTest, CountSegmentsOfKind) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_two_billing_three_subscribers.x12"));
  const SegmentList& list = f.list;
  EXPECT_EQ(CountSegmentsOfKind("ISA", list), 1u);
  EXPECT_EQ(CountSegmentsOfKind("ST", list), 1u);
  EXPECT_EQ(CountSegmentsOfKind("HL", list), 3u);  // subscriber levels only
  EXPECT_EQ(CountSegmentsOfKind("NM185", list), 2u);
  EXPECT_EQ(CountSegmentsOfKind("CLM", list), 0u);
  // The last record is not visited.
  EXPECT_EQ(CountSegmentsOfKind("ISA", list, 1), 0u);
}

TEST(ListScanTest, SetHeaderValue) {
  const X12File sets = LoadX12Bytes(ReadFixture("837p_three_sets.x12"));
  const std::size_t n = sets.list.size();
  EXPECT_EQ(SetHeaderValue(sets.list, n, 1, 1, "ST"), "837");
  EXPECT_EQ(SetHeaderValue(sets.list, n, 2, 3, "ST"), "005010X222A1");
  EXPECT_EQ(SetHeaderValue(sets.list, n, 1, 2, "ISA"), "000000004");
  EXPECT_EQ(SetHeaderValue(sets.list, n, 1, 4, "ISA"), "5010");
  // Request 10 of the k-th set: its first subscriber.
  EXPECT_EQ(SetHeaderValue(sets.list, n, 1, 10, "ST"), "DOE");
  EXPECT_EQ(SetHeaderValue(sets.list, n, 2, 10, "ST"), "POE");
  EXPECT_EQ(SetHeaderValue(sets.list, n, 3, 10, "ST"), "LOE");
  EXPECT_EQ(SetHeaderValue(sets.list, n, 4, 10, "ST"), "");
  EXPECT_EQ(SetHeaderValue(sets.list, n, 2, 11, "ST"), "SUBMITTER CLINIC");
  EXPECT_EQ(SetHeaderValue(sets.list, n, 1, 99, "ST"), "");
  const X12File ack = LoadX12Bytes(ReadFixture("997_ack.x12"));
  EXPECT_EQ(SetHeaderValue(ack.list, ack.list.size(), 1, 4, "ISA"), "4010");
  const X12File odd = LoadX12Bytes(Isa('*', ':', '^', "99999") + "~GS*HC~IEA*1*1~");
  EXPECT_EQ(SetHeaderValue(odd.list, odd.list.size(), 1, 4, "ISA"), "99999");
}

TEST(ListScanTest, SegmentSearch) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_one_billing_three_subscribers.x12"));
  const SegmentList& list = f.list;
  const std::size_t n = list.size();
  auto search = [&](std::size_t start, SearchSpec spec) {
    return SegmentSearch(start, list, n, spec);
  };
  // Qualifier by prefix, field numbering with the id as field 1.
  EXPECT_EQ(search(1, {"NM1", "40", 4}), "RECEIVER PLAN");
  EXPECT_EQ(search(1, {"NM1", "4", 4}), "SUBMITTER CLINIC");
  EXPECT_EQ(search(1, {"NM1", "", 1}), "NNM1");
  // The HL limit: 1 ends the walk at the first HL, 2 at the second.
  EXPECT_EQ(search(1, {"NM1", "85", 4, "", "", 1}), "");
  EXPECT_EQ(search(1, {"NM1", "85", 4, "", "", 2}), "BILLING ONE");
  EXPECT_EQ(search(1, {"NM1", "IL", 4, "", "", 2}), "");
  // A follow-up segment: the N4 after the billing provider...
  EXPECT_EQ(search(1, {"NM1", "85", 2, "N4", "", 9}), "TOWN");
  // ...and with a qualifier the walk stops at the next NM1.
  EXPECT_EQ(search(1, {"NM1", "85", 2, "DMG", "", 9}), "");
  EXPECT_EQ(search(1, {"NM1", "", 2, "DMG", "", 9}), "D8");
  EXPECT_EQ(search(1, {"XYZ", "", 2, "", "", 9}), "");
}

TEST(ListScanTest, HeaderValue) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_one_billing_three_subscribers.x12"));
  const std::size_t n = f.list.size();
  EXPECT_EQ(HeaderValue(f.list, n, "TRANSACTIONSETDATE"), "20230101");
  EXPECT_EQ(HeaderValue(f.list, n, "TRANSACTIONSETTIME"), "1200");
  EXPECT_EQ(HeaderValue(f.list, n, "INTERCHANGESENDERID"), "SUBMITTER      ");
  EXPECT_EQ(HeaderValue(f.list, n, "INTERCHANGERECEIVERID"), "RECEIVER       ");
  EXPECT_EQ(HeaderValue(f.list, n, "APPLICATIONSENDERID"), "SUBMITTER");
  EXPECT_EQ(HeaderValue(f.list, n, "APPLICATIONRECEIVERID"), "RECEIVER");
  EXPECT_EQ(HeaderValue(f.list, n, "SOMETHINGELSE"), "");
  // A BHT behind the first HL is not found.
  const X12File late = LoadX12Bytes(Isa() +
                                    "~GS*HC~ST*837*1~HL*1**20*1~BHT*0019*00*1*20230101~"
                                    "SE*4*1~IEA*1*1~");
  EXPECT_EQ(HeaderValue(late.list, late.list.size(), "TRANSACTIONSETDATE"), "");
}

TEST(TextUtilityTest, FormatValueAndHelpers) {
  struct Case {
    const char* value;
    const char* kind;
    const char* expected;
  } cases[] = {
      {"100", "$", "100.00"},    {"12.5", "$", "12.50"},
      {"12.50", "$", "12.50"},   {"5", "$", "5.00"},
      {"", "$", ".00"},          {"20120131", "D", "01/31/2012"},
      {"120131", "D", "120131"}, {"20120131", "X", "20120131"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatValue(c.value, c.kind), c.expected) << c.value << " " << c.kind;
  }
  EXPECT_EQ(StripFirstLine("HEAD\r\nrow1\r\n"), "\nrow1\r\n");
  EXPECT_EQ(StripFirstLine("no carriage return\n"), "");
  EXPECT_TRUE(HasDot("a.b"));
  EXPECT_FALSE(HasDot("ab"));
  EXPECT_EQ(BeforeDot("claims.x12"), "claims");
  EXPECT_EQ(BeforeDot("claims"), "claims");
  EXPECT_EQ(DotPart("a.b.c", 0), "a");
  EXPECT_EQ(DotPart("a.b.c", 2), "c");
  EXPECT_EQ(DotPart("a.b.c", 3), "");
  EXPECT_EQ(CommaField("A,B,C,D,E", 4), "D");
  EXPECT_EQ(CommaField("A,B,C,D,E", 5), "");
  EXPECT_EQ(CommaField("A,B", 3), "");
}

TEST(FileSizeOfTest, LastMatchingEntryWithContent) {
  TempDir dir;
  dir.Write("a.x12", "12345");
  dir.Write("B.X12", "1234567");
  dir.Write("c.x12", "");
  dir.Write("d.txt", "123");
  EXPECT_EQ(FileSizeOf(dir / "*.x12"), 7u);  // B.X12 is last among the non-empty ones
  EXPECT_EQ(FileSizeOf(dir / "a.x12"), 5u);
  EXPECT_EQ(FileSizeOf(dir / "?.TXT"), 3u);
  EXPECT_EQ(FileSizeOf(dir / "c.x12"), 0u);
  EXPECT_EQ(FileSizeOf(dir / "*.none"), 0u);
  EXPECT_EQ(FileSizeOf(dir / "missing.x12"), 0u);
}

TEST(BlockReadTest, ModesCutALargeFileAtClaimLevels) {
  TempDir dir;
  const std::string bytes = ReadFixture("837p_two_billing_three_subscribers.x12");
  const auto file = dir.Write("big.x12", bytes);
  const X12Delimiters d{'~', '*', ':', '^'};
  EXPECT_EQ(BlockRead(file, d, 10, 20, 2), bytes.substr(10, 20));
  EXPECT_EQ(BlockRead(file, d, bytes.size() - 5, 100, 2), bytes.substr(bytes.size() - 5));
  std::string header = bytes.substr(0, bytes.find("BHT"));
  std::erase(header, '\n');
  EXPECT_EQ(BlockRead(file, d, 0, 0, 3), header);
  EXPECT_TRUE(header.ends_with("~ST*837*0001*005010X222A1~"));
  // Mode 1 reads at the given position: the cut lies before the last
  // subscriber or billing-provider HL of the block.
  const std::size_t third_hl = bytes.find("HL*3*");
  const std::size_t fourth_hl = bytes.find("HL*4*");
  for (std::uint64_t position : {std::uint64_t{0}, std::uint64_t{200}}) {
    const std::string cut = BlockRead(file, d, position, fourth_hl - position + 20, 1);
    ASSERT_NE(cut, "0");
    const std::uint64_t next = position + std::stoull(cut);
    EXPECT_EQ(bytes.substr(next, 5), "\nHL*4") << position;
  }
  EXPECT_EQ(BlockRead(file, d, third_hl + 1, 30, 1), "0");
  ScriptedScope ui;
  EXPECT_EQ(BlockRead(dir / "missing.x12", d, 0, 10, 1), "0");
  EXPECT_EQ(BlockRead(dir / "missing.x12", d, 0, 10, 2), "");
  EXPECT_FALSE(ui->transcript().empty());
}

}  // namespace
}  // namespace ardentix::x12
