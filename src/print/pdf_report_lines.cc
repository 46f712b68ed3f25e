#include "print/pdf_report_lines.h"

namespace ardentix {

PdfStatus PdfReportLines::StartPage() {
  PdfPageSetup setup;
  setup.size_name = "LETTER";
  setup.orientation = 'P';
  y_ = kReportTopY;
  return writer_.NewPage(setup);
}

PdfStatus PdfReportLines::PlaceAt(std::string_view text, double y) {
  return writer_.PlaceText(text, y, kReportLineX);
}

PdfStatus PdfReportLines::AddLine(std::string_view text) {
  if (y_ < kReportBottomY) {
    PdfStatus status = StartPage();
    if (!status.ok()) return status;
  }
  PdfStatus status = writer_.PlaceText(text, y_, kReportLineX);
  y_ -= kReportLineStep;
  return status;
}

PdfStatus PdfReportLines::AddLines(std::span<const std::string> texts) {
  for (const std::string& text : texts) {
    PdfStatus status = AddLine(text);
    if (!status.ok()) return status;
  }
  return PdfStatus::Ok();
}

}  // namespace ardentix
