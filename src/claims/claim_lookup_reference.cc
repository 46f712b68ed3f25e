#include "claims/claim_lookup_reference.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "claims/claim_rules.h"
#include "common/decimal.h"
#include "common/number.h"
#include "common/text.h"
#include "x12/access.h"

namespace ardentix::claims {

namespace {

using rules::Scope;
using rules::Seg;

// One request's walks over the list.
class WalkingScanner {
 public:
  WalkingScanner(const x12::SegmentList& list, const x12::ClaimIndex& index, std::size_t claim,
                 std::size_t occurrence, bool counted)
      : list_(list), n_(list.size()), claim_(claim), k_(occurrence), counted_(counted) {
    if (claim < 1 || claim > index.size()) return;
    s_ = index[claim];
    // The unit: from ClaimIndex[c] while the records carry claim number c
    // (records 1 to n - 1 at most).
    e_ = s_ - 1;
    for (std::size_t r = s_; r >= 1 && r < n_ && list_.SetClaimNo(r) == claim; ++r) {
      e_ = r;
    }
    for (std::size_t r = s_; r <= e_; ++r) {
      if (list_.Id(r) == "CLM") clms_.push_back(r);
    }
    valid_ = k_ >= 1 && (counted_ || k_ <= std::max<std::size_t>(clms_.size(), 1));
    // The search of the claim unit begins at its first subscriber HL.
    for (std::size_t r = s_; r <= e_ && h_ == 0; ++r) {
      if (list_.Id(r) == "HL" && LooseEquals(list_.Element(r, 3), "22")) h_ = r;
    }
    if (valid_ && !counted_ && clms_.size() > 1) MarkClaimView();
  }

  const x12::SegmentList& list() const { return list_; }
  std::size_t count() const { return n_; }
  bool ClaimValid() const { return valid_; }
  bool Is5010() const { return x12::SetHeaderValue(list_, n_, 1, 4, "ISA") == "5010"; }

  std::uint32_t First(Scope scope, const Seg& seg) {
    if (!counted_ || scope == Scope::kList) return Nth(scope, seg, 1);
    // The occurrence counter: below k every record with the anchor's id
    // counts and is no candidate; from k on the first match is taken.
    std::size_t counter = 1;
    for (std::size_t r = Start(scope); r != 0 && InScope(scope, r); ++r) {
      if (counter < k_) {
        if (list_.Id(r).starts_with(seg.id)) ++counter;
        continue;
      }
      if (rules::Matches(list_, Rec(r), seg)) return Rec(r);
    }
    return 0;
  }

  std::uint32_t Nth(Scope scope, const Seg& seg, std::uint32_t m) {
    if (m == 0) return 0;
    std::uint32_t seen = 0;
    for (std::size_t r = Start(scope); r != 0 && InScope(scope, r); ++r) {
      if (Visible(scope, r) && rules::Matches(list_, Rec(r), seg) && ++seen == m) return Rec(r);
    }
    return 0;
  }

  std::uint32_t Line(std::uint32_t n) {
    std::size_t counter = 1;  // counts CLM records when counted
    for (std::size_t r = Start(Scope::kUnit); r != 0 && InScope(Scope::kUnit, r); ++r) {
      if (counted_ && counter < k_) {
        if (list_.Id(r).starts_with("CLM")) ++counter;
        continue;
      }
      if (!Visible(Scope::kUnit, r) || !list_.Id(r).starts_with("LX")) continue;
      if (LeadingInteger(list_.Element(r, 1)) == static_cast<std::int64_t>(n)) return Rec(r);
    }
    return 0;
  }

  std::uint32_t Follow(Scope scope, std::uint32_t from, const Seg& target,
                       std::string_view stop_id) {
    for (std::size_t r = from + 1; InScope(scope, r); ++r) {
      if (!Visible(scope, r)) continue;
      if (!stop_id.empty() && list_.Id(r).starts_with(stop_id)) return 0;
      if (rules::Matches(list_, Rec(r), target)) return Rec(r);
    }
    return 0;
  }

  std::uint32_t Repeat(Scope scope, std::uint32_t from, std::string_view target_id, std::uint32_t m,
                       std::string_view stop_id, bool stop_at_hl) {
    if (m == 0) return 0;
    std::uint32_t seen = 0;
    for (std::size_t r = from + 1; InScope(scope, r); ++r) {
      if (!Visible(scope, r)) continue;
      const std::string_view id = list_.Id(r);
      if (!stop_id.empty() && id.starts_with(stop_id)) return 0;
      if (stop_at_hl && id == "HL") return 0;
      if (id.starts_with(target_id) && ++seen == m) return Rec(r);
    }
    return 0;
  }

  std::string ClaimTotal() {
    Decimal sum;
    for (std::size_t r = s_; r <= e_; ++r) {
      if (list_.Id(r) == "CLM") sum += Decimal::ParseLeading(list_.Element(r, 2));
    }
    return rules::FormatTotal(sum);
  }

 private:
  static std::uint32_t Rec(std::size_t r) { return static_cast<std::uint32_t>(r); }

  // First record of a scope; 0 when the scope is empty.
  std::size_t Start(Scope scope) const {
    switch (scope) {
      case Scope::kUnit:
        return h_;
      case Scope::kUnitFromStart:
        return s_ <= e_ ? s_ : 0;
      case Scope::kBilling: {
        // Walk back from ClaimIndex[c] to the first record of its level count.
        if (s_ == 0) return 0;
        std::size_t r = s_;
        while (r > 1 && list_.Run(r - 1).billing == list_.Run(s_).billing) --r;
        return r < n_ ? r : 0;
      }
      default:
        return n_ > 1 ? 1 : 0;
    }
  }

  bool InScope(Scope scope, std::size_t r) const {
    if (r == 0 || r >= n_) return false;
    switch (scope) {
      case Scope::kUnit:
      case Scope::kUnitFromStart:
        return r >= s_ && r <= e_;
      case Scope::kBilling:
        return list_.Run(r).billing == list_.Run(s_).billing;
      default:
        return true;
    }
  }

  bool Visible(Scope scope, std::size_t r) const {
    if (view_.empty() || (scope != Scope::kUnit && scope != Scope::kUnitFromStart)) return true;
    return view_[r - s_] != 0;
  }

  // Claim k of a unit with several CLM segments sees its own loop and the
  // levels that hold it. Decided record by record, by walking back.
  void MarkClaimView() {
    const std::size_t clm = clms_[k_ - 1];
    std::size_t holder = 0;
    std::size_t holder_subscriber = 0;
    for (std::size_t q = clm; q >= s_ && q != 0; --q) {
      if (list_.Id(q) != "HL") continue;
      if (holder == 0) holder = q;
      if (LooseEquals(list_.Element(q, 3), "22")) {
        holder_subscriber = q;
        break;
      }
    }
    view_.assign(e_ - s_ + 1, 0);
    for (std::size_t r = s_; r <= e_; ++r) {
      // The loop the record is in: the nearest CLM or HL at or before it.
      std::size_t owner = 0;
      std::size_t level = 0;
      for (std::size_t q = r; q >= s_ && q != 0; --q) {
        const std::string_view id = list_.Id(q);
        if (id == "CLM" && owner == 0 && level == 0) owner = q;
        if (id == "HL") {
          level = q;
          break;
        }
      }
      bool visible = true;
      if (owner != 0) {
        visible = owner == clm;
      } else if (level != 0) {
        const std::string_view type = list_.Element(level, 3);
        if (LooseEquals(type, "22")) {
          visible = level == holder_subscriber;
        } else if (LooseEquals(type, "23")) {
          visible = level == holder;
        }
      }
      view_[r - s_] = visible ? 1 : 0;
    }
  }

  const x12::SegmentList& list_;
  std::size_t n_;
  std::size_t claim_;
  std::size_t k_;
  bool counted_;
  std::size_t s_ = 0;
  std::size_t e_ = 0;
  std::size_t h_ = 0;
  bool valid_ = false;
  std::vector<std::size_t> clms_;
  std::vector<char> view_;  // per unit record; empty: every record
};

}  // namespace

std::string ReferenceClaimLookup::Value(const BoundField& field, std::size_t claim,
                                        std::size_t occurrence) const {
  // Counted occurrences: the subscriber and patient names always use 1.
  if (counted_ && (field.code() == 216 || field.code() == 218)) occurrence = 1;
  WalkingScanner scanner(list_, index_, claim, occurrence, counted_);
  return rules::EvaluateClaim(field.resolved(), field.rule(), scanner);
}

std::string ReferenceClaimLookup::ValueWithRule(const BoundField& field, const rules::Rule& rule,
                                                std::size_t claim, std::size_t occurrence) const {
  WalkingScanner scanner(list_, index_, claim, occurrence, counted_);
  return rules::EvaluateClaim(field.resolved(), &rule, scanner);
}

std::string ReferenceClaimLookup::HeaderValue(const BoundField& field, std::size_t claim) const {
  const FieldGroupCode code = field.code();
  if (code >= 106 && code <= 111 &&
      (claim < 1 || claim > index_.size() || list_.SetClaimNo(index_[claim]) != claim)) {
    return {};
  }
  WalkingScanner scanner(list_, index_, claim, 1, counted_);
  return rules::EvaluateHeader(field.resolved(), field.rule(), scanner);
}

}  // namespace ardentix::claims
