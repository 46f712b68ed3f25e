#include "export/engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/dbf.h"
#include "export/engine_test_support.h"
#include "export/odbc_widths.h"

namespace ardentix {
namespace {

using engine_testing::EngineTest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using Status = ExportOutcome::Status;
using engine_testing::TestX12;

// The test file with `n` NM1*85 segments in front of the claims.
std::string TestX12WithBilling(int n) {
  std::string x12 = TestX12();
  const std::size_t at = x12.find("HL*2*");
  for (int i = 0; i < n; ++i) x12.insert(at, "NM1*85*2*BILLING~");
  return x12;
}

// ---- settings and options --------------------------------------------------

TEST_F(EngineTest, SeparatorFromSeparateDat) {
  EXPECT_EQ(ExportSeparator(dir_), ",");
  const struct {
    const char* bytes;
    const char* separator;
  } cases[] = {
      {"", ","},    {"|", "|"},    {"|\r\n", "|"},           {"|\n", "|"},
      {"|\r", "|"}, {"\r\n", ","}, {"||\r\n\r\n", "||\r\n"}, {";\t", ";\t"},
  };
  for (const auto& c : cases) {
    Write("SEPARATE.DAT", c.bytes);
    EXPECT_EQ(ExportSeparator(dir_), c.separator) << "[" << c.bytes << "]";
  }
}

TEST_F(EngineTest, SwitchesStartFromThePartAndSettingsHaveBounds) {
  EXPECT_EQ(ExportSwitchesFor(file_->list, dir_), "BBBBAAAAAAAAAAAA");  // no NM1*85
  std::string one = TestX12WithBilling(1);
  Load(one);
  EXPECT_EQ(ExportSwitchesFor(file_->list, dir_), "AAAABBAAAAAAAAAA");
  Load(TestX12WithBilling(2));
  Write("qv.ini",
        "[X12PARSER]\r\nxml = dropemptyfields\r\nDEBUG=ON\r\ndbffieldcount=0\r\n"
        "maxfieldcount=7\r\nxmlencoding=UTF-8\r\n");
  EXPECT_EQ(ExportSwitchesFor(file_->list, dir_), "BBBBAAAAAABBAAAA");
  const ExportSettings s = ReadExportSettings(dir_);
  EXPECT_EQ(s.dbf_field_count, 255u);  // 0 would leave a table without fields
  EXPECT_EQ(s.max_field_count, 7u);
  EXPECT_EQ(s.xml_encoding, "UTF-8");
}

TEST(EngineOptionsTest, ArgumentsAreTakenOutBeforeTheWords) {
  const EngineOptions o =
      ParseEngineOptions("ho, MAP=owners.xml,FILTER=ClaimPatCtl,#1:3:abc,debug=on,SL,MO");
  EXPECT_TRUE(o.header);
  EXPECT_FALSE(o.overwrite);  // not found inside "owners.xml"
  EXPECT_TRUE(o.service_lines);
  EXPECT_TRUE(o.meters_off);
  EXPECT_TRUE(o.debug);
  EXPECT_EQ(o.map, "owners.xml");
  EXPECT_EQ(o.filter_field, "CLAIMPATCTL");
  EXPECT_EQ(o.filter_value, "#1:3:ABC");
  const EngineOptions none = ParseEngineOptions("OW,MF,MN,FL,IC");
  EXPECT_TRUE(none.overwrite && none.merge && none.keep_name && none.loop_layout &&
              none.individual);
  EXPECT_FALSE(none.header || none.debug || none.map.has_value());
}

TEST(FilterTest, PrefixPositionAndComparisons) {
  const struct {
    const char* value;
    const char* filter;
    bool passes;
  } cases[] = {
      {"1", "1", true},
      {"19", "1", true},
      {"22", "1", false},
      {"  abc ", "AB", true},
      {"", "", false},
      {"   ", "", false},
      {"xAbCdef", "#2:3:ABC", true},
      {"xAbCdef", "#1:3:ABC", false},
      {"abc", "#1:3:ABC", true},
      {"ab", "#1:3:ABC", false},
      {"ABC", ">M", true},
      {"SMITH", ">M", false},
      {"SMITH", "<M", true},
      {"ABC", "<M", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FilterPasses(c.value, c.filter), c.passes) << c.value << " " << c.filter;
  }
  EXPECT_FALSE(FilterPasses("SMITH", ">M", true));  // service lines: the plain rule only
  EXPECT_TRUE(FilterPasses(">MAX", ">M", true));
  EXPECT_THAT(FilterLogLines("CLAIMSTATUSCODE", "1", 2),
              ElementsAre(" Filter Field = CLAIMSTATUSCODE", " Filter Equal = 1",
                          " Filter Recorcd Count = 2"));
}

TEST_F(EngineTest, TheTraceStopsGrowingAtItsBound) {
  ExportTrace trace(dir_, false, 109, "837");
  const std::string line(1000, 'x');
  for (int i = 0; i < 1100; ++i) trace.Line(line);
  EXPECT_TRUE(trace.full());
  EXPECT_LE(trace.text().size(), ExportTrace::kMaxCharacters + line.size() + 2);
  trace.Finish();
  EXPECT_TRUE(Read("qvdebug.log").ends_with("Ended   12/11/26  10:42:03\r\n\r\n"));
}

// ---- the engine with the test family --------------------------------------------

TEST_F(EngineTest, CommaSeparatedWithAndWithoutHeaderAndSeparateDat) {
  const std::string src = (dir_ / "in.x12").string();
  const FieldList fields = {"ID", "AMT", "HDR", "SOURCEFILE", ""};
  const std::string rows =
      "C1,100,B&<1," + src + ",\r\nC 2 <x>,,B&<1," + src + ",\r\nC3,7.5,B&<1," + src + ",\r\n";

  ExportOutcome out = Run(family_, Spec("CSV", ""), fields);
  ASSERT_EQ(out.status, Status::kWritten) << out.reason;
  EXPECT_EQ(out.target, (dir_ / "out.csv").string());
  EXPECT_EQ(out.rows, 3u);
  EXPECT_EQ(Read("out.csv"), rows);

  out = Run(family_, Spec("CSV", "HO,OW"), fields);
  ASSERT_TRUE(out.written()) << out.reason;
  EXPECT_EQ(Read("out.csv"), "ID,AMT,HDR,SOURCEFILE,\r\n" + rows);

  // The header switch of the dialog does the same as HO.
  out = Run(family_, Spec("CSV", ""), {"ID"}, x12::DispatchMode::kExport, "HO");
  EXPECT_EQ(Read("out.csv"), "ID\r\nC1\r\nC 2 <x>\r\nC3\r\n");

  Write("separate.dat", "|\r\n");
  fs::remove(dir_ / "temp.log");
  out = Run(family_, Spec("CSV", "HO"), {"ID", "AMT"});
  ASSERT_TRUE(out.written()) << out.reason;
  EXPECT_EQ(Read("out.csv"), "ID|AMT\r\nC1|100\r\nC 2 <x>|\r\nC3|7.5\r\n");

  EXPECT_EQ(Read("temp.log"), " File Type = TST \r\n Claim Count = 3\r\n File Loaded " + src +
                                  "\r\n File Created " + (dir_ / "out.csv").string() +
                                  "\r\n Data Directory DLG\r\n Base Directory BASE\r\n");
}

TEST_F(EngineTest, XmlDropsEmptyFieldsAndDeclaresTheEncodingOfQvIni) {
  const FieldList fields = {"ID", "AMT", "HDR"};
  ExportOutcome out = Run(family_, Spec("XML", ""), fields);
  ASSERT_TRUE(out.written()) << out.reason;
  const std::string all = Read("out.xml");
  EXPECT_THAT(all, HasSubstr("<ID>C 2  x </ID>\r\n<AMT></AMT>\r\n<HDR>B  1</HDR>\r\n"));

  Write("qv.ini", "XML=DROPEMPTYFIELDS\r\nxmlencoding=UTF-8\r\n");
  out = Run(family_, Spec("XML", ""), fields);
  ASSERT_TRUE(out.written()) << out.reason;
  EXPECT_EQ(Read("out.xml"),
            "<?xml version=\"1.0\"  encoding=\"UTF-8\"?>\r\n<EXPORTDATA>\r\n"
            "<CLAIM>\r\n<ID>C1</ID>\r\n<AMT>100</AMT>\r\n<HDR>B  1</HDR>\r\n</CLAIM>\r\n"
            "<CLAIM>\r\n<ID>C 2  x </ID>\r\n<HDR>B  1</HDR>\r\n</CLAIM>\r\n"
            "<CLAIM>\r\n<ID>C3</ID>\r\n<AMT>7.5</AMT>\r\n<HDR>B  1</HDR>\r\n</CLAIM>\r\n"
            "</EXPORTDATA>");

  // A family that does not honour the switch keeps every element.
  family_.mutable_traits().honours_drop_empty = false;
  out = Run(family_, Spec("XML", ""), fields);
  EXPECT_THAT(Read("out.xml"), HasSubstr("<AMT></AMT>"));

  // A name that cannot be an element name is made one, and the log says so.
  fs::remove(dir_ / "temp.log");
  out = Run(family_, Spec("XML", ""), {"ID", "1 X"});
  ASSERT_TRUE(out.written()) << out.reason;
  EXPECT_THAT(Read("out.xml"), HasSubstr("<CLAIM>\r\n<ID>C1</ID>\r\n<_1_X></_1_X>\r\n"));
  EXPECT_THAT(Read("temp.log"), HasSubstr(" Note: Element name \"1 X\""));
}

TEST_F(EngineTest, DbaseTakesTheCatalogueUpToDbfFieldCountAndAppends) {
  Write("qv.ini", "dbffieldcount=3\r\n");
  ExportOutcome out = Run(family_, Spec("DBF", ""), {"AMT"});  // the list is not used
  ASSERT_TRUE(out.written()) << out.reason;
  std::string why;
  auto table = ReadDbfTable(dir_ / "out.dbf", &why);
  ASSERT_TRUE(table) << why;
  EXPECT_EQ(table->fields,
            (std::vector<DbfField>{
                {"F_000001", 'C', 6, 0}, {"F_000002", 'C', 8, 0}, {"F_000003", 'C', 5, 0}}));
  ASSERT_EQ(table->records.size(), 3u);
  EXPECT_EQ(table->records[1], (std::vector<std::string>{"C 2 <x", "        ", "B&<1 "}));

  // A second export adds its records; a table of other fields gets none.
  ASSERT_TRUE(Run(family_, Spec("DBF", "OW"), {}).written());
  EXPECT_EQ(ReadDbfTable(dir_ / "out.dbf")->records.size(), 6u);
  Write("qv.ini", "dbffieldcount=2\r\n");
  out = Run(family_, Spec("DBF", "OW"), {});
  EXPECT_EQ(out.status, Status::kFailed);
  EXPECT_THAT(out.reason, HasSubstr("do not match"));
  EXPECT_EQ(ReadDbfTable(dir_ / "out.dbf")->records.size(), 6u);
}

TEST_F(EngineTest, MergeAppendsAndAnOutputIsNeverItsOwnSource) {
  x12::ParseSpec spec = Spec("CSV", "MF,HO");
  spec.destination_folder = (dir_ / "all.csv").string();
  ASSERT_TRUE(Run(family_, spec, {"ID"}).written());
  ASSERT_TRUE(Run(family_, spec, {"ID"}).written());
  EXPECT_EQ(Read("all.csv"), "ID\r\nC1\r\nC 2 <x>\r\nC3\r\nC1\r\nC 2 <x>\r\nC3\r\n");

  Write("in.x12", TestX12());
  spec.destination_folder = spec.source_file;
  const ExportOutcome out = Run(family_, spec, {"ID"});
  EXPECT_EQ(out.status, Status::kFailed);
  EXPECT_EQ(Read("in.x12"), TestX12());
  EXPECT_TRUE(ui_->HasLine("message: Export Error: " + out.reason));
  EXPECT_THAT(Read("temp.log"), HasSubstr(" File Not Created " + spec.source_file + "\r\n"));
}

TEST_F(EngineTest, AFailedWriteIsAnErrorAndNeverCreated) {
  x12::ParseSpec spec = Spec("XML", "MF");
  spec.destination_folder = (dir_ / "no/such/folder/x.xml").string();
  const ExportOutcome out = Run(family_, spec, {"ID"});
  EXPECT_EQ(out.status, Status::kFailed);
  EXPECT_FALSE(out.reason.empty());
  const std::string log = Read("temp.log");
  EXPECT_THAT(log,
              HasSubstr(" File Not Created " + spec.destination_folder + "\r\n Cfile <ERROR> "));
  EXPECT_THAT(log, Not(HasSubstr("File Created")));

  // FL has no 837-style layout in a family without one: nothing is written.
  const ExportOutcome fl = Run(family_, Spec("CSV", "FL"), {"ID"});
  EXPECT_EQ(fl.status, Status::kFailed);
  EXPECT_THAT(fl.reason, HasSubstr("loop layout"));
  EXPECT_FALSE(Exists("out.csv"));
}

TEST_F(EngineTest, InteractiveRunsAskForTheFileAndBeforeOverwriting) {
  const x12::ParseSpec none;
  ui_->ChooseFileResult(std::nullopt);
  ExportOutcome out = Run(family_, none, {"ID"}, x12::DispatchMode::kView);
  EXPECT_EQ(out.status, Status::kNotWritten);
  ASSERT_EQ(ui_->file_choosers().size(), 1u);
  EXPECT_EQ(ui_->file_choosers()[0].title, "Export to File");
  EXPECT_EQ(ui_->file_choosers()[0].default_name, "export.csv");
  EXPECT_EQ(ui_->file_choosers()[0].folder, "DLG");

  const std::string target = (dir_ / "mine.csv").string();
  Write("mine.csv", "OLD");
  ui_->ChooseFileResult(target);
  ui_->AnswerYesNo(false);
  out = Run(family_, none, {"ID"}, x12::DispatchMode::kView);
  EXPECT_EQ(out.status, Status::kNotWritten);
  EXPECT_EQ(Read("mine.csv"), "OLD");
  EXPECT_TRUE(
      ui_->HasLine("question: Overwite File?: " + target + " already exists. Overwrite it? -> No"));

  ui_->ChooseFileResult(target);
  ui_->AnswerYesNo(true);
  out = Run(family_, none, {"ID"}, x12::DispatchMode::kView, "HO");
  ASSERT_TRUE(out.written()) << out.reason;
  EXPECT_EQ(Read("mine.csv"), "ID\r\nC1\r\nC 2 <x>\r\nC3\r\n");
  EXPECT_TRUE(ui_->HasLine("meter open: Exporting TST | Please Stand By.."));
  EXPECT_TRUE(ui_->ScriptDone());
}

TEST_F(EngineTest, MapMetersAndDebugOptions) {
  Write("mine.xml", "<FIELD>ID</FIELD>");
  Run(family_, Spec("CSV", "MAP=mine.xml,MO"), {"ID"});
  EXPECT_EQ(CurrentMapFile(), "mine.xml");
  EXPECT_TRUE(ui::MetersOff());
  Run(family_, Spec("CSV", "MAP=missing.xml"), {"ID"});
  EXPECT_EQ(CurrentMapFile(), "");
  EXPECT_FALSE(Exists("qvdebug.log"));

  Run(family_, Spec("CSV", "DEBUG=ON"), {"ID"});
  std::string trace = Read("qvdebug.log");
  EXPECT_TRUE(
      trace.starts_with(" - XFunction=       109\r\n - XType=TST\r\nClaim :          1\r\n"))
      << trace;
  EXPECT_TRUE(trace.ends_with("Ended   12/11/26  10:42:03\r\n\r\n")) << trace;

  // The qv.ini line switches the trace on with its title.
  Write("qv.ini", "DEBUG=ON\r\n");
  x12::ParseSpec odbc = Spec("ODBC", "");
  odbc.destination_folder = odbc.destination_file = "ardentix_no_such_dsn:out";
  EXPECT_EQ(Run(family_, odbc, {"ID"}).status, Status::kFailed);
  trace = Read("qvdebug.log");
  EXPECT_TRUE(trace.starts_with("Qorvane Software Model Export Debug Log\r\n")) << trace;
  EXPECT_THAT(trace, HasSubstr("\r\nTable    out  10:42:03\r\n"));
}

// ---- the listing pages -----------------------------------------------------

TEST_F(EngineTest, ListingPages) {
  const x12::ParseSpec none;
  const ExportPart part{file_->list, file_->index, "TST", x12::DispatchMode::kView, none, 1};
  const FieldCatalogue catalogue = family_.Catalogue(part, CatalogueVariant::kShort);
  const FieldList fields = {"ID", "NOPE", "AMT"};
  const std::string rule(80, '-');
  EXPECT_THAT(
      PrintListingLines(family_, part, fields, catalogue, ListingPage::kFields),
      ElementsAre("Basic Field Location:", rule, "", "Field_ Field_3  ", "", "Field Descriptions",
                  rule, "", "Field_1       ID                              Identifier",
                  "Field_3       AMT                             Amount"));
  const auto listing = PrintListingLines(family_, part, fields, catalogue, ListingPage::kListing);
  ASSERT_EQ(listing.size(), 3u);
  EXPECT_EQ(listing[0], "C1     100.00   ");
  EXPECT_EQ(listing[2], "C3     7.50     ");
  EXPECT_THAT(PrintListingLines(family_, part, fields, catalogue, ListingPage::kTotals),
              ElementsAre(std::string("Identifier") + std::string(57, ' ') + "         0",
                          std::string("Amount") + std::string(61, ' ') + "     107.5"));

  std::vector<std::string> printed;
  SetListingPrinter([&](std::string_view title, const std::vector<std::string>& lines) {
    printed.push_back(std::string(title) + ":" + std::to_string(lines.size()));
  });
  PrintListing(family_, part, fields, catalogue, ListingPage::kTotals);
  SetListingPrinter({});
  EXPECT_THAT(printed, ElementsAre("Totals:2"));
}

TEST(OdbcWidthTableTest, KnownNamesTakeTheirWidthOthersAreCountedErrors) {
  const std::vector<CatalogueRow> rows =
      OdbcWidthTable({"SUBFNAME", "ZZZ", "DX5", "QQ", "SUBMITTERZIP"});
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (CatalogueRow{"SUBFNAME", "SUBFNAME", 35, "H", "C"}));
  EXPECT_EQ(rows[1], (CatalogueRow{"ZZZ", "Field Error          1", 14, "H", "C"}));
  EXPECT_EQ(rows[2].width, 20);
  EXPECT_EQ(rows[3].description, "Field Error          2");
  EXPECT_EQ(rows[4].width, 14);
  EXPECT_EQ(OdbcWidthOf("PAYERCLAIMCODE"), 10);
  EXPECT_EQ(OdbcWidthOf("PRIMARYSUBMI"), 3);
}

}  // namespace
}  // namespace ardentix
