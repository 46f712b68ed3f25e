#include "export/export_837.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/dbf.h"
#include "common/files.h"
#include "common/text.h"
#include "export/map.h"
#include "export/odbc_writer.h"
#include "parse/logs.h"
#include "ui/headless.h"
#include "ui/scripted.h"
#include "ui/ui.h"
#include "x12/dispatch.h"
#include "x12/loader.h"

namespace ardentix {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

fs::path Fixture(const std::string& name) {
  return fs::path(ARDENTIX_SOURCE_DIR) / "tests/data/export" / name;
}

struct CommandResult {
  int status = -1;
  std::string output;
};
CommandResult Shell(const std::string& command) {
  CommandResult r;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}
bool Have(const std::string& program) {
  return Shell("command -v " + program + " >/dev/null").status == 0;
}
std::string Quote(const std::string& s) { return "'" + ReplaceAll(s, "'", "'\\''") + "'"; }

// The number of CLM segments of a fixture: the rows an export must have.
std::size_t ClaimsIn(const std::string& fixture) {
  const x12::X12File f = x12::LoadX12File(Fixture(fixture), false);
  std::size_t n = 0;
  for (std::size_t i = 1; i <= f.list.size(); ++i) n += f.list.IdIs(i, "CLM");
  return n;
}

class Export837Test : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    logs::SetClock([] { return std::time_t{1796985723}; });
    std::string templ = (fs::temp_directory_path() / "ardentix-837-XXXXXX").string();
    dir_ = mkdtemp(templ.data());
    scoped_ = std::make_unique<ui::ScopedUi>(std::make_unique<ui::HeadlessUi>(nullptr));
    SetCurrentMapFile({});
  }
  void TearDown() override {
    scoped_.reset();
    logs::SetClock(nullptr);
    SetCurrentMapFile({});
    fs::remove_all(dir_);
  }
  void Write(const std::string& name, std::string_view bytes) {
    ASSERT_TRUE(WriteWholeFile(dir_ / name, bytes)) << name;
  }
  std::string Read(const std::string& name) const {
    return ReadWholeFile(dir_ / name).value_or("<missing>");
  }

  // An unattended export of a fixture (mode 109) with the working folder
  // as destination; the output is named "out" + extension.
  ExportDialogResult Export(const std::string& fixture, const std::string& type,
                            const std::string& options, const std::string& destination = {}) {
    file_ = std::make_unique<x12::X12File>(x12::LoadX12File(Fixture(fixture), false));
    spec_.parse_type = type;
    spec_.source_file = Fixture(fixture).string();
    spec_.destination_folder = destination.empty() ? dir_.string() : destination;
    spec_.parse_options = options;
    spec_.destination_file = destination.empty() ? "out" : destination;
    const ExportPart part{file_->list, file_->index, "837", x12::DispatchMode::kExport, spec_, 3};
    ExportDialogRequest request;
    request.file_name = spec_.source_file;
    request.dialog_folder = "DLG";
    request.base_folder = "BASE";
    request.working_folder = dir_;
    return ExportDialog(Claims837(), part, request);
  }

  fs::path dir_;
  std::unique_ptr<ui::ScopedUi> scoped_;
  std::unique_ptr<x12::X12File> file_;
  x12::ParseSpec spec_;
};

// ---- rows and values -----------------------------------------------------------

TEST_F(Export837Test, OneRowPerClaimWithTheSubscriberRepeatedAndParseSpecNames) {
  Write("qv837p.csv", "CLAIMID, SUBLNAME, PATFNAME, SOURCEFILE, NOSUCHNAME, X12TYPE, CLAIMAMT\r\n");
  const ExportDialogResult r = Export("837p_two_subscribers.x12", "CSV", "HO");
  ASSERT_TRUE(r.outcome && r.outcome->written()) << (r.outcome ? r.outcome->reason : "");
  EXPECT_EQ(r.units, 2u);
  const std::string src = Fixture("837p_two_subscribers.x12").string();
  EXPECT_EQ(Read("out.csv"),
            "CLAIMID,SUBLNAME,PATFNAME,SOURCEFILE,NOSUCHNAME,X12TYPE,CLAIMAMT\r\n"
            "C1,SMITH & JONES,," +
                src +
                ",,837,100\r\n"
                "C2,SMITH & JONES,," +
                src +
                ",,837,250.5\r\n"
                "C3,ROE,TIM\xC9," +
                src + ",,837,75\r\n");
  EXPECT_THAT(Read("temp.log"), HasSubstr(" File Type = 837 \r\n Claim Count = 2\r\n"));
  EXPECT_TRUE(Read("qvmap.log").starts_with("Maptype = Professional\r\n"));
}

// ---- golden outputs and independent readers ---------------------------------------

struct GoldenCase {
  const char* golden;  // in tests/data/export
  const char* fixture;
  const char* type;
  const char* options;
  const char* ini;        // qv.ini, or empty
  const char* separator;  // separate.dat, or nullptr
};

const GoldenCase kGoldenCases[] = {
    {"837p_ho.csv", "837p_two_subscribers.x12", "CSV", "HO", "", nullptr},
    {"837p.csv", "837p_two_subscribers.x12", "CSV", "", "", nullptr},
    {"837p_separator.csv", "837p_two_subscribers.x12", "CSV", "HO", "", "|\r\n"},
    {"837p.xml", "837p_two_subscribers.x12", "XML", "", "", nullptr},
    {"837p_drop_empty.xml", "837p_two_subscribers.x12", "XML", "", "XML=DROPEMPTYFIELDS\r\n",
     nullptr},
    {"837p_utf8.xml", "837p_two_subscribers.x12", "XML", "", "xmlencoding=UTF-8\r\n", nullptr},
    {"837p.dbf", "837p_two_subscribers.x12", "DBF", "", "", nullptr},
    {"837i_ho.csv", "837i_one_claim.x12", "CSV", "HO", "", nullptr},
    {"837i.xml", "837i_one_claim.x12", "XML", "", "", nullptr},
    {"837i.dbf", "837i_one_claim.x12", "DBF", "", "dbffieldcount=400\r\n", nullptr},
    {"837d_ho.csv", "837d_one_claim.x12", "CSV", "HO", "", nullptr},
    {"837d.xml", "837d_one_claim.x12", "XML", "", "", nullptr},
    {"837d.dbf", "837d_one_claim.x12", "DBF", "", "", nullptr},
};

class Golden837 : public Export837Test, public ::testing::WithParamInterface<GoldenCase> {
 protected:
  // Exports the case and returns the output's path.
  fs::path Produce() {
    const GoldenCase& c = GetParam();
    if (*c.ini) Write("qv.ini", c.ini);
    if (c.separator) Write("separate.dat", c.separator);
    const ExportDialogResult r = Export(c.fixture, c.type, c.options);
    EXPECT_TRUE(r.outcome && r.outcome->written()) << (r.outcome ? r.outcome->reason : "none");
    return dir_ / ("out." + ToLower(c.type));
  }
};

// The date of the last update is today's: it is left out of the comparison.
std::string WithoutDbfDate(std::string bytes) {
  if (bytes.size() > 4) bytes.replace(1, 3, "\0\0\0", 3);
  return bytes;
}

TEST_P(Golden837, WritesTheDocumentedBytes) {
  const GoldenCase& c = GetParam();
  const fs::path out = Produce();
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(out, bytes));
  const fs::path golden = Fixture(c.golden);
  if (std::getenv("ARDENTIX_UPDATE_GOLDENS")) {
    ASSERT_TRUE(
        WriteWholeFile(golden, std::string(c.type) == "DBF" ? WithoutDbfDate(bytes) : bytes));
  }
  std::string expected;
  ASSERT_TRUE(ReadWholeFile(golden, expected)) << golden;
  if (std::string(c.type) == "DBF") {
    EXPECT_EQ(WithoutDbfDate(bytes), WithoutDbfDate(expected));
  } else {
    EXPECT_EQ(bytes, expected);
  }
}

TEST_P(Golden837, IndependentReadersAgree) {
  const GoldenCase& c = GetParam();
  const fs::path out = Produce();
  const std::size_t claims = ClaimsIn(c.fixture);
  const std::string type = c.type;
  if (type == "CSV") {
    // Every claim is a line (after the header line).
    const std::string text = ReadWholeFile(out).value_or("");
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(lines, claims + (std::string(c.options) == "HO" ? 1 : 0));
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    return;
  }
  if (type == "XML") {
    if (!Have("xmllint")) GTEST_SKIP() << "xmllint not installed (libxml2-utils)";
    const CommandResult r = Shell("xmllint --noout " + Quote(out.string()));
    EXPECT_EQ(r.status, 0) << r.output;
    const CommandResult count =
        Shell("xmllint --xpath 'count(/EXPORTDATA/CLAIM)' " + Quote(out.string()));
    EXPECT_EQ(TrimWhitespace(count.output), std::to_string(claims));
    return;
  }
  // dBASE: what our reader sees is what both outside readers see.
  std::string why;
  const std::optional<DbfTable> table = ReadDbfTable(out, &why);
  ASSERT_TRUE(table) << why;
  ASSERT_EQ(table->records.size(), claims);
  std::string ours = std::to_string(table->fields.size()) + "\n";
  for (const DbfField& f : table->fields) ours += f.name + " " + std::to_string(f.length) + "\n";
  ours += std::to_string(table->records.size()) + "\n";
  for (const auto& record : table->records)
    for (const std::string& v : record) ours += std::string(TrimRightBlanks(v)) + "|";
  ours += "\n";

  std::string python;
  for (const char* candidate : {"/usr/bin/python3", "python3"})
    if (python.empty() && Shell(std::string(candidate) + " -c 'import dbfread'").status == 0)
      python = candidate;
  if (python.empty()) {
    std::printf("python3-dbfread not installed: that reader is skipped\n");
  } else {
    const std::string script =
        "import dbfread,sys\n"
        "t=dbfread.DBF(sys.argv[1],encoding='latin-1',raw=True)\n"
        "o=sys.stdout.buffer\n"
        "o.write(b'%d\\n'%len(t.fields))\n"
        "for f in t.fields: o.write(b'%s %d\\n'%(f.name.encode(),f.length))\n"
        "recs=list(t)\n"
        "o.write(b'%d\\n'%len(recs))\n"
        "for r in recs:\n"
        "  for v in r.values(): o.write(v.rstrip(b' ')+b'|')\n"
        "o.write(b'\\n')\n";
    Write("read.py", script);
    const CommandResult r =
        Shell(python + " " + Quote((dir_ / "read.py").string()) + " " + Quote(out.string()));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, ours);
  }
  if (!Have("ogrinfo")) GTEST_SKIP() << "ogrinfo not installed (gdal-bin)";
  const CommandResult r = Shell("ogrinfo -ro -al -so " + Quote(out.string()));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_THAT(r.output, HasSubstr("Feature Count: " + std::to_string(claims) + "\n"));
  for (const DbfField& f : table->fields) {
    EXPECT_THAT(r.output, HasSubstr(f.name + ": String (" + std::to_string(f.length) + ".0)"));
  }
}

INSTANTIATE_TEST_SUITE_P(Exports, Golden837, ::testing::ValuesIn(kGoldenCases),
                         [](const auto& info) {
                           std::string name = info.param.golden;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

// ---- ODBC against real databases -------------------------------------------------

enum class Database { kSqlite, kPostgres };

class Odbc837 : public Export837Test, public ::testing::WithParamInterface<Database> {
 protected:
  void SetUp() override {
    Export837Test::SetUp();
    if (GetParam() == Database::kSqlite) {
      std::string why;
      if (!SqliteConnectionString("x.db", &why)) GTEST_SKIP() << "no SQLite3 ODBC driver: " << why;
      if (!Have("sqlite3")) GTEST_SKIP() << "sqlite3 not installed";
      db_ = (dir_ / "claims.db").string();
      source_ = db_;
    } else {
      const char* dsn = std::getenv("ARDENTIX_PG_DSN");
      const char* folder = std::getenv("ARDENTIX_PG_DIR");
      if (!dsn || !*dsn || !folder || !*folder || !std::getenv("ODBCINI"))
        GTEST_SKIP() << "no PostgreSQL server: run the tests under eval \"$(tests/pg/start.sh)\"";
      if (!Have("psql")) GTEST_SKIP() << "psql not installed";
      source_ = dsn;
      psql_ = "psql -X -q -At -h " + Quote(folder) + " -U postgres -d ardentix_test -c ";
    }
    Sql("DROP TABLE IF EXISTS claims837");
  }
  std::string Sql(const std::string& sql) {
    const CommandResult r = GetParam() == Database::kSqlite
                                ? Shell("sqlite3 " + Quote(db_) + " " + Quote(sql))
                                : Shell(psql_ + Quote(sql));
    EXPECT_EQ(r.status, 0) << sql << ": " << r.output;
    return r.output;
  }
  // "NAME CHAR(width)" per column, in order.
  std::string Columns() {
    if (GetParam() == Database::kSqlite) {
      std::string out;
      const std::string info = Sql("PRAGMA table_info(CLAIMS837)");
      for (std::string_view line : SplitPieces(info, '\n')) {
        if (line.empty()) continue;
        out += ToUpper(Piece(line, '|', 2)) + " " + std::string(Piece(line, '|', 3)) + "\n";
      }
      return out;
    }
    return Sql(
        "SELECT upper(column_name) || ' CHAR(' || character_maximum_length || ')' FROM "
        "information_schema.columns WHERE table_name = 'claims837' ORDER BY ordinal_position");
  }

  std::string db_, source_, psql_;
};

TEST_P(Odbc837, ColumnsWidthsRecidsAndNamesThatAreNotIdentifiers) {
  Write("qv837p.csv", "SUBLNAME,CLAIMID,CLAIMAMT,NOSUCH,SOURCEFILE\r\n");
  const std::string target = source_ + ":CLAIMS837";
  for (int run = 0; run < 2; ++run) {
    const ExportDialogResult r = Export("837p_two_subscribers.x12", "ODBC", "", target);
    ASSERT_TRUE(r.outcome && r.outcome->written()) << (r.outcome ? r.outcome->reason : "");
    EXPECT_EQ(r.outcome->rows, 3u);
  }
  // DESTINATIONFILE + "." + the empty extension of ODBC (the dot leaves the table name).
  EXPECT_THAT(Read("temp.log"), HasSubstr(" File Created " + target + ".\r\n"));
  // The widths of the ODBC width table; 14 for names it does not know.
  EXPECT_EQ(Columns(),
            "SQLRECID CHAR(16)\nSUBLNAME CHAR(35)\nCLAIMID CHAR(20)\nCLAIMAMT CHAR(16)\n"
            "NOSUCH CHAR(14)\nSOURCEFILE CHAR(14)\n");
  EXPECT_EQ(Sql("SELECT trim(SQLRECID) || '|' || trim(CLAIMID) || '|' || "
                "coalesce(trim(SOURCEFILE), '') FROM claims837 ORDER BY SQLRECID"),
            "RECID000001|C1|\nRECID000002|C2|\nRECID000003|C3|\n"
            "RECID000004|C1|\nRECID000005|C2|\nRECID000006|C3|\n");

  // A map name that is SQL: the table stays as it was and the error is logged.
  Write("qv837p.csv", "SUBLNAME,A;DROP TABLE CLAIMS837\r\n");
  fs::remove(dir_ / "temp.log");
  const ExportDialogResult r = Export("837p_two_subscribers.x12", "ODBC", "", target);
  ASSERT_TRUE(r.outcome);
  EXPECT_TRUE(r.outcome->failed());
  EXPECT_EQ(TrimWhitespace(Sql("SELECT count(*) FROM claims837")), "6");
  const std::string log = Read("temp.log");
  EXPECT_THAT(log, HasSubstr(" File Not Created " + target));
  EXPECT_THAT(log, HasSubstr(" ODBC <ERROR> "));
  EXPECT_THAT(log, HasSubstr("A;DROP TABLE CLAIMS837"));
  EXPECT_THAT(log, Not(HasSubstr("File Created")));
}

INSTANTIATE_TEST_SUITE_P(Databases, Odbc837,
                         ::testing::Values(Database::kSqlite, Database::kPostgres),
                         [](const auto& info) {
                           return info.param == Database::kSqlite ? "SQLite" : "PostgreSQL";
                         });

// ---- the dispatcher's mode 109 -------------------------------------------------------

class Dispatch837 : public Export837Test {
 protected:
  void SetUp() override {
    Export837Test::SetUp();
    old_ = fs::current_path();
    fs::current_path(dir_);  // the handler works in the current folder
    x12::HandlerTable table;
    table.claims = [this](x12::DispatchContext& context) {
      ++listing_calls_;
      return "listing " + std::to_string(x12::ModeNumber(context.mode));
    };
    Register837ExportHandler(table);
    x12::SetHandlerTable(std::move(table));
  }
  void TearDown() override {
    x12::SetHandlerTable({});
    fs::current_path(old_);
    Export837Test::TearDown();
  }
  x12::OpenResult Open(const std::string& x12_fixture, x12::ParseSpec& spec,
                       x12::DispatchMode mode = x12::DispatchMode::kExport) {
    x12::OpenRequest request;
    request.file = (fs::path(ARDENTIX_SOURCE_DIR) / "tests/data/x12" / x12_fixture).string();
    request.dialog_folder = dir_.string();
    request.mode = mode;
    request.base_folder = dir_.string();
    request.spec = &spec;
    spec.source_file = request.file;
    return x12::OpenX12File(request);
  }
  static x12::ParseSpec Spec(const std::string& type, const std::string& folder,
                             const std::string& options, const std::string& file) {
    x12::ParseSpec spec;
    spec.parse_type = type;
    spec.destination_folder = folder;
    spec.parse_options = options;
    spec.destination_file = file;
    return spec;
  }

  fs::path old_;
  int listing_calls_ = 0;
};

TEST_F(Dispatch837, SetsOfOneFileBecomeOneOutputPerFormat) {
  x12::ParseSpec csv = Spec("CSV", dir_.string(), "HO", "joined");
  Write("qv837p.csv", "CLAIMID\r\n");
  x12::OpenResult result = Open("837p_three_sets.x12", csv);
  EXPECT_FALSE(result.failed);
  const std::string text = Read("joined.csv");
  EXPECT_TRUE(text.starts_with("CLAIMID\r\n")) << text;
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, 1u + 6u);  // the header once, then the six claims of the three sets

  x12::ParseSpec dbf = Spec("DBF", dir_.string(), "", "joined");
  result = Open("837p_three_sets.x12", dbf);
  EXPECT_FALSE(result.failed);
  const std::optional<DbfTable> table = ReadDbfTable(dir_ / "joined.dbf");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->records.size(), 6u);
  EXPECT_EQ(table->fields.size(), 230u);  // the professional catalogue
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().filename().string().find("_ST"), std::string::npos) << entry.path();
  }
  EXPECT_THAT(Read("temp.log"), HasSubstr(" File Type = 837 \r\n"));
  EXPECT_EQ(listing_calls_, 0);
}

TEST_F(Dispatch837, AFailedExportFailsTheRunAndOtherModesReachTheListing) {
  x12::ParseSpec spec = Spec("XML", (dir_ / "missing/out.xml").string(), "MF", "out");
  const x12::OpenResult result = Open("837p_one_billing_three_subscribers.x12", spec);
  EXPECT_TRUE(result.failed);
  EXPECT_THAT(Read("temp.log"), HasSubstr(" File Not Created " + spec.destination_folder));

  x12::ParseSpec report = Spec("TXT", dir_.string(), "IC", "out");
  const x12::OpenResult text =
      Open("837p_one_billing_three_subscribers.x12", report, x12::DispatchMode::kReportText);
  EXPECT_EQ(text.text, "listing 100");
  EXPECT_EQ(listing_calls_, 1);
}

}  // namespace
}  // namespace ardentix
