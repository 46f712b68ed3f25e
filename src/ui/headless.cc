#include "ui/headless.h"

namespace ardentix::ui {

namespace {

class SilentMeter : public MeterView {
 public:
  void SetPercent(int) override {}
  void SetCaption(const std::string&) override {}
  void SetStatus(const std::string&) override {}
};

std::string Titled(std::string_view title, std::string_view text) {
  std::string line;
  if (!title.empty()) line.append(title).append(": ");
  line.append(text);
  return line;
}

}  // namespace

void HeadlessUi::Say(const std::string& line) {
  if (err_ != nullptr) {
    std::fwrite(line.data(), 1, line.size(), err_);
    std::fputc('\n', err_);
    std::fflush(err_);
  }
  Log(line);
}

void HeadlessUi::Message(std::string_view text, std::string_view title, MessageIcon) {
  Say(Titled(title, text));
}

bool HeadlessUi::AskYesNo(std::string_view question, std::string_view title, bool default_yes) {
  Say(Titled(title, question) + " -> " + (default_yes ? "Yes" : "No") +
      " (default answer, no user)");
  return default_yes;
}

void HeadlessUi::Notice(std::string_view text, std::string_view title) { Say(Titled(title, text)); }

std::optional<std::string> HeadlessUi::ChooseFile(const FileChooserSpec& spec) {
  Say(Titled(spec.title, "no file chosen in an unattended run"));
  return std::nullopt;
}

std::optional<std::string> HeadlessUi::ChooseFolder(std::string_view title, std::string_view) {
  Say(Titled(title, "no folder chosen in an unattended run"));
  return std::nullopt;
}

int HeadlessUi::RunModal(Dialog& dialog) {
  Say(Titled(dialog.title(), "dialog not shown in an unattended run"));
  dialog.Close(0);
  return 0;
}

std::unique_ptr<MeterView> HeadlessUi::ShowMeter(const std::string&, const std::string&) {
  return std::make_unique<SilentMeter>();
}

bool HeadlessUi::Launch(LaunchKind, const std::string& target) {
  Say("Not started in an unattended run: " + target);
  return false;
}

}  // namespace ardentix::ui
