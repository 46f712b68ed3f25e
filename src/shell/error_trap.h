// The process-wide error trap. InstallErrorTrap() makes every run-time error
// end in one place: an uncaught exception, std::terminate, and the fatal
// signals SIGSEGV, SIGBUS, SIGFPE and SIGABRT (stack overflows included,
// through an alternate signal stack). The trap writes Error.log in the
// current folder (head, program, stack, system and memory sections; never
// variable values), writes the error line to stderr, and ends the process
// with exit code 1. In a desktop run an exception or std::terminate also
// shows the "Qorvane Software Error Handler" dialog through the ui layer
// before the process ends; a signal never shows a dialog, because nothing
// but async-signal-safe work may run in its handler.
//
// Divisions the program relies on giving 0 use SafeDivide (common/number.h);
// they never reach the trap.
#ifndef ARDENTIX_SHELL_ERROR_TRAP_H_
#define ARDENTIX_SHELL_ERROR_TRAP_H_

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog.h"

namespace ardentix::shell {

inline constexpr std::string_view kErrorLogName = "Error.log";
inline constexpr std::string_view kErrorDialogTitle = "Qorvane Software Error Handler";

// What the trap knows about an error.
struct ErrorInfo {
  int os_code = 0;             // the system's error number, 0 when none
  int severity = 2;            // above 1: "Error", otherwise "Warning"
  std::string subsystem;       // "C++", "SIGNAL"; empty gives "???"
  std::string subsystem_code;  // exception type or signal name; empty gives "???"
  std::string description;
  std::string file;
  std::string operation;
};

// The error line: "(DOS Error n) " when os_code is not 0, otherwise "Error "
// or "Warning "; then subsystem "/" code, two blanks and the description
// when there is one, and ": " + file, or ": " + operation when no file.
std::string ErrorText(const ErrorInfo& info);

// The error of an exception: its demangled type, what() and, for
// system_error and filesystem_error, the error number and the first path.
ErrorInfo DescribeException(std::exception_ptr error);

// Installs the trap (std::terminate handler, signal handlers, alternate
// signal stack) and pre-formats what the signal path needs. Call it first in
// main(); calling it again refreshes the pre-formatted facts.
void InstallErrorTrap();

// Ends the process through the trap: Error.log, stderr, the dialog in a
// desktop run, exit code 1. For code that finds a condition it cannot go on
// from.
[[noreturn]] void FatalError(const ErrorInfo& info);

// The report text (lines ended by CR LF) for `info` with these stack lines
// ("   Called from ..."), as Error.log would hold it. For tests and for the
// error dialog; the trap itself writes the same sections.
std::string ErrorReportText(const ErrorInfo& info, const std::vector<std::string>& stack_lines);

// The "Qorvane Software Error Handler" dialog: the error line, "&Stack List"
// over the "Called from" lines, "Exit Program", "See Error.log file" (opens
// the log in the editor), "Additional Information:" and its multi-line
// field. There is no send button: sending error reports is not built.
std::unique_ptr<ui::Dialog> BuildErrorDialog(const std::string& error_line,
                                             const std::vector<std::string>& stack_lines);

}  // namespace ardentix::shell

#endif  // ARDENTIX_SHELL_ERROR_TRAP_H_
