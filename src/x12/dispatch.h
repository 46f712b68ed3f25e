// The file dispatcher: `OpenX12File` opens one X12 file for viewing or for an
// unattended conversion, cuts it into parts and hands each part to the
// handler of its transaction type, then joins the parts' outputs.
//
// What this header offers:
//   - DispatchMode: why a file is opened (2 viewing, 100-103 reports,
//     109 export, 110-114 created files, 11 CSV to 837I).
//   - DispatchContext: what every transaction handler receives.
//   - HandlerTable: the handlers by ST01, filled by main.cc (the dispatcher
//     sits below the handlers); SetHandlerTable / Handlers.
//   - PartPickers: the interchange and set pickers. The viewer registers its
//     dialog pickers with SetPartPickers. Unattended modes (and runs without
//     dialog pickers) take part n without a window, as UnattendedPickers
//     does; the dispatcher cuts them from bounds found once per list
//     (x12/parts.h PartCuts).
//   - stviewx: the process-wide view flag shared with the segment listing.
//   - OpenX12File: the dispatcher itself.
//
// Parts: several interchanges give one part per interchange, and an
// interchange with several sets one part per set ("_ISA" n, "_ISA" n "_ST"
// m); one interchange with several sets gives one part per set ("_ST" n), or
// one merged part when a person asks for it; otherwise the whole file.
#ifndef ARDENTIX_X12_DISPATCH_H_
#define ARDENTIX_X12_DISPATCH_H_

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini.h"
#include "x12/parse_spec.h"
#include "x12/segment_list.h"

namespace ardentix::x12 {

class OutputJoiner;

enum class DispatchMode : int {
  kView = 2,
  kCsvTo837I = 11,
  kReportText = 100,
  kReportHtml = 101,
  kReportRtf = 102,
  kReportPdf = 103,
  kExport = 109,
  kClaimFiles = 110,      // one 837 file per claim
  kStatusRequests = 111,  // 276 requests from claims
  kOutput835 = 113,
  kHl7 = 114,
};
inline int ModeNumber(DispatchMode m) { return static_cast<int>(m); }
inline bool IsReportMode(DispatchMode m) { return ModeNumber(m) >= 100 && ModeNumber(m) <= 103; }
// Every mode of 100 and above, and 11: no window ever opens.
inline bool IsUnattendedMode(DispatchMode m) {
  return ModeNumber(m) >= 100 || m == DispatchMode::kCsvTo837I;
}

// The view flag: 0 interactive, 1 the segment listing shows nothing, 2
// unattended (no questions). Reset to 0 when the dispatcher finishes.
inline int stviewx = 0;

// What a handler receives. References are valid for the call only.
struct DispatchContext {
  std::string file_name;
  std::string dialog_folder;
  std::string base_folder;
  SegmentList& list;  // the part; list.size() is the record count
  X12Delimiters delimiters;
  const std::vector<std::string>& loop_ids;
  const ini::CheckPairs& check_table;
  std::string transaction_type;                                 // ST01 of the part's first set
  const std::array<std::vector<std::string>, 12>& field_lists;  // requests 100..111
  DispatchMode mode;
  const ClaimIndex& index;
  ParseSpec& spec;
  std::string version;  // "4010", "5010" or ISA12 as written
  // A handler sets this when it could not do what the run asked.
  bool failed = false;
  // The joiner of the run's outputs when the parts are joined (unattended
  // runs): an export may write its part straight into the joined output
  // (OutputJoiner::DirectTarget). nullptr otherwise.
  OutputJoiner* join = nullptr;
};

using Handler = std::function<std::string(DispatchContext&)>;

// The dispatch table. An empty slot means "no handler": nothing is called.
struct HandlerTable {
  Handler claims;           // "837"
  Handler remittance;       // "835"
  Handler acknowledgment;   // "997", "999"
  Handler text_message;     // "864" (not in the report modes)
  Handler claim_status;     // "277"
  Handler eligibility;      // "270", "271"
  Handler segment_listing;  // any other type; also appended to reports
  // The handler for a transaction type (ST01 compared by prefix).
  const Handler& For(std::string_view type, DispatchMode mode) const;
};
void SetHandlerTable(HandlerTable table);
const HandlerTable& Handlers();

class PartPickers {
 public:
  virtual ~PartPickers() = default;
  // Interchange n of `list` (n counts the dispatcher's passes from 1). An
  // empty list ends the part loop (a person left with "Exit").
  virtual SegmentList PickInterchange(const SegmentList& list, DispatchMode mode, int n) = 0;
  // Transaction set n of `list` inside its envelope.
  virtual SegmentList PickSet(const SegmentList& list, DispatchMode mode, int n) = 0;
};
// Returns part n at once (ExtractInterchange / ExtractSet).
class UnattendedPickers : public PartPickers {
 public:
  SegmentList PickInterchange(const SegmentList& list, DispatchMode mode, int n) override;
  SegmentList PickSet(const SegmentList& list, DispatchMode mode, int n) override;
};
// The pickers of interactive runs (the viewer's dialogs). nullptr restores
// the built-in unattended pickers.
void SetPartPickers(std::shared_ptr<PartPickers> pickers);

struct OpenRequest {
  std::string file;           // may be empty: the file dialog asks
  std::string dialog_folder;  // where the file dialog starts
  DispatchMode mode = DispatchMode::kView;
  std::string base_folder;      // empty: the current folder
  ParseSpec* spec = nullptr;    // unattended runs; interactive callers pass none
  std::string settings_folder;  // where qv.ini is read (empty: the current folder)
  // qv.ini as the caller already read it for this file (x12/settings.h
  // ReadSettingsText); nullptr: the dispatcher reads it from settings_folder.
  const std::string* settings_text = nullptr;
};

struct OpenResult {
  std::string text;     // what the handlers returned, or the warning text
  bool failed = false;  // the file, or one of its parts, could not be processed
};

OpenResult OpenX12File(const OpenRequest& request);
// The documented form: returns the text only.
std::string OpenX12File(const std::string& file, const std::string& dialog_folder,
                        DispatchMode mode, const std::string& base_folder,
                        ParseSpec* spec = nullptr);

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_DISPATCH_H_
