// Export benchmark: a whole 837 export (load, then the engine with the
// default professional map) to comma-separated text, XML and dBASE, against
// the plain split pass of the load benchmark over the same file.
//
//   export_bench FILE [--repeat N] [--profile csv|xml|dbf|cut]
//
// --profile runs one export (or the cut into sets) in this process (for perf)
// and prints nothing.
// Each measurement runs in a child process of its own, so its peak memory
// (maximum resident set) is its own. Times are the best of N runs; an
// export's time is the dispatcher's call (its rows are counted afterwards,
// untimed). The outputs go to a scratch folder that is removed afterwards.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bench_support.h"
#include "common/dbf.h"
#include "common/files.h"
#include "export/export_837.h"
#include "ui/headless.h"
#include "ui/meter.h"
#include "ui/ui.h"
#include "x12/access.h"
#include "x12/dispatch.h"
#include "x12/loader.h"
#include "x12/parts.h"

namespace {

namespace fs = std::filesystem;

using ardentix::bench::Best;
using ardentix::bench::Clock;
using ardentix::bench::Figures;
using ardentix::bench::Work;

// The load benchmark's plain pass over the same file.
Work PlainPass(const char* path) { return {0, ardentix::bench::PlainPass(path), 0, 0}; }

// Occurrences of `mark` in a file, read in blocks (outputs can be large).
std::uint64_t CountInFile(const fs::path& file, std::string_view mark) {
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return 0;
  std::string block(1 << 20, '\0');
  std::string carry;
  std::uint64_t count = 0;
  std::size_t n;
  while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) {
    std::string text = carry + block.substr(0, n);
    for (std::size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += mark.size())
      ++count;
    carry = text.substr(text.size() - std::min(text.size(), mark.size() - 1));
  }
  std::fclose(in);
  return count;
}

// The engine alone: the file is loaded and cut into its sets as the
// dispatcher does (not timed); only the 837 exports of the sets are timed.
Work EngineAlone(const char* path, const std::string& type, const fs::path& folder) {
  using namespace ardentix;
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));
  ui::SetMetersOff(true);
  const x12::X12File file = x12::LoadX12File(path, false);
  if (!file.status.ok) return {};
  const std::size_t sets = x12::CountSegmentsOfKind("ST", file.list);
  const x12::PartCuts cuts(file.list);
  Work w;
  for (std::size_t k = 1; k <= sets; ++k) {
    const x12::SegmentList part = cuts.Set(k);
    const x12::ClaimIndex index = x12::BuildClaimIndex(part, 3);
    const auto start = Clock::now();
    x12::ParseSpec spec;
    spec.parse_type = type;
    spec.source_file = path;
    spec.destination_folder = folder.string();
    spec.parse_options = "OW";
    spec.destination_file = "set" + std::to_string(k);
    const ExportPart export_part{part, index, "837", x12::DispatchMode::kExport, spec, 3};
    ExportDialogRequest request;
    request.file_name = path;
    request.working_folder = folder;
    const ExportDialogResult result = ExportDialog(Claims837(), export_part, request);
    w.step_seconds += std::chrono::duration<double>(Clock::now() - start).count();
    if (!result.outcome || !result.outcome->written()) return {};
    w.items += result.outcome->rows;
    std::error_code ec;
    w.output_bytes += fs::file_size(result.outcome->target, ec);
    fs::remove(result.outcome->target, ec);
  }
  return w;
}

// The dispatcher's cut of a loaded file into its transaction sets (each set
// copied out and indexed as for an export), without exporting anything.
Work CutOnly(const char* path) {
  using namespace ardentix;
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));
  const x12::X12File file = x12::LoadX12File(path, false);
  if (!file.status.ok) return {};
  const std::size_t sets = x12::CountSegmentsOfKind("ST", file.list);
  const auto start = Clock::now();
  const x12::PartCuts cuts(file.list);
  Work w;
  for (std::size_t k = 1; k <= sets; ++k) {
    const x12::SegmentList part = cuts.Set(k);
    w.items += x12::BuildClaimIndex(part, 3).size();
  }
  w.step_seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return w;
}

// Loads the file only (the loader's share of an export).
Work Load(const char* path) {
  using namespace ardentix;
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));
  const x12::X12File file = x12::LoadX12File(path, false);
  return {0, file.status.ok ? file.list.size() : 0, 0, 0};
}

// The unattended run of one type word as the parse driver starts it: the
// dispatcher loads the file, cuts it into its transaction sets, the 837
// handler exports every set with the default professional map, and the
// dispatcher joins the sets' outputs into `folder`/out.<ext>.
Work Export(const char* path, const std::string& type, const fs::path& folder) {
  using namespace ardentix;
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));
  ui::SetMetersOff(true);
  std::error_code ec;
  fs::current_path(folder, ec);  // maps and logs of the working folder
  if (ec) return {};
  x12::HandlerTable table;
  Register837ExportHandler(table);
  x12::SetHandlerTable(std::move(table));
  x12::ParseSpec spec;
  spec.parse_type = type;
  spec.source_file = path;
  spec.destination_folder = folder.string();
  spec.parse_options = "OW";
  spec.destination_file = "out";
  x12::OpenRequest request;
  request.file = path;
  request.dialog_folder = folder.string();
  request.mode = x12::DispatchMode::kExport;
  request.base_folder = folder.string();
  request.spec = &spec;
  const auto start = Clock::now();
  const x12::OpenResult result = x12::OpenX12File(request);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const fs::path out = folder / ("out." + std::string(type == "CSV"   ? "csv"
                                                      : type == "XML" ? "xml"
                                                                      : "dbf"));
  Work w;
  w.seconds = seconds;  // the rows are counted below, outside the time
  w.output_bytes = fs::file_size(out, ec);
  if (result.failed || ec) {
    std::fprintf(stderr, "export_bench: the %s export failed\n", type.c_str());
    return {};
  }
  // Rows: the lines of the comma-separated file, the records of the others.
  if (type == "DBF") {
    DbfReader reader;
    if (reader.Open(out)) w.items = reader.record_count();
  } else {
    w.items = CountInFile(out, type == "CSV" ? "\r\n" : "<CLAIM>");
  }
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: export_bench FILE [--repeat N] [--profile csv|xml|dbf|cut]\n");
    return 2;
  }
  const char* path = argv[1];
  int repeat = 3;
  const char* profile = nullptr;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--profile") == 0 && i + 1 < argc) {
      profile = argv[++i];
    }
  }
  struct stat st {};
  if (::stat(path, &st) != 0 || st.st_size == 0) {
    std::fprintf(stderr, "export_bench: cannot read %s\n", path);
    return 1;
  }
  std::string templ = (fs::temp_directory_path() / "ardentix-export-bench-XXXXXX").string();
  if (::mkdtemp(templ.data()) == nullptr) return 1;
  const fs::path folder = templ;
  struct Cleanup {
    fs::path folder;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(folder, ec);
    }
  } cleanup{folder};

  if (profile != nullptr && std::strcmp(profile, "cut") == 0) {
    return CutOnly(path).items > 0 ? 0 : 1;
  }
  if (profile != nullptr) {
    std::string type = profile;
    for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return Export(path, type, folder).items > 0 ? 0 : 1;
  }

  const double mb = static_cast<double>(st.st_size) / (1024.0 * 1024.0);
  const double file_kb = static_cast<double>(st.st_size) / 1024.0;
  PlainPass(path);  // warm the page cache
  const Figures plain = Best(repeat, [path] { return PlainPass(path); });
  if (!plain.ok) {
    std::fprintf(stderr, "export_bench: the plain pass failed\n");
    return 1;
  }
  std::printf("file            %s (%.1f MB)\n", path, mb);
  std::printf("plain pass      %8.1f MB/s  %8.1f ms  peak %7.1f MB (%.2fx file)\n",
              mb / plain.seconds, plain.seconds * 1000, plain.peak_kb / 1024.0,
              plain.peak_kb / file_kb);
  const Figures load = Best(repeat, [path] { return Load(path); });
  if (load.ok) {
    std::printf("load            %8.1f MB/s  %8.1f ms  peak %7.1f MB (%.2fx file)  %.2fx plain\n",
                mb / load.seconds, load.seconds * 1000, load.peak_kb / 1024.0,
                load.peak_kb / file_kb, load.seconds / plain.seconds);
  }
  const Figures cut = Best(repeat, [path] { return CutOnly(path); });
  if (cut.ok) {
    std::printf(
        "cut into sets   %8.1f MB/s  %8.1f ms  (after the load; the dispatcher's part copies)\n",
        mb / cut.step_seconds, cut.step_seconds * 1000);
  }
  int failures = load.ok && cut.ok ? 0 : 1;
  for (const char* type : {"CSV", "XML", "DBF"}) {
    const Figures f = Best(repeat, [&] { return Export(path, type, folder); });
    if (!f.ok) {
      ++failures;
      continue;
    }
    std::printf(
        "export %-4s     %8.1f MB/s  %8.1f ms  peak %7.1f MB (%.2fx file)  %.2fx plain  "
        "%llu rows  output %.1f MB\n",
        type, mb / f.seconds, f.seconds * 1000, f.peak_kb / 1024.0, f.peak_kb / file_kb,
        f.seconds / plain.seconds, static_cast<unsigned long long>(f.items),
        static_cast<double>(f.output_bytes) / (1024.0 * 1024.0));
    const Figures e = Best(repeat, [&] { return EngineAlone(path, type, folder); });
    if (!e.ok || e.items != f.items) {
      ++failures;
      continue;
    }
    std::printf(
        "  engine alone  %8.1f MB/s  %8.1f ms  (the sets' exports without load, cut, join)\n",
        mb / e.step_seconds, e.step_seconds * 1000);
  }
  return failures == 0 ? 0 : 1;
}
