#include "parse/blocks.h"

#include <initializer_list>
#include <string>
#include <system_error>

#include "common/text.h"
#include "x12/access.h"
#include "x12/loader.h"

namespace ardentix::parse {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kChunk = std::uint64_t{1} << 20;

bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Reads the file chunk by chunk and hands out one segment (with its
// terminator and the line breaks in front of it) at a time.
class SegmentReader {
 public:
  SegmentReader(fs::path file, std::uint64_t size, const x12::X12Delimiters& delimiters)
      : file_(std::move(file)), size_(size), delimiters_(delimiters) {}

  // The next segment; it stays valid until the next call.
  bool Next(std::string_view& segment, std::uint64_t& offset) {
    for (;;) {
      const std::size_t t = buffer_.find(delimiters_.terminator, cursor_);
      if (t != std::string::npos) {
        segment = std::string_view(buffer_).substr(cursor_, t + 1 - cursor_);
        offset = buffer_offset_ + cursor_;
        cursor_ = t + 1;
        return true;
      }
      if (read_ >= size_) {
        if (cursor_ >= buffer_.size()) return false;
        segment = std::string_view(buffer_).substr(cursor_);  // no terminator at the end
        offset = buffer_offset_ + cursor_;
        cursor_ = buffer_.size();
        return true;
      }
      if (!Fill()) return false;
    }
  }
  bool failed() const { return failed_; }

 private:
  bool Fill() {
    buffer_.erase(0, cursor_);
    buffer_offset_ += cursor_;
    cursor_ = 0;
    const std::string chunk = x12::BlockRead(file_, delimiters_, read_, kChunk, 2);
    if (chunk.empty()) {
      failed_ = true;
      return false;
    }
    buffer_.append(chunk);
    read_ += chunk.size();
    return true;
  }

  fs::path file_;
  std::uint64_t size_;
  x12::X12Delimiters delimiters_;
  std::string buffer_;
  std::size_t cursor_ = 0;
  std::uint64_t buffer_offset_ = 0;
  std::uint64_t read_ = 0;
  bool failed_ = false;
};

// Element `n` of a segment (0: the id), without the leading noise in front
// of the id and without white space around it.
std::string_view Element(std::string_view segment, char separator, char terminator, int n) {
  std::size_t at = 0;
  while (at < segment.size() && !IsAlnum(segment[at])) ++at;
  segment.remove_prefix(at);
  if (!segment.empty() && segment.back() == terminator) segment.remove_suffix(1);
  for (int i = 0; i < n; ++i) {
    const std::size_t sep = segment.find(separator);
    if (sep == std::string_view::npos) return {};
    segment.remove_prefix(sep + 1);
  }
  return TrimWhitespace(segment.substr(0, segment.find(separator)));
}

}  // namespace

bool ForEachBlock(const fs::path& file, const BlockSettings& settings,
                  const std::function<bool(std::string_view text, int n)>& take) {
  std::error_code ec;
  const std::uint64_t size = fs::file_size(file, ec);
  if (ec) {
    (void)x12::BlockRead(file, {}, 0, 1, 2);  // shows the reader's message
    return false;
  }
  const std::string head = x12::BlockRead(file, {}, 0, 1 << 16, 2);
  const std::optional<std::size_t> isa = x12::FindInterchange(head);
  if (!isa) return false;
  const x12::DetectedDelimiters detected = x12::DetectDelimiters(head, *isa);
  if (!detected.complete) return false;
  const char sep = detected.delimiters.element;
  const char term = detected.delimiters.terminator;

  // The headers the next block may need, with their segment counts and the
  // control numbers of the envelopes they open.
  std::string isa_text, gs_text, set_header, billing;
  int set_header_segments = 0, billing_segments = 0;
  std::string isa_control, gs_control, st_control;
  bool in_set_header = false, in_billing = false, set_is_837 = false;

  // The envelopes open at the end of the block text so far, so that a block
  // cut inside them is closed with SE, GE and IEA: the last segment of a
  // block is then a data segment like any other.
  struct Open {
    bool interchange = false, group = false, set = false;
    int groups = 0, sets = 0, set_segments = 0;
  } open;

  std::string prefix, body;
  // A block is closed only once it holds a unit: a subscriber level of an
  // 837 set, or the end of a set of any other kind.
  bool has_unit = false;
  bool started = settings.start == 0;
  bool go_on = true;
  int n = 0;
  auto segment_text = [&](std::initializer_list<std::string_view> elements) {
    std::string text;
    for (std::string_view e : elements) {
      if (!text.empty()) text.push_back(sep);
      text.append(e);
    }
    text.push_back(term);
    return text;
  };
  auto emit = [&](bool last) {
    if (body.empty()) return true;
    ++n;
    std::string text = prefix + body;
    if (!last) {
      if (open.set) {
        text += segment_text({"SE", std::to_string(open.set_segments + 1), st_control});
      }
      if (open.group) text += segment_text({"GE", std::to_string(open.sets), gs_control});
      if (open.interchange) {
        text += segment_text({"IEA", std::to_string(open.groups), isa_control});
      }
    }
    body.clear();
    has_unit = false;
    if (!take(text, n)) return false;
    return settings.count == 0 || static_cast<std::uint64_t>(n) < settings.count;
  };
  // The headers in front of a block that begins with this segment.
  auto begin_block = [&](std::string_view id, std::string_view level) {
    open = Open{};
    prefix.clear();
    if (id == "ISA") return;
    prefix = isa_text;
    open.interchange = true;
    if (id == "GS") return;
    prefix += gs_text;
    open.group = true;
    open.groups = 1;
    if (id == "ST") return;
    prefix += set_header;
    open.set = true;
    open.sets = 1;
    open.set_segments = set_header_segments;
    if (level == "20") return;
    prefix += billing;
    open.set_segments += billing_segments;
  };

  SegmentReader reader(file, size, detected.delimiters);
  std::string_view segment;
  std::uint64_t offset = 0;
  while (go_on && reader.Next(segment, offset)) {
    const std::string id = ToUpper(Element(segment, sep, term, 0));
    const std::string_view level = id == "HL" ? Element(segment, sep, term, 3) : std::string_view();
    const bool cut = id == "ISA" || id == "GS" || id == "ST" ||
                     (id == "HL" && set_is_837 && (level == "20" || level == "22"));
    if (cut) {
      std::size_t lead = 0;
      while (lead < segment.size() && !IsAlnum(segment[lead])) ++lead;
      if (!started && offset + lead >= settings.start) {
        started = true;
        begin_block(id, level);
      } else if (started && has_unit && body.size() >= settings.block_size) {
        if (!emit(false)) {
          go_on = false;
          break;
        }
        begin_block(id, level);
      }
    }
    if (id == "ISA") {
      isa_text.assign(segment);
      isa_control = Element(segment, sep, term, 13);
      gs_text.clear();
      set_header.clear();
      billing.clear();
      in_set_header = in_billing = set_is_837 = false;
    } else if (id == "GS") {
      gs_text.assign(segment);
      gs_control = Element(segment, sep, term, 6);
      set_header.clear();
      billing.clear();
      in_set_header = in_billing = set_is_837 = false;
    } else if (id == "ST") {
      set_header.assign(segment);
      set_header_segments = 1;
      st_control = Element(segment, sep, term, 2);
      billing.clear();
      in_set_header = true;
      in_billing = false;
      set_is_837 = Element(segment, sep, term, 1).starts_with("837");
    } else if (id == "HL") {
      in_set_header = false;
      in_billing = level == "20";
      if (in_billing) {
        billing.assign(segment);
        billing_segments = 1;
      }
    } else if (id == "SE" || id == "GE" || id == "IEA") {
      in_set_header = in_billing = false;
    } else {
      if (in_set_header) {
        set_header.append(segment);
        ++set_header_segments;
      }
      if (in_billing) {
        billing.append(segment);
        ++billing_segments;
      }
    }
    if (!started) continue;
    body.append(segment);
    if ((id == "HL" && set_is_837 && level == "22") || id == "SE") has_unit = true;
    if (id == "ISA") {
      open.interchange = true;
      open.groups = 0;
    } else if (id == "GS") {
      open.group = true;
      open.sets = 0;
      ++open.groups;
    } else if (id == "ST") {
      open.set = true;
      open.set_segments = 1;
      ++open.sets;
    } else if (id == "SE") {
      open.set = false;
    } else if (id == "GE") {
      open.group = false;
    } else if (id == "IEA") {
      open.interchange = false;
    } else if (open.set) {
      ++open.set_segments;
    }
  }
  if (go_on && started) emit(true);
  return !reader.failed();
}

}  // namespace ardentix::parse
