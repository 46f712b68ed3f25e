#include "parse/isa_split.h"

#include "common/text.h"
#include "x12/loader.h"

namespace ardentix::parse {

namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }

bool IsaAt(std::string_view bytes, std::size_t at, char separator) {
  return at + 3 < bytes.size() && ToUpperAscii(bytes[at]) == 'I' &&
         ToUpperAscii(bytes[at + 1]) == 'S' && ToUpperAscii(bytes[at + 2]) == 'A' &&
         bytes[at + 3] == separator;
}

}  // namespace

char UsageIndicator(std::string_view bytes, std::size_t isa, char separator) {
  // ISA15 is the text after the 15th separator of the header.
  int seen = 0;
  for (std::size_t i = isa + 3; i < bytes.size(); ++i) {
    if (bytes[i] != separator) continue;
    if (++seen == 15) {
      for (std::size_t j = i + 1; j < bytes.size() && bytes[j] != separator; ++j) {
        if (!IsBreak(bytes[j])) return bytes[j];
      }
      return 0;
    }
  }
  return 0;
}

std::vector<Piece> ProductionPieces(std::string_view bytes) {
  std::vector<Piece> pieces;
  const std::optional<std::size_t> first = x12::FindInterchange(bytes);
  if (!first) return pieces;
  const x12::DetectedDelimiters found = x12::DetectDelimiters(bytes, *first);
  const char terminator = found.delimiters.terminator;
  const char separator = found.delimiters.element;
  std::vector<std::size_t> starts{*first};
  if (found.complete) {
    for (std::size_t t = bytes.find(terminator, *first + 3); t != std::string_view::npos;
         t = bytes.find(terminator, t + 1)) {
      std::size_t at = t + 1;
      while (at < bytes.size() && IsBreak(bytes[at]) && bytes[at] != terminator) ++at;
      if (!IsaAt(bytes, at, separator)) continue;
      if (ToUpperAscii(UsageIndicator(bytes, at, separator)) == 'P') starts.push_back(at);
    }
  }
  for (std::size_t i = 0; i < starts.size(); ++i) {
    pieces.push_back(Piece{starts[i], i + 1 < starts.size() ? starts[i + 1] : bytes.size()});
  }
  return pieces;
}

}  // namespace ardentix::parse
