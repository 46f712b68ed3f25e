#include "common/ini.h"

#include <array>
#include <ctime>

#include "common/files.h"
#include "common/number.h"
#include "common/tag.h"
#include "common/text.h"

namespace ardentix::ini {

namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n' || c == 26; }

bool Begins(std::string_view line, std::string_view key) {
  return line.size() >= key.size() && line.compare(0, key.size(), key) == 0;
}

// Sections of the viewer and parser keys: the header that switches each on.
enum class Section {
  kNone,
  kViewer,
  k837Viewer,
  k837Listing,
  k837Screen,
  k837Form,
  kParser,
  kCms1500,
  kCheckTable,
  kSkipped,
  kOther
};

Section SectionOf(std::string_view header) {
  struct Entry {
    std::string_view header;
    Section section;
  };
  static constexpr Entry kEntries[] = {
      {"[X12VIEWER]", Section::kViewer},
      {"[X12837VIEWER]", Section::k837Viewer},
      {"[X12837LISTING]", Section::k837Listing},
      {"[X12837SCREEN]", Section::k837Screen},
      {"[X12837FORM]", Section::k837Form},
      {"[X12PARSER]", Section::kParser},
      {"[PARSER]", Section::kParser},
      {"[CMS1500]", Section::kCms1500},
      {"[CMS-1500]", Section::kCms1500},
      {"[X12CHECKTABLE]", Section::kCheckTable},
      {"[X12837CHECKTABLE]", Section::kSkipped},
      {"[X12837CHECK]", Section::kSkipped},
  };
  for (const auto& e : kEntries) {
    if (Begins(header, e.header)) return e.section;
  }
  return Section::kOther;
}

// Walks the section lines, calling `visit(section, line)` for every key line
// inside a section (headers switch sections, "COMMAND=0" ends them). Stops
// when `visit` returns false.
template <typename Visit>
void WalkSections(const std::vector<std::string>& lines, Visit visit) {
  Section current = Section::kNone;
  for (const std::string& line : lines) {
    if (!line.empty() && line[0] == '[') {
      current = SectionOf(line);
      continue;
    }
    if (Begins(line, "COMMAND=0")) {
      current = Section::kNone;
      continue;
    }
    if (current == Section::kNone || current == Section::kOther || current == Section::kSkipped) {
      continue;
    }
    if (!visit(current, line)) return;
  }
}

// The value of a key line (the line is padded to 5 characters; the padding
// is not part of the value).
std::string ValueAfter(std::string_view line, std::string_view key) {
  return std::string(TrimBlanks(line.substr(key.size())));
}

struct ScalarKey {
  int request;
  Section section;
  std::string_view key;
};
constexpr ScalarKey kScalarKeys[] = {
    {1, Section::kViewer, "SETEXTENSION="}, {112, Section::kParser, "FILEREADBLOCK="},
    {113, Section::kParser, "STARTBLOCK="}, {114, Section::kParser, "BLOCKCOUNT="},
    {115, Section::kParser, "MERGEST="},    {116, Section::kCms1500, "BOX25EIN="},
    {117, Section::kCms1500, "BOX25SSN="},  {118, Section::kParser, "XMLENCODING="},
};

// Lines split at CR/LF for the whole-file readers; `terminated` tells
// whether a line end followed the line.
struct RawLine {
  std::string_view text;
  bool terminated;
};
std::vector<RawLine> RawLines(std::string_view bytes) {
  std::vector<RawLine> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' || bytes[i] == '\n') {
      out.push_back({bytes.substr(start, i - start), true});
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < bytes.size()) out.push_back({bytes.substr(start), false});
  return out;
}

}  // namespace

std::optional<fs::path> FindIni(const fs::path& folder) { return FindFileNoCase(folder, kIniName); }

std::string ReadIni(const fs::path& folder) {
  std::string bytes;
  if (auto path = FindIni(folder)) ReadWholeFile(*path, bytes);
  return bytes;
}

std::vector<std::string> SectionLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool have_line = false;
  auto finish = [&]() {
    if (!have_line) return;
    if (line.size() > 80) line.resize(80);
    std::string text = ToUpper(TrimBlanks(line));
    if (text.size() < 5) text.resize(5, ' ');
    lines.push_back(std::move(text));
    line.clear();
    have_line = false;
  };
  for (char c : bytes) {
    if (IsBreak(c)) {
      finish();  // consecutive breaks give no empty line
      continue;
    }
    if (static_cast<unsigned char>(c) < 32) continue;
    line.push_back(c);
    have_line = true;
  }
  finish();
  return lines;
}

std::string FormSwitchesFromText(std::string_view default_string, std::string_view bytes) {
  std::string result(default_string);
  if (result.size() < 64) result.resize(64, 'A');
  struct Rule {
    std::string_view key;
    int position;
    char letter;
  };
  static constexpr Rule kRules[] = {
      {"BOX12=ONFILE", 3, 'B'},          {"BOX13=ONFILE", 4, 'B'},
      {"BOX12=DATEOFF", 8, 'A'},         {"BOX12=TODAY", 8, 'B'},
      {"DATECTL=MMDDYY", 13, 'A'},       {"DATECTL=MMDDCCYY", 13, 'B'},
      {"FONT=ARIAL8", 29, 'A'},          {"FONT=COURRIERNEW8", 29, 'B'},
      {"FONT=TIMESNEWROMAN8", 29, 'C'},  {"FONT=SANSERIF8", 29, 'D'},
      {"FONT=ARIAL10", 29, 'E'},         {"FONT=COURRIERNEW10", 29, 'F'},
      {"FONT=TIMESNEWROMAN10", 29, 'G'}, {"FONT=SANSERIF10", 29, 'H'},
      {"FONT=ARIAL12", 29, 'I'},         {"FONT=COURRIERNEW12", 29, 'J'},
      {"FONT=SANSERIF12", 29, 'L'},      {"BOX30=BOX28", 37, 'C'},
      {"FORMREVISION=0805", 39, 'A'},    {"FORMREVISION=1290", 39, 'B'},
      {"TEXTFORMCONTROL=FLAT", 40, 'A'}, {"TEXTFORMCONTROL=FORMFEED", 40, 'B'},
  };
  bool in_form = false;
  for (const std::string& line : SectionLines(bytes)) {
    if (!line.empty() && line[0] == '[') {
      const std::string_view header = TrimRightBlanks(line);
      const bool form = Begins(header, "[CMS1500]") || Begins(header, "[HCFA1500]") ||
                        (Begins(header, "[CMS1500-") && header.size() > 12) ||
                        (Begins(header, "[HCFA1500-") && header.size() > 13);
      if (form) {
        in_form = true;
      } else if (SectionOf(header) != Section::kOther || Begins(header, "[X12UDF]") ||
                 Begins(header, "[X12837TO276]") || Begins(header, "[X12837TO837]")) {
        in_form = false;  // another known section ends the form section
      }
      continue;
    }
    if (!in_form) continue;
    for (const Rule& rule : kRules) {
      if (Begins(line, rule.key)) {
        result[static_cast<std::size_t>(rule.position - 1)] = rule.letter;
        break;
      }
    }
  }
  return result;
}

std::string FormSwitches(std::string_view default_string, const fs::path& folder) {
  return FormSwitchesFromText(default_string, ReadIni(folder));
}

std::string IniValueFromText(int key, std::string_view bytes) {
  const ScalarKey* spec = nullptr;
  for (const auto& k : kScalarKeys) {
    if (k.request == key) spec = &k;
  }
  const bool numeric = key >= 112 && key <= 114;
  std::string answer;
  bool found = false;
  if (spec != nullptr) {
    WalkSections(SectionLines(bytes), [&](Section section, const std::string& line) {
      if (section != spec->section || !Begins(line, spec->key)) return true;
      answer = ValueAfter(line, spec->key);
      found = true;
      return false;  // the first match ends the reading
    });
  }
  if (key == 1) return found ? answer : "*.*";
  if (numeric) return FormatInteger(found ? LeadingInteger(answer) : 0);
  if (key == 115) return found && answer == "OFF" ? "1" : "0";
  return answer;
}

std::string IniValue(int key, const fs::path& folder) {
  return IniValueFromText(key, ReadIni(folder));
}

std::vector<std::string> IniListFromText(int key, std::string_view bytes) {
  Section section = Section::kNone;
  std::size_t piece = 0;
  if (key == 100 || key == 101) {
    section = Section::k837Viewer;
    piece = static_cast<std::size_t>(key - 99);
  } else if (key == 102 || key == 103) {
    section = Section::k837Listing;
    piece = static_cast<std::size_t>(key - 101);
  } else if (key >= 104 && key <= 107) {
    section = Section::k837Screen;
    piece = static_cast<std::size_t>(key - 103);
  } else if (key >= 108 && key <= 111) {
    section = Section::k837Form;
    piece = static_cast<std::size_t>(key - 107);
  }
  std::vector<std::string> list;
  if (section != Section::kNone) {
    WalkSections(SectionLines(bytes), [&](Section s, const std::string& line) {
      if (s != section) return true;
      std::string_view value;
      if (Begins(line, "FIELD=")) {
        value = std::string_view(line).substr(6);
      } else if (section == Section::k837Screen && Begins(line, "TITLE=")) {
        value = std::string_view(line).substr(6);
      } else {
        return true;
      }
      const std::string_view p = TrimRightBlanks(Piece(value, ',', piece));
      if (!p.empty()) list.emplace_back(p);
      return true;
    });
  }
  if (list.empty()) list.emplace_back();
  return list;
}

std::vector<std::string> IniList(int key, const fs::path& folder) {
  return IniListFromText(key, ReadIni(folder));
}

CheckPairs CheckTableFromText(std::string_view bytes) {
  CheckPairs pairs;
  WalkSections(SectionLines(bytes), [&](Section s, const std::string& line) {
    if (s != Section::kCheckTable) return true;
    // Lines arrive padded to 5 characters, so every line passes the
    // "longer than 3" test; what counts is a non-blank name and value.
    if (line.size() <= 3) return true;
    const std::string_view text = TrimRightBlanks(line);
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return true;
    const std::string_view name = TrimBlanks(text.substr(0, eq));
    // Further "=" signs are left out of the value.
    std::string value;
    for (char c : text.substr(eq + 1)) {
      if (c != '=') value.push_back(c);
    }
    const std::string_view trimmed = TrimBlanks(value);
    if (name.empty() || trimmed.empty()) return true;
    pairs.emplace_back(std::string(name), std::string(trimmed));
    return pairs.size() < 100;
  });
  return pairs;
}

CheckPairs CheckTable(const fs::path& folder) { return CheckTableFromText(ReadIni(folder)); }

std::string ExportSwitchesFromText(std::string_view initial, std::string_view bytes) {
  std::string result(initial);
  if (result.size() < 16) result.resize(16, 'A');
  static constexpr std::array<std::string_view, 12> kKeys = {
      "LOOP1000A=OFF",      "LOOP1000B=OFF",      "LOOP2010AABATCH=OFF", "LOOP2010ABBATCH=OFF",
      "LOOP2010AACLAIM=ON", "LOOP2010ABCLAIM=ON", "LOOP2000=OFF",        "LOOP2300=OFF",
      "LOOP2400=OFF",       "NAMEMERGE=ON",       "XML=DROPEMPTYFIELDS", "DEBUG=ON",
  };
  for (const RawLine& raw : RawLines(bytes)) {
    std::string compact;
    for (char c : raw.text) {
      if (c != ' ' && c != '\t') compact.push_back(ToUpperAscii(c));
    }
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
      if (Begins(compact, kKeys[i])) {
        result[i] = 'B';
        break;
      }
    }
  }
  return result;
}

std::string ExportSwitches(std::string_view initial, const fs::path& folder) {
  return ExportSwitchesFromText(initial, ReadIni(folder));
}

namespace {
struct SettingKey {
  std::string_view key;
  std::string_view default_value;
};
constexpr SettingKey kSettingKeys[] = {
    {"servicelinecount=", "0"},    {"otherdiagnosiscount=", "12"}, {"otherprocedurecount=", "12"},
    {"occurancespancount=", "12"}, {"occurancecodecount=", "12"},  {"valuecodecount=", "10"},
    {"conditioncodecount=", "12"}, {"treatmentcodecount=", "12"},  {"dbffieldcount=", "255"},
    {"maxfieldcount=", "999999"},  {"xmlencoding=", "ISO-8859-1"},
};
}  // namespace

std::string_view ExportSettingDefault(int key) {
  if (key < 1 || key > 11) return {};
  return kSettingKeys[key - 1].default_value;
}

std::string ExportSettingFromText(int key, std::string_view default_value, std::string_view bytes) {
  if (key < 1 || key > 11) return std::string(default_value);
  const std::string_view name = kSettingKeys[key - 1].key;
  for (const RawLine& raw : RawLines(bytes)) {
    if (!raw.terminated) break;  // a last line without a line end is not read
    const std::string_view line = TrimWhitespace(raw.text);
    if (!StartsWithNoCase(line, name)) continue;
    const std::string_view value = TrimWhitespace(line.substr(name.size()));
    if (key == 11) return std::string(value);
    return FormatInteger(LeadingInteger(value));
  }
  return std::string(default_value);
}

std::string ExportSetting(int key, std::string_view default_value, const fs::path& folder) {
  return ExportSettingFromText(key, default_value, ReadIni(folder));
}

std::vector<UserField> UserFieldsFromText(std::string_view bytes) {
  std::vector<UserField> fields;
  bool in_section = false;
  for (const RawLine& raw : RawLines(bytes)) {
    const std::string_view line = TrimWhitespace(raw.text);
    if (!in_section) {
      in_section = StartsWithNoCase(line, "[X12UDF]");
      continue;
    }
    auto value_of = [&](std::string_view key) {
      return std::string(TrimBlanks(line.substr(key.size())));
    };
    if (StartsWithNoCase(line, "UDF=")) {
      fields.push_back(UserField{value_of("UDF="), {}, {}, {}, {}});
    } else if (fields.empty()) {
      continue;  // key lines before the first UDF= are ignored
    } else if (StartsWithNoCase(line, "SEGMENT=")) {
      fields.back().segment = value_of("SEGMENT=");
    } else if (StartsWithNoCase(line, "QUALIFIER=")) {
      fields.back().qualifier = value_of("QUALIFIER=");
    } else if (StartsWithNoCase(line, "LOOP=")) {
      fields.back().loop = value_of("LOOP=");
    } else if (StartsWithNoCase(line, "RETURN=")) {
      fields.back().returned = value_of("RETURN=");
    }
  }
  if (fields.empty()) fields.emplace_back();
  return fields;
}

std::vector<UserField> UserFields(const fs::path& folder) {
  return UserFieldsFromText(ReadIni(folder));
}

fs::path ConfigXmlPath(std::string_view base_folder, std::string_view drive) {
  std::string path(drive);
  if (drive.size() == 1) path.push_back(':');
  path.append(base_folder);
  if (path.empty() || path.back() != '/') path.push_back('/');
  path.append("config.xml");
  return ResolveFixedName(fs::path(path).parent_path(), "config.xml");
}

std::string GetX12Folder(std::string_view base_folder, std::string_view drive) {
  std::string text;
  if (!ReadWholeFile(ConfigXmlPath(base_folder, drive), text)) return {};
  return ReadTag(text, "DATADIR");
}

bool SaveX12Folder(std::string_view base_folder, std::string_view folder, std::string_view drive) {
  const std::string text =
      MakeTag(folder, "DATADIR") + MakeTag(TagDateText(), "DATE") + MakeTag(TagTimeText(), "TIME");
  return WriteWholeFile(ConfigXmlPath(base_folder, drive), text);
}

namespace {
std::string& DateFormatSlot() {
  static std::string format = "MM/DD/YY";
  return format;
}
std::string Two(int v) {
  std::string s = FormatInteger(v);
  return s.size() < 2 ? "0" + s : s;
}
}  // namespace

void SetDateFormat(std::string_view format) { DateFormatSlot() = std::string(format); }
const std::string& DateFormat() { return DateFormatSlot(); }

std::string TagDateText() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  const int year = tm.tm_year + 1900;
  if (DateFormat() == "YYYY/MM/DD") {
    return FormatInteger(year) + "/" + Two(tm.tm_mon + 1) + "/" + Two(tm.tm_mday);
  }
  return Two(tm.tm_mon + 1) + "/" + Two(tm.tm_mday) + "/" + Two(year % 100);
}

std::string TagTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return Two(tm.tm_hour) + ":" + Two(tm.tm_min) + ":" + Two(tm.tm_sec);
}

}  // namespace ardentix::ini
