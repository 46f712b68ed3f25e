#include "utilities/ini_editor.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>

#include "common/files.h"
#include "ui/scripted.h"
#include "ui/ui.h"

namespace ardentix::utilities {
namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "ardentix-ini-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

const std::string kIni =
    "[X12VIEWER]\r\nSETEXTENSION=*.x12\r\nFIELD=SUBFNAME,SUBLNAME\r\n"
    "[CMS1500]\r\nBOX12=DATEOFF\r\nNAME=M\xFCller Stra\xDF"
    "e\r\nCOMMAND=0\r\n";

TEST(IniEditor, SaveAndExitLeaveTheRightBytes) {
  struct Case {
    const char* name;
    std::optional<std::string> before;  // nullopt: no qv.ini
    std::optional<std::string> typed;   // text the user leaves in the field
    const char* button;                 // "save", "exit" or "" (close box)
    std::string shown;                  // the field's text when the editor opens
    std::optional<std::string> after;
  };
  const Case cases[] = {
      {"no file, save creates it", std::nullopt, std::nullopt, "save", "", std::string("\x1a")},
      {"no file, exit creates nothing", std::nullopt, std::nullopt, "exit", "", std::nullopt},
      {"no end mark gets one", kIni, std::nullopt, "save", kIni, kIni + "\x1a"},
      {"one end mark stays one", kIni + "\x1a", std::nullopt, "save", kIni, kIni + "\x1a"},
      {"several end marks become one", kIni + "\x1a\x1a\x1a", std::nullopt, "save", kIni,
       kIni + "\x1a"},
      {"edits are saved byte for byte", kIni + "\x1a", kIni + "[X12PARSER]\r\nOPT=\xE9\r\n", "save",
       kIni, kIni + "[X12PARSER]\r\nOPT=\xE9\r\n\x1a"},
      {"typed end mark is not doubled", kIni, kIni + "\x1a", "save", kIni, kIni + "\x1a"},
      {"exit discards edits", kIni, std::string("gone"), "exit", kIni, kIni},
      {"close box discards edits", kIni, std::string("gone"), "", kIni, kIni},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const fs::path ini = folder.path() / "qv.ini";
    if (c.before) {
      ASSERT_TRUE(WriteWholeFile(ini, *c.before));
    }
    auto scripted = std::make_unique<ui::ScriptedUi>();
    ui::ScriptedUi& ui = *scripted;
    ui::ScopedUi scope(std::move(scripted));
    ui.PlayDialog([&c](ui::Dialog& d) {
      EXPECT_EQ(d.title(), "QV.INI Editor");
      EXPECT_EQ(d.Text("text"), c.shown);
      if (c.typed) d.Fire(ui::Event::Change("text", *c.typed));
      d.Fire(*c.button ? ui::Event::Click(c.button) : ui::Event::CloseBox());
      EXPECT_TRUE(d.closed());
    });
    EXPECT_EQ(RunIniEditor(folder.path()), std::string(c.button) == "save");
    EXPECT_TRUE(ui.ScriptDone());
    EXPECT_EQ(ReadWholeFile(ini), c.after);
    // Nothing else is left in the folder (no temporary file).
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, c.after ? 1u : 0u);
  }
}

TEST(IniEditor, EditsTheFileUnderAnyLetterCase) {
  TempFolder folder;
  ASSERT_TRUE(WriteWholeFile(folder.path() / "QV.INI", kIni));
  ui::ScriptedUi* ui = new ui::ScriptedUi;
  ui::ScopedUi scope{std::unique_ptr<ui::Ui>(ui)};
  ui->PlayDialog([](ui::Dialog& d) { d.Fire(ui::Event::Click("save")); });
  EXPECT_TRUE(RunIniEditor(folder.path()));
  EXPECT_EQ(ReadWholeFile(folder.path() / "QV.INI"), kIni + "\x1a");
  EXPECT_FALSE(fs::exists(folder.path() / "qv.ini"));
}

TEST(IniEditor, AFailedSaveIsReportedAndKeepsTheEdits) {
  TempFolder folder;
  // A file in a folder that does not exist cannot be written.
  auto dialog = BuildIniEditor(folder.path() / "missing" / "qv.ini", "A=1\r\n");
  ui::ScriptedUi* ui = new ui::ScriptedUi;
  ui::ScopedUi scope{std::unique_ptr<ui::Ui>(ui)};
  ui->PlayDialog([](ui::Dialog& d) {
    d.Fire(ui::Event::Change("text", "A=2\r\n"));
    d.Fire(ui::Event::Click("save"));
    EXPECT_FALSE(d.closed());
    EXPECT_EQ(d.Text("text"), "A=2\r\n");
  });
  EXPECT_EQ(ui::CurrentUi().RunModal(*dialog), 0);
  ASSERT_EQ(ui->transcript().size(), 3u);
  EXPECT_EQ(ui->transcript()[1].rfind("message: QV.INI Editor: ", 0), 0u);
  EXPECT_NE(ui->transcript()[1].find("was not saved: "), std::string::npos);
}

TEST(IniEditor, AnUnreadableFileIsReportedAndNotOpened) {
  TempFolder folder;
  // A folder named qv.ini exists but cannot be read as a file.
  fs::create_directory(folder.path() / "qv.ini");
  ui::ScriptedUi* ui = new ui::ScriptedUi;
  ui::ScopedUi scope{std::unique_ptr<ui::Ui>(ui)};
  EXPECT_FALSE(RunIniEditor(folder.path()));
  EXPECT_TRUE(ui->opened().empty());
  ASSERT_EQ(ui->transcript().size(), 1u);
  EXPECT_NE(ui->transcript()[0].find("could not be read"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(folder.path() / "qv.ini"));
}

}  // namespace
}  // namespace ardentix::utilities
