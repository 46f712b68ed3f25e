// Exact decimal numbers for amounts. Sums of money are never done in
// floating point: "0.10" + "0.20" is exactly "0.30".
#ifndef ARDENTIX_COMMON_DECIMAL_H_
#define ARDENTIX_COMMON_DECIMAL_H_

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ardentix {

class Decimal {
 public:
  static constexpr int kMaxScale = 18;

  constexpr Decimal() = default;
  static Decimal FromInteger(std::int64_t value) { return Decimal(value, 0); }

  // Parses a whole text such as "123", "-12.50", "+.5", " 7 " (blanks around
  // are allowed). Anything else gives nullopt. Digits beyond 18 decimals are
  // cut off.
  static std::optional<Decimal> Parse(std::string_view text);
  // Reads the leading number of a text; invalid text gives 0. Never throws.
  static Decimal ParseLeading(std::string_view text);

  Decimal operator+(const Decimal& other) const;
  Decimal operator-(const Decimal& other) const;
  Decimal operator-() const { return Decimal(-units_, scale_); }
  Decimal& operator+=(const Decimal& other) { return *this = *this + other; }
  Decimal& operator-=(const Decimal& other) { return *this = *this - other; }
  // Product, with the scale of both factors added (cut to kMaxScale).
  Decimal operator*(const Decimal& other) const;

  std::strong_ordering operator<=>(const Decimal& other) const;
  bool operator==(const Decimal& other) const { return (*this <=> other) == 0; }

  bool IsZero() const { return units_ == 0; }
  bool IsNegative() const { return units_ < 0; }
  int scale() const { return scale_; }

  // Exact text with as many decimals as the number carries, at least
  // `min_decimals` ("12.5" with 2 gives "12.50"; trailing zeros beyond the
  // minimum are dropped).
  std::string ToString(int min_decimals = 0) const;
  // Rounded (half away from zero) to exactly `decimals` decimals.
  std::string ToFixed(int decimals) const;
  Decimal Rounded(int decimals) const;
  double ToDouble() const;

 private:
  constexpr Decimal(__int128 units, int scale) : units_(units), scale_(scale) {}
  static __int128 Pow10(int n);
  Decimal WithScale(int scale) const;

  __int128 units_ = 0;  // value = units_ / 10^scale_
  int scale_ = 0;
};

}  // namespace ardentix

#endif  // ARDENTIX_COMMON_DECIMAL_H_
