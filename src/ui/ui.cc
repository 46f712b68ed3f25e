#include "ui/ui.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "ui/headless.h"

extern char** environ;

namespace ardentix::ui {

namespace {
std::unique_ptr<Ui>& Slot() {
  static std::unique_ptr<Ui> slot;
  return slot;
}
}  // namespace

Ui& CurrentUi() {
  auto& slot = Slot();
  if (!slot) slot = std::make_unique<HeadlessUi>();
  return *slot;
}

std::unique_ptr<Ui> SetCurrentUi(std::unique_ptr<Ui> ui) {
  std::unique_ptr<Ui> previous = std::move(Slot());
  Slot() = std::move(ui);
  return previous;
}

bool SpawnDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
  // The program runs on its own; reap it without waiting when it is done.
  int status = 0;
  waitpid(pid, &status, WNOHANG);
  return true;
}

std::vector<std::string> LaunchCommand(LaunchKind kind, const std::string& target) {
  if (kind == LaunchKind::kEditor) {
    for (const char* var : {"VISUAL", "EDITOR"}) {
      const char* value = std::getenv(var);
      if (value != nullptr && *value != '\0') return {value, target};
    }
  }
  return {"xdg-open", target};
}

}  // namespace ardentix::ui
