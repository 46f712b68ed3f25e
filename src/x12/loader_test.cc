#include "x12/loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "x12/access.h"
#include "x12/test_support.h"

namespace ardentix::x12 {
namespace {

using testing::FixturePath;
using testing::Isa;
using testing::ReadFixture;
using testing::ScriptedScope;
using testing::TempDir;

// Record numbers of the records whose id is `id`.
std::vector<std::size_t> RecordsWithId(const SegmentList& list, std::string_view id) {
  std::vector<std::size_t> out;
  for (std::size_t i = 1; i <= list.size(); ++i) {
    if (list.Id(i) == id) out.push_back(i);
  }
  return out;
}

struct DelimiterCase {
  const char* name;
  std::string bytes;
  char terminator, element, component;
  bool complete;
};

TEST(DetectDelimitersTest, ReadsTheInterchangeHeader) {
  const std::string isa = Isa();
  std::string wrapped = isa.substr(0, 40) + "\r\n" + isa.substr(40, 50) + "\r\n" + isa.substr(90);
  std::string short_fields = "ISA*00*0*00*0*ZZ*S*ZZ*R*230101*1200*^*00501*000000001*0*T*:~GS*HC~";
  const DelimiterCase cases[] = {
      {"plain", isa + "~GS*HC~", '~', '*', ':', true},
      {"crlf pairs inside the isa", wrapped + "~\r\nGS*HC~", '~', '*', ':', true},
      {"line feed terminator", isa + "\nGS*HC\n", '\n', '*', ':', true},
      {"cr lf after isa16 is the terminator pair", isa + "\r\nGS*HC\r\n", '\r', '*', ':', true},
      {"line break in front of the real terminator", isa + "\n~GS*HC\n~", '~', '*', ':', true},
      {"control characters", Isa('\x1d', '\x1f', '\x1e') + "\x1cGS\x1dHC\x1c", '\x1c', '\x1d',
       '\x1f', true},
      {"isa not fixed width", short_fields, '~', '*', ':', true},
      {"cut short", isa.substr(0, 60), ' ', ' ', ' ', false},
      {"blank separator", Isa(' ', ':') + "~GS HC~", '~', ' ', ':', true},
  };
  for (const DelimiterCase& c : cases) {
    SCOPED_TRACE(c.name);
    const DetectedDelimiters d = DetectDelimiters(c.bytes, 0);
    EXPECT_EQ(d.complete, c.complete);
    EXPECT_EQ(d.delimiters.terminator, c.terminator);
    EXPECT_EQ(d.delimiters.element, c.element);
    EXPECT_EQ(d.delimiters.component, c.component);
  }
}

TEST(DetectDelimitersTest, FileFormsSkipLeadingTextAndReportMissingFiles) {
  ScriptedScope ui;
  // Byte-order mark and a wrapped ISA.
  const auto bom = FixturePath("837p_wrapped_isa_bom.x12");
  EXPECT_EQ(DetectDelimiter(bom, 1), '~');
  EXPECT_EQ(DetectDelimiter(bom, 2), '*');
  EXPECT_EQ(DetectDelimiter(bom, 3), ':');
  EXPECT_TRUE(StartsWithIsa(bom));

  TempDir dir;
  const auto junk =
      dir.Write("junk.txt", "From: someone\r\nSubject: claims\r\n\r\n" + Isa() + "~GS*HC~IEA*1*1~");
  EXPECT_FALSE(StartsWithIsa(junk));
  EXPECT_EQ(DetectDelimiter(junk, 1), '~');
  EXPECT_EQ(CountSegments(junk, 0, '~'), 3u);

  EXPECT_EQ(DetectDelimiter(dir / "missing.x12", 1), ' ');
  EXPECT_EQ(CountSegments(dir / "missing.x12", 0, '~'), 0u);
  EXPECT_TRUE(
      ui->HasLine("message: Error: " + (dir / "missing.x12").string() + " File Not Found (2)"));
  EXPECT_FALSE(StartsWithIsa(dir / "missing.x12"));
  EXPECT_TRUE(StartsWithIsa(std::string_view("\r\n  isa*00")));
  EXPECT_FALSE(StartsWithIsa(std::string_view("ISAAC*00")));
  EXPECT_FALSE(StartsWithIsa(std::string_view("ISA")));
}

TEST(CountSegmentsTest, CountsTerminatorsAndAFinalUnterminatedSegment) {
  EXPECT_EQ(CountSegments("A*1~B*2~", 0, 0, '~'), 2u);
  EXPECT_EQ(CountSegments("A*1~B*2~\r\n", 0, 0, '~'), 2u);
  EXPECT_EQ(CountSegments("A*1~B*2", 0, 0, '~'), 2u);
  EXPECT_EQ(CountSegments("no terminator", 0, 0, '~'), 0u);
  EXPECT_EQ(CountSegments("A*1~B*2~C~", 4, 8, '~'), 1u);
}

TEST(LoaderTest, SegmentTextsIdsAndOffsets) {
  const std::string bytes = ReadFixture("835_three_claims.x12");  // "~" + CR LF
  const X12File f = LoadX12Bytes(bytes);
  const SegmentList& list = f.list;
  ASSERT_GT(list.size(), 10u);
  EXPECT_EQ(list.Id(1), "ISA");
  EXPECT_EQ(list.Id(2), "GS");
  EXPECT_EQ(list.Id(list.size()), "IEA");
  EXPECT_EQ(list.Text(list.size()), "IEA*1*000000007");
  for (std::size_t i = 1; i <= list.size(); ++i) {
    EXPECT_EQ(list.Text(i).find_first_of("\r\n~"), std::string_view::npos) << i;
    // The file offset points at the segment's first byte in the file.
    EXPECT_EQ(bytes.substr(list.FileOffset(i), list.Text(i).size()), list.Text(i)) << i;
  }
  for (std::size_t i : RecordsWithId(list, "CLP")) {
    EXPECT_EQ(list.FieldText(i, 9), std::to_string(bytes.find(list.Text(i))));
  }
  EXPECT_EQ(list.FieldText(1, 9), "");  // only HL and CLP carry an offset
  // Out of range reads as an empty record.
  EXPECT_EQ(list.Text(0), "");
  EXPECT_EQ(list.Id(list.size() + 1), "");
  EXPECT_FALSE(list.HasLevel(list.size() + 5));
  EXPECT_EQ(list.SetClaimNo(999999), 0u);
}

TEST(LoaderTest, OddSegmentsKeepTheirText) {
  // A segment without separator, a final segment without terminator, and
  // a line break inside a segment and in front of an id.
  const std::string bytes = Isa() + "~GS*HC~NOSEPARATOR~  \tHL*1**2\r\n0*1~CLP*A\n1*1~IEA*1*1";
  const X12File f = LoadX12Bytes(bytes);
  const SegmentList& list = f.list;
  ASSERT_EQ(list.size(), 6u);
  EXPECT_EQ(list.Id(3), "");
  EXPECT_EQ(list.Text(3), "NOSEPARATOR");
  EXPECT_EQ(list.Id(4), "HL");
  EXPECT_EQ(list.Text(4), "  HL*1**20*1");
  EXPECT_EQ(list.Element(4, 3), "20");
  EXPECT_EQ(list.FieldText(4, 9), std::to_string(bytes.find("HL*")));
  EXPECT_EQ(list.Text(5), "CLP*A1*1");
  EXPECT_EQ(list.FieldText(5, 9), std::to_string(bytes.find("CLP*")));
  EXPECT_EQ(list.Text(6), "IEA*1*1");
}

TEST(LoaderTest, ControlCharacterDelimitersAreUsed) {
  const X12File f = LoadX12File(FixturePath("837p_control_delimiters.x12"), false);
  const SegmentList& list = f.list;
  ASSERT_EQ(list.delimiters().element, '\x1d');
  const auto nm1 = RecordsWithId(list, "NM1");
  ASSERT_FALSE(nm1.empty());
  EXPECT_EQ(list.Element(nm1[0], 1), "41");
  EXPECT_EQ(list.Element(RecordsWithId(list, "ISA")[0], 11), "\x1e");
  EXPECT_EQ(list.Element(RecordsWithId(list, "SV1")[0], 1),
            "HC\x1f"
            "99213");
  EXPECT_EQ(f.index.size(), 2u);
  EXPECT_EQ(list.LoopLabel(nm1[0]), "1000A");
}

TEST(LoaderTest, LineFeedTerminatorAndWrappedIsaLoadAlike) {
  const X12File lf = LoadX12File(FixturePath("837p_lf_terminator.x12"), false);
  const X12File wrapped = LoadX12File(FixturePath("837p_wrapped_isa_bom.x12"), false);
  EXPECT_EQ(lf.list.delimiters().terminator, '\n');
  EXPECT_TRUE(wrapped.starts_with_isa);
  EXPECT_EQ(wrapped.interchange_offset, 3u);
  ASSERT_EQ(lf.list.size(), wrapped.list.size());
  for (std::size_t i = 1; i <= lf.list.size(); ++i) {
    EXPECT_EQ(lf.list.Text(i), wrapped.list.Text(i)) << i;
  }
  EXPECT_EQ(wrapped.list.Id(1), "ISA");
}

TEST(LoaderTest, LevelsFollowTheLevelTable) {
  const X12File f = LoadX12Bytes(ReadFixture("277_status.x12"));
  const SegmentList& list = f.list;
  std::string levels;
  for (std::size_t i = 1; i <= list.size(); ++i) {
    levels += std::string(list.Id(i)) + "=" + list.LevelText(i) + " ";
  }
  // STC is read as ST (level 3) and the segments after it take 3.
  EXPECT_EQ(levels,
            "ISA=1 GS=2 ST=3 BHT=4 HL=4 NM1=4 HL=4 NM1=4 HL=4 NM1=4 HL=4 NM1=4 TRN= STC=3 REF=3 "
            "DTP=3 HL=3 NM1=3 TRN= STC=3 SE=3 GE=2 IEA=1 ");

  const X12File p = LoadX12Bytes(ReadFixture("837p_one_billing_three_subscribers.x12"));
  std::string claim_levels;
  for (std::size_t i = 14; i <= 25; ++i) {
    claim_levels += std::string(p.list.Id(i)) + "=" + p.list.LevelText(i) + " ";
  }
  EXPECT_EQ(claim_levels, "HL=4 SBR=6 NM1=6 N3=6 N4=6 DMG=6 NM1=6 CLM=8 HI=8 LX=9 SV1=9 DTP=9 ");
}

TEST(LoaderTest, LoopLabels) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_one_billing_three_subscribers.x12"));
  const SegmentList& list = f.list;
  std::string labels;
  for (std::size_t i = 3; i <= 25; ++i) {
    labels += std::string(list.Id(i)) + ":" + std::string(list.LoopLabel(i)) + " ";
  }
  EXPECT_EQ(labels,
            "ST: BHT: NM1:1000A PER:1000A NM1:1000B HL:--------- PRV:1000B NM1:2010AA N3:2010AA "
            "N4:2010AA REF: HL:2000B SBR:2000B NM1:2010BA N3:2010BA N4:2010BA DMG:2010BA "
            "NM1:2010BB CLM:2300 HI:2300 LX:2400 SV1:2400 DTP:2400 ");
  // PRV*PT and PAT right after an HL label both records; not after an HL,
  // PRV*PT takes the current label and PAT none.
  const X12File t = LoadX12Bytes(Isa() +
                                 "~NM1*40*2*R~HL*1**20*1~PRV*PT*X~HL*2*1*22*0~PAT*01~PRV*PT*Y~"
                                 "PAT*02~REF*1C*Z~IEA*1*1~");
  std::string looks;
  for (std::size_t i = 2; i <= t.list.size(); ++i) {
    looks += std::string(t.list.Id(i)) + ":" + std::string(t.list.LoopLabel(i)) + " ";
  }
  EXPECT_EQ(looks,
            "NM1:1000B HL:2000A PRV:2000A HL:2000B PAT:2000B PRV:1000B PAT: REF:2010AA IEA: ");
  // Indented segments are labelled like the others.
  const std::string indented = Isa() + "~\r\n  NM1*41*2*X~\r\n  N3*A~\r\n  IEA*1*1~";
  const X12File g = LoadX12Bytes(indented);
  EXPECT_EQ(g.list.LoopLabel(2), "1000A");
  EXPECT_EQ(g.list.LoopLabel(3), "1000A");
  EXPECT_EQ(g.list.Id(2), "NM1");
}

// The first records of the claim units, written as "id:HL03".
std::string UnitStarts(const SegmentList& list, const ClaimIndex& index) {
  std::string out;
  for (std::uint32_t start : index.starts()) {
    out += std::string(list.Id(start)) + ":" + std::string(list.Element(start, 3)) + " ";
  }
  return out;
}

TEST(ClaimUnitTest, BillingProviderRule) {
  struct Case {
    const char* fixture;
    const char* starts;
  } cases[] = {
      // B = 1: subscribers open units.
      {"837p_one_billing_three_subscribers.x12", "HL:22 HL:22 HL:22 "},
      // B = S = 3: each billing provider with its subscriber is one unit.
      {"837p_three_billing_providers.x12", "HL:20 HL:20 HL:20 "},
      // B = 2, S = 3: subscribers.
      {"837p_two_billing_three_subscribers.x12", "HL:22 HL:22 HL:22 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const X12File f = LoadX12Bytes(ReadFixture(c.fixture));
    EXPECT_EQ(UnitStarts(f.list, f.index), c.starts);
    // A unit covers every record up to the next unit's first record.
    for (std::size_t k = 1; k <= f.index.size(); ++k) {
      const std::size_t end = k < f.index.size() ? f.index[k + 1] : f.list.size();
      for (std::size_t i = f.index[k]; i < end; ++i) EXPECT_EQ(f.list.SetClaimNo(i), k) << i;
    }
  }
  // Without a billing-provider level there is no unit.
  std::string no_billing = ReadFixture("837p_one_billing_three_subscribers.x12");
  no_billing.replace(no_billing.find("HL*1**20*1"), 10, "HL*1**19*1");
  const X12File f = LoadX12Bytes(no_billing);
  EXPECT_EQ(f.index, ClaimIndex());
  for (std::size_t i = 1; i <= f.list.size(); ++i) EXPECT_EQ(f.list.FieldText(i, 8), "") << i;
}

TEST(ClaimUnitTest, HeaderSegmentsCarryNoNumbersAndTheLastRecordIsNotNumbered) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_one_billing_three_subscribers.x12"));
  const SegmentList& list = f.list;
  const std::size_t first_unit = f.index[1];
  for (std::size_t i = 1; i < first_unit; ++i) {
    EXPECT_EQ(list.FieldText(i, 8), "") << list.Id(i);
    EXPECT_EQ(list.FieldText(i, 10), "") << list.Id(i);
    EXPECT_EQ(list.FieldText(i, 11), "") << list.Id(i);
  }
  // The billing provider's HL counts itself.
  const std::size_t billing_hl = RecordsWithId(list, "HL")[0];
  EXPECT_EQ(list.Element(billing_hl, 3), "20");
  EXPECT_EQ(list.FieldText(billing_hl, 12), "1");
  EXPECT_EQ(list.FieldText(billing_hl - 1, 12), "0");
  const std::size_t n = list.size();
  EXPECT_EQ(list.FieldText(n - 1, 8), "3");  // the GE belongs to the last unit
  for (int field : {8, 10, 11, 12}) EXPECT_EQ(list.FieldText(n, field), "") << field;
}

TEST(ClaimUnitTest, FileWideAndPerInterchangeNumbers) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_two_interchanges.x12"));
  const SegmentList& list = f.list;
  std::string numbers;
  for (std::size_t i : RecordsWithId(list, "CLM")) {
    numbers += list.FieldText(i, 8) + "/" + list.FieldText(i, 10) + "/" + list.FieldText(i, 11) +
               "/" + list.FieldText(i, 12) + " ";
  }
  // set / file / interchange / billing levels so far
  EXPECT_EQ(numbers, "1/1/1/1 2/2/2/1 1/3/1/2 2/4/2/2 1/5/3/3 ");
  EXPECT_EQ(BuildClaimIndex(list, 1).size(), 5u);
  // Per-interchange and per-set numbers restart, so indexes by them only
  // fit a single interchange or set: over the whole file they stop early.
  EXPECT_EQ(BuildClaimIndex(list, 3).size(), 3u);
  EXPECT_EQ(BuildClaimIndex(list, 2).size(), 2u);
  EXPECT_EQ(BuildClaimIndex(list, 7), ClaimIndex());
}

TEST(ClaimUnitTest, UnitsOfOtherTransactionSets) {
  struct Case {
    const char* fixture;
    const char* starts;
  } cases[] = {
      {"835_three_claims.x12", "CLP CLP CLP "},
      {"997_ack.x12", "AK3 AK4 AK3 AK4 "},
      {"271_eligibility.x12", "HL HL "},
      {"277_status.x12", "HL HL "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const X12File f = LoadX12Bytes(ReadFixture(c.fixture));
    std::string starts;
    for (std::uint32_t start : f.index.starts()) starts += std::string(f.list.Id(start)) + " ";
    EXPECT_EQ(starts, c.starts);
  }
}

TEST(LoaderTest, FileErrorsAreShownAndReported) {
  ScriptedScope ui;
  TempDir dir;
  LoadStatus status;
  const SegmentList list = LoadSegments(dir / "nope.x12", 3, X12Delimiters{}, 0, 0, &status);
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(list.size(), 3u);  // the records stay as initialised
  EXPECT_EQ(list.Text(1), "");
  EXPECT_TRUE(
      ui->HasLine("message: Error: " + (dir / "nope.x12").string() + " File Not Found (1)"));
  // A folder cannot be read as a file.
  const X12File f = LoadX12File(dir.path(), false);
  EXPECT_FALSE(f.status.ok);
  EXPECT_EQ(f.status.message.rfind("Cfile <ERROR> FC-Fread #", 0), 0u) << f.status.message;
}

TEST(LoaderTest, MeterShowsWhileLoadingFromTheStart) {
  ScriptedScope ui;
  const auto file = FixturePath("271_eligibility.x12");
  const X12File f = LoadX12File(file, true);
  EXPECT_TRUE(ui->HasLine("meter open: Loading File " + file.string() + " | Please Wait.."));
  EXPECT_TRUE(ui->HasLine("meter percent: 100"));
  EXPECT_TRUE(ui->HasLine("meter close"));
}

}  // namespace
}  // namespace ardentix::x12
