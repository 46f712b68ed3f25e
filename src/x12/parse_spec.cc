#include "x12/parse_spec.h"

#include "common/text.h"

namespace ardentix::x12 {

std::string ParseSpecValue(std::string_view name, const ParseSpec& spec,
                           std::string_view transaction_type) {
  const std::string key = ToUpper(name);
  if (key == "PARSETYPE") return spec.parse_type;
  if (key == "SOURCEFILE") return spec.source_file;
  if (key == "DESTINATIONFOLDER") return spec.destination_folder;
  if (key == "PARSEOPTIONS") return spec.parse_options;
  if (key == "DESTINATIONFILE") return spec.destination_file;
  if (key == "X12TYPE") return std::string(transaction_type);
  return {};
}

bool OptionWords::Has(std::string_view word) const {
  for (const std::string& w : words) {
    if (w == word) return true;
  }
  return false;
}

bool OptionWords::HasPrefix(std::string_view prefix) const {
  for (const std::string& w : words) {
    if (std::string_view(w).starts_with(prefix)) return true;
  }
  return false;
}

OptionWords SplitOptions(std::string_view options) {
  OptionWords out;
  const std::vector<std::string_view> pieces = SplitPieces(options, ',');
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::string_view piece = TrimWhitespace(pieces[i]);
    if (piece.empty()) continue;
    const std::string upper = ToUpper(piece);
    if (upper.starts_with("FILTER=")) {
      std::string argument(piece);
      if (i + 1 < pieces.size()) {
        argument.push_back(',');
        argument.append(TrimWhitespace(pieces[++i]));
      }
      out.arguments.push_back(std::move(argument));
    } else if (upper.starts_with("MAP=") || upper.starts_with("SELECTMAP=") ||
               upper.starts_with("DEBUG=")) {
      out.arguments.emplace_back(piece);
    } else {
      out.words.push_back(upper);
    }
  }
  return out;
}

}  // namespace ardentix::x12
