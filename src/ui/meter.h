// The program-wide progress meter: open, close, set percentage and set
// status text. The "MO" option switches every meter off for the run.
//
// Only one bar shows at a time. Opening a meter while another is open
// stacks the new one on top; closing it shows the one below again, so an
// inner operation never breaks the meter of the outer one.
#ifndef ARDENTIX_UI_METER_H_
#define ARDENTIX_UI_METER_H_

#include <string>

namespace ardentix::ui {

// The handle "open" returns and "close" takes. 0 means no meter.
using MeterHandle = int;

void SetMetersOff(bool off);
bool MetersOff();

MeterHandle MeterOpen(const std::string& caption, const std::string& title);
void MeterClose(MeterHandle handle);
// 0..100; the value is clamped. Moves the bar of the topmost meter.
void MeterSetPercent(int percent);
void MeterSetStatus(const std::string& text);

// Number of meters open (for tests).
int MetersOpen();

// Opens a meter and closes it when the object goes out of scope, so a caller
// that returns early still closes what it opened. Set percentage only when the
// whole-number value changes through Update().
class ScopedMeter {
 public:
  ScopedMeter(const std::string& caption, const std::string& title)
      : handle_(MeterOpen(caption, title)) {}
  ~ScopedMeter() { MeterClose(handle_); }
  ScopedMeter(const ScopedMeter&) = delete;
  ScopedMeter& operator=(const ScopedMeter&) = delete;
  // Sends the percentage of done/total when its integer part changed.
  void Update(unsigned long long done, unsigned long long total);
  void Percent(int percent);

 private:
  MeterHandle handle_;
  int last_ = -1;
};

}  // namespace ardentix::ui

#endif  // ARDENTIX_UI_METER_H_
