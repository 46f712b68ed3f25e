#include "parse/logs.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <system_error>

#include "common/files.h"
#include "common/ini.h"
#include "common/number.h"
#include "common/text.h"

namespace ardentix::logs {

namespace {

constexpr std::string_view kCrLf = "\r\n";

Clock& ClockSlot() {
  static Clock clock;
  return clock;
}

std::string Two(int v) {
  std::string s = FormatInteger(v);
  return s.size() < 2 ? "0" + s : s;
}

std::tm Local(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text.append(line).append(kCrLf);
  return text;
}

void RemoveQuietly(const fs::path& file) {
  std::error_code ec;
  fs::remove(file, ec);
}

std::string Title(std::string_view what) {
  return "Qorvane Software Model " + std::string(kModel) + " " + std::string(what);
}

std::string StartedLine(std::time_t t) { return "Started " + DateText(t) + "  " + TimeText(t); }
std::string EndedLine(std::time_t t) { return "Ended   " + DateText(t) + "  " + TimeText(t); }

std::string FolderLines(const std::string& current_folder) {
  return "Current Operating Directory:" + std::string(kCrLf) + "   " + current_folder +
         std::string(kCrLf) + std::string(kCrLf);
}

// The map-log section of the parse and export logs.
std::string MapSection(const fs::path& folder) {
  std::string map;
  if (ReadWholeFile(folder / kMapLog, map)) {
    return std::string(kCrLf) + "Map Log Data." + std::string(kCrLf) + map + std::string(kCrLf);
  }
  return std::string(kCrLf) + "No Map Log Available." + std::string(kCrLf);
}

}  // namespace

void SetClock(Clock clock) { ClockSlot() = std::move(clock); }

std::time_t Now() {
  const Clock& clock = ClockSlot();
  return clock ? clock() : std::time(nullptr);
}

std::string DateText(std::time_t t) {
  const std::tm tm = Local(t);
  if (ini::DateFormat() == "YYYY/MM/DD") {
    return FormatInteger(tm.tm_year + 1900) + "/" + Two(tm.tm_mon + 1) + "/" + Two(tm.tm_mday);
  }
  return Two(tm.tm_mon + 1) + "/" + Two(tm.tm_mday) + "/" + Two((tm.tm_year + 1900) % 100);
}

std::string TimeText(std::time_t t) {
  const std::tm tm = Local(t);
  return Two(tm.tm_hour) + ":" + Two(tm.tm_min) + ":" + Two(tm.tm_sec);
}

std::string Padded(long long n) { return FormatIntegerWidth(n, 10); }

std::string VersionLines() {
  std::string os = "Linux";
  struct utsname u {};
  if (uname(&u) == 0) os = std::string(u.sysname) + " " + u.release;
#if defined(__clang__)
  const std::string compiler = std::string("Clang ") + __clang_version__;
#elif defined(__GNUC__)
  const std::string compiler = std::string("GCC ") + __VERSION__;
#else
  const std::string compiler = "C++";
#endif
  std::string text;
  text.append("Parser Version Number : ").append(kVersion).append(kCrLf);
  text.append("   Sub Version Number : ").append(kVersion).append(kCrLf);
  text.append("     Operating System : ").append(os).append(kCrLf);
  text.append("     Compiler Version : ").append(compiler).append(kCrLf);
  text.append(kCrLf);
  return text;
}

void AppendTempLog(const fs::path& folder, const std::vector<std::string>& lines) {
  const std::string text = Lines(lines);
  if (TrimWhitespace(text).empty()) return;  // written only when the text is not blank
  const fs::path file = folder / kTempLog;
  if (!FileExists(file)) {
    AppendToFile(text, file, AppendMode::kCreate);
  } else {
    AppendToFile(text, file, AppendMode::kAppend);
  }
}

void ReplaceTempLog(const fs::path& folder, const std::vector<std::string>& lines) {
  AppendToFile(Lines(lines), folder / kTempLog, AppendMode::kCreate);
}

void ResetMapLog(const fs::path& folder, std::string_view kind) {
  AppendToFile("Maptype = " + std::string(kind) + std::string(kCrLf), folder / kMapLog,
               AppendMode::kCreate);
}

void AppendMapLog(const fs::path& folder, const std::vector<std::string>& lines) {
  AppendToFile(Lines(lines), folder / kMapLog, AppendMode::kAppend);  // nothing when missing
}

DebugTrace::DebugTrace(const fs::path& folder, bool header, int dispatch_mode,
                       std::string_view type)
    : folder_(folder) {
  if (header) {
    const std::time_t t = Now();
    text_.append("Qorvane Software Model Export Debug Log").append(kCrLf);
    text_.append("Started   " + DateText(t) + "  " + TimeText(t)).append(kCrLf);
    text_.append(kCrLf);
  }
  Line(" - XFunction=" + Padded(dispatch_mode));
  Line(" - XType=" + std::string(type));
}

void DebugTrace::Line(std::string_view line) { text_.append(line).append(kCrLf); }

std::string DebugTrace::Finish() {
  Line(EndedLine(Now()));
  Line("");
  if (text_.size() > 10) AppendToFile(text_, folder_ / kDebugLog, AppendMode::kCreate);
  return text_;
}

ParseLog::ParseLog(const fs::path& folder)
    : folder_(folder), start_(std::chrono::steady_clock::now()) {
  RemoveQuietly(folder_ / kTempLog);
  AppendToFile("", folder_ / kMapLog, AppendMode::kCreate);
  text_.append(Title("X12 Parser Log")).append(kCrLf);
  text_.append(StartedLine(Now())).append(kCrLf);
  text_.append(VersionLines());
}

void ParseLog::Step(std::string_view message) { Timed(message); }

void ParseLog::Timed(std::string_view text) {
  text_.append(TimeText(Now())).append(text).append(kCrLf);
}

void ParseLog::Raw(std::string_view line) { text_.append(line).append(kCrLf); }

double ParseLog::ElapsedSeconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::string ParseLog::FileName(bool multiple_logs) const {
  if (!multiple_logs) return std::string(kParseLog);
  const std::tm tm = Local(end_time_ != 0 ? end_time_ : Now());
  return "PARSE" + Two(tm.tm_mon + 1) + Two(tm.tm_mday) + Two((tm.tm_year + 1900) % 100) +
         Two(tm.tm_hour) + Two(tm.tm_min) + Two(tm.tm_sec) + ".LOG";
}

std::string ParseLog::Finish(const std::array<std::string, 5>& parse_spec, bool multiple_logs,
                             const std::string& current_folder) {
  std::string collected;
  if (ReadWholeFile(folder_ / kTempLog, collected)) {
    text_.append(collected).append(kCrLf).append(kCrLf);
  }
  end_time_ = Now();
  text_.append(kCrLf).append(EndedLine(end_time_)).append(kCrLf);
  text_.append(kCrLf)
      .append("Elapsed ")
      .append(TrimBlanks(FormatFixed(ElapsedSeconds(), 2)))
      .append(" seconds.")
      .append(kCrLf);
  text_.append(FolderLines(current_folder));
  text_.append("Command Array:").append(kCrLf);
  for (std::size_t i = 0; i < parse_spec.size(); ++i) {
    text_.append("  ").append(FormatInteger(static_cast<long long>(i + 1))).append(" ");
    text_.append(parse_spec[i]).append(kCrLf);
  }
  text_.append(MapSection(folder_));
  AppendToFile(text_, folder_ / FileName(multiple_logs), AppendMode::kCreate);
  return text_;
}

void BeginExportLog(const fs::path& folder) {
  std::string text = Title("X12 Export Log") + std::string(kCrLf);
  text.append(StartedLine(Now())).append(kCrLf);
  text.append(VersionLines());
  AppendToFile(text, folder / kTempLog, AppendMode::kCreate);
  RemoveQuietly(folder / kDebugLog);
}

std::string EndExportLog(const fs::path& folder, const std::string& current_folder) {
  std::string text = Title("X12 Export Log") + std::string(kCrLf);
  std::string collected;
  if (ReadWholeFile(folder / kTempLog, collected)) text.append(collected);
  RemoveQuietly(folder / kTempLog);
  text.append(EndedLine(Now())).append(kCrLf);
  text.append(FolderLines(current_folder));
  text.append(MapSection(folder));
  RemoveQuietly(folder / kMapLog);
  std::string debug;
  if (ReadWholeFile(folder / kDebugLog, debug)) {
    text.append(kCrLf).append(kCrLf).append(debug);
  }
  AppendToFile(text, folder / kExportLog, AppendMode::kCreate);
  return text;
}

RunLock::RunLock(const fs::path& folder) {
  const fs::path file = folder / ".ardentix.lock";
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return;  // a folder we cannot write to: run without the lock
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
  waited_ = true;
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
  }
}

RunLock::~RunLock() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
}

}  // namespace ardentix::logs
