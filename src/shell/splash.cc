#include "shell/splash.h"

#include "common/text.h"
#include "ui/ui.h"

namespace ardentix::shell {

std::unique_ptr<ui::Dialog> BuildSplash(const StartupState& state) {
  const std::string model_number(SubText(state.model_code, 5, 4));
  auto splash = std::make_unique<ui::Dialog>(model_number + " " + state.product_title,
                                             32 * ui::Units::kCol, 10 * ui::Units::kRow);
  splash->Add(ui::ControlKind::kPicture, "picture", ui::Cells(1, 2, 4, 8),
              std::string(kSplashPicture));
  splash->AddLabel("title", state.product_title, ui::Cells(1, 11, 1, 20)).font = ui::Font::kF1;
  splash->AddLabel("model", "Model : " + state.model_code, ui::Cells(3, 11, 1, 20)).font =
      ui::Font::kF2;
  splash->AddLabel("version", "Version:" + state.version_text, ui::Cells(4, 11, 1, 20)).font =
      ui::Font::kF2;
  splash->AddTimer(ui::TimerSpec{std::string(kSplashTimer), 1000, false},
                   [](ui::Dialog& d, const ui::Event&) { d.Close(0); });
  return splash;
}

void ShowSplash(const StartupState& state) {
  auto splash = BuildSplash(state);
  ui::CurrentUi().RunModal(*splash);
}

void QuitApplication(const StartupState& state, ui::Dialog& main_window) {
  // The splash closes itself after one second; the main window follows.
  ShowSplash(state);
  main_window.Close(0);
}

}  // namespace ardentix::shell
