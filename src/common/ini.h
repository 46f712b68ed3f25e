// Readers of the initialization file qv.ini (also found as QV.INI): the
// claim-form switch string, viewer and parser keys, the check table, the
// export switches and settings, and the user-defined fields.
//
// Every reader takes the folder to read qv.ini from (empty = the current
// folder). A missing file leaves every value at its default. Readers accept
// CR, LF and CR LF line ends.
#ifndef ARDENTIX_COMMON_INI_H_
#define ARDENTIX_COMMON_INI_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ardentix::ini {

namespace fs = std::filesystem;

inline constexpr std::string_view kIniName = "qv.ini";

// Default claim-form string, and the one the printed form starts from.
inline constexpr std::string_view kFormDefault =
    "AAAAAAABAABAAABAAAAAAAAAAAAAGAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
inline constexpr std::string_view kPrintedFormDefault =
    "AAAAAAABAABABABAAAAAAAAAAAAAGAAAAAAACAAAAAAAAAAAAAAAAAAAAAAAAAAA";
inline constexpr std::string_view kExportSwitchDefault = "AAAAAAAAAAAAAAAA";

// The path of qv.ini in `folder` under any letter case, or nullopt.
std::optional<fs::path> FindIni(const fs::path& folder = {});
// The bytes of qv.ini in `folder` (empty when there is none), for callers
// that answer several requests from one reading through the ...FromText
// readers.
std::string ReadIni(const fs::path& folder = {});

// The lines of a file as the section readers see them: split at CR, LF and
// character 26 (consecutive breaks count once), other bytes below 32
// dropped, cut to 80 characters, blanks trimmed, upper-cased, padded to 5.
std::vector<std::string> SectionLines(std::string_view bytes);

// The claim-form switch string after applying [CMS1500] / [HCFA1500].
std::string FormSwitches(std::string_view default_string = kFormDefault,
                         const fs::path& folder = {});
std::string FormSwitchesFromText(std::string_view default_string, std::string_view bytes);

// Viewer and parser keys by request number:
//   1 "SETEXTENSION=" ("*.*" when absent); 112 "FILEREADBLOCK="; 113
//   "STARTBLOCK="; 114 "BLOCKCOUNT=" (numbers as text, "0" when absent);
//   115 "MERGEST=" ("1" when OFF, else "0"); 116 "BOX25EIN="; 117 "BOX25SSN=".
std::string IniValue(int key, const fs::path& folder = {});
std::string IniValueFromText(int key, std::string_view bytes);
// The FIELD= lists by request number: 100/101 viewer pieces 1/2; 102/103
// listing pieces 1/2; 104-107 screen pieces 1-4; 108-111 form pieces 1-4.
std::vector<std::string> IniList(int key, const fs::path& folder = {});
std::vector<std::string> IniListFromText(int key, std::string_view bytes);

// [X12CHECKTABLE]: up to 100 (name, value) pairs in file order.
using CheckPairs = std::vector<std::pair<std::string, std::string>>;
CheckPairs CheckTable(const fs::path& folder = {});
CheckPairs CheckTableFromText(std::string_view bytes);

// The 16-letter export switch string, starting from `initial`.
std::string ExportSwitches(std::string_view initial = kExportSwitchDefault,
                           const fs::path& folder = {});
std::string ExportSwitchesFromText(std::string_view initial, std::string_view bytes);

// Export value settings by key number: 1 servicelinecount=, 2
// otherdiagnosiscount=, 3 otherprocedurecount=, 4 occurancespancount=, 5
// occurancecodecount=, 6 valuecodecount=, 7 conditioncodecount=, 8
// treatmentcodecount=, 9 dbffieldcount=, 10 maxfieldcount=, 11 xmlencoding=.
// Returns `default_value` when the key has no line (a last line without a
// line end is not read).
std::string ExportSetting(int key, std::string_view default_value, const fs::path& folder = {});
std::string ExportSettingFromText(int key, std::string_view default_value, std::string_view bytes);
// The documented default of a key ("0", "12", ..., "ISO-8859-1").
std::string_view ExportSettingDefault(int key);

struct UserField {
  std::string name;
  std::string segment;
  std::string qualifier;
  std::string loop;
  std::string returned;  // the returned element, as typed ("NM103")
};
// [X12UDF] definitions. Without definitions the list has one empty entry.
std::vector<UserField> UserFields(const fs::path& folder = {});
std::vector<UserField> UserFieldsFromText(std::string_view bytes);

// The X12 file folder: DATADIR of config.xml at drive + base folder.
fs::path ConfigXmlPath(std::string_view base_folder, std::string_view drive);
std::string GetX12Folder(std::string_view base_folder, std::string_view drive);
// Writes config.xml (DATADIR, DATE, TIME). Returns false when it could not
// be written.
bool SaveX12Folder(std::string_view base_folder, std::string_view folder, std::string_view drive);

// The date and time texts of tag files: month/day/two-digit year (or the
// current date format) and hours:minutes:seconds.
std::string TagDateText();
std::string TagTimeText();
// The process-wide date format: "MM/DD/YY" by default; the report
// formatter's format choice switches it to "YYYY/MM/DD".
void SetDateFormat(std::string_view format);
const std::string& DateFormat();

}  // namespace ardentix::ini

#endif  // ARDENTIX_COMMON_INI_H_
