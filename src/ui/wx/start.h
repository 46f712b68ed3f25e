// Starting the desktop backend. The program itself does not link the
// toolkit: StartDesktop() loads the module "ardentix-desktop.so" from the
// program's folder only when a window may open and a display is named, so
// unattended runs start without loading the toolkit's libraries. Test
// programs that link ui_wx start the backend directly with the same call.
#ifndef ARDENTIX_UI_WX_START_H_
#define ARDENTIX_UI_WX_START_H_

#include <memory>
#include <string>

#include "ui/ui.h"

namespace ardentix::ui::desktop {

// The file name of the module and the function it offers:
//   extern "C" ardentix::ui::Ui* ardentix_open_desktop(int argc, char** argv);
inline constexpr const char* kModuleName = "ardentix-desktop.so";
inline constexpr const char* kModuleEntry = "ardentix_open_desktop";

// The desktop backend, or nullptr when no display is named or reachable.
// When the module is missing or broken, `error` says why.
std::unique_ptr<Ui> StartDesktop(int argc, char** argv, std::string* error = nullptr);

}  // namespace ardentix::ui::desktop

#endif  // ARDENTIX_UI_WX_START_H_
