// Claim lookup benchmark: every name of the field-name table asked for every
// claim of a file, the way an export asks them.
//
//   claim_lookup_bench FILE [--repeat N] [--lines N] [--returned]
//
// Names: the whole table with service-line names for lines 1 to --lines
// (default 6), HI position names 01 to 12, secondary-id names without and
// with repeat numbers 1 to 3. Every name is bound once; then for every claim
// unit and every CLM of it (occurrence k) every name is looked up with
// LookupInto() into one reused text, as the export engine does; with
// --returned, claim-level names with Value() and the others with
// HeaderValue(), each value returned as a new text. A file of several sets in one interchange is
// asked as the dispatcher hands it over when the sets are merged: one list whose claim units are
// numbered through all sets. Prints the load time, the lookups per second and the cost per claim
// (best of N runs), so that runs on files of different sizes show whether the cost per claim stays
// the same.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "claims/claim_lookup.h"
#include "claims/field_name_list.h"
#include "ui/headless.h"
#include "ui/ui.h"
#include "x12/access.h"
#include "x12/loader.h"
#include "x12/parts.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ardentix;
  if (argc < 2) {
    std::fprintf(stderr, "usage: claim_lookup_bench FILE [--repeat N] [--lines N]\n");
    return 2;
  }
  int repeat = 3;
  int lines = 6;
  bool returned = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) repeat = std::atoi(argv[++i]);
    if (std::strcmp(argv[i], "--lines") == 0 && i + 1 < argc) lines = std::atoi(argv[++i]);
    if (std::strcmp(argv[i], "--returned") == 0) returned = true;
  }
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));

  const auto load_start = Clock::now();
  const x12::X12File file = x12::LoadX12File(argv[1], false);
  const double load_seconds = Seconds(load_start);
  if (!file.status.ok || file.list.empty()) {
    std::fprintf(stderr, "claim_lookup_bench: cannot load %s\n", argv[1]);
    return 1;
  }

  x12::SegmentList merged;
  x12::ClaimIndex merged_index;
  const x12::SegmentList* list = &file.list;
  const x12::ClaimIndex* index = &file.index;
  if (x12::CountSegmentsOfKind("ISA", file.list) == 1 &&
      x12::CountSegmentsOfKind("ST", file.list) > 1) {
    merged = x12::MergeSets(file.list);
    merged_index = x12::BuildClaimIndex(merged, 1);
    list = &merged;
    index = &merged_index;
  }

  const claims::UserFieldTable no_user_fields;
  const std::vector<claims::BoundField> fields =
      claims::BindFields(claims::ExpandedFieldNames(lines, 3), no_user_fields);

  double best = 0;
  std::uint64_t lookups = 0, claims_asked = 0, checksum = 0, non_empty = 0;
  for (int run = 0; run < std::max(repeat, 1); ++run) {
    // A fresh lookup per run: its per-load indexes are part of the cost.
    const auto start = Clock::now();
    const claims::ClaimLookup lookup(*list, *index);
    lookups = claims_asked = checksum = non_empty = 0;
    std::string value;
    for (std::size_t c = 1; c <= lookup.UnitCount(); ++c) {
      const std::size_t m = std::max<std::size_t>(lookup.ClaimCount(c), 1);
      for (std::size_t k = 1; k <= m; ++k) {
        ++claims_asked;
        for (const claims::BoundField& f : fields) {
          if (returned) {
            const std::string v =
                f.IsClaimLevel() ? lookup.Value(f, c, k) : lookup.HeaderValue(f, c);
            checksum += v.size();
            non_empty += !v.empty();
          } else {
            lookup.LookupInto(f, c, k, value);
            checksum += value.size();
            non_empty += !value.empty();
          }
          ++lookups;
        }
      }
    }
    const double seconds = Seconds(start);
    if (run == 0 || seconds < best) best = seconds;
  }

  const double mb = static_cast<double>(file.list.buffer()->size()) / (1024.0 * 1024.0);
  std::printf("file        %s (%.1f MB, %zu segments, load %.2f s)\n", argv[1], mb,
              file.list.size(), load_seconds);
  std::printf("work        %zu names x %llu claims = %llu lookups (%llu non-empty, %llu bytes)\n",
              fields.size(), static_cast<unsigned long long>(claims_asked),
              static_cast<unsigned long long>(lookups), static_cast<unsigned long long>(non_empty),
              static_cast<unsigned long long>(checksum));
  std::printf("lookups     %.2f s best of %d%s: %.2f M lookups/s, %.0f ns per lookup\n", best,
              repeat, returned ? " (texts returned)" : " (into one text)",
              static_cast<double>(lookups) / best / 1e6, best * 1e9 / static_cast<double>(lookups));
  std::printf("per claim   %.1f us (all %zu names)\n",
              best * 1e6 / static_cast<double>(claims_asked), fields.size());
  return 0;
}
