// The 837 field vocabulary: the name table with the group code of every
// name, the user-defined names of qv.ini's [X12UDF] section, and the
// resolution of a field name into what the claim lookup needs to answer it.
//
// - FieldNameTable(): the ordered (text, group code, suffix kind) entries.
// - FindFieldNameEntry(): which entry a name reaches. A name reaches an entry
//   when it begins with the entry's text; the longest such entry wins
//   (RELATEDCAUSECODE before RELATEDCAUSE, OTHERPROCDATE before OTHERPROC,
//   PAYERSTATE before PAYERST), and SUBMI is reached only by the name SUBMI
//   itself. Names are compared as written: letter case counts.
// - UserFieldTable: the [X12UDF] definitions. Their names are compared
//   without regard to case; a name the table of entries does not hold gets
//   code 300 when a matching definition lies in a claim or service-line loop
//   (LOOP beginning with "23" or "24"), else code 0.
// - FieldGroupOf(): the group code of a name.
// - Resolve(): the name once parsed into a ResolvedField (code, base entry,
//   suffix numbers, matching user definitions). An export resolves each of
//   its names once and hands the ResolvedField to the lookup for every claim,
//   so the per-claim path never parses a name again.
#ifndef ARDENTIX_CLAIMS_FIELD_NAMES_H_
#define ARDENTIX_CLAIMS_FIELD_NAMES_H_

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini.h"

namespace ardentix::claims {

// 0: not in the name table (a header-level user-defined name, or no value);
// 101-111: header level; 201-246: claim level; 300: claim-level user-defined
// name; 999: a known name that is always empty.
using FieldGroupCode = int;
inline constexpr FieldGroupCode kUnknownFieldCode = 0;
inline constexpr FieldGroupCode kUserClaimFieldCode = 300;
inline constexpr FieldGroupCode kAlwaysEmptyFieldCode = 999;

// The export engine sends codes above 200 to the claim-level lookup and all
// others to the header-level lookup.
inline bool IsClaimLevelCode(FieldGroupCode code) { return code > 200; }

// What the text after an entry's own text means.
enum class SuffixKind : std::uint8_t {
  kNone,      // no suffix of its own; any further text is only part of the name
  kPosition,  // "01" to "12": the HI composite (optional letter form "B01", "A1")
  kLine,      // a service line number, compared as a number with LX01
              // (for TOOTHSURFACE and its alias TOOTHSERFACE a component number)
  kRepeat,    // the n-th REF after the provider's NM1 (none written: the first)
  kK3Cut,     // optional "_start_length" cut out of K301
  kIgnored,   // any suffix is ignored (CLAIMTYPE, PAYERPRIORPAYMENT)
};

struct FieldNameEntry {
  std::string_view text;
  FieldGroupCode code;
  SuffixKind suffix;
  bool exact_only = false;  // reached only by a name equal to the text (SUBMI)
};

// The name table in group order (each group's names in their own order).
std::span<const FieldNameEntry> FieldNameTable();

// Index into FieldNameTable() of the entry `name` reaches, or -1.
int FindFieldNameEntry(std::string_view name);

// One [X12UDF] definition.
struct UserFieldDef {
  std::string name;
  std::string segment;
  std::string qualifier;
  std::string loop;
  std::string returned;  // RETURN= as written
  // RETURN= read as a field number of the lookup's numbering (field 1 is the
  // segment id, field m + 1 element m); 0 when it does not begin with one.
  int return_field = 0;
  bool claim_level = false;  // LOOP begins with "23" or "24"
};

// The user-defined names. Definitions without a name or without a segment
// are left out: the empty placeholder entry the reader gives when nothing is
// declared would otherwise begin every name and answer it from the first
// segment of the file.
class UserFieldTable {
 public:
  UserFieldTable() = default;
  explicit UserFieldTable(const std::vector<ini::UserField>& fields);
  // Read from qv.ini in `folder` (empty = the current folder); the file is
  // read anew on every call.
  static UserFieldTable FromIni(const std::filesystem::path& folder = {});
  static UserFieldTable FromText(std::string_view ini_bytes);

  const std::vector<UserFieldDef>& entries() const { return entries_; }
  // The definitions whose name, without regard to case, begins `name`, in
  // table order.
  std::vector<UserFieldDef> Matching(std::string_view name) const;
  // 300 when one of the matching definitions is of a claim or service-line
  // loop, else 0.
  FieldGroupCode GroupOf(std::string_view name) const;

 private:
  std::vector<UserFieldDef> entries_;
};

// The group code of a name. The one-argument form reads the user-defined
// names from qv.ini in the current folder when the name table does not hold
// the name.
FieldGroupCode FieldGroupOf(std::string_view name, const UserFieldTable& user_fields);
FieldGroupCode FieldGroupOf(std::string_view name);

// A field name parsed once for every claim of an export.
struct ResolvedField {
  std::string name;  // as given
  FieldGroupCode code = kUnknownFieldCode;
  int entry = -1;         // index into FieldNameTable(), -1 when no entry is reached
  std::string_view base;  // the entry's text (static storage); empty when entry is -1
  SuffixKind suffix_kind = SuffixKind::kNone;
  // False when the text after the base is not a suffix its kind accepts (a
  // position other than 01-12, a line entry without a number, ...): such a
  // name has a code but always gives empty text.
  bool suffix_ok = true;

  int position = 0;          // kPosition: 1 to 12
  int hi_segment = 1;        // kPosition: which HI of the qualifier (letter form A = 1, B = 2, ...)
  std::uint32_t line = 0;    // kLine: the service line number (TOOTHSURFACE: component)
  std::uint32_t repeat = 0;  // kRepeat: which REF after the NM1 (1 when none is written)
  bool has_cut = false;      // kK3Cut: a start and a length were given
  std::uint32_t cut_start = 0;
  std::uint32_t cut_length = 0;

  // Codes 0 and 300: the user definitions whose name begins this name, in
  // table order; empty for names of the name table.
  std::vector<UserFieldDef> user_fields;

  // The text after the base entry ("2" of RENSECONDARYID2, "TYPE" of
  // REFIDTYPE); the whole name when no entry is reached.
  std::string_view rest() const { return std::string_view(name).substr(base.size()); }
  bool IsClaimLevel() const { return IsClaimLevelCode(code); }
};

ResolvedField Resolve(std::string_view name, const UserFieldTable& user_fields);

}  // namespace ardentix::claims

#endif  // ARDENTIX_CLAIMS_FIELD_NAMES_H_
