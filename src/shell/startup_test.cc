#include "shell/startup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/ini.h"
#include "shell/splash.h"
#include "shell/test_support.h"
#include "ui/scripted.h"
#include "ui/ui.h"

namespace ardentix::shell {
namespace {

using testing::TempFolder;
using testing::WriteText;

const std::string kBlanks(255, ' ');

// A start-up folder with a sub-folder "sub" and another folder "elsewhere"
// for base.cfg to point at; the executable lies outside unless a case moves
// it in. change_folder records instead of moving the test process.
struct Fixture {
  TempFolder root;
  fs::path start = root / "start";
  fs::path elsewhere = root / "elsewhere";
  std::vector<fs::path> changes;
  bool change_ok = true;
  ui::ScriptedUi* scripted = nullptr;
  ui::ScopedUi scope{MakeUi()};

  Fixture() {
    fs::create_directories(start / "sub");
    fs::create_directories(elsewhere);
  }
  std::unique_ptr<ui::Ui> MakeUi() {
    auto ui = std::make_unique<ui::ScriptedUi>();
    scripted = ui.get();
    return ui;
  }
  StartupEnvironment Env(bool executable_here = false) {
    StartupEnvironment env;
    env.current_folder = start;
    env.executable = executable_here ? start / "ardentix" : root / "bin" / "ardentix";
    env.change_folder = [this](const fs::path& folder) {
      changes.push_back(folder);
      return change_ok;
    };
    env.err = nullptr;
    return env;
  }
};

TEST(Startup, SettlesFoldersParametersAndRunMode) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* base_cfg;  // nullptr = no base.cfg
    bool executable_here;
    RunMode mode;
    const char* base;     // "start", "sub" or "elsewhere" (folder names of the fixture)
    const char* working;  // same
    bool changes_folder;
    std::array<std::string, 4> parameters;
  };
  const std::string elsewhere_cfg = "<DATADIR>@ELSEWHERE@</DATADIR><DATE>01/02/24</DATE>";
  const Case cases[] = {
      {"no parameters",
       {},
       nullptr,
       false,
       RunMode::kUserInterface,
       "start",
       "start",
       true,
       {"", kBlanks, kBlanks, ""}},
      {"folder parameter",
       {"sub"},
       nullptr,
       false,
       RunMode::kUserInterface,
       "start",
       "sub",
       true,
       {"", kBlanks, kBlanks, ""}},
      {"type only",
       {"CSV"},
       nullptr,
       false,
       RunMode::kUserInterface,
       "start",
       "start",
       false,
       {"CSV", kBlanks, kBlanks, ""}},
      {"type only, base.cfg ignored below two parameters",
       {"CSV"},
       "cfg",
       false,
       RunMode::kUserInterface,
       "start",
       "start",
       false,
       {"CSV", kBlanks, kBlanks, ""}},
      {"unattended, no base.cfg",
       {"CSV", "in.x12"},
       nullptr,
       false,
       RunMode::kUnattended,
       "start",
       "start",
       false,
       {"CSV", "in.x12", kBlanks, ""}},
      {"unattended, base.cfg",
       {"CSV", "in.x12", "out.csv", "HO,OW"},
       "cfg",
       false,
       RunMode::kUnattended,
       "elsewhere",
       "elsewhere",
       false,
       {"CSV", "in.x12", "out.csv", "HO,OW"}},
      {"unattended, base.cfg DATADIR too short",
       {"CSV", "in.x12"},
       "<DATADIR>ab</DATADIR>",
       false,
       RunMode::kUnattended,
       "start",
       "start",
       false,
       {"CSV", "in.x12", kBlanks, ""}},
      {"unattended, base.cfg without DATADIR",
       {"CSV", "in.x12"},
       "<DATE>01/02/24</DATE>",
       false,
       RunMode::kUnattended,
       "start",
       "start",
       false,
       {"CSV", "in.x12", kBlanks, ""}},
      {"program in the current folder wins over base.cfg",
       {"CSV", "in.x12"},
       "cfg",
       true,
       RunMode::kUnattended,
       "start",
       "start",
       false,
       {"CSV", "in.x12", kBlanks, ""}},
      {"source with an empty type",
       {"", "in.x12"},
       nullptr,
       false,
       RunMode::kUnattended,
       "start",
       "start",
       false,
       {"", "in.x12", kBlanks, ""}},
      {"blank source is no source",
       {"CSV", "   "},
       "cfg",
       false,
       RunMode::kUserInterface,
       "elsewhere",
       "elsewhere",
       false,
       {"CSV", "   ", kBlanks, ""}},
      {"folder name with a second parameter is a type",
       {"sub", "in.x12"},
       nullptr,
       false,
       RunMode::kUnattended,
       "start",
       "start",
       false,
       {"sub", "in.x12", kBlanks, ""}},
      {"a fifth parameter is ignored",
       {"CSV", "a", "b", "c", "d"},
       nullptr,
       false,
       RunMode::kUnattended,
       "start",
       "start",
       false,
       {"CSV", "a", "b", "c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    auto folder = [&f](const std::string& which) {
      return which == "start" ? f.start.string()
             : which == "sub" ? (f.start / "sub").string()
                              : f.elsewhere.string();
    };
    if (c.base_cfg != nullptr) {
      std::string cfg = std::string(c.base_cfg) == "cfg" ? elsewhere_cfg : c.base_cfg;
      if (auto at = cfg.find("@ELSEWHERE@"); at != std::string::npos) {
        cfg.replace(at, 11, f.elsewhere.string());
      }
      WriteText(f.start / "base.cfg", cfg);
    }
    StartupState s = PrepareStartup(c.args, f.Env(c.executable_here));
    EXPECT_EQ(s.mode, c.mode);
    EXPECT_EQ(s.base_folder, folder(c.base));
    EXPECT_EQ(s.working_folder, folder(c.working));
    EXPECT_EQ(s.changed_folder, c.changes_folder);
    if (c.changes_folder) {
      EXPECT_EQ(f.changes, std::vector<fs::path>{folder(c.working)});
    } else {
      EXPECT_TRUE(f.changes.empty());
    }
    EXPECT_EQ(s.parameters, c.parameters);
    EXPECT_EQ(s.parameter_count, static_cast<int>(std::min<std::size_t>(c.args.size(), 4)));
    EXPECT_EQ(s.drive, "");
    // No case may show the "Set BASE Directory" dialog: either the rules
    // settle the base folder or the run is unattended.
    EXPECT_TRUE(f.scripted->opened().empty());
  }
}

TEST(Startup, FixedItemsOfTheState) {
  Fixture f;
  StartupState s = PrepareStartup({}, f.Env());
  EXPECT_EQ(s.model_code, "QVK0M318");
  EXPECT_EQ(s.product_title, "Ardentix");
  EXPECT_EQ(s.version_text, " 1.18H-20");
  EXPECT_EQ(s.sub_version_text, " 1.18H-20");
  EXPECT_EQ(s.error_report_header, "Model : QVK0M318\r\n");
  EXPECT_EQ(s.error_send_flag, 0);
  EXPECT_STREQ(s.fonts[0].face, "Courier New");
  EXPECT_TRUE(s.fonts[0].bold);
  EXPECT_DOUBLE_EQ(s.fonts[1].width, 9.6);
  EXPECT_EQ(ProductTitle("QVK0M999"), "");
}

// qv.ini is read in the start-up folder before the process moves to the
// working folder; config.xml comes from the base folder.
TEST(Startup, ReadsQvIniInTheStartFolderAndConfigXmlInTheBaseFolder) {
  Fixture f;
  WriteText(f.start / "QV.INI", "[CMS1500]\r\nbox12=onfile\r\n[X12VIEWER]\r\nLOOP2300=OFF\r\n");
  WriteText(f.start / "sub" / "qv.ini", "[CMS1500]\r\nBOX13=ONFILE\r\nLOOP2000=OFF\r\n");
  WriteText(f.start / "config.xml", "<DATADIR>/data/x12</DATADIR><DATE>01/02/24</DATE>");
  StartupState s = PrepareStartup({"sub"}, f.Env());
  EXPECT_EQ(s.form_switches[2], 'B');
  EXPECT_EQ(s.form_switches[3], 'A');
  EXPECT_EQ(s.export_switches, "AAAAAAABAAAAAAAA");
  EXPECT_EQ(s.x12_folder, "/data/x12");

  Fixture g;
  EXPECT_EQ(PrepareStartup({}, g.Env()).x12_folder, "");
  EXPECT_EQ(PrepareStartup({}, g.Env()).form_switches, ini::kFormDefault);
}

TEST(Startup, AFolderThatCannotBeEnteredRaisesInvalidParameter) {
  Fixture f;
  f.change_ok = false;
  const std::string sub = (f.start / "sub").string();
  StartupState s = PrepareStartup({"sub"}, f.Env());
  EXPECT_TRUE(
      f.scripted->HasLine("message: Invalid Parameter: There is not a " + sub + " subdirectory."));
  EXPECT_EQ(s.working_folder, f.start.string());
  EXPECT_FALSE(s.changed_folder);
  EXPECT_EQ(s.mode, RunMode::kUserInterface);
}

TEST(ServerXml, SetsTheServerFlag) {
  struct Case {
    const char* file_name;  // nullptr = no file
    const char* text;
    int flag;
  };
  const Case cases[] = {
      {nullptr, "", 0},
      {"server.xml", "<STATUS>SERVER</STATUS><SERVER_TYPE>VOVAVADOZOV</SERVER_TYPE>", 1},
      {"server.xml", "<STATUS>SERVER</STATUS><SERVER_TYPE>APACHE_2.0</SERVER_TYPE>", 2},
      {"server.xml", "<status>SERVER</status><server_type>APACHE_2.0</server_type>", 2},
      {"SERVER.XML", "<STATUS>SERVER</STATUS><SERVER_TYPE>VOVAVADOZOV</SERVER_TYPE>", 1},
      {"server.xml", "<STATUS>WINDOWS</STATUS><DATE>01/02/24</DATE><TIME>10:11:12</TIME>", 0},
      {"server.xml", "<STATUS>WINDOWS</STATUS><SERVER_TYPE>VOVAVADOZOV</SERVER_TYPE>", 0},
      {"server.xml", "<STATUS>SERVER</STATUS><DATE>01/02/24</DATE>", 0},
      {"server.xml", "<STATUS>SERVER</STATUS><SERVER_TYPE>IIS</SERVER_TYPE>", 0},
      {"server.xml", "<STATUS></STATUS><SERVER_TYPE>VOVAVADOZOV</SERVER_TYPE>", 0},
      {"server.xml", "<STATUS>server</STATUS><SERVER_TYPE>VOVAVADOZOV</SERVER_TYPE>", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TempFolder base;
    if (c.file_name != nullptr) WriteText(base / c.file_name, c.text);
    EXPECT_EQ(ReadServerFlag(base.path()), c.flag);
  }
}

TEST(Startup, ServerXmlInTheBaseFolderWinsOverParameters) {
  Fixture f;
  WriteText(f.elsewhere / "server.xml",
            "<STATUS>SERVER</STATUS><SERVER_TYPE>VOVAVADOZOV</SERVER_TYPE>");
  WriteText(f.start / "base.cfg", "<DATADIR>" + f.elsewhere.string() + "</DATADIR>");
  StartupState s = PrepareStartup({"CSV", "in.x12", "out"}, f.Env());
  EXPECT_EQ(s.server_flag, 1);
  EXPECT_EQ(s.mode, RunMode::kServer);
  // server.xml beside the start folder does not count when the base is elsewhere.
  Fixture g;
  WriteText(g.start / "server.xml", "<STATUS>SERVER</STATUS><SERVER_TYPE>APACHE_2.0</SERVER_TYPE>");
  WriteText(g.start / "base.cfg", "<DATADIR>" + g.elsewhere.string() + "</DATADIR>");
  EXPECT_EQ(PrepareStartup({"CSV", "in.x12"}, g.Env()).mode, RunMode::kUnattended);
}

TEST(RunStartup, CallsTheHookOfTheModeOrReportsTheMissingMode) {
  struct Case {
    RunMode mode;
    const char* missing_text;
  };
  const Case cases[] = {
      {RunMode::kServer, "no built-in web server"},
      {RunMode::kUnattended, "no parse driver"},
      {RunMode::kUserInterface, "needs the desktop version"},
  };
  for (const auto& c : cases) {
    StartupState state;
    state.mode = c.mode;
    state.base_folder = "/b";

    std::FILE* err = std::tmpfile();
    EXPECT_EQ(RunStartup(state, StartupHooks{}, err), 2);
    std::rewind(err);
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, err), nullptr);
    EXPECT_NE(std::string(line).find(c.missing_text), std::string::npos) << line;
    EXPECT_EQ(std::fgetc(err), EOF) << "one line only";
    std::fclose(err);

    std::vector<std::string> called;
    StartupHooks hooks;
    hooks.parse = [&](const StartupState& s) {
      called.push_back("parse " + s.base_folder);
      return 3;
    };
    hooks.server_window = [&](const StartupState&) {
      called.push_back("server");
      return 0;
    };
    hooks.main_window = [&](const StartupState&, const std::function<void(ui::Dialog&)>&) {
      called.push_back("main");
      return 0;
    };
    const int status = RunStartup(state, hooks, nullptr);
    ASSERT_EQ(called.size(), 1u);
    const char* expected = c.mode == RunMode::kServer       ? "server"
                           : c.mode == RunMode::kUnattended ? "parse /b"
                                                            : "main";
    EXPECT_EQ(called[0], expected);
    EXPECT_EQ(status, c.mode == RunMode::kUnattended ? 3 : 0);
  }
}

TEST(RunStartup, TheMainWindowShowsTheSplashOnceInitialised) {
  Fixture f;
  ui::Dialog* seen = nullptr;
  f.scripted->PlayDialog([&seen](ui::Dialog& splash) {
    seen = &splash;
    EXPECT_TRUE(splash.Fire(ui::Event::Timer("close")));
  });
  StartupState state = PrepareStartup({}, f.Env());
  StartupHooks hooks;
  hooks.main_window = [](const StartupState&, const std::function<void(ui::Dialog&)>& initialised) {
    ui::Dialog main_window("Ardentix", 640, 480);
    initialised(main_window);
    return 0;
  };
  EXPECT_EQ(RunStartup(state, hooks, nullptr), 0);
  ASSERT_NE(seen, nullptr);
  ASSERT_EQ(f.scripted->opened().size(), 1u);
  const ui::DialogSnapshot& splash = f.scripted->opened()[0];
  EXPECT_EQ(splash.title, "M318 Ardentix");
  EXPECT_EQ(splash.Find("title")->text, "Ardentix");
  EXPECT_EQ(splash.Find("model")->text, "Model : QVK0M318");
  EXPECT_EQ(splash.Find("version")->text, "Version: 1.18H-20");
  EXPECT_EQ(splash.Find("version")->font, ui::Font::kF2);
  EXPECT_TRUE(f.scripted->HasLine("dialog closed: M318 Ardentix -> 0"));
}

TEST(QuitApplication, ClosesTheMainWindowAfterTheSplash) {
  Fixture f;
  StartupState state = PrepareStartup({}, f.Env());
  ui::Dialog main_window("Ardentix", 640, 480);
  f.scripted->PlayDialog([&main_window](ui::Dialog& splash) {
    ASSERT_EQ(splash.timers().size(), 1u);
    EXPECT_EQ(splash.timers()[0].milliseconds, 1000);
    EXPECT_FALSE(main_window.closed());
    splash.Fire(ui::Event::Timer(splash.timers()[0].id));
  });
  QuitApplication(state, main_window);
  EXPECT_TRUE(main_window.closed());
  EXPECT_TRUE(f.scripted->ScriptDone());
}

TEST(CommandLine, OnlyANonBlankSecondParameterIsUnattended) {
  EXPECT_FALSE(IsUnattendedCommandLine({}));
  EXPECT_FALSE(IsUnattendedCommandLine({"CSV"}));
  EXPECT_FALSE(IsUnattendedCommandLine({"CSV", "  "}));
  EXPECT_TRUE(IsUnattendedCommandLine({"", "in.x12"}));
  EXPECT_TRUE(IsUnattendedCommandLine({"CSV", "in.x12", "out", "HO"}));
}

}  // namespace
}  // namespace ardentix::shell
