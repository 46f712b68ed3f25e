#include "export/dbf_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "common/files.h"
#include "common/text.h"
#include "export/writer_file.h"
#include "export/writers.h"

namespace ardentix {

namespace {

constexpr unsigned char kVersion = 0x03;
constexpr unsigned char kLanguageCp1252 = 0x57;
constexpr std::size_t kMaxHeader = 65535;
constexpr std::size_t kMaxRecord = 65535;

void PutU16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void PutU32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint32_t GetU16(std::string_view s, std::size_t at) {
  return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}
std::uint32_t GetU32(std::string_view s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

std::string DateBytes(int year, int month, int day) {
  std::string d(3, '\0');
  d[0] = static_cast<char>((year - 1900) & 0xFF);
  d[1] = static_cast<char>(month);
  d[2] = static_cast<char>(day);
  return d;
}

std::string CountBytes(std::uint32_t count) {
  std::string c(4, '\0');
  PutU32(c, 0, count);
  return c;
}

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
  std::string record_;
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
  if (32 * n + 33 > kMaxHeader || record_length > kMaxRecord)
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
    if (head.size() < 32 || static_cast<unsigned char>(head[0]) != kVersion)
      return Abandon(target_ + " exists and is not a dBASE III table; nothing was appended");
    const std::uint32_t count = GetU32(head, 4);
    const std::size_t header_length = GetU16(head, 8);
    const std::size_t rec_length = GetU16(head, 10);
    std::string desc;
    if (header_length < 33 || !file_.ReadAt(32, header_length - 32, desc))
      return Abandon(file_.error().empty() ? target_ + " has a damaged header" : file_.error());
    std::vector<DbfField> existing;
    for (std::size_t at = 0; at + 32 <= desc.size() && desc[at] != '\x0D'; at += 32) {
      std::string name = desc.substr(at, 11);
      name.resize(std::strlen(name.c_str()));
      existing.push_back({std::string(TrimBlanks(name)), desc[at + 11],
                          static_cast<unsigned char>(desc[at + 16]),
                          static_cast<unsigned char>(desc[at + 17])});
    }
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
  } else if (missing) {
    if (!file_.OpenReplace(target_)) return Failed(file_.error());
    count_ = 0;
    if (!file_.Append(DbfHeader(fields_, 0, year_, month_, day_))) return Abandon(file_.error());
  } else {
    return Failed(file_.error());
  }
  record_.assign(record_length, ' ');
  open_ = true;
  return WriterStatus::Ok();
}

WriterStatus DbfWriter::WriteRow(std::span<const std::string> values, std::span<const ValueMark>) {
  if (failed()) return Failure();
  if (!open_) return Failed("the dBASE table is not open");
  if (values.size() != columns_)
    return Abandon("a row has " + std::to_string(values.size()) + " values for " +
                   std::to_string(columns_) + " columns");
  if (count_ == UINT32_MAX) return Abandon("the dBASE table is full");
  std::fill(record_.begin(), record_.end(), ' ');
  std::size_t at = 1;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const std::size_t w = static_cast<std::size_t>(fields_[i].length);
    const std::string& v = values[i];
    std::memcpy(record_.data() + at, v.data(), std::min(w, v.size()));
    at += w;
  }
  if (!file_.Append(record_)) return Abandon(file_.error());
  ++count_;
  ++rows_;
  return WriterStatus::Ok();
}

WriterStatus DbfWriter::Close() {
  if (failed()) return Failure();
  if (!open_) return Failed("the dBASE table is not open");
  open_ = false;
  if (!file_.Append("\x1A") || !file_.WriteAt(1, DateBytes(year_, month_, day_)) ||
      !file_.WriteAt(4, CountBytes(count_)) || !file_.Commit())
    return Abandon(file_.error());
  return WriterStatus::Ok();
}

}  // namespace

std::unique_ptr<OutputWriter> MakeDbfWriter() { return std::make_unique<DbfWriter>(); }

std::string DbfFieldName(std::size_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return "F_" + digits;
}

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

std::string DbfHeader(std::span<const DbfField> fields, std::uint32_t record_count, int year,
                      int month, int day) {
  std::string h(32 + 32 * fields.size() + 1, '\0');
  h[0] = static_cast<char>(kVersion);
  h.replace(1, 3, DateBytes(year, month, day));
  PutU32(h, 4, record_count);
  PutU16(h, 8, static_cast<std::uint32_t>(h.size()));
  std::uint32_t record_length = 1;
  for (const DbfField& f : fields) record_length += static_cast<std::uint32_t>(f.length);
  PutU16(h, 10, record_length);
  h[29] = static_cast<char>(kLanguageCp1252);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::size_t at = 32 + 32 * i;
    const DbfField& f = fields[i];
    h.replace(at, std::min<std::size_t>(f.name.size(), 10), f.name, 0, 10);
    h[at + 11] = f.type;
    h[at + 16] = static_cast<char>(f.length & 0xFF);
    h[at + 17] = static_cast<char>(f.decimals & 0xFF);
  }
  h.back() = '\x0D';
  return h;
}

std::string DbfFieldDifference(std::span<const DbfField> existing,
                               std::span<const DbfField> wanted) {
  if (existing.size() != wanted.size())
    return "the table has " + std::to_string(existing.size()) + " fields, the export " +
           std::to_string(wanted.size());
  for (std::size_t i = 0; i < existing.size(); ++i) {
    const DbfField& a = existing[i];
    const DbfField& b = wanted[i];
    const std::string where = "field " + std::to_string(i + 1) + " ";
    if (!EqualsNoCase(a.name, b.name)) return where + "is " + a.name + ", not " + b.name;
    if (a.type != b.type)
      return where + a.name + " has type " + std::string(1, a.type) + ", not " +
             std::string(1, b.type);
    if (a.length != b.length || a.decimals != b.decimals)
      return where + a.name + " has width " + std::to_string(a.length) + ", not " +
             std::to_string(b.length);
  }
  return {};
}

// ---- reader ------------------------------------------------------------------------

DbfReader::~DbfReader() { Close(); }

void DbfReader::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool DbfReader::Open(const std::filesystem::path& path) {
  Close();
  error_.clear();
  fields_.clear();
  offsets_.clear();
  record_count_ = 0;
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = "cannot open " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  auto fail = [&](std::string why) {
    error_ = path.string() + ": " + why;
    Close();
    return false;
  };
  struct stat st {};
  if (fstat(fd_, &st) != 0) return fail(std::strerror(errno));
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  std::string head(32, '\0');
  if (size < 33 || pread(fd_, head.data(), 32, 0) != 32) return fail("not a dBASE table");
  version_ = static_cast<unsigned char>(head[0]);
  const int v = version_ & 0x07;
  if (v != 3 && v != 4 && v != 5 && version_ != 0x30 && version_ != 0x31)
    return fail("not a dBASE table (version byte " + std::to_string(version_) + ")");
  year_ = static_cast<unsigned char>(head[1]) + 1900;
  month_ = static_cast<unsigned char>(head[2]);
  day_ = static_cast<unsigned char>(head[3]);
  header_count_ = GetU32(head, 4);
  header_length_ = GetU16(head, 8);
  record_length_ = GetU16(head, 10);
  if (header_length_ < 33 || header_length_ > size || record_length_ < 1)
    return fail("damaged dBASE header");
  std::string desc(header_length_ - 32, '\0');
  if (pread(fd_, desc.data(), desc.size(), 32) != static_cast<ssize_t>(desc.size()))
    return fail("damaged dBASE header");
  std::size_t offset = 1;
  for (std::size_t at = 0; at + 32 <= desc.size() && desc[at] != '\x0D'; at += 32) {
    std::string name = desc.substr(at, 11);
    name.resize(std::strlen(name.c_str()));
    DbfField f{name, desc[at + 11], static_cast<unsigned char>(desc[at + 16]),
               static_cast<unsigned char>(desc[at + 17])};
    fields_.push_back(f);
    offsets_.push_back(offset);
    offset += static_cast<std::size_t>(f.length);
  }
  if (fields_.empty()) return fail("a dBASE table without fields");
  if (offset != record_length_) {
    // Clipper and FoxPro keep character lengths above 255 in the decimals byte.
    offset = 1;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      DbfField& f = fields_[i];
      if (f.type == 'C' && f.decimals > 0) {
        f.length += 256 * f.decimals;
        f.decimals = 0;
      }
      offsets_[i] = offset;
      offset += static_cast<std::size_t>(f.length);
    }
    if (offset != record_length_) return fail("field lengths do not add up to the record length");
  }
  const std::uint64_t fit = (size - header_length_) / record_length_;
  record_count_ = static_cast<std::size_t>(std::min<std::uint64_t>(header_count_, fit));
  record_.resize(record_length_);
  return true;
}

bool DbfReader::Read(std::size_t index, std::vector<std::string>& values, bool* deleted) {
  if (fd_ < 0 || index >= record_count_) return false;
  const off_t at = static_cast<off_t>(header_length_ + index * record_length_);
  if (pread(fd_, record_.data(), record_length_, at) != static_cast<ssize_t>(record_length_)) {
    error_ = std::string("cannot read a record: ") + std::strerror(errno);
    return false;
  }
  if (deleted) *deleted = record_[0] == '*';
  values.resize(fields_.size());
  for (std::size_t i = 0; i < fields_.size(); ++i)
    values[i].assign(record_, offsets_[i], static_cast<std::size_t>(fields_[i].length));
  return true;
}

std::optional<DbfTable> ReadDbfTable(const std::filesystem::path& path, std::string* error) {
  DbfReader reader;
  if (!reader.Open(path)) {
    if (error) *error = reader.error();
    return std::nullopt;
  }
  DbfTable table;
  table.fields = reader.fields();
  std::vector<std::string> values;
  for (std::size_t i = 0; i < reader.record_count(); ++i) {
    bool deleted = false;
    if (!reader.Read(i, values, &deleted)) {
      if (error) *error = reader.error();
      return std::nullopt;
    }
    table.records.push_back(values);
    table.deleted.push_back(deleted);
  }
  return table;
}

}  // namespace ardentix
