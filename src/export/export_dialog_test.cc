#include "export/export_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/engine_test_support.h"
#include "export/map_file.h"

namespace ardentix {
namespace {

using engine_testing::EngineTest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using Player = ui::ScriptedUi::Player;

Player Events(std::vector<ui::Event> events) {
  return [events](ui::Dialog& d) {
    for (const ui::Event& e : events) EXPECT_TRUE(d.Fire(e)) << e.control;
  };
}
ui::Event Click(std::string id) { return ui::Event::Click(std::move(id)); }
ui::Event Select(std::string id, int row) { return ui::Event::Select(std::move(id), row); }

class ExportDialogTest : public EngineTest {
 protected:
  // The test family's part under the 835 map names, so that Save and
  // Default have map files to work on.
  ExportDialogResult Open(ExportPurpose purpose,
                          x12::DispatchMode mode = x12::DispatchMode::kView) {
    const ExportPart part{file_->list, file_->index, "835", mode, spec_, 1};
    ExportDialogRequest request;
    request.file_name = "in.x12";
    request.dialog_folder = dir_.string();
    request.base_folder = "BASE";
    request.working_folder = dir_;
    request.purpose = purpose;
    return ExportDialog(family_, part, request);
  }
  // The dialog as it closed.
  const ui::DialogSnapshot& Closed(std::size_t from_end = 0) const {
    return ui_->closed()[ui_->closed().size() - 1 - from_end];
  }
  std::vector<std::string> SavedMap() { return ParseXmlMap(Read("qv835.xml")).names; }

  x12::ParseSpec spec_;
};

TEST_F(ExportDialogTest, AddRemoveHeaderSaveAndBegin) {
  const std::string target = (dir_ / "picked.csv").string();
  ui_->PlayDialog(Events({Click("csv")}));
  ui_->PlayDialog(Events({
      Select("available", 2),
      Click("add"),  // HDR; the cursor stays on the last row
      Click("add"),  // HDR again
      Select("available", 0),
      Click("add"),  // ID; the cursor moves to AMT
      Click("add"),  // AMT
      Select("selected", 0),
      Click("remove"),
      Click("header"),
      Click("header"),
      Click("header"),  // ON, OFF, ON
      Click("save"),
      Click("begin"),
  }));
  ui_->ChooseFileResult(target);
  Write("temp.log", "left by an earlier run\r\n");

  const ExportDialogResult result = Open(ExportPurpose::kExport);
  ASSERT_TRUE(result.outcome.has_value());
  EXPECT_TRUE(result.outcome->written()) << result.outcome->reason;

  const ui::DialogSnapshot& dialog = Closed();
  EXPECT_EQ(dialog.title, "Export Data to CSV");
  EXPECT_EQ(dialog.width, 600);
  EXPECT_EQ(dialog.height, 200);
  EXPECT_THAT(dialog.Find("selected")->items, ElementsAre("Amount", "Header value", "Header value",
                                                          "Header value", "Identifier", "Amount"));
  EXPECT_EQ(dialog.Find("available")->Selection(), 2);
  EXPECT_EQ(dialog.Find("header_label")->text, "Header in file is ON");
  EXPECT_THAT(SavedMap(), ElementsAre("AMT", "HDR", "HDR", "HDR", "ID", "AMT"));

  EXPECT_EQ(ReadWholeFile(target).value_or(""),
            "AMT,HDR,HDR,HDR,ID,AMT\r\n100,B&<1,B&<1,B&<1,C1,100\r\n,B&<1,B&<1,B&<1,C 2 <x>,\r\n"
            "7.5,B&<1,B&<1,B&<1,C3,7.5\r\n");
  // The export log took temp.log's lines and the map log; both are gone.
  const std::string log = Read("export.log");
  EXPECT_TRUE(log.starts_with("Qorvane Software Model QVK0M318 X12 Export Log\r\n")) << log;
  EXPECT_THAT(log, HasSubstr(" File Created " + target + "\r\n"));
  EXPECT_THAT(log, Not(HasSubstr("left by an earlier run")));
  EXPECT_THAT(log, HasSubstr("Map Log Data.\r\nMaptype = TST\r\n"));
  EXPECT_FALSE(Exists("temp.log"));
  EXPECT_TRUE(ui_->ScriptDone());
}

TEST_F(ExportDialogTest, RemovingEverythingLeavesOneEmptyEntryThatAddReplaces) {
  ui_->PlayDialog(Events({Click("xml")}));
  ui_->PlayDialog(Events({Click("remove"), Click("remove"), Click("remove")}));
  Open(ExportPurpose::kExport);
  EXPECT_EQ(Closed().title, "Export Data to XML");
  EXPECT_THAT(Closed().Find("selected")->items, ElementsAre(""));
  EXPECT_EQ(Closed().Find("header_label")->text, "Header in file is OFF");

  ui_->PlayDialog(Events({Click("dbf")}));
  ui_->PlayDialog(Events({Click("remove"), Click("remove"), Click("remove"), Select("available", 1),
                          Click("add"), Click("save")}));
  const ExportDialogResult result = Open(ExportPurpose::kExport);
  EXPECT_FALSE(result.outcome.has_value());  // closed without Begin
  EXPECT_THAT(Closed().Find("selected")->items, ElementsAre("Amount"));
  EXPECT_THAT(SavedMap(), ElementsAre("AMT"));
  EXPECT_FALSE(Exists("export.log"));
}

TEST_F(ExportDialogTest, DefaultErasesTheXmlMapAndLoadsTheDefaultList) {
  Write("qv835.xml", XmlMapText({"ID"}));
  Write("qv835.csv", "AMT\r\n");  // CSV maps are never erased, and come first
  ui_->PlayDialog(Events({Click("csv")}));
  ui_->PlayDialog(Events({Click("default"), Click("exit")}));
  Open(ExportPurpose::kExport);
  EXPECT_THAT(ui_->opened().back().Find("selected")->items, ElementsAre("Amount"));
  EXPECT_THAT(Closed().Find("selected")->items,
              ElementsAre("Identifier", "Amount", "Header value"));
  EXPECT_FALSE(Exists("qv835.xml"));
  EXPECT_TRUE(Exists("qv835.csv"));
}

TEST_F(ExportDialogTest, ListingPurposePrintsAPage) {
  ui_->PlayDialog(Events({Click("totals")}));
  ExportDialogResult result = Open(ExportPurpose::kListing);
  EXPECT_EQ(Closed().title, "Print Field Select");
  EXPECT_EQ(Closed().Find("selected")->text, "Print Fields");
  EXPECT_EQ(Closed().Find("begin"), nullptr);
  EXPECT_EQ(Closed().Find("header"), nullptr);
  ASSERT_EQ(result.listing.size(), 3u);  // the short catalogue's rows
  EXPECT_TRUE(result.listing[1].starts_with("Amount ")) << result.listing[1];
  EXPECT_TRUE(result.listing[1].ends_with("     107.5")) << result.listing[1];

  ui_->PlayDialog(Events({Click("fields")}));
  result = Open(ExportPurpose::kListing);
  ASSERT_FALSE(result.listing.empty());
  EXPECT_EQ(result.listing[0], "Basic Field Location:");
}

TEST_F(ExportDialogTest, CancelledFormatOrNoUnitsEndTheCall) {
  ui_->PlayDialog(Events({Click("cancel")}));
  ExportDialogResult result = Open(ExportPurpose::kExport);
  EXPECT_FALSE(result.outcome.has_value());
  EXPECT_EQ(ui_->opened().size(), 1u);  // no field selection

  Load(
      "ISA*00*          *00*          *ZZ*S              *ZZ*R              *230101*1200*^*"
      "00501*000000001*0*P*:~GS*HC*S*R*20230101*1200*1*X*005010X222A1~ST*837*0001~"
      "SE*2*0001~GE*1*1~IEA*1*000000001~");
  result = Open(ExportPurpose::kExport);
  EXPECT_EQ(result.units, 0u);
  EXPECT_EQ(ui_->opened().size(), 1u);  // nothing asked
}

TEST_F(ExportDialogTest, UnattendedRunsLoadTheMapAndExportAtOnce) {
  spec_ = Spec("CSV", "HO");
  Write("qv835.csv", "HDR, ID\r\n");
  Write("qvmap.log", "");
  const ExportDialogResult result = Open(ExportPurpose::kExport, x12::DispatchMode::kExport);
  ASSERT_TRUE(result.outcome.has_value());
  EXPECT_TRUE(result.outcome->written()) << result.outcome->reason;
  EXPECT_EQ(Read("out.csv"), "HDR,ID\r\nB&<1,C1\r\nB&<1,C 2 <x>\r\nB&<1,C3\r\n");
  EXPECT_TRUE(ui_->opened().empty());
  EXPECT_TRUE(Read("qvmap.log").starts_with("Maptype = TST\r\n")) << Read("qvmap.log");
  EXPECT_THAT(Read("qvmap.log"), HasSubstr("835 CSV Map file \r\n"));
  EXPECT_FALSE(Exists("export.log"));
}

}  // namespace
}  // namespace ardentix
