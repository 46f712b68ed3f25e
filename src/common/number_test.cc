#include "common/number.h"

#include <gtest/gtest.h>

#include <clocale>

namespace ardentix {
namespace {

TEST(LeadingInteger, NeverThrows) {
  struct Case {
    const char* text;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"5000000", 5000000},
      {"  42abc", 42},
      {"-7", -7},
      {"+3", 3},
      {"abc", 0},
      {"", 0},
      {"12.9", 12},
      {"- 5", 0},
      {"99999999999999999999999", INT64_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingInteger(c.text), c.expected) << c.text;
}

TEST(LeadingNumber, ReadsAFraction) {
  EXPECT_DOUBLE_EQ(LeadingNumber("12.50abc"), 12.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("-.5"), -0.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("."), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber("x1"), 0);
}

TEST(Format, IsIndependentOfTheLocale) {
  // A comma-decimal locale must not change the bytes (skipped silently when
  // the machine has no such locale).
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  EXPECT_EQ(FormatFixed(1234.5, 2), "1234.50");
  EXPECT_EQ(FormatFixed(-0.001, 2), "0.00");
  EXPECT_EQ(FormatInteger(-12), "-12");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(FormatThousands(1234567), "1,234,567");
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatIntegerWidth(7, 4), "   7");
}

TEST(SafeDivide, GivesZeroForZeroDivisor) {
  EXPECT_EQ(SafeDivide(std::int64_t{10}, std::int64_t{0}), 0);
  EXPECT_DOUBLE_EQ(SafeDivide(1.0, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(SafeDivide(1.0, 4.0), 0.25);
}

}  // namespace
}  // namespace ardentix
