#include "parse/driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>

#include "common/files.h"
#include "common/number.h"
#include "common/text.h"
#include "export/map.h"
#include "parse/blocks.h"
#include "parse/isa_split.h"
#include "parse/logs.h"
#include "parse/parse_dialog.h"
#include "print/pdf_document.h"
#include "ui/meter.h"
#include "ui/ui.h"
#include "x12/join.h"
#include "x12/loader.h"
#include "x12/settings.h"

namespace ardentix::parse {

namespace {

using x12::DispatchMode;
using x12::OutputFormat;
using x12::ParseSpec;

constexpr std::string_view kCrLf = "\r\n";

// ---- small file helpers --------------------------------------------------------

// What a file looked like before the dispatcher ran, to tell afterwards
// whether this run wrote it.
struct FileMark {
  bool exists = false;
  struct timespec mtime {};
  off_t size = 0;
  ino_t inode = 0;
};

FileMark Mark(const fs::path& file) {
  FileMark m;
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    m.exists = true;
    m.mtime = st.st_mtim;
    m.size = st.st_size;
    m.inode = st.st_ino;
  }
  return m;
}

bool WrittenSince(const FileMark& before, const fs::path& file) {
  const FileMark now = Mark(file);
  if (!now.exists) return false;
  if (!before.exists) return true;
  return now.inode != before.inode || now.size != before.size ||
         now.mtime.tv_sec != before.mtime.tv_sec || now.mtime.tv_nsec != before.mtime.tv_nsec;
}

fs::path Normal(const fs::path& path) {
  std::error_code ec;
  return fs::absolute(path, ec).lexically_normal();
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

std::string ErrorText(std::string_view what, int error) {
  return std::string(what) + FormatIntegerWidth(error, 2);
}

// Writes `bytes` beside `file` and renames it over, so a failure leaves an
// old file as it was. Returns the "Cfile <ERROR>" text on failure.
std::optional<std::string> WriteOutputFile(const fs::path& file, std::string_view bytes) {
  fs::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const std::optional<fs::path> scratch =
      MakeScratchFile(folder, "." + file.filename().string() + ".", ".part");
  if (!scratch) return ErrorText("Cfile <ERROR> FC-Open #", errno) + " " + file.string();
  ScratchFile guard(*scratch);
  const int fd = ::open(scratch->c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return ErrorText("Cfile <ERROR> FC-Open #", errno) + " " + file.string();
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = errno;
      ::close(fd);
      return ErrorText("Cfile <ERROR> FC-Fwrite #", error) + " " + file.string();
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) return ErrorText("Cfile <ERROR> FC-Fwrite #", errno) + " " + file.string();
  // Scratch files are private (0600); an output gets the usual mode.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(scratch->c_str(), 0666 & ~mask);
  if (::rename(scratch->c_str(), file.c_str()) != 0) {
    return ErrorText("Cfile <ERROR> FC-Open #", errno) + " " + file.string();
  }
  return std::nullopt;
}

bool IsFolder(std::string_view path) {
  const std::string_view trimmed = TrimBlanks(path);
  return !trimmed.empty() && FolderExists(fs::path(trimmed));
}

// An output name in the destination folder when DESTINATIONFOLDER names one,
// otherwise standing alone.
fs::path OutputName(const ParseSpec& spec, const std::string& name) {
  return IsFolder(spec.destination_folder) ? fs::path(TrimBlanks(spec.destination_folder)) / name
                                           : fs::path(name);
}

// The file name up to its first ".".
std::string UpToFirstDot(std::string_view name) {
  return std::string(name.substr(0, name.find('.')));
}

// A numeric viewer setting (FILEREADBLOCK= and the like), negative as 0.
std::uint64_t SettingNumber(int request, std::string_view ini_text) {
  return static_cast<std::uint64_t>(
      std::max<std::int64_t>(0, LeadingInteger(x12::ViewerSettingFromText(request, ini_text))));
}

// ---- the handler table, watched ---------------------------------------------------

// Wraps the registered handlers for the length of a run so that the driver
// knows whether any export family handled a part (an ODBC table cannot be
// looked at from here, and a missing handler must not look like success).
class HandlerWatch {
 public:
  HandlerWatch() : saved_(x12::Handlers()) {
    x12::HandlerTable table = saved_;
    for (x12::Handler* h : {&table.claims, &table.remittance, &table.claim_status,
                            &table.eligibility, &table.acknowledgment, &table.text_message}) {
      if (!*h) continue;
      *h = [this, inner = *h](x12::DispatchContext& ctx) {
        ++calls_;
        return inner(ctx);
      };
    }
    x12::SetHandlerTable(std::move(table));
  }
  ~HandlerWatch() { x12::SetHandlerTable(saved_); }
  HandlerWatch(const HandlerWatch&) = delete;
  HandlerWatch& operator=(const HandlerWatch&) = delete;
  int calls() const { return calls_; }

 private:
  x12::HandlerTable saved_;
  int calls_ = 0;
};

// Sends the ui's unattended messages (and questions with their answers) to
// the parse log while the run lasts.
class LogSinkScope {
 public:
  explicit LogSinkScope(logs::ParseLog& log) {
    ui::CurrentUi().SetLogSink(
        [&log](std::string_view line) { log.Step(" - " + std::string(line)); });
  }
  ~LogSinkScope() { ui::CurrentUi().SetLogSink(nullptr); }
  LogSinkScope(const LogSinkScope&) = delete;
  LogSinkScope& operator=(const LogSinkScope&) = delete;
};

// ---- XML blocks ---------------------------------------------------------------------

// Puts the records of a later block's XML output in front of the closing
// root tag of the joined output, so that the blocks give the bytes of a
// whole-file export. The part file is removed.
bool SpliceXmlRecords(const fs::path& target, const fs::path& part, std::string* error) {
  std::string content;
  if (!ReadWholeFile(part, content)) {
    *error = "the block output cannot be read: " + part.string();
    return false;
  }
  std::error_code ec;
  fs::remove(part, ec);
  if (!FileExists(target)) {
    if (!WriteWholeFile(target, content)) {
      *error = ErrorText("Cfile <ERROR> FC-Open #", errno) + " " + target.string();
      return false;
    }
    return true;
  }
  const std::size_t open = FindNoCase(content, "<EXPORTDATA>");
  if (open == std::string::npos) return true;  // no records
  std::size_t from = open + 12;
  if (content.compare(from, 2, kCrLf) == 0) {
    from += 2;
  } else if (from < content.size() && content[from] == '\n') {
    from += 1;
  }
  std::size_t close = std::string::npos;
  for (std::size_t at = FindNoCase(content, "</EXPORTDATA>", from); at != std::string::npos;
       at = FindNoCase(content, "</EXPORTDATA>", at + 1)) {
    close = at;
  }
  const std::string_view records =
      std::string_view(content).substr(from, close == std::string::npos ? close : close - from);
  std::string joined;
  if (!ReadWholeFile(target, joined)) {
    *error = ErrorText("Cfile <ERROR> FC-Fread #", errno) + " " + target.string();
    return false;
  }
  std::size_t end = std::string::npos;
  for (std::size_t at = FindNoCase(joined, "</EXPORTDATA>"); at != std::string::npos;
       at = FindNoCase(joined, "</EXPORTDATA>", at + 1)) {
    end = at;
  }
  if (end == std::string::npos) end = joined.size();
  joined.insert(end, records);
  if (auto failure = WriteOutputFile(target, joined)) {
    *error = *failure;
    return false;
  }
  return true;
}

// ---- one run ---------------------------------------------------------------------------

struct DispatchResult {
  std::string text;
  bool failed = false;
  int handled = 0;  // export family handler calls
};

class Run {
 public:
  Run(const ParseRequest& request, fs::path working)
      : request_(request),
        working_(std::move(working)),
        lock_(working_),
        log_(working_),
        sink_(log_) {}

  ParseOutcome Go();

 private:
  void Step(std::string_view message) { log_.Step(message); }
  void Fail(std::string note) {
    status_ = std::max(status_, 3);
    if (note_.empty()) note_ = std::move(note);
  }
  void Usage(std::string note) {
    status_ = 2;
    note_ = std::move(note);
  }
  ParseOutcome Finish();

  void ApplyOptions();
  int ClassifySource();
  bool ClassifyDestinationStep();
  void ProcessSingle();
  void ProcessFolder();
  void SplitIsa();

  // The outputs the run writes for the current request, and the check that
  // they may be written (overwrite question, same file as the source).
  std::vector<fs::path> ExpectedOutputs(bool folder_run) const;
  bool MayWrite(const std::vector<fs::path>& outputs);
  bool Confirm(const fs::path& path);

  DispatchResult Dispatch(DispatchMode mode);
  DispatchResult DispatchBlocks(DispatchMode mode, std::uint64_t block_size,
                                const std::string& ini_text);
  // After the dispatcher: checks and logs an export output.
  void CheckExport(const std::vector<fs::path>& outputs, const std::vector<FileMark>& before,
                   bool log_created);
  void WriteDriverOutput(const fs::path& path, const std::string& text);
  // Writes one output and logs it as created, or shows why it was not.
  void WriteLogged(const fs::path& path, std::string_view bytes);
  bool OpenPdf(const fs::path& path);
  void ClosePdf(const fs::path& path);
  void Created(const std::string& name) {
    Step(" - Created " + name);
    created_.push_back(name);
    written_.insert(Normal(name));
  }
  void NotCreated(std::string_view detail = {}) {
    Step(" - " + std::string(type_->not_created) + " Not Created " + std::string(detail));
  }
  std::string UniqueName(const std::string& name);

  const ParseRequest& request_;
  fs::path working_;
  logs::RunLock lock_;
  logs::ParseLog log_;
  LogSinkScope sink_;
  HandlerWatch watch_;
  ParseSpec spec_;
  OptionScan options_;
  const OutputType* type_ = nullptr;
  int status_ = 0;
  std::string note_;
  std::vector<std::string> created_;
  std::set<std::string> used_names_;
  // Outputs this run has written (absolute): merging into them again needs no question.
  std::set<fs::path> written_;
};

ParseOutcome Run::Go() {
  x12::stviewx = 1;
  spec_.parse_type = ToUpper(TrimBlanks(request_.type));
  spec_.source_file = request_.source;
  spec_.destination_folder = request_.destination;
  spec_.parse_options =
      request_.from_command_line ? CommandLineOptions(request_.options) : request_.options;
  spec_.destination_file = spec_.destination_folder;
  if (TrimBlanks(spec_.parse_type).empty() || TrimBlanks(spec_.source_file).empty()) {
    Step(" - Parameter 1 and 2 are empty. Start User Interface ");
    spec_ = ParseDialog(spec_, working_.string());
    spec_.parse_type = ToUpper(TrimBlanks(spec_.parse_type));
  }
  if (TrimBlanks(spec_.parse_type).empty()) {
    Step(" - Parameter 1 empty. ");
    Usage("no output type word was given");
    return Finish();
  }
  if (TrimBlanks(spec_.source_file).empty()) {
    Step(" - Parameter 2 empty.");
    Usage("no source file or folder was given");
    return Finish();
  }
  spec_.source_file = std::string(TrimRightBlanks(spec_.source_file));
  spec_.destination_folder = std::string(TrimRightBlanks(spec_.destination_folder));
  ApplyOptions();

  // The output base name.
  if (!spec_.destination_folder.empty() && FileExists(spec_.destination_folder)) {
    spec_.destination_file = spec_.destination_folder;
  } else {
    spec_.destination_file = OutputBaseName(spec_.source_file);
  }
  int control = ClassifySource();
  if (!ClassifyDestinationStep()) control = 0;
  Step(" -  Destination Control : " + FormatInteger(control));

  type_ = FindOutputType(spec_.parse_type);
  if (type_ == nullptr) {
    Step(" - Unknown Output Type : " + spec_.parse_type);
    Usage("unknown output type word \"" + spec_.parse_type + "\"");
    return Finish();
  }
  if (control == 0) {
    Fail("nothing was processed");
    return Finish();
  }
  Step(type_->log_line);
  if (type_->word == "CSVTO837I") {
    Step(" - The conversion from CSV to 837I is not available.");
    Usage("the conversion from CSV to 837I is not available");
    return Finish();
  }
  if (type_->word == "ISA") {
    if (control == 2) {
      Step(" - Not an X12 file : " + spec_.source_file);
      Fail("type ISA splits a single file, not a folder");
    } else {
      SplitIsa();
    }
  } else if (control == 1) {
    ProcessSingle();
  } else {
    ProcessFolder();
  }
  return Finish();
}

ParseOutcome Run::Finish() {
  ParseOutcome outcome;
  std::error_code ec;
  const std::string folder = fs::absolute(working_, ec).lexically_normal().string();
  outcome.log_text = log_.Finish({spec_.parse_type, spec_.source_file, spec_.destination_folder,
                                  spec_.parse_options, spec_.destination_file},
                                 options_.multiple_logs, folder);
  outcome.log_file = working_ / log_.FileName(options_.multiple_logs);
  outcome.exit_status = status_;
  outcome.spec = spec_;
  outcome.created = created_;
  outcome.note = note_;
  return outcome;
}

void Run::ApplyOptions() {
  options_ = ScanOptions(spec_.parse_options);
  for (const std::string& line : options_.log_lines) Step(line);
  if (options_.meters_off) ui::SetMetersOff(true);
  // The last of MAP= and SELECTMAP= decides; without either no map is chosen.
  if (options_.select_map && options_.select_map_last) {
    ApplySelectMapOption(*options_.select_map, working_);
  } else if (options_.map) {
    if (!ApplyMapOption(*options_.map, working_)) {
      Step(" - Map File Not Found : " + *options_.map);
    }
  } else if (options_.select_map) {
    ApplySelectMapOption(*options_.select_map, working_);
  } else {
    SetCurrentMapFile("");
  }
}

int Run::ClassifySource() {
  const std::string& source = spec_.source_file;
  if (FolderExists(source)) {
    Step(" - The source is a Folder.");
    Step(" - Folder : " + source);
    return 2;
  }
  if (FileExists(source)) {
    Step(" - The source is a file.");
    Step(" - File : " + source);
    return 1;
  }
  Step(" - The source does Not exist.");
  Step(" - Source : " + source);
  Fail("the source " + source + " does not exist");
  return 0;
}

bool Run::ClassifyDestinationStep() {
  const std::string& destination = spec_.destination_folder;
  switch (ClassifyDestination(destination)) {
    case DestinationKind::kNone:
      return true;
    case DestinationKind::kExistingFile:
      Step(" - The destination file exists.");
      Step(" - File : " + destination);
      return true;
    case DestinationKind::kExistingFolder:
      Step(" - Destination Folder exists.");
      Step(" - Destination : " + destination);
      return true;
    case DestinationKind::kFileToCreate:
      Step(" - The Destination File to Create.");
      Step(" - Destination : " + destination);
      spec_.destination_file = destination;
      return true;
    case DestinationKind::kMissingFolder:
      Step(" - The Destination Folder does Not exist.");
      Step(" - Destination : " + destination);
      Fail("the destination folder " + destination + " does not exist");
      return false;
  }
  return false;
}

std::vector<fs::path> Run::ExpectedOutputs(bool folder_run) const {
  const std::string& base = spec_.destination_file;
  const std::string_view word = type_->word;
  if (word == "CSV") return {x12::ExportOutputPath(spec_, OutputFormat::kCsv)};
  if (word == "XML") return {x12::ExportOutputPath(spec_, OutputFormat::kXml)};
  if (word == "DBF") {
    const fs::path plain = x12::ExportOutputPath(spec_, OutputFormat::kDbf);
    const fs::path prefixed = x12::ExportOutputPath(spec_, OutputFormat::kDbf, true);
    if (plain == prefixed) return {plain};
    return {plain, prefixed};
  }
  if (word == "ODBC") return {};
  if (word == "PDF") return {OutputName(spec_, base + (folder_run ? "..pdf" : ".pdf"))};
  const std::string_view extension = folder_run ? type_->folder_extension : type_->single_extension;
  if (extension.empty()) return {};
  return {OutputName(spec_, base + "." + std::string(extension))};
}

bool Run::Confirm(const fs::path& path) {
  return ui::CurrentUi().AskYesNo(path.string() + " already exists. Overwrite it?",
                                  "Overwite File?", false);
}

bool Run::MayWrite(const std::vector<fs::path>& outputs) {
  for (const fs::path& output : outputs) {
    if (FileExists(spec_.source_file) && SameFile(output, spec_.source_file)) {
      Step(" - The output is the same file as the source : " + output.string());
      NotCreated();
      Fail("an output would have replaced its own source");
      return false;
    }
  }
  const std::string_view word = type_->word;
  if (word == "ODBC") {
    // An ODBC destination is a data source and a table; the writer adds rows.
    if (!options_.overwrite && !options_.merge && FileExists(spec_.destination_file) &&
        !Confirm(spec_.destination_file)) {
      NotCreated();
      Fail("an existing output was not overwritten");
      return false;
    }
    return true;
  }
  if (options_.overwrite) return true;
  if (options_.merge && word == "DBF") return true;
  for (const fs::path& output : outputs) {
    if (!FileExists(output) || written_.contains(Normal(output))) {
      continue;
    }
    if (!Confirm(output)) {
      NotCreated();
      Fail("an existing output was not overwritten (add OW to overwrite)");
      return false;
    }
    break;  // one question per output set
  }
  return true;
}

DispatchResult Run::Dispatch(DispatchMode mode) {
  const std::string_view word = type_->word;
  const bool blocks_allowed = word == "837" || word == "835" ||
                              (word == "XML" && !options_.merge && !options_.maintain_name);
  // qv.ini is read once for the file: the block settings and the
  // dispatcher's settings (for every block) come from this text.
  const std::string settings = x12::ReadSettingsText(working_);
  if (blocks_allowed) {
    const std::uint64_t block_size = SettingNumber(112, settings);
    if (block_size > 0 && FileSizeOrZero(spec_.source_file) > block_size) {
      return DispatchBlocks(mode, block_size, settings);
    }
  }
  const int calls_before = watch_.calls();
  x12::OpenRequest open;
  open.file = spec_.source_file;
  open.dialog_folder = working_.string();
  open.mode = mode;
  open.base_folder = request_.base_folder;
  open.spec = &spec_;
  open.settings_folder = working_;
  open.settings_text = &settings;
  const x12::OpenResult result = x12::OpenX12File(open);
  return DispatchResult{result.text, result.failed, watch_.calls() - calls_before};
}

DispatchResult Run::DispatchBlocks(DispatchMode mode, std::uint64_t block_size,
                                   const std::string& ini_text) {
  DispatchResult out;
  const bool xml = type_->word == "XML";
  BlockSettings settings;
  settings.block_size = block_size;
  if (!xml) {
    settings.start = SettingNumber(113, ini_text);
    settings.count = SettingNumber(114, ini_text);
  }
  const std::optional<fs::path> scratch = MakeScratchFile(working_, "tmp", ".dat");
  if (!scratch) {
    ui::CurrentUi().Message(
        ErrorText("Cfile <ERROR> FC-Open #", errno) + " " + (working_ / "tmp.dat").string(),
        "Error", ui::MessageIcon::kStop);
    out.failed = true;
    return out;
  }
  ScratchFile block_file(*scratch);
  const fs::path target = x12::ExportOutputPath(spec_, OutputFormat::kXml);
  std::error_code ec;
  const fs::path target_folder = fs::absolute(target, ec).parent_path();
  const int calls_before = watch_.calls();
  Step(" - Reading in blocks of " + FormatInteger(static_cast<std::int64_t>(block_size)) +
       " bytes.");
  const bool read = ForEachBlock(spec_.source_file, settings, [&](std::string_view text, int n) {
    if (!WriteWholeFile(block_file.path(), text)) {
      ui::CurrentUi().Message(
          ErrorText("Cfile <ERROR> FC-Open #", errno) + " " + block_file.path().string(), "Error",
          ui::MessageIcon::kStop);
      out.failed = true;
      return false;
    }
    // Later XML blocks export beside the target under a scratch name and
    // their records are moved into the target.
    ParseSpec part = spec_;
    ScratchFile part_output;
    if (xml && n > 1) {
      std::optional<fs::path> name = MakeScratchFile(target_folder, ".ardentix-block-", ".xml");
      if (!name) {
        ui::CurrentUi().Message(
            ErrorText("Cfile <ERROR> FC-Open #", errno) + " " + target_folder.string(), "Error",
            ui::MessageIcon::kStop);
        out.failed = true;
        return false;
      }
      part_output = ScratchFile(*name);
      std::string stem = name->string();
      stem.resize(stem.size() - 4);
      part.destination_file = stem;
    }
    x12::OpenRequest open;
    open.file = block_file.path().string();
    open.dialog_folder = working_.string();
    open.mode = mode;
    open.base_folder = request_.base_folder;
    open.spec = &part;
    open.settings_folder = working_;
    open.settings_text = &ini_text;
    const x12::OpenResult result = x12::OpenX12File(open);
    out.text += result.text;
    if (result.failed) out.failed = true;
    if (xml && n > 1 && FileSizeOrZero(part_output.path()) > 0) {
      std::string error;
      if (!SpliceXmlRecords(target, part_output.path(), &error)) {
        ui::CurrentUi().Message(error, "Error", ui::MessageIcon::kStop);
        out.failed = true;
        return false;
      }
    }
    return true;
  });
  if (!read) out.failed = true;
  out.handled = watch_.calls() - calls_before;
  return out;
}

void Run::CheckExport(const std::vector<fs::path>& outputs, const std::vector<FileMark>& before,
                      bool log_created) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (WrittenSince(before[i], outputs[i])) {
      written_.insert(Normal(outputs[i]));
      if (log_created) {
        Created(outputs[i].string());
      } else {
        created_.push_back(outputs[i].string());
      }
      return;
    }
  }
  NotCreated(outputs.empty() ? std::string() : outputs.front().string());
  Fail("an output was not written");
}

void Run::WriteDriverOutput(const fs::path& path, const std::string& text) {
  if (TrimWhitespace(text).empty()) {
    NotCreated(path.string());
    Fail("an output was not written (nothing to write)");
    return;
  }
  WriteLogged(path, text);
}

void Run::WriteLogged(const fs::path& path, std::string_view bytes) {
  if (auto failure = WriteOutputFile(path, bytes)) {
    ui::CurrentUi().Message(*failure, "Error", ui::MessageIcon::kStop);
    NotCreated(path.string());
    Fail("an output could not be written");
    return;
  }
  Created(path.string());
}

bool Run::OpenPdf(const fs::path& path) {
  const PdfStatus status = PdfOpen(path);
  if (status.ok()) return true;
  ui::CurrentUi().Message(ErrorText("Cfile <ERROR> FC-Open #", status.error_number) + " " +
                              path.string() + " " + status.reason,
                          "Error", ui::MessageIcon::kStop);
  NotCreated(path.string());
  Fail("a PDF document could not be opened");
  return false;
}

void Run::ClosePdf(const fs::path& path) {
  const int pages = PdfPageNumber();
  const PdfStatus status = PdfClose();
  if (status.ok() && pages > 0) {
    Created(path.string());
    return;
  }
  if (!status.ok()) {
    ui::CurrentUi().Message(status.reason, "Error", ui::MessageIcon::kStop);
  }
  // A document without pages is not an output.
  std::error_code ec;
  fs::remove(path, ec);
  NotCreated(path.string());
  Fail("a PDF document was not written");
}

void Run::ProcessSingle() {
  const std::vector<fs::path> outputs = ExpectedOutputs(false);
  if (!MayWrite(outputs)) return;
  const std::string_view word = type_->word;
  std::vector<FileMark> before;
  for (const fs::path& output : outputs) before.push_back(Mark(output));
  const bool pdf_document = word == "PDF" && !options_.individual_claims;
  if (pdf_document && !OpenPdf(outputs.front())) return;

  const DispatchResult result = Dispatch(type_->mode);
  if (result.failed) Fail("a file could not be processed");

  if (word == "PDF") {
    if (pdf_document) ClosePdf(outputs.front());
  } else if (word == "CSV") {
    CheckExport(outputs, before, false);
  } else if (word == "XML" || word == "DBF") {
    CheckExport(outputs, before, true);
  } else if (word == "ODBC") {
    if (result.handled > 0 && !result.failed) {
      Created(spec_.destination_file);
    } else {
      NotCreated(spec_.destination_file);
      Fail("nothing was exported to " + spec_.destination_file);
    }
  } else if (!type_->single_extension.empty()) {
    WriteDriverOutput(outputs.front(), result.text);
  } else if (TrimWhitespace(result.text).empty()) {
    // 837 and 276: the handler writes one file per claim and returns the last.
    NotCreated();
    Fail("no file was created");
  }
}

std::string Run::UniqueName(const std::string& name) {
  std::string unique = name;
  for (int n = 2; used_names_.contains(unique); ++n) unique = name + "_" + FormatInteger(n);
  used_names_.insert(unique);
  if (unique != name) {
    Step(" - Output Name " + name + " is already used in this run, using " + unique);
  }
  return unique;
}

void Run::ProcessFolder() {
  const std::string folder = spec_.source_file;
  const std::string_view word = type_->word;
  const std::string separator = request_.separator.empty() ? "/" : request_.separator;
  const bool export_type = word == "CSV" || word == "XML" || word == "DBF" || word == "ODBC";
  const bool same_folder = SameFile(folder, working_);
  std::error_code listing;
  const std::vector<std::string> names = FolderFiles(folder, &listing);
  if (listing) {
    ui::CurrentUi().Message(ErrorText("Cfile <ERROR> FC-Open #", listing.value()) + " " + folder,
                            "Error", ui::MessageIcon::kStop);
    Fail("the source folder could not be read");
    return;
  }
  for (const std::string& name : names) {
    // The run's own working files are not sources.
    if (same_folder && (name == ".ardentix.lock" || name == logs::kTempLog ||
                        name == logs::kMapLog || name == logs::kDebugLog)) {
      continue;
    }
    const std::string path =
        std::string_view(folder).ends_with(separator) ? folder + name : folder + separator + name;
    if (!FileExists(path) || !x12::StartsWithIsa(fs::path(path))) {
      Step(" - Not an X12 file : " + path);
      Fail("some files of the folder are not X12 files");
      continue;
    }
    spec_.source_file = path;
    if (word != "ODBC") {
      const std::string base =
          (word == "CSV" && options_.maintain_name) ? name : UpToFirstDot(name);
      spec_.destination_file = options_.merge ? base : UniqueName(base);
    }
    Step(" - Reading File : " + path);
    const std::vector<fs::path> outputs = ExpectedOutputs(true);
    if (!MayWrite(outputs)) continue;
    std::vector<FileMark> before;
    for (const fs::path& output : outputs) before.push_back(Mark(output));
    if (word == "PDF" && !OpenPdf(outputs.front())) continue;

    const DispatchResult result = Dispatch(type_->mode);
    if (result.failed) Fail("a file could not be processed");
    if (export_type || word == "CSVTO837I") {
      log_.Timed(result.text);
      if (word == "ODBC") {
        if (result.handled == 0 || result.failed) {
          NotCreated(spec_.destination_file);
          Fail("nothing was exported to " + spec_.destination_file);
        }
      } else {
        CheckExport(outputs, before, false);
      }
    } else if (word == "PDF") {
      ClosePdf(outputs.front());
    } else if (!outputs.empty()) {
      WriteDriverOutput(outputs.front(), TrimWhitespace(result.text).empty()
                                             ? std::string()
                                             : result.text + std::string(kCrLf));
    }
  }
}

void Run::SplitIsa() {
  const std::string& source = spec_.source_file;
  // The loader's reader: one read of the whole file, its failures shown.
  const std::shared_ptr<x12::X12Buffer> buffer = x12::ReadX12Bytes(source);
  if (!buffer) {
    Fail("the source could not be read");
    return;
  }
  const std::string_view bytes = buffer->view();
  if (!x12::StartsWithIsa(bytes)) {
    Step(" - Not an X12 file : " + source);
    Fail("the source is not an X12 file");
    return;
  }
  const std::vector<Piece> pieces = ProductionPieces(bytes);
  for (std::size_t n = 0; n < pieces.size(); ++n) {
    const fs::path path =
        source + "_ISA" + FormatInteger(static_cast<std::int64_t>(n + 1)) + ".837";
    if (!options_.overwrite && FileExists(path) && !Confirm(path)) {
      NotCreated();
      Fail("an existing output was not overwritten (add OW to overwrite)");
      continue;
    }
    WriteLogged(path, bytes.substr(pieces[n].begin, pieces[n].end - pieces[n].begin));
  }
}

}  // namespace

// ---- type words --------------------------------------------------------------------------

const std::vector<OutputType>& OutputTypes() {
  using M = DispatchMode;
  static const std::vector<OutputType> types = {
      {"CSV", " - Parse CSV.", true, M::kExport, "CSV", "", ""},
      {"XML", " - Parse XML.", true, M::kExport, "XML", "", ""},
      {"DBF", " - Parse DBF.", true, M::kExport, "DBF", "", ""},
      {"ODBC", " - Parse ODBC.", true, M::kExport, "ODBC", "", ""},
      {"TXT", " - Parse TXT.", true, M::kReportText, "TXT", ".txt", ".txt"},
      {"HTM", " - Parse HTML.", true, M::kReportHtml, "htm", ".htm", ".htm"},
      {"RTF", " - Parse RTF.", true, M::kReportRtf, "RTF", ".rtf", ".rtf"},
      {"PDF", " - Parse pdf.", true, M::kReportPdf, "PDF", "", ""},
      {"837", " - Parse 837.", true, M::kClaimFiles, "837", "", ".837"},
      {"276", " - Parse 276.", true, M::kStatusRequests, "276", "", ".276"},
      {"835", " - Parse 835.", true, M::kOutput835, "835", ".835", ".835"},
      {"HL7", " - Parse HL7.", true, M::kHl7, "HL7", ".txt", ".txt"},
      {"ISA", " - Parse ISA.", false, M::kView, "837", "", ""},
      {"CSVTO837I", " - Parse CSV to 837I.", true, M::kCsvTo837I, "CSV", "", ""},
  };
  return types;
}

const OutputType* FindOutputType(std::string_view word) {
  for (const OutputType& type : OutputTypes()) {
    if (type.word == word) return &type;
  }
  return nullptr;
}

// ---- option words ----------------------------------------------------------------------------

OptionScan ScanOptions(std::string_view options) {
  OptionScan scan;
  const std::vector<std::string_view> pieces = SplitPieces(options, ',');
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::string_view piece = TrimWhitespace(pieces[i]);
    if (piece.empty()) continue;
    // Arguments first: nothing inside them is a word.
    if (StartsWithNoCase(piece, "FILTER=")) {
      ++i;  // the value piece belongs to the filter
      continue;
    }
    if (StartsWithNoCase(piece, "DEBUG=")) continue;
    if (StartsWithNoCase(piece, "SELECTMAP=")) {
      if (piece.starts_with("SELECTMAP=")) {
        scan.select_map = std::string(piece.substr(10));
        scan.select_map_last = true;
        scan.log_lines.emplace_back(" - Map is being set using SELECTMAP=");
      }
      continue;
    }
    if (StartsWithNoCase(piece, "MAP=")) {
      if (piece.starts_with("MAP=")) {
        scan.map = std::string(piece.substr(4));
        scan.select_map_last = false;
        scan.log_lines.emplace_back(" - Map is being set using MAP=");
      }
      continue;
    }
    struct Word {
      std::string_view word;
      bool OptionScan::*flag;
      std::string_view line;
    };
    static constexpr Word kWords[] = {
        {"IC", &OptionScan::individual_claims, " - Individual Claims Set to Yes."},
        {"OW", &OptionScan::overwrite, " - Overwrite Files Set to Yes."},
        {"MN", &OptionScan::maintain_name, " - Maintain File Name Set to Yes."},
        {"MO", &OptionScan::meters_off, " - Progress Meters set to Off."},
        {"HO", &OptionScan::header, " - Header On File Set to Yes."},
        {"FL", &OptionScan::loop_format, " - Format is X12 Loop ."},
        {"MF", &OptionScan::merge, " - Merge Files Set to Yes."},
        {"ML", &OptionScan::multiple_logs, " - Multiple Parse Logs."},
    };
    for (const Word& w : kWords) {
      if (piece == w.word) {
        scan.*w.flag = true;
        scan.log_lines.emplace_back(w.line);
      }
    }
  }
  return scan;
}

std::string CommandLineOptions(std::string_view options) {
  std::string out;
  bool first = true;
  for (std::string_view piece : SplitPieces(options, ',')) {
    if (!first) out.push_back(',');
    first = false;
    const std::string_view trimmed = TrimWhitespace(piece);
    std::size_t keep = std::string_view::npos;  // where the kept letter case begins
    if (StartsWithNoCase(trimmed, "SELECTMAP=")) {
      keep = 10;
    } else if (StartsWithNoCase(trimmed, "MAP=")) {
      keep = 4;
    }
    if (keep == std::string_view::npos) {
      out.append(ToUpper(piece));
    } else {
      const std::size_t lead = piece.find(trimmed.front());
      out.append(piece.substr(0, lead));
      out.append(ToUpper(trimmed.substr(0, keep)));
      out.append(piece.substr(lead + keep));
    }
  }
  return out;
}

// ---- names and classification
// --------------------------------------------------------------------

std::string OutputBaseName(std::string_view source) {
  std::string_view path = source;
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  std::string_view name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

DestinationKind ClassifyDestination(std::string_view destination) {
  if (TrimBlanks(destination).empty()) return DestinationKind::kNone;
  const fs::path path(destination);
  if (FileExists(path)) return DestinationKind::kExistingFile;
  if (FolderExists(path)) return DestinationKind::kExistingFolder;
  std::string_view trimmed = destination;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.remove_suffix(1);
  const std::string_view name = FileNamePart(trimmed);
  const std::size_t dot =
      name.size() > 1 ? name.substr(0, name.size() - 1).find('.') : std::string_view::npos;
  if (dot == std::string_view::npos || name.size() - dot - 1 >= 2) {
    return DestinationKind::kFileToCreate;
  }
  return DestinationKind::kMissingFolder;
}

std::vector<std::string> FolderFiles(const fs::path& folder, std::error_code* error) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code type_ec;
    if (it->is_regular_file(type_ec)) names.push_back(it->path().filename().string());
  }
  if (error != nullptr) *error = ec;
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return FolderNameLess(a, b); });
  return names;
}

// ---- the run
// -------------------------------------------------------------------------------------

ParseOutcome RunParse(const ParseRequest& request) {
  std::error_code ec;
  fs::path working = request.working_folder.empty() ? fs::current_path(ec) : request.working_folder;
  Run run(request, working);
  ParseOutcome outcome = run.Go();
  if (outcome.exit_status != 0 && request.err != nullptr) {
    std::fprintf(request.err, "ardentix: %s; see %s\n", outcome.note.c_str(),
                 outcome.log_file.string().c_str());
    std::fflush(request.err);
  }
  return outcome;
}

std::string RunParse(std::string_view /*model_code*/, std::string_view type,
                     std::string_view source, std::string_view destination,
                     std::string_view options, const std::string& working_folder,
                     const std::string& base_folder, std::string_view separator) {
  ParseRequest request;
  request.type = type;
  request.source = source;
  request.destination = destination;
  request.options = options;
  request.working_folder = working_folder;
  request.base_folder = base_folder;
  request.separator = separator;
  return RunParse(request).log_text;
}

int RunUnattended(const std::array<std::string, 4>& parameters, const std::string& working_folder,
                  const std::string& base_folder, std::FILE* err) {
  ParseRequest request;
  request.type = parameters[0];
  request.source = parameters[1];
  request.destination = parameters[2];
  request.options = parameters[3];
  request.working_folder = working_folder;
  request.base_folder = base_folder;
  request.err = err;
  return RunParse(request).exit_status;
}

void RunFromMenu(const std::array<std::string, 4>& parameters, const std::string& working_folder,
                 const std::string& base_folder) {
  ParseRequest request;
  request.type = parameters[0];
  request.source = parameters[1];
  request.destination = parameters[2];
  request.options = parameters[3];
  request.working_folder = working_folder;
  request.base_folder = base_folder;
  (void)RunParse(request);
}

}  // namespace ardentix::parse
