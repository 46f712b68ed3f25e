// The sets of one file exported through the dispatcher into one joined
// output: the sets after the first go straight into the joined output. The
// same run with every set forced through a part file of its own (a link
// left where the part file goes makes the joiner refuse the direct way)
// must give the same bytes, the same temp.log and the same failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "common/files.h"
#include "export/export_837.h"
#include "export/map.h"
#include "parse/logs.h"
#include "ui/headless.h"
#include "ui/ui.h"
#include "x12/dispatch.h"

namespace ardentix {
namespace {

namespace fs = std::filesystem;

std::string X12Fixture(const std::string& folder, const std::string& name) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(fs::path(ARDENTIX_SOURCE_DIR) / "tests/data" / folder / name, bytes))
      << name;
  return bytes;
}

// Three professional sets and, with `institutional`, a fourth set of an
// institutional claim (other dBASE fields).
std::string ThreeSets(bool institutional) {
  std::string bytes = X12Fixture("x12", "837p_three_sets.x12");
  if (institutional) {
    const std::string other = X12Fixture("export", "837i_one_claim.x12");
    const std::size_t st = other.find("ST*837");
    const std::size_t ge = other.find("GE*");
    bytes.insert(bytes.find("GE*3"), other.substr(st, ge - st));
  }
  return bytes;
}

struct Case {
  const char* name;
  const char* type;     // PARSETYPE
  const char* options;  // PARSEOPTIONS
  const char* map;      // qv837p.csv; empty: the default map
  const char* separator;
  bool institutional = false;
  bool fails = false;  // the joining of a set fails (dBASE fields differ)
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    {"CsvHeader", "CSV", "HO,OW", "", ""},
    {"CsvNoHeader", "CSV", "OW", "", ""},
    // Rows that begin with a blank: the joiner drops leading blanks of a part.
    {"CsvLeadingBlanks", "CSV", "HO,OW", "NOSUCHNAME, CLAIMID\r\n", " ;"},
    // Rows of one empty value: every set after the first adds nothing.
    {"CsvBlankRows", "CSV", "HO,OW", "NOSUCHNAME\r\n", ""},
    {"Xml", "XML", "OW", "", ""},
    // An element named like the root: the last closing root tag ends a part.
    {"XmlRootNamedField", "XML", "OW", "EXPORTDATA, CLAIMID\r\n", ""},
    {"Dbf", "DBF", "OW", "", ""},
    {"DbfOtherFields", "DBF", "OW", "", "", true, true},
};

class JoinedExport : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    logs::SetClock([] { return std::time_t{1796985723}; });
    for (fs::path* p : {&dir_, &elsewhere_}) {
      std::string templ = (fs::temp_directory_path() / "ardentix-joined-XXXXXX").string();
      ASSERT_NE(mkdtemp(templ.data()), nullptr);
      *p = templ;
    }
    old_ = fs::current_path();
    fs::current_path(dir_);
    scoped_ = std::make_unique<ui::ScopedUi>(std::make_unique<ui::HeadlessUi>(nullptr));
    SetCurrentMapFile({});
    x12::HandlerTable table;
    Register837ExportHandler(table);
    x12::SetHandlerTable(std::move(table));
  }
  void TearDown() override {
    x12::SetHandlerTable({});
    scoped_.reset();
    fs::current_path(old_);
    logs::SetClock(nullptr);
    SetCurrentMapFile({});
    fs::remove_all(dir_);
    fs::remove_all(elsewhere_);
  }

  // Every file of the working folder with its bytes (the dBASE date left
  // out), after one run; the folder is emptied for the next run.
  std::map<std::string, std::string> Run(const Case& c, bool through_part_files, bool* failed) {
    if (*c.map) WriteWholeFile(dir_ / "qv837p.csv", c.map);
    if (*c.separator) WriteWholeFile(dir_ / "separate.dat", c.separator);
    WriteWholeFile(dir_ / "in.x12", ThreeSets(c.institutional));
    if (through_part_files) {
      for (int n = 1; n <= (c.institutional ? 4 : 3); ++n) {
        const std::string part = "out_ST" + std::to_string(n) + "." + Extension(c);
        fs::create_symlink(elsewhere_ / part, dir_ / part);
      }
    }
    x12::ParseSpec spec{c.type, (dir_ / "in.x12").string(), dir_.string(), c.options, "out"};
    x12::OpenRequest request;
    request.file = spec.source_file;
    request.dialog_folder = dir_.string();
    request.mode = x12::DispatchMode::kExport;
    request.base_folder = dir_.string();
    request.spec = &spec;
    request.settings_folder = dir_.string();
    *failed = x12::OpenX12File(request).failed;

    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      std::string bytes;
      if (entry.is_regular_file()) ReadWholeFile(entry.path(), bytes);
      if (entry.path().extension() == ".dbf" && bytes.size() > 4) bytes.replace(1, 3, "DAT");
      files[entry.path().filename().string()] = bytes;
    }
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove(entry.path());
    for (const auto& entry : fs::directory_iterator(elsewhere_)) fs::remove(entry.path());
    return files;
  }

  static std::string Extension(const Case& c) {
    const std::string type = c.type;
    return type == "CSV" ? "csv" : type == "XML" ? "xml" : "dbf";
  }

  fs::path dir_, elsewhere_, old_;
  std::unique_ptr<ui::ScopedUi> scoped_;
};

TEST_P(JoinedExport, SetsWrittenStraightIntoTheJoinedOutputGiveTheSameFiles) {
  const Case& c = GetParam();
  bool direct_failed = false, files_failed = false;
  const std::map<std::string, std::string> direct = Run(c, false, &direct_failed);
  const std::map<std::string, std::string> through_files = Run(c, true, &files_failed);
  EXPECT_EQ(direct_failed, c.fails);
  EXPECT_EQ(files_failed, c.fails);
  ASSERT_TRUE(direct.contains("temp.log"));
  const std::string joined = "out." + Extension(c);
  ASSERT_TRUE(direct.contains(joined));
  EXPECT_FALSE(direct.at(joined).empty());
  // A set that could not be joined keeps its part file; no other is left.
  EXPECT_EQ(direct.contains("out_ST4.dbf"), c.fails);
  ASSERT_EQ(direct.size(), through_files.size());
  for (const auto& [name, bytes] : direct) {
    ASSERT_TRUE(through_files.contains(name)) << name;
    EXPECT_EQ(bytes, through_files.at(name)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Exports, JoinedExport, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ardentix
