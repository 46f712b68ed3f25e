#include "shell/main_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "shell/test_support.h"
#include "ui/scripted.h"
#include "ui/ui.h"

namespace ardentix::shell {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

struct Fixture {
  TempFolder folder;
  StartupState state;
  ui::ScriptedUi* scripted = nullptr;
  ui::ScopedUi scope{MakeUi()};

  Fixture() {
    state.product_title = "Ardentix";
    state.base_folder = folder.path().string();
    state.working_folder = folder.path().string();
    state.x12_folder = "/data/x12";
  }
  std::unique_ptr<ui::Ui> MakeUi() {
    auto ui = std::make_unique<ui::ScriptedUi>();
    scripted = ui.get();
    return ui;
  }
  std::vector<std::string> ToolTexts(const ui::Dialog& window) const {
    std::vector<std::string> texts;
    for (const auto& b : window.tool_buttons()) texts.push_back(b.text + " / " + b.tooltip);
    return texts;
  }
};

// Runs the process in `folder` for the life of the object.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : old_(fs::current_path()) { fs::current_path(folder); }
  ~InFolder() { fs::current_path(old_); }

 private:
  fs::path old_;
};

TEST(MainWindow, MenusHaveEveryItemWithItsPrompt) {
  Fixture f;
  auto window = BuildMainWindow(f.state, ActionTable{});
  EXPECT_EQ(window->title(), "Ardentix");
  EXPECT_TRUE(window->top_level());
  ASSERT_EQ(window->menus().size(), 2u);
  const std::vector<std::pair<std::string, std::string>> functions = {
      {"X12 Parser", "X12 Parser"},
      {"X12 Viewer", "X12 Viewer"},
      {"Paste and Load X12 Viewing Utility", "Paste and Load X12 Viewing Utility"},
      {"View Parse Log", "View Parse Log"},
      {"QV.INI Editor", "Customize Product Initialization File"},
      {"Set X12 File Folder", "Set X12 File Folder"},
      {"Create Mapping File", "Create Map"},
      {"X12 File Information", "X12 File Information"},
      {"X12 File De-Identifier", "X12 File De-Identifier"},
      {"View CSV File", "View CSV File"},
      {"View XML File", "View XML File"},
      {"View DBF File", "View DBF File"},
      {"View ODBC Data", "View ODBC"},
      {"Form Alignment and Control", "Form Alignment and Control"},
      {"Information", "Information about this system"},
      {"Documentation", "Complete System Reference Manual"},
      {"X12 Parser Support", "Product Support"},
      {"Service Account", "Service Account"},
  };
  const ui::Menu& menu = window->menus()[0];
  EXPECT_EQ(menu.title, "Functions");
  ASSERT_EQ(menu.items.size(), functions.size());
  for (std::size_t i = 0; i < functions.size(); ++i) {
    EXPECT_EQ(menu.items[i].text, functions[i].first);
    EXPECT_EQ(menu.items[i].prompt, functions[i].second) << functions[i].first;
  }
  const ui::Menu& exit = window->menus()[1];
  EXPECT_EQ(exit.title, "Exit");
  ASSERT_EQ(exit.items.size(), 1u);
  EXPECT_EQ(exit.items[0].text, "Quit Application");
  EXPECT_EQ(exit.items[0].prompt, "Terminate This Application");
}

TEST(MainWindow, ToolBarShowsEditorButtonsForTheFilesPresentWhenBuilt) {
  const std::vector<std::string> fixed_head = {"Parse X12 File / Parse X12 File",
                                               "View X12 File / View X12 File"};
  const std::vector<std::string> fixed_tail = {
      "Product Documentation / Product Documentation", "Product Support  / Product Support ",
      "Information About this Application / Information", "Exit Application / Exit Application"};
  struct Case {
    const char* name;
    std::vector<std::string> files;
    std::vector<std::string> editors;
  };
  const Case cases[] = {
      {"no map file and no qv.ini", {"notes.txt", "qv999.xml"}, {}},
      {"every file, any letter case",
       {"qv.ini", "QV271.XML", "qv270.xml", "qv835.xml", "qv837d.xml", "Qv837P.xml", "qv837i.xml"},
       {"Edit QV837I.XML", "Edit QV837P.XML", "Edit QV837D.XML", "Edit QV835.XML", "Edit QV270.XML",
        "Edit QV271.XML", "Edit QV.INI"}},
      {"qv.ini only", {"QV.INI"}, {"Edit QV.INI"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    for (const auto& file : c.files) WriteText(f.folder / file, "x");
    auto window = BuildMainWindow(f.state, ActionTable{});
    std::vector<std::string> expected = fixed_head;
    for (const auto& e : c.editors) expected.push_back(e + " / " + e);
    expected.insert(expected.end(), fixed_tail.begin(), fixed_tail.end());
    EXPECT_EQ(f.ToolTexts(*window), expected);
    // A map file made after the window was built gets no button.
    WriteText(f.folder / "qv837i.xml", "x");
    EXPECT_EQ(f.ToolTexts(*window), expected);
  }
}

TEST(MainWindow, EditorButtonsOpenTheirFileInTheEditor) {
  Fixture f;
  WriteText(f.folder / "QV.INI", "x");
  WriteText(f.folder / "qv835.xml", "x");
  auto window = BuildMainWindow(f.state, ActionTable{});
  EXPECT_TRUE(window->Fire(ui::Event::Click("edit:qv.ini")));
  EXPECT_TRUE(window->Fire(ui::Event::Click("edit:qv835.xml")));
  EXPECT_EQ(f.scripted->transcript(),
            (std::vector<std::string>{"launch: editor " + (f.folder / "QV.INI").string(),
                                      "launch: editor " + (f.folder / "qv835.xml").string()}));
}

TEST(MainWindow, EveryItemAndButtonRunsItsAction) {
  Fixture f;
  f.state.parameters[0] = "claims.x12   ";
  std::vector<std::string> ran;
  ActionTable table;
  const std::string_view ids[] = {
      action::kParser,       action::kViewer,        action::kPaste,       action::kParseLog,
      action::kIniEditor,    action::kX12Folder,     action::kCreateMap,   action::kFileInformation,
      action::kDeIdentifier, action::kViewCsv,       action::kViewXml,     action::kViewDbf,
      action::kViewOdbc,     action::kFormAlignment, action::kInformation, action::kDocumentation,
      action::kSupport,      action::kServiceAccount};
  for (std::string_view id : ids) {
    table.Set(id, [&ran, id](ActionContext& c) {
      ran.push_back(std::string(id) + (c.parse_run ? " parse-run" : "") +
                    (c.file.empty() ? "" : " file=" + c.file));
    });
  }
  auto window = BuildMainWindow(f.state, table);
  std::vector<std::string> expected;
  for (const auto& item : window->menus()[0].items) {
    EXPECT_TRUE(window->Fire(ui::Event::Click(item.id)));
    expected.push_back(item.id);
  }
  EXPECT_EQ(ran, expected);
  ran.clear();
  for (std::string_view tool :
       {kParseTool, kViewTool, kDocumentationTool, kSupportTool, kInformationTool}) {
    EXPECT_TRUE(window->Fire(ui::Event::Click(std::string(tool))));
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"parser parse-run", "viewer file=claims.x12",
                                           "documentation", "support", "information"}));
  EXPECT_TRUE(f.scripted->transcript().empty());
}

TEST(MainWindow, FeaturesNotBuiltYetSayTheyAreNotAvailable) {
  Fixture f;
  const ActionTable table = DefaultActions();
  auto window = BuildMainWindow(f.state, table);
  const std::pair<std::string_view, const char*> unbuilt[] = {
      {action::kParser, "X12 Parser"},
      {action::kViewer, "X12 Viewer"},
      {action::kParseLog, "View Parse Log"},
      {action::kCreateMap, "Create Mapping File"},
      {action::kFileInformation, "X12 File Information"},
      {action::kDeIdentifier, "X12 File De-Identifier"},
      {action::kViewCsv, "View CSV File"},
      {action::kViewDbf, "View DBF File"},
      {action::kViewOdbc, "View ODBC Data"},
      {action::kFormAlignment, "Form Alignment and Control"},
      {action::kServiceAccount, "Service Account"},
  };
  std::vector<std::string> expected;
  for (const auto& [id, name] : unbuilt) {
    window->Fire(ui::Event::Click(std::string(id)));
    expected.push_back(std::string("notice: Ardentix: ") + name +
                       " is not available yet in this version.");
  }
  EXPECT_EQ(f.scripted->transcript(), expected);
  // Wiring a feature takes one line and replaces the notice.
  ActionTable wired = DefaultActions();
  bool viewer_ran = false;
  wired.Set(action::kViewer, [&viewer_ran](ActionContext&) { viewer_ran = true; });
  auto rewired = BuildMainWindow(f.state, wired);
  rewired->Fire(ui::Event::Click(std::string(action::kViewer)));
  EXPECT_TRUE(viewer_ran);
  EXPECT_EQ(f.scripted->transcript().size(), expected.size());
}

TEST(MainWindow, ShellDialogsOpenFromTheMenu) {
  Fixture f;
  const ActionTable table = DefaultActions();
  auto window = BuildMainWindow(f.state, table);
  InFolder in(f.folder.path());
  std::vector<std::string> seen;
  auto note = [&seen](ui::Dialog& d) {
    std::string line = d.title() + (d.maximized() ? " (maximized)" : "");
    if (const ui::Control* page = d.Find("page")) line += " " + page->text;
    seen.push_back(line);
  };
  const char* items[] = {"information", "x12_folder", "documentation",
                         "support",     "view_xml",   "view_xml"};
  for (int i = 0; i < 5; ++i) f.scripted->PlayDialog(note);
  f.scripted->ChooseFileResult(f.folder.path().string() + "/my claims.xml");
  f.scripted->ChooseFileResult(std::nullopt);
#if ARDENTIX_HAVE_UTILITIES
  f.scripted->PlayDialog(note);
#endif
  for (const char* item : items) window->Fire(ui::Event::Click(item));
#if ARDENTIX_HAVE_UTILITIES
  window->Fire(ui::Event::Click("ini_editor"));
#endif
  std::vector<std::string> expected = {
      "Information",
      "Set X12 File Folder",
      "Product Documentation https://ardentix.invalid/qvk0m318.htm",
      "Product Support (maximized) https://ardentix.invalid/qv057.htm",
      "XML Viewer (maximized) file://" + f.folder.path().string() + "/my%20claims.xml",
  };
#if ARDENTIX_HAVE_UTILITIES
  expected.push_back("QV.INI Editor");
#endif
  EXPECT_EQ(seen, expected);
  ASSERT_EQ(f.scripted->file_choosers().size(), 2u);
  const ui::FileChooserSpec& chooser = f.scripted->file_choosers()[0];
  EXPECT_EQ(chooser.title, "Select an XML file");
  EXPECT_EQ(chooser.folder, f.state.working_folder);
  EXPECT_EQ(chooser.masks, std::vector<std::string>{"*.xml"});
  EXPECT_TRUE(f.scripted->ScriptDone());
}

TEST(MainWindow, InformationShowsTheStartupFacts) {
  Fixture f;
  f.state.working_folder = "/work/data";
  f.state.base_folder = "/opt/ardentix";
  auto dialog = BuildInformationDialog(f.state);
  EXPECT_EQ(dialog->title(), "Information");
  std::vector<std::string> labels;
  for (const auto& c : dialog->controls()) {
    if (c->kind == ui::ControlKind::kLabel) labels.push_back(c->text);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{
                        "Ardentix", "     Model: QVK0M318", "   Version: 1.18H-20",
                        "Subversion: 1.18H-20", "Base Directory : /opt/ardentix",
                        "Data Directory : /work/data", " X12 Directory : /data/x12"}));
  EXPECT_EQ(dialog->At("picture").kind, ui::ControlKind::kPicture);
  EXPECT_TRUE(dialog->Fire(ui::Event::Click("continue")));
  EXPECT_TRUE(dialog->closed());
}

TEST(MainWindow, PasteWritesAPrivateFileForTheViewer) {
  struct Case {
    const char* name;
    bool old_file;  // a file of that name is there before
    bool link;      // ... as a link to another file
    bool press;     // "Continue" (else the close box)
  };
  const Case cases[] = {
      {"continue", false, false, true},
      {"continue over an old readable file", true, false, true},
      {"continue over a planted link", true, true, true},
      {"close box", true, false, false},
  };
  const std::string pasted = "ISA*00*          *00*~\r\nGS*HC*~ST*837*0001~M\xFCller~";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    InFolder in(f.folder.path());
    const fs::path tmp = f.folder / "QVK0M318.tmp";
    const fs::path target = f.folder / "other.txt";
    WriteText(target, "keep");
    if (c.link) {
      fs::create_symlink(target, tmp);
    } else if (c.old_file) {
      WriteText(tmp, "old");
      ::chmod(tmp.c_str(), 0644);
    }
    ActionTable table = DefaultActions();
    std::vector<std::string> viewed;
    table.Set(action::kViewer, [&](ActionContext& v) {
      viewed.push_back(v.file);
      // The viewer reads what was pasted, from a file only the owner may read.
      struct stat st {};
      EXPECT_EQ(::lstat(v.file.c_str(), &st), 0);
      EXPECT_TRUE(S_ISREG(st.st_mode));
      EXPECT_EQ(st.st_mode & 0777, 0600u);
      EXPECT_EQ(ReadText(v.file), pasted);
    });
    auto window = BuildMainWindow(f.state, table);
    f.scripted->PlayDialog([&](ui::Dialog& d) {
      EXPECT_EQ(d.title(), "Paste and Load X12 File");
      EXPECT_TRUE(d.maximized());
      d.Fire(ui::Event::Change("text", pasted));
      d.Fire(c.press ? ui::Event::Click("continue") : ui::Event::CloseBox());
    });
    window->Fire(ui::Event::Click(std::string(action::kPaste)));
    if (c.press) {
      EXPECT_EQ(viewed, std::vector<std::string>{"QVK0M318.tmp"});
      // Viewed, the pasted data is gone again.
      EXPECT_FALSE(fs::exists(fs::symlink_status(tmp)));
    } else {
      EXPECT_TRUE(viewed.empty());
      EXPECT_EQ(ReadText(tmp), "old");
    }
    EXPECT_EQ(ReadText(target), "keep");
  }
}

TEST(MainWindow, ExitClosesAtOnceAndQuitShowsTheSplashFirst) {
  for (const bool quit : {false, true}) {
    SCOPED_TRACE(quit ? "quit" : "exit");
    Fixture f;
    auto window = BuildMainWindow(f.state, ActionTable{});
    f.scripted->PlayDialog([quit](ui::Dialog& w) {
      w.Fire(ui::Event::Click(quit ? std::string(kQuitItem) : std::string(kExitTool)));
      EXPECT_TRUE(w.closed());
    });
    EXPECT_EQ(ui::CurrentUi().RunTopLevel(*window), 0);
    std::vector<std::string> expected = {"dialog: Ardentix"};
    if (quit) {
      expected.push_back("dialog: M318 Ardentix");
      expected.push_back("dialog closed: M318 Ardentix -> 0");
    }
    expected.push_back("dialog closed: Ardentix -> 0");
    EXPECT_EQ(f.scripted->transcript(), expected);
  }
}

TEST(MainWindow, RunCallsInitialisedOnceTheWindowIsUp) {
  Fixture f;
  int calls = 0;
  f.scripted->PlayDialog([](ui::Dialog& w) {
    EXPECT_TRUE(w.Fire(ui::Event::Timer(std::string(kStartedTimer))));
    w.Fire(ui::Event::Click(std::string(kExitTool)));
  });
  EXPECT_EQ(RunMainWindow(f.state,
                          [&calls](ui::Dialog& w) {
                            EXPECT_EQ(w.title(), "Ardentix");
                            ++calls;
                          }),
            0);
  EXPECT_EQ(calls, 1);
  ASSERT_EQ(f.scripted->opened().size(), 1u);
  EXPECT_EQ(f.scripted->opened()[0].menus.size(), 2u);
}

#ifdef ARDENTIX_PROGRAM_HAS_DESKTOP
TEST(MainWindow, ProgramWithoutADisplaySaysSoAndEndsWithStatusTwo) {
  TempFolder folder;
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  testing::ProgramResult run = testing::RunProgram(ARDENTIX_PROGRAM, {}, folder.path());
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("no display could be opened"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
  EXPECT_TRUE(fs::is_empty(folder.path()));
}
#endif

}  // namespace
}  // namespace ardentix::shell
