// PdfWriter: writes PDF 1.3 files made of pages of text placed at absolute
// positions, in the twelve standard Type 1 fonts of the Times, Helvetica and
// Courier families (never embedded, WinAnsiEncoding), with nothing compressed.
//
// A caller holds one PdfWriter, opens a file, starts pages, places texts at
// point coordinates (origin at the bottom-left corner of the page) and closes
// the document. The writer numbers the objects, keeps the byte offsets and
// writes the page tree, info, catalog, outline, cross-reference table and
// trailer at close. Pages are written to the file as they are finished, so a
// long run keeps only the current page in memory.
//
// Object layout: page k's objects are page, resources, contents and content
// length, followed by every font first selected while that page was open;
// object 1 is the page tree, written last, then info, catalog and outlines.
// One page of text in one font gives page 2, resources 3, contents 4,
// length 5, font 6, info 7, catalog 8, outlines 9 and a trailer /Size 10.
//
// Behaviour a caller can rely on:
// - Text crosses as bytes (Latin-1/cp1252 as the data comes). In strings
//   "\", "(" and ")" are escaped with a backslash and bytes below 32 are
//   written as three-digit octal escapes, so no text can end a string early.
// - The first "#pagenumber#" in a text becomes the page count; a text that
//   is empty or only blanks writes nothing.
// - Numbers are written locale-independently (positions "20.00").
// - A page started and left without text when the next page starts is not
//   written; the page open at close is always written, and a document in
//   which no page was started gets one empty page, so every reader accepts it.
// - Failures (open, write, flush, close) are returned as a PdfStatus with the
//   reason and the system's error number. After the first failure the writer
//   writes nothing more and every later call, Close included, returns that
//   same failure. The writer logs nothing: the caller reports.
// - The creation date in the info object comes from the clock given to the
//   constructor, so tests get reproducible bytes.
#ifndef ARDENTIX_PRINT_PDF_WRITER_H_
#define ARDENTIX_PRINT_PDF_WRITER_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix {

// The outcome of a writer call. `reason` is a short English text for the
// caller's log; `error_number` is the system's errno for file failures
// (0 otherwise), for the "Cfile <ERROR> FC-Open #" style messages.
struct PdfStatus {
  enum class Code {
    kOk,
    kOpenFailed,   // the file could not be created
    kWriteFailed,  // a write, flush or close failed (sticky)
    kAlreadyOpen,  // a document is already open; the open one is untouched
    kNotOpen,      // no document is open; nothing was done
    kNoPage,       // text placed before the first page was started
    kBadNumber,    // a position or size that is not a finite number
  };
  Code code = Code::kOk;
  int error_number = 0;
  std::string reason;

  bool ok() const { return code == Code::kOk; }
  static PdfStatus Ok() { return {}; }
};

// Local date and time as written into /CreationDate (D:YYYYMMDDHHMMSS).
struct PdfDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
using PdfClock = std::function<PdfDateTime()>;
// The system clock in local time: the default clock of every writer.
PdfDateTime LocalPdfDateTime();

enum class PdfFontStyle { kNormal = 0, kBold = 1, kItalic = 2, kBoldItalic = 3 };

// Font index 1 to 12: family "TIMES" (any letter case) gives 1 Times-Roman,
// "HELVETICA" gives 5 Helvetica, any other family 9 Courier; the style is
// added to that base.
int PdfFontIndex(std::string_view family, PdfFontStyle style);
// "Times-Roman" ... "Courier-BoldOblique" for index 1 to 12, else empty.
std::string_view PdfBaseFontName(int font_index);

// A page size: the first table row whose name begins with `name` (LETTER,
// LEGAL, LEDGER, EXECUTIVE, A4, A3, JIS B4, JIS B5, JPOST, JPOSTD, COM10,
// MONARCH, C5, DL, B5); no match gives LETTER. Orientation 'P' keeps width
// and height, any other letter swaps them. Sizes are in hundredths of a
// point (612.00 x 792.00 points for LETTER is 61200 x 79200).
struct PdfPageSize {
  std::string_view name;
  std::int64_t width_centipoints = 0;
  std::int64_t height_centipoints = 0;
};
PdfPageSize LookUpPdfPageSize(std::string_view name, char orientation);

// What a new page changes; members left empty keep the current value.
// Callers of the reports pass {"LETTER", 'P'}.
struct PdfPageSetup {
  std::optional<std::string> size_name;
  std::optional<char> orientation;
  std::optional<std::string> font_family;
  std::optional<PdfFontStyle> font_style;
  std::optional<double> font_size;
};

class PdfWriter {
 public:
  explicit PdfWriter(PdfClock clock = LocalPdfDateTime);
  // A document still open is finished (closed) so the file is never left as
  // a fragment; call Close() to learn whether that succeeded.
  ~PdfWriter();
  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;

  // Creates or truncates `file` and writes the header "%PDF-1.3" CR LF.
  // Starts with font Times-Roman size 10 on LETTER portrait pages. Refused
  // (kAlreadyOpen) while a document is open; the open one stays intact.
  [[nodiscard]] PdfStatus Open(const std::filesystem::path& file);

  // Starts a new page: the current page is written first when it holds
  // text; then the page count goes up, the size is looked up and oriented,
  // and the font is selected (SetFont).
  PdfStatus NewPage(const PdfPageSetup& setup = {});

  // Places `text` with its baseline start at (x, y) in points from the
  // bottom-left corner of the page, in the current font and size. Note the
  // order: vertical position first, as the report code reads "at y, x".
  // Refused with kNoPage before the first NewPage.
  PdfStatus PlaceText(std::string_view text, double y, double x);

  // Sets the current font and size for the texts that follow; a font used
  // for the first time gets its object number now and is written with the
  // page that is open.
  PdfStatus SetFont(std::string_view family, PdfFontStyle style, double size);

  // Writes the open page (even without text), the page tree, info, catalog,
  // outlines, cross-reference table and trailer, and closes the file.
  // Returns the first failure of the whole document, if any.
  [[nodiscard]] PdfStatus Close();

  bool is_open() const { return file_ != nullptr; }
  // Pages started since open (also those left without text); 0 when closed.
  int page_count() const { return page_count_; }
  const std::filesystem::path& path() const { return path_; }
  // The first failure of the open document (ok while none).
  const PdfStatus& status() const { return error_; }

 private:
  struct DocumentFont {
    int index;
    int object;
  };

  void Reset();
  void SelectFont(int font_index, double size);
  void ClosePage();
  void BeginObject(std::string& out, int number);
  void Emit(std::string_view bytes);
  int ResourceNumber(int font_index) const;

  PdfClock clock_;
  std::FILE* file_ = nullptr;
  std::filesystem::path path_;
  PdfStatus error_;

  std::uint64_t offset_ = 0;            // bytes written so far
  int object_counter_ = 1;              // last object of the last written page group
  int reserved_counter_ = 5;            // highest object number handed out
  std::vector<std::uint64_t> offsets_;  // per object number, [0] is the free entry
  std::vector<int> pages_;              // object numbers of written pages
  int page_count_ = 0;                  // pages started
  std::string content_;                 // operators of the current page
  std::int64_t width_ = 61200;          // centipoints
  std::int64_t height_ = 79200;
  std::string size_name_ = "LETTER";
  char orientation_ = 'P';
  int font_ = 1;
  double size_ = 10;
  int last_font_ = 0;
  double last_size_ = 0;
  std::vector<DocumentFont> document_fonts_;  // in order of first selection
  std::vector<int> page_fonts_;               // font indexes selected on this page
};

// The bytes of a PDF literal string body for `text`: "\", "(" and ")"
// escaped, bytes below 32 as "\ooo"; every other byte as it is.
std::string EscapePdfText(std::string_view text);

}  // namespace ardentix

#endif  // ARDENTIX_PRINT_PDF_WRITER_H_
