// File helpers: whole-file reads and writes, appends, the case-insensitive
// lookup of the program's fixed file names, scratch files.
#ifndef ARDENTIX_COMMON_FILES_H_
#define ARDENTIX_COMMON_FILES_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix {

namespace fs = std::filesystem;

enum class AppendMode {
  kCreate = 1,  // creates the file with the text, replacing any old file
  kAppend = 2,  // appends to an existing file; nothing when the file is missing
};

// Returns false when the file could not be written (a missing file in
// kAppend mode is not a failure: nothing is written and true is returned).
bool AppendToFile(std::string_view text, const fs::path& file, AppendMode mode);

// Reads the whole file into `out`. On failure returns false and, when
// `error` is given, the system's reason.
bool ReadWholeFile(const fs::path& file, std::string& out, std::string* error = nullptr);
std::optional<std::string> ReadWholeFile(const fs::path& file);

// Writes `bytes` to `file`, replacing it. Returns false on any failure.
bool WriteWholeFile(const fs::path& file, std::string_view bytes);
// Writes through a temporary file in the same folder and renames it over
// `file`, so a crash never leaves a truncated file. Keeps the old mode
// bits when the file existed.
bool WriteFileReplacing(const fs::path& file, std::string_view bytes, std::string* error = nullptr);

// Writes all of `bytes` at `offset` of the open file `fd`. False on a
// failure, errno holding the reason.
bool WriteAllAt(int fd, std::uint64_t offset, std::string_view bytes);
// Copies `count` bytes of the open file `in` from `from` to the open file
// `out` at `to`: inside the kernel where it can, else through one buffer.
// False on a failure, errno holding the reason; `read_failed`, when given,
// then tells whether `in` failed (or ended early) rather than `out`.
bool CopyFileBytes(int in, std::uint64_t from, std::uint64_t count, int out, std::uint64_t to,
                   bool* read_failed = nullptr);

bool FileExists(const fs::path& file);  // a regular file (or a link to one)
bool FolderExists(const fs::path& folder);
std::uintmax_t FileSizeOrZero(const fs::path& file);

// The program's fixed file names (qv.ini, maps, base.cfg, config.xml,
// server.xml, form.cfg, separate.dat) are looked up by their exact name
// first, then by a case-insensitive match in the same folder. Returns the
// existing path, or nullopt.
std::optional<fs::path> FindFileNoCase(const fs::path& folder, std::string_view name);
// The existing file under any letter case, or folder/name with the
// documented spelling (for writing).
fs::path ResolveFixedName(const fs::path& folder, std::string_view name);

// Names in a folder sorted case-insensitively, then bytewise: the order of
// every folder listing of the program.
bool FolderNameLess(std::string_view a, std::string_view b);

// Creates a new empty scratch file with a unique name and mode 0600 in
// `folder` ("<prefix>XXXXXX<suffix>"). Returns nullopt on failure.
std::optional<fs::path> MakeScratchFile(const fs::path& folder, std::string_view prefix,
                                        std::string_view suffix = "");

// A scratch file removed when the object goes out of scope.
class ScratchFile {
 public:
  ScratchFile() = default;
  explicit ScratchFile(fs::path path) : path_(std::move(path)) {}
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ScratchFile(ScratchFile&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
  ScratchFile& operator=(ScratchFile&& other) noexcept;
  ~ScratchFile();
  const fs::path& path() const { return path_; }
  bool valid() const { return !path_.empty(); }

 private:
  fs::path path_;
};

// The last path component after the last "/" (the whole text when none).
std::string_view FileNamePart(std::string_view path);
// Everything before the last "/" (empty when none).
std::string_view FolderPart(std::string_view path);

}  // namespace ardentix

#endif  // ARDENTIX_COMMON_FILES_H_
