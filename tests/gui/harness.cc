// Linked only into the test build of the program (ardentix_gui_harness):
// when ARDENTIX_GUI_SCRIPT names a menu item or tool button of the main
// window, the harness presses it once the start-up splash has closed, as a
// user would. Every window shown and closed is logged on stderr as
// "gui: +MS shown: TITLE" / "gui: +MS closed: TITLE" / "gui: +MS press: ID".
// The script "throw" makes "Service Account" fail with an exception and
// presses "Exit Program" in the error dialog that follows.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "shell/main_window.h"
#include "ui/wx/desktop.h"

namespace {

using ardentix::ui::desktop::ShownWindow;
using ardentix::ui::desktop::WindowStage;

class Harness {
 public:
  Harness() {
    const char* script = std::getenv("ARDENTIX_GUI_SCRIPT");
    if (script == nullptr || *script == '\0') return;
    press_ = script;
    if (press_ == "throw") {
      press_ = std::string(ardentix::shell::action::kServiceAccount);
      ardentix::shell::SetMainWindowAction(press_, [](ardentix::shell::ActionContext&) {
        throw std::runtime_error("the harness failed on purpose");
      });
    }
    ardentix::ui::desktop::SetWindowObserver(
        [this](ShownWindow& window, WindowStage stage) { Seen(window, stage); });
  }

 private:
  void Log(const std::string& what) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start_)
                        .count();
    std::fprintf(stderr, "gui: +%lld %s\n", static_cast<long long>(ms), what.c_str());
    std::fflush(stderr);
  }

  void Seen(ShownWindow& window, WindowStage stage) {
    const std::string title = window.model().title();
    Log((stage == WindowStage::kShown ? "shown: " : "closed: ") + title);
    if (stage == WindowStage::kShown && title == "Qorvane Software Error Handler") {
      Log("press: exit");
      window.Press("exit");
      return;
    }
    if (window.model().top_level()) {
      main_ = stage == WindowStage::kShown ? &window : nullptr;
      return;
    }
    // The start-up splash closes by itself; then the user acts.
    if (stage == WindowStage::kClosed && !pressed_ && main_ != nullptr) {
      pressed_ = true;
      Log("press: " + press_);
      if (!main_->Press(press_)) Log("no such item: " + press_);
    }
  }

  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::string press_;
  ShownWindow* main_ = nullptr;
  bool pressed_ = false;
};

Harness harness;

}  // namespace
