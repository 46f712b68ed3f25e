#include "ui/dialog.h"

#include <gtest/gtest.h>

namespace ardentix::ui {
namespace {

class RecordingView : public DialogView {
 public:
  void ControlChanged(const Control& c) override { changed.push_back(c.id); }
  void CloseRequested() override { ++closes; }
  std::vector<std::string> changed;
  int closes = 0;
};

TEST(Dialog, EventsUpdateTheModelThenRunHandlers) {
  Dialog d("Test", 400, 200);
  d.AddEdit("name", "", Cells(1, 2, 1, 30), 5);
  d.AddList("list", {"a", "b", "c"}, Cells(3, 2, 5, 30));
  d.AddButton("ok", "OK", Cells(9, 2, 1, 8));
  std::string seen;
  d.OnClick("ok", [&](Dialog& dlg, const Event&) {
    seen = dlg.Text("name") + "/" + std::to_string(dlg.At("list").Selection());
    dlg.Close(1);
  });
  EXPECT_TRUE(d.Fire(Event::Change("name", "ABCDEFG")));  // cut to 5
  EXPECT_TRUE(d.Fire(Event::Select("list", 2)));
  EXPECT_FALSE(d.Fire(Event::Select("list", 3)));  // no such row
  EXPECT_FALSE(d.Fire(Event::Click("missing")));
  EXPECT_TRUE(d.Fire(Event::Click("ok")));
  EXPECT_EQ(seen, "ABCDE/2");
  EXPECT_TRUE(d.closed());
  EXPECT_EQ(d.result(), 1);
  EXPECT_FALSE(d.Fire(Event::Click("ok")));  // a closed dialog takes no events
}

TEST(Dialog, DisabledControlsIgnoreEventsAndViewsHearChanges) {
  Dialog d("Test", 100, 100);
  d.AddButton("b", "B", Cells(1, 1, 1, 5));
  int clicks = 0;
  d.OnClick("b", [&](Dialog&, const Event&) { ++clicks; });
  RecordingView view;
  d.AttachView(&view);
  d.SetEnabled("b", false);
  EXPECT_FALSE(d.Fire(Event::Click("b")));
  d.SetEnabled("b", true);
  EXPECT_TRUE(d.Fire(Event::Click("b")));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(view.changed, (std::vector<std::string>{"b", "b"}));
  d.Fire(Event::CloseBox());  // no close handler: closes with 0
  EXPECT_TRUE(d.closed());
  EXPECT_EQ(view.closes, 1);
}

TEST(Dialog, MenuItemsToolButtonsAndTimersFireClicks) {
  Dialog d("Main", 640, 480);
  d.AddMenu(Menu{"Functions", {{"parser", "X12 Parser", "X12 Parser"}}});
  d.AddToolButton(ToolButton{"exit", "Exit Application", "Exit Application", "exit"});
  std::vector<std::string> fired;
  d.OnClick("parser", [&](Dialog&, const Event& e) { fired.push_back(e.control); });
  d.OnClick("exit", [&](Dialog&, const Event& e) { fired.push_back(e.control); });
  d.AddTimer(TimerSpec{"splash", 1000, false},
             [&](Dialog&, const Event& e) { fired.push_back(e.control); });
  EXPECT_TRUE(d.Fire(Event::Click("parser")));
  EXPECT_TRUE(d.Fire(Event::Click("exit")));
  EXPECT_TRUE(d.Fire(Event::Timer("splash")));
  EXPECT_EQ(fired, (std::vector<std::string>{"parser", "exit", "splash"}));
}

TEST(Dialog, VirtualListsServeRowsOnDemand) {
  Dialog d("Big", 640, 480);
  d.AddList("rows", {}, Cells(1, 1, 20, 60));
  d.SetVirtualRows("rows", 5'000'000, [](std::size_t i) { return "row " + std::to_string(i); });
  EXPECT_EQ(d.At("rows").RowCount(), 5'000'000u);
  EXPECT_EQ(d.At("rows").Row(4'999'999), "row 4999999");
  EXPECT_EQ(d.At("rows").Row(5'000'000), "");
  EXPECT_TRUE(d.Fire(Event::Activate("rows", 4'000'000)));
}

TEST(Units, MatchTheDesignGrid) {
  EXPECT_EQ(Units::kRow, 16);
  EXPECT_EQ(Units::kCol, 9);
  const Rect r = Cells(2, 5, 1, 10);
  EXPECT_EQ(r.y, 32);
  EXPECT_EQ(r.x, 45);
  EXPECT_EQ(r.width, 90);
  EXPECT_TRUE(SpecOf(Font::kF1).bold);
  EXPECT_DOUBLE_EQ(SpecOf(Font::kF2).width, 9.6);
  EXPECT_DOUBLE_EQ(SpecOf(Font::kF4).height, 12);
}

}  // namespace
}  // namespace ardentix::ui
