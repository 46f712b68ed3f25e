#include "x12/loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/number.h"
#include "common/text.h"
#include "ui/meter.h"
#include "ui/ui.h"
#include "x12/access.h"

namespace ardentix::x12 {

namespace {

constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

void Complain(LoadStatus* status, const std::string& message) {
  ui::CurrentUi().Message(message, "Error", ui::MessageIcon::kStop);
  if (status != nullptr) {
    status->ok = false;
    if (status->message.empty()) status->message = message;
  }
}

std::string ErrorText(std::string_view what, int error) {
  return std::string(what) + FormatIntegerWidth(error, 2);
}

bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsBreak(char c) { return c == '\r' || c == '\n'; }

// A file descriptor closed on scope exit.
class Fd {
 public:
  explicit Fd(const fs::path& file) : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads up to `size` bytes at `offset`; returns the count or -1 (errno set).
long long ReadAt(int fd, char* out, std::size_t size, std::uint64_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(done);
}

// The first `limit` bytes of a file from `offset`, or nullopt after a
// failure (shown with `open_text` / `read_text` + the error number).
std::optional<std::string> ReadPrefix(const fs::path& file, std::uint64_t offset, std::size_t limit,
                                      const std::string& open_text, const std::string& open_suffix,
                                      const std::string& read_text) {
  Fd fd(file);
  if (fd.get() < 0) {
    Complain(nullptr, ErrorText(open_text, errno) + open_suffix);
    return std::nullopt;
  }
  std::string bytes(limit, '\0');
  const long long n = ReadAt(fd.get(), bytes.data(), limit, offset);
  if (n < 0) {
    Complain(nullptr, ErrorText(read_text, errno));
    return std::nullopt;
  }
  bytes.resize(static_cast<std::size_t>(n));
  return bytes;
}

constexpr std::size_t kPrefixBytes = 1 << 20;

// Exact comparison of a short id without a library call.
template <std::size_t N>
inline bool IdEquals(std::string_view id, const char (&literal)[N]) {
  if (id.size() != N - 1) return false;
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if (id[i] != literal[i]) return false;
  }
  return true;
}
template <std::size_t N>
inline bool IdBegins(std::string_view id, const char (&literal)[N]) {
  if (id.size() < N - 1) return false;
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if (id[i] != literal[i]) return false;
  }
  return true;
}

// `t` begins with id + separator + qualifier ("NM1*41").
template <std::size_t N, std::size_t M>
inline bool BeginsQualified(std::string_view t, const char (&id)[N], char sep,
                            const char (&qualifier)[M]) {
  return t.size() >= N + M - 1 && IdBegins(t, id) && t[N - 1] == sep &&
         IdBegins(t.substr(N), qualifier);
}

// Level of a segment id: a digit, kCurrent (the current level) or kNone.
constexpr int kLevelNone = -2;
constexpr int kLevelCurrent = -1;
int LevelOf(std::string_view id) {
  if (id.empty()) return kLevelNone;
  auto is = [&](const auto& p) { return IdBegins(id, p); };
  switch (id[0]) {
    case 'I':
      return (is("ISA") || is("IEA")) ? 1 : kLevelNone;
    case 'G':
      return (is("GS") || is("GE")) ? 2 : kLevelNone;
    case 'S':
      if (is("ST") || is("SE")) return 3;
      if (is("SBR")) return 6;
      if (is("SV1") || is("SV2") || is("SV3") || is("SVC")) return kLevelCurrent;
      return kLevelNone;
    case 'B':
      return is("BHT") ? 4 : kLevelNone;
    case 'P':
      if (is("PAT")) return 7;
      return (is("PER") || is("PRV")) ? kLevelCurrent : kLevelNone;
    case 'C':
      if (is("CLM")) return 8;
      return is("CLP") ? kLevelCurrent : kLevelNone;
    case 'L':
      return is("LX") ? 9 : kLevelNone;
    case 'R':
      return is("REF") ? kLevelCurrent : kLevelNone;
    case 'N':
      return (is("NM1") || is("N3") || is("N4")) ? kLevelCurrent : kLevelNone;
    case 'H':
      return (is("HL") || is("HI")) ? kLevelCurrent : kLevelNone;
    case 'D':
      return (is("DMG") || is("DTP")) ? kLevelCurrent : kLevelNone;
    default:
      return kLevelNone;
  }
}

// What the loop-label table says about a segment text.
enum class LabelRule : std::uint8_t {
  kNone,
  kSet,         // the record gets `label` and the current label becomes it
  kDashes,      // HL: "---------", current unchanged
  kCurrent,     // the current label
  kPrvPt,       // "2000A" after an HL (both records), else the current label
  kSubscriber,  // SBR, PAT: "2000B" after an HL (both records), else empty
};
struct LabelDecision {
  LabelRule rule = LabelRule::kNone;
  LoopLabelId label = LoopLabelId::kNone;
};

// The loop-label tests, with the file's element separator in place of "*".
struct LabelPatterns {
  explicit LabelPatterns(char separator) : sep(separator) {}
  char sep;

  LabelDecision Decide(std::string_view t) const {
    if (t.empty()) return {};
    auto is = [&](const auto& p) { return IdBegins(t, p); };
    auto q = [&](const auto& id, const auto& qualifier) {
      return BeginsQualified(t, id, sep, qualifier);
    };
    auto set = [](LoopLabelId id) { return LabelDecision{LabelRule::kSet, id}; };
    switch (t[0]) {
      case 'P':
        if (q("PER", "IC")) return set(LoopLabelId::k1000A);
        if (q("PRV", "PT")) return {LabelRule::kPrvPt, LoopLabelId::kNone};
        if (is("PAT")) return {LabelRule::kSubscriber, LoopLabelId::kNone};
        if (is("PRV")) return {LabelRule::kCurrent, LoopLabelId::kNone};
        return {};
      case 'N':
        if (q("NM1", "41")) return set(LoopLabelId::k1000A);
        if (q("NM1", "40")) return set(LoopLabelId::k1000B);
        if (q("NM1", "85") || q("NM1", "87")) return set(LoopLabelId::k2010AA);
        if (q("NM1", "IL")) return set(LoopLabelId::k2010BA);
        if (q("NM1", "PR")) return set(LoopLabelId::k2010BB);
        if (is("N3") || is("N4")) return {LabelRule::kCurrent, LoopLabelId::kNone};
        return {};
      case 'R':
        if (q("REF", "1C")) return set(LoopLabelId::k2010AA);
        return {};
      case 'C':
        if (is("CLM")) return set(LoopLabelId::k2300);
        return {};
      case 'L':
        if (is("LX")) return set(LoopLabelId::k2400);
        return {};
      case 'H':
        if (is("HL")) return {LabelRule::kDashes, LoopLabelId::kHlDashes};
        if (is("HI")) return {LabelRule::kCurrent, LoopLabelId::kNone};
        return {};
      case 'S':
        if (is("SBR")) return {LabelRule::kSubscriber, LoopLabelId::kNone};
        if (is("SV1") || is("SV2") || is("SV3")) return {LabelRule::kCurrent, LoopLabelId::kNone};
        return {};
      case 'D':
        if (is("DMG") || is("DTP")) return {LabelRule::kCurrent, LoopLabelId::kNone};
        return {};
      default:
        return {};
    }
  }
};

// Kinds of transaction sets by the segments that open their claim units.
enum class SetKind { kNone, k837, kSubscriber, k835, k997, k999, k864 };
SetKind SetKindOf(std::string_view st01) {
  if (st01.starts_with("837")) return SetKind::k837;
  if (st01.starts_with("270") || st01.starts_with("271") || st01.starts_with("277")) {
    return SetKind::kSubscriber;
  }
  if (st01.starts_with("835")) return SetKind::k835;
  if (st01.starts_with("997")) return SetKind::k997;
  if (st01.starts_with("999")) return SetKind::k999;
  if (st01.starts_with("864")) return SetKind::k864;
  return SetKind::kNone;
}

struct HlCounts {
  std::uint32_t billing = 0;     // B: HL03 "20"
  std::uint32_t subscriber = 0;  // S: HL03 "22"
};

// Which HL03 opens an 837 claim unit, by the billing-provider rule over
// the counts of the whole list; nullptr when none does.
const char* UnitHl(const HlCounts& counts) {
  const std::uint32_t b = counts.billing, s = counts.subscriber;
  if ((b > 1 && b != s) || b == 1) return "22";
  if (b > 1) return "20";
  return nullptr;
}

// The claim-unit counters, advanced one record at a time.
class UnitCounter {
 public:
  explicit UnitCounter(const char* unit_hl) : unit_hl_(unit_hl) {}

  // The numbers of the next record. `h3` is HL03 of an HL record.
  ClaimRun Step(std::string_view id, std::string_view text, char sep, std::string_view h3) {
    if (IdEquals(id, "ISA")) {
      kind_ = SetKind::kNone;
      set_no_ = 0;
      interchange_no_ = 0;
    } else if (IdEquals(id, "ST")) {
      set_no_ = 0;
      kind_ = SetKindOf(ElementAt(text, 1, sep));
      if (kind_ == SetKind::k837) saw_837_ = true;
    }
    bool opens = false;
    switch (kind_) {
      case SetKind::k837:
        if (IdBegins(id, "HL")) {
          if (LooseEquals(h3, "20")) ++billing_;
          opens = unit_hl_ != nullptr && LooseEquals(h3, unit_hl_);
        }
        break;
      case SetKind::kSubscriber:
        opens = IdBegins(id, "HL") && LooseEquals(h3, "22");
        break;
      case SetKind::k835:
        opens = IdBegins(id, "CLP");
        break;
      case SetKind::k997:
        opens = IdBegins(id, "AK3") || IdBegins(id, "AK4");
        break;
      case SetKind::k999:
        opens = IdBegins(id, "IK3") || IdBegins(id, "IK4");
        break;
      case SetKind::k864:
        opens = IdBegins(id, "MSG");
        break;
      case SetKind::kNone:
        break;
    }
    if (opens) {
      ++set_no_;
      ++interchange_no_;
      ++file_no_;
    }
    ClaimRun run;
    if (set_no_ > 0) {
      run.set = set_no_;
      run.file = file_no_;
      run.interchange = interchange_no_;
    }
    run.billing = billing_ + 1;
    return run;
  }
  bool saw_837() const { return saw_837_; }

 private:
  const char* unit_hl_;
  SetKind kind_ = SetKind::kNone;
  std::uint32_t set_no_ = 0, interchange_no_ = 0, file_no_ = 0, billing_ = 0;
  bool saw_837_ = false;
};

// Numbers records 1..n-1 (the last record keeps no numbers).
void Number(SegmentList& list, const HlCounts& counts) {
  const std::size_t n = list.size();
  const char sep = list.delimiters().element;
  UnitCounter counter(UnitHl(counts));
  RecordVector& records = list.records();
  ClaimRun current;
  std::uint32_t current_run = 0;
  for (std::size_t i = 1; i < n; ++i) {
    const std::string_view id = list.Id(i);
    const std::string_view text = list.Text(i);
    const std::string_view h3 = IdBegins(id, "HL") ? ElementAt(text, 3, sep) : std::string_view();
    const ClaimRun run = counter.Step(id, text, sep, h3);
    if (!(run == current) || i == 1) {
      current = run;
      current_run = list.AddRun(run);
    }
    records[i - 1].run = current_run;
  }
  if (n > 0) records[n - 1].run = 0;
}

HlCounts CountHl(const SegmentList& list) {
  HlCounts c;
  const char sep = list.delimiters().element;
  for (std::size_t i = 1; i <= list.size(); ++i) {
    if (!list.Id(i).starts_with("HL")) continue;
    const std::string_view h3 = ElementAt(list.Text(i), 3, sep);
    if (LooseEquals(h3, "20")) ++c.billing;
    if (LooseEquals(h3, "22")) ++c.subscriber;
  }
  return c;
}

// A detection with every delimiter blank.
DetectedDelimiters Blanks() {
  DetectedDelimiters d;
  d.delimiters = X12Delimiters{' ', ' ', ' ', 0};
  d.complete = false;
  return d;
}

// Index of the k-th byte (0-based) at or after `from` that is not a control
// byte, or kNoPosition.
std::size_t NthSolid(std::string_view bytes, std::size_t from, std::size_t k) {
  for (std::size_t p = from; p < bytes.size(); ++p) {
    if (static_cast<unsigned char>(bytes[p]) < 32) continue;
    if (k == 0) return p;
    --k;
  }
  return kNoPosition;
}

// After ISA16 a line break is the terminator itself, unless the line breaks
// are followed by a punctuation byte: then the line break is a wrap in front
// of the real terminator ("...:\n~GS*...").
char SettleTerminator(std::string_view bytes, std::size_t t, const X12Delimiters& d) {
  char term = bytes[t];
  if (!IsBreak(term)) return term;
  std::size_t u = t;
  while (u < bytes.size() && IsBreak(bytes[u])) ++u;
  if (u < bytes.size()) {
    const char c = bytes[u];
    const auto uc = static_cast<unsigned char>(c);
    if (uc > 32 && uc < 127 && !IsAlnum(c) && c != d.element && c != d.component) term = c;
  }
  return term;
}

}  // namespace

std::shared_ptr<X12Buffer> ReadX12Bytes(const fs::path& file, LoadStatus* status,
                                        std::string_view missing_tag) {
  std::error_code ec;
  if (file.empty() || !fs::exists(file, ec)) {
    Complain(status, file.string() + std::string(missing_tag));
    return nullptr;
  }
  Fd fd(file);
  if (fd.get() < 0) {
    Complain(status, ErrorText("Cfile <ERROR> FC-Open #", errno));
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    Complain(status, ErrorText("Cfile <ERROR> FC-Fmax #", errno));
    return nullptr;
  }
  const auto size = static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0);
  std::shared_ptr<X12Buffer> buffer;
  try {
    buffer = std::make_shared<X12Buffer>(size);
  } catch (const std::bad_alloc&) {
    Complain(status, ErrorText("Cfile <ERROR> FC-Fread #", ENOMEM));
    return nullptr;
  }
  const long long n = ReadAt(fd.get(), buffer->data(), size, 0);
  if (n < 0) {
    // A read error stops the load: nothing half-read is handed on.
    Complain(status, ErrorText("Cfile <ERROR> FC-Fread #", errno));
    return nullptr;
  }
  buffer->Truncate(static_cast<std::size_t>(n));
  return buffer;
}

std::optional<std::size_t> FindInterchange(std::string_view bytes, std::size_t from) {
  if (bytes.size() < 4) return std::nullopt;
  for (std::size_t p = from; p + 3 < bytes.size(); ++p) {
    if ((bytes[p] | 0x20) != 'i' || (bytes[p + 1] | 0x20) != 's' || (bytes[p + 2] | 0x20) != 'a') {
      continue;
    }
    if (IsAlnum(bytes[p + 3])) continue;
    if (p > 0 && IsAlnum(bytes[p - 1])) continue;
    return p;
  }
  return std::nullopt;
}

std::size_t LeadingNoise(std::string_view bytes) {
  std::size_t p = 0;
  if (bytes.starts_with("\xEF\xBB\xBF")) p = 3;
  while (p < bytes.size() &&
         (bytes[p] == ' ' || bytes[p] == '\t' || bytes[p] == '\r' || bytes[p] == '\n')) {
    ++p;
  }
  return p;
}

bool StartsWithIsa(std::string_view bytes) {
  const std::size_t p = LeadingNoise(bytes);
  const auto isa = FindInterchange(bytes.substr(0, std::min(bytes.size(), p + 4)), p);
  return isa && *isa == p;
}

bool StartsWithIsa(const fs::path& file) {
  std::error_code ec;
  if (file.empty() || !fs::is_regular_file(file, ec)) return false;
  const auto bytes =
      ReadPrefix(file, 0, 4096, "<ERROR> ISA Check FC-Open #", "", " <ERROR> ISA Check FC-Read #");
  return bytes && StartsWithIsa(std::string_view(*bytes));
}

bool HasBlankSeparator(std::string_view bytes, std::size_t isa) {
  return isa + 3 < bytes.size() && bytes[isa + 3] == ' ';
}

bool HasBlankSeparator(const fs::path& file) {
  std::error_code ec;
  if (file.empty() || !fs::is_regular_file(file, ec)) return false;
  const auto bytes = ReadPrefix(file, 0, kPrefixBytes, "<ERROR> ISA Check FC-Open #", "",
                                " <ERROR> ISA Check FC-Read #");
  if (!bytes) return false;
  const auto isa = FindInterchange(*bytes);
  return isa && HasBlankSeparator(*bytes, *isa);
}

DetectedDelimiters DetectDelimiters(std::string_view bytes, std::size_t isa) {
  if (isa + 3 >= bytes.size()) return Blanks();
  const char sep = bytes[isa + 3];
  DetectedDelimiters out;
  out.delimiters.element = sep;
  if (sep == ' ' || IsAlnum(sep)) {
    // No usable separator to count: the fixed places of a 106-byte ISA,
    // each moved one byte further by every control byte in front of it.
    const std::size_t e = NthSolid(bytes, isa, 103);
    const std::size_t c = NthSolid(bytes, isa, 104);
    if (e == kNoPosition || c == kNoPosition || c + 1 >= bytes.size()) return Blanks();
    out.delimiters.element = bytes[e];
    out.delimiters.component = bytes[c];
    out.delimiters.terminator = SettleTerminator(bytes, c + 1, out.delimiters);
    const std::size_t r = NthSolid(bytes, isa, 82);
    out.delimiters.repetition = r == kNoPosition ? 0 : bytes[r];
    out.complete = true;
    return out;
  }
  // Count the sixteen separators; line breaks that are not delimiters are
  // wraps and are skipped.
  const std::size_t limit = std::min(bytes.size(), isa + 4096);
  std::size_t count = 0;
  std::size_t p = isa + 3;
  for (; p < limit; ++p) {
    if (bytes[p] != sep) continue;
    ++count;
    if (count == 11) {
      // ISA11 is the one byte after the eleventh separator.
      std::size_t q = p + 1;
      while (q < limit && IsBreak(bytes[q]) && bytes[q] != sep) ++q;
      out.delimiters.repetition = q < limit ? bytes[q] : 0;
    }
    if (count == 16) break;
  }
  if (count < 16) return Blanks();
  std::size_t q = p + 1;
  while (q < bytes.size() && IsBreak(bytes[q]) && bytes[q] != sep) ++q;
  if (q + 1 >= bytes.size()) return Blanks();
  out.delimiters.component = bytes[q];
  out.delimiters.terminator = SettleTerminator(bytes, q + 1, out.delimiters);
  out.complete = true;
  return out;
}

char DetectDelimiter(const fs::path& file, int which, std::uint64_t start) {
  const auto bytes = ReadPrefix(file, start, kPrefixBytes, "Cfile <ERROR> FC-Open #",
                                " " + file.string(), "Cfile <ERROR> FC-Fread #");
  if (!bytes) return ' ';
  const auto isa = FindInterchange(*bytes);
  if (!isa) return ' ';
  const DetectedDelimiters d = DetectDelimiters(*bytes, *isa);
  switch (which) {
    case 1:
      return d.delimiters.terminator;
    case 2:
      return d.delimiters.element;
    case 3:
      return d.delimiters.component;
    default:
      return ' ';
  }
}

namespace {

// Number of bytes equal to `c` in [p, e).
std::size_t CountByte(const char* p, const char* e, char c) {
  std::size_t n = 0;
#if defined(__SSE2__)
  const __m128i v = _mm_set1_epi8(c);
  while (e - p >= 16) {
    // Up to 255 rounds of per-byte counters, then a horizontal sum.
    __m128i acc = _mm_setzero_si128();
    const std::ptrdiff_t rounds = std::min<std::ptrdiff_t>((e - p) / 16, 255);
    for (std::ptrdiff_t r = 0; r < rounds; ++r, p += 16) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(x, v));
    }
    const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    n += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
         static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
#endif
  for (; p < e; ++p) n += *p == c;
  return n;
}

}  // namespace

std::size_t CountSegments(std::string_view bytes, std::uint64_t start, std::uint64_t end,
                          char terminator) {
  if (end == 0 || end > bytes.size()) end = bytes.size();
  if (start >= end) return 0;
  const char* p = bytes.data() + start;
  const char* const e = bytes.data() + end;
  std::size_t n = CountByte(p, e, terminator);
  if (n == 0) return 0;
  // Text after the last terminator is a final segment without terminator.
  const char* last = e;
  while (last > p && *(last - 1) != terminator) --last;
  for (const char* q = last; q < e; ++q) {
    if (static_cast<unsigned char>(*q) > 32) {
      ++n;
      break;
    }
  }
  return n;
}

std::size_t CountSegments(const fs::path& file, std::uint64_t start, char terminator) {
  auto buffer = ReadX12Bytes(file, nullptr, " File Not Found (2)");
  if (!buffer) return 0;
  const std::string_view bytes = buffer->view();
  const auto isa = FindInterchange(
      bytes, static_cast<std::size_t>(std::min<std::uint64_t>(start, bytes.size())));
  return CountSegments(bytes, isa ? *isa : start, 0, terminator);
}

namespace {

// Positions of the terminators, element separators and dropped control
// bytes of one 64-byte block, one bit per byte.
struct BlockMasks {
  std::uint64_t term = 0;
  std::uint64_t sep = 0;
  std::uint64_t ctrl = 0;
};

class BlockClassifier {
 public:
  explicit BlockClassifier(const X12Delimiters& d) : d_(d) {
    keep_.fill(false);
    for (char c : {d.element, d.component, d.repetition}) {
      if (c != 0 && static_cast<unsigned char>(c) < 32) {
        keep_[static_cast<unsigned char>(c)] = true;
        keeps_control_ = true;
      }
    }
  }

  // Classifies the 64 bytes at `p` (all readable).
  BlockMasks Classify(const char* p) const {
    BlockMasks m;
#if defined(__SSE2__)
    const __m128i vt = _mm_set1_epi8(d_.terminator);
    const __m128i vs = _mm_set1_epi8(d_.element);
    const __m128i v31 = _mm_set1_epi8(31);
    for (int k = 0; k < 4; ++k) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      const auto shift = static_cast<unsigned>(16 * k);
      m.term |= static_cast<std::uint64_t>(
                    static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, vt))))
                << shift;
      m.sep |= static_cast<std::uint64_t>(
                   static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, vs))))
               << shift;
      m.ctrl |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(
                    _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(x, v31), x))))
                << shift;
    }
#else
    for (unsigned i = 0; i < 64; ++i) {
      const char c = p[i];
      m.term |= static_cast<std::uint64_t>(c == d_.terminator) << i;
      m.sep |= static_cast<std::uint64_t>(c == d_.element) << i;
      m.ctrl |= static_cast<std::uint64_t>(static_cast<unsigned char>(c) < 32) << i;
    }
#endif
    m.ctrl &= ~m.term;
    if (keeps_control_) {
      for (unsigned i = 0; i < 64; ++i) {
        if (keep_[static_cast<unsigned char>(p[i])]) m.ctrl &= ~(std::uint64_t{1} << i);
      }
    }
    return m;
  }

 private:
  X12Delimiters d_;
  std::array<bool, 256> keep_;
  bool keeps_control_ = false;
};

// Bits lo..hi-1 set (0 <= lo <= hi <= 64).
inline std::uint64_t BitRange(unsigned lo, unsigned hi) {
  const std::uint64_t upto = hi >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << hi) - 1;
  return lo >= 64 ? 0 : upto & (~std::uint64_t{0} << lo);
}

// Builds the records of one load.
class RecordBuilder {
 public:
  RecordBuilder(SegmentList& list, char* base, const X12Delimiters& d)
      : list_(list), records_(list.records()), base_(base), d_(d), patterns_(d.element) {
    drop_.fill(false);
    for (int c = 0; c < 32; ++c) drop_[static_cast<std::size_t>(c)] = true;
    for (char c : {d.element, d.component, d.repetition}) {
      if (c != 0) drop_[static_cast<unsigned char>(c)] = false;
    }
  }

  // One segment: bytes [s, e) of the buffer; `first_sep` is the position of
  // its first element separator (or kNoPosition) and `last_ctrl` that of its
  // last dropped control byte (or kNoPosition).
  void Add(std::size_t s, std::size_t e, std::size_t first_sep, std::size_t last_ctrl) {
    while (s < e && Dropped(base_[s])) ++s;
    std::size_t moved_id = kNoPosition;
    if (last_ctrl != kNoPosition && last_ctrl >= s) {
      Compact(s, e, moved_id);
      const void* hit = s < e ? std::memchr(base_ + s, d_.element, e - s) : nullptr;
      first_sep =
          hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - base_) : kNoPosition;
    } else if (first_sep != kNoPosition && first_sep >= e) {
      first_sep = kNoPosition;
    }
    Emit(s, e, first_sep);
    if (moved_id != kNoPosition && first_sep != kNoPosition) {
      list_.SetIdFileOffset(records_.size(), moved_id);
    }
  }

  const HlCounts& hl() const { return hl_; }
  bool saw_837() const { return counter_.saw_837(); }

 private:
  bool Dropped(char c) const { return drop_[static_cast<unsigned char>(c)]; }

  // Squeezes the dropped bytes out of [s, e); the text stays inside its own
  // range and its first byte stays in place.
  void Compact(std::size_t s, std::size_t& e, std::size_t& moved_id) {
    while (e > s && Dropped(base_[e - 1])) --e;
    std::size_t w = s;
    while (w < e && !Dropped(base_[w])) ++w;
    if (w >= e) return;
    std::size_t first_letter = s;
    while (first_letter < e && (base_[first_letter] == ' ' || Dropped(base_[first_letter]))) {
      ++first_letter;
    }
    if (first_letter > w) moved_id = first_letter;
    for (std::size_t r = w; r < e; ++r) {
      if (!Dropped(base_[r])) base_[w++] = base_[r];
    }
    e = w;
  }

  void Emit(std::size_t s, std::size_t e, std::size_t sep) {
    const char* text = base_ + s;
    const std::size_t len = e - s;
    SegmentRecord rec;
    rec.pos_lo = static_cast<std::uint32_t>(s);
    rec.pos_hi = static_cast<std::uint8_t>(static_cast<std::uint64_t>(s) >> 32);
    rec.length = static_cast<std::uint32_t>(std::min<std::size_t>(len, UINT32_MAX));
    std::size_t lead = 0;
    while (lead < len && text[lead] == ' ') ++lead;
    if (sep != kNoPosition) {
      const std::size_t sep_at = sep - s;
      const std::size_t a = std::min(lead, sep_at);
      std::size_t b = sep_at;
      while (b > a && text[b - 1] == ' ') --b;
      const std::string_view id(text + a, b - a);
      if (a >= 255 || b - a >= 255) {
        rec.id_begin = 255;
        rec.id_length = 255;
      } else {
        rec.id_begin = static_cast<std::uint8_t>(a);
        rec.id_length = static_cast<std::uint8_t>(b - a);
      }
      const int level = LevelOf(id);
      if (level >= 0) {
        current_level_ = level;
        rec.level = static_cast<std::uint32_t>(level) + 1;
      } else if (level == kLevelCurrent) {
        rec.level = static_cast<std::uint32_t>(current_level_) + 1;
      }
      std::string_view h3;
      if (IdBegins(id, "HL")) {
        h3 = ElementAt(std::string_view(text, len), 3, d_.element);
        if (LooseEquals(h3, "20")) ++hl_.billing;
        if (LooseEquals(h3, "22")) ++hl_.subscriber;
      }
      Count(rec, id, std::string_view(text, len), h3);
    } else {
      Count(rec, {}, std::string_view(text, len), {});
    }
    // Loop label, decided on the text without its indentation.
    const LabelDecision decision = patterns_.Decide(std::string_view(text + lead, len - lead));
    if (decision.rule != LabelRule::kNone) Label(rec, decision);
    records_.push_back(rec);
  }

  // Claim-unit numbers, counted as the records come. 837 units are counted
  // from subscriber levels; the loader numbers again when the billing-
  // provider rule of the whole file turns out to differ.
  void Count(SegmentRecord& rec, std::string_view id, std::string_view text, std::string_view h3) {
    const ClaimRun run = counter_.Step(id, text, d_.element, h3);
    if (!(run == current_) || records_.empty()) {
      current_ = run;
      current_run_ = list_.AddRun(run);
    }
    rec.run = current_run_;
  }

  void Label(SegmentRecord& rec, const LabelDecision& decision) {
    const bool after_hl = !records_.empty() &&
                          records_.back().loop == static_cast<std::uint8_t>(LoopLabelId::kHlDashes);
    switch (decision.rule) {
      case LabelRule::kNone:
        break;
      case LabelRule::kSet:
        current_loop_ = decision.label;
        rec.loop = static_cast<std::uint8_t>(decision.label);
        break;
      case LabelRule::kDashes:
        rec.loop = static_cast<std::uint8_t>(LoopLabelId::kHlDashes);
        break;
      case LabelRule::kCurrent:
        rec.loop = static_cast<std::uint8_t>(current_loop_);
        break;
      case LabelRule::kPrvPt:
        if (after_hl) {
          rec.loop = static_cast<std::uint8_t>(LoopLabelId::k2000A);
          records_.back().loop = rec.loop;
        } else {
          rec.loop = static_cast<std::uint8_t>(current_loop_);
        }
        break;
      case LabelRule::kSubscriber:
        if (after_hl) {
          rec.loop = static_cast<std::uint8_t>(LoopLabelId::k2000B);
          records_.back().loop = rec.loop;
        }
        break;
    }
  }

  SegmentList& list_;
  RecordVector& records_;
  char* base_;
  X12Delimiters d_;
  LabelPatterns patterns_;
  std::array<bool, 256> drop_;
  int current_level_ = 0;
  LoopLabelId current_loop_ = LoopLabelId::kNone;
  HlCounts hl_;
  UnitCounter counter_{"22"};
  ClaimRun current_;
  std::uint32_t current_run_ = 0;
};

}  // namespace

SegmentList LoadSegments(std::shared_ptr<X12Buffer> buffer, std::size_t count,
                         const X12Delimiters& d, const LoadOptions& options) {
  SegmentList list(buffer, d);
  if (!buffer) {
    list.records().resize(count);
    return list;
  }
  const std::size_t size = buffer->size();
  const std::size_t end =
      (options.end == 0 || options.end > size) ? size : static_cast<std::size_t>(options.end);
  std::size_t p = static_cast<std::size_t>(std::min<std::uint64_t>(options.start, end));
  if (const auto isa = FindInterchange(std::string_view(buffer->data(), end), p)) p = *isa;

  RecordVector& records = list.records();
  records.reserve(count);
  std::optional<ui::ScopedMeter> meter;
  if (!options.meter_name.empty() && options.start == 0) {
    meter.emplace("Loading File " + options.meter_name, "Please Wait..");
  }
  const std::size_t first = p;
  std::size_t next_meter = p;
  constexpr std::size_t kMeterStep = 1 << 20;

  char* const base = buffer->data();
  RecordBuilder builder(list, base, d);
  const BlockClassifier classifier(d);
  // The open segment: where it began, its first separator, its last
  // dropped control byte.
  std::size_t seg_start = p;
  std::size_t first_sep = kNoPosition;
  std::size_t last_ctrl = kNoPosition;
  char tail[64];
  for (std::size_t block = p; block < end && records.size() < count; block += 64) {
    const std::size_t valid = std::min<std::size_t>(64, end - block);
    BlockMasks m;
    if (valid == 64) {
      m = classifier.Classify(base + block);
    } else {
      std::memset(tail, 'A', sizeof tail);
      std::memcpy(tail, base + block, valid);
      m = classifier.Classify(tail);
    }
    unsigned cur = 0;  // bits below `cur` belong to segments already handled
    std::uint64_t terms = m.term & BitRange(0, static_cast<unsigned>(valid));
    while (terms != 0 && records.size() < count) {
      const auto bit = static_cast<unsigned>(__builtin_ctzll(terms));
      const std::uint64_t range = BitRange(cur, bit);
      if (first_sep == kNoPosition && (m.sep & range) != 0) {
        first_sep = block + static_cast<unsigned>(__builtin_ctzll(m.sep & range));
      }
      if ((m.ctrl & range) != 0) {
        last_ctrl = block + 63 - static_cast<unsigned>(__builtin_clzll(m.ctrl & range));
      }
      builder.Add(seg_start, block + bit, first_sep, last_ctrl);
      seg_start = block + bit + 1;
      first_sep = kNoPosition;
      last_ctrl = kNoPosition;
      cur = bit + 1;
      terms &= terms - 1;
    }
    const std::uint64_t rest = BitRange(cur, static_cast<unsigned>(valid));
    if (first_sep == kNoPosition && (m.sep & rest) != 0) {
      first_sep = block + static_cast<unsigned>(__builtin_ctzll(m.sep & rest));
    }
    if ((m.ctrl & rest) != 0) {
      last_ctrl = block + 63 - static_cast<unsigned>(__builtin_clzll(m.ctrl & rest));
    }
    if (meter && block >= next_meter) {
      meter->Update(block - first, end - first);
      next_meter = block + kMeterStep;
    }
  }
  // A final segment without terminator.
  if (records.size() < count && seg_start < end) builder.Add(seg_start, end, first_sep, last_ctrl);
  if (meter) meter->Update(1, 1);
  records.resize(count);                         // records the file did not reach stay empty
  if (!records.empty()) records.back().run = 0;  // the last record is not numbered
  const char* unit_hl = UnitHl(builder.hl());
  if (builder.saw_837() && (unit_hl == nullptr || std::string_view(unit_hl) != "22")) {
    Number(list, builder.hl());
  }
  return list;
}

SegmentList LoadSegments(const fs::path& file, std::size_t count, const X12Delimiters& delimiters,
                         std::uint64_t start, std::uint64_t end, LoadStatus* status) {
  auto buffer = ReadX12Bytes(file, status);
  LoadOptions options;
  options.start = start;
  options.end = end;
  options.meter_name = file.string();
  return LoadSegments(std::move(buffer), count, delimiters, options);
}

void NumberClaimUnits(SegmentList& list) { Number(list, CountHl(list)); }

ClaimIndex BuildClaimIndex(const SegmentList& list, int mode) {
  std::vector<std::uint32_t> starts{1};
  if (mode < 1 || mode > 3) return ClaimIndex(std::move(starts));
  std::uint32_t k = 1;
  const RecordVector& records = list.records();
  const std::size_t n = records.size();
  std::uint32_t previous_run = UINT32_MAX;
  for (std::size_t i = 1; i < n; ++i) {
    // Records of one run share their numbers: only a new run can match.
    const std::uint32_t run_no = records[i - 1].run;
    if (run_no == previous_run) continue;
    previous_run = run_no;
    const ClaimRun& run = list.Run(i);
    const std::uint32_t v = mode == 1 ? run.file : mode == 2 ? run.set : run.interchange;
    if (v != k) continue;
    if (k == 1) {
      starts[0] = static_cast<std::uint32_t>(i);
    } else {
      starts.push_back(static_cast<std::uint32_t>(i));
    }
    ++k;
  }
  return ClaimIndex(std::move(starts));
}

namespace {

X12File LoadBuffer(std::shared_ptr<X12Buffer> buffer, const std::string& meter_name) {
  X12File out;
  out.list = SegmentList(buffer, X12Delimiters{});
  const std::string_view bytes = buffer->view();
  out.starts_with_isa = StartsWithIsa(bytes);
  const auto isa = FindInterchange(bytes);
  if (!isa) return out;
  out.found_interchange = true;
  out.interchange_offset = *isa;
  out.blank_separator = HasBlankSeparator(bytes, *isa);
  const DetectedDelimiters d = DetectDelimiters(bytes, *isa);
  const std::size_t count = d.complete ? CountSegments(bytes, *isa, 0, d.delimiters.terminator) : 0;
  LoadOptions options;
  options.meter_name = meter_name;
  out.list = LoadSegments(std::move(buffer), count, d.delimiters, options);
  out.index = BuildClaimIndex(out.list, 1);
  return out;
}

}  // namespace

X12File LoadX12File(const fs::path& file, bool meter) {
  LoadStatus status;
  auto buffer = ReadX12Bytes(file, &status);
  if (!buffer) {
    X12File out;
    out.status = status;
    return out;
  }
  X12File out = LoadBuffer(std::move(buffer), meter ? file.string() : std::string());
  out.status = status;
  return out;
}

X12File LoadX12Bytes(std::string_view bytes) {
  auto buffer = std::make_shared<X12Buffer>(bytes.size());
  if (!bytes.empty()) std::memcpy(buffer->data(), bytes.data(), bytes.size());
  return LoadBuffer(std::move(buffer), std::string());
}

}  // namespace ardentix::x12
