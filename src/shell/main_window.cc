#include "shell/main_window.h"

#include <cstdio>
#include <system_error>

#include "common/files.h"
#include "common/text.h"
#include "shell/splash.h"
#include "ui/ui.h"
#if ARDENTIX_HAVE_UTILITIES
#include "utilities/ini_editor.h"
#endif

namespace ardentix::shell {

namespace {

struct ItemSpec {
  std::string_view id;
  const char* text;
  const char* prompt;
};

// The menu "Functions" in its order: item text and message-bar prompt.
constexpr ItemSpec kFunctions[] = {
    {action::kParser, "X12 Parser", "X12 Parser"},
    {action::kViewer, "X12 Viewer", "X12 Viewer"},
    {action::kPaste, "Paste and Load X12 Viewing Utility", "Paste and Load X12 Viewing Utility"},
    {action::kParseLog, "View Parse Log", "View Parse Log"},
    {action::kIniEditor, "QV.INI Editor", "Customize Product Initialization File"},
    {action::kX12Folder, "Set X12 File Folder", "Set X12 File Folder"},
    {action::kCreateMap, "Create Mapping File", "Create Map"},
    {action::kFileInformation, "X12 File Information", "X12 File Information"},
    {action::kDeIdentifier, "X12 File De-Identifier", "X12 File De-Identifier"},
    {action::kViewCsv, "View CSV File", "View CSV File"},
    {action::kViewXml, "View XML File", "View XML File"},
    {action::kViewDbf, "View DBF File", "View DBF File"},
    {action::kViewOdbc, "View ODBC Data", "View ODBC"},
    {action::kFormAlignment, "Form Alignment and Control", "Form Alignment and Control"},
    {action::kInformation, "Information", "Information about this system"},
    {action::kDocumentation, "Documentation", "Complete System Reference Manual"},
    {action::kSupport, "X12 Parser Support", "Product Support"},
    {action::kServiceAccount, "Service Account", "Service Account"},
};

constexpr const char* kNoDesktopLine =
    "ardentix: the user interface needs the desktop version and a display, but no display "
    "could be opened; give a type word and a source to run unattended (see ardentix --help)\n";

void ShowWebPage(const std::string& title, const std::string& address, bool maximized) {
  auto page = BuildWebPage(title, address, maximized);
  ui::CurrentUi().RunModal(*page);
}

// Writes `bytes` as a new file readable by its owner only.
bool WritePrivateFile(const fs::path& file, std::string_view bytes, std::string* error) {
  // An old file (or a link planted under the name) goes first, so the new
  // one is the temporary file of mode 0600 renamed into place.
  std::error_code ec;
  fs::remove(file, ec);
  return WriteFileReplacing(file, bytes, error);
}

}  // namespace

std::string DocumentationAddress(const StartupState& state) {
  return std::string(kVendorSite) + "/" + ToLower(state.model_code) + ".htm";
}

std::string SupportAddress() { return std::string(kVendorSite) + "/qv057.htm"; }

void ActionTable::Set(std::string_view id, Action action) {
  actions_[std::string(id)] = std::move(action);
}

const Action* ActionTable::Find(std::string_view id) const {
  auto it = actions_.find(id);
  return it == actions_.end() || !it->second ? nullptr : &it->second;
}

void ActionTable::Run(std::string_view id, ActionContext& context) const {
  context.table = this;
  if (const Action* action = Find(id)) {
    (*action)(context);
    return;
  }
  ui::CurrentUi().Notice(NotAvailableText(id), context.state.product_title);
}

std::string FeatureName(std::string_view id) {
  for (const auto& item : kFunctions) {
    if (item.id == id) return item.text;
  }
  return std::string(id);
}

std::string NotAvailableText(std::string_view id) {
  return FeatureName(id) + " is not available yet in this version.";
}

ActionTable DefaultActions() {
  ActionTable table;
  table.Set(action::kInformation, [](ActionContext& c) {
    auto dialog = BuildInformationDialog(c.state);
    ui::CurrentUi().RunModal(*dialog);
  });
  table.Set(action::kX12Folder, [](ActionContext&) { SetX12FolderFromMenu(); });
#if ARDENTIX_HAVE_UTILITIES
  table.Set(action::kIniEditor, [](ActionContext&) { utilities::RunIniEditor("."); });
#endif
  table.Set(action::kDocumentation, [](ActionContext& c) {
    ShowWebPage("Product Documentation", DocumentationAddress(c.state), false);
  });
  table.Set(action::kSupport,
            [](ActionContext&) { ShowWebPage("Product Support", SupportAddress(), true); });
  table.Set(action::kViewXml, [](ActionContext& c) {
    ui::FileChooserSpec spec;
    spec.title = "Select an XML file";
    spec.folder = c.state.working_folder;
    spec.masks = {"*.xml"};
    if (auto file = ui::CurrentUi().ChooseFile(spec)) {
      ShowWebPage("XML Viewer", FileAddress(*file), true);
    }
  });
  table.Set(action::kPaste, [](ActionContext& c) {
    const std::optional<fs::path> file = RunPasteDialog(c.state);
    if (!file) return;
    ActionContext view{c.state, c.window, file->string()};
    c.table->Run(action::kViewer, view);
    // The pasted text is health data: it does not outlive its viewing.
    std::error_code ec;
    fs::remove(*file, ec);
  });
  return table;
}

ActionTable& MainWindowActions() {
  static ActionTable table = DefaultActions();
  return table;
}

std::unique_ptr<ui::Dialog> BuildMainWindow(const StartupState& state, const ActionTable& actions) {
  auto window = std::make_unique<ui::Dialog>(state.product_title, ui::Units::kDesignWidth,
                                             ui::Units::kDesignHeight);
  window->set_top_level(true);

  // A click on `click_id` runs the action `action_id`.
  auto run_on_click = [&window, &state, &actions](std::string_view click_id,
                                                  std::string_view action_id) {
    window->OnClick(click_id, [&state, &actions, action_id = std::string(action_id)](
                                  ui::Dialog& w, const ui::Event&) {
      ActionContext context{state, w};
      actions.Run(action_id, context);
    });
  };

  // Menus.
  ui::Menu functions{"Functions", {}};
  for (const auto& item : kFunctions) {
    functions.items.push_back({std::string(item.id), item.text, item.prompt});
    run_on_click(item.id, item.id);
  }
  window->AddMenu(std::move(functions));
  window->AddMenu(ui::Menu{
      "Exit", {{std::string(kQuitItem), "Quit Application", "Terminate This Application"}}});
  window->OnClick(kQuitItem,
                  [&state](ui::Dialog& w, const ui::Event&) { QuitApplication(state, w); });

  // Tool bar.
  auto tool = [&window](std::string_view id, std::string text, std::string tooltip,
                        std::string picture) {
    window->AddToolButton(
        ui::ToolButton{std::string(id), std::move(text), std::move(tooltip), std::move(picture)});
  };
  tool(kParseTool, "Parse X12 File", "Parse X12 File", "parse");
  window->OnClick(kParseTool, [&state, &actions](ui::Dialog& w, const ui::Event&) {
    ActionContext context{state, w};
    context.parse_run = true;
    actions.Run(action::kParser, context);
  });
  tool(kViewTool, "View X12 File", "View X12 File", "view");
  window->OnClick(kViewTool, [&state, &actions](ui::Dialog& w, const ui::Event&) {
    ActionContext context{state, w, std::string(TrimRightBlanks(state.parameters[0]))};
    actions.Run(action::kViewer, context);
  });
  // The editor buttons reflect the files present now; files made later get
  // no button until the next start.
  const fs::path working(state.working_folder);
  for (std::string_view name : kEditableFiles) {
    const std::optional<fs::path> file =
        state.working_folder.empty() ? std::nullopt : FindFileNoCase(working, name);
    if (!file) continue;
    const std::string id = std::string(kEditToolPrefix) + std::string(name);
    const std::string text = "Edit " + ToUpper(name);
    tool(id, text, text, name == "qv.ini" ? "edit_ini" : "edit_map");
    window->OnClick(id, [path = file->string()](ui::Dialog&, const ui::Event&) {
      if (!ui::CurrentUi().Launch(ui::LaunchKind::kEditor, path)) {
        ui::CurrentUi().Message("No text editor could be started for " + path, "Edit",
                                ui::MessageIcon::kWarning);
      }
    });
  }
  tool(kDocumentationTool, "Product Documentation", "Product Documentation", "documentation");
  tool(kSupportTool, "Product Support ", "Product Support ", "support");
  tool(kInformationTool, "Information About this Application", "Information", "information");
  tool(kExitTool, "Exit Application", "Exit Application", "exit");
  run_on_click(kDocumentationTool, action::kDocumentation);
  run_on_click(kSupportTool, action::kSupport);
  run_on_click(kInformationTool, action::kInformation);
  window->OnClick(kExitTool, [](ui::Dialog& w, const ui::Event&) { w.Close(0); });
  return window;
}

int RunMainWindow(const StartupState& state,
                  const std::function<void(ui::Dialog& main_window)>& initialised) {
  ui::Ui& ui = ui::CurrentUi();
  if (ui.unattended()) {
    std::fputs(kNoDesktopLine, stderr);
    std::fflush(stderr);
    return 2;
  }
  auto window = BuildMainWindow(state);
  window->AddTimer(ui::TimerSpec{std::string(kStartedTimer), 0, false},
                   [initialised](ui::Dialog& w, const ui::Event&) {
                     if (initialised) initialised(w);
                   });
  ui.RunTopLevel(*window);
  return 0;
}

std::unique_ptr<ui::Dialog> BuildInformationDialog(const StartupState& state) {
  auto dialog =
      std::make_unique<ui::Dialog>("Information", 64 * ui::Units::kCol, 14 * ui::Units::kRow);
  dialog->Add(ui::ControlKind::kPicture, "picture", ui::Cells(1, 2, 4, 7), "product");
  dialog->AddLabel("title", state.product_title, ui::Cells(1, 11, 1, 50));
  dialog->AddLabel("model", "     Model: " + state.model_code, ui::Cells(2.5, 11, 1, 50));
  dialog->AddLabel("version", "   Version:" + state.version_text, ui::Cells(3.5, 11, 1, 50));
  dialog->AddLabel("subversion", "Subversion:" + state.sub_version_text, ui::Cells(4.5, 11, 1, 50));
  dialog->AddLabel("base", "Base Directory : " + state.base_folder, ui::Cells(6.5, 2, 1, 61));
  dialog->AddLabel("data", "Data Directory : " + state.working_folder, ui::Cells(7.5, 2, 1, 61));
  dialog->AddLabel("x12", " X12 Directory : " + state.x12_folder, ui::Cells(8.5, 2, 1, 61));
  ui::Control& ok = dialog->AddButton("continue", "Continue", ui::Cells(10.5, 27, 1.75, 10));
  ok.is_default = true;
  ok.is_cancel = true;
  dialog->OnClick("continue", [](ui::Dialog& d, const ui::Event&) { d.Close(0); });
  return dialog;
}

std::unique_ptr<ui::Dialog> BuildWebPage(const std::string& title, const std::string& address,
                                         bool maximized) {
  auto page = std::make_unique<ui::Dialog>(title, 120 * ui::Units::kCol, 40 * ui::Units::kRow);
  page->set_maximized(maximized);
  page->Add(ui::ControlKind::kWebView, "page", ui::Cells(0, 0, 40, 120), address);
  return page;
}

std::string FileAddress(const fs::path& file) {
  std::error_code ec;
  fs::path absolute = fs::absolute(file, ec);
  if (ec) absolute = file;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "file://";
  for (unsigned char c : absolute.lexically_normal().string()) {
    const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
    if (safe) {
      address.push_back(static_cast<char>(c));
    } else {
      address.push_back('%');
      address.push_back(kHex[c >> 4]);
      address.push_back(kHex[c & 15]);
    }
  }
  return address;
}

std::optional<fs::path> RunPasteDialog(const StartupState& state, const fs::path& folder) {
  ui::Dialog dialog("Paste and Load X12 File", ui::Units::kDesignWidth, ui::Units::kDesignHeight);
  dialog.set_maximized(true);
  dialog.Add(ui::ControlKind::kMultiEdit, "text", ui::Cells(0.5, 1, 26, 69));
  dialog.AddButton("continue", "Continue", ui::Cells(27.25, 30, 1.75, 10));
  const std::string name = state.model_code + ".tmp";
  const fs::path file = folder.empty() ? fs::path(name) : folder / name;
  std::optional<fs::path> written;
  dialog.OnClick("continue", [&file, &written](ui::Dialog& d, const ui::Event&) {
    std::string error;
    if (WritePrivateFile(file, d.Text("text"), &error)) {
      written = file;
      d.Close(1);
      return;
    }
    ui::CurrentUi().Message(file.string() + " could not be written: " + error,
                            "Paste and Load X12 File", ui::MessageIcon::kStop);
  });
  ui::CurrentUi().RunModal(dialog);
  return written;
}

}  // namespace ardentix::shell
