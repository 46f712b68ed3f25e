#include "export/writer_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace ardentix {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

}  // namespace

WriterFile::~WriterFile() {
  if (fd_ >= 0) Abort();
}

bool WriterFile::Fail(std::string_view what, int err) {
  error_ = "cannot " + std::string(what) + " " + path_.string() + ": " + std::strerror(err);
  return false;
}

bool WriterFile::OpenReplace(const std::filesystem::path& path) {
  path_ = path;
  update_ = false;
  error_.clear();
  StartBuffer();
  position_ = 0;

  struct stat st {};
  std::filesystem::path real = path;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // Replace what the link points at, not the link.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    if (!ec) real = target;
  }
  const bool exists = stat(real.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe: write it directly.
    fd_ = open(real.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) return Fail("open", errno);
    seekable_ = false;
    scratch_.clear();
    return true;
  }
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  std::filesystem::path folder = real.parent_path();
  std::string templ = (folder.empty() ? std::string() : folder.string() + "/") + "." +
                      real.filename().string() + ".XXXXXX";
  std::vector<char> name(templ.begin(), templ.end());
  name.push_back('\0');
  fd_ = mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return Fail("create", errno);
  scratch_ = name.data();
  if (fchmod(fd_, mode) != 0) {
    int err = errno;
    Abort();
    return Fail("create", err);
  }
  path_ = real;
  seekable_ = true;
  return true;
}

bool WriterFile::OpenUpdate(const std::filesystem::path& path, bool* missing) {
  path_ = path;
  update_ = true;
  error_.clear();
  StartBuffer();
  scratch_.clear();
  if (missing) *missing = false;
  fd_ = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) {
    if (errno == ENOENT && missing) {
      *missing = true;
      return false;
    }
    return Fail("open", errno);
  }
  struct stat st {};
  if (fstat(fd_, &st) != 0) {
    int err = errno;
    close(fd_);
    fd_ = -1;
    return Fail("open", err);
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd_);
    fd_ = -1;
    return Fail("open", EINVAL);
  }
  seekable_ = true;
  original_size_ = static_cast<std::uint64_t>(st.st_size);
  start_ = position_ = original_size_;
  return true;
}

bool WriterFile::StartAt(std::uint64_t offset) {
  if (!Flush()) return false;
  if (offset > original_size_) offset = original_size_;
  saved_tail_.clear();
  if (!ReadAt(offset, static_cast<std::size_t>(original_size_ - offset), saved_tail_)) return false;
  start_ = position_ = offset;
  return true;
}

bool WriterFile::WriteAll(const char* data, std::size_t size) {
  return WriteFrom(data, size, position_, seekable_);
}

bool WriterFile::WriteFrom(const char* data, std::size_t size, std::uint64_t& offset, bool seek) {
  while (size > 0) {
    ssize_t n = seek ? pwrite(fd_, data, size, static_cast<off_t>(offset)) : write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail("write", errno);
    }
    if (n == 0) return Fail("write", EIO);
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

void WriterFile::StartBuffer() {
  used_ = 0;
  if (!buffer_) {
    buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    capacity_ = kBufferSize;
  }
}

bool WriterFile::Flush() {
  if (fd_ < 0) return Fail("write", EBADF);
  if (used_ == 0) return true;
  std::uint64_t at = position_;
  bool ok = WriteAll(buffer_.get(), used_);
  if (!ok) position_ = at;
  used_ = 0;
  return ok;
}

char* WriterFile::Room(std::size_t size) {
  if (fd_ < 0) {
    Fail("write", EBADF);
    return nullptr;
  }
  if (used_ + size > capacity_) {
    if (!Flush()) return nullptr;
    if (size > capacity_) {
      // A row larger than the buffer: the buffer grows to hold it.
      capacity_ = std::max(size, kBufferSize);
      buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
    }
  }
  return buffer_.get() + used_;
}

bool WriterFile::Append(std::string_view bytes) {
  if (fd_ < 0) return Fail("write", EBADF);
  if (bytes.size() > kBufferSize) {
    // Larger than a buffer: straight to the file.
    return Flush() && WriteAll(bytes.data(), bytes.size());
  }
  char* room = Room(bytes.size());
  if (room == nullptr) return false;
  std::memcpy(room, bytes.data(), bytes.size());
  Used(bytes.size());
  return true;
}

bool WriterFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
  return Flush() && WriteFrom(bytes.data(), bytes.size(), offset, true);
}

bool WriterFile::ReadAt(std::uint64_t offset, std::size_t count, std::string& out) {
  out.resize(count);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = pread(fd_, out.data() + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail("read", errno);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  out.resize(done);
  return true;
}

bool WriterFile::Commit() {
  if (fd_ < 0) return Fail("write", EBADF);
  bool ok = Flush();
  if (ok && update_ && ftruncate(fd_, static_cast<off_t>(position_)) != 0)
    ok = Fail("write", errno);
  if (!ok) {
    std::string why = error_;
    Abort();
    error_ = why;
    return false;
  }
  int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) {
    int err = errno;
    if (!scratch_.empty()) unlink(scratch_.c_str());
    scratch_.clear();
    return Fail("close", err);
  }
  if (!scratch_.empty()) {
    if (rename(scratch_.c_str(), path_.c_str()) != 0) {
      int err = errno;
      unlink(scratch_.c_str());
      scratch_.clear();
      return Fail("replace", err);
    }
    scratch_.clear();
  }
  return true;
}

void WriterFile::Abort() {
  used_ = 0;
  if (fd_ < 0) return;
  if (update_) {
    // Put back what was there: the old tail and the old length.
    position_ = start_;
    if (!saved_tail_.empty()) WriteAll(saved_tail_.data(), saved_tail_.size());
    if (ftruncate(fd_, static_cast<off_t>(original_size_)) != 0) {
      // Nothing more can be done; the caller already reports a failure.
    }
  }
  close(fd_);
  fd_ = -1;
  if (!scratch_.empty()) {
    unlink(scratch_.c_str());
    scratch_.clear();
  }
}

}  // namespace ardentix
