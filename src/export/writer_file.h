// The file under a writer: one buffered stream per output with every write
// and close checked, and two ways of opening that never lose the old content
// when the export fails.
//
// - Replace: the new content goes to a scratch file in the output's folder
//   (same mode bits as the old file, or the usual ones for a new file) and
//   Commit renames it over the output. Abort removes the scratch file. A
//   target that exists and is not a regular file (a device, a pipe) is
//   written directly.
// - Update: an existing file is written in place from a chosen offset.
//   Abort puts back the bytes that were there and the old length.
//
// Failures return false; `error()` then holds "cannot <what> <path>: <reason>".
#ifndef ARDENTIX_EXPORT_WRITER_FILE_H_
#define ARDENTIX_EXPORT_WRITER_FILE_H_

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace ardentix {

class WriterFile {
 public:
  WriterFile() = default;
  WriterFile(const WriterFile&) = delete;
  WriterFile& operator=(const WriterFile&) = delete;
  ~WriterFile();  // aborts when neither Commit nor Abort ran

  bool OpenReplace(const std::filesystem::path& path);
  // Opens an existing regular file for reading and writing; `missing` is set
  // (and false returned without an error) when there is no such file.
  bool OpenUpdate(const std::filesystem::path& path, bool* missing = nullptr);

  // Update mode: later appends start at `offset`; the bytes from there to
  // the old end are kept so Abort can put them back.
  bool StartAt(std::uint64_t offset);
  std::uint64_t original_size() const { return original_size_; }

  bool Append(std::string_view bytes);
  // Room for `size` more bytes at the end of the output, in the buffer: a
  // writer builds a row there and then says with Used how much of it the
  // row took. nullptr when the buffer could not be written out to make room
  // (error() says why). The room is valid until any other call.
  char* Room(std::size_t size);
  void Used(std::size_t size) { used_ += size; }
  bool WriteAt(std::uint64_t offset, std::string_view bytes);  // flushes first
  bool ReadAt(std::uint64_t offset, std::size_t count, std::string& out);
  std::uint64_t position() const { return position_ + used_; }

  // Flushes, cuts the file at the current position (update mode), closes,
  // and renames the scratch file over the output (replace mode).
  bool Commit();
  // Drops everything written since the open.
  void Abort();

  bool is_open() const { return fd_ >= 0; }
  const std::string& error() const { return error_; }

 private:
  void StartBuffer();
  bool Flush();
  bool Fail(std::string_view what, int err);
  bool WriteAll(const char* data, std::size_t size);  // at position_, moving it on
  // Writes all of `data` at `offset` (with `seek`) or at the end of a file
  // that cannot seek, moving `offset` on by what was written.
  bool WriteFrom(const char* data, std::size_t size, std::uint64_t& offset, bool seek);

  int fd_ = -1;
  bool seekable_ = true;
  bool update_ = false;
  std::filesystem::path path_;     // the output
  std::filesystem::path scratch_;  // replace mode: the file written
  std::uint64_t position_ = 0;     // file offset of buffer_[0]
  std::uint64_t original_size_ = 0;
  std::uint64_t start_ = 0;
  std::string saved_tail_;  // update mode: old bytes from start_ to the old end
  // What is not written yet: buffer_[0, used_) goes to the file at position_.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  std::string error_;
};

// Copies `bytes` into room taken with WriterFile::Room and returns the end
// of the copy, where the next bytes of the row go.
inline char* Put(char* out, std::string_view bytes) {
  std::memcpy(out, bytes.data(), bytes.size());
  return out + bytes.size();
}

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_WRITER_FILE_H_
