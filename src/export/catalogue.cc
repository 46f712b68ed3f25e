#include "export/catalogue.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "common/text.h"

namespace ardentix {

FieldCatalogue::FieldCatalogue(std::string kind, std::vector<CatalogueRow> rows)
    : kind_(std::move(kind)), rows_(std::move(rows)), by_name_(rows_.size()) {
  std::iota(by_name_.begin(), by_name_.end(), std::uint32_t{0});
  // Stable, so equal names stay in row order and the first one is found.
  std::stable_sort(by_name_.begin(), by_name_.end(), [this](std::uint32_t a, std::uint32_t b) {
    return rows_[a].name < rows_[b].name;
  });
}

std::optional<std::size_t> FieldCatalogue::IndexOf(std::string_view name) const {
  name = TrimRightBlanks(name);
  auto it = std::lower_bound(by_name_.begin(), by_name_.end(), name,
                             [this](std::uint32_t row, std::string_view key) {
                               return std::string_view(rows_[row].name) < key;
                             });
  if (it == by_name_.end() || rows_[*it].name != name) return std::nullopt;
  return *it;
}

const CatalogueRow* FieldCatalogue::Find(std::string_view name) const {
  auto index = IndexOf(name);
  return index ? &rows_[*index] : nullptr;
}

std::optional<std::size_t> FieldCatalogue::FirstWithPrefix(std::string_view prefix,
                                                           std::size_t limit) const {
  // Names beginning with `prefix` form one run in name order; the earliest
  // row of that run is the answer.
  auto it = std::lower_bound(by_name_.begin(), by_name_.end(), prefix,
                             [this](std::uint32_t row, std::string_view key) {
                               return std::string_view(rows_[row].name) < key;
                             });
  std::optional<std::size_t> best;
  for (; it != by_name_.end() && std::string_view(rows_[*it].name).starts_with(prefix); ++it) {
    if (*it < limit && (!best || *it < *best)) best = *it;
  }
  return best;
}

std::vector<std::string> CatalogueNames(const FieldCatalogue& catalogue) {
  std::vector<std::string> names;
  names.reserve(catalogue.size());
  for (const CatalogueRow& row : catalogue) names.push_back(row.name);
  return names;
}

std::string MapTypeLine(const FieldCatalogue& catalogue) { return "Maptype = " + catalogue.kind(); }

ClaimKind ClaimKindFromType(std::string_view claim_type) {
  const std::string upper = ToUpper(claim_type);
  if (LooseEquals(upper, "PROFESSIONAL")) return ClaimKind::kProfessional;
  if (LooseEquals(upper, "INSTITUTIONAL")) return ClaimKind::kInstitutional;
  if (LooseEquals(upper, "DENTAL")) return ClaimKind::kDental;
  return ClaimKind::kUnrecognised;
}

std::vector<CatalogueRow> CatalogueRowsForNames(const std::vector<std::string>& names,
                                                const FieldCatalogue& catalogue) {
  std::vector<CatalogueRow> out(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string_view name = names[i];
    std::optional<std::size_t> row;
    if (TrimRightBlanks(name).size() == name.size()) {
      row = catalogue.FirstWithPrefix(name, kRowsForNamesLimit);
    } else {
      // Row names hold no blanks, so only "name followed by blanks" can match.
      row = catalogue.IndexOf(name);
      if (row && *row >= kRowsForNamesLimit) row.reset();
    }
    if (row) out[i] = catalogue[*row];
  }
  return out;
}

}  // namespace ardentix
