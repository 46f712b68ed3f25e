#include "parse/parse_dialog.h"

#include <array>

#include "common/text.h"
#include "export/odbc_writer.h"
#include "ui/ui.h"

namespace ardentix::parse {

namespace {

using ui::Cells;
using ui::Dialog;
using ui::Event;

TablePicker& PickerSlot() {
  static TablePicker picker;
  return picker;
}

std::function<std::vector<std::string>()>& ListerSlot() {
  static std::function<std::vector<std::string>()> lister;
  return lister;
}

constexpr const char* kTitle = "X12 Parser";

struct Switch {
  const char* id;
  const char* label;
  const char* word;
};
constexpr std::array<Switch, 4> kSwitches = {{
    {parse_ids::kIndividual, "Individual Claims", "IC"},
    {parse_ids::kOverwrite, "Overwrite Existing Files", "OW"},
    {parse_ids::kHeader, "Header in File", "HO"},
    {parse_ids::kMerge, "Merge Files", "MF"},
}};

std::string Toggle(const std::string& id) { return id + "_toggle"; }

void SetSwitch(Dialog& d, const char* id, bool on) { d.SetText(id, on ? "YES" : "NO"); }
bool SwitchOn(const Dialog& d, const char* id) { return d.Text(id) == "YES"; }

}  // namespace

const std::vector<std::string>& DialogTypeWords() {
  static const std::vector<std::string> words = {"CSV", "XML", "DBF", "TXT", "RTF", "PDF",
                                                 "HTM", "837", "276", "835", "ISA", "ODBC"};
  return words;
}

void SetOdbcTablePicker(TablePicker picker) { PickerSlot() = std::move(picker); }

void SetDataSourceLister(std::function<std::vector<std::string>()> lister) {
  ListerSlot() = std::move(lister);
}

std::string OutputTypeDialog() {
  Dialog d("Parser Output Type", 200, 16 * 16);
  auto chosen = std::make_shared<std::string>();
  int row = 1;
  for (const std::string& word : DialogTypeWords()) {
    d.AddButton("type:" + word, word, Cells(row++, 4, 1, 12));
    d.OnClick("type:" + word, [chosen, word](Dialog& dialog, const Event&) {
      *chosen = word;
      dialog.Close(1);
    });
  }
  ui::CurrentUi().RunModal(d);
  return *chosen;
}

std::string SelectDsnDialog(std::optional<std::vector<std::string>> sources) {
  if (!sources && ListerSlot()) sources = ListerSlot()();
  if (!sources) {
    sources.emplace();
    for (const OdbcDataSource& s : ListOdbcDataSources()) sources->push_back(s.name);
  }
  Dialog d("Select DSN", 40 * ui::Units::kCol, 18 * ui::Units::kRow);
  auto result = std::make_shared<std::string>();
  d.AddLabel("table_label", "Table : ", Cells(1, 2, 1, 9));
  d.AddEdit("table", "", Cells(1, 11, 1, 26), 48);
  d.AddLabel("dsn_label", "DSN : ", Cells(3, 2, 1, 9));
  d.AddList("dsn", *sources, Cells(3, 11, 9, 26));
  if (!sources->empty()) d.SetSelection("dsn", static_cast<int>(sources->size()) - 1);
  d.AddButton("select_table", "Select Table", Cells(13, 2, 1, 14));
  d.AddButton("cancel", "Cancel", Cells(15, 2, 1, 10)).is_cancel = true;
  d.AddButton("continue", "Continue", Cells(15, 14, 1, 10)).is_default = true;
  auto selected_dsn = [](const Dialog& dialog) {
    const ui::Control& list = dialog.At("dsn");
    const int row = list.Selection();
    if (row < 0 || static_cast<std::size_t>(row) >= list.RowCount()) return std::string();
    return std::string(TrimRightBlanks(list.Row(static_cast<std::size_t>(row))));
  };
  d.OnClick("select_table", [selected_dsn](Dialog& dialog, const Event&) {
    const std::string dsn = selected_dsn(dialog);
    if (!PickerSlot()) {
      ui::CurrentUi().Notice("Select Table is not available yet in this version.", "Select DSN");
      return;
    }
    if (auto table = PickerSlot()(dsn)) dialog.SetText("table", *table);
  });
  d.OnClick("cancel", [result](Dialog& dialog, const Event&) {
    result->clear();
    dialog.Close(0);
  });
  d.OnClick("continue", [result, selected_dsn](Dialog& dialog, const Event&) {
    *result = selected_dsn(dialog) + ":" + std::string(TrimRightBlanks(dialog.Text("table")));
    dialog.Close(1);
  });
  ui::CurrentUi().RunModal(d);
  return *result;
}

std::unique_ptr<Dialog> BuildParseDialog(const x12::ParseSpec& spec,
                                         const std::string& working_folder,
                                         std::shared_ptr<x12::ParseSpec> out) {
  namespace id = parse_ids;
  *out = spec;
  auto d = std::make_unique<Dialog>(kTitle, 70 * ui::Units::kCol, 22 * ui::Units::kRow);
  d->AddButton(id::kExit, "Exit", Cells(1, 2, 1, 8)).is_cancel = true;

  d->AddLabel("type_label", "Output Type : ", Cells(3, 2, 1, 14));
  d->AddButton(id::kTypeButton, "-", Cells(3, 17, 1, 2));
  d->AddLabel(id::kType, std::string(TrimBlanks(spec.parse_type)), Cells(3, 20, 1, 10));
  d->AddLabel(id::kFormat, "Mapped Format", Cells(3, 32, 1, 16));

  d->AddLabel("source_label", "Source : ", Cells(5, 2, 1, 14));
  d->AddButton(id::kSourceFile, "File", Cells(5, 17, 1, 6));
  d->AddButton(id::kSourceFolder, "Folder", Cells(5, 24, 1, 8));
  d->AddEdit(id::kSource, std::string(TrimRightBlanks(spec.source_file)), Cells(6, 2, 1, 64), 255);

  d->AddLabel("destination_label", "Destination : ", Cells(8, 2, 1, 14));
  d->AddButton(id::kDestinationFile, "File", Cells(8, 17, 1, 6));
  d->AddButton(id::kDestinationFolder, "Folder", Cells(8, 24, 1, 8));
  d->AddEdit(id::kDestination, std::string(TrimRightBlanks(spec.destination_folder)),
             Cells(9, 2, 1, 64), 255);

  // The switches start at their defaults (NO, NO, YES, NO); the request's own
  // IC, OW, HO and MF switch theirs on and the other words go to "Options :".
  bool on[4] = {false, false, true, false};
  std::string rest;
  for (std::string_view piece : SplitPieces(spec.parse_options, ',')) {
    const std::string_view word = TrimBlanks(piece);
    if (word.empty()) continue;
    bool taken = false;
    for (std::size_t i = 0; i < kSwitches.size(); ++i) {
      if (word == kSwitches[i].word) on[i] = taken = true;
    }
    if (taken) continue;
    if (!rest.empty()) rest.push_back(',');
    rest.append(word);
  }
  int row = 11;
  for (std::size_t i = 0; i < kSwitches.size(); ++i, ++row) {
    const Switch& s = kSwitches[i];
    d->AddLabel(std::string(s.id) + "_label", s.label, Cells(row, 2, 1, 26));
    d->AddLabel(s.id, on[i] ? "YES" : "NO", Cells(row, 29, 1, 4));
    d->AddButton(Toggle(s.id), "-", Cells(row, 34, 1, 2));
    d->OnClick(Toggle(s.id), [s](Dialog& dialog, const Event&) {
      SetSwitch(dialog, s.id, !SwitchOn(dialog, s.id));
    });
  }
  d->AddLabel("options_label", "Options :", Cells(16, 2, 1, 10));
  d->AddEdit(id::kOptions, rest, Cells(17, 2, 1, 64), 1000);
  d->AddButton(id::kBegin, "Begin", Cells(19, 2, 1, 8)).is_default = true;

  auto type_word = [](const Dialog& dialog) {
    return std::string(TrimBlanks(dialog.Text(id::kType)));
  };
  auto exit = [out](Dialog& dialog, const Event&) {
    out->parse_type.clear();
    dialog.Close(0);
  };
  d->OnClick(id::kExit, exit);
  d->OnClose(exit);
  d->OnClick(id::kTypeButton, [](Dialog& dialog, const Event&) {
    const std::string word = OutputTypeDialog();
    if (word.empty()) return;
    dialog.SetText(id::kType, word);
    if (word == "837") SetSwitch(dialog, id::kIndividual, true);
  });
  d->OnClick(id::kSourceFile, [working_folder](Dialog& dialog, const Event&) {
    ui::FileChooserSpec chooser;
    chooser.title = "Select X12 File";
    chooser.folder = working_folder;
    chooser.masks = {"*.*"};
    if (auto file = ui::CurrentUi().ChooseFile(chooser)) dialog.SetText(id::kSource, *file);
  });
  d->OnClick(id::kSourceFolder, [working_folder](Dialog& dialog, const Event&) {
    if (auto folder = ui::CurrentUi().ChooseFolder("Source Folder", working_folder)) {
      dialog.SetText(id::kSource, *folder);
    }
  });
  d->OnClick(id::kDestinationFile, [working_folder, type_word](Dialog& dialog, const Event&) {
    if (type_word(dialog) == "ODBC") {
      dialog.SetText(id::kDestination, SelectDsnDialog());
      return;
    }
    ui::FileChooserSpec chooser;
    chooser.title = "Destination File";
    chooser.folder = working_folder;
    chooser.masks = {"*.*"};
    chooser.save = true;
    if (auto file = ui::CurrentUi().ChooseFile(chooser)) dialog.SetText(id::kDestination, *file);
  });
  d->OnClick(id::kDestinationFolder, [working_folder, type_word](Dialog& dialog, const Event&) {
    if (type_word(dialog) == "ODBC") {
      dialog.SetText(id::kDestination, "");
      return;
    }
    if (auto folder = ui::CurrentUi().ChooseFolder("Destination Folder", working_folder)) {
      dialog.SetText(id::kDestination, *folder);
    }
  });
  d->OnClick(id::kBegin, [out, type_word](Dialog& dialog, const Event&) {
    out->parse_type = type_word(dialog);
    out->source_file = dialog.Text(id::kSource);
    out->destination_folder = dialog.Text(id::kDestination);
    out->destination_file = out->destination_folder;
    std::string options;
    auto add = [&options](std::string_view word) {
      if (!options.empty()) options.push_back(',');
      options.append(word);
    };
    // IC, OW, HO, MF in this order; "FL" (the loop format) would stand in
    // front of MF, but this dialog never selects it.
    for (const Switch& s : kSwitches) {
      if (SwitchOn(dialog, s.id)) add(s.word);
    }
    if (!TrimBlanks(dialog.Text(id::kOptions)).empty()) add(dialog.Text(id::kOptions));
    out->parse_options = options;
    if (TrimBlanks(out->parse_type).empty()) {
      ui::CurrentUi().Message("Parser Output Type Required.", kTitle, ui::MessageIcon::kStop);
    }
    if (TrimBlanks(out->source_file).empty()) {
      ui::CurrentUi().Message("Source File or Folder Required.", kTitle, ui::MessageIcon::kStop);
    }
    dialog.Close(1);
  });
  return d;
}

x12::ParseSpec ParseDialog(const x12::ParseSpec& spec, const std::string& working_folder) {
  auto out = std::make_shared<x12::ParseSpec>();
  std::unique_ptr<Dialog> d = BuildParseDialog(spec, working_folder, out);
  ui::CurrentUi().RunModal(*d);
  // A backend that closes the dialog without running it (unattended runs)
  // leaves the request as it came, with no type.
  if (!d->closed() || d->result() == 0) out->parse_type.clear();
  return *out;
}

}  // namespace ardentix::parse
