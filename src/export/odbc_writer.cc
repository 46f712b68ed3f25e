#include "export/odbc_writer.h"

#include <locale.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <set>

#include "common/text.h"
#include "export/writers.h"
#include "export/xml_writer.h"

namespace ardentix {

namespace {

// Words that an SQL database may refuse as a bare column or table name.
constexpr std::array<std::string_view, 96> kReservedWords = {
    "ALL",          "ALTER",        "AND",
    "ANY",          "AS",           "ASC",
    "BETWEEN",      "BOTH",         "BY",
    "CASE",         "CAST",         "CHECK",
    "COLLATE",      "COLUMN",       "CONSTRAINT",
    "CREATE",       "CROSS",        "CURRENT",
    "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP",
    "CURRENT_USER", "DEFAULT",      "DEFERRABLE",
    "DELETE",       "DESC",         "DISTINCT",
    "DO",           "DROP",         "ELSE",
    "END",          "ESCAPE",       "EXCEPT",
    "EXISTS",       "FALSE",        "FETCH",
    "FOR",          "FOREIGN",      "FROM",
    "FULL",         "GRANT",        "GROUP",
    "HAVING",       "IN",           "INDEX",
    "INNER",        "INSERT",       "INTERSECT",
    "INTO",         "IS",           "JOIN",
    "KEY",          "LEADING",      "LEFT",
    "LIKE",         "LIMIT",        "NATURAL",
    "NOT",          "NULL",         "OFFSET",
    "ON",           "ONLY",         "OR",
    "ORDER",        "OUTER",        "PLACING",
    "PRIMARY",      "REFERENCES",   "RETURNING",
    "RIGHT",        "ROW",          "SELECT",
    "SESSION_USER", "SET",          "SOME",
    "TABLE",        "THEN",         "TO",
    "TRAILING",     "TRUE",         "UNION",
    "UNIQUE",       "UPDATE",       "USER",
    "USING",        "VALUES",       "VIEW",
    "WHEN",         "WHERE",        "WINDOW",
    "WITH",         "ANALYSE",      "ANALYZE",
    "ARRAY",        "ASYMMETRIC",   "SYMMETRIC"};

bool IsReservedWord(std::string_view name) {
  const std::string upper = ToUpper(name);
  return std::find(kReservedWords.begin(), kReservedWords.end(), upper) != kReservedWords.end();
}

std::string Text(const SQLCHAR* s) { return reinterpret_cast<const char*>(s); }

// Every diagnostic record of a handle: "[SQLSTATE] message; ...".
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string out;
  for (SQLSMALLINT i = 1; i <= 10; ++i) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::array<SQLCHAR, 1024> message{};
    SQLSMALLINT length = 0;
    SQLRETURN r = SQLGetDiagRec(type, handle, i, state, &native, message.data(),
                                static_cast<SQLSMALLINT>(message.size()), &length);
    if (!SQL_SUCCEEDED(r)) break;
    if (!out.empty()) out += "; ";
    out += "[" + Text(state) + "] " + std::string(TrimWhitespace(Text(message.data())));
  }
  if (out.empty()) out = "[HY000] the driver gave no reason";
  return out;
}

class Env {
 public:
  Env() {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) {
      env_ = SQL_NULL_HENV;
      return;
    }
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  }
  ~Env() {
    if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;
  SQLHENV get() const { return env_; }
  bool ok() const { return env_ != SQL_NULL_HENV; }

 private:
  SQLHENV env_ = SQL_NULL_HENV;
};

// Whether the driver manager has a driver registered under `name`.
bool DriverRegistered(SQLHENV env, std::string_view name) {
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    std::array<SQLCHAR, 256> desc{};
    std::array<SQLCHAR, 1024> attrs{};
    SQLSMALLINT desc_len = 0, attrs_len = 0;
    SQLRETURN r =
        SQLDrivers(env, direction, desc.data(), static_cast<SQLSMALLINT>(desc.size()), &desc_len,
                   attrs.data(), static_cast<SQLSMALLINT>(attrs.size()), &attrs_len);
    if (!SQL_SUCCEEDED(r)) return false;
    if (EqualsNoCase(Text(desc.data()), name)) return true;
    direction = SQL_FETCH_NEXT;
  }
}

std::optional<std::string> SqliteDriverLibrary() {
  namespace fs = std::filesystem;
  std::vector<fs::path> candidates = {"/usr/lib/odbc/libsqlite3odbc.so",
                                      "/usr/lib64/libsqlite3odbc.so",
                                      "/usr/local/lib/libsqlite3odbc.so"};
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator("/usr/lib", ec))
    candidates.insert(candidates.begin(), e.path() / "odbc" / "libsqlite3odbc.so");
  for (const fs::path& p : candidates)
    if (fs::exists(p, ec)) return p.string();
  return std::nullopt;
}

std::optional<std::string> ConnectionStringFor(SQLHENV env, std::string_view path,
                                               std::string* error) {
  auto fail = [&](std::string why) -> std::optional<std::string> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  for (unsigned char c : path)
    if (c < 32 || c == ';' || c == '{' || c == '}')
      return fail("the SQLite file name \"" + std::string(path) +
                  "\" holds a character that a connection string cannot carry");
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(std::string(path), ec);
  if (ec) absolute = std::string(path);
  std::string driver;
  if (DriverRegistered(env, "SQLite3")) {
    driver = "{SQLite3}";
  } else if (std::optional<std::string> lib = SqliteDriverLibrary()) {
    driver = *lib;
  } else {
    return fail("the SQLite3 ODBC driver is not installed (Debian package libsqliteodbc)");
  }
  return "DRIVER=" + driver + ";Database=" + absolute.string() + ";";
}

// One statement handle, freed on scope exit.
class Statement {
 public:
  explicit Statement(SQLHDBC dbc) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt_))) stmt_ = SQL_NULL_HSTMT;
  }
  ~Statement() {
    if (stmt_ != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  SQLHSTMT get() const { return stmt_; }
  bool ok() const { return stmt_ != SQL_NULL_HSTMT; }

 private:
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

// Some drivers (the PostgreSQL Unicode driver) turn UTF-16 values into text
// through the C library's multibyte conversion, which in the "C" locale
// knows ASCII only. The insert therefore runs with a UTF-8 character type
// for this thread; nothing else of the program's locale changes.
class Utf8CharacterType {
 public:
  Utf8CharacterType() {
    utf8_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (utf8_) old_ = uselocale(utf8_);
  }
  ~Utf8CharacterType() {
    if (utf8_) {
      uselocale(old_);
      freelocale(utf8_);
    }
  }
  Utf8CharacterType(const Utf8CharacterType&) = delete;
  Utf8CharacterType& operator=(const Utf8CharacterType&) = delete;

 private:
  locale_t utf8_ = nullptr;
  locale_t old_ = nullptr;
};

SQLRETURN Execute(SQLHSTMT stmt) {
  Utf8CharacterType utf8;
  return SQLExecute(stmt);
}

// Reads column `n` of the current row as text ("" when NULL).
std::string ColumnText(SQLHSTMT stmt, SQLUSMALLINT n) {
  std::array<char, 512> buf{};
  SQLLEN ind = 0;
  SQLRETURN r = SQLGetData(stmt, n, SQL_C_CHAR, buf.data(), static_cast<SQLLEN>(buf.size()), &ind);
  if (!SQL_SUCCEEDED(r) || ind == SQL_NULL_DATA) return {};
  return buf.data();
}

struct OdbcColumn {
  std::string name;  // as the export names it (after renaming duplicates)
  std::string sql;   // as written in SQL
  int length = 0;    // values are cut to this many characters
};

class OdbcWriter : public OutputWriter {
 public:
  ~OdbcWriter() override { Disconnect(false); }
  WriterStatus Open(std::string_view target, std::span<const WriterColumn> columns,
                    const WriterOptions& options) override;
  WriterStatus WriteRow(std::span<const std::string> values,
                        std::span<const ValueMark> marks) override;
  WriterStatus Close() override;

 private:
  // Failures record the reason only: the connection is closed by the caller
  // (Open, WriteRow, Close) once every statement of the step is gone.
  WriterStatus OdbcFailed(std::string_view action, SQLSMALLINT type, SQLHANDLE handle) {
    return Failed("ODBC error while " + std::string(action) + ": " + Diagnostics(type, handle));
  }
  WriterStatus OpenConnected(const OdbcDestination& dest, std::span<const WriterColumn> columns,
                             const WriterOptions& options);
  // The SQL form of a name for a new table: bare or quoted; nullopt when
  // neither is safe.
  std::optional<std::string> SqlName(std::string_view name) const;
  std::optional<std::string> Quoted(std::string_view name) const;
  bool FindTable(std::string& listed, std::string& why);
  WriterStatus UseExistingColumns(const std::string& listed);
  WriterStatus CreateTable();
  WriterStatus ReadHighestRecid(std::uint64_t& highest);
  WriterStatus PrepareInsert();
  WriterStatus BindValues();
  void PutValue(std::size_t i, std::string_view value);
  void Disconnect(bool commit);

  Env env_;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
  std::unique_ptr<Statement> insert_;
  std::string quote_;
  std::string table_sql_;
  std::vector<OdbcColumn> columns_;  // [0] is SQLRECID
  std::size_t input_columns_ = 0;
  // One buffer per parameter: UTF-16 units, or UTF-8 bytes for drivers that
  // take no UTF-16 parameters.
  bool wide_ = true;
  std::vector<std::vector<unsigned char>> buffers_;
  std::vector<SQLLEN> lengths_;
  std::uint64_t next_recid_ = 1;
  bool open_ = false;
};

std::optional<std::string> OdbcWriter::Quoted(std::string_view name) const {
  if (quote_.empty() || name.empty() || name.size() > kMaxSqlIdentifier) return std::nullopt;
  for (unsigned char c : name)
    if (c < 32 || c >= 127) return std::nullopt;
  if (name.find(quote_) != std::string_view::npos) return std::nullopt;
  return quote_ + std::string(name) + quote_;
}

std::optional<std::string> OdbcWriter::SqlName(std::string_view name) const {
  if (IsSqlIdentifier(name) && !IsReservedWord(name)) return std::string(name);
  return Quoted(name);
}

bool OdbcWriter::FindTable(std::string& listed, std::string& why) {
  Statement st(dbc_);
  if (!st.ok()) {
    why = Diagnostics(SQL_HANDLE_DBC, dbc_);
    return false;
  }
  SQLCHAR type[] = "TABLE";
  SQLRETURN r = SQLTables(st.get(), nullptr, 0, nullptr, 0, nullptr, 0, type, SQL_NTS);
  if (!SQL_SUCCEEDED(r)) {
    why = Diagnostics(SQL_HANDLE_STMT, st.get());
    return false;
  }
  std::string found;
  while (SQL_SUCCEEDED(r = SQLFetch(st.get()))) {
    std::string name = ColumnText(st.get(), 3);
    if (found.empty() && EqualsNoCase(name, target_)) found = name;
  }
  if (r != SQL_NO_DATA) {
    why = Diagnostics(SQL_HANDLE_STMT, st.get());
    return false;
  }
  listed = found;
  return true;
}

WriterStatus OdbcWriter::UseExistingColumns(const std::string& listed) {
  Statement st(dbc_);
  if (!st.ok()) return OdbcFailed("reading the columns of " + listed, SQL_HANDLE_DBC, dbc_);
  std::string name = listed;
  SQLRETURN r = SQLColumns(st.get(), nullptr, 0, nullptr, 0,
                           reinterpret_cast<SQLCHAR*>(name.data()), SQL_NTS, nullptr, 0);
  if (!SQL_SUCCEEDED(r))
    return OdbcFailed("reading the columns of " + listed, SQL_HANDLE_STMT, st.get());
  struct Existing {
    std::string name;
    long size;
  };
  std::vector<Existing> existing;
  while (SQL_SUCCEEDED(r = SQLFetch(st.get()))) {
    // The table name is a search pattern ("_" matches any character): keep
    // the columns of this very table only.
    if (ColumnText(st.get(), 3) != listed) continue;
    SQLINTEGER size = 0;
    SQLLEN ind = 0;
    SQLGetData(st.get(), 7, SQL_C_SLONG, &size, 0, &ind);
    existing.push_back({ColumnText(st.get(), 4), ind == SQL_NULL_DATA ? 0L : long{size}});
  }
  if (r != SQL_NO_DATA)
    return OdbcFailed("reading the columns of " + listed, SQL_HANDLE_STMT, st.get());
  table_sql_ = Quoted(listed).value_or(listed);
  for (OdbcColumn& c : columns_) {
    auto it = std::find_if(existing.begin(), existing.end(),
                           [&](const Existing& e) { return EqualsNoCase(e.name, c.name); });
    if (it == existing.end())
      return Failed("table " + listed + " has no column \"" + c.name +
                    "\"; nothing was added to it");
    std::optional<std::string> sql = Quoted(it->name);
    if (!sql) sql = SqlName(it->name);
    if (!sql)
      return Failed("column \"" + it->name + "\" of table " + listed +
                    " cannot be named safely in SQL; nothing was added");
    c.sql = *sql;
    if (it->size > 0 && it->size < 1 << 20) c.length = static_cast<int>(it->size);
  }
  return WriterStatus::Ok();
}

WriterStatus OdbcWriter::CreateTable() {
  std::optional<std::string> table = SqlName(target_);
  if (!table) return Failed("\"" + target_ + "\" cannot be used as a table name");
  table_sql_ = *table;
  std::string sql = "CREATE TABLE " + table_sql_ + " (";
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    OdbcColumn& c = columns_[i];
    std::optional<std::string> name = SqlName(c.name);
    if (!name)
      return Failed("\"" + c.name + "\" cannot be used as a column name; table " + target_ +
                    " was not created");
    if (*name != c.name)
      notices_.push_back("column \"" + c.name + "\" is written as " + *name + " in SQL");
    c.sql = *name;
    if (i > 0) sql += ", ";
    sql += c.sql + " CHAR(" + std::to_string(c.length) + ")";
    if (i == 0) sql += " NOT NULL PRIMARY KEY";
  }
  sql += ")";
  Statement st(dbc_);
  if (!st.ok()) return OdbcFailed("creating table " + target_, SQL_HANDLE_DBC, dbc_);
  if (!SQL_SUCCEEDED(SQLExecDirect(st.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)))
    return OdbcFailed("creating table " + target_, SQL_HANDLE_STMT, st.get());
  return WriterStatus::Ok();
}

WriterStatus OdbcWriter::ReadHighestRecid(std::uint64_t& highest) {
  highest = 0;
  Statement st(dbc_);
  if (!st.ok()) return OdbcFailed("reading the RECIDs of " + target_, SQL_HANDLE_DBC, dbc_);
  std::string sql = "SELECT " + columns_[0].sql + " FROM " + table_sql_;
  SQLRETURN r = SQLExecDirect(st.get(), reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
  if (!SQL_SUCCEEDED(r))
    return OdbcFailed("reading the RECIDs of " + target_, SQL_HANDLE_STMT, st.get());
  while (SQL_SUCCEEDED(r = SQLFetch(st.get()))) {
    if (std::optional<std::uint64_t> n = RecidNumber(ColumnText(st.get(), 1)))
      highest = std::max(highest, *n);
  }
  if (r != SQL_NO_DATA)
    return OdbcFailed("reading the RECIDs of " + target_, SQL_HANDLE_STMT, st.get());
  return WriterStatus::Ok();
}

WriterStatus OdbcWriter::PrepareInsert() {
  std::string sql = "INSERT INTO " + table_sql_ + " (";
  std::string markers;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (i > 0) {
      sql += ", ";
      markers += ", ";
    }
    sql += columns_[i].sql;
    markers += "?";
  }
  sql += ") VALUES (" + markers + ")";
  insert_ = std::make_unique<Statement>(dbc_);
  if (!insert_->ok()) return OdbcFailed("preparing the insert", SQL_HANDLE_DBC, dbc_);
  SQLHSTMT st = insert_->get();
  if (!SQL_SUCCEEDED(SQLPrepare(st, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS)))
    return OdbcFailed("preparing the insert", SQL_HANDLE_STMT, st);
  return BindValues();
}

WriterStatus OdbcWriter::BindValues() {
  SQLHSTMT st = insert_->get();
  SQLFreeStmt(st, SQL_RESET_PARAMS);
  buffers_.assign(columns_.size(), {});
  lengths_.assign(columns_.size(), 0);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const int length = std::max(columns_[i].length, 1);
    // Room for the characters and a terminator: 2 bytes each in UTF-16, up
    // to 3 in UTF-8 (windows-1252 has nothing beyond the 16-bit range).
    buffers_[i].assign((static_cast<std::size_t>(length) + 1) * (wide_ ? 2 : 3), 0);
    SQLRETURN r = SQLBindParameter(
        st, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, wide_ ? SQL_C_WCHAR : SQL_C_CHAR,
        wide_ ? SQL_WVARCHAR : SQL_VARCHAR, static_cast<SQLULEN>(length), 0, buffers_[i].data(),
        static_cast<SQLLEN>(buffers_[i].size()), &lengths_[i]);
    if (!SQL_SUCCEEDED(r)) return OdbcFailed("binding the insert's values", SQL_HANDLE_STMT, st);
  }
  return WriterStatus::Ok();
}

void OdbcWriter::PutValue(std::size_t i, std::string_view value) {
  std::vector<unsigned char>& buf = buffers_[i];
  const std::size_t chars =
      std::min(value.size(), static_cast<std::size_t>(std::max(columns_[i].length, 1)));
  std::size_t at = 0;
  for (std::size_t k = 0; k < chars; ++k) {
    const char32_t cp = Cp1252CodePoint(static_cast<unsigned char>(value[k]));
    if (wide_) {
      const SQLWCHAR unit = static_cast<SQLWCHAR>(cp);
      std::memcpy(buf.data() + at, &unit, sizeof unit);
      at += sizeof unit;
    } else if (cp < 0x80) {
      buf[at++] = static_cast<unsigned char>(cp);
    } else if (cp < 0x800) {
      buf[at++] = static_cast<unsigned char>(0xC0 | (cp >> 6));
      buf[at++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    } else {
      buf[at++] = static_cast<unsigned char>(0xE0 | (cp >> 12));
      buf[at++] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      buf[at++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    }
  }
  buf[at] = 0;
  if (wide_) buf[at + 1] = 0;
  lengths_[i] = static_cast<SQLLEN>(at);
}

void OdbcWriter::Disconnect(bool commit) {
  insert_.reset();
  if (dbc_ == SQL_NULL_HDBC) return;
  if (connected_) {
    if (!commit) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
    SQLDisconnect(dbc_);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  dbc_ = SQL_NULL_HDBC;
  connected_ = false;
  open_ = false;
}

WriterStatus OdbcWriter::Open(std::string_view target, std::span<const WriterColumn> columns,
                              const WriterOptions& options) {
  if (open_ || failed()) return Failed("the ODBC writer is already in use");
  std::string why;
  std::optional<OdbcDestination> dest = ParseOdbcDestination(target, &why);
  if (!dest) return Failed(why);
  target_ = dest->table;
  if (!env_.ok()) return Failed("the ODBC driver manager could not be started");
  WriterStatus s = OpenConnected(*dest, columns, options);
  if (!s) Disconnect(false);
  return s;
}

WriterStatus OdbcWriter::OpenConnected(const OdbcDestination& dest,
                                       std::span<const WriterColumn> columns,
                                       const WriterOptions& options) {
  std::string why;
  // The columns: SQLRECID, then the export's, a repeated name made unique.
  input_columns_ = columns.size();
  const std::size_t n = options.column_limit > 0 && options.column_limit < columns.size()
                            ? options.column_limit
                            : columns.size();
  columns_.clear();
  columns_.push_back({std::string(kRecidColumn), "", kRecidWidth});
  std::set<std::string> seen = {std::string(kRecidColumn)};
  for (std::size_t i = 0; i < n; ++i) {
    std::string name = columns[i].name;
    if (seen.count(ToUpper(name))) {
      std::string unique;
      for (int k = 2;; ++k) {
        unique = name + "_" + std::to_string(k);
        if (!seen.count(ToUpper(unique))) break;
      }
      notices_.push_back("column \"" + name + "\" appears more than once; this one is named " +
                         unique);
      name = unique;
    }
    seen.insert(ToUpper(name));
    if (columns[i].width < 1) return Failed("column \"" + name + "\" has no width");
    columns_.push_back({name, "", columns[i].width});
  }

  // Connect.
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_.get(), &dbc_))) {
    dbc_ = SQL_NULL_HDBC;
    return Failed("ODBC error while connecting: " + Diagnostics(SQL_HANDLE_ENV, env_.get()));
  }
  SQLRETURN r;
  if (dest.sqlite_file) {
    std::optional<std::string> conn = ConnectionStringFor(env_.get(), dest.source, &why);
    if (!conn) return Failed(why);
    std::array<SQLCHAR, 1024> out{};
    SQLSMALLINT out_len = 0;
    r = SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(conn->data()), SQL_NTS,
                         out.data(), static_cast<SQLSMALLINT>(out.size()), &out_len,
                         SQL_DRIVER_NOPROMPT);
  } else {
    std::string dsn = dest.source;
    r = SQLConnect(dbc_, reinterpret_cast<SQLCHAR*>(dsn.data()), SQL_NTS, nullptr, 0, nullptr, 0);
  }
  if (!SQL_SUCCEEDED(r)) return OdbcFailed("connecting to " + dest.source, SQL_HANDLE_DBC, dbc_);
  connected_ = true;

  std::array<SQLCHAR, 8> quote{};
  SQLSMALLINT quote_len = 0;
  if (SQL_SUCCEEDED(SQLGetInfo(dbc_, SQL_IDENTIFIER_QUOTE_CHAR, quote.data(),
                               static_cast<SQLSMALLINT>(quote.size()), &quote_len)))
    quote_ = std::string(TrimBlanks(Text(quote.data())));

  // The table: found by its name without regard to case, or created.
  std::string listed;
  if (!FindTable(listed, why)) return Failed("ODBC error while listing the tables: " + why);
  WriterStatus s = listed.empty() ? CreateTable() : UseExistingColumns(listed);
  if (!s) return s;
  if (!listed.empty()) target_ = listed;

  std::uint64_t highest = 0;
  if (!(s = ReadHighestRecid(highest))) return s;
  next_recid_ = highest + 1;

  if (!SQL_SUCCEEDED(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                       reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
    return OdbcFailed("starting a transaction", SQL_HANDLE_DBC, dbc_);
  if (!(s = PrepareInsert())) return s;
  open_ = true;
  return WriterStatus::Ok();
}

WriterStatus OdbcWriter::WriteRow(std::span<const std::string> values, std::span<const ValueMark>) {
  if (failed()) return Failure();
  if (!open_) return Failed("the ODBC table is not open");
  if (values.size() != input_columns_) {
    Disconnect(false);
    return Failed(WrongRowSize(values.size(), input_columns_));
  }
  PutValue(0, RecidText(next_recid_));
  for (std::size_t i = 1; i < columns_.size(); ++i) PutValue(i, values[i - 1]);
  SQLRETURN r = Execute(insert_->get());
  if (!SQL_SUCCEEDED(r) && wide_ && rows_ == 0 &&
      Diagnostics(SQL_HANDLE_STMT, insert_->get()).rfind("[HYC00]", 0) == 0) {
    // The driver takes no UTF-16 parameters (the driver refuses before
    // sending anything): hand it UTF-8 text instead.
    wide_ = false;
    notices_.push_back("the ODBC driver takes no UTF-16 values; values are sent as UTF-8");
    if (WriterStatus s = BindValues(); !s) {
      Disconnect(false);
      return s;
    }
    PutValue(0, RecidText(next_recid_));
    for (std::size_t i = 1; i < columns_.size(); ++i) PutValue(i, values[i - 1]);
    r = Execute(insert_->get());
  }
  if (!SQL_SUCCEEDED(r)) {
    WriterStatus s = OdbcFailed("adding row " + std::to_string(rows_ + 1) + " to " + target_ +
                                    " (nothing of this export was kept)",
                                SQL_HANDLE_STMT, insert_->get());
    Disconnect(false);
    return s;
  }
  ++next_recid_;
  ++rows_;
  return WriterStatus::Ok();
}

WriterStatus OdbcWriter::Close() {
  if (failed()) return Failure();
  if (!open_) return Failed("the ODBC table is not open");
  insert_.reset();
  if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT))) {
    WriterStatus s = OdbcFailed("committing the rows to " + target_, SQL_HANDLE_DBC, dbc_);
    Disconnect(false);
    return s;
  }
  Disconnect(true);
  return WriterStatus::Ok();
}

}  // namespace

std::vector<OdbcDataSource> ListOdbcDataSources(std::string* error) {
  std::vector<OdbcDataSource> out;
  Env env;
  if (!env.ok()) {
    if (error) *error = "the ODBC driver manager could not be started";
    return out;
  }
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    std::array<SQLCHAR, SQL_MAX_DSN_LENGTH + 1> name{};
    std::array<SQLCHAR, 512> desc{};
    SQLSMALLINT name_len = 0, desc_len = 0;
    SQLRETURN r =
        SQLDataSources(env.get(), direction, name.data(), static_cast<SQLSMALLINT>(name.size()),
                       &name_len, desc.data(), static_cast<SQLSMALLINT>(desc.size()), &desc_len);
    if (r == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(r)) {
      if (error) *error = Diagnostics(SQL_HANDLE_ENV, env.get());
      break;
    }
    out.push_back({Text(name.data()), Text(desc.data())});
    direction = SQL_FETCH_NEXT;
  }
  return out;
}

std::optional<std::string> SqliteConnectionString(std::string_view path, std::string* error) {
  Env env;
  if (!env.ok()) {
    if (error) *error = "the ODBC driver manager could not be started";
    return std::nullopt;
  }
  return ConnectionStringFor(env.get(), path, error);
}

std::unique_ptr<OutputWriter> MakeOdbcWriter() { return std::make_unique<OdbcWriter>(); }
bool OdbcWriterAvailable() { return true; }

}  // namespace ardentix
