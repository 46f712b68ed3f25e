// A test-only program: installs the error trap, then fails in the way its
// first argument names ("throw", "throw-int", "segv", "overflow", "abort",
// "fpe", "terminate", "fatal"). With "desktop" as second argument it runs
// under the scripted ui backend, whose player prints the error dialog's
// controls to stdout and presses "Exit Program".
#include <sys/mman.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "shell/error_trap.h"
#include "ui/scripted.h"
#include "ui/ui.h"

// The failing functions have external linkage so that the report's stack
// lines can name them.
__attribute__((noinline)) void ThrowFromProbe() { throw std::runtime_error("probe failure"); }

// Writes into a page mapped without access: a real fault that neither the
// compiler nor a sanitizer's null-pointer check intercepts.
__attribute__((noinline)) void CrashInProbe() {
  void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (page == MAP_FAILED) std::exit(3);
  *static_cast<volatile int*>(page) = 1;
}

__attribute__((noinline)) int RecurseInProbe(int depth) {
  if (depth < 0) return 0;
  volatile char block[512];
  block[0] = static_cast<char>(depth);
  return RecurseInProbe(depth + 1) + block[0];
}

namespace {

void PrintDialog(ardentix::ui::Dialog& dialog) {
  std::printf("dialog: %s\n", dialog.title().c_str());
  for (const auto& control : dialog.controls()) {
    std::printf("control: %s|%s|%zu\n", control->id.c_str(), control->text.c_str(),
                control->RowCount());
  }
  std::fflush(stdout);
  dialog.Fire(ardentix::ui::Event::Click("exit"));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ardentix;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc > 2 && std::strcmp(argv[2], "desktop") == 0) {
    auto scripted = std::make_unique<ui::ScriptedUi>();
    scripted->PlayDialog(PrintDialog);
    ui::SetCurrentUi(std::move(scripted));
  }
  shell::InstallErrorTrap();

  if (mode == "throw") ThrowFromProbe();
  if (mode == "throw-int") throw 42;
  if (mode == "segv") CrashInProbe();
  if (mode == "overflow") return RecurseInProbe(0);
  if (mode == "abort") std::abort();
  if (mode == "fpe") std::raise(SIGFPE);
  if (mode == "terminate") std::terminate();
  if (mode == "fatal") {
    shell::ErrorInfo info;
    info.subsystem = "PROBE";
    info.subsystem_code = "7";
    info.description = "cannot go on";
    info.operation = "probe";
    shell::FatalError(info);
  }
  std::fputs("error_trap_probe: unknown mode\n", stderr);
  return 0;
}
