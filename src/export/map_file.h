// The two text formats of map files, without any file handling.
//
// XML maps: only FIELD elements count; every other element, the declaration,
// comments and line ends are ignored. The tag name is matched in any letter
// case, start tags may carry attributes, the text of a FIELD element has its
// entities and CDATA sections decoded and the white space around it removed
// (blanks inside a name are kept). Maps are written as the declaration line,
// "<CONFIGURATION>", one "<FIELD>name</FIELD>" line per name and
// "</CONFIGURATION>", each line ended by CR LF.
//
// CSV maps: names separated by ","; CR and LF are ignored wherever they
// stand; blanks (and one pair of double quotes) around a name are removed;
// the text after the last comma counts only when it is not empty. Written as
// the names joined by "," followed by CR LF.
//
// Both readers take the bytes as they come from other programs: a UTF-8
// byte-order mark is skipped and UTF-16 text (with its mark) is brought to
// single bytes. A text that cannot be a map (NUL bytes, a FIELD element that
// is never closed, an unterminated tag, comment or CDATA section, more than
// kMaxMapBytes) gives an error text naming the place, never a partial list.
#ifndef ARDENTIX_EXPORT_MAP_FILE_H_
#define ARDENTIX_EXPORT_MAP_FILE_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ardentix {

// The largest map file read (a map of every field of every family is a few
// kilobytes; anything near this size is not a map).
inline constexpr std::size_t kMaxMapBytes = 16u << 20;

struct MapText {
  std::vector<std::string> names;
  std::string error;  // empty when the text was read; then `names` holds the list
  bool ok() const { return error.empty(); }
};

// Called while a text is read with the number of bytes done and the total.
using MapProgress = std::function<void(std::size_t done, std::size_t total)>;

MapText ParseXmlMap(std::string_view bytes, const MapProgress& progress = {});
MapText ParseCsvMap(std::string_view bytes, const MapProgress& progress = {});

// The XML map of the entries whose text, blanks removed, is not empty, in
// order; names are written without their surrounding blanks, and "&", "<"
// and ">" inside a name as entities so that the file stays well-formed.
std::string XmlMapText(const std::vector<std::string>& names);
// The names joined by "," followed by CR LF.
std::string CsvMapText(const std::vector<std::string>& names);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_MAP_FILE_H_
