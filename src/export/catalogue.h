// Field catalogues: the ordered export columns of a transaction family.
//
// A `FieldCatalogue` is what the export and listing dialogs offer, the
// default field list of some exports and the full column set of dBASE
// exports: rows of name, description (as shown to the user, stored exactly,
// trailing blanks and misspellings included), width (dBASE field length,
// ODBC column length, printed column width), level mark ("H", or "T" for
// claim totals) and kind mark ("C" text, "$" money, or empty).
//
// This header offers the type with its name index, the 837 catalogues of
// professional, institutional and dental claims (`BuildCatalogue`), the
// "Maptype = " line every catalogue build leaves in qvmap.log, and
// `CatalogueRowsForNames`, which maps the names of a field list to rows.
// Builders are pure: reading the claim type and writing the log are the
// caller's job.
#ifndef ARDENTIX_EXPORT_CATALOGUE_H_
#define ARDENTIX_EXPORT_CATALOGUE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix {

struct CatalogueRow {
  std::string name;         // upper-case field name: maps, headers, XML tags, lookups
  std::string description;  // shown in selection lists and printed listings
  int width = 0;            // 0 only in the empty row
  std::string level;        // "H" or "T"; empty only in the empty row
  std::string kind;         // "C", "$" or ""

  bool empty() const { return name.empty(); }
  friend bool operator==(const CatalogueRow&, const CatalogueRow&) = default;
};

// An immutable ordered list of rows with an index by name. Copies and moves
// keep the index valid (it holds row numbers, not pointers).
class FieldCatalogue {
 public:
  FieldCatalogue() = default;
  // `kind` is the catalogue kind written after "Maptype = " ("Professional",
  // "Institutional ", "Dental", "Error", "835", "277 ", "271").
  FieldCatalogue(std::string kind, std::vector<CatalogueRow> rows);

  const std::string& kind() const { return kind_; }
  const std::vector<CatalogueRow>& rows() const { return rows_; }
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  // 0-based, like the vector.
  const CatalogueRow& operator[](std::size_t i) const { return rows_[i]; }
  std::vector<CatalogueRow>::const_iterator begin() const { return rows_.begin(); }
  std::vector<CatalogueRow>::const_iterator end() const { return rows_.end(); }

  // 0-based position of the first row whose name equals `name` exactly once
  // trailing blanks are removed from `name`; nullopt when there is none.
  // Where a name occurs twice (an 835 row does) the earlier row is found.
  std::optional<std::size_t> IndexOf(std::string_view name) const;
  // The row of IndexOf, or nullptr.
  const CatalogueRow* Find(std::string_view name) const;

  // 0-based position of the first row among rows [0, limit) whose name
  // begins with `prefix` (an empty prefix gives row 0 when there is one).
  std::optional<std::size_t> FirstWithPrefix(std::string_view prefix,
                                             std::size_t limit = SIZE_MAX) const;

 private:
  std::string kind_;
  std::vector<CatalogueRow> rows_;
  // Row numbers sorted by name, equal names by row number.
  std::vector<std::uint32_t> by_name_;
};

// The names of all rows, in order (the default field list of the 837
// institutional and dental exports).
std::vector<std::string> CatalogueNames(const FieldCatalogue& catalogue);

// "Maptype = " + the catalogue kind: the single line of qvmap.log after a
// catalogue build (the caller adds the line end and writes the file).
std::string MapTypeLine(const FieldCatalogue& catalogue);

// ---- 837 -----------------------------------------------------------------

enum class ClaimKind { kUnrecognised, kProfessional, kInstitutional, kDental };

// The claim kind from the CLAIMTYPE value of claim 1 of claim unit 1: the
// value is upper-cased and counts when it begins with "PROFESSIONAL",
// "INSTITUTIONAL" or "DENTAL" (or is the word followed by blanks).
ClaimKind ClaimKindFromType(std::string_view claim_type);

// The 837 catalogue of a claim kind: 38 rows common to every kind, the
// kind's own rows, 67 common rows at the end (230 professional, 338
// institutional, 236 dental rows), every row marked "H" and "C". An
// unrecognised kind gives the single row ERROR, "Error", 35 and the kind
// "Error".
FieldCatalogue BuildCatalogue(ClaimKind kind);
// Same, from the CLAIMTYPE value.
inline FieldCatalogue BuildClaimCatalogue(std::string_view claim_type) {
  return BuildCatalogue(ClaimKindFromType(claim_type));
}

// ---- names to rows ---------------------------------------------------------

// Only the first rows of a catalogue take part in CatalogueRowsForNames.
inline constexpr std::size_t kRowsForNamesLimit = 254;

// For each name in order, a copy of the first catalogue row among the first
// kRowsForNamesLimit rows that the name matches loosely: the row's name
// begins with it, or it is the row's name followed by blanks (an empty name
// matches the first row). A name that matches nothing gives an empty row at
// its own position, so row i always belongs to name i. The result is as
// long as `names`.
std::vector<CatalogueRow> CatalogueRowsForNames(const std::vector<std::string>& names,
                                                const FieldCatalogue& catalogue);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_CATALOGUE_H_
