#include "export/export_837.h"

#include <utility>
#include <vector>

#include "claims/claim_lookup.h"
#include "claims/field_names.h"
#include "common/text.h"
#include "parse/logs.h"
#include "x12/access.h"

namespace ardentix {

namespace {

constexpr std::size_t kStep(ValueStep s) { return static_cast<std::size_t>(s); }

// The [X12UDF] names from the caller's reading of qv.ini when it has one.
claims::UserFieldTable UserFieldsOf(const RowRequest& request) {
  return request.ini_text ? claims::UserFieldTable::FromText(*request.ini_text)
                          : claims::UserFieldTable::FromIni(request.working_folder);
}

// The records of claim k of unit n from its CLM to the record before the
// next CLM or HL: the service lines counted for the trace.
std::size_t ServiceLineCount(const x12::SegmentList& list, const x12::ClaimIndex& index,
                             std::size_t n, std::size_t k) {
  std::size_t seen = 0, lines = 0;
  bool inside = false;
  for (std::size_t r = index[n]; r >= 1 && r < list.size() && list.SetClaimNo(r) == n; ++r) {
    const std::string_view id = list.Id(r);
    if (id == "CLM") {
      inside = ++seen == k;
      if (seen > k) break;
    } else if (id == "HL") {
      if (inside) break;
    } else if (inside && id == "LX") {
      ++lines;
    }
  }
  return lines;
}

class Rows837 : public RowSource {
 public:
  Rows837(const ExportPart& part, const RowRequest& request)
      : part_(part),
        trace_(request.trace),
        lookup_(part.list, part.index),
        fields_(claims::BindFields(request.names, UserFieldsOf(request))),
        units_(lookup_.SubscriberLevelCount()) {
    // The ParseSpecValue step ends the chain of comma-separated and XML
    // exports only; it is the same for every row.
    use_spec_ = request.format == ExportFormat::kCsv || request.format == ExportFormat::kXml;
    if (use_spec_) {
      spec_values_.reserve(request.names.size());
      for (const std::string& name : request.names) {
        spec_values_.push_back(x12::ParseSpecValue(name, part.spec, part.transaction_type));
      }
    }
  }

  bool Next(ExportRow& row) override {
    while (k_ >= m_) {
      if (n_ >= units_) return false;
      ++n_;
      m_ = lookup_.ClaimCount(n_);
      k_ = 0;
    }
    ++k_;
    const std::size_t count = fields_.size();
    row.values.resize(count);
    row.steps.resize(count);
    row.marks.clear();
    for (std::size_t i = 0; i < count; ++i) {
      std::string& value = row.values[i];  // its storage serves row after row
      lookup_.LookupInto(fields_[i], n_, k_, value);
      ValueStep step = ValueStep::kUnit;
      if (use_spec_ && TrimBlanks(value).empty()) {
        value = spec_values_[i];
        step = ValueStep::kParseSpec;
      }
      row.steps[i] = step;
    }
    if (trace_ && !trace_->full()) Trace(row);
    return true;
  }
  std::size_t units_done() const override { return n_; }
  std::size_t units_total() const override { return units_; }

 private:
  void Trace(const ExportRow& row) {
    const std::string time = logs::TimeText(logs::Now());
    trace_->Line("Claim : " + logs::Padded(static_cast<long long>(n_)) + "  " + time);
    trace_->Line("Service Line Count = " + logs::Padded(static_cast<long long>(
                                               ServiceLineCount(part_.list, part_.index, n_, k_))));
    for (std::size_t i = 0; i < fields_.size() && !trace_->full(); ++i) {
      trace_->Line(" - " + fields_[i].name() + "->" + " -> Value=" + row.values[i]);
    }
  }

  const ExportPart& part_;
  ExportTrace* trace_;
  claims::ClaimLookup lookup_;
  std::vector<claims::BoundField> fields_;
  bool use_spec_ = false;
  std::vector<std::string> spec_values_;
  std::size_t units_;
  std::size_t n_ = 0;  // the unit of the last row
  std::size_t m_ = 0;  // its claims
  std::size_t k_ = 0;  // the claim of the last row
};

}  // namespace

Claims837Family::Claims837Family() {
  traits_.type = "837";
  traits_.xml_layout = XmlRecordLayout::k837;
  traits_.honours_drop_empty = true;
  traits_.dbf_digit_prefix = false;
  traits_.csv_column_limit = false;
  traits_.odbc_columns = OdbcColumnSet::kFieldListByWidthTable;
  traits_.odbc_column_limit = 0;  // dbffieldcount
  for (auto& step : traits_.cleaners) step.fill(Cleaner::kCsv);
  // ParseSpecValue is written as it is (dBASE and ODBC rows never ask it).
  traits_.cleaners[kStep(ValueStep::kParseSpec)].fill(Cleaner::kRaw);
}

std::size_t Claims837Family::UnitCount(const ExportPart& part) const {
  return x12::CountSegmentsOfKind("HL", part.list);
}

std::string Claims837Family::ClaimType(const ExportPart& part) const {
  const claims::ClaimLookup lookup(part.list, part.index);
  return ToUpper(lookup.Value(claims::BindField("CLAIMTYPE", claims::UserFieldTable()), 1, 1));
}

FieldCatalogue Claims837Family::Catalogue(const ExportPart& part, CatalogueVariant) const {
  return BuildClaimCatalogue(ClaimType(part));
}

std::unique_ptr<RowSource> Claims837Family::Rows(const ExportPart& part,
                                                 const RowRequest& request) const {
  return std::make_unique<Rows837>(part, request);
}

const Claims837Family& Claims837() {
  static const Claims837Family family;
  return family;
}

std::string Export837Handler(x12::DispatchContext& context) {
  if (context.mode != x12::DispatchMode::kExport) return {};
  const ExportPart part{context.list, context.index, context.transaction_type,
                        context.mode, context.spec,  3,
                        context.join};
  ExportDialogRequest request;
  request.file_name = context.file_name;
  request.dialog_folder = context.dialog_folder;
  request.base_folder = context.base_folder;
  request.purpose = ExportPurpose::kExport;
  const ExportDialogResult result = ExportDialog(Claims837(), part, request);
  if (result.outcome && result.outcome->failed()) context.failed = true;
  return {};
}

void Register837ExportHandler(x12::HandlerTable& table) {
  table.claims = [previous = std::move(table.claims)](x12::DispatchContext& context) {
    if (context.mode == x12::DispatchMode::kExport) return Export837Handler(context);
    return previous ? previous(context) : std::string();
  };
}

}  // namespace ardentix
