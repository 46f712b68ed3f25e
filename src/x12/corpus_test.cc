// Loads every real sample file of the shared corpus and checks the numbers
// of ISA, ST and CLM/CLP segments against MANIFEST.tsv.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/number.h"
#include "common/text.h"
#include "ui/headless.h"
#include "x12/access.h"
#include "x12/loader.h"
#include "x12/parts.h"

namespace ardentix::x12 {
namespace {

namespace fs = std::filesystem;

struct ManifestRow {
  std::size_t isa = 0, st = 0, claims = 0;
  std::string notes;
};

std::map<std::string, ManifestRow> ReadManifest(const fs::path& file) {
  std::map<std::string, ManifestRow> rows;
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) return rows;
  std::vector<std::string_view> header;
  for (std::string_view line : SplitPieces(bytes, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const std::vector<std::string_view> cells = SplitPieces(line, '\t');
    if (header.empty()) {
      header = cells;
      continue;
    }
    auto cell = [&](std::string_view name) -> std::string_view {
      for (std::size_t i = 0; i < header.size() && i < cells.size(); ++i) {
        if (header[i] == name) return cells[i];
      }
      return {};
    };
    ManifestRow row;
    row.isa = static_cast<std::size_t>(LeadingInteger(cell("n_ISA")));
    row.st = static_cast<std::size_t>(LeadingInteger(cell("n_ST")));
    row.claims = static_cast<std::size_t>(LeadingInteger(cell("n_CLM_or_CLP")));
    row.notes = std::string(cell("notes"));
    rows.emplace(std::string(cell("file")), row);
  }
  return rows;
}

// Notes of files whose counts the loader is not expected to reproduce:
// without an ISA there are no delimiters, and text after a lost IEA or
// before the interchange is not part of it.
bool CountsExempt(const std::string& notes) {
  const std::string n = ToLower(notes);
  for (std::string_view exempt :
       {"missing iea", "leading junk", "leading text", "before isa", "utf-16", "no isa segment"}) {
    if (n.find(exempt) != std::string::npos) return true;
  }
  return false;
}

TEST(CorpusTest, EveryFileLoadsAndCountsMatchTheManifest) {
  const fs::path root = ARDENTIX_SAMPLES_DIR;
  const fs::path files = root / "files";
  if (!fs::is_directory(files)) {
    GTEST_SKIP() << "sample folder " << files << " is absent";
  }
  const auto manifest = ReadManifest(root / "MANIFEST.tsv");
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));
  std::size_t loaded = 0, compared = 0;
  for (const auto& entry : fs::directory_iterator(files)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const X12File f = LoadX12File(entry.path(), false);
    ASSERT_TRUE(f.status.ok);
    ++loaded;
    const SegmentList& list = f.list;
    std::size_t isa = 0, st = 0, claims = 0;
    for (std::size_t i = 1; i <= list.size(); ++i) {
      const std::string_view id = list.Id(i);
      isa += id == "ISA";
      st += id == "ST";
      claims += id == "CLM" || id == "CLP";
      // Touch every accessor the later stages use.
      (void)list.Element(i, 3);
      (void)list.FieldText(i, 9);
    }
    // Parts of the file must come out whole as well.
    for (std::size_t k = 1; k <= CountSegmentsOfKind("ISA", list) + 1; ++k) {
      const SegmentList batch = ExtractInterchange(list, k);
      for (std::size_t s = 1; s <= CountSegmentsOfKind("ST", batch) + 1; ++s) {
        (void)ExtractSet(batch, s);
      }
    }
    (void)MergeSets(list);
    (void)SetHeaderValue(list, list.size(), 1, 4, "ISA");
    auto row = manifest.find(name);
    if (row == manifest.end() || CountsExempt(row->second.notes)) continue;
    ++compared;
    EXPECT_EQ(isa, row->second.isa);
    EXPECT_EQ(st, row->second.st);
    EXPECT_EQ(claims, row->second.claims);
  }
  EXPECT_GT(loaded, 100u);
  EXPECT_GT(compared, 100u);
  std::printf("corpus: %zu files loaded, %zu compared with the manifest\n", loaded, compared);
}

}  // namespace
}  // namespace ardentix::x12
