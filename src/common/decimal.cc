#include "common/decimal.h"

#include <algorithm>

#include "common/text.h"

namespace ardentix {

namespace {
// Keep well inside __int128 so that aligning scales never overflows.
constexpr int kMaxDigits = 30;
}  // namespace

__int128 Decimal::Pow10(int n) {
  __int128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

Decimal Decimal::WithScale(int scale) const {
  if (scale == scale_) return *this;
  if (scale > scale_) return Decimal(units_ * Pow10(scale - scale_), scale);
  return Decimal(units_ / Pow10(scale_ - scale), scale);  // truncates
}

std::optional<Decimal> Decimal::Parse(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return std::nullopt;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    ++i;
  }
  __int128 units = 0;
  int scale = 0;
  int digits = 0;
  bool seen_digit = false;
  bool seen_point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !seen_point) {
      seen_point = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    seen_digit = true;
    if (seen_point && scale >= kMaxScale) continue;
    if (digits >= kMaxDigits) return std::nullopt;
    units = units * 10 + (c - '0');
    if (units != 0) ++digits;
    if (seen_point) ++scale;
  }
  if (!seen_digit) return std::nullopt;
  return Decimal(negative ? -units : units, scale);
}

Decimal Decimal::ParseLeading(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::size_t end = i;
  if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
  bool point = false;
  while (end < text.size()) {
    const char c = text[end];
    if (c >= '0' && c <= '9') {
      ++end;
    } else if (c == '.' && !point) {
      point = true;
      ++end;
    } else {
      break;
    }
  }
  return Parse(text.substr(i, end - i)).value_or(Decimal());
}

Decimal Decimal::operator+(const Decimal& other) const {
  const int scale = std::max(scale_, other.scale_);
  return Decimal(WithScale(scale).units_ + other.WithScale(scale).units_, scale);
}

Decimal Decimal::operator-(const Decimal& other) const { return *this + (-other); }

Decimal Decimal::operator*(const Decimal& other) const {
  Decimal product(units_ * other.units_, scale_ + other.scale_);
  if (product.scale_ > kMaxScale) product = product.WithScale(kMaxScale);
  return product;
}

std::strong_ordering Decimal::operator<=>(const Decimal& other) const {
  const int scale = std::max(scale_, other.scale_);
  const __int128 a = WithScale(scale).units_;
  const __int128 b = other.WithScale(scale).units_;
  if (a < b) return std::strong_ordering::less;
  if (a > b) return std::strong_ordering::greater;
  return std::strong_ordering::equal;
}

Decimal Decimal::Rounded(int decimals) const {
  decimals = std::clamp(decimals, 0, kMaxScale);
  if (decimals >= scale_) return WithScale(decimals);
  const __int128 divisor = Pow10(scale_ - decimals);
  __int128 q = units_ / divisor;
  const __int128 r = units_ % divisor;
  const __int128 twice = (r < 0 ? -r : r) * 2;
  if (twice >= divisor) q += units_ < 0 ? -1 : 1;
  return Decimal(q, decimals);
}

namespace {

std::string UnitsText(__int128 units, int scale) {
  const bool negative = units < 0;
  unsigned __int128 u =
      negative ? static_cast<unsigned __int128>(-units) : static_cast<unsigned __int128>(units);
  std::string digits;
  do {
    digits.push_back(static_cast<char>('0' + static_cast<int>(u % 10)));
    u /= 10;
  } while (u != 0);
  while (static_cast<int>(digits.size()) <= scale) digits.push_back('0');
  std::reverse(digits.begin(), digits.end());
  std::string out;
  if (negative) out.push_back('-');
  const std::size_t int_len = digits.size() - static_cast<std::size_t>(scale);
  out.append(digits, 0, int_len);
  if (scale > 0) {
    out.push_back('.');
    out.append(digits, int_len, std::string::npos);
  }
  return out;
}

}  // namespace

std::string Decimal::ToString(int min_decimals) const {
  min_decimals = std::clamp(min_decimals, 0, kMaxScale);
  // Drop trailing zeros beyond the minimum.
  Decimal d = *this;
  while (d.scale_ > min_decimals && d.units_ % 10 == 0) {
    d.units_ /= 10;
    --d.scale_;
  }
  if (d.scale_ < min_decimals) d = d.WithScale(min_decimals);
  return UnitsText(d.units_, d.scale_);
}

std::string Decimal::ToFixed(int decimals) const {
  const Decimal d = Rounded(decimals);
  return UnitsText(d.units_, d.scale_);
}

double Decimal::ToDouble() const {
  return static_cast<double>(units_) / static_cast<double>(Pow10(scale_));
}

}  // namespace ardentix
