#include "shell/error_trap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "shell/test_support.h"
#include "ui/scripted.h"
#include "ui/ui.h"

namespace ardentix::shell {
namespace {

using testing::ProgramResult;
using testing::ReadText;
using testing::RunProgram;
using testing::TempFolder;

constexpr const char* kHead =
    "Qorvane Software Error Handler\r\n"
    "===========\r\n"
    "Model : QVK0M318\r\n"
    "Version :  1.18H-20\r\n"
    "Subversion : 1.18H-20\r\n"
    "===========\r\n"
    "   Path and name: ";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ErrorText, FormsTheErrorLine) {
  struct Case {
    ErrorInfo info;
    const char* expected;
  };
  const Case cases[] = {
      {{0, 2, "C++", "std::runtime_error", "bad", "", ""}, "Error C++/std::runtime_error  bad"},
      {{0, 1, "", "", "", "", ""},
       "Warning ???"
       "/???"},
      {{2, 2, "C++", "std::filesystem::filesystem_error", "gone", "/x/y", "open"},
       "(DOS Error 2) C++/std::filesystem::filesystem_error  gone: /x/y"},
      {{0, 2, "PROBE", "7", "", "", "probe"}, "Error PROBE/7: probe"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorText(c.info), c.expected);
}

TEST(DescribeException, NamesTypeMessageCodeAndFile) {
  ErrorInfo plain = DescribeException(std::make_exception_ptr(std::out_of_range("index 9")));
  EXPECT_EQ(ErrorText(plain), "Error C++/std::out_of_range  index 9");

  ErrorInfo fs_error = DescribeException(std::make_exception_ptr(std::filesystem::filesystem_error(
      "cannot open", "/data/in.x12", std::make_error_code(std::errc::permission_denied))));
  EXPECT_EQ(fs_error.os_code, EACCES);
  EXPECT_EQ(fs_error.file, "/data/in.x12");
  EXPECT_EQ(ErrorText(fs_error).rfind("(DOS Error " + std::to_string(EACCES) + ") C++/", 0), 0u);

  ErrorInfo odd = DescribeException(std::make_exception_ptr(42));
  EXPECT_EQ(odd.subsystem_code, "int");
}

TEST(ErrorReportText, HoldsTheSectionsInOrderAndNoVariables) {
  ErrorInfo info{0, 2, "C++", "std::logic_error", "broken", "", ""};
  const std::string report = ErrorReportText(info, {"   Called from Foo()(ardentix)"});
  ASSERT_EQ(report.rfind(kHead, 0), 0u) << report;
  const char* in_order[] = {
      "   Size: ",
      " bytes\r\n   Time from start: ",
      "   Error occurred at: ",
      "   Error description: Error C++/std::logic_error  broken\r\n",
      "\r\n\r\nStack Calls\r\n===========\r\n   Called from Foo()(ardentix)\r\n",
      "\r\nSystem\r\n======\r\n",
      "   System version: ",
      "\r\nMemory Analysis\r\n===============\r\n",
      "      Actual  Value: ",
      "      Highest Value: "};
  std::size_t at = 0;
  for (const char* part : in_order) {
    std::size_t found = report.find(part, at);
    ASSERT_NE(found, std::string::npos) << part << "\n" << report;
    at = found;
  }
  EXPECT_FALSE(Contains(report, "Variables in use"));
  // Every line ends in CR LF.
  for (std::size_t i = 0; i < report.size(); ++i) {
    if (report[i] == '\n') {
      ASSERT_TRUE(i > 0 && report[i - 1] == '\r') << i;
    }
  }
}

TEST(ErrorDialog, HasTheDocumentedControlsAndNoSendButton) {
  auto scripted = std::make_unique<ui::ScriptedUi>();
  ui::ScriptedUi* recorder = scripted.get();
  ui::ScopedUi scope(std::move(scripted));
  auto dialog = BuildErrorDialog("Error C++/x  y", {"   Called from A(m)", "   Called from B(m)"});
  EXPECT_EQ(dialog->title(), "Qorvane Software Error Handler");
  EXPECT_EQ(dialog->width(), 400);
  EXPECT_EQ(dialog->height(), 300);
  EXPECT_EQ(dialog->Text("error"), "Error C++/x  y");
  EXPECT_EQ(dialog->Text("stack_label"), "&Stack List");
  EXPECT_EQ(dialog->At("stack").items,
            (std::vector<std::string>{"Called from A(m)", "Called from B(m)"}));
  EXPECT_EQ(dialog->Text("exit"), "Exit Program");
  EXPECT_EQ(dialog->Text("see_log"), "See Error.log file");
  EXPECT_EQ(dialog->Text("status"), "Additional Information:");
  EXPECT_EQ(dialog->At("info").kind, ui::ControlKind::kMultiEdit);
  for (const auto& control : dialog->controls()) {
    EXPECT_FALSE(Contains(control->text, "Send")) << control->id;
  }

  recorder->PlayDialog([](ui::Dialog& d) {
    EXPECT_TRUE(d.Fire(ui::Event::Change("info", "it broke while saving")));
    EXPECT_TRUE(d.Fire(ui::Event::Click("see_log")));
    EXPECT_FALSE(d.closed());
    EXPECT_TRUE(d.Fire(ui::Event::Click("exit")));
  });
  ui::CurrentUi().RunModal(*dialog);
  const std::string log = std::filesystem::absolute("Error.log").string();
  EXPECT_TRUE(recorder->HasLine("launch: editor " + log));
  EXPECT_TRUE(dialog->closed());
}

// The trap in a real process: the probe program fails in the named way in
// a fresh folder; Error.log must be there with the report, the process must
// end with exit code 1, and stderr must carry the error line.
TEST(ErrorTrap, WritesErrorLogAndExitsOneForEveryFatalError) {
  struct Case {
    const char* mode;
    const char* error_line;
    const char* frame;  // a function the stack section must name ("" = any)
  };
  const Case cases[] = {
      {"throw", "Error C++/std::runtime_error  probe failure", "ThrowFromProbe"},
      {"throw-int", "Error C++/int  exception of a type that is not std::exception", ""},
      {"segv", "Error SIGNAL/SIGSEGV  Segmentation fault", "CrashInProbe"},
      {"overflow", "Error SIGNAL/SIGSEGV  Segmentation fault", "RecurseInProbe"},
      {"abort", "Error SIGNAL/SIGABRT  Aborted", ""},
      {"fpe", "Error SIGNAL/SIGFPE  Arithmetic exception", ""},
      {"terminate", "Error C++/std::terminate  terminate called without an active exception", ""},
      {"fatal", "Error PROBE/7  cannot go on: probe", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    TempFolder folder;
    ProgramResult run = RunProgram(ARDENTIX_ERROR_TRAP_PROBE, {c.mode}, folder.path());
    EXPECT_TRUE(run.exited) << "killed by signal " << run.signal;
    EXPECT_EQ(run.exit_code, 1);
    const std::string report = ReadText(folder / "Error.log");
    ASSERT_EQ(report.rfind(kHead, 0), 0u) << report;
    EXPECT_TRUE(Contains(report, std::string("   Error description: ") + c.error_line + "\r\n"))
        << report;
    EXPECT_TRUE(Contains(report, "\r\nStack Calls\r\n===========\r\n   Called from ")) << report;
    EXPECT_TRUE(Contains(report, c.frame)) << report;
    EXPECT_TRUE(Contains(report, "\r\nMemory Analysis\r\n")) << report;
    // Unattended: the error line on stderr, no dialog.
    EXPECT_EQ(run.err, std::string(c.error_line) + "\n");
    EXPECT_EQ(run.out, "");
  }
}

TEST(ErrorTrap, DesktopRunShowsTheErrorDialogThenExitsOne) {
  TempFolder folder;
  ProgramResult run = RunProgram(ARDENTIX_ERROR_TRAP_PROBE, {"throw", "desktop"}, folder.path());
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(Contains(run.out, "dialog: Qorvane Software Error Handler\n")) << run.out;
  EXPECT_TRUE(Contains(run.out, "control: error|Error C++/std::runtime_error  probe failure|0\n"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "control: exit|Exit Program|")) << run.out;
  EXPECT_TRUE(Contains(run.out, "control: see_log|See Error.log file|")) << run.out;
  EXPECT_TRUE(Contains(run.out, "control: status|Additional Information:|")) << run.out;
  EXPECT_FALSE(Contains(run.out, "control: stack||0\n")) << "the stack list is empty";
  EXPECT_EQ(ReadText(folder / "Error.log").rfind(kHead, 0), 0u);
}

}  // namespace
}  // namespace ardentix::shell
