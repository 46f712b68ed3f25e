// The main window "Ardentix": the menus "Functions" and "Exit" with their
// message-bar prompts, the tool bar of picture buttons (with an editor
// button for each map file and qv.ini found in the working folder when the
// window is built), and the dialogs the shell owns: "Information", the
// paste dialog "Paste and Load X12 File" and the web-page windows.
//
// Every menu item and tool button runs an action looked up by id in an
// ActionTable. The shell fills the table with its own features; a feature
// that lands later wires itself with one line in main.cc, e.g.
//     shell::SetMainWindowAction(shell::action::kViewer, viewer::RunFromMenu);
// An id without an action shows a notice that names the feature as not yet
// available.
#ifndef ARDENTIX_SHELL_MAIN_WINDOW_H_
#define ARDENTIX_SHELL_MAIN_WINDOW_H_

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "shell/startup.h"
#include "ui/dialog.h"

namespace ardentix::shell {

namespace fs = std::filesystem;

// Action ids. The menu items carry these ids; tool buttons that do what a
// menu item does run the same action.
namespace action {
inline constexpr std::string_view kParser = "parser";
inline constexpr std::string_view kViewer = "viewer";
inline constexpr std::string_view kPaste = "paste";
inline constexpr std::string_view kParseLog = "parse_log";
inline constexpr std::string_view kIniEditor = "ini_editor";
inline constexpr std::string_view kX12Folder = "x12_folder";
inline constexpr std::string_view kCreateMap = "create_map";
inline constexpr std::string_view kFileInformation = "file_information";
inline constexpr std::string_view kDeIdentifier = "de_identifier";
inline constexpr std::string_view kViewCsv = "view_csv";
inline constexpr std::string_view kViewXml = "view_xml";
inline constexpr std::string_view kViewDbf = "view_dbf";
inline constexpr std::string_view kViewOdbc = "view_odbc";
inline constexpr std::string_view kFormAlignment = "form_alignment";
inline constexpr std::string_view kInformation = "information";
inline constexpr std::string_view kDocumentation = "documentation";
inline constexpr std::string_view kSupport = "support";
inline constexpr std::string_view kServiceAccount = "service_account";
}  // namespace action

// Ids of the items and buttons that are not table actions.
inline constexpr std::string_view kQuitItem = "quit";         // menu "Exit"
inline constexpr std::string_view kParseTool = "tool_parse";  // -> kParser, parse run
inline constexpr std::string_view kViewTool = "tool_view";    // -> kViewer on parameter 1
inline constexpr std::string_view kDocumentationTool = "tool_documentation";
inline constexpr std::string_view kSupportTool = "tool_support";
inline constexpr std::string_view kInformationTool = "tool_information";
inline constexpr std::string_view kExitTool = "tool_exit";  // closes at once, no splash
// Editor buttons are "edit:" + the file name as the button shows it in
// lower case ("edit:qv837i.xml", "edit:qv.ini").
inline constexpr std::string_view kEditToolPrefix = "edit:";
// The timer that tells start-up the window is up (it then shows the splash).
inline constexpr std::string_view kStartedTimer = "started";

// The files that get an editor button, in tool bar order.
inline constexpr std::array<std::string_view, 7> kEditableFiles = {
    "qv837i.xml", "qv837p.xml", "qv837d.xml", "qv835.xml", "qv270.xml", "qv271.xml", "qv.ini"};

// The vendor web site of the documentation and support pages (ours).
inline constexpr std::string_view kVendorSite = "https://ardentix.invalid";
std::string DocumentationAddress(const StartupState& state);  // site + "/qvk0m318.htm"
std::string SupportAddress();                                 // site + "/qv057.htm"

// What an action gets.
class ActionTable;
struct ActionContext {
  const StartupState& state;
  ui::Dialog& window;                  // the main window; closing it ends the program
  std::string file;                    // the viewer's file; empty: it asks for one
  bool parse_run = false;              // set by the tool button "Parse X12 File"
  const ActionTable* table = nullptr;  // the table running the action (set by Run)
};
using Action = std::function<void(ActionContext& context)>;

class ActionTable {
 public:
  // Sets the action for `id`, replacing the one there.
  void Set(std::string_view id, Action action);
  const Action* Find(std::string_view id) const;
  // Runs the action for `id`; without one, the "not yet available" notice.
  void Run(std::string_view id, ActionContext& context) const;

 private:
  std::map<std::string, Action, std::less<>> actions_;
};

// The shell's own actions: Information, Set X12 File Folder, the QV.INI
// Editor (when the build has the utilities), Documentation, X12 Parser
// Support, View XML File and the paste dialog (which hands its file to the
// viewer action).
ActionTable DefaultActions();
// The program's table, starting as DefaultActions().
ActionTable& MainWindowActions();
inline void SetMainWindowAction(std::string_view id, Action action) {
  MainWindowActions().Set(id, std::move(action));
}

// The feature an action id stands for ("X12 Viewer"), as the notice names it.
std::string FeatureName(std::string_view id);
// "X12 Viewer is not available yet in this version."
std::string NotAvailableText(std::string_view id);

// The main window for `state`, its actions taken from `actions` when they
// run (the table must outlive the window).
std::unique_ptr<ui::Dialog> BuildMainWindow(const StartupState& state,
                                            const ActionTable& actions = MainWindowActions());

// The start-up hook of the user interface: builds the window, calls
// `initialised` once it is up, and runs until it closes (exit status 0). In
// a run without a desktop it writes one line to stderr and returns 2.
int RunMainWindow(const StartupState& state,
                  const std::function<void(ui::Dialog& main_window)>& initialised);

// The "Information" dialog.
std::unique_ptr<ui::Dialog> BuildInformationDialog(const StartupState& state);

// A web-page window (40 rows by 120 columns) on `address`.
std::unique_ptr<ui::Dialog> BuildWebPage(const std::string& title, const std::string& address,
                                         bool maximized);
// "file://" + the absolute path, with bytes outside the safe set escaped.
std::string FileAddress(const fs::path& file);

// The paste dialog "Paste and Load X12 File". "Continue" writes the text to
// model code + ".tmp" in `folder` (empty: the current folder; mode 0600) and
// returns its path; closing the dialog otherwise writes nothing and returns
// nullopt, and then no viewer opens. The paste action removes the file again
// once the viewer has returned.
std::optional<fs::path> RunPasteDialog(const StartupState& state, const fs::path& folder = {});

}  // namespace ardentix::shell

#endif  // ARDENTIX_SHELL_MAIN_WINDOW_H_
