// The viewer and parser settings of qv.ini as the X12 core asks for them
// (`ViewerSetting` by request number, `CheckTable`), and the "Select 997
// File" chooser. The readers themselves are those of common/ini.h; qv.ini is
// read fresh on every request from `folder` (empty = the current folder).
// Callers that need several settings for one file read qv.ini once with
// ReadSettingsText and answer every request from that text.
#ifndef ARDENTIX_X12_SETTINGS_H_
#define ARDENTIX_X12_SETTINGS_H_

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini.h"

namespace ardentix::x12 {

// Text answers: 1 "SETEXTENSION=" ("*.*" when absent), 112 "FILEREADBLOCK=",
// 113 "STARTBLOCK=", 114 "BLOCKCOUNT=" (numbers as text, "0" when absent),
// 115 "MERGEST=" ("1" when OFF, else "0"), 116 "BOX25EIN=", 117
// "BOX25SSN=", 118 "XMLENCODING=". List requests give their first entry.
std::string ViewerSetting(int request, const std::filesystem::path& folder = {});
std::string ViewerSettingFromText(int request, std::string_view ini_text);
// List answers 100..111 (the FIELD= pieces of the 837 viewer, listing,
// screen and form sections): non-empty values in file order, or one empty entry.
std::vector<std::string> ViewerSettingList(int request, const std::filesystem::path& folder = {});
// The twelve lists of requests 100..111, in order.
std::array<std::vector<std::string>, 12> ViewerFieldLists(const std::filesystem::path& folder = {});
std::array<std::vector<std::string>, 12> ViewerFieldListsFromText(std::string_view ini_text);

// The bytes of qv.ini in `folder` (empty text when there is none).
std::string ReadSettingsText(const std::filesystem::path& folder = {});

// [X12CHECKTABLE]: up to 100 (name, value) rows.
ini::CheckPairs CheckTable(const std::filesystem::path& folder = {});

// With flag 0: the file chosen in the chooser "Select 997 File" with the
// filter (empty text when cancelled); any other flag: empty text.
std::string Select997File(int flag, std::string_view filter);

}  // namespace ardentix::x12

#endif  // ARDENTIX_X12_SETTINGS_H_
