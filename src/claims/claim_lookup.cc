#include "claims/claim_lookup.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "claims/claim_rules.h"
#include "common/decimal.h"
#include "common/number.h"
#include "common/text.h"
#include "x12/access.h"

namespace ardentix::claims {

using rules::Scope;
using rules::Seg;

BoundField BindField(std::string_view name, const UserFieldTable& user_fields) {
  BoundField f;
  f.resolved_ = Resolve(name, user_fields);
  if (f.resolved_.code == kUserClaimFieldCode) {
    f.rule_ = &rules::UserClaimRule();
  } else if (f.resolved_.code == kUnknownFieldCode) {
    f.rule_ = &rules::UserHeaderRule();
  } else {
    f.rule_ = rules::RuleForEntry(f.resolved_.entry);
  }
  return f;
}

std::vector<BoundField> BindFields(const std::vector<std::string>& names,
                                   const UserFieldTable& user_fields) {
  std::vector<BoundField> out;
  out.reserve(names.size());
  for (const std::string& n : names) out.push_back(BindField(n, user_fields));
  return out;
}

namespace {

// Short texts (segment ids, qualifiers) packed into a number, so that "the
// record's id begins with the anchor's id" is a mask and a compare. Texts
// longer than eight characters are compared as texts.
struct Packed {
  std::uint64_t bytes = 0;
  std::uint32_t size = 0;
  std::string_view text;

  Packed() = default;
  explicit Packed(std::string_view s) : size(static_cast<std::uint32_t>(s.size())), text(s) {
    if (!s.empty()) std::memcpy(&bytes, s.data(), std::min<std::size_t>(s.size(), 8));
  }
  // True when this text begins with `prefix`.
  bool Begins(const Packed& prefix) const {
    if (size < prefix.size) return false;
    if (prefix.size > 8) return text.starts_with(prefix.text);
    const std::uint64_t mask =
        prefix.size == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * prefix.size)) - 1;
    return (bytes & mask) == prefix.bytes;
  }
};

// A segment of a rule, packed once per search.
struct Probe {
  explicit Probe(const Seg& seg) : id(seg.id), q1(seg.q1), q2(seg.q2) {}
  Packed id;
  Packed q1;
  Packed q2;
};

// A search remembered in a billing-provider level: every claim of the level
// asks the same searches, and some of them (a pay-to provider the level does
// not have) walk the whole level. The rules' ids and qualifiers are constant
// texts, so their address and length name them.
struct MemoKey {
  std::uint64_t kind = 0;
  std::uint64_t from = 0;
  std::uint64_t what = 0;
  std::uint64_t stop = 0;
  bool operator==(const MemoKey&) const = default;
};

std::uint64_t TextKey(std::string_view s) {
  return reinterpret_cast<std::uintptr_t>(s.data()) * 131 + s.size();
}

std::uint64_t SegKey(const Seg& s) {
  return TextKey(s.id) ^ (TextKey(s.q1) << 1) ^ (TextKey(s.q2) << 2);
}

constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

}  // namespace

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
  // The unit of the last request, read once for all its claims.
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
  };
  Unit unit;

  // One record of the claim's view of its unit.
  struct Rec {
    std::uint32_t number = 0;
    Packed id;
    Packed qualifier;  // element 1
  };

  // The claim of the last request.
  bool prepared = false;
  std::size_t claim = 0;
  std::size_t occurrence = 0;
  bool valid = false;
  std::vector<Rec> recs;  // the claim's view of the unit, from its start
  // Every id of the view with its first position, and its first position at
  // or after the subscriber HL (kNoPosition when none): a search starts at
  // the first record that can match, and a search for an id the claim does
  // not have ends at once.
  struct FirstOfId {
    Packed id;
    std::size_t first = 0;
    std::size_t first_from_subscriber = 0;
  };
  std::vector<FirstOfId> firsts;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> chunk_scratch;
  std::size_t from_subscriber = 0;  // position in recs of the first subscriber HL
  bool lines_ready = false;
  std::vector<std::pair<std::size_t, std::int64_t>> lines;  // (position of an LX, LX01)

  // Billing-provider levels: the records where the level count changes, and
  // the searches made in the level of the last request.
  bool runs_ready = false;
  std::vector<std::uint32_t> run_starts;
  std::uint32_t memo_run = 0;
  std::vector<std::pair<MemoKey, std::uint32_t>> billing_memo;

  // Header values by field name.
  std::unordered_map<std::string, std::string> header_memo;
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
      case Scope::kUnitFromStart: {
        const Probe probe(seg);
        std::size_t start = kNoPosition;
        for (const State::FirstOfId& f : st_.firsts) {
          if (f.id.Begins(probe.id)) {
            start = std::min(start, scope == Scope::kUnit ? f.first_from_subscriber : f.first);
          }
        }
        std::uint32_t seen = 0;
        for (std::size_t j = start; j < st_.recs.size(); ++j) {
          if (Matches(st_.recs[j], probe) && ++seen == m) return st_.recs[j].number;
        }
        return 0;
      }
      case Scope::kBilling: {
        const auto [start, end] = BillingRun();
        const MemoKey key{1 | (std::uint64_t{m} << 8), start, SegKey(seg), 0};
        return Remember(key, [&] { return NthIn(start, end, seg, m); });
      }
      default:
        return NthIn(1, Last(), seg, m);
    }
  }

  std::uint32_t Line(std::uint32_t n) {
    if (!st_.lines_ready) {
      st_.lines_ready = true;
      const Packed lx("LX");
      for (std::size_t j = st_.from_subscriber; j < st_.recs.size(); ++j) {
        if (st_.recs[j].id.Begins(lx)) {
          st_.lines.emplace_back(j, LeadingInteger(st_.recs[j].qualifier.text));
        }
      }
    }
    for (const auto& [j, number] : st_.lines) {
      if (number == n) return st_.recs[j].number;
    }
    return 0;
  }

  std::uint32_t Follow(Scope scope, std::uint32_t from, const Seg& target,
                       std::string_view stop_id) {
    switch (scope) {
      case Scope::kUnit:
      case Scope::kUnitFromStart: {
        const Probe probe(target);
        const Packed stop(stop_id);
        for (std::size_t j = PositionOf(from) + 1; j < st_.recs.size(); ++j) {
          if (stop.size != 0 && st_.recs[j].id.Begins(stop)) return 0;
          if (Matches(st_.recs[j], probe)) return st_.recs[j].number;
        }
        return 0;
      }
      case Scope::kBilling: {
        const std::uint32_t end = BillingRun().second;
        const MemoKey key{2, from, SegKey(target), TextKey(stop_id)};
        return Remember(key, [&] { return FollowIn(from, end, target, stop_id); });
      }
      default:
        return FollowIn(from, Last(), target, stop_id);
    }
  }

  std::uint32_t Repeat(Scope scope, std::uint32_t from, std::string_view target_id, std::uint32_t m,
                       std::string_view stop_id, bool stop_at_hl) {
    if (m == 0) return 0;
    switch (scope) {
      case Scope::kUnit:
      case Scope::kUnitFromStart: {
        const Packed target(target_id);
        const Packed stop(stop_id);
        std::uint32_t seen = 0;
        for (std::size_t j = PositionOf(from) + 1; j < st_.recs.size(); ++j) {
          const Packed& id = st_.recs[j].id;
          if (stop.size != 0 && id.Begins(stop)) return 0;
          if (stop_at_hl && id.text == "HL") return 0;
          if (id.Begins(target) && ++seen == m) return st_.recs[j].number;
        }
        return 0;
      }
      case Scope::kBilling: {
        const std::uint32_t end = BillingRun().second;
        const MemoKey key{3 | (std::uint64_t{m} << 8) | (std::uint64_t{stop_at_hl} << 40), from,
                          TextKey(target_id), TextKey(stop_id)};
        return Remember(key,
                        [&] { return RepeatIn(from, end, target_id, m, stop_id, stop_at_hl); });
      }
      default:
        return RepeatIn(from, Last(), target_id, m, stop_id, stop_at_hl);
    }
  }

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
  static bool Matches(const State::Rec& r, const Probe& p) {
    if (!r.id.Begins(p.id)) return false;
    if (p.q1.size == 0) return true;
    return r.qualifier.Begins(p.q1) || (p.q2.size != 0 && r.qualifier.Begins(p.q2));
  }

  std::uint32_t Last() const { return static_cast<std::uint32_t>(count() == 0 ? 0 : count() - 1); }

  // Position in the claim's records of record `rec` (a record the scanner
  // returned, so it is there).
  std::size_t PositionOf(std::uint32_t rec) const {
    return static_cast<std::size_t>(
        std::lower_bound(st_.recs.begin(), st_.recs.end(), rec,
                         [](const State::Rec& r, std::uint32_t n) { return r.number < n; }) -
        st_.recs.begin());
  }

  template <class F>
  std::uint32_t Remember(const MemoKey& key, F&& search) {
    for (const auto& [k, found] : st_.billing_memo) {
      if (k == key) return found;
    }
    const std::uint32_t found = search();
    st_.billing_memo.emplace_back(key, found);
    return found;
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
    const std::uint32_t s = st_.unit.start;
    auto it = std::upper_bound(st_.run_starts.begin(), st_.run_starts.end(), s);
    if (it == st_.run_starts.begin()) return {1, 0};
    const std::uint32_t start = *(it - 1);
    const std::uint32_t end = std::min(
        it == st_.run_starts.end() ? static_cast<std::uint32_t>(l.size()) : *it - 1, Last());
    if (st_.memo_run != start) {  // the searches of another level are not asked again soon
      st_.memo_run = start;
      st_.billing_memo.clear();
    }
    return {start, end};
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
  u = State::Unit();
  u.ready = true;
  u.claim = claim;
  if (claim < 1 || claim > index_->size()) return;
  const x12::SegmentList& l = *list_;
  const std::size_t last = count_ == 0 ? 0 : count_ - 1;
  u.start = (*index_)[claim];
  u.end = u.start - 1;
  for (std::size_t r = u.start; r >= 1 && r <= last && l.SetClaimNo(r) == claim; ++r) {
    u.end = static_cast<std::uint32_t>(r);
  }
  // One pass: the HLs with the end of their own records (up to the first CLM
  // or HL after them), the CLMs with the end of their loops and the levels
  // that hold them.
  std::uint32_t last_hl = 0, last_subscriber = 0;
  auto close = [&](std::uint32_t r) {  // the chunk open before record r ends
    if (!u.clms.empty() && u.clms.back().end == 0) u.clms.back().end = r - 1;
    if (!u.hls.empty() && u.hls.back().end == 0) u.hls.back().end = r - 1;
    if (u.lead_end == 0 && u.hls.empty() && u.clms.empty()) u.lead_end = r - 1;
  };
  for (std::uint32_t r = u.start; r <= u.end; ++r) {
    const std::string_view id = l.Id(r);
    if (id == "HL") {
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
    } else if (id == "CLM") {
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
}

void ClaimLookup::Prepare(std::size_t claim, std::size_t occurrence) const {
  State& st = *state_;
  if (st.prepared && st.claim == claim && st.occurrence == occurrence && st.unit.ready &&
      st.unit.claim == claim) {
    return;
  }
  st.prepared = true;
  st.claim = claim;
  st.occurrence = occurrence;
  st.valid = false;
  st.recs.clear();
  st.firsts.clear();
  st.from_subscriber = 0;
  st.lines_ready = false;
  st.lines.clear();
  PrepareUnit(claim);
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
  const x12::SegmentList& l = *list_;
  for (const auto& [from, to] : chunks) {
    for (std::uint32_t r = from; r <= to; ++r) {
      if (r == u.subscriber) st.from_subscriber = st.recs.size();
      State::Rec rec;
      rec.number = r;
      rec.id = Packed(l.Id(r));
      rec.qualifier = Packed(l.Element(r, 1));
      st.recs.push_back(rec);
    }
  }
  // The first subscriber HL of the unit may lie outside the claim's records:
  // the search of the unit then begins at the first record after it.
  if (u.subscriber == 0) {
    st.from_subscriber = st.recs.size();
  } else {
    st.from_subscriber = static_cast<std::size_t>(
        std::lower_bound(st.recs.begin(), st.recs.end(), u.subscriber,
                         [](const State::Rec& r, std::uint32_t n) { return r.number < n; }) -
        st.recs.begin());
  }
  for (std::size_t j = 0; j < st.recs.size(); ++j) {
    const Packed& id = st.recs[j].id;
    auto it = std::find_if(st.firsts.begin(), st.firsts.end(), [&](const State::FirstOfId& f) {
      return f.id.size == id.size && f.id.Begins(id);
    });
    if (it == st.firsts.end()) {
      it = st.firsts.insert(st.firsts.end(), State::FirstOfId{id, j, kNoPosition});
    }
    if (j >= st.from_subscriber && it->first_from_subscriber == kNoPosition) {
      it->first_from_subscriber = j;
    }
  }
}

std::string ClaimLookup::Value(const BoundField& field, std::size_t claim,
                               std::size_t occurrence) const {
  const FieldGroupCode code = field.code();
  if (!((code >= 201 && code <= 246) || code == kUserClaimFieldCode)) return {};
  Prepare(claim, occurrence);
  Scanner scanner(*this, *state_);
  return rules::EvaluateClaim(field.resolved(), field.rule(), scanner);
}

std::string ClaimLookup::HeaderValue(const BoundField& field, std::size_t claim) const {
  const FieldGroupCode code = field.code();
  if (code != kUnknownFieldCode && (code < 101 || code > 111)) return {};
  if (code >= 106 && code <= 111) {
    if (claim < 1 || claim > index_->size() || list_->SetClaimNo((*index_)[claim]) != claim) {
      return {};
    }
  }
  // Header values do not depend on the claim: they are remembered by name
  // (and, for user-defined names, by their definitions).
  State& st = *state_;
  std::string key = field.name();
  for (const UserFieldDef& d : field.resolved().user_fields) {
    key.append(1, '\0').append(d.segment).append(1, '\1').append(d.qualifier);
    key.append(1, '\1').append(d.returned);
  }
  auto it = st.header_memo.find(key);
  if (it != st.header_memo.end()) return it->second;
  Scanner scanner(*this, st);
  std::string value = rules::EvaluateHeader(field.resolved(), field.rule(), scanner);
  st.header_memo.emplace(std::move(key), value);
  return value;
}

std::string ClaimLookup::Lookup(const BoundField& field, std::size_t claim,
                                std::size_t occurrence) const {
  return field.IsClaimLevel() ? Value(field, claim, occurrence) : HeaderValue(field, claim);
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
