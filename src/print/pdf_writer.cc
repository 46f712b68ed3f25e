#include "print/pdf_writer.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>

#include "common/number.h"
#include "common/text.h"

namespace ardentix {
namespace {

constexpr std::array<std::string_view, 12> kBaseFonts = {
    "Times-Roman", "Times-Bold",     "Times-Italic",      "Times-BoldItalic",
    "Helvetica",   "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Courier",     "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique"};

struct PageSizeRow {
  std::string_view name;
  int width_hundredths_inch;
  int height_hundredths_inch;
};

// Searched in this order; the first row whose name begins with the asked
// name wins, so "LE" finds LETTER and "JPOST" finds JPOST before JPOSTD.
constexpr std::array<PageSizeRow, 15> kPageSizes = {{
    {"LETTER", 850, 1100},
    {"LEGAL", 850, 1400},
    {"LEDGER", 1100, 1700},
    {"EXECUTIVE", 725, 1050},
    {"A4", 827, 1169},
    {"A3", 1169, 1654},
    {"JIS B4", 1012, 1433},
    {"JIS B5", 716, 1012},
    {"JPOST", 394, 583},
    {"JPOSTD", 583, 787},
    {"COM10", 412, 950},
    {"MONARCH", 387, 750},
    {"C5", 638, 901},
    {"DL", 433, 866},
    {"B5", 693, 984},
}};

// The largest offset a cross-reference entry can hold (ten digits).
constexpr std::uint64_t kMaxXrefOffset = 9'999'999'999ULL;

std::string Number(std::int64_t value) { return FormatInteger(value); }

// Two decimals, C locale: 20 gives "20.00".
std::string Decimal2(double value) { return FormatFixed(value, 2); }

std::string Centipoints(std::int64_t value) {
  std::string out = FormatInteger(value / 100);
  const int cents = static_cast<int>(value % 100);
  out += '.';
  out += static_cast<char>('0' + cents / 10);
  out += static_cast<char>('0' + cents % 10);
  return out;
}

std::string ZeroPadded(std::int64_t value, std::size_t width) {
  std::string text = FormatInteger(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

PdfStatus Failure(PdfStatus::Code code, std::string reason, int error_number = 0) {
  PdfStatus status;
  status.code = code;
  status.error_number = error_number;
  status.reason = std::move(reason);
  return status;
}

PdfStatus NotOpen() { return Failure(PdfStatus::Code::kNotOpen, "no PDF document is open"); }

// Appends the string body of `text` to `out` (see EscapePdfText).
void AppendEscapedPdfText(std::string& out, std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '(' || c == ')') {
      out += '\\';
      out += c;
    } else if (byte < 32) {
      out += '\\';
      out += static_cast<char>('0' + (byte >> 6));
      out += static_cast<char>('0' + ((byte >> 3) & 7));
      out += static_cast<char>('0' + (byte & 7));
    } else {
      out += c;
    }
  }
}

}  // namespace

PdfDateTime LocalPdfDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

int PdfFontIndex(std::string_view family, PdfFontStyle style) {
  const std::string upper = ToUpper(family);
  const int base = upper == "TIMES" ? 1 : upper == "HELVETICA" ? 5 : 9;
  return base + static_cast<int>(style);
}

std::string_view PdfBaseFontName(int font_index) {
  if (font_index < 1 || font_index > 12) return {};
  return kBaseFonts[static_cast<std::size_t>(font_index - 1)];
}

PdfPageSize LookUpPdfPageSize(std::string_view name, char orientation) {
  const PageSizeRow* row = &kPageSizes[0];
  for (const PageSizeRow& candidate : kPageSizes) {
    if (candidate.name.starts_with(name)) {
      row = &candidate;
      break;
    }
  }
  PdfPageSize size{row->name, std::int64_t{row->width_hundredths_inch} * 72,
                   std::int64_t{row->height_hundredths_inch} * 72};
  if (orientation != 'P') std::swap(size.width_centipoints, size.height_centipoints);
  return size;
}

std::string EscapePdfText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  AppendEscapedPdfText(out, text);
  return out;
}

PdfWriter::PdfWriter(PdfClock clock) : clock_(std::move(clock)) {
  if (!clock_) clock_ = LocalPdfDateTime;
}

PdfWriter::~PdfWriter() {
  if (file_ != nullptr) (void)Close();
}

void PdfWriter::Reset() {
  error_ = PdfStatus::Ok();
  offset_ = 0;
  object_counter_ = 1;
  reserved_counter_ = 5;
  offsets_.assign(2, 0);
  pages_.clear();
  page_count_ = 0;
  content_.clear();
  size_name_ = "LETTER";
  orientation_ = 'P';
  const PdfPageSize letter = LookUpPdfPageSize(size_name_, orientation_);
  width_ = letter.width_centipoints;
  height_ = letter.height_centipoints;
  font_ = 1;
  size_ = 10;
  last_font_ = 0;
  last_size_ = 0;
  document_fonts_.clear();
  page_fonts_.clear();
}

PdfStatus PdfWriter::Open(const std::filesystem::path& file) {
  if (file_ != nullptr) {
    return Failure(PdfStatus::Code::kAlreadyOpen,
                   "a PDF document is already open: " + path_.string());
  }
  errno = 0;
  std::FILE* handle = std::fopen(file.c_str(), "wb");
  if (handle == nullptr) {
    const int error_number = errno;
    return Failure(PdfStatus::Code::kOpenFailed,
                   "cannot create " + file.string() + ": " + std::strerror(error_number),
                   error_number);
  }
  Reset();
  file_ = handle;
  path_ = file;
  Emit("%PDF-1.3\r\n");
  return error_;
}

void PdfWriter::Emit(std::string_view bytes) {
  if (!error_.ok() || bytes.empty()) return;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    const int error_number = errno != 0 ? errno : EIO;
    error_ = Failure(PdfStatus::Code::kWriteFailed,
                     "cannot write " + path_.string() + ": " + std::strerror(error_number),
                     error_number);
    return;
  }
  offset_ += bytes.size();
}

// Records the object's offset (objects are always written in number order)
// and starts its text.
void PdfWriter::BeginObject(std::string& out, int number) {
  offsets_.push_back(offset_);
  out = Number(number);
}

int PdfWriter::ResourceNumber(int font_index) const {
  for (std::size_t i = 0; i < document_fonts_.size(); ++i) {
    if (document_fonts_[i].index == font_index) return static_cast<int>(i + 1);
  }
  return 0;
}

void PdfWriter::SelectFont(int font_index, double size) {
  font_ = font_index;
  size_ = size;
  page_fonts_.push_back(font_index);
  if (ResourceNumber(font_index) == 0) {
    ++reserved_counter_;
    document_fonts_.push_back({font_index, reserved_counter_});
  }
}

PdfStatus PdfWriter::SetFont(std::string_view family, PdfFontStyle style, double size) {
  if (file_ == nullptr) return NotOpen();
  if (!error_.ok()) return error_;
  if (!std::isfinite(size))
    return Failure(PdfStatus::Code::kBadNumber, "font size is not a number");
  SelectFont(PdfFontIndex(family, style), size);
  return PdfStatus::Ok();
}

PdfStatus PdfWriter::NewPage(const PdfPageSetup& setup) {
  if (file_ == nullptr) return NotOpen();
  if (!error_.ok()) return error_;
  if (setup.font_size && !std::isfinite(*setup.font_size)) {
    return Failure(PdfStatus::Code::kBadNumber, "font size is not a number");
  }
  if (!content_.empty()) ClosePage();
  page_fonts_.clear();
  ++page_count_;
  if (setup.size_name) size_name_ = *setup.size_name;
  if (setup.orientation) orientation_ = *setup.orientation;
  const PdfPageSize size = LookUpPdfPageSize(size_name_, orientation_);
  width_ = size.width_centipoints;
  height_ = size.height_centipoints;
  const int current_base = ((font_ - 1) / 4) * 4 + 1;
  const auto style = setup.font_style.value_or(static_cast<PdfFontStyle>((font_ - 1) % 4));
  const int font = setup.font_family ? PdfFontIndex(*setup.font_family, style)
                                     : current_base + static_cast<int>(style);
  SelectFont(font, setup.font_size.value_or(size_));
  last_font_ = 0;
  last_size_ = 0;
  return error_;
}

PdfStatus PdfWriter::PlaceText(std::string_view text, double y, double x) {
  if (file_ == nullptr) return NotOpen();
  if (!error_.ok()) return error_;
  if (page_count_ == 0) {
    return Failure(PdfStatus::Code::kNoPage, "text placed before the first page was started");
  }
  if (!std::isfinite(x) || !std::isfinite(y)) {
    return Failure(PdfStatus::Code::kBadNumber, "text position is not a number");
  }
  // The text is copied only when its page number marker is filled in.
  std::string numbered;
  std::string_view body = text;
  const std::size_t marker = text.find("#pagenumber#");
  if (marker != std::string_view::npos) {
    numbered.assign(text).replace(marker, 12, Number(page_count_));
    body = numbered;
  }
  if (TrimBlanks(body).empty()) return PdfStatus::Ok();

  content_ += "\r\nBT ";
  if (font_ != last_font_ || size_ != last_size_) {
    last_font_ = font_;
    last_size_ = size_;
    content_ += "/Fo";
    content_ += Number(ResourceNumber(font_));
    content_ += ' ';
    content_ += Decimal2(size_);
    content_ += " Tf ";
  }
  content_ += Decimal2(x);
  content_ += ' ';
  content_ += Decimal2(y);
  content_ += " Td (";
  AppendEscapedPdfText(content_, body);
  content_ += ") Tj ET";
  return PdfStatus::Ok();
}

void PdfWriter::ClosePage() {
  const int k = object_counter_;
  std::string out;

  BeginObject(out, k + 1);
  out += " 0 obj\r\n<<\r\n/Type /Page /Parent 1 0 R\r\n/Resources ";
  out += Number(k + 2);
  out += " 0 R\r\n/MediaBox [ 0 0 ";
  out += Centipoints(width_);
  out += ' ';
  out += Centipoints(height_);
  out += " ]\r\n/Contents ";
  out += Number(k + 3);
  out += " 0 R\r\n>>\r\nendobj\r\n";
  Emit(out);
  pages_.push_back(k + 1);

  BeginObject(out, k + 2);
  out +=
      " 0 obj\r\n<<\r\n/ColorSpace << /DeviceRGB /DeviceGray >>\r\n"
      "/ProcSet [ /PDF /Text /ImageB /ImageC ]";
  if (!page_fonts_.empty()) {
    out += "\r\n/Font\r\n<<";
    // A font selected twice on one page is listed once: a dictionary must
    // not hold the same key twice.
    for (std::size_t i = 0; i < page_fonts_.size(); ++i) {
      bool seen = false;
      for (std::size_t j = 0; j < i && !seen; ++j) seen = page_fonts_[j] == page_fonts_[i];
      if (seen) continue;
      const int resource = ResourceNumber(page_fonts_[i]);
      out += "\r\n/Fo";
      out += Number(resource);
      out += ' ';
      out += Number(document_fonts_[static_cast<std::size_t>(resource - 1)].object);
      out += " 0 R";
    }
    out += "\r\n>>";
  }
  out += "\r\n>>\r\nendobj\r\n";
  Emit(out);

  BeginObject(out, k + 3);
  out += " 0 obj << /Length ";
  out += Number(k + 4);
  out += " 0 R >>\r\nstream";
  Emit(out);
  Emit(content_);
  Emit("\r\nendstream\r\nendobj\r\n");

  BeginObject(out, k + 4);
  out += " 0 obj\r\n";
  out += Number(static_cast<std::int64_t>(content_.size()));
  out += "\r\nendobj\r\n";
  Emit(out);

  for (std::size_t i = 0; i < document_fonts_.size(); ++i) {
    if (document_fonts_[i].object <= k + 4) continue;
    BeginObject(out, document_fonts_[i].object);
    out += " 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type1\r\n/Name /Fo";
    out += Number(static_cast<std::int64_t>(i + 1));
    out += "\r\n/BaseFont /";
    out += PdfBaseFontName(document_fonts_[i].index);
    out += "\r\n/Encoding /WinAnsiEncoding\r\n>>\r\nendobj\r\n";
    Emit(out);
  }

  object_counter_ = reserved_counter_;
  reserved_counter_ = object_counter_ + 4;
  content_.clear();
}

PdfStatus PdfWriter::Close() {
  if (file_ == nullptr) return NotOpen();
  ClosePage();
  const int m = object_counter_;
  std::string out;

  offsets_[1] = offset_;
  out = "1 0 obj\r\n<<\r\n/Type /Pages /Count ";
  out += Number(static_cast<std::int64_t>(pages_.size()));
  out += "\r\n/Kids [";
  for (const int page : pages_) {
    out += ' ';
    out += Number(page);
    out += " 0 R";
  }
  out += " ]\r\n>>\r\nendobj\r\n";
  Emit(out);

  const PdfDateTime now = clock_();
  BeginObject(out, m + 1);
  out +=
      " 0 obj\r\n<<\r\n/Producer ()\r\n/Title ()\r\n/Author ()\r\n/Creator ()\r\n"
      "/Subject ()\r\n/Keywords ()\r\n/CreationDate (D:";
  out += ZeroPadded(now.year, 4);
  out += ZeroPadded(now.month, 2);
  out += ZeroPadded(now.day, 2);
  out += ZeroPadded(now.hour, 2);
  out += ZeroPadded(now.minute, 2);
  out += ZeroPadded(now.second, 2);
  out += ")\r\n>>\r\nendobj\r\n";
  Emit(out);

  BeginObject(out, m + 2);
  out += " 0 obj\r\n<< /Type /Catalog /Pages 1 0 R /Outlines ";
  out += Number(m + 3);
  out += " 0 R >>\r\nendobj\r\n";
  Emit(out);

  BeginObject(out, m + 3);
  out += " 0 obj\r\n<< /Type /Outlines /Count 0 >>\r\nendobj\r\n";
  Emit(out);

  Emit("\r\n");
  const std::uint64_t xref_offset = offset_;
  out = "xref\r\n0 ";
  out += Number(static_cast<std::int64_t>(offsets_.size()));
  out += "\r\n0000000000 65535 f\r\n";
  Emit(out);
  for (std::size_t i = 1; i < offsets_.size(); ++i) {
    if (offsets_[i] > kMaxXrefOffset && error_.ok()) {
      error_ = Failure(PdfStatus::Code::kWriteFailed,
                       "cannot write " + path_.string() + ": the document is too large for PDF");
    }
    out = ZeroPadded(static_cast<std::int64_t>(offsets_[i]), 10);
    out += " 00000 n\r\n";
    Emit(out);
  }

  out = "trailer << /Size ";
  out += Number(static_cast<std::int64_t>(offsets_.size()));
  out += " /Root ";
  out += Number(m + 2);
  out += " 0 R /Info ";
  out += Number(m + 1);
  out += " 0 R >>\r\nstartxref\r\n";
  out += Number(static_cast<std::int64_t>(xref_offset));
  out += "\r\n%%EOF\r\n";
  Emit(out);

  errno = 0;
  const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const int flush_errno = errno != 0 ? errno : EIO;
  const bool closed = std::fclose(file_) == 0;
  const int close_errno = errno != 0 ? errno : EIO;
  file_ = nullptr;
  if (error_.ok() && (!flushed || !closed)) {
    const int error_number = !flushed ? flush_errno : close_errno;
    error_ = Failure(PdfStatus::Code::kWriteFailed,
                     "cannot write " + path_.string() + ": " + std::strerror(error_number),
                     error_number);
  }
  PdfStatus result = error_;
  Reset();
  return result;
}

}  // namespace ardentix
