// The desktop backend of the ui layer, built on wxWidgets. OpenDesktop()
// starts the toolkit when a display can be reached and returns a ui::Ui that
// shows every Dialog as a real window: modal dialogs laid out on the
// 640 x 480 design grid with the fonts F1 to F5, the main window with its
// menus, message bar and tool bar, message boxes, yes/no questions, notices
// that close themselves after 2 seconds, file and folder choosers, the
// progress meter, the clipboard and program launch.
//
// Text crosses into the toolkit as Latin-1: every byte of a model text shows
// as one character, and characters a person types beyond Latin-1 come back
// as "?". Multi-line edit fields show CR LF as a line break and give CR LF
// back when the model text had it. File names cross as the system's file
// names.
//
// The window observer is for test programs (screenshots and the GUI test
// harness): it is told when a window has been shown and when it closes, and
// can read the texts the toolkit shows, save a picture of the window and
// act as a user would. This header includes no toolkit header.
#ifndef ARDENTIX_UI_WX_DESKTOP_H_
#define ARDENTIX_UI_WX_DESKTOP_H_

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui.h"

namespace ardentix::ui::desktop {

// True when the environment names a display (DISPLAY or WAYLAND_DISPLAY).
inline bool DisplayNamed() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Starts the toolkit (once per process) and returns the desktop backend, or
// nullptr when no display is named or the toolkit cannot reach it.
std::unique_ptr<Ui> OpenDesktop(int argc, char** argv);

// The face that stands in for a font face of the program: "Courier New" ->
// "Liberation Mono", "Arial" -> "Liberation Sans", "Times New Roman" ->
// "Liberation Serif"; any other face is kept.
std::string PlatformFace(std::string_view face);

// True when this build embeds web pages (kWebView controls). Without it a
// dialog's web view opens the page in the system browser instead.
bool WebViewAvailable();

// --- for test programs ------------------------------------------------------

// A window the backend shows, as an observer sees it. Valid from the "shown"
// call until the "closed" call of the observer.
class ShownWindow {
 public:
  virtual ~ShownWindow() = default;
  virtual Dialog& model() = 0;
  // What the toolkit shows, one line per thing: "title: T", "menu: T",
  // "item: TEXT | PROMPT", "tool: TOOLTIP | MESSAGE-BAR TEXT", "button: T",
  // "label: T", "edit: T", "check: T", "list: ROW" (first rows), "choice: T",
  // "status: T" (the message bar). Mnemonic "&" are left out as shown.
  virtual std::vector<std::string> Texts() = 0;
  // Saves a picture of the window as it is on the screen (PNG).
  virtual bool SavePng(const std::string& path) = 0;
  // Acts as a user: clicks the button, menu item or tool button with this
  // model id (queued: the click is handled by the event loop). An empty id
  // is the window's close box. False when there is no such thing.
  virtual bool Press(const std::string& id) = 0;
  // Highlights a menu item or points at a tool button, which puts its
  // prompt into the message bar.
  virtual bool Highlight(const std::string& id) = 0;
};

enum class WindowStage { kShown, kClosed };
using WindowObserver = std::function<void(ShownWindow& window, WindowStage stage)>;
// One observer per process; an empty function removes it.
void SetWindowObserver(WindowObserver observer);

// Runs `task` on the event loop after `milliseconds`.
void Later(int milliseconds, std::function<void()> task);

}  // namespace ardentix::ui::desktop

#endif  // ARDENTIX_UI_WX_DESKTOP_H_
