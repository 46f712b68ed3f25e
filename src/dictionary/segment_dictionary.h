// The built-in X12 segment dictionary `QVX12`: per transaction family a sparse
// list of segment entries, their element entries and the code lists of selected
// elements, used to turn codes into readable descriptions (NM108 "XX" ->
// "National Provider ID", CLP02 "1" -> "Processed as Primary", EB03 "1" ->
// "Medical Care").
//
// Seven tables, chosen by number:
//   1 none (1 empty slot)        2 837 claims (120 slots)   3 835 remittance (25)
//   4 837 header only (20)       5 271 eligibility (63)     6 none (20 empty slots)
//   7 277 claim status (200)
// Segment, element and component slots are numbered from 1, as in X12 notation:
// element 8 of segment slot 13 of table 2 is NM108 of the billing provider.
//
// All data is constant and lives in static storage; nothing allocates. Entry
// lookups are array indexing; `CodeList::Describe` walks the list in order for
// the loose matches and binary-searches a precomputed index for exact ones.
// Texts are kept exactly as they are shown to users, misspellings included
// ("Manditory", "Opional", "Tranasction Set Header", "Idenifier").
//
// Typical caller (resolve the list once, describe per claim):
//   const auto& ids = dictionary::CodesAt(dictionary::kProviderIdTypeCodes);
//   std::string_view text = ids.Describe(nm108, dictionary::CodeMatch::kEntryBeginsWithValue);
#ifndef ARDENTIX_DICTIONARY_SEGMENT_DICTIONARY_H_
#define ARDENTIX_DICTIONARY_SEGMENT_DICTIONARY_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ardentix::dictionary {

// One code of a code list and its description.
struct CodePair {
  std::string_view code;
  std::string_view description;
};

// How a value is matched against the codes of a list. Every direction takes the
// first pair in list order that matches, so where codes overlap ("1" and "10")
// the list order decides. An empty value never matches.
enum class CodeMatch {
  kExact,                 // the code equals the value
  kEntryBeginsWithValue,  // loose comparison of code against value: "10" matches value "1"
  kValueBeginsWithEntry,  // loose comparison of value against code: value "111" matches "11"
};

// A code list in its listed order, with an index sorted by code for exact
// lookups. Cheap to copy (two spans).
class CodeList {
 public:
  constexpr CodeList() = default;
  // `by_code` holds the positions of `pairs` ordered by code, equal codes in
  // list order; built at compile time by the dictionary's data.
  constexpr CodeList(std::span<const CodePair> pairs, std::span<const std::uint16_t> by_code)
      : pairs_(pairs), by_code_(by_code) {}

  std::span<const CodePair> pairs() const { return pairs_; }
  std::size_t size() const { return pairs_.size(); }
  bool empty() const { return pairs_.empty(); }
  const CodePair& operator[](std::size_t i) const { return pairs_[i]; }
  auto begin() const { return pairs_.begin(); }
  auto end() const { return pairs_.end(); }

  // Position (0-based, list order) of the first pair matching `value`, or npos.
  std::size_t Find(std::string_view value, CodeMatch match) const;
  // Description of the first pair matching `value`; empty text when none does
  // (and for an empty value).
  std::string_view Describe(std::string_view value, CodeMatch match) const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

 private:
  std::span<const CodePair> pairs_;
  std::span<const std::uint16_t> by_code_;
};

// An element entry: kind "E", name, usage, and its code list. ST01's list is
// its single expected code ("837", or "271" in table 5) with an empty description.
struct ElementEntry {
  std::string_view kind;
  std::string_view name;
  std::string_view usage;
  CodeList codes;
};

// An element slot of a segment entry: empty, a plain element entry, or a
// composite whose component slots (from component 1) may each hold an entry.
struct ElementSlot {
  const ElementEntry* element = nullptr;
  std::span<const ElementEntry* const> components;

  bool empty() const { return element == nullptr && components.empty(); }
  bool composite() const { return !components.empty(); }
};

// A segment entry. `elements` has one slot per element of the segment (X12
// 5010 element count), element 1 first.
struct SegmentEntry {
  std::string_view id;        // "NM1"
  std::string_view name;      // "Billing provider"
  std::string_view area;      // "Header" or "Detail"
  std::string_view position;  // three digits, "005"
  std::string_view loop;      // "2300", or "-" for none
  std::string_view usage;     // "Manditory", "Opional", "Optional", "Required"
  std::string_view max_use;   // "100"
  std::span<const ElementSlot> elements;
};

// Where a code list sits: table, segment slot, element slot, component (0 for
// a plain element).
struct CodeListAt {
  int table = 0;
  int segment = 0;
  int element = 0;
  int component = 0;
};

// The code lists the field lookups use.
// 837 claims (table 2):
inline constexpr CodeListAt kProviderIdTypeCodes{2, 13, 8, 0};          // NM108 of provider names
inline constexpr CodeListAt kSecondaryIdTypeCodes{2, 111, 2, 0};        // REF01 of secondary ids
inline constexpr CodeListAt kPayerResponsibilityCodes{2, 25, 1, 0};     // SBR01
inline constexpr CodeListAt kSubscriberRelationshipCodes{2, 25, 2, 0};  // SBR02
inline constexpr CodeListAt kClaimFilingIndicatorCodes{2, 25, 9, 0};    // SBR09
inline constexpr CodeListAt kPatientRelationshipCodes{2, 47, 1, 0};     // PAT01
inline constexpr CodeListAt kFacilityCodes{2, 55, 5, 1};                // CLM05-1
// 835 remittance (table 3):
inline constexpr CodeListAt kHandlingCodes{3, 2, 1, 0};               // BPR01
inline constexpr CodeListAt kTransHeaderCodes{3, 2, 2, 0};            // listed under BPR02, unused
inline constexpr CodeListAt kCreditDebitCodes{3, 2, 4, 0};            // BPR03
inline constexpr CodeListAt kPaymentMethodCodes{3, 2, 5, 0};          // BPR04
inline constexpr CodeListAt kPayeeIdQualifierCodes{3, 13, 3, 0};      // N103 of N1*PE
inline constexpr CodeListAt kPayeeAdditionalIdCodes{3, 16, 1, 0};     // REF01 after N1*PE
inline constexpr CodeListAt kClaimSubmitterIdCodes{3, 20, 1, 0};      // CLP01 (empty list)
inline constexpr CodeListAt kClaimStatusCodes{3, 20, 2, 0};           // CLP02
inline constexpr CodeListAt kRemitFilingIndicatorCodes{3, 20, 6, 0};  // CLP06
inline constexpr CodeListAt kAdjustmentGroupCodes{3, 21, 1, 0};       // CAS01
inline constexpr CodeListAt kRemitSubscriberIdCodes{3, 22, 8, 0};     // NM108 of the subscriber NM1
inline constexpr CodeListAt kRemitServiceProviderIdCodes{3, 24, 8, 0};  // NM108 of NM1*82
// 271 eligibility (table 5), EB elements as the table numbers them:
inline constexpr CodeListAt kBenefitInformationCodes{5, 24, 1, 0};
inline constexpr CodeListAt kCoverageLevelCodes{5, 24, 2, 0};
inline constexpr CodeListAt kServiceTypeCodes{5, 24, 3, 0};
inline constexpr CodeListAt kInsuranceTypeCodes{5, 24, 4, 0};
inline constexpr CodeListAt kTimePeriodCodes{5, 24, 7, 0};
inline constexpr CodeListAt kQuantityQualifierCodes{5, 24, 10, 0};
inline constexpr CodeListAt kReferenceQualifierCodes{5, 24, 11, 0};
inline constexpr CodeListAt kRejectReasonCodes{5, 24, 12, 0};
// 277 claim status (table 7):
inline constexpr CodeListAt kEntityIdentifierCodes{7, 14, 1, 3};  // STC01-3

inline constexpr int kTableCount = 7;

// Number of segment slots of a table (0 for a table number outside 1-7).
int SegmentSlotCount(int table);
// The segment entry in a slot; nullptr for an empty slot or out-of-range numbers.
const SegmentEntry* FindSegment(int table, int segment);
// Number of element slots of a segment entry; 0 for an empty segment slot.
int ElementSlotCount(int table, int segment);
// The element slot; nullptr when the segment or element slot does not exist.
const ElementSlot* FindElementSlot(int table, int segment, int element);
// The element entry of an element slot (component 0) or of a component slot of
// a composite (component 1 and up); nullptr when that slot holds no entry.
const ElementEntry* FindElement(int table, int segment, int element, int component = 0);
// The code list of that element or component; an empty list when there is no entry.
const CodeList& CodesAt(int table, int segment, int element, int component = 0);
const CodeList& CodesAt(const CodeListAt& at);
// Description of `value` in the list at `at`; empty text when nothing matches.
std::string_view DescribeCode(const CodeListAt& at, std::string_view value, CodeMatch match);

// The numeric query interface of the dictionary, for callers written against
// it: segment slot s, element slot e, component c, table t, question q.
//   s > 0, e > 0, c > 0: q 1 -> 1 when component c of element e is an element
//                        entry, else 0; q 2 -> its number of codes; q 3 -> its list
//   s > 0, e > 0, c = 0: the same for element e itself (a composite is not an
//                        element entry: 0, no codes)
//   s > 0, e = 0:        q 1 -> number of element slots of segment s
//   s = 0:               q 1 -> number of segment slots of table t
// Questions without a value, empty slots and out-of-range numbers give 0 and
// an empty list.
struct QVX12Answer {
  int number = 0;
  std::span<const CodePair> codes;
};
QVX12Answer QVX12(int s, int e, int c, int t, int q);

}  // namespace ardentix::dictionary

#endif  // ARDENTIX_DICTIONARY_SEGMENT_DICTIONARY_H_
