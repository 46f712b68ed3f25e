#include "export/writers.h"

#include <cstring>

#include "common/text.h"

namespace ardentix {

std::string CsvClean(std::string_view value) {
  std::string out(value);
  CsvCleanInPlace(out);
  return out;
}

void CsvCleanInPlace(std::string& value) {
  char* const end = value.data() + value.size();
  for (char* p = value.data(); (p = static_cast<char*>(std::memchr(p, ',', end - p)));) *p++ = ' ';
}

std::string XmlClean(std::string_view value) {
  std::string out(value);
  XmlCleanInPlace(out);
  return out;
}

void XmlCleanInPlace(std::string& value) {
  for (char& c : value) {
    switch (c) {
      case '&':
      case '<':
      case '>':
      case '"':
      case '*':
        c = ' ';
        break;
      default:
        break;
    }
  }
}

std::vector<WriterColumn> ColumnsFromRows(std::span<const CatalogueRow> rows) {
  std::vector<WriterColumn> out;
  out.reserve(rows.size());
  for (const CatalogueRow& row : rows) out.push_back({row.name, row.width});
  return out;
}

std::vector<WriterColumn> ColumnsFromCatalogue(const FieldCatalogue& catalogue) {
  return ColumnsFromRows(catalogue.rows());
}

WriterStatus OutputWriter::Failed(std::string why) {
  if (!failed_) {
    failed_ = true;
    failure_ = std::move(why);
  }
  return WriterStatus::Fail(failure_);
}

std::string OutputWriter::WrongRowSize(std::size_t values, std::size_t columns) {
  return "a row has " + std::to_string(values) + " values for " + std::to_string(columns) +
         " columns";
}

namespace {

// The ODBC writer of a build without unixODBC: says so when opened.
class MissingOdbcWriter : public OutputWriter {
 public:
  WriterStatus Open(std::string_view target, std::span<const WriterColumn>,
                    const WriterOptions&) override {
    target_ = std::string(target);
    return Failed("ODBC export is not available: this program was built without unixODBC");
  }
  WriterStatus WriteRow(std::span<const std::string>, std::span<const ValueMark>) override {
    return Failure();
  }
  WriterStatus Close() override { return Failure(); }
};

}  // namespace

#ifndef ARDENTIX_HAVE_ODBC
std::unique_ptr<OutputWriter> MakeOdbcWriter() { return std::make_unique<MissingOdbcWriter>(); }
bool OdbcWriterAvailable() { return false; }
#endif

std::unique_ptr<OutputWriter> MakeOutputWriter(std::string_view format_code) {
  std::string code = ToUpper(TrimBlanks(format_code));
  if (code == "A") return MakeCsvWriter();
  if (code == "B") return MakeXmlWriter();
  if (code == "C") return MakeDbfWriter();
  if (code == "D") {
    if (!OdbcWriterAvailable()) return std::make_unique<MissingOdbcWriter>();
    return MakeOdbcWriter();
  }
  return nullptr;
}

}  // namespace ardentix
