#include "export/odbc_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <cstdlib>
#include <optional>
#include <regex>

#include "common/text.h"
#include "export/writer_test_support.h"
#include "export/writers.h"

namespace ardentix {
namespace {

using testing::Columns;
using testing::Export;
using ::testing::HasSubstr;
using testing::Rows;
using testing::TempDir;

TEST(OdbcDestination, SplitsAtTheFirstColonAndDropsDotsFromTheTable) {
  struct Case {
    std::string target;
    bool ok;
    std::string source, table;
    bool sqlite;
  };
  const std::vector<Case> cases = {
      {"CLAIMSDB:CLAIMS", true, "CLAIMSDB", "CLAIMS", false},
      {"CLAIMSDB:CLAIMS.", true, "CLAIMSDB", "CLAIMS", false},  // DESTINATIONFILE + "." + ""
      {"CLAIMSDB:dbo.claims:x", true, "CLAIMSDB", "dboclaims:x", false},
      {"/data/out.db:CLAIMS", true, "/data/out.db", "CLAIMS", true},
      {"/data/Out.SQLite3:CLAIMS", true, "/data/Out.SQLite3", "CLAIMS", true},
      {"/data/out.sqlite:T", true, "/data/out.sqlite", "T", true},
      {"/data/out.dbf:T", true, "/data/out.dbf", "T", false},
      {"NOCOLON", false, "", "", false},
      {":CLAIMS", false, "", "", false},
      {"DSN:", false, "", "", false},
      {"DSN:...", false, "", "", false},
  };
  for (const Case& c : cases) {
    std::string why;
    std::optional<OdbcDestination> d = ParseOdbcDestination(c.target, &why);
    ASSERT_EQ(d.has_value(), c.ok) << c.target << ": " << why;
    if (!d) {
      EXPECT_FALSE(why.empty()) << c.target;
      continue;
    }
    EXPECT_EQ(d->source, c.source) << c.target;
    EXPECT_EQ(d->table, c.table) << c.target;
    EXPECT_EQ(d->sqlite_file, c.sqlite) << c.target;
  }
}

TEST(OdbcNames, IdentifiersAndRecids) {
  EXPECT_TRUE(IsSqlIdentifier("SUBFNAME"));
  EXPECT_TRUE(IsSqlIdentifier("_x9"));
  EXPECT_TRUE(IsSqlIdentifier(std::string(63, 'A')));
  EXPECT_FALSE(IsSqlIdentifier(std::string(64, 'A')));
  EXPECT_FALSE(IsSqlIdentifier(""));
  EXPECT_FALSE(IsSqlIdentifier("1ST"));
  EXPECT_FALSE(IsSqlIdentifier("A;DROP TABLE CLAIMS"));
  EXPECT_FALSE(IsSqlIdentifier("A\"B"));

  EXPECT_EQ(RecidText(1), "RECID000001");
  EXPECT_EQ(RecidText(1000000), "RECID1000000");
  EXPECT_EQ(RecidNumber("RECID000042   "), 42u);
  EXPECT_EQ(RecidNumber("recid7"), 7u);
  EXPECT_EQ(RecidNumber("RECID"), std::nullopt);
  EXPECT_EQ(RecidNumber("RECID12X"), std::nullopt);
  EXPECT_EQ(RecidNumber("ID000001"), std::nullopt);
}

// ---- a small ODBC client for checking what the writer left ------------------

std::string Utf8(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

class Client {
 public:
  // `dsn` names a data source, or holds a whole connection string.
  explicit Client(const std::string& connect, bool connection_string) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    std::string c = connect;
    SQLRETURN r;
    if (connection_string) {
      r = SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(c.data()), SQL_NTS, nullptr, 0,
                           nullptr, SQL_DRIVER_NOPROMPT);
    } else {
      r = SQLConnect(dbc_, reinterpret_cast<SQLCHAR*>(c.data()), SQL_NTS, nullptr, 0, nullptr, 0);
    }
    ok_ = SQL_SUCCEEDED(r);
  }
  ~Client() {
    if (ok_) SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  bool ok() const { return ok_; }

  bool Exec(const std::string& sql) {
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
    std::string s = sql;
    bool ok = SQL_SUCCEEDED(SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(s.data()), SQL_NTS));
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return ok;
  }

  // Rows of UTF-8 texts, trailing blanks removed; nullopt when the query fails.
  std::optional<std::vector<std::vector<std::string>>> Query(const std::string& sql) {
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
    std::string s = sql;
    if (!SQL_SUCCEEDED(SQLExecDirect(st, reinterpret_cast<SQLCHAR*>(s.data()), SQL_NTS))) {
      SQLFreeHandle(SQL_HANDLE_STMT, st);
      return std::nullopt;
    }
    SQLSMALLINT cols = 0;
    SQLNumResultCols(st, &cols);
    std::vector<std::vector<std::string>> rows;
    while (SQL_SUCCEEDED(SQLFetch(st))) {
      std::vector<std::string> row;
      for (SQLSMALLINT i = 1; i <= cols; ++i) {
        std::array<SQLWCHAR, 512> buf{};
        SQLLEN ind = 0;
        std::string text;
        if (SQL_SUCCEEDED(SQLGetData(st, static_cast<SQLUSMALLINT>(i), SQL_C_WCHAR, buf.data(),
                                     sizeof(buf), &ind))) {
          std::u16string wide;
          if (ind != SQL_NULL_DATA)
            for (std::size_t k = 0; buf[k] != 0; ++k) wide.push_back(buf[k]);
          text = Utf8(wide);
        } else {
          // A driver without UTF-16 (PostgreSQL ANSI) gives the database's UTF-8.
          std::array<char, 1024> narrow{};
          SQLGetData(st, static_cast<SQLUSMALLINT>(i), SQL_C_CHAR, narrow.data(), narrow.size(),
                     &ind);
          if (ind != SQL_NULL_DATA) text = narrow.data();
        }
        row.push_back(std::string(TrimRightBlanks(text)));
      }
      rows.push_back(row);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return rows;
  }

  // Column name (upper-cased) and size of a table, in order.
  std::vector<std::pair<std::string, int>> ColumnsOf(const std::string& table) {
    std::vector<std::pair<std::string, int>> out;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
    std::string t = table;
    SQLColumns(st, nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(t.data()), SQL_NTS, nullptr,
               0);
    while (SQL_SUCCEEDED(SQLFetch(st))) {
      std::array<char, 256> table_name{}, name{};
      SQLINTEGER size = 0;
      SQLLEN ind = 0;
      SQLGetData(st, 3, SQL_C_CHAR, table_name.data(), table_name.size(), &ind);
      SQLGetData(st, 4, SQL_C_CHAR, name.data(), name.size(), &ind);
      SQLGetData(st, 7, SQL_C_SLONG, &size, 0, &ind);
      if (!EqualsNoCase(table_name.data(), table)) continue;
      out.emplace_back(ToUpper(name.data()), static_cast<int>(size));
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return out;
  }

  // Table names of the database, as listed.
  std::vector<std::string> Tables() {
    std::vector<std::string> out;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
    SQLCHAR type[] = "TABLE";
    SQLTables(st, nullptr, 0, nullptr, 0, nullptr, 0, type, SQL_NTS);
    while (SQL_SUCCEEDED(SQLFetch(st))) {
      std::array<char, 256> name{};
      SQLLEN ind = 0;
      SQLGetData(st, 3, SQL_C_CHAR, name.data(), name.size(), &ind);
      out.push_back(name.data());
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return out;
  }

  std::size_t Count(const std::string& table_sql) {
    auto rows = Query("SELECT COUNT(*) FROM " + table_sql);
    return rows && !rows->empty() ? std::stoul((*rows)[0][0]) : 0;
  }

 private:
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool ok_ = false;
};

// ---- the same checks against SQLite (always) and PostgreSQL (when given) --------

enum class Backend { kSqlite, kPostgres };

class OdbcExport : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == Backend::kSqlite) {
      db_ = dir_ / "exports.db";
      std::string why;
      std::optional<std::string> conn = SqliteConnectionString(db_, &why);
      if (!conn) GTEST_SKIP() << "SQLite3 ODBC driver not available: " << why;
      client_ = std::make_unique<Client>(*conn, true);
      source_ = db_;
    } else {
      const char* dsn = std::getenv("ARDENTIX_PG_DSN");
      if (!dsn || !*dsn)
        GTEST_SKIP() << "no PostgreSQL server given: set ARDENTIX_PG_DSN to a data source of the "
                        "odbc.ini named by ODBCINI (tests/pg/start.sh prints both)";
      source_ = dsn;
      client_ = std::make_unique<Client>(source_, false);
    }
    ASSERT_TRUE(client_->ok()) << "cannot connect to " << source_;
  }

  // A table name of this test, dropped first so runs start clean.
  std::string Table(const std::string& suffix) {
    std::string name =
        "WT_" +
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()).substr(0, 20) +
        "_" + suffix;
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    Drop(name);
    return name;
  }
  void Drop(const std::string& name) {
    for (const std::string& t : client_->Tables())
      if (EqualsNoCase(t, name)) client_->Exec("DROP TABLE \"" + t + "\"");
  }
  std::string Target(const std::string& table) { return source_ + ":" + table; }
  // The table as listed (PostgreSQL folds unquoted names to lower case).
  std::string Listed(const std::string& table) {
    for (const std::string& t : client_->Tables())
      if (EqualsNoCase(t, table)) return t;
    return {};
  }
  std::string Sql(const std::string& table) { return "\"" + Listed(table) + "\""; }

  TempDir dir_;
  std::string db_;
  std::string source_;
  std::unique_ptr<Client> client_;
};

TEST_P(OdbcExport, CreatesTheTableWithItsColumnsAndStoresValuesAsGiven) {
  const std::string table = Table("A");
  auto w = MakeOutputWriter("D");
  const auto columns = Columns({{"SUBLNAME", 35}, {"SUBFNAME", 10}, {"CLAIMID", 20}});
  const Rows rows = {
      {"SMITH'S; DROP TABLE X", "ABCDEFGHIJKLMNOP", "C1"},  // quote kept, value cut to 10
      {"JOS\xC9", "\x80UR", ""},                            // windows-1252 bytes
  };
  WriterStatus s = Export(*w, Target(table), columns, rows, {});
  ASSERT_TRUE(s) << s.reason;
  EXPECT_EQ(w->rows_written(), 2u);

  using Col = std::pair<std::string, int>;
  EXPECT_EQ(
      client_->ColumnsOf(Listed(table)),
      (std::vector<Col>{{"SQLRECID", 16}, {"SUBLNAME", 35}, {"SUBFNAME", 10}, {"CLAIMID", 20}}));
  auto got = client_->Query("SELECT SQLRECID, SUBLNAME, SUBFNAME, CLAIMID FROM " + Sql(table) +
                            " ORDER BY SQLRECID");
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, (std::vector<std::vector<std::string>>{
                      {"RECID000001", "SMITH'S; DROP TABLE X", "ABCDEFGHIJ", "C1"},
                      {"RECID000002", "JOS\xC3\x89",
                       "\xE2\x82\xAC"
                       "UR",
                       ""}}));
}

TEST_P(OdbcExport, ASecondExportFindsTheTableInAnyCaseAndContinuesTheRecids) {
  const std::string table = Table("B");
  const auto columns = Columns({{"SUBLNAME", 35}});
  ASSERT_TRUE(Export(*MakeOutputWriter("D"), Target(table), columns, {{"ONE"}, {"TWO"}}, {}));
  auto w = MakeOutputWriter("D");
  WriterStatus s = Export(*w, Target(ToLower(table)), columns, {{"THREE"}}, {});
  ASSERT_TRUE(s) << s.reason;
  EXPECT_TRUE(EqualsNoCase(w->target(), table));

  int listed = 0;
  for (const std::string& t : client_->Tables()) listed += EqualsNoCase(t, table);
  EXPECT_EQ(listed, 1);
  auto got = client_->Query("SELECT SQLRECID, SUBLNAME FROM " + Sql(table) + " ORDER BY SUBLNAME");
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, (std::vector<std::vector<std::string>>{
                      {"RECID000001", "ONE"}, {"RECID000003", "THREE"}, {"RECID000002", "TWO"}}));

  // The highest number counts, not the highest text ("RECID999999" sorts last).
  ASSERT_TRUE(client_->Exec("INSERT INTO " + Sql(table) +
                            " (SQLRECID, SUBLNAME) VALUES ('RECID999999', 'X')"));
  ASSERT_TRUE(client_->Exec("INSERT INTO " + Sql(table) +
                            " (SQLRECID, SUBLNAME) VALUES ('RECID1000000', 'Y')"));
  s = Export(*MakeOutputWriter("D"), Target(table), columns, {{"Z"}}, {});
  ASSERT_TRUE(s) << s.reason;
  got = client_->Query("SELECT SQLRECID FROM " + Sql(table) + " WHERE SUBLNAME = 'Z'");
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, (std::vector<std::vector<std::string>>{{"RECID1000001"}}));
}

TEST_P(OdbcExport, NamesThatAreNotIdentifiersCannotReachTheDatabaseAsCommands) {
  const std::string claims = Table("C");
  const std::string evil = "A;DROP TABLE " + claims;
  ASSERT_TRUE(Export(*MakeOutputWriter("D"), Target(claims), Columns({{"SUBLNAME", 35}}),
                     {{"KEEP ME"}}, {}));

  // Into the existing table: the column is not there, nothing is added.
  auto w = MakeOutputWriter("D");
  WriterStatus s = Export(*w, Target(claims), Columns({{"SUBLNAME", 35}, {evil.c_str(), 10}}),
                          {{"NEW", "X"}}, {});
  EXPECT_FALSE(s);
  EXPECT_THAT(s.reason, HasSubstr("no column \"" + evil + "\""));
  EXPECT_EQ(w->failures(), 1u);
  EXPECT_EQ(client_->Count(Sql(claims)), 1u);

  // Into a new table: the name is quoted and becomes just a column name.
  const std::string other = Table("D");
  w = MakeOutputWriter("D");
  s = Export(*w, Target(other), Columns({{"SUBLNAME", 35}, {evil.c_str(), 10}}), {{"NEW", "X"}},
             {});
  ASSERT_TRUE(s) << s.reason;
  EXPECT_FALSE(w->notices().empty());
  const auto cols = client_->ColumnsOf(Listed(other));
  ASSERT_EQ(cols.size(), 3u);
  EXPECT_EQ(cols[2], std::make_pair(ToUpper(evil), 10));

  // A table name of the same kind is quoted too.
  const std::string evil_table = "X;DROP TABLE " + claims;
  Drop(evil_table);
  s = Export(*MakeOutputWriter("D"), Target(evil_table), Columns({{"SUBLNAME", 35}}), {{"Q"}}, {});
  ASSERT_TRUE(s) << s.reason;
  EXPECT_EQ(client_->Count("\"" + evil_table + "\""), 1u);
  EXPECT_EQ(client_->Count(Sql(claims)), 1u);
  Drop(evil_table);
}

TEST_P(OdbcExport, AnInsertErrorGivesItsSqlstateAndKeepsNothingOfTheExport) {
  const std::string table = Table("E");
  ASSERT_TRUE(client_->Exec("CREATE TABLE " + table +
                            " (SQLRECID CHAR(16) NOT NULL PRIMARY KEY, SUBLNAME CHAR(35) "
                            "CHECK (SUBLNAME <> 'BAD'))"));
  auto w = MakeOutputWriter("D");
  WriterStatus s =
      Export(*w, Target(table), Columns({{"SUBLNAME", 35}}), {{"GOOD"}, {"BAD"}, {"LATER"}}, {});
  ASSERT_FALSE(s);
  EXPECT_TRUE(std::regex_search(s.reason, std::regex(R"(\[[0-9A-Z]{5}\])"))) << s.reason;
  EXPECT_THAT(s.reason, HasSubstr("row 2"));
  EXPECT_EQ(w->failures(), 1u);
  EXPECT_EQ(client_->Count(Sql(table)), 0u);
  // The failed writer stays failed and says why.
  EXPECT_EQ(w->WriteRow(std::vector<std::string>{"MORE"}).reason, s.reason);
}

TEST_P(OdbcExport, AnExistingTableCutsValuesToItsOwnColumnsAndMustHoldEveryColumn) {
  const std::string table = Table("F");
  ASSERT_TRUE(client_->Exec("CREATE TABLE " + table +
                            " (SQLRECID CHAR(16) NOT NULL PRIMARY KEY, SUBLNAME CHAR(4))"));
  WriterStatus s = Export(*MakeOutputWriter("D"), Target(table), Columns({{"SUBLNAME", 35}}),
                          {{"WASHINGTON"}}, {});
  ASSERT_TRUE(s) << s.reason;
  auto got = client_->Query("SELECT SUBLNAME FROM " + Sql(table));
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, (std::vector<std::vector<std::string>>{{"WASH"}}));

  s = Export(*MakeOutputWriter("D"), Target(table), Columns({{"SUBLNAME", 35}, {"SUBFNAME", 35}}),
             {{"A", "B"}}, {});
  EXPECT_FALSE(s);
  EXPECT_THAT(s.reason, HasSubstr("SUBFNAME"));
  EXPECT_EQ(client_->Count(Sql(table)), 1u);
}

TEST_P(OdbcExport, AnUnreachableSourceIsAnErrorWithItsSqlstate) {
  std::string target =
      GetParam() == Backend::kSqlite ? dir_ / "no/such/folder/x.db:T" : "ardentix_no_such_dsn:T";
  auto w = MakeOutputWriter("D");
  WriterStatus s = Export(*w, target, Columns({{"SUBLNAME", 35}}), {{"X"}}, {});
  ASSERT_FALSE(s);
  EXPECT_TRUE(std::regex_search(s.reason, std::regex(R"(\[[0-9A-Z]{5}\])"))) << s.reason;
}

INSTANTIATE_TEST_SUITE_P(Databases, OdbcExport,
                         ::testing::Values(Backend::kSqlite, Backend::kPostgres),
                         [](const auto& info) {
                           return info.param == Backend::kSqlite ? "SQLite" : "PostgreSQL";
                         });

TEST(OdbcDataSources, ListsTheSourcesOfTheOdbcIni) {
  std::string expected;
  TempDir dir;
  if (const char* dsn = std::getenv("ARDENTIX_PG_DSN"); dsn && *dsn && std::getenv("ODBCINI")) {
    expected = dsn;
  } else {
    expected = "ardentix_list_test";
    testing::WriteBytes(dir.path() / "odbc.ini",
                        "[ardentix_list_test]\nDriver=SQLite3\nDatabase=" + (dir / "x.db") + "\n");
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
  }
  std::string why;
  std::vector<OdbcDataSource> sources = ListOdbcDataSources(&why);
  EXPECT_TRUE(why.empty()) << why;
  bool found = false;
  for (const OdbcDataSource& s : sources) found = found || s.name == expected;
  EXPECT_TRUE(found) << "no data source " << expected << " among " << sources.size();
}

}  // namespace
}  // namespace ardentix
