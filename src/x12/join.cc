#include "x12/join.h"

#include "common/dbf.h"
#include "common/files.h"
#include "common/text.h"
#include "ui/meter.h"
#include "ui/ui.h"

namespace ardentix::x12 {

namespace {

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

bool IsFolder(std::string_view path) {
  const std::string_view trimmed = TrimBlanks(path);
  return !trimmed.empty() && FolderExists(fs::path(trimmed));
}

fs::path WithDigitPrefix(const fs::path& path) {
  const std::string name = path.filename().string();
  if (name.empty() || name[0] < '0' || name[0] > '9') return path;
  return path.parent_path() / ("a_" + name);
}

}  // namespace

OutputFormat OutputFormatOf(std::string_view parse_type) {
  const std::string type = ToUpper(TrimBlanks(parse_type));
  if (type == "CSV") return OutputFormat::kCsv;
  if (type == "XML") return OutputFormat::kXml;
  if (type == "DBF") return OutputFormat::kDbf;
  if (type == "ODBC") return OutputFormat::kOdbc;
  if (type == "835") return OutputFormat::k835;
  return OutputFormat::kNone;
}

std::string_view OutputExtension(OutputFormat format) {
  switch (format) {
    case OutputFormat::kCsv:
      return "csv";
    case OutputFormat::kXml:
      return "xml";
    case OutputFormat::kDbf:
      return "dbf";
    case OutputFormat::k835:
      return "835";
    default:
      return {};
  }
}

fs::path ExportOutputPath(const ParseSpec& spec, OutputFormat format, bool digit_prefix) {
  const OptionWords options = SplitOptions(spec.parse_options);
  const std::string_view folder = TrimBlanks(spec.destination_folder);
  if (options.Has("MF") && !folder.empty()) return fs::path(folder);
  fs::path path;
  if (options.Has("MN") && !TrimBlanks(spec.destination_file).empty()) {
    path = fs::path(folder) / spec.destination_file;
  } else {
    const std::string name = spec.destination_file + "." + std::string(OutputExtension(format));
    path = IsFolder(folder) ? fs::path(folder) / name : fs::path(name);
  }
  return digit_prefix ? WithDigitPrefix(path) : path;
}

fs::path Remit835Path(const ParseSpec& spec) {
  const std::string name = spec.destination_file + ".835";
  const std::string_view folder = TrimBlanks(spec.destination_folder);
  return IsFolder(folder) ? fs::path(folder) / name : fs::path(name);
}

std::string CsvPartBody(std::string_view content, bool drop_header) {
  auto skip_leading = [](std::string_view s) {
    std::size_t p = 0;
    while (p < s.size() && (s[p] == ' ' || s[p] == '\t' || s[p] == '\r' || s[p] == '\n')) ++p;
    return s.substr(p);
  };
  std::string_view body = skip_leading(content);
  if (drop_header) {
    const std::size_t eol = body.find_first_of("\r\n");
    body = eol == std::string_view::npos ? std::string_view() : skip_leading(body.substr(eol));
  }
  body = TrimRightBlanks(body);
  std::string out(body);
  if (!out.empty() && out.back() != '\n') out.append("\r\n");
  return out;
}

std::string XmlPartBody(std::string_view content) {
  const std::size_t open = FindNoCase(content, "<EXPORTDATA>");
  if (open == std::string_view::npos) return {};
  std::size_t from = open + 12;
  std::size_t close = std::string_view::npos;
  for (std::size_t at = FindNoCase(content, "</EXPORTDATA>", from); at != std::string_view::npos;
       at = FindNoCase(content, "</EXPORTDATA>", at + 1)) {
    close = at;
  }
  std::string_view body =
      close == std::string_view::npos ? content.substr(from) : content.substr(from, close - from);
  while (!body.empty() && (body.front() == '\r' || body.front() == '\n')) body.remove_prefix(1);
  body = TrimWhitespace(body);
  std::string out(body);
  if (!out.empty()) out.append("\r\n");
  return out;
}

std::string XmlDeclaration(std::string_view encoding) {
  return "<?xml version=\"1.0\"  encoding=\"" + std::string(encoding) + "\"?>";
}

bool AppendDbfTable(const fs::path& target, const fs::path& source, std::string* error) {
  return ardentix::AppendDbfTable(target, source, error);
}

OutputJoiner::OutputJoiner(const ParseSpec& base, JoinSettings settings)
    : base_(base), settings_(std::move(settings)), format_(OutputFormatOf(base.parse_type)) {
  switch (format_) {
    case OutputFormat::kCsv:
    case OutputFormat::kXml:
      active_ = settings_.merge_text;
      target_ = ExportOutputPath(base_, format_);
      break;
    case OutputFormat::kDbf:
      active_ = true;
      target_ = ExportOutputPath(base_, format_);
      break;
    case OutputFormat::k835:
      active_ = true;
      target_ = Remit835Path(base_);
      break;
    default:
      active_ = false;
  }
}

bool OutputJoiner::Fail(const std::string& message) {
  ui::CurrentUi().Message(message, "Error", ui::MessageIcon::kStop);
  failed_ = true;
  return false;
}

bool OutputJoiner::AddPart(const ParseSpec& part) {
  if (!active_) return true;
  std::error_code ec;
  if (format_ == OutputFormat::kDbf) {
    // The table may carry the "a_" prefix of names that begin with a digit.
    for (bool prefixed : {true, false}) {
      const fs::path file = ExportOutputPath(part, format_, prefixed);
      if (!fs::exists(file, ec)) continue;
      return AddDbf(file, prefixed ? ExportOutputPath(base_, format_, true) : target_);
    }
    return true;
  }
  const fs::path file =
      format_ == OutputFormat::k835 ? Remit835Path(part) : ExportOutputPath(part, format_);
  if (!fs::exists(file, ec)) return true;
  if (SameFile(file, target_)) return true;  // the part is its own target
  return AddText(file);
}

bool OutputJoiner::AddText(const fs::path& part_file) {
  const char* kind = format_ == OutputFormat::kCsv   ? "CSV"
                     : format_ == OutputFormat::kXml ? "XML"
                                                     : "835";
  std::string content;
  if (!ReadWholeFile(part_file, content)) {
    return Fail("Error " + std::string(kind) + " Multi ST Open");
  }
  std::string piece;
  std::string head;
  switch (format_) {
    case OutputFormat::kCsv:
      piece = CsvPartBody(content, settings_.header_line && started_);
      break;
    case OutputFormat::kXml: {
      ui::ScopedMeter meter("Concatenating", "Please Stand By..");
      piece = XmlPartBody(content);
      head = XmlDeclaration(settings_.xml_encoding) + "\r\n<EXPORTDATA>\r\n";
      break;
    }
    default:
      piece = std::move(content);
      break;
  }
  if (!started_) {
    if (!AppendToFile(head + piece, target_, AppendMode::kCreate)) {
      return Fail("Error " + std::string(kind) + " Multi ST Create");
    }
    started_ = true;
  } else {
    std::error_code ec;
    if (!fs::exists(target_, ec) || !AppendToFile(piece, target_, AppendMode::kAppend)) {
      return Fail("Error " + std::string(kind) + " Multi ST Open");
    }
  }
  ++parts_joined_;
  std::error_code ec;
  fs::remove(part_file, ec);
  return true;
}

bool OutputJoiner::AddDbf(const fs::path& part_file, const fs::path& target) {
  if (SameFile(part_file, target)) return true;
  std::error_code ec;
  if (!started_) {
    // The first part's table becomes the joined table.
    fs::copy_file(part_file, target, fs::copy_options::overwrite_existing, ec);
    if (ec) return Fail("Error DBF Multi ST Create");
    target_ = target;
    started_ = true;
  } else {
    std::string why;
    if (!AppendDbfTable(target_, part_file, &why)) {
      return Fail("Error DBF Multi ST Open: " + why);
    }
  }
  ++parts_joined_;
  fs::remove(part_file, ec);
  return true;
}

bool OutputJoiner::Finish() {
  if (active_ && started_ && format_ == OutputFormat::kXml) {
    std::error_code ec;
    if (!fs::exists(target_, ec) || !AppendToFile("</EXPORTDATA>", target_, AppendMode::kAppend)) {
      return Fail("Error XML Multi ST Open");
    }
  }
  return !failed_;
}

}  // namespace ardentix::x12
