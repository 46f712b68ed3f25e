// Test-only: the claim lookup done the slow, documented way. Every request
// walks the list afresh from the claim's first record (or from record 1):
// the unit while its records carry the claim number, the billing level by
// walking back and forth while the level count stays the same, the header
// and the whole list from record 1. Nothing is indexed or remembered.
// ClaimLookup must give exactly the same text for every name, claim and
// occurrence; the tests compare the two on every fixture and sample file.
#ifndef ARDENTIX_CLAIMS_CLAIM_LOOKUP_REFERENCE_H_
#define ARDENTIX_CLAIMS_CLAIM_LOOKUP_REFERENCE_H_

#include <cstddef>
#include <string>

#include "claims/claim_lookup.h"
#include "x12/segment_list.h"

namespace ardentix::claims {

namespace rules {
struct Rule;
}

class ReferenceClaimLookup {
 public:
  // With `counted_occurrences` the claims of a unit are not told apart by
  // their own loops: occurrence k is found by the bare occurrence counter
  // over the whole unit (every record with the anchor's id below k counts;
  // service lines count CLM records), the subscriber and patient names use
  // occurrence 1. The tests use this form to show what reading a unit with
  // several CLM segments that way gets wrong.
  ReferenceClaimLookup(const x12::SegmentList& list, const x12::ClaimIndex& index,
                       bool counted_occurrences = false)
      : list_(list), index_(index), counted_(counted_occurrences) {}
  std::string Value(const BoundField& field, std::size_t claim, std::size_t occurrence) const;
  std::string HeaderValue(const BoundField& field, std::size_t claim) const;
  // The claim-level value of `field` read with another rule (the tests use
  // it to show what a rule without a mended detail would find).
  std::string ValueWithRule(const BoundField& field, const rules::Rule& rule, std::size_t claim,
                            std::size_t occurrence) const;

 private:
  const x12::SegmentList& list_;
  const x12::ClaimIndex& index_;
  bool counted_;
};

}  // namespace ardentix::claims

#endif  // ARDENTIX_CLAIMS_CLAIM_LOOKUP_REFERENCE_H_
