// Helpers shared by the x12 tests: fixture paths, temporary folders, an ISA
// builder and a scripted ui installed for the length of a test.
#ifndef ARDENTIX_X12_TEST_SUPPORT_H_
#define ARDENTIX_X12_TEST_SUPPORT_H_

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "common/files.h"
#include "ui/scripted.h"
#include "ui/ui.h"

namespace ardentix::x12::testing {

namespace fs = std::filesystem;

inline fs::path FixturePath(std::string_view name) {
  return fs::path(ARDENTIX_SOURCE_DIR) / "tests/data/x12" / name;
}

// The bytes of a file; empty text when it cannot be read.
inline std::string ReadBytes(const fs::path& file) {
  std::string bytes;
  ReadWholeFile(file, bytes);
  return bytes;
}

inline std::string ReadFixture(std::string_view name) { return ReadBytes(FixturePath(name)); }

// A 106-byte ISA (without terminator) with the given separators.
inline std::string Isa(char sep = '*', char comp = ':', char rep = '^',
                       std::string_view version = "00501") {
  std::string s = "ISA";
  const std::string_view fields[] = {"00",        "          ",
                                     "00",        "          ",
                                     "ZZ",        "SUBMITTER      ",
                                     "ZZ",        "RECEIVER       ",
                                     "230101",    "1200",
                                     "",          "",
                                     "000000001", "0",
                                     "P",         ""};
  for (int i = 0; i < 16; ++i) {
    s.push_back(sep);
    if (i == 10) {
      s.push_back(rep);
    } else if (i == 11) {
      s.append(version);
    } else if (i == 15) {
      s.push_back(comp);
    } else {
      s.append(fields[i]);
    }
  }
  return s;
}

// A fresh folder removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "x12test.XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }
  fs::path Write(std::string_view name, std::string_view bytes) const {
    const fs::path p = path_ / name;
    WriteWholeFile(p, bytes);
    return p;
  }

 private:
  fs::path path_;
};

// Installs a scripted ui for the life of the object.
class ScriptedScope {
 public:
  explicit ScriptedScope(std::unique_ptr<ui::ScriptedUi> ui = std::make_unique<ui::ScriptedUi>())
      : ui_(ui.get()), scope_(std::move(ui)) {}
  ui::ScriptedUi& operator*() { return *ui_; }
  ui::ScriptedUi* operator->() { return ui_; }

 private:
  ui::ScriptedUi* ui_;
  ui::ScopedUi scope_;
};

}  // namespace ardentix::x12::testing

#endif  // ARDENTIX_X12_TEST_SUPPORT_H_
