// The comma-separated writer (format "A"): an optional header line of the
// column names, then one line per row, every line ended by CR LF. Values are
// never quoted; the separator and bytes below 32 inside a value become blanks
// so that a line always has its columns.
#include <algorithm>
#include <array>

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
  void AppendValue(std::string_view value);
  template <typename Get>
  void BuildLine(std::size_t count, Get get);

  WriterFile file_;
  std::string separator_;
  std::array<char, 256> byte_map_{};  // single-byte separator: what each byte becomes
  bool blank_padded_separator_ = false;
  std::size_t columns_ = 0;
  std::size_t limit_ = 0;
  std::string line_;
  std::string scratch_;
  bool open_ = false;
};

void CsvWriter::AppendValue(std::string_view value) {
  if (separator_.size() == 1) {
    for (unsigned char c : value) line_.push_back(byte_map_[c]);
    return;
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
  line_.append(scratch_);
}

template <typename Get>
void CsvWriter::BuildLine(std::size_t count, Get get) {
  line_.clear();
  const bool cut = limit_ > 0 && count > limit_;
  const std::size_t n = cut ? limit_ : count;
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0) line_.append(separator_);
    AppendValue(get(i));
  }
  if (cut) line_.append(separator_);
  line_.append("\r\n");
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
  for (int b = 0; b < 256; ++b) byte_map_[b] = b < 32 ? ' ' : static_cast<char>(b);
  if (separator_.size() == 1) byte_map_[static_cast<unsigned char>(separator_[0])] = ' ';
  columns_ = columns.size();
  limit_ = options.column_limit;

  bool write_header = options.header;
  bool missing = false;
  if (options.append && file_.OpenUpdate(target_, &missing)) {
    if (file_.original_size() > 0) write_header = false;
  } else if (!missing && options.append) {
    return Failed(file_.error());
  } else if (!file_.OpenReplace(target_)) {
    return Failed(file_.error());
  }
  open_ = true;
  if (write_header) {
    BuildLine(columns.size(), [&](std::size_t i) -> std::string_view { return columns[i].name; });
    if (!file_.Append(line_)) {
      file_.Abort();
      return Failed(file_.error());
    }
  }
  return WriterStatus::Ok();
}

WriterStatus CsvWriter::WriteRow(std::span<const std::string> values, std::span<const ValueMark>) {
  if (failed()) return Failure();
  if (!open_) return Failed("the comma-separated output is not open");
  if (values.size() != columns_)
    return Failed("a row has " + std::to_string(values.size()) + " values for " +
                  std::to_string(columns_) + " columns");
  BuildLine(values.size(), [&](std::size_t i) -> std::string_view { return values[i]; });
  if (!file_.Append(line_)) {
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
