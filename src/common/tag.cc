#include "common/tag.h"

#include "common/text.h"

namespace ardentix {

std::string ReadTag(std::string_view text, std::string_view key) {
  const std::string upper = ToUpper(key);
  const std::string open = "<" + upper + ">";
  const std::string close = "</" + upper + ">";
  std::string out;
  std::size_t pos = 0;
  while (true) {
    const std::size_t start = FindNoCase(text, open, pos);
    if (start == std::string_view::npos) break;
    const std::size_t value = start + open.size();
    const std::size_t end = FindNoCase(text, close, value);
    if (end == std::string_view::npos) {
      out.append(text.substr(value));
      break;
    }
    out.append(text.substr(value, end - value));
    pos = end + close.size();
  }
  return out;
}

std::string MakeTag(std::string_view value, std::string_view key) {
  const std::string upper = ToUpper(key);
  std::string out;
  out.reserve(value.size() + 2 * upper.size() + 5);
  out.append("<").append(upper).append(">").append(value);
  out.append("</").append(upper).append(">");
  return out;
}

}  // namespace ardentix
