#include "shell/folder_dialogs.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "common/ini.h"
#include "shell/startup.h"
#include "shell/test_support.h"
#include "ui/scripted.h"
#include "ui/ui.h"

namespace ardentix::shell {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

struct DialogFixture {
  TempFolder root;
  fs::path start = root / "start";
  fs::path target = root / "target";
  ui::ScriptedUi* scripted = nullptr;
  ui::ScopedUi scope{MakeUi()};

  DialogFixture() {
    fs::create_directories(start);
    fs::create_directories(target);
  }
  std::unique_ptr<ui::Ui> MakeUi() {
    auto ui = std::make_unique<ui::ScriptedUi>();
    scripted = ui.get();
    return ui;
  }
  StartupEnvironment Env() {
    StartupEnvironment env;
    env.current_folder = start;
    env.executable = root / "bin" / "ardentix";
    env.change_folder = [](const fs::path&) { return true; };
    env.err = nullptr;
    return env;
  }
};

// One line of tag items DATADIR, DATE, TIME and nothing else.
void ExpectTagLine(const std::string& text, const std::string& folder) {
  const std::regex line(
      "<DATADIR>(.*)</DATADIR><DATE>\\d\\d/\\d\\d/\\d\\d</DATE>"
      "<TIME>\\d\\d:\\d\\d:\\d\\d</TIME>");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(text, match, line)) << text;
  EXPECT_EQ(match[1], folder);
}

TEST(BaseFolderDialog, LayoutPrefillAndBrowseThenSave) {
  DialogFixture f;
  WriteText(f.start / "base.cfg", "<DATADIR>/old/place</DATADIR>");
  f.scripted->ChooseFolderResult(f.target.string());
  f.scripted->PlayDialog([](ui::Dialog& d) {
    EXPECT_EQ(d.Text("folder"), "/old/place");
    EXPECT_TRUE(d.Fire(ui::Event::Click("browse")));
    EXPECT_TRUE(d.Fire(ui::Event::Click("save")));
  });
  EXPECT_EQ(RunBaseFolderDialog(f.start), f.target.string());
  ASSERT_EQ(f.scripted->opened().size(), 1u);
  const ui::DialogSnapshot& shown = f.scripted->opened()[0];
  EXPECT_EQ(shown.title, "Set BASE Directory");
  EXPECT_EQ(shown.Find("folder")->max_length, 250);
  EXPECT_EQ(shown.Find("browse")->text, "Browse");
  EXPECT_EQ(shown.Find("save")->text, "Save");
  EXPECT_EQ(shown.Find("exit")->text, "Exit");
  EXPECT_TRUE(f.scripted->HasLine("folder chooser: Base Directory: " + f.target.string()));
  ExpectTagLine(ReadText(f.start / "base.cfg"), f.target.string());
}

TEST(BaseFolderDialog, MissingFolderOrExitWritesNothing) {
  struct Case {
    const char* typed;  // nullptr = press Exit
    bool message;
  };
  const Case cases[] = {{"no-such-folder", true}, {"", true}, {nullptr, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed ? c.typed : "Exit");
    DialogFixture f;
    WriteText(f.start / "base.cfg", "<DATADIR>/old/place</DATADIR>");
    f.scripted->PlayDialog([&c](ui::Dialog& d) {
      if (c.typed == nullptr) {
        d.Fire(ui::Event::Click("exit"));
        return;
      }
      d.Fire(ui::Event::Change("folder", c.typed));
      d.Fire(ui::Event::Click("save"));
      EXPECT_TRUE(d.closed());
    });
    EXPECT_EQ(RunBaseFolderDialog(f.start), "");
    EXPECT_EQ(f.scripted->HasLine("message: Set BASE Directory: Specified Folder Does Not Exist"),
              c.message);
    EXPECT_EQ(ReadText(f.start / "base.cfg"), "<DATADIR>/old/place</DATADIR>");
  }
}

TEST(BaseFolderDialog, RelativeFolderIsSavedAbsolute) {
  DialogFixture f;
  fs::create_directories(f.start / "data");
  f.scripted->PlayDialog([](ui::Dialog& d) {
    d.Fire(ui::Event::Change("folder", " data/ "));
    d.Fire(ui::Event::Click("save"));
  });
  EXPECT_EQ(RunBaseFolderDialog(f.start), (f.start / "data").string());
  ExpectTagLine(ReadText(f.start / "base.cfg"), (f.start / "data").string());
}

// Start-up with two parameters, a blank source, no base.cfg and the program
// elsewhere: the attended run asks; what it saves is the base folder.
TEST(BaseFolderDialog, StartUpAsksWhenTheRulesLeaveNoBaseFolder) {
  {
    DialogFixture f;
    f.scripted->PlayDialog([&f](ui::Dialog& d) {
      d.Fire(ui::Event::Change("folder", f.target.string()));
      d.Fire(ui::Event::Click("save"));
    });
    EXPECT_EQ(SettleBaseFolder({"CSV", ""}, f.Env()), f.target.string());
    EXPECT_TRUE(f.scripted->ScriptDone());
  }
  {
    DialogFixture f;
    f.scripted->PlayDialog([](ui::Dialog& d) { d.Fire(ui::Event::Click("exit")); });
    EXPECT_EQ(SettleBaseFolder({"CSV", ""}, f.Env()), f.start.string());
    EXPECT_FALSE(fs::exists(f.start / "base.cfg"));
  }
  {
    // Unattended: no dialog, the current folder.
    DialogFixture f;
    EXPECT_EQ(SettleBaseFolder({"CSV", "in.x12"}, f.Env()), f.start.string());
    EXPECT_TRUE(f.scripted->opened().empty());
  }
}

TEST(X12FolderDialog, PrefillBrowseAndSaveWriteConfigXml) {
  DialogFixture f;
  const std::string base = f.start.string();
  WriteText(f.start / "config.xml", "<DATADIR>/old/x12</DATADIR><DATE>01/02/24</DATE>");
  f.scripted->ChooseFolderResult(f.target.string());
  f.scripted->PlayDialog([](ui::Dialog& d) {
    EXPECT_EQ(d.Text("folder"), "/old/x12");
    d.Fire(ui::Event::Click("browse"));
    d.Fire(ui::Event::Click("save"));
  });
  EXPECT_EQ(RunX12FolderDialog(base, "", f.start), f.target.string());
  EXPECT_EQ(f.scripted->opened().at(0).title, "Set X12 File Folder");
  EXPECT_EQ(f.scripted->opened().at(0).Find("folder")->max_length, 250);
  EXPECT_TRUE(f.scripted->HasLine("folder chooser: X12 File Folder: " + f.target.string()));
  ExpectTagLine(ReadText(f.start / "config.xml"), f.target.string());
  EXPECT_EQ(ini::GetX12Folder(base, ""), f.target.string());
}

TEST(X12FolderDialog, MissingFolderShowsTheMessageAndWritesNothing) {
  DialogFixture f;
  const std::string base = f.start.string();
  f.scripted->PlayDialog([](ui::Dialog& d) {
    d.Fire(ui::Event::Change("folder", "/no/such/folder"));
    d.Fire(ui::Event::Click("save"));
  });
  EXPECT_EQ(RunX12FolderDialog(base, "", f.start), std::nullopt);
  EXPECT_TRUE(f.scripted->HasLine("message: Set X12 File Folder: Specified Folder Does Not Exist"));
  EXPECT_FALSE(fs::exists(f.start / "config.xml"));
}

TEST(X12FolderDialog, UnwritableConfigXmlIsReported) {
  DialogFixture f;
  // The base folder does not exist, so config.xml cannot be written there.
  const std::string base = (f.root / "gone").string();
  f.scripted->PlayDialog([&f](ui::Dialog& d) {
    d.Fire(ui::Event::Change("folder", f.target.string()));
    d.Fire(ui::Event::Click("save"));
  });
  EXPECT_EQ(RunX12FolderDialog(base, "", f.start), std::nullopt);
  ASSERT_FALSE(f.scripted->transcript().empty());
  bool reported = false;
  for (const auto& line : f.scripted->transcript()) {
    reported =
        reported || line.rfind("message: Set X12 File Folder: Cfile <ERROR> FC-Open #", 0) == 0;
  }
  EXPECT_TRUE(reported);
}

TEST(X12FolderDialog, TheMenuItemKeepsTheSavedFolderInTheState) {
  DialogFixture f;
  ASSERT_EQ(Start({}, f.Env(), StartupHooks{}), 2);  // no main window in this build
  EXPECT_EQ(CurrentState().x12_folder, "");
  f.scripted->PlayDialog([&f](ui::Dialog& d) {
    d.Fire(ui::Event::Change("folder", f.target.string()));
    d.Fire(ui::Event::Click("save"));
  });
  SetX12FolderFromMenu();
  EXPECT_EQ(CurrentState().x12_folder, f.target.string());
  ExpectTagLine(ReadText(f.start / "config.xml"), f.target.string());
}

TEST(BaseCfg, SaveAndReadBackUnderAnyLetterCase) {
  TempFolder folder;
  EXPECT_EQ(ReadBaseCfg(folder.path()), "");
  WriteText(folder / "BASE.CFG", "<datadir>/srv/claims</datadir>");
  EXPECT_EQ(ReadBaseCfg(folder.path()), "/srv/claims");
  ASSERT_TRUE(SaveBaseFolder(folder.path(), "/srv/other"));
  // The existing file is rewritten under its own name.
  EXPECT_FALSE(fs::exists(folder / "base.cfg") &&
               !fs::equivalent(folder / "base.cfg", folder / "BASE.CFG"));
  ExpectTagLine(ReadText(folder / "BASE.CFG"), "/srv/other");

  std::string error;
  EXPECT_FALSE(SaveBaseFolder(folder / "missing", "/x", &error));
  EXPECT_EQ(error, "Cfile <ERROR> FC-Open #02");
}

}  // namespace
}  // namespace ardentix::shell
