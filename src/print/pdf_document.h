// The program's one open PDF document: a thin facade over one PdfWriter.
//
// Report handlers in their PDF mode write pages "into whatever document is
// open": the parse driver opens one around a whole unattended run, the
// report formatter one per report, the claim form output one per form set.
// Those openers call PdfOpen/PdfClose; the handlers in between call
// PdfNewPage/PdfAtSay (or take CurrentPdfWriter() for PdfReportLines).
//
// - Only one document is open at a time. PdfOpen while one is open is
//   refused (kAlreadyOpen) and the open document is left untouched, so it is
//   never cut short; the refused caller must not call PdfClose.
// - Every call with no document open does nothing and returns kNotOpen;
//   builds without NDEBUG also say so on stderr (placing text with no open
//   document is a caller fault).
// - PdfClose returns the first failure of the whole document; callers log
//   "Created" only when it is ok.
// The program runs on one thread; the facade is not locked.
#ifndef ARDENTIX_PRINT_PDF_DOCUMENT_H_
#define ARDENTIX_PRINT_PDF_DOCUMENT_H_

#include <filesystem>
#include <string_view>

#include "print/pdf_writer.h"

namespace ardentix {

// Opens `file` as the program's PDF document. `clock` gives the creation
// date written at close (tests pass a fixed one).
[[nodiscard]] PdfStatus PdfOpen(const std::filesystem::path& file,
                                PdfClock clock = LocalPdfDateTime);
// Starts a page in the open document (see PdfWriter::NewPage).
PdfStatus PdfNewPage(const PdfPageSetup& setup = {});
// Places text at (x, y) points from the bottom-left corner; note the order:
// vertical position first, as the report code reads "at y, x".
PdfStatus PdfAtSay(std::string_view text, double y, double x);
PdfStatus PdfSetFont(std::string_view family, PdfFontStyle style, double size);
// Finishes and closes the open document.
[[nodiscard]] PdfStatus PdfClose();
// Pages started in the open document; 0 when none is open.
int PdfPageNumber();
bool PdfIsOpen();
// The open document's writer, or nullptr when none is open.
PdfWriter* CurrentPdfWriter();

}  // namespace ardentix

#endif  // ARDENTIX_PRINT_PDF_DOCUMENT_H_
