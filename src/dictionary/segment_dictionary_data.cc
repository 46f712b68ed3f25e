// The dictionary's tables as constants. Every list is a std::array in static
// storage with a companion index (positions sorted by code) computed by the
// compiler, so nothing is built or allocated at run time.
//
// Code lists keep their listed order and texts exactly, including the odd ones
// ("1AM", "2MC", "Ps", "Depndent of a Minor Dependent", "Deductable").
#include "dictionary/segment_dictionary_data.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <utility>

namespace ardentix::dictionary::data {
namespace {

// Positions of `pairs` ordered by code; equal codes keep their list order.
template <std::size_t N>
constexpr std::array<std::uint16_t, N> CodeOrder(const std::array<CodePair, N>& pairs) {
  static_assert(N < 65536);
  std::array<std::uint16_t, N> order{};
  std::iota(order.begin(), order.end(), std::uint16_t{0});
  std::sort(order.begin(), order.end(), [&pairs](std::uint16_t a, std::uint16_t b) {
    const int cmp = pairs[a].code.compare(pairs[b].code);
    return cmp < 0 || (cmp == 0 && a < b);
  });
  return order;
}

// N element slots with the given (slot number, slot) pairs filled in.
template <std::size_t N>
constexpr std::array<ElementSlot, N> ElementSlots(
    std::initializer_list<std::pair<int, ElementSlot>> filled) {
  std::array<ElementSlot, N> slots{};
  for (const auto& [number, slot] : filled) slots.at(static_cast<std::size_t>(number) - 1) = slot;
  return slots;
}

// N segment slots with the given (slot number, entry) pairs filled in.
template <std::size_t N>
constexpr std::array<const SegmentEntry*, N> SegmentSlots(
    std::initializer_list<std::pair<int, const SegmentEntry*>> filled) {
  std::array<const SegmentEntry*, N> slots{};
  for (const auto& [number, entry] : filled) slots.at(static_cast<std::size_t>(number) - 1) = entry;
  return slots;
}

// Table 2, segment slot 1: ST01.
constexpr auto kCodes2_1_1 = std::to_array<CodePair>({
    {"837", ""},
});
constexpr auto kCodes2_1_1Order = CodeOrder(kCodes2_1_1);
constexpr ElementEntry kElement2_1_1{
    .kind = "E", .name = "", .usage = "Required", .codes = CodeList(kCodes2_1_1, kCodes2_1_1Order)};

// Table 2, segment slot 13: NM108.
constexpr auto kCodes2_13_8 = std::to_array<CodePair>({
    {"24", "Employers ID"},
    {"34", "Social Security"},
    {"XX", "National Provider ID"},
});
constexpr auto kCodes2_13_8Order = CodeOrder(kCodes2_13_8);
constexpr ElementEntry kElement2_13_8{.kind = "E",
                                      .name = "Billing provider Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes2_13_8, kCodes2_13_8Order)};

// Table 2, segment slot 25: SBR01.
constexpr auto kCodes2_25_1 = std::to_array<CodePair>({
    {"P", "Primary"},
    {"S", "Secondary"},
    {"T", "Tertiary"},
});
constexpr auto kCodes2_25_1Order = CodeOrder(kCodes2_25_1);
constexpr ElementEntry kElement2_25_1{.kind = "E",
                                      .name = "Payer Resposibility Sequence Number Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes2_25_1, kCodes2_25_1Order)};

// Table 2, segment slot 25: SBR02.
constexpr auto kCodes2_25_2 = std::to_array<CodePair>({
    {"18", "Self"},
});
constexpr auto kCodes2_25_2Order = CodeOrder(kCodes2_25_2);
constexpr ElementEntry kElement2_25_2{.kind = "E",
                                      .name = "Individual Relationship Code",
                                      .usage = "Situational",
                                      .codes = CodeList(kCodes2_25_2, kCodes2_25_2Order)};

// Table 2, segment slot 25: SBR09.
constexpr auto kCodes2_25_9 = std::to_array<CodePair>({
    {"09", "Self Pay"},
    {"10", "Central Certification"},
    {"11", "Other Non-Federal Programs"},
    {"12", "Preferred Provider Organization"},
    {"13", "Point of Service"},
    {"14", "Exclusive Provider Organization"},
    {"15", "Indemnity Insurance"},
    {"16", "Health Maintenance Organization Medicare Risk"},
    {"AM", "Automobile Medical"},
    {"BL", "Blue Cross Blue Shield"},
    {"CH", "Champus"},
    {"CI", "Commercial Insurance Company"},
    {"DS", "Disability"},
    {"HM", "Health Maintenance Organization"},
    {"LI", "Liability"},
    {"LM", "Liability Medical"},
    {"MB", "Medicare Part B"},
    {"MC", "Medicaid"},
    {"OF", "Other Federal Program"},
    {"TV", "Title V"},
    {"VA", "Veterans Administration Plan"},
    {"WC", "Workers Compensation Health Claim"},
    {"ZZ", "Mutually Defined"},
});
constexpr auto kCodes2_25_9Order = CodeOrder(kCodes2_25_9);
constexpr ElementEntry kElement2_25_9{.kind = "E",
                                      .name = "Claim Filing Indicator Code",
                                      .usage = "Situational",
                                      .codes = CodeList(kCodes2_25_9, kCodes2_25_9Order)};

// Table 2, segment slot 47: PAT01.
constexpr auto kCodes2_47_1 = std::to_array<CodePair>({
    {"01", "Spouse"},
    {"04", "Grandfather or Grandmother"},
    {"05", "Grandson or Granddaughter"},
    {"07", "Nephew or Niece"},
    {"09", "Adopted Child"},
    {"10", "Foster Child"},
    {"15", "Ward"},
    {"17", "Stepson or Stepdaughter"},
    {"19", "Child"},
    {"20", "Employee"},
    {"21", "Unknown"},
    {"22", "Handicapped Dependent"},
    {"23", "Spouse Dependent"},
    {"24", "Depndent of a Minor Dependent"},
    {"29", "Significant Other"},
    {"32", "Mother"},
    {"33", "Father"},
    {"34", "Other Adult"},
    {"36", "Emancipated Minor"},
    {"39", "Organ Donor"},
    {"40", "Cadaver Donor"},
    {"41", "Injured Plantiff"},
    {"43", "Child where insured has no Financial Responsibility"},
    {"53", "Life Partner"},
    {"G8", "Other Relationship"},
});
constexpr auto kCodes2_47_1Order = CodeOrder(kCodes2_47_1);
constexpr ElementEntry kElement2_47_1{.kind = "E",
                                      .name = "Individual Relationship Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes2_47_1, kCodes2_47_1Order)};

// Table 2, segment slot 55: CLM05-1.
constexpr auto kCodes2_55_5_1 = std::to_array<CodePair>({
    {"11", "Office"},
    {"12", "Home"},
    {"21", "Inpatient"},
    {"22", "Outpatient"},
});
constexpr auto kCodes2_55_5_1Order = CodeOrder(kCodes2_55_5_1);
constexpr ElementEntry kElement2_55_5_1{.kind = "E",
                                        .name = "Claim Submitter Idenifier",
                                        .usage = "Required",
                                        .codes = CodeList(kCodes2_55_5_1, kCodes2_55_5_1Order)};

// Table 2, segment slot 111: REF02.
constexpr auto kCodes2_111_2 = std::to_array<CodePair>({
    {"0B", "State Licence Number"},
    {"1A", "Blue Cross Provider Number"},
    {"1B", "Blue Shield Provider Number"},
    {"1C", "Medicare Provider Number"},
    {"1D", "Medicaid Provider Number"},
    {"1G", "Provider UPIN Number"},
    {"1H", "CHAMPUS Identification Number"},
    {"1J", "Facility ID Number"},
    {"B3", "Prefered Provider Organization Number"},
    {"BQ", "HMO Code Number"},
    {"EI", "Employers Identification Number"},
    {"FH", "Clinic Number"},
    {"G2", "Provider Commercial Number"},
    {"G5", "Provider Site Number"},
    {"LU", "Location Number"},
    {"SY", "Social Security Number"},
    {"U3", "Unique Suppier Identification Number"},
    {"X5", "State Industial Accident Provider Number"},
});
constexpr auto kCodes2_111_2Order = CodeOrder(kCodes2_111_2);
constexpr ElementEntry kElement2_111_2{.kind = "E",
                                       .name = "Claim Submitter Idenifier",
                                       .usage = "Required",
                                       .codes = CodeList(kCodes2_111_2, kCodes2_111_2Order)};

// Table 3, segment slot 2: BPR01.
constexpr auto kCodes3_2_1 = std::to_array<CodePair>({
    {"C", "Payment Accompanies Remittance Advice"},
    {"D", "Make Payment Only"},
    {"H", "Notification Only"},
    {"I", "Remittance Information Only"},
    {"P", "Prenotification of Future Transfers"},
    {"U", "Split Payment and Remittance"},
    {"X", "Handling Party's Option to Split Payment and Remittance"},
});
constexpr auto kCodes3_2_1Order = CodeOrder(kCodes3_2_1);
constexpr ElementEntry kElement3_2_1{.kind = "E",
                                     .name = "Claim Status Code",
                                     .usage = "Required",
                                     .codes = CodeList(kCodes3_2_1, kCodes3_2_1Order)};

// Table 3, segment slot 2: BPR02.
constexpr auto kCodes3_2_2 = std::to_array<CodePair>({
    {"1", "Processed as Primary"},
    {"2", "Processed as Secondary"},
    {"3", "Processed as Tertiary"},
    {"4", "Denied"},
    {"5", "Pended"},
    {"10", "Received, but not in process"},
    {"13", "Suspended"},
    {"15", "Suspended - investigation with field"},
    {"16", "Suspended - return with material"},
});
constexpr auto kCodes3_2_2Order = CodeOrder(kCodes3_2_2);
constexpr ElementEntry kElement3_2_2{.kind = "E",
                                     .name = "Trans Header Code",
                                     .usage = "Required",
                                     .codes = CodeList(kCodes3_2_2, kCodes3_2_2Order)};

// Table 3, segment slot 2: BPR04.
constexpr auto kCodes3_2_4 = std::to_array<CodePair>({
    {"C", "Credit"},
    {"D", "Debit"},
});
constexpr auto kCodes3_2_4Order = CodeOrder(kCodes3_2_4);
constexpr ElementEntry kElement3_2_4{.kind = "E",
                                     .name = "Trans Debit Credit",
                                     .usage = "Required",
                                     .codes = CodeList(kCodes3_2_4, kCodes3_2_4Order)};

// Table 3, segment slot 2: BPR05.
constexpr auto kCodes3_2_5 = std::to_array<CodePair>({
    {"ACH", "Automated Clearing House"},
    {"BOP", "Financial Institution Option"},
    {"CHK", "Check"},
    {"FWT", "Federal Reserve Funds/Wire Transfer"},
    {"NON", "Non-Payment Data"},
    {"CCP", "Cash Concentration/Disbursement"},
    {"CTX", "Corporate Trade Exchange"},
});
constexpr auto kCodes3_2_5Order = CodeOrder(kCodes3_2_5);
constexpr ElementEntry kElement3_2_5{.kind = "E",
                                     .name = "Trans Pay Method",
                                     .usage = "Required",
                                     .codes = CodeList(kCodes3_2_5, kCodes3_2_5Order)};

// Table 3, segment slot 13: N103.
constexpr auto kCodes3_13_3 = std::to_array<CodePair>({
    {"FI", "Federal Taxpayer's Identification Number"},
    {"XX", "Health Care Financing Administration National"},
});
constexpr auto kCodes3_13_3Order = CodeOrder(kCodes3_13_3);
constexpr ElementEntry kElement3_13_3{.kind = "E",
                                      .name = "Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes3_13_3, kCodes3_13_3Order)};

// Table 3, segment slot 16: REF01.
constexpr auto kCodes3_16_1 = std::to_array<CodePair>({
    {"0B", "State License Number"},
    {"1A", "Blue Cross Provider Number"},
    {"1B", "Blue Shield Provider Number"},
    {"1C", "Medicare Provider Number"},
    {"1D", "Medicaid Provider Number"},
    {"1E", "Dentist License Number"},
    {"1F", "Anesthesia License Number"},
    {"1G", "Provider UPIN Number"},
    {"1H", "CHAMPUS Identification Number"},
    {"D3", "National Association of Boards of Pharmacy Number"},
    {"G2", "Provider Commercial Number"},
    {"N5", "Provider Plan Network Identification Number"},
    {"PQ", "Payee Identification"},
    {"TJ", "Federal Taxpayer's Identification Number"},
});
constexpr auto kCodes3_16_1Order = CodeOrder(kCodes3_16_1);
constexpr ElementEntry kElement3_16_1{.kind = "E",
                                      .name = "Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes3_16_1, kCodes3_16_1Order)};

// Table 3, segment slot 20: CLP01.
constexpr std::array<CodePair, 0> kCodes3_20_1{};
constexpr auto kCodes3_20_1Order = CodeOrder(kCodes3_20_1);
constexpr ElementEntry kElement3_20_1{.kind = "E",
                                      .name = "Claim Submitter's Identifier",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes3_20_1, kCodes3_20_1Order)};

// Table 3, segment slot 20: CLP02.
constexpr auto kCodes3_20_2 = std::to_array<CodePair>({
    {"1", "Processed as Primary"},
    {"2", "Processed as Secondary"},
    {"3", "Processed as Tertiary"},
    {"4", "Denied"},
    {"5", "Pended"},
    {"10", "Received, but not in process"},
    {"13", "Suspended"},
    {"15", "Suspended - investigation with field"},
    {"16", "Suspended - return with material"},
    {"17", "Suspended - review pending"},
    {"19", "Processed as Primary, Forwarded to Additional Payer(s)"},
    {"20", "Processed as Secondary, Forwarded to Additional Payers(s)"},
    {"21", "Processed as Tertiary, Forwarded to Additional Payer(s)"},
    {"22", "Reversal of Previous Payment"},
    {"23", "Not Our Claim, Forwarded to Additional Payer(s)"},
    {"25", "Predetermination Pricing Only - No Payment"},
    {"27", "Reviewed"},
});
constexpr auto kCodes3_20_2Order = CodeOrder(kCodes3_20_2);
constexpr ElementEntry kElement3_20_2{.kind = "E",
                                      .name = "Claim Status Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes3_20_2, kCodes3_20_2Order)};

// Table 3, segment slot 20: CLP06.
constexpr auto kCodes3_20_6 = std::to_array<CodePair>({
    {"12", "Preferred Provider Organization (PPO)"},
    {"13", "Point of Service (POS)"},
    {"14", "Exclusive Provider Organization (EPO)"},
    {"15", "Indemnity Insurance"},
    {"16", "Health Maintenance Organization (HMO) Medicare"},
    {"1AM", "Automobile Medical"},
    {"CH", "Champus"},
    {"DS", "Disability"},
    {"HM", "Health Maintenance Organization"},
    {"LM", "Liability Medical"},
    {"MA", "Medicare Part A"},
    {"MB", "Medicare Part B"},
    {"2MC", "Medicaid"},
    {"OF", "Other Federal Program"},
    {"TV", "Title V"},
    {"VA", "Veteran Administration Plan"},
    {"WC", "Workers' Compensation Health Claim"},
});
constexpr auto kCodes3_20_6Order = CodeOrder(kCodes3_20_6);
constexpr ElementEntry kElement3_20_6{.kind = "E",
                                      .name = "Claim Status Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes3_20_6, kCodes3_20_6Order)};

// Table 3, segment slot 21: CAS01.
constexpr auto kCodes3_21_1 = std::to_array<CodePair>({
    {"CO", "Contractual Obligations"},
    {"CR", "Correction and Reversals"},
    {"OA", "Other adjustments"},
    {"PI", "Payor Initiated Reductions"},
    {"PR", "Patient Responsibility"},
});
constexpr auto kCodes3_21_1Order = CodeOrder(kCodes3_21_1);
constexpr ElementEntry kElement3_21_1{.kind = "E",
                                      .name = "Claim Adjustment Group Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes3_21_1, kCodes3_21_1Order)};

// Table 3, segment slot 22: NM108.
constexpr auto kCodes3_22_8 = std::to_array<CodePair>({
    {"34", "Social Security Number"},
    {"HN", "Health Insurance Claim (HIC) Number"},
    {"II", "United States National Individual Identifier"},
    {"MI", "Member Identification Number"},
    {"MR", "Medicaid Recipient Identification Number"},
});
constexpr auto kCodes3_22_8Order = CodeOrder(kCodes3_22_8);
constexpr ElementEntry kElement3_22_8{.kind = "E",
                                      .name = "Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes3_22_8, kCodes3_22_8Order)};

// Table 3, segment slot 24: NM108.
constexpr auto kCodes3_24_8 = std::to_array<CodePair>({
    {"BD", "Blue Cross Provider Number"},
    {"BS", "Blue Shield Provider Number"},
    {"FI", "Federal Taxpayer's Identification Number"},
    {"MC", "Medicaid Provider Number"},
    {"PC", "Provider Commercial Number"},
    {"SL", "State License Number"},
    {"UP", "Unique Physician Identification Number (UPIN)"},
    {"XX", "Health Care Financing Administration National"},
});
constexpr auto kCodes3_24_8Order = CodeOrder(kCodes3_24_8);
constexpr ElementEntry kElement3_24_8{.kind = "E",
                                      .name = "Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes3_24_8, kCodes3_24_8Order)};

// Table 4, segment slot 1: ST01.
constexpr auto kCodes4_1_1 = std::to_array<CodePair>({
    {"837", ""},
});
constexpr auto kCodes4_1_1Order = CodeOrder(kCodes4_1_1);
constexpr ElementEntry kElement4_1_1{
    .kind = "E", .name = "", .usage = "Required", .codes = CodeList(kCodes4_1_1, kCodes4_1_1Order)};

// Table 5, segment slot 1: ST01.
constexpr auto kCodes5_1_1 = std::to_array<CodePair>({
    {"271", ""},
});
constexpr auto kCodes5_1_1Order = CodeOrder(kCodes5_1_1);
constexpr ElementEntry kElement5_1_1{
    .kind = "E", .name = "", .usage = "Required", .codes = CodeList(kCodes5_1_1, kCodes5_1_1Order)};

// Table 5, segment slot 24: EB01.
constexpr auto kCodes5_24_1 = std::to_array<CodePair>({
    {"1", "Active Coverage"},
    {"2", "Active Full Risk Capitation"},
    {"3", "Active Service Capitated"},
    {"4", "Active Service Capitated to Primary Care Physician"},
    {"5", "Active Pending Investigation"},
    {"6", "Inactive"},
    {"7", "Inactive Pending Eligibility Update"},
    {"8", "Inactive Pending Investigation"},
    {"A", "Co-Insurance"},
    {"B", "Co-Payment"},
    {"C", "Deductable"},
    {"CB", "Coverage Basis"},
    {"D", "Benefit Description"},
    {"E", "Exclusions"},
    {"F", "Limitations"},
    {"G", "Out of pocket Stop Loss"},
    {"H", "Unlimited"},
    {"I", "Non-Covered"},
    {"J", "Cost Containment"},
    {"K", "Reserve"},
    {"L", "Primary Care Provider"},
    {"M", "Pre-existing Condition"},
    {"MC", "Managed Care"},
    {"N", "Service Restricted to Following Provider"},
    {"O", "Not Deemed a Medical Necessity"},
    {"P", "Benefit Disclaimer"},
    {"Q", "Second Surgical Opinion Required"},
    {"R", "Other or Additional Payer"},
    {"S", "Prior Years History"},
    {"T", "Cards Reported Lost or Stolen"},
    {"U", "Contract Following"},
    {"V", "Cannot Process"},
    {"W", "Other Source of Data"},
    {"X", "Health Care Facility"},
    {"Y", "Spend Down"},
});
constexpr auto kCodes5_24_1Order = CodeOrder(kCodes5_24_1);
constexpr ElementEntry kElement5_24_1{.kind = "E",
                                      .name = "Eligibility or Benefit",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes5_24_1, kCodes5_24_1Order)};

// Table 5, segment slot 24: EB02.
constexpr auto kCodes5_24_2 = std::to_array<CodePair>({
    {"CHD", "Children Only"},
    {"DEP", "Dependents Only"},
    {"ECH", "Employee and Children"},
    {"EMP", "Employee Only"},
    {"ESP", "Employee and Spouse"},
    {"FAM", "Family"},
    {"IND", "Individual"},
    {"SPC", "Spouse and Children"},
    {"SPO", "Spouse Only"},
});
constexpr auto kCodes5_24_2Order = CodeOrder(kCodes5_24_2);
constexpr ElementEntry kElement5_24_2{.kind = "E",
                                      .name = "Coverage Level Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes5_24_2, kCodes5_24_2Order)};

// Table 5, segment slot 24: EB03.
constexpr auto kCodes5_24_3 = std::to_array<CodePair>({
    {"1", "Medical Care"},
    {"2", "Surgical"},
    {"3", "Consultation"},
    {"4", "Diagnostic X-Ray"},
    {"5", "Diagnostic Lab"},
    {"7", "Anesthesia"},
    {"8", "Surgical Assistance"},
    {"9", "Other Medical"},
    {"10", "Blood Charges"},
    {"11", "Used Durable Medical Equipment"},
    {"12", "Durable Medical Equipment Purchase"},
    {"13", "Ambulatory Service Center Facility"},
    {"14", "Renal Supplies in the Home"},
    {"15", "Alternate Method Dialysis"},
    {"16", "Chronic Renal Disease (CRD) Equipment"},
    {"17", "Pre-Admission Testing"},
    {"18", "Durable Medical Equipment Rental"},
    {"19", "Pneumonia Vaccine"},
    {"20", "Second Surgical Opinion"},
    {"21", "Third Surgical Opinion"},
    {"22", "Social Work"},
    {"23", "Diagnostic Dental"},
    {"24", "Periodontics"},
    {"25", "Restorative"},
    {"26", "Endodontics"},
    {"27", "Maxillofacial Prosthetics"},
    {"28", "Adjunctive Dental Services"},
    {"30", "Health Benefit Plan Coverage"},
    {"32", "Plan Waiting Period"},
    {"33", "Chiropractic"},
    {"34", "Chiropractic Office Visits"},
    {"35", "Dental Care"},
    {"36", "Dental Crowns"},
    {"37", "Dental Accident"},
    {"38", "Orthodontics"},
    {"39", "Prosthodontics"},
    {"40", "Oral Surgery"},
    {"41", "Routine (Preventive) Dental"},
    {"42", "Home Health Care"},
    {"43", "Home Health Prescriptions"},
    {"44", "Home Health Visits"},
    {"45", "Hospice"},
    {"46", "Respite Care"},
    {"47", "Hospital"},
    {"48", "Hospital - Inpatient"},
    {"49", "Hospital - Room and Board"},
    {"50", "Hospital - Outpatient"},
    {"51", "Hospital - Emergency Accident"},
    {"52", "Hospital - Emergency Medical"},
    {"53", "Hospital - Ambulatory Surgical"},
    {"54", "Long Term Care"},
    {"55", "Major Medical"},
    {"56", "Medically Related Transportation"},
    {"57", "Air Transportation"},
    {"58", "Cabulance"},
    {"59", "Licensed Ambulance"},
    {"60", "General Benefits"},
    {"61", "In-vitro Fertilization"},
    {"62", "MRI/CAT Scan"},
    {"63", "Donor Procedures"},
    {"64", "Acupuncture"},
    {"65", "Newborn Care"},
    {"66", "Pathology"},
    {"67", "Smoking Cessation"},
    {"68", "Well Baby Care"},
    {"69", "Maternity"},
    {"70", "Transplants"},
    {"71", "Audiology Exam"},
    {"72", "Inhalation Therapy"},
    {"73", "Diagnostic Medical"},
    {"74", "Private Duty Nursing"},
    {"75", "Prosthetic Device"},
    {"76", "Dialysis"},
    {"77", "Otological Exam"},
    {"78", "Chemotherapy"},
    {"79", "Allergy Testing"},
    {"80", "Immunizations"},
    {"81", "Routine Physical"},
    {"82", "Family Planning"},
    {"83", "Infertility"},
    {"84", "Abortion"},
    {"85", "AIDS"},
    {"86", "Emergency Services"},
    {"87", "Cancer"},
    {"88", "Pharmacy"},
    {"89", "Free Standing Prescription Drug"},
    {"90", "Mail Order Prescription Drug"},
    {"91", "Brand Name Prescription Drug"},
    {"92", "Generic Prescription Drug"},
    {"93", "Podiatry"},
    {"94", "Podiatry - Office Visits"},
    {"95", "Podiatry - Nursing Home Visits"},
    {"96", "Professional (Physician)"},
    {"97", "Anesthesiologist"},
    {"98", "Professional (Physician) Visit - Office"},
    {"99", "Professional (Physician) Visit - Inpatient"},
    {"A0", "Professional (Physician) Visit - Outpatient"},
    {"A1", "Professional (Physician) Visit - Nursing Home"},
    {"A2", "Professional (Physician) Visit - Skilled Nursing Facility"},
    {"A3", "Professional (Physician) Visit - Home"},
    {"A4", "Psychiatric"},
    {"A5", "Psychiatric - Room and Board"},
    {"A6", "Psychotherapy"},
    {"A7", "Psychiatric - Inpatient"},
    {"A8", "Psychiatric - Outpatient"},
    {"A9", "Rehabilitation"},
    {"AA", "Rehabilitation - Room and Board"},
    {"AB", "Rehabilitation - Inpatient"},
    {"AC", "Rehabilitation - Outpatient"},
    {"AD", "Occupational Therapy"},
    {"AE", "Physical Medicine"},
    {"AF", "Speech Therapy"},
    {"AG", "Skilled Nursing Care"},
    {"AH", "Skilled Nursing Care - Room and Board"},
    {"AI", "Substance Abuse"},
    {"AJ", "Alcoholism"},
    {"AK", "Drug Addiction"},
    {"AL", "Vision (Optometry)"},
    {"AM", "Frames"},
    {"AN", "Routine Exam"},
    {"AO", "Lenses"},
    {"AQ", "Nonmedically Necessary Physical"},
    {"AR", "Experimental Drug Therapy"},
    {"BA", "Independent Medical Evaluation"},
    {"BB", "Partial Hospitalization (Psychiatric)"},
    {"BC", "Day Care (Psychiatric)"},
    {"BD", "Cognitive Therapy"},
    {"BE", "Massage Therapy"},
    {"BF", "Pulmonary Rehabilitation"},
    {"BG", "Cardiac Rehabilitation"},
    {"BH", "Pediatric"},
    {"BI", "Nursery"},
    {"BJ", "Skin"},
    {"BK", "Orthopedic"},
    {"BL", "Cardiac"},
    {"BM", "Lymphatic"},
    {"BN", "Gastrointestinal"},
    {"BP", "Endocrine"},
    {"BQ", "Neurology"},
    {"BR", "Eye"},
    {"BS", "Invasive Procedures"},
});
constexpr auto kCodes5_24_3Order = CodeOrder(kCodes5_24_3);
constexpr ElementEntry kElement5_24_3{.kind = "E",
                                      .name = "Service Type Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes5_24_3, kCodes5_24_3Order)};

// Table 5, segment slot 24: EB04.
constexpr auto kCodes5_24_4 = std::to_array<CodePair>({
    {"12", "Medicare Secondary Working Aged Beneficiary or Spouse with Employer Group Health Plan"},
    {"13",
     "Medicare Secondary End Stage Renal Disease Beneficiary in the 12 month coordination period "
     "with an employers group health plan"},
    {"14", "Medicare Secondary No fault Insurance including Auto is Primary"},
    {"15", "Medicare Secondary Workers Compensation"},
    {"16", "Medicare Secondary Public Health Service or Other Federal Agency"},
    {"41", "Medicare Secondary Black Lung"},
    {"42", "Medicare Secondary Veteran's Administration"},
    {"43",
     "Medicare Secondary Disabled Beneficiary Under Age 65 with Large Group Health Plan (LGHP)"},
    {"47", "Medicare Secondary, Other Liability Insurance is Primary"},
    {"AP", "Auto Insurance Policy"},
    {"C1", "Commercial"},
    {"CO", "Consolidated Omnibus Budget Reconciliation Act (COBRA)"},
    {"CP", "Medicare Conditionally Primary"},
    {"D", "Disability"},
    {"DB", "Disability Benefits"},
    {"EP", "Exclusive Provider Organization"},
    {"FF", "Family or Friends"},
    {"GP", "Group Policy"},
    {"HM", "Health Maintenance Organization (HMO)"},
    {"HN", "Health Maintenance Organization (HMO) - Medicare Risk"},
    {"HS", "Special Low Income Medicare Beneficiary"},
    {"IN", "Indemnity"},
    {"IP", "Individual Policy"},
    {"LC", "Long Term Care"},
    {"LD", "Long Term Policy"},
    {"LI", "Life Insurance"},
    {"LT", "Litigation"},
    {"MA", "Medicare Part A"},
    {"MB", "Medicare Part B"},
    {"MC", "Medicaid"},
    {"MH", "Medigap Part A"},
    {"MI", "Medigap Part B"},
    {"MP", "Medicare Primary"},
    {"OT", "Other"},
    {"PE", "Property Insurance - Personal"},
    {"PL", "Personal"},
    {"PP", "Personal Payment (Cash - No Insurance)"},
    {"PR", "Preferred Provider Organization (PPO)"},
    {"Ps", "Point of Service (POS)"},
    {"QM", "Qualified Medicare Beneficiary"},
    {"RP", "Property Insurance - Real"},
    {"SP", "Supplemental Policy"},
    {"TF", "Tax Equity Fiscal Responsibility Act (TEFRA)"},
    {"WC", "Workers Compensation"},
    {"WU", "Wrap Up Policy"},
});
constexpr auto kCodes5_24_4Order = CodeOrder(kCodes5_24_4);
constexpr ElementEntry kElement5_24_4{.kind = "E",
                                      .name = "Insurance Type Code",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes5_24_4, kCodes5_24_4Order)};

// Table 5, segment slot 24: EB07.
constexpr auto kCodes5_24_7 = std::to_array<CodePair>({
    {"6", "Hour"},          {"7", "Day"},
    {"13", "24 Hours"},     {"21", "Years"},
    {"22", "Service Year"}, {"23", "Calendar Year"},
    {"24", "Year to Date"}, {"25", "Contract"},
    {"26", "Episode"},      {"27", "Visit"},
    {"28", "Outlier"},      {"29", "Remaining"},
    {"30", "Exceeded"},     {"31", "Not Exceeded"},
    {"32", "Lifetime"},     {"33", "Lifetime Remaining"},
    {"34", "Month"},        {"35", "Week"},
    {"36", "Admission"},
});
constexpr auto kCodes5_24_7Order = CodeOrder(kCodes5_24_7);
constexpr ElementEntry kElement5_24_7{.kind = "E",
                                      .name = "Time Period Qualifier",
                                      .usage = "Required",
                                      .codes = CodeList(kCodes5_24_7, kCodes5_24_7Order)};

// Table 5, segment slot 24: EB10.
constexpr auto kCodes5_24_10 = std::to_array<CodePair>({
    {"99", "Quantity Used"},
    {"CA", "Covered Actual"},
    {"CE", "Covered Estimated"},
    {"DB", "Deductable Blood Units"},
    {"DY", "Days"},
    {"HS", "Hours"},
    {"LA", "Life Time Reserve Actual"},
    {"LE", "Life Time Reserve Estimated"},
    {"MN", "Month"},
    {"P6", "Number of Services or Procedures"},
    {"QA", "Quantity Approved"},
    {"S7", "Age High Value"},
    {"S8", "Age Low Value"},
    {"VS", "Visits"},
    {"YY", "Years"},
});
constexpr auto kCodes5_24_10Order = CodeOrder(kCodes5_24_10);
constexpr ElementEntry kElement5_24_10{.kind = "E",
                                       .name = "Quantity Qualifier",
                                       .usage = "Required",
                                       .codes = CodeList(kCodes5_24_10, kCodes5_24_10Order)};

// Table 5, segment slot 24: EB11.
constexpr auto kCodes5_24_11 = std::to_array<CodePair>({
    {"18", "Plan Number"},
    {"1L", "Group or Policy Number"},
    {"1W", "Member Identification Number"},
    {"49", "Family Unit Number"},
    {"6P", "Group Number"},
    {"A6", "Employee Identification Number"},
    {"CT", "Contract Number"},
    {"EA", "Medical Record Identification Number"},
    {"EJ", "Patient Account Number"},
    {"F6", "Health Insurance Claim (HIC) Number"},
    {"GH", "Identification Card Serial Number"},
    {"HJ", "Identity Card Number"},
    {"IG", "Insurance Policy Number"},
    {"N6", "Plan Network Identification Number"},
    {"NQ", "Medicaid Recipient Identification Number"},
    {"Y", "Social Security Number"},
});
constexpr auto kCodes5_24_11Order = CodeOrder(kCodes5_24_11);
constexpr ElementEntry kElement5_24_11{.kind = "E",
                                       .name = "Reference Identification Qualifier",
                                       .usage = "Required",
                                       .codes = CodeList(kCodes5_24_11, kCodes5_24_11Order)};

// Table 5, segment slot 24: EB12.
constexpr auto kCodes5_24_12 = std::to_array<CodePair>({
    {"04", "Authorized Quantity Exceeded"},
    {"15", "Required application data is missing"},
    {"41", "Authorization/Access Restrictions"},
    {"42", "Unable to Respond at Current Time"},
    {"43", "Service Provider Number invalid"},
    {"50", "Provider Ineligible For Inquiries"},
    {"51", "Provider Not on File"},
    {"56", "Inappropriate Issue Date"},
    {"57", "Invalid Missing Date of Service"},
    {"58", "Missing Subscriber DOB"},
    {"62", "Date of Service out of allowable range"},
    {"63", "Date of Service in Future"},
    {"64", "Invalid or Missing Subscriber ID"},
    {"66", "Invalid Missing Patient Gender Code"},
    {"67", "Patient Not Found"},
    {"72", "Invalid Missing Subscriber Insured ID"},
    {"75", "Subscriber/Insured not Found"},
    {"79", "Invalid Participant Identification"},
    {"T4", "Missing data for Information Source"},
});
constexpr auto kCodes5_24_12Order = CodeOrder(kCodes5_24_12);
constexpr ElementEntry kElement5_24_12{.kind = "E",
                                       .name = "Reference Identification Qualifier",
                                       .usage = "Required",
                                       .codes = CodeList(kCodes5_24_12, kCodes5_24_12Order)};

// Table 7, segment slot 1: ST01.
constexpr auto kCodes7_1_1 = std::to_array<CodePair>({
    {"837", ""},
});
constexpr auto kCodes7_1_1Order = CodeOrder(kCodes7_1_1);
constexpr ElementEntry kElement7_1_1{
    .kind = "E", .name = "", .usage = "Required", .codes = CodeList(kCodes7_1_1, kCodes7_1_1Order)};

// Table 7, segment slot 14: STC01-3.
constexpr auto kCodes7_14_1_3 = std::to_array<CodePair>({
    {"13", "Contracted Service Provider"},
    {"17", "Consultant's Office"},
    {"1E", "Health Maintenance Organization"},
    {"1G", "Oncology Center"},
    {"1H", "Kidney Dialysis Unit"},
    {"1I", "Preferred Provider Organization (PPO)"},
    {"1O", "Acute Care Hospital"},
    {"1P", "Provider"},
    {"1Q", "Military Facility"},
    {"1R", "University, College or School"},
    {"1S", "Outpatient Surgicenter"},
    {"1T", "Physician, Clinic or Group Practice"},
    {"1U", "Long Term Care Facility"},
    {"1V", "Extended Care Facility"},
    {"1W", "Psychiatric Health Facility"},
    {"1X", "Laboratory"},
    {"1Y", "Retail Pharmacy"},
    {"1Z", "Home Health Care"},
    {"28", "Subcontractor"},
    {"2A", "Federal, State, County or City Facility"},
    {"2B", "Third-Party Administrator"},
    {"2E", "Non-Health Care Miscellaneous Facility"},
    {"2I", "Church Operated Facility"},
    {"2K", "Partnership"},
    {"2P", "Public Health Service Facility"},
    {"2Q", "Veterans Administration Facility"},
    {"2S", "Public Health Service Indian Service Facility"},
    {"2Z", "Hospital Unit of an Institution (prison hospital, college infirmary, etc.)"},
    {"30", "Service Supplier"},
    {"36", "Employer"},
    {"3A", "Hospital Unit Within an Institution for the Mentally Retarded"},
    {"3C", "Tuberculosis and Other Respiratory Diseases Facility"},
    {"3D", "Obstetrics and Gynecology Facility"},
    {"3E", "Eye, Ear, Nose and Throat Facility"},
    {"3F", "Rehabilitation Facility"},
    {"3G", "Orthopedic Facility"},
    {"3H", "Chronic Disease Facility"},
    {"3I", "Other Specialty Facility"},
    {"3J", "Children's General Facility"},
    {"3K", "Children's Hospital Unit of an Institution"},
    {"3L", "Children's Psychiatric Facility"},
    {"3M", "Children's Tuberculosis and Other Respiratory Diseases Facility"},
    {"3N", "Children's Eye, Ear, Nose and Throat Facility"},
    {"3O", "Children's Rehabilitation Facility"},
    {"3P", "Children's Orthopedic Facility"},
    {"3Q", "Children's Chronic Disease Facility"},
    {"3R", "Children's Other Specialty Facility"},
    {"3S", "Institution for Mental Retardation"},
    {"3T", "Alcoholism and Other Chemical Dependency Facility"},
    {"3U", "General Inpatient Care for AIDS/ARC Facility"},
    {"3V", "AIDS/ARC Unit"},
    {"3W", "Specialized Outpatient Program for AIDS/ARC"},
    {"3X", "Alcohol/Drug Abuse or Dependency Inpatient Unit"},
    {"3Y", "Alcohol/Drug Abuse or Dependency Outpatient Services"},
    {"3Z", "Arthritis Treatment Center"},
    {"40", "Receiver"},
    {"43", "Claimant Authorized Representative"},
    {"44", "Data Processing Service Bureau"},
    {"4A", "Birthing Room/LDRP Room"},
    {"4B", "Burn Care Unit"},
    {"4C", "Cardiac Catherization Laboratory"},
    {"4D", "Open-Heart Surgery Facility"},
    {"4E", "Cardiac Intensive Care Unit"},
    {"4F", "Angioplasty Facility"},
    {"4G", "Chronic Obstructive Pulmonary Disease Service Facility"},
    {"4H", "Emergency Department"},
    {"4I", "Trauma Center (Certified)"},
    {"4J", "Extracorporeal Shock-Wave Lithotripter (ESWL) Unit"},
    {"4L", "Genetic Counseling/Screening Services"},
    {"4M", "Adult Day Care Program Facility"},
    {"4N", "Alzheimer's Diagnostic/Assessment Services"},
    {"4O", "Comprehensive Geriatric Assessment Facility"},
    {"4P", "Emergency Response (Geriatric) Unit"},
    {"4Q", "Geriatric Acute Care Unit"},
    {"4R", "Geriatric Clinics"},
    {"4S", "Respite Care Facility"},
    {"4U", "Patient Education Unit"},
    {"4V", "Community Health Promotion Facility"},
    {"4W", "Worksite Health Promotion Facility"},
    {"4X", "Hemodialysis Facility"},
    {"4Y", "Home Health Services"},
    {"4Z", "Hospice"},
    {"5A", "Medical Surgical or Other Intensive Care Unit"},
    {"5B", "Histopathology Laboratory"},
    {"5C", "Blood Bank"},
    {"5D", "Neonatal Intensive Care Unit"},
    {"5E", "Obstetrics Unit"},
    {"5F", "Occupational Health Services"},
    {"5G", "Organized Outpatient Services"},
    {"5H", "Pediatric Acute Inpatient Unit"},
    {"5I", "Psychiatric Child/Adolescent Services"},
    {"5J", "Psychiatric Consultation-Liaison Services"},
    {"5K", "Psychiatric Education Services"},
    {"5L", "Psychiatric Emergency Services"},
    {"5M", "Psychiatric Geriatric Services"},
    {"5N", "Psychiatric Inpatient Unit"},
    {"5O", "Psychiatric Outpatient Services"},
    {"5P", "Psychiatric Partial Hospitalization Program"},
    {"5Q", "Megavoltage Radiation Therapy Unit"},
    {"5R", "Radioactive Implants Unit"},
    {"5S", "Therapeutic Radioisotope Facility"},
    {"5T", "X-Ray Radiation Therapy Unit"},
    {"5U", "CT Scanner Unit"},
    {"5V", "Diagnostic Radioisotope Facility"},
    {"5W", "Magnetic Resonance Imaging (MRI) Facility"},
    {"5X", "Ultrasound Unit"},
    {"5Y", "Rehabilitation Inpatient Unit"},
    {"5Z", "Rehabilitation Outpatient Services"},
    {"61", "Performed At"},
    {"6A", "Reproductive Health Services"},
    {"6B", "Skilled Nursing or Other Long-Term Care Unit"},
    {"6C", "Single Photon Emission Computerized Tomography (SPECT) Unit"},
    {"6D", "Organized Social Work Service Facility"},
    {"6E", "Outpatient Social Work Services"},
    {"6F", "Emergency Department Social Work Services"},
    {"6G", "Sports Medicine Clinic/Services"},
    {"6H", "Hospital Auxiliary Unit"},
    {"6I", "Patient Representative Services"},
    {"6J", "Volunteer Services Department"},
    {"6K", "Outpatient Surgery Services"},
    {"6L", "Organ/Tissue Transplant Unit"},
    {"6M", "Orthopedic Surgery Facility"},
    {"6N", "Occupational Therapy Services"},
    {"6O", "Physical Therapy Services"},
    {"6P", "Recreational Therapy Services"},
    {"6Q", "Respiratory Therapy Services"},
    {"6R", "Speech Therapy Services"},
    {"6S", "Women's Health Center/Services"},
    {"6U", "Cardiac Rehabilitation Program Facility"},
    {"6V", "Non-Invasive Cardiac Assessment Services"},
    {"6W", "Emergency Medical Technician"},
    {"6X", "Disciplinary Contact"},
    {"6Y", "Case Manager"},
    {"71", "Attending Physician"},
    {"72", "Operating Physician"},
    {"73", "Other Physician"},
    {"74", "Corrected Insured"},
    {"77", "Service Location"},
    {"7C", "Place of Occurrence"},
    {"80", "Hospital"},
    {"82", "Rendering Provider"},
    {"84", "Subscriber's Employer"},
    {"85", "Billing Provider"},
    {"87", "Pay-to Provider"},
    {"95", "Research Institute"},
    {"CK", "Pharmacist"},
    {"CZ", "Admitting Surgeon"},
    {"D2", "Commercial Insurer"},
    {"DD", "Assistant Surgeon"},
    {"DJ", "Consulting Physician"},
    {"DK", "Ordering Physician"},
    {"DN", "Referring Provider"},
    {"DO", "Dependent Name"},
    {"DQ", "Supervising Physician"},
    {"E1", "Person or Other Entity Legally Responsible for a Child"},
    {"E2", "Person or Other Entity With Whom a Child Resides"},
    {"E7", "Previous Employer"},
    {"E9", "Participating Laboratory"},
    {"FA", "Facility"},
    {"FD", "Physical Address"},
    {"FE", "Mail Address"},
    {"G0", "Dependent Insured"},
    {"G3", "Clinic"},
    {"GB", "Other Insured"},
    {"GD", "Guardian"},
    {"GI", "Paramedic"},
    {"GJ", "Paramedical Company"},
    {"GK", "Previous Insured"},
    {"GM", "Spouse Insured"},
    {"GY", "Treatment Facility"},
    {"HF", "Healthcare Professional Shortage Area (HPSA) Facility"},
    {"HH", "Home Health Agency"},
    {"I3", "Independent Physicians Association (IPA)"},
    {"IJ", "Injection Point"},
    {"IL", "Insured or Subscriber"},
    {"IN", "Insurer"},
    {"LI", "Independent Lab"},
    {"LR", "Legal Representative"},
    {"MR", "Medical Insurance Carrier"},
    {"OB", "Ordered By"},
    {"OD", "Doctor of Optometry"},
    {"OX", "Oxygen Therapy Facility"},
    {"P0", "Patient Facility"},
    {"P2", "Primary Insured or Subscriber"},
    {"P3", "Primary Care Provider"},
    {"P4", "Prior Insurance Carrier"},
    {"P6", "Third Party Reviewing Preferred Provider Organization (PPO)"},
    {"P7", "Third Party Repricing Preferred Provider Organization (PPO)"},
    {"PT", "Party to Receive Test Report"},
    {"PV", "Party performing certification"},
    {"PW", "Pick Up Address"},
    {"QA", "Pharmacy"},
    {"QB", "Purchase Service Provider"},
    {"QC", "Patient"},
    {"QD", "Responsible Party"},
    {"QE", "Policyholder"},
    {"QH", "Physician"},
    {"QK", "Managed Care"},
    {"QL", "Chiropractor"},
    {"QN", "Dentist"},
    {"QO", "Doctor of Osteopathy"},
    {"QS", "Podiatrist"},
    {"QV", "Group Practice"},
    {"QY", "Medical Doctor"},
    {"RC", "Receiving Location"},
    {"RW", "Rural Health Clinic"},
    {"S4", "Skilled Nursing Facility"},
    {"SJ", "Service Provider"},
    {"SU", "Supplier/Manufacturer"},
    {"T4", "Transfer Point"},
    {"TQ", "Third Party Reviewing Organization (TPO)"},
    {"TT", "Transfer To"},
    {"TU", "Third Party Repricing Organization (TPO)"},
    {"UH", "Nursing Home"},
    {"X3", "Utilization Management Organization"},
    {"X4", "Spouse"},
    {"X5", "Durable Medical Equipment Supplier"},
    {"ZZ", "Mutually Defined"},
});
constexpr auto kCodes7_14_1_3Order = CodeOrder(kCodes7_14_1_3);
constexpr ElementEntry kElement7_14_1_3{.kind = "E",
                                        .name = "Entity Identifier Code",
                                        .usage = "Required",
                                        .codes = CodeList(kCodes7_14_1_3, kCodes7_14_1_3Order)};

// Table 2, segment slot 55: the components of CLM05.
constexpr std::array<const ElementEntry*, 3> kComponents2_55_5{&kElement2_55_5_1, nullptr, nullptr};

// Table 7, segment slot 14: the components of STC01.
constexpr std::array<const ElementEntry*, 4> kComponents7_14_1{nullptr, nullptr, &kElement7_14_1_3,
                                                               nullptr};

constexpr auto kElements2_1 = ElementSlots<3>({{1, ElementSlot{&kElement2_1_1, {}}}});
constexpr SegmentEntry kSegment2_1{
    .id = "ST",
    .name = "Tranasction Set Header",
    .area = "Header",
    .position = "005",
    .loop = "-",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements2_1,
};

constexpr auto kElements2_2 = ElementSlots<6>({});
constexpr SegmentEntry kSegment2_2{
    .id = "BHT",
    .name = "Beginning of Hierarchical Transaction",
    .area = "Header",
    .position = "010",
    .loop = "-",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements2_2,
};

constexpr auto kElements2_3 = ElementSlots<4>({});
constexpr SegmentEntry kSegment2_3{
    .id = "REF",
    .name = "Transmission Type Identification",
    .area = "Header",
    .position = "015",
    .loop = "-",
    .usage = "Optional",
    .max_use = "3",
    .elements = kElements2_3,
};

constexpr auto kElements2_4 = ElementSlots<12>({});
constexpr SegmentEntry kSegment2_4{
    .id = "NM1",
    .name = "Submitter Name",
    .area = "Header",
    .position = "020",
    .loop = "1000A",
    .usage = "Optional",
    .max_use = "10",
    .elements = kElements2_4,
};

constexpr auto kElements2_5 = ElementSlots<2>({});
constexpr SegmentEntry kSegment2_5{
    .id = "N2",
    .name = "Submitter Name",
    .area = "Header",
    .position = "020",
    .loop = "1000A",
    .usage = "Optional",
    .max_use = "10",
    .elements = kElements2_5,
};

constexpr auto kElements2_13 = ElementSlots<12>({{8, ElementSlot{&kElement2_13_8, {}}}});
constexpr SegmentEntry kSegment2_13{
    .id = "NM1",
    .name = "Billing provider",
    .area = "Detail",
    .position = "005",
    .loop = "2000",
    .usage = "Opional",
    .max_use = "1",
    .elements = kElements2_13,
};

constexpr auto kElements2_25 = ElementSlots<9>({{1, ElementSlot{&kElement2_25_1, {}}},
                                                {2, ElementSlot{&kElement2_25_2, {}}},
                                                {9, ElementSlot{&kElement2_25_9, {}}}});
constexpr SegmentEntry kSegment2_25{
    .id = "SBR",
    .name = "Subscriber Information",
    .area = "Detail",
    .position = "005",
    .loop = "2000",
    .usage = "Opional",
    .max_use = "1",
    .elements = kElements2_25,
};

constexpr auto kElements2_47 = ElementSlots<8>({{1, ElementSlot{&kElement2_47_1, {}}}});
constexpr SegmentEntry kSegment2_47{
    .id = "PAT",
    .name = "Patient Information",
    .area = "Detail",
    .position = "007",
    .loop = "2000",
    .usage = "Opional",
    .max_use = "1",
    .elements = kElements2_47,
};

constexpr auto kElements2_55 = ElementSlots<20>({{5, ElementSlot{nullptr, kComponents2_55_5}}});
constexpr SegmentEntry kSegment2_55{
    .id = "CLM",
    .name = "Claim Information",
    .area = "Detail",
    .position = "130",
    .loop = "2300",
    .usage = "Opional",
    .max_use = "100",
    .elements = kElements2_55,
};

constexpr auto kElements2_111 = ElementSlots<4>({{2, ElementSlot{&kElement2_111_2, {}}}});
constexpr SegmentEntry kSegment2_111{
    .id = "REF",
    .name = "Refering Source ID Type",
    .area = "Detail",
    .position = "130",
    .loop = "2300",
    .usage = "Opional",
    .max_use = "100",
    .elements = kElements2_111,
};

constexpr auto kElements3_2 = ElementSlots<21>({{1, ElementSlot{&kElement3_2_1, {}}},
                                                {2, ElementSlot{&kElement3_2_2, {}}},
                                                {4, ElementSlot{&kElement3_2_4, {}}},
                                                {5, ElementSlot{&kElement3_2_5, {}}}});
constexpr SegmentEntry kSegment3_2{
    .id = "BPR",
    .name = "FINANCIAL INFORMATION",
    .area = "Detail",
    .position = "020",
    .loop = "0000",
    .usage = "Required",
    .max_use = "1",
    .elements = kElements3_2,
};

constexpr auto kElements3_13 = ElementSlots<6>({{3, ElementSlot{&kElement3_13_3, {}}}});
constexpr SegmentEntry kSegment3_13{
    .id = "N1",
    .name = "Payee ",
    .area = "Detail",
    .position = "010",
    .loop = "2100",
    .usage = "Required",
    .max_use = "999",
    .elements = kElements3_13,
};

constexpr auto kElements3_16 = ElementSlots<4>({{1, ElementSlot{&kElement3_16_1, {}}}});
constexpr SegmentEntry kSegment3_16{
    .id = "REF",
    .name = "Payee ",
    .area = "Detail",
    .position = "010",
    .loop = "2100",
    .usage = "Required",
    .max_use = "999",
    .elements = kElements3_16,
};

constexpr auto kElements3_20 = ElementSlots<14>({{1, ElementSlot{&kElement3_20_1, {}}},
                                                 {2, ElementSlot{&kElement3_20_2, {}}},
                                                 {6, ElementSlot{&kElement3_20_6, {}}}});
constexpr SegmentEntry kSegment3_20{
    .id = "CLP",
    .name = "CLAIM PAYMENT INFORMATION",
    .area = "Detail",
    .position = "010",
    .loop = "2100",
    .usage = "Required",
    .max_use = "999",
    .elements = kElements3_20,
};

constexpr auto kElements3_21 = ElementSlots<19>({{1, ElementSlot{&kElement3_21_1, {}}}});
constexpr SegmentEntry kSegment3_21{
    .id = "CAS",
    .name = "CLAIM ADJUSTMENT INFORMATION",
    .area = "Detail",
    .position = "010",
    .loop = "2100",
    .usage = "Required",
    .max_use = "99",
    .elements = kElements3_21,
};

constexpr auto kElements3_22 = ElementSlots<12>({{8, ElementSlot{&kElement3_22_8, {}}}});
constexpr SegmentEntry kSegment3_22{
    .id = "NM1",
    .name = "Subscriber",
    .area = "Detail",
    .position = "010",
    .loop = "2100",
    .usage = "Required",
    .max_use = "1",
    .elements = kElements3_22,
};

constexpr auto kElements3_24 = ElementSlots<12>({{8, ElementSlot{&kElement3_24_8, {}}}});
constexpr SegmentEntry kSegment3_24{
    .id = "NM1",
    .name = "Service Provider",
    .area = "Detail",
    .position = "010",
    .loop = "2100",
    .usage = "Required",
    .max_use = "1",
    .elements = kElements3_24,
};

constexpr auto kElements4_1 = ElementSlots<3>({{1, ElementSlot{&kElement4_1_1, {}}}});
constexpr SegmentEntry kSegment4_1{
    .id = "ST",
    .name = "Tranasction Set Header",
    .area = "Header",
    .position = "005",
    .loop = "-",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements4_1,
};

constexpr auto kElements4_2 = ElementSlots<6>({});
constexpr SegmentEntry kSegment4_2{
    .id = "BHT",
    .name = "Beginning of Hierarchical Transaction",
    .area = "Header",
    .position = "010",
    .loop = "-",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements4_2,
};

constexpr auto kElements5_1 = ElementSlots<3>({{1, ElementSlot{&kElement5_1_1, {}}}});
constexpr SegmentEntry kSegment5_1{
    .id = "ST",
    .name = "Tranasction Set Header",
    .area = "Header",
    .position = "005",
    .loop = "-",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements5_1,
};

constexpr auto kElements5_2 = ElementSlots<6>({});
constexpr SegmentEntry kSegment5_2{
    .id = "BHT",
    .name = "Beginning of Hierarchical Transaction",
    .area = "Header",
    .position = "010",
    .loop = "-",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements5_2,
};

constexpr auto kElements5_24 = ElementSlots<14>({{1, ElementSlot{&kElement5_24_1, {}}},
                                                 {2, ElementSlot{&kElement5_24_2, {}}},
                                                 {3, ElementSlot{&kElement5_24_3, {}}},
                                                 {4, ElementSlot{&kElement5_24_4, {}}},
                                                 {7, ElementSlot{&kElement5_24_7, {}}},
                                                 {10, ElementSlot{&kElement5_24_10, {}}},
                                                 {11, ElementSlot{&kElement5_24_11, {}}},
                                                 {12, ElementSlot{&kElement5_24_12, {}}}});
constexpr SegmentEntry kSegment5_24{
    .id = "EB",
    .name = "Benefit",
    .area = "Header",
    .position = "000",
    .loop = "-",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements5_24,
};

constexpr auto kElements7_1 = ElementSlots<3>({{1, ElementSlot{&kElement7_1_1, {}}}});
constexpr SegmentEntry kSegment7_1{
    .id = "ST",
    .name = "Tranasction Set Header",
    .area = "Header",
    .position = "005",
    .loop = "-",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements7_1,
};

constexpr auto kElements7_14 = ElementSlots<12>({{1, ElementSlot{nullptr, kComponents7_14_1}}});
constexpr SegmentEntry kSegment7_14{
    .id = "STC",
    .name = "Claim Level Status Information",
    .area = "Detail",
    .position = "100",
    .loop = "2200D",
    .usage = "Manditory",
    .max_use = "1",
    .elements = kElements7_14,
};

constexpr auto kSegments1 = SegmentSlots<1>({});
constexpr auto kSegments2 = SegmentSlots<120>({{1, &kSegment2_1},
                                               {2, &kSegment2_2},
                                               {3, &kSegment2_3},
                                               {4, &kSegment2_4},
                                               {5, &kSegment2_5},
                                               {13, &kSegment2_13},
                                               {25, &kSegment2_25},
                                               {47, &kSegment2_47},
                                               {55, &kSegment2_55},
                                               {111, &kSegment2_111}});
constexpr auto kSegments3 = SegmentSlots<25>({{2, &kSegment3_2},
                                              {13, &kSegment3_13},
                                              {16, &kSegment3_16},
                                              {20, &kSegment3_20},
                                              {21, &kSegment3_21},
                                              {22, &kSegment3_22},
                                              {24, &kSegment3_24}});
constexpr auto kSegments4 = SegmentSlots<20>({{1, &kSegment4_1}, {2, &kSegment4_2}});
constexpr auto kSegments5 =
    SegmentSlots<63>({{1, &kSegment5_1}, {2, &kSegment5_2}, {24, &kSegment5_24}});
constexpr auto kSegments6 = SegmentSlots<20>({});
constexpr auto kSegments7 = SegmentSlots<200>({{1, &kSegment7_1}, {14, &kSegment7_14}});

}  // namespace

std::span<const SegmentEntry* const> SegmentSlotsOf(int table) {
  switch (table) {
    case 1:
      return kSegments1;
    case 2:
      return kSegments2;
    case 3:
      return kSegments3;
    case 4:
      return kSegments4;
    case 5:
      return kSegments5;
    case 6:
      return kSegments6;
    case 7:
      return kSegments7;
    default:
      return {};
  }
}

}  // namespace ardentix::dictionary::data
