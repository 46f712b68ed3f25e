#include "claims/field_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/files.h"

namespace ardentix::claims {
namespace {

namespace fs = std::filesystem;

TEST(FieldGroupOf, OverlappingAndSuffixedNames) {
  const UserFieldTable none;
  struct Case {
    const char* name;
    FieldGroupCode code;
  };
  const Case cases[] = {
      {"SUBMI", 216},  // SUBMI reaches its entry only as a whole name
      {"SUBMITTERNAME", 101},
      {"SUBMITTERST", 102},
      {"SUBMITTERID", 103},
      {"SUBMIX", 0},
      {"SUBMSTATUS", 216},
      {"OTHERPROCDATE03", 206},
      {"OTHERPROC03", 245},
      {"OTHERPROCD01", 245},
      {"PAYERST", 999},
      {"PAYERSTATE", 217},
      {"PAYERSTX", 999},
      {"RELATEDCAUSECODE", 201},
      {"RELATEDCAUSE", 202},
      {"RELATEDCAUSEC", 202},
      {"RENSECONDARYID1", 222},
      {"REFSECONDARYID1", 219},
      {"PAYTOPROVIDERSECONDARYID1", 111},
      {"CLAIMPAYTOPROVIDERSECONDARYID1", 237},
      {"HIERARCHIALCLAIMPAYTOPROVIDERSECONDARYIDTYPE2", 244},
      {"BILLINGPROVIDERSECONDARYIDCODE3", 108},
      {"CLAIMIDX", 201},  // an entry's text begins the name
      {"REFIDTYPE", 219},
      {"MEDICALRECORDNUMBER", 202},
      {"RETURNTOWORKDATE", 202},
      {"CLAIMTYPE", 228},
      {"PATMSTAT", 999},
      {"AMT1", 229},
      {"IAMT3", 230},
      {"PRICEREF2", 231},
      {"PAYERPRIORPAYMENTX", 246},
      {"CLAIM", 0},  // begins entries, but no entry begins it
      {"", 0},
      // Names are compared as written.
      {"SUBFNAME", 216},
      {"subfname", 0},
      {"SubFName", 0},
      {"Submi", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FieldGroupOf(c.name, none), c.code) << c.name;
}

TEST(FindFieldNameEntry, LongestEntryWithinAGroup) {
  struct Case {
    const char* name;
    const char* base;
  };
  const Case cases[] = {
      {"CLAIMAMTDDDDDD_CC", "CLAIMAMTDDDDDD_CC"},
      {"CLAIMAMT", "CLAIMAMT"},
      {"DX1_XX", "DX1_XX"},
      {"DX12", "DX1"},
      {"RENIDTYPECODE", "RENIDTYPECODE"},
      {"RENIDTYPE", "RENIDTYPE"},
      {"RENIDX", "RENID"},
      {"BILLINGPROVIDERIDTYPE", "BILLINGPROVIDERIDTYPE"},
      {"IUNITSQTY2", "IUNITSQTY"},
      {"IUNITS2", "IUNITS"},
      {"TOOTHSURFACE3", "TOOTHSURFACE"},
      {"TOOTH3", "TOOTH"},
      {"RENSECONDARYIDTYPE1", "RENSECONDARYIDTYPE"},
      {"RENSECONDARYID1", "RENSECONDARYID"},
      {"SUBCLMTYPECODE", "SUBCLMTYPECODE"},
      {"PRINCIPLEPROCDATE", "PRINCIPLEPROCDATE"},
  };
  const auto table = FieldNameTable();
  for (const Case& c : cases) {
    const int i = FindFieldNameEntry(c.name);
    ASSERT_GE(i, 0) << c.name;
    EXPECT_EQ(table[i].text, c.base) << c.name;
  }
}

// The documented scan: every entry whose text begins the name (SUBMI only
// when equal), the longest of them wins.
int ReferenceMatch(std::string_view name) {
  const auto table = FieldNameTable();
  int best = -1;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const FieldNameEntry& e = table[i];
    const bool hit = e.exact_only ? name == e.text : name.starts_with(e.text);
    if (hit && (best < 0 || e.text.size() > table[best].text.size())) best = static_cast<int>(i);
  }
  return best;
}

TEST(FindFieldNameEntry, AgreesWithTheDocumentedScanOnEveryEntryAndItsVariants) {
  const auto table = FieldNameTable();
  std::set<std::string_view> seen;
  std::vector<std::string> names;
  for (const FieldNameEntry& e : table) {
    EXPECT_TRUE(seen.insert(e.text).second) << "twice in the table: " << e.text;
    const std::string t(e.text);
    for (const char* tail : {"", "1", "01", "12", "B01", "X", "_5_10", "TYPE", "CODE", "ID", "~"}) {
      names.push_back(t + tail);
    }
    for (std::size_t n = 0; n < t.size(); ++n) names.push_back(t.substr(0, n));
    std::string lower = t;
    lower.back() = static_cast<char>(lower.back() | 0x20);
    names.push_back(lower);
    names.push_back(t + "\xff");
  }
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(FindFieldNameEntry(table[i].text), static_cast<int>(i)) << table[i].text;
  }
  for (const std::string& name : names) {
    EXPECT_EQ(FindFieldNameEntry(name), ReferenceMatch(name)) << name;
  }
}

TEST(Resolve, SuffixesByKind) {
  const UserFieldTable none;
  struct Case {
    const char* name;
    bool ok;
    int position;     // kPosition
    int hi_segment;   // kPosition
    unsigned line;    // kLine
    unsigned repeat;  // kRepeat
  };
  const Case cases[] = {
      // HI positions: two digits 01-12, or a letter and one or two digits.
      {"OTHERDX01", true, 1, 1, 0, 0},
      {"OTHERDX12", true, 12, 1, 0, 0},
      {"OTHERPROCDATE03", true, 3, 1, 0, 0},
      {"VALUEAMOUNT10", true, 10, 1, 0, 0},
      {"OTHERDXB01", true, 1, 2, 0, 0},
      {"OTHERDXA2", true, 2, 1, 0, 0},
      {"CONDITIONCODEC12", true, 12, 3, 0, 0},
      {"OTHERDX13", false, 0, 1, 0, 0},
      {"OTHERDX00", false, 0, 1, 0, 0},
      {"OTHERDX1", false, 0, 1, 0, 0},
      {"OTHERDX001", false, 0, 1, 0, 0},
      {"OTHERDX", false, 0, 1, 0, 0},
      {"OTHERDXb01", false, 0, 1, 0, 0},
      {"OTHERDXB", false, 0, 1, 0, 0},
      {"OTHERDXB13", false, 0, 1, 0, 0},
      // Service lines: a number; none written gives no value.
      {"AMT1", true, 0, 1, 1, 0},
      {"DOS12", true, 0, 1, 12, 0},
      {"IAMT3", true, 0, 1, 3, 0},
      {"AMT01", true, 0, 1, 1, 0},
      {"DAMT4", true, 0, 1, 4, 0},
      {"TOOTHSURFACE2", true, 0, 1, 2, 0},
      {"POSLINEDESC7", true, 0, 1, 7, 0},
      {"AMT", false, 0, 1, 0, 0},
      {"AMTX", false, 0, 1, 0, 0},
      {"PROC1A", false, 0, 1, 0, 0},
      // Secondary identifiers: the n-th REF; none written is the first.
      {"RENSECONDARYID2", true, 0, 1, 0, 2},
      {"RENSECONDARYIDTYPE3", true, 0, 1, 0, 3},
      {"REFSECONDARYIDCODE01", true, 0, 1, 0, 1},
      {"REFSECONDARYIDCODE", true, 0, 1, 0, 1},
      {"BILLINGPROVIDERSECONDARYID2", true, 0, 1, 0, 2},
      {"RENSECONDARYID0", false, 0, 1, 0, 0},
      {"RENSECONDARYIDX", false, 0, 1, 0, 0},
      // Ignored suffixes and names without suffixes of their own.
      {"CLAIMTYPE", true, 0, 1, 0, 0},
      {"CLAIMTYPE1", true, 0, 1, 0, 0},
      {"PAYERPRIORPAYMENTXYZ", true, 0, 1, 0, 0},
      {"CLAIMID", true, 0, 1, 0, 0},
  };
  for (const Case& c : cases) {
    const ResolvedField f = Resolve(c.name, none);
    EXPECT_EQ(f.suffix_ok, c.ok) << c.name;
    if (!c.ok) continue;
    EXPECT_EQ(f.position, c.position) << c.name;
    EXPECT_EQ(f.hi_segment, c.hi_segment) << c.name;
    EXPECT_EQ(f.line, c.line) << c.name;
    EXPECT_EQ(f.repeat, c.repeat) << c.name;
  }
}

TEST(Resolve, K3DataCut) {
  const UserFieldTable none;
  struct Case {
    const char* name;
    bool ok;
    bool has_cut;
    unsigned start;
    unsigned length;
  };
  const Case cases[] = {
      {"K3DATA", true, false, 0, 0},
      {"K3DATA_5_10", true, true, 5, 10},
      {"K3DATA_0_3", true, true, 0, 3},  // the lookup clamps the range
      {"K3DATA_1_99999999999", true, true, 1, 4294967295u},
      {"K3DATA_5", false, false, 0, 0},
      {"K3DATA_5_", false, false, 0, 0},
      {"K3DATA_a_1", false, false, 0, 0},
      {"K3DATA5_10", false, false, 0, 0},
      {"K3DATA_5_10_2", false, false, 0, 0},
  };
  for (const Case& c : cases) {
    const ResolvedField f = Resolve(c.name, none);
    EXPECT_EQ(f.code, 204) << c.name;
    EXPECT_EQ(f.suffix_ok, c.ok) << c.name;
    EXPECT_EQ(f.has_cut, c.has_cut) << c.name;
    EXPECT_EQ(f.cut_start, c.start) << c.name;
    EXPECT_EQ(f.cut_length, c.length) << c.name;
  }
}

TEST(Resolve, KeepsTheBaseAndTheRestOfTheName) {
  const ResolvedField f = Resolve("REFIDTYPE", UserFieldTable());
  EXPECT_EQ(f.code, 219);
  EXPECT_EQ(f.base, "REFID");
  EXPECT_EQ(f.rest(), "TYPE");
  EXPECT_TRUE(f.IsClaimLevel());
  const ResolvedField header = Resolve("BILLINGPROVIDERSECONDARYID2", UserFieldTable());
  EXPECT_EQ(header.code, 108);
  EXPECT_FALSE(header.IsClaimLevel());
  const ResolvedField unknown = Resolve("nosuch", UserFieldTable());
  EXPECT_EQ(unknown.entry, -1);
  EXPECT_EQ(unknown.rest(), "nosuch");
}

constexpr const char* kUdfIni =
    "[X12VIEWER]\r\n"
    "UDF=NOTINSECTION\r\nSEGMENT=REF\r\nLOOP=2300\r\n"
    "[X12UDF]\r\n"
    "UDF=MYCLAIMREF\r\nSEGMENT=REF\r\nQUALIFIER=EA\r\nLOOP=2300\r\nRETURN=3\r\n"
    "UDF=MYBILLER\r\nSEGMENT=NM1\r\nQUALIFIER=85\r\nLOOP=2010AA\r\nRETURN=4\r\n"
    "UDF=MYLINENOTE\r\nSEGMENT=NTE\r\nLOOP=2400\r\nRETURN=3\r\n"
    "UDF=MYBILL\r\nSEGMENT=N4\r\nLOOP=2010AA\r\nRETURN=2\r\n"
    "UDF=NOSEGMENT\r\nLOOP=2300\r\nRETURN=2\r\n"
    "UDF=SUBFNAME\r\nSEGMENT=NM1\r\nQUALIFIER=IL\r\nLOOP=2010BA\r\nRETURN=5\r\n"
    "UDF=subfirst\r\nSEGMENT=NM1\r\nQUALIFIER=IL\r\nLOOP=2300\r\nRETURN=5\r\n";

TEST(UserFieldTable, NamesOfClaimAndHeaderLoops) {
  const UserFieldTable udf = UserFieldTable::FromText(kUdfIni);
  ASSERT_EQ(udf.entries().size(), 6u);  // NOSEGMENT and the line outside the section left out
  EXPECT_EQ(udf.entries()[0].return_field, 3);
  EXPECT_TRUE(udf.entries()[2].claim_level);  // loop 2400
  struct Case {
    const char* name;
    FieldGroupCode code;
    std::vector<std::string> matching;  // definitions tried, in table order
  };
  const Case cases[] = {
      {"MYCLAIMREF", 300, {"MYCLAIMREF"}},
      {"myclaimref", 300, {"MYCLAIMREF"}},   // user names ignore letter case
      {"MYCLAIMREFX", 300, {"MYCLAIMREF"}},  // a definition's name begins the name
      {"MYCLAIM", 0, {}},
      {"MYLINENOTE", 300, {"MYLINENOTE"}},
      {"MYBILLER", 0, {"MYBILLER", "MYBILL"}},  // loop 2010AA: header level
      {"MYBILLX", 0, {"MYBILL"}},
      {"NOSEGMENT", 0, {}},
      {"NOTINSECTION", 0, {}},
      {"SUBFNAME", 216, {}},          // the name table comes first
      {"subfname", 0, {"SUBFNAME"}},  // no entry: the header-level definition answers it
      {"SUBFIRST", 300, {"subfirst"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldGroupOf(c.name, udf), c.code) << c.name;
    const ResolvedField f = Resolve(c.name, udf);
    EXPECT_EQ(f.code, c.code) << c.name;
    std::vector<std::string> names;
    for (const UserFieldDef& d : f.user_fields) names.push_back(d.name);
    EXPECT_EQ(names, c.matching) << c.name;
  }
}

TEST(UserFieldTable, EmptyDefinitionsMatchNothing) {
  // Without definitions the reader gives one empty entry; it must not begin
  // every unknown name.
  for (const char* ini : {"", "[X12UDF]\r\n", "[X12UDF]\r\nUDF=\r\nSEGMENT=REF\r\nLOOP=2300\r\n"}) {
    const UserFieldTable udf = UserFieldTable::FromText(ini);
    EXPECT_TRUE(udf.entries().empty()) << ini;
    const ResolvedField f = Resolve("ANYNAME", udf);
    EXPECT_EQ(f.code, 0) << ini;
    EXPECT_TRUE(f.user_fields.empty()) << ini;
  }
}

TEST(FieldGroupOf, ReadsTheUserNamesFromQvIniEveryTime) {
  const fs::path dir =
      fs::temp_directory_path() / ("ardentix_fields_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  ASSERT_TRUE(WriteWholeFile(dir / "qv.ini", kUdfIni));
  EXPECT_EQ(FieldGroupOf("MYCLAIMREF"), 300);
  EXPECT_EQ(FieldGroupOf("SUBMI"), 216);
  ASSERT_TRUE(WriteWholeFile(dir / "qv.ini", "[X12UDF]\r\n"));
  EXPECT_EQ(FieldGroupOf("MYCLAIMREF"), 0);
  fs::current_path(before);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace ardentix::claims
