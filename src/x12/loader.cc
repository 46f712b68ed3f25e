#include "x12/loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>

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

// True when some byte of [p, p + n) is below 32 (eight bytes at a time).
bool AnyControl(const char* p, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x;
    std::memcpy(&x, p + i, 8);
    if (((x - 0x2020202020202020ULL) & ~x & 0x8080808080808080ULL) != 0) return true;
  }
  for (; i < n; ++i) {
    if (static_cast<unsigned char>(p[i]) < 32) return true;
  }
  return false;
}

// Level of a segment id: a digit, kCurrent (the current level) or kNone.
constexpr int kLevelNone = -2;
constexpr int kLevelCurrent = -1;
int LevelOf(std::string_view id) {
  if (id.empty()) return kLevelNone;
  auto is = [&](std::string_view p) { return id.starts_with(p); };
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

// The loop-label patterns with the file's element separator in place of "*".
struct LabelPatterns {
  explicit LabelPatterns(char sep) {
    auto make = [sep](std::string_view id, std::string_view q) {
      std::string s(id);
      s.push_back(sep);
      s.append(q);
      return s;
    };
    per_ic = make("PER", "IC");
    nm1_41 = make("NM1", "41");
    nm1_40 = make("NM1", "40");
    nm1_85 = make("NM1", "85");
    nm1_87 = make("NM1", "87");
    ref_1c = make("REF", "1C");
    nm1_il = make("NM1", "IL");
    nm1_pr = make("NM1", "PR");
    prv_pt = make("PRV", "PT");
  }
  std::string per_ic, nm1_41, nm1_40, nm1_85, nm1_87, ref_1c, nm1_il, nm1_pr, prv_pt;

  LabelDecision Decide(std::string_view t) const {
    if (t.empty()) return {};
    auto is = [&](std::string_view p) { return t.starts_with(p); };
    auto set = [](LoopLabelId id) { return LabelDecision{LabelRule::kSet, id}; };
    switch (t[0]) {
      case 'P':
        if (is(per_ic)) return set(LoopLabelId::k1000A);
        if (is(prv_pt)) return {LabelRule::kPrvPt, LoopLabelId::kNone};
        if (is("PAT")) return {LabelRule::kSubscriber, LoopLabelId::kNone};
        if (is("PRV")) return {LabelRule::kCurrent, LoopLabelId::kNone};
        return {};
      case 'N':
        if (is(nm1_41)) return set(LoopLabelId::k1000A);
        if (is(nm1_40)) return set(LoopLabelId::k1000B);
        if (is(nm1_85) || is(nm1_87)) return set(LoopLabelId::k2010AA);
        if (is(nm1_il)) return set(LoopLabelId::k2010BA);
        if (is(nm1_pr)) return set(LoopLabelId::k2010BB);
        if (is("N3") || is("N4")) return {LabelRule::kCurrent, LoopLabelId::kNone};
        return {};
      case 'R':
        if (is(ref_1c)) return set(LoopLabelId::k2010AA);
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

void Number(SegmentList& list, const HlCounts& counts) {
  const std::size_t n = list.size();
  const char sep = list.delimiters().element;
  SetKind kind = SetKind::kNone;
  std::uint32_t set_no = 0, interchange_no = 0, file_no = 0, billing = 0;
  const std::uint32_t b = counts.billing, s = counts.subscriber;
  // The 837 billing-provider rule: which HL03 opens a unit.
  const char* unit_hl = nullptr;
  if ((b > 1 && b != s) || b == 1) {
    unit_hl = "22";
  } else if (b > 1) {
    unit_hl = "20";
  }
  std::vector<SegmentRecord>& records = list.records();
  for (std::size_t i = 1; i < n; ++i) {
    const std::string_view id = list.Id(i);
    if (id == "ISA") {
      kind = SetKind::kNone;
      set_no = 0;
      interchange_no = 0;
    } else if (id == "ST") {
      set_no = 0;
      kind = SetKindOf(list.Element(i, 1));
    }
    bool opens = false;
    switch (kind) {
      case SetKind::k837:
        if (id.starts_with("HL")) {
          const std::string_view h3 = ElementAt(list.Text(i), 3, sep);
          if (LooseEquals(h3, "20")) ++billing;
          opens = unit_hl != nullptr && LooseEquals(h3, unit_hl);
        }
        break;
      case SetKind::kSubscriber:
        opens = id.starts_with("HL") && LooseEquals(ElementAt(list.Text(i), 3, sep), "22");
        break;
      case SetKind::k835:
        opens = id.starts_with("CLP");
        break;
      case SetKind::k997:
        opens = id.starts_with("AK3") || id.starts_with("AK4");
        break;
      case SetKind::k999:
        opens = id.starts_with("IK3") || id.starts_with("IK4");
        break;
      case SetKind::k864:
        opens = id.starts_with("MSG");
        break;
      case SetKind::kNone:
        break;
    }
    if (opens) {
      ++set_no;
      ++interchange_no;
      ++file_no;
    }
    ClaimRun run;
    if (set_no > 0) {
      run.set = set_no;
      run.file = file_no;
      run.interchange = interchange_no;
    }
    run.billing = billing + 1;
    records[i - 1].run = list.AddRun(run);
  }
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
  return bytes.size() >= p + 3 && EqualsNoCase(bytes.substr(p, 3), "ISA");
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

std::size_t CountSegments(std::string_view bytes, std::uint64_t start, std::uint64_t end,
                          char terminator) {
  if (end == 0 || end > bytes.size()) end = bytes.size();
  if (start >= end) return 0;
  const char* p = bytes.data() + start;
  const char* const e = bytes.data() + end;
  std::size_t n = static_cast<std::size_t>(std::count(p, e, terminator));
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

  std::vector<SegmentRecord>& records = list.records();
  records.reserve(count);

  // Bytes below 32 are dropped from segment text unless they are delimiters.
  std::array<bool, 256> drop{};
  for (int c = 0; c < 32; ++c) drop[static_cast<std::size_t>(c)] = true;
  drop[static_cast<unsigned char>(d.element)] = false;
  drop[static_cast<unsigned char>(d.component)] = false;
  if (d.repetition != 0) drop[static_cast<unsigned char>(d.repetition)] = false;
  auto dropped = [&drop](char c) { return drop[static_cast<unsigned char>(c)]; };

  std::optional<ui::ScopedMeter> meter;
  if (!options.meter_name.empty() && options.start == 0) {
    meter.emplace("Loading File " + options.meter_name, "Please Wait..");
  }
  const std::size_t first = p;
  std::size_t next_meter = p;
  constexpr std::size_t kMeterStep = 1 << 20;

  const LabelPatterns patterns(d.element);
  char* const base = buffer->data();
  int current_level = 0;
  LoopLabelId current_loop = LoopLabelId::kNone;
  HlCounts hl;

  while (records.size() < count && p < end) {
    const void* hit = std::memchr(base + p, d.terminator, end - p);
    const std::size_t seg_end =
        hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - base) : end;
    const std::size_t next = hit ? seg_end + 1 : end;
    std::size_t s = p;
    while (s < seg_end && dropped(base[s])) ++s;
    std::size_t e = seg_end;
    while (e > s && dropped(base[e - 1])) --e;
    std::size_t moved_id = kNoPosition;  // original offset of an id that moved
    if (AnyControl(base + s, e - s)) {
      std::size_t w = s;
      while (w < e && !dropped(base[w])) ++w;
      if (w < e) {
        // Squeeze the dropped bytes out; the text stays inside its own range.
        std::size_t first_letter = s;
        while (first_letter < e && (base[first_letter] == ' ' || dropped(base[first_letter]))) {
          ++first_letter;
        }
        if (first_letter > w) moved_id = first_letter;
        for (std::size_t r = w; r < e; ++r) {
          if (!dropped(base[r])) base[w++] = base[r];
        }
        e = w;
      }
    }
    const char* text = base + s;
    const std::size_t len = e - s;
    SegmentRecord rec;
    rec.pos_lo = static_cast<std::uint32_t>(s);
    rec.pos_hi = static_cast<std::uint8_t>(static_cast<std::uint64_t>(s) >> 32);
    rec.length = static_cast<std::uint32_t>(std::min<std::size_t>(len, UINT32_MAX));
    const void* sep_hit = len == 0 ? nullptr : std::memchr(text, d.element, len);
    std::string_view id;
    if (sep_hit != nullptr) {
      const std::size_t sep_at = static_cast<std::size_t>(static_cast<const char*>(sep_hit) - text);
      std::size_t a = 0;
      while (a < sep_at && text[a] == ' ') ++a;
      std::size_t b = sep_at;
      while (b > a && text[b - 1] == ' ') --b;
      id = std::string_view(text + a, b - a);
      if (a >= 255 || b - a >= 255) {
        rec.id_begin = 255;
        rec.id_length = 255;
      } else {
        rec.id_begin = static_cast<std::uint8_t>(a);
        rec.id_length = static_cast<std::uint8_t>(b - a);
      }
      const int level = LevelOf(id);
      if (level >= 0) {
        current_level = level;
        rec.level = static_cast<std::uint32_t>(level) + 1;
      } else if (level == kLevelCurrent) {
        rec.level = static_cast<std::uint32_t>(current_level) + 1;
      }
      if (id.starts_with("HL")) {
        const std::string_view h3 = ElementAt(std::string_view(text, len), 3, d.element);
        if (LooseEquals(h3, "20")) ++hl.billing;
        if (LooseEquals(h3, "22")) ++hl.subscriber;
      }
    }
    // Loop label, decided on the text without its indentation.
    std::string_view t(text, len);
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    const LabelDecision decision = patterns.Decide(t);
    const bool after_hl = !records.empty() &&
                          records.back().loop == static_cast<std::uint8_t>(LoopLabelId::kHlDashes);
    switch (decision.rule) {
      case LabelRule::kNone:
        break;
      case LabelRule::kSet:
        current_loop = decision.label;
        rec.loop = static_cast<std::uint8_t>(decision.label);
        break;
      case LabelRule::kDashes:
        rec.loop = static_cast<std::uint8_t>(LoopLabelId::kHlDashes);
        break;
      case LabelRule::kCurrent:
        rec.loop = static_cast<std::uint8_t>(current_loop);
        break;
      case LabelRule::kPrvPt:
        if (after_hl) {
          rec.loop = static_cast<std::uint8_t>(LoopLabelId::k2000A);
          records.back().loop = rec.loop;
        } else {
          rec.loop = static_cast<std::uint8_t>(current_loop);
        }
        break;
      case LabelRule::kSubscriber:
        if (after_hl) {
          rec.loop = static_cast<std::uint8_t>(LoopLabelId::k2000B);
          records.back().loop = rec.loop;
        }
        break;
    }
    records.push_back(rec);
    if (moved_id != kNoPosition && sep_hit != nullptr) {
      list.SetIdFileOffset(records.size(), moved_id);
    }
    p = next;
    if (meter && p >= next_meter) {
      meter->Update(p - first, end - first);
      next_meter = p + kMeterStep;
    }
  }
  if (meter) meter->Update(1, 1);
  records.resize(count);  // records the file did not reach stay empty
  Number(list, hl);
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
  const std::size_t n = list.size();
  for (std::size_t i = 1; i < n; ++i) {
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
