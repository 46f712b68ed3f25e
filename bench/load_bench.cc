// Load benchmark: the X12 loader against a plain pass over the same file.
//
//   load_bench FILE [--repeat N] [--profile]
//
// --profile runs the load once in this process (for perf) and prints nothing.
// Each measurement runs in a child process of its own, so its peak memory
// (maximum resident set) is its own. The plain pass reads the file into one
// buffer and splits it into segments and elements without keeping anything;
// the load reads, detects the delimiters, counts, loads, numbers the claim
// units and builds the claim index. Times are the best of N runs.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "ui/headless.h"
#include "ui/ui.h"
#include "x12/loader.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double seconds = 0;
  long peak_kb = 0;
  std::uint64_t items = 0;  // segments seen
  bool ok = false;
};

// Runs `work` in a child; the child reports its time and item count through
// a pipe, the parent reads the child's peak memory from wait4.
Figures InChild(const std::function<std::uint64_t()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    const auto start = Clock::now();
    const std::uint64_t items = work();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    char line[128];
    const int n = std::snprintf(line, sizeof line, "%.9f %llu\n", seconds,
                                static_cast<unsigned long long>(items));
    if (::write(fds[1], line, static_cast<std::size_t>(n)) != n) ::_exit(1);
    ::_exit(0);
  }
  ::close(fds[1]);
  Figures f;
  char line[128] = {};
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
  unsigned long long items = 0;
  f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
         std::sscanf(line, "%lf %llu", &f.seconds, &items) == 2;
  f.items = items;
  f.peak_kb = usage.ru_maxrss;
  return f;
}

// The baseline: read the file the way the loader does (one buffer), then
// walk its segments and elements without keeping anything.
std::uint64_t PlainPass(const char* path) {
  ardentix::ui::ScopedUi quiet(std::make_unique<ardentix::ui::HeadlessUi>(nullptr));
  const auto buffer = ardentix::x12::ReadX12Bytes(path);
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

std::uint64_t Load(const char* path) {
  ardentix::ui::ScopedUi quiet(std::make_unique<ardentix::ui::HeadlessUi>(nullptr));
  const ardentix::x12::X12File f = ardentix::x12::LoadX12File(path, false);
  return f.status.ok ? f.list.size() : 0;
}

Figures Best(int repeat, const std::function<std::uint64_t()>& work) {
  Figures best;
  for (int i = 0; i < repeat; ++i) {
    const Figures f = InChild(work);
    if (!f.ok) return f;
    if (!best.ok || f.seconds < best.seconds) {
      const long peak = std::max(best.peak_kb, f.peak_kb);
      best = f;
      best.peak_kb = peak;
    } else {
      best.peak_kb = std::max(best.peak_kb, f.peak_kb);
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: load_bench FILE [--repeat N] [--profile]\n");
    return 2;
  }
  const char* path = argv[1];
  int repeat = 3;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[i + 1]));
    } else if (std::strcmp(argv[i], "--profile") == 0) {
      return Load(path) > 0 ? 0 : 1;
    }
  }
  struct stat st {};
  if (::stat(path, &st) != 0 || st.st_size == 0) {
    std::fprintf(stderr, "load_bench: cannot read %s\n", path);
    return 1;
  }
  const double mb = static_cast<double>(st.st_size) / (1024.0 * 1024.0);
  // Warm the page cache so both passes read from memory.
  PlainPass(path);

  const Figures plain = Best(repeat, [path] { return PlainPass(path); });
  const Figures load = Best(repeat, [path] { return Load(path); });
  if (!plain.ok || !load.ok || load.items == 0) {
    std::fprintf(stderr, "load_bench: a measurement failed\n");
    return 1;
  }
  const double file_kb = static_cast<double>(st.st_size) / 1024.0;
  std::printf("file            %s (%.1f MB, %llu segments)\n", path, mb,
              static_cast<unsigned long long>(load.items));
  std::printf("plain pass      %8.1f MB/s  %7.1f ms  peak %7.1f MB (%.2fx file)\n",
              mb / plain.seconds, plain.seconds * 1000, plain.peak_kb / 1024.0,
              plain.peak_kb / file_kb);
  std::printf("load            %8.1f MB/s  %7.1f ms  peak %7.1f MB (%.2fx file)  %.1f ns/segment\n",
              mb / load.seconds, load.seconds * 1000, load.peak_kb / 1024.0, load.peak_kb / file_kb,
              load.seconds * 1e9 / static_cast<double>(load.items));
  std::printf("load / plain    %8.2fx time\n", load.seconds / plain.seconds);
  return 0;
}
