#include "ui/terminal.h"

#include <unistd.h>

#include <string>

#include "common/text.h"

namespace ardentix::ui {

namespace {

class TerminalMeter : public MeterView {
 public:
  TerminalMeter(std::FILE* err, std::string caption)
      : err_(err), draw_(err != nullptr && isatty(fileno(err))), caption_(std::move(caption)) {
    Draw();
  }
  ~TerminalMeter() override {
    if (draw_) {
      std::fputs("\r\033[K", err_);
      std::fflush(err_);
    }
  }
  void SetPercent(int percent) override {
    percent_ = percent;
    Draw();
  }
  void SetCaption(const std::string& caption) override {
    caption_ = caption;
    Draw();
  }
  void SetStatus(const std::string& status) override {
    status_ = status;
    Draw();
  }

 private:
  void Draw() {
    if (!draw_) return;
    constexpr int kWidth = 30;
    const int filled = percent_ * kWidth / 100;
    std::string line = "\r\033[K" + caption_.substr(0, 40) + " [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kWidth - filled), ' ');
    line.append("] ").append(std::to_string(percent_)).append("% Complete");
    if (!status_.empty()) line.append(" ").append(status_.substr(0, 30));
    std::fputs(line.c_str(), err_);
    std::fflush(err_);
  }

  std::FILE* err_;
  bool draw_;
  std::string caption_;
  std::string status_;
  int percent_ = 0;
};

}  // namespace

bool TerminalUi::Available() { return isatty(STDIN_FILENO) && isatty(STDERR_FILENO); }

bool TerminalUi::AskYesNo(std::string_view question, std::string_view title, bool default_yes) {
  std::string prompt;
  if (!title.empty()) prompt.append(title).append(": ");
  prompt.append(question).append(default_yes ? " [Y/n] " : " [y/N] ");
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::fputs(prompt.c_str(), err_);
    std::fflush(err_);
    char buf[256];
    if (std::fgets(buf, sizeof buf, in_) == nullptr) {
      std::fputc('\n', err_);
      break;  // end of input: the default answer
    }
    const std::string answer = ToUpper(TrimWhitespace(buf));
    if (answer.empty()) break;
    if (answer == "Y" || answer == "YES") {
      Log(prompt + "Yes");
      return true;
    }
    if (answer == "N" || answer == "NO") {
      Log(prompt + "No");
      return false;
    }
  }
  Log(prompt + (default_yes ? "Yes" : "No"));
  return default_yes;
}

std::unique_ptr<MeterView> TerminalUi::ShowMeter(const std::string& caption, const std::string&) {
  return std::make_unique<TerminalMeter>(err_, caption);
}

}  // namespace ardentix::ui
