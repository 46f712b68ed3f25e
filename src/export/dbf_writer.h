// dBASE III tables: the writer of format "C" (through MakeDbfWriter in
// writers.h) and a small reader for the file joiner and the table viewer.
//
// File layout written: version byte 0x03, the date last updated (year - 1900,
// month, day), the record count (32 bits), the header length and the record
// length (16 bits each, little-endian), 20 reserved bytes (byte 29 holds
// 0x57, windows-1252), then one 32-byte descriptor per field (name padded
// with zero bytes to 11, type "C", length, 0 decimals), the byte 0x0D, the
// records (a blank deletion flag, then each value cut or padded with blanks
// to its field length) and the end byte 0x1A.
//
// The writer names the fields F_000001, F_000002, ... and takes their lengths
// from the column widths. A table that does not exist is created; an existing
// one receives further records after its fields have been checked against
// the export's (count, names, types, widths): on a mismatch nothing is
// appended and the reason is returned. The record count and the date are
// written when the writer closes. No work files are made.
#ifndef ARDENTIX_EXPORT_DBF_WRITER_H_
#define ARDENTIX_EXPORT_DBF_WRITER_H_

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

inline constexpr std::string_view kDbfDigitNameError =
    "DBF File Name Error. DBF file name cannot begin with a number.";

// "F_" + `number` (1-based) written with six digits: "F_000001".
std::string DbfFieldName(std::size_t number);

// The file a dBASE export writes: with `prefix_digit_names`, a file name
// (the part after the last "/") that begins with a digit gets "a_" in front;
// the folders of the path are left alone. `prefixed`, when given, tells
// whether the prefix was added.
std::string DbfOutputPath(std::string_view path, bool prefix_digit_names, bool* prefixed = nullptr);

// The header bytes (up to and including 0x0D) of a table of `fields`.
std::string DbfHeader(std::span<const DbfField> fields, std::uint32_t record_count, int year,
                      int month, int day);

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

  int version() const { return version_; }
  // Year (full), month, day of the last update.
  int year() const { return year_; }
  int month() const { return month_; }
  int day() const { return day_; }
  const std::vector<DbfField>& fields() const { return fields_; }
  // The records the file holds: the header's count, or fewer when the file
  // ends earlier.
  std::size_t record_count() const { return record_count_; }
  std::uint32_t header_record_count() const { return header_count_; }
  std::size_t header_length() const { return header_length_; }
  std::size_t record_length() const { return record_length_; }

  // Record `index` (0-based): one text per field, exactly as stored (blank
  // padding kept). False when out of range or unreadable.
  bool Read(std::size_t index, std::vector<std::string>& values, bool* deleted = nullptr);

  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  int version_ = 0;
  int year_ = 0, month_ = 0, day_ = 0;
  std::vector<DbfField> fields_;
  std::vector<std::size_t> offsets_;  // of each field inside a record
  std::uint32_t header_count_ = 0;
  std::size_t record_count_ = 0;
  std::size_t header_length_ = 0;
  std::size_t record_length_ = 0;
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

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_DBF_WRITER_H_
