// Type ISA: cutting a file into one piece per production interchange.
//
// An interchange header counts only where "ISA" starts a segment (at the
// start of the interchange data or right after a segment terminator, line
// breaks and blanks allowed between) and is followed by the element
// separator, so "ISA" inside a name or an identifier never cuts. Every
// production header (ISA15 "P") after the first one starts a new piece; test
// and information interchanges stay with the piece before them.
#ifndef ARDENTIX_PARSE_ISA_SPLIT_H_
#define ARDENTIX_PARSE_ISA_SPLIT_H_

#include <cstddef>
#include <string_view>
#include <vector>

namespace ardentix::parse {

struct Piece {
  std::size_t begin = 0;  // offset of the "I" of its ISA
  std::size_t end = 0;    // one past its last byte
};

// The pieces of `bytes`; empty when no interchange header is found. The
// first piece begins at the first interchange header, the last runs to the
// end of the bytes, and together they cover everything from the first header.
std::vector<Piece> ProductionPieces(std::string_view bytes);

// The usage indicator (ISA15) of the header at `isa`, found by counting
// element separators; 0 when the header is cut short.
char UsageIndicator(std::string_view bytes, std::size_t isa, char separator);

}  // namespace ardentix::parse

#endif  // ARDENTIX_PARSE_ISA_SPLIT_H_
