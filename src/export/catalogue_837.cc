// The rows of the 837 catalogues. Names, descriptions and widths are
// stored exactly as users and stored maps know them, misspellings and
// trailing blanks included ("Tooth Serface ", "Occurance Code ").
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "export/catalogue.h"

namespace ardentix {
namespace {

struct FixedRow {
  std::string_view name;
  std::string_view description;
  int width;
};

// One column of a numbered group: the name and description get the group
// number appended (the description only when `numbered`).
struct LineTemplate {
  std::string_view name;
  std::string_view description;
  int width;
  bool numbered;
};

// Rows 1 to 38 of every claim kind.
constexpr FixedRow kCommonHead[] = {
    {"SUBFNAME", "Subscriber First Name", 35},
    {"SUBLNAME", "Subscriber Last Name", 35},
    {"SUBMI", "Subscriber Middle Initial", 1},
    {"SUBNAMEPREFIX", "Subscriber Name Prefix", 15},
    {"SUBNAMESUFIX", "Subscriber Name Sufix", 15},
    {"SUBIDCODE", "Subscriber ID Code", 35},
    {"SUBADDR1", "Subscriber Address Line 1", 35},
    {"SUBADDR2", "Subscriber Address Line 2", 35},
    {"SUBCITY", "Subscriber City", 35},
    {"SUBST", "Subscriber State", 2},
    {"SUBZIP", "Subscriber Zip Code", 11},
    {"SUBSEX", "Subscriber Sex", 1},
    {"SUBMSTATUS", "Subscriber Marital Status", 10},
    {"SUBDOB", "Subscriber Date of Birth", 12},
    {"SUBREL", "Subscriber Relation to Patient", 10},
    {"SUBORDER", "Coverage Order", 10},
    {"PAYERNAME", "Payer", 35},
    {"PAYERADDR1", "Payer Address Line 1", 35},
    {"PAYERADDR2", "Payer Address Line 2", 35},
    {"PAYERCITY", "Payer City", 35},
    {"PAYERST", "Payer State", 2},
    {"PAYERZIP", "Payer Zip", 11},
    {"PATFNAME", "Patient First Name", 35},
    {"PATLNAME", "Patient Last Name", 35},
    {"PATMI", "Patient Middle Initial", 1},
    {"PATNAMEPREFIX", "Patient Name Prefix", 5},
    {"PATNAMESUFIX", "Patient Name Sufix", 5},
    {"PATADDR1", "Patient Address Line 1", 35},
    {"PATADDR2", "patient Address Line 2", 35},
    {"PATCITY", "Patient City", 35},
    {"PATST", "Patient State", 2},
    {"PATZIP", "Patient Zip", 11},
    {"PATSEX", "Patient Sex", 1},
    {"PATMSTAT", "Patient Marital Status", 10},
    {"PATDOB", "Patient Date of Birth", 12},
    {"PATREL", "Patient Subscriber Relation", 12},
    {"CLAIMID", "Claim ID", 20},
    {"CLAIMAMT", "Claim Amount", 16},
};

// Professional: twelve columns per service line 1 to 10, after DX1 to DX5.
constexpr LineTemplate kProfessionalLine[] = {
    {"PROC", "Procedure Code Line ", 7, true},
    {"MODA", "Modifier A Line ", 3, true},
    {"MODB", "Modifier B Line ", 3, true},
    {"MODC", "Modifier C Line ", 3, true},
    {"DOS", "Date of service Line ", 16, true},
    {"AMT", "Procedure Amount Line ", 16, true},
    {"UNITS", "Units Line ", 5, true},
    {"DXLINK", "Diagnosis Line Line ", 8, true},
    {"POSLINECODE", "Place of Service Line ", 5, true},
    {"PRICEAMT", "Price Amount Line ", 10, true},
    {"PRICEREF", "Price Reference", 20, false},
    {"ADJUDID", "Adjudication ID", 20, false},
};

// Dental: the rendering provider, then twelve columns per service line.
constexpr FixedRow kDentalHead[] = {
    {"POSCODE", "Place of Service Code", 3},
    {"RENLNAME", "Rendering Provider Last Name", 35},
    {"RENFNAME", "Rendering Provider First Name", 35},
    {"RENID", "Rendering Provider ID", 20},
    {"RENIDTYPE", "Rendering Provider ID Type", 20},
    {"RENSECONDARYID1", "Rendering Provider Secondary ID 1", 20},
    {"RENSECONDARYIDTYPE1", "Rendering Provider Secondary ID Type", 20},
    {"RENSECONDARYID2", "Rendering Provider Secondary ID 2", 20},
    {"RENSECONDARYIDTYPE2", "Rendering Provider Secondary ID Type", 20},
    {"RENSECONDARYID3", "Rendering Provider Secondary ID 3", 20},
    {"RENSECONDARYIDTYPE3", "Rendering Provider Secondary ID Type", 20},
};

constexpr LineTemplate kDentalLine[] = {
    {"DPROC", "Procedure Code Line ", 7, true},   {"DMODA", "Modifier A Line ", 3, true},
    {"DMODB", "Modifier B Line ", 3, true},       {"DMODC", "Modifier C Line ", 3, true},
    {"DDOS", "Date of service Line ", 16, true},  {"DAMT", "Procedure Amount Line ", 16, true},
    {"DUNITS", "Units Line ", 5, true},           {"TOOTH", "Tooth Number ", 10, true},
    {"TOOTHSERFACE", "Tooth Serface ", 10, true}, {"PRICEAMT", "Price Amount Line ", 10, true},
    {"PRICEREF", "Price Reference", 20, false},   {"ADJUDID", "Adjudication ID", 20, false},
};

// Institutional: admission, attending and operating physician.
constexpr FixedRow kInstitutionalHead[] = {
    {"ADMISSIONDATETIME", "Admission date and time", 10},
    {"ADMISSIONTYPE", "Admission Type", 15},
    {"ADMISSIONSOURCE", "Admission Source", 15},
    {"PATIENTSTATUS", "Patient Status", 15},
    {"DISCHARGEHOUR", "Discharge Hour", 10},
    {"STATEMENTDATE", "Statement Date", 16},
    {"MEDICALRECORDNUMBER", "Medical Record Number", 20},
    {"FACILITYCODEVALUE", "Facility Code Value ", 5},
    {"FREQUENCYTYPECODE", "Claim Frequency Type Code ", 5},
    {"PRINCIPALDX", "Principal Diagnosis ", 10},
    {"ADMITDX", "Admitting Diagnosis ", 10},
    {"ATTENDLNAME", "Attending Physician Last Name", 35},
    {"ATTENDFNAME", "Attending Physician First Name", 35},
    {"ATTENDID", "Attending Physician ID", 20},
    {"ATTENDIDTYPE", "Attending Physician ID Type", 20},
    {"ATTENDSECONDARYID1", "Attending Physician Legacy ID", 20},
    {"ATTENDSECONDARYIDTYPE1", "Attending Physician Legacy ID Type", 20},
    {"OPERATELNAME", "Operating Physician Last Name", 35},
    {"OPERATEFNAME", "Operating Physician First Name", 35},
    {"OPERATEID", "Operating Physician ID", 20},
    {"OPERATEIDTYPE", "Operating Physician ID Type", 20},
    {"OPERATESECONDARYID1", "Operating Physician Legacy ID", 20},
    {"OPERATESECONDARYIDTYPE1", "Operating Physician Legacy ID Type", 20},
};

// The last 67 rows of every claim kind.
constexpr FixedRow kCommonTail[] = {
    {"PATIENTAMOUNTPAID", "Patient Amount Paid", 12},
    {"TOTALPURCHASEDSERVICEAMOUNT", "Total Purchased Service Amount", 12},
    {"PROVSIGNATUREONFILE", "Provider Signature on File", 20},
    {"PROVACCEPTASSIGNMENTCODE", "Provider Accepts Assignment", 5},
    {"BENEFITINDICATOR", "benefit Indicator", 5},
    {"RELEASEOFINFORMATION", "Release of Information", 5},
    {"RELATEDCAUSECODE", "Related Cause", 5},
    {"CLEARINGIDNUMBER", "Clearing ID Number", 20},
    {"PRIMARYSUBLNAME", "PRIMARY Insurance Subscriber Last Name", 35},
    {"PRIMARYSUBFNAME", "PRIMARY Insurance Subscriber Last Name", 35},
    {"PRIMARYSUBMI", "PRIMARY Insurance Subscriber Middle Initial", 3},
    {"PRIMARYPAYERNAME", "PRIMARY Insurance Name", 35},
    {"PRIMARYPAYERADDR1", "PRIMARY Insurance Address Line 1", 35},
    {"PRIMARYPAYERADDR2", "PRIMARY Insurance Address Line 2", 35},
    {"PRIMARYPAYERCITY", "PRIMARY Insurance City", 35},
    {"PRIMARYPAYERSTATE", "PRIMARY Insurance State", 2},
    {"PRIMARYPAYERZIP", "PRIMARY Insurance Zip", 12},
    {"PRIMARYGROUPNAME", "PRIMARY Group Name", 35},
    {"PRIMARYGROUPID", "PRIMARY Group ID", 20},
    {"PRIMARYSUBID", "PRIMARY Subscriber ID", 20},
    {"PRIMARYPAYERID", "PRIMARY Payer ID", 20},
    {"SECONDARYSUBLNAME", "SECONDARY Insurance Subscriber Last Name", 35},
    {"SECONDARYSUBFNAME", "SECONDARY Insurance Subscriber Last Name", 35},
    {"SECONDARYSUBMI", "SECONDARY Insurance Subscriber Middle Initial", 2},
    {"SECONDARYPAYERNAME", "SECONDARY Insurance Name", 35},
    {"SECONDARYPAYERADDR1", "SECONDARY Insurance Address Line 1", 35},
    {"SECONDARYPAYERADDR2", "SECONDARY Insurance Address Line 2", 35},
    {"SECONDARYPAYERCITY", "SECONDARY Insurance City", 35},
    {"SECONDARYPAYERSTATE", "SECONDARY Insurance State", 2},
    {"SECONDARYPAYERZIP", "SECONDARY Insurance Zip", 14},
    {"SECONDARYGROUPNAME", "SECONDARY Group Name", 35},
    {"SECONDARYGROUPID", "SECONDARY Group ID", 20},
    {"SECONDARYSUBID", "SECONDARY Subscriber ID", 20},
    {"SECONDARYPAYERID", "SECONDARY Payer ID", 20},
    {"TERTIARYSUBLNAME", "TERTIARY Insurance Subscriber Last Name", 35},
    {"TERTIARYSUBFNAME", "TERTIARY Insurance Subscriber Last Name", 35},
    {"TERTIARYSUBMI", "TERTIARY Insurance Subscriber Middle Initial", 2},
    {"TERTIARYPAYERNAME", "TERTIARY Insurance Name", 35},
    {"TERTIARYPAYERADDR1", "TERTIARY Insurance Address Line 1", 35},
    {"TERTIARYPAYERADDR2", "TERTIARY Insurance Address Line 2", 35},
    {"TERTIARYPAYERCITY", "TERTIARY Insurance City", 35},
    {"TERTIARYPAYERSTATE", "TERTIARY Insurance State", 2},
    {"TERTIARYPAYERZIP", "TERTIARY Insurance Zip", 12},
    {"TERTIARYGROUPNAME", "TERTIARY Group Name", 35},
    {"TERTIARYGROUPID", "TERTIARY Group ID", 20},
    {"TERTIARYSUBID", "TERTIARY Subscriber ID", 20},
    {"TERTIARYPAYERID", "TERTIARY Payer ID", 20},
    {"BILLINGPROVIDERNAME", "Billing Provider Name", 35},
    {"BILLINGPROVIDERADDR1", "Billing Provider Address 1", 35},
    {"BILLINGPROVIDERADDR2", "Billing Provider Address 2", 35},
    {"BILLINGPROVIDERCITY", "Billing Provider City", 35},
    {"BILLINGPROVIDERST", "Billing Provider State", 2},
    {"BILLINGPROVIDERZIP", "Billing Provider Zip", 12},
    {"BILLINGPROVIDERID", "Billing Provider ID", 20},
    {"BILLINGPROVIDERIDTYPE", "Billing Provider ID Type", 20},
    {"BILLINGPROVIDERSECONDARYID1", "Billing Provider Legacy ID 1", 20},
    {"BILLINGPROVIDERSECONDARYIDTYPE1", "Billing Provider Legacy ID Type", 20},
    {"BILLINGPROVIDERSECONDARYID2", "Billing Provider Legacy ID 2", 20},
    {"BILLINGPROVIDERSECONDARYIDTYPE2", "Billing Provider Legacy ID Type", 20},
    {"BILLINGPROVIDERSECONDARYID3", "Billing Provider Legacy ID 3", 20},
    {"BILLINGPROVIDERSECONDARYIDTYPE3", "Billing Provider Legacy ID Type", 20},
    {"SUBMITTERNAME", "Submitter Name", 35},
    {"SUBMITTERADDR1", "Submitter Address 1 ", 35},
    {"SUBMITTERADDR2", "Submitter Address 2", 35},
    {"SUBMITTERCITY", "Submitter City", 35},
    {"SUBMITTERST", "Submitter State", 2},
    {"SUBMITTERZIP", "Submitter Zip", 14},
};
// Institutional groups numbered 01 to 12 (10 for value codes), in order.
constexpr LineTemplate kOtherDiagnosis[] = {{"OTHERDX", "Other Diagnosis ", 10, true}};
constexpr FixedRow kPrincipleProcedure[] = {
    {"PRINCIPLEPROCDATE", "Principle Procedure ", 12},
    {"PRINCIPLEPROC", "Principle Procedure ", 10},
};
constexpr LineTemplate kOtherProcedure[] = {{"OTHERPROC", "Other Procedure ", 10, true}};
constexpr LineTemplate kOccurrenceSpan[] = {{"OCCURRENCESPAN", "Occurrence Span ", 16, true}};
constexpr LineTemplate kOccurrence[] = {
    {"OCCURRENCECODE", "Occurance Code ", 10, true},
    {"OCCURRENCEDATE", "Occurance Date ", 12, true},
};
constexpr LineTemplate kValue[] = {
    {"VALUECODE", "Value Code ", 10, true},
    {"VALUEAMOUNT", "Value Amount ", 10, true},
    {"VALUEQTY", "Value Quantity ", 10, true},
};
constexpr LineTemplate kCondition[] = {
    {"CONDITIONCODE", "Condition Code ", 10, true},
    {"CONDITIONDATE", "Condition Date ", 12, true},
};
constexpr LineTemplate kTreatment[] = {{"TREATMENTCODE", "Treatment Code ", 10, true}};
// Institutional service lines 1 to 10, eight columns each.
constexpr LineTemplate kInstitutionalLine[] = {
    {"IREVCODE", "Revenue Code Line ", 10, true}, {"IPROC", "Service Code Line ", 10, true},
    {"IMODA", "Modifier A Line ", 5, true},       {"IMODB", "Modifier B Line ", 5, true},
    {"IMODC", "Modifier C Line ", 5, true},       {"IAMT", "Procedure Amount Line ", 16, true},
    {"IUNITS", "Units Line ", 5, true},           {"IDOS", "Service Date Line ", 12, true},
};
constexpr FixedRow kInstitutionalEnd[] = {
    {"DRG", "DRG", 20},
    {"K3DATA", "K3DATA", 50},
};

constexpr int kServiceLines = 10;
constexpr int kProfessionalDiagnoses = 5;

// 837 catalogues have 38 + middle + 67 rows; 338 is the largest.
constexpr std::size_t kLargestCatalogue = 338;

void AddRow(std::vector<CatalogueRow>& rows, std::string name, std::string description, int width) {
  rows.push_back(CatalogueRow{std::move(name), std::move(description), width, "H", "C"});
}

template <std::size_t N>
void AddFixed(std::vector<CatalogueRow>& rows, const FixedRow (&table)[N]) {
  for (const FixedRow& row : table) {
    AddRow(rows, std::string(row.name), std::string(row.description), row.width);
  }
}

// Groups 1 to `count`, each with every template in order. Service lines are
// numbered without a leading zero, the institutional code groups as "01".
template <std::size_t N>
void AddGroups(std::vector<CatalogueRow>& rows, const LineTemplate (&templates)[N], int count,
               bool two_digits) {
  for (int n = 1; n <= count; ++n) {
    const std::string number = (two_digits && n < 10 ? "0" : "") + std::to_string(n);
    for (const LineTemplate& t : templates) {
      std::string description(t.description);
      if (t.numbered) description += number;
      AddRow(rows, std::string(t.name) + number, std::move(description), t.width);
    }
  }
}

void AddProfessionalMiddle(std::vector<CatalogueRow>& rows) {
  for (int n = 1; n <= kProfessionalDiagnoses; ++n) {
    AddRow(rows, "DX" + std::to_string(n), "Diagnosis " + std::to_string(n), 7);
  }
  AddGroups(rows, kProfessionalLine, kServiceLines, false);
}

void AddDentalMiddle(std::vector<CatalogueRow>& rows) {
  AddFixed(rows, kDentalHead);
  AddGroups(rows, kDentalLine, kServiceLines, false);
}

void AddInstitutionalMiddle(std::vector<CatalogueRow>& rows) {
  AddFixed(rows, kInstitutionalHead);
  AddGroups(rows, kOtherDiagnosis, 12, true);
  AddFixed(rows, kPrincipleProcedure);
  AddGroups(rows, kOtherProcedure, 12, true);
  AddGroups(rows, kOccurrenceSpan, 12, true);
  AddGroups(rows, kOccurrence, 12, true);
  AddGroups(rows, kValue, 10, true);
  AddGroups(rows, kCondition, 12, true);
  AddGroups(rows, kTreatment, 12, true);
  AddGroups(rows, kInstitutionalLine, kServiceLines, false);
  AddFixed(rows, kInstitutionalEnd);
}

}  // namespace

FieldCatalogue BuildCatalogue(ClaimKind kind) {
  std::vector<CatalogueRow> rows;
  rows.reserve(kLargestCatalogue);
  const char* kind_text = nullptr;
  switch (kind) {
    case ClaimKind::kProfessional:
      kind_text = "Professional";
      AddFixed(rows, kCommonHead);
      AddProfessionalMiddle(rows);
      AddFixed(rows, kCommonTail);
      break;
    case ClaimKind::kInstitutional:
      kind_text = "Institutional ";
      AddFixed(rows, kCommonHead);
      AddInstitutionalMiddle(rows);
      AddFixed(rows, kCommonTail);
      break;
    case ClaimKind::kDental:
      kind_text = "Dental";
      AddFixed(rows, kCommonHead);
      AddDentalMiddle(rows);
      AddFixed(rows, kCommonTail);
      break;
    case ClaimKind::kUnrecognised:
      kind_text = "Error";
      AddRow(rows, "ERROR", "Error", 35);
      break;
  }
  return FieldCatalogue(kind_text, std::move(rows));
}

}  // namespace ardentix
