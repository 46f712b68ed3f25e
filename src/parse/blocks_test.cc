#include "parse/blocks.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "common/files.h"
#include "x12/loader.h"

namespace ardentix::parse {
namespace {

namespace fs = std::filesystem;

fs::path Fixture(std::string_view name) {
  return fs::path(ARDENTIX_SOURCE_DIR) / "tests/data/parse" / name;
}

struct Claim {
  std::string id, billing, batch;
  bool operator==(const Claim&) const = default;
};

// The claims of an X12 text with the billing provider and batch in force,
// read the way the program's scans read a list: records 1 to n - 1.
std::vector<Claim> Claims(std::string_view text) {
  const x12::X12File f = x12::LoadX12Bytes(text);
  std::vector<Claim> out;
  std::string billing, batch;
  for (std::size_t i = 1; i < f.list.size(); ++i) {
    if (f.list.Id(i) == "BHT") batch = f.list.Element(i, 3);
    if (f.list.Id(i) == "NM1" && f.list.Element(i, 1) == "85") billing = f.list.Element(i, 3);
    if (f.list.Id(i) == "CLM") out.push_back({std::string(f.list.Element(i, 1)), billing, batch});
  }
  return out;
}

std::vector<std::string> Blocks(const fs::path& file, BlockSettings settings) {
  std::vector<std::string> blocks;
  EXPECT_TRUE(ForEachBlock(file, settings, [&](std::string_view text, int n) {
    EXPECT_EQ(n, static_cast<int>(blocks.size()) + 1);
    blocks.emplace_back(text);
    return true;
  }));
  return blocks;
}

TEST(Blocks, EveryClaimLandsInExactlyOneBlockWithItsHeaders) {
  for (const char* name : {"sample837p.x12", "multi_set.x12", "multi_isa.x12"}) {
    const std::string whole = ReadWholeFile(Fixture(name)).value();
    for (std::uint64_t size : {1, 200, 700, 1 << 20}) {
      const std::vector<std::string> blocks = Blocks(Fixture(name), {size, 0, 0});
      std::vector<Claim> claims;
      for (const std::string& block : blocks) {
        EXPECT_TRUE(block.starts_with("ISA*")) << name << " " << size;
        EXPECT_TRUE(std::regex_search(
            block, std::regex("~\n?GE\\*[0-9]+\\*[0-9]+~\n?IEA\\*[0-9]+\\*[0-9]{9}~\n?$")))
            << name << " " << size << ": every block is a whole interchange\n"
            << block;
        const std::vector<Claim> some = Claims(block);
        EXPECT_FALSE(some.empty()) << name << " " << size << ": a block without a claim";
        claims.insert(claims.end(), some.begin(), some.end());
      }
      EXPECT_EQ(claims, Claims(whole)) << name << " " << size;
      if (size == 1 << 20) {
        EXPECT_EQ(blocks, std::vector<std::string>{whole}) << name;
      }
    }
  }
}

TEST(Blocks, StartOffsetAndBlockCount) {
  const fs::path file = Fixture("sample837p.x12");
  const std::string whole = ReadWholeFile(file).value();
  // From the second subscriber on, one block of each subscriber level.
  const std::uint64_t second = whole.find("HL*3*1*22");
  const std::vector<std::string> blocks = Blocks(file, {1, second, 2});
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(Claims(blocks[0]),
            (std::vector<Claim>{{"PATACCT1002", "NORTHSIDE FAMILY PRACTICE", "BATCH0001"},
                                {"PATACCT1003", "NORTHSIDE FAMILY PRACTICE", "BATCH0001"}}));
  EXPECT_EQ(Claims(blocks[1]),
            (std::vector<Claim>{{"PATACCT2001", "RIVERSIDE PEDIATRICS", "BATCH0001"}}));
}

TEST(Blocks, FileWithoutInterchangeGivesNoBlock) {
  const fs::path file = Fixture("notes.txt");
  bool called = false;
  EXPECT_FALSE(
      ForEachBlock(file, {10, 0, 0}, [&](std::string_view, int) { return called = true; }));
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace ardentix::parse
