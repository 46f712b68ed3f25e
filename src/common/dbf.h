// dBASE III tables, the file format only: the header and field descriptors,
// a reader, and the appending of one table's records to another. The export
// writer (export/dbf_writer.h), the joiner of unattended runs (x12/join.h)
// and the table viewer all use these, so the program has one dBASE format.
//
// File layout written: version byte 0x03, the date last updated (year - 1900,
// month, day), the record count (32 bits), the header length and the record
// length (16 bits each, little-endian), 20 reserved bytes (byte 29 holds
// 0x57, windows-1252), then one 32-byte descriptor per field (name padded
// with zero bytes to 11, type, length, decimals), the byte 0x0D, the records
// (a deletion flag, blank or "*", then each value padded with blanks to its
// field length) and the end byte 0x1A.
#ifndef ARDENTIX_COMMON_DBF_H_
#define ARDENTIX_COMMON_DBF_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix {

struct DbfField {
  std::string name;  // up to 10 characters
  char type = 'C';
  int length = 0;
  int decimals = 0;
  friend bool operator==(const DbfField&, const DbfField&) = default;
};

inline constexpr unsigned char kDbfVersion3 = 0x03;
inline constexpr unsigned char kDbfEndOfFile = 0x1A;
inline constexpr std::size_t kDbfMaxHeader = 65535;
inline constexpr std::size_t kDbfMaxRecord = 65535;

// "F_" + `number` (1-based) written with six digits: "F_000001".
std::string DbfFieldName(std::size_t number);

// The header bytes (up to and including 0x0D) of a table of `fields`.
std::string DbfHeader(std::span<const DbfField> fields, std::uint32_t record_count, int year,
                      int month, int day);
// The three date bytes and the four record-count bytes of a header.
std::string DbfDateBytes(int year, int month, int day);
std::string DbfCountBytes(std::uint32_t count);

// What the first bytes of a table say. Character lengths above 255, which
// Clipper and FoxPro keep in the decimals byte, are read as such when the
// plain lengths do not add up to the record length.
struct DbfLayout {
  int version = 0;
  int year = 0, month = 0, day = 0;  // year in full
  std::uint32_t record_count = 0;    // as the header says
  std::size_t header_length = 0;
  std::size_t record_length = 0;
  std::vector<DbfField> fields;
  std::vector<std::size_t> offsets;  // of each field inside a record
};
// Reads the layout from `head`, which holds at least the whole header.
// nullopt (reason in `error`) when it is not a dBASE table the reader knows.
std::optional<DbfLayout> ParseDbfLayout(std::string_view head, std::string* error = nullptr);

// Empty when `existing` and `wanted` describe the same record (count, names
// without regard to case, types, lengths, decimals); otherwise the first
// difference in words.
std::string DbfFieldDifference(std::span<const DbfField> existing,
                               std::span<const DbfField> wanted);

// Reads a dBASE table: dBASE III and IV, FoxBase and FoxPro files (memo
// fields give their block numbers as text). Records are read from the file
// when asked for, so large tables cost no memory.
class DbfReader {
 public:
  DbfReader() = default;
  DbfReader(const DbfReader&) = delete;
  DbfReader& operator=(const DbfReader&) = delete;
  ~DbfReader();

  // False with the reason in `error()` when the file cannot be read or is
  // not a table.
  bool Open(const std::filesystem::path& path);
  void Close();

  int version() const { return layout_.version; }
  // Year (full), month, day of the last update.
  int year() const { return layout_.year; }
  int month() const { return layout_.month; }
  int day() const { return layout_.day; }
  const std::vector<DbfField>& fields() const { return layout_.fields; }
  // The records the file holds: the header's count, or fewer when the file
  // ends earlier.
  std::size_t record_count() const { return record_count_; }
  std::uint32_t header_record_count() const { return layout_.record_count; }
  std::size_t header_length() const { return layout_.header_length; }
  std::size_t record_length() const { return layout_.record_length; }

  // Record `index` (0-based): one text per field, exactly as stored (blank
  // padding kept). False when out of range or unreadable.
  bool Read(std::size_t index, std::vector<std::string>& values, bool* deleted = nullptr);
  // The raw bytes of records [first, first + count) (deletion flags
  // included). False when out of range or unreadable.
  bool ReadRaw(std::size_t first, std::size_t count, std::string& bytes);

  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  DbfLayout layout_;
  std::size_t record_count_ = 0;
  std::string record_;
  std::string error_;
};

// A whole table in memory (small tables, tests).
struct DbfTable {
  std::vector<DbfField> fields;
  std::vector<std::vector<std::string>> records;
  std::vector<bool> deleted;
};
std::optional<DbfTable> ReadDbfTable(const std::filesystem::path& path,
                                     std::string* error = nullptr);

// Appends the records of table `source` to table `target` after checking
// that both describe the same record, then writes the target's record count
// and today's date. On any failure returns false with the reason in `error`
// ("the tables have different fields" when they do not match) and leaves
// the target as it was.
bool AppendDbfTable(const std::filesystem::path& target, const std::filesystem::path& source,
                    std::string* error = nullptr);

}  // namespace ardentix

#endif  // ARDENTIX_COMMON_DBF_H_
