#include "shell/startup.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "common/files.h"
#include "common/ini.h"
#include "common/tag.h"
#include "common/text.h"
#include "shell/folder_dialogs.h"
#include "shell/splash.h"
#include "ui/ui.h"

namespace ardentix::shell {

namespace {

StartupState& StateSlot() {
  static StartupState state;
  return state;
}

// The current folder as the base folder text: absolute, no trailing "/".
std::string FolderText(const fs::path& folder) { return AbsoluteFolderText(folder.string(), "/"); }

// The program's own executable lies in `folder`.
bool ExecutableIn(const fs::path& executable, const fs::path& folder) {
  if (executable.empty()) return false;
  std::error_code ec;
  return fs::equivalent(executable.parent_path(), folder, ec);
}

std::string ParameterOrEmpty(const std::vector<std::string>& args, std::size_t index) {
  return index < args.size() ? args[index] : std::string();
}

}  // namespace

std::string_view ProductTitle(std::string_view model_code) {
  if (SubText(model_code, 6, 3) == "318") return kProductTitle;
  return {};
}

bool StartupState::HasSource() const { return !TrimRightBlanks(parameters[1]).empty(); }

StartupEnvironment ProcessEnvironment() {
  StartupEnvironment env;
  std::error_code ec;
  env.current_folder = fs::current_path(ec);
  if (ec) env.current_folder = "/";
  env.executable = fs::read_symlink("/proc/self/exe", ec);
  if (ec) env.executable.clear();
  env.change_folder = [](const fs::path& folder) { return ::chdir(folder.c_str()) == 0; };
  return env;
}

bool IsUnattendedCommandLine(const std::vector<std::string>& args) {
  return args.size() >= 2 && !TrimRightBlanks(args[1]).empty();
}

std::string SettleBaseFolder(const std::vector<std::string>& args, const StartupEnvironment& env) {
  const std::string current = FolderText(env.current_folder);
  if (args.size() < 2 || ExecutableIn(env.executable, env.current_folder)) return current;
  if (std::string datadir = ReadBaseCfg(env.current_folder); datadir.size() > 2) return datadir;
  // An unattended run never waits for a person: it takes the current folder
  // where an attended one asks.
  if (!IsUnattendedCommandLine(args) && !ui::CurrentUi().unattended()) {
    if (std::string saved = RunBaseFolderDialog(env.current_folder); saved.size() > 2) return saved;
  }
  return current;
}

int ReadServerFlag(const fs::path& base_folder) {
  if (base_folder.empty()) return 0;
  auto path = FindFileNoCase(base_folder, kServerXmlName);
  if (!path) return 0;
  auto text = ReadWholeFile(*path);
  if (!text) return 0;
  if (!LooseEquals(ReadTag(*text, "STATUS"), "SERVER")) return 0;
  const std::string type = ReadTag(*text, "SERVER_TYPE");
  if (type.empty()) return 0;
  if (LooseEquals(type, "VOVAVADOZOV")) return 1;
  if (LooseEquals(type, "APACHE_2.0")) return 2;
  return 0;
}

StartupState PrepareStartup(const std::vector<std::string>& args, const StartupEnvironment& env) {
  StartupState s;
  const fs::path& start = env.current_folder;
  s.startup_folder = start;

  // Step 2: sending error reports is not built, so the flag stays 0.
  s.error_send_flag = 0;

  // Step 3: fonts (the units are the constants of ui::Units).
  for (int i = 0; i < 5; ++i) s.fonts[i] = ui::SpecOf(static_cast<ui::Font>(i + 1));

  // Step 4: the option strings from qv.ini in the start-up folder.
  s.form_switches = ini::FormSwitches(ini::kFormDefault, start);
  s.export_switches = ini::ExportSwitches(ini::kExportSwitchDefault, start);

  // Step 5.
  s.base_folder = SettleBaseFolder(args, env);

  // Step 6.
  s.product_title = std::string(ProductTitle(s.model_code));
  s.error_report_header = "Model : " + s.model_code + "\r\n";

  // Step 7: parameters. Only the first four count.
  const std::size_t count = std::min<std::size_t>(args.size(), 4);
  s.parameter_count = static_cast<int>(count);
  std::string folder_parameter;
  std::string p1 = ParameterOrEmpty(args, 0);
  if (count == 1 && !p1.empty()) {
    fs::path candidate(p1);
    if (candidate.is_relative()) candidate = start / candidate;
    if (FolderExists(candidate)) {
      folder_parameter = AbsoluteFolderText(p1, start);
      s.folder_parameter = true;
      p1.clear();
    }
  }
  s.parameters[0] = p1;
  s.parameters[1] = count >= 2 ? args[1] : std::string(kAbsentParameterWidth, ' ');
  s.parameters[2] = count >= 3 ? args[2] : std::string(kAbsentParameterWidth, ' ');
  s.parameters[3] = count >= 4 ? args[3] : std::string();

  // Step 8.
  s.x12_folder = ini::GetX12Folder(s.base_folder, s.drive);

  // Step 9: the working folder. The drive stays empty on this platform.
  if (!s.folder_parameter && count > 0) {
    // Runs with parameters work in the folder they were started in.
    s.working_folder = s.base_folder;
  } else {
    std::string working = s.folder_parameter ? folder_parameter : s.base_folder;
    bool usable = FolderExists(working);
    if (!usable) {
      const std::string_view folder_part = FolderPart(working);
      if (!folder_part.empty() && FolderExists(folder_part)) {
        working = std::string(folder_part);
        usable = true;
      }
    }
    if (usable && env.change_folder && !env.change_folder(working)) usable = false;
    if (usable) {
      s.working_folder = working;
      s.changed_folder = true;
    } else {
      ui::CurrentUi().Message("There is not a " + working + " subdirectory.", "Invalid Parameter",
                              ui::MessageIcon::kStop);
      // The process stays where it is, so that is where it works.
      s.working_folder = FolderText(start);
    }
  }

  // Step 10.
  s.server_flag = ReadServerFlag(s.base_folder);
  if (s.server_flag != 0) {
    s.mode = RunMode::kServer;
  } else if (s.HasSource()) {
    s.mode = RunMode::kUnattended;
  } else {
    s.mode = RunMode::kUserInterface;
  }
  return s;
}

int RunStartup(const StartupState& state, const StartupHooks& hooks, std::FILE* err) {
  auto say = [err](const std::string& line) {
    if (err != nullptr) {
      std::fputs(line.c_str(), err);
      std::fputc('\n', err);
      std::fflush(err);
    }
  };
  switch (state.mode) {
    case RunMode::kServer:
      if (hooks.server_window) return hooks.server_window(state);
      say("ardentix: server.xml in " + state.base_folder +
          " asks for server mode, but this build has no built-in web server");
      return 2;
    case RunMode::kUnattended:
      if (hooks.parse) return hooks.parse(state);
      say("ardentix: this build has no parse driver yet, so nothing was converted");
      return 2;
    case RunMode::kUserInterface:
      if (hooks.main_window) {
        return hooks.main_window(state, [&state](ui::Dialog&) { ShowSplash(state); });
      }
      say("ardentix: the user interface needs the desktop version, which this build lacks; "
          "give a type word and a source to run unattended (see ardentix --help)");
      return 2;
  }
  return 2;
}

int Start(const std::vector<std::string>& args, const StartupEnvironment& env,
          const StartupHooks& hooks) {
  StateSlot() = PrepareStartup(args, env);
  return RunStartup(StateSlot(), hooks, env.err);
}

const StartupState& CurrentState() { return StateSlot(); }

void SetX12FolderFromMenu() {
  StartupState& state = StateSlot();
  std::error_code ec;
  fs::path current = fs::current_path(ec);
  if (ec) current = state.startup_folder;
  if (auto saved = RunX12FolderDialog(state.base_folder, state.drive, current)) {
    state.x12_folder = *saved;
  }
}

}  // namespace ardentix::shell
