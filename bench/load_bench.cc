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
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bench_support.h"
#include "ui/headless.h"
#include "ui/ui.h"
#include "x12/loader.h"

namespace {

using ardentix::bench::Best;
using ardentix::bench::Figures;
using ardentix::bench::PlainPass;
using ardentix::bench::Work;

std::uint64_t Load(const char* path) {
  ardentix::ui::ScopedUi quiet(std::make_unique<ardentix::ui::HeadlessUi>(nullptr));
  const ardentix::x12::X12File f = ardentix::x12::LoadX12File(path, false);
  return f.status.ok ? f.list.size() : 0;
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

  const Figures plain = Best(repeat, [path] { return Work{.items = PlainPass(path)}; });
  const Figures load = Best(repeat, [path] { return Work{.items = Load(path)}; });
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
