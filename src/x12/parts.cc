#include "x12/parts.h"

#include <string_view>

namespace ardentix::x12 {

SegmentList ExtractInterchange(const SegmentList& list, std::size_t k) {
  SegmentList out = list.EmptyCopy();
  if (k == 0) return out;
  const std::size_t n = list.size();
  std::size_t seen = 0;
  std::size_t first = 0;
  for (std::size_t i = 1; i <= n; ++i) {
    if (list.Id(i) != "ISA") continue;
    if (++seen == k) {
      first = i;
      break;
    }
  }
  if (first == 0) return out;
  std::size_t last = first;
  while (last + 1 <= n && list.Id(last + 1) != "ISA") ++last;
  out.Reserve(last - first + 1);
  for (std::size_t i = first; i <= last; ++i) out.AppendFrom(list, i);
  return out;
}

SegmentList ExtractSet(const SegmentList& list, std::size_t k) {
  SegmentList out = list.EmptyCopy();
  if (k == 0) return out;
  const std::size_t n = list.size();
  std::size_t seen = 0, first = 0, isa = 0, gs = 0;
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string_view id = list.Id(i);
    if (id == "ISA" && isa == 0) isa = i;
    if (id == "GS") gs = i;  // the last GS in front of the set: its own group
    if (id == "ST" && ++seen == k) {
      first = i;
      break;
    }
  }
  if (first == 0) return out;
  std::size_t end = first + 1;  // one past the range
  while (end <= n && list.Id(end) != "ST") ++end;
  const std::size_t room = (end - first) + 4;
  out.Reserve(room);
  if (isa != 0) out.AppendFrom(list, isa);
  if (gs != 0) out.AppendFrom(list, gs);

  const std::string_view type = list.Element(first, 1);
  std::uint32_t c = 0;
  for (std::size_t i = first; i < end; ++i) {
    out.AppendFrom(list, i);
    const std::size_t r = out.size();
    const std::string_view id = list.Id(i);
    const bool hl22 = id == "HL" && list.Element(i, 3) == "22";
    if (type.starts_with("835")) {
      if (id == "CLP") ++c;
      out.SetLevel(r, c);
      out.SetFileClaimNo(r, c);
      out.SetInterchangeClaimNo(r, c);
    } else if (type.starts_with("837")) {
      if (hl22) ++c;
      out.SetClaimNumbers(r, c, c, c);
    } else if (type.starts_with("277")) {
      if (hl22) ++c;
      if (id == "HL") {
        out.SetClaimNumbers(r, c, c, c);
      } else {
        out.SetLevel(r, c);
        out.SetFileClaimNo(r, c);
        out.SetInterchangeClaimNo(r, c);
      }
    }
  }
  if (end <= n) {
    // After the next ST: the first GE and the first IEA close the envelope.
    bool ge = false, iea = false;
    for (std::size_t i = end; i <= n && !(ge && iea); ++i) {
      const std::string_view id = list.Id(i);
      if (!ge && id == "GE") {
        out.AppendFrom(list, i);
        ge = true;
      } else if (!iea && id == "IEA") {
        out.AppendFrom(list, i);
        iea = true;
      }
    }
  }
  while (out.size() < room) out.AppendEmpty();
  return out;
}

SegmentList MergeSets(const SegmentList& list) {
  SegmentList out = list.EmptyCopy();
  const std::size_t n = list.size();
  std::size_t first_se = n + 1;
  for (std::size_t i = 1; i <= n; ++i) {
    if (list.Id(i) == "SE") {
      first_se = i;
      break;
    }
  }
  out.Reserve(n);
  std::uint32_t number = 0;
  std::uint32_t previous = 0;  // the source number of the last numbered record
  bool have_previous = false;
  for (std::size_t i = 1; i <= n; ++i) {
    if (list.Id(i) == "ST") have_previous = false;
    const std::uint32_t source = list.SetClaimNo(i);
    if (i >= first_se && source == 0) continue;
    out.AppendFrom(list, i);
    if (source == 0) continue;
    if (!have_previous || source != previous) ++number;
    previous = source;
    have_previous = true;
    out.SetSetClaimNo(out.size(), number);
  }
  if (!out.empty()) {
    // The last selected record (normally the GE) gives way to an empty record.
    out.records().back() = SegmentRecord{};
  }
  return out;
}

}  // namespace ardentix::x12
