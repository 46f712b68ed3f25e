#include "x12/segment_list.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>

#include "common/number.h"
#include "common/text.h"
#include "x12/access.h"

namespace ardentix::x12 {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;
}  // namespace

void* AllocateLarge(std::size_t bytes) {
  if (bytes < kLargeBlock) return ::operator new(bytes);
  const std::size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
  void* p = std::aligned_alloc(kHugePage, rounded);
  if (p == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  ::madvise(p, rounded, MADV_HUGEPAGE);
#endif
  return p;
}

void FreeLarge(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < kLargeBlock) {
    ::operator delete(p);
  } else {
    std::free(p);
  }
}

const SegmentRecord SegmentList::kEmptyRecord{};

std::string_view LoopLabelText(LoopLabelId id) {
  static constexpr std::array<std::string_view, 11> kTexts = {
      "",     "1000A", "1000B",     "2010AA", "2010BA", "2010BB",
      "2300", "2400",  "---------", "2000A",  "2000B"};
  const auto n = static_cast<std::size_t>(id);
  return n < kTexts.size() ? kTexts[n] : std::string_view();
}

const std::vector<std::string>& LoopIdTable() {
  static const std::vector<std::string> kTable = {
      "1000A",  "1000B",  "2000A", "2010AA", "2010AB", "2000B", "2010BA", "2010BB",
      "2010BC", "2010BD", "2000C", "2000CA", "2300",   "2305",  "2310A",  "2310B",
      "2310B",  "2310C",  "2310D", "2310E",  "2320",   "2330A", "2330B",  "2330C",
      "2330D",  "2330E",  "2330F", "2330G",  "2330H",  "2400",  "2420A",  "2420B",
      "2420C",  "2420D",  "2420E", "2420F",  "2420G",  "2430",  "2440"};
  return kTable;
}

SegmentList::SegmentList() : runs_(1) {}

SegmentList::SegmentList(std::shared_ptr<X12Buffer> buffer, X12Delimiters delimiters)
    : buffer_(std::move(buffer)), delimiters_(delimiters), runs_(1) {}

std::string_view SegmentList::LongId(std::size_t i) const {
  const std::string_view text = Text(i);
  const std::size_t sep = text.find(delimiters_.element);
  if (sep == std::string_view::npos) return {};
  return TrimBlanks(text.substr(0, sep));
}

std::string_view SegmentList::Element(std::size_t i, std::size_t n) const {
  return ElementAt(Text(i), n, delimiters_.element);
}

std::string SegmentList::LevelText(std::size_t i) const {
  return HasLevel(i) ? FormatInteger(Level(i)) : std::string();
}

std::uint64_t SegmentList::FileOffset(std::size_t i) const {
  const SegmentRecord& r = Record(i);
  return r.length == 0 ? 0 : r.position();
}

std::uint64_t SegmentList::IdFileOffset(std::size_t i) const {
  if (i >= 1 && !moved_ids_.empty()) {
    auto it = std::lower_bound(moved_ids_.begin(), moved_ids_.end(),
                               std::make_pair(static_cast<std::uint32_t>(i), std::uint64_t{0}));
    if (it != moved_ids_.end() && it->first == i) return it->second;
  }
  const SegmentRecord& r = Record(i);
  if (r.length == 0) return 0;
  if (r.id_begin != 255) return r.position() + r.id_begin;
  const std::string_view text = Text(i);
  return r.position() + (text.size() - TrimLeftBlanks(text).size());
}

std::string SegmentList::FileOffsetField(std::size_t i) const {
  const std::string_view id = Id(i);
  if (id != "HL" && id != "CLP") return {};
  return FormatInteger(static_cast<std::int64_t>(IdFileOffset(i)));
}

std::string_view SegmentList::SegmentNote(std::size_t i) const {
  const std::uint32_t slot = Record(i).note;
  return slot == 0 ? std::string_view() : std::string_view(notes_[slot - 1].segment);
}

std::string_view SegmentList::ElementNote(std::size_t i) const {
  const std::uint32_t slot = Record(i).note;
  return slot == 0 ? std::string_view() : std::string_view(notes_[slot - 1].element);
}

std::string SegmentList::FieldText(std::size_t i, int field) const {
  auto number = [](std::uint32_t v) { return v == 0 ? std::string() : FormatInteger(v); };
  switch (field) {
    case 1:
      return std::string(Id(i));
    case 2:
      return std::string(Text(i));
    case 3:
      return LevelText(i);
    case 4:
      return std::string(LoopLabel(i));
    case 5:
      return std::string(SegmentNote(i));
    case 6:
      return std::string(ElementNote(i));
    case 8:
      return number(SetClaimNo(i));
    case 9:
      return FileOffsetField(i);
    case 10:
      return number(FileClaimNo(i));
    case 11:
      return number(InterchangeClaimNo(i));
    case 12:
      return HasBillingLevelCount(i) ? FormatInteger(BillingLevelCount(i)) : std::string();
    case 13:
      if (i < 1 || i > size()) return {};
      return {delimiters_.terminator, delimiters_.element, delimiters_.component};
    default:
      return {};
  }
}

void SegmentList::SetLevel(std::size_t i, std::uint32_t level) {
  if (i < 1 || i > size() || level == UINT32_MAX) return;
  records_[i - 1].level = level + 1;
}

void SegmentList::ClearLevel(std::size_t i) {
  if (i >= 1 && i <= size()) records_[i - 1].level = 0;
}

std::uint32_t SegmentList::AddRun(const ClaimRun& run) {
  if (run == runs_.back()) return static_cast<std::uint32_t>(runs_.size() - 1);
  if (run == runs_[0]) return 0;
  runs_.push_back(run);
  return static_cast<std::uint32_t>(runs_.size() - 1);
}

void SegmentList::ChangeRun(std::size_t i, const ClaimRun& run) {
  if (i < 1 || i > size()) return;
  if (runs_[records_[i - 1].run] == run) return;
  records_[i - 1].run = AddRun(run);
}

void SegmentList::SetClaimNumbers(std::size_t i, std::uint32_t set, std::uint32_t file,
                                  std::uint32_t interchange) {
  ClaimRun run = Run(i);
  run.set = set;
  run.file = file;
  run.interchange = interchange;
  ChangeRun(i, run);
}

void SegmentList::SetSetClaimNo(std::size_t i, std::uint32_t set) {
  ClaimRun run = Run(i);
  run.set = set;
  ChangeRun(i, run);
}

SegmentList::Notes& SegmentList::NotesFor(std::size_t i) {
  SegmentRecord& r = records_[i - 1];
  if (r.note == 0) {
    notes_.emplace_back();
    r.note = static_cast<std::uint32_t>(notes_.size());
  }
  return notes_[r.note - 1];
}

void SegmentList::SetSegmentNote(std::size_t i, std::string_view note) {
  if (i < 1 || i > size()) return;
  NotesFor(i).segment.assign(note);
}

void SegmentList::SetElementNote(std::size_t i, std::string_view note) {
  if (i < 1 || i > size()) return;
  NotesFor(i).element.assign(note);
}

SegmentList SegmentList::EmptyCopy() const { return SegmentList(buffer_, delimiters_); }

void SegmentList::AppendFrom(const SegmentList& source, std::size_t i) {
  if (!buffer_ && records_.empty()) {
    buffer_ = source.buffer_;
    delimiters_ = source.delimiters_;
  }
  if (i < 1 || i > source.size() || buffer_ != source.buffer_) {
    // A record of another file cannot point into this buffer; keep the
    // numbering of the list intact with an empty record.
    records_.emplace_back();
    return;
  }
  SegmentRecord r = source.records_[i - 1];
  r.run = AddRun(source.runs_[r.run]);
  if (r.note != 0) {
    notes_.push_back(source.notes_[r.note - 1]);
    r.note = static_cast<std::uint32_t>(notes_.size());
  }
  records_.push_back(r);
  if (!source.moved_ids_.empty()) {
    auto it = std::lower_bound(source.moved_ids_.begin(), source.moved_ids_.end(),
                               std::make_pair(static_cast<std::uint32_t>(i), std::uint64_t{0}));
    if (it != source.moved_ids_.end() && it->first == i) {
      SetIdFileOffset(records_.size(), it->second);
    }
  }
}

void SegmentList::SetIdFileOffset(std::size_t i, std::uint64_t offset) {
  const auto key = static_cast<std::uint32_t>(i);
  auto it =
      std::lower_bound(moved_ids_.begin(), moved_ids_.end(), std::make_pair(key, std::uint64_t{0}));
  if (it != moved_ids_.end() && it->first == key) {
    it->second = offset;
  } else {
    moved_ids_.insert(it, {key, offset});
  }
}

}  // namespace ardentix::x12
