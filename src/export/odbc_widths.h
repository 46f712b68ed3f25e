// `OdbcWidthTable`: the column widths of 837 and 835 ODBC exports. A fixed
// table of field names and widths; for every name of a field list it gives,
// in list order, the catalogue row (name, name, width, "H", "C") of the
// table, or for a name the table does not hold (compared exactly once
// trailing blanks are removed) the row (name, "Field Error " + the running
// count of such names as a ten-character number, 14, "H", "C").
#ifndef ARDENTIX_EXPORT_ODBC_WIDTHS_H_
#define ARDENTIX_EXPORT_ODBC_WIDTHS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/catalogue.h"

namespace ardentix {

inline constexpr int kOdbcUnknownWidth = 14;

// The width the table gives a name; nullopt for a name it does not hold.
std::optional<int> OdbcWidthOf(std::string_view name);

std::vector<CatalogueRow> OdbcWidthTable(const std::vector<std::string>& names);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_ODBC_WIDTHS_H_
