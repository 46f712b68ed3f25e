// The headless backend: unattended runs without a terminal, CI, cron.
// Messages go to stderr and the run's log; questions take their default
// answer, and the question and the answer are logged; choosers return
// nothing; no dialog is ever shown.
#ifndef ARDENTIX_UI_HEADLESS_H_
#define ARDENTIX_UI_HEADLESS_H_

#include <cstdio>
#include <string>

#include "ui/ui.h"

namespace ardentix::ui {

class HeadlessUi : public Ui {
 public:
  // `err` is where messages are written (stderr by default; tests may pass
  // another stream or nullptr for silence).
  explicit HeadlessUi(std::FILE* err = stderr) : err_(err) {}

  BackendKind kind() const override { return BackendKind::kHeadless; }
  void Message(std::string_view text, std::string_view title, MessageIcon icon) override;
  bool AskYesNo(std::string_view question, std::string_view title, bool default_yes) override;
  void Notice(std::string_view text, std::string_view title) override;
  std::optional<std::string> ChooseFile(const FileChooserSpec& spec) override;
  std::optional<std::string> ChooseFolder(std::string_view title, std::string_view start) override;
  int RunModal(Dialog& dialog) override;
  std::unique_ptr<MeterView> ShowMeter(const std::string& caption,
                                       const std::string& title) override;
  bool Launch(LaunchKind kind, const std::string& target) override;
  void SetClipboard(std::string_view text) override { clipboard_ = text; }
  std::string Clipboard() override { return clipboard_; }

 protected:
  // Writes one line to the error stream and the run's log.
  void Say(const std::string& line);

 private:
  std::FILE* err_;
  std::string clipboard_;
};

}  // namespace ardentix::ui

#endif  // ARDENTIX_UI_HEADLESS_H_
