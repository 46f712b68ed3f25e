// ODBC tables through unixODBC: the writer of format "D" (MakeOdbcWriter in
// writers.h), the parts of its destination, and the list of data sources
// for the "Select DSN" dialog.
//
// A destination is "SOURCE:TABLE", split at the first ":"; every "." is
// removed from the table part. SOURCE is a data source name from odbc.ini,
// or, needing no configuration at all, the path of an SQLite file ending in
// ".db", ".sqlite" or ".sqlite3", which is opened (and created when missing)
// through the SQLite3 ODBC driver.
//
// The writer:
// - uses a table or column name as it is when it is an SQL identifier
//   ([A-Za-z_][A-Za-z0-9_]*, at most 63 characters), and otherwise quotes it
//   with the driver's quote character; a name that cannot be quoted safely
//   is refused. A name given twice gets "_2", "_3" (with a notice);
// - finds the table by its exact name without regard to case, and creates it
//   when missing: SQLRECID CHAR(16) NOT NULL PRIMARY KEY, then one CHAR(width)
//   column per export column;
// - in an existing table checks that every column is there and cuts each
//   value to the length of its column in the table;
// - numbers the rows "RECID" + six digits, continuing after the highest
//   RECID already in the table;
// - inserts every row through one prepared INSERT with parameter markers,
//   all in one transaction committed by Close; the first ODBC error (given
//   with its SQLSTATE) rolls the transaction back and fails the writer.
// Values are taken as windows-1252 bytes and handed to the driver as
// UTF-16, so the database stores the right characters in any encoding; a
// driver that takes no UTF-16 parameters (the PostgreSQL ANSI driver) gets
// UTF-8 text instead, with a notice.
#ifndef ARDENTIX_EXPORT_ODBC_WRITER_H_
#define ARDENTIX_EXPORT_ODBC_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix {

inline constexpr std::size_t kMaxSqlIdentifier = 63;
inline constexpr std::string_view kRecidColumn = "SQLRECID";
inline constexpr int kRecidWidth = 16;

struct OdbcDestination {
  std::string source;  // data source name, or an SQLite file path
  std::string table;
  bool sqlite_file = false;  // the source is an SQLite file path
};

// Splits "SOURCE:TABLE". Fails (nullopt, reason in `error`) when there is no
// ":", or either part is empty.
std::optional<OdbcDestination> ParseOdbcDestination(std::string_view target,
                                                    std::string* error = nullptr);

// Whether a source names an SQLite file: it ends in ".db", ".sqlite" or
// ".sqlite3", in any letter case.
bool IsSqliteFilePath(std::string_view source);

// [A-Za-z_][A-Za-z0-9_]*, 1 to 63 characters.
bool IsSqlIdentifier(std::string_view name);

// "RECID" + the number with at least six digits.
std::string RecidText(std::uint64_t number);
// The number of a "RECID" value (blanks around it allowed); nullopt for
// anything else.
std::optional<std::uint64_t> RecidNumber(std::string_view value);

struct OdbcDataSource {
  std::string name;
  std::string description;  // the driver's description
};
// The data sources the driver manager knows (user and system), in its
// order. On failure an empty list and the reason in `error`.
std::vector<OdbcDataSource> ListOdbcDataSources(std::string* error = nullptr);

// The connection string used for an SQLite file: the registered driver
// "SQLite3" when odbcinst.ini has it, else the driver library itself.
// nullopt (reason in `error`) when neither is found or the path cannot be
// written in a connection string.
std::optional<std::string> SqliteConnectionString(std::string_view path,
                                                  std::string* error = nullptr);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_ODBC_WRITER_H_
