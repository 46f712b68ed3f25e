// Map files: which fields an export carries and in which order.
//
// This header offers
//  - `FieldList`, the ordered field names of one export;
//  - the map file names of each transaction family and the table of
//    families (`MapFamilyOf`), each with the provider of its default list;
//  - the current map file, a process-wide name set from the options MAP= and
//    SELECTMAP= that replaces the fixed map names of 837 and 835;
//  - `LoadMap`, `SaveMap` and `DeleteMap` on the map files of a working
//    folder, with the qvmap.log lines of the loader.
//
// Map files are found under any letter case and written with the documented
// spelling (qv837p.xml, ...); saving goes through a temporary file and a
// rename. A map that cannot be read gives a message and the default list.
#ifndef ARDENTIX_EXPORT_MAP_H_
#define ARDENTIX_EXPORT_MAP_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/catalogue.h"

namespace ardentix {

namespace fs = std::filesystem;

// The ordered field names of one export. An entry may be empty; names that
// no catalogue row has are kept (they are looked up by name).
using FieldList = std::vector<std::string>;

// ---- families and their map names ----------------------------------------

// The default list of a family: the claim type (837 only) and the family's
// catalogue as the caller built it give the list.
using DefaultMapProvider = FieldList (*)(std::string_view claim_type,
                                         const FieldCatalogue& catalogue);

// What the loader adds to qvmap.log after its first line.
enum class MapLogStyle {
  k837,   // "... 837 Map File Present ", name, folder, count; or "Mapping File Not Found..."
  k835,   // "835 ... Map file ", names, folder, one line per field, count; or "No Map Found..."
  kNone,  // nothing more
};

struct MapFamily {
  std::string_view type;    // "837", "835", "277", "271"
  bool by_claim_type;       // 837: the map names follow the claim type
  bool reads_csv;           // a CSV map is looked for before the XML map
  bool option_map_applies;  // the current map file replaces the fixed names
  bool saved;               // SaveMap and DeleteMap work on its XML map
  MapLogStyle log;
  DefaultMapProvider defaults;
};

// The family of a transaction type, or nullptr for any other type.
const MapFamily* MapFamilyOf(std::string_view type);

// Map file names with the documented spelling ("qv837p.xml", "qv835.csv"),
// by type and, for 837, claim type ("PROFESSIONAL", "INSTITUTIONAL",
// "DENTAL", compared loosely); nullopt where the family has no such map.
std::optional<std::string> XmlMapName(std::string_view type, std::string_view claim_type);
std::optional<std::string> CsvMapName(std::string_view type, std::string_view claim_type);

// The 164 names of the default professional list.
const FieldList& ProfessionalDefaultList();
// The default list of a type: 837 professional the fixed list, other 837
// claim types and 835, 277, 271 every catalogue name in catalogue order,
// any other type one empty name.
FieldList DefaultFieldList(std::string_view type, std::string_view claim_type,
                           const FieldCatalogue& catalogue);

// ---- the current map file -------------------------------------------------

// The process-wide name (empty by default; relative names refer to the
// working folder). It counts only when it is longer than 4 characters.
const std::string& CurrentMapFile();
void SetCurrentMapFile(std::string name);
bool CurrentMapFileCounts();

// The existing file a map name refers to: `name` as it stands (relative to
// `folder`), else the same name under another letter case in its folder.
std::optional<fs::path> FindMapFile(const fs::path& folder, std::string_view name);

// MAP=: when the named file exists it becomes the current map file,
// otherwise the current map file becomes empty. Returns whether it was set.
bool ApplyMapOption(std::string_view name, const fs::path& folder);
// SELECTMAP=: a file chooser titled "Select a Map File" opens with the mask
// in `folder`; the chosen existing file becomes the current map file,
// otherwise it becomes empty. Returns whether it was set.
bool ApplySelectMapOption(std::string_view mask, const fs::path& folder);

// The arguments of MAP= and SELECTMAP= in a comma-separated option text: a
// piece that begins with the word (in any letter case, blanks around the
// piece ignored) gives the rest of the piece, letter case kept. The last
// such piece wins.
struct MapOptions {
  std::optional<std::string> map;
  std::optional<std::string> select_map;
};
MapOptions FindMapOptions(std::string_view options);

// ---- loading, saving, deleting ---------------------------------------------

// Loads the field list of a family from the maps in `folder` (the working
// folder, which also holds qvmap.log) while a progress meter shows
// "Loading Configuration ".
//  - 837 and 835: the current map file when it counts and exists (read as
//    CSV when it ends in "CSV", as XML when it ends in "XML", otherwise by
//    its text); else the family's CSV map, else its XML map, else the
//    default list.
//  - 277 and 271: their XML map, else the default list.
//  - any other type: one empty name.
// With `reset` the default list is returned even when a map was read.
// A map that exists but cannot be read or is not a map gives a message
// (CurrentUi().Message) and the default list. The lines of the loader are
// added to qvmap.log when that file exists.
FieldList LoadMap(std::string_view type, bool reset, std::string_view claim_type,
                  const FieldCatalogue& catalogue, const fs::path& folder);

enum class MapSaveResult {
  kWritten,
  kDeclined,   // the map existed and the overwrite question was answered No
  kFailed,     // the file could not be written (a message was shown)
  kNoMapFile,  // the type (or 837 claim type) has no map that is saved
};
// Writes the XML map of 837 (by claim type) or 835 from the entries of
// `list` that are not blank. An existing map is replaced only after the
// question "<name> Already Exists. Overwrite it?" is answered Yes.
MapSaveResult SaveMap(std::string_view type, const FieldList& list, std::string_view claim_type,
                      const fs::path& folder);

// Writes a map file named `name` (the documented spelling) in `folder`
// through a temporary file and a rename, then removes the same name under
// other letter cases. On failure shows "Cfile <ERROR> FC-Open #" + the
// error number + the path and returns false; an old file is then untouched.
bool WriteMapFile(const fs::path& folder, std::string_view name, std::string_view bytes);

// Erases the XML map of 837 (by claim type) or 835 under any letter case;
// CSV maps are kept. Returns true when a file was erased.
bool DeleteMap(std::string_view type, std::string_view claim_type, const fs::path& folder);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_MAP_H_
