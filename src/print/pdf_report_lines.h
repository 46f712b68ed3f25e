// PdfReportLines: the line-by-line layout of report text in a PDF.
//
// Every report handler writes its PDF pages the same way: "LETTER" portrait
// pages, each line at x 20, the first at y 750 and each next one 12 points
// lower, and a new page (next line back at 750) before a line would be
// placed below y 40, so a page holds 60 lines. Some reports put a heading at
// 750 and start their lines lower (MoveTo(718)).
//
//   PdfReportLines lines(*writer);   // writer: the open PdfWriter
//   lines.StartPage();
//   lines.PlaceAt("Claim # :" + number, kReportTopY);
//   lines.MoveTo(718);
//   for (const std::string& line : text) lines.AddLine(line);
//
// Blank lines write nothing but still take their 12 points. Failures are
// those of the writer (sticky; the document's Close reports them too).
#ifndef ARDENTIX_PRINT_PDF_REPORT_LINES_H_
#define ARDENTIX_PRINT_PDF_REPORT_LINES_H_

#include <span>
#include <string>
#include <string_view>

#include "print/pdf_writer.h"

namespace ardentix {

inline constexpr double kReportLineX = 20;
inline constexpr double kReportTopY = 750;
inline constexpr double kReportLineStep = 12;
inline constexpr double kReportBottomY = 40;

class PdfReportLines {
 public:
  explicit PdfReportLines(PdfWriter& writer) : writer_(writer) {}

  // Starts a new "LETTER" portrait page; the next line goes at the top.
  PdfStatus StartPage();
  // Places one text at x 20 and the given y, leaving the line position.
  PdfStatus PlaceAt(std::string_view text, double y);
  // Sets the y of the next line.
  void MoveTo(double y) { y_ = y; }
  // Places the next line, first starting a new page when its y would fall
  // below 40, and moves 12 points down.
  PdfStatus AddLine(std::string_view text);
  // AddLine for each text in order; stops at the first failure.
  PdfStatus AddLines(std::span<const std::string> texts);

  double next_y() const { return y_; }

 private:
  PdfWriter& writer_;
  double y_ = kReportTopY;
};

}  // namespace ardentix

#endif  // ARDENTIX_PRINT_PDF_REPORT_LINES_H_
