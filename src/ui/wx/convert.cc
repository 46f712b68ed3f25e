#include <wx/strconv.h>

#include "common/text.h"
#include "ui/wx/internal.h"

namespace ardentix::ui::desktop {

std::string PlatformFace(std::string_view face) {
  if (face == "Courier New") return "Liberation Mono";
  if (face == "Arial") return "Liberation Sans";
  if (face == "Times New Roman") return "Liberation Serif";
  return std::string(face);
}

wxString FromLatin1(std::string_view bytes) {
  if (bytes.empty()) return wxString();
  return wxString(bytes.data(), wxConvISO8859_1, bytes.size());
}

std::string ToLatin1(const wxString& text) {
  std::string out;
  out.reserve(text.length());
  for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
    const wxUniChar c = *it;
    const auto value = c.GetValue();
    out.push_back(value < 256 ? static_cast<char>(value) : '?');
  }
  return out;
}

wxString ToEditLines(std::string_view bytes) {
  std::string lines;
  lines.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      lines.push_back('\n');
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      lines.push_back(bytes[i]);
    }
  }
  return FromLatin1(lines);
}

std::string FromEditLines(const wxString& text, bool crlf) {
  std::string bytes = ToLatin1(text);
  if (!crlf) return bytes;
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 32);
  for (char c : bytes) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

wxString FromPath(const std::string& path) {
  wxString text(path.c_str(), *wxConvFileName);
  // A name the locale cannot decode still shows, byte for character.
  if (text.empty() && !path.empty()) text = FromLatin1(path);
  return text;
}

std::string ToPath(const wxString& path) {
  const wxCharBuffer bytes = path.fn_str();
  if (bytes.data() == nullptr) return ToLatin1(path);
  return std::string(bytes.data());
}

wxString AnyCaseMask(std::string_view mask) {
  std::string out;
  for (char c : mask) {
    const char lower = ToLowerAscii(c);
    const char upper = ToUpperAscii(c);
    if (lower != upper) {
      out += '[';
      out += lower;
      out += upper;
      out += ']';
    } else {
      out += c;
    }
  }
  return FromLatin1(out);
}

wxFont FontOf(Font font) {
  const FontSpec spec = SpecOf(font);
  // The design fonts are given as character cells (width x height); the
  // face's em is about seven eighths of the cell height.
  const int em = static_cast<int>(spec.height * 7 / 8 + 0.5);
  wxFontInfo info(wxSize(0, em));
  info.FaceName(wxString::FromUTF8(PlatformFace(spec.face))).Family(wxFONTFAMILY_TELETYPE);
  if (spec.bold) info.Bold();
  return wxFont(info);
}

}  // namespace ardentix::ui::desktop
