#include "export/format_choice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "ui/headless.h"
#include "ui/scripted.h"
#include "ui/ui.h"

namespace ardentix {
namespace {

using ::testing::ElementsAre;

class FormatChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto scripted = std::make_unique<ui::ScriptedUi>();
    ui_ = scripted.get();
    scoped_ = std::make_unique<ui::ScopedUi>(std::move(scripted));
  }
  void TearDown() override { SetFormControlOpener({}); }
  ui::ScriptedUi* ui_ = nullptr;
  std::unique_ptr<ui::ScopedUi> scoped_;
};

ui::ScriptedUi::Player Press(std::vector<std::string> ids) {
  return [ids](ui::Dialog& d) {
    for (const std::string& id : ids) EXPECT_TRUE(d.Fire(ui::Event::Click(id))) << id;
  };
}

TEST_F(FormatChoiceTest, EachButtonGivesItsCode) {
  const struct {
    int variant;
    std::vector<std::string> pressed;  // empty: the close box
    std::string code;
  } cases[] = {
      {1, {"text"}, "A"},  {1, {"html"}, "B"}, {1, {"rtf"}, "C"},   {1, {"pdf"}, "D"},
      {1, {"cancel"}, ""}, {2, {"csv"}, "A"},  {2, {"xml"}, "B"},   {2, {"dbf"}, "C"},
      {2, {"cancel"}, ""}, {2, {}, ""},        {3, {"print"}, "A"}, {3, {"cancel"}, ""},
      {4, {"bmp"}, "A"},   {4, {"jpg"}, "B"},  {4, {"tif"}, "C"},   {4, {}, ""},
  };
  for (const auto& c : cases) {
    if (c.pressed.empty()) {
      ui_->PlayDialog([](ui::Dialog& d) { d.Fire(ui::Event::CloseBox()); });
    } else {
      ui_->PlayDialog(Press(c.pressed));
    }
    EXPECT_EQ(SelectFormat(c.variant), c.code) << c.variant << " " << c.pressed.size();
  }
  EXPECT_TRUE(ui_->ScriptDone());
}

TEST_F(FormatChoiceTest, LayoutOfTheVariants) {
  const struct {
    int variant;
    int height;
    std::vector<std::string> captions;
    std::vector<int> rows;
  } cases[] = {
      {1, 260, {"Text", "HTML", "RTF", "PDF", "Cancel"}, {10, 30, 50, 70, 90}},
      {2, 260, {"CSV", "XML", "DBF", "Cancel"}, {10, 30, 50, 90}},
      {3, 180, {"Print", "Form Control", "Cancel"}, {10, 30, 70}},
      {4, 180, {"BMP", "JPG", "TIF", "Cancel"}, {10, 30, 50, 70}},
  };
  for (const auto& c : cases) {
    SelectFormat(c.variant);
    const ui::DialogSnapshot& shown = ui_->opened().back();
    EXPECT_EQ(shown.title, "Select Format");
    EXPECT_EQ(shown.width, 180);
    EXPECT_EQ(shown.height, c.height);
    std::vector<std::string> captions;
    std::vector<int> rows;
    for (const ui::Control& b : shown.controls) {
      EXPECT_EQ(b.kind, ui::ControlKind::kButton);
      EXPECT_EQ(b.rect.x, 10);
      EXPECT_EQ(b.rect.width, 60);
      EXPECT_EQ(b.rect.height, 12);
      EXPECT_TRUE(ui::SpecOf(b.font).bold);
      captions.push_back(b.text);
      rows.push_back(b.rect.y);
    }
    EXPECT_EQ(captions, c.captions) << c.variant;
    EXPECT_EQ(rows, c.rows) << c.variant;
  }
}

TEST_F(FormatChoiceTest, FormControlOpensAlignmentAndKeepsTheChoiceOpen) {
  std::vector<std::string> opened_with;
  SetFormControlOpener([&](const std::string& folder) { opened_with.push_back(folder); });
  ui_->PlayDialog(Press({"form_control", "cancel"}));
  EXPECT_EQ(SelectFormat(3, "/work/forms"), "");
  ui_->PlayDialog(Press({"form_control", "print"}));
  EXPECT_EQ(SelectFormat(3, "/work/forms"), "A");
  EXPECT_THAT(opened_with, ElementsAre("/work/forms", "/work/forms"));
}

TEST_F(FormatChoiceTest, NoChoiceWithoutAUserOrAVariant) {
  EXPECT_EQ(SelectFormat(5), "");
  EXPECT_EQ(SelectFormat(0), "");
  EXPECT_TRUE(ui_->transcript().empty());
  ui::ScopedUi headless(std::make_unique<ui::HeadlessUi>(nullptr));
  EXPECT_EQ(SelectFormat(2), "");
}

}  // namespace
}  // namespace ardentix
