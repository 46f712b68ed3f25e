// What the benchmarks share: a measurement run in a child process of its own
// (so its peak memory is its own), the best of several such runs, and the
// plain pass over an X12 file that loading and exporting are compared with.
#ifndef ARDENTIX_BENCH_BENCH_SUPPORT_H_
#define ARDENTIX_BENCH_BENCH_SUPPORT_H_

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "ui/headless.h"
#include "ui/ui.h"
#include "x12/loader.h"

namespace ardentix::bench {

using Clock = std::chrono::steady_clock;

// What one measured piece of work reports.
struct Work {
  double seconds = 0;       // when the work times itself (checks of its output left out)
  std::uint64_t items = 0;  // segments or rows; 0 means the work failed
  double step_seconds = 0;  // the timed step of the work, when it has one
  std::uint64_t output_bytes = 0;
};

struct Figures {
  double seconds = 0;       // the whole measured work
  double step_seconds = 0;  // the timed step of the work
  long peak_kb = 0;
  std::uint64_t items = 0;
  std::uint64_t output_bytes = 0;
  bool ok = false;
};

// Runs `work` in a child; the child reports through a pipe, the parent reads
// the child's peak memory from wait4. Work that counts no items fails.
inline Figures InChild(const std::function<Work()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    const auto start = Clock::now();
    const Work w = work();
    const double seconds =
        w.seconds > 0 ? w.seconds : std::chrono::duration<double>(Clock::now() - start).count();
    char line[160];
    const int n = std::snprintf(line, sizeof line, "%.9f %.9f %llu %llu\n", seconds, w.step_seconds,
                                static_cast<unsigned long long>(w.items),
                                static_cast<unsigned long long>(w.output_bytes));
    if (::write(fds[1], line, static_cast<std::size_t>(n)) != n) ::_exit(1);
    ::_exit(w.items > 0 ? 0 : 1);
  }
  ::close(fds[1]);
  Figures f;
  char line[160] = {};
  std::size_t got = 0;
  while (got < sizeof line - 1) {
    const ssize_t n = ::read(fds[0], line + got, sizeof line - 1 - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fds[0]);
  int status = 0;
  struct rusage usage {};
  if (::wait4(pid, &status, 0, &usage) != pid) return {};
  unsigned long long items = 0, bytes = 0;
  f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
         std::sscanf(line, "%lf %lf %llu %llu", &f.seconds, &f.step_seconds, &items, &bytes) == 4;
  f.items = items;
  f.output_bytes = bytes;
  f.peak_kb = usage.ru_maxrss;
  return f;
}

// The fastest of `repeat` runs, with the largest peak memory of them all;
// the first failed run ends the measurement.
inline Figures Best(int repeat, const std::function<Work()>& work) {
  Figures best;
  for (int i = 0; i < repeat; ++i) {
    const Figures f = InChild(work);
    if (!f.ok) return f;
    const long peak = std::max(best.peak_kb, f.peak_kb);
    if (!best.ok || f.seconds < best.seconds) best = f;
    best.peak_kb = peak;
  }
  return best;
}

// The baseline: read the file the way the loader does (one buffer), then
// walk its segments and elements without keeping anything. Returns the
// segments seen (0 when the file cannot be read).
inline std::uint64_t PlainPass(const char* path) {
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));
  const auto buffer = x12::ReadX12Bytes(path);
  if (!buffer || buffer->size() < 106) return 0;
  const char* p = buffer->data();
  const char* const end = p + buffer->size();
  const char element = p[3];
  const char terminator = p[105];
  std::uint64_t segments = 0, elements = 0;
  while (p < end) {
    const char* t = static_cast<const char*>(std::memchr(p, terminator, end - p));
    if (t == nullptr) t = end;
    ++segments;
    for (const char* q = p; q < t;) {
      const char* s = static_cast<const char*>(std::memchr(q, element, t - q));
      ++elements;
      if (s == nullptr) break;
      q = s + 1;
    }
    p = t + 1;
  }
  return segments + (elements == 0 ? 1 : 0);
}

}  // namespace ardentix::bench

#endif  // ARDENTIX_BENCH_BENCH_SUPPORT_H_
