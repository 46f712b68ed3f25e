// Helpers shared by the writer tests: a scratch folder, file bytes, the
// golden files, running an outside checker, and a whole export in one call.
#ifndef ARDENTIX_EXPORT_WRITER_TEST_SUPPORT_H_
#define ARDENTIX_EXPORT_WRITER_TEST_SUPPORT_H_

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/writers.h"

namespace ardentix::testing {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string templ = (fs::temp_directory_path() / "ardentix-writers-XXXXXX").string();
    path_ = mkdtemp(templ.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  // Names in the folder (to catch scratch files left behind).
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(path_)) out.push_back(e.path().filename());
    return out;
  }

 private:
  fs::path path_;
};

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline fs::path GoldenPath(const std::string& name) {
  return fs::path(ARDENTIX_SOURCE_DIR) / "tests" / "data" / "writers" / name;
}

struct CommandResult {
  int status = -1;
  std::string output;
};

// Runs a shell command, capturing standard output and standard error.
inline CommandResult Run(const std::string& command) {
  CommandResult r;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf{};
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.output.append(buf.data(), n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

inline bool HaveProgram(const std::string& name) {
  return Run("command -v " + name + " >/dev/null").status == 0;
}

inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

using Rows = std::vector<std::vector<std::string>>;

// Opens, writes every row and closes; the first failure is returned.
inline WriterStatus Export(OutputWriter& writer, const std::string& target,
                           const std::vector<WriterColumn>& columns, const Rows& rows,
                           const WriterOptions& options) {
  WriterStatus s = writer.Open(target, columns, options);
  for (const auto& row : rows) {
    if (!s) break;
    s = writer.WriteRow(row);
  }
  if (s) s = writer.Close();
  return s;
}

inline std::vector<WriterColumn> Columns(std::initializer_list<std::pair<const char*, int>> list) {
  std::vector<WriterColumn> out;
  for (const auto& [name, width] : list) out.push_back({name, width});
  return out;
}

}  // namespace ardentix::testing

#endif  // ARDENTIX_EXPORT_WRITER_TEST_SUPPORT_H_
