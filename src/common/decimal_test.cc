#include "common/decimal.h"

#include <gtest/gtest.h>

namespace ardentix {
namespace {

TEST(Decimal, SumsAreExact) {
  Decimal sum;
  for (int i = 0; i < 1000; ++i) sum += *Decimal::Parse("0.10");
  EXPECT_EQ(sum.ToString(2), "100.00");
  EXPECT_EQ((*Decimal::Parse("0.1") + *Decimal::Parse("0.2")).ToString(), "0.3");
  EXPECT_EQ((*Decimal::Parse("10") - *Decimal::Parse("10.01")).ToString(2), "-0.01");
}

TEST(Decimal, ParsesAndRejects) {
  struct Case {
    const char* text;
    const char* expected;  // nullptr = rejected
  };
  const Case cases[] = {
      {"123", "123"}, {"-12.50", "-12.5"}, {"+.5", "0.5"},     {" 7 ", "7"},     {"1.", "1"},
      {"", nullptr},  {".", nullptr},      {"1.2.3", nullptr}, {"12a", nullptr}, {"-", nullptr},
  };
  for (const auto& c : cases) {
    const auto d = Decimal::Parse(c.text);
    if (c.expected == nullptr) {
      EXPECT_FALSE(d.has_value()) << c.text;
    } else {
      ASSERT_TRUE(d.has_value()) << c.text;
      EXPECT_EQ(d->ToString(), c.expected) << c.text;
    }
  }
  EXPECT_EQ(Decimal::ParseLeading("12.5USD").ToString(2), "12.50");
  EXPECT_EQ(Decimal::ParseLeading("abc").ToString(), "0");
}

TEST(Decimal, RoundsHalfAwayFromZeroAndCompares) {
  EXPECT_EQ(Decimal::Parse("2.345")->ToFixed(2), "2.35");
  EXPECT_EQ(Decimal::Parse("-2.345")->ToFixed(2), "-2.35");
  EXPECT_EQ(Decimal::Parse("2.344")->ToFixed(2), "2.34");
  EXPECT_EQ(Decimal::Parse("-0.4")->ToFixed(0), "0");
  EXPECT_EQ(Decimal::Parse("5")->ToFixed(2), "5.00");
  EXPECT_TRUE(*Decimal::Parse("1.50") == *Decimal::Parse("1.5"));
  EXPECT_TRUE(*Decimal::Parse("-1") < *Decimal::Parse("0.001"));
  EXPECT_EQ((*Decimal::Parse("1.5") * *Decimal::Parse("3")).ToString(), "4.5");
}

}  // namespace
}  // namespace ardentix
