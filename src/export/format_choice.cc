#include "export/format_choice.h"

#include <utility>
#include <vector>

#include "common/text.h"
#include "ui/ui.h"

namespace ardentix {

namespace {

struct FormatButton {
  std::string_view caption;
  std::string_view code;  // empty for Cancel and Form Control
  int row;
};

// The buttons of each variant, top to bottom, at their rows; every button
// is in column 10, 60 wide and 12 high.
const std::vector<FormatButton>* ButtonsOf(int variant) {
  static const std::vector<FormatButton> kVariants[] = {
      {{"Text", "A", 10},
       {"HTML", "B", 30},
       {"RTF", "C", 50},
       {"PDF", "D", 70},
       {"Cancel", "", 90}},
      {{"CSV", "A", 10}, {"XML", "B", 30}, {"DBF", "C", 50}, {"Cancel", "", 90}},
      {{"Print", "A", 10}, {"Form Control", "", 30}, {"Cancel", "", 70}},
      {{"BMP", "A", 10}, {"JPG", "B", 30}, {"TIF", "C", 50}, {"Cancel", "", 70}},
  };
  if (variant < 1 || variant > 4) return nullptr;
  return &kVariants[variant - 1];
}

FormControlOpener& OpenerSlot() {
  static FormControlOpener opener;
  return opener;
}

std::string IdOf(std::string_view caption) { return ReplaceAll(ToLower(caption), " ", "_"); }

}  // namespace

FormControlOpener SetFormControlOpener(FormControlOpener opener) {
  return std::exchange(OpenerSlot(), std::move(opener));
}

std::unique_ptr<ui::Dialog> BuildFormatDialog(int variant, const std::string& folder,
                                              std::string* code) {
  const std::vector<FormatButton>* buttons = ButtonsOf(variant);
  if (buttons == nullptr) return nullptr;
  const int height = variant <= 2 ? 260 : 180;
  auto dialog = std::make_unique<ui::Dialog>("Select Format", 180, height);
  code->clear();
  for (const FormatButton& button : *buttons) {
    const std::string id = IdOf(button.caption);
    ui::Control& control =
        dialog->AddButton(id, std::string(button.caption), ui::Rect{10, button.row, 60, 12});
    control.font = ui::Font::kF1;  // the bold "Courier New" of the layout
    if (button.caption == "Cancel") {
      control.is_cancel = true;
      dialog->OnClick(id, [code](ui::Dialog& d, const ui::Event&) {
        code->clear();
        d.Close(0);
      });
    } else if (button.caption == "Form Control") {
      // The alignment dialog opens on top; this one stays open afterwards.
      dialog->OnClick(id, [folder](ui::Dialog&, const ui::Event&) {
        if (const FormControlOpener& open = OpenerSlot()) open(folder);
      });
    } else {
      dialog->OnClick(id,
                      [code, value = std::string(button.code)](ui::Dialog& d, const ui::Event&) {
                        *code = value;
                        d.Close(1);
                      });
    }
  }
  return dialog;
}

std::string SelectFormat(int variant, const std::string& folder) {
  std::string code;
  std::unique_ptr<ui::Dialog> dialog = BuildFormatDialog(variant, folder, &code);
  if (!dialog) return {};
  ui::CurrentUi().RunModal(*dialog);
  // The close box (or an unattended run) leaves nothing chosen.
  if (dialog->result() != 1) return {};
  return code;
}

}  // namespace ardentix
