#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "ui/headless.h"
#include "ui/scripted.h"
#include "ui/terminal.h"

namespace ardentix::ui {
namespace {

std::string ReadAll(std::FILE* f) {
  std::rewind(f);
  std::string out;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  return out;
}

TEST(HeadlessUi, TakesDefaultsLogsAndNeverShowsADialog) {
  std::FILE* err = std::tmpfile();
  HeadlessUi ui(err);
  std::vector<std::string> log;
  ui.SetLogSink([&](std::string_view line) { log.emplace_back(line); });
  EXPECT_FALSE(ui.AskYesNo("Overwrite out.csv?", "Confirm", false));
  EXPECT_TRUE(ui.AskYesNo("Continue?", "", true));
  EXPECT_FALSE(ui.ChooseFile(FileChooserSpec{"Select X12 File", ".", {"*.*"}}).has_value());
  Dialog d("Set BASE Directory", 400, 200);
  d.AddButton("save", "Save", Cells(1, 1, 1, 5));
  bool clicked = false;
  d.OnClick("save", [&](Dialog&, const Event&) { clicked = true; });
  EXPECT_EQ(ui.RunModal(d), 0);
  EXPECT_FALSE(clicked);
  EXPECT_TRUE(d.closed());
  EXPECT_FALSE(ui.Launch(LaunchKind::kEditor, "qv.ini"));
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0], "Confirm: Overwrite out.csv? -> No (default answer, no user)");
  EXPECT_NE(ReadAll(err).find("Overwrite out.csv?"), std::string::npos);
  std::fclose(err);
}

TEST(TerminalUi, AsksAndEnterTakesTheDefault) {
  struct Case {
    const char* input;
    bool default_yes;
    bool expected;
  };
  const Case cases[] = {
      {"\n", false, false},  {"\n", true, true}, {"y\n", false, true},
      {"NO\n", true, false}, {"", true, true},   {"maybe\nyes\n", false, true},
  };
  for (const auto& c : cases) {
    std::FILE* in = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fputs(c.input, in);
    std::rewind(in);
    TerminalUi ui(in, err);
    EXPECT_EQ(ui.AskYesNo("Overwrite?", "Confirm", c.default_yes), c.expected) << c.input;
    EXPECT_NE(ReadAll(err).find(c.default_yes ? "[Y/n]" : "[y/N]"), std::string::npos);
    std::fclose(in);
    std::fclose(err);
  }
}

TEST(ScriptedUi, PlaysDialogsAndRecords) {
  ScriptedUi ui;
  ui.AnswerYesNo(true);
  ui.ChooseFileResult("/tmp/a.x12");
  ui.PlayDialog([](Dialog& d) {
    d.Fire(Event::Change("path", "/data"));
    d.Fire(Event::Click("save"));
  });
  EXPECT_TRUE(ui.AskYesNo("Q?", "T", false));
  EXPECT_FALSE(ui.AskYesNo("Again?", "T", false));  // script used up: default
  EXPECT_EQ(ui.ChooseFile(FileChooserSpec{"Pick", ".", {"*.x12"}}).value(), "/tmp/a.x12");
  Dialog d("Folder", 300, 100);
  d.AddEdit("path", "", Cells(1, 1, 1, 20));
  d.AddButton("save", "Save", Cells(2, 1, 1, 5));
  d.OnClick("save", [](Dialog& dlg, const Event&) { dlg.Close(7); });
  EXPECT_EQ(ui.RunModal(d), 7);
  EXPECT_EQ(ui.closed().back().Find("path")->text, "/data");
  EXPECT_EQ(ui.opened().back().Find("path")->text, "");
  EXPECT_TRUE(ui.HasLine("question: T: Q? -> Yes"));
  EXPECT_TRUE(ui.HasLine("dialog closed: Folder -> 7"));
  EXPECT_TRUE(ui.ScriptDone());
}

}  // namespace
}  // namespace ardentix::ui

namespace ardentix::ui {
namespace {

TEST(SpawnDetached, ReportsWhetherTheProgramStartedAndLeavesNoChild) {
  EXPECT_TRUE(SpawnDetached({"true"}));
  EXPECT_FALSE(SpawnDetached({"/no/such/program"}));
  EXPECT_FALSE(SpawnDetached({}));
  // Both starts went through a middle process that has been reaped: no
  // child of ours is left.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace ardentix::ui
