// The claim field lookup: the value of a named 837 field for one claim of a
// loaded list, or for the file header. It is the single source of claim
// values for the listing, the exports, the claim report and the forms.
//
// What this header offers:
//   - BoundField / BindField(): a field name resolved once (group code,
//     suffix, matching user definitions of [X12UDF]) with its rule bound, so
//     that asking it for every claim never parses the name again.
//   - ClaimLookup: built once per loaded part from its SegmentList and
//     ClaimIndex (both must outlive it).
//       Value(field, c, k)      claim-level names (codes 201-246 and 300) for
//                               occurrence k (the k-th CLM) of claim unit c;
//       HeaderValue(field, c)   header-level names (codes 0 and 101-111);
//       Lookup(field, c, k)     either, chosen by the code as exports do;
//       ValueInto, HeaderValueInto, LookupInto
//                               the same, written into a caller's text whose
//                               storage is reused from one value to the next
//                               (the form for asking many names);
//       ClaimCount(c)           the CLM segments of unit c (the export's rows);
//       UnitCount(), SubscriberLevelCount(), Is5010().
//     Values are returned as text; anything missing gives empty text.
//
// Claims of one unit: a unit (a subscriber or billing-provider level with
// everything under it) can hold several CLM segments. With one CLM (or none)
// every value is found by the documented scans of the unit. With several,
// claim k is read from its own records only: its loop (CLM k up to the
// record before the next CLM or HL), the patient level (HL03 "23") that holds
// CLM k, or the subscriber level when CLM k stands directly under it, and
// the other levels of the unit (billing provider); other claims' loops and
// other patients never answer for claim k. The sum MULTICLAIMTOTAL and the
// billing-level names (HIERARCHIALCLAIM...) stay those of the whole unit.
// An occurrence outside 1..max(ClaimCount(c), 1) names no claim: empty text.
//
// Cost: a request costs time in proportion to its claim, not to the file
// nor to the unit. Binding a name settles once how it is answered: most
// claim-level rules become a plan over the claim's own records, with their
// segments packed. The lookup keeps the unit of the last request (its levels
// and claim loops, its records packed and split into elements when first
// read, all once for all its claims, and its total), the view of the last
// claim (its records, its service lines by number, the first match of each
// anchor, a sketch of its ids and qualifiers that ends a search for a
// segment it does not have at once), the billing-provider levels of the list
// with the searches and values of the last one, the searches of the whole
// list, and the header values by name. A planned value then costs a few
// compares and one copy of its text. Asking claim after claim, field after
// field is the cheap order; any order gives the same text. Not for use from
// several threads at once (binding names is).
#ifndef ARDENTIX_CLAIMS_CLAIM_LOOKUP_H_
#define ARDENTIX_CLAIMS_CLAIM_LOOKUP_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "claims/field_names.h"
#include "x12/segment_list.h"

namespace ardentix::claims {

namespace rules {
struct Rule;
}
struct RulePlan;  // a claim-level rule prepared for the lookup (claim_lookup.cc)

// A field name with its rule, ready to be asked for every claim.
class BoundField {
 public:
  BoundField() = default;
  const ResolvedField& resolved() const { return resolved_; }
  const std::string& name() const { return resolved_.name; }
  FieldGroupCode code() const { return resolved_.code; }
  // Codes above 200 are answered at claim level, all others at header level.
  bool IsClaimLevel() const { return resolved_.IsClaimLevel(); }
  const rules::Rule* rule() const { return rule_; }

 private:
  friend BoundField BindField(std::string_view name, const UserFieldTable& user_fields);
  friend class ClaimLookup;
  // How the lookup answers the name at claim level, decided when it is bound.
  enum class ClaimPath : std::uint8_t {
    kEmpty,         // always empty text: not a claim-level code, no rule, or a suffix
                    // or rest the rule refuses
    kPlanned,       // plan_ over the claim's own records
    kBillingLevel,  // read in the claim's billing-provider level: the same text
                    // for every claim of the level, remembered per level
    kScanned,       // the rule run with the lookup's scanner (totals, user names)
  };
  ResolvedField resolved_;
  const rules::Rule* rule_ = nullptr;
  ClaimPath claim_path_ = ClaimPath::kScanned;
  const RulePlan* plan_ = nullptr;
  // Header level: a name of code 0 without user definitions is always
  // empty.
  bool header_empty_ = true;
  // The lookup remembers header values and billing-level values in the slot
  // of the name and its user definitions.
  std::uint32_t slot_ = 0;
};

BoundField BindField(std::string_view name, const UserFieldTable& user_fields);
std::vector<BoundField> BindFields(const std::vector<std::string>& names,
                                   const UserFieldTable& user_fields);

class ClaimLookup {
 public:
  ClaimLookup(const x12::SegmentList& list, const x12::ClaimIndex& index);
  ~ClaimLookup();
  ClaimLookup(ClaimLookup&&) noexcept;
  ClaimLookup& operator=(ClaimLookup&&) noexcept;
  ClaimLookup(const ClaimLookup&) = delete;
  ClaimLookup& operator=(const ClaimLookup&) = delete;

  // Claim level: codes 201-246 and 300; empty text for every other code, for
  // a claim number outside 1..UnitCount() and for an occurrence that names
  // no claim.
  std::string Value(const BoundField& field, std::size_t claim, std::size_t occurrence) const;
  // Header level: codes 0 and 101-111; the billing and pay-to provider names
  // (106-111) are empty when record ClaimIndex[c] does not carry claim c.
  std::string HeaderValue(const BoundField& field, std::size_t claim) const;
  // Value() for codes above 200, HeaderValue() otherwise.
  std::string Lookup(const BoundField& field, std::size_t claim, std::size_t occurrence) const;

  // The same three, written into `out` (replacing its text, keeping its
  // storage).
  void ValueInto(const BoundField& field, std::size_t claim, std::size_t occurrence,
                 std::string& out) const;
  void HeaderValueInto(const BoundField& field, std::size_t claim, std::string& out) const;
  void LookupInto(const BoundField& field, std::size_t claim, std::size_t occurrence,
                  std::string& out) const;

  // Number of CLM segments of claim unit c (0 outside 1..UnitCount()).
  std::size_t ClaimCount(std::size_t claim) const;
  // Entries of the ClaimIndex.
  std::size_t UnitCount() const;
  // HL segments with HL03 "22" (the 837 export's units).
  std::size_t SubscriberLevelCount() const;
  // ISA12 of the list's first interchange reads "5010".
  bool Is5010() const { return is5010_; }

  const x12::SegmentList& list() const { return *list_; }
  const x12::ClaimIndex& index() const { return *index_; }

 private:
  struct State;
  class Scanner;
  void PrepareUnit(std::size_t claim) const;
  void Prepare(std::size_t claim, std::size_t occurrence) const;
  void Scanned(const BoundField& field, std::string& out) const;
  void Worded(const RulePlan& plan, const ResolvedField& field, std::uint32_t at,
              std::size_t element_field, std::size_t component, bool read, std::string& out) const;

  const x12::SegmentList* list_;
  const x12::ClaimIndex* index_;
  std::size_t count_;
  bool is5010_;
  std::unique_ptr<State> state_;
};

}  // namespace ardentix::claims

#endif  // ARDENTIX_CLAIMS_CLAIM_LOOKUP_H_
