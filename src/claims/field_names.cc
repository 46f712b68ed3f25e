#include "claims/field_names.h"

#include <algorithm>
#include <array>
#include <limits>

#include "common/number.h"
#include "common/text.h"

namespace ardentix::claims {

namespace {

using enum SuffixKind;

// clang-format off
constexpr FieldNameEntry kTable[] = {
    {"TSCONTROLNUMBER", 101, kNone},
    {"BHTREFID", 101, kNone},
    {"SUBMITTERNAME", 101, kNone},
    {"SUBMITTERADDR1", 101, kNone},
    {"SUBMITTERADDR2", 102, kNone},
    {"SUBMITTERCITY", 102, kNone},
    {"SUBMITTERST", 102, kNone},
    {"SUBMITTERZIP", 103, kNone},
    {"SUBMITTERPHONE", 103, kNone},
    {"SUBMITTERCONTACT", 103, kNone},
    {"SUBMITTERID", 103, kNone},
    {"RECEIVERID", 104, kNone},
    {"RECEIVERNAME", 104, kNone},
    {"RECEIVERADDITIONALNAME", 104, kNone},
    {"RECEIVERADDR1", 104, kNone},
    {"RECEIVERADDR2", 105, kNone},
    {"RECEIVERCITY", 105, kNone},
    {"RECEIVERST", 105, kNone},
    {"RECEIVERZIP", 105, kNone},
    {"BILLINGPROVIDERTYPE", 106, kNone},
    {"BILLINGPROVIDERFIRSTNAME", 106, kNone},
    {"BILLINGPROVIDERLASTNAME", 106, kNone},
    {"BILLINGPROVIDERNAME", 106, kNone},
    {"BILLINGPROVIDERADDR1", 106, kNone},
    {"BILLINGPROVIDERADDR2", 106, kNone},
    {"BILLINGPROVIDERCITY", 106, kNone},
    {"BILLINGPROVIDERST", 107, kNone},
    {"BILLINGPROVIDERZIP", 107, kNone},
    {"BILLINGPROVIDERIDTYPE", 107, kNone},
    {"BILLINGPROVIDERIDCODE", 107, kNone},
    {"BILLINGPROVIDERID", 107, kNone},
    {"BILLINGPROVIDERSECONDARYIDTYPE", 108, kRepeat},
    {"BILLINGPROVIDERSECONDARYIDCODE", 108, kRepeat},
    {"BILLINGPROVIDERSECONDARYID", 108, kRepeat},
    {"PAYTOPROVIDERNAME", 109, kNone},
    {"PAYTOPROVIDERADDR1", 109, kNone},
    {"PAYTOPROVIDERADDR2", 109, kNone},
    {"PAYTOPROVIDERCITY", 109, kNone},
    {"PAYTOPROVIDERST", 109, kNone},
    {"PAYTOPROVIDERZIP", 110, kNone},
    {"PAYTOPROVIDERIDTYPE", 110, kNone},
    {"PAYTOPROVIDERIDCODE", 110, kNone},
    {"PAYTOPROVIDERID", 110, kNone},
    {"PAYTOPROVIDERSECONDARYIDTYPE", 111, kRepeat},
    {"PAYTOPROVIDERSECONDARYIDCODE", 111, kRepeat},
    {"PAYTOPROVIDERSECONDARYID", 111, kRepeat},
    {"PATSIGNATURESOURCE", 201, kNone},
    {"RELATEDCAUSECODE", 201, kNone},
    {"CLAIMID", 201, kNone},
    {"CLAIMAMTDDDDDD_CC", 201, kNone},
    {"CLAIMAMT", 201, kNone},
    {"CLEARINGIDNUMBER", 201, kNone},
    {"MULTICLAIMTOTAL", 201, kNone},
    {"ADJUDDATE", 202, kNone},
    {"ORDERDATE", 202, kNone},
    {"INITIALTREATMENTDATE", 202, kNone},
    {"REFERRALDATE", 202, kNone},
    {"DATELASTSEEN", 202, kNone},
    {"ONSETOFILLNESDATE", 202, kNone},
    {"ACUTEMANIFESTATIONDATE", 202, kNone},
    {"SIMILARILLNESSONSETDATE", 202, kNone},
    {"ACCIDENTDATE", 202, kNone},
    {"LMPDATE", 202, kNone},
    {"LASTXRAYDATE", 202, kNone},
    {"ESTIMATEDDATEOFBIRTH", 202, kNone},
    {"HEARINGVISIONPRESCRIPTIONDATE", 202, kNone},
    {"DISABILITYBEGINDATE", 202, kNone},
    {"DISABILITYENDDATE", 202, kNone},
    {"DATELASTWORKED", 202, kNone},
    {"RETURNTOWORK", 202, kNone},
    {"ASSUMEDCAREDATE", 202, kNone},
    {"RELINQUISHEDCAREDATE", 202, kNone},
    {"PROVSIGNATUREONFILE", 202, kNone},
    {"PROVACCEPTASSIGNMENTCODE", 202, kNone},
    {"BENEFITINDICATOR", 202, kNone},
    {"RELEASEOFINFORMATION", 202, kNone},
    {"RELATEDCAUSE", 202, kNone},
    {"DISCHARGEHOUR", 202, kNone},
    {"DISCHARGEDATE", 202, kNone},
    {"STATEMENTDATE", 202, kNone},
    {"ADMISSIONDATETIME", 202, kNone},
    {"ADMISSIONTYPECODE", 202, kNone},
    {"ADMISSIONSOURCECODE", 202, kNone},
    {"ADMISSIONTYPE", 202, kNone},
    {"ADMISSIONSOURCE", 202, kNone},
    {"PATIENTSTATUSCODE", 202, kNone},
    {"PATIENTSTATUS", 202, kNone},
    {"MEDICALRECORDNUMBER", 202, kNone},
    {"PRIORAUTHORIZATIONNUMBER", 202, kNone},
    {"ICNDCN", 202, kNone},
    {"PATIENTAMOUNTPAID", 202, kNone},
    {"TOTALPURCHASEDSERVICEAMOUNT", 202, kNone},
    {"CLAIMNOTEADD", 202, kNone},
    {"CLAIMNOTECER", 202, kNone},
    {"CLAIMNOTEDCP", 202, kNone},
    {"CLAIMNOTEDGN", 202, kNone},
    {"CLAIMNOTEPMT", 202, kNone},
    {"CLAIMNOTETPO", 202, kNone},
    {"COBPAYERPAIDAMT", 203, kNone},
    {"COBAPPROVEDAMT", 203, kNone},
    {"COBPAYERALLOWEDAMT", 203, kNone},
    {"COBPATRESPONSE", 203, kNone},
    {"COBCOVEREDAMT", 203, kNone},
    {"COBDISCOUNTAMT", 203, kNone},
    {"COBPERDAYLIMIT", 203, kNone},
    {"COBPATPAIDAMT", 203, kNone},
    {"COBTAX", 203, kNone},
    {"COBCLMTOTTAX", 203, kNone},
    {"OIPAYERMEMNUM", 203, kNone},
    {"OIPAYERCLINUM", 203, kNone},
    {"OIPAYERPOLNUM", 203, kNone},
    {"OIPAYERSSN", 203, kNone},
    {"OISUBORDER", 203, kNone},
    {"OISUBID", 203, kNone},
    {"OISUBLNAME", 203, kNone},
    {"OISUBFNAME", 203, kNone},
    {"OISUBMI", 203, kNone},
    {"OIPAYERADDR1", 203, kNone},
    {"OIPAYERADDR2", 203, kNone},
    {"OIPAYERCITY", 203, kNone},
    {"OIPAYERSTATE", 203, kNone},
    {"OIPAYERZIP", 203, kNone},
    {"OIPAYERID", 203, kNone},
    {"OIPAYERNAME", 203, kNone},
    {"SEGMENTNOTE", 204, kNone},
    {"POSDESC", 204, kNone},
    {"FACILITYCODEVALUE", 204, kNone},
    {"FACILITYCODEQUALIFIER", 204, kNone},
    {"FREQUENCYTYPECODE", 204, kNone},
    {"POSCODE", 204, kNone},
    {"TYPEOFBILL", 204, kNone},
    {"FREQUENCYCODE", 204, kNone},
    {"PRINCIPALDX", 204, kNone},
    {"ADMITDX", 204, kNone},
    {"ECODE", 204, kNone},
    {"DRG", 204, kNone},
    {"K3DATA", 204, kK3Cut},
    {"OTHERDX", 205, kPosition},
    {"PRINCIPLEPROCDATE", 206, kNone},
    {"PRINCIPLEPROC", 206, kNone},
    {"OTHERPROCDATE", 206, kPosition},
    {"OCCURRENCESPAN", 207, kPosition},
    {"OCCURRENCECODE", 208, kPosition},
    {"OCCURRENCEDATE", 209, kPosition},
    {"VALUECODE", 210, kPosition},
    {"VALUEAMOUNT", 211, kPosition},
    {"VALUEQTY", 212, kPosition},
    {"CONDITIONCODE", 213, kPosition},
    {"CONDITIONDATE", 214, kPosition},
    {"TREATMENTCODE", 215, kPosition},
    {"SUBCLMTYPECODE", 216, kNone},
    {"SUBCLMTYPE", 216, kNone},
    {"SUBID", 216, kNone},
    {"SUBLNAME", 216, kNone},
    {"SUBFNAME", 216, kNone},
    {"SUBMI", 216, kNone, true},
    {"SUBADDR1", 216, kNone},
    {"SUBADDR2", 216, kNone},
    {"SUBCITY", 216, kNone},
    {"SUBST", 216, kNone},
    {"SUBZIP", 216, kNone},
    {"SUBDOB", 216, kNone},
    {"SUBNAMEPREFIX", 216, kNone},
    {"SUBNAMESUFIX", 216, kNone},
    {"SUBMSTATUS", 216, kNone},
    {"SUBACCOUNTID", 216, kNone},
    {"SUBORDERCODE", 216, kNone},
    {"SUBORDER", 216, kNone},
    {"SUBREL", 216, kNone},
    {"SUBGROUPNAME", 216, kNone},
    {"SUBGROUPID", 216, kNone},
    {"SUBSEX", 216, kNone},
    {"SUBSSN", 216, kNone},
    {"PAYERADDR1", 217, kNone},
    {"PAYERADDR2", 217, kNone},
    {"PAYERCITY", 217, kNone},
    {"PAYERSTATE", 217, kNone},
    {"PAYERZIP", 217, kNone},
    {"PAYERID", 217, kNone},
    {"PAYERNAME", 217, kNone},
    {"PATLNAME", 218, kNone},
    {"PATFNAME", 218, kNone},
    {"PATMI", 218, kNone},
    {"PATADDR1", 218, kNone},
    {"PATADDR2", 218, kNone},
    {"PATCITY", 218, kNone},
    {"PATST", 218, kNone},
    {"PATZIP", 218, kNone},
    {"PATDOB", 218, kNone},
    {"PATSEX", 218, kNone},
    {"PATREL", 218, kNone},
    {"PROPERYCASUALTYCLAIMNUMBER", 218, kNone},
    {"REFLNAME", 219, kNone},
    {"REFFNAME", 219, kNone},
    {"REFID", 219, kNone},
    {"REFSECONDARYIDTYPE", 219, kRepeat},
    {"REFSECONDARYIDCODE", 219, kRepeat},
    {"REFSECONDARYID", 219, kRepeat},
    {"ATTENDLNAME", 220, kNone},
    {"ATTENDFNAME", 220, kNone},
    {"ATTENDID", 220, kNone},
    {"ATTENDSECONDARYIDTYPE", 220, kRepeat},
    {"ATTENDSECONDARYIDCODE", 220, kRepeat},
    {"ATTENDSECONDARYID", 220, kRepeat},
    {"OPERATELNAME", 221, kNone},
    {"OPERATEFNAME", 221, kNone},
    {"OPERATEID", 221, kNone},
    {"OPERATESECONDARYIDTYPE", 221, kRepeat},
    {"OPERATESECONDARYIDCODE", 221, kRepeat},
    {"OPERATESECONDARYID", 221, kRepeat},
    {"RENLNAME", 222, kNone},
    {"RENFNAME", 222, kNone},
    {"RENIDTYPECODE", 222, kNone},
    {"RENIDTYPE", 222, kNone},
    {"RENID", 222, kNone},
    {"RENSECONDARYIDTYPE", 222, kRepeat},
    {"RENSECONDARYIDCODE", 222, kRepeat},
    {"RENSECONDARYID", 222, kRepeat},
    {"FACILITYNAME", 223, kNone},
    {"FACILITYADDR1", 223, kNone},
    {"FACILITYADDR2", 223, kNone},
    {"FACILITYCITY", 223, kNone},
    {"FACILITYST", 223, kNone},
    {"FACILITYZIP", 223, kNone},
    {"FACILITYSECONDARYIDTYPE", 223, kRepeat},
    {"FACILITYSECONDARYIDCODE", 223, kRepeat},
    {"FACILITYSECONDARYID", 223, kRepeat},
    {"FACILITYIDTYPE", 223, kNone},
    {"FACILITYIDCODE", 223, kNone},
    {"FACILITYID", 223, kNone},
    {"SERVICELOCATIONNAME", 224, kNone},
    {"SERVICELOCATIONADDR1", 224, kNone},
    {"SERVICELOCATIONADDR2", 224, kNone},
    {"SERVICELOCATIONCITY", 224, kNone},
    {"SERVICELOCATIONST", 224, kNone},
    {"SERVICELOCATIONZIP", 224, kNone},
    {"SERVICELOCATIONID", 224, kNone},
    {"ILABNAME", 225, kNone},
    {"ILABADDR1", 225, kNone},
    {"ILABADDR2", 225, kNone},
    {"ILABCITY", 225, kNone},
    {"ILABST", 225, kNone},
    {"ILABZIP", 225, kNone},
    {"ILABID", 225, kNone},
    {"TLABNAME", 226, kNone},
    {"TLABADDR1", 226, kNone},
    {"TLABADDR2", 226, kNone},
    {"TLABCITY", 226, kNone},
    {"TLABST", 226, kNone},
    {"TLABZIP", 226, kNone},
    {"TLABID", 226, kNone},
    {"DX1_XX", 227, kNone},
    {"DX2_XX", 227, kNone},
    {"DX3_XX", 227, kNone},
    {"DX4_XX", 227, kNone},
    {"DX1", 227, kNone},
    {"DX2", 227, kNone},
    {"DX3", 227, kNone},
    {"DX4", 227, kNone},
    {"DX5", 227, kNone},
    {"CLAIMTYPE", 228, kIgnored},
    {"DPROC", 228, kLine},
    {"DMODA", 228, kLine},
    {"DMODB", 228, kLine},
    {"DMODC", 228, kLine},
    {"DAMT", 228, kLine},
    {"TOOTHSURFACE", 228, kLine},
    // The dental catalogue's spelling of TOOTHSURFACE, kept because stored
    // maps and export headers use it.
    {"TOOTHSERFACE", 228, kLine},
    {"TOOTH", 228, kLine},
    {"POSLINECODE", 229, kLine},
    {"PROC", 229, kLine},
    {"MODA", 229, kLine},
    {"MODB", 229, kLine},
    {"MODC", 229, kLine},
    {"DOS", 229, kLine},
    {"MM_DD_YY_DOSF", 229, kLine},
    {"MM_DD_YY_DOST", 229, kLine},
    {"AMT", 229, kLine},
    {"DDDDDD_CC", 229, kLine},
    {"UNITS", 229, kLine},
    {"DXLINK", 229, kLine},
    {"SUPDXLINKA", 229, kLine},
    {"SUPDXLINKB", 229, kLine},
    {"SUPDXLINKC", 229, kLine},
    {"SUPDXLINKD", 229, kLine},
    {"LINEITEMCONTROLNUMBER", 229, kLine},
    {"ILINE", 230, kLine},
    {"IPROCTYPE", 230, kLine},
    {"IREVCODE", 230, kLine},
    {"IPROC", 230, kLine},
    {"IMODA", 230, kLine},
    {"IMODB", 230, kLine},
    {"IMODC", 230, kLine},
    {"IMODD", 230, kLine},
    {"IAMT", 230, kLine},
    {"IUNITSTYPE", 230, kLine},
    {"IUNITSQTY", 230, kLine},
    {"IUNITSRATE", 230, kLine},
    {"IUNITS", 230, kLine},
    {"NDCUNITS", 230, kLine},
    {"NDCCODE", 230, kLine},
    {"NDCUNITPRICE", 230, kLine},
    {"IADJUDDATE", 230, kLine},
    {"IADJUDID", 230, kLine},
    {"IADJUDAMT", 230, kLine},
    {"IDOS", 230, kLine},
    {"POSLINEDESC", 231, kLine},
    {"PRICEAMT", 231, kLine},
    {"PRICEREF", 231, kLine},
    {"CLAIMBILLINGPROVIDERNAME", 232, kNone},
    {"CLAIMBILLINGPROVIDERADDR1", 232, kNone},
    {"CLAIMBILLINGPROVIDERADDR2", 232, kNone},
    {"CLAIMBILLINGPROVIDERCITY", 232, kNone},
    {"CLAIMBILLINGPROVIDERST", 233, kNone},
    {"CLAIMBILLINGPROVIDERZIP", 233, kNone},
    {"CLAIMBILLINGPROVIDERIDTYPE", 233, kNone},
    {"CLAIMBILLINGPROVIDERIDCODE", 233, kNone},
    {"CLAIMBILLINGPROVIDERID", 233, kNone},
    {"CLAIMBILLINGPROVIDERSECONDARYIDTYPE", 234, kRepeat},
    {"CLAIMBILLINGPROVIDERSECONDARYIDCODE", 234, kRepeat},
    {"CLAIMBILLINGPROVIDERSECONDARYID", 234, kRepeat},
    {"CLAIMPAYTOPROVIDERNAME", 235, kNone},
    {"CLAIMPAYTOPROVIDERADDR1", 235, kNone},
    {"CLAIMPAYTOPROVIDERADDR2", 235, kNone},
    {"CLAIMPAYTOPROVIDERCITY", 235, kNone},
    {"CLAIMPAYTOPROVIDERST", 235, kNone},
    {"CLAIMPAYTOPROVIDERZIP", 236, kNone},
    {"CLAIMPAYTOPROVIDERIDTYPE", 236, kNone},
    {"CLAIMPAYTOPROVIDERIDCODE", 236, kNone},
    {"CLAIMPAYTOPROVIDERID", 236, kNone},
    {"CLAIMPAYTOPROVIDERSECONDARYIDTYPE", 237, kRepeat},
    {"CLAIMPAYTOPROVIDERSECONDARYIDCODE", 237, kRepeat},
    {"CLAIMPAYTOPROVIDERSECONDARYID", 237, kRepeat},
    {"PRIMARYGROUPID", 238, kNone},
    {"PRIMARYGROUPNAME", 238, kNone},
    {"PRIMARYSUBID", 238, kNone},
    {"PRIMARYINSURANCETYPECODE", 238, kNone},
    {"PRIMARYSUBLNAME", 238, kNone},
    {"PRIMARYSUBFNAME", 238, kNone},
    {"PRIMARYSUBMI", 238, kNone},
    {"PRIMARYSUBADDR1", 238, kNone},
    {"PRIMARYSUBADDR2", 238, kNone},
    {"PRIMARYSUBCITY", 238, kNone},
    {"PRIMARYSUBSTATE", 238, kNone},
    {"PRIMARYSUBZIP", 238, kNone},
    {"PRIMARYSUBDOB", 238, kNone},
    {"PRIMARYSUBSEX", 238, kNone},
    {"PRIMARYPAYERADDR1", 238, kNone},
    {"PRIMARYPAYERADDR2", 238, kNone},
    {"PRIMARYPAYERCITY", 238, kNone},
    {"PRIMARYPAYERSTATE", 238, kNone},
    {"PRIMARYPAYERZIP", 238, kNone},
    {"PRIMARYPAYERID", 238, kNone},
    {"PRIMARYPAYERNAME", 238, kNone},
    {"SECONDARYGROUPID", 238, kNone},
    {"SECONDARYGROUPNAME", 238, kNone},
    {"SECONDARYSUBID", 238, kNone},
    {"SECONDARYINSURANCETYPECODE", 238, kNone},
    {"SECONDARYSUBLNAME", 238, kNone},
    {"SECONDARYSUBFNAME", 238, kNone},
    {"SECONDARYSUBMI", 238, kNone},
    {"SECONDARYPAYERADDR1", 238, kNone},
    {"SECONDARYPAYERADDR2", 238, kNone},
    {"SECONDARYPAYERCITY", 238, kNone},
    {"SECONDARYPAYERSTATE", 238, kNone},
    {"SECONDARYPAYERZIP", 238, kNone},
    {"SECONDARYPAYERID", 238, kNone},
    {"SECONDARYPAYERNAME", 238, kNone},
    {"TERTIARYGROUPID", 238, kNone},
    {"TERTIARYGROUPNAME", 238, kNone},
    {"TERTIARYSUBID", 238, kNone},
    {"TERTIARYINSURANCETYPECODE", 238, kNone},
    {"TERTIARYSUBLNAME", 238, kNone},
    {"TERTIARYSUBFNAME", 238, kNone},
    {"TERTIARYSUBMI", 238, kNone},
    {"TERTIARYPAYERADDR1", 238, kNone},
    {"TERTIARYPAYERADDR2", 238, kNone},
    {"TERTIARYPAYERCITY", 238, kNone},
    {"TERTIARYPAYERSTATE", 238, kNone},
    {"TERTIARYPAYERZIP", 238, kNone},
    {"TERTIARYPAYERID", 238, kNone},
    {"TERTIARYPAYERNAME", 238, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERNAME", 239, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERADDR1", 239, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERADDR2", 239, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERCITY", 239, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERST", 240, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERZIP", 240, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERIDTYPE", 240, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERIDCODE", 240, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERID", 240, kNone},
    {"HIERARCHIALCLAIMBILLINGPROVIDERSECONDARYIDTYPE", 241, kRepeat},
    {"HIERARCHIALCLAIMBILLINGPROVIDERSECONDARYIDCODE", 241, kRepeat},
    {"HIERARCHIALCLAIMBILLINGPROVIDERSECONDARYID", 241, kRepeat},
    {"HIERARCHIALCLAIMPAYTOPROVIDERNAME", 242, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERADDR1", 242, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERADDR2", 242, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERCITY", 242, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERST", 242, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERZIP", 243, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERIDTYPE", 243, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERIDCODE", 243, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERID", 243, kNone},
    {"HIERARCHIALCLAIMPAYTOPROVIDERSECONDARYIDTYPE", 244, kRepeat},
    {"HIERARCHIALCLAIMPAYTOPROVIDERSECONDARYIDCODE", 244, kRepeat},
    {"HIERARCHIALCLAIMPAYTOPROVIDERSECONDARYID", 244, kRepeat},
    {"OTHERPROC", 245, kPosition},
    {"PAYERPRIORPAYMENT", 246, kIgnored},
    {"PATMSTAT", 999, kNone},
    {"PATNAMEPREFIX", 999, kNone},
    {"PATNAMESUFIX", 999, kNone},
    {"PAYERST", 999, kNone},
};
// clang-format on

constexpr std::size_t kTableSize = std::size(kTable);

// Entry indexes in byte order of their texts, for the longest-prefix search.
const std::array<int, kTableSize>& SortedEntries() {
  static const std::array<int, kTableSize> sorted = [] {
    std::array<int, kTableSize> order{};
    for (std::size_t i = 0; i < kTableSize; ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(),
              [](int a, int b) { return kTable[a].text < kTable[b].text; });
    return order;
  }();
  return sorted;
}

std::size_t CommonPrefixLength(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// All of `text` as a decimal number of 1 to `max_digits` digits; values above
// the range of uint32 saturate. False when `text` is anything else.
bool ReadDigits(std::string_view text, std::size_t max_digits, std::uint32_t& value) {
  if (text.empty() || text.size() > max_digits) return false;
  std::uint64_t v = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    v = std::min<std::uint64_t>(v * 10 + static_cast<std::uint64_t>(c - '0'),
                                std::numeric_limits<std::uint32_t>::max());
  }
  value = static_cast<std::uint32_t>(v);
  return true;
}

constexpr std::size_t kAnyLength = std::numeric_limits<std::size_t>::max();

// "01".."12", or a letter A..Z followed by one or two digits of 1..12.
void ParsePosition(std::string_view rest, ResolvedField& f) {
  int hi_segment = 1;
  if (!rest.empty() && rest[0] >= 'A' && rest[0] <= 'Z') {
    hi_segment = rest[0] - 'A' + 1;
    rest.remove_prefix(1);
  } else if (rest.size() != 2) {
    return;
  }
  std::uint32_t v = 0;
  if (!ReadDigits(rest, 2, v) || v < 1 || v > 12) return;
  f.position = static_cast<int>(v);
  f.hi_segment = hi_segment;
  f.suffix_ok = true;
}

// "_start_length" with two decimal numbers.
void ParseK3Cut(std::string_view rest, ResolvedField& f) {
  if (rest.empty()) {
    f.suffix_ok = true;
    return;
  }
  if (rest[0] != '_') return;
  rest.remove_prefix(1);
  const std::size_t sep = rest.find('_');
  if (sep == std::string_view::npos) return;
  if (!ReadDigits(rest.substr(0, sep), kAnyLength, f.cut_start) ||
      !ReadDigits(rest.substr(sep + 1), kAnyLength, f.cut_length)) {
    f.cut_start = f.cut_length = 0;
    return;
  }
  f.has_cut = true;
  f.suffix_ok = true;
}

void ParseSuffix(ResolvedField& f) {
  const std::string_view rest = f.rest();
  switch (f.suffix_kind) {
    case kNone:
    case kIgnored:
      f.suffix_ok = true;
      return;
    case kPosition:
      f.suffix_ok = false;
      ParsePosition(rest, f);
      return;
    case kLine:
      f.suffix_ok = ReadDigits(rest, kAnyLength, f.line);
      return;
    case kRepeat:
      if (rest.empty()) {
        f.repeat = 1;
        f.suffix_ok = true;
      } else {
        f.suffix_ok = ReadDigits(rest, kAnyLength, f.repeat) && f.repeat > 0;
      }
      return;
    case kK3Cut:
      f.suffix_ok = false;
      ParseK3Cut(rest, f);
      return;
  }
}

UserFieldDef MakeDef(const ini::UserField& u) {
  UserFieldDef d;
  d.name = u.name;
  d.segment = u.segment;
  d.qualifier = u.qualifier;
  d.loop = u.loop;
  d.returned = u.returned;
  const std::int64_t field = LeadingInteger(u.returned);
  d.return_field = field < 0 ? 0 : static_cast<int>(std::min<std::int64_t>(field, 1 << 20));
  d.claim_level = u.loop.starts_with("23") || u.loop.starts_with("24");
  return d;
}

}  // namespace

std::span<const FieldNameEntry> FieldNameTable() { return kTable; }

int FindFieldNameEntry(std::string_view name) {
  // The entries a name begins with form a chain of prefixes of each other,
  // and the longest of them is the greatest entry not above the name in byte
  // order that is a prefix of it. When that greatest entry is not a prefix,
  // every shorter candidate is also a prefix of the part both share, so the
  // search repeats on that shorter text.
  const auto& sorted = SortedEntries();
  std::string_view probe = name;
  while (!probe.empty()) {
    auto it = std::upper_bound(sorted.begin(), sorted.end(), probe,
                               [](std::string_view p, int e) { return p < kTable[e].text; });
    if (it == sorted.begin()) return -1;
    const FieldNameEntry& e = kTable[*--it];
    if (probe.starts_with(e.text)) {
      if (!e.exact_only || e.text.size() == name.size()) return *it;
      probe = e.text.substr(0, e.text.size() - 1);  // SUBMI inside a longer name
    } else {
      probe = probe.substr(0, CommonPrefixLength(probe, e.text));
    }
  }
  return -1;
}

UserFieldTable::UserFieldTable(const std::vector<ini::UserField>& fields) {
  for (const ini::UserField& u : fields) {
    if (u.name.empty() || u.segment.empty()) continue;
    entries_.push_back(MakeDef(u));
  }
}

UserFieldTable UserFieldTable::FromIni(const std::filesystem::path& folder) {
  return UserFieldTable(ini::UserFields(folder));
}

UserFieldTable UserFieldTable::FromText(std::string_view ini_bytes) {
  return UserFieldTable(ini::UserFieldsFromText(ini_bytes));
}

std::vector<UserFieldDef> UserFieldTable::Matching(std::string_view name) const {
  std::vector<UserFieldDef> found;
  for (const UserFieldDef& d : entries_) {
    if (StartsWithNoCase(name, d.name)) found.push_back(d);
  }
  return found;
}

FieldGroupCode UserFieldTable::GroupOf(std::string_view name) const {
  for (const UserFieldDef& d : entries_) {
    if (d.claim_level && StartsWithNoCase(name, d.name)) return kUserClaimFieldCode;
  }
  return kUnknownFieldCode;
}

FieldGroupCode FieldGroupOf(std::string_view name, const UserFieldTable& user_fields) {
  const int i = FindFieldNameEntry(name);
  return i >= 0 ? kTable[i].code : user_fields.GroupOf(name);
}

FieldGroupCode FieldGroupOf(std::string_view name) {
  const int i = FindFieldNameEntry(name);
  return i >= 0 ? kTable[i].code : UserFieldTable::FromIni().GroupOf(name);
}

ResolvedField Resolve(std::string_view name, const UserFieldTable& user_fields) {
  ResolvedField f;
  f.name = std::string(name);
  f.entry = FindFieldNameEntry(name);
  if (f.entry < 0) {
    f.user_fields = user_fields.Matching(name);
    f.code = user_fields.GroupOf(name);
    return f;
  }
  const FieldNameEntry& e = kTable[f.entry];
  f.code = e.code;
  f.base = e.text;
  f.suffix_kind = e.suffix;
  ParseSuffix(f);
  return f;
}

}  // namespace ardentix::claims
