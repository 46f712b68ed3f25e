// The folder settings of the shell: base.cfg with its "Set BASE Directory"
// dialog, and the "Set X12 File Folder" dialog over config.xml. Both dialogs
// are ui::Dialog models run through CurrentUi(); "Save" checks that the
// folder can be entered before anything is written, and a missing folder
// shows "Specified Folder Does Not Exist" and writes nothing.
#ifndef ARDENTIX_SHELL_FOLDER_DIALOGS_H_
#define ARDENTIX_SHELL_FOLDER_DIALOGS_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/dialog.h"

namespace ardentix::shell {

namespace fs = std::filesystem;

inline constexpr std::string_view kBaseCfgName = "base.cfg";
inline constexpr std::string_view kServerXmlName = "server.xml";
inline constexpr std::string_view kBaseDialogTitle = "Set BASE Directory";
inline constexpr std::string_view kX12DialogTitle = "Set X12 File Folder";
inline constexpr std::string_view kMissingFolderText = "Specified Folder Does Not Exist";
// Edit fields of both dialogs hold up to 250 characters.
inline constexpr int kFolderFieldLength = 250;

// DATADIR of base.cfg in `folder` (found under any letter case); empty when
// the file or the item is missing.
std::string ReadBaseCfg(const fs::path& folder);

// Writes base.cfg in `folder` as one line of tag items DATADIR, DATE, TIME.
// On failure returns false and, when `error` is given, the
// "Cfile <ERROR> FC-Open #" text with the system's error number.
bool SaveBaseFolder(const fs::path& folder, std::string_view base_folder,
                    std::string* error = nullptr);

// True when `folder` is an existing folder the process may enter.
bool CanEnterFolder(const fs::path& folder);

// `text` trimmed and made absolute against `current_folder`, without a
// trailing "/" (except the root itself).
std::string AbsoluteFolderText(std::string_view text, const fs::path& current_folder);

// The "Set BASE Directory" dialog over base.cfg in `startup_folder`. Returns
// the DATADIR value "Save" wrote, or empty text when nothing was saved.
std::string RunBaseFolderDialog(const fs::path& startup_folder);

// The "Set X12 File Folder" dialog over config.xml at drive + base folder.
// Relative folder names are taken against `current_folder`. Returns the
// folder "Save" wrote, or nullopt when nothing was saved.
std::optional<std::string> RunX12FolderDialog(std::string_view base_folder, std::string_view drive,
                                              const fs::path& current_folder);

}  // namespace ardentix::shell

#endif  // ARDENTIX_SHELL_FOLDER_DIALOGS_H_
