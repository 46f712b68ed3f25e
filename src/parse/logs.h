// The trace every conversion leaves in its working folder: the parse log
// (parse.log, or PARSEmmddyyhhmmss.LOG with "ML"), the export log, and the
// working files temp.log, qvmap.log and qvdebug.log that those two collect.
// All are text with CR LF line ends. Log writing reports no failures: a log
// that cannot be written is simply missing.
//
// This library sits low (it needs only common) because the export engine,
// the map loader and the remittance handler add lines to the working files.
#ifndef ARDENTIX_PARSE_LOGS_H_
#define ARDENTIX_PARSE_LOGS_H_

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/product.h"

namespace ardentix::logs {

namespace fs = std::filesystem;

inline constexpr std::string_view kModel = kModelCode;
inline constexpr std::string_view kVersion = kVersionText;
inline constexpr std::string_view kTempLog = "temp.log";
inline constexpr std::string_view kMapLog = "qvmap.log";
inline constexpr std::string_view kDebugLog = "qvdebug.log";
inline constexpr std::string_view kParseLog = "parse.log";
inline constexpr std::string_view kExportLog = "export.log";

// The wall clock of the logs; tests replace it to get fixed texts.
using Clock = std::function<std::time_t()>;
void SetClock(Clock clock);  // an empty function restores the system clock
std::time_t Now();
// "date" in the current date format (ini::DateFormat) and "time" as
// hh:mm:ss of a moment.
std::string DateText(std::time_t t);
std::string TimeText(std::time_t t);
// A number right-justified in 10 characters.
std::string Padded(long long n);

// The four version lines with their empty line, CR LF each:
// "Parser Version Number : ...", "   Sub Version Number : ...",
// "     Operating System : ...", "     Compiler Version : ...", "".
std::string VersionLines();

// ---- temp.log -------------------------------------------------------------
// Adds lines (each followed by CR LF) to temp.log in `folder`, creating it
// when missing. Appends on disk; never rewrites what is there.
void AppendTempLog(const fs::path& folder, const std::vector<std::string>& lines);
// Replaces temp.log with the lines (the remittance handler).
void ReplaceTempLog(const fs::path& folder, const std::vector<std::string>& lines);

// ---- qvmap.log ------------------------------------------------------------
// Rewrites qvmap.log with "Maptype = " + kind.
void ResetMapLog(const fs::path& folder, std::string_view kind);
// Adds lines only when qvmap.log exists.
void AppendMapLog(const fs::path& folder, const std::vector<std::string>& lines);

// ---- qvdebug.log ----------------------------------------------------------
// The export trace, collected in memory and written at the end of an export
// when it holds more than 10 characters.
class DebugTrace {
 public:
  // `header` writes the title and "Started" lines (only when the qv.ini line
  // DEBUG=ON is present; the option word alone gives neither).
  DebugTrace(const fs::path& folder, bool header, int dispatch_mode, std::string_view type);
  void Line(std::string_view line);
  // Adds "Ended ..." and writes qvdebug.log. Returns the text written.
  std::string Finish();
  const std::string& text() const { return text_; }

 private:
  fs::path folder_;
  std::string text_;
};

// ---- parse.log ------------------------------------------------------------
class ParseLog {
 public:
  // Starts a parse run in `folder`: deletes temp.log, writes qvmap.log
  // empty and starts the log text with its title, "Started" and versions.
  explicit ParseLog(const fs::path& folder);
  // time + message (messages begin with " - ").
  void Step(std::string_view message);
  // time + text as the dispatcher returned it (folder exports).
  void Timed(std::string_view text);
  // A line added as it is (CR LF appended).
  void Raw(std::string_view line);
  // Completes the log (collected temp.log, end, elapsed, folder, command
  // array, map log) and writes it as parse.log or, with `multiple_logs`, as
  // PARSEmmddyyhhmmss.LOG. Returns the whole log text. `current_folder` is
  // the folder shown under "Current Operating Directory:".
  std::string Finish(const std::array<std::string, 5>& parse_spec, bool multiple_logs,
                     const std::string& current_folder);
  // The name Finish writes to.
  std::string FileName(bool multiple_logs) const;
  const std::string& text() const { return text_; }
  // Seconds since the run started (monotonic).
  double ElapsedSeconds() const;

 private:
  fs::path folder_;
  std::string text_;
  std::chrono::steady_clock::time_point start_;
  std::time_t end_time_ = 0;
};

// ---- export.log -----------------------------------------------------------
// Start of an export from the export dialog: temp.log is rewritten with the
// title, "Started" and version lines, and qvdebug.log is deleted.
void BeginExportLog(const fs::path& folder);
// End: writes export.log (title, temp.log, end, folder, map log, debug log);
// temp.log and qvmap.log are deleted after being copied. Returns the text.
std::string EndExportLog(const fs::path& folder, const std::string& current_folder);

// ---- the run lock ---------------------------------------------------------
// An advisory lock on ".ardentix.lock" in the working folder, held for the
// length of a run so that two runs in one folder do not mix their logs and
// scratch files. The constructor waits for another run to finish.
class RunLock {
 public:
  explicit RunLock(const fs::path& folder);
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;
  bool held() const { return fd_ >= 0; }
  // True when the constructor had to wait for another run.
  bool waited() const { return waited_; }

 private:
  int fd_ = -1;
  bool waited_ = false;
};

}  // namespace ardentix::logs

#endif  // ARDENTIX_PARSE_LOGS_H_
