// Shared by the map tests: a fresh working folder per test, the scripted ui
// and a fixed log clock.
#ifndef ARDENTIX_EXPORT_MAP_TEST_SUPPORT_H_
#define ARDENTIX_EXPORT_MAP_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "common/files.h"
#include "export/map.h"
#include "parse/logs.h"
#include "ui/scripted.h"
#include "ui/ui.h"

namespace ardentix::testing_support {

class MapFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    logs::SetClock([] { return std::time_t{1796985723}; });  // 12/11/26 10:42:03 UTC
    dir_ = fs::temp_directory_path() /
           ("ardentix_maps_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    auto scripted = std::make_unique<ui::ScriptedUi>();
    ui_ = scripted.get();
    scoped_ = std::make_unique<ui::ScopedUi>(std::move(scripted));
    SetCurrentMapFile({});
  }
  void TearDown() override {
    scoped_.reset();
    logs::SetClock(nullptr);
    SetCurrentMapFile({});
    fs::remove_all(dir_);
  }
  void Write(const std::string& name, std::string_view bytes) {
    ASSERT_TRUE(WriteWholeFile(dir_ / name, bytes)) << name;
  }
  std::string Read(const std::string& name) const {
    return ReadWholeFile(dir_ / name).value_or("<missing>");
  }
  // True when a line of the ui transcript holds `text`.
  bool Shown(std::string_view text) const {
    for (const std::string& line : ui_->transcript()) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  // The names of the folder, sorted.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  ui::ScriptedUi* ui_ = nullptr;
  std::unique_ptr<ui::ScopedUi> scoped_;
};

}  // namespace ardentix::testing_support

#endif  // ARDENTIX_EXPORT_MAP_TEST_SUPPORT_H_
