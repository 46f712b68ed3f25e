// Large files in blocks: an X12 file cut into loadable blocks of about a
// given size, read piece by piece so that the whole file is never held.
//
// A block ends in front of a segment where a new unit may begin: an ISA, GS
// or ST, or, inside an 837 set, an HL whose level code (HL03) is "20"
// (billing provider) or "22" (subscriber); and only once it holds a unit (a
// subscriber level of an 837 set, or a whole set of another kind). A block that does not begin with
// an ISA is preceded by the headers its first unit needs: the current ISA,
// the current GS, the set header (ST up to the first HL) and, for a block
// that begins at a subscriber level, the segments of the billing-provider
// level it belongs to. A block cut inside a set is closed with SE, GE and IEA
// carrying the control numbers of its envelopes (and its own counts), so
// that every block is a whole interchange and its last data segment is read
// like any other. Every segment of the file lands in exactly one block
// (after the start offset), so no claim is lost or repeated.
#ifndef ARDENTIX_PARSE_BLOCKS_H_
#define ARDENTIX_PARSE_BLOCKS_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace ardentix::parse {

struct BlockSettings {
  // A block is closed at the first cut point after it holds this many bytes
  // of the file (a unit larger than this makes a larger block).
  std::uint64_t block_size = 0;
  // The first block begins at the first cut point at or after this offset
  // (the headers in front of it are still carried).
  std::uint64_t start = 0;
  // At most this many blocks; 0: all.
  std::uint64_t count = 0;
};

// Calls `take` with the text of every block in order (n from 1) until it
// returns false. Returns false when the file could not be read (the
// reader's message has been shown) or holds no interchange.
bool ForEachBlock(const std::filesystem::path& file, const BlockSettings& settings,
                  const std::function<bool(std::string_view text, int n)>& take);

}  // namespace ardentix::parse

#endif  // ARDENTIX_PARSE_BLOCKS_H_
