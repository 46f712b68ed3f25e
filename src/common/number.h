// Locale-independent number reading and formatting.
#ifndef ARDENTIX_COMMON_NUMBER_H_
#define ARDENTIX_COMMON_NUMBER_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace ardentix {

// Reads the leading number of a text the way settings are read: leading
// blanks are skipped, an optional sign, then digits up to the first other
// character. Anything invalid gives 0; values beyond the range are clamped.
// Never throws.
std::int64_t LeadingInteger(std::string_view text);

// As LeadingInteger, but also takes a decimal point and fraction digits
// ("12.50abc" gives 12.5). Never throws.
double LeadingNumber(std::string_view text);

// Decimal text of an integer, independent of the locale.
std::string FormatInteger(std::int64_t value);
// Fixed-point text with `decimals` digits after the point ("1234.50").
std::string FormatFixed(double value, int decimals);
// Integer right-aligned in `width` characters (blanks on the left).
std::string FormatIntegerWidth(std::int64_t value, std::size_t width);
// Integer with thousands separators: 9,999,999.
std::string FormatThousands(std::int64_t value);

// Division that gives 0 when the divisor is 0, where the program relies on
// a division by zero yielding 0 instead of stopping.
inline double SafeDivide(double a, double b) { return b == 0 ? 0.0 : a / b; }
inline std::int64_t SafeDivide(std::int64_t a, std::int64_t b) { return b == 0 ? 0 : a / b; }

}  // namespace ardentix

#endif  // ARDENTIX_COMMON_NUMBER_H_
