#include "print/pdf_document.h"

#include <cstdio>
#include <memory>

namespace ardentix {
namespace {

std::unique_ptr<PdfWriter>& OpenDocument() {
  static std::unique_ptr<PdfWriter> document;
  return document;
}

PdfStatus NoDocument(const char* call) {
#ifndef NDEBUG
  std::fprintf(stderr, "ardentix: %s called with no PDF document open\n", call);
#else
  (void)call;
#endif
  PdfStatus status;
  status.code = PdfStatus::Code::kNotOpen;
  status.reason = "no PDF document is open";
  return status;
}

}  // namespace

PdfStatus PdfOpen(const std::filesystem::path& file, PdfClock clock) {
  std::unique_ptr<PdfWriter>& document = OpenDocument();
  if (document) {
    PdfStatus status;
    status.code = PdfStatus::Code::kAlreadyOpen;
    status.reason = "a PDF document is already open: " + document->path().string();
    return status;
  }
  auto writer = std::make_unique<PdfWriter>(std::move(clock));
  PdfStatus status = writer->Open(file);
  if (!status.ok()) {
    // Nothing stays half open: a caller told of a failed open never closes.
    if (writer->is_open()) (void)writer->Close();
    return status;
  }
  document = std::move(writer);
  return status;
}

PdfStatus PdfNewPage(const PdfPageSetup& setup) {
  PdfWriter* writer = CurrentPdfWriter();
  return writer ? writer->NewPage(setup) : NoDocument("PdfNewPage");
}

PdfStatus PdfAtSay(std::string_view text, double y, double x) {
  PdfWriter* writer = CurrentPdfWriter();
  return writer ? writer->PlaceText(text, y, x) : NoDocument("PdfAtSay");
}

PdfStatus PdfSetFont(std::string_view family, PdfFontStyle style, double size) {
  PdfWriter* writer = CurrentPdfWriter();
  return writer ? writer->SetFont(family, style, size) : NoDocument("PdfSetFont");
}

PdfStatus PdfClose() {
  std::unique_ptr<PdfWriter>& document = OpenDocument();
  if (!document) return NoDocument("PdfClose");
  PdfStatus status = document->Close();
  document.reset();
  return status;
}

int PdfPageNumber() {
  PdfWriter* writer = CurrentPdfWriter();
  return writer ? writer->page_count() : 0;
}

bool PdfIsOpen() { return CurrentPdfWriter() != nullptr; }

PdfWriter* CurrentPdfWriter() { return OpenDocument().get(); }

}  // namespace ardentix
