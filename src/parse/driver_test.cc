#include "parse/driver.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "export/map.h"
#include "export/writers.h"
#include "parse/logs.h"
#include "print/pdf_document.h"
#include "ui/headless.h"
#include "ui/meter.h"
#include "ui/scripted.h"
#include "x12/join.h"

namespace ardentix::parse {
namespace {

fs::path Fixture(std::string_view name) {
  return fs::path(ARDENTIX_SOURCE_DIR) / "tests/data/parse" / name;
}

std::string Read(const fs::path& file) { return ReadWholeFile(file).value_or("<missing>"); }

// The step messages of a parse log, without their times.
std::vector<std::string> Steps(const std::string& log) {
  std::vector<std::string> steps;
  static const std::regex step("^[0-9]{2}:[0-9]{2}:[0-9]{2}( - .*)$");
  for (std::string_view line : SplitPieces(log, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::cmatch m;
    if (std::regex_match(line.begin(), line.end(), m, step)) steps.push_back(m[1].str());
  }
  return steps;
}

bool EveryLineEndsInCrLf(std::string_view text) {
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    if (at == 0 || text[at - 1] != '\r') return false;
  }
  return text.ends_with("\r\n");
}

bool Contains(const std::vector<std::string>& steps, std::string_view text) {
  for (const std::string& s : steps) {
    if (s.find(text) != std::string::npos) return true;
  }
  return false;
}

// The rows an export of a part carries: one per CLM with the batch (BHT03),
// the billing provider, the subscriber, the claim, its amount and the number
// of its service dates. Headers come from the part itself, so a block
// without its set header or billing level gives wrong rows. Records 1 to
// n - 1 are read, as every scan of the program reads a list.
std::vector<std::vector<std::string>> ClaimRows(const x12::DispatchContext& ctx) {
  std::vector<std::vector<std::string>> rows;
  std::string batch, billing, subscriber;
  const x12::SegmentList& list = ctx.list;
  for (std::size_t i = 1; i < list.size(); ++i) {
    const std::string_view id = list.Id(i);
    if (id == "BHT") batch = list.Element(i, 3);
    if (id == "NM1" && list.Element(i, 1) == "85") billing = list.Element(i, 3);
    if (id == "NM1" && list.Element(i, 1) == "IL") subscriber = list.Element(i, 3);
    if (id == "CLM") {
      rows.push_back({batch, billing, subscriber, std::string(list.Element(i, 1)),
                      std::string(list.Element(i, 2)), "0"});
    }
    if (id == "DTP" && !rows.empty())
      rows.back()[5] = std::to_string(std::stoi(rows.back()[5]) + 1);
  }
  return rows;
}

// Test handlers in the place of the export engine and the report handlers.
struct Handlers {
  int calls = 0;
  bool fail_exports = false;
  bool pdf_open_seen = false;
  std::vector<std::string> files;  // ctx.file_name per call
};

Handlers& Seen() {
  static Handlers seen;
  return seen;
}

std::string ExportHandler(x12::DispatchContext& ctx) {
  Handlers& seen = Seen();
  ++seen.calls;
  seen.files.push_back(ctx.file_name);
  const auto format = x12::OutputFormatOf(ctx.spec.parse_type);
  if (seen.fail_exports) {
    ctx.failed = true;
    return {};
  }
  switch (ctx.mode) {
    case x12::DispatchMode::kExport: {
      if (format == x12::OutputFormat::kOdbc) return "ODBC rows to " + ctx.spec.destination_folder;
      const char* code = format == x12::OutputFormat::kCsv   ? "A"
                         : format == x12::OutputFormat::kXml ? "B"
                                                             : "C";
      auto writer = MakeOutputWriter(code);
      const std::vector<WriterColumn> columns = {{"BATCH", 10}, {"BILLING", 30}, {"SUBSCRIBER", 20},
                                                 {"CLAIM", 20}, {"AMOUNT", 10},  {"DATES", 2}};
      WriterOptions options;
      options.header = x12::SplitOptions(ctx.spec.parse_options).Has("HO");
      options.append = x12::SplitOptions(ctx.spec.parse_options).Has("MF");
      const fs::path target = x12::ExportOutputPath(ctx.spec, format);
      WriterStatus s = writer->Open(target.string(), columns, options);
      for (const auto& row : ClaimRows(ctx)) {
        if (s) s = writer->WriteRow(row);
      }
      if (s) s = writer->Close();
      if (!s) ctx.failed = true;
      return " File Created " + target.string();
    }
    case x12::DispatchMode::kReportText:
    case x12::DispatchMode::kReportHtml:
    case x12::DispatchMode::kReportRtf: {
      std::string text;
      for (const auto& row : ClaimRows(ctx)) text += "Claim " + row[3] + "\r\n";
      return text;
    }
    case x12::DispatchMode::kReportPdf:
      seen.pdf_open_seen = PdfIsOpen();
      if (PdfIsOpen()) {
        (void)PdfNewPage();
        for (const auto& row : ClaimRows(ctx)) (void)PdfAtSay("Claim " + row[3], 750, 20);
      }
      return {};
    default:
      return "ST*837*" + ctx.spec.destination_file + "~";
  }
}

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    logs::SetClock([] { return std::time_t{1796985723}; });  // 12/11/26 10:42:03 UTC
    std::string pattern = (fs::temp_directory_path() / "parsetest.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    old_cwd_ = fs::current_path();
    fs::current_path(dir_);
    ui_ = std::make_unique<ui::ScopedUi>(std::make_unique<ui::HeadlessUi>(nullptr));
    Seen() = Handlers{};
    x12::HandlerTable table;
    table.claims = ExportHandler;
    x12::SetHandlerTable(table);
    SetCurrentMapFile("");
  }
  void TearDown() override {
    x12::SetHandlerTable({});
    ui_.reset();
    logs::SetClock(nullptr);
    fs::current_path(old_cwd_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  fs::path Copy(std::string_view fixture, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(Fixture(fixture), to, fs::copy_options::overwrite_existing);
    return to;
  }
  ParseOutcome Parse(std::string type, std::string source, std::string destination,
                     std::string options) {
    ParseRequest r;
    r.type = std::move(type);
    r.source = std::move(source);
    r.destination = std::move(destination);
    r.options = std::move(options);
    r.working_folder = dir_;
    r.base_folder = dir_.string();
    return RunParse(r);
  }

  fs::path dir_;
  fs::path old_cwd_;
  std::unique_ptr<ui::ScopedUi> ui_;
};

TEST_F(DriverTest, SingleCsvRunLogsItsStepsAndWritesTheExport) {
  const fs::path source = Copy("sample837p.x12", dir_ / "in" / "claims.x12");
  fs::create_directories(dir_ / "out");
  const ParseOutcome run = Parse("csv", source.string(), (dir_ / "out").string(), "ho,ow");
  EXPECT_EQ(run.exit_status, 0) << run.log_text;
  const std::vector<std::string> expected = {
      " - Header On File Set to Yes.", " - Overwrite Files Set to Yes.",
      " - The source is a file.",      " - File : " + source.string(),
      " - Destination Folder exists.", " - Destination : " + (dir_ / "out").string(),
      " -  Destination Control : 1",   " - Parse CSV.",
  };
  EXPECT_EQ(Steps(run.log_text), expected);
  EXPECT_EQ(Read(dir_ / "out" / "claims.csv"),
            "BATCH,BILLING,SUBSCRIBER,CLAIM,AMOUNT,DATES\r\n"
            "BATCH0001,NORTHSIDE FAMILY PRACTICE,HOLMES,PATACCT1001,150,2\r\n"
            "BATCH0001,NORTHSIDE FAMILY PRACTICE,HUDSON,PATACCT1002,85,1\r\n"
            "BATCH0001,NORTHSIDE FAMILY PRACTICE,HUDSON,PATACCT1003,240,2\r\n"
            "BATCH0001,RIVERSIDE PEDIATRICS,WATSON,PATACCT2001,120,1\r\n");
  // The command array shows the request as it ended; the log file holds
  // exactly the returned text, every line ended by CR LF.
  EXPECT_NE(run.log_text.find("Command Array:\r\n  1 CSV\r\n  2 " + source.string() + "\r\n  3 " +
                              (dir_ / "out").string() + "\r\n  4 HO,OW\r\n  5 claims\r\n"),
            std::string::npos);
  EXPECT_EQ(Read(dir_ / "parse.log"), run.log_text);
  EXPECT_TRUE(EveryLineEndsInCrLf(run.log_text));
  EXPECT_TRUE(run.log_text.starts_with(
      "Qorvane Software Model QVK0M318 X12 Parser Log\r\nStarted 12/11/26  10:42:03\r\n"));
  EXPECT_TRUE(run.log_text.ends_with("\r\nMap Log Data.\r\n\r\n"));
  // No scratch or lock file is left behind but the lock file itself.
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "in" || name == "out" || name == "parse.log" || name == "qvmap.log" ||
                name == ".ardentix.lock")
        << name;
  }
}

TEST_F(DriverTest, OptionWordsAreNeverFoundInsideArguments) {
  struct Case {
    const char* options;
    bool ow, ho, ml;
    const char* map;
  };
  const Case cases[] = {
      {"MAP=OWNERS.XML", false, false, false, "OWNERS.XML"},
      {"FILTER=PATLNAME,HOLMES", false, false, false, nullptr},
      {"FILTER=HO,OW", false, false, false, nullptr},  // the value piece is the filter's
      {"DEBUG=ON,ML", false, false, true, nullptr},
      {"HO,OW,MAP=qv837p.xml", true, true, false, "qv837p.xml"},
      {"ho,ow", false, false, false, nullptr},  // the driver compares upper case exactly
      {"HOOW", false, false, false, nullptr},   // words are whole pieces
  };
  for (const Case& c : cases) {
    const OptionScan scan = ScanOptions(c.options);
    EXPECT_EQ(scan.overwrite, c.ow) << c.options;
    EXPECT_EQ(scan.header, c.ho) << c.options;
    EXPECT_EQ(scan.multiple_logs, c.ml) << c.options;
    EXPECT_EQ(scan.map.value_or("-"), c.map ? c.map : "-") << c.options;
  }
  EXPECT_EQ(CommandLineOptions("ho, map=Owners.Xml ,filter=patlname,holmes,selectmap=*.Xml"),
            "HO, MAP=Owners.Xml ,FILTER=PATLNAME,HOLMES,SELECTMAP=*.Xml");
  const OptionScan all = ScanOptions("IC,OW,MN,MO,HO,FL,MF,ML,MAP=a.xml,SELECTMAP=*.xml");
  const std::vector<std::string> lines = {
      " - Individual Claims Set to Yes.",  " - Overwrite Files Set to Yes.",
      " - Maintain File Name Set to Yes.", " - Progress Meters set to Off.",
      " - Header On File Set to Yes.",     " - Format is X12 Loop .",
      " - Merge Files Set to Yes.",        " - Multiple Parse Logs.",
      " - Map is being set using MAP=",    " - Map is being set using SELECTMAP="};
  EXPECT_EQ(all.log_lines, lines);
}

TEST_F(DriverTest, BaseNamesAndDestinationKinds) {
  EXPECT_EQ(OutputBaseName("/in/claims.x12"), "claims");
  EXPECT_EQ(OutputBaseName("/data/v1.2/claims"), "claims");
  EXPECT_EQ(OutputBaseName("/data/v1.2"), "v1");
  EXPECT_EQ(OutputBaseName("/data/batch.2023.x12"), "batch.2023");
  EXPECT_EQ(OutputBaseName("/data/in/"), "in");
  fs::create_directories(dir_ / "folder.d");
  ASSERT_TRUE(WriteWholeFile(dir_ / "exists.csv", "x"));
  struct Case {
    std::string destination;
    DestinationKind kind;
  };
  const Case cases[] = {
      {"", DestinationKind::kNone},
      {(dir_ / "exists.csv").string(), DestinationKind::kExistingFile},
      {(dir_ / "folder.d").string(), DestinationKind::kExistingFolder},
      {"out.c", DestinationKind::kMissingFolder},
      {"out", DestinationKind::kFileToCreate},
      {"out.csv", DestinationKind::kFileToCreate},
      {"out.", DestinationKind::kFileToCreate},
      {"./v1.2/out", DestinationKind::kFileToCreate},  // dots of folders do not count
      {"../x/out.c", DestinationKind::kMissingFolder},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyDestination(c.destination), c.kind) << c.destination;
  }
}

TEST_F(DriverTest, MissingDestinationFolderStopsBeforeProcessing) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  const ParseOutcome run = Parse("CSV", source.string(), "out.c", "HO,OW");
  EXPECT_EQ(run.exit_status, 3);
  const std::vector<std::string> steps = Steps(run.log_text);
  EXPECT_TRUE(Contains(steps, " - The Destination Folder does Not exist."));
  EXPECT_TRUE(Contains(steps, " -  Destination Control : 0"));
  EXPECT_FALSE(Contains(steps, " - Parse CSV."));
  EXPECT_EQ(Seen().calls, 0);
}

TEST_F(DriverTest, UsageErrorsEndWithStatusTwo) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  struct Case {
    const char* type;
    std::string source;
    std::vector<std::string> steps;
  };
  const Case cases[] = {
      {"",
       source.string(),
       {" - Parameter 1 and 2 are empty. Start User Interface ",
        " - X12 Parser: dialog not shown in an unattended run", " - Parameter 1 empty. "}},
      {"XLS", source.string(), {" - Unknown Output Type : XLS"}},
      {"CSVTO837I",
       source.string(),
       {" - Parse CSV to 837I.", " - The conversion from CSV to 837I is not available."}},
  };
  for (const Case& c : cases) {
    const ParseOutcome run = Parse(c.type, c.source, "", "");
    EXPECT_EQ(run.exit_status, 2) << c.type;
    for (const std::string& step : c.steps) {
      EXPECT_TRUE(Contains(Steps(run.log_text), step)) << c.type << ": " << step;
    }
  }
  EXPECT_EQ(Seen().calls, 0);
}

TEST_F(DriverTest, OverwriteNeedsOwOrAYes) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  ASSERT_TRUE(WriteWholeFile(dir_ / "claims.csv", "keep me"));
  // Headless: the question takes "No", is logged with its answer, and the run ends with 3.
  ParseOutcome run = Parse("CSV", source.string(), "", "HO");
  EXPECT_EQ(run.exit_status, 3);
  EXPECT_EQ(Read(dir_ / "claims.csv"), "keep me");
  const std::vector<std::string> steps = Steps(run.log_text);
  EXPECT_TRUE(Contains(steps, " - Overwite File?: claims.csv already exists. Overwrite it? -> No"));
  EXPECT_TRUE(Contains(steps, " - CSV Not Created "));
  EXPECT_EQ(Seen().calls, 0);

  // A person answering Yes, and OW without a question.
  {
    auto scripted = std::make_unique<ui::ScriptedUi>();
    ui::ScriptedUi* script = scripted.get();
    script->AnswerYesNo(true);
    ui::ScopedUi scope(std::move(scripted));
    run = Parse("CSV", source.string(), "", "");
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_TRUE(script->ScriptDone());
  }
  EXPECT_TRUE(Read(dir_ / "claims.csv").starts_with("BATCH0001,"));
  run = Parse("CSV", source.string(), "", "HO,OW");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_TRUE(Read(dir_ / "claims.csv").starts_with("BATCH,"));
}

TEST_F(DriverTest, FailuresAreNeverLoggedAsCreated) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  Seen().fail_exports = true;
  for (const char* type : {"DBF", "XML", "ODBC", "TXT"}) {
    const ParseOutcome run = Parse(type, source.string(), "dsn.db:claims", "OW");
    EXPECT_EQ(run.exit_status, 3) << type;
    EXPECT_FALSE(Contains(Steps(run.log_text), " - Created ")) << type << run.log_text;
    EXPECT_TRUE(Contains(Steps(run.log_text), " Not Created ")) << type;
  }
  // No handler at all for the file's type: nothing is exported either.
  x12::SetHandlerTable({});
  const ParseOutcome run = Parse("ODBC", source.string(), "dsn.db:claims", "");
  EXPECT_EQ(run.exit_status, 3);
  EXPECT_TRUE(Contains(Steps(run.log_text), " - ODBC Not Created dsn.db:claims"));
}

TEST_F(DriverTest, CreatedLinesNameTheRealOutputs) {
  const fs::path source = Copy("sample837p.x12", dir_ / "in" / "claims.x12");
  fs::create_directories(dir_ / "out");
  const std::string out = (dir_ / "out").string();
  struct Case {
    const char* type;
    std::string created;
  };
  const Case cases[] = {
      {"XML", out + "/claims.xml"},  {"DBF", out + "/claims.dbf"}, {"TXT", out + "/claims..txt"},
      {"HTM", out + "/claims..htm"}, {"ODBC", "dsn.db:claims"},
  };
  for (const Case& c : cases) {
    const bool odbc = std::string_view(c.type) == "ODBC";
    const ParseOutcome run = Parse(c.type, source.string(), odbc ? "dsn.db:claims" : out, "OW");
    EXPECT_EQ(run.exit_status, 0) << c.type << run.log_text;
    EXPECT_TRUE(Contains(Steps(run.log_text), " - Created " + c.created)) << c.type;
    if (!odbc) {
      EXPECT_TRUE(FileExists(c.created)) << c.created;
    }
  }
  EXPECT_EQ(Read(out + "/claims..txt"),
            "Claim PATACCT1001\r\nClaim PATACCT1002\r\nClaim PATACCT1003\r\nClaim PATACCT2001\r\n");
}

TEST_F(DriverTest, CreatedFilesWriteWhatTheHandlersReturn) {
  // The handler's text (here "ST*837*" + DESTINATIONFILE + "~") goes to
  // base + "." + extension; folder runs add CR LF.
  Copy("sample837p.x12", dir_ / "in" / "claims.x12");
  fs::create_directories(dir_ / "out");
  const std::string in = (dir_ / "in").string(), out = (dir_ / "out").string();
  struct Case {
    const char* type;
    std::string source;
    std::string file;  // empty: the handler's own files only
    std::string bytes;
  };
  const Case cases[] = {
      {"835", in + "/claims.x12", out + "/claims..835", "ST*837*claims~"},
      {"HL7", in + "/claims.x12", out + "/claims..txt", "ST*837*claims~"},
      {"837", in + "/claims.x12", "", ""},
      {"837", in, out + "/claims..837", "ST*837*claims~\r\n"},
      {"276", in, out + "/claims..276", "ST*837*claims~\r\n"},
      {"835", in, out + "/claims..835", "ST*837*claims~\r\n"},
  };
  for (const Case& c : cases) {
    const ParseOutcome run = Parse(c.type, c.source, out, "OW");
    EXPECT_EQ(run.exit_status, 0) << c.type << " " << c.source << run.log_text;
    if (c.file.empty()) {
      EXPECT_FALSE(Contains(Steps(run.log_text), " - Created ")) << c.type;
    } else {
      EXPECT_TRUE(Contains(Steps(run.log_text), " - Created " + c.file)) << c.type;
      EXPECT_EQ(Read(c.file), c.bytes) << c.type;
    }
  }
  // A handler that returns nothing has created nothing.
  x12::SetHandlerTable({});
  const ParseOutcome run = Parse("837", in + "/claims.x12", out, "OW");
  EXPECT_EQ(run.exit_status, 3);
  EXPECT_TRUE(Contains(Steps(run.log_text), " - 837 Not Created "));
}

TEST_F(DriverTest, OutputThatIsTheSourceIsRefused) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  const std::string before = Read(source);
  // MF writes into the destination itself, here the source.
  const ParseOutcome run = Parse("CSV", source.string(), source.string(), "MF,OW");
  EXPECT_EQ(run.exit_status, 3);
  EXPECT_EQ(Read(source), before);
  EXPECT_TRUE(Contains(Steps(run.log_text), " - The output is the same file as the source : "));
  EXPECT_EQ(Seen().calls, 0);
}

TEST_F(DriverTest, FolderRunSortsNamesSkipsOtherFilesAndKeepsNamesApart) {
  const fs::path in = dir_ / "in";
  Copy("sample837p.x12", in / "b.x12");
  Copy("multi_set.x12", in / "A.x12");
  Copy("sample837p.x12", in / "claims.one.x12");
  Copy("multi_isa.x12", in / "claims.two.x12");
  Copy("notes.txt", in / "notes.txt");
  fs::create_directories(in / "sub.x12");  // folders are not files
  fs::create_directories(dir_ / "out");
  const ParseOutcome run = Parse("CSV", in.string(), (dir_ / "out").string(), "HO,OW");
  EXPECT_EQ(run.exit_status, 3);  // notes.txt is not an X12 file
  std::vector<std::string> reading;
  for (const std::string& step : Steps(run.log_text)) {
    if (step.starts_with(" - Reading File : ") || step.starts_with(" - Not an X12 file : ") ||
        step.starts_with(" - Output Name ")) {
      reading.push_back(step);
    }
  }
  const std::vector<std::string> expected = {
      " - Reading File : " + (in / "A.x12").string(),
      " - Reading File : " + (in / "b.x12").string(),
      " - Reading File : " + (in / "claims.one.x12").string(),
      " - Output Name claims is already used in this run, using claims_2",
      " - Reading File : " + (in / "claims.two.x12").string(),
      " - Not an X12 file : " + (in / "notes.txt").string(),
  };
  EXPECT_EQ(reading, expected);
  // The multi-set and multi-interchange files are joined into one output each.
  for (const char* name : {"A.csv", "b.csv", "claims.csv", "claims_2.csv"}) {
    EXPECT_TRUE(Read(dir_ / "out" / name).starts_with("BATCH,BILLING")) << name;
  }
  std::vector<std::string> outputs;
  for (const auto& e : fs::directory_iterator(dir_ / "out")) {
    outputs.push_back(e.path().filename().string());
  }
  EXPECT_EQ(outputs.size(), 4u);
  EXPECT_EQ(Read(dir_ / "out" / "claims_2.csv"),
            "BATCH,BILLING,SUBSCRIBER,CLAIM,AMOUNT,DATES\r\n"
            "BATCH0001,NORTHSIDE FAMILY PRACTICE,HOLMES,PATACCT1001,150,2\r\n"
            "BATCH0001,NORTHSIDE FAMILY PRACTICE,HUDSON,PATACCT1002,85,1\r\n"
            "BATCH0001,NORTHSIDE FAMILY PRACTICE,HUDSON,PATACCT1003,240,2\r\n"
            "BATCH0002,RIVERSIDE PEDIATRICS,WATSON,PATACCT2001,120,1\r\n");
  // Folder exports log the dispatcher's text after the time.
  EXPECT_NE(
      run.log_text.find("10:42:03 File Created " + (dir_ / "out" / "b.csv").string() + "\r\n"),
      std::string::npos);
}

TEST_F(DriverTest, FolderRunInTheWorkingFolderSkipsTheRunsOwnFiles) {
  Copy("sample837p.x12", dir_ / "claims.x12");
  const ParseOutcome run = Parse("TXT", dir_.string(), "", "OW");
  EXPECT_EQ(run.exit_status, 0) << run.log_text;
  EXPECT_FALSE(Contains(Steps(run.log_text), "Not an X12 file"));
  EXPECT_TRUE(Contains(Steps(run.log_text), " - Created claims..txt"));
  EXPECT_EQ(Read(dir_ / "claims..txt"),
            "Claim PATACCT1001\r\nClaim PATACCT1002\r\nClaim PATACCT1003\r\nClaim "
            "PATACCT2001\r\n\r\n");
}

TEST_F(DriverTest, TypeIsaSplitsAtProductionInterchangesOnly) {
  const fs::path source = Copy("three_isa_test_middle.x12", dir_ / "three.x12");
  const std::string bytes = Read(source);
  const ParseOutcome run = Parse("ISA", source.string(), "", "");
  EXPECT_EQ(run.exit_status, 0) << run.log_text;
  const std::string first = Read(source.string() + "_ISA1.837");
  const std::string second = Read(source.string() + "_ISA2.837");
  EXPECT_FALSE(FileExists(source.string() + "_ISA3.837"));
  EXPECT_EQ(first + second, bytes);
  EXPECT_NE(first.find("ISACLAIM2"), std::string::npos);  // the test interchange stays
  EXPECT_TRUE(second.starts_with("ISA*00*"));
  EXPECT_NE(second.find("ISACLAIM3"), std::string::npos);
  EXPECT_TRUE(Contains(Steps(run.log_text), " - Created " + source.string() + "_ISA2.837"));
  // A second run without OW declines.
  const ParseOutcome again = Parse("ISA", source.string(), "", "");
  EXPECT_EQ(again.exit_status, 3);
  EXPECT_TRUE(Contains(Steps(again.log_text), " - 837 Not Created "));
  // A folder is not split.
  const ParseOutcome folder = Parse("ISA", dir_.string(), "", "");
  EXPECT_EQ(folder.exit_status, 3);
  EXPECT_TRUE(Contains(Steps(folder.log_text), " - Not an X12 file : " + dir_.string()));
}

TEST_F(DriverTest, BlockModeGivesTheWholeFileResult) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  fs::create_directories(dir_ / "whole");
  fs::create_directories(dir_ / "blocks");
  ParseOutcome run = Parse("XML", source.string(), (dir_ / "whole").string(), "OW");
  ASSERT_EQ(run.exit_status, 0) << run.log_text;
  const int whole_calls = Seen().calls;
  // Blocks of 100 bytes: every billing-provider and subscriber level is a block.
  ASSERT_TRUE(WriteWholeFile(dir_ / "qv.ini", "[X12PARSER]\r\nFILEREADBLOCK=100\r\nCOMMAND=0\r\n"));
  run = Parse("XML", source.string(), (dir_ / "blocks").string(), "OW");
  ASSERT_EQ(run.exit_status, 0) << run.log_text;
  EXPECT_GT(Seen().calls - whole_calls, 2);
  EXPECT_EQ(Read(dir_ / "blocks" / "claims.xml"), Read(dir_ / "whole" / "claims.xml"));
  EXPECT_NE(Read(dir_ / "blocks" / "claims.xml").find("RIVERSIDE PEDIATRICS"), std::string::npos);
  // The blocks went through unique scratch files that are gone now.
  for (const std::string& file : Seen().files) {
    if (file == source.string()) continue;
    EXPECT_TRUE(fs::path(file).filename().string().starts_with("tmp")) << file;
    EXPECT_FALSE(fs::exists(file)) << file;
  }
  for (const auto& e : fs::directory_iterator(dir_ / "blocks")) {
    EXPECT_EQ(e.path().filename(), "claims.xml");
  }
}

TEST_F(DriverTest, PdfDocumentIsOpenAroundTheRunUnlessIndividualClaims) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  ParseOutcome run = Parse("PDF", source.string(), "", "OW");
  EXPECT_EQ(run.exit_status, 0) << run.log_text;
  EXPECT_TRUE(Seen().pdf_open_seen);
  EXPECT_TRUE(Read(dir_ / "claims.pdf").starts_with("%PDF-1.3"));
  EXPECT_TRUE(Contains(Steps(run.log_text), " - Created claims.pdf"));
  EXPECT_FALSE(PdfIsOpen());
  run = Parse("PDF", source.string(), "", "OW,IC");
  EXPECT_FALSE(Seen().pdf_open_seen);
  EXPECT_FALSE(PdfIsOpen());
}

TEST_F(DriverTest, MapOptionAndMultipleLogs) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  ASSERT_TRUE(WriteWholeFile(dir_ / "Owners.xml", "<map/>"));
  ParseOutcome run = Parse("CSV", source.string(), "", "OW,map=Owners.xml,ML");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(CurrentMapFile().substr(CurrentMapFile().size() - 10), "Owners.xml");
  EXPECT_TRUE(Contains(Steps(run.log_text), " - Map is being set using MAP="));
  EXPECT_EQ(run.log_file, dir_ / "PARSE121126104203.LOG");
  EXPECT_EQ(Read(dir_ / "PARSE121126104203.LOG"), run.log_text);
  EXPECT_FALSE(FileExists(dir_ / "parse.log"));

  run = Parse("CSV", source.string(), "", "OW,MAP=missing.xml");
  EXPECT_EQ(CurrentMapFile(), "");
  EXPECT_TRUE(Contains(Steps(run.log_text), " - Map File Not Found : missing.xml"));
  EXPECT_EQ(run.exit_status, 0);
}

TEST_F(DriverTest, SelectMapTakesTheChosenFile) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  ASSERT_TRUE(WriteWholeFile(dir_ / "Chosen.xml", "<map/>"));
  auto scripted = std::make_unique<ui::ScriptedUi>();
  ui::ScriptedUi* script = scripted.get();
  script->ChooseFileResult((dir_ / "Chosen.xml").string());
  ui::ScopedUi scope(std::move(scripted));
  const ParseOutcome run = Parse("CSV", source.string(), "", "OW,SELECTMAP=*.Xml");
  EXPECT_EQ(run.exit_status, 0);
  ASSERT_EQ(script->file_choosers().size(), 1u);
  EXPECT_EQ(script->file_choosers()[0].title, "Select a Map File");
  EXPECT_EQ(script->file_choosers()[0].masks, std::vector<std::string>{"*.Xml"});
  EXPECT_TRUE(CurrentMapFile().ends_with("Chosen.xml")) << CurrentMapFile();
  EXPECT_TRUE(Contains(Steps(run.log_text), " - Map is being set using SELECTMAP="));
}

TEST_F(DriverTest, MetersOffStaysOff) {
  const fs::path source = Copy("sample837p.x12", dir_ / "claims.x12");
  ui::SetMetersOff(false);
  Parse("CSV", source.string(), "", "OW,MO");
  EXPECT_TRUE(ui::MetersOff());
  ui::SetMetersOff(false);
}

}  // namespace
}  // namespace ardentix::parse
