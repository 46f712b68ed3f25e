#include "utilities/ini_editor.h"

#include "common/files.h"
#include "common/ini.h"
#include "ui/ui.h"

namespace ardentix::utilities {

namespace {
std::string_view WithoutEndMarks(std::string_view bytes) {
  while (!bytes.empty() && bytes.back() == kEndOfFile) bytes.remove_suffix(1);
  return bytes;
}
}  // namespace

std::string IniEditorText(std::string_view file_bytes) {
  return std::string(WithoutEndMarks(file_bytes));
}

std::string IniFileBytes(std::string_view text) {
  std::string bytes(WithoutEndMarks(text));
  bytes.push_back(kEndOfFile);
  return bytes;
}

std::unique_ptr<ui::Dialog> BuildIniEditor(const fs::path& file, std::string text) {
  auto dialog = std::make_unique<ui::Dialog>(std::string(kIniEditorTitle), 533, 300);
  dialog->Add(ui::ControlKind::kMultiEdit, "text", ui::Cells(0.5, 1, 14.5, 57), std::move(text));
  dialog->AddButton("save", "Save", ui::Cells(15.5, 1, 1.75, 10));
  dialog->AddButton("exit", "Exit", ui::Cells(15.5, 12, 1.75, 10)).is_cancel = true;
  dialog->OnClick("save", [file](ui::Dialog& d, const ui::Event&) {
    std::string error;
    if (WriteFileReplacing(file, IniFileBytes(d.Text("text")), &error)) {
      d.Close(1);
      return;
    }
    ui::CurrentUi().Message(file.string() + " was not saved: " + error, kIniEditorTitle,
                            ui::MessageIcon::kStop);
  });
  dialog->OnClick("exit", [](ui::Dialog& d, const ui::Event&) { d.Close(0); });
  return dialog;
}

bool RunIniEditor(const fs::path& folder) {
  const fs::path file = ResolveFixedName(folder, ini::kIniName);
  std::string bytes;
  std::error_code ec;
  if (fs::exists(file, ec)) {
    std::string error;
    if (!ReadWholeFile(file, bytes, &error)) {
      ui::CurrentUi().Message(file.string() + " could not be read: " + error, kIniEditorTitle,
                              ui::MessageIcon::kStop);
      return false;
    }
  }
  auto dialog = BuildIniEditor(file, IniEditorText(bytes));
  return ui::CurrentUi().RunModal(*dialog) == 1;
}

}  // namespace ardentix::utilities
