#include "common/text.h"

#include <gtest/gtest.h>

namespace ardentix {
namespace {

TEST(LooseEquals, FollowsTheDocumentedRule) {
  struct Case {
    const char* a;
    const char* b;
    bool expected;
  };
  const Case cases[] = {
      {"STC", "ST", true},     // A begins with B
      {"ST", "STC", false},    // B longer and not blanks
      {"AB", "AB   ", true},   // B is A followed only by blanks
      {"AB", "AB  X", false},  // more than blanks
      {"ANY", "", true},       // empty B always holds
      {"", "", true},         {"", "  ", true},      {"", "X", false},
      {"NM1", "NM1", true},   {"nm1", "NM1", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LooseEquals(c.a, c.b), c.expected) << c.a << " vs " << c.b;
  }
}

TEST(Text, CaseHelpersAreAsciiOnly) {
  EXPECT_EQ(ToUpper("abc\xe9z"), "ABC\xe9Z");  // Latin-1 e-acute stays as it is
  EXPECT_TRUE(EqualsNoCase("qv.ini", "QV.INI"));
  EXPECT_FALSE(EqualsNoCase("qv.in", "QV.INI"));
  EXPECT_EQ(FindNoCase("xx<DataDir>", "<DATADIR>"), 2u);
  EXPECT_EQ(FindNoCase("abc", "abcd"), std::string_view::npos);
}

TEST(Text, SubTextClampsItsBounds) {
  EXPECT_EQ(SubText("ABCDEF", 2, 3), "BCD");
  EXPECT_EQ(SubText("ABCDEF", 5, 10), "EF");
  EXPECT_EQ(SubText("ABCDEF", 0, 2), "A");
  EXPECT_EQ(SubText("ABCDEF", -5, 2), "");
  EXPECT_EQ(SubText("ABCDEF", 7, 1), "");
  EXPECT_EQ(SubText("ABCDEF", 1, -1), "");
}

TEST(Text, PiecesAndPadding) {
  EXPECT_EQ(Piece("A,B,,D", ',', 1), "A");
  EXPECT_EQ(Piece("A,B,,D", ',', 3), "");
  EXPECT_EQ(Piece("A,B,,D", ',', 4), "D");
  EXPECT_EQ(Piece("A,B,,D", ',', 5), "");
  EXPECT_EQ(SplitPieces("", ',').size(), 1u);
  EXPECT_EQ(PadRight("AB", 4), "AB  ");
  EXPECT_EQ(PadRight("ABCDE", 3), "ABC");
  EXPECT_EQ(PadLeft("7", 3), "  7");
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(ReplaceAll("a&b&c", "&", "&amp;"), "a&amp;b&amp;c");
}

}  // namespace
}  // namespace ardentix
