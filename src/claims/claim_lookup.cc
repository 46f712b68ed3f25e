#include "claims/claim_lookup.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "claims/claim_rules.h"
#include "common/decimal.h"
#include "common/number.h"
#include "common/text.h"
#include "x12/access.h"

namespace ardentix::claims {

using rules::Find;
using rules::Format;
using rules::Scope;
using rules::Seg;
using rules::Step;

namespace {

// Short texts (segment ids, qualifiers) packed into a number, so that "the
// record's id begins with the anchor's id" is a mask and a compare. Texts
// longer than eight characters are compared as texts. The first character
// is the lowest byte.
static_assert(std::endian::native == std::endian::little, "packed texts read bytes in order");

struct Packed {
  std::uint64_t bytes = 0;
  std::uint64_t mask = 0;  // the bytes a text of this size covers
  std::uint32_t size = 0;
  std::string_view text;

  Packed() = default;
  explicit Packed(std::string_view s) : Packed(s, nullptr) {}
  // With `readable_end`: eight bytes from the text's start may be read when
  // they end before it (one load in place of a copy of the text's length).
  Packed(std::string_view s, const char* readable_end)
      : size(static_cast<std::uint32_t>(s.size())), text(s) {
    const std::size_t n = std::min<std::size_t>(s.size(), 8);
    mask = n == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * n)) - 1;
    if (n == 0) return;
    if (readable_end != nullptr && readable_end - s.data() >= 8) {
      std::memcpy(&bytes, s.data(), 8);
      bytes &= mask;
    } else {
      std::memcpy(&bytes, s.data(), n);
    }
  }
  // True when this text begins with `prefix`.
  bool Begins(const Packed& prefix) const {
    if (size < prefix.size) return false;
    if (prefix.size > 8) return text.starts_with(prefix.text);
    return (bytes & prefix.mask) == prefix.bytes;
  }
  bool Is(const Packed& other) const { return size == other.size && Begins(other); }
};

// A segment of a rule, packed.
struct Probe {
  Probe() = default;
  explicit Probe(const Seg& seg) : id(seg.id), q1(seg.q1), q2(seg.q2) {}
  Packed id;
  Packed q1;
  Packed q2;
};

// A search remembered in a billing-provider level: every claim of the level
// asks the same searches, and some of them (a pay-to provider the level does
// not have) walk the whole level. Only the rules' own segments are searched
// there; their ids and qualifiers are constant texts, so their address and
// length name them.
struct MemoKey {
  std::uint64_t kind = 0;
  std::uint64_t from = 0;
  std::uint64_t what = 0;
  std::uint64_t stop = 0;
  bool operator==(const MemoKey&) const = default;
};

struct MemoKeyHash {
  std::size_t operator()(const MemoKey& k) const {
    std::uint64_t h = k.kind;
    for (std::uint64_t v : {k.from, k.what, k.stop}) h = (h ^ v) * 0x9e3779b97f4a7c15ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

std::uint64_t TextKey(std::string_view s) {
  return reinterpret_cast<std::uintptr_t>(s.data()) * 131 + s.size();
}

std::uint64_t SegKey(const Seg& s) {
  return TextKey(s.id) ^ (TextKey(s.q1) << 1) ^ (TextKey(s.q2) << 2);
}

// A search of the whole list, remembered by its kind, numbers and texts
// (user definitions are searched there too: their texts are compared, not
// their addresses).
std::string ListKey(char kind, std::uint32_t m, std::uint32_t from,
                    std::initializer_list<std::string_view> texts) {
  std::string key(1, kind);
  for (std::uint32_t n : {m, from}) key.append(reinterpret_cast<const char*>(&n), sizeof n);
  for (std::string_view t : texts) {
    const auto n = static_cast<std::uint32_t>(t.size());
    key.append(reinterpret_cast<const char*>(&n), sizeof n).append(t);
  }
  return key;
}

constexpr std::uint32_t kNone = static_cast<std::uint32_t>(-1);

}  // namespace

// A claim-level rule whose every search stays in the claim's records, with
// its segments packed and the ends of its walks decided once.
struct RulePlan {
  const rules::Rule* rule = nullptr;
  Scope scope = Scope::kUnit;
  Find find = Find::kFirst;
  Step step = Step::kSelf;
  Format format = Format::kNone;
  Probe anchor;
  std::uint32_t first_slot = 0;  // the claim's remembered first match of (scope, anchor)
  bool has_via = false;
  Probe via;
  Packed via_stop;  // the walk to `via` ends at the next record with this id
  Probe target;
  Packed step_stop;  // the walk to `target` ends at the next record with this id
  bool stop_at_hl = false;
  std::uint8_t field = 0;
  std::uint8_t component = 0;
  const RulePlan* fallback = nullptr;
  const RulePlan* plan_5010 = nullptr;
};

namespace {

// The plans of the rules that names were bound to, made once for the run of
// the program. The first match of an anchor is remembered per claim in a
// slot; rules with the same scope and anchor share the slot.
class PlanBook {
 public:
  static PlanBook& Get() {
    static PlanBook book;
    return book;
  }

  // The plan of `rule`; nullptr when the rule (or its fallback or 5010 form)
  // needs more than the claim's records.
  const RulePlan* PlanFor(const rules::Rule* rule) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Make(rule);
  }

  // The slot in which lookups remember the values of `key` (a name with
  // its user definitions).
  std::uint32_t NameSlot(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    return name_slots_.emplace(key, static_cast<std::uint32_t>(name_slots_.size())).first->second;
  }

 private:
  struct Slot {
    Scope scope;
    Seg anchor;
  };

  const RulePlan* Make(const rules::Rule* rule) {
    if (rule == nullptr) return nullptr;
    auto it = plans_.find(rule);
    if (it != plans_.end()) return it->second.get();
    std::unique_ptr<RulePlan> plan;
    const rules::Rule& r = *rule;
    const bool in_claim = r.scope == Scope::kUnit || r.scope == Scope::kUnitFromStart;
    const RulePlan* fallback = Make(r.fallback);
    const RulePlan* plan_5010 = Make(r.rule_5010);
    if (in_claim && r.special == rules::Special::kNone && (r.fallback == nullptr || fallback) &&
        (r.rule_5010 == nullptr || plan_5010)) {
      plan = std::make_unique<RulePlan>();
      RulePlan& p = *plan;
      p.rule = rule;
      p.scope = r.scope;
      p.find = r.find;
      p.step = r.step;
      p.format = r.format;
      p.anchor = Probe(r.anchor);
      p.first_slot = SlotOf(r.scope, r.anchor);
      p.has_via = !r.via.empty();
      p.via = Probe(r.via);
      if (r.anchor.HasQualifier()) p.via_stop = Packed(r.anchor.id);
      p.target = Probe(r.target);
      // The ends of the walks, as the rules word them.
      const Seg& start = r.via.empty() ? r.anchor : r.via;
      const bool line_anchor = r.find == Find::kLine || r.find == Find::kLineOne;
      switch (r.step) {
        case Step::kSelf:
        case Step::kNext:
          break;
        case Step::kFollow:
          if (start.HasQualifier() || line_anchor) p.step_stop = Packed(start.id);
          break;
        case Step::kRepeat:
          if (r.repeat_stop_at_anchor) p.step_stop = Packed(start.id);
          p.stop_at_hl = r.repeat_stop_at_hl;
          break;
      }
      p.field = r.field;
      p.component = r.component;
      p.fallback = fallback;
      p.plan_5010 = plan_5010;
    }
    const RulePlan* made = plan.get();
    plans_.emplace(rule, std::move(plan));
    return made;
  }

  std::uint32_t SlotOf(Scope scope, const Seg& anchor) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      const Slot& s = slots_[i];
      if (s.scope == scope && s.anchor.id == anchor.id && s.anchor.q1 == anchor.q1 &&
          s.anchor.q2 == anchor.q2) {
        return static_cast<std::uint32_t>(i);
      }
    }
    slots_.push_back({scope, anchor});
    return static_cast<std::uint32_t>(slots_.size() - 1);
  }

  std::mutex mutex_;
  std::unordered_map<const rules::Rule*, std::unique_ptr<RulePlan>> plans_;
  std::vector<Slot> slots_;
  std::unordered_map<std::string, std::uint32_t> name_slots_;
};

// True when every search of the rule (its fallback and 5010 form too) stays
// in the billing-provider level.
bool InBillingLevel(const rules::Rule* rule) {
  if (rule == nullptr) return true;
  return rule->scope == Scope::kBilling && rule->special == rules::Special::kNone &&
         InBillingLevel(rule->fallback) && InBillingLevel(rule->rule_5010);
}

}  // namespace

BoundField BindField(std::string_view name, const UserFieldTable& user_fields) {
  BoundField f;
  f.resolved_ = Resolve(name, user_fields);
  const ResolvedField& r = f.resolved_;
  if (r.code == kUserClaimFieldCode) {
    f.rule_ = &rules::UserClaimRule();
  } else if (r.code == kUnknownFieldCode) {
    f.rule_ = &rules::UserHeaderRule();
  } else {
    f.rule_ = rules::RuleForEntry(r.entry);
  }
  // The claim-level answer: names the rule refuses are always empty, the
  // others are planned when their searches stay in the claim's records.
  const bool claim_code = (r.code >= 201 && r.code <= 246) || r.code == kUserClaimFieldCode;
  if (!claim_code) {
    f.claim_path_ = BoundField::ClaimPath::kEmpty;  // Value() answers claim-level codes only
  } else if (r.code == kUserClaimFieldCode) {
    f.claim_path_ = BoundField::ClaimPath::kScanned;
  } else if (f.rule_ == nullptr || !r.suffix_ok ||
             (!f.rule_->rest_prefix.empty() && !r.rest().starts_with(f.rule_->rest_prefix))) {
    f.claim_path_ = BoundField::ClaimPath::kEmpty;
  } else if ((f.plan_ = PlanBook::Get().PlanFor(f.rule_)) != nullptr) {
    f.claim_path_ = BoundField::ClaimPath::kPlanned;
  } else if (InBillingLevel(f.rule_)) {
    f.claim_path_ = BoundField::ClaimPath::kBillingLevel;
  } else {
    f.claim_path_ = BoundField::ClaimPath::kScanned;
  }
  // Header values are remembered by name and, for user-defined names, by
  // their definitions. A name of code 0 is answered by its definitions
  // alone.
  f.header_empty_ = r.code == kUnknownFieldCode && r.user_fields.empty();
  std::string key = r.name;
  for (const UserFieldDef& d : r.user_fields) {
    key.append(1, '\0').append(d.segment).append(1, '\1').append(d.qualifier);
    key.append(1, '\1').append(d.returned);
  }
  f.slot_ = PlanBook::Get().NameSlot(key);
  return f;
}

std::vector<BoundField> BindFields(const std::vector<std::string>& names,
                                   const UserFieldTable& user_fields) {
  std::vector<BoundField> out;
  out.reserve(names.size());
  for (const std::string& n : names) out.push_back(BindField(n, user_fields));
  return out;
}

struct ClaimLookup::State {
  // The HLs of a unit with the end of their own records.
  struct Level {
    std::uint32_t hl = 0;
    std::uint32_t end = 0;
    int type = 0;  // 22 subscriber, 23 patient, 0 any other
  };
  // The CLMs of a unit: the loop (CLM to the record before the next CLM or
  // HL), the HL that holds it and the subscriber HL above it.
  struct Loop {
    std::uint32_t clm = 0;
    std::uint32_t end = 0;
    std::uint32_t holder = 0;
    std::uint32_t subscriber = 0;
  };
  // One record of a unit: its text, its id and element 1 packed.
  struct Rec {
    std::uint32_t number = 0;
    std::uint32_t length = 0;  // of its text
    const char* text = nullptr;
    Packed id;
    Packed qualifier;  // element 1
  };

  // The unit of the last request, read once for all its claims: its levels
  // and claim loops, its records packed, and the records split into their
  // elements when first read (split_of[i] - 1 is where the separator count
  // of record start + i stands in `separators`, followed by the offsets of
  // its separators; 0: not split yet).
  struct Unit {
    bool ready = false;
    std::size_t claim = 0;
    std::uint32_t start = 0;
    std::uint32_t end = 0;       // start..end; end < start when empty
    std::uint32_t lead_end = 0;  // records in front of its first HL or CLM
    std::uint32_t subscriber = 0;
    std::vector<Level> hls;
    std::vector<std::size_t> other_levels;  // HLs neither subscriber nor patient
    std::vector<Loop> clms;
    bool total_ready = false;
    std::string total;
    bool billing_ready = false;  // the billing-provider level of its first record
    std::uint32_t billing_start = 0;
    std::uint32_t billing_end = 0;
    std::vector<Rec> recs;
    std::vector<std::uint32_t> split_of;
    std::vector<std::uint16_t> separators;  // the first separators_used are the unit's
    std::size_t separators_used = 0;

    // Empty, for unit `c`; the lists keep their storage.
    void Reset(std::size_t c) {
      ready = true;
      claim = c;
      start = end = lead_end = subscriber = 0;
      hls.clear();
      other_levels.clear();
      clms.clear();
      total_ready = false;
      total.clear();
      billing_ready = false;
      billing_start = billing_end = 0;
      recs.clear();
      split_of.clear();
      separators_used = 0;
    }
  };
  Unit unit;

  // The claim of the last request. Its searches work on positions in
  // `recs`, the claim's view of its unit.
  bool prepared = false;
  std::size_t claim = 0;
  std::size_t occurrence = 0;
  bool valid = false;
  std::vector<Rec> recs;
  std::uint32_t from_subscriber = 0;  // position of the unit's first subscriber HL
  std::vector<std::pair<std::uint32_t, std::uint32_t>> chunk_scratch;

  // True when the records are those of claim `c`, occurrence `k` (a unit
  // read for another claim since then clears `prepared`).
  bool IsPrepared(std::size_t c, std::size_t k) const {
    return prepared && claim == c && occurrence == k;
  }

  // First matches of the plans' anchors: valid in this claim when their
  // stamp is the claim's.
  std::uint32_t stamp = 0;
  std::vector<std::uint32_t> first_stamp;
  std::vector<std::uint32_t> first_at;

  // Service lines: (position of an LX, LX01), and the first LX of each small
  // number.
  bool lines_ready = false;
  std::vector<std::pair<std::uint32_t, std::int64_t>> lines;
  std::vector<std::uint32_t> line_at;
  static constexpr std::int64_t kLineTable = 100;

  // Billing-provider levels: the records where the level count changes, the
  // searches made in the level of the last request and its values by the
  // slot of their name (with the first record of the level they belong to).
  bool runs_ready = false;
  std::vector<std::uint32_t> run_starts;
  std::uint32_t memo_run = 0;
  std::unordered_map<MemoKey, std::uint32_t, MemoKeyHash> billing_memo;
  std::vector<std::string> billing_values;
  std::vector<std::uint32_t> billing_value_run;

  // Searches of the whole list.
  std::unordered_map<std::string, std::uint32_t> list_memo;

  // Header values by the slot of their name.
  std::vector<std::string> header_values;
  std::vector<char> header_known;

  // --- searches in the claim's records (positions; kNone for none) -------

  static bool Matches(const Rec& r, const Probe& p) {
    if (!r.id.Begins(p.id)) return false;
    if (p.q1.size == 0) return true;
    return r.qualifier.Begins(p.q1) || (p.q2.size != 0 && r.qualifier.Begins(p.q2));
  }

  // A sketch of the claim's records: a bit for the first two characters of
  // each id, and one for those with the first character of the qualifier.
  // A probe whose bits are missing matches no record, so that a search for
  // a segment the claim does not have ends at once.
  std::uint64_t id_bits = 0;
  std::uint64_t pair_bits[4] = {};

  static unsigned IdBit(const Packed& id) {
    return static_cast<unsigned>(((id.bytes & 0xffff) * 0x9e3779b97f4a7c15ull) >> 58);
  }
  static unsigned PairBit(const Packed& id, const Packed& qualifier) {
    const std::uint64_t key = (id.bytes & 0xffff) | ((qualifier.bytes & 0xff) << 16);
    return static_cast<unsigned>((key * 0x9e3779b97f4a7c15ull) >> 56);
  }
  bool HasPair(const Packed& id, const Packed& qualifier) const {
    const unsigned bit = PairBit(id, qualifier);
    return (pair_bits[bit >> 6] >> (bit & 63)) & 1;
  }
  void Sketch() {
    id_bits = 0;
    std::fill(std::begin(pair_bits), std::end(pair_bits), 0);
    for (const Rec& r : recs) {
      if (r.id.size < 2) continue;  // no probe (two characters or more) begins it
      id_bits |= std::uint64_t{1} << IdBit(r.id);
      if (r.qualifier.size == 0) continue;
      const unsigned bit = PairBit(r.id, r.qualifier);
      pair_bits[bit >> 6] |= std::uint64_t{1} << (bit & 63);
    }
  }
  bool MayHaveId(const Packed& id) const {
    return id.size < 2 || ((id_bits >> IdBit(id)) & 1) != 0;
  }
  bool MayMatch(const Probe& p) const {
    if (p.id.size < 2) return true;
    if (!MayHaveId(p.id)) return false;
    if (p.q1.size == 0) return true;
    return HasPair(p.id, p.q1) || (p.q2.size != 0 && HasPair(p.id, p.q2));
  }

  // The m-th match of the scope: the claim unit from its first subscriber
  // HL, or from its first record.
  std::uint32_t Nth(Scope scope, const Probe& probe, std::uint32_t m) const {
    if (m == 0 || !MayMatch(probe)) return kNone;
    std::uint32_t seen = 0;
    const std::size_t start = scope == Scope::kUnitFromStart ? 0 : from_subscriber;
    for (std::size_t j = start; j < recs.size(); ++j) {
      if (Matches(recs[j], probe) && ++seen == m) return static_cast<std::uint32_t>(j);
    }
    return kNone;
  }

  std::uint32_t First(const RulePlan& p) {
    const std::uint32_t slot = p.first_slot;
    if (slot >= first_stamp.size()) {
      first_stamp.resize(slot + 1, 0);
      first_at.resize(slot + 1, kNone);
    }
    if (first_stamp[slot] != stamp) {
      first_stamp[slot] = stamp;
      first_at[slot] = Nth(p.scope, p.anchor, 1);
    }
    return first_at[slot];
  }

  // The first LX whose LX01 is the number n.
  std::uint32_t Line(std::uint32_t n) {
    if (!lines_ready) IndexLines();
    if (n < line_at.size()) return line_at[n];
    return n < kLineTable ? kNone : LineBeyondTable(n);
  }

  void IndexLines() {
    lines_ready = true;
    const Packed lx("LX");
    for (std::size_t j = from_subscriber; j < recs.size(); ++j) {
      if (!recs[j].id.Begins(lx)) continue;
      const std::int64_t number = LeadingInteger(recs[j].qualifier.text);
      lines.emplace_back(static_cast<std::uint32_t>(j), number);
      if (number < 0 || number >= kLineTable) continue;
      const std::size_t at = static_cast<std::size_t>(number);
      if (line_at.size() <= at) line_at.resize(at + 1, kNone);
      if (line_at[at] == kNone) line_at[at] = static_cast<std::uint32_t>(j);
    }
  }

  std::uint32_t LineBeyondTable(std::uint32_t n) const {
    for (const auto& [j, number] : lines) {
      if (number == n) return j;
    }
    return kNone;
  }

  // The first match after position `from`; none when a record whose id
  // begins with `stop` comes first.
  std::uint32_t Follow(std::uint32_t from, const Probe& target, const Packed& stop) const {
    if (!MayMatch(target)) return kNone;
    for (std::size_t j = from + 1; j < recs.size(); ++j) {
      if (stop.size != 0 && recs[j].id.Begins(stop)) return kNone;
      if (Matches(recs[j], target)) return static_cast<std::uint32_t>(j);
    }
    return kNone;
  }

  // The m-th record after `from` whose id begins with `target`; none at a
  // record whose id begins with `stop`, or at an HL when `stop_at_hl`.
  std::uint32_t Repeat(std::uint32_t from, const Packed& target, std::uint32_t m,
                       const Packed& stop, bool stop_at_hl) const {
    if (m == 0 || !MayHaveId(target)) return kNone;
    static const Packed hl("HL");
    std::uint32_t seen = 0;
    for (std::size_t j = from + 1; j < recs.size(); ++j) {
      const Packed& id = recs[j].id;
      if (stop.size != 0 && id.Begins(stop)) return kNone;
      if (stop_at_hl && id.Is(hl)) return kNone;
      if (id.Begins(target) && ++seen == m) return static_cast<std::uint32_t>(j);
    }
    return kNone;
  }

  // The record a plan reads from.
  std::uint32_t Locate(const RulePlan& p, const ResolvedField& f) {
    std::uint32_t at = kNone;
    switch (p.find) {
      case Find::kFirst:
      case Find::kFirstLine:
        at = First(p);
        break;
      case Find::kNth: {
        const auto m = static_cast<std::uint32_t>(f.hi_segment);
        at = m == 1 ? First(p) : Nth(p.scope, p.anchor, m);
        break;
      }
      case Find::kLine:
        at = Line(f.line);
        break;
      case Find::kLineOne:
        at = Line(1);
        break;
    }
    if (at == kNone) return kNone;
    if (p.has_via && (at = Follow(at, p.via, p.via_stop)) == kNone) return kNone;
    switch (p.step) {
      case Step::kSelf:
        return at;
      case Step::kFollow:
      case Step::kNext:
        return Follow(at, p.target, p.step_stop);
      case Step::kRepeat:
        return Repeat(at, p.target.id, f.repeat, p.step_stop, p.stop_at_hl);
    }
    return kNone;
  }

  // Element n of the record at position j (0 the id as written), whole
  // composites included; empty when absent.
  std::string_view Element(std::uint32_t j, std::size_t n, char separator) {
    const Rec& r = recs[j];
    if (r.length > 0xffff) return x12::ElementAt({r.text, r.length}, n, separator);
    const std::uint32_t i = r.number - unit.start;
    if (unit.split_of[i] == 0) Split(i, separator);
    const std::uint16_t* at = &unit.separators[unit.split_of[i] - 1];
    const std::size_t count = at[0];
    if (n > count) return {};
    const std::size_t begin = n == 0 ? 0 : at[n] + 1u;
    const std::size_t end = n < count ? at[n + 1] : r.length;
    return {r.text + begin, end - begin};
  }

  // Field f (2 or more: element f - 1) of the record at position j in the
  // lookup's numbering, component n (0 the whole element).
  std::string_view Field(std::uint32_t j, std::size_t f, std::size_t n,
                         const x12::X12Delimiters& d) {
    const std::string_view element = Element(j, f - 1, d.element);
    return n == 0 ? element : Piece(element, d.component, n);
  }

  // Notes the separators of record start + i of the unit (its text is
  // shorter than 64 KB). Eight bytes are looked at in one step: the bytes
  // equal to the separator become the high bits of `found`.
  void Split(std::uint32_t i, char separator) {
    Unit& u = unit;
    const Rec& r = u.recs[i];
    const std::size_t count_at = u.separators_used;
    u.split_of[i] = static_cast<std::uint32_t>(count_at) + 1;
    if (u.separators.size() < count_at + 1 + r.length) {  // room for every byte being one
      u.separators.resize(2 * (count_at + 1 + r.length));
    }
    std::uint16_t* const first = u.separators.data() + count_at + 1;
    std::uint16_t* next = first;
    constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
    const std::uint64_t pattern = 0x0101010101010101ull * static_cast<unsigned char>(separator);
    std::uint32_t k = 0;
    for (; k + 8 <= r.length; k += 8) {
      std::uint64_t word;
      std::memcpy(&word, r.text + k, 8);
      const std::uint64_t x = word ^ pattern;  // zero bytes where the separator stands
      std::uint64_t found = ~(((x & kLow7) + kLow7) | x | kLow7);
      for (; found != 0; found &= found - 1) {
        *next++ = static_cast<std::uint16_t>(k + std::countr_zero(found) / 8);
      }
    }
    for (; k < r.length; ++k) {
      if (r.text[k] == separator) *next++ = static_cast<std::uint16_t>(k);
    }
    const auto count = static_cast<std::uint16_t>(next - first);
    u.separators[count_at] = count;
    u.separators_used = count_at + 1 + count;
  }

  // Position in the claim's records of record `rec` (a record the searches
  // returned, so it is there).
  std::uint32_t PositionOf(std::uint32_t rec) const {
    return static_cast<std::uint32_t>(
        std::lower_bound(recs.begin(), recs.end(), rec,
                         [](const Rec& r, std::uint32_t n) { return r.number < n; }) -
        recs.begin());
  }
  std::uint32_t Number(std::uint32_t at) const { return at == kNone ? 0 : recs[at].number; }
};

class ClaimLookup::Scanner {
 public:
  Scanner(const ClaimLookup& lookup, State& state) : l_(lookup), st_(state) {}

  const x12::SegmentList& list() const { return *l_.list_; }
  std::size_t count() const { return l_.count_; }
  bool ClaimValid() const { return st_.valid; }
  bool Is5010() const { return l_.is5010_; }

  std::uint32_t First(Scope scope, const Seg& seg) { return Nth(scope, seg, 1); }

  std::uint32_t Nth(Scope scope, const Seg& seg, std::uint32_t m) {
    if (m == 0) return 0;
    switch (scope) {
      case Scope::kUnit:
      case Scope::kUnitFromStart:
        return st_.Number(st_.Nth(scope, Probe(seg), m));
      case Scope::kBilling: {
        const auto [start, end] = BillingRun();
        const MemoKey key{1 | (std::uint64_t{m} << 8), start, SegKey(seg), 0};
        return Remember(st_.billing_memo, key, [&] { return NthIn(start, end, seg, m); });
      }
      default: {
        const std::string key = ListKey(1, m, 0, {seg.id, seg.q1, seg.q2});
        return Remember(st_.list_memo, key, [&] { return NthIn(1, Last(), seg, m); });
      }
    }
  }

  std::uint32_t Line(std::uint32_t n) { return st_.Number(st_.Line(n)); }

  std::uint32_t Follow(Scope scope, std::uint32_t from, const Seg& target,
                       std::string_view stop_id) {
    switch (scope) {
      case Scope::kUnit:
      case Scope::kUnitFromStart:
        return st_.Number(st_.Follow(st_.PositionOf(from), Probe(target), Packed(stop_id)));
      case Scope::kBilling: {
        const std::uint32_t end = BillingRun().second;
        const MemoKey key{2, from, SegKey(target), TextKey(stop_id)};
        return Remember(st_.billing_memo, key,
                        [&] { return FollowIn(from, end, target, stop_id); });
      }
      default: {
        const std::string key = ListKey(2, 0, from, {target.id, target.q1, target.q2, stop_id});
        return Remember(st_.list_memo, key,
                        [&] { return FollowIn(from, Last(), target, stop_id); });
      }
    }
  }

  std::uint32_t Repeat(Scope scope, std::uint32_t from, std::string_view target_id, std::uint32_t m,
                       std::string_view stop_id, bool stop_at_hl) {
    if (m == 0) return 0;
    switch (scope) {
      case Scope::kUnit:
      case Scope::kUnitFromStart:
        return st_.Number(
            st_.Repeat(st_.PositionOf(from), Packed(target_id), m, Packed(stop_id), stop_at_hl));
      case Scope::kBilling: {
        const std::uint32_t end = BillingRun().second;
        const MemoKey key{3 | (std::uint64_t{m} << 8) | (std::uint64_t{stop_at_hl} << 40), from,
                          TextKey(target_id), TextKey(stop_id)};
        return Remember(st_.billing_memo, key,
                        [&] { return RepeatIn(from, end, target_id, m, stop_id, stop_at_hl); });
      }
      default: {
        const std::string key = ListKey(stop_at_hl ? 4 : 3, m, from, {target_id, stop_id});
        return Remember(st_.list_memo, key,
                        [&] { return RepeatIn(from, Last(), target_id, m, stop_id, stop_at_hl); });
      }
    }
  }

  // The first record of the claim's billing-provider level (0 for none).
  std::uint32_t BillingStart() { return BillingRun().first; }

  std::string ClaimTotal() {
    State::Unit& u = st_.unit;
    if (!u.total_ready) {
      u.total_ready = true;
      Decimal sum;
      for (const State::Loop& c : u.clms) sum += Decimal::ParseLeading(list().Element(c.clm, 2));
      u.total = rules::FormatTotal(sum);
    }
    return u.total;
  }

 private:
  std::uint32_t Last() const { return static_cast<std::uint32_t>(count() == 0 ? 0 : count() - 1); }

  template <class Memo, class F>
  static std::uint32_t Remember(Memo& memo, const typename Memo::key_type& key, F&& search) {
    auto it = memo.find(key);
    if (it == memo.end()) it = memo.emplace(key, search()).first;
    return it->second;
  }

  // The billing-provider level of record ClaimIndex[c]: the records around it
  // with the same level count.
  std::pair<std::uint32_t, std::uint32_t> BillingRun() {
    const x12::SegmentList& l = list();
    if (!st_.runs_ready) {
      st_.runs_ready = true;
      for (std::size_t r = 1; r <= l.size(); ++r) {
        if (r == 1 || l.Run(r).billing != l.Run(r - 1).billing) {
          st_.run_starts.push_back(static_cast<std::uint32_t>(r));
        }
      }
    }
    State::Unit& u = st_.unit;
    if (!u.billing_ready) {
      u.billing_ready = true;
      auto it = std::upper_bound(st_.run_starts.begin(), st_.run_starts.end(), u.start);
      if (it == st_.run_starts.begin()) {
        u.billing_start = 0;
      } else {
        u.billing_start = *(it - 1);
        u.billing_end = std::min(
            it == st_.run_starts.end() ? static_cast<std::uint32_t>(l.size()) : *it - 1, Last());
      }
    }
    if (u.billing_start == 0) return {1, 0};
    if (st_.memo_run != u.billing_start) {  // the searches of another level are not asked again
      st_.memo_run = u.billing_start;
      st_.billing_memo.clear();
    }
    return {u.billing_start, u.billing_end};
  }

  std::uint32_t NthIn(std::uint32_t from, std::uint32_t end, const Seg& seg, std::uint32_t m) {
    std::uint32_t seen = 0;
    for (std::uint32_t r = from; r <= end; ++r) {
      if (rules::Matches(list(), r, seg) && ++seen == m) return r;
    }
    return 0;
  }

  std::uint32_t FollowIn(std::uint32_t from, std::uint32_t end, const Seg& target,
                         std::string_view stop_id) {
    for (std::uint32_t r = from + 1; r <= end; ++r) {
      if (!stop_id.empty() && list().Id(r).starts_with(stop_id)) return 0;
      if (rules::Matches(list(), r, target)) return r;
    }
    return 0;
  }

  std::uint32_t RepeatIn(std::uint32_t from, std::uint32_t end, std::string_view target_id,
                         std::uint32_t m, std::string_view stop_id, bool stop_at_hl) {
    std::uint32_t seen = 0;
    for (std::uint32_t r = from + 1; r <= end; ++r) {
      const std::string_view id = list().Id(r);
      if (!stop_id.empty() && id.starts_with(stop_id)) return 0;
      if (stop_at_hl && id == "HL") return 0;
      if (id.starts_with(target_id) && ++seen == m) return r;
    }
    return 0;
  }

  const ClaimLookup& l_;
  State& st_;
};

ClaimLookup::ClaimLookup(const x12::SegmentList& list, const x12::ClaimIndex& index)
    : list_(&list),
      index_(&index),
      count_(list.size()),
      is5010_(x12::SetHeaderValue(list, list.size(), 1, 4, "ISA") == "5010"),
      state_(std::make_unique<State>()) {}

ClaimLookup::~ClaimLookup() = default;
ClaimLookup::ClaimLookup(ClaimLookup&&) noexcept = default;
ClaimLookup& ClaimLookup::operator=(ClaimLookup&&) noexcept = default;

void ClaimLookup::PrepareUnit(std::size_t claim) const {
  State::Unit& u = state_->unit;
  if (u.ready && u.claim == claim) return;
  state_->prepared = false;  // the claim's records are read from the unit
  u.Reset(claim);
  if (claim < 1 || claim > index_->size()) return;
  const x12::SegmentList& l = *list_;
  const std::size_t last = count_ == 0 ? 0 : count_ - 1;
  u.start = (*index_)[claim];
  u.end = u.start - 1;
  for (std::size_t r = u.start; r >= 1 && r <= last && l.SetClaimNo(r) == claim; ++r) {
    u.end = static_cast<std::uint32_t>(r);
  }
  // One pass: the records packed, the HLs with the end of their own records
  // (up to the first CLM or HL after them), the CLMs with the end of their
  // loops and the levels that hold them.
  const char separator = l.delimiters().element;
  const char* const readable_end = l.buffer() ? l.buffer()->data() + l.buffer()->size() : nullptr;
  static const Packed kHl("HL"), kClm("CLM");
  std::uint32_t last_hl = 0, last_subscriber = 0;
  auto close = [&](std::uint32_t r) {  // the chunk open before record r ends
    if (!u.clms.empty() && u.clms.back().end == 0) u.clms.back().end = r - 1;
    if (!u.hls.empty() && u.hls.back().end == 0) u.hls.back().end = r - 1;
    if (u.lead_end == 0 && u.hls.empty() && u.clms.empty()) u.lead_end = r - 1;
  };
  for (std::uint32_t r = u.start; r <= u.end; ++r) {
    State::Rec& rec = u.recs.emplace_back();
    rec.number = r;
    const std::string_view text = l.Text(r);
    rec.text = text.data();
    rec.length = static_cast<std::uint32_t>(text.size());
    // The id, and element 1 from the first separator to the next one. The id
    // ends at or before the first separator; it mostly stands right in front
    // of it.
    const x12::SegmentRecord& sr = l.Record(r);
    std::size_t begin = 0;
    if (sr.id_begin != 255) {
      rec.id =
          Packed(sr.id_length == 0 ? std::string_view() : text.substr(sr.id_begin, sr.id_length),
                 readable_end);
      begin = sr.id_begin + sr.id_length;
    } else {
      rec.id = Packed(l.Id(r), readable_end);
    }
    while (begin < text.size() && text[begin] != separator) ++begin;
    if (begin < text.size()) {
      std::size_t end = ++begin;
      while (end < text.size() && text[end] != separator) ++end;
      rec.qualifier = Packed(text.substr(begin, end - begin), readable_end);
    }

    if (rec.id.Is(kHl)) {
      close(r);
      const std::string_view type = l.Element(r, 3);
      State::Level level;
      level.hl = r;
      level.type = LooseEquals(type, "22") ? 22 : LooseEquals(type, "23") ? 23 : 0;
      if (level.type == 0) u.other_levels.push_back(u.hls.size());
      u.hls.push_back(level);
      last_hl = r;
      if (level.type == 22) {
        last_subscriber = r;
        if (u.subscriber == 0) u.subscriber = r;
      }
    } else if (rec.id.Is(kClm)) {
      close(r);
      State::Loop loop;
      loop.clm = r;
      loop.holder = last_hl;
      loop.subscriber = last_subscriber;
      u.clms.push_back(loop);
    }
  }
  close(u.end + 1);
  if (u.lead_end == 0) u.lead_end = u.start - 1;  // the unit begins with an HL or a CLM
  u.split_of.assign(u.recs.size(), 0);
}

void ClaimLookup::Prepare(std::size_t claim, std::size_t occurrence) const {
  State& st = *state_;
  if (st.IsPrepared(claim, occurrence)) return;
  PrepareUnit(claim);
  st.prepared = true;
  st.claim = claim;
  st.occurrence = occurrence;
  st.valid = false;
  st.recs.clear();
  st.from_subscriber = 0;
  st.lines_ready = false;
  st.lines.clear();
  st.line_at.clear();
  if (++st.stamp == 0) {  // the stamps went round: forget every remembered match
    std::fill(st.first_stamp.begin(), st.first_stamp.end(), 0);
    st.stamp = 1;
  }
  const State::Unit& u = st.unit;
  if (claim < 1 || claim > index_->size()) return;
  const std::size_t m = u.clms.size();
  if (occurrence < 1 || occurrence > std::max<std::size_t>(m, 1)) return;
  st.valid = true;

  // The claim's records: with one CLM the whole unit; with several, claim
  // k's own loop, the levels above it and the patient level that holds it,
  // and no other claim's loop, patient or subscriber level.
  std::vector<std::pair<std::uint32_t, std::uint32_t>>& chunks = st.chunk_scratch;
  chunks.clear();
  if (m <= 1) {
    if (u.start <= u.end) chunks.emplace_back(u.start, u.end);
  } else {
    const State::Loop& k = u.clms[occurrence - 1];
    if (u.lead_end >= u.start) chunks.emplace_back(u.start, u.lead_end);
    for (std::size_t i : u.other_levels) chunks.emplace_back(u.hls[i].hl, u.hls[i].end);
    for (std::uint32_t hl : {k.subscriber, k.holder}) {
      auto it = std::lower_bound(u.hls.begin(), u.hls.end(), hl,
                                 [](const State::Level& a, std::uint32_t b) { return a.hl < b; });
      if (hl == 0 || it == u.hls.end() || it->hl != hl || it->type == 0) continue;
      if (it->type == 22 && hl != k.subscriber) continue;  // the holder is a patient level
      if (chunks.empty() || chunks.back().first != it->hl) chunks.emplace_back(it->hl, it->end);
    }
    chunks.emplace_back(k.clm, k.end);
    std::sort(chunks.begin(), chunks.end());
  }
  for (const auto& [from, to] : chunks) {
    st.recs.insert(st.recs.end(), u.recs.begin() + (from - u.start),
                   u.recs.begin() + (to - u.start + 1));
  }
  st.Sketch();
  // The first subscriber HL of the unit may lie outside the claim's records:
  // the search of the unit then begins at the first record after it.
  st.from_subscriber =
      u.subscriber == 0 ? static_cast<std::uint32_t>(st.recs.size()) : st.PositionOf(u.subscriber);
}

void ClaimLookup::ValueInto(const BoundField& field, std::size_t claim, std::size_t occurrence,
                            std::string& out) const {
  out.clear();
  if (field.claim_path_ == BoundField::ClaimPath::kEmpty) return;
  State& st = *state_;
  if (!st.IsPrepared(claim, occurrence)) Prepare(claim, occurrence);
  if (!st.valid) return;
  if (field.claim_path_ != BoundField::ClaimPath::kPlanned) {
    Scanned(field, out);
    return;
  }
  // The plan run over the claim's records: the same steps as the rules' own
  // evaluation, on positions and views; then its fallback while the value is
  // empty.
  const ResolvedField& f = field.resolved();
  const RulePlan* next = field.plan_;
  while (next != nullptr && out.empty()) {
    const RulePlan& p = (next->plan_5010 != nullptr && is5010_) ? *next->plan_5010 : *next;
    next = p.fallback;
    const std::uint32_t at = st.Locate(p, f);
    const std::size_t element_field =
        p.field == rules::kFieldFromPosition ? static_cast<std::size_t>(f.position) + 1 : p.field;
    const std::size_t component = p.component == rules::kComponentFromLine ? f.line : p.component;
    const bool read = at != kNone && !(p.component == rules::kComponentFromLine && component == 0);
    if (p.format != Format::kNone || element_field < 2) {
      Worded(p, f, at, element_field, component, read, out);
    } else if (read) {
      out.assign(st.Field(at, element_field, component, list_->delimiters()));
    }
  }
}

// The values the rules' wording functions shape, and field 1 (the id read
// with its first character twice).
void ClaimLookup::Worded(const RulePlan& p, const ResolvedField& f, std::uint32_t at,
                         std::size_t field, std::size_t component, bool read,
                         std::string& out) const {
  const std::uint32_t rec = state_->Number(at);
  std::string raw;
  if (read) {
    raw = field < 2 ? rules::ReadField(*list_, rec, field, component)
                    : std::string(state_->Field(at, field, component, list_->delimiters()));
  }
  out = rules::Apply(*p.rule, f, std::move(raw), rec != 0, *list_, rec);
}

// The names the rules' own evaluation answers with the lookup's scanner.
// Kept out of ValueInto() so that the planned names' path stays short.
[[gnu::noinline]] void ClaimLookup::Scanned(const BoundField& field, std::string& out) const {
  State& st = *state_;
  Scanner scanner(*this, st);
  if (field.claim_path_ == BoundField::ClaimPath::kBillingLevel) {
    // The same text for every claim of the level.
    const std::uint32_t level = scanner.BillingStart();
    const std::uint32_t slot = field.slot_;
    if (slot >= st.billing_values.size()) {
      st.billing_values.resize(slot + 1);
      st.billing_value_run.resize(slot + 1, 0);
    }
    if (st.billing_value_run[slot] != level || level == 0) {
      st.billing_values[slot] = rules::EvaluateClaim(field.resolved(), field.rule(), scanner);
      st.billing_value_run[slot] = level;
    }
    out.assign(st.billing_values[slot]);
    return;
  }
  out = rules::EvaluateClaim(field.resolved(), field.rule(), scanner);
}

void ClaimLookup::HeaderValueInto(const BoundField& field, std::size_t claim,
                                  std::string& out) const {
  out.clear();
  const FieldGroupCode code = field.code();
  if (code != kUnknownFieldCode && (code < 101 || code > 111)) return;
  if (code >= 106 && code <= 111) {
    if (claim < 1 || claim > index_->size() || list_->SetClaimNo((*index_)[claim]) != claim) {
      return;
    }
  }
  if (field.header_empty_) return;
  // Header values do not depend on the claim.
  State& st = *state_;
  const std::uint32_t slot = field.slot_;
  if (slot >= st.header_known.size()) {
    st.header_known.resize(slot + 1, 0);
    st.header_values.resize(slot + 1);
  }
  if (st.header_known[slot] == 0) {
    Scanner scanner(*this, st);
    st.header_values[slot] = rules::EvaluateHeader(field.resolved(), field.rule(), scanner);
    st.header_known[slot] = 1;
  }
  out.assign(st.header_values[slot]);
}

void ClaimLookup::LookupInto(const BoundField& field, std::size_t claim, std::size_t occurrence,
                             std::string& out) const {
  if (field.IsClaimLevel()) {
    ValueInto(field, claim, occurrence, out);
  } else {
    HeaderValueInto(field, claim, out);
  }
}

std::string ClaimLookup::Value(const BoundField& field, std::size_t claim,
                               std::size_t occurrence) const {
  std::string out;
  ValueInto(field, claim, occurrence, out);
  return out;
}

std::string ClaimLookup::HeaderValue(const BoundField& field, std::size_t claim) const {
  std::string out;
  HeaderValueInto(field, claim, out);
  return out;
}

std::string ClaimLookup::Lookup(const BoundField& field, std::size_t claim,
                                std::size_t occurrence) const {
  std::string out;
  LookupInto(field, claim, occurrence, out);
  return out;
}

std::size_t ClaimLookup::ClaimCount(std::size_t claim) const {
  PrepareUnit(claim);
  return state_->unit.clms.size();
}

std::size_t ClaimLookup::UnitCount() const { return index_->size(); }

std::size_t ClaimLookup::SubscriberLevelCount() const {
  return x12::CountSegmentsOfKind("HL", *list_, count_);
}

}  // namespace ardentix::claims
