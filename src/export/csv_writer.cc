// The comma-separated writer (format "A"): an optional header line of the
// column names, then one line per row, every line ended by CR LF. Values are
// never quoted; the separator and bytes below 32 inside a value become blanks
// so that a line always has its columns.
#include <algorithm>
#include <cstring>

#include "export/writer_file.h"
#include "export/writers.h"

namespace ardentix {

namespace {

class CsvWriter : public OutputWriter {
 public:
  WriterStatus Open(std::string_view target, std::span<const WriterColumn> columns,
                    const WriterOptions& options) override;
  WriterStatus WriteRow(std::span<const std::string> values,
                        std::span<const ValueMark> marks) override;
  WriterStatus Close() override;

 private:
  char* PutValue(char* out, std::string_view value);
  char* PutSeparator(char* out) const {
    if (separator_.size() != 1) return Put(out, separator_);
    *out = separator_[0];
    return out + 1;
  }
  template <typename Get>
  bool WriteLine(std::size_t count, Get get);
  std::size_t BeforeBody(const char* bytes, std::size_t size);

  // A joined part (WriterOptions::joined_part) begins at its body: what comes
  // before it is left out as the joiner leaves it out of a part file.
  enum class Lead { kBlanks, kFirstLine, kBody };
  Lead lead_ = Lead::kBody;
  bool drop_first_line_ = false;

  WriterFile file_;
  std::string separator_;
  bool blank_padded_separator_ = false;
  std::size_t columns_ = 0;
  std::size_t limit_ = 0;
  std::string scratch_;
  bool open_ = false;
};

// Copies a value to `out` with the separator and bytes below 32 blanked;
// the value keeps its length.
char* CsvWriter::PutValue(char* out, std::string_view value) {
  if (separator_.size() == 1) {
    const char separator = separator_[0];
    for (const char c : value) {
      *out++ = static_cast<unsigned char>(c) < 32 || c == separator ? ' ' : c;
    }
    return out;
  }
  scratch_.assign(value);
  for (char& c : scratch_)
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  // A separator of several bytes: blank each occurrence. When the separator
  // holds blanks, blanking can form a new occurrence, so go on until none
  // is left (every pass removes non-blank bytes, so this ends).
  bool again = true;
  while (again) {
    again = false;
    std::size_t at = 0;
    while ((at = scratch_.find(separator_, at)) != std::string::npos) {
      std::fill_n(scratch_.begin() + static_cast<std::ptrdiff_t>(at), separator_.size(), ' ');
      at += separator_.size();
      again = blank_padded_separator_;
    }
  }
  return Put(out, scratch_);
}

// One line of `count` values (the first `limit_` and a separator when the
// line is cut), built straight in the file's buffer: its length is known
// before it is written, as cleaning keeps every value's length.
template <typename Get>
bool CsvWriter::WriteLine(std::size_t count, Get get) {
  const bool cut = limit_ > 0 && count > limit_;
  const std::size_t n = cut ? limit_ : count;
  std::size_t length = ((n > 0 ? n - 1 : 0) + (cut ? 1 : 0)) * separator_.size() + 2;
  for (std::size_t i = 0; i < n; ++i) length += get(i).size();
  char* const room = file_.Room(length);
  if (room == nullptr) return false;
  char* out = room;
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0) out = PutSeparator(out);
    out = PutValue(out, get(i));
  }
  if (cut) out = PutSeparator(out);
  out = Put(out, "\r\n");
  std::size_t used = static_cast<std::size_t>(out - room);
  if (lead_ != Lead::kBody) {
    const std::size_t before = BeforeBody(room, used);
    std::memmove(room, room + before, used - before);
    used -= before;
  }
  file_.Used(used);
  return true;
}

// How many of `bytes` come before the body of a joined part: leading blanks,
// tabs and line breaks, then (once, when asked) the first line and the
// blanks and line breaks after it. Every line ends with a line break, so the
// body, once begun, is kept whole (the joiner's trimming of blanks at the
// end and its closing line break never apply to it).
std::size_t CsvWriter::BeforeBody(const char* bytes, std::size_t size) {
  std::size_t i = 0;
  while (i < size && lead_ != Lead::kBody) {
    const char c = bytes[i];
    if (lead_ == Lead::kFirstLine) {
      if (c == '\r' || c == '\n') lead_ = Lead::kBlanks;
      ++i;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (drop_first_line_) {
      drop_first_line_ = false;
      lead_ = Lead::kFirstLine;
    } else {
      lead_ = Lead::kBody;
    }
  }
  return i;
}

WriterStatus CsvWriter::Open(std::string_view target, std::span<const WriterColumn> columns,
                             const WriterOptions& options) {
  if (open_ || failed()) return Failed("the comma-separated writer is already in use");
  target_ = std::string(target);
  if (target_.empty()) return Failed("no output file name");
  separator_ = options.separator.empty() ? std::string(",") : options.separator;
  const bool all_blank = separator_.find_first_not_of(' ') == std::string::npos;
  if (all_blank)
    return Failed("the field separator consists of blanks only, so values cannot be kept apart");
  blank_padded_separator_ = separator_.find(' ') != std::string::npos;
  columns_ = columns.size();
  limit_ = options.column_limit;

  bool write_header = options.header;
  bool missing = false;
  lead_ = Lead::kBody;
  if (options.joined_part) {
    if (!file_.OpenUpdate(target_, &missing)) {
      return Failed(missing ? "the joined output " + target_ + " does not exist" : file_.error());
    }
    lead_ = Lead::kBlanks;
    drop_first_line_ = options.drop_first_line;
  } else if (options.append && file_.OpenUpdate(target_, &missing)) {
    if (file_.original_size() > 0) write_header = false;
  } else if (!missing && options.append) {
    return Failed(file_.error());
  } else if (!file_.OpenReplace(target_)) {
    return Failed(file_.error());
  }
  open_ = true;
  if (write_header) {
    if (!WriteLine(columns.size(),
                   [&](std::size_t i) -> std::string_view { return columns[i].name; })) {
      file_.Abort();
      return Failed(file_.error());
    }
  }
  return WriterStatus::Ok();
}

WriterStatus CsvWriter::WriteRow(std::span<const std::string> values, std::span<const ValueMark>) {
  if (failed()) return Failure();
  if (!open_) return Failed("the comma-separated output is not open");
  if (values.size() != columns_) return Failed(WrongRowSize(values.size(), columns_));
  if (!WriteLine(values.size(), [&](std::size_t i) -> std::string_view { return values[i]; })) {
    file_.Abort();
    return Failed(file_.error());
  }
  ++rows_;
  return WriterStatus::Ok();
}

WriterStatus CsvWriter::Close() {
  if (failed()) return Failure();
  if (!open_) return Failed("the comma-separated output is not open");
  open_ = false;
  if (!file_.Commit()) return Failed(file_.error());
  return WriterStatus::Ok();
}

}  // namespace

std::unique_ptr<OutputWriter> MakeCsvWriter() { return std::make_unique<CsvWriter>(); }

}  // namespace ardentix
