#include "common/text.h"

#include <algorithm>

namespace ardentix {

bool LooseEquals(std::string_view a, std::string_view b) {
  if (b.empty()) return true;
  if (a.size() >= b.size()) return a.compare(0, b.size(), b) == 0;
  // `b` is longer: it may be `a` followed only by blanks.
  if (b.compare(0, a.size(), a) != 0) return false;
  return b.find_first_not_of(' ', a.size()) == std::string_view::npos;
}

std::string ToUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToUpperAscii(c);
  return out;
}

std::string ToLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToLowerAscii(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::size_t FindNoCase(std::string_view hay, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
  if (hay.size() < needle.size()) return std::string_view::npos;
  const char first = ToUpperAscii(needle[0]);
  for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
    if (ToUpperAscii(hay[i]) == first && EqualsNoCase(hay.substr(i, needle.size()), needle)) {
      return i;
    }
  }
  return std::string_view::npos;
}

std::string_view TrimLeftBlanks(std::string_view s) {
  const std::size_t p = s.find_first_not_of(' ');
  return p == std::string_view::npos ? std::string_view() : s.substr(p);
}

std::string_view TrimRightBlanks(std::string_view s) {
  const std::size_t p = s.find_last_not_of(' ');
  return p == std::string_view::npos ? std::string_view() : s.substr(0, p + 1);
}

std::string_view TrimBlanks(std::string_view s) { return TrimRightBlanks(TrimLeftBlanks(s)); }

std::string_view TrimWhitespace(std::string_view s) {
  constexpr std::string_view kWs = " \t\r\n";
  const std::size_t b = s.find_first_not_of(kWs);
  if (b == std::string_view::npos) return {};
  const std::size_t e = s.find_last_not_of(kWs);
  return s.substr(b, e - b + 1);
}

std::string PadRight(std::string_view s, std::size_t width) {
  std::string out(s.substr(0, std::min(width, s.size())));
  out.resize(width, ' ');
  return out;
}

std::string PadLeft(std::string_view s, std::size_t width) {
  if (s.size() >= width) return std::string(s);
  return std::string(width - s.size(), ' ') + std::string(s);
}

std::string_view SubText(std::string_view s, long long start, long long length) {
  if (length <= 0) return {};
  if (start < 1) {
    length += start - 1;
    start = 1;
    if (length <= 0) return {};
  }
  const auto size = static_cast<long long>(s.size());
  if (start > size) return {};
  const long long avail = size - (start - 1);
  return s.substr(static_cast<std::size_t>(start - 1),
                  static_cast<std::size_t>(std::min(length, avail)));
}

std::string_view Piece(std::string_view text, char separator, std::size_t n) {
  if (n == 0) return {};
  std::size_t begin = 0;
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t p = text.find(separator, begin);
    if (p == std::string_view::npos) return {};
    begin = p + 1;
  }
  const std::size_t end = text.find(separator, begin);
  return text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

std::vector<std::string_view> SplitPieces(std::string_view text, char separator) {
  std::vector<std::string_view> out;
  std::size_t begin = 0;
  while (true) {
    const std::size_t p = text.find(separator, begin);
    if (p == std::string_view::npos) {
      out.push_back(text.substr(begin));
      return out;
    }
    out.push_back(text.substr(begin, p - begin));
    begin = p + 1;
  }
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (true) {
    const std::size_t p = text.find(from, pos);
    if (p == std::string_view::npos) break;
    out.append(text.substr(pos, p - pos));
    out.append(to);
    pos = p + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace ardentix
