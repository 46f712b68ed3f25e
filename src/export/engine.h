// The export engine: one call turns the records of one loaded transaction
// part into rows of named fields and writes them with the writer of a
// format (comma-separated, XML, dBASE, ODBC; export/writers.h).
//
// A transaction family (837 claims now; 835, 277 and 271 later) plugs in
// through `ExportFamily`: its traits (XML record layout, value cleaners per
// step of its value chain, dBASE and ODBC column rules), the number of units
// in a part, its catalogue, and a `RowSource` that yields the rows of a list
// of field names. The engine knows nothing else of a family.
//
// What this header offers:
//   - ExportFormat and the conversions from format codes ("A".."D") and
//     PARSETYPE words, the output extensions;
//   - the settings an export reads: `ExportSwitchesFor` (the 16 switches with
//     their start from the part), `ReadExportSettings` (dbffieldcount,
//     maxfieldcount, xmlencoding), `ExportSeparator` (separate.dat);
//   - `EngineOptions`: the option words of PARSEOPTIONS as the engine reads
//     them (FILTER=, MAP=, DEBUG=ON taken out before the words);
//   - `ExportTrace`: the qvdebug.log trace with its size bound;
//   - `ExportEngine`: the engine proper, writing one output and its temp.log
//     lines; `ExportTargetPath`: the output of an unattended export (the one
//     rule, x12::ExportOutputPath, that the dispatcher's joiner uses too);
//   - `PrintListingLines`: the lines of the "Fields", "Totals" and "Listing"
//     pages.
// Every relative file (qv.ini, separate.dat, maps, logs) is looked for in the
// request's working folder (empty: the current folder).
#ifndef ARDENTIX_EXPORT_ENGINE_H_
#define ARDENTIX_EXPORT_ENGINE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/catalogue.h"
#include "export/map.h"
#include "export/writers.h"
#include "parse/logs.h"
#include "x12/dispatch.h"
#include "x12/join.h"
#include "x12/parse_spec.h"
#include "x12/segment_list.h"

namespace ardentix {

// ---- formats -------------------------------------------------------------

enum class ExportFormat : std::uint8_t { kCsv = 0, kXml = 1, kDbf = 2, kOdbc = 3 };
inline constexpr std::size_t kExportFormats = 4;

// "A" comma-separated, "B" XML, "C" dBASE, "D" ODBC (any letter case).
std::optional<ExportFormat> FormatFromCode(std::string_view code);
// "CSV", "XML", "DBF", "ODBC" (any letter case, blanks around ignored).
std::optional<ExportFormat> FormatFromParseType(std::string_view parse_type);
std::string_view FormatCode(ExportFormat format);       // "A".."D"
std::string_view FormatExtension(ExportFormat format);  // "csv", "xml", "dbf", ""
std::string_view FormatWord(ExportFormat format);       // "CSV", "XML", "DBF", "ODBC"
x12::OutputFormat OutputFormatFor(ExportFormat format);

// ---- settings --------------------------------------------------------------

// Positions of the export switch string (1-based as documented).
inline constexpr std::size_t kSwitchDropEmptyFields = 11;  // "XML=DROPEMPTYFIELDS"
inline constexpr std::size_t kSwitchDebug = 12;            // "DEBUG=ON"

// The 16 switches: before qv.ini is read, positions 5 and 6 are on when the
// part holds exactly one NM1 with qualifier 85, otherwise positions 1 to 4;
// then the qv.ini lines switch positions on.
std::string ExportSwitchesFor(const x12::SegmentList& list, const std::filesystem::path& folder);
// The same from the bytes of qv.ini read once by the caller (ini::ReadIni).
std::string ExportSwitchesFromText(const x12::SegmentList& list, std::string_view ini_text);
inline bool SwitchOn(std::string_view switches, std::size_t position) {
  return position >= 1 && position <= switches.size() && switches[position - 1] == 'B';
}

struct ExportSettings {
  std::size_t dbf_field_count = 255;     // dbffieldcount=
  std::size_t max_field_count = 999999;  // maxfieldcount=
  std::string xml_encoding = "ISO-8859-1";
};
// Reads settings 9, 10 and 11 from qv.ini. A count of 0 or less cannot
// limit a table or a line to nothing and gives the default.
ExportSettings ReadExportSettings(const std::filesystem::path& folder);
ExportSettings ExportSettingsFromText(std::string_view ini_text);

// The field separator of comma-separated exports: "," unless separate.dat
// (any letter case) exists in `folder`; then its content, with one trailing
// line end (CR LF, LF or CR) dropped; an empty file gives ",".
std::string ExportSeparator(const std::filesystem::path& folder);

// ---- options -------------------------------------------------------------

// PARSEOPTIONS as the engine reads it. The words are whole comma-separated
// pieces, upper-cased; the arguments of FILTER=, MAP= and DEBUG=ON are taken
// out first, so no word is ever found inside an argument.
struct EngineOptions {
  bool service_lines = false;      // SL
  bool individual = false;         // IC (no effect in the engine)
  bool overwrite = false;          // OW
  bool meters_off = false;         // MO
  bool header = false;             // HO
  bool loop_layout = false;        // FL
  bool merge = false;              // MF
  bool keep_name = false;          // MN
  bool debug = false;              // DEBUG=ON
  std::optional<std::string> map;  // MAP= (as written)
  std::string filter_field;        // FILTER= field, upper-cased
  std::string filter_value;        // and value, upper-cased
};
EngineOptions ParseEngineOptions(std::string_view parse_options);

// ---- the claim filter (FILTER=, comma-separated 835 exports) -----------------

// Whether a claim whose filter field has `value` passes `filter` (the
// FILTER= value, upper-cased). A blank value never passes. Otherwise:
//   "#start:length:text"  the part of the upper-cased value from position
//                         start (1-based) for length characters begins with
//                         the upper-cased text;
//   ">text"               text compares greater than the value;
//   "<text"               text compares less than the value;
//   anything else         the trimmed, upper-cased value begins with the
//                         trimmed, upper-cased filter.
// `plain_only` (service-line rows) uses the last rule for every filter.
bool FilterPasses(std::string_view value, std::string_view filter, bool plain_only = false);
// The temp.log lines of a filtered export.
std::vector<std::string> FilterLogLines(std::string_view field, std::string_view value,
                                        std::size_t passed);

// ---- the export trace (qvdebug.log) ---------------------------------------

class ExportTrace {
 public:
  static constexpr std::size_t kMaxCharacters = 1000000;
  // `header`: the title and "Started" lines (only with the qv.ini line).
  ExportTrace(const std::filesystem::path& folder, bool header, int dispatch_mode,
              std::string_view type);
  // Adds a line; once the trace is beyond kMaxCharacters nothing more is kept.
  void Line(std::string_view line);
  bool full() const { return full_; }
  // Writes qvdebug.log when the trace holds more than 10 characters.
  void Finish();
  const std::string& text() const { return trace_.text(); }

 private:
  logs::DebugTrace trace_;
  bool full_ = false;
};

// ---- the family interface ----------------------------------------------------

// Which step of a family's value chain gave a value.
enum class ValueStep : std::uint8_t {
  kUnit = 0,       // the unit's own value (837 claim or header level, 835 claim...)
  kHeader = 1,     // a value of the whole part (835 header, 271 file level)
  kDetail = 2,     // a detail value (835 service line, 271 detail)
  kParseSpec = 3,  // ParseSpecValue of the name
};
inline constexpr std::size_t kValueSteps = 4;

enum class Cleaner : std::uint8_t {
  kRaw,         // unchanged
  kCsv,         // CsvClean
  kXml,         // XmlClean
  kXmlThenCsv,  // XmlClean, then CsvClean
  kTrimmed,     // trailing blanks removed
};
// The cleaner of each step (rows) for each format (columns A to D).
using CleanerTable = std::array<std::array<Cleaner, kExportFormats>, kValueSteps>;
void ApplyCleaner(Cleaner cleaner, std::string& value);

enum class CatalogueVariant : std::uint8_t { kShort, kLong };

// What the ODBC columns of a family are made of.
enum class OdbcColumnSet : std::uint8_t {
  kFieldListByWidthTable,  // SQLRECID + the field list sized by OdbcWidthTable (837, 835)
  kCatalogue,              // SQLRECID + every catalogue row (277, 271)
};

struct FamilyTraits {
  std::string_view type;  // "837", "835", "277", "271"
  XmlRecordLayout xml_layout = XmlRecordLayout::k837;
  bool honours_drop_empty = false;  // XML=DROPEMPTYFIELDS applies
  bool dbf_digit_prefix = false;    // dBASE names beginning with a digit get "a_"
  bool csv_column_limit = false;    // maxfieldcount applies to comma-separated rows
  OdbcColumnSet odbc_columns = OdbcColumnSet::kFieldListByWidthTable;
  // The most ODBC columns after SQLRECID: 0 means the dbffieldcount setting.
  std::size_t odbc_column_limit = 0;
  // The listing rebuilds the claim index from the caller's claim-number field.
  bool listing_rebuilds_index = false;
  CleanerTable cleaners{};
};

// One loaded part as the engine sees it. References are valid for the call.
struct ExportPart {
  const x12::SegmentList& list;
  const x12::ClaimIndex& index;
  std::string transaction_type;  // ST01 of the part's first set
  x12::DispatchMode mode = x12::DispatchMode::kExport;
  const x12::ParseSpec& spec;
  int claim_number_field = 3;  // handed to the 835 lookups
  // The dispatcher's joiner when it joins the run's parts into one output
  // (x12::DispatchContext::join): the rows may then go straight into the
  // joined output. nullptr: the output is written as named, always.
  x12::OutputJoiner* join = nullptr;
};

// What a row source is asked for.
struct RowRequest {
  ExportFormat format = ExportFormat::kCsv;
  std::vector<std::string> names;  // one column per name, in order
  bool service_lines = false;      // SL
  std::string filter_field;        // FILTER= (upper-cased); empty: no filter
  std::string filter_value;
  ExportTrace* trace = nullptr;          // trace lines go here when debugging
  std::filesystem::path working_folder;  // qv.ini of the lookups (empty: current folder)
  // The bytes of that qv.ini when the caller has read them already; nullptr:
  // the row source reads them itself.
  const std::string* ini_text = nullptr;
};

// One row: a value per name, the step of the chain that gave it, and marks
// (only the 271 XML layout reads them; may stay empty).
struct ExportRow {
  std::vector<std::string> values;
  std::vector<ValueStep> steps;
  std::vector<ValueMark> marks;
};

class RowSource {
 public:
  virtual ~RowSource() = default;
  // Fills `row` with the next row (values and steps sized to the names);
  // false when there is none left.
  virtual bool Next(ExportRow& row) = 0;
  // Progress for the meter: units done so far and in all.
  virtual std::size_t units_done() const = 0;
  virtual std::size_t units_total() const = 0;
  // Lines the engine adds to temp.log after the rows (filter counts).
  virtual std::vector<std::string> TempLogLines() const { return {}; }
};

class ExportFamily {
 public:
  virtual ~ExportFamily() = default;
  virtual const FamilyTraits& traits() const = 0;
  // The units of the part (837 subscriber levels, 835 claim payments...);
  // 0 means there is nothing to export.
  virtual std::size_t UnitCount(const ExportPart& part) const = 0;
  // The claim type that names the maps (837); empty for other families.
  virtual std::string ClaimType(const ExportPart& part) const = 0;
  virtual FieldCatalogue Catalogue(const ExportPart& part, CatalogueVariant variant) const = 0;
  virtual std::unique_ptr<RowSource> Rows(const ExportPart& part,
                                          const RowRequest& request) const = 0;
  // The X12 loop layout (option FL). Families without one write nothing.
  virtual bool HasLoopLayout() const { return false; }
  virtual WriterStatus WriteLoopLayout(const ExportPart& /*part*/, ExportFormat /*format*/,
                                       const std::string& /*target*/,
                                       const WriterOptions& /*options*/) const {
    return WriterStatus::Fail("this family has no loop layout");
  }
};

// ---- the engine -------------------------------------------------------------

struct ExportRequest {
  ExportFormat format = ExportFormat::kCsv;
  std::string source_file;
  std::string dialog_folder;
  std::string base_folder;
  std::filesystem::path working_folder;  // empty: the current folder
  FieldList fields;
  std::string header_switch;  // "HO" or empty
};

struct ExportOutcome {
  enum class Status {
    kWritten,     // the output holds the rows
    kNotWritten,  // nothing asked for was written, by choice (cancelled, declined)
    kFailed,      // the output could not be written; `reason` says why
  };
  Status status = Status::kNotWritten;
  std::string target;  // the file or "SOURCE:TABLE" written (or meant)
  std::size_t rows = 0;
  std::string reason;
  bool written() const { return status == Status::kWritten; }
  bool failed() const { return status == Status::kFailed; }
};

// The output of an unattended export of `family` in `format`: the one rule of
// x12::ExportOutputPath (DESTINATIONFILE + "." + extension, in
// DESTINATIONFOLDER when that is a folder; MN, MF), with the "a_" prefix of
// dBASE names for the families that have it. For ODBC the "SOURCE:TABLE" text.
std::string ExportTargetPath(const x12::ParseSpec& spec, ExportFormat format,
                             const FamilyTraits& traits);

// Runs one export: unattended (part.mode 109) the output name and the options
// come from the ParseSpec; otherwise a file chooser "Export to File" asks
// for the name. Writes the output, adds the temp.log lines and, with
// debugging on, qvdebug.log. Failures are shown through the ui layer and
// logged; they are never logged as created.
ExportOutcome ExportEngine(const ExportFamily& family, const ExportPart& part,
                           const ExportRequest& request);

// ---- the printed listing ----------------------------------------------------

enum class ListingPage : int { kFields = 1, kTotals = 2, kListing = 3 };
std::string_view ListingTitle(ListingPage page);  // "Fields", "Totals", "Listing"

// The lines of a listing page for the entries of `fields` that the catalogue
// holds (names compared exactly once trailing blanks are removed):
//   Fields:  "Basic Field Location:", 80 "-", "", one line of "Field_" + the
//            entry's position cut or filled to the row's width plus a blank,
//            "", "Field Descriptions", 80 "-", "", then per entry "Field_" +
//            position (14 wide), the name (32 wide) and the description;
//   Listing: per row of the family the values, each formatted by its kind
//            mark and cut or filled to the row's width plus a blank;
//   Totals:  per entry its description (60 wide), 7 blanks and the total in
//            10 characters; rows marked "T" or "$" are summed exactly,
//            others give 0.
std::vector<std::string> PrintListingLines(const ExportFamily& family, const ExportPart& part,
                                           const FieldList& fields, const FieldCatalogue& catalogue,
                                           ListingPage page,
                                           const std::filesystem::path& working_folder = {});

// Where printed listings go (the printed-listing routine registers itself);
// without one the lines are only returned.
using ListingPrinter =
    std::function<void(std::string_view title, const std::vector<std::string>& lines)>;
ListingPrinter SetListingPrinter(ListingPrinter printer);
// Builds the page and hands it to the printer. Returns the lines.
std::vector<std::string> PrintListing(const ExportFamily& family, const ExportPart& part,
                                      const FieldList& fields, const FieldCatalogue& catalogue,
                                      ListingPage page,
                                      const std::filesystem::path& working_folder = {});

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_ENGINE_H_
