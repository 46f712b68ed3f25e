// Screenshots of the desktop windows, with their texts checked as the
// toolkit shows them: the main window (menus, prompts, tool bar), the
// splash, the Information dialog, the QV.INI Editor (whose "Save" must give
// back the file's bytes unchanged), a notice (which must close itself after
// 2 seconds) and the error dialog. Writes PNG files
// into the folder named by its argument; exit status 0 when every check
// passed, 1 when one failed, 77 without a display.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/files.h"
#include "shell/error_trap.h"
#include "shell/main_window.h"
#include "shell/splash.h"
#include "shell/startup.h"
#include "ui/ui.h"
#include "ui/wx/desktop.h"

namespace {

namespace fs = std::filesystem;
using ardentix::ui::desktop::ShownWindow;
using ardentix::ui::desktop::WindowStage;

int failures = 0;
int checks = 0;

void Check(bool ok, const std::string& what) {
  ++checks;
  if (!ok) {
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

// Every expected line is among the texts the window shows.
void ExpectTexts(ShownWindow& window, const std::vector<std::string>& expected,
                 const std::vector<std::string>& absent = {}) {
  const std::vector<std::string> texts = window.Texts();
  for (const auto& line : expected) {
    Check(std::find(texts.begin(), texts.end(), line) != texts.end(),
          window.model().title() + " shows \"" + line + "\"");
  }
  for (const auto& part : absent) {
    for (const auto& line : texts) {
      Check(line.find(part) == std::string::npos,
            window.model().title() + " has no \"" + part + "\" (" + line + ")");
    }
  }
}

void Save(ShownWindow& window, const fs::path& out, const std::string& name) {
  const fs::path file = out / (name + ".png");
  Check(window.SavePng(file.string()) && fs::file_size(file) > 1000, "picture " + file.string());
  std::printf("wrote %s\n", file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ardentix;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  const fs::path out = fs::absolute(argv[1]);
  fs::create_directories(out);
  std::unique_ptr<ui::Ui> desktop = ui::desktop::OpenDesktop(argc, argv);
  if (!desktop) {
    std::printf("SKIP: no display\n");
    return 77;
  }
  ui::SetCurrentUi(std::move(desktop));

  // A working folder with qv.ini (CR LF lines, a Latin-1 letter) and two
  // map files, so the tool bar has editor buttons.
  char pattern[] = "/tmp/ardentix-screens-XXXXXX";
  const fs::path work = ::mkdtemp(pattern);
  const std::string ini =
      "[X12VIEWER]\r\nSETEXTENSION=*.x12\r\nFIELD=SUBFNAME,SUBLNAME\r\n"
      "[CMS1500]\r\nNAME=M\xFC"
      "ller\r\nCOMMAND=0\r\n\x1a";
  WriteWholeFile(work / "qv.ini", ini);
  WriteWholeFile(work / "qv837p.xml", "<MAP/>");
  WriteWholeFile(work / "qv835.xml", "<MAP/>");
  fs::current_path(work);

  shell::StartupState state;
  state.product_title = "Ardentix";
  state.base_folder = work.string();
  state.working_folder = work.string();
  state.x12_folder = "/data/x12";

  ShownWindow* main_window = nullptr;
  std::chrono::steady_clock::time_point notice_started;
  std::map<std::string, std::function<void(ShownWindow&)>> on_shown;
  std::map<std::string, std::function<void()>> on_closed;

  on_shown["Ardentix"] = [&](ShownWindow& w) {
    main_window = &w;
    ExpectTexts(
        w,
        {"title: Ardentix", "menu: Functions", "menu: Exit", "item: X12 Parser | X12 Parser",
         "item: QV.INI Editor | Customize Product Initialization File",
         "item: View ODBC Data | View ODBC", "item: Information | Information about this system",
         "item: Documentation | Complete System Reference Manual",
         "item: X12 Parser Support | Product Support",
         "item: Quit Application | Terminate This Application",
         "tool: Parse X12 File | Parse X12 File", "tool: View X12 File | View X12 File",
         "tool: Edit QV837P.XML | Edit QV837P.XML", "tool: Edit QV835.XML | Edit QV835.XML",
         "tool: Edit QV.INI | Edit QV.INI", "tool: Product Documentation | Product Documentation",
         "tool: Product Support  | Product Support ",
         "tool: Information | Information About this Application",
         "tool: Exit Application | Exit Application"},
        {"QV837I", "QV270"});
    // Pointing at an item puts its prompt into the message bar.
    Check(w.Highlight("ini_editor"), "highlight the QV.INI Editor item");
    ExpectTexts(w, {"status: Customize Product Initialization File"});
    Check(w.Highlight("tool_information"), "point at the Information button");
    ExpectTexts(w, {"status: Information About this Application"});
    Check(w.Highlight("quit"), "highlight Quit Application");
    ExpectTexts(w, {"status: Terminate This Application"});
    Save(w, out, "main_window");
    w.Press("information");
  };
  on_shown["Information"] = [&](ShownWindow& w) {
    ExpectTexts(
        w, {"title: Information", "label: Ardentix", "label:      Model: QVK0M318",
            "label:    Version: 1.18H-20", "label: Subversion: 1.18H-20",
            "label: Base Directory : " + work.string(), "label: Data Directory : " + work.string(),
            "label:  X12 Directory : /data/x12", "button: Continue"});
    Save(w, out, "information");
    w.Press("continue");
  };
  on_closed["Information"] = [&] { main_window->Press("ini_editor"); };
  on_shown["QV.INI Editor"] = [&](ShownWindow& w) {
    ExpectTexts(w, {"title: QV.INI Editor",
                    "edit: [X12VIEWER]\nSETEXTENSION=*.x12\nFIELD=SUBFNAME,SUBLNAME\n"
                    "[CMS1500]\nNAME=M\xFC"
                    "ller\nCOMMAND=0\n",
                    "button: Save", "button: Exit"});
    Save(w, out, "ini_editor");
    w.Press("save");
  };
  on_closed["QV.INI Editor"] = [&] {
    // Shown and saved without an edit, the file keeps every byte.
    Check(ReadWholeFile(work / "qv.ini") == ini, "qv.ini unchanged by Save through the desktop");
    notice_started = std::chrono::steady_clock::now();
    main_window->Press("parser");
  };
  // A feature not built yet: a notice that closes itself after 2 seconds.
  on_shown["notice"] = [&](ShownWindow& w) {
    ExpectTexts(w, {"title: Ardentix", "label: X12 Parser is not available yet in this version.",
                    "button: OK"});
    Save(w, out, "notice");
  };
  on_closed["notice"] = [&] {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - notice_started)
                        .count();
    Check(ms >= 1900 && ms < 10000, "the notice closed itself after " + std::to_string(ms) + " ms");
    main_window->Press("tool_exit");
  };
  on_shown["M318 Ardentix"] = [&](ShownWindow& w) {
    ExpectTexts(w, {"label: Ardentix", "label: Model : QVK0M318", "label: Version: 1.18H-20"});
    Save(w, out, "splash");
  };
  on_shown["Qorvane Software Error Handler"] = [&](ShownWindow& w) {
    ExpectTexts(w,
                {"label: Error C++/std::runtime_error  the disk is on fire", "label: Stack List",
                 "list: Called from ardentix::parse::Run()(ardentix)", "button: Exit Program",
                 "button: See Error.log file", "label: Additional Information:", "edit: "},
                {"Send Error"});
    Save(w, out, "error_dialog");
    w.Press("exit");
  };

  std::vector<std::string> shown;
  std::set<ShownWindow*> live;
  ui::desktop::SetWindowObserver([&](ShownWindow& w, WindowStage stage) {
    // Dialogs titled like the main window are notices.
    const std::string title =
        w.model().title() == "Ardentix" && !w.model().top_level() ? "notice" : w.model().title();
    if (stage == WindowStage::kClosed) {
      live.erase(&w);
      if (auto it = on_closed.find(title); it != on_closed.end()) it->second();
      return;
    }
    shown.push_back(title);
    live.insert(&w);
    auto it = on_shown.find(title);
    if (it == on_shown.end()) return;
    // Give the window time to be drawn before it is read and pictured.
    ShownWindow* window = &w;
    auto act = it->second;
    ui::desktop::Later(500, [window, act, &live, title] {
      if (live.count(window) != 0) {
        act(*window);
      } else {
        Check(false, title + " stayed open long enough to be pictured");
      }
    });
  });

  shell::ShowSplash(state);
  auto window = shell::BuildMainWindow(state);
  Check(ui::CurrentUi().RunTopLevel(*window) == 0, "main window ends with result 0");
  // Every kind of control, with a list of five million lines that come
  // from the model as they are drawn.
  ui::Dialog gallery("Controls", 70 * ui::Units::kCol, 27 * ui::Units::kRow);
  gallery.AddLabel("label", "Label in F1", ui::Cells(0.5, 1, 1, 20));
  gallery.AddLabel("small", "Label in F4", ui::Cells(0.5, 22, 1, 20)).font = ui::Font::kF4;
  gallery.AddEdit("edit", "Edit \xE9", ui::Cells(1.75, 1, 1.5, 20), 30);
  gallery.Add(ui::ControlKind::kCheckBox, "check", ui::Cells(1.75, 22, 1.5, 20), "Check box");
  gallery.AddList("lines", {}, ui::Cells(3.75, 1, 8, 30));
  gallery.SetVirtualRows("lines", 5'000'000, [](std::size_t i) {
    char line[32];
    std::snprintf(line, sizeof line, "Line %07zu", i + 1);
    return std::string(line);
  });
  ui::Control& drop = gallery.Add(ui::ControlKind::kDropDown, "drop", ui::Cells(3.75, 33, 1.5, 20));
  drop.items = {"CSV", "XML", "DBF"};
  drop.selected = {1};
  ui::Control& tree = gallery.Add(ui::ControlKind::kTree, "tree", ui::Cells(5.75, 33, 6, 30));
  tree.tree = ui::TreeNode{"", {{"ISA", {{"GS", {{"ST 837", {}}}}}}}};
  ui::Control& grid = gallery.Add(ui::ControlKind::kGrid, "grid", ui::Cells(12.5, 1, 6, 40));
  grid.columns = {"Claim", "Amount"};
  grid.cells = {{"1001", "120.00"}, {"1002", "75.50"}};
  gallery.Add(ui::ControlKind::kGauge, "gauge", ui::Cells(19, 1, 1, 40)).value = 40;
  gallery.Add(ui::ControlKind::kPicture, "picture", ui::Cells(12.5, 43, 4, 7), "information");
  gallery.Add(ui::ControlKind::kMultiEdit, "notes", ui::Cells(20.5, 1, 3, 40), "one\r\ntwo\r\n");
  gallery.AddButton("close", "Close", ui::Cells(24.5, 1, 1.75, 10)).is_cancel = true;
  gallery.OnClick("close", [](ui::Dialog& d, const ui::Event&) { d.Close(7); });
  on_shown["Controls"] = [&](ShownWindow& w) {
    ExpectTexts(w,
                {"label: Label in F1", "label: Label in F4", "edit: Edit \xE9", "check: Check box",
                 "list: Line 0000001", "list: Line 0000050", "choice: XML", "list: 1001 | 120.00",
                 "list: 1002 | 75.50", "edit: one\ntwo\n", "button: Close"});
    Save(w, out, "controls");
    // Model changes reach the window.
    w.model().SetText("label", "Changed by the model");
    w.model().SetVirtualRows("lines", 3, [](std::size_t i) { return "Row " + std::to_string(i); });
    ExpectTexts(w, {"label: Changed by the model", "list: Row 2"}, {"Line 0000001"});
    w.model().SetVirtualRows("lines", 5'000'000,
                             [](std::size_t i) { return "Line " + std::to_string(i + 1); });
    w.Press("close");
  };
  Check(ui::CurrentUi().RunModal(gallery) == 7, "the gallery closes with its button's result");

  // The clipboard keeps Latin-1 text as it was; the meter window opens,
  // moves and closes.
  ui::CurrentUi().SetClipboard("ISA*00*M\xFCller~");
  Check(ui::CurrentUi().Clipboard() == "ISA*00*M\xFCller~", "clipboard round trip");
  {
    auto meter = ui::CurrentUi().ShowMeter("Loading claims.x12", "Loading");
    Check(meter != nullptr, "meter window");
    for (int percent = 0; percent <= 100; percent += 20) meter->SetPercent(percent);
    meter->SetStatus("Segment 1000 of 1000");
  }

  auto error = shell::BuildErrorDialog(
      "Error C++/std::runtime_error  the disk is on fire",
      {"   Called from ardentix::parse::Run()(ardentix)", "   Called from main(ardentix)"});
  ui::CurrentUi().RunModal(*error);

  for (const char* title : {"M318 Ardentix", "Ardentix", "Information", "QV.INI Editor", "notice",
                            "Controls", "Qorvane Software Error Handler"}) {
    Check(std::find(shown.begin(), shown.end(), title) != shown.end(),
          std::string("window shown: ") + title);
  }
  std::error_code ec;
  fs::current_path("/", ec);
  fs::remove_all(work, ec);
  std::printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
