// Runs the built program the way a user does, in a temporary folder with no
// terminal.
#include <gtest/gtest.h>

#include <string>

#include "shell/test_support.h"

namespace ardentix::shell {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;
using testing::RunProgram;
using testing::TempFolder;

TEST(Program, VersionAndHelp) {
  TempFolder folder;
  ProgramResult version = RunProgram(ARDENTIX_PROGRAM, {"--version"}, folder.path());
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "Ardentix (model QVK0M318) version 1.18H-20\n");

  ProgramResult help = RunProgram(ARDENTIX_PROGRAM, {"--help"}, folder.path());
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.err, "");
  // Every type word and option word has its own line, and so does every
  // exit status.
  for (const char* word :
       {"CSV",        "XML",     "DBF",      "ODBC", "TXT",       "HTM", "RTF", "PDF", "837",
        "835",        "276",     "HL7",      "ISA",  "CSVTO837I", "OW",  "IC",  "MF",  "MN",
        "MO",         "HO",      "FL",       "SL",   "PO",        "SO",  "ML",  "ST",  "MAP=",
        "SELECTMAP=", "FILTER=", "DEBUG=ON", "0",    "1",         "2",   "3"}) {
    const std::string w(word);
    const std::string line_start = "\n  " + w + (w.back() == '=' ? "" : " ");
    EXPECT_NE(help.out.find(line_start), std::string::npos) << word;
  }
  for (const char* parameter : {"TYPE", "SOURCE", "DESTINATION", "OPTIONS"}) {
    EXPECT_NE(help.out.find(std::string("\n  ") + parameter + " "), std::string::npos);
  }
  // Nothing was written in the folder.
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(Program, CommandLineStatusesWithoutADisplay) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      // No parameters and no display: the user interface cannot start.
      {{}, 2, "needs the desktop version"},
      // A source that does not exist: the run could not process it.
      {{"CSV", "in.x12", "out", "HO,OW"}, 3, "does not exist"},
      // "--help" among other parameters is a type word like any other.
      {{"--help", "in.x12"}, 2, "unknown output type word"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    ProgramResult run = RunProgram(ARDENTIX_PROGRAM, c.args, folder.path());
    EXPECT_EQ(run.exit_code, c.status) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
    EXPECT_FALSE(fs::exists(folder / "Error.log"));
  }
}

}  // namespace
}  // namespace ardentix::shell
