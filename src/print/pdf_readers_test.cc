// Independent readers (qpdf, poppler's pdfinfo, pdftotext, pdffonts and
// pdftoppm) must accept what the writer produces and find in it what was
// placed. Each test skips with a message when its program is not installed
// (Debian packages qpdf and poppler-utils).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "print/pdf_report_lines.h"
#include "print/pdf_test_util.h"
#include "print/pdf_writer.h"

namespace ardentix {
namespace {

using pdf_test::FixedTime;
using pdf_test::Letter;
using pdf_test::ReadBytes;
using pdf_test::TempFolder;

bool HaveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

struct ProgramRun {
  int exit_code = -1;
  std::string output;  // stdout and stderr
};

// Runs `program` with arguments that the tests build themselves (paths in
// a fresh temporary folder, no quotes inside).
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command = program;
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " 2>&1";
  ProgramRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  const int status = pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

#define REQUIRE_PROGRAM(name)                                   \
  if (!HaveProgram(name))                                       \
  GTEST_SKIP() << name << " is not installed (Debian package: " \
               << (std::string(name) == "qpdf" ? "qpdf" : "poppler-utils") << ")"

// The value after "Key:" on its line of pdfinfo's output.
std::string InfoValue(const std::string& output, const std::string& key) {
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(key + ":", 0) != 0) continue;
    const std::size_t value = line.find_first_not_of(' ', key.size() + 1);
    return value == std::string::npos ? "" : line.substr(value);
  }
  return "<missing>";
}

const char kLatin1Text[] = "Total (net): 5) C:\\dir\\ caf\xe9";

// Three pages: page 1 in three families with escaped and Latin-1 text, an
// empty page skipped in between, then 70 report lines over two pages.
class PdfReadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PdfWriter writer(FixedTime);
    ASSERT_TRUE(writer.Open(file_).ok());
    const PdfPageSetup letter = Letter();
    writer.NewPage(letter);
    writer.PlaceText(kLatin1Text, 750, 20);
    writer.SetFont("Helvetica", PdfFontStyle::kBold, 14);
    writer.PlaceText("Helvetica bold 14", 700, 100);
    writer.SetFont("Courier", PdfFontStyle::kItalic, 10);
    writer.PlaceText("Courier oblique", 650, 100);
    writer.NewPage(letter);  // left empty: not written
    PdfReportLines lines(writer);
    lines.StartPage();
    for (int i = 1; i <= 70; ++i) lines.AddLine("report line " + std::to_string(i));
    const PdfStatus closed = writer.Close();
    ASSERT_TRUE(closed.ok()) << closed.reason;

    PdfWriter empty(FixedTime);
    ASSERT_TRUE(empty.Open(empty_file_).ok());
    ASSERT_TRUE(empty.Close().ok());
  }

  TempFolder folder_;
  const std::filesystem::path file_ = folder_ / "sample.pdf";
  const std::filesystem::path empty_file_ = folder_ / "empty.pdf";
};

TEST_F(PdfReadersTest, QpdfFindsNoErrors) {
  REQUIRE_PROGRAM("qpdf");
  for (const auto& file : {file_, empty_file_}) {
    const ProgramRun run = RunProgram("qpdf", {"--check", file.string()});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_NE(run.output.find("No syntax or stream encoding errors found"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("WARNING"), std::string::npos) << run.output;
  }
}

TEST_F(PdfReadersTest, PdfinfoReadsVersionAndPageCount) {
  REQUIRE_PROGRAM("pdfinfo");
  const ProgramRun run = RunProgram("pdfinfo", {file_.string()});
  ASSERT_EQ(run.exit_code, 0) << run.output;
  EXPECT_EQ(InfoValue(run.output, "PDF version"), "1.3");
  EXPECT_EQ(InfoValue(run.output, "Pages"), "3");
  EXPECT_EQ(InfoValue(run.output, "Page size"), "612 x 792 pts (letter)");
  EXPECT_EQ(run.output.find("Error"), std::string::npos) << run.output;

  // A document in which no page was started still has one page.
  const ProgramRun empty = RunProgram("pdfinfo", {empty_file_.string()});
  ASSERT_EQ(empty.exit_code, 0) << empty.output;
  EXPECT_EQ(InfoValue(empty.output, "Pages"), "1");
  EXPECT_EQ(empty.output.find("Error"), std::string::npos) << empty.output;
}

TEST_F(PdfReadersTest, PdftotextGivesBackThePlacedText) {
  REQUIRE_PROGRAM("pdftotext");
  const auto text_file = folder_ / "sample.txt";
  const ProgramRun run =
      RunProgram("pdftotext", {"-enc", "Latin1", file_.string(), text_file.string()});
  ASSERT_EQ(run.exit_code, 0) << run.output;
  const std::string text = ReadBytes(text_file);
  for (const std::string& expected :
       {std::string(kLatin1Text), std::string("Helvetica bold 14"), std::string("Courier oblique"),
        std::string("report line 1\n"), std::string("report line 60\n"),
        std::string("report line 70\n")}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  }
  // Page 3 (after the form feed of page 2) starts with line 61.
  const std::size_t page3 = text.find("\f", text.find("\f") + 1);
  ASSERT_NE(page3, std::string::npos);
  EXPECT_EQ(text.compare(page3 + 1, 15, "report line 61\n"), 0) << text.substr(page3);
}

TEST_F(PdfReadersTest, PdffontsListsStandardFontsNotEmbedded) {
  REQUIRE_PROGRAM("pdffonts");
  const ProgramRun run = RunProgram("pdffonts", {file_.string()});
  ASSERT_EQ(run.exit_code, 0) << run.output;
  std::vector<std::string> names;
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.size() < 5 || w[1] != "Type" || w[2] != "1") continue;
    names.push_back(w[0]);
    EXPECT_EQ(w[3], "WinAnsi") << line;
    EXPECT_EQ(w[4], "no") << "embedded: " << line;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Times-Roman", "Helvetica-Bold", "Courier-Oblique"}))
      << run.output;
}

// A grey image of page 1 at 72 dots per inch: one pixel per point, row 0 at
// the top of the page.
struct GreyImage {
  int width = 0;
  int height = 0;
  std::string pixels;
  bool DarkIn(int left, int top, int right, int bottom) const {
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) {
        if (static_cast<unsigned char>(pixels[static_cast<std::size_t>(y * width + x)]) < 128) {
          return true;
        }
      }
    }
    return false;
  }
};

GreyImage ReadPgm(const std::string& bytes) {
  GreyImage image;
  std::istringstream in(bytes);
  std::string magic;
  int max = 0;
  in >> magic >> image.width >> image.height >> max;
  in.get();
  if (magic != "P5" || max != 255) return {};
  image.pixels = bytes.substr(static_cast<std::size_t>(in.tellg()));
  if (image.pixels.size() < static_cast<std::size_t>(image.width * image.height)) return {};
  return image;
}

TEST_F(PdfReadersTest, PdftoppmDrawsTheTextWherePlaced) {
  REQUIRE_PROGRAM("pdftoppm");
  const auto base = folder_ / "page";
  const ProgramRun run = RunProgram("pdftoppm", {"-r", "72", "-gray", "-f", "1", "-l", "1",
                                                 "-singlefile", file_.string(), base.string()});
  ASSERT_EQ(run.exit_code, 0) << run.output;
  const GreyImage image = ReadPgm(ReadBytes(folder_ / "page.pgm"));
  ASSERT_EQ(image.width, 612);
  ASSERT_EQ(image.height, 792);
  // Baselines at y 750, 700 and 650 are rows 42, 92 and 142 from the top.
  EXPECT_TRUE(image.DarkIn(20, 34, 60, 43));    // "Total" at x 20
  EXPECT_TRUE(image.DarkIn(100, 82, 160, 93));  // "Helvetica bold 14" at x 100
  EXPECT_TRUE(image.DarkIn(100, 135, 160, 143));
  EXPECT_FALSE(image.DarkIn(0, 0, 611, 30));     // nothing above the first line
  EXPECT_FALSE(image.DarkIn(0, 48, 99, 791));    // nothing left of x 100 below it
  EXPECT_FALSE(image.DarkIn(0, 150, 611, 791));  // nothing below the last text
}

}  // namespace
}  // namespace ardentix
