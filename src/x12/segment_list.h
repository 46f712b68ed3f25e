// The in-memory form of a loaded X12 file.
//
// What this header offers:
//   - X12Buffer: the file's bytes, read once into one buffer and shared by the
//     list and by every part (interchange, set) copied from it.
//   - X12Delimiters: segment terminator, element separator, component
//     separator (and the ISA11 repetition byte).
//   - SegmentList: a 1-based list of compact SegmentRecords. A record holds an
//     offset into the buffer and small integers, never a copy of its text.
//     Every access is by record number and bounds-checked: a number outside
//     1..size() reads as an empty record (empty text, no numbers).
//     Per record: text, id, level, loop label, the three claim-unit numbers
//     (per set, per file, per interchange), the billing-level count, the file
//     offset, the segment and element error notes, and element views.
//   - ClaimIndex: the record numbers where each claim unit begins, never empty.
//   - LoopIdTable(): the fixed list of the 39 837 loop labels.
//
// The documented thirteen-field record is available as text through
// SegmentList::FieldText(i, n) for code written against field numbers;
// typed accessors (SetClaimNo(i) and the like) are the cheap way.
#ifndef ARDENTIX_X12_SEGMENT_LIST_H_
#define ARDENTIX_X12_SEGMENT_LIST_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ardentix::x12 {

// Memory for large arrays (the file buffer, the records). Blocks of several
// megabytes are asked for in huge pages where the system offers them: on
// machines where every page fault is costly this cuts the time to touch a
// 100 MB buffer from hundreds of milliseconds to a few.
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* p, std::size_t bytes) noexcept;

template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { FreeLarge(p, n * sizeof(T)); }
  template <typename U>
  bool operator==(const LargeAllocator<U>&) const {
    return true;
  }
};

// The bytes of one file. The loader compacts segment texts in place (bytes
// below 32 that are not delimiters are squeezed out), so after loading the
// buffer holds every segment text contiguously at its record's position.
class X12Buffer {
 public:
  explicit X12Buffer(std::size_t size)
      : data_(static_cast<char*>(AllocateLarge(size == 0 ? 1 : size))),
        capacity_(size == 0 ? 1 : size),
        size_(size) {}
  ~X12Buffer() { FreeLarge(data_, capacity_); }
  X12Buffer(const X12Buffer&) = delete;
  X12Buffer& operator=(const X12Buffer&) = delete;
  char* data() { return data_; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  // Shrinks the visible size (a file that got shorter while it was read).
  void Truncate(std::size_t size) {
    if (size < size_) size_ = size;
  }
  std::string_view view() const { return {data_, size_}; }

 private:
  char* data_;
  std::size_t capacity_;
  std::size_t size_;
};

struct X12Delimiters {
  char terminator = '~';
  char element = '*';
  char component = '>';
  // ISA11 as read (the repetition separator in 5010, "U" in 4010). Not one of
  // the three documented delimiters; the loader keeps it in segment text when
  // it is a control character. 0 when unknown.
  char repetition = 0;
};

// Loop labels the loader gives (field 4). Stored as a small number.
enum class LoopLabelId : std::uint8_t {
  kNone = 0,
  k1000A,
  k1000B,
  k2010AA,
  k2010BA,
  k2010BB,
  k2300,
  k2400,
  kHlDashes,  // "---------" on HL segments
  k2000A,
  k2000B,
};
std::string_view LoopLabelText(LoopLabelId id);

// The fixed 39 837 loop labels, "1000A" first ("2310B" stands twice).
const std::vector<std::string>& LoopIdTable();

// One segment. 24 bytes; read it through SegmentList, which knows the buffer.
struct SegmentRecord {
  std::uint32_t pos_lo = 0;    // position of the text in the buffer (low 32 bits)
  std::uint32_t length = 0;    // text length
  std::uint32_t run = 0;       // claim-number run (0 = no numbers)
  std::uint32_t level = 0;     // level + 1; 0 = empty
  std::uint32_t note = 0;      // note slot + 1; 0 = no notes
  std::uint8_t pos_hi = 0;     // position bits 32..39
  std::uint8_t loop = 0;       // LoopLabelId
  std::uint8_t id_begin = 0;   // blanks in front of the id; 255 = see the text
  std::uint8_t id_length = 0;  // id length (255 with id_begin 255: see the text)

  std::uint64_t position() const { return (static_cast<std::uint64_t>(pos_hi) << 32) | pos_lo; }
};
static_assert(sizeof(SegmentRecord) == 24, "records stay small");

// The claim numbers and the billing-level count shared by a stretch of
// records. Stored once per change, not once per record.
struct ClaimRun {
  std::uint32_t set = 0;          // field 8 (0 = empty)
  std::uint32_t file = 0;         // field 10
  std::uint32_t interchange = 0;  // field 11
  std::uint32_t billing = 0;      // field 12 + 1 (0 = empty)
  bool operator==(const ClaimRun&) const = default;
};

using RecordVector = std::vector<SegmentRecord, LargeAllocator<SegmentRecord>>;

class SegmentList {
 public:
  SegmentList();
  // An empty list over `buffer` (the loader's starting point).
  SegmentList(std::shared_ptr<X12Buffer> buffer, X12Delimiters delimiters);

  // Record count N. Records are numbered 1..N.
  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  const X12Delimiters& delimiters() const { return delimiters_; }
  const std::shared_ptr<X12Buffer>& buffer() const { return buffer_; }

  // --- reading a record (1-based; out of range reads as an empty record) ---
  const SegmentRecord& Record(std::size_t i) const {
    return (i >= 1 && i <= records_.size()) ? records_[i - 1] : kEmptyRecord;
  }
  // The segment text without its terminator, bytes below 32 removed (field 2).
  std::string_view Text(std::size_t i) const {
    const SegmentRecord& r = Record(i);
    return r.length == 0 ? std::string_view() : std::string_view(base() + r.position(), r.length);
  }
  // The characters in front of the first element separator, blanks removed
  // (field 1). Empty when the segment has no element separator.
  std::string_view Id(std::size_t i) const {
    const SegmentRecord& r = Record(i);
    if (r.id_begin != 255) {
      return r.id_length == 0 ? std::string_view()
                              : std::string_view(base() + r.position() + r.id_begin, r.id_length);
    }
    return LongId(i);
  }
  bool IdIs(std::size_t i, std::string_view id) const { return Id(i) == id; }
  // Element n (0 = the id as written, 1 = first data element), whole
  // composites included; empty when absent. A view into the buffer.
  std::string_view Element(std::size_t i, std::size_t n) const;
  // Field n (1 = the id as written, 2 = first data element).
  std::string_view Field(std::size_t i, std::size_t n) const {
    return n == 0 ? std::string_view() : Element(i, n - 1);
  }

  // Level (field 3): a digit for most segments; empty for many.
  bool HasLevel(std::size_t i) const { return Record(i).level != 0; }
  std::uint32_t Level(std::size_t i) const {
    const std::uint32_t l = Record(i).level;
    return l == 0 ? 0 : l - 1;
  }
  std::string LevelText(std::size_t i) const;
  // 837 loop label for display (field 4).
  LoopLabelId LoopLabelIdAt(std::size_t i) const {
    return static_cast<LoopLabelId>(Record(i).loop);
  }
  std::string_view LoopLabel(std::size_t i) const { return LoopLabelText(LoopLabelIdAt(i)); }

  // Claim-unit numbers; 0 means empty (fields 8, 10, 11).
  std::uint32_t SetClaimNo(std::size_t i) const { return Run(i).set; }
  std::uint32_t FileClaimNo(std::size_t i) const { return Run(i).file; }
  std::uint32_t InterchangeClaimNo(std::size_t i) const { return Run(i).interchange; }
  // Number of 837 billing-provider levels met up to this record (field 12).
  bool HasBillingLevelCount(std::size_t i) const { return Run(i).billing != 0; }
  std::uint32_t BillingLevelCount(std::size_t i) const {
    const std::uint32_t b = Run(i).billing;
    return b == 0 ? 0 : b - 1;
  }

  // Offset in the file of the record's first text byte (0 for an empty record).
  std::uint64_t FileOffset(std::size_t i) const;
  // Offset in the file of the first letter of the segment id.
  std::uint64_t IdFileOffset(std::size_t i) const;
  // Field 9: the id's file offset as decimal text for HL and CLP segments,
  // empty for every other segment.
  std::string FileOffsetField(std::size_t i) const;

  // Segment and element error notes (fields 5 and 6); empty when none.
  std::string_view SegmentNote(std::size_t i) const;
  std::string_view ElementNote(std::size_t i) const;

  // The documented record fields 1..13 as text (5 and 6 the notes, 7 always
  // empty, 13 the delimiters as terminator, element and component separator).
  std::string FieldText(std::size_t i, int field) const;

  // --- changing records (part building, renumbering, notes) ---------------
  void SetLevel(std::size_t i, std::uint32_t level);
  void ClearLevel(std::size_t i);
  // Sets the three claim numbers (0 = empty), keeping the billing count.
  void SetClaimNumbers(std::size_t i, std::uint32_t set, std::uint32_t file,
                       std::uint32_t interchange);
  void SetSetClaimNo(std::size_t i, std::uint32_t set);
  void SetSegmentNote(std::size_t i, std::string_view note);
  void SetElementNote(std::size_t i, std::string_view note);

  // --- building lists ------------------------------------------------------
  // A new empty list over the same buffer and delimiters.
  SegmentList EmptyCopy() const;
  void Reserve(std::size_t n) { records_.reserve(n); }
  // Appends a copy of record i of `source` (all fields, notes included).
  // `source` must share this list's buffer; an empty list without a buffer
  // adopts the source's buffer and delimiters.
  void AppendFrom(const SegmentList& source, std::size_t i);
  // Appends a record whose every field is empty.
  void AppendEmpty() { records_.emplace_back(); }

  // --- loader interface ----------------------------------------------------
  RecordVector& records() { return records_; }
  const RecordVector& records() const { return records_; }
  // Appends a run and returns its number (reusing the last run when equal).
  std::uint32_t AddRun(const ClaimRun& run);
  const ClaimRun& Run(std::size_t i) const { return runs_[Record(i).run]; }
  // The exact id offset of a record whose id moved when its text was
  // compacted (rare: a line break inside or in front of the id).
  void SetIdFileOffset(std::size_t i, std::uint64_t offset);

 private:
  static const SegmentRecord kEmptyRecord;
  const char* base() const { return buffer_ ? buffer_->data() : nullptr; }
  std::string_view LongId(std::size_t i) const;
  void ChangeRun(std::size_t i, const ClaimRun& run);
  struct Notes {
    std::string segment;
    std::string element;
  };
  Notes& NotesFor(std::size_t i);

  std::shared_ptr<X12Buffer> buffer_;
  X12Delimiters delimiters_;
  RecordVector records_;
  std::vector<ClaimRun> runs_;  // runs_[0]: every field empty
  std::vector<Notes> notes_;
  // (record number, id offset) for records whose id moved; sorted.
  std::vector<std::pair<std::uint32_t, std::uint64_t>> moved_ids_;
};

// The record numbers at which each claim unit begins: entry k (1-based) is
// the first record of unit k. Never empty: {1} when there is no unit.
class ClaimIndex {
 public:
  ClaimIndex() : starts_{1} {}
  explicit ClaimIndex(std::vector<std::uint32_t> starts) : starts_(std::move(starts)) {
    if (starts_.empty()) starts_.push_back(1);
  }
  std::size_t size() const { return starts_.size(); }
  // Entry k (1-based); 0 outside 1..size().
  std::uint32_t operator[](std::size_t k) const {
    return (k >= 1 && k <= starts_.size()) ? starts_[k - 1] : 0;
  }
  const std::vector<std::uint32_t>& starts() const { return starts_; }
  bool operator==(const ClaimIndex&) const = default;

 private:
  std::vector<std::uint32_t> starts_;
};

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_SEGMENT_LIST_H_
