// The XML writer (format "B"): the declaration, the root "EXPORTDATA", one
// "CLAIM" element per row laid out by the family's record layout, and the
// closing root tag without a line end after it.
#include "export/xml_writer.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "common/text.h"
#include "export/writer_file.h"
#include "export/writers.h"

namespace ardentix {

namespace {

constexpr std::string_view kRootOpen = "<EXPORTDATA>\r\n";
constexpr std::string_view kRootClose = "</EXPORTDATA>";
constexpr std::string_view kRecordOpen = "<CLAIM>\r\n";
constexpr std::string_view kRecordClose = "</CLAIM>\r\n";

// 0x80-0x9F of windows-1252.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string Utf8(char32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
  return out;
}

std::string CharRef(char32_t cp) { return "&#" + std::to_string(static_cast<unsigned>(cp)) + ";"; }

enum class Encoding { kLatin1, kUtf8, kAscii, kCp1252, kOther };

// Upper case without "-", "_" and blanks: "utf-8", "UTF8" and "Utf_8" meet.
std::string Normalised(std::string_view name) {
  std::string out;
  for (char c : name)
    if (c != '-' && c != '_' && c != ' ') out.push_back(ToUpperAscii(c));
  return out;
}

Encoding Classify(std::string_view name) {
  const std::string n = Normalised(name);
  if (n == "UTF8") return Encoding::kUtf8;
  if (n == "ISO88591" || n == "LATIN1" || n == "L1" || n == "CP819" || n == "IBM819" ||
      n == "ISOIR100" || n == "ISO885911987")
    return Encoding::kLatin1;
  if (n == "USASCII" || n == "ASCII" || n == "ANSIX3.41968" || n == "ISO646US" || n == "US" ||
      n == "IBM367" || n == "CP367")
    return Encoding::kAscii;
  if (n == "WINDOWS1252" || n == "CP1252") return Encoding::kCp1252;
  return Encoding::kOther;
}

// An encoding name as the XML declaration allows it.
bool ValidEncodingName(std::string_view name) {
  if (name.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (!alpha(name[0])) return false;
  for (char c : name)
    if (!alpha(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') return false;
  return true;
}

// What every input byte becomes in a value: the XML cleaner and the blanking
// of control bytes for all, then the character in the target encoding.
struct ByteMap {
  std::array<bool, 256> same{};
  std::array<std::string, 256> text;
};

class Iconv {
 public:
  Iconv(std::string_view to) : cd_(iconv_open(std::string(to).c_str(), "UTF-8")) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // The text converted, with the encoder brought back to its initial state.
  bool Convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::array<char, 64> buf{};
    char* inp = const_cast<char*>(in.data());
    std::size_t inleft = in.size();
    char* outp = buf.data();
    std::size_t outleft = buf.size();
    if (iconv(cd_, &inp, &inleft, &outp, &outleft) == static_cast<std::size_t>(-1)) return false;
    if (iconv(cd_, nullptr, nullptr, &outp, &outleft) == static_cast<std::size_t>(-1)) return false;
    out.assign(buf.data(), buf.size() - outleft);
    return true;
  }

 private:
  iconv_t cd_;
};

bool BuildByteMap(std::string_view encoding, ByteMap& map) {
  for (int b = 0; b < 128; ++b) {
    const char c = static_cast<char>(b);
    if (b < 32 || c == '&' || c == '<' || c == '>' || c == '"' || c == '*') {
      map.same[b] = false;
      map.text[b] = " ";
    } else {
      map.same[b] = true;
    }
  }
  // The name goes into the declaration as it is, so it must be a valid one.
  if (!ValidEncodingName(encoding)) return false;
  const Encoding kind = Classify(encoding);
  std::unique_ptr<Iconv> conv;
  if (kind == Encoding::kOther) {
    conv = std::make_unique<Iconv>(encoding);
    if (!conv->ok()) return false;
    // Only encodings that write ASCII as ASCII can carry the markup as it is.
    const std::string_view probe = "<?xml version=\"1.0\"?>\r\n\t AZaz09&#;/";
    std::string out;
    if (!conv->Convert(probe, out) || out != probe) return false;
  }
  for (int b = 128; b < 256; ++b) {
    const char32_t cp = Cp1252CodePoint(static_cast<unsigned char>(b));
    map.same[b] = false;
    switch (kind) {
      case Encoding::kCp1252:
        map.same[b] = true;
        break;
      case Encoding::kLatin1:
        if (cp <= 0xFF)
          map.same[b] = true;
        else
          map.text[b] = CharRef(cp);
        break;
      case Encoding::kUtf8:
        map.text[b] = Utf8(cp);
        break;
      case Encoding::kAscii:
        map.text[b] = CharRef(cp);
        break;
      case Encoding::kOther: {
        std::string out;
        if (conv->Convert(Utf8(cp), out) && !out.empty())
          map.text[b] = out;
        else
          map.text[b] = CharRef(cp);
        break;
      }
    }
  }
  return true;
}

bool NameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool NameChar(char c) { return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

class XmlWriter : public OutputWriter {
 public:
  WriterStatus Open(std::string_view target, std::span<const WriterColumn> columns,
                    const WriterOptions& options) override;
  WriterStatus WriteRow(std::span<const std::string> values,
                        std::span<const ValueMark> marks) override;
  WriterStatus Close() override;

 private:
  char* PutValue(char* out, std::string_view value) const;
  WriterStatus OpenForAppend(bool* fresh);

  WriterFile file_;
  ByteMap map_;
  std::size_t widest_ = 1;  // the most bytes one input byte becomes
  std::string encoding_;
  XmlRecordLayout layout_ = XmlRecordLayout::k837;
  bool drop_empty_ = false;
  std::vector<std::string> open_tags_;   // "<NAME>"
  std::vector<std::string> close_tags_;  // "</NAME>" CR LF
  bool joined_ = false;                  // a part of a joined output: records only
  bool open_ = false;
};

// Copies a value to `out`, every byte as the byte map says.
char* XmlWriter::PutValue(char* out, std::string_view value) const {
  for (const char c : value) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (map_.same[b]) {
      *out++ = c;
    } else {
      out = Put(out, map_.text[b]);
    }
  }
  return out;
}

WriterStatus XmlWriter::OpenForAppend(bool* fresh) {
  bool missing = false;
  if (!file_.OpenUpdate(target_, &missing)) {
    if (!missing) return Failed(file_.error());
    *fresh = true;
    if (!file_.OpenReplace(target_)) return Failed(file_.error());
    return WriterStatus::Ok();
  }
  const std::uint64_t size = file_.original_size();
  if (size == 0) {
    *fresh = true;
    return WriterStatus::Ok();
  }
  *fresh = false;
  std::string head, tail;
  const std::uint64_t tail_from = size > 256 ? size - 256 : 0;
  if (!file_.ReadAt(0, 256, head) || !file_.ReadAt(tail_from, 256, tail)) {
    file_.Abort();
    return Failed(file_.error());
  }
  // The declared encoding must be the one this export writes.
  const std::size_t enc = head.find("encoding=\"");
  const std::size_t enc_end = enc == std::string::npos ? enc : head.find('"', enc + 10);
  if (head.rfind("<?xml", 0) != 0 || enc_end == std::string::npos ||
      Normalised(std::string_view(head).substr(enc + 10, enc_end - enc - 10)) !=
          Normalised(encoding_)) {
    file_.Abort();
    return Failed(target_ + " is not an export file declared in " + encoding_ +
                  "; nothing was added to it");
  }
  std::string_view t = TrimWhitespace(tail);
  const std::size_t trimmed_end = tail.find_last_not_of(" \t\r\n") + 1;
  if (t.size() < kRootClose.size() || t.substr(t.size() - kRootClose.size()) != kRootClose) {
    file_.Abort();
    return Failed(target_ + " does not end with " + std::string(kRootClose) +
                  "; nothing was added to it");
  }
  const std::uint64_t at = tail_from + trimmed_end - kRootClose.size();
  if (!file_.StartAt(at)) {
    file_.Abort();
    return Failed(file_.error());
  }
  return WriterStatus::Ok();
}

WriterStatus XmlWriter::Open(std::string_view target, std::span<const WriterColumn> columns,
                             const WriterOptions& options) {
  if (open_ || failed()) return Failed("the XML writer is already in use");
  target_ = std::string(target);
  if (target_.empty()) return Failed("no output file name");
  layout_ = options.xml_layout;
  drop_empty_ = options.drop_empty_fields;

  encoding_ = std::string(TrimWhitespace(options.xml_encoding));
  if (encoding_.empty()) encoding_ = std::string(kDefaultXmlEncoding);
  if (!BuildByteMap(encoding_, map_)) {
    notices_.push_back("XML encoding \"" + encoding_ +
                       "\" cannot be written; the file is declared and written as " +
                       std::string(kDefaultXmlEncoding));
    encoding_ = std::string(kDefaultXmlEncoding);
    map_ = ByteMap{};
    BuildByteMap(encoding_, map_);
  }
  widest_ = 1;
  for (const std::string& text : map_.text) widest_ = std::max(widest_, text.size());

  open_tags_.clear();
  close_tags_.clear();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string name = MakeXmlName(columns[i].name, i + 1);
    if (name != columns[i].name)
      notices_.push_back("Element name \"" + columns[i].name +
                         "\" is not a valid XML name; written as \"" + name + "\"");
    open_tags_.push_back("<" + name + ">");
    close_tags_.push_back("</" + name + ">\r\n");
  }

  joined_ = options.joined_part;
  bool fresh = true;
  if (joined_) {
    // Records only: the joined output has its declaration and root.
    bool missing = false;
    if (!file_.OpenUpdate(target_, &missing)) {
      return Failed(missing ? "the joined output " + target_ + " does not exist" : file_.error());
    }
    fresh = false;
  } else if (options.append) {
    WriterStatus s = OpenForAppend(&fresh);
    if (!s) return s;
  } else if (!file_.OpenReplace(target_)) {
    return Failed(file_.error());
  }
  open_ = true;
  if (fresh) {
    const std::string start =
        "<?xml version=\"1.0\"  encoding=\"" + encoding_ + "\"?>\r\n" + std::string(kRootOpen);
    if (!file_.Append(start)) {
      file_.Abort();
      return Failed(file_.error());
    }
  }
  return WriterStatus::Ok();
}

WriterStatus XmlWriter::WriteRow(std::span<const std::string> values,
                                 std::span<const ValueMark> marks) {
  if (failed()) return Failure();
  if (!open_) return Failed("the XML output is not open");
  if (values.size() != open_tags_.size())
    return Failed(WrongRowSize(values.size(), open_tags_.size()));
  // The record is built straight in the file's buffer, in room for its
  // longest form (every byte of every value at its widest).
  std::size_t room_size = kRecordOpen.size() + kRecordClose.size();
  for (std::size_t i = 0; i < values.size(); ++i) {
    room_size += open_tags_[i].size() + values[i].size() * widest_ + 2 + close_tags_[i].size();
  }
  char* const room = file_.Room(room_size);
  if (room == nullptr) {
    file_.Abort();
    return Failed(file_.error());
  }
  char* out = Put(room, kRecordOpen);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string& v = values[i];
    if (drop_empty_) {
      // Blank after cleaning: control bytes and the cleaned characters count.
      bool blank = true;
      for (unsigned char b : v) {
        if (!(map_.same[b] ? b == ' ' : map_.text[b] == " ")) {
          blank = false;
          break;
        }
      }
      if (blank) continue;
    }
    bool inner_line_end = false;
    switch (layout_) {
      case XmlRecordLayout::k837:
        break;
      case XmlRecordLayout::k835:
        inner_line_end = true;
        break;
      case XmlRecordLayout::k277:
        inner_line_end = !v.empty();
        break;
      case XmlRecordLayout::k271:
        inner_line_end = !v.empty() && !(i < marks.size() && marks[i] == ValueMark::kDetail);
        break;
    }
    out = Put(out, open_tags_[i]);
    out = PutValue(out, v);
    if (inner_line_end) out = Put(out, "\r\n");
    out = Put(out, close_tags_[i]);
  }
  out = Put(out, kRecordClose);
  file_.Used(static_cast<std::size_t>(out - room));
  ++rows_;
  return WriterStatus::Ok();
}

WriterStatus XmlWriter::Close() {
  if (failed()) return Failure();
  if (!open_) return Failed("the XML output is not open");
  open_ = false;
  if ((!joined_ && !file_.Append(kRootClose)) || !file_.Commit()) {
    file_.Abort();
    return Failed(file_.error());
  }
  return WriterStatus::Ok();
}

}  // namespace

char32_t Cp1252CodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

std::string MakeXmlName(std::string_view name, std::size_t position) {
  if (name.empty()) return "FIELD" + std::to_string(position);
  std::string out;
  out.reserve(name.size() + 1);
  // A digit, "-" or "." may follow the first character but not be it.
  if (!NameStart(name[0]) && NameChar(name[0])) out.push_back('_');
  for (char c : name) out.push_back(NameChar(c) ? c : '_');
  return out;
}

bool XmlEncodingWritable(std::string_view encoding) {
  ByteMap map;
  return BuildByteMap(encoding, map);
}

std::unique_ptr<OutputWriter> MakeXmlWriter() { return std::make_unique<XmlWriter>(); }

}  // namespace ardentix
