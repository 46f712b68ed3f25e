// Segment and element access: reading elements and fields out of segment
// texts, counting and searching segments of a SegmentList, header values of
// the n-th transaction set, display formatting of amounts and dates, the
// small text utilities, the size of a file by name or pattern, and the block
// reader that cuts very large files into loadable pieces.
//
// Two numberings live side by side:
//   ElementAt: element 0 is the segment id, element 1 the first data element.
//   FieldAt:   field 1 is the segment id, field 2 the first data element.
// Neither splits composites. LookupFieldAt is the claim lookup's own reader:
// like FieldAt except that field 1 comes back with its first character
// written twice ("SV1" reads "SSV1").
//
// List scans over a list of n records visit records 1 to n - 1 (the last
// record, normally the IEA, is not visited). Nothing here changes a list.
#ifndef ARDENTIX_X12_ACCESS_H_
#define ARDENTIX_X12_ACCESS_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "x12/segment_list.h"

namespace ardentix::x12 {

// Element n of `text` split at `separator`: the text in front of the first
// separator for n = 0; empty when the text has fewer than n separators.
std::string_view ElementAt(std::string_view text, std::size_t n, char separator);
// Field n (from 1); empty for n = 0 or when absent.
inline std::string_view FieldAt(std::string_view text, std::size_t n, char separator) {
  return n == 0 ? std::string_view() : ElementAt(text, n - 1, separator);
}
// The lookup's field reader: FieldAt, but field 1 has its first character doubled.
std::string LookupFieldAt(std::string_view text, std::size_t n, char separator);
// 1 + the number of separators among all characters but the last.
std::size_t FieldCount(std::string_view text, char separator);

// Records (1..n-1) whose id is exactly "ISA" (kind "ISA"), exactly "ST"
// ("ST"), HL with HL03 "22" ("HL"), or NM1 with NM101 "85" ("NM185"). Other
// kinds count 0.
std::size_t CountSegmentsOfKind(std::string_view kind, const SegmentList& list, std::size_t n);
inline std::size_t CountSegmentsOfKind(std::string_view kind, const SegmentList& list) {
  return CountSegmentsOfKind(kind, list, list.size());
}

// The value asked by `request` from the k-th stretch that begins at a record
// whose id is `anchor`: 1 ST01, 2 ISA13, 3 ST03, 4 ISA12 as "4010"/"5010"
// (other values unchanged), 10 NM103 of the NM1*IL, 11 NM103 of the NM1*41.
std::string SetHeaderValue(const SegmentList& list, std::size_t n, std::size_t k, int request,
                           std::string_view anchor);

struct SearchSpec {
  std::string_view id;          // segment id (prefix match)
  std::string_view qualifier;   // field 2 must begin with it when not empty
  std::size_t field = 0;        // field number of the result (LookupFieldAt)
  std::string_view id2;         // optional follow-up segment
  std::string_view qualifier2;  // its field 2 prefix
  std::size_t hl_limit = 0;     // the walk stops when the HL count passes it
};
// Forward search from record `start` (see SearchSpec); empty text when
// nothing matches.
std::string SegmentSearch(std::size_t start, const SegmentList& list, std::size_t n,
                          const SearchSpec& spec);

// "TRANSACTIONSETDATE", "TRANSACTIONSETTIME", "INTERCHANGESENDERID",
// "INTERCHANGERECEIVERID", "APPLICATIONSENDERID", "APPLICATIONRECEIVERID",
// searched only in front of the first HL. Other names give empty text.
std::string HeaderValue(const SegmentList& list, std::size_t n, std::string_view name);

// "$": money with two decimals appended when missing ("100" -> "100.00");
// "D": CCYYMMDD -> "MM/DD/CCYY". Anything else unchanged.
std::string FormatValue(std::string_view value, std::string_view kind);

// The text after its first carriage return; empty when there is none.
std::string_view StripFirstLine(std::string_view text);
bool HasDot(std::string_view text);
std::string_view BeforeDot(std::string_view text);
// Part 0, 1 or 2 of the text split at dots; empty for other parts.
std::string_view DotPart(std::string_view text, int part);
// Comma-separated field 1..4; empty for other numbers.
std::string_view CommaField(std::string_view text, int field);

// Size of the last directory entry (in listing order) matching the file name
// or pattern ("*" and "?" in the name part, letter case ignored) whose size
// is above 0; 0 when none.
std::uintmax_t FileSizeOf(const std::filesystem::path& name_or_pattern);

// The block reader for large files.
//   mode 1: reads `block_size` bytes at `position` and returns the 1-based
//           position, within that block, of the terminator in front of the
//           last HL whose HL03 is "20" or "22" ("0" when there is none);
//   mode 2: the `block_size` bytes at `position`;
//   mode 3: the interchange header: the ISA, the first GS and the first ST
//           segments, each with its terminator.
// Read failures show the loader's messages and give empty text ("0" in mode 1).
std::string BlockRead(const std::filesystem::path& file, const X12Delimiters& delimiters,
                      std::uint64_t position, std::uint64_t block_size, int mode);

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_ACCESS_H_
