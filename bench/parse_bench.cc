// Parse benchmark: the program's unattended CSV run (type CSV, options
// HO,OW) over a folder of X12 files or over one file, against a plain read
// of the same bytes.
//
//   parse_bench SOURCE [--repeat N] [--type CSV] [--program PATH]
//
// PATH defaults to the program of this build.
// Each run starts the program in a fresh working folder with no terminal and
// no display, as a scheduled job would, and writes the outputs into a fresh
// destination folder. Times are the best of N runs; the peak memory is the
// largest resident set of the program. The plain read reads every source
// file into one buffer and touches every byte.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Run {
  double seconds = 0;
  long peak_kb = 0;
  int status = -1;
};

Run RunProgram(const std::string& program, const std::vector<std::string>& args,
               const fs::path& folder) {
  Run run;
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    ::unsetenv("DISPLAY");
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peak_kb = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return run;
}

// Reads every file into one buffer and sums its bytes, so nothing is
// optimised away.
double PlainRead(const std::vector<fs::path>& files, std::uint64_t* checksum) {
  const auto start = Clock::now();
  std::string buffer;
  std::uint64_t sum = 0;
  for (const fs::path& file : files) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0) continue;
    struct stat st {};
    ::fstat(fd, &st);
    buffer.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < buffer.size()) {
      const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    for (char c : buffer) sum += static_cast<unsigned char>(c);
  }
  *checksum = sum;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: parse_bench SOURCE [--repeat N] [--type CSV] [--program PATH]\n");
    return 2;
  }
  const fs::path source = fs::absolute(argv[1]);
  std::string program = ARDENTIX_PROGRAM;
  int repeat = 3;
  std::string type = "CSV";
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) repeat = std::atoi(argv[++i]);
    if (std::strcmp(argv[i], "--type") == 0 && i + 1 < argc) type = argv[++i];
    if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc) program = argv[++i];
  }
  program = fs::absolute(program).string();
  std::vector<fs::path> files;
  if (fs::is_directory(source)) {
    for (const auto& e : fs::directory_iterator(source)) {
      if (e.is_regular_file()) files.push_back(e.path());
    }
  } else {
    files.push_back(source);
  }
  std::uint64_t bytes = 0;
  for (const fs::path& f : files) bytes += fs::file_size(f);
  const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);

  char pattern[] = "/tmp/parse_bench.XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path scratch = pattern;
  Run best;
  best.seconds = 1e300;
  long peak = 0;
  for (int r = 0; r < std::max(repeat, 1); ++r) {
    const fs::path work = scratch / ("run" + std::to_string(r));
    fs::create_directories(work / "out");
    const Run run =
        RunProgram(program, {type, source.string(), (work / "out").string(), "HO,OW"}, work);
    if (run.status != 0) {
      std::fprintf(stderr, "parse_bench: the program ended with status %d; see %s/parse.log\n",
                   run.status, work.c_str());
      return 1;
    }
    peak = std::max(peak, run.peak_kb);
    if (run.seconds < best.seconds) best = run;
    fs::remove_all(work);
  }
  double plain = 1e300;
  std::uint64_t checksum = 0;
  for (int r = 0; r < std::max(repeat, 1); ++r)
    plain = std::min(plain, PlainRead(files, &checksum));
  fs::remove_all(scratch);

  std::printf("parse %s %s: %zu file(s), %.1f MB\n", type.c_str(),
              files.size() > 1 ? "folder" : "file", files.size(), mb);
  std::printf("  program run  %8.3f s  %8.1f files/s  %8.1f MB/s  peak %ld MB\n", best.seconds,
              static_cast<double>(files.size()) / best.seconds, mb / best.seconds, peak / 1024);
  std::printf("  plain read   %8.3f s  %8.1f MB/s  (checksum %llu)\n", plain, mb / plain,
              static_cast<unsigned long long>(checksum % 1000));
  std::printf("  ratio program / plain read: %.1f\n", best.seconds / plain);
  return 0;
}
