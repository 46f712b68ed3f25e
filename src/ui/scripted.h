// The scripted backend for tests: it plays a script of answers and dialog
// events and records everything shown (messages, questions, dialogs with
// their controls, meters, launches).
#ifndef ARDENTIX_UI_SCRIPTED_H_
#define ARDENTIX_UI_SCRIPTED_H_

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace ardentix::ui {

// A copy of a dialog's controls at one moment.
struct DialogSnapshot {
  std::string title;
  int width = 0;
  int height = 0;
  std::vector<Control> controls;
  std::vector<Menu> menus;
  std::vector<ToolButton> tool_buttons;
  const Control* Find(std::string_view id) const;
};

class ScriptedUi : public Ui {
 public:
  using Player = std::function<void(Dialog&)>;

  BackendKind kind() const override { return BackendKind::kScripted; }

  // --- the script ---------------------------------------------------------
  // Answers for the next questions, in order. Without one, the default.
  void AnswerYesNo(bool answer) { answers_.push_back(answer); }
  // Results of the next file / folder choosers (nullopt = cancelled).
  void ChooseFileResult(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  void ChooseFolderResult(std::optional<std::string> path) { folders_.push_back(std::move(path)); }
  // Players for the next modal dialogs, in order. A player fires events on
  // the dialog (Fire(Event::Click("save")) and the like). When the player
  // returns and the dialog is still open it is closed with result 0.
  void PlayDialog(Player player) { players_.push_back(std::move(player)); }
  void SetClipboardText(std::string text) { clipboard_ = std::move(text); }

  // --- what was shown -----------------------------------------------------
  // One line per thing shown: "message: TITLE: TEXT", "question: TITLE:
  // TEXT -> Yes", "notice: ...", "file chooser: TITLE -> PATH", "dialog:
  // TITLE", "dialog closed: TITLE -> RESULT", "launch: TARGET", "meter open:
  // CAPTION | TITLE", "meter percent: N", "meter status: TEXT", "meter close".
  const std::vector<std::string>& transcript() const { return transcript_; }
  // Dialogs as they looked when they opened, and when they closed.
  const std::vector<DialogSnapshot>& opened() const { return opened_; }
  const std::vector<DialogSnapshot>& closed() const { return closed_; }
  const std::vector<FileChooserSpec>& file_choosers() const { return file_specs_; }
  bool HasLine(std::string_view line) const;
  // True when the script has been used up.
  bool ScriptDone() const {
    return answers_.empty() && files_.empty() && folders_.empty() && players_.empty();
  }

  // --- Ui -----------------------------------------------------------------
  void Message(std::string_view text, std::string_view title, MessageIcon icon) override;
  bool AskYesNo(std::string_view question, std::string_view title, bool default_yes) override;
  void Notice(std::string_view text, std::string_view title) override;
  std::optional<std::string> ChooseFile(const FileChooserSpec& spec) override;
  std::optional<std::string> ChooseFolder(std::string_view title, std::string_view start) override;
  int RunModal(Dialog& dialog) override;
  std::unique_ptr<MeterView> ShowMeter(const std::string& caption,
                                       const std::string& title) override;
  bool Launch(LaunchKind kind, const std::string& target) override;
  void SetClipboard(std::string_view text) override;
  std::string Clipboard() override { return clipboard_; }

  void Record(std::string line) { transcript_.push_back(std::move(line)); }
  static DialogSnapshot Snapshot(const Dialog& dialog);

 private:
  std::deque<bool> answers_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<std::string>> folders_;
  std::deque<Player> players_;
  std::vector<std::string> transcript_;
  std::vector<DialogSnapshot> opened_;
  std::vector<DialogSnapshot> closed_;
  std::vector<FileChooserSpec> file_specs_;
  std::string clipboard_;
};

}  // namespace ardentix::ui

#endif  // ARDENTIX_UI_SCRIPTED_H_
