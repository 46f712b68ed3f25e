#include "dictionary/segment_dictionary.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace ardentix::dictionary {
namespace {

std::string Where(const CodeListAt& at) {
  return std::to_string(at.table) + "/" + std::to_string(at.segment) + "/" +
         std::to_string(at.element) + "/" + std::to_string(at.component);
}

// Every code list of the dictionary with its place, found by walking the tables.
std::vector<CodeListAt> AllCodeListPlaces() {
  std::vector<CodeListAt> places;
  for (int t = 1; t <= kTableCount; ++t) {
    for (int s = 1; s <= SegmentSlotCount(t); ++s) {
      for (int e = 1; e <= ElementSlotCount(t, s); ++e) {
        const ElementSlot* slot = FindElementSlot(t, s, e);
        if (slot->element != nullptr) places.push_back({t, s, e, 0});
        for (int c = 1; c <= static_cast<int>(slot->components.size()); ++c) {
          if (slot->components[c - 1] != nullptr) places.push_back({t, s, e, c});
        }
      }
    }
  }
  return places;
}

TEST(SegmentDictionary, TablesHoldTheirSlotsAndSegmentEntries) {
  struct Case {
    int table;
    int slots;
    std::set<int> filled;
  };
  const Case cases[] = {
      {1, 1, {}},
      {2, 120, {1, 2, 3, 4, 5, 13, 25, 47, 55, 111}},
      {3, 25, {2, 13, 16, 20, 21, 22, 24}},
      {4, 20, {1, 2}},
      {5, 63, {1, 2, 24}},
      {6, 20, {}},
      {7, 200, {1, 14}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SegmentSlotCount(c.table), c.slots) << "table " << c.table;
    std::set<int> filled;
    for (int s = 1; s <= SegmentSlotCount(c.table); ++s) {
      if (FindSegment(c.table, s) != nullptr) filled.insert(s);
    }
    EXPECT_EQ(filled, c.filled) << "table " << c.table;
  }
  for (int bad : {0, -1, 8, 100}) {
    EXPECT_EQ(SegmentSlotCount(bad), 0);
    EXPECT_EQ(FindSegment(bad, 1), nullptr);
  }
  EXPECT_EQ(FindSegment(2, 0), nullptr);
  EXPECT_EQ(FindSegment(2, 121), nullptr);
}

TEST(SegmentDictionary, SegmentEntriesKeepTheirTextsExactly) {
  struct Case {
    int table, slot;
    std::string_view id, name, area, position, loop, usage, max_use;
  };
  const Case cases[] = {
      {2, 1, "ST", "Tranasction Set Header", "Header", "005", "-", "Manditory", "1"},
      {7, 1, "ST", "Tranasction Set Header", "Header", "005", "-", "Manditory", "1"},
      {2, 3, "REF", "Transmission Type Identification", "Header", "015", "-", "Optional", "3"},
      {2, 13, "NM1", "Billing provider", "Detail", "005", "2000", "Opional", "1"},
      {2, 55, "CLM", "Claim Information", "Detail", "130", "2300", "Opional", "100"},
      {2, 111, "REF", "Refering Source ID Type", "Detail", "130", "2300", "Opional", "100"},
      {3, 13, "N1", "Payee ", "Detail", "010", "2100", "Required", "999"},  // trailing blank
      {3, 21, "CAS", "CLAIM ADJUSTMENT INFORMATION", "Detail", "010", "2100", "Required", "99"},
      {5, 24, "EB", "Benefit", "Header", "000", "-", "Manditory", "1"},
      {7, 14, "STC", "Claim Level Status Information", "Detail", "100", "2200D", "Manditory", "1"},
  };
  for (const auto& c : cases) {
    const SegmentEntry* seg = FindSegment(c.table, c.slot);
    ASSERT_NE(seg, nullptr) << c.table << "/" << c.slot;
    EXPECT_EQ(seg->id, c.id);
    EXPECT_EQ(seg->name, c.name);
    EXPECT_EQ(seg->area, c.area);
    EXPECT_EQ(seg->position, c.position);
    EXPECT_EQ(seg->loop, c.loop);
    EXPECT_EQ(seg->usage, c.usage);
    EXPECT_EQ(seg->max_use, c.max_use);
  }
}

TEST(SegmentDictionary, EveryCodeListHasItsListedNumberOfCodes) {
  struct Case {
    CodeListAt at;
    std::size_t count;
  };
  const Case cases[] = {
      {{2, 1, 1, 0}, 1},
      {{4, 1, 1, 0}, 1},
      {{5, 1, 1, 0}, 1},
      {{7, 1, 1, 0}, 1},
      {kProviderIdTypeCodes, 3},
      {kPayerResponsibilityCodes, 3},
      {kSubscriberRelationshipCodes, 1},
      {kClaimFilingIndicatorCodes, 23},
      {kPatientRelationshipCodes, 25},
      {kFacilityCodes, 4},
      {kSecondaryIdTypeCodes, 18},
      {kHandlingCodes, 7},
      {kTransHeaderCodes, 9},
      {kCreditDebitCodes, 2},
      {kPaymentMethodCodes, 7},
      {kPayeeIdQualifierCodes, 2},
      {kPayeeAdditionalIdCodes, 14},
      {kClaimSubmitterIdCodes, 0},
      {kClaimStatusCodes, 17},
      {kRemitFilingIndicatorCodes, 17},
      {kAdjustmentGroupCodes, 5},
      {kRemitSubscriberIdCodes, 5},
      {kRemitServiceProviderIdCodes, 8},
      {kBenefitInformationCodes, 35},
      {kCoverageLevelCodes, 9},
      {kServiceTypeCodes, 141},
      {kInsuranceTypeCodes, 45},
      {kTimePeriodCodes, 19},
      {kQuantityQualifierCodes, 15},
      {kReferenceQualifierCodes, 16},
      {kRejectReasonCodes, 19},
      {kEntityIdentifierCodes, 218},
  };
  // The cases name every element entry of the dictionary, no more.
  EXPECT_EQ(AllCodeListPlaces().size(), std::size(cases));
  for (const auto& c : cases) {
    EXPECT_NE(FindElement(c.at.table, c.at.segment, c.at.element, c.at.component), nullptr)
        << Where(c.at);
    EXPECT_EQ(CodesAt(c.at).size(), c.count) << Where(c.at);
  }
  // The long lists keep their listed first and last codes.
  EXPECT_EQ(CodesAt(kServiceTypeCodes)[0].code, "1");
  EXPECT_EQ(CodesAt(kServiceTypeCodes)[140].code, "BS");
  EXPECT_EQ(CodesAt(kInsuranceTypeCodes)[44].code, "WU");
  EXPECT_EQ(CodesAt(kEntityIdentifierCodes)[0].code, "13");
  EXPECT_EQ(CodesAt(kEntityIdentifierCodes)[217].code, "ZZ");
  EXPECT_EQ(CodesAt(kEntityIdentifierCodes)[217].description, "Mutually Defined");
}

TEST(SegmentDictionary, EntriesPerTable) {
  int entries[kTableCount + 1] = {};
  for (const auto& at : AllCodeListPlaces()) {
    ++entries[at.table];
    const ElementEntry* entry = FindElement(at.table, at.segment, at.element, at.component);
    EXPECT_EQ(entry->kind, "E") << Where(at);
    EXPECT_FALSE(entry->usage.empty()) << Where(at);
    for (const auto& pair : entry->codes) EXPECT_FALSE(pair.code.empty()) << Where(at);
  }
  EXPECT_EQ(entries[1], 0);
  EXPECT_EQ(entries[2], 8);
  EXPECT_EQ(entries[3], 12);
  EXPECT_EQ(entries[4], 1);
  EXPECT_EQ(entries[5], 9);
  EXPECT_EQ(entries[6], 0);
  EXPECT_EQ(entries[7], 2);
}

TEST(SegmentDictionary, ElementEntriesKeepNamesAndUsage) {
  struct Case {
    CodeListAt at;
    std::string_view name, usage;
  };
  const Case cases[] = {
      {kProviderIdTypeCodes, "Billing provider Code", "Required"},
      {kPayerResponsibilityCodes, "Payer Resposibility Sequence Number Code", "Required"},
      {kSubscriberRelationshipCodes, "Individual Relationship Code", "Situational"},
      {kClaimFilingIndicatorCodes, "Claim Filing Indicator Code", "Situational"},
      {kFacilityCodes, "Claim Submitter Idenifier", "Required"},
      {kSecondaryIdTypeCodes, "Claim Submitter Idenifier", "Required"},
      {kCreditDebitCodes, "Trans Debit Credit", "Required"},
      {kClaimSubmitterIdCodes, "Claim Submitter's Identifier", "Required"},
      {kRemitFilingIndicatorCodes, "Claim Status Code", "Required"},
      {kTimePeriodCodes, "Time Period Qualifier", "Required"},
      {kEntityIdentifierCodes, "Entity Identifier Code", "Required"},
  };
  for (const auto& c : cases) {
    const ElementEntry* entry = FindElement(c.at.table, c.at.segment, c.at.element, c.at.component);
    ASSERT_NE(entry, nullptr) << Where(c.at);
    EXPECT_EQ(entry->name, c.name) << Where(c.at);
    EXPECT_EQ(entry->usage, c.usage) << Where(c.at);
  }
}

TEST(SegmentDictionary, ExactTextsIncludingMisspellings) {
  struct Case {
    CodeListAt at;
    std::string_view code, description;
  };
  const Case cases[] = {
      {kProviderIdTypeCodes, "XX", "National Provider ID"},
      {kProviderIdTypeCodes, "34", "Social Security"},
      {kPatientRelationshipCodes, "24", "Depndent of a Minor Dependent"},
      {kPatientRelationshipCodes, "41", "Injured Plantiff"},
      {kSecondaryIdTypeCodes, "0B", "State Licence Number"},
      {kSecondaryIdTypeCodes, "B3", "Prefered Provider Organization Number"},
      {kSecondaryIdTypeCodes, "U3", "Unique Suppier Identification Number"},
      {kSecondaryIdTypeCodes, "X5", "State Industial Accident Provider Number"},
      {kHandlingCodes, "X", "Handling Party's Option to Split Payment and Remittance"},
      {kPayeeIdQualifierCodes, "FI", "Federal Taxpayer's Identification Number"},
      {kClaimStatusCodes, "20", "Processed as Secondary, Forwarded to Additional Payers(s)"},
      {kRemitFilingIndicatorCodes, "WC", "Workers' Compensation Health Claim"},
      {kRemitFilingIndicatorCodes, "1AM", "Automobile Medical"},
      {kRemitFilingIndicatorCodes, "2MC", "Medicaid"},
      {kBenefitInformationCodes, "C", "Deductable"},
      {kQuantityQualifierCodes, "DB", "Deductable Blood Units"},
      {kServiceTypeCodes, "1", "Medical Care"},
      {kServiceTypeCodes, "7", "Anesthesia"},
      {kServiceTypeCodes, "30", "Health Benefit Plan Coverage"},
      {kInsuranceTypeCodes, "13",
       "Medicare Secondary End Stage Renal Disease Beneficiary in the 12 month coordination "
       "period with an employers group health plan"},
      {kInsuranceTypeCodes, "Ps", "Point of Service (POS)"},
      {kInsuranceTypeCodes, "MB", "Medicare Part B"},
      {kEntityIdentifierCodes, "17", "Consultant's Office"},
      {kEntityIdentifierCodes, "1I", "Preferred Provider Organization (PPO)"},
      {kEntityIdentifierCodes, "85", "Billing Provider"},
      {{5, 1, 1, 0}, "271", ""},
      {{7, 1, 1, 0}, "837", ""},
  };
  for (const auto& c : cases) {
    const CodeList& list = CodesAt(c.at);
    const std::size_t pos = list.Find(c.code, CodeMatch::kExact);
    ASSERT_NE(pos, CodeList::npos) << Where(c.at) << " " << c.code;
    EXPECT_EQ(list[pos].description, c.description) << Where(c.at) << " " << c.code;
  }
}

TEST(CodeList, MatchesInEachDirectionInListOrder) {
  using enum CodeMatch;
  struct Case {
    CodeListAt at;
    std::string_view value;
    CodeMatch match;
    std::string_view expected;
  };
  const Case cases[] = {
      // Entry against value: the first code (in list order) that begins with the value.
      {kClaimStatusCodes, "1", kEntryBeginsWithValue, "Processed as Primary"},  // not "10"
      {kClaimStatusCodes, "10", kEntryBeginsWithValue, "Received, but not in process"},
      {kClaimStatusCodes, "1 ", kEntryBeginsWithValue, "Processed as Primary"},  // blanks after
      {kClaimFilingIndicatorCodes, "1", kEntryBeginsWithValue, "Central Certification"},
      {kClaimFilingIndicatorCodes, "M", kEntryBeginsWithValue, "Medicare Part B"},
      {kRemitFilingIndicatorCodes, "MB", kEntryBeginsWithValue, "Medicare Part B"},
      {kRemitFilingIndicatorCodes, "AM", kEntryBeginsWithValue, ""},         // listed as "1AM"
      {kBenefitInformationCodes, "C", kEntryBeginsWithValue, "Deductable"},  // before "CB"
      {kFacilityCodes, "111", kEntryBeginsWithValue, ""},
      // Value against entry: the first code the value begins with.
      {kFacilityCodes, "11", kValueBeginsWithEntry, "Office"},
      {kFacilityCodes, "111", kValueBeginsWithEntry, "Office"},
      {kFacilityCodes, "1", kValueBeginsWithEntry, ""},
      {kClaimStatusCodes, "10", kValueBeginsWithEntry, "Processed as Primary"},  // "1" first
      {kPatientRelationshipCodes, "19", kValueBeginsWithEntry, "Child"},
      // Exact.
      {kClaimStatusCodes, "1", kExact, "Processed as Primary"},
      {kClaimStatusCodes, "10", kExact, "Received, but not in process"},
      {kClaimStatusCodes, "1 ", kExact, ""},
      {kInsuranceTypeCodes, "PS", kExact, ""},  // listed as "Ps"
      {kEntityIdentifierCodes, "QC", kExact, "Patient"},
      {kEntityIdentifierCodes, "Z", kExact, ""},
      // Unknown codes and empty values give empty text in every direction.
      {kProviderIdTypeCodes, "QQ", kEntryBeginsWithValue, ""},
      {kProviderIdTypeCodes, "QQ", kValueBeginsWithEntry, ""},
      {kProviderIdTypeCodes, "QQ", kExact, ""},
      {kProviderIdTypeCodes, "", kEntryBeginsWithValue, ""},
      {kProviderIdTypeCodes, "", kValueBeginsWithEntry, ""},
      {kProviderIdTypeCodes, "", kExact, ""},
      {kClaimSubmitterIdCodes, "1", kEntryBeginsWithValue, ""},  // empty list
      {{2, 120, 1, 0}, "1", kExact, ""},                         // empty slot
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescribeCode(c.at, c.value, c.match), c.expected)
        << Where(c.at) << " value '" << c.value << "' match " << static_cast<int>(c.match);
  }
}

// The exact lookup binary-searches a compile-time index; it must agree with a
// walk of the list for every code of every list and for near misses.
TEST(CodeList, ExactIndexAgreesWithAWalkOfEveryList) {
  auto walk = [](const CodeList& list, std::string_view value) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i].code == value) return i;
    }
    return CodeList::npos;
  };
  for (const auto& at : AllCodeListPlaces()) {
    const CodeList& list = CodesAt(at);
    for (const auto& pair : list) {
      const std::string code(pair.code);
      for (const std::string& probe :
           {code, code + "0", code + " ", code.substr(1), code.substr(0, code.size() - 1) + "~"}) {
        EXPECT_EQ(list.Find(probe, CodeMatch::kExact), walk(list, probe))
            << Where(at) << " '" << probe << "'";
      }
    }
  }
}

TEST(QVX12, AnswersTheThreeQuestions) {
  struct Case {
    int s, e, c, t, q;
    int number;
  };
  const Case cases[] = {
      // Number of segment slots of a table.
      {0, 0, 0, 1, 1, 1},
      {0, 0, 0, 2, 1, 120},
      {0, 5, 3, 7, 1, 200},
      {0, 0, 0, 6, 1, 20},
      {0, 0, 0, 8, 1, 0},
      {0, 0, 0, 2, 2, 0},
      // Number of element slots of a segment.
      {13, 0, 0, 2, 1, 12},  // NM1
      {25, 0, 0, 2, 1, 9},   // SBR
      {24, 0, 0, 5, 1, 14},  // EB
      {14, 0, 0, 7, 1, 12},  // STC
      {6, 0, 0, 2, 1, 0},    // empty segment slot
      {13, 0, 0, 2, 3, 0},
      // Element entries and their code counts.
      {13, 8, 0, 2, 1, 1},
      {13, 8, 0, 2, 2, 3},
      {13, 7, 0, 2, 1, 0},  // empty element slot
      {13, 7, 0, 2, 2, 0},
      {55, 5, 0, 2, 1, 0},  // a composite is not an element entry
      {55, 5, 1, 2, 1, 1},
      {55, 5, 1, 2, 2, 4},
      {55, 5, 2, 2, 1, 0},  // empty component slot
      {55, 5, 9, 2, 1, 0},  // beyond the components
      {13, 8, 1, 2, 1, 0},  // components of a plain element
      {14, 1, 3, 7, 2, 218},
      {24, 3, 0, 5, 2, 141},
      {24, 4, 0, 5, 2, 45},
      {20, 1, 0, 3, 1, 1},  // CLP01: an entry with an empty list
      {20, 1, 0, 3, 2, 0},
      {1, 1, 0, 4, 2, 1},
      {20, 2, 0, 3, 4, 0},  // no such question
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QVX12(c.s, c.e, c.c, c.t, c.q).number, c.number)
        << "s=" << c.s << " e=" << c.e << " c=" << c.c << " t=" << c.t << " q=" << c.q;
  }

  const QVX12Answer st01 = QVX12(1, 1, 0, 5, 3);
  ASSERT_EQ(st01.codes.size(), 1u);
  EXPECT_EQ(st01.codes[0].code, "271");
  EXPECT_EQ(QVX12(1, 1, 0, 2, 3).codes[0].code, "837");

  const QVX12Answer clp02 = QVX12(20, 2, 0, 3, 3);
  EXPECT_EQ(clp02.codes.data(), CodesAt(kClaimStatusCodes).pairs().data());
  EXPECT_EQ(clp02.codes.size(), 17u);
  EXPECT_TRUE(QVX12(20, 2, 0, 3, 1).codes.empty());
  EXPECT_TRUE(QVX12(55, 5, 0, 2, 3).codes.empty());
}

}  // namespace
}  // namespace ardentix::dictionary
