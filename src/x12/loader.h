// The X12 file loader: turns a file into a SegmentList with its delimiters
// and its ClaimIndex.
//
// What this header offers:
//   - ReadX12Bytes: the whole file in one buffer (one read, checked).
//   - FindInterchange / StartsWithIsa / HasBlankSeparator: where the
//     interchange begins. A UTF-8 byte-order mark and white space in front of
//     "ISA" still count as starting with ISA; other leading text is skipped by
//     loading from the ISA that FindInterchange returns.
//   - DetectDelimiters: the delimiters of the interchange. The element
//     separator is the byte after "ISA", the component separator ISA16 (found
//     by counting separators, so a wrapped or not fixed-width ISA is read
//     right), the terminator the byte after ISA16. Control characters
//     (0x1C-0x1F, a line feed as terminator) are used as they are.
//   - CountSegments: the number of records a load gives (the list is sized once).
//   - LoadSegments: the list, with levels, loop labels, the three claim-unit
//     numberings and the billing-level counts, built in one pass over the
//     bytes (a second pass over the records only when the 837 billing-
//     provider rule of the whole file makes billing-provider levels open the
//     claim units); drives the "Loading File " meter. Bytes below 32 that are
//     not delimiters are dropped from segment texts; the last record is not
//     numbered; a final segment without terminator is loaded.
//   - BuildClaimIndex: the first record of every claim unit by file-wide (1),
//     per-set (2) or per-interchange (3) numbers.
//   - LoadX12File: all of the above in one call (one read of the file).
//   - The file-name forms of the documented operations (DetectDelimiter,
//     CountSegments, LoadSegments on a path) for callers that work on files.
//
// Failures are shown through the ui layer with the loader's messages
// ("Cfile <ERROR> FC-Open # 2", name + " File Not Found (1)", ...) and are
// reported in LoadStatus; nothing here ends the run.
#ifndef ARDENTIX_X12_LOADER_H_
#define ARDENTIX_X12_LOADER_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "x12/segment_list.h"

namespace ardentix::x12 {

namespace fs = std::filesystem;

struct LoadStatus {
  bool ok = true;       // false after a missing file, a failed open or read
  std::string message;  // the message shown
};

// Reads the whole file. Missing file: `missing_tag` names the message
// (name + " File Not Found (1)" for the loader, "(2)" for the counter).
std::shared_ptr<X12Buffer> ReadX12Bytes(const fs::path& file, LoadStatus* status = nullptr,
                                        std::string_view missing_tag = " File Not Found (1)");

// Position of the "I" of the first interchange header at or after `from`:
// "ISA" in any letter case followed by a byte that is neither a letter nor
// a digit, at the start or after a byte that is not a letter or digit.
std::optional<std::size_t> FindInterchange(std::string_view bytes, std::size_t from = 0);
// Length of a UTF-8 byte-order mark and white space (blank, tab, CR, LF) at
// the start of the bytes.
std::size_t LeadingNoise(std::string_view bytes);
// True when the bytes, after LeadingNoise, begin with an interchange header
// ("ISA" in any case followed by a separator).
bool StartsWithIsa(std::string_view bytes);
bool StartsWithIsa(const fs::path& file);
// True when the interchange at `isa` has a blank where its element separator
// belongs ("ISA ").
bool HasBlankSeparator(std::string_view bytes, std::size_t isa);
bool HasBlankSeparator(const fs::path& file);

struct DetectedDelimiters {
  X12Delimiters delimiters;
  // false when the ISA is cut short: every delimiter is then a blank.
  bool complete = false;
};
// Delimiters of the interchange that begins at `isa`.
DetectedDelimiters DetectDelimiters(std::string_view bytes, std::size_t isa);
// The documented one-at-a-time form: which 1 terminator, 2 element separator,
// 3 component separator; `start` is where the search for the ISA begins. A
// blank when the file is missing, unreadable or too short.
char DetectDelimiter(const fs::path& file, int which, std::uint64_t start = 0);

// Number of segment terminators in [start, end) of the bytes, plus one for
// text after the last terminator (a final segment without terminator). 0
// when there is no terminator at all. `end` 0 means the end of the bytes.
std::size_t CountSegments(std::string_view bytes, std::uint64_t start, std::uint64_t end,
                          char terminator);
// The documented form: loads from the interchange at or after `start`.
std::size_t CountSegments(const fs::path& file, std::uint64_t start, char terminator);

struct LoadOptions {
  std::uint64_t start = 0;  // where the interchange search begins
  std::uint64_t end = 0;    // 0 = end of file
  // Caption of the progress meter ("Loading File " + this); no meter when
  // empty or when loading from a non-zero start.
  std::string meter_name;
};

// Loads at most `count` records from the buffer, beginning at the interchange
// found at or after options.start. The buffer is compacted in place.
SegmentList LoadSegments(std::shared_ptr<X12Buffer> buffer, std::size_t count,
                         const X12Delimiters& delimiters, const LoadOptions& options);
// The documented form on a file name.
SegmentList LoadSegments(const fs::path& file, std::size_t count, const X12Delimiters& delimiters,
                         std::uint64_t start = 0, std::uint64_t end = 0,
                         LoadStatus* status = nullptr);

// Numbers the claim units of a loaded list (fields 8, 10, 11, 12). Called by
// LoadSegments; exposed for lists built by hand in tests.
void NumberClaimUnits(SegmentList& list);

// mode 1: by file-wide numbers, 2: per-set numbers, 3: per-interchange numbers.
ClaimIndex BuildClaimIndex(const SegmentList& list, int mode);

struct X12File {
  SegmentList list;
  ClaimIndex index;  // by file-wide numbers
  LoadStatus status;
  bool found_interchange = false;
  bool blank_separator = false;
  bool starts_with_isa = false;  // BOM and white space allowed in front
  std::size_t interchange_offset = 0;
};
// Reads, detects, counts, loads and indexes a file in one go.
X12File LoadX12File(const fs::path& file, bool meter = true);
// The same over bytes already in memory (tests, fuzzing).
X12File LoadX12Bytes(std::string_view bytes);

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_LOADER_H_
