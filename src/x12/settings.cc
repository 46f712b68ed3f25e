#include "x12/settings.h"

#include "ui/ui.h"

namespace ardentix::x12 {

std::string ViewerSetting(int request, const std::filesystem::path& folder) {
  if (request >= 100 && request <= 111) return ini::IniList(request, folder).front();
  return ini::IniValue(request, folder);
}

std::vector<std::string> ViewerSettingList(int request, const std::filesystem::path& folder) {
  if (request < 100 || request > 111) return {std::string()};
  return ini::IniList(request, folder);
}

std::array<std::vector<std::string>, 12> ViewerFieldLists(const std::filesystem::path& folder) {
  std::array<std::vector<std::string>, 12> lists;
  for (int k = 0; k < 12; ++k)
    lists[static_cast<std::size_t>(k)] = ViewerSettingList(100 + k, folder);
  return lists;
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
