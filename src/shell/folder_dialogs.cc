#include "shell/folder_dialogs.h"

#include <unistd.h>

#include <cerrno>
#include <functional>
#include <system_error>

#include "common/files.h"
#include "common/ini.h"
#include "common/number.h"
#include "common/tag.h"
#include "common/text.h"
#include "ui/ui.h"

namespace ardentix::shell {

namespace {

std::string FileErrorText(int error_number) {
  std::string number = FormatInteger(error_number);
  if (number.size() < 2) number.insert(0, 2 - number.size(), '0');
  return "Cfile <ERROR> FC-Open #" + number;
}

// The layout both folder dialogs share: the folder field with "Browse" to
// its right, "Save" and "Exit" below.
std::unique_ptr<ui::Dialog> BuildFolderDialog(std::string_view title, std::string value) {
  auto dialog =
      std::make_unique<ui::Dialog>(std::string(title), 64 * ui::Units::kCol, 7 * ui::Units::kRow);
  dialog->AddEdit("folder", std::move(value), ui::Cells(1, 2, 1, 48), kFolderFieldLength);
  dialog->AddButton("browse", "Browse", ui::Cells(1, 51, 1, 10));
  ui::Control& save = dialog->AddButton("save", "Save", ui::Cells(3, 2, 1.5, 10));
  save.is_default = true;
  ui::Control& exit = dialog->AddButton("exit", "Exit", ui::Cells(3, 14, 1.5, 10));
  exit.is_cancel = true;
  dialog->OnClick("exit", [](ui::Dialog& d, const ui::Event&) { d.Close(0); });
  return dialog;
}

// Wires "Browse" to the folder chooser `chooser_title`, starting at the
// folder in the field (or `fallback` when the field is empty).
void WireBrowse(ui::Dialog& dialog, std::string chooser_title, fs::path fallback) {
  dialog.OnClick("browse", [chooser_title = std::move(chooser_title),
                            fallback = std::move(fallback)](ui::Dialog& d, const ui::Event&) {
    std::string start(TrimBlanks(d.Text("folder")));
    if (start.empty()) start = fallback.string();
    if (auto chosen = ui::CurrentUi().ChooseFolder(chooser_title, start)) {
      d.SetText("folder", *chosen);
    }
  });
}

}  // namespace

std::string ReadBaseCfg(const fs::path& folder) {
  auto path = FindFileNoCase(folder, kBaseCfgName);
  if (!path) return {};
  auto text = ReadWholeFile(*path);
  if (!text) return {};
  return ReadTag(*text, "DATADIR");
}

bool SaveBaseFolder(const fs::path& folder, std::string_view base_folder, std::string* error) {
  const std::string line = MakeTag(base_folder, "DATADIR") + MakeTag(ini::TagDateText(), "DATE") +
                           MakeTag(ini::TagTimeText(), "TIME");
  errno = 0;
  if (WriteWholeFile(ResolveFixedName(folder, kBaseCfgName), line)) return true;
  if (error != nullptr) *error = FileErrorText(errno);
  return false;
}

bool CanEnterFolder(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  return ::access(folder.c_str(), X_OK) == 0;
}

std::string AbsoluteFolderText(std::string_view text, const fs::path& current_folder) {
  std::string trimmed(TrimBlanks(text));
  if (trimmed.empty()) return trimmed;
  fs::path path(trimmed);
  if (path.is_relative()) path = current_folder / path;
  std::string out = path.lexically_normal().string();
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

std::string RunBaseFolderDialog(const fs::path& startup_folder) {
  auto dialog = BuildFolderDialog(kBaseDialogTitle, ReadBaseCfg(startup_folder));
  WireBrowse(*dialog, "Base Directory", startup_folder);
  std::string saved;
  dialog->OnClick("save", [&](ui::Dialog& d, const ui::Event&) {
    // The folder is checked before base.cfg is written, so a folder that
    // cannot be entered never becomes the saved base folder.
    const std::string folder = AbsoluteFolderText(d.Text("folder"), startup_folder);
    if (!CanEnterFolder(folder)) {
      ui::CurrentUi().Message(kMissingFolderText, kBaseDialogTitle, ui::MessageIcon::kStop);
    } else if (std::string error; !SaveBaseFolder(startup_folder, folder, &error)) {
      ui::CurrentUi().Message(error, kBaseDialogTitle, ui::MessageIcon::kStop);
    } else {
      saved = folder;
    }
    d.Close(saved.empty() ? 0 : 1);
  });
  ui::CurrentUi().RunModal(*dialog);
  return saved;
}

std::optional<std::string> RunX12FolderDialog(std::string_view base_folder, std::string_view drive,
                                              const fs::path& current_folder) {
  auto dialog = BuildFolderDialog(kX12DialogTitle, ini::GetX12Folder(base_folder, drive));
  WireBrowse(*dialog, "X12 File Folder", current_folder);
  std::optional<std::string> saved;
  dialog->OnClick("save", [&](ui::Dialog& d, const ui::Event&) {
    const std::string folder = AbsoluteFolderText(d.Text("folder"), current_folder);
    if (!CanEnterFolder(folder)) {
      ui::CurrentUi().Message(kMissingFolderText, kX12DialogTitle, ui::MessageIcon::kStop);
    } else {
      errno = 0;
      if (ini::SaveX12Folder(base_folder, folder, drive)) {
        saved = folder;
      } else {
        ui::CurrentUi().Message(FileErrorText(errno), kX12DialogTitle, ui::MessageIcon::kStop);
      }
    }
    d.Close(saved ? 1 : 0);
  });
  ui::CurrentUi().RunModal(*dialog);
  return saved;
}

}  // namespace ardentix::shell
