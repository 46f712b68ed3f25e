#include "export/export_dialog.h"

#include <system_error>
#include <utility>

#include "common/text.h"
#include "export/format_choice.h"
#include "parse/logs.h"
#include "ui/ui.h"

namespace ardentix {

namespace fs = std::filesystem;

namespace {

constexpr int kDialogWidth = 600;
constexpr int kDialogHeight = 200;

std::string CurrentFolderText(const fs::path& folder) {
  std::error_code ec;
  const fs::path absolute = folder.empty() ? fs::current_path(ec) : fs::absolute(folder, ec);
  return ec ? folder.string() : absolute.string();
}

// Builds the catalogue (leaving its "Maptype" line in qvmap.log) and loads
// the field list of the family's map.
void LoadFields(FieldSelection& s, CatalogueVariant variant) {
  s.claim_type = s.family->ClaimType(*s.part);
  s.catalogue = s.family->Catalogue(*s.part, variant);
  logs::ResetMapLog(s.request.working_folder, s.catalogue.kind());
  s.fields =
      LoadMap(s.part->transaction_type, false, s.claim_type, s.catalogue, s.request.working_folder);
}

ExportOutcome RunEngine(const FieldSelection& s) {
  ExportRequest request;
  request.format = s.format;
  request.source_file = s.request.file_name;
  request.dialog_folder = s.request.dialog_folder;
  request.base_folder = s.request.base_folder;
  request.working_folder = s.request.working_folder;
  request.fields = s.fields;
  request.header_switch = s.header_switch;
  return ExportEngine(*s.family, *s.part, request);
}

void Refresh(ui::Dialog& d, const FieldSelection& s) {
  d.SetItems("selected", SelectedFieldTexts(s.fields, s.catalogue));
  const int selected = d.At("selected").Selection();
  const int last = static_cast<int>(s.fields.size()) - 1;
  if (selected > last || selected < 0) d.SetSelection("selected", last);
}

std::string HeaderLabel(const std::string& header_switch) {
  return header_switch == "HO" ? "Header in file is ON" : "Header in file is OFF";
}

}  // namespace

std::vector<std::string> SelectedFieldTexts(const FieldList& fields,
                                            const FieldCatalogue& catalogue) {
  std::vector<std::string> texts;
  texts.reserve(fields.size());
  for (const std::string& name : fields) {
    const CatalogueRow* row = catalogue.Find(name);
    texts.push_back(row ? row->description : name);
  }
  return texts;
}

std::unique_ptr<ui::Dialog> BuildFieldSelectionDialog(FieldSelection& s, const std::string& title) {
  auto dialog = std::make_unique<ui::Dialog>(title, kDialogWidth, kDialogHeight);
  ui::Dialog& d = *dialog;
  const bool listing = s.request.purpose == ExportPurpose::kListing;

  std::vector<std::string> available;
  available.reserve(s.catalogue.size());
  for (const CatalogueRow& row : s.catalogue) available.push_back(row.description);
  d.Add(ui::ControlKind::kList, "available", ui::Rect{10, 10, 110, 70}, "Available Fields");
  d.SetItems("available", std::move(available));
  if (!s.catalogue.empty()) d.SetSelection("available", 0);
  d.Add(ui::ControlKind::kList, "selected", ui::Rect{180, 10, 110, 70},
        listing ? "Print Fields" : "Export Fields");
  d.SetItems("selected", SelectedFieldTexts(s.fields, s.catalogue));
  if (!s.fields.empty()) d.SetSelection("selected", 0);

  d.AddButton("exit", "Exit", ui::Rect{130, 10, 40, 12}).is_cancel = true;
  d.AddButton("add", "Add", ui::Rect{130, 30, 40, 12});
  d.AddButton("remove", "Remove", ui::Rect{130, 50, 40, 12});
  d.AddButton("default", "Default", ui::Rect{10, 82, 40, 12});
  d.AddButton("save", "Save", ui::Rect{60, 82, 40, 12});

  d.OnClick("exit", [](ui::Dialog& dlg, const ui::Event&) { dlg.Close(0); });
  d.OnClick("add", [&s](ui::Dialog& dlg, const ui::Event&) {
    const int row = dlg.At("available").Selection();
    if (row < 0 || static_cast<std::size_t>(row) >= s.catalogue.size()) return;
    const std::string& name = s.catalogue[static_cast<std::size_t>(row)].name;
    if (s.fields.size() == 1 && s.fields[0].empty()) {
      s.fields[0] = name;
    } else {
      s.fields.push_back(name);
    }
    if (static_cast<std::size_t>(row) + 1 < s.catalogue.size()) {
      dlg.SetSelection("available", row + 1);
    }
    Refresh(dlg, s);
  });
  d.OnClick("remove", [&s](ui::Dialog& dlg, const ui::Event&) {
    const int row = dlg.At("selected").Selection();
    if (row < 0 || static_cast<std::size_t>(row) >= s.fields.size()) return;
    s.fields.erase(s.fields.begin() + row);
    FieldList kept;
    for (std::string& name : s.fields)
      if (!name.empty()) kept.push_back(std::move(name));
    if (kept.empty()) kept.emplace_back();
    s.fields = std::move(kept);
    Refresh(dlg, s);
  });
  d.OnClick("default", [&s](ui::Dialog& dlg, const ui::Event&) {
    DeleteMap(s.part->transaction_type, s.claim_type, s.request.working_folder);
    s.fields = LoadMap(s.part->transaction_type, true, s.claim_type, s.catalogue,
                       s.request.working_folder);
    Refresh(dlg, s);
  });
  d.OnClick("save", [&s](ui::Dialog&, const ui::Event&) {
    SaveMap(s.part->transaction_type, s.fields, s.claim_type, s.request.working_folder);
  });

  if (!listing) {
    d.AddButton("begin", "Begin", ui::Rect{130, 70, 40, 12}).is_default = true;
    d.AddButton("header", "-", ui::Rect{180, 82, 12, 12});
    d.AddLabel("header_label", HeaderLabel(s.header_switch), ui::Rect{200, 82, 150, 12});
    d.OnClick("begin", [&s](ui::Dialog& dlg, const ui::Event&) {
      logs::BeginExportLog(s.request.working_folder);
      s.result.outcome = RunEngine(s);
      logs::EndExportLog(s.request.working_folder, CurrentFolderText(s.request.working_folder));
      dlg.Close(1);
    });
    d.OnClick("header", [&s](ui::Dialog& dlg, const ui::Event&) {
      s.header_switch = s.header_switch == "HO" ? "" : "HO";
      dlg.SetText("header_label", HeaderLabel(s.header_switch));
    });
  } else {
    const struct {
      const char* id;
      const char* caption;
      int x;
      ListingPage page;
    } pages[] = {{"fields", "Fields", 150, ListingPage::kFields},
                 {"totals", "Totals", 200, ListingPage::kTotals},
                 {"print", "Print", 250, ListingPage::kListing}};
    for (const auto& p : pages) {
      d.AddButton(p.id, p.caption, ui::Rect{p.x, 82, 40, 12});
      d.OnClick(p.id, [&s, page = p.page](ui::Dialog& dlg, const ui::Event&) {
        s.result.listing =
            PrintListing(*s.family, *s.part, s.fields, s.catalogue, page, s.request.working_folder);
        dlg.Close(1);
      });
    }
  }
  return dialog;
}

ExportDialogResult ExportDialog(const ExportFamily& family, const ExportPart& part,
                                const ExportDialogRequest& request) {
  FieldSelection s;
  s.family = &family;
  s.part = &part;
  s.request = request;
  s.result.units = family.UnitCount(part);
  if (s.result.units == 0) return s.result;

  if (part.mode == x12::DispatchMode::kExport) {
    const std::optional<ExportFormat> format = FormatFromParseType(part.spec.parse_type);
    if (!format) return s.result;
    s.format = *format;
    LoadFields(s, CatalogueVariant::kLong);
    s.result.outcome = RunEngine(s);
    return s.result;
  }

  std::string title = "Print Field Select";
  if (request.purpose == ExportPurpose::kExport) {
    const std::optional<ExportFormat> format = FormatFromCode(SelectFormat(2));
    if (!format) return s.result;
    s.format = *format;
    title = "Export Data to " + std::string(FormatWord(s.format));
  }
  LoadFields(s, CatalogueVariant::kShort);
  std::unique_ptr<ui::Dialog> dialog = BuildFieldSelectionDialog(s, title);
  ui::CurrentUi().RunModal(*dialog);
  return s.result;
}

}  // namespace ardentix
