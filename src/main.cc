// Builds the program: installs the error trap, picks the ui backend, wires
// the subsystems into start-up and returns start-up's exit status.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "shell/error_trap.h"
#include "shell/startup.h"
#include "shell/usage.h"
#include "ui/headless.h"
#include "ui/terminal.h"
#include "ui/ui.h"

int main(int argc, char** argv) {
  using namespace ardentix;
  shell::InstallErrorTrap();

  const std::vector<std::string> args(argv + 1, argv + argc);
  if (auto text = shell::InformationalText(args)) {
    std::fputs(text->c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

  // An unattended run asks its questions on the terminal when it has one.
  // The user interface and server mode will use the desktop backend; until
  // it is built they run headless and start-up reports the missing mode.
  if (shell::IsUnattendedCommandLine(args) && ui::TerminalUi::Available()) {
    ui::SetCurrentUi(std::make_unique<ui::TerminalUi>());
  } else {
    ui::SetCurrentUi(std::make_unique<ui::HeadlessUi>());
  }

  // The parse driver, the main window and the server window plug in here as
  // their subsystems are built.
  shell::StartupHooks hooks;
  return shell::Start(args, shell::ProcessEnvironment(), hooks);
}
