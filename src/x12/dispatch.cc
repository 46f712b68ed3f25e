#include "x12/dispatch.h"

#include <filesystem>
#include <optional>

#include "common/files.h"
#include "common/number.h"
#include "ui/meter.h"
#include "ui/ui.h"
#include "x12/access.h"
#include "x12/join.h"
#include "x12/loader.h"
#include "x12/parts.h"
#include "x12/settings.h"

namespace ardentix::x12 {

namespace fs = std::filesystem;

namespace {

HandlerTable& TableStorage() {
  static HandlerTable table;
  return table;
}

std::shared_ptr<PartPickers>& PickerStorage() {
  static std::shared_ptr<PartPickers> pickers;
  return pickers;
}

const Handler& NoHandler() {
  static const Handler none;
  return none;
}

// Resets the view flag however the dispatcher leaves.
struct ViewFlagReset {
  ~ViewFlagReset() { stviewx = 0; }
};

constexpr std::string_view kNotX12Title = " WARNING : This may not be a standard X12 file.";

}  // namespace

const Handler& HandlerTable::For(std::string_view type, DispatchMode mode) const {
  auto is = [type](std::string_view p) { return type.starts_with(p); };
  if (is("837")) return claims;
  if (is("835")) return remittance;
  if (is("997") || is("999")) return acknowledgment;
  if (is("864")) return IsReportMode(mode) ? NoHandler() : text_message;
  if (is("277")) return claim_status;
  if (is("270") || is("271")) return eligibility;
  return segment_listing;
}

void SetHandlerTable(HandlerTable table) { TableStorage() = std::move(table); }
const HandlerTable& Handlers() { return TableStorage(); }

SegmentList UnattendedPickers::PickInterchange(const SegmentList& list, DispatchMode, int n) {
  return n < 1 ? list.EmptyCopy() : ExtractInterchange(list, static_cast<std::size_t>(n));
}

SegmentList UnattendedPickers::PickSet(const SegmentList& list, DispatchMode, int n) {
  return n < 1 ? list.EmptyCopy() : ExtractSet(list, static_cast<std::size_t>(n));
}

void SetPartPickers(std::shared_ptr<PartPickers> pickers) { PickerStorage() = std::move(pickers); }

OpenResult OpenX12File(const OpenRequest& request) {
  OpenResult result;
  ViewFlagReset reset_view;
  ParseSpec local;
  ParseSpec& spec = request.spec != nullptr ? *request.spec : local;
  const ParseSpec caller = spec;
  stviewx = request.spec != nullptr ? 2 : 0;
  ui::Ui& ui = ui::CurrentUi();

  std::error_code ec;
  const std::string base_folder =
      request.base_folder.empty() ? fs::current_path(ec).string() : request.base_folder;
  // qv.ini is read once for the file; every setting below comes from that text.
  const std::string own_settings =
      request.settings_text != nullptr ? std::string() : ReadSettingsText(request.settings_folder);
  const std::string_view settings =
      request.settings_text != nullptr ? std::string_view(*request.settings_text) : own_settings;
  const std::string filter = ViewerSettingFromText(1, settings);
  const std::array<std::vector<std::string>, 12> field_lists = ViewerFieldListsFromText(settings);
  const bool merge_off = ViewerSettingFromText(115, settings) == "1";
  const std::vector<std::string>& loop_ids = LoopIdTable();

  const OptionWords options = SplitOptions(spec.parse_options);
  const bool listing_off = options.Has("IC");
  if (options.HasPrefix("ST")) stviewx = 2;

  // Choose the file.
  std::string file = request.file;
  if (file.empty() || !FileExists(file)) {
    ui::FileChooserSpec chooser;
    chooser.title = "Select X12 File";
    chooser.folder = request.dialog_folder;
    chooser.masks = {filter};
    const auto chosen = ui.ChooseFile(chooser);
    if (!chosen || chosen->empty() || !FileExists(*chosen)) {
      // Nothing chosen: a failure only when a file was asked for.
      result.failed = !request.file.empty() || request.spec != nullptr;
      return result;
    }
    file = *chosen;
  }
  if (request.mode == DispatchMode::kOutput835) stviewx = 2;
  if (request.mode == DispatchMode::kCsvTo837I) return result;

  LoadStatus status;
  std::shared_ptr<X12Buffer> buffer = ReadX12Bytes(file, &status);
  if (!buffer) {
    result.failed = true;
    return result;
  }
  const std::string_view bytes = buffer->view();
  const std::optional<std::size_t> isa = FindInterchange(bytes);
  if (!StartsWithIsa(bytes)) {
    result.text = file + " ISA segment is unreadable. This may not be a standard X12 file.";
    result.failed = true;
    ui.Message(result.text, kNotX12Title, ui::MessageIcon::kWarning);
    if (!ui.AskYesNo("Do you wish to Continue to try and read this file?", kNotX12Title, false)) {
      return result;
    }
    if (!ui.AskYesNo("Do you wish to use Notepad?", " Load Non Standard file into Notepad.",
                     false)) {
      return result;
    }
    // Without an editor the file is read from the interchange found in it.
    if (ui.Launch(ui::LaunchKind::kEditor, file) || !isa) return result;
    result.text.clear();
    result.failed = false;
  }
  if (!isa) {
    result.failed = true;
    return result;
  }
  if (HasBlankSeparator(bytes, *isa)) {
    ui.Message("VAZOD file warning error. File is missing delimiters.", "Warning",
               ui::MessageIcon::kWarning);
  }
  const DetectedDelimiters detected = DetectDelimiters(bytes, *isa);
  const std::size_t count =
      detected.complete ? CountSegments(bytes, *isa, 0, detected.delimiters.terminator) : 0;
  if (count == 0) {
    result.failed = true;
    return result;
  }
  LoadOptions load;
  load.meter_name = file;
  SegmentList list = LoadSegments(std::move(buffer), count, detected.delimiters, load);
  const ini::CheckPairs check_table = ini::CheckTableFromText(settings);
  ClaimIndex index = BuildClaimIndex(list, 1);
  const std::size_t interchanges = CountSegmentsOfKind("ISA", list);
  std::size_t sets = CountSegmentsOfKind("ST", list);

  if (interchanges == 1 && sets > 1) {
    if (stviewx == 0) {
      if (!ui.AskYesNo("Would you like to see the individual batchs?", " Multiple Set Batch File.",
                       true)) {
        list = MergeSets(list);
        sets = CountSegmentsOfKind("ST", list);
        index = BuildClaimIndex(list, 1);
        stviewx = 1;
      }
    } else if (stviewx == 2) {
      stviewx = 1;
    }
  }

  const X12Delimiters delimiters = list.delimiters();
  std::optional<OutputJoiner> joiner;
  auto dispatch = [&](SegmentList& part, const ClaimIndex& part_index) {
    const std::string type = SetHeaderValue(part, part.size(), 1, 1, "ST");
    DispatchContext ctx{file,
                        request.dialog_folder,
                        base_folder,
                        part,
                        delimiters,
                        loop_ids,
                        check_table,
                        type,
                        field_lists,
                        request.mode,
                        part_index,
                        spec,
                        SetHeaderValue(part, part.size(), 1, 4, "ISA")};
    if (joiner && joiner->active()) ctx.join = &*joiner;
    const Handler& handler = Handlers().For(type, request.mode);
    if (handler) result.text += handler(ctx);
    if (IsReportMode(request.mode) && !listing_off && &handler != &Handlers().segment_listing &&
        Handlers().segment_listing) {
      result.text += Handlers().segment_listing(ctx);
    }
    if (ctx.failed) result.failed = true;
  };

  if (IsReportMode(request.mode)) {
    ui::ScopedMeter meter("Formatting", "Please Stand By..");
    dispatch(list, index);
    return result;
  }

  // The part loop.
  const std::string base_name = spec.destination_file;
  const bool odbc = OutputFormatOf(spec.parse_type) == OutputFormat::kOdbc;
  if (request.spec != nullptr) {
    JoinSettings join;
    join.merge_text = !merge_off;
    join.header_line = options.Has("HO");
    join.xml_encoding = ini::ExportSettingFromText(11, ini::ExportSettingDefault(11), settings);
    joiner.emplace(spec, join);
  }
  // The dialog pickers of interactive runs; without them every part is taken
  // in turn, cut from bounds found once per list.
  PartPickers* dialogs = PickerStorage().get();
  if (IsUnattendedMode(request.mode) || ui.unattended()) dialogs = nullptr;
  auto pick_interchange = [&](const PartCuts& cuts, std::size_t n) {
    return dialogs ? dialogs->PickInterchange(cuts.list(), request.mode, static_cast<int>(n))
                   : cuts.Interchange(n);
  };
  auto pick_set = [&](const PartCuts& cuts, std::size_t n) {
    return dialogs ? dialogs->PickSet(cuts.list(), request.mode, static_cast<int>(n)) : cuts.Set(n);
  };
  auto run_part = [&](SegmentList& part, const ClaimIndex& part_index, const std::string& name) {
    if (!odbc) spec.destination_file = name;
    dispatch(part, part_index);
    if (joiner && !joiner->AddPart(spec)) result.failed = true;
  };
  // A set part holds one set: its per-set numbers (837: the per-interchange
  // numbers that the set extraction renumbered) index it.
  auto set_index = [](const SegmentList& part) {
    const std::string type = SetHeaderValue(part, part.size(), 1, 1, "ST");
    return BuildClaimIndex(part, type.starts_with("837") ? 3 : 2);
  };

  if (interchanges > 1) {
    const PartCuts cuts(list);
    bool stop = false;
    for (std::size_t n = 1; n <= interchanges && !stop; ++n) {
      SegmentList batch = pick_interchange(cuts, n);
      if (batch.empty()) break;
      const std::string batch_name = base_name + "_ISA" + FormatInteger(static_cast<int64_t>(n));
      const std::size_t batch_sets = CountSegmentsOfKind("ST", batch);
      if (batch_sets > 1) {
        const PartCuts batch_cuts(batch);
        for (std::size_t m = 1; m <= batch_sets; ++m) {
          SegmentList part = pick_set(batch_cuts, m);
          if (part.empty()) {
            stop = true;
            break;
          }
          run_part(part, set_index(part),
                   batch_name + "_ST" + FormatInteger(static_cast<int64_t>(m)));
        }
      } else {
        run_part(batch, BuildClaimIndex(batch, 3), batch_name);
      }
    }
  } else if (sets > 1) {
    const PartCuts cuts(list);
    for (std::size_t n = 1; n <= sets; ++n) {
      SegmentList part = pick_set(cuts, n);
      if (part.empty()) break;
      run_part(part, set_index(part), base_name + "_ST" + FormatInteger(static_cast<int64_t>(n)));
    }
  } else {
    run_part(list, index, base_name);
  }
  if (joiner && !joiner->Finish()) result.failed = true;
  // The caller's request is left as it came for the next file of a folder run.
  spec.parse_options = caller.parse_options;
  spec.destination_file = caller.destination_file;
  return result;
}

std::string OpenX12File(const std::string& file, const std::string& dialog_folder,
                        DispatchMode mode, const std::string& base_folder, ParseSpec* spec) {
  OpenRequest request;
  request.file = file;
  request.dialog_folder = dialog_folder;
  request.mode = mode;
  request.base_folder = base_folder;
  request.spec = spec;
  return OpenX12File(request).text;
}

}  // namespace ardentix::x12
