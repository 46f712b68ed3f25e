// Test-only helpers of the shell tests: temporary folders and running a
// program in a given folder with its output captured.
#ifndef ARDENTIX_SHELL_TEST_SUPPORT_H_
#define ARDENTIX_SHELL_TEST_SUPPORT_H_

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/files.h"

namespace ardentix::shell::testing {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "ardentix-shell-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = fs::canonical(pattern);
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

inline void WriteText(const fs::path& file, const std::string& text) { WriteWholeFile(file, text); }

// The file's bytes; empty when it cannot be read.
inline std::string ReadText(const fs::path& file) { return ReadWholeFile(file).value_or(""); }

struct ProgramResult {
  bool exited = false;  // ended through exit (not killed by a signal)
  int exit_code = -1;
  int signal = 0;
  std::string out;
  std::string err;
};

// Runs `program` with `args` in `folder`, stdin from /dev/null, stdout and
// stderr captured (in files beside the folder, so the folder stays clean).
inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                                const fs::path& folder) {
  TempFolder capture;
  const fs::path out_file = capture / "stdout";
  const fs::path err_file = capture / "stderr";
  ProgramResult result;
  pid_t pid = ::fork();
  if (pid == 0) {
    int in = ::open("/dev/null", O_RDONLY);
    int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid) {
    if (WIFEXITED(status)) {
      result.exited = true;
      result.exit_code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      result.signal = WTERMSIG(status);
    }
  }
  result.out = ReadText(out_file);
  result.err = ReadText(err_file);
  return result;
}

}  // namespace ardentix::shell::testing

#endif  // ARDENTIX_SHELL_TEST_SUPPORT_H_
