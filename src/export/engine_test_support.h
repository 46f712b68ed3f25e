// Shared by the engine and export dialog tests: a small made-up transaction
// family ("TST") that plugs into the engine, a working folder per test with
// the scripted ui and a fixed log clock, and a loaded part.
#ifndef ARDENTIX_EXPORT_ENGINE_TEST_SUPPORT_H_
#define ARDENTIX_EXPORT_ENGINE_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "export/engine.h"
#include "export/map.h"
#include "parse/logs.h"
#include "ui/meter.h"
#include "ui/scripted.h"
#include "ui/ui.h"
#include "x12/loader.h"

namespace ardentix::engine_testing {

namespace fs = std::filesystem;

// One unit per CLM segment. Field names: ID (CLM01) and AMT (CLM02) from the
// unit, HDR (BHT03) from the header, any other name its ParseSpecValue.
class TestFamily : public ExportFamily {
 public:
  TestFamily() {
    traits_.type = "TST";
    traits_.xml_layout = XmlRecordLayout::k837;
    traits_.honours_drop_empty = true;
    for (auto& step : traits_.cleaners) step.fill(Cleaner::kCsv);
    traits_.cleaners[static_cast<int>(ValueStep::kHeader)][static_cast<int>(ExportFormat::kXml)] =
        Cleaner::kXml;
    for (auto& c : traits_.cleaners[static_cast<int>(ValueStep::kParseSpec)]) c = Cleaner::kRaw;
  }
  FamilyTraits& mutable_traits() { return traits_; }
  const FamilyTraits& traits() const override { return traits_; }

  std::size_t UnitCount(const ExportPart& part) const override { return Units(part).size(); }
  std::string ClaimType(const ExportPart&) const override { return {}; }
  FieldCatalogue Catalogue(const ExportPart&, CatalogueVariant variant) const override {
    std::vector<CatalogueRow> rows = {{"ID", "Identifier", 6, "H", "C"},
                                      {"AMT", "Amount", 8, "T", "$"},
                                      {"HDR", "Header value", 5, "H", "C"}};
    if (variant == CatalogueVariant::kLong) rows.push_back({"LONG", "Long only", 3, "H", "C"});
    return FieldCatalogue("TST", rows);
  }
  std::unique_ptr<RowSource> Rows(const ExportPart& part,
                                  const RowRequest& request) const override {
    return std::make_unique<Source>(part, request, Units(part));
  }

 private:
  static std::vector<std::size_t> Units(const ExportPart& part) {
    std::vector<std::size_t> units;
    for (std::size_t i = 1; i < part.list.size(); ++i)
      if (part.list.IdIs(i, "CLM")) units.push_back(i);
    return units;
  }

  class Source : public RowSource {
   public:
    Source(const ExportPart& part, const RowRequest& request, std::vector<std::size_t> units)
        : part_(part), request_(request), units_(std::move(units)) {}
    bool Next(ExportRow& row) override {
      if (done_ == units_.size()) return false;
      const std::size_t rec = units_[done_++];
      row.values.assign(request_.names.size(), {});
      row.steps.assign(request_.names.size(), ValueStep::kUnit);
      for (std::size_t i = 0; i < request_.names.size(); ++i) {
        const std::string& name = request_.names[i];
        if (name == "ID") {
          row.values[i] = part_.list.Element(rec, 1);
        } else if (name == "AMT") {
          row.values[i] = part_.list.Element(rec, 2);
        } else if (name == "HDR") {
          for (std::size_t r = 1; r < part_.list.size(); ++r)
            if (part_.list.IdIs(r, "BHT")) row.values[i] = part_.list.Element(r, 3);
          row.steps[i] = ValueStep::kHeader;
        } else if (request_.format == ExportFormat::kCsv || request_.format == ExportFormat::kXml) {
          row.values[i] = x12::ParseSpecValue(name, part_.spec, part_.transaction_type);
          row.steps[i] = ValueStep::kParseSpec;
        }
      }
      if (request_.trace) request_.trace->Line("Claim : " + logs::Padded(done_));
      return true;
    }
    std::size_t units_done() const override { return done_; }
    std::size_t units_total() const override { return units_.size(); }

   private:
    const ExportPart& part_;
    RowRequest request_;
    std::vector<std::size_t> units_;
    std::size_t done_ = 0;
  };

  FamilyTraits traits_;
};

// Three units; the second holds a comma and markup characters.
inline std::string TestX12() {
  return "ISA*00*          *00*          *ZZ*SUBMITTER      *ZZ*RECEIVER       *230101*1200*^*"
         "00501*000000001*0*P*:~GS*HC*S*R*20230101*1200*1*X*005010X222A1~ST*837*0001~"
         "BHT*0019*00*B&<1*20230101~HL*1**20*1~HL*2*1*22*0~CLM*C1*100~HL*3*1*22*0~"
         "CLM*C,2 <x>*~HL*4*1*22*0~CLM*C3*7.5~SE*9*0001~GE*1*1~IEA*1*000000001~";
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    logs::SetClock([] { return std::time_t{1796985723}; });  // 12/11/26 10:42:03
    std::string templ = (fs::temp_directory_path() / "ardentix-engine-XXXXXX").string();
    dir_ = mkdtemp(templ.data());
    auto scripted = std::make_unique<ui::ScriptedUi>();
    ui_ = scripted.get();
    scoped_ = std::make_unique<ui::ScopedUi>(std::move(scripted));
    SetCurrentMapFile({});
    ui::SetMetersOff(false);
    Load(TestX12());
  }
  void TearDown() override {
    scoped_.reset();
    logs::SetClock(nullptr);
    SetCurrentMapFile({});
    ui::SetMetersOff(false);
    fs::remove_all(dir_);
  }

  void Load(const std::string& bytes) {
    file_ = std::make_unique<x12::X12File>(x12::LoadX12Bytes(bytes));
    ASSERT_TRUE(file_->status.ok);
  }
  // An unattended request: DESTINATIONFOLDER the working folder.
  x12::ParseSpec Spec(const std::string& type, const std::string& options,
                      const std::string& file = "out") {
    x12::ParseSpec spec;
    spec.parse_type = type;
    spec.source_file = (dir_ / "in.x12").string();
    spec.destination_folder = dir_.string();
    spec.parse_options = options;
    spec.destination_file = file;
    return spec;
  }
  ExportOutcome Run(const ExportFamily& family, const x12::ParseSpec& spec, FieldList fields,
                    x12::DispatchMode mode = x12::DispatchMode::kExport,
                    std::string header_switch = {}) {
    const ExportPart part{file_->list, file_->index, "TST", mode, spec, 3};
    ExportRequest request;
    request.format = FormatFromParseType(spec.parse_type).value_or(ExportFormat::kCsv);
    request.source_file = spec.source_file;
    request.dialog_folder = "DLG";
    request.base_folder = "BASE";
    request.working_folder = dir_;
    request.fields = std::move(fields);
    request.header_switch = std::move(header_switch);
    return ExportEngine(family, part, request);
  }
  void Write(const std::string& name, std::string_view bytes) {
    ASSERT_TRUE(WriteWholeFile(dir_ / name, bytes)) << name;
  }
  std::string Read(const std::string& name) const {
    return ReadWholeFile(dir_ / name).value_or("<missing>");
  }
  bool Exists(const std::string& name) const { return fs::exists(dir_ / name); }

  fs::path dir_;
  ui::ScriptedUi* ui_ = nullptr;
  std::unique_ptr<ui::ScopedUi> scoped_;
  std::unique_ptr<x12::X12File> file_;
  TestFamily family_;
};

}  // namespace ardentix::engine_testing

#endif  // ARDENTIX_EXPORT_ENGINE_TEST_SUPPORT_H_
