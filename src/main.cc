// Builds the program: installs the error trap, picks the ui backend, wires
// the subsystems into start-up and returns start-up's exit status.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "shell/error_trap.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "shell/usage.h"
#include "ui/headless.h"
#include "ui/terminal.h"
#include "ui/ui.h"
#if ARDENTIX_HAVE_WX
#include "ui/wx/start.h"
#endif
#if ARDENTIX_HAVE_PARSE
#include "parse/driver.h"
#endif
#if ARDENTIX_HAVE_EXPORT_837
#include "export/export_837.h"
#endif

int main(int argc, char** argv) {
  using namespace ardentix;
  shell::InstallErrorTrap();

  const std::vector<std::string> args(argv + 1, argv + argc);
  if (auto text = shell::InformationalText(args)) {
    std::fputs(text->c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

  // An unattended run asks its questions on the terminal when it has one.
  // Other runs use the desktop when the build has it and a display can be
  // opened; otherwise they run headless and start-up reports the mode.
  const bool unattended = shell::IsUnattendedCommandLine(args);
  std::unique_ptr<ui::Ui> desktop;
#if ARDENTIX_HAVE_WX
  if (!unattended) {
    std::string why;
    desktop = ui::desktop::StartDesktop(argc, argv, &why);
    if (!why.empty()) std::fprintf(stderr, "ardentix: %s\n", why.c_str());
  }
#endif
  if (desktop) {
    ui::SetCurrentUi(std::move(desktop));
  } else if (unattended && ui::TerminalUi::Available()) {
    ui::SetCurrentUi(std::make_unique<ui::TerminalUi>());
  } else {
    ui::SetCurrentUi(std::make_unique<ui::HeadlessUi>());
  }

  // The parse driver, the main window and the server window plug in here as
  // their subsystems are built.
  shell::StartupHooks hooks;
#if ARDENTIX_HAVE_EXPORT_837
  {  // The dispatcher's transaction handlers that the build has.
    x12::HandlerTable handlers = x12::Handlers();
    Register837ExportHandler(handlers);
    x12::SetHandlerTable(std::move(handlers));
  }
#endif
#if ARDENTIX_HAVE_PARSE
  hooks.parse = [](const shell::StartupState& s) {
    return parse::RunUnattended(s.parameters, s.working_folder, s.base_folder);
  };
  shell::SetMainWindowAction(shell::action::kParser, [](shell::ActionContext& c) {
    parse::RunFromMenu(c.state.parameters, c.state.working_folder, c.state.base_folder);
  });
#endif
#if ARDENTIX_HAVE_WX
  hooks.main_window = shell::RunMainWindow;
#endif
  return shell::Start(args, shell::ProcessEnvironment(), hooks);
}
