#include "parse/parse_dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui/scripted.h"

namespace ardentix::parse {
namespace {

using ui::Dialog;
using ui::Event;
namespace id = parse_ids;

class ParseDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto scripted = std::make_unique<ui::ScriptedUi>();
    ui_ = scripted.get();
    scope_ = std::make_unique<ui::ScopedUi>(std::move(scripted));
  }
  ui::ScriptedUi* ui_ = nullptr;
  std::unique_ptr<ui::ScopedUi> scope_;
};

TEST_F(ParseDialogTest, BeginBuildsTheOptionsInTheirOrder) {
  ui_->PlayDialog([](Dialog& d) {
    EXPECT_EQ(d.title(), "X12 Parser");
    EXPECT_EQ(d.Text(id::kFormat), "Mapped Format");
    EXPECT_EQ(d.At(id::kSource).max_length, 255);
    EXPECT_EQ(d.At(id::kOptions).max_length, 1000);
    // Defaults NO, NO, YES, NO; choosing 837 switches on Individual Claims.
    EXPECT_EQ(d.Text(id::kIndividual), "NO");
    EXPECT_EQ(d.Text(id::kHeader), "YES");
    d.Fire(Event::Click(id::kTypeButton));
    EXPECT_EQ(d.Text(id::kType), "837");
    EXPECT_EQ(d.Text(id::kIndividual), "YES");
    d.Fire(Event::Click(std::string(id::kMerge) + "_toggle"));
    d.Fire(Event::Click(std::string(id::kHeader) + "_toggle"));
    d.Fire(Event::Click(id::kSourceFolder));
    d.Fire(Event::Change(id::kOptions, "ml,MAP=Owners.xml"));
    d.Fire(Event::Click(id::kBegin));
  });
  ui_->PlayDialog([](Dialog& d) {
    EXPECT_EQ(d.title(), "Parser Output Type");
    std::vector<std::string> words;
    for (const auto& c : d.controls()) words.push_back(c->text);
    EXPECT_EQ(words, DialogTypeWords());
    d.Fire(Event::Click("type:837"));
  });
  ui_->ChooseFolderResult("/data/in");
  const x12::ParseSpec spec = ParseDialog({}, "/work");
  EXPECT_EQ(spec.parse_type, "837");
  EXPECT_EQ(spec.source_file, "/data/in");
  EXPECT_EQ(spec.parse_options, "IC,MF,ml,MAP=Owners.xml");
  EXPECT_FALSE(ui_->HasLine("message: X12 Parser: Source File or Folder Required."));
  EXPECT_TRUE(ui_->ScriptDone());
}

TEST_F(ParseDialogTest, RequestShowsAndMissingPartsAreSaid) {
  ui_->PlayDialog([](Dialog& d) {
    EXPECT_EQ(d.Text(id::kType), "CSV");
    EXPECT_EQ(d.Text(id::kDestination), "/out");
    EXPECT_EQ(d.Text(id::kOverwrite), "YES");  // OW of the request
    EXPECT_EQ(d.Text(id::kOptions), "MO");
    d.Fire(Event::Click(id::kBegin));
  });
  x12::ParseSpec in;
  in.parse_type = "CSV";
  in.destination_folder = "/out";
  in.parse_options = "OW,MO";
  const x12::ParseSpec spec = ParseDialog(in, "/work");
  EXPECT_EQ(spec.parse_options, "OW,HO,MO");
  EXPECT_TRUE(ui_->HasLine("message: X12 Parser: Source File or Folder Required."));
  EXPECT_FALSE(ui_->HasLine("message: X12 Parser: Parser Output Type Required."));
}

TEST_F(ParseDialogTest, ExitEmptiesTheType) {
  ui_->PlayDialog([](Dialog& d) { d.Fire(Event::Click(id::kExit)); });
  x12::ParseSpec in;
  in.parse_type = "CSV";
  in.source_file = "/in.x12";
  EXPECT_EQ(ParseDialog(in, "/work").parse_type, "");
}

TEST_F(ParseDialogTest, OdbcDestinationComesFromSelectDsn) {
  SetDataSourceLister([] { return std::vector<std::string>{"reports", "warehouse"}; });
  ui_->PlayDialog([](Dialog& d) {
    d.Fire(Event::Click(id::kDestinationFile));
    EXPECT_EQ(d.Text(id::kDestination), "warehouse:claims");
    d.Fire(Event::Click(id::kBegin));
  });
  ui_->PlayDialog([](Dialog& d) {
    EXPECT_EQ(d.title(), "Select DSN");
    EXPECT_EQ(d.At("table").max_length, 48);
    EXPECT_EQ(d.At("dsn").Selection(), 1);  // the last source is preselected
    d.Fire(Event::Change("table", "claims   "));
    d.Fire(Event::Click("continue"));
  });
  x12::ParseSpec in;
  in.parse_type = "ODBC";
  in.source_file = "/in.x12";
  EXPECT_EQ(ParseDialog(in, "/work").destination_folder, "warehouse:claims");
  // "Folder" gives no destination for ODBC.
  ui_->PlayDialog([](Dialog& d) {
    d.Fire(Event::Click(id::kDestinationFolder));
    d.Fire(Event::Click(id::kBegin));
  });
  in.destination_folder = "old:table";
  EXPECT_EQ(ParseDialog(in, "/work").destination_folder, "");
  SetDataSourceLister(nullptr);
  EXPECT_TRUE(ui_->ScriptDone());
}

TEST_F(ParseDialogTest, SelectDsnGivesSourceAndTable) {
  ui_->PlayDialog([](Dialog& d) {
    EXPECT_EQ(d.At("dsn").Selection(), 1);
    d.Fire(Event::Select("dsn", 0));
    d.Fire(Event::Change("table", "claims  "));
    d.Fire(Event::Click("continue"));
  });
  EXPECT_EQ(SelectDsnDialog(std::vector<std::string>{"reports  ", "warehouse"}), "reports:claims");
  ui_->PlayDialog([](Dialog& d) {
    d.Fire(Event::Change("table", "claims"));
    d.Fire(Event::Click("cancel"));
  });
  EXPECT_EQ(SelectDsnDialog(std::vector<std::string>{"reports"}), "");
  // "Select Table" asks the registered picker for the chosen source.
  SetOdbcTablePicker([](const std::string& dsn) { return std::optional<std::string>(dsn + "_t"); });
  ui_->PlayDialog([](Dialog& d) {
    d.Fire(Event::Click("select_table"));
    d.Fire(Event::Click("continue"));
  });
  EXPECT_EQ(SelectDsnDialog(std::vector<std::string>{"a", "b"}), "b:b_t");
  SetOdbcTablePicker(nullptr);
}

}  // namespace
}  // namespace ardentix::parse
