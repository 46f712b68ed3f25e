#include "common/number.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace ardentix {

namespace {

std::size_t SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return i;
}

}  // namespace

std::int64_t LeadingInteger(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value > (kMax - digit) / 10) {
      value = kMax;
      // Skip the remaining digits; the value stays clamped.
      continue;
    }
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

double LeadingNumber(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  }
  if (i == start) return 0.0;
  double value = 0;
  const auto result = std::from_chars(text.data() + start, text.data() + i, value);
  if (result.ec != std::errc()) {
    // "." alone or an out-of-range value.
    if (result.ec == std::errc::result_out_of_range) {
      value = std::numeric_limits<double>::max();
    } else {
      return 0.0;
    }
  }
  return negative ? -value : value;
}

std::string FormatInteger(std::int64_t value) {
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  char buf[400];
  const auto result =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return "0";
  std::string out(buf, result.ptr);
  if (out.size() > 1 && out[0] == '-' && out.find_first_not_of("-0.") == std::string::npos) {
    out.erase(0, 1);  // "-0.00" reads as "0.00"
  }
  return out;
}

std::string FormatIntegerWidth(std::int64_t value, std::size_t width) {
  std::string text = FormatInteger(value);
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string FormatThousands(std::int64_t value) {
  std::string digits = FormatInteger(value < 0 ? -value : value);
  std::string out;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(digits[i]);
    const std::size_t left = n - i - 1;
    if (left > 0 && left % 3 == 0) out.push_back(',');
  }
  return value < 0 ? "-" + out : out;
}

}  // namespace ardentix
