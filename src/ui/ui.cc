#include "ui/ui.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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
  // Started from a short-lived middle process so that the program is
  // adopted by init and never lingers as a zombie of ours; the middle
  // process reports through its exit status whether the start worked.
  const pid_t middle = fork();
  if (middle < 0) return false;
  if (middle == 0) {
    setsid();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
    _exit(rc == 0 ? 0 : 1);
  }
  int status = 0;
  while (waitpid(middle, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
