#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/text.h"

namespace ardentix {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool AppendToFile(std::string_view text, const fs::path& file, AppendMode mode) {
  int flags = O_WRONLY | O_CLOEXEC;
  if (mode == AppendMode::kCreate) {
    flags |= O_CREAT | O_TRUNC;
  } else {
    flags |= O_APPEND;
  }
  const int fd = ::open(file.c_str(), flags, 0644);
  if (fd < 0) return mode == AppendMode::kAppend && errno == ENOENT;
  const bool ok = WriteAll(fd, text);
  return ::close(fd) == 0 && ok;
}

bool ReadWholeFile(const fs::path& file, std::string& out, std::string* error) {
  out.clear();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    if (error) *error = std::strerror(EISDIR);
    return false;
  }
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    out.reserve(static_cast<std::size_t>(st.st_size));
  }
  char buf[1 << 16];
  while (true) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (error) *error = std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

std::optional<std::string> ReadWholeFile(const fs::path& file) {
  std::string out;
  if (!ReadWholeFile(file, out)) return std::nullopt;
  return out;
}

bool WriteWholeFile(const fs::path& file, std::string_view bytes) {
  return AppendToFile(bytes, file, AppendMode::kCreate);
}

bool WriteFileReplacing(const fs::path& file, std::string_view bytes, std::string* error) {
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  auto temp = MakeScratchFile(folder, "." + file.filename().string() + ".");
  if (!temp) {
    if (error) *error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  const bool existed = ::stat(file.c_str(), &st) == 0;
  const int fd = ::open(temp->c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool ok = fd >= 0 && WriteAll(fd, bytes);
  if (fd >= 0) {
    ok = (::fsync(fd) == 0) && ok;
    ok = (::close(fd) == 0) && ok;
  }
  if (ok && existed) ::chmod(temp->c_str(), st.st_mode & 07777);
  if (ok && ::rename(temp->c_str(), file.c_str()) != 0) ok = false;
  if (!ok) {
    if (error) *error = std::strerror(errno);
    ::unlink(temp->c_str());
  }
  return ok;
}

bool WriteAllAt(int fd, std::uint64_t offset, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool CopyFileBytes(int in, std::uint64_t from, std::uint64_t count, int out, std::uint64_t to,
                   bool* read_failed) {
  if (read_failed) *read_failed = false;
  off_t in_at = static_cast<off_t>(from), out_at = static_cast<off_t>(to);
  while (count > 0) {
    const ssize_t n = ::copy_file_range(in, &in_at, out, &out_at, count, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // not possible here, or an error the loop below meets again
    count -= static_cast<std::uint64_t>(n);
  }
  if (count == 0) return true;
  std::string buffer(static_cast<std::size_t>(std::min<std::uint64_t>(count, 1 << 20)), '\0');
  while (count > 0) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer.size()));
    const ssize_t n = ::pread(in, buffer.data(), want, in_at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (read_failed) *read_failed = true;
      return false;
    }
    if (!WriteAllAt(out, static_cast<std::uint64_t>(out_at),
                    {buffer.data(), static_cast<std::size_t>(n)}))
      return false;
    in_at += n;
    out_at += n;
    count -= static_cast<std::uint64_t>(n);
  }
  return true;
}

bool FileExists(const fs::path& file) {
  std::error_code ec;
  return fs::is_regular_file(file, ec);
}

bool FolderExists(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec);
}

std::uintmax_t FileSizeOrZero(const fs::path& file) {
  std::error_code ec;
  const auto size = fs::file_size(file, ec);
  return ec ? 0 : size;
}

std::optional<fs::path> FindFileNoCase(const fs::path& folder, std::string_view name) {
  const fs::path base = folder.empty() ? fs::path(".") : folder;
  const fs::path exact = base / std::string(name);
  if (FileExists(exact)) return folder.empty() ? fs::path(std::string(name)) : exact;
  std::error_code ec;
  fs::directory_iterator it(base, ec);
  if (ec) return std::nullopt;
  std::vector<std::string> matches;
  for (const auto& entry : it) {
    const std::string entry_name = entry.path().filename().string();
    if (EqualsNoCase(entry_name, name) && entry.is_regular_file(ec)) {
      matches.push_back(entry_name);
    }
  }
  if (matches.empty()) return std::nullopt;
  // Several spellings: take the first in listing order so the choice is stable.
  std::sort(matches.begin(), matches.end(),
            [](const std::string& a, const std::string& b) { return FolderNameLess(a, b); });
  return folder.empty() ? fs::path(matches.front()) : base / matches.front();
}

fs::path ResolveFixedName(const fs::path& folder, std::string_view name) {
  if (auto found = FindFileNoCase(folder, name)) return *found;
  return folder.empty() ? fs::path(std::string(name)) : folder / std::string(name);
}

bool FolderNameLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char ca = ToUpperAscii(a[i]);
    const char cb = ToUpperAscii(b[i]);
    if (ca != cb) {
      return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
    }
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

std::optional<fs::path> MakeScratchFile(const fs::path& folder, std::string_view prefix,
                                        std::string_view suffix) {
  const fs::path base = folder.empty() ? fs::path(".") : folder;
  std::string templ = (base / (std::string(prefix) + "XXXXXX")).string();
  templ.append(suffix);
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  const int fd = ::mkstemps(buf.data(), static_cast<int>(suffix.size()));
  if (fd < 0) return std::nullopt;
  ::fchmod(fd, 0600);
  ::close(fd);
  return fs::path(buf.data());
}

ScratchFile& ScratchFile::operator=(ScratchFile&& other) noexcept {
  if (this != &other) {
    if (!path_.empty()) ::unlink(path_.c_str());
    path_ = std::move(other.path_);
    other.path_.clear();
  }
  return *this;
}

ScratchFile::~ScratchFile() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

std::string_view FileNamePart(std::string_view path) {
  const std::size_t p = path.find_last_of('/');
  return p == std::string_view::npos ? path : path.substr(p + 1);
}

std::string_view FolderPart(std::string_view path) {
  const std::size_t p = path.find_last_of('/');
  return p == std::string_view::npos ? std::string_view() : path.substr(0, p);
}

}  // namespace ardentix
