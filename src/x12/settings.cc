#include "x12/settings.h"

#include "common/files.h"
#include "ui/ui.h"

namespace ardentix::x12 {

std::string ReadSettingsText(const std::filesystem::path& folder) { return ini::ReadIni(folder); }

std::string ViewerSettingFromText(int request, std::string_view ini_text) {
  if (request >= 100 && request <= 111) return ini::IniListFromText(request, ini_text).front();
  return ini::IniValueFromText(request, ini_text);
}

std::string ViewerSetting(int request, const std::filesystem::path& folder) {
  return ViewerSettingFromText(request, ReadSettingsText(folder));
}

std::vector<std::string> ViewerSettingList(int request, const std::filesystem::path& folder) {
  if (request < 100 || request > 111) return {std::string()};
  return ini::IniList(request, folder);
}

std::array<std::vector<std::string>, 12> ViewerFieldListsFromText(std::string_view ini_text) {
  std::array<std::vector<std::string>, 12> lists;
  for (int k = 0; k < 12; ++k)
    lists[static_cast<std::size_t>(k)] = ini::IniListFromText(100 + k, ini_text);
  return lists;
}

std::array<std::vector<std::string>, 12> ViewerFieldLists(const std::filesystem::path& folder) {
  return ViewerFieldListsFromText(ReadSettingsText(folder));
}

ini::CheckPairs CheckTable(const std::filesystem::path& folder) { return ini::CheckTable(folder); }

std::string Select997File(int flag, std::string_view filter) {
  if (flag != 0) return {};
  ui::FileChooserSpec spec;
  spec.title = "Select 997 File";
  spec.masks.emplace_back(filter.empty() ? std::string_view("*.*") : filter);
  const auto chosen = ui::CurrentUi().ChooseFile(spec);
  return chosen ? *chosen : std::string();
}

}  // namespace ardentix::x12
