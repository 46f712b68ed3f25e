// The "Create Mapping File" wizard of the main menu, built on the ui layer.
//
// It asks for a transaction type ("837I", "837P", "837D", "835", "270",
// "271", "276", "277") and a file type (XML or CSV), confirms creating or
// replacing "qv" + type + ".xml"/".csv" in the working folder, asks the
// yes/no questions and counts of that type, writes the map (through a
// temporary file and a rename, so an old map is only replaced by a complete
// new one) and opens it in the editor.
#ifndef ARDENTIX_EXPORT_MAP_WIZARD_H_
#define ARDENTIX_EXPORT_MAP_WIZARD_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix {

// Runs the wizard in `folder`. Returns the map file that exists at the end
// (written now, or kept when replacing it was declined); nullopt when no map
// was created or it could not be written.
std::optional<std::filesystem::path> MapWizard(const std::filesystem::path& folder);

// The names of one counted group of the 837I questions ("Other Diagnosis"
// and the like): with one segment stem + "01" .. stem + the element count
// in two digits; with any other segment count, for each element letter "A"
// up to the count's letter and within it for each segment k, stem + letter
// + k. Zero segments or elements give no names; elements above 12 are
// limited to 12.
std::vector<std::string> CountedGroupNames(std::string_view stem, int segments, int elements);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_MAP_WIZARD_H_
