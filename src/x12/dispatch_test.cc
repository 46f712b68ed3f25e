#include "x12/dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/files.h"
#include "ui/headless.h"
#include "x12/access.h"
#include "x12/join.h"
#include "x12/parts.h"
#include "x12/test_support.h"

namespace ardentix::x12 {
namespace {

using testing::FixturePath;
using testing::Isa;
using testing::ReadBytes;
using testing::ReadFixture;
using testing::ScriptedScope;
using testing::TempDir;

// True when some line of the transcript contains `text`.
bool Shown(const ui::ScriptedUi& ui, std::string_view text) {
  for (const std::string& line : ui.transcript()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

// What a handler saw.
struct Call {
  std::string type, version, destination_file, options;
  DispatchMode mode;
  int view_flag;
  std::size_t units;
  std::string first_unit;           // "id:HL03:SetClaimNo" of the first unit's record
  std::vector<std::string> claims;  // CLM01 / CLP01 of the part
};

Call Observe(const DispatchContext& ctx) {
  Call c;
  c.type = ctx.transaction_type;
  c.version = ctx.version;
  c.destination_file = ctx.spec.destination_file;
  c.options = ctx.spec.parse_options;
  c.mode = ctx.mode;
  c.view_flag = stviewx;
  c.units = ctx.index.size();
  const std::size_t f = ctx.index[1];
  c.first_unit = std::string(ctx.list.Id(f)) + ":" + std::string(ctx.list.Element(f, 3)) + ":" +
                 ctx.list.FieldText(f, 8);
  for (std::size_t i = 1; i < ctx.list.size(); ++i) {
    if (ctx.list.Id(i) == "CLM" || ctx.list.Id(i) == "CLP") {
      c.claims.emplace_back(ctx.list.Element(i, 1));
    }
  }
  return c;
}

// Handlers that record their calls and write outputs the way the export
// engine and the remittance handler name them.
class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HandlerTable table;
    auto record = [this](const char* who) {
      return [this, who](DispatchContext& ctx) {
        calls.push_back(Observe(ctx));
        calls.back().type = std::string(who) + ":" + calls.back().type;
        WriteOutput(ctx);
        return std::string(who) + "[" + ctx.transaction_type + "]";
      };
    };
    table.claims = record("claims");
    table.remittance = record("remit");
    table.acknowledgment = record("ack");
    table.text_message = record("text");
    table.claim_status = record("status");
    table.eligibility = record("eligibility");
    table.segment_listing = [this](DispatchContext& ctx) {
      listings.push_back(ctx.transaction_type);
      return std::string("listing[") + ctx.transaction_type + "]";
    };
    SetHandlerTable(table);
    SetPartPickers(nullptr);
  }
  void TearDown() override {
    SetHandlerTable({});
    SetPartPickers(nullptr);
  }

  void WriteOutput(const DispatchContext& ctx) {
    if (ctx.mode != DispatchMode::kExport && ctx.mode != DispatchMode::kOutput835) return;
    const Call& c = calls.back();
    switch (OutputFormatOf(ctx.spec.parse_type)) {
      case OutputFormat::kCsv: {
        std::string text = SplitOptions(ctx.spec.parse_options).Has("HO") ? "TYPE,CLAIM\r\n" : "";
        for (const std::string& claim : c.claims)
          text += ctx.transaction_type + "," + claim + "\r\n";
        WriteWholeFile(ExportOutputPath(ctx.spec, OutputFormat::kCsv), text);
        break;
      }
      case OutputFormat::kXml: {
        std::string text = XmlDeclaration("ISO-8859-1") + "\r\n<EXPORTDATA>\r\n";
        for (const std::string& claim : c.claims) {
          text += "<CLAIM>\r\n<ID>" + claim + "</ID>\r\n</CLAIM>\r\n";
        }
        WriteWholeFile(ExportOutputPath(ctx.spec, OutputFormat::kXml), text + "</EXPORTDATA>");
        break;
      }
      case OutputFormat::k835: {
        std::string text;
        for (const std::string& claim : c.claims) text += "CLP*" + claim + "~";
        WriteWholeFile(Remit835Path(ctx.spec), text);
        break;
      }
      default:
        break;
    }
  }

  OpenResult Run(const fs::path& file, DispatchMode mode, ParseSpec* spec = nullptr) {
    OpenRequest request;
    request.file = file.string();
    request.mode = mode;
    request.spec = spec;
    request.settings_folder = dir.path().string();
    return OpenX12File(request);
  }

  ParseSpec Spec(std::string type, std::string options, std::string base = "claims") {
    return ParseSpec{std::move(type), "in.x12", dir.path().string(), std::move(options),
                     std::move(base)};
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const Call& c : calls) out.push_back(c.destination_file);
    return out;
  }

  TempDir dir;
  std::vector<Call> calls;
  std::vector<std::string> listings;
};

TEST_F(DispatchTest, SetsOfOneInterchangeJoinIntoOneCsv) {
  ScriptedScope ui;
  ParseSpec spec = Spec("CSV", "HO,OW,FILTER=SUBLNAME,STONE");
  const OpenResult r = Run(FixturePath("837p_three_sets.x12"), DispatchMode::kExport, &spec);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.text, "claims[837]claims[837]claims[837]");
  EXPECT_EQ(Names(), (std::vector<std::string>{"claims_ST1", "claims_ST2", "claims_ST3"}));
  for (const Call& c : calls) {
    EXPECT_EQ(c.first_unit, "HL:22:1");  // each set's own claims, numbered from 1
    EXPECT_EQ(c.view_flag, 1);
    EXPECT_EQ(c.version, "5010");
    // The handler gets the caller's options whole: FILTER= and HO stay in force.
    EXPECT_EQ(c.options, "HO,OW,FILTER=SUBLNAME,STONE");
  }
  EXPECT_EQ(calls[2].units, 2u);
  EXPECT_EQ(ReadBytes(dir / "claims.csv"),
            "TYPE,CLAIM\r\n837,C1\r\n837,C2\r\n837,C3\r\n837,C4\r\n837,C5\r\n837,C6\r\n");
  for (const char* part : {"claims_ST1.csv", "claims_ST2.csv", "claims_ST3.csv"}) {
    EXPECT_FALSE(fs::exists(dir / part)) << part;
  }
  // The request is the caller's again for the next file; the flag is reset.
  EXPECT_EQ(spec.destination_file, "claims");
  EXPECT_EQ(spec.parse_options, "HO,OW,FILTER=SUBLNAME,STONE");
  EXPECT_EQ(stviewx, 0);
  EXPECT_FALSE(Shown(*ui, "question:"));  // unattended: no question, no dialog
  EXPECT_TRUE(ui->opened().empty());
}

TEST_F(DispatchTest, OdbcPartsKeepTheTableName) {
  ParseSpec spec = Spec("ODBC", "", "claims.db:CLAIMS");
  Run(FixturePath("837p_two_interchanges.x12"), DispatchMode::kExport, &spec);
  EXPECT_EQ(Names(), (std::vector<std::string>(3, "claims.db:CLAIMS")));
}

TEST_F(DispatchTest, MergeStOffKeepsTheSetFiles) {
  dir.Write("qv.ini", "[X12PARSER]\r\nMERGEST=OFF\r\nCOMMAND=0\r\n");
  ParseSpec spec = Spec("CSV", "HO");
  Run(FixturePath("837p_three_sets.x12"), DispatchMode::kExport, &spec);
  EXPECT_FALSE(fs::exists(dir / "claims.csv"));
  EXPECT_EQ(ReadBytes(dir / "claims_ST2.csv"), "TYPE,CLAIM\r\n837,C3\r\n");
  EXPECT_TRUE(fs::exists(dir / "claims_ST1.csv"));
  EXPECT_TRUE(fs::exists(dir / "claims_ST3.csv"));
}

TEST_F(DispatchTest, TheCallersReadingOfQvIniStandsForTheFile) {
  // qv.ini on disk says nothing; the text the caller read for this file
  // decides.
  dir.Write("qv.ini", "");
  const std::string settings = "[X12PARSER]\r\nMERGEST=OFF\r\nCOMMAND=0\r\n";
  ParseSpec spec = Spec("CSV", "HO");
  OpenRequest request;
  request.file = FixturePath("837p_three_sets.x12").string();
  request.mode = DispatchMode::kExport;
  request.spec = &spec;
  request.settings_folder = dir.path().string();
  request.settings_text = &settings;
  EXPECT_FALSE(OpenX12File(request).failed);
  EXPECT_FALSE(fs::exists(dir / "claims.csv"));
  EXPECT_EQ(ReadBytes(dir / "claims_ST2.csv"), "TYPE,CLAIM\r\n837,C3\r\n");
}

TEST_F(DispatchTest, EverySetOfEveryInterchangeIsProcessed) {
  ParseSpec spec = Spec("XML", "");
  const OpenResult r = Run(FixturePath("837p_two_interchanges.x12"), DispatchMode::kExport, &spec);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"claims_ISA1", "claims_ISA2_ST1", "claims_ISA2_ST2"}));
  EXPECT_EQ(calls[0].claims, (std::vector<std::string>{"C1", "C2"}));
  EXPECT_EQ(calls[1].claims, (std::vector<std::string>{"C3", "C4"}));
  EXPECT_EQ(calls[2].claims, (std::vector<std::string>{"C5"}));
  for (const Call& c : calls) EXPECT_EQ(c.first_unit, "HL:22:1");
  const std::string xml = ReadBytes(dir / "claims.xml");
  EXPECT_TRUE(
      xml.starts_with("<?xml version=\"1.0\"  encoding=\"ISO-8859-1\"?>\r\n<EXPORTDATA>\r\n"));
  EXPECT_TRUE(xml.ends_with("</CLAIM>\r\n</EXPORTDATA>"));
  std::size_t roots = 0, claims = 0;
  for (std::size_t at = xml.find("<EXPORTDATA>"); at != std::string::npos;
       at = xml.find("<EXPORTDATA>", at + 1)) {
    ++roots;
  }
  for (std::size_t at = xml.find("<CLAIM>"); at != std::string::npos;
       at = xml.find("<CLAIM>", at + 1)) {
    ++claims;
  }
  EXPECT_EQ(roots, 1u);
  EXPECT_EQ(claims, 5u);
}

TEST_F(DispatchTest, XmlDeclarationUsesTheEncodingSetting) {
  dir.Write("qv.ini", "xmlencoding=UTF-8\r\n");
  ParseSpec spec = Spec("XML", "");
  Run(FixturePath("837p_three_sets.x12"), DispatchMode::kExport, &spec);
  EXPECT_TRUE(
      ReadBytes(dir / "claims.xml").starts_with("<?xml version=\"1.0\"  encoding=\"UTF-8\"?>"));
}

TEST_F(DispatchTest, RemittanceOutputsAreAppendedPerPart) {
  std::string bytes = ReadFixture("835_three_claims.x12");
  const std::size_t st = bytes.find("ST*835");
  const std::size_t ge = bytes.find("GE*1");
  std::string second = bytes.substr(st, ge - st);
  for (const char* c : {"C1", "C2", "C3"}) {
    second.replace(second.find(std::string("CLP*") + c), 4 + 2, std::string("CLP*X") + c);
  }
  bytes.insert(ge, second);
  const auto file = dir.Write("pay.x12", bytes);
  dir.Write("claims.835", "left from yesterday~");
  ParseSpec spec = Spec("835", "");
  Run(file, DispatchMode::kOutput835, &spec);
  EXPECT_EQ(Names(), (std::vector<std::string>{"claims_ST1", "claims_ST2"}));
  // Per-set numbers index each 835 set from its first CLP.
  EXPECT_EQ(calls[1].first_unit, "CLP:100:1");
  EXPECT_EQ(calls[1].units, 3u);
  EXPECT_EQ(ReadBytes(dir / "claims.835"), "CLP*C1~CLP*C2~CLP*C3~CLP*XC1~CLP*XC2~CLP*XC3~");
}

TEST_F(DispatchTest, SetPartsOfEveryTypeAreIndexedFromTheirOwnUnits) {
  // Two eligibility sets: the second set's subscribers are its units 1 and 2.
  std::string bytes = ReadFixture("271_eligibility.x12");
  const std::size_t st = bytes.find("ST*271");
  const std::size_t ge = bytes.find("GE*1");
  bytes.insert(ge, bytes.substr(st, ge - st));
  ParseSpec spec = Spec("CSV", "");
  Run(dir.Write("elig.x12", bytes), DispatchMode::kExport, &spec);
  ASSERT_EQ(calls.size(), 2u);
  for (const Call& c : calls) {
    EXPECT_EQ(c.units, 2u);
    EXPECT_EQ(c.first_unit, "HL:22:1");
  }
}

// A picker that records its use and extracts like the built-in one.
class RecordingPickers : public PartPickers {
 public:
  SegmentList PickInterchange(const SegmentList& list, DispatchMode, int n) override {
    log.push_back("ISA" + std::to_string(n));
    return ExtractInterchange(list, static_cast<std::size_t>(n));
  }
  SegmentList PickSet(const SegmentList& list, DispatchMode, int n) override {
    log.push_back("ST" + std::to_string(n));
    return n == 2 ? list.EmptyCopy() : ExtractSet(list, static_cast<std::size_t>(n));
  }
  std::vector<std::string> log;
};

TEST_F(DispatchTest, UnattendedModesNeverUseTheDialogPickers) {
  auto pickers = std::make_shared<RecordingPickers>();
  SetPartPickers(pickers);
  ScriptedScope ui;
  ParseSpec spec = Spec("837", "");
  Run(FixturePath("837p_two_interchanges.x12"), DispatchMode::kClaimFiles, &spec);
  EXPECT_TRUE(pickers->log.empty());
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_TRUE(ui->opened().empty());

  // Viewing uses them; a picker that returns nothing ends the part loop.
  calls.clear();
  Run(FixturePath("837p_two_interchanges.x12"), DispatchMode::kView);
  EXPECT_EQ(pickers->log, (std::vector<std::string>{"ISA1", "ISA2", "ST1", "ST2"}));
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(DispatchTest, ViewingMergedSetsNumbersClaimsOverAllSets) {
  ScriptedScope ui;
  ui->AnswerYesNo(false);  // not the individual sets
  const OpenResult r = Run(FixturePath("837p_three_sets.x12"), DispatchMode::kView);
  EXPECT_TRUE(ui->HasLine(
      "question:  Multiple Set Batch File.: Would you like to see the individual batchs? -> No"));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].units, 5u);
  EXPECT_EQ(calls[0].claims.size(), 6u);
  EXPECT_EQ(calls[0].view_flag, 1);
  EXPECT_EQ(r.text, "claims[837]");

  calls.clear();
  ui->AnswerYesNo(true);
  Run(FixturePath("837p_three_sets.x12"), DispatchMode::kView);
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].view_flag, 0);
}

// A scripted ui on which no editor can be started.
class NoEditorUi : public ui::ScriptedUi {
 public:
  bool Launch(ui::LaunchKind kind, const std::string& target) override {
    ScriptedUi::Launch(kind, target);
    return false;
  }
};

TEST_F(DispatchTest, FilesThatDoNotBeginWithIsa) {
  const std::string junk = "Claims for January\r\n" + ReadFixture("271_eligibility.x12");
  const auto file = dir.Write("mail.txt", junk);
  const std::string warning =
      file.string() + " ISA segment is unreadable. This may not be a standard X12 file.";
  {
    // Unattended: the default answers end the call; it counts as a failure.
    std::string log;
    ui::ScopedUi headless(std::make_unique<ui::HeadlessUi>(nullptr));
    ui::CurrentUi().SetLogSink([&log](std::string_view line) { log.append(line).append("\n"); });
    ParseSpec spec = Spec("CSV", "");
    const OpenResult r = Run(file, DispatchMode::kExport, &spec);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.text, warning);
    EXPECT_NE(log.find("Do you wish to Continue to try and read this file? -> No"),
              std::string::npos)
        << log;
    EXPECT_TRUE(calls.empty());
  }
  {
    // Yes, and Notepad: the editor opens and nothing is loaded.
    ScriptedScope ui;
    ui->AnswerYesNo(true);
    ui->AnswerYesNo(true);
    EXPECT_EQ(Run(file, DispatchMode::kView).text, warning);
    EXPECT_TRUE(ui->HasLine("launch: editor " + file.string()));
    EXPECT_TRUE(calls.empty());
  }
  {
    // Without an editor the file is read from the interchange found in it.
    ScriptedScope ui(std::make_unique<NoEditorUi>());
    ui->AnswerYesNo(true);
    ui->AnswerYesNo(true);
    const OpenResult r = Run(file, DispatchMode::kView);
    EXPECT_FALSE(r.failed);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].type, "eligibility:271");
    EXPECT_EQ(calls[0].units, 2u);
  }
  {
    // A byte-order mark is no reason to warn.
    ScriptedScope ui;
    calls.clear();
    Run(FixturePath("837p_wrapped_isa_bom.x12"), DispatchMode::kView);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_FALSE(Shown(*ui, "may not be a standard X12 file"));
  }
}

TEST_F(DispatchTest, BlankSeparatorWarnsAndGoesOn) {
  ScriptedScope ui;
  const auto file =
      dir.Write("blank.x12", Isa(' ', ':') + "~GS HC~ST 837 1~SE 2 1~GE 1 1~IEA 1 1~");
  Run(file, DispatchMode::kView);
  EXPECT_TRUE(
      ui->HasLine("message: Warning: VAZOD file warning error. File is missing delimiters."));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].type, "claims:837");
}

TEST_F(DispatchTest, ReportModesAppendTheSegmentListing) {
  ParseSpec spec = Spec("TXT", "");
  EXPECT_EQ(Run(FixturePath("837p_three_sets.x12"), DispatchMode::kReportText, &spec).text,
            "claims[837]listing[837]");
  ParseSpec ic = Spec("TXT", "IC");
  EXPECT_EQ(Run(FixturePath("835_three_claims.x12"), DispatchMode::kReportHtml, &ic).text,
            "remit[835]");
  // 864 has no report handler; other types are the listing itself, once.
  std::string msg = ReadFixture("997_ack.x12");
  msg.replace(msg.find("ST*997"), 6, "ST*864");
  EXPECT_EQ(Run(dir.Write("msg.x12", msg), DispatchMode::kReportText, &spec).text, "listing[864]");
  msg.replace(msg.find("ST*864"), 6, "ST*276");
  EXPECT_EQ(Run(dir.Write("req.x12", msg), DispatchMode::kReportRtf, &spec).text, "listing[276]");
  // In viewing, 864 goes to its own screen.
  msg.replace(msg.find("ST*276"), 6, "ST*864");
  EXPECT_EQ(Run(dir.Write("msg2.x12", msg), DispatchMode::kView).text, "text[864]");
}

TEST_F(DispatchTest, ChoosingTheFile) {
  ScriptedScope ui;
  dir.Write("qv.ini", "[X12VIEWER]\r\nSETEXTENSION=*.X12\r\nCOMMAND=0\r\n");
  // A missing file asks with the file dialog; cancelling ends quietly.
  const OpenResult cancelled = Run(dir / "missing.x12", DispatchMode::kView);
  EXPECT_EQ(cancelled.text, "");
  ASSERT_EQ(ui->file_choosers().size(), 1u);
  EXPECT_EQ(ui->file_choosers()[0].title, "Select X12 File");
  EXPECT_EQ(ui->file_choosers()[0].masks, std::vector<std::string>{"*.X12"});
  ui->ChooseFileResult(FixturePath("997_ack.x12").string());
  EXPECT_EQ(Run("", DispatchMode::kView).text, "ack[997]");
  EXPECT_EQ(calls.back().version, "4010");
  // Mode 11 ends before anything is read.
  EXPECT_EQ(Run(FixturePath("997_ack.x12"), DispatchMode::kCsvTo837I).text, "");
  EXPECT_EQ(calls.size(), 1u);
  // An unattended run on a missing source is a failure.
  ParseSpec spec = Spec("CSV", "");
  EXPECT_TRUE(Run(dir / "missing.x12", DispatchMode::kExport, &spec).failed);
}

}  // namespace
}  // namespace ardentix::x12
