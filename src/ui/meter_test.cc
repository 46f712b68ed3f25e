#include "ui/meter.h"

#include <gtest/gtest.h>

#include "ui/scripted.h"

namespace ardentix::ui {
namespace {

class MeterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto ui = std::make_unique<ScriptedUi>();
    ui_ = ui.get();
    scoped_ = std::make_unique<ScopedUi>(std::move(ui));
    SetMetersOff(false);
  }
  void TearDown() override {
    SetMetersOff(false);
    scoped_.reset();
  }
  ScriptedUi* ui_ = nullptr;
  std::unique_ptr<ScopedUi> scoped_;
};

TEST_F(MeterTest, FourOperations) {
  const MeterHandle h = MeterOpen("Loading File a.x12", "Please Wait..");
  MeterSetPercent(50);
  MeterSetPercent(150);  // clamped
  MeterSetStatus("Set 2");
  MeterClose(h);
  EXPECT_EQ(ui_->transcript(),
            (std::vector<std::string>{"meter open: Loading File a.x12 | Please Wait..",
                                      "meter percent: 50", "meter percent: 100",
                                      "meter status: Set 2", "meter close"}));
  EXPECT_EQ(MetersOpen(), 0);
}

TEST_F(MeterTest, MetersOffShowNothing) {
  SetMetersOff(true);
  const MeterHandle h = MeterOpen("Exporting x", "Please Stand By..");
  EXPECT_EQ(h, 0);
  MeterSetPercent(10);
  MeterSetStatus("x");
  MeterClose(h);
  EXPECT_TRUE(ui_->transcript().empty());
}

TEST_F(MeterTest, ASecondMeterDoesNotBreakTheFirst) {
  const MeterHandle outer = MeterOpen("Formatting", "Please Stand By..");
  const MeterHandle inner = MeterOpen("Loading File b", "Please Wait..");
  MeterSetPercent(30);  // the inner bar
  MeterClose(inner);
  MeterSetPercent(70);  // the outer bar again
  EXPECT_EQ(MetersOpen(), 1);
  MeterClose(outer);
  MeterClose(outer);  // closing twice is harmless
  const auto& t = ui_->transcript();
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[2], "meter percent: 30");
  EXPECT_EQ(t[3], "meter close");
  EXPECT_EQ(t[4], "meter percent: 70");
}

TEST_F(MeterTest, ScopedMeterSendsOnlyChangesAndClosesOnEarlyReturn) {
  {
    ScopedMeter m("Loading File c", "Please Wait..");
    for (unsigned long long pos = 0; pos <= 1000; ++pos) m.Update(pos, 1000);
  }
  int percents = 0;
  for (const auto& line : ui_->transcript()) percents += line.rfind("meter percent", 0) == 0;
  EXPECT_EQ(percents, 101);
  EXPECT_EQ(ui_->transcript().back(), "meter close");
}

}  // namespace
}  // namespace ardentix::ui
