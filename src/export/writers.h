// Output writers of the mapped exports: comma-separated text (format "A"),
// XML ("B"), dBASE III tables ("C") and ODBC tables ("D").
//
// A writer is opened on a target with the export's columns, receives the
// rows in order and is closed:
//
//   auto w = MakeOutputWriter("A");
//   WriterStatus s = w->Open("/out/claims.csv", columns, options);
//   for (...) if (s) s = w->WriteRow(values);
//   if (s) s = w->Close();  // a failure carries its reason in s.reason
//
// Writers know nothing of transaction families beyond the byte layout of XML
// records (`XmlRecordLayout`). They guarantee the well-formedness of their
// own format whatever the caller passes: the comma-separated writer blanks
// the actual separator and bytes below 32 inside values and names; the XML
// writer applies `XmlClean`, blanks bytes below 32, writes every character in
// the declared encoding and makes element names valid. The value chain of
// the engine applies the documented cleaners (`CsvClean`, `XmlClean`) itself.
//
// Every open, write and close is checked. Once a writer has failed it stays
// failed: later calls do nothing and return the same failure. A comma-
// separated or XML output that replaces an existing file is written beside it
// and renamed over it by Close, so a failed export leaves the old file as it
// was; appending (MF) and dBASE appends restore the old length on failure.
// A writer destroyed without Close discards what it wrote.
#ifndef ARDENTIX_EXPORT_WRITERS_H_
#define ARDENTIX_EXPORT_WRITERS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "export/catalogue.h"

namespace ardentix {

// ---- value cleaners ----------------------------------------------------------

// Every "," becomes a blank. The length never changes.
std::string CsvClean(std::string_view value);
void CsvCleanInPlace(std::string& value);
// Every "&", "<", ">", double quote and "*" becomes a blank. The length never
// changes.
std::string XmlClean(std::string_view value);
void XmlCleanInPlace(std::string& value);

// ---- columns, options, status --------------------------------------------------

struct WriterColumn {
  std::string name;  // CSV header text, XML element name, ODBC column name
  int width = 0;     // dBASE field length, ODBC column length (unused by CSV, XML)
  friend bool operator==(const WriterColumn&, const WriterColumn&) = default;
};

// Columns from catalogue rows (name and width), in order.
std::vector<WriterColumn> ColumnsFromRows(std::span<const CatalogueRow> rows);
// Every row of a catalogue, as the dBASE writer's column set.
std::vector<WriterColumn> ColumnsFromCatalogue(const FieldCatalogue& catalogue);

// The byte layout of one XML record element, by transaction family.
enum class XmlRecordLayout {
  k837,  // <N>value</N> CR LF
  k835,  // <N>value CR LF </N> CR LF, also when the value is empty
  k277,  // as 835, but an empty value gives <N></N> CR LF
  k271,  // as 277; a value marked kDetail is written as in 837
};

// Per-value marks a row may carry; only the 271 XML layout reads them.
enum class ValueMark : std::uint8_t { kPlain = 0, kDetail = 1 };

struct WriterOptions {
  // Comma-separated: the header line (HO) and the separator (separate.dat's
  // content; empty means ",").
  bool header = false;
  std::string separator = ",";
  // At most this many columns (0: no limit). Comma-separated lines (the
  // header too) longer than the limit hold the first `column_limit` values
  // followed by one separator; dBASE and ODBC writers use the first
  // `column_limit` columns (ODBC: after SQLRECID); XML ignores it.
  std::size_t column_limit = 0;
  // Comma-separated and XML: keep the existing file and add to it (MF). A
  // comma-separated file that is not empty gets no second header line; an
  // XML file must end with "</EXPORTDATA>" and declare the same encoding.
  bool append = false;
  // The output is the next part of a joined output that exists already (the
  // dispatcher joins the parts of one run into one file, x12/join.h): the
  // writer adds to the end of the target exactly what joining this part's
  // own output file would add, and nothing else. Comma-separated: the part's
  // bytes from its first byte that is not a blank, tab or line break (with
  // `drop_first_line`, from the first such byte after its first line);
  // XML: the records only, without declaration and root; dBASE: the records,
  // appended as to any existing table. A target that does not exist fails.
  bool joined_part = false;
  bool drop_first_line = false;

  // XML.
  XmlRecordLayout xml_layout = XmlRecordLayout::k837;
  // Leave out elements whose value is blank once cleaned (837 with
  // "XML=DROPEMPTYFIELDS"; the writer applies it to any layout it is given).
  bool drop_empty_fields = false;
  std::string xml_encoding = "ISO-8859-1";  // the xmlencoding= setting

  // dBASE: an output file name beginning with a digit gets the prefix "a_"
  // (the 835, 277 and 271 rule); see DbfOutputPath.
  bool prefix_digit_names = false;
  // dBASE: the date written as "last updated" (year 0: today).
  int date_year = 0, date_month = 0, date_day = 0;
};

struct WriterStatus {
  bool ok = true;
  std::string reason;  // why it failed; empty when ok

  static WriterStatus Ok() { return {}; }
  static WriterStatus Fail(std::string why) { return {false, std::move(why)}; }
  explicit operator bool() const { return ok; }
};

// ---- the writer interface --------------------------------------------------------

class OutputWriter {
 public:
  virtual ~OutputWriter() = default;

  // Creates or opens the target: a file path for "A", "B" and "C", "DSN:TABLE"
  // for "D". Nothing is written to an existing target before Open succeeds.
  virtual WriterStatus Open(std::string_view target, std::span<const WriterColumn> columns,
                            const WriterOptions& options) = 0;
  // One row: a value per column (all columns, also beyond column_limit).
  // `marks`, when given, holds a mark per value.
  virtual WriterStatus WriteRow(std::span<const std::string> values,
                                std::span<const ValueMark> marks = {}) = 0;
  // Finishes the target (end bytes, header counts, commit) and closes it.
  virtual WriterStatus Close() = 0;

  // What the caller may log: renamed XML element names, an encoding that
  // could not be used, ODBC names that had to be quoted or renamed.
  const std::vector<std::string>& notices() const { return notices_; }
  // The file or table actually written (after the "a_" prefix, for example).
  const std::string& target() const { return target_; }
  std::size_t rows_written() const { return rows_; }
  // The number of failed operations (0 or 1: a writer stops at its first).
  std::size_t failures() const { return failed_ ? 1 : 0; }

 protected:
  // Records the first failure and returns it; later calls return it too.
  WriterStatus Failed(std::string why);
  WriterStatus Failure() const { return WriterStatus::Fail(failure_); }
  bool failed() const { return failed_; }
  // The reason given for a row whose number of values is not the number of
  // columns the writer was opened with.
  static std::string WrongRowSize(std::size_t values, std::size_t columns);

  std::vector<std::string> notices_;
  std::string target_;
  std::size_t rows_ = 0;

 private:
  bool failed_ = false;
  std::string failure_;
};

// The writer of a format code "A", "B", "C" or "D" (upper or lower case);
// nullptr for any other code. Without ODBC support in the build, "D" gives a
// writer whose Open fails with the reason.
std::unique_ptr<OutputWriter> MakeOutputWriter(std::string_view format_code);
std::unique_ptr<OutputWriter> MakeCsvWriter();
std::unique_ptr<OutputWriter> MakeXmlWriter();
std::unique_ptr<OutputWriter> MakeDbfWriter();
std::unique_ptr<OutputWriter> MakeOdbcWriter();
// True when this build has the ODBC writer.
bool OdbcWriterAvailable();

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_WRITERS_H_
