// Every name of the field-name table written out with its suffixes, for the
// tests and the benchmark of the claim lookup: service-line names with line
// numbers 1 to `lines`, HI position names with 01 to 12, secondary-id names
// with repeat numbers 1 to `repeats` (and none), K3DATA with and without a
// cut, and every other entry as it stands.
#ifndef ARDENTIX_CLAIMS_FIELD_NAME_LIST_H_
#define ARDENTIX_CLAIMS_FIELD_NAME_LIST_H_

#include <string>
#include <vector>

#include "claims/field_names.h"

namespace ardentix::claims {

inline std::vector<std::string> ExpandedFieldNames(int lines = 6, int repeats = 3) {
  std::vector<std::string> names;
  for (const FieldNameEntry& e : FieldNameTable()) {
    const std::string base(e.text);
    switch (e.suffix) {
      case SuffixKind::kLine:
        for (int n = 1; n <= lines; ++n) names.push_back(base + std::to_string(n));
        break;
      case SuffixKind::kPosition:
        for (int n = 1; n <= 12; ++n)
          names.push_back(base + (n < 10 ? "0" : "") + std::to_string(n));
        break;
      case SuffixKind::kRepeat:
        names.push_back(base);
        for (int n = 1; n <= repeats; ++n) names.push_back(base + std::to_string(n));
        break;
      case SuffixKind::kK3Cut:
        names.push_back(base);
        names.push_back(base + "_3_4");
        break;
      default:
        names.push_back(base);
        break;
    }
  }
  return names;
}

}  // namespace ardentix::claims

#endif  // ARDENTIX_CLAIMS_FIELD_NAME_LIST_H_
