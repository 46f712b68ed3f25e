#include "ui/scripted.h"

#include <algorithm>

namespace ardentix::ui {

namespace {

std::string Titled(std::string_view kind, std::string_view title, std::string_view text) {
  std::string line(kind);
  line.append(": ");
  if (!title.empty()) line.append(title).append(": ");
  line.append(text);
  return line;
}

class RecordingMeter : public MeterView {
 public:
  explicit RecordingMeter(ScriptedUi* ui) : ui_(ui) {}
  ~RecordingMeter() override { ui_->Record("meter close"); }
  void SetPercent(int percent) override {
    ui_->Record("meter percent: " + std::to_string(percent));
  }
  void SetCaption(const std::string& caption) override { ui_->Record("meter caption: " + caption); }
  void SetStatus(const std::string& status) override { ui_->Record("meter status: " + status); }

 private:
  ScriptedUi* ui_;
};

}  // namespace

const Control* DialogSnapshot::Find(std::string_view id) const {
  for (const auto& c : controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

DialogSnapshot ScriptedUi::Snapshot(const Dialog& dialog) {
  DialogSnapshot snap;
  snap.title = dialog.title();
  snap.width = dialog.width();
  snap.height = dialog.height();
  for (const auto& c : dialog.controls()) snap.controls.push_back(*c);
  snap.menus = dialog.menus();
  snap.tool_buttons = dialog.tool_buttons();
  return snap;
}

bool ScriptedUi::HasLine(std::string_view line) const {
  return std::find(transcript_.begin(), transcript_.end(), line) != transcript_.end();
}

void ScriptedUi::Message(std::string_view text, std::string_view title, MessageIcon) {
  Record(Titled("message", title, text));
  Log(text);
}

bool ScriptedUi::AskYesNo(std::string_view question, std::string_view title, bool default_yes) {
  bool answer = default_yes;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  Record(Titled("question", title, question) + (answer ? " -> Yes" : " -> No"));
  return answer;
}

void ScriptedUi::Notice(std::string_view text, std::string_view title) {
  Record(Titled("notice", title, text));
}

std::optional<std::string> ScriptedUi::ChooseFile(const FileChooserSpec& spec) {
  file_specs_.push_back(spec);
  std::optional<std::string> result;
  if (!files_.empty()) {
    result = files_.front();
    files_.pop_front();
  }
  Record(Titled("file chooser", spec.title, result ? *result : "(cancel)"));
  return result;
}

std::optional<std::string> ScriptedUi::ChooseFolder(std::string_view title, std::string_view) {
  std::optional<std::string> result;
  if (!folders_.empty()) {
    result = folders_.front();
    folders_.pop_front();
  }
  Record(Titled("folder chooser", title, result ? *result : "(cancel)"));
  return result;
}

int ScriptedUi::RunModal(Dialog& dialog) {
  dialog.Reopen();
  Record("dialog: " + dialog.title());
  opened_.push_back(Snapshot(dialog));
  if (!players_.empty()) {
    Player player = std::move(players_.front());
    players_.pop_front();
    player(dialog);
  }
  if (!dialog.closed()) dialog.Close(0);
  closed_.push_back(Snapshot(dialog));
  Record("dialog closed: " + dialog.title() + " -> " + std::to_string(dialog.result()));
  return dialog.result();
}

std::unique_ptr<MeterView> ScriptedUi::ShowMeter(const std::string& caption,
                                                 const std::string& title) {
  Record("meter open: " + caption + " | " + title);
  return std::make_unique<RecordingMeter>(this);
}

bool ScriptedUi::Launch(LaunchKind kind, const std::string& target) {
  const char* what = kind == LaunchKind::kEditor    ? "editor"
                     : kind == LaunchKind::kBrowser ? "browser"
                                                    : "viewer";
  Record(std::string("launch: ") + what + " " + target);
  return true;
}

void ScriptedUi::SetClipboard(std::string_view text) {
  clipboard_ = text;
  Record("clipboard: " + std::string(text));
}

}  // namespace ardentix::ui
