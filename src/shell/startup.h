// Start-up: the program's entry point after main(). It normalises the four
// positional parameters, settles the base folder, the working folder and the
// X12 file folder, reads the option strings of qv.ini, decides the run mode
// (server, unattended parse, user interface) and hands over to the parse
// driver, the main window or the server window through StartupHooks.
//
// Start-up is split in two so that tests can drive it against temporary
// folders without moving the test process:
//   PrepareStartup  settles the start-up state (may show "Set BASE Directory"
//                   and the "Invalid Parameter" alert; changes the current
//                   folder only through StartupEnvironment::change_folder);
//   RunStartup      runs the chosen mode and returns the exit status.
// Start() does both; main.cc calls it with ProcessEnvironment().
#ifndef ARDENTIX_SHELL_STARTUP_H_
#define ARDENTIX_SHELL_STARTUP_H_

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/product.h"
#include "ui/dialog.h"

namespace ardentix::shell {

namespace fs = std::filesystem;

using ardentix::kModelCode;
using ardentix::kVersionText;
// The folder separator handed to the parse driver.
inline constexpr std::string_view kSeparator = "/";
// A parameter 2 or 3 that was not given: 255 blanks.
inline constexpr std::size_t kAbsentParameterWidth = 255;

// The product title of a model code ("Ardentix" for model number 318); empty
// for an unknown model number.
std::string_view ProductTitle(std::string_view model_code);

enum class RunMode {
  kServer,         // server.xml in the base folder says STATUS SERVER
  kUnattended,     // parameter 2 (the source) is not blank
  kUserInterface,  // otherwise
};

// The process-wide start-up state, created once by PrepareStartup.
struct StartupState {
  std::string model_code{kModelCode};
  std::string product_title;
  std::string version_text{kVersionText};
  std::string sub_version_text{kVersionText};
  // "Model : " + model code + CR LF: the head of every error report.
  std::string error_report_header;
  // Sending error reports is not built: always 0.
  int error_send_flag = 0;

  // The five fonts F1..F5 (row and column units are ui::Units).
  std::array<ui::FontSpec, 5> fonts{};

  // Parameters 1 to 4 after normalisation (absent 2 and 3 are 255 blanks)
  // and the number of parameters given on the command line.
  std::array<std::string, 4> parameters;
  int parameter_count = 0;

  // Where start-up found the process: qv.ini, base.cfg and the program's
  // executable are looked for here.
  fs::path startup_folder;
  // Absolute folder names without a trailing "/"; the drive is always empty.
  std::string base_folder;
  std::string working_folder;
  std::string drive;
  // DATADIR of config.xml at drive + base folder; empty when missing.
  std::string x12_folder;
  // True when parameter 1 named a folder and became the working folder.
  bool folder_parameter = false;
  // True when the process changed (or was to change) its current folder to
  // the working folder; false in runs with parameters and no folder
  // parameter, which work in the folder they were started in.
  bool changed_folder = false;

  // The option strings filled from qv.ini in the start-up folder.
  std::string form_switches;    // 64 letters (claim form)
  std::string export_switches;  // 16 letters (export engine)

  // 0 = no server, 1 = built-in web server, 2 = external web server.
  int server_flag = 0;
  RunMode mode = RunMode::kUserInterface;

  // Parameter 2 with trailing blanks removed is not empty.
  bool HasSource() const;
};

// What start-up needs from the process. Tests pass temporary folders and a
// recording change_folder; the real program passes ProcessEnvironment().
struct StartupEnvironment {
  fs::path current_folder;  // absolute
  fs::path executable;      // the program's own executable
  // Changes the process's current folder; false when it could not.
  std::function<bool(const fs::path&)> change_folder;
  // Where the lines of modes this build lacks go.
  std::FILE* err = stderr;
};
// The real process: current_path(), /proc/self/exe, chdir.
StartupEnvironment ProcessEnvironment();

// The later subsystems plug in here; main.cc fills what the build has. An
// empty hook makes its run mode say so on `err` and end with exit status 2.
struct StartupHooks {
  // The unattended parse: parameters 1 to 4, the working folder, the base
  // folder and kSeparator from `state`. Returns the exit status (0, 2 or 3).
  std::function<int(const StartupState& state)> parse;
  // The main window of the user interface: builds and shows it and runs
  // until it closes. Calls `initialised` once the window has been
  // initialised (start-up shows the splash there). Returns the exit status.
  std::function<int(const StartupState& state,
                    const std::function<void(ui::Dialog& main_window)>& initialised)>
      main_window;
  // The server window with the base folder, the working folder and the
  // server flag. Returns the exit status.
  std::function<int(const StartupState& state)> server_window;
};

// True when a command line (the parameters after the program name) asks for
// an unattended run: parameter 2 is given and not blank. main.cc picks the ui
// backend with this before start-up runs.
bool IsUnattendedCommandLine(const std::vector<std::string>& args);

// Steps 2 to 10: settles the start-up state from the parameters (the
// command-line arguments after the program name; only the first four count).
StartupState PrepareStartup(const std::vector<std::string>& args, const StartupEnvironment& env);

// Steps 11 to 13: runs the mode of `state` and returns the exit status.
int RunStartup(const StartupState& state, const StartupHooks& hooks, std::FILE* err = stderr);

// Both, for main.cc. The state stays reachable through CurrentState().
int Start(const std::vector<std::string>& args, const StartupEnvironment& env,
          const StartupHooks& hooks);

// The state of the running program (set by Start; a default state before).
const StartupState& CurrentState();

// The menu item "Set X12 File Folder": runs the dialog for the current state
// (relative names against the process's current folder) and keeps the folder
// it saved as the state's X12 file folder.
void SetX12FolderFromMenu();

// Step 5 of start-up on its own: the base folder for these parameters.
// Shows "Set BASE Directory" where the steps call for it and the run is
// attended.
std::string SettleBaseFolder(const std::vector<std::string>& args, const StartupEnvironment& env);

// Reads server.xml in `base_folder`: 1 for STATUS SERVER with SERVER_TYPE
// VOVAVADOZOV, 2 for SERVER with APACHE_2.0, otherwise (or no file) 0.
int ReadServerFlag(const fs::path& base_folder);

}  // namespace ardentix::shell

#endif  // ARDENTIX_SHELL_STARTUP_H_
