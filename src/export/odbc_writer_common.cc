// The parts of the ODBC writer that need no driver manager: destinations,
// identifiers and RECIDs. Built with or without unixODBC.
#include "common/text.h"
#include "export/odbc_writer.h"

namespace ardentix {

std::optional<OdbcDestination> ParseOdbcDestination(std::string_view target, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<OdbcDestination> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const std::size_t colon = target.find(':');
  if (colon == std::string_view::npos)
    return fail("the ODBC destination \"" + std::string(target) +
                "\" has no \":\" between the data source and the table");
  OdbcDestination d;
  d.source = std::string(TrimBlanks(target.substr(0, colon)));
  for (char c : target.substr(colon + 1))
    if (c != '.') d.table.push_back(c);
  d.table = std::string(TrimBlanks(d.table));
  if (d.source.empty()) return fail("the ODBC destination names no data source");
  if (d.table.empty()) return fail("the ODBC destination names no table");
  d.sqlite_file = IsSqliteFilePath(d.source);
  return d;
}

bool IsSqliteFilePath(std::string_view source) {
  return EndsWithNoCase(source, ".db") || EndsWithNoCase(source, ".sqlite") ||
         EndsWithNoCase(source, ".sqlite3");
}

bool IsSqlIdentifier(std::string_view name) {
  if (name.empty() || name.size() > kMaxSqlIdentifier) return false;
  auto start = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!start(name[0])) return false;
  for (char c : name)
    if (!start(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

std::string RecidText(std::uint64_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return "RECID" + digits;
}

std::optional<std::uint64_t> RecidNumber(std::string_view value) {
  value = TrimBlanks(value);
  if (value.size() < 6 || value.size() > 25 || !StartsWithNoCase(value, "RECID"))
    return std::nullopt;
  std::uint64_t n = 0;
  for (char c : value.substr(5)) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return n;
}

#ifndef ARDENTIX_HAVE_ODBC
std::vector<OdbcDataSource> ListOdbcDataSources(std::string* error) {
  if (error) *error = "this program was built without unixODBC";
  return {};
}

std::optional<std::string> SqliteConnectionString(std::string_view, std::string* error) {
  if (error) *error = "this program was built without unixODBC";
  return std::nullopt;
}
#endif

}  // namespace ardentix
