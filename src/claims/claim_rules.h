// The rules of the claim field lookup, shared by the lookup (claim_lookup.h)
// and by the slow reference of its tests.
//
// What this header offers:
//   - Seg, Rule and their enums: for one entry of the field-name table, where
//     its value lies (scope, anchor segment and qualifier, an optional second
//     segment walked to from the anchor, a follow-up segment, the element in
//     the lookup's field numbering and the component) and how it is worded
//     (amount split, dates of service, code-list descriptions, words).
//   - RuleForEntry(): the rule of an entry of FieldNameTable(), built once as
//     constant data; nullptr for the names that are always empty.
//   - EvaluateClaim() / EvaluateHeader(): run a field's rule with a Scanner
//     that does the record searches. The scanner decides how fast a search
//     is, never what it finds: the lookup's scanner uses per-load and
//     per-claim indexes, the tests' reference scanner walks the list the
//     documented way, and both must give the same text for every name.
//
// A Scanner offers (record numbers are 1-based, 0 means "none"):
//   const x12::SegmentList& list() const;
//   std::size_t count() const;       // records visited: 1 to count() - 1
//   bool ClaimValid();               // claim c and occurrence k name a claim
//   bool Is5010();                   // ISA12 of the list's first interchange
//   uint32_t First(Scope, const Seg&);
//   uint32_t Nth(Scope, const Seg&, uint32_t m);
//   uint32_t Line(uint32_t n);       // the LX whose LX01 is the number n
//   uint32_t Follow(Scope, uint32_t from, const Seg& target, string_view stop_id);
//   uint32_t Repeat(Scope, uint32_t from, string_view target_id, uint32_t m,
//                   string_view stop_id, bool stop_at_hl);
//   std::string ClaimTotal();        // exact sum of CLM02 over the unit
// Claim scopes (kUnit, kUnitFromStart) are those of occurrence k: in a unit
// with several CLM segments they hold only claim k's own loop, the patient
// level that holds it and the levels above it (see claim_lookup.h).
#ifndef ARDENTIX_CLAIMS_CLAIM_RULES_H_
#define ARDENTIX_CLAIMS_CLAIM_RULES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "claims/field_names.h"
#include "common/decimal.h"
#include "dictionary/segment_dictionary.h"
#include "x12/access.h"
#include "x12/segment_list.h"

namespace ardentix::claims::rules {

enum class Scope : std::uint8_t {
  kUnit,           // the claim unit from its first subscriber HL
  kUnitFromStart,  // the claim unit from its first record
  kBilling,        // the billing-provider level the unit stands in
  kList,           // the whole list
  kHeader1,        // record 1 up to the record before the first HL
  kHeader2,        // record 1 up to the record before the second HL
};

// A segment id with up to two qualifiers (field 2 must begin with one of
// them; none when q1 is empty). Ids are compared by prefix as well.
struct Seg {
  std::string_view id;
  std::string_view q1;
  std::string_view q2;
  bool HasQualifier() const { return !q1.empty(); }
  bool empty() const { return id.empty(); }
};

// How the anchor record is found.
enum class Find : std::uint8_t {
  kFirst,      // the first record of the scope matching the anchor
  kNth,        // the m-th (HI letter form: A the first, B the second...)
  kLine,       // the LX of the service line number of the name's suffix
  kLineOne,    // the LX of line 1 (CLAIMTYPE)
  kFirstLine,  // the first LX (TOOTHSURFACE)
};

// What is read from the anchor record onward.
enum class Step : std::uint8_t {
  kSelf,    // the anchor record itself
  kFollow,  // the first target after it (ends at the next anchor id when the
            // anchor has a qualifier)
  kNext,    // the next record with the target's id (no end but the scope)
  kRepeat,  // the m-th target, m from the name's suffix
};

enum class Format : std::uint8_t {
  kNone,
  kAmountSplit,      // "." -> blank, " 00" appended when there is none
  kDosFrom,          // MM DD YY of the first date
  kDosTo,            // MM DD YY of the second date of a range
  kDxBlank,          // blank after the third character
  kYesNo,            // Y Yes, N No
  kAssignment,       // A Assigned, N Not Assigned, P Patient Refuses...
  kRelatedCause,     // AA Auto Accident...
  kToothSurface,     // B Buccal...
  kUnitWords,        // DA Days, UN Unit, F2 International Unit
  kAdmissionType,    // CL101 in words, "Error = " otherwise
  kAdmissionSource,  // CL102 in words
  kPatientStatus,    // CL103 in words, compared as a number
  kDescribeEntry,    // code list: the entry's code begins with the value
  kDescribeValue,    // code list: the value begins with the entry's code
  kDescribeIfRef02,  // kDescribeEntry, only when the REF has a REF02
  kCodeIfListed,     // the value itself when kDescribeEntry finds it
  kClaimType,        // SSV1 Professional, SSV2 Institutional, SSV3 Dental
  kTypeOfBill,       // component 1 followed by component 3
  kK3,               // component 1, cut by the K3DATA suffix
};

inline constexpr std::uint8_t kFieldFromPosition = 0xff;  // HInn: field nn + 1
inline constexpr std::uint8_t kComponentFromLine = 0xff;  // TOOTHSURFACE n: component n

enum class Special : std::uint8_t { kNone, kClaimTotal, kUserClaim, kUserHeader };

struct Rule {
  Scope scope = Scope::kUnit;
  Special special = Special::kNone;
  Find find = Find::kFirst;
  Seg anchor;
  Seg via;  // optional: walked to from the anchor (the anchor's qualifier rule applies)
  Step step = Step::kSelf;
  Seg target;
  bool repeat_stop_at_anchor = true;  // kRepeat: ends at the next record with the start's id
  bool repeat_stop_at_hl = false;     // kRepeat: ends at the next HL
  std::uint8_t field = 0;             // lookup numbering: 1 the id, m + 1 element m
  std::uint8_t component = 0;         // 0: the whole element
  Format format = Format::kNone;
  dictionary::CodeListAt codes;
  bool needs_submitter_name = false;  // header: only when NM103 of NM1*41 is present
  std::string_view rest_prefix;       // the name after the entry must begin with this
  const Rule* fallback = nullptr;     // tried when the value is empty
  const Rule* rule_5010 = nullptr;    // used instead on a 5010 interchange
};

// The rule of entry `entry` of FieldNameTable(); nullptr for names that are
// always empty (code 999) and for -1.
const Rule* RuleForEntry(int entry);
// The rules of user-defined names (codes 300 and 0).
const Rule& UserClaimRule();
const Rule& UserHeaderRule();

// --- reading and wording (shared by every scanner) -------------------------

// Field f of record `rec` in the lookup's numbering, component j (0 = whole).
// Field 1 is the segment id with its first character written twice.
std::string ReadField(const x12::SegmentList& list, std::uint32_t rec, std::size_t field,
                      std::size_t component);
// True when record `rec` has the segment's id (prefix) and qualifier.
bool Matches(const x12::SegmentList& list, std::uint32_t rec, const Seg& seg);
// The formatting of a found value. `found` is false when the record was
// not found at all.
std::string Apply(const Rule& rule, const ResolvedField& field, std::string raw, bool found,
                  const x12::SegmentList& list, std::uint32_t rec);
// The sum of amounts as MULTICLAIMTOTAL writes it.
std::string FormatTotal(const Decimal& sum);

// --- evaluation ------------------------------------------------------------

template <class S>
std::uint32_t LocateAnchor(const Rule& r, const ResolvedField& f, S& s) {
  std::uint32_t a = 0;
  switch (r.find) {
    case Find::kFirst:
      a = s.First(r.scope, r.anchor);
      break;
    case Find::kNth:
      a = s.Nth(r.scope, r.anchor, static_cast<std::uint32_t>(f.hi_segment));
      break;
    case Find::kLine:
      a = s.Line(f.line);
      break;
    case Find::kLineOne:
      a = s.Line(1);
      break;
    case Find::kFirstLine:
      a = s.First(r.scope, r.anchor);
      break;
  }
  if (a == 0 || r.via.empty()) return a;
  return s.Follow(r.scope, a, r.via, r.anchor.HasQualifier() ? r.anchor.id : std::string_view());
}

template <class S>
std::string RunRule(const Rule& rule, const ResolvedField& f, S& s) {
  const Rule& r = (rule.rule_5010 != nullptr && s.Is5010()) ? *rule.rule_5010 : rule;
  std::string value;
  if (r.scope == Scope::kHeader1 || r.scope == Scope::kHeader2) {
    const std::size_t hl = r.scope == Scope::kHeader1 ? 1 : 2;
    bool allowed = true;
    if (r.needs_submitter_name) {
      x12::SearchSpec name;
      name.id = "NM1";
      name.qualifier = "41";
      name.field = 4;
      name.hl_limit = 1;
      allowed = !x12::SegmentSearch(1, s.list(), s.count(), name).empty();
    }
    if (allowed) {
      x12::SearchSpec spec;
      spec.id = r.anchor.id;
      spec.qualifier = r.anchor.q1;
      spec.field = r.field;
      spec.id2 = r.target.id;
      spec.qualifier2 = r.target.q1;
      spec.hl_limit = hl;
      value = Apply(r, f, x12::SegmentSearch(1, s.list(), s.count(), spec), true, s.list(), 0);
    }
  } else {
    // Service lines are read from the LX of the line (its number acts as
    // the anchor's qualifier); TOOTHSURFACE from the first LX.
    const bool line_anchor = r.find == Find::kLine || r.find == Find::kLineOne;
    std::uint32_t rec = LocateAnchor(r, f, s);
    if (rec != 0) {
      const Seg& start = r.via.empty() ? r.anchor : r.via;
      switch (r.step) {
        case Step::kSelf:
          break;
        case Step::kFollow:
          rec = s.Follow(r.scope, rec, r.target,
                         (start.HasQualifier() || line_anchor) ? start.id : std::string_view());
          break;
        case Step::kNext:
          rec = s.Follow(r.scope, rec, r.target, std::string_view());
          break;
        case Step::kRepeat:
          rec = s.Repeat(r.scope, rec, r.target.id, f.repeat,
                         r.repeat_stop_at_anchor ? start.id : std::string_view(),
                         r.repeat_stop_at_hl);
          break;
      }
    }
    std::size_t field =
        r.field == kFieldFromPosition ? static_cast<std::size_t>(f.position) + 1 : r.field;
    std::size_t component = r.component == kComponentFromLine ? f.line : r.component;
    std::string raw;
    if (rec != 0 && !(r.component == kComponentFromLine && component == 0)) {
      raw = ReadField(s.list(), rec, field, component);
    }
    value = Apply(r, f, std::move(raw), rec != 0, s.list(), rec);
  }
  if (value.empty() && r.fallback != nullptr) return RunRule(*r.fallback, f, s);
  return value;
}

// A user-defined name: each of its definitions in table order reads its
// RETURN= field from the first record of the scope with its segment and
// qualifier; the first text that is not empty is the value.
template <class S>
std::string UserValue(const ResolvedField& f, Scope scope, S& s) {
  for (const UserFieldDef& d : f.user_fields) {
    const std::uint32_t rec = s.First(scope, Seg{d.segment, d.qualifier, {}});
    if (rec == 0 || d.return_field <= 0) continue;
    std::string v = ReadField(s.list(), rec, static_cast<std::size_t>(d.return_field), 0);
    if (!v.empty()) return v;
  }
  return {};
}

// The claim-level value of `f` (codes 201 to 246 and 300); empty for others.
template <class S>
std::string EvaluateClaim(const ResolvedField& f, const Rule* rule, S& s) {
  const FieldGroupCode code = f.code;
  if (!((code >= 201 && code <= 246) || code == kUserClaimFieldCode)) return {};
  if (!s.ClaimValid()) return {};
  if (code == kUserClaimFieldCode) return UserValue(f, Scope::kUnit, s);
  if (rule == nullptr || !f.suffix_ok) return {};
  if (!rule->rest_prefix.empty() && !f.rest().starts_with(rule->rest_prefix)) return {};
  if (rule->special == Special::kClaimTotal) return s.ClaimTotal();
  return RunRule(*rule, f, s);
}

// The header-level value of `f` (codes 0 and 101 to 111); empty for others.
// The billing and pay-to provider names (106 to 111) also need the claim
// check of the caller (record ClaimIndex[c] carries claim number c).
template <class S>
std::string EvaluateHeader(const ResolvedField& f, const Rule* rule, S& s) {
  const FieldGroupCode code = f.code;
  if (code == kUnknownFieldCode) return UserValue(f, Scope::kList, s);
  if (code < 101 || code > 111) return {};
  if (rule == nullptr || !f.suffix_ok) return {};
  return RunRule(*rule, f, s);
}

}  // namespace ardentix::claims::rules

#endif  // ARDENTIX_CLAIMS_CLAIM_RULES_H_
