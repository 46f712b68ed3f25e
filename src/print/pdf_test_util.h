// Helpers shared by the PDF writer's tests: a scratch folder, a fixed clock
// and readers for the bytes of a finished file.
#ifndef ARDENTIX_PRINT_PDF_TEST_UTIL_H_
#define ARDENTIX_PRINT_PDF_TEST_UTIL_H_

#include <stdlib.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/files.h"
#include "print/pdf_writer.h"

namespace ardentix::pdf_test {

// A folder of its own under the system's temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pdfwXXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// 29 Feb 2024 13:14:15, written as D:20240229131415.
inline PdfDateTime FixedTime() { return {2024, 2, 29, 13, 14, 15}; }

// The page set-up the report code passes: "LETTER" portrait.
inline PdfPageSetup Letter() {
  PdfPageSetup setup;
  setup.size_name = "LETTER";
  setup.orientation = 'P';
  return setup;
}

// The lines joined, each ended by CR LF.
inline std::string Crlf(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (std::string_view line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::string bytes;
  ReadWholeFile(file, bytes);
  return bytes;
}

// The content of every stream in file order: the bytes between "stream" and
// the CR LF before "endstream" (the content starts with its own CR LF).
inline std::vector<std::string> StreamContents(std::string_view bytes) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while ((at = bytes.find(">>\r\nstream", at)) != std::string_view::npos) {
    const std::size_t begin = at + 10;
    const std::size_t end = bytes.find("\r\nendstream", begin);
    if (end == std::string_view::npos) break;
    out.emplace_back(bytes.substr(begin, end - begin));
    at = end;
  }
  return out;
}

}  // namespace ardentix::pdf_test

#endif  // ARDENTIX_PRINT_PDF_TEST_UTIL_H_
