// The parse driver: one conversion job from a type word, a source file or
// folder, a destination and option words, run unattended from the command
// line or from the "X12 Parser" menu item.
//
// What this header offers:
//   - OutputType / FindOutputType: the type words with their log lines,
//     dispatch modes and the names used in " - <name> Not Created ".
//   - ScanOptions / CommandLineOptions: the option words the driver reads.
//     MAP=, SELECTMAP=, FILTER= (with its value piece) and DEBUG=ON are taken
//     out first and the two-letter words are whole pieces, so no word is ever
//     found inside an argument; map names keep their letter case.
//   - OutputBaseName, ClassifyDestination, FolderFiles: the naming and
//     classification steps on their own.
//   - RunParse: the whole run. It holds the run lock of the working folder,
//     writes parse.log (or the "ML" name), asks before overwriting (through
//     the ui layer: a terminal asks, headless takes "No" and the run ends
//     with status 3), walks a folder in FolderNameLess order, splits type
//     ISA at production interchanges, reads large files in blocks when
//     qv.ini asks for it, opens the PDF document around PDF runs, and logs
//     " - Created " only for outputs that exist and were written by the run.
//   - RunUnattended / RunFromMenu: the two callers' forms.
//
// Exit statuses: 0 the run did what was asked; 2 usage (type or source
// missing, unknown type word, the CSV to 837I conversion); 3 some file was
// not processed or some output not written or declined.
#ifndef ARDENTIX_PARSE_DRIVER_H_
#define ARDENTIX_PARSE_DRIVER_H_

#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "x12/dispatch.h"
#include "x12/parse_spec.h"

namespace ardentix::parse {

namespace fs = std::filesystem;

// ---- type words -------------------------------------------------------------

struct OutputType {
  std::string_view word;         // "CSV"
  std::string_view log_line;     // " - Parse CSV."
  bool dispatched;               // false for ISA
  x12::DispatchMode mode;        // the mode of a single source file
  std::string_view not_created;  // " - " + this + " Not Created "
  // The extension of the file the driver writes from the returned text
  // (base + "." + this); empty when the driver writes none.
  std::string_view single_extension;  // single source file
  std::string_view folder_extension;  // each file of a folder source
};
// The type word (upper case, exact); nullptr for an unknown word.
const OutputType* FindOutputType(std::string_view word);
const std::vector<OutputType>& OutputTypes();

// ---- option words -----------------------------------------------------------

struct OptionScan {
  bool individual_claims = false;         // IC
  bool overwrite = false;                 // OW
  bool maintain_name = false;             // MN
  bool meters_off = false;                // MO
  bool header = false;                    // HO
  bool loop_format = false;               // FL
  bool merge = false;                     // MF
  bool multiple_logs = false;             // ML
  std::optional<std::string> map;         // MAP= argument (letter case kept)
  std::optional<std::string> select_map;  // SELECTMAP= argument
  bool select_map_last = false;           // SELECTMAP= came after MAP=
  // The log lines of the recognised words, in the order they were found.
  std::vector<std::string> log_lines;
};
// Reads PARSEOPTIONS the way the driver does: words are compared exactly
// (upper case); lower-case words typed into the dialog are left to the
// export engine.
OptionScan ScanOptions(std::string_view options);

// The command line's PARSEOPTIONS: upper-cased, except the file names and
// masks after MAP= and SELECTMAP=.
std::string CommandLineOptions(std::string_view options);

// ---- names and classification -------------------------------------------------

// The output base name of a source: its last path component (a "/" at the
// very end ignored) cut before its last "." ("/in/claims.x12" -> "claims",
// "/data/v1.2/claims" -> "claims").
std::string OutputBaseName(std::string_view source);

enum class DestinationKind {
  kNone,            // blank
  kExistingFile,    // " - The destination file exists."
  kExistingFolder,  // " - Destination Folder exists."
  kFileToCreate,    // " - The Destination File to Create."
  kMissingFolder,   // " - The Destination Folder does Not exist."
};
// The rule for a destination that does not exist looks at its last name: a
// "." among its characters before the last one followed by exactly one
// character ("out.c") names a missing folder; otherwise a file to create.
DestinationKind ClassifyDestination(std::string_view destination);

// The names of the regular files in `folder` (no sub-folders), sorted with
// FolderNameLess. A folder that cannot be read gives its error in `error`.
std::vector<std::string> FolderFiles(const fs::path& folder, std::error_code* error = nullptr);

// ---- the run ------------------------------------------------------------------

struct ParseRequest {
  std::string type;         // parameter 1
  std::string source;       // parameter 2
  std::string destination;  // parameter 3
  std::string options;      // parameter 4
  // Where the logs, the lock and the scratch files go, and where relative
  // names (maps, qv.ini) are found. Empty: the current folder.
  fs::path working_folder;
  std::string base_folder;
  std::string separator = "/";
  // Command-line runs upper-case the type and the options; the parse dialog
  // hands its options on as typed.
  bool from_command_line = true;
  // Receives the short note for a status other than 0 (unattended runs
  // print it on stderr); may be nullptr.
  std::FILE* err = nullptr;
};

struct ParseOutcome {
  std::string log_text;  // what parse.log (or the "ML" log) holds
  fs::path log_file;
  int exit_status = 0;  // 0, 2 or 3
  x12::ParseSpec spec;  // the request as it stood at the end of the run
  // Files the run wrote and logged as created.
  std::vector<std::string> created;
  // A one-line reason when the status is not 0.
  std::string note;
};

ParseOutcome RunParse(const ParseRequest& request);

// The documented form: returns the parse-log text.
std::string RunParse(std::string_view model_code, std::string_view type, std::string_view source,
                     std::string_view destination, std::string_view options,
                     const std::string& working_folder, const std::string& base_folder,
                     std::string_view separator);

// Start-up's unattended run with parameters 1 to 4: returns the exit status
// and, for a status other than 0, prints one line on `err` naming the log.
int RunUnattended(const std::array<std::string, 4>& parameters, const std::string& working_folder,
                  const std::string& base_folder, std::FILE* err = stderr);

// The menu item "X12 Parser" and the tool button "Parse X12 File": the
// command-line parameters as they are; the parse dialog opens when the type
// or the source is empty.
void RunFromMenu(const std::array<std::string, 4>& parameters, const std::string& working_folder,
                 const std::string& base_folder);

}  // namespace ardentix::parse

#endif  // ARDENTIX_PARSE_DRIVER_H_
