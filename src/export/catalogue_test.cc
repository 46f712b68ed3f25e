#include "export/catalogue.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace ardentix {

// Readable failure messages.
void PrintTo(const CatalogueRow& row, std::ostream* os) {
  *os << "{\"" << row.name << "\", \"" << row.description << "\", " << row.width << ", \""
      << row.level << "\", \"" << row.kind << "\"}";
}

namespace {

// Row n, 1-based as the rows are numbered for users.
const CatalogueRow& RowNo(const FieldCatalogue& c, std::size_t n) { return c[n - 1]; }

struct ShapeCase {
  ClaimKind kind;
  std::size_t rows;
  std::string kind_text;
  std::vector<std::pair<std::size_t, std::string>> boundaries;  // row number -> name
};

class ClaimCatalogueShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ClaimCatalogueShape, SizeOrderAndBoundaries) {
  const ShapeCase& tc = GetParam();
  const FieldCatalogue c = BuildCatalogue(tc.kind);
  ASSERT_EQ(c.size(), tc.rows);
  EXPECT_EQ(c.kind(), tc.kind_text);
  for (const auto& [n, name] : tc.boundaries) EXPECT_EQ(RowNo(c, n).name, name) << "row " << n;
}

TEST_P(ClaimCatalogueShape, EveryRowIsNamedMarkedAndFitsADbaseField) {
  const FieldCatalogue c = BuildCatalogue(GetParam().kind);
  std::set<std::string> names;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const CatalogueRow& row = c[i];
    EXPECT_FALSE(row.name.empty()) << "row " << i + 1;
    EXPECT_FALSE(row.description.empty()) << row.name;
    EXPECT_GE(row.width, 1) << row.name;
    EXPECT_LE(row.width, 254) << row.name;
    EXPECT_EQ(row.level, "H") << row.name;
    EXPECT_EQ(row.kind, "C") << row.name;
    EXPECT_TRUE(names.insert(row.name).second) << "duplicate " << row.name;
    // The lookup by name finds every row at its own place.
    EXPECT_EQ(c.IndexOf(row.name), i) << row.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ClaimCatalogueShape,
                         ::testing::Values(ShapeCase{ClaimKind::kProfessional,
                                                     230,
                                                     "Professional",
                                                     {{1, "SUBFNAME"},
                                                      {38, "CLAIMAMT"},
                                                      {39, "DX1"},
                                                      {43, "DX5"},
                                                      {44, "PROC1"},
                                                      {55, "ADJUDID1"},
                                                      {56, "PROC2"},
                                                      {152, "PROC10"},
                                                      {163, "ADJUDID10"},
                                                      {164, "PATIENTAMOUNTPAID"},
                                                      {230, "SUBMITTERZIP"}}},
                                           ShapeCase{ClaimKind::kInstitutional,
                                                     338,
                                                     "Institutional ",
                                                     {{38, "CLAIMAMT"},
                                                      {39, "ADMISSIONDATETIME"},
                                                      {61, "OPERATESECONDARYIDTYPE1"},
                                                      {62, "OTHERDX01"},
                                                      {73, "OTHERDX12"},
                                                      {74, "PRINCIPLEPROCDATE"},
                                                      {75, "PRINCIPLEPROC"},
                                                      {76, "OTHERPROC01"},
                                                      {88, "OCCURRENCESPAN01"},
                                                      {100, "OCCURRENCECODE01"},
                                                      {101, "OCCURRENCEDATE01"},
                                                      {123, "OCCURRENCEDATE12"},
                                                      {124, "VALUECODE01"},
                                                      {126, "VALUEQTY01"},
                                                      {153, "VALUEQTY10"},
                                                      {154, "CONDITIONCODE01"},
                                                      {177, "CONDITIONDATE12"},
                                                      {178, "TREATMENTCODE01"},
                                                      {189, "TREATMENTCODE12"},
                                                      {190, "IREVCODE1"},
                                                      {197, "IDOS1"},
                                                      {262, "IREVCODE10"},
                                                      {269, "IDOS10"},
                                                      {270, "DRG"},
                                                      {271, "K3DATA"},
                                                      {272, "PATIENTAMOUNTPAID"},
                                                      {338, "SUBMITTERZIP"}}},
                                           ShapeCase{ClaimKind::kDental,
                                                     236,
                                                     "Dental",
                                                     {{38, "CLAIMAMT"},
                                                      {39, "POSCODE"},
                                                      {49, "RENSECONDARYIDTYPE3"},
                                                      {50, "DPROC1"},
                                                      {58, "TOOTHSERFACE1"},
                                                      {62, "DPROC2"},
                                                      {169, "ADJUDID10"},
                                                      {170, "PATIENTAMOUNTPAID"},
                                                      {236, "SUBMITTERZIP"}}}));

TEST(ClaimCatalogue, HeadAndTailAreTheSameForEveryKind) {
  const FieldCatalogue p = BuildCatalogue(ClaimKind::kProfessional);
  for (ClaimKind kind : {ClaimKind::kInstitutional, ClaimKind::kDental}) {
    const FieldCatalogue other = BuildCatalogue(kind);
    for (std::size_t i = 0; i < 38; ++i) EXPECT_EQ(other[i], p[i]) << "head row " << i + 1;
    for (std::size_t i = 1; i <= 67; ++i) {
      EXPECT_EQ(other[other.size() - i], p[p.size() - i]) << "tail row -" << i;
    }
  }
}

// Texts as users and stored maps know them: misspellings, trailing blanks,
// numbers appended or not, two-digit numbering.
TEST(ClaimCatalogue, ExactRows) {
  struct Case {
    ClaimKind kind;
    std::size_t row;
    CatalogueRow want;
  };
  const Case cases[] = {
      {ClaimKind::kProfessional, 5, {"SUBNAMESUFIX", "Subscriber Name Sufix", 15, "H", "C"}},
      {ClaimKind::kProfessional, 29, {"PATADDR2", "patient Address Line 2", 35, "H", "C"}},
      {ClaimKind::kProfessional, 36, {"PATREL", "Patient Subscriber Relation", 12, "H", "C"}},
      {ClaimKind::kProfessional, 41, {"DX3", "Diagnosis 3", 7, "H", "C"}},
      {ClaimKind::kProfessional, 51, {"DXLINK1", "Diagnosis Line Line 1", 8, "H", "C"}},
      {ClaimKind::kProfessional, 156, {"DOS10", "Date of service Line 10", 16, "H", "C"}},
      {ClaimKind::kProfessional, 161, {"PRICEAMT10", "Price Amount Line 10", 10, "H", "C"}},
      {ClaimKind::kProfessional, 162, {"PRICEREF10", "Price Reference", 20, "H", "C"}},
      {ClaimKind::kProfessional, 168, {"BENEFITINDICATOR", "benefit Indicator", 5, "H", "C"}},
      {ClaimKind::kProfessional,
       173,
       {"PRIMARYSUBFNAME", "PRIMARY Insurance Subscriber Last Name", 35, "H", "C"}},
      {ClaimKind::kProfessional, 226, {"SUBMITTERADDR1", "Submitter Address 1 ", 35, "H", "C"}},
      {ClaimKind::kProfessional, 230, {"SUBMITTERZIP", "Submitter Zip", 14, "H", "C"}},
      {ClaimKind::kDental,
       45,
       {"RENSECONDARYIDTYPE1", "Rendering Provider Secondary ID Type", 20, "H", "C"}},
      {ClaimKind::kDental, 57, {"TOOTH1", "Tooth Number 1", 10, "H", "C"}},
      {ClaimKind::kDental, 166, {"TOOTHSERFACE10", "Tooth Serface 10", 10, "H", "C"}},
      {ClaimKind::kInstitutional, 46, {"FACILITYCODEVALUE", "Facility Code Value ", 5, "H", "C"}},
      {ClaimKind::kInstitutional, 74, {"PRINCIPLEPROCDATE", "Principle Procedure ", 12, "H", "C"}},
      {ClaimKind::kInstitutional, 75, {"PRINCIPLEPROC", "Principle Procedure ", 10, "H", "C"}},
      {ClaimKind::kInstitutional, 99, {"OCCURRENCESPAN12", "Occurrence Span 12", 16, "H", "C"}},
      {ClaimKind::kInstitutional, 101, {"OCCURRENCEDATE01", "Occurance Date 01", 12, "H", "C"}},
      {ClaimKind::kInstitutional, 152, {"VALUEAMOUNT10", "Value Amount 10", 10, "H", "C"}},
      {ClaimKind::kInstitutional, 155, {"CONDITIONDATE01", "Condition Date 01", 12, "H", "C"}},
      {ClaimKind::kInstitutional, 191, {"IPROC1", "Service Code Line 1", 10, "H", "C"}},
      {ClaimKind::kInstitutional, 267, {"IAMT10", "Procedure Amount Line 10", 16, "H", "C"}},
      {ClaimKind::kInstitutional, 271, {"K3DATA", "K3DATA", 50, "H", "C"}},
  };
  for (const Case& tc : cases) {
    const FieldCatalogue c = BuildCatalogue(tc.kind);
    ASSERT_LE(tc.row, c.size());
    EXPECT_EQ(RowNo(c, tc.row), tc.want) << "row " << tc.row << " of " << c.kind();
  }
}

TEST(ClaimCatalogue, ClaimKindFromTheClaimTypeValue) {
  const std::pair<std::string, ClaimKind> cases[] = {
      {"Professional", ClaimKind::kProfessional},
      {"professional", ClaimKind::kProfessional},
      {"PROFESSIONAL   ", ClaimKind::kProfessional},
      {"Institutional", ClaimKind::kInstitutional},
      {"Dental", ClaimKind::kDental},
      {"DENTALX", ClaimKind::kDental},  // a value that begins with the word counts
      {"", ClaimKind::kUnrecognised},
      {"DENT", ClaimKind::kUnrecognised},
      {" DENTAL", ClaimKind::kUnrecognised},
      {"VISION", ClaimKind::kUnrecognised},
  };
  for (const auto& [value, kind] : cases) {
    EXPECT_EQ(ClaimKindFromType(value), kind) << "'" << value << "'";
  }
}

TEST(ClaimCatalogue, UnrecognisedClaimTypeGivesTheSingleErrorRow) {
  const FieldCatalogue c = BuildClaimCatalogue("");
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0], (CatalogueRow{"ERROR", "Error", 35, "H", "C"}));
  EXPECT_EQ(MapTypeLine(c), "Maptype = Error");
}

TEST(ClaimCatalogue, MapTypeLines) {
  EXPECT_EQ(MapTypeLine(BuildClaimCatalogue("Professional")), "Maptype = Professional");
  EXPECT_EQ(MapTypeLine(BuildClaimCatalogue("Institutional")), "Maptype = Institutional ");
  EXPECT_EQ(MapTypeLine(BuildClaimCatalogue("Dental")), "Maptype = Dental");
}

TEST(FieldCatalogueLookup, ExactNamesFirstOccurrenceAndCopies) {
  // A name can occur twice (as in the remittance catalogue): the earlier row wins.
  FieldCatalogue original("835", {{"CLAIMPATCTL", "Claim Patient Control Number", 20, "H", "C"},
                                  {"PAYERCLAIMCODE", "PAYER Claim Code", 32, "H", "C"},
                                  {"CLMADJQTY4", "Claim Adjustment Quantity 4", 10, "H", ""},
                                  {"PAYERCLAIMCODE", "Payer Claim Control", 10, "H", "C"}});
  const FieldCatalogue c = original;  // the copy's index must not lean on the original
  original = FieldCatalogue();

  EXPECT_EQ(c.IndexOf("PAYERCLAIMCODE"), 1u);
  EXPECT_EQ(c.IndexOf("PAYERCLAIMCODE   "), 1u);     // trailing blanks are dropped
  EXPECT_EQ(c.IndexOf("PAYERCLAIM"), std::nullopt);  // exact, not a prefix
  EXPECT_EQ(c.IndexOf("payerclaimcode"), std::nullopt);
  EXPECT_EQ(c.IndexOf(""), std::nullopt);
  ASSERT_NE(c.Find("CLMADJQTY4"), nullptr);
  EXPECT_EQ(c.Find("CLMADJQTY4")->kind, "");
  EXPECT_EQ(c.Find("NOSUCHFIELD"), nullptr);
  EXPECT_EQ(FieldCatalogue().IndexOf("X"), std::nullopt);
}

TEST(CatalogueRowsForNames, PrefixMatchesPositionsAndTheRowLimit) {
  const FieldCatalogue c = BuildCatalogue(ClaimKind::kInstitutional);
  const std::vector<std::string> names = {
      "CLAIMID",        // exact
      "SOURCEFILE",     // in no catalogue: its own place stays empty
      "PRINCIPLEPROC",  // the first row beginning with it is PRINCIPLEPROCDATE
      "OTHERDX1",       // OTHERDX10 is the first name beginning with it
      "IREVCODE1",      // IREVCODE1 comes before IREVCODE10
      "",               // an empty name matches the first row
      "CLAIMID  ",      // a name followed by blanks
      "CLAIMID X",      // not a prefix, not the name followed by blanks
      "IREVCODE9",      // row 254, the last row searched
      "IPROC9",         // row 255
      "SUBMITTERZIP",   // row 338
  };
  const std::vector<std::size_t> want_rows = {37, 0, 74, 71, 190, 1, 37, 0, 254, 0, 0};

  const std::vector<CatalogueRow> got = CatalogueRowsForNames(names, c);
  ASSERT_EQ(got.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const CatalogueRow want = want_rows[i] ? RowNo(c, want_rows[i]) : CatalogueRow{};
    EXPECT_EQ(got[i], want) << "name '" << names[i] << "'";
  }
  EXPECT_TRUE(CatalogueRowsForNames({}, c).empty());
}

TEST(CatalogueRowsForNames, DescriptionsLineUpWithTheNamesForAHeader) {
  // The dispatcher builds a header line from these descriptions: a name the
  // catalogue lacks must not shift the later descriptions left.
  const FieldCatalogue c = BuildCatalogue(ClaimKind::kProfessional);
  const std::vector<CatalogueRow> got =
      CatalogueRowsForNames({"SOURCEFILE", "SUBLNAME", "SUBSTATUS", "DX1"}, c);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].description, "");
  EXPECT_EQ(got[1].description, "Subscriber Last Name");
  EXPECT_EQ(got[2].description, "");
  EXPECT_EQ(got[3].description, "Diagnosis 1");
}

}  // namespace
}  // namespace ardentix
