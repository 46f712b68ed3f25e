// The ui services: message boxes, questions, notices, choosers, the modal
// dialog runner, the progress meter window, program launch and the
// clipboard. Feature code reaches them through CurrentUi(); it never asks
// whether there is a display.
#ifndef ARDENTIX_UI_UI_H_
#define ARDENTIX_UI_UI_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog.h"

namespace ardentix::ui {

enum class BackendKind { kHeadless, kTerminal, kScripted, kDesktop };

enum class MessageIcon { kInfo, kWarning, kStop, kQuestion };

struct FileChooserSpec {
  std::string title;
  std::string folder;              // starting folder
  std::vector<std::string> masks;  // "*.xml", "*.*"; several masks are alternatives
  bool save = false;               // a save chooser (the file need not exist)
  std::string default_name;
};

enum class LaunchKind { kEditor, kBrowser, kViewer };

// The window of the progress meter as a backend shows it.
class MeterView {
 public:
  virtual ~MeterView() = default;
  virtual void SetPercent(int percent) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetStatus(const std::string& status) = 0;
};

class Ui {
 public:
  virtual ~Ui() = default;
  virtual BackendKind kind() const = 0;
  // True in command-line runs: no window ever opens.
  bool unattended() const {
    return kind() == BackendKind::kHeadless || kind() == BackendKind::kTerminal;
  }

  virtual void Message(std::string_view text, std::string_view title,
                       MessageIcon icon = MessageIcon::kInfo) = 0;
  // A yes/no question; `default_yes` is the answer Enter (or no user) gives.
  virtual bool AskYesNo(std::string_view question, std::string_view title, bool default_yes) = 0;
  // A short notice that closes itself after 2 seconds.
  virtual void Notice(std::string_view text, std::string_view title) = 0;
  virtual std::optional<std::string> ChooseFile(const FileChooserSpec& spec) = 0;
  virtual std::optional<std::string> ChooseFolder(std::string_view title,
                                                  std::string_view start) = 0;
  // Shows `dialog` modally until it closes; returns its result. Unattended
  // backends never show a dialog: they close it with result 0 and log that.
  virtual int RunModal(Dialog& dialog) = 0;
  // Shows a top-level window (the main window) and runs until it closes.
  virtual int RunTopLevel(Dialog& window) { return RunModal(window); }

  // The progress meter's window (see meter.h for the program-wide meter).
  virtual std::unique_ptr<MeterView> ShowMeter(const std::string& caption,
                                               const std::string& title) = 0;

  // Starts the editor, browser or viewer on `target`. Refused (false, with
  // a logged message) in unattended runs.
  virtual bool Launch(LaunchKind kind, const std::string& target) = 0;

  virtual void SetClipboard(std::string_view text) = 0;
  virtual std::string Clipboard() = 0;

  // Where unattended backends send their messages besides stderr (the run's
  // log). The parse driver sets it for the length of a run.
  void SetLogSink(std::function<void(std::string_view)> sink) { log_sink_ = std::move(sink); }

 protected:
  void Log(std::string_view line) const {
    if (log_sink_) log_sink_(line);
  }

 private:
  std::function<void(std::string_view)> log_sink_;
};

// The backend in use. Before SetCurrentUi, a headless backend answers.
Ui& CurrentUi();
// Installs a backend and returns the previous one.
std::unique_ptr<Ui> SetCurrentUi(std::unique_ptr<Ui> ui);

// Installs a backend for the life of the object, then restores the old one.
class ScopedUi {
 public:
  explicit ScopedUi(std::unique_ptr<Ui> ui) : previous_(SetCurrentUi(std::move(ui))) {}
  ~ScopedUi() { SetCurrentUi(std::move(previous_)); }
  ScopedUi(const ScopedUi&) = delete;
  ScopedUi& operator=(const ScopedUi&) = delete;

 private:
  std::unique_ptr<Ui> previous_;
};

// Starts a program with arguments passed as a list (no shell). Returns false
// when it could not be started.
bool SpawnDetached(const std::vector<std::string>& argv);
// The command that opens `target` for `kind` on a desktop: $VISUAL or
// $EDITOR for the editor, otherwise xdg-open.
std::vector<std::string> LaunchCommand(LaunchKind kind, const std::string& target);

}  // namespace ardentix::ui

#endif  // ARDENTIX_UI_UI_H_
