// The splash: a small dialog with the product picture, the product title,
// the model code and the version text, closed by a 1-second timer. Start-up
// shows it once the main window has been initialised; QuitApplication shows
// the shutdown variant, after which the main window closes.
#ifndef ARDENTIX_SHELL_SPLASH_H_
#define ARDENTIX_SHELL_SPLASH_H_

#include <memory>

#include "shell/startup.h"
#include "ui/dialog.h"

namespace ardentix::shell {

// Resource name of the splash picture.
inline constexpr std::string_view kSplashPicture = "splash";
// The splash's timer ("close", 1000 ms, once).
inline constexpr std::string_view kSplashTimer = "close";

// The splash dialog, titled with the model number and the product title.
std::unique_ptr<ui::Dialog> BuildSplash(const StartupState& state);

// Shows the splash until its timer closes it.
void ShowSplash(const StartupState& state);

// Shows the shutdown splash, then closes `main_window`, which ends the
// program (menu "Quit Application", the server window's "Shutdown").
void QuitApplication(const StartupState& state, ui::Dialog& main_window);

}  // namespace ardentix::shell

#endif  // ARDENTIX_SHELL_SPLASH_H_
