#include "export/dbf_writer.h"

#include <cstring>
#include <ctime>

#include "common/files.h"
#include "common/text.h"
#include "export/writer_file.h"
#include "export/writers.h"

namespace ardentix {

namespace {

class DbfWriter : public OutputWriter {
 public:
  WriterStatus Open(std::string_view target, std::span<const WriterColumn> columns,
                    const WriterOptions& options) override;
  WriterStatus WriteRow(std::span<const std::string> values,
                        std::span<const ValueMark> marks) override;
  WriterStatus Close() override;

 private:
  WriterStatus Abandon(std::string why) {
    file_.Abort();
    open_ = false;
    return Failed(std::move(why));
  }

  WriterFile file_;
  std::vector<DbfField> fields_;
  std::size_t columns_ = 0;
  std::uint32_t count_ = 0;
  int year_ = 0, month_ = 0, day_ = 0;
  std::size_t record_length_ = 0;
  bool open_ = false;
};

WriterStatus DbfWriter::Open(std::string_view target, std::span<const WriterColumn> columns,
                             const WriterOptions& options) {
  if (open_ || failed()) return Failed("the dBASE writer is already in use");
  if (TrimBlanks(target).empty()) return Failed("no output file name");
  bool prefixed = false;
  target_ = DbfOutputPath(target, options.prefix_digit_names, &prefixed);
  if (prefixed && FileExists(target_)) return Failed(std::string(kDbfDigitNameError));

  columns_ = columns.size();
  const std::size_t n = options.column_limit > 0 && options.column_limit < columns.size()
                            ? options.column_limit
                            : columns.size();
  if (n == 0) return Failed("a dBASE table needs at least one field");
  fields_.clear();
  std::size_t record_length = 1;
  for (std::size_t i = 0; i < n; ++i) {
    const int w = columns[i].width;
    if (w < 1 || w > 254)
      return Failed("field " + std::to_string(i + 1) + " (" + columns[i].name + ") has width " +
                    std::to_string(w) + "; a dBASE character field holds 1 to 254");
    fields_.push_back({DbfFieldName(i + 1), 'C', w, 0});
    record_length += static_cast<std::size_t>(w);
  }
  if (32 * n + 33 > kDbfMaxHeader || record_length > kDbfMaxRecord)
    return Failed("a dBASE table cannot hold " + std::to_string(n) + " fields of " +
                  std::to_string(record_length - 1) + " bytes");

  if (options.date_year > 0) {
    year_ = options.date_year;
    month_ = options.date_month;
    day_ = options.date_day;
  } else {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    year_ = tm.tm_year + 1900;
    month_ = tm.tm_mon + 1;
    day_ = tm.tm_mday;
  }

  bool missing = false;
  if (file_.OpenUpdate(target_, &missing)) {
    // An existing table gets further records, once its fields are ours.
    std::string head;
    if (!file_.ReadAt(0, 32, head)) return Abandon(file_.error());
    if (head.size() < 32 || static_cast<unsigned char>(head[0]) != kDbfVersion3)
      return Abandon(target_ + " exists and is not a dBASE III table; nothing was appended");
    const std::size_t header_length =
        static_cast<unsigned char>(head[8]) | (static_cast<unsigned char>(head[9]) << 8);
    if (header_length < 33 || !file_.ReadAt(0, header_length, head))
      return Abandon(file_.error().empty() ? target_ + " has a damaged header" : file_.error());
    std::string why;
    const std::optional<DbfLayout> layout = ParseDbfLayout(head, &why);
    if (!layout) return Abandon(target_ + ": " + why + "; nothing was appended");
    const std::vector<DbfField>& existing = layout->fields;
    const std::uint32_t count = layout->record_count;
    const std::size_t rec_length = layout->record_length;
    const std::string diff = DbfFieldDifference(existing, fields_);
    if (!diff.empty())
      return Abandon("the fields of " + target_ + " do not match this export (" + diff +
                     "); nothing was appended");
    const std::uint64_t data_end =
        static_cast<std::uint64_t>(header_length) + std::uint64_t{count} * rec_length;
    if (rec_length != record_length || data_end > file_.original_size())
      return Abandon(target_ +
                     " is damaged (its record count does not fit its size); "
                     "nothing was appended");
    if (!file_.StartAt(data_end)) return Abandon(file_.error());
    count_ = count;
  } else if (missing && options.joined_part) {
    return Failed("the joined output " + target_ + " does not exist");
  } else if (missing) {
    if (!file_.OpenReplace(target_)) return Failed(file_.error());
    count_ = 0;
    if (!file_.Append(DbfHeader(fields_, 0, year_, month_, day_))) return Abandon(file_.error());
  } else {
    return Failed(file_.error());
  }
  record_length_ = record_length;
  open_ = true;
  return WriterStatus::Ok();
}

WriterStatus DbfWriter::WriteRow(std::span<const std::string> values, std::span<const ValueMark>) {
  if (failed()) return Failure();
  if (!open_) return Failed("the dBASE table is not open");
  if (values.size() != columns_) return Abandon(WrongRowSize(values.size(), columns_));
  if (count_ == UINT32_MAX) return Abandon("the dBASE table is full");
  // The record is built straight in the file's buffer: blanks, then each
  // value cut to its field.
  char* const record = file_.Room(record_length_);
  if (record == nullptr) return Abandon(file_.error());
  std::memset(record, ' ', record_length_);
  std::size_t at = 1;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const std::size_t w = static_cast<std::size_t>(fields_[i].length);
    const std::string& v = values[i];
    std::memcpy(record + at, v.data(), std::min(w, v.size()));
    at += w;
  }
  file_.Used(record_length_);
  ++count_;
  ++rows_;
  return WriterStatus::Ok();
}

WriterStatus DbfWriter::Close() {
  if (failed()) return Failure();
  if (!open_) return Failed("the dBASE table is not open");
  open_ = false;
  if (!file_.Append("\x1A") || !file_.WriteAt(1, DbfDateBytes(year_, month_, day_)) ||
      !file_.WriteAt(4, DbfCountBytes(count_)) || !file_.Commit())
    return Abandon(file_.error());
  return WriterStatus::Ok();
}

}  // namespace

std::unique_ptr<OutputWriter> MakeDbfWriter() { return std::make_unique<DbfWriter>(); }

std::string DbfOutputPath(std::string_view path, bool prefix_digit_names, bool* prefixed) {
  if (prefixed) *prefixed = false;
  const std::string_view name = FileNamePart(path);
  if (!prefix_digit_names || name.empty() || name[0] < '0' || name[0] > '9')
    return std::string(path);
  if (prefixed) *prefixed = true;
  std::string out(path.substr(0, path.size() - name.size()));
  out += "a_";
  out += name;
  return out;
}

}  // namespace ardentix
