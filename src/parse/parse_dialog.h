// The dialogs of the parse driver, as dialog models on the ui layer:
//   - "X12 Parser" (ParseDialog): output type, source, destination, the four
//     YES/NO switches and free option words; "Begin" builds PARSEOPTIONS in
//     the order IC, OW, HO, MF, then the "Options :" text.
//   - "Parser Output Type" (OutputTypeDialog): one button per type word.
//   - "Select DSN" (SelectDsnDialog): an ODBC data source and a table,
//     giving "DSN:TABLE".
// Unattended backends never show a dialog: they close it at once, which
// leaves the request as it came (the parse dialog then gives an empty type).
#ifndef ARDENTIX_PARSE_PARSE_DIALOG_H_
#define ARDENTIX_PARSE_PARSE_DIALOG_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog.h"
#include "x12/parse_spec.h"

namespace ardentix::parse {

// The type words on the buttons of "Parser Output Type", in their order.
const std::vector<std::string>& DialogTypeWords();

// Control ids of "X12 Parser".
namespace parse_ids {
inline constexpr const char* kExit = "exit";
inline constexpr const char* kTypeButton = "type_button";
inline constexpr const char* kType = "type";
inline constexpr const char* kFormat = "format";
inline constexpr const char* kSourceFile = "source_file";
inline constexpr const char* kSourceFolder = "source_folder";
inline constexpr const char* kSource = "source";
inline constexpr const char* kDestinationFile = "destination_file";
inline constexpr const char* kDestinationFolder = "destination_folder";
inline constexpr const char* kDestination = "destination";
// The switches: the label shows "YES" or "NO", the button id is the label
// id + "_toggle".
inline constexpr const char* kIndividual = "individual";
inline constexpr const char* kOverwrite = "overwrite";
inline constexpr const char* kHeader = "header";
inline constexpr const char* kMerge = "merge";
inline constexpr const char* kOptions = "options";
inline constexpr const char* kBegin = "begin";
}  // namespace parse_ids

// The parse dialog for `spec` (type, source and destination are shown;
// the words IC, OW, HO and MF of its options set the switches and the other
// words fill "Options :"). Choosers start in `working_folder`. Returns the
// edited request: "Exit" (and the close box) empty PARSETYPE.
x12::ParseSpec ParseDialog(const x12::ParseSpec& spec, const std::string& working_folder);

// The dialog model itself, for callers that show it their own way. The
// result is in `*out` once the dialog has closed.
std::unique_ptr<ui::Dialog> BuildParseDialog(const x12::ParseSpec& spec,
                                             const std::string& working_folder,
                                             std::shared_ptr<x12::ParseSpec> out);

// "Parser Output Type": the chosen word, or empty when closed without one.
std::string OutputTypeDialog();

// "Select DSN": the data sources offered (the last one preselected) and the
// table typed or picked. Returns DSN + ":" + table (each without trailing
// blanks), or empty text after "Cancel". Without `sources` the driver
// manager's list is used.
std::string SelectDsnDialog(std::optional<std::vector<std::string>> sources = std::nullopt);

// The data-source names "Select DSN" offers when none are given: the
// driver manager's list, or what a test installs here (nullptr restores it).
void SetDataSourceLister(std::function<std::vector<std::string>()> lister);

// "Select Table" in "Select DSN" connects to the source and lets the user
// pick a table; the ODBC viewer registers that here. Without one the button
// shows a notice.
using TablePicker = std::function<std::optional<std::string>(const std::string& dsn)>;
void SetOdbcTablePicker(TablePicker picker);

}  // namespace ardentix::parse

#endif  // ARDENTIX_PARSE_PARSE_DIALOG_H_
