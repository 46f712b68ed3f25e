#include "export/map.h"

#include <cerrno>
#include <ctime>
#include <system_error>
#include <utility>

#include "common/files.h"
#include "common/number.h"
#include "common/text.h"
#include "export/map_file.h"
#include "parse/logs.h"
#include "ui/meter.h"
#include "ui/ui.h"

namespace ardentix {

namespace {

FieldList Default837(std::string_view claim_type, const FieldCatalogue& catalogue) {
  if (ClaimKindFromType(claim_type) == ClaimKind::kProfessional) return ProfessionalDefaultList();
  return CatalogueNames(catalogue);
}

FieldList EveryCatalogueName(std::string_view, const FieldCatalogue& catalogue) {
  return CatalogueNames(catalogue);
}

// The families whose exports read maps. A family added later brings its
// catalogue through the caller; its default list comes from this table.
constexpr MapFamily kFamilies[] = {
    {"837", true, true, true, true, MapLogStyle::k837, &Default837},
    {"835", false, true, true, true, MapLogStyle::k835, &EveryCatalogueName},
    {"277", false, false, false, false, MapLogStyle::kNone, &EveryCatalogueName},
    {"271", false, false, false, false, MapLogStyle::kNone, &EveryCatalogueName},
};

// "qv837p", "qv835", ...: the stem of a family's map names; empty for an 837
// claim type that has no maps.
std::string MapStem(const MapFamily& family, std::string_view claim_type) {
  if (!family.by_claim_type) return "qv" + std::string(family.type);
  switch (ClaimKindFromType(claim_type)) {
    case ClaimKind::kProfessional:
      return "qv837p";
    case ClaimKind::kInstitutional:
      return "qv837i";
    case ClaimKind::kDental:
      return "qv837d";
    case ClaimKind::kUnrecognised:
      break;
  }
  return {};
}

std::string& CurrentMapSlot() {
  static std::string name;
  return name;
}

fs::path InFolder(const fs::path& folder, std::string_view name) {
  const fs::path path{std::string(name)};
  if (folder.empty() || path.is_absolute()) return path;
  return folder / path;
}

std::string FolderText(const fs::path& folder) {
  std::error_code ec;
  const fs::path absolute = folder.empty() ? fs::current_path(ec) : fs::absolute(folder, ec);
  return ec ? folder.string() : absolute.string();
}

std::string TwoDigits(int number) {
  std::string text = FormatInteger(number);
  if (text.size() < 2) text.insert(0, 2 - text.size(), '0');
  return text;
}

// The other spellings of a fixed name in `folder` (not `name` itself).
std::vector<fs::path> OtherSpellings(const fs::path& folder, std::string_view name) {
  std::vector<fs::path> found;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
  if (ec) return found;
  for (const auto& entry : it) {
    const std::string entry_name = entry.path().filename().string();
    if (entry_name != name && EqualsNoCase(entry_name, name) && entry.is_regular_file(ec)) {
      found.push_back(InFolder(folder, entry_name));
    }
  }
  return found;
}

// What the loader found for one family.
struct Found {
  std::string shown;  // the name as written to qvmap.log
  fs::path path;
  bool csv = false;
  bool sniff = false;  // the format is taken from the text
};

std::optional<Found> FindMap(const MapFamily& family, std::string_view claim_type,
                             const fs::path& folder) {
  const std::string stem = MapStem(family, claim_type);
  const bool option = family.option_map_applies && CurrentMapFileCounts();
  const std::string& current = CurrentMapFile();
  // A map chosen by MAP= or SELECTMAP= that exists is the map, whatever its
  // extension: a family's own CSV map must not win over it. Its format
  // follows its extension; any other extension is read as XML when the
  // text holds a FIELD element, else as CSV.
  if (option) {
    if (auto path = FindMapFile(folder, current)) {
      Found found{current, *path, EndsWithNoCase(current, "CSV")};
      found.sniff = !found.csv && !EndsWithNoCase(current, "XML");
      return found;
    }
  }
  if (family.reads_csv && !stem.empty()) {
    const std::string name = stem + ".csv";
    if (auto path = FindMapFile(folder, name)) return Found{name, *path, true};
  }
  if (!stem.empty()) {
    const std::string name = stem + ".xml";
    if (auto path = FindMapFile(folder, name)) return Found{name, *path, false};
  }
  return std::nullopt;
}

// Reads a map file; an error text names what went wrong.
MapText ReadMap(Found& found, ui::ScopedMeter& meter) {
  if (FileSizeOrZero(found.path) > kMaxMapBytes) {
    MapText result;
    result.error = "the file is larger than " + FormatInteger(kMaxMapBytes >> 20) + " MB";
    return result;
  }
  std::string bytes;
  errno = 0;
  if (!ReadWholeFile(found.path, bytes)) {
    MapText result;
    result.error = "Cfile <ERROR> FC-Open #" + TwoDigits(errno);
    return result;
  }
  const MapProgress progress = [&meter](std::size_t done, std::size_t total) {
    meter.Update(done, total);
  };
  if (found.sniff) found.csv = FindNoCase(bytes, "<FIELD") == std::string::npos;
  return found.csv ? ParseCsvMap(bytes, progress) : ParseXmlMap(bytes, progress);
}

}  // namespace

// ---- families and names ------------------------------------------------------

const MapFamily* MapFamilyOf(std::string_view type) {
  type = TrimBlanks(type);
  for (const MapFamily& family : kFamilies) {
    if (family.type == type) return &family;
  }
  return nullptr;
}

std::optional<std::string> XmlMapName(std::string_view type, std::string_view claim_type) {
  const MapFamily* family = MapFamilyOf(type);
  if (family == nullptr) return std::nullopt;
  const std::string stem = MapStem(*family, claim_type);
  if (stem.empty()) return std::nullopt;
  return stem + ".xml";
}

std::optional<std::string> CsvMapName(std::string_view type, std::string_view claim_type) {
  const MapFamily* family = MapFamilyOf(type);
  if (family == nullptr || !family->reads_csv) return std::nullopt;
  const std::string stem = MapStem(*family, claim_type);
  if (stem.empty()) return std::nullopt;
  return stem + ".csv";
}

const FieldList& ProfessionalDefaultList() {
  static const FieldList list = [] {
    FieldList names = {"SUBLNAME",     "SUBFNAME",      "SUBMI",        "SUBNAMEPREFIX",
                       "SUBNAMESUFIX", "SUBIDCODE",     "SUBADDR1",     "SUBADDR2",
                       "SUBCITY",      "SUBST",         "SUBZIP",       "SUBSEX",
                       "SUBSTATUS",    "SUBDOB",        "SUBREL",       "SUBORDER",
                       "PAYERNAME",    "PAYERADDR1",    "PAYERADDR2",   "PAYERCITY",
                       "PAYERST",      "PAYERZIP",      "PATLNAME",     "PATFNAME",
                       "PATMI",        "PATNAMEPREFIX", "PATNAMESUFIX", "PATADDR1",
                       "PATADDR2",     "PATCITY",       "PATST",        "PATZIP",
                       "PATSEX",       "PATMSTAT",      "PATDOB",       "PATREL",
                       "CLAIMID",      "CLAIMAMT",      "POSCODE",      "DX1",
                       "DX2",          "DX3",           "DX4",          "DX5"};
    static constexpr const char* kLine[] = {"PROC",        "MODA",     "MODB",     "MODC",
                                            "DOS",         "AMT",      "UNITS",    "DXLINK",
                                            "POSLINECODE", "PRICEAMT", "PRICEREF", "ADJUDID"};
    for (int line = 1; line <= 10; ++line) {
      for (const char* stem : kLine) names.push_back(stem + FormatInteger(line));
    }
    return names;
  }();
  return list;
}

FieldList DefaultFieldList(std::string_view type, std::string_view claim_type,
                           const FieldCatalogue& catalogue) {
  const MapFamily* family = MapFamilyOf(type);
  if (family == nullptr) return FieldList{""};
  return family->defaults(claim_type, catalogue);
}

// ---- the current map file ------------------------------------------------

const std::string& CurrentMapFile() { return CurrentMapSlot(); }
void SetCurrentMapFile(std::string name) { CurrentMapSlot() = std::move(name); }
bool CurrentMapFileCounts() { return CurrentMapSlot().size() > 4; }

std::optional<fs::path> FindMapFile(const fs::path& folder, std::string_view name) {
  if (TrimBlanks(name).empty()) return std::nullopt;
  const fs::path path = InFolder(folder, name);
  if (FileExists(path)) return path;
  const std::string file_name = path.filename().string();
  if (file_name.empty()) return std::nullopt;
  return FindFileNoCase(path.parent_path(), file_name);
}

bool ApplyMapOption(std::string_view name, const fs::path& folder) {
  name = TrimBlanks(name);
  if (FindMapFile(folder, name)) {
    SetCurrentMapFile(std::string(name));
    return true;
  }
  SetCurrentMapFile({});
  return false;
}

bool ApplySelectMapOption(std::string_view mask, const fs::path& folder) {
  ui::FileChooserSpec spec;
  spec.title = "Select a Map File";
  spec.folder = folder.string();
  spec.masks = {std::string(TrimBlanks(mask))};
  const std::optional<std::string> chosen = ui::CurrentUi().ChooseFile(spec);
  if (chosen && FindMapFile(folder, *chosen)) {
    SetCurrentMapFile(*chosen);
    return true;
  }
  SetCurrentMapFile({});
  return false;
}

MapOptions FindMapOptions(std::string_view options) {
  MapOptions found;
  for (std::string_view piece : SplitPieces(options, ',')) {
    piece = TrimWhitespace(piece);
    if (StartsWithNoCase(piece, "SELECTMAP=")) {
      found.select_map = std::string(TrimWhitespace(piece.substr(10)));
    } else if (StartsWithNoCase(piece, "MAP=")) {
      found.map = std::string(TrimWhitespace(piece.substr(4)));
    }
  }
  return found;
}

// ---- loading -----------------------------------------------------------------

FieldList LoadMap(std::string_view type, bool reset, std::string_view claim_type,
                  const FieldCatalogue& catalogue, const fs::path& folder) {
  ui::ScopedMeter meter("Loading Configuration ", "Please Wait..");
  const std::time_t now = logs::Now();
  std::vector<std::string> log = {logs::DateText(now) + logs::TimeText(now) +
                                  " - Loading Configuration "};
  const MapFamily* family = MapFamilyOf(type);
  if (family == nullptr) {
    logs::AppendMapLog(folder, log);
    return FieldList{""};
  }
  const bool is_837 = family->log == MapLogStyle::k837;
  const bool is_835 = family->log == MapLogStyle::k835;

  FieldList list;
  std::optional<Found> found = FindMap(*family, claim_type, folder);
  if (found) {
    MapText map = ReadMap(*found, meter);
    if (!map.ok()) {
      const std::string message = "Map File : " + found->shown + " can not be used (" + map.error +
                                  "). Using the default map.";
      ui::CurrentUi().Message(message, " WARNING.", ui::MessageIcon::kWarning);
      log.push_back(message);
      reset = true;
    } else {
      list = std::move(map.names);
      const std::string count = " Field Count " + logs::Padded(static_cast<long long>(list.size()));
      if (is_837) {
        log.push_back(found->csv ? " CSV 837 Map File Present " : "XML 837 Map File Present ");
        log.push_back("Map File : " + found->shown);
        log.push_back("Current Directory =" + FolderText(folder));
        log.push_back(count);
      } else if (is_835) {
        log.push_back(found->csv ? "835 CSV Map file " : "835 XML Map file ");
        log.push_back("Map File : " + found->shown);
        if (CurrentMapFileCounts()) log.push_back("Option Map File : " + CurrentMapFile());
        log.push_back("Current Directory =" + FolderText(folder));
        for (std::size_t n = 0; n < list.size(); ++n) {
          log.push_back(FormatInteger(static_cast<long long>(n + 1)) + " Field = " + list[n]);
        }
        log.push_back(count);
      }
    }
  } else {
    reset = true;
    if (is_837) {
      log.push_back("Mapping File Not Found. Using Default System Map " + std::string(claim_type));
    }
  }

  if (reset) {
    list = family->defaults(claim_type, catalogue);
    if (!found && is_835) {
      log.push_back("No Map Found, Using Default 835 Mapping. ");
      log.push_back(" Field Count " + logs::Padded(static_cast<long long>(list.size())));
    }
  }
  logs::AppendMapLog(folder, log);
  return list;
}

// ---- saving and deleting ---------------------------------------------------

bool WriteMapFile(const fs::path& folder, std::string_view name, std::string_view bytes) {
  const fs::path target = InFolder(folder, name);
  errno = 0;
  if (!WriteFileReplacing(target, bytes)) {
    const int error = errno;
    ui::CurrentUi().Message("Cfile <ERROR> FC-Open #" + TwoDigits(error) + " " + target.string(),
                            " WARNING.", ui::MessageIcon::kStop);
    return false;
  }
  // The map now has its documented spelling; an old one under another letter
  // case would only confuse the next reader.
  for (const fs::path& other : OtherSpellings(folder, name)) {
    std::error_code ec;
    fs::remove(other, ec);
  }
  return true;
}

MapSaveResult SaveMap(std::string_view type, const FieldList& list, std::string_view claim_type,
                      const fs::path& folder) {
  const MapFamily* family = MapFamilyOf(type);
  if (family == nullptr || !family->saved) return MapSaveResult::kNoMapFile;
  const std::optional<std::string> name = XmlMapName(type, claim_type);
  if (!name) return MapSaveResult::kNoMapFile;

  const std::string text = XmlMapText(list);
  if (const auto existing = FindFileNoCase(folder, *name)) {
    if (!ui::CurrentUi().AskYesNo(existing->filename().string() + " Already Exists. Overwrite it?",
                                  " WARNING.", false)) {
      return MapSaveResult::kDeclined;
    }
  }
  if (!WriteMapFile(folder, *name, text)) return MapSaveResult::kFailed;
  return MapSaveResult::kWritten;
}

bool DeleteMap(std::string_view type, std::string_view claim_type, const fs::path& folder) {
  const MapFamily* family = MapFamilyOf(type);
  if (family == nullptr || !family->saved) return false;
  const std::optional<std::string> name = XmlMapName(type, claim_type);
  if (!name) return false;
  bool erased = false;
  std::error_code ec;
  const fs::path documented = InFolder(folder, *name);
  if (FileExists(documented) && fs::remove(documented, ec)) erased = true;
  for (const fs::path& other : OtherSpellings(folder, *name)) {
    if (fs::remove(other, ec)) erased = true;
  }
  return erased;
}

}  // namespace ardentix
