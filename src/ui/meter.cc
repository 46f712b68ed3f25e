#include "ui/meter.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/ui.h"

namespace ardentix::ui {

namespace {

struct OpenMeter {
  MeterHandle handle;
  std::unique_ptr<MeterView> view;
};

struct MeterState {
  bool off = false;
  MeterHandle next = 1;
  std::vector<OpenMeter> stack;
};

MeterState& State() {
  static MeterState state;
  return state;
}

}  // namespace

void SetMetersOff(bool off) { State().off = off; }
bool MetersOff() { return State().off; }

MeterHandle MeterOpen(const std::string& caption, const std::string& title) {
  MeterState& s = State();
  if (s.off) return 0;
  const MeterHandle handle = s.next++;
  s.stack.push_back(OpenMeter{handle, CurrentUi().ShowMeter(caption, title)});
  return handle;
}

void MeterClose(MeterHandle handle) {
  MeterState& s = State();
  if (handle == 0) return;
  auto it = std::find_if(s.stack.begin(), s.stack.end(),
                         [handle](const OpenMeter& m) { return m.handle == handle; });
  if (it != s.stack.end()) s.stack.erase(it);  // the view's destructor hides it
}

void MeterSetPercent(int percent) {
  MeterState& s = State();
  if (s.off || s.stack.empty() || !s.stack.back().view) return;
  s.stack.back().view->SetPercent(std::clamp(percent, 0, 100));
}

void MeterSetStatus(const std::string& text) {
  MeterState& s = State();
  if (s.off || s.stack.empty() || !s.stack.back().view) return;
  s.stack.back().view->SetStatus(text);
}

int MetersOpen() { return static_cast<int>(State().stack.size()); }

void ScopedMeter::Update(unsigned long long done, unsigned long long total) {
  const int percent = total == 0 ? 100 : static_cast<int>(std::min(done, total) * 100 / total);
  Percent(percent);
}

void ScopedMeter::Percent(int percent) {
  if (percent == last_) return;
  last_ = percent;
  MeterSetPercent(percent);
}

}  // namespace ardentix::ui
