// The parse request (`ParseSpec`) that unattended runs hand to the file
// dispatcher, the reading of its members by name (`ParseSpecValue`), and
// the splitting of PARSEOPTIONS into option words with their arguments kept
// apart, so that no two-letter word is ever found inside an argument
// (MAP=OWNERS.XML does not switch on OW, FILTER=PATLNAME,HOLMES not HO).
#ifndef ARDENTIX_X12_PARSE_SPEC_H_
#define ARDENTIX_X12_PARSE_SPEC_H_

#include <string>
#include <string_view>
#include <vector>

namespace ardentix::x12 {

struct ParseSpec {
  std::string parse_type;          // PARSETYPE: output type word ("CSV", "XML", ...)
  std::string source_file;         // SOURCEFILE
  std::string destination_folder;  // DESTINATIONFOLDER: file, folder or "DSN:TABLE"
  std::string parse_options;       // PARSEOPTIONS: option words separated by commas
  std::string destination_file;    // DESTINATIONFILE: output base name
  bool operator==(const ParseSpec&) const = default;
};

// "PARSETYPE", "SOURCEFILE", "DESTINATIONFOLDER", "PARSEOPTIONS",
// "DESTINATIONFILE" give the members, "X12TYPE" the transaction type given;
// names compared upper-cased; anything else gives empty text.
std::string ParseSpecValue(std::string_view name, const ParseSpec& spec,
                           std::string_view transaction_type);

struct OptionWords {
  // Plain words, upper-cased and trimmed, in order ("HO", "OW", "ST1", ...).
  std::vector<std::string> words;
  // Argument words as given (letter case kept): "MAP=name", "SELECTMAP=mask",
  // "FILTER=field,value", "DEBUG=ON".
  std::vector<std::string> arguments;
  bool Has(std::string_view word) const;
  // True when some plain word begins with `prefix`.
  bool HasPrefix(std::string_view prefix) const;
};
// Splits PARSEOPTIONS. FILTER= takes the following comma piece as its value;
// MAP=, SELECTMAP= and DEBUG=ON take their own piece.
OptionWords SplitOptions(std::string_view options);

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_PARSE_SPEC_H_
