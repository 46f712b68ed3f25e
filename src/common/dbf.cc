#include "common/dbf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "common/files.h"
#include "common/text.h"

namespace ardentix {

namespace {

constexpr unsigned char kLanguageCp1252 = 0x57;

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

bool ReadFully(int fd, std::uint64_t at, std::size_t count, std::string& out) {
  out.resize(count);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = pread(fd, out.data() + done, count - done, static_cast<off_t>(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      out.resize(done);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads the header of an open table: the first 32 bytes give its length.
std::optional<DbfLayout> ReadLayout(int fd, std::string* error) {
  std::string head;
  if (!ReadFully(fd, 0, 32, head)) {
    if (error) *error = "not a dBASE table";
    return std::nullopt;
  }
  const std::size_t header_length = GetU16(head, 8);
  if (header_length > 32 && !ReadFully(fd, 0, header_length, head)) {
    if (error) *error = "damaged dBASE header";
    return std::nullopt;
  }
  return ParseDbfLayout(head, error);
}

std::string Reason(std::string_view what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

std::string DbfFieldName(std::size_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return "F_" + digits;
}

std::string DbfDateBytes(int year, int month, int day) {
  std::string d(3, '\0');
  d[0] = static_cast<char>((year - 1900) & 0xFF);
  d[1] = static_cast<char>(month);
  d[2] = static_cast<char>(day);
  return d;
}

std::string DbfCountBytes(std::uint32_t count) {
  std::string c(4, '\0');
  PutU32(c, 0, count);
  return c;
}

std::string DbfHeader(std::span<const DbfField> fields, std::uint32_t record_count, int year,
                      int month, int day) {
  std::string h(32 + 32 * fields.size() + 1, '\0');
  h[0] = static_cast<char>(kDbfVersion3);
  h.replace(1, 3, DbfDateBytes(year, month, day));
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

std::optional<DbfLayout> ParseDbfLayout(std::string_view head, std::string* error) {
  auto fail = [error](std::string why) -> std::optional<DbfLayout> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  if (head.size() < 33) return fail("not a dBASE table");
  DbfLayout layout;
  layout.version = static_cast<unsigned char>(head[0]);
  const int v = layout.version & 0x07;
  if (v != 3 && v != 4 && v != 5 && layout.version != 0x30 && layout.version != 0x31)
    return fail("not a dBASE table (version byte " + std::to_string(layout.version) + ")");
  layout.year = static_cast<unsigned char>(head[1]) + 1900;
  layout.month = static_cast<unsigned char>(head[2]);
  layout.day = static_cast<unsigned char>(head[3]);
  layout.record_count = GetU32(head, 4);
  layout.header_length = GetU16(head, 8);
  layout.record_length = GetU16(head, 10);
  if (layout.header_length < 33 || layout.header_length > head.size() || layout.record_length < 1)
    return fail("damaged dBASE header");
  const std::string_view desc = head.substr(32, layout.header_length - 32);
  std::size_t offset = 1;
  for (std::size_t at = 0; at + 32 <= desc.size() && desc[at] != '\x0D'; at += 32) {
    std::string name(desc.substr(at, 11));
    name.resize(std::strlen(name.c_str()));
    DbfField f{name, desc[at + 11], static_cast<unsigned char>(desc[at + 16]),
               static_cast<unsigned char>(desc[at + 17])};
    layout.fields.push_back(f);
    layout.offsets.push_back(offset);
    offset += static_cast<std::size_t>(f.length);
  }
  if (layout.fields.empty()) return fail("a dBASE table without fields");
  if (offset != layout.record_length) {
    offset = 1;
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
      DbfField& f = layout.fields[i];
      if (f.type == 'C' && f.decimals > 0) {
        f.length += 256 * f.decimals;
        f.decimals = 0;
      }
      layout.offsets[i] = offset;
      offset += static_cast<std::size_t>(f.length);
    }
    if (offset != layout.record_length)
      return fail("field lengths do not add up to the record length");
  }
  return layout;
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
  layout_ = DbfLayout{};
  record_count_ = 0;
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = "cannot open " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  auto fail = [&](const std::string& why) {
    error_ = path.string() + ": " + why;
    Close();
    return false;
  };
  struct stat st {};
  if (fstat(fd_, &st) != 0) return fail(std::strerror(errno));
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  std::string why;
  std::optional<DbfLayout> layout = ReadLayout(fd_, &why);
  if (!layout) return fail(why);
  layout_ = std::move(*layout);
  const std::uint64_t fit = (size - layout_.header_length) / layout_.record_length;
  record_count_ = static_cast<std::size_t>(std::min<std::uint64_t>(layout_.record_count, fit));
  record_.resize(layout_.record_length);
  return true;
}

bool DbfReader::ReadRaw(std::size_t first, std::size_t count, std::string& bytes) {
  if (fd_ < 0 || first > record_count_ || count > record_count_ - first) return false;
  const std::uint64_t at =
      layout_.header_length + static_cast<std::uint64_t>(first) * layout_.record_length;
  if (!ReadFully(fd_, at, count * layout_.record_length, bytes)) {
    error_ = Reason("cannot read a record");
    return false;
  }
  return true;
}

bool DbfReader::Read(std::size_t index, std::vector<std::string>& values, bool* deleted) {
  if (index >= record_count_ || !ReadRaw(index, 1, record_)) return false;
  if (deleted) *deleted = record_[0] == '*';
  values.resize(layout_.fields.size());
  for (std::size_t i = 0; i < layout_.fields.size(); ++i)
    values[i].assign(record_, layout_.offsets[i],
                     static_cast<std::size_t>(layout_.fields[i].length));
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

// ---- appending ---------------------------------------------------------------------

bool AppendDbfTable(const std::filesystem::path& target, const std::filesystem::path& source,
                    std::string* error) {
  auto fail = [error](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  DbfReader in;
  if (!in.Open(source)) return fail("the part table cannot be read (" + in.error() + ")");

  const int fd = open(target.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return fail(Reason("the joined table cannot be opened"));
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  std::string why;
  const std::optional<DbfLayout> out = ReadLayout(fd, &why);
  if (!out) return fail("the joined table is not a dBASE table (" + why + ")");
  if (out->record_length != in.record_length() ||
      !DbfFieldDifference(out->fields, in.fields()).empty())
    return fail("the tables have different fields");
  struct stat st {};
  if (fstat(fd, &st) != 0) return fail(Reason("the joined table cannot be read"));
  const std::uint64_t old_size = static_cast<std::uint64_t>(st.st_size);
  const std::uint64_t data_end =
      out->header_length + static_cast<std::uint64_t>(out->record_count) * out->record_length;
  if (data_end > old_size)
    return fail("the joined table is damaged (it is shorter than its count)");
  const std::uint64_t total = std::uint64_t{out->record_count} + in.record_count();
  if (total > UINT32_MAX) return fail("too many records");

  // What follows the records now (the end byte) comes back on failure.
  std::string old_tail;
  if (!ReadFully(fd, data_end, static_cast<std::size_t>(old_size - data_end), old_tail))
    return fail(Reason("the joined table cannot be read"));
  auto restore = [&](std::string why_failed) {
    const bool ok =
        WriteAllAt(fd, data_end, old_tail) && ftruncate(fd, static_cast<off_t>(old_size)) == 0;
    (void)ok;  // the reason given is the first failure
    return fail(std::move(why_failed));
  };

  // The records, then the end byte, then the header: the count changes only
  // once every record is in place.
  const int source_fd = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (source_fd < 0) return restore("the part table cannot be read");
  const std::uint64_t bytes = std::uint64_t{in.record_count()} * in.record_length();
  bool read_failed = false;
  const bool copied =
      CopyFileBytes(source_fd, in.header_length(), bytes, fd, data_end, &read_failed);
  const std::string why_not = read_failed ? std::string("the part table cannot be read")
                                          : Reason("the joined table cannot be written");
  close(source_fd);
  if (!copied) return restore(why_not);
  const std::uint64_t at = data_end + bytes;
  const char end = static_cast<char>(kDbfEndOfFile);
  if (!WriteAllAt(fd, at, std::string_view(&end, 1)) ||
      ftruncate(fd, static_cast<off_t>(at + 1)) != 0)
    return restore(Reason("the joined table cannot be written"));
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  if (!WriteAllAt(fd, 1, DbfDateBytes(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday)) ||
      !WriteAllAt(fd, 4, DbfCountBytes(static_cast<std::uint32_t>(total)))) {
    // Put the old count back as well.
    WriteAllAt(fd, 4, DbfCountBytes(out->record_count));
    return restore(Reason("the joined table cannot be written"));
  }
  return true;
}

}  // namespace ardentix
