#include "x12/join.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "common/dbf.h"
#include "common/files.h"
#include "common/text.h"
#include "ui/meter.h"
#include "ui/ui.h"

namespace ardentix::x12 {

namespace {

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

bool IsFolder(std::string_view path) {
  const std::string_view trimmed = TrimBlanks(path);
  return !trimmed.empty() && FolderExists(fs::path(trimmed));
}

fs::path WithDigitPrefix(const fs::path& path) {
  const std::string name = path.filename().string();
  if (name.empty() || name[0] < '0' || name[0] > '9') return path;
  return path.parent_path() / ("a_" + name);
}

// The bytes of a part's output read by position: a text, or an open file
// read one block at a time as the scans ask for it, so a part of any size
// costs one block of memory.
class PartBytes {
 public:
  explicit PartBytes(std::string_view text) : text_(text), size_(text.size()) {}
  PartBytes(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

  std::uint64_t size() const { return size_; }
  int fd() const { return fd_; }
  // The byte at `at` (below size()). A byte that cannot be read reads as 0
  // and marks the bytes failed.
  char At(std::uint64_t at) {
    if (fd_ < 0) return text_[at];
    if (at < block_start_ || at - block_start_ >= block_.size()) Load(at);
    return at - block_start_ < block_.size() ? block_[at - block_start_] : '\0';
  }
  bool failed() const { return failed_; }

 private:
  static constexpr std::uint64_t kBlock = 1 << 16;
  void Load(std::uint64_t at) {
    block_start_ = at - at % kBlock;
    block_.resize(static_cast<std::size_t>(std::min(kBlock, size_ - block_start_)));
    std::size_t done = 0;
    while (done < block_.size()) {
      const ssize_t n = ::pread(fd_, block_.data() + done, block_.size() - done,
                                static_cast<off_t>(block_start_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (done < block_.size()) failed_ = true;
    block_.resize(done);
  }

  std::string_view text_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::string block_;
  std::uint64_t block_start_ = 0;
  bool failed_ = false;
};

// The stretch of a part's bytes that goes into the joined file, and what
// the joined file gets after it.
struct PartBody {
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
  std::string_view suffix;
};

bool IsCsvLead(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool MatchesNoCase(PartBytes& bytes, std::uint64_t at, std::string_view word) {
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (ToUpperAscii(bytes.At(at + i)) != word[i]) return false;
  }
  return true;
}

// The rules of CsvPartBody.
PartBody CsvBodyOf(PartBytes& bytes, bool drop_header) {
  const std::uint64_t n = bytes.size();
  auto skip_leading = [&](std::uint64_t p) {
    while (p < n && IsCsvLead(bytes.At(p))) ++p;
    return p;
  };
  std::uint64_t begin = skip_leading(0);
  if (drop_header) {
    std::uint64_t eol = begin;
    while (eol < n && bytes.At(eol) != '\r' && bytes.At(eol) != '\n') ++eol;
    if (eol == n) return {};
    begin = skip_leading(eol);
  }
  std::uint64_t end = n;
  while (end > begin && bytes.At(end - 1) == ' ') --end;
  if (end == begin) return {};
  return {begin, end, bytes.At(end - 1) == '\n' ? "" : "\r\n"};
}

// The rules of XmlPartBody: the first root tag is found from the front, the
// last closing one from the back.
PartBody XmlBodyOf(PartBytes& bytes) {
  constexpr std::string_view kOpen = "<EXPORTDATA>";
  constexpr std::string_view kClose = "</EXPORTDATA>";
  const std::uint64_t n = bytes.size();
  std::uint64_t open = 0;
  while (open + kOpen.size() <= n && !MatchesNoCase(bytes, open, kOpen)) ++open;
  if (open + kOpen.size() > n) return {};
  const std::uint64_t from = open + kOpen.size();
  std::uint64_t close = n;
  for (std::uint64_t at = n >= kClose.size() ? n - kClose.size() + 1 : 0; at > from;) {
    --at;
    if (MatchesNoCase(bytes, at, kClose)) {
      close = at;
      break;
    }
  }
  std::uint64_t begin = from;
  while (begin < close && IsXmlSpace(bytes.At(begin))) ++begin;
  std::uint64_t end = close;
  while (end > begin && IsXmlSpace(bytes.At(end - 1))) --end;
  if (end == begin) return {};
  return {begin, end, "\r\n"};
}

}  // namespace

OutputFormat OutputFormatOf(std::string_view parse_type) {
  const std::string type = ToUpper(TrimBlanks(parse_type));
  if (type == "CSV") return OutputFormat::kCsv;
  if (type == "XML") return OutputFormat::kXml;
  if (type == "DBF") return OutputFormat::kDbf;
  if (type == "ODBC") return OutputFormat::kOdbc;
  if (type == "835") return OutputFormat::k835;
  return OutputFormat::kNone;
}

std::string_view OutputExtension(OutputFormat format) {
  switch (format) {
    case OutputFormat::kCsv:
      return "csv";
    case OutputFormat::kXml:
      return "xml";
    case OutputFormat::kDbf:
      return "dbf";
    case OutputFormat::k835:
      return "835";
    default:
      return {};
  }
}

fs::path ExportOutputPath(const ParseSpec& spec, OutputFormat format, bool digit_prefix) {
  const OptionWords options = SplitOptions(spec.parse_options);
  const std::string_view folder = TrimBlanks(spec.destination_folder);
  if (options.Has("MF") && !folder.empty()) return fs::path(folder);
  fs::path path;
  if (options.Has("MN") && !TrimBlanks(spec.destination_file).empty()) {
    path = fs::path(folder) / spec.destination_file;
  } else {
    const std::string name = spec.destination_file + "." + std::string(OutputExtension(format));
    path = IsFolder(folder) ? fs::path(folder) / name : fs::path(name);
  }
  return digit_prefix ? WithDigitPrefix(path) : path;
}

fs::path Remit835Path(const ParseSpec& spec) {
  const std::string name = spec.destination_file + ".835";
  const std::string_view folder = TrimBlanks(spec.destination_folder);
  return IsFolder(folder) ? fs::path(folder) / name : fs::path(name);
}

std::string CsvPartBody(std::string_view content, bool drop_header) {
  PartBytes bytes(content);
  const PartBody body = CsvBodyOf(bytes, drop_header);
  return std::string(content.substr(body.begin, body.end - body.begin)).append(body.suffix);
}

std::string XmlPartBody(std::string_view content) {
  PartBytes bytes(content);
  const PartBody body = XmlBodyOf(bytes);
  return std::string(content.substr(body.begin, body.end - body.begin)).append(body.suffix);
}

std::string XmlDeclaration(std::string_view encoding) {
  return "<?xml version=\"1.0\"  encoding=\"" + std::string(encoding) + "\"?>";
}

bool AppendDbfTable(const fs::path& target, const fs::path& source, std::string* error) {
  return ardentix::AppendDbfTable(target, source, error);
}

OutputJoiner::OutputJoiner(const ParseSpec& base, JoinSettings settings)
    : base_(base), settings_(std::move(settings)), format_(OutputFormatOf(base.parse_type)) {
  switch (format_) {
    case OutputFormat::kCsv:
    case OutputFormat::kXml:
      active_ = settings_.merge_text;
      target_ = ExportOutputPath(base_, format_);
      break;
    case OutputFormat::kDbf:
      active_ = true;
      target_ = ExportOutputPath(base_, format_);
      break;
    case OutputFormat::k835:
      active_ = true;
      target_ = Remit835Path(base_);
      break;
    default:
      active_ = false;
  }
}

bool OutputJoiner::Fail(const std::string& message) {
  ui::CurrentUi().Message(message, "Error", ui::MessageIcon::kStop);
  failed_ = true;
  return false;
}

bool OutputJoiner::AddPart(const ParseSpec& part) {
  if (!active_) return true;
  std::error_code ec;
  if (format_ == OutputFormat::kDbf) {
    // The table may carry the "a_" prefix of names that begin with a digit.
    for (bool prefixed : {true, false}) {
      const fs::path file = ExportOutputPath(part, format_, prefixed);
      if (!fs::exists(file, ec)) continue;
      return AddDbf(file, prefixed ? ExportOutputPath(base_, format_, true) : target_);
    }
    return true;
  }
  const fs::path file =
      format_ == OutputFormat::k835 ? Remit835Path(part) : ExportOutputPath(part, format_);
  if (!fs::exists(file, ec)) return true;
  if (SameFile(file, target_)) return true;  // the part is its own target
  return AddText(file);
}

std::optional<fs::path> OutputJoiner::DirectTarget(const ParseSpec& part) const {
  if (!active_ || !started_) return std::nullopt;
  if (format_ != OutputFormat::kCsv && format_ != OutputFormat::kXml &&
      format_ != OutputFormat::kDbf) {
    return std::nullopt;
  }
  // The part files AddPart would look for: none may exist (a link counts).
  std::vector<fs::path> files = {ExportOutputPath(part, format_)};
  if (format_ == OutputFormat::kDbf) files.push_back(ExportOutputPath(part, format_, true));
  for (const fs::path& file : files) {
    std::error_code ec;
    if (fs::symlink_status(file, ec).type() != fs::file_type::not_found) return std::nullopt;
    if (SameFile(file, target_)) return std::nullopt;
  }
  return target_;
}

bool OutputJoiner::AddText(const fs::path& part_file) {
  const std::string kind = format_ == OutputFormat::kCsv   ? "CSV"
                           : format_ == OutputFormat::kXml ? "XML"
                                                           : "835";
  const std::string open_error = "Error " + kind + " Multi ST Open";
  struct Fd {
    int fd;
    ~Fd() {
      if (fd >= 0) ::close(fd);
    }
  };
  const Fd in{::open(part_file.c_str(), O_RDONLY | O_CLOEXEC)};
  struct stat st {};
  if (in.fd < 0 || ::fstat(in.fd, &st) != 0 || S_ISDIR(st.st_mode)) return Fail(open_error);
  PartBytes bytes(in.fd, static_cast<std::uint64_t>(st.st_size));

  // Where the part's body lies: only its edges are read.
  PartBody body{0, bytes.size(), ""};
  std::string head;
  std::optional<ui::ScopedMeter> meter;
  switch (format_) {
    case OutputFormat::kCsv:
      body = CsvBodyOf(bytes, settings_.header_line && started_);
      break;
    case OutputFormat::kXml:
      meter.emplace("Concatenating", "Please Stand By..");
      body = XmlBodyOf(bytes);
      if (!started_) head = XmlDeclaration(settings_.xml_encoding) + "\r\n<EXPORTDATA>\r\n";
      break;
    default:
      break;
  }
  if (bytes.failed()) return Fail(open_error);

  // The body is copied to the end of the joined file; a failed copy leaves
  // the joined file as it was before this part.
  std::error_code ec;
  if (started_ && !fs::exists(target_, ec)) return Fail(open_error);
  const int flags = started_ ? O_WRONLY | O_CLOEXEC : O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
  const std::string write_error = started_ ? open_error : "Error " + kind + " Multi ST Create";
  const int out = ::open(target_.c_str(), flags, 0644);
  struct stat target_st {};
  if (out < 0 || ::fstat(out, &target_st) != 0) {
    if (out >= 0) ::close(out);
    return Fail(write_error);
  }
  const std::uint64_t old_size = static_cast<std::uint64_t>(target_st.st_size);
  const std::uint64_t length = body.end - body.begin;
  bool copied = WriteAllAt(out, old_size, head) &&
                CopyFileBytes(in.fd, body.begin, length, out, old_size + head.size()) &&
                WriteAllAt(out, old_size + head.size() + length, body.suffix);
  if (!copied && ::ftruncate(out, static_cast<off_t>(old_size)) != 0) {
    // The failure is reported below either way.
  }
  copied = ::close(out) == 0 && copied;
  if (!copied) return Fail(write_error);
  started_ = true;
  ++parts_joined_;
  fs::remove(part_file, ec);
  return true;
}

bool OutputJoiner::AddDbf(const fs::path& part_file, const fs::path& target) {
  if (SameFile(part_file, target)) return true;
  std::error_code ec;
  if (!started_) {
    // The first part's table becomes the joined table.
    fs::copy_file(part_file, target, fs::copy_options::overwrite_existing, ec);
    if (ec) return Fail("Error DBF Multi ST Create");
    target_ = target;
    started_ = true;
  } else {
    std::string why;
    if (!AppendDbfTable(target_, part_file, &why)) {
      return Fail("Error DBF Multi ST Open: " + why);
    }
  }
  ++parts_joined_;
  fs::remove(part_file, ec);
  return true;
}

bool OutputJoiner::Finish() {
  if (active_ && started_ && format_ == OutputFormat::kXml) {
    std::error_code ec;
    if (!fs::exists(target_, ec) || !AppendToFile("</EXPORTDATA>", target_, AppendMode::kAppend)) {
      return Fail("Error XML Multi ST Open");
    }
  }
  return !failed_;
}

}  // namespace ardentix::x12
