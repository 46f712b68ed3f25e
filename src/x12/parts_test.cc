#include "x12/parts.h"

#include <gtest/gtest.h>

#include <string>

#include "x12/access.h"
#include "x12/loader.h"
#include "x12/test_support.h"

namespace ardentix::x12 {
namespace {

using testing::ReadFixture;

std::string Ids(const SegmentList& list) {
  std::string out;
  for (std::size_t i = 1; i <= list.size(); ++i) {
    out += list.Id(i).empty() ? "-" : std::string(list.Id(i));
    out += " ";
  }
  return out;
}

// "id:set/file/interchange" of every HL with HL03 22.
std::string SubscriberNumbers(const SegmentList& list) {
  std::string out;
  for (std::size_t i = 1; i <= list.size(); ++i) {
    if (list.Id(i) != "HL" || list.Element(i, 3) != "22") continue;
    out += list.FieldText(i, 8) + "/" + list.FieldText(i, 10) + "/" + list.FieldText(i, 11) + " ";
  }
  return out;
}

TEST(PartsTest, ExtractInterchangeTakesOneWholeBatch) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_two_interchanges.x12"));
  const SegmentList& list = f.list;
  std::size_t second_isa = 0;
  for (std::size_t i = 2; i <= list.size() && second_isa == 0; ++i) {
    if (list.Id(i) == "ISA") second_isa = i;
  }
  ASSERT_GT(second_isa, 0u);
  const SegmentList batch = ExtractInterchange(list, 2);
  ASSERT_EQ(batch.size(), list.size() - second_isa + 1);
  for (std::size_t i = 1; i <= batch.size(); ++i) {
    EXPECT_EQ(batch.Text(i), list.Text(second_isa + i - 1));
    EXPECT_EQ(batch.FileClaimNo(i), list.FileClaimNo(second_isa + i - 1));
  }
  EXPECT_EQ(batch.Id(batch.size()), "IEA");
  EXPECT_EQ(ExtractInterchange(list, 1).Id(second_isa - 1), "IEA");
  EXPECT_TRUE(ExtractInterchange(list, 0).empty());
  EXPECT_TRUE(ExtractInterchange(list, 3).empty());
}

TEST(PartsTest, ExtractSetKeepsTheEnvelopeAndRenumbersClaims) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_three_sets.x12"));
  const SegmentList& list = f.list;
  const SegmentList second = ExtractSet(list, 2);
  const std::string ids = Ids(second);
  EXPECT_TRUE(ids.starts_with("ISA GS ST BHT ")) << ids;
  EXPECT_TRUE(ids.ends_with("SE GE IEA ")) << ids;  // range + 4 records, none empty
  EXPECT_EQ(SubscriberNumbers(second), "1/1/1 ");
  EXPECT_EQ(SetHeaderValue(second, second.size(), 1, 10, "ST"), "POE");
  EXPECT_EQ(BuildClaimIndex(second, 3).size(), 1u);

  // The last set brings its own SE, GE and IEA and two empty records.
  const SegmentList third = ExtractSet(list, 3);
  EXPECT_TRUE(Ids(third).ends_with("SE GE IEA - - ")) << Ids(third);
  EXPECT_EQ(SubscriberNumbers(third), "1/1/1 2/2/2 ");
  EXPECT_TRUE(ExtractSet(list, 4).empty());
  EXPECT_TRUE(ExtractSet(list, 0).empty());
}

TEST(PartsTest, ExtractSetTakesTheGroupOfTheSet) {
  std::string bytes = ReadFixture("837p_three_sets.x12");
  // Put the second and third sets into a group of their own.
  const std::size_t second_st = bytes.find("ST*837*0002");
  bytes.insert(second_st, "GE*1*4~\nGS*HC*OTHER*RECEIVER*20230101*1200*5*X*005010X222A1~\n");
  const X12File f = LoadX12Bytes(bytes);
  EXPECT_EQ(ExtractSet(f.list, 1).Element(2, 2), "SUBMITTER");
  EXPECT_EQ(ExtractSet(f.list, 3).Element(2, 2), "OTHER");
}

TEST(PartsTest, ExtractSetOf835NumbersClaimsInLevelAndFileFields) {
  std::string bytes = ReadFixture("835_three_claims.x12");
  const std::size_t st = bytes.find("ST*835");
  const std::size_t ge = bytes.find("GE*1");
  bytes.insert(ge, bytes.substr(st, ge - st));  // a second, equal set
  const X12File f = LoadX12Bytes(bytes);
  const SegmentList second = ExtractSet(f.list, 2);
  std::string clp;
  for (std::size_t i = 1; i <= second.size(); ++i) {
    if (second.Id(i) != "CLP") continue;
    clp += second.LevelText(i) + "/" + second.FieldText(i, 8) + "/" + second.FieldText(i, 10) + " ";
  }
  EXPECT_EQ(clp, "1/1/1 2/2/2 3/3/3 ");
  EXPECT_EQ(BuildClaimIndex(second, 2).size(), 3u);
}

TEST(PartsTest, MergeSetsNumbersClaimsOverAllSets) {
  const X12File f = LoadX12Bytes(ReadFixture("837p_three_sets.x12"));
  const SegmentList merged = MergeSets(f.list);
  const std::string ids = Ids(merged);
  // One ST, the later sets' headers left out, the last record emptied.
  EXPECT_EQ(CountSegmentsOfKind("ST", merged), 1u);
  EXPECT_EQ(CountSegmentsOfKind("ISA", merged), 1u);
  EXPECT_EQ(ids.find("BHT", ids.find("BHT") + 1), std::string::npos) << ids;
  EXPECT_TRUE(ids.ends_with("SE - ")) << ids;
  std::string numbers;
  for (std::size_t i = 1; i <= merged.size(); ++i) {
    if (merged.Id(i) == "CLM") numbers += merged.FieldText(i, 8) + " ";
  }
  EXPECT_EQ(numbers, "1 2 3 4 5 5 ");  // the last unit holds two claims
  const ClaimIndex index = BuildClaimIndex(merged, 1);
  ASSERT_EQ(index.size(), 5u);
  for (std::uint32_t start : index.starts()) {
    EXPECT_EQ(merged.Id(start), "HL");
    EXPECT_EQ(merged.Element(start, 3), "22");
  }
}

TEST(PartsTest, RecordsKeepNotesAndOffsetsWhenCopied) {
  X12File f = LoadX12Bytes(ReadFixture("837p_three_sets.x12"));
  f.list.SetSegmentNote(5, "Unexpected segment");
  f.list.SetElementNote(5, "Invalid code value");
  const SegmentList copy = ExtractInterchange(f.list, 1);
  EXPECT_EQ(copy.SegmentNote(5), "Unexpected segment");
  EXPECT_EQ(copy.ElementNote(5), "Invalid code value");
  EXPECT_EQ(copy.SegmentNote(6), "");
  EXPECT_EQ(copy.FileOffset(5), f.list.FileOffset(5));
  EXPECT_EQ(copy.FieldText(5, 5), "Unexpected segment");
}

}  // namespace
}  // namespace ardentix::x12
