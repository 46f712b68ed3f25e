#include "x12/access.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/files.h"
#include "common/number.h"
#include "common/text.h"
#include "ui/ui.h"
#include "x12/loader.h"

namespace ardentix::x12 {

std::string_view ElementAt(std::string_view text, std::size_t n, char separator) {
  std::size_t start = 0;
  for (std::size_t k = 0;; ++k) {
    const void* hit = text.size() > start
                          ? std::memchr(text.data() + start, separator, text.size() - start)
                          : nullptr;
    const std::size_t pos =
        hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data())
            : std::string_view::npos;
    if (k == n) {
      return pos == std::string_view::npos ? text.substr(start) : text.substr(start, pos - start);
    }
    if (pos == std::string_view::npos) return {};
    start = pos + 1;
  }
}

std::string LookupFieldAt(std::string_view text, std::size_t n, char separator) {
  const std::string_view field = FieldAt(text, n, separator);
  if (n != 1 || field.empty()) return std::string(field);
  std::string doubled(1, field.front());
  doubled.append(field);
  return doubled;
}

std::size_t FieldCount(std::string_view text, char separator) {
  if (text.empty()) return 1;
  return 1 + static_cast<std::size_t>(std::count(text.begin(), text.end() - 1, separator));
}

std::size_t CountSegmentsOfKind(std::string_view kind, const SegmentList& list, std::size_t n) {
  n = std::min(n, list.size());
  std::size_t count = 0;
  for (std::size_t i = 1; i < n; ++i) {
    const std::string_view id = list.Id(i);
    if (kind == "ISA") {
      count += id == "ISA";
    } else if (kind == "ST") {
      count += id == "ST";
    } else if (kind == "HL") {
      count += id == "HL" && list.Element(i, 3) == "22";
    } else if (kind == "NM185") {
      count += id == "NM1" && list.Element(i, 1) == "85";
    } else {
      return 0;
    }
  }
  return count;
}

std::string SetHeaderValue(const SegmentList& list, std::size_t n, std::size_t k, int request,
                           std::string_view anchor) {
  n = std::min(n, list.size());
  std::size_t seen = 0;
  for (std::size_t i = 1; i < n; ++i) {
    const std::string_view id = list.Id(i);
    if (id == anchor && ++seen > k) break;
    if (seen != k) continue;
    switch (request) {
      case 1:
        if (id == "ST") return std::string(list.Element(i, 1));
        break;
      case 2:
        if (id == "ISA") return std::string(list.Element(i, 13));
        break;
      case 3:
        if (id == "ST") return std::string(list.Element(i, 3));
        break;
      case 4:
        if (id == "ISA") {
          const std::string_view v = list.Element(i, 12);
          if (v == "00401") return "4010";
          if (v == "00501") return "5010";
          return std::string(v);
        }
        break;
      case 10:
        if (id == "NM1" && list.Element(i, 1) == "IL") return std::string(list.Element(i, 3));
        break;
      case 11:
        if (id == "NM1" && list.Element(i, 1) == "41") return std::string(list.Element(i, 3));
        break;
      default:
        return {};
    }
  }
  return {};
}

std::string SegmentSearch(std::size_t start, const SegmentList& list, std::size_t n,
                          const SearchSpec& spec) {
  n = std::min(n, list.size());
  const char sep = list.delimiters().element;
  std::size_t hl = 1;
  for (std::size_t i = std::max<std::size_t>(start, 1); i < n; ++i) {
    const std::string_view id = list.Id(i);
    if (id == "HL" && ++hl > spec.hl_limit) return {};
    if (!id.starts_with(spec.id)) continue;
    if (!spec.qualifier.empty() && !list.Field(i, 2).starts_with(spec.qualifier)) continue;
    if (spec.id2.empty()) return LookupFieldAt(list.Text(i), spec.field, sep);
    for (std::size_t j = i + 1; j < n; ++j) {
      const std::string_view id2 = list.Id(j);
      if (!spec.qualifier.empty() && id2.starts_with(spec.id)) return {};
      if (!id2.starts_with(spec.id2)) continue;
      if (!spec.qualifier2.empty() && !list.Field(j, 2).starts_with(spec.qualifier2)) continue;
      return LookupFieldAt(list.Text(j), spec.field, sep);
    }
    return {};
  }
  return {};
}

std::string HeaderValue(const SegmentList& list, std::size_t n, std::string_view name) {
  struct Entry {
    std::string_view name;
    std::string_view id;
    std::size_t field;
  };
  static constexpr Entry kEntries[] = {
      {"TRANSACTIONSETDATE", "BHT", 5},  {"TRANSACTIONSETTIME", "BHT", 6},
      {"INTERCHANGESENDERID", "ISA", 7}, {"INTERCHANGERECEIVERID", "ISA", 9},
      {"APPLICATIONSENDERID", "GS", 3},  {"APPLICATIONRECEIVERID", "GS", 4},
  };
  for (const Entry& e : kEntries) {
    if (name != e.name) continue;
    SearchSpec spec;
    spec.id = e.id;
    spec.field = e.field;
    spec.hl_limit = 1;
    return SegmentSearch(1, list, n, spec);
  }
  return {};
}

std::string FormatValue(std::string_view value, std::string_view kind) {
  std::string out(value);
  if (kind == "$") {
    const std::size_t n = value.size();
    if (n >= 3 && value[n - 3] == '.') return out;
    if (n >= 2 && value[n - 2] == '.') return out + "0";
    return out + ".00";
  }
  if (kind == "D") {
    if (value.size() != 8) return out;
    std::string date;
    date.reserve(10);
    date.append(value.substr(4, 2)).append("/").append(value.substr(6, 2)).append("/");
    date.append(value.substr(0, 4));
    return date;
  }
  return out;
}

std::string_view StripFirstLine(std::string_view text) {
  const std::size_t cr = text.find('\r');
  return cr == std::string_view::npos ? std::string_view() : text.substr(cr + 1);
}

bool HasDot(std::string_view text) { return text.find('.') != std::string_view::npos; }

std::string_view BeforeDot(std::string_view text) { return text.substr(0, text.find('.')); }

std::string_view DotPart(std::string_view text, int part) {
  if (part < 0 || part > 2) return {};
  return Piece(text, '.', static_cast<std::size_t>(part) + 1);
}

std::string_view CommaField(std::string_view text, int field) {
  if (field < 1 || field > 4) return {};
  return Piece(text, ',', static_cast<std::size_t>(field));
}

std::uintmax_t FileSizeOf(const std::filesystem::path& name_or_pattern) {
  namespace fs = std::filesystem;
  const std::string name = name_or_pattern.filename().string();
  if (name.empty()) return 0;
  std::error_code ec;
  if (name.find_first_of("*?") == std::string::npos) {
    const auto size = fs::is_regular_file(name_or_pattern, ec) ? fs::file_size(name_or_pattern, ec)
                                                               : std::uintmax_t{0};
    return ec ? 0 : size;
  }
  fs::path folder = name_or_pattern.parent_path();
  if (folder.empty()) folder = ".";
  std::vector<std::pair<std::string, std::uintmax_t>> matches;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (::fnmatch(name.c_str(), entry.c_str(), FNM_CASEFOLD) != 0) continue;
    std::error_code size_ec;
    if (!it->is_regular_file(size_ec)) continue;
    const std::uintmax_t size = it->file_size(size_ec);
    if (!size_ec && size > 0) matches.emplace_back(entry, size);
  }
  if (matches.empty()) return 0;
  std::sort(matches.begin(), matches.end(),
            [](const auto& a, const auto& b) { return FolderNameLess(a.first, b.first); });
  return matches.back().second;
}

namespace {

void BlockError(const std::string& text) {
  ui::CurrentUi().Message(text, "Error", ui::MessageIcon::kStop);
}

// `size` bytes of the file at `offset` (fewer at the end of the file), or
// nullopt after a failure that has been shown.
std::optional<std::string> ReadBlock(const std::filesystem::path& file, std::uint64_t offset,
                                     std::uint64_t size) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    BlockError(file.string() + " File Not Found (1)");
    return std::nullopt;
  }
  const std::uintmax_t file_size = std::filesystem::file_size(file, ec);
  if (ec) return std::nullopt;
  if (offset >= file_size) return std::string();
  size = std::min<std::uint64_t>(size, file_size - offset);
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    BlockError("Cfile <ERROR> FC-Open #" + FormatIntegerWidth(errno, 2));
    return std::nullopt;
  }
  std::string out(static_cast<std::size_t>(size), '\0');
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n =
        ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      BlockError("Cfile <ERROR> FC-Fread #" + FormatIntegerWidth(errno, 2));
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  out.resize(done);
  return out;
}

}  // namespace

std::string BlockRead(const std::filesystem::path& file, const X12Delimiters& delimiters,
                      std::uint64_t position, std::uint64_t block_size, int mode) {
  if (mode == 2) {
    auto block = ReadBlock(file, position, block_size);
    return block ? *block : std::string();
  }
  if (mode == 3) {
    // The header segments come first in a file; a bounded prefix holds them.
    auto prefix = ReadBlock(file, 0, std::uint64_t{1} << 20);
    if (!prefix) return {};
    const X12File loaded = LoadX12Bytes(*prefix);
    const SegmentList& list = loaded.list;
    const char term = list.delimiters().terminator;
    std::string out;
    bool have_isa = false, have_gs = false;
    for (std::size_t i = 1; i <= list.size(); ++i) {
      const std::string_view id = list.Id(i);
      if (!have_isa && id == "ISA") {
        out.append(list.Text(i)).push_back(term);
        have_isa = true;
      } else if (have_isa && !have_gs && id == "GS") {
        out.append(list.Text(i)).push_back(term);
        have_gs = true;
      } else if (have_isa && id == "ST") {
        out.append(list.Text(i)).push_back(term);
        break;
      }
    }
    return out;
  }
  if (mode != 1) return {};
  auto block = ReadBlock(file, position, block_size);
  if (!block) return "0";
  const std::string_view b = *block;
  // Walk the segments backwards; a segment with a terminator in front of it
  // can be cut at that terminator.
  std::size_t end = b.size();
  while (end > 0) {
    const std::size_t term = b.rfind(delimiters.terminator, end - 1);
    if (term == std::string_view::npos) break;
    const std::string_view segment = b.substr(term + 1, end - term - 1);
    const std::string_view id = TrimWhitespace(ElementAt(segment, 0, delimiters.element));
    if (id == "HL") {
      const std::string_view h3 = TrimWhitespace(ElementAt(segment, 3, delimiters.element));
      if (h3 == "20" || h3 == "22") return FormatInteger(static_cast<std::int64_t>(term) + 1);
    }
    end = term;
  }
  return "0";
}

}  // namespace ardentix::x12
