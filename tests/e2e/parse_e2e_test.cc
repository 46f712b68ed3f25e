// The built program run the way a scheduled job runs it: no display, no
// terminal (stdin from /dev/null), in a temporary folder, on our fixtures
// and on the shared sample files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path Fixture(std::string_view name) {
  return fs::path(ARDENTIX_SOURCE_DIR) / "tests/data/parse" / name;
}

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void Write(const fs::path& file, std::string_view text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "ardentix-e2e.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }

 private:
  fs::path path_;
};

struct Result {
  int exit_code = -1;  // -1: killed or did not end
  bool timed_out = false;
  std::string err;
};

// Runs the program in `folder` with stdin from /dev/null and no DISPLAY; a
// run that has not ended after `timeout` is killed.
Result RunProgram(const std::vector<std::string>& args, const fs::path& folder,
                  std::chrono::seconds timeout = std::chrono::seconds(60)) {
  TempFolder capture;
  const fs::path err_file = capture / "stderr";
  Result result;
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    const std::string program = ARDENTIX_PROGRAM;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!result.timed_out && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  result.err = Read(err_file);
  return result;
}

// The step messages of a parse log without their times.
std::vector<std::string> Steps(const std::string& log) {
  std::vector<std::string> steps;
  static const std::regex step("^[0-9]{2}:[0-9]{2}:[0-9]{2}( - .*)\r$");
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    std::smatch m;
    if (std::regex_match(line, m, step)) steps.push_back(m[1].str());
  }
  return steps;
}

bool HasStep(const std::string& log, std::string_view text) {
  for (const std::string& s : Steps(log)) {
    if (s.find(text) != std::string::npos) return true;
  }
  return false;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Files(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool Installed(const char* program) {
  return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command and returns its standard output.
std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

const char* const kClaims[] = {"PATACCT1001", "PATACCT1002", "PATACCT1003", "PATACCT2001"};

// The claim ids found in an output, in order of appearance.
std::vector<std::string> ClaimsIn(const std::string& text) {
  std::vector<std::pair<std::size_t, std::string>> found;
  for (const char* id : kClaims) {
    for (std::size_t at = text.find(id); at != std::string::npos; at = text.find(id, at + 1)) {
      found.emplace_back(at, id);
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> ids;
  for (auto& f : found) ids.push_back(f.second);
  return ids;
}
const std::vector<std::string> kAllClaims(std::begin(kClaims), std::end(kClaims));

class ParseProgram : public ::testing::Test {
 protected:
  fs::path Copy(std::string_view fixture, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(Fixture(fixture), to, fs::copy_options::overwrite_existing);
    return to;
  }
  std::string Log() const { return Read(work_ / "parse.log"); }
  TempFolder work_;
};

TEST_F(ParseProgram, CsvFromAFileWithAndWithoutHeader) {
  Copy("sample837p.x12", work_ / "claims.x12");
  Result run = RunProgram({"CSV", "claims.x12", "out", "HO,OW"}, work_.path());
  ASSERT_EQ(run.exit_code, 0) << run.err << Log();
  const std::string with_header = Read(work_ / "out.csv");
  std::vector<std::string> lines = Lines(with_header);
  ASSERT_EQ(lines.size(), 5u) << with_header;
  EXPECT_EQ(lines[0].find("PATACCT"), std::string::npos) << "first line is the header";
  EXPECT_EQ(ClaimsIn(with_header), kAllClaims);
  EXPECT_EQ(run.err, "");

  run = RunProgram({"CSV", "claims.x12", "out", "OW"}, work_.path());
  ASSERT_EQ(run.exit_code, 0) << run.err;
  lines = Lines(Read(work_ / "out.csv"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("PATACCT1001"), std::string::npos);
}

TEST_F(ParseProgram, WithoutOwAnExistingOutputStaysAndTheRunEndsWithThree) {
  Copy("sample837p.x12", work_ / "claims.x12");
  Write(work_ / "claims.csv", "keep\r\n");
  const Result run = RunProgram({"CSV", "claims.x12", "", "HO"}, work_.path());
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_EQ(Read(work_ / "claims.csv"), "keep\r\n");
  const std::string log = Log();
  EXPECT_TRUE(HasStep(log, "claims.csv already exists. Overwrite it? -> No")) << log;
  EXPECT_TRUE(HasStep(log, " - CSV Not Created "));
  EXPECT_NE(run.err.find("parse.log"), std::string::npos) << run.err;
  const Result again = RunProgram({"CSV", "claims.x12", "", "HO,OW"}, work_.path());
  EXPECT_EQ(again.exit_code, 0);
  EXPECT_EQ(ClaimsIn(Read(work_ / "claims.csv")), kAllClaims);
}

TEST_F(ParseProgram, FolderRunsToEveryFormat) {
  const fs::path in = work_ / "in";
  Copy("sample837p.x12", in / "sample.x12");
  Copy("multi_set.x12", in / "sets.x12");
  Copy("notes.txt", in / "notes.txt");
  for (const char* type : {"CSV", "XML", "DBF"}) {
    const fs::path out = work_ / (std::string("out_") + type);
    fs::create_directories(out);
    const Result run = RunProgram({type, "in", out.string(), "HO,OW"}, work_.path());
    EXPECT_EQ(run.exit_code, 3) << type << run.err;  // notes.txt is not X12
    const std::string log = Log();
    EXPECT_TRUE(HasStep(log, " - Not an X12 file : in/notes.txt")) << log;
    EXPECT_TRUE(HasStep(log, " - Reading File : in/sample.x12"));
    std::string ext = type;
    for (char& c : ext) c = static_cast<char>(std::tolower(c));
    EXPECT_EQ(Files(out), (std::vector<std::string>{"sample." + ext, "sets." + ext})) << type;
  }
}

TEST_F(ParseProgram, JoinedOutputsOfSetsAndInterchanges) {
  Copy("multi_set.x12", work_ / "sets.x12");
  Copy("multi_isa.x12", work_ / "isas.x12");
  for (const char* name : {"sets", "isas"}) {
    const std::string source = std::string(name) + ".x12";
    ASSERT_EQ(RunProgram({"CSV", source, "", "HO,OW"}, work_.path()).exit_code, 0) << name;
    const std::string csv = Read(work_ / (std::string(name) + ".csv"));
    EXPECT_EQ(ClaimsIn(csv), kAllClaims) << name;
    EXPECT_EQ(Lines(csv).size(), 5u) << "one header line: " << csv;

    ASSERT_EQ(RunProgram({"XML", source, "", "OW"}, work_.path()).exit_code, 0) << name;
    const fs::path xml = work_ / (std::string(name) + ".xml");
    EXPECT_EQ(ClaimsIn(Read(xml)), kAllClaims) << name;
    if (Installed("xmllint")) {
      EXPECT_EQ(std::system(("xmllint --noout " + xml.string()).c_str()), 0) << Read(xml);
    }

    ASSERT_EQ(RunProgram({"DBF", source, "", "OW"}, work_.path()).exit_code, 0) << name;
    const std::string dbf = Read(work_ / (std::string(name) + ".dbf"));
    ASSERT_GT(dbf.size(), 8u);
    EXPECT_EQ(static_cast<unsigned char>(dbf[4]), 4u) << "record count";
    EXPECT_EQ(ClaimsIn(dbf), kAllClaims);
  }
  // No part outputs are left behind.
  for (const std::string& name : Files(work_.path())) {
    EXPECT_EQ(name.find("_ST"), std::string::npos) << name;
    EXPECT_EQ(name.find("_ISA"), std::string::npos) << name;
  }
}

TEST_F(ParseProgram, DbfReadByAnIndependentReader) {
  if (std::system("/usr/bin/python3 -c 'import dbfread' 2>/dev/null") != 0) {
    GTEST_SKIP() << "python3-dbfread is not installed";
  }
  Copy("sample837p.x12", work_ / "claims.x12");
  ASSERT_EQ(RunProgram({"DBF", "claims.x12", "", "OW"}, work_.path()).exit_code, 0);
  const std::string count =
      Capture("/usr/bin/python3 -c \"import dbfread; print(len(list(dbfread.DBF('" +
              (work_ / "claims.dbf").string() + "', encoding='latin-1'))))\"");
  EXPECT_EQ(count, "4\n");
}

TEST_F(ParseProgram, MergeIntoDbfAndMaintainedNames) {
  Copy("sample837p.x12", work_ / "in" / "a.x12");
  Copy("multi_isa.x12", work_ / "in" / "b.x12");
  // MF: every file of the folder goes into the one table, an existing one
  // included, without a question. (A destination "all" names the output
  // all.dbf; an existing all.dbf is the table itself.)
  ASSERT_EQ(RunProgram({"DBF", "in/a.x12", "all", "OW"}, work_.path()).exit_code, 0);
  const Result merged = RunProgram({"DBF", "in", "all.dbf", "MF"}, work_.path());
  EXPECT_EQ(merged.exit_code, 0) << merged.err << Log();
  const std::string dbf = Read(work_ / "all.dbf");
  ASSERT_GT(dbf.size(), 8u);
  EXPECT_EQ(static_cast<unsigned char>(dbf[4]), 12u);
  // MN: a folder run to CSV names each output after the whole file name.
  fs::create_directories(work_ / "mn");
  ASSERT_EQ(RunProgram({"CSV", "in", "mn", "MN,OW"}, work_.path()).exit_code, 0);
  EXPECT_EQ(Files(work_ / "mn"), (std::vector<std::string>{"a.x12", "b.x12"}));
  EXPECT_EQ(ClaimsIn(Read(work_ / "mn" / "a.x12")), kAllClaims);
}

TEST_F(ParseProgram, OdbcIntoAnSqliteFileAndMerged) {
  if (Capture("odbcinst -q -d 2>/dev/null").find("[SQLite3]") == std::string::npos ||
      !Installed("sqlite3")) {
    GTEST_SKIP() << "the SQLite3 ODBC driver (libsqliteodbc) or sqlite3 is not installed";
  }
  Copy("sample837p.x12", work_ / "in" / "a.x12");
  Copy("multi_set.x12", work_ / "in" / "b.x12");
  const std::string db = (work_ / "claims.db").string();
  Result run = RunProgram({"ODBC", "in/a.x12", db + ":claims", "OW"}, work_.path());
  ASSERT_EQ(run.exit_code, 0) << run.err << Log();
  EXPECT_TRUE(HasStep(Log(), " - Created " + db + ":claims"));
  EXPECT_EQ(Capture("sqlite3 " + db + " 'select count(*) from claims'"), "4\n");
  run = RunProgram({"ODBC", "in", db + ":claims", "MF"}, work_.path());
  ASSERT_EQ(run.exit_code, 0) << run.err << Log();
  EXPECT_EQ(Capture("sqlite3 " + db + " 'select count(*) from claims'"), "12\n");
}

TEST_F(ParseProgram, MapOptionExistingAndMissing) {
  Copy("sample837p.x12", work_ / "claims.x12");
  Copy("Owners.xml", work_ / "Owners.xml");
  Result run = RunProgram({"CSV", "claims.x12", "mapped", "HO,OW,MAP=Owners.xml"}, work_.path());
  ASSERT_EQ(run.exit_code, 0) << run.err;
  std::vector<std::string> lines = Lines(Read(work_ / "mapped.csv"));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "PATACCT1001,HOLMES");
  EXPECT_TRUE(HasStep(Log(), " - Map is being set using MAP="));
  // OW inside the map's name is no option word: the existing output stays.
  run = RunProgram({"CSV", "claims.x12", "mapped", "HO,MAP=Owners.xml"}, work_.path());
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_FALSE(HasStep(Log(), " - Overwrite Files Set to Yes."));

  run = RunProgram({"CSV", "claims.x12", "default", "HO,OW,MAP=Missing.xml"}, work_.path());
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(HasStep(Log(), " - Map File Not Found : Missing.xml"));
  lines = Lines(Read(work_ / "default.csv"));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_GT(std::count(lines[1].begin(), lines[1].end(), ','), 100);  // the default map
}

TEST_F(ParseProgram, MultipleLogsGetTheirOwnNames) {
  Copy("sample837p.x12", work_ / "claims.x12");
  ASSERT_EQ(RunProgram({"CSV", "claims.x12", "", "OW,ML"}, work_.path()).exit_code, 0);
  std::vector<std::string> logs;
  for (const std::string& name : Files(work_.path())) {
    if (std::regex_match(name, std::regex("PARSE[0-9]{12}\\.LOG"))) logs.push_back(name);
  }
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_FALSE(fs::exists(work_ / "parse.log"));
  EXPECT_TRUE(HasStep(Read(work_ / logs[0]), " - Multiple Parse Logs."));
}

TEST_F(ParseProgram, TypeIsaOnThreeInterchangesWithATestOneInTheMiddle) {
  const fs::path source = Copy("three_isa_test_middle.x12", work_ / "three.x12");
  const Result run = RunProgram({"ISA", "three.x12"}, work_.path());
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::string first = Read(work_ / "three.x12_ISA1.837");
  const std::string second = Read(work_ / "three.x12_ISA2.837");
  EXPECT_FALSE(fs::exists(work_ / "three.x12_ISA3.837"));
  EXPECT_EQ(first + second, Read(source));
  EXPECT_NE(first.find("*T*:~"), std::string::npos);
}

TEST_F(ParseProgram, DestinationFolderThatDoesNotExist) {
  Copy("sample837p.x12", work_ / "claims.x12");
  const Result run = RunProgram({"CSV", "claims.x12", "out.c", "HO,OW"}, work_.path());
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_TRUE(HasStep(Log(), " - The Destination Folder does Not exist."));
  EXPECT_EQ(Files(work_.path()),
            (std::vector<std::string>{".ardentix.lock", "claims.x12", "parse.log", "qvmap.log"}));
}

TEST_F(ParseProgram, UsageErrorsEndWithTwo) {
  Copy("sample837p.x12", work_ / "claims.x12");
  EXPECT_EQ(RunProgram({"XLS", "claims.x12"}, work_.path()).exit_code, 2);
  EXPECT_TRUE(HasStep(Log(), " - Unknown Output Type : XLS"));
  EXPECT_EQ(RunProgram({"CSVTO837I", "claims.x12"}, work_.path()).exit_code, 2);
  EXPECT_TRUE(HasStep(Log(), " - Parse CSV to 837I."));
  EXPECT_EQ(RunProgram({"", "claims.x12"}, work_.path()).exit_code, 2);
  EXPECT_TRUE(HasStep(Log(), " - Parameter 1 empty. "));
}

TEST_F(ParseProgram, BlockModeEqualsTheWholeFile) {
  Copy("sample837p.x12", work_ / "claims.x12");
  ASSERT_EQ(RunProgram({"XML", "claims.x12", "whole", "OW"}, work_.path()).exit_code, 0);
  Write(work_ / "qv.ini", "[X12PARSER]\r\nFILEREADBLOCK=300\r\nCOMMAND=0\r\n");
  const Result run = RunProgram({"XML", "claims.x12", "blocks", "OW"}, work_.path());
  ASSERT_EQ(run.exit_code, 0) << run.err << Log();
  EXPECT_TRUE(HasStep(Log(), " - Reading in blocks of 300 bytes."));
  const std::string whole = Read(work_ / "whole.xml");
  EXPECT_EQ(ClaimsIn(whole), kAllClaims);
  EXPECT_EQ(Read(work_ / "blocks.xml"), whole);
  for (const std::string& name : Files(work_.path())) {
    EXPECT_FALSE(name.starts_with("tmp")) << name;
    EXPECT_FALSE(name.starts_with(".ardentix-block")) << name;
  }
}

TEST_F(ParseProgram, ParseLogOrderAndBytes) {
  Copy("sample837p.x12", work_ / "claims.x12");
  ASSERT_EQ(RunProgram({"CSV", "claims.x12", "", "HO,OW"}, work_.path()).exit_code, 0);
  const std::string log = Log();
  // CR LF after every line, nothing else.
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), std::count(log.begin(), log.end(), '\r'));
  const std::regex shape(
      "Qorvane Software Model QVK0M318 X12 Parser Log\r\n"
      "Started [0-9]{2}/[0-9]{2}/[0-9]{2}  [0-9:]{8}\r\n"
      "Parser Version Number :  1\\.18H-20\r\n"
      "   Sub Version Number :  1\\.18H-20\r\n"
      "     Operating System : Linux [^\r\n]+\r\n"
      "     Compiler Version : [^\r\n]+\r\n"
      "\r\n"
      "[0-9:]{8} - Header On File Set to Yes\\.\r\n"
      "[0-9:]{8} - Overwrite Files Set to Yes\\.\r\n"
      "[0-9:]{8} - The source is a file\\.\r\n"
      "[0-9:]{8} - File : claims\\.x12\r\n"
      "[0-9:]{8} -  Destination Control : 1\r\n"
      "[0-9:]{8} - Parse CSV\\.\r\n"
      " File Type = 837 \r\n"
      " Claim Count = [^\r\n]*\r\n"
      "(.*\r\n)*"
      "\r\n\r\n"
      "\r\nEnded   [0-9]{2}/[0-9]{2}/[0-9]{2}  [0-9:]{8}\r\n"
      "\r\nElapsed [0-9]+\\.[0-9]{2} seconds\\.\r\n"
      "Current Operating Directory:\r\n   /[^\r\n]*\r\n\r\n"
      "Command Array:\r\n  1 CSV\r\n  2 claims\\.x12\r\n  3 \r\n  4 HO,OW\r\n  5 claims\r\n"
      "\r\nMap Log Data\\.\r\nMaptype = Professional\r\n(.*\r\n)*\r\n");
  EXPECT_TRUE(std::regex_match(log, shape)) << log;
}

// Every shared sample file converted to CSV ends on its own within a minute,
// with 0 or 3 and no run-time error report.
TEST_F(ParseProgram, EverySampleFileEndsCleanly) {
  const fs::path samples = fs::path(ARDENTIX_SAMPLES_DIR) / "files";
  if (!fs::is_directory(samples)) GTEST_SKIP() << "no sample folder at " << samples;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(samples)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    TempFolder work;
    const Result run = RunProgram({"CSV", entry.path().string(), "out", "HO,OW"}, work.path(),
                                  std::chrono::seconds(60));
    const std::string name = entry.path().filename().string();
    EXPECT_FALSE(run.timed_out) << name;
    EXPECT_TRUE(run.exit_code == 0 || run.exit_code == 3) << name << ": " << run.exit_code << "\n"
                                                          << run.err;
    EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << name << run.err;
    EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << name << run.err;
    EXPECT_FALSE(fs::exists(work / "Error.log")) << name;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
