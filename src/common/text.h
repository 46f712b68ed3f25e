// Text helpers shared by every subsystem. All case handling is ASCII-only:
// X12 data, qv.ini and map files are byte strings in Latin-1 or cp1252.
#ifndef ARDENTIX_COMMON_TEXT_H_
#define ARDENTIX_COMMON_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix {

// The loose comparison used for segment ids, qualifiers, names and codes:
// it holds when `b` is empty, when `a` begins with `b`, or when `b` is `a`
// followed only by blanks. So "STC" matches "ST", and "AB" matches "AB   ".
bool LooseEquals(std::string_view a, std::string_view b);

// Equal length and equal bytes.
inline bool ExactEquals(std::string_view a, std::string_view b) { return a == b; }

inline char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
std::string ToUpper(std::string_view s);
std::string ToLower(std::string_view s);

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Position of `needle` in `hay` from `from`, ignoring ASCII case; npos when absent.
std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0);

// Blanks are spaces only, as in the original program's trim functions.
std::string_view TrimBlanks(std::string_view s);
std::string_view TrimLeftBlanks(std::string_view s);
std::string_view TrimRightBlanks(std::string_view s);
// Trims spaces, tabs, CR and LF.
std::string_view TrimWhitespace(std::string_view s);

// `s` padded with blanks (or cut) to exactly `width` characters.
std::string PadRight(std::string_view s, std::size_t width);
// `s` padded on the left with blanks to at least `width` characters.
std::string PadLeft(std::string_view s, std::size_t width);

// Safe substring: 1-based `start`, any bounds are clamped; never throws.
std::string_view SubText(std::string_view s, long long start, long long length);

// Piece `n` (1-based) of `text` split at `separator`: the text between
// separator n-1 and separator n. Missing pieces are empty.
std::string_view Piece(std::string_view text, char separator, std::size_t n);
// All pieces of `text` split at `separator` (an empty text gives one empty piece).
std::vector<std::string_view> SplitPieces(std::string_view text, char separator);

// Replaces every occurrence of `from` by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace ardentix

#endif  // ARDENTIX_COMMON_TEXT_H_
