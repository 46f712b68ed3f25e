#include "x12/parts.h"

#include <algorithm>
#include <string_view>

namespace ardentix::x12 {

namespace {

// The first entry of `numbers` (ascending) at or after record `from`; 0 when none.
std::size_t FirstFrom(const std::vector<std::size_t>& numbers, std::size_t from) {
  const auto it = std::lower_bound(numbers.begin(), numbers.end(), from);
  return it == numbers.end() ? 0 : *it;
}

// The last entry of `numbers` (ascending) before record `before`; 0 when none.
std::size_t LastBefore(const std::vector<std::size_t>& numbers, std::size_t before) {
  const auto it = std::lower_bound(numbers.begin(), numbers.end(), before);
  return it == numbers.begin() ? 0 : *(it - 1);
}

}  // namespace

PartCuts::PartCuts(const SegmentList& list) : list_(&list) {
  const std::size_t n = list.size();
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string_view id = list.Id(i);
    if (id == "ISA") {
      isa_.push_back(i);
    } else if (id == "GS") {
      gs_.push_back(i);
    } else if (id == "ST") {
      st_.push_back(i);
    } else if (id == "GE") {
      ge_.push_back(i);
    } else if (id == "IEA") {
      iea_.push_back(i);
    }
  }
}

SegmentList PartCuts::Interchange(std::size_t k) const {
  const SegmentList& list = *list_;
  SegmentList out = list.EmptyCopy();
  if (k == 0 || k > isa_.size()) return out;
  const std::size_t first = isa_[k - 1];
  const std::size_t last = k < isa_.size() ? isa_[k] - 1 : list.size();
  out.Reserve(last - first + 1);
  for (std::size_t i = first; i <= last; ++i) out.AppendFrom(list, i);
  return out;
}

SegmentList PartCuts::Set(std::size_t k) const {
  const SegmentList& list = *list_;
  SegmentList out = list.EmptyCopy();
  if (k == 0 || k > st_.size()) return out;
  const std::size_t n = list.size();
  const std::size_t first = st_[k - 1];
  const std::size_t end = k < st_.size() ? st_[k] : n + 1;  // one past the range
  // The envelope: the first ISA in front of the set and the last GS in front
  // of it (its own group).
  const std::size_t isa = !isa_.empty() && isa_.front() < first ? isa_.front() : 0;
  const std::size_t gs = LastBefore(gs_, first);
  const std::size_t room = (end - first) + 4;
  out.Reserve(room);
  if (isa != 0) out.AppendFrom(list, isa);
  if (gs != 0) out.AppendFrom(list, gs);

  const std::size_t range_start = out.size() + 1;
  for (std::size_t i = first; i < end; ++i) out.AppendFrom(list, i);
  // The claim units renumbered from 1, once the range is copied: the records
  // of a unit then share one run of numbers (see SegmentList::AddRun).
  const std::string_view type = list.Element(first, 1);
  std::uint32_t c = 0;
  for (std::size_t i = first, r = range_start; i < end; ++i, ++r) {
    const std::string_view id = list.Id(i);
    const bool hl22 = id == "HL" && list.Element(i, 3) == "22";
    if (type.starts_with("835")) {
      if (id == "CLP") ++c;
      out.SetLevel(r, c);
      out.SetClaimNumbers(r, out.SetClaimNo(r), c, c);
    } else if (type.starts_with("837")) {
      if (hl22) ++c;
      out.SetClaimNumbers(r, c, c, c);
    } else if (type.starts_with("277")) {
      if (hl22) ++c;
      if (id == "HL") {
        out.SetClaimNumbers(r, c, c, c);
      } else {
        out.SetLevel(r, c);
        out.SetClaimNumbers(r, out.SetClaimNo(r), c, c);
      }
    }
  }
  if (end <= n) {
    // After the next ST: the first GE and the first IEA close the envelope,
    // in the order they stand.
    const std::size_t ge = FirstFrom(ge_, end);
    const std::size_t iea = FirstFrom(iea_, end);
    if (ge != 0 && (iea == 0 || ge < iea)) {
      out.AppendFrom(list, ge);
      if (iea != 0) out.AppendFrom(list, iea);
    } else if (iea != 0) {
      out.AppendFrom(list, iea);
      if (ge != 0) out.AppendFrom(list, ge);
    }
  }
  while (out.size() < room) out.AppendEmpty();
  return out;
}

SegmentList ExtractInterchange(const SegmentList& list, std::size_t k) {
  return PartCuts(list).Interchange(k);
}

SegmentList ExtractSet(const SegmentList& list, std::size_t k) { return PartCuts(list).Set(k); }

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
