// Tag texts: the single-line settings files (base.cfg, config.xml,
// server.xml, form.cfg) are sequences of <KEY>value</KEY> items.
#ifndef ARDENTIX_COMMON_TAG_H_
#define ARDENTIX_COMMON_TAG_H_

#include <string>
#include <string_view>

namespace ardentix {

// The text between "<KEY>" and "</KEY>", the key upper-cased and the search
// made without regard to case. Several occurrences are joined; a missing key
// gives empty text; an opening tag without its closing tag gives the rest of
// the text.
std::string ReadTag(std::string_view text, std::string_view key);

// "<KEY>" + value + "</KEY>" with the key upper-cased.
std::string MakeTag(std::string_view value, std::string_view key);

}  // namespace ardentix

#endif  // ARDENTIX_COMMON_TAG_H_
