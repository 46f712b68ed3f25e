#include "print/pdf_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "common/files.h"
#include "print/pdf_document.h"
#include "print/pdf_report_lines.h"
#include "print/pdf_test_util.h"

namespace ardentix {
namespace {

using pdf_test::FixedTime;
using pdf_test::Letter;
using pdf_test::ReadBytes;
using pdf_test::StreamContents;
using pdf_test::TempFolder;

std::uint64_t ReadNumber(std::string_view bytes, std::size_t at) {
  std::uint64_t value = 0;
  while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9') {
    value = value * 10 + static_cast<std::uint64_t>(bytes[at++] - '0');
  }
  return value;
}

// Walks the trailer, the cross-reference table and every stream of a file
// and returns the problems found (empty when the structure holds).
std::vector<std::string> StructureProblems(const std::string& bytes) {
  std::vector<std::string> problems;
  const std::string tail = "\r\n%%EOF\r\n";
  if (!bytes.ends_with(tail)) problems.push_back("file does not end with %%EOF CR LF");
  const std::size_t startxref = bytes.rfind("startxref\r\n");
  if (startxref == std::string::npos) return {"no startxref"};
  const std::uint64_t xref = ReadNumber(bytes, startxref + 11);
  if (bytes.compare(xref, 6, "xref\r\n") != 0) return {"startxref does not point at xref"};
  if (bytes.compare(xref + 6, 2, "0 ") != 0) return {"xref subsection does not start at 0"};
  const std::uint64_t count = ReadNumber(bytes, xref + 8);
  std::size_t entry = bytes.find("\r\n", xref + 8) + 2;
  if (bytes.compare(entry, 20, "0000000000 65535 f\r\n") != 0) {
    problems.push_back("entry 0 is not the free entry");
  }
  for (std::uint64_t object = 1; object < count; ++object) {
    entry += 20;
    const std::string line = bytes.substr(entry, 20);
    if (line.size() != 20 || line.substr(10) != " 00000 n\r\n") {
      problems.push_back("entry " + std::to_string(object) + " malformed: " + line);
      continue;
    }
    const std::uint64_t offset = ReadNumber(line, 0);
    const std::string head = std::to_string(object) + " 0 obj";
    if (bytes.compare(offset, head.size(), head) != 0) {
      problems.push_back("entry " + std::to_string(object) + " points at " +
                         bytes.substr(offset, 12));
    }
  }
  if (bytes.compare(entry + 20, 8, "trailer ") != 0) problems.push_back("no trailer after xref");
  const std::string size = "/Size " + std::to_string(count) + " ";
  if (bytes.find(size, entry) == std::string::npos) problems.push_back("trailer size differs");

  // Every content stream's length object holds the length of its content.
  std::size_t at = 0;
  while ((at = bytes.find(" 0 obj << /Length ", at)) != std::string::npos) {
    const std::uint64_t length_object = ReadNumber(bytes, at + 18);
    const std::size_t begin = bytes.find("stream", at) + 6;
    const std::size_t end = bytes.find("\r\nendstream", begin);
    const std::string head = "\r\n" + std::to_string(length_object) + " 0 obj\r\n";
    const std::size_t length_at = bytes.find(head, end);
    if (length_at == std::string::npos ||
        ReadNumber(bytes, length_at + head.size()) != end - begin) {
      problems.push_back("length object " + std::to_string(length_object) + " is wrong");
    }
    at = end;
  }
  return problems;
}

class PdfWriterTest : public ::testing::Test {
 protected:
  std::filesystem::path File(std::string_view name = "out.pdf") { return folder_ / name; }
  TempFolder folder_;
};

// A document with many pages, fonts first selected on later pages, a page
// left empty in the middle and texts in every style: the cross-reference
// table must still point at every object.
TEST_F(PdfWriterTest, CrossReferenceEntriesPointAtTheirObjects) {
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open(File()).ok());
  for (int page = 1; page <= 7; ++page) {
    PdfPageSetup setup = Letter();
    setup.font_family = page % 3 == 0 ? "HELVETICA" : page % 3 == 1 ? "TIMES" : "COURIER";
    setup.font_style = static_cast<PdfFontStyle>(page % 4);
    writer.NewPage(setup);
    if (page == 4) continue;  // started and left without text: not written
    for (int line = 0; line < 50; ++line) {
      writer.PlaceText("Line " + std::to_string(line) + " (x)", 750 - 12 * line, 20);
    }
    writer.SetFont("Helvetica", PdfFontStyle::kItalic, 7.5);
    writer.PlaceText("Footer #pagenumber#", 30, 20);
  }
  ASSERT_TRUE(writer.Close().ok());
  const std::string bytes = ReadBytes(File());
  EXPECT_EQ(StructureProblems(bytes), std::vector<std::string>{});
  EXPECT_NE(bytes.find("/Type /Pages /Count 6\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("(Footer 7)"), std::string::npos);
  EXPECT_EQ(bytes.find("(Footer 4)"), std::string::npos);
}

TEST_F(PdfWriterTest, ObjectNumbersOfTwoPagesInOneFont) {
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open(File()).ok());
  writer.NewPage(Letter());
  writer.PlaceText("one", 750, 20);
  writer.NewPage(Letter());
  writer.PlaceText("two", 750, 20);
  ASSERT_TRUE(writer.Close().ok());
  const std::string bytes = ReadBytes(File());
  EXPECT_NE(bytes.find("/Kids [ 2 0 R 7 0 R ]"), std::string::npos);
  EXPECT_NE(bytes.find("\r\n6 0 obj\r\n<<\r\n/Type /Font"), std::string::npos);
  EXPECT_NE(bytes.find("trailer << /Size 14 /Root 12 0 R /Info 11 0 R >>"), std::string::npos);
}

TEST_F(PdfWriterTest, PageLeftWithOnlyBlankTextIsNeitherWrittenNorListed) {
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open(File()).ok());
  writer.NewPage(Letter());
  writer.PlaceText("     ", 750, 20);
  writer.PlaceText("", 738, 20);
  writer.NewPage(Letter());
  writer.PlaceText("Page #pagenumber# of #pagenumber#", 750, 20);
  EXPECT_EQ(writer.page_count(), 2);
  ASSERT_TRUE(writer.Close().ok());
  const std::string bytes = ReadBytes(File());
  EXPECT_NE(bytes.find("/Type /Pages /Count 1\r\n/Kids [ 2 0 R ]"), std::string::npos);
  EXPECT_EQ(StreamContents(bytes),
            std::vector<std::string>{"\r\nBT /Fo1 10.00 Tf 20.00 750.00 Td (Page 2 of "
                                     "#pagenumber#) Tj ET"});
}

TEST_F(PdfWriterTest, PageSizesFromTheTable) {
  struct Case {
    std::string name;
    char orientation;
    std::string media_box;
  };
  const std::vector<Case> cases = {
      {"LETTER", 'P', "[ 0 0 612.00 792.00 ]"}, {"LETTER", 'L', "[ 0 0 792.00 612.00 ]"},
      {"A4", 'P', "[ 0 0 595.44 841.68 ]"},     {"LEG", 'P', "[ 0 0 612.00 1008.00 ]"},
      {"LE", 'P', "[ 0 0 612.00 792.00 ]"},     {"JIS", 'P', "[ 0 0 728.64 1031.76 ]"},
      {"JPOSTD", 'P', "[ 0 0 419.76 566.64 ]"}, {"B5", 'P', "[ 0 0 498.96 708.48 ]"},
      {"COM10", 'P', "[ 0 0 296.64 684.00 ]"},  {"TABLOID", 'P', "[ 0 0 612.00 792.00 ]"},
      {"letter", 'P', "[ 0 0 612.00 792.00 ]"}, {"EXECUTIVE", 'X', "[ 0 0 756.00 522.00 ]"},
  };
  for (const Case& c : cases) {
    PdfWriter writer(FixedTime);
    ASSERT_TRUE(writer.Open(File()).ok());
    PdfPageSetup setup;
    setup.size_name = c.name;
    setup.orientation = c.orientation;
    writer.NewPage(setup);
    writer.PlaceText("x", 10, 10);
    ASSERT_TRUE(writer.Close().ok());
    EXPECT_NE(ReadBytes(File()).find("/MediaBox " + c.media_box), std::string::npos)
        << c.name << " " << c.orientation;
  }
}

TEST_F(PdfWriterTest, NewPageKeepsWhatItIsNotGiven) {
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open(File()).ok());
  PdfPageSetup a4;
  a4.size_name = "A4";
  a4.orientation = 'L';
  a4.font_family = "Courier";
  a4.font_style = PdfFontStyle::kBold;
  a4.font_size = 8;
  writer.NewPage(a4);
  writer.PlaceText("one", 500, 20);
  PdfPageSetup italic;
  italic.font_style = PdfFontStyle::kItalic;
  writer.NewPage(italic);
  writer.PlaceText("two", 500, 20);
  ASSERT_TRUE(writer.Close().ok());
  const std::string bytes = ReadBytes(File());
  EXPECT_EQ(StreamContents(bytes),
            (std::vector<std::string>{"\r\nBT /Fo1 8.00 Tf 20.00 500.00 Td (one) Tj ET",
                                      "\r\nBT /Fo2 8.00 Tf 20.00 500.00 Td (two) Tj ET"}));
  EXPECT_NE(bytes.find("/BaseFont /Courier-Bold\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("/BaseFont /Courier-Oblique\r\n"), std::string::npos);
  const std::size_t first = bytes.find("/MediaBox [ 0 0 841.68 595.44 ]");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(bytes.find("/MediaBox [ 0 0 841.68 595.44 ]", first + 1), std::string::npos);
  EXPECT_NE(bytes.find("/Kids [ 2 0 R 7 0 R ]"), std::string::npos);
}

TEST(PdfFontTable, FamilyAndStyleGiveTheBaseFont) {
  struct Case {
    std::string family;
    PdfFontStyle style;
    int index;
    std::string name;
  };
  const std::vector<Case> cases = {
      {"TIMES", PdfFontStyle::kNormal, 1, "Times-Roman"},
      {"times", PdfFontStyle::kBoldItalic, 4, "Times-BoldItalic"},
      {"Helvetica", PdfFontStyle::kBold, 6, "Helvetica-Bold"},
      {"HELVETICA", PdfFontStyle::kItalic, 7, "Helvetica-Oblique"},
      {"Courier", PdfFontStyle::kNormal, 9, "Courier"},
      {"Arial", PdfFontStyle::kBoldItalic, 12, "Courier-BoldOblique"},
      {"", PdfFontStyle::kBold, 10, "Courier-Bold"},
      {"Times New Roman", PdfFontStyle::kNormal, 9, "Courier"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PdfFontIndex(c.family, c.style), c.index) << c.family;
    EXPECT_EQ(PdfBaseFontName(c.index), c.name) << c.family;
  }
  EXPECT_EQ(PdfBaseFontName(0), "");
  EXPECT_EQ(PdfBaseFontName(13), "");
}

TEST(PdfEscape, TextBytesInAString) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain text", "plain text"},
      {"a(b)c", "a\\(b\\)c"},
      {"C:\\x\\", "C:\\\\x\\\\"},
      {"\\)", "\\\\\\)"},
      {std::string("\0\x01\x08\x1f ", 5), "\\000\\001\\010\\037 "},
      {"tab\there\r\n", "tab\\011here\\015\\012"},
      {"caf\xe9 \xff\x7f", "caf\xe9 \xff\x7f"},
  };
  for (const auto& [text, escaped] : cases) EXPECT_EQ(EscapePdfText(text), escaped) << text;
}

TEST_F(PdfWriterTest, PageNumberReplacesTheFirstMarkerOnly) {
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open(File()).ok());
  for (int page = 1; page <= 3; ++page) {
    writer.NewPage(Letter());
    writer.PlaceText("p#pagenumber#-#pagenumber#", 750, 20);
  }
  EXPECT_EQ(writer.page_count(), 3);
  ASSERT_TRUE(writer.Close().ok());
  const std::vector<std::string> contents = StreamContents(ReadBytes(File()));
  ASSERT_EQ(contents.size(), 3u);
  EXPECT_NE(contents[2].find("(p3-#pagenumber#)"), std::string::npos);
  EXPECT_EQ(writer.page_count(), 0);
}

// Numbers go through std::to_chars: a German locale, whose decimal point is
// a comma, gives the same bytes.
TEST_F(PdfWriterTest, LocaleDoesNotChangeTheBytes) {
  const auto write = [&](const std::filesystem::path& file) {
    PdfWriter writer(FixedTime);
    EXPECT_TRUE(writer.Open(file).ok());
    writer.NewPage(Letter());
    writer.SetFont("Helvetica", PdfFontStyle::kNormal, 9.5);
    writer.PlaceText("1234.5", 700.25, 20.75);
    EXPECT_TRUE(writer.Close().ok());
    return ReadBytes(file);
  };
  const std::string in_c = write(File("c.pdf"));
  ASSERT_NE(in_c.find("/Fo2 9.50 Tf 20.75 700.25 Td"), std::string::npos);

  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* german = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de_DE@euro"}) {
    if ((german = std::setlocale(LC_ALL, name)) != nullptr) break;
  }
  if (german == nullptr) GTEST_SKIP() << "no de_DE locale on this machine (localedef -i de_DE)";
  const std::string in_german = write(File("de.pdf"));
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(in_german, in_c);
}

TEST_F(PdfWriterTest, OpenFailureIsReturnedWithTheReason) {
  PdfWriter writer(FixedTime);
  const auto missing = folder_ / "no such folder" / "out.pdf";
  const PdfStatus status = writer.Open(missing);
  EXPECT_EQ(status.code, PdfStatus::Code::kOpenFailed);
  EXPECT_EQ(status.error_number, ENOENT);
  EXPECT_NE(status.reason.find(missing.string()), std::string::npos);
  EXPECT_FALSE(writer.is_open());
  EXPECT_EQ(writer.NewPage(Letter()).code, PdfStatus::Code::kNotOpen);
  EXPECT_EQ(writer.Close().code, PdfStatus::Code::kNotOpen);
}

TEST_F(PdfWriterTest, WriteFailureIsReturnedByClose) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open("/dev/full").ok());  // the header is still buffered
  writer.NewPage(Letter());
  for (int line = 0; line < 2000; ++line) writer.PlaceText("some text", 750, 20);
  writer.NewPage(Letter());  // writes the first page: the buffer overflows
  const PdfStatus status = writer.Close();
  EXPECT_EQ(status.code, PdfStatus::Code::kWriteFailed);
  EXPECT_EQ(status.error_number, ENOSPC);
  EXPECT_FALSE(writer.is_open());
}

TEST_F(PdfWriterTest, FailureIsStickyUntilClose) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open("/dev/full").ok());
  std::string long_text(70000, 'x');  // more than any stdio buffer
  writer.NewPage(Letter());
  writer.PlaceText(long_text, 750, 20);
  const PdfStatus second_page = writer.NewPage(Letter());
  EXPECT_EQ(second_page.code, PdfStatus::Code::kWriteFailed);
  EXPECT_EQ(writer.PlaceText("more", 700, 20).code, PdfStatus::Code::kWriteFailed);
  EXPECT_EQ(writer.Close().code, PdfStatus::Code::kWriteFailed);
  // The writer is usable again for the next document.
  ASSERT_TRUE(writer.Open(File()).ok());
  EXPECT_TRUE(writer.Close().ok());
  EXPECT_EQ(StructureProblems(ReadBytes(File())), std::vector<std::string>{});
}

TEST_F(PdfWriterTest, CallerFaultsAreRefusedAndReported) {
  PdfWriter writer(FixedTime);
  EXPECT_EQ(writer.PlaceText("x", 750, 20).code, PdfStatus::Code::kNotOpen);
  EXPECT_EQ(writer.SetFont("Times", PdfFontStyle::kNormal, 10).code, PdfStatus::Code::kNotOpen);
  ASSERT_TRUE(writer.Open(File()).ok());
  EXPECT_EQ(writer.PlaceText("before any page", 750, 20).code, PdfStatus::Code::kNoPage);
  writer.NewPage(Letter());
  EXPECT_EQ(writer.PlaceText("x", NAN, 20).code, PdfStatus::Code::kBadNumber);
  EXPECT_EQ(writer.PlaceText("x", 750, INFINITY).code, PdfStatus::Code::kBadNumber);
  EXPECT_EQ(writer.SetFont("Times", PdfFontStyle::kNormal, NAN).code, PdfStatus::Code::kBadNumber);
  PdfPageSetup bad = Letter();
  bad.font_size = NAN;
  EXPECT_EQ(writer.NewPage(bad).code, PdfStatus::Code::kBadNumber);
  EXPECT_TRUE(writer.status().ok());  // caller faults do not spoil the document
  EXPECT_TRUE(writer.PlaceText("kept", 700, 20).ok());
  ASSERT_TRUE(writer.Close().ok());
  EXPECT_EQ(StreamContents(ReadBytes(File())),
            std::vector<std::string>{"\r\nBT /Fo1 10.00 Tf 20.00 700.00 Td (kept) Tj ET"});
}

TEST_F(PdfWriterTest, SecondOpenIsRefusedAndTheFirstDocumentStaysWhole) {
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open(File("first.pdf")).ok());
  writer.NewPage(Letter());
  writer.PlaceText("first", 750, 20);
  const PdfStatus second = writer.Open(File("second.pdf"));
  EXPECT_EQ(second.code, PdfStatus::Code::kAlreadyOpen);
  EXPECT_NE(second.reason.find("first.pdf"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(File("second.pdf")));
  writer.PlaceText("still first", 738, 20);
  ASSERT_TRUE(writer.Close().ok());
  const std::string bytes = ReadBytes(File("first.pdf"));
  EXPECT_EQ(StructureProblems(bytes), std::vector<std::string>{});
  EXPECT_NE(bytes.find("(still first)"), std::string::npos);
}

TEST_F(PdfWriterTest, DestroyingAnOpenWriterFinishesTheFile) {
  {
    PdfWriter writer(FixedTime);
    ASSERT_TRUE(writer.Open(File()).ok());
    writer.NewPage(Letter());
    writer.PlaceText("left open", 750, 20);
  }
  const std::string bytes = ReadBytes(File());
  EXPECT_EQ(StructureProblems(bytes), std::vector<std::string>{});
  EXPECT_NE(bytes.find("(left open)"), std::string::npos);
}

TEST_F(PdfWriterTest, CreationDateComesFromTheClock) {
  PdfWriter writer([] { return PdfDateTime{987, 1, 2, 3, 4, 5}; });
  ASSERT_TRUE(writer.Open(File()).ok());
  ASSERT_TRUE(writer.Close().ok());
  EXPECT_NE(ReadBytes(File()).find("/CreationDate (D:09870102030405)\r\n"), std::string::npos);
}

// The program-wide document over one writer.
class PdfDocumentTest : public PdfWriterTest {
 protected:
  void TearDown() override {
    if (PdfIsOpen()) (void)PdfClose();
  }
};

TEST_F(PdfDocumentTest, OneOpenDocumentTakesTheHandlersPages) {
  EXPECT_FALSE(PdfIsOpen());
  EXPECT_EQ(CurrentPdfWriter(), nullptr);
  ASSERT_TRUE(PdfOpen(File("run.pdf"), FixedTime).ok());
  ASSERT_NE(CurrentPdfWriter(), nullptr);
  EXPECT_TRUE(PdfNewPage(Letter()).ok());
  EXPECT_TRUE(PdfAtSay("from a handler", 750, 20).ok());
  EXPECT_TRUE(PdfSetFont("Courier", PdfFontStyle::kNormal, 9).ok());
  EXPECT_TRUE(PdfAtSay("in courier", 738, 20).ok());
  EXPECT_EQ(PdfPageNumber(), 1);

  const PdfStatus nested = PdfOpen(File("nested.pdf"), FixedTime);
  EXPECT_EQ(nested.code, PdfStatus::Code::kAlreadyOpen);
  EXPECT_NE(nested.reason.find("run.pdf"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(File("nested.pdf")));
  EXPECT_TRUE(PdfAtSay("after the refused open", 726, 20).ok());

  ASSERT_TRUE(PdfClose().ok());
  EXPECT_FALSE(PdfIsOpen());
  EXPECT_EQ(PdfPageNumber(), 0);
  const std::string bytes = ReadBytes(File("run.pdf"));
  EXPECT_EQ(StructureProblems(bytes), std::vector<std::string>{});
  EXPECT_EQ(StreamContents(bytes),
            std::vector<std::string>{"\r\nBT /Fo1 10.00 Tf 20.00 750.00 Td (from a handler) Tj ET"
                                     "\r\nBT /Fo2 9.00 Tf 20.00 738.00 Td (in courier) Tj ET"
                                     "\r\nBT 20.00 726.00 Td (after the refused open) Tj ET"});
}

TEST_F(PdfDocumentTest, CallsWithNoDocumentOpenDoNothing) {
  EXPECT_EQ(PdfAtSay("lost", 750, 20).code, PdfStatus::Code::kNotOpen);
  EXPECT_EQ(PdfNewPage().code, PdfStatus::Code::kNotOpen);
  EXPECT_EQ(PdfSetFont("Times", PdfFontStyle::kBold, 10).code, PdfStatus::Code::kNotOpen);
  EXPECT_EQ(PdfClose().code, PdfStatus::Code::kNotOpen);
  EXPECT_EQ(PdfPageNumber(), 0);
#ifndef NDEBUG
  // Debug builds also point at the caller fault on stderr.
  testing::internal::CaptureStderr();
  (void)PdfAtSay("lost", 750, 20);
  EXPECT_NE(
      testing::internal::GetCapturedStderr().find("PdfAtSay called with no PDF document open"),
      std::string::npos);
#endif
}

TEST_F(PdfDocumentTest, FailedOpenLeavesNoDocumentOpen) {
  const PdfStatus status = PdfOpen(folder_ / "missing" / "x.pdf", FixedTime);
  EXPECT_EQ(status.code, PdfStatus::Code::kOpenFailed);
  EXPECT_FALSE(PdfIsOpen());
  EXPECT_TRUE(PdfOpen(File(), FixedTime).ok());  // the next open is not blocked
  EXPECT_TRUE(PdfClose().ok());
}

TEST_F(PdfDocumentTest, CloseReportsTheWriteFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ASSERT_TRUE(PdfOpen("/dev/full", FixedTime).ok());
  PdfNewPage(Letter());
  PdfAtSay("lost", 750, 20);
  const PdfStatus status = PdfClose();
  EXPECT_EQ(status.code, PdfStatus::Code::kWriteFailed);
  EXPECT_EQ(status.error_number, ENOSPC);
  EXPECT_FALSE(PdfIsOpen());
}

// Report lines: 60 lines a page at x 20 from 750 down in steps of 12.
TEST_F(PdfWriterTest, ReportLinesBreakPagesBelowForty) {
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open(File()).ok());
  PdfReportLines lines(writer);
  ASSERT_TRUE(lines.StartPage().ok());
  std::vector<std::string> texts;
  for (int i = 1; i <= 125; ++i) texts.push_back(i == 2 ? "  " : "L" + std::to_string(i));
  ASSERT_TRUE(lines.AddLines(texts).ok());
  EXPECT_EQ(lines.next_y(), 750 - 5 * 12);
  ASSERT_TRUE(writer.Close().ok());
  const std::string bytes = ReadBytes(File());
  const std::vector<std::string> contents = StreamContents(bytes);
  ASSERT_EQ(contents.size(), 3u);
  EXPECT_TRUE(
      contents[0].starts_with("\r\nBT /Fo1 10.00 Tf 20.00 750.00 Td (L1) Tj ET"
                              "\r\nBT 20.00 726.00 Td (L3) Tj ET"));
  EXPECT_TRUE(contents[0].ends_with("\r\nBT 20.00 42.00 Td (L60) Tj ET"));
  EXPECT_TRUE(contents[1].starts_with("\r\nBT /Fo1 10.00 Tf 20.00 750.00 Td (L61) Tj ET"));
  EXPECT_TRUE(contents[1].ends_with("(L120) Tj ET"));
  EXPECT_TRUE(contents[2].ends_with("\r\nBT 20.00 702.00 Td (L125) Tj ET"));
  EXPECT_NE(bytes.find("/Type /Pages /Count 3\r\n"), std::string::npos);
}

TEST_F(PdfWriterTest, ReportLinesUnderAHeading) {
  PdfWriter writer(FixedTime);
  ASSERT_TRUE(writer.Open(File()).ok());
  PdfReportLines lines(writer);
  for (const char* claim : {"A1", "B2"}) {
    lines.StartPage();
    lines.PlaceAt(std::string("Claim # :") + claim, kReportTopY);
    lines.MoveTo(718);
    for (int i = 0; i < 58; ++i) lines.AddLine("detail");
  }
  ASSERT_TRUE(writer.Close().ok());
  const std::vector<std::string> contents = StreamContents(ReadBytes(File()));
  ASSERT_EQ(contents.size(), 4u);  // 718 down to 46 holds 57 lines: the 58th starts a page
  EXPECT_TRUE(
      contents[0].starts_with("\r\nBT /Fo1 10.00 Tf 20.00 750.00 Td (Claim # :A1) Tj ET"
                              "\r\nBT 20.00 718.00 Td (detail) Tj ET"));
  EXPECT_EQ(contents[1], "\r\nBT /Fo1 10.00 Tf 20.00 750.00 Td (detail) Tj ET");
  EXPECT_TRUE(contents[2].starts_with("\r\nBT /Fo1 10.00 Tf 20.00 750.00 Td (Claim # :B2)"));
}

}  // namespace
}  // namespace ardentix
