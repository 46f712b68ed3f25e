#include "shell/error_trap.h"

#include <cxxabi.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <typeinfo>

#include "common/number.h"
#include "shell/startup.h"
#include "ui/ui.h"

namespace ardentix::shell {

namespace {

// ---------------------------------------------------------------------------
// Everything the signal path needs is formatted here at install time into
// fixed buffers, so that the handler itself only reads memory, formats
// integers and calls write(2).

constexpr int kMaxFrames = 73;  // call level 1 (the trap) plus levels 2 to 73

struct Facts {
  char head[256] = {};
  char program[4200] = {};  // path and size lines
  char system[1400] = {};   // the system section
  struct timespec start = {};
  long utc_offset = 0;  // seconds east of UTC at install time
};
Facts g_facts;
std::atomic<bool> g_installed{false};
std::atomic<bool> g_in_trap{false};
alignas(16) char g_alt_stack[256 * 1024];

// Appends C text to a fixed buffer, cutting at its end.
template <std::size_t N>
void Append(char (&buffer)[N], const char* text) {
  std::size_t used = std::strlen(buffer);
  while (*text != '\0' && used + 1 < N) buffer[used++] = *text++;
  buffer[used] = '\0';
}

// Decimal digits of `value` into `out` (at least `width` digits, zeros in
// front); returns the length. `out` holds at least 21 characters.
std::size_t FormatUnsigned(std::uint64_t value, char* out, int width = 1) {
  char digits[21];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n < width && n < 20) digits[n++] = '0';
  for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return static_cast<std::size_t>(n);
}

// Writes to a file descriptor through a small buffer, or collects into a
// string (tests and the dialog; never used in a signal handler).
class Out {
 public:
  explicit Out(int fd) : fd_(fd) {}
  explicit Out(std::string* sink) : sink_(sink) {}
  ~Out() { Flush(); }
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;

  void Put(const char* data, std::size_t size) {
    while (size > 0) {
      if (used_ == sizeof buffer_) Flush();
      std::size_t take = sizeof buffer_ - used_;
      if (take > size) take = size;
      std::memcpy(buffer_ + used_, data, take);
      used_ += take;
      data += take;
      size -= take;
    }
  }
  void Put(const char* text) { Put(text, std::strlen(text)); }
  void Put(std::string_view text) { Put(text.data(), text.size()); }
  void Number(std::uint64_t value, int width = 1) {
    char digits[21];
    Put(digits, FormatUnsigned(value, digits, width));
  }
  // Hours, minutes and seconds of a count of seconds: "hh:mm:ss".
  void Clock(std::uint64_t seconds) {
    Number(seconds / 3600, 2);
    Put(":");
    Number(seconds / 60 % 60, 2);
    Put(":");
    Number(seconds % 60, 2);
  }
  void Line(const char* text) {
    Put(text);
    Put("\r\n", 2);
  }
  void Flush() {
    if (used_ == 0) return;
    if (sink_ != nullptr) {
      sink_->append(buffer_, used_);
    } else if (fd_ >= 0) {
      std::size_t done = 0;
      while (done < used_) {
        ssize_t n = ::write(fd_, buffer_ + done, used_ - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
    }
    used_ = 0;
  }

 private:
  int fd_ = -1;
  std::string* sink_ = nullptr;
  char buffer_[2048];
  std::size_t used_ = 0;
};

// Civil date of a day count since 1970-01-01.
void CivilFromDays(long long z, int& year, unsigned& month, unsigned& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

// The head and program sections. Async-signal-safe.
void WriteHeadAndProgram(Out& out, const char* error_line, std::size_t error_length) {
  out.Put(g_facts.head);
  out.Put(g_facts.program);

  struct timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  long long elapsed = static_cast<long long>(now.tv_sec - g_facts.start.tv_sec);
  if (elapsed < 0) elapsed = 0;
  out.Put("   Time from start: ");
  out.Clock(static_cast<std::uint64_t>(elapsed));
  out.Put("\r\n");

  struct timespec wall = {};
  clock_gettime(CLOCK_REALTIME, &wall);
  const long long local = static_cast<long long>(wall.tv_sec) + g_facts.utc_offset;
  long long days = local / 86400;
  long long seconds = local % 86400;
  if (seconds < 0) {
    seconds += 86400;
    --days;
  }
  int year = 1970;
  unsigned month = 1;
  unsigned day = 1;
  CivilFromDays(days, year, month, day);
  out.Put("   Error occurred at: ");
  out.Number(month, 2);
  out.Put("/");
  out.Number(day, 2);
  out.Put("/");
  out.Number(static_cast<std::uint64_t>(year % 100), 2);
  out.Put(", ");
  out.Clock(static_cast<std::uint64_t>(seconds));
  out.Put("\r\n");

  out.Put("   Error description: ");
  out.Put(error_line, error_length);
  out.Put("\r\n");
}

void WriteStackHead(Out& out) {
  out.Put("\r\n");
  out.Line("Stack Calls");
  out.Line("===========");
}

// Reads the value in kB after `key` in /proc/self/status text; 0 when absent.
std::uint64_t StatusKilobytes(const char* text, std::size_t size, const char* key) {
  const std::size_t key_length = std::strlen(key);
  for (std::size_t i = 0; i + key_length <= size; ++i) {
    if ((i == 0 || text[i - 1] == '\n') && std::memcmp(text + i, key, key_length) == 0) {
      std::size_t j = i + key_length;
      while (j < size && (text[j] == ' ' || text[j] == '\t')) ++j;
      std::uint64_t value = 0;
      while (j < size && text[j] >= '0' && text[j] <= '9') value = value * 10 + (text[j++] - '0');
      return value;
    }
  }
  return 0;
}

// The system and memory sections. Async-signal-safe.
void WriteSystemAndMemory(Out& out) {
  out.Put(g_facts.system);

  char status[4096];
  std::size_t size = 0;
  int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ssize_t n;
    while (size < sizeof status && (n = ::read(fd, status + size, sizeof status - size)) > 0) {
      size += static_cast<std::size_t>(n);
    }
    ::close(fd);
  }
  out.Put("\r\n");
  out.Line("Memory Analysis");
  out.Line("===============");
  out.Line("   Dynamic memory consume:");
  out.Put("      Actual  Value: ");
  out.Number(StatusKilobytes(status, size, "VmRSS:") * 1024);
  out.Line(" bytes");
  out.Put("      Highest Value: ");
  out.Number(StatusKilobytes(status, size, "VmHWM:") * 1024);
  out.Line(" bytes");
}

// One "Called from" line from a backtrace_symbols line of the form
// "module(symbol+offset) [address]". With `demangle` the symbol is demangled
// (not in a signal handler: that allocates).
void WriteCalledFrom(Out& out, const char* line, std::size_t length, bool demangle) {
  const char* end = line + length;
  const char* open = nullptr;
  const char* close = nullptr;
  for (const char* p = end; p > line; --p) {
    if (close == nullptr && p[-1] == ')') {
      close = p - 1;
    } else if (close != nullptr && p[-1] == '(') {
      open = p - 1;
      break;
    }
  }
  out.Put("   Called from ");
  if (open == nullptr || close == nullptr) {
    out.Put(line, length);
    out.Put("\r\n");
    return;
  }
  // The module's file name without its folder.
  const char* module = line;
  for (const char* p = line; p < open; ++p) {
    if (*p == '/') module = p + 1;
  }
  const char* symbol = open + 1;
  const char* plus = symbol;
  while (plus < close && *plus != '+') ++plus;
  bool done = false;
  if (demangle && symbol < plus) {
    std::string mangled(symbol, plus);
    int status = 0;
    char* readable = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
    if (status == 0 && readable != nullptr) {
      out.Put(readable);
      out.Put(plus, static_cast<std::size_t>(close - plus));
      done = true;
    }
    std::free(readable);
  }
  // Without a symbol the offset into the module stands in for the name.
  if (!done) out.Put(symbol, static_cast<std::size_t>(close - symbol));
  out.Put("(");
  out.Put(module, static_cast<std::size_t>(open - module));
  out.Put(")\r\n");
}

// The stack lines of the signal path: backtrace_symbols_fd into a pipe, read
// back and reformatted line by line. Async-signal-safe once backtrace() has
// been called before (done at install).
void WriteSignalStack(Out& out, void* const* frames, int count) {
  int fds[2];
  if (count <= 0) return;
  if (::pipe(fds) != 0) {
    for (int i = 0; i < count; ++i) {
      char hex[2 + 16];
      auto value = reinterpret_cast<std::uintptr_t>(frames[i]);
      int n = 0;
      hex[n++] = '0';
      hex[n++] = 'x';
      for (int shift = 60; shift >= 0; shift -= 4) {
        hex[n++] = "0123456789abcdef"[(value >> shift) & 0xF];
      }
      out.Put("   Called from [");
      out.Put(hex, static_cast<std::size_t>(n));
      out.Put("]\r\n");
    }
    return;
  }
  backtrace_symbols_fd(frames, count, fds[1]);
  ::close(fds[1]);
  static char text[64 * 1024];
  std::size_t size = 0;
  ssize_t n;
  while (size < sizeof text && (n = ::read(fds[0], text + size, sizeof text - size)) > 0) {
    size += static_cast<std::size_t>(n);
  }
  ::close(fds[0]);
  std::size_t start = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || text[i] == '\n') {
      if (i > start) WriteCalledFrom(out, text + start, i - start, false);
      start = i + 1;
    }
  }
}

// The "Called from" lines of the current stack, for the non-signal path.
__attribute__((noinline)) std::vector<std::string> StackLines(int skip) {
  void* frames[kMaxFrames + 8];
  int count = backtrace(frames, kMaxFrames + skip);
  std::vector<std::string> lines;
  if (count <= skip) return lines;
  char** symbols = backtrace_symbols(frames + skip, count - skip);
  if (symbols == nullptr) return lines;
  for (int i = 0; i < count - skip && static_cast<int>(lines.size()) < kMaxFrames - 1; ++i) {
    std::string line;
    {
      Out out(&line);
      WriteCalledFrom(out, symbols[i], std::strlen(symbols[i]), true);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    lines.push_back(std::move(line));
  }
  std::free(symbols);
  return lines;
}

void WriteStackLines(Out& out, const std::vector<std::string>& lines) {
  for (const auto& line : lines) {
    out.Put(line);
    out.Put("\r\n");
  }
}

// The whole report of an error that is not a signal.
void WriteReport(Out& out, const std::string& error_line, const std::vector<std::string>& stack) {
  WriteHeadAndProgram(out, error_line.data(), error_line.size());
  WriteStackHead(out);
  WriteStackLines(out, stack);
  WriteSystemAndMemory(out);
}

void WriteStderr(const char* text, std::size_t length) {
  while (length > 0) {
    ssize_t n = ::write(STDERR_FILENO, text, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text += n;
    length -= static_cast<std::size_t>(n);
  }
}

int OpenErrorLog() {
  return ::open(kErrorLogName.data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

// ---------------------------------------------------------------------------
// Install-time facts.

void PrepareFacts() {
  Facts& f = g_facts;
  const struct timespec start = f.start;
  f = Facts{};
  // The time from start counts from the first installation.
  f.start = start;
  if (f.start.tv_sec == 0 && f.start.tv_nsec == 0) clock_gettime(CLOCK_MONOTONIC, &f.start);
  time_t now = time(nullptr);
  struct tm local = {};
  if (localtime_r(&now, &local) != nullptr) f.utc_offset = local.tm_gmtoff;

  std::string head;
  head += "Qorvane Software Error Handler\r\n";
  head += "===========\r\n";
  head += "Model : " + std::string(kModelCode) + "\r\n";
  head += "Version : " + std::string(kVersionText) + "\r\n";
  head += "Subversion :" + std::string(kVersionText) + "\r\n";
  head += "===========\r\n";
  Append(f.head, head.c_str());

  std::string program;
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  program += "   Path and name: " + (ec ? std::string("?") : exe.string()) + " (" +
             std::to_string(sizeof(void*) * 8) + " bits)\r\n";
  std::uintmax_t size = ec ? 0 : std::filesystem::file_size(exe, ec);
  if (ec) size = 0;
  program += "   Size: " + FormatThousands(static_cast<std::int64_t>(size)) + " bytes\r\n";
  Append(f.program, program.c_str());

  std::string system = "\r\nSystem\r\n======\r\n";
  std::string cpu_name;
  std::string cpu_mhz;
  {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line) && (cpu_name.empty() || cpu_mhz.empty())) {
      auto value = [&line]() {
        std::size_t colon = line.find(':');
        std::size_t from = line.find_first_not_of(' ', colon == std::string::npos ? 0 : colon + 1);
        return from == std::string::npos ? std::string() : line.substr(from);
      };
      if (cpu_name.empty() && line.rfind("model name", 0) == 0) cpu_name = value();
      if (cpu_mhz.empty() && line.rfind("cpu MHz", 0) == 0) {
        cpu_mhz = value();
        cpu_mhz = cpu_mhz.substr(0, cpu_mhz.find('.'));
      }
    }
  }
  if (!cpu_name.empty()) {
    system += "   CPU type: " + cpu_name;
    if (!cpu_mhz.empty()) system += " " + cpu_mhz + " Mhz";
    system += "\r\n";
  }
  struct sysinfo info = {};
  if (sysinfo(&info) == 0) {
    const unsigned long long bytes =
        static_cast<unsigned long long>(info.totalram) * (info.mem_unit ? info.mem_unit : 1);
    system += "   Hardware memory: " + std::to_string(bytes / (1024 * 1024) + 1) + " megs\r\n";
  }
  system += "\r\n";
#if defined(__VERSION__)
#if defined(__clang__)
  system += "   Compiler version: clang " __VERSION__ "\r\n";
#else
  system += "   Compiler version: GCC " __VERSION__ "\r\n";
#endif
#endif
  struct utsname names = {};
  if (uname(&names) == 0) {
    system += std::string("   System version: ") + names.sysname + " " + names.release +
              ", Build " + names.version + " " + names.machine + "\r\n";
  }
  Append(f.system, system.c_str());
}

// ---------------------------------------------------------------------------
// The handlers.

struct SignalName {
  int number;
  const char* name;
  const char* description;
};
constexpr SignalName kSignals[] = {
    {SIGSEGV, "SIGSEGV", "Segmentation fault"}, {SIGBUS, "SIGBUS", "Bus error"},
    {SIGFPE, "SIGFPE", "Arithmetic exception"}, {SIGABRT, "SIGABRT", "Aborted"},
    {SIGILL, "SIGILL", "Illegal instruction"},
};

void SignalHandler(int number, siginfo_t*, void*) {
  if (g_in_trap.exchange(true)) _exit(1);
  void* frames[kMaxFrames];
  const int count = backtrace(frames, kMaxFrames);

  const SignalName* signal = nullptr;
  for (const auto& s : kSignals) {
    if (s.number == number) signal = &s;
  }
  // The error line: "Error SIGNAL/SIGSEGV  Segmentation fault".
  char line[128] = "Error SIGNAL/";
  Append(line, signal != nullptr ? signal->name : "???");
  if (signal != nullptr) {
    Append(line, "  ");
    Append(line, signal->description);
  }
  const std::size_t length = std::strlen(line);

  int fd = OpenErrorLog();
  if (fd >= 0) {
    Out out(fd);
    WriteHeadAndProgram(out, line, length);
    WriteStackHead(out);
    // Level 1 is this handler.
    WriteSignalStack(out, frames + 1, count - 1);
    WriteSystemAndMemory(out);
    out.Flush();
    ::close(fd);
  }
  WriteStderr(line, length);
  WriteStderr("\n", 1);
  _exit(1);
}

[[noreturn]] __attribute__((noinline)) void RunTrap(const ErrorInfo& info, int skip) {
  const std::vector<std::string> stack = StackLines(skip);
  const std::string line = ErrorText(info);
  int fd = OpenErrorLog();
  if (fd >= 0) {
    {
      Out out(fd);
      WriteReport(out, line, stack);
    }
    ::close(fd);
  }
  WriteStderr(line.data(), line.size());
  WriteStderr("\n", 1);
  ui::Ui& ui = ui::CurrentUi();
  if (!ui.unattended()) {
    auto dialog = BuildErrorDialog(line, stack);
    ui.RunModal(*dialog);
  }
  std::fflush(nullptr);
  _exit(1);
}

[[noreturn]] __attribute__((noinline)) void TerminateHandler() {
  if (g_in_trap.exchange(true)) _exit(1);
  ErrorInfo info;
  if (std::exception_ptr error = std::current_exception()) {
    info = DescribeException(error);
  } else {
    info.subsystem = "C++";
    info.subsystem_code = "std::terminate";
    info.description = "terminate called without an active exception";
  }
  // Level 1 is the trap: StackLines, RunTrap and this handler.
  RunTrap(info, 3);
}

std::string Demangled(const char* name) {
  int status = 0;
  char* readable = abi::__cxa_demangle(name, nullptr, nullptr, &status);
  std::string out = (status == 0 && readable != nullptr) ? readable : name;
  std::free(readable);
  return out;
}

}  // namespace

std::string ErrorText(const ErrorInfo& info) {
  std::string text;
  if (info.os_code != 0) {
    text = "(DOS Error " + std::to_string(info.os_code) + ") ";
  } else {
    text = info.severity > 1 ? "Error " : "Warning ";
  }
  text += info.subsystem.empty() ? "???" : info.subsystem;
  text += "/" + (info.subsystem_code.empty() ? std::string("???") : info.subsystem_code);
  if (!info.description.empty()) text += "  " + info.description;
  if (!info.file.empty()) {
    text += ": " + info.file;
  } else if (!info.operation.empty()) {
    text += ": " + info.operation;
  }
  return text;
}

ErrorInfo DescribeException(std::exception_ptr error) {
  ErrorInfo info;
  info.subsystem = "C++";
  if (!error) {
    info.subsystem_code = "std::terminate";
    info.description = "no exception";
    return info;
  }
  try {
    std::rethrow_exception(error);
  } catch (const std::filesystem::filesystem_error& e) {
    info.subsystem_code = Demangled(typeid(e).name());
    info.os_code = e.code().value();
    info.description = e.what();
    info.file = e.path1().string();
  } catch (const std::system_error& e) {
    info.subsystem_code = Demangled(typeid(e).name());
    info.os_code = e.code().value();
    info.description = e.what();
  } catch (const std::exception& e) {
    info.subsystem_code = Demangled(typeid(e).name());
    info.description = e.what();
  } catch (...) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    info.subsystem_code = type != nullptr ? Demangled(type->name()) : "???";
    info.description = "exception of a type that is not std::exception";
  }
  return info;
}

void InstallErrorTrap() {
  PrepareFacts();
  // The first backtrace() loads the unwinder; after this one the signal
  // handler's call allocates nothing.
  void* warm[2];
  backtrace(warm, 2);

  std::set_terminate(TerminateHandler);

  stack_t alt = {};
  alt.ss_sp = g_alt_stack;
  alt.ss_size = sizeof g_alt_stack;
  alt.ss_flags = 0;
  sigaltstack(&alt, nullptr);

  struct sigaction action = {};
  action.sa_sigaction = SignalHandler;
  sigemptyset(&action.sa_mask);
  // SA_NODEFER: a fault inside the handler re-enters it and ends the process
  // at once instead of being blocked.
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
  for (const auto& s : kSignals) sigaction(s.number, &action, nullptr);
  g_installed = true;
}

void FatalError(const ErrorInfo& info) {
  if (g_in_trap.exchange(true)) _exit(1);
  if (!g_installed) PrepareFacts();
  RunTrap(info, 3);
}

std::string ErrorReportText(const ErrorInfo& info, const std::vector<std::string>& stack_lines) {
  if (!g_installed) PrepareFacts();
  std::string text;
  {
    Out out(&text);
    WriteReport(out, ErrorText(info), stack_lines);
  }
  return text;
}

std::unique_ptr<ui::Dialog> BuildErrorDialog(const std::string& error_line,
                                             const std::vector<std::string>& stack_lines) {
  auto dialog = std::make_unique<ui::Dialog>(std::string(kErrorDialogTitle), 400, 300);
  dialog->AddLabel("error", error_line, ui::Cells(0.5, 1, 1, 42));
  dialog->AddLabel("stack_label", "&Stack List", ui::Cells(1.75, 1, 1, 20));
  std::vector<std::string> calls;
  for (const auto& line : stack_lines) {
    std::string_view text(line);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    calls.emplace_back(text);
  }
  dialog->AddList("stack", std::move(calls), ui::Cells(2.75, 1, 7, 42));
  ui::Control& exit = dialog->AddButton("exit", "Exit Program", ui::Cells(10.25, 1, 1.5, 16));
  exit.is_default = true;
  exit.is_cancel = true;
  dialog->AddButton("see_log", "See Error.log file", ui::Cells(10.25, 19, 1.5, 22));
  dialog->AddLabel("status", "Additional Information:", ui::Cells(12.25, 1, 1, 42));
  dialog->Add(ui::ControlKind::kMultiEdit, "info", ui::Cells(13.25, 1, 4, 42));

  dialog->OnClick("exit", [](ui::Dialog& d, const ui::Event&) { d.Close(0); });
  dialog->OnClick("see_log", [](ui::Dialog&, const ui::Event&) {
    std::error_code ec;
    std::filesystem::path log = std::filesystem::absolute(std::string(kErrorLogName), ec);
    ui::CurrentUi().Launch(ui::LaunchKind::kEditor, ec ? std::string(kErrorLogName) : log.string());
  });
  return dialog;
}

}  // namespace ardentix::shell
