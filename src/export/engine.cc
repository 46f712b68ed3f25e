#include "export/engine.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "common/decimal.h"
#include "common/files.h"
#include "common/ini.h"
#include "common/number.h"
#include "common/text.h"
#include "export/dbf_writer.h"
#include "export/odbc_widths.h"
#include "export/odbc_writer.h"
#include "export/xml_writer.h"
#include "ui/meter.h"
#include "ui/ui.h"
#include "x12/access.h"
#include "x12/loader.h"

namespace ardentix {

namespace fs = std::filesystem;

// ---- formats -------------------------------------------------------------

std::optional<ExportFormat> FormatFromCode(std::string_view code) {
  const std::string c = ToUpper(TrimBlanks(code));
  if (c == "A") return ExportFormat::kCsv;
  if (c == "B") return ExportFormat::kXml;
  if (c == "C") return ExportFormat::kDbf;
  if (c == "D") return ExportFormat::kOdbc;
  return std::nullopt;
}

std::optional<ExportFormat> FormatFromParseType(std::string_view parse_type) {
  switch (x12::OutputFormatOf(parse_type)) {
    case x12::OutputFormat::kCsv:
      return ExportFormat::kCsv;
    case x12::OutputFormat::kXml:
      return ExportFormat::kXml;
    case x12::OutputFormat::kDbf:
      return ExportFormat::kDbf;
    case x12::OutputFormat::kOdbc:
      return ExportFormat::kOdbc;
    default:
      return std::nullopt;
  }
}

std::string_view FormatCode(ExportFormat format) {
  static constexpr std::string_view kCodes[] = {"A", "B", "C", "D"};
  return kCodes[static_cast<int>(format)];
}

std::string_view FormatExtension(ExportFormat format) {
  return x12::OutputExtension(OutputFormatFor(format));
}

std::string_view FormatWord(ExportFormat format) {
  static constexpr std::string_view kWords[] = {"CSV", "XML", "DBF", "ODBC"};
  return kWords[static_cast<int>(format)];
}

x12::OutputFormat OutputFormatFor(ExportFormat format) {
  static constexpr x12::OutputFormat kFormats[] = {x12::OutputFormat::kCsv, x12::OutputFormat::kXml,
                                                   x12::OutputFormat::kDbf,
                                                   x12::OutputFormat::kOdbc};
  return kFormats[static_cast<int>(format)];
}

// ---- settings --------------------------------------------------------------

std::string ExportSwitchesFor(const x12::SegmentList& list, const fs::path& folder) {
  return ExportSwitchesFromText(list, ini::ReadIni(folder));
}

std::string ExportSwitchesFromText(const x12::SegmentList& list, std::string_view ini_text) {
  std::string initial(ini::kExportSwitchDefault);
  if (x12::CountSegmentsOfKind("NM185", list) == 1) {
    initial[4] = initial[5] = 'B';
  } else {
    for (int i = 0; i < 4; ++i) initial[i] = 'B';
  }
  return ini::ExportSwitchesFromText(initial, ini_text);
}

ExportSettings ReadExportSettings(const fs::path& folder) {
  return ExportSettingsFromText(ini::ReadIni(folder));
}

ExportSettings ExportSettingsFromText(std::string_view ini_text) {
  ExportSettings s;
  auto count = [&](int key, std::size_t fallback) {
    const std::int64_t n =
        LeadingInteger(ini::ExportSettingFromText(key, ini::ExportSettingDefault(key), ini_text));
    return n > 0 ? static_cast<std::size_t>(n) : fallback;
  };
  s.dbf_field_count = count(9, s.dbf_field_count);
  s.max_field_count = count(10, s.max_field_count);
  s.xml_encoding = ini::ExportSettingFromText(11, ini::ExportSettingDefault(11), ini_text);
  if (TrimBlanks(s.xml_encoding).empty()) s.xml_encoding = std::string(kDefaultXmlEncoding);
  return s;
}

std::string ExportSeparator(const fs::path& folder) {
  const std::optional<fs::path> file =
      FindFileNoCase(folder.empty() ? fs::path(".") : folder, "separate.dat");
  if (!file) return ",";
  std::string bytes;
  if (!ReadWholeFile(*file, bytes)) return ",";
  if (bytes.ends_with("\r\n")) {
    bytes.resize(bytes.size() - 2);
  } else if (bytes.ends_with('\n') || bytes.ends_with('\r')) {
    bytes.pop_back();
  }
  return bytes.empty() ? std::string(",") : bytes;
}

// ---- options -------------------------------------------------------------

EngineOptions ParseEngineOptions(std::string_view parse_options) {
  EngineOptions o;
  const x12::OptionWords words = x12::SplitOptions(parse_options);
  o.service_lines = words.Has("SL");
  o.individual = words.Has("IC");
  o.overwrite = words.Has("OW");
  o.meters_off = words.Has("MO");
  o.header = words.Has("HO");
  o.loop_layout = words.Has("FL");
  o.merge = words.Has("MF");
  o.keep_name = words.Has("MN");
  for (const std::string& argument : words.arguments) {
    const std::string upper = ToUpper(argument);
    if (upper.starts_with("FILTER=")) {
      const std::string_view rest = std::string_view(argument).substr(7);
      const std::size_t comma = rest.find(',');
      o.filter_field = ToUpper(TrimBlanks(rest.substr(0, comma)));
      o.filter_value =
          comma == std::string_view::npos ? std::string() : ToUpper(rest.substr(comma + 1));
    } else if (upper.starts_with("MAP=")) {
      o.map = std::string(TrimBlanks(std::string_view(argument).substr(4)));
    } else if (upper.starts_with("DEBUG=")) {
      o.debug = TrimBlanks(upper.substr(6)) == "ON";
    }
  }
  return o;
}

// ---- the filter ----------------------------------------------------------

bool FilterPasses(std::string_view value, std::string_view filter, bool plain_only) {
  if (TrimBlanks(value).empty()) return false;
  if (!plain_only && !filter.empty()) {
    if (filter.front() == '#') {
      const std::string_view rest = filter.substr(1);
      const std::int64_t start = LeadingInteger(Piece(rest, ':', 1));
      const std::int64_t length = LeadingInteger(Piece(rest, ':', 2));
      const std::size_t text_at =
          std::min(rest.size(), Piece(rest, ':', 1).size() + Piece(rest, ':', 2).size() + 2);
      const std::string part = ToUpper(SubText(value, start, length));
      return part.starts_with(ToUpper(rest.substr(text_at)));
    }
    if (filter.front() == '>') return filter.substr(1) > value;
    if (filter.front() == '<') return filter.substr(1) < value;
  }
  return ToUpper(TrimBlanks(value)).starts_with(ToUpper(TrimBlanks(filter)));
}

std::vector<std::string> FilterLogLines(std::string_view field, std::string_view value,
                                        std::size_t passed) {
  return {" Filter Field = " + std::string(field), " Filter Equal = " + std::string(value),
          " Filter Recorcd Count = " + FormatInteger(static_cast<std::int64_t>(passed))};
}

// ---- the trace -----------------------------------------------------------

ExportTrace::ExportTrace(const fs::path& folder, bool header, int dispatch_mode,
                         std::string_view type)
    : trace_(folder, header, dispatch_mode, type) {}

void ExportTrace::Line(std::string_view line) {
  if (full_) return;
  trace_.Line(line);
  full_ = trace_.text().size() > kMaxCharacters;
}

void ExportTrace::Finish() { trace_.Finish(); }

// ---- cleaners ------------------------------------------------------------

void ApplyCleaner(Cleaner cleaner, std::string& value) {
  switch (cleaner) {
    case Cleaner::kRaw:
      return;
    case Cleaner::kCsv:
      CsvCleanInPlace(value);
      return;
    case Cleaner::kXml:
      XmlCleanInPlace(value);
      return;
    case Cleaner::kXmlThenCsv:
      XmlCleanInPlace(value);
      CsvCleanInPlace(value);
      return;
    case Cleaner::kTrimmed:
      value.resize(TrimRightBlanks(value).size());
      return;
  }
}

// ---- the engine -------------------------------------------------------------

std::string ExportTargetPath(const x12::ParseSpec& spec, ExportFormat format,
                             const FamilyTraits& traits) {
  const bool prefix = format == ExportFormat::kDbf && traits.dbf_digit_prefix;
  return x12::ExportOutputPath(spec, OutputFormatFor(format), prefix).string();
}

namespace {

using Status = ExportOutcome::Status;

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return !a.empty() && !b.empty() && fs::exists(a, ec) && fs::exists(b, ec) &&
         fs::equivalent(a, b, ec);
}

std::string TimeNow() { return logs::TimeText(logs::Now()); }

// The columns and the names whose values fill them, by format.
struct ColumnPlan {
  std::vector<std::string> names;
  std::vector<WriterColumn> columns;
};

ColumnPlan PlanColumns(const ExportFamily& family, ExportFormat format, const FieldList& fields,
                       const FieldCatalogue& catalogue, const ExportSettings& settings) {
  ColumnPlan plan;
  switch (format) {
    case ExportFormat::kCsv:
    case ExportFormat::kXml:
      for (const std::string& name : fields) {
        const CatalogueRow* row = catalogue.Find(name);
        plan.names.push_back(name);
        plan.columns.push_back({name, row ? row->width : 0});
      }
      break;
    case ExportFormat::kDbf: {
      const std::size_t n = std::min(catalogue.size(), settings.dbf_field_count);
      for (std::size_t i = 0; i < n; ++i) {
        plan.names.push_back(catalogue[i].name);
        plan.columns.push_back({catalogue[i].name, catalogue[i].width});
      }
      break;
    }
    case ExportFormat::kOdbc: {
      const FamilyTraits& traits = family.traits();
      const std::size_t limit =
          traits.odbc_column_limit > 0 ? traits.odbc_column_limit : settings.dbf_field_count;
      std::vector<CatalogueRow> rows;
      if (traits.odbc_columns == OdbcColumnSet::kCatalogue) {
        rows.assign(catalogue.begin(), catalogue.end());
      } else {
        // A column needs a name: empty entries of the list are left out.
        FieldList named;
        for (const std::string& f : fields)
          if (!TrimBlanks(f).empty()) named.push_back(f);
        rows = OdbcWidthTable(named);
      }
      for (std::size_t i = 0; i < rows.size() && i < limit; ++i) {
        plan.names.push_back(rows[i].name);
        plan.columns.push_back({rows[i].name, rows[i].width});
      }
      break;
    }
  }
  return plan;
}

}  // namespace

ExportOutcome ExportEngine(const ExportFamily& family, const ExportPart& part,
                           const ExportRequest& request) {
  const FamilyTraits& traits = family.traits();
  const fs::path& folder = request.working_folder;
  const ExportFormat format = request.format;
  const bool unattended = part.mode == x12::DispatchMode::kExport;
  ui::Ui& ui = ui::CurrentUi();

  // Settings, from one reading of qv.ini.
  const std::string ini_text = ini::ReadIni(folder);
  const std::string switches = ExportSwitchesFromText(part.list, ini_text);
  const ExportSettings settings = ExportSettingsFromText(ini_text);
  const std::string separator = format == ExportFormat::kCsv ? ExportSeparator(folder) : ",";

  EngineOptions options;
  std::string target;
  if (unattended) {
    options = ParseEngineOptions(part.spec.parse_options);
    target = ExportTargetPath(part.spec, format, traits);
    if (options.meters_off) ui::SetMetersOff(true);
    if (options.map) ApplyMapOption(*options.map, folder);
  }
  const bool header = request.header_switch == "HO" || options.header;
  const bool debug = options.debug || SwitchOn(switches, kSwitchDebug);
  std::optional<ExportTrace> trace;
  if (debug) {
    trace.emplace(folder, SwitchOn(switches, kSwitchDebug), x12::ModeNumber(part.mode),
                  part.transaction_type);
  }

  std::vector<std::string> log;
  ExportOutcome outcome;
  auto finish = [&]() {
    log.push_back(" File Loaded " + request.source_file);
    if (outcome.written()) {
      log.push_back(" File Created " + outcome.target);
    } else {
      log.push_back(" File Not Created " + outcome.target);
      if (outcome.failed()) {
        log.push_back((format == ExportFormat::kOdbc ? " ODBC <ERROR> " : " Cfile <ERROR> ") +
                      outcome.reason);
      } else if (!outcome.reason.empty()) {
        log.push_back(" " + outcome.reason);
      }
    }
    log.push_back(" Data Directory " + request.dialog_folder);
    log.push_back(" Base Directory " + request.base_folder);
    logs::AppendTempLog(folder, log);
    if (trace) trace->Finish();
    return outcome;
  };
  auto fail = [&](std::string why) {
    outcome.status = Status::kFailed;
    outcome.reason = std::move(why);
    ui.Message(outcome.reason, "Export Error", ui::MessageIcon::kStop);
    return finish();
  };
  auto not_written = [&](std::string why) {
    outcome.status = Status::kNotWritten;
    outcome.reason = std::move(why);
    return finish();
  };

  // The output name.
  if (!unattended) {
    const std::string ext(FormatExtension(format));
    ui::FileChooserSpec chooser;
    chooser.title = "Export to File";
    chooser.folder = request.dialog_folder;
    chooser.masks = {ext.empty() ? std::string("*.*") : "*." + ext};
    chooser.save = true;
    chooser.default_name = "export." + ext;
    target = ui.ChooseFile(chooser).value_or(std::string());
  }
  outcome.target = target;
  if (TrimBlanks(target).empty()) return not_written("no output file was chosen");

  if (format != ExportFormat::kOdbc) {
    if (SameFile(target, request.source_file)) {
      return fail(target + " is the source file; it is not overwritten by its own export");
    }
    if (format == ExportFormat::kDbf && traits.dbf_digit_prefix && unattended) {
      const std::string plain = x12::ExportOutputPath(part.spec, OutputFormatFor(format)).string();
      if (plain != target && FileExists(target)) return fail(std::string(kDbfDigitNameError));
    }
    if (!unattended && !options.merge && FileExists(target) &&
        (format == ExportFormat::kCsv || format == ExportFormat::kXml)) {
      if (!ui.AskYesNo(target + " already exists. Overwrite it?", "Overwite File?", false)) {
        return not_written("the existing file was kept");
      }
    }
  }

  // The writer and its columns.
  const FieldCatalogue catalogue =
      family.Catalogue(part, unattended ? CatalogueVariant::kLong : CatalogueVariant::kShort);
  WriterOptions wo;
  wo.header = header;
  wo.separator = separator;
  wo.column_limit =
      traits.csv_column_limit && format == ExportFormat::kCsv ? settings.max_field_count : 0;
  wo.append = options.merge && (format == ExportFormat::kCsv || format == ExportFormat::kXml);
  wo.xml_layout = traits.xml_layout;
  wo.drop_empty_fields = traits.honours_drop_empty && SwitchOn(switches, kSwitchDropEmptyFields);
  wo.xml_encoding = settings.xml_encoding;

  ui::ScopedMeter meter("Exporting " + part.transaction_type, "Please Stand By..");
  if (options.loop_layout && format != ExportFormat::kOdbc) {
    if (!family.HasLoopLayout()) {
      return fail("the X12 loop layout (FL) is not available for " + part.transaction_type +
                  " exports; nothing was written");
    }
    const WriterStatus s = family.WriteLoopLayout(part, format, target, wo);
    if (!s) return fail(s.reason);
    outcome.status = Status::kWritten;
    return finish();
  }

  const ColumnPlan plan = PlanColumns(family, format, request.fields, catalogue, settings);
  if (trace && format == ExportFormat::kOdbc) {
    if (const std::optional<OdbcDestination> d = ParseOdbcDestination(target)) {
      trace->Line("DSN    " + d->source + "  " + TimeNow());
      trace->Line("Table    " + d->table + "  " + TimeNow());
    }
  }
  // A later part of a joined run goes straight into the joined output when
  // the joiner offers it and the joined output takes it; otherwise it is
  // written to its own file, which the joiner then joins as always. Either
  // way the log names the part's own file.
  std::unique_ptr<OutputWriter> writer;
  WriterStatus status;
  bool joined = false;
  if (part.join != nullptr && unattended && !wo.append) {
    if (const std::optional<fs::path> into = part.join->DirectTarget(part.spec)) {
      WriterOptions direct = wo;
      direct.joined_part = true;
      direct.drop_first_line = part.join->drops_first_line();
      writer = MakeOutputWriter(FormatCode(format));
      joined = static_cast<bool>(writer->Open(into->string(), plan.columns, direct));
    }
  }
  if (!joined) {
    writer = MakeOutputWriter(FormatCode(format));
    status = writer->Open(target, plan.columns, wo);
    if (!status) return fail(status.reason);
    // The file actually written (a dBASE name may have gained its prefix);
    // an ODBC target keeps its "SOURCE:TABLE" form.
    if (format != ExportFormat::kOdbc && !writer->target().empty()) {
      outcome.target = writer->target();
    }
  }

  const std::size_t units = family.UnitCount(part);
  log.push_back(" File Type = " + part.transaction_type + " ");
  log.push_back(" Claim Count = " + FormatInteger(static_cast<std::int64_t>(units)));

  RowRequest rows;
  rows.format = format;
  rows.names = plan.names;
  rows.service_lines = options.service_lines;
  rows.filter_field = options.filter_field;
  rows.filter_value = options.filter_value;
  rows.trace = trace ? &*trace : nullptr;
  rows.working_folder = folder;
  rows.ini_text = &ini_text;
  std::unique_ptr<RowSource> source = family.Rows(part, rows);
  // The cleaner of each step for this format; values are cleaned in place.
  std::array<Cleaner, kValueSteps> cleaner_of{};
  for (std::size_t step = 0; step < kValueSteps; ++step) {
    cleaner_of[step] = traits.cleaners[step][static_cast<std::size_t>(format)];
  }
  ExportRow row;
  while (status && source->Next(row)) {
    const std::size_t count = row.values.size();
    const std::size_t stepped = std::min(count, row.steps.size());
    for (std::size_t i = 0; i < count; ++i) {
      const Cleaner cleaner = cleaner_of[i < stepped ? static_cast<std::size_t>(row.steps[i]) : 0];
      if (cleaner != Cleaner::kRaw) ApplyCleaner(cleaner, row.values[i]);
    }
    status = writer->WriteRow(row.values, row.marks);
    meter.Update(source->units_done(), source->units_total());
  }
  if (status) status = writer->Close();
  for (const std::string& line : source->TempLogLines()) log.push_back(line);
  for (const std::string& notice : writer->notices()) log.push_back(" Note: " + notice);
  outcome.rows = writer->rows_written();
  if (!status) return fail(status.reason);
  if (joined) part.join->AddedDirectly();
  outcome.status = Status::kWritten;
  return finish();
}

// ---- the printed listing ----------------------------------------------------

std::string_view ListingTitle(ListingPage page) {
  switch (page) {
    case ListingPage::kFields:
      return "Fields";
    case ListingPage::kTotals:
      return "Totals";
    case ListingPage::kListing:
      return "Listing";
  }
  return {};
}

std::vector<std::string> PrintListingLines(const ExportFamily& family, const ExportPart& part,
                                           const FieldList& fields, const FieldCatalogue& catalogue,
                                           ListingPage page, const fs::path& working_folder) {
  struct Entry {
    std::size_t position;  // 1-based in the field list
    const CatalogueRow* row;
  };
  std::vector<Entry> found;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (const CatalogueRow* row = catalogue.Find(fields[i])) found.push_back({i + 1, row});
  }
  auto width_of = [](const Entry& e) {
    return static_cast<std::size_t>(std::max(e.row->width, 0));
  };
  const std::string rule(80, '-');
  std::vector<std::string> lines;

  if (page == ListingPage::kFields) {
    lines = {"Basic Field Location:", rule, ""};
    std::string location;
    for (const Entry& e : found) {
      location +=
          PadRight("Field_" + FormatInteger(static_cast<std::int64_t>(e.position)), width_of(e)) +
          " ";
    }
    lines.push_back(location);
    lines.insert(lines.end(), {"", "Field Descriptions", rule, ""});
    for (const Entry& e : found) {
      lines.push_back(
          PadRight("Field_" + FormatInteger(static_cast<std::int64_t>(e.position)), 14) +
          PadRight(e.row->name, 32) + e.row->description);
    }
    return lines;
  }

  // The other pages need the rows.
  std::optional<x12::ClaimIndex> rebuilt;
  if (family.traits().listing_rebuilds_index &&
      (part.claim_number_field >= 1 && part.claim_number_field <= 3)) {
    rebuilt = x12::BuildClaimIndex(part.list, part.claim_number_field);
  }
  const ExportPart listed{
      part.list, rebuilt ? *rebuilt : part.index, part.transaction_type, part.mode,
      part.spec, part.claim_number_field};
  RowRequest request;
  request.format = ExportFormat::kCsv;
  request.working_folder = working_folder;
  for (const Entry& e : found) request.names.push_back(e.row->name);
  std::vector<Decimal> totals(found.size());
  ExportRow row;
  if (!found.empty()) {
    std::unique_ptr<RowSource> source = family.Rows(listed, request);
    while (source->Next(row)) {
      if (page == ListingPage::kListing) {
        std::string line;
        for (std::size_t i = 0; i < found.size(); ++i) {
          line +=
              PadRight(x12::FormatValue(row.values[i], found[i].row->kind), width_of(found[i])) +
              " ";
        }
        lines.push_back(line);
      } else {
        for (std::size_t i = 0; i < found.size(); ++i) {
          if (found[i].row->level == "T" || found[i].row->kind == "$") {
            totals[i] += Decimal::ParseLeading(row.values[i]);
          }
        }
      }
    }
  }
  if (page == ListingPage::kTotals) {
    for (std::size_t i = 0; i < found.size(); ++i) {
      lines.push_back(PadRight(found[i].row->description, 60) + std::string(7, ' ') +
                      PadLeft(totals[i].ToString(), 10));
    }
  }
  return lines;
}

namespace {
ListingPrinter& PrinterSlot() {
  static ListingPrinter printer;
  return printer;
}
}  // namespace

ListingPrinter SetListingPrinter(ListingPrinter printer) {
  return std::exchange(PrinterSlot(), std::move(printer));
}

std::vector<std::string> PrintListing(const ExportFamily& family, const ExportPart& part,
                                      const FieldList& fields, const FieldCatalogue& catalogue,
                                      ListingPage page, const fs::path& working_folder) {
  std::vector<std::string> lines =
      PrintListingLines(family, part, fields, catalogue, page, working_folder);
  if (const ListingPrinter& print = PrinterSlot()) print(ListingTitle(page), lines);
  return lines;
}

}  // namespace ardentix
