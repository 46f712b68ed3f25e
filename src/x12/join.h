// Output names of unattended runs and the joining of the outputs of several
// parts (interchanges, transaction sets) of one file into one output.
//
// What this header offers:
//   - OutputFormatOf / OutputExtension: the output family of a PARSETYPE.
//   - ExportOutputPath: the one rule for the file an unattended export writes
//     (DESTINATIONFILE + "." + extension, in DESTINATIONFOLDER when that is a
//     folder; MN and MF as the export engine documents them). The writers, the
//     overwrite check, the log lines and the joiner all use it.
//   - Remit835Path: the ".835" file of a part in mode 113.
//   - OutputJoiner: joins every part's output into the base name's output,
//     once per part, by format:
//       CSV  the first part's header line is kept (HO), later parts lose their
//            first line; contents trimmed of leading blanks and line breaks;
//       XML  one declaration (with the xmlencoding= setting) and one
//            <EXPORTDATA> root around the records of every part;
//       DBF  the rows of every part's table appended to the first part's table
//            (fields must match);
//       835  the parts' ".835" texts appended.
//     The joined file is created fresh at the first part, so it holds exactly
//     the parts of the current run. A part file is erased only after its
//     content reached the joined file; the joiner never erases or truncates a
//     part that is its own target (a single part, MF).
//     Once the joined file is started, a later part may be written straight
//     into it instead of into a part file of its own (DirectTarget): the
//     writer then adds exactly what joining its part file would add (see
//     export/writers.h, WriterOptions::joined_part), so the joined file is the
//     same and no part file is written, read and erased.
//   - CsvPartBody, XmlPartBody, AppendDbfTable: the per-format steps, for
//     callers that join outputs themselves.
#ifndef ARDENTIX_X12_JOIN_H_
#define ARDENTIX_X12_JOIN_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "x12/parse_spec.h"

namespace ardentix::x12 {

namespace fs = std::filesystem;

enum class OutputFormat { kNone, kCsv, kXml, kDbf, kOdbc, k835 };

// "CSV", "XML", "DBF", "ODBC", "835" (any letter case); kNone otherwise.
OutputFormat OutputFormatOf(std::string_view parse_type);
// "csv", "xml", "dbf", "835"; empty for ODBC and kNone.
std::string_view OutputExtension(OutputFormat format);

// The output file of an unattended export. `digit_prefix` puts "a_" in front
// of a file name that begins with a digit (dBASE tables).
fs::path ExportOutputPath(const ParseSpec& spec, OutputFormat format, bool digit_prefix = false);
// DESTINATIONFILE + ".835", in DESTINATIONFOLDER when that is a folder.
fs::path Remit835Path(const ParseSpec& spec);

// A CSV part's content as it goes into the joined file: leading blanks,
// tabs and line breaks removed, trailing blanks removed, ending in a line
// break; with `drop_header` its first line is left out.
std::string CsvPartBody(std::string_view content, bool drop_header);
// The records of an XML part: the text after its first "<EXPORTDATA>" and
// before its last "</EXPORTDATA>" (tags found without regard to case),
// leading line breaks removed, ending in CR LF when not empty.
std::string XmlPartBody(std::string_view content);
// The first line of an XML output: the declaration with `encoding`.
std::string XmlDeclaration(std::string_view encoding);

// Appends the records of dBASE table `source` to table `target` (common/dbf.h; their
// field descriptions must match) and updates the record count. On failure
// returns false with the reason in `error`; the target is left as it was.
bool AppendDbfTable(const fs::path& target, const fs::path& source, std::string* error = nullptr);

struct JoinSettings {
  bool merge_text = true;    // CSV and XML parts are joined (MERGEST not OFF)
  bool header_line = false;  // CSV outputs begin with a header line (HO)
  std::string xml_encoding = "ISO-8859-1";
};

class OutputJoiner {
 public:
  // `base` is the request as the run began (its DESTINATIONFILE is the base name).
  OutputJoiner(const ParseSpec& base, JoinSettings settings);
  // False when the request's format is not joined (ODBC, reports, ...).
  bool active() const { return active_; }
  // Joins the output of the part that was produced with `part`. Returns false
  // after a failure (shown through the ui layer); the part file is kept then.
  bool AddPart(const ParseSpec& part);
  // Where the output of the part to be produced with `part` may be written
  // straight: the joined output, once this run has started it with a part
  // of CSV, XML or DBF. Nothing for the first part, for a part that is its
  // own target (MF), for a part whose own file exists already (it is then
  // written and joined as before), and for formats that are not joined.
  std::optional<fs::path> DirectTarget(const ParseSpec& part) const;
  // Comma-separated parts after the first lose their first line (HO).
  bool drops_first_line() const { return settings_.header_line; }
  // The part went straight into the joined output (after DirectTarget).
  void AddedDirectly() { ++parts_joined_; }
  // Completes the joined output (closes the XML root). False after a failure.
  bool Finish();
  // The joined output's path (for XML and CSV the base name's export file).
  const fs::path& target() const { return target_; }
  int parts_joined() const { return parts_joined_; }

 private:
  bool Fail(const std::string& message);
  bool AddText(const fs::path& part_file);
  bool AddDbf(const fs::path& part_file, const fs::path& target);

  ParseSpec base_;
  JoinSettings settings_;
  OutputFormat format_;
  bool active_ = false;
  bool started_ = false;
  bool failed_ = false;
  int parts_joined_ = 0;
  fs::path target_;
};

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_JOIN_H_
