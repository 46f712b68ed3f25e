// The "QV.INI Editor": qv.ini of the current folder edited as one text in a
// modal dialog with "Save" and "Exit". The editor knows nothing of the
// file's syntax; it keeps every byte as it was (CR LF line ends, Latin-1
// characters) and ends the saved file with exactly one end-of-file
// character 26, which it drops again when it reads the file.
//
// Saving goes through a temporary file renamed over qv.ini, so a crash
// never leaves a truncated file; a failed save is reported and the dialog
// stays open with the edits. A qv.ini that exists but cannot be read is
// reported and the editor does not open, so it can never save an empty
// text over it.
#ifndef ARDENTIX_UTILITIES_INI_EDITOR_H_
#define ARDENTIX_UTILITIES_INI_EDITOR_H_

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "ui/dialog.h"

namespace ardentix::utilities {

namespace fs = std::filesystem;

inline constexpr std::string_view kIniEditorTitle = "QV.INI Editor";
inline constexpr char kEndOfFile = 26;

// The editor's text for the bytes of a file: every trailing character 26
// dropped.
std::string IniEditorText(std::string_view file_bytes);
// The bytes "Save" writes for a text: the text without trailing characters
// 26, then one character 26.
std::string IniFileBytes(std::string_view text);

// The dialog over `file` holding `text`: the edit field "text" and the
// buttons "save" and "exit". "Save" writes the file and closes with result
// 1; "Exit" and the close box close with result 0 and write nothing.
std::unique_ptr<ui::Dialog> BuildIniEditor(const fs::path& file, std::string text);

// Opens the editor on qv.ini in `folder` (found under any letter case,
// created as "qv.ini"). Returns true when the file was saved.
bool RunIniEditor(const fs::path& folder = ".");

}  // namespace ardentix::utilities

#endif  // ARDENTIX_UTILITIES_INI_EDITOR_H_
