// Pieces of the XML writer (format "B") that callers and tests may use on
// their own: element-name repair and the encodings the writer can produce.
//
// The writer treats the bytes it receives as windows-1252 (Latin-1 with the
// printable characters 0x80-0x9F) and writes every character in the encoding
// the declaration names: byte for byte in windows-1252, converted to UTF-8,
// unchanged in ISO-8859-1 except the windows-1252 characters that
// ISO-8859-1 lacks, which become character references (&#8364;), as does
// every non-ASCII character in US-ASCII. Other ASCII-compatible encodings are
// converted through iconv, with a character reference for any character the
// encoding lacks. An encoding that cannot be written that way (UTF-16, an
// unknown name, a malformed name) is replaced by the default "ISO-8859-1"
// and a notice says so.
#ifndef ARDENTIX_EXPORT_XML_WRITER_H_
#define ARDENTIX_EXPORT_XML_WRITER_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace ardentix {

inline constexpr std::string_view kDefaultXmlEncoding = "ISO-8859-1";

// `name` when it is a valid element name (ASCII letters, digits, "_", "-"
// and ".", not starting with a digit, "-" or "."); otherwise every other
// byte becomes "_" and a name that cannot start as it is gets a leading "_".
// An empty name becomes "FIELD" + `position` (1-based).
std::string MakeXmlName(std::string_view name, std::size_t position);

// Whether the writer can produce a file declared in `encoding`.
bool XmlEncodingWritable(std::string_view encoding);

// The Unicode code point of a windows-1252 byte (the five bytes that code
// page leaves undefined keep their own value).
char32_t Cp1252CodePoint(unsigned char byte);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_XML_WRITER_H_
