// The terminal backend: an unattended run with a terminal on stdin and
// stderr. Questions are asked on the terminal with the default shown (Enter
// takes it); the progress bar is drawn on stderr when it is a terminal.
// Everything else behaves as headless.
#ifndef ARDENTIX_UI_TERMINAL_H_
#define ARDENTIX_UI_TERMINAL_H_

#include <cstdio>

#include "ui/headless.h"

namespace ardentix::ui {

class TerminalUi : public HeadlessUi {
 public:
  TerminalUi(std::FILE* in = stdin, std::FILE* err = stderr)
      : HeadlessUi(err), in_(in), err_(err) {}

  BackendKind kind() const override { return BackendKind::kTerminal; }
  bool AskYesNo(std::string_view question, std::string_view title, bool default_yes) override;
  std::unique_ptr<MeterView> ShowMeter(const std::string& caption,
                                       const std::string& title) override;

  // True when stdin and stderr are both terminals.
  static bool Available();

 private:
  std::FILE* in_;
  std::FILE* err_;
};

}  // namespace ardentix::ui

#endif  // ARDENTIX_UI_TERMINAL_H_
