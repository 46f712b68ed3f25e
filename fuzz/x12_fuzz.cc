// libFuzzer target over the X12 core: loading any bytes, reading every
// record, cutting the list into interchanges and sets, merging sets, the
// list scans, and a full dispatch (export, report and viewing modes) with
// handlers that write and join part outputs.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "common/files.h"
#include "ui/headless.h"
#include "ui/ui.h"
#include "x12/access.h"
#include "x12/dispatch.h"
#include "x12/join.h"
#include "x12/loader.h"
#include "x12/parts.h"

namespace {

namespace fs = std::filesystem;
using namespace ardentix;
using namespace ardentix::x12;

fs::path g_dir;

void RemoveDir() {
  std::error_code ec;
  if (!g_dir.empty()) fs::remove_all(g_dir, ec);
}

// Handlers that read their part the way the real ones do and write a small
// CSV part output for the joiner.
std::string Handle(DispatchContext& ctx) {
  std::string out = ctx.transaction_type + ctx.version;
  const SegmentList& list = ctx.list;
  for (std::size_t k = 1; k <= ctx.index.size() && k < 64; ++k) {
    const std::size_t first = ctx.index[k];
    out += list.FieldText(first, 8);
    SearchSpec spec;
    spec.id = "NM1";
    spec.qualifier = "IL";
    spec.field = 4;
    spec.hl_limit = 3;
    out += SegmentSearch(first, list, list.size(), spec);
  }
  out += HeaderValue(list, list.size(), "TRANSACTIONSETDATE");
  if (ctx.mode == DispatchMode::kExport) {
    const bool header = SplitOptions(ctx.spec.parse_options).Has("HO");
    WriteWholeFile(ExportOutputPath(ctx.spec, OutputFormat::kCsv),
                   (header ? std::string("A,B\r\n") : std::string()) + out + "\r\n");
  }
  return out.substr(0, 16);
}

void Setup() {
  static bool done = false;
  if (done) return;
  done = true;
  ui::SetCurrentUi(std::make_unique<ui::HeadlessUi>(nullptr));
  std::string pattern = (fs::temp_directory_path() / "x12fuzz.XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) g_dir = pattern;
  std::atexit(RemoveDir);
  HandlerTable table;
  table.claims = table.remittance = table.acknowledgment = table.text_message = table.claim_status =
      table.eligibility = table.segment_listing = Handle;
  SetHandlerTable(table);
}

void ReadEverything(const SegmentList& list) {
  std::size_t sum = 0;
  for (std::size_t i = 0; i <= list.size() + 1; ++i) {
    sum += list.Id(i).size() + list.Text(i).size() + list.LevelText(i).size();
    for (std::size_t e = 0; e < 5; ++e) sum += list.Element(i, e).size();
    for (int f = 1; f <= 13; ++f) sum += list.FieldText(i, f).size();
    sum += static_cast<std::size_t>(list.IdFileOffset(i) & 1);
  }
  for (int mode = 1; mode <= 3; ++mode) sum += BuildClaimIndex(list, mode).size();
  for (const char* kind : {"ISA", "ST", "HL", "NM185"}) sum += CountSegmentsOfKind(kind, list);
  for (int request : {1, 2, 3, 4, 10, 11})
    sum += SetHeaderValue(list, list.size(), 1, request, "ST").size();
  if (sum == 1) std::abort();  // keeps the reads from being optimised away; never true here
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Setup();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  X12File f = LoadX12Bytes(bytes);
  ReadEverything(f.list);
  for (std::size_t k = 0; k <= 3; ++k) {
    const SegmentList batch = ExtractInterchange(f.list, k);
    ReadEverything(batch);
    for (std::size_t s = 0; s <= 3; ++s) ReadEverything(ExtractSet(batch, s));
  }
  ReadEverything(MergeSets(f.list));
  (void)FormatValue(bytes.substr(0, 12), "$");
  (void)FormatValue(bytes.substr(0, 8), "D");
  (void)DotPart(bytes.substr(0, 40), 1);
  (void)StripFirstLine(bytes.substr(0, 40));

  if (g_dir.empty()) return 0;
  const fs::path file = g_dir / "input.x12";
  if (!WriteWholeFile(file, bytes)) return 0;
  // One dispatch mode per input, chosen by its size.
  static constexpr DispatchMode kModes[] = {DispatchMode::kExport, DispatchMode::kReportText,
                                            DispatchMode::kView, DispatchMode::kOutput835};
  const DispatchMode mode = kModes[size % 4];
  ParseSpec spec{mode == DispatchMode::kOutput835 ? "835" : "CSV", file.string(), g_dir.string(),
                 size % 3 ? "HO,OW" : "OW", "out"};
  OpenRequest request;
  request.file = file.string();
  request.mode = mode;
  request.spec = mode == DispatchMode::kView ? nullptr : &spec;
  request.settings_folder = g_dir.string();
  (void)OpenX12File(request);
  (void)BlockRead(file, f.list.delimiters(), size / 3, 64, 1);
  (void)BlockRead(file, f.list.delimiters(), 0, 0, 3);
  return 0;
}
