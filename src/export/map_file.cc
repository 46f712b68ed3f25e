#include "export/map_file.h"

#include <algorithm>
#include <cstdint>

#include "common/number.h"
#include "common/tag.h"
#include "common/text.h"

namespace ardentix {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The 1-based line of a byte position (CR LF, LF and a lone CR each end a
// line); only computed for error texts.
std::string LineOf(std::string_view text, std::size_t pos) {
  long long line = 1;
  pos = std::min(pos, text.size());
  for (std::size_t i = 0; i < pos; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
    }
  }
  return "line " + FormatInteger(line);
}

MapText Failure(std::string error) {
  MapText result;
  result.error = std::move(error);
  return result;
}

// Brings the bytes of a map to single-byte text: a UTF-8 mark is skipped;
// UTF-16 (marked FF FE or FE FF) keeps the code units below 256 and turns
// the others into "?". Returns false with an error text for what cannot be
// a map.
bool NormalizeMapBytes(std::string_view raw, std::string& storage, std::string_view& text,
                       std::string& error) {
  if (raw.size() > kMaxMapBytes) {
    error = "the file is larger than " + FormatInteger(kMaxMapBytes >> 20) + " MB";
    return false;
  }
  text = raw;
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  } else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    const bool little = text[0] == '\xFF';
    storage.reserve(text.size() / 2);
    for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
      const auto lo = static_cast<unsigned char>(text[little ? i : i + 1]);
      const auto hi = static_cast<unsigned char>(text[little ? i + 1 : i]);
      const unsigned unit = (static_cast<unsigned>(hi) << 8) | lo;
      if (unit >= 0xDC00 && unit < 0xE000) continue;  // second half of a pair: one "?" per pair
      storage.push_back(unit < 256 ? static_cast<char>(unit) : '?');
    }
    text = storage;
  }
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) {
    error = LineOf(text, nul) + ": NUL byte, this is not a text file";
    return false;
  }
  return true;
}

bool IsNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || u >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// Appends `text` with the predefined and numeric character references
// decoded. Anything else that begins with "&" is kept as it stands.
void AppendDecoded(std::string& out, std::string_view text) {
  static constexpr std::pair<std::string_view, char> kNamed[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(text.substr(i));
      return;
    }
    out.append(text.substr(i, amp - i));
    i = amp + 1;
    const std::size_t semi = text.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10) {
      out.push_back('&');
      continue;
    }
    const std::string_view ref = text.substr(i, semi - i);
    bool done = false;
    if (ref.size() >= 2 && ref[0] == '#') {
      const bool hex = ref[1] == 'x' || ref[1] == 'X';
      const std::string_view digits = ref.substr(hex ? 2 : 1);
      std::uint32_t value = 0;
      bool valid = !digits.empty();
      for (char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (d < 0 || value > 0x10FFFF) {
          valid = false;
          break;
        }
        value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
      }
      if (valid) {
        out.push_back(value > 0 && value < 256 ? static_cast<char>(value) : '?');
        done = true;
      }
    } else {
      for (const auto& [name, c] : kNamed) {
        if (ref == name) {
          out.push_back(c);
          done = true;
          break;
        }
      }
    }
    if (done) {
      i = semi + 1;
    } else {
      out.push_back('&');
    }
  }
}

std::string CleanCsvName(std::string_view name) {
  name = TrimWhitespace(name);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
    name = TrimWhitespace(name.substr(1, name.size() - 2));
  }
  return std::string(name);
}

}  // namespace

MapText ParseXmlMap(std::string_view bytes, const MapProgress& progress) {
  std::string storage;
  std::string_view text;
  std::string error;
  if (!NormalizeMapBytes(bytes, storage, text, error)) return Failure(std::move(error));

  MapText result;
  const std::size_t n = text.size();
  bool in_field = false;
  std::size_t field_at = 0;  // where the open FIELD element began
  std::string name;
  std::size_t i = 0;
  while (i < n) {
    std::size_t lt = text.find('<', i);
    if (lt == std::string_view::npos) lt = n;
    if (in_field) AppendDecoded(name, text.substr(i, lt - i));
    i = lt;
    if (i >= n) break;
    const std::string_view rest = text.substr(i);

    // Markup that holds no elements: comments, CDATA, processing
    // instructions and declarations.
    if (rest.starts_with("<!--")) {
      const std::size_t end = text.find("-->", i + 4);
      if (end == std::string_view::npos) return Failure(LineOf(text, i) + ": comment not closed");
      i = end + 3;
      continue;
    }
    if (rest.starts_with("<![CDATA[")) {
      const std::size_t end = text.find("]]>", i + 9);
      if (end == std::string_view::npos) {
        return Failure(LineOf(text, i) + ": CDATA section not closed");
      }
      if (in_field) name.append(text.substr(i + 9, end - i - 9));
      i = end + 3;
      continue;
    }
    if (rest.starts_with("<?")) {
      const std::size_t end = text.find("?>", i + 2);
      if (end == std::string_view::npos) {
        return Failure(LineOf(text, i) + ": \"<?\" not closed with \"?>\"");
      }
      i = end + 2;
      continue;
    }
    if (rest.starts_with("<!")) {
      std::size_t j = i + 2;
      int depth = 0;  // a DOCTYPE may hold "[...]" with ">" inside
      for (; j < n; ++j) {
        if (text[j] == '[') ++depth;
        if (text[j] == ']') --depth;
        if (text[j] == '>' && depth <= 0) break;
      }
      if (j >= n) return Failure(LineOf(text, i) + ": \"<!\" not closed with \">\"");
      i = j + 1;
      continue;
    }

    // A start or end tag; a "<" that begins no name is text.
    const bool closing = rest.size() > 1 && rest[1] == '/';
    const std::size_t name_start = i + 1 + (closing ? 1 : 0);
    if (name_start >= n || !IsNameStart(text[name_start])) {
      if (in_field) name.push_back('<');
      ++i;
      continue;
    }
    std::size_t j = name_start;
    while (j < n && IsNameChar(text[j])) ++j;
    const std::string_view tag = text.substr(name_start, j - name_start);
    char quote = 0;
    std::size_t k = j;
    for (; k < n; ++k) {
      const char c = text[k];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>' || c == '<') {
        break;
      }
    }
    if (k >= n || text[k] != '>') {
      return Failure(LineOf(text, i) + ": tag <" + std::string(closing ? "/" : "") +
                     std::string(tag) + " not closed with \">\"");
    }
    const bool self_closing = !closing && text[k - 1] == '/';
    if (EqualsNoCase(tag, "FIELD")) {
      if (closing) {
        if (in_field) {
          result.names.emplace_back(TrimWhitespace(name));
          in_field = false;
          if (progress) progress(k + 1, n);
        }
      } else if (in_field) {
        return Failure(LineOf(text, i) + ": <FIELD> inside the <FIELD> of " +
                       LineOf(text, field_at) + " (a closing </FIELD> is missing)");
      } else if (self_closing) {
        result.names.emplace_back();
      } else {
        in_field = true;
        field_at = i;
        name.clear();
      }
    }
    i = k + 1;
  }
  if (in_field) return Failure(LineOf(text, field_at) + ": <FIELD> is not closed");
  if (progress) progress(n, n);
  return result;
}

MapText ParseCsvMap(std::string_view bytes, const MapProgress& progress) {
  std::string storage;
  std::string_view text;
  std::string error;
  if (!NormalizeMapBytes(bytes, storage, text, error)) return Failure(std::move(error));

  MapText result;
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') continue;
    if (c == ',') {
      result.names.push_back(CleanCsvName(name));
      name.clear();
      if (progress) progress(i + 1, text.size());
    } else {
      name.push_back(c);
    }
  }
  std::string last = CleanCsvName(name);
  if (!last.empty()) result.names.push_back(std::move(last));
  if (progress) progress(text.size(), text.size());
  return result;
}

std::string XmlMapText(const std::vector<std::string>& names) {
  std::string text = "<?xml version=\"1.0\"  encoding=\"ISO-8859-1\"?>";
  text.append(kCrLf).append("<CONFIGURATION>").append(kCrLf);
  for (const std::string& entry : names) {
    const std::string_view name = TrimWhitespace(entry);
    if (name.empty()) continue;
    std::string escaped;
    for (char c : name) {
      switch (c) {
        case '&':
          escaped.append("&amp;");
          break;
        case '<':
          escaped.append("&lt;");
          break;
        case '>':
          escaped.append("&gt;");
          break;
        default:
          escaped.push_back(c);
      }
    }
    text.append(MakeTag(escaped, "FIELD")).append(kCrLf);
  }
  text.append("</CONFIGURATION>").append(kCrLf);
  return text;
}

std::string CsvMapText(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text.push_back(',');
    text.append(names[i]);
  }
  text.append(kCrLf);
  return text;
}

}  // namespace ardentix
