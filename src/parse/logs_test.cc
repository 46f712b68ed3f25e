#include "parse/logs.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include "common/files.h"
#include "common/ini.h"

namespace ardentix::logs {
namespace {

class LogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    SetClock([] { return std::time_t{1796985723}; });  // 12/11/26 10:42:03 UTC
    dir_ = fs::temp_directory_path() /
           ("ardentix_logs_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    SetClock(nullptr);
    fs::remove_all(dir_);
  }
  std::string Read(std::string_view name) {
    return ReadWholeFile(dir_ / name).value_or("<missing>");
  }
  fs::path dir_;
};

TEST_F(LogsTest, ParseLogBytes) {
  ASSERT_TRUE(WriteWholeFile(dir_ / "temp.log", "stale"));
  ParseLog log(dir_);
  EXPECT_FALSE(FileExists(dir_ / "temp.log"));  // deleted at the start
  EXPECT_EQ(Read("qvmap.log"), "");             // created empty at the start
  log.Step(" - Parse CSV.");
  AppendTempLog(dir_, {" File Type = 837 ", " Claim Count = 2"});
  AppendMapLog(dir_, {"Mapping File Not Found. Using Default System Map Professional"});
  const std::string text = log.Finish({"CSV", "in.x12", "out", "HO,OW", "in"}, false, "/work");
  const std::string expected =
      "Qorvane Software Model QVK0M318 X12 Parser Log\r\n"
      "Started 12/11/26  10:42:03\r\n"
      "Parser Version Number :  1.18H-20\r\n"
      "   Sub Version Number :  1.18H-20\r\n"
      "     Operating System : OS\r\n"
      "     Compiler Version : CC\r\n"
      "\r\n"
      "10:42:03 - Parse CSV.\r\n"
      " File Type = 837 \r\n Claim Count = 2\r\n\r\n\r\n"
      "\r\nEnded   12/11/26  10:42:03\r\n"
      "\r\nElapsed 0.00 seconds.\r\n"
      "Current Operating Directory:\r\n   /work\r\n\r\n"
      "Command Array:\r\n  1 CSV\r\n  2 in.x12\r\n  3 out\r\n  4 HO,OW\r\n  5 in\r\n"
      "\r\nMap Log Data.\r\n"
      "Mapping File Not Found. Using Default System Map Professional\r\n\r\n";
  // The operating-system, compiler and elapsed texts depend on the machine.
  const std::regex varying(
      "(Operating System : )[^\r]*|(Compiler Version : )[^\r]*|"
      "(Elapsed )[0-9.]+");
  const std::string normal = std::regex_replace(text, varying, "$1$2$3");
  EXPECT_EQ(normal, std::regex_replace(expected, varying, "$1$2$3"));
  EXPECT_EQ(Read("parse.log"), text);
  EXPECT_EQ(log.FileName(true), "PARSE121126104203.LOG");
}

TEST_F(LogsTest, RunWithoutMapLogSaysSoAndMultipleLogsGetTheirName) {
  ParseLog log(dir_);
  fs::remove(dir_ / "qvmap.log");
  const std::string text = log.Finish({"TXT", "a", "", "ML", "a"}, true, "/w");
  EXPECT_TRUE(text.ends_with("\r\nNo Map Log Available.\r\n"));
  EXPECT_EQ(Read("PARSE121126104203.LOG"), text);
  EXPECT_FALSE(FileExists(dir_ / "parse.log"));
}

TEST_F(LogsTest, TempAndMapLogRules) {
  AppendMapLog(dir_, {"x"});  // only added to an existing map log
  EXPECT_FALSE(FileExists(dir_ / "qvmap.log"));
  ResetMapLog(dir_, "Institutional ");
  AppendMapLog(dir_, {" Field Count " + Padded(2)});
  EXPECT_EQ(Read("qvmap.log"), "Maptype = Institutional \r\n Field Count          2\r\n");
  AppendTempLog(dir_, {"  "});  // blank text is not written
  EXPECT_FALSE(FileExists(dir_ / "temp.log"));
  AppendTempLog(dir_, {"a"});
  AppendTempLog(dir_, {"b"});
  EXPECT_EQ(Read("temp.log"), "a\r\nb\r\n");
  ReplaceTempLog(dir_, {" File Type = 835 "});
  EXPECT_EQ(Read("temp.log"), " File Type = 835 \r\n");
}

TEST_F(LogsTest, ExportLogCollectsAndRemovesItsWorkingFiles) {
  ASSERT_TRUE(WriteWholeFile(dir_ / "qvdebug.log", "old"));
  BeginExportLog(dir_);
  EXPECT_FALSE(FileExists(dir_ / "qvdebug.log"));
  AppendTempLog(dir_, {" File Type = 837 "});
  ResetMapLog(dir_, "Professional");
  DebugTrace trace(dir_, true, 109, "837");
  trace.Line("Claim :          1  10:42:03");
  trace.Finish();
  const std::string text = EndExportLog(dir_, "/w");
  EXPECT_EQ(
      text.rfind("Qorvane Software Model QVK0M318 X12 Export Log\r\n"
                 "Qorvane Software Model QVK0M318 X12 Export Log\r\nStarted 12/11/26  10:42:03",
                 0),
      0u);
  EXPECT_NE(text.find(" File Type = 837 \r\nEnded   12/11/26  10:42:03\r\n"), std::string::npos);
  EXPECT_NE(text.find("Map Log Data.\r\nMaptype = Professional\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n\r\nQorvane Software Model Export Debug Log\r\nStarted   12/11/26"),
            std::string::npos);
  EXPECT_NE(text.find(" - XFunction=       109\r\n - XType=837\r\n"), std::string::npos);
  EXPECT_FALSE(FileExists(dir_ / "temp.log"));
  EXPECT_FALSE(FileExists(dir_ / "qvmap.log"));
  EXPECT_EQ(Read("export.log"), text);
}

TEST_F(LogsTest, DateFormatFollowsTheReportFormatterChoice) {
  ini::SetDateFormat("YYYY/MM/DD");
  EXPECT_EQ(DateText(Now()), "2026/12/11");
  ini::SetDateFormat("MM/DD/YY");
  EXPECT_EQ(DateText(Now()), "12/11/26");
}

TEST_F(LogsTest, RunLockMakesASecondRunWait) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    RunLock lock(dir_);
    char c = 'x';
    (void)!write(ready[1], &c, 1);
    usleep(300 * 1000);
    _exit(lock.held() ? 0 : 1);
  }
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  RunLock second(dir_);
  EXPECT_TRUE(second.held());
  EXPECT_TRUE(second.waited());
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
}  // namespace ardentix::logs
