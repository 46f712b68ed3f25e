// The entry of every export: `ExportDialog`, reached unattended from a
// family's handler in dispatch mode 109 and interactively from the "Export"
// and "Listing" buttons of the transaction screens.
//
//  - Unattended (part.mode 109): the format comes from PARSETYPE, the field
//    list from the family's map (LoadMap, current map file included), and
//    the engine runs at once. No dialog, no export log.
//  - Interactive, purpose 1 (export): "Select Format" (CSV, XML, DBF), then
//    the field selection dialog; "Begin" writes the export log around one
//    engine run.
//  - Interactive, purpose 2 (listing): the field selection dialog titled
//    "Print Field Select"; "Fields", "Totals" and "Print" print a listing
//    page (PrintListing in engine.h).
//
// The field selection dialog (`BuildFieldSelectionDialog`) is a plain dialog
// model: the lists "available" (every catalogue row's description) and
// "selected" (the field list, by description where a row matches), and the
// buttons "exit", "add", "remove", "begin", "default", "save", the header
// toggle "header" with its label "header_label", or "fields", "totals" and
// "print" for listings.
#ifndef ARDENTIX_EXPORT_EXPORT_DIALOG_H_
#define ARDENTIX_EXPORT_EXPORT_DIALOG_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/catalogue.h"
#include "export/engine.h"
#include "export/map.h"
#include "ui/dialog.h"

namespace ardentix {

enum class ExportPurpose : int { kExport = 1, kListing = 2 };

struct ExportDialogRequest {
  std::string file_name;  // the source, as the dispatcher gives it
  std::string dialog_folder;
  std::string base_folder;
  std::filesystem::path working_folder;  // maps, logs, qv.ini (empty: current folder)
  ExportPurpose purpose = ExportPurpose::kExport;
};

struct ExportDialogResult {
  // The engine's outcome when it ran (unattended, or "Begin").
  std::optional<ExportOutcome> outcome;
  // Listings: the lines of the page printed.
  std::vector<std::string> listing;
  // The units of the part; 0 ends the call before anything is asked.
  std::size_t units = 0;
};

ExportDialogResult ExportDialog(const ExportFamily& family, const ExportPart& part,
                                const ExportDialogRequest& request);

// The state behind the field selection dialog.
struct FieldSelection {
  const ExportFamily* family = nullptr;
  const ExportPart* part = nullptr;
  ExportDialogRequest request;
  ExportFormat format = ExportFormat::kCsv;
  std::string claim_type;
  FieldCatalogue catalogue;
  FieldList fields;
  std::string header_switch;  // "HO" or empty; starts empty
  ExportDialogResult result;
};

// The text the "selected" list shows for each entry of the field list.
std::vector<std::string> SelectedFieldTexts(const FieldList& fields,
                                            const FieldCatalogue& catalogue);

// Builds the dialog over `state`, which must outlive it.
std::unique_ptr<ui::Dialog> BuildFieldSelectionDialog(FieldSelection& state,
                                                      const std::string& title);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_EXPORT_DIALOG_H_
