#include "export/odbc_widths.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/number.h"
#include "common/text.h"

namespace ardentix {

namespace {

struct Width {
  std::string_view name;
  int width;
};

// In table order.
constexpr Width kWidths[] = {
    {"PAYERCLAIMCODE", 10},
    {"CLAIMPATCTL", 10},
    {"CLAIMSTATUSCODE", 2},
    {"CLAIMSTATUSDESC", 20},
    {"CLAIMTOTALCHARGE", 10},
    {"CLAIMTOTALPAID", 10},
    {"PATRESPONSIBLE", 10},
    {"FILIND", 10},
    {"FACILITYTYPECODE", 10},
    {"CLAIMFREQ", 10},
    {"CLMADJGRPCODE", 10},
    {"CLMADJCODE1", 6},
    {"CLMADJAMT1", 10},
    {"CLMADJQTY1", 10},
    {"CLMADJCODE2", 6},
    {"TRANSDATE", 10},
    {"TRANSHANDCODE", 10},
    {"TRANSTOTALPAYAMT", 10},
    {"TRANSDC", 10},
    {"TRANSPAYMETHOD", 10},
    {"SUBFNAME", 35},
    {"SUBLNAME", 35},
    {"SUBMI", 1},
    {"SUBNAMEPREFIX", 15},
    {"SUBNAMESUFIX", 15},
    {"SUBIDCODE", 35},
    {"SUBADDR1", 35},
    {"SUBADDR2", 35},
    {"SUBCITY", 35},
    {"SUBST", 2},
    {"SUBZIP", 11},
    {"SUBSEX", 1},
    {"SUBMSTATUS", 10},
    {"SUBDOB", 12},
    {"SUBREL", 10},
    {"SUBORDER", 10},
    {"PAYERNAME", 35},
    {"PAYERADDR1", 35},
    {"PAYERADDR2", 35},
    {"PAYERCITY", 35},
    {"PAYERST", 2},
    {"PAYERZIP", 11},
    {"PATFNAME", 35},
    {"PATLNAME", 35},
    {"PATMI", 1},
    {"PATNAMEPREFIX", 5},
    {"PATNAMESUFIX", 5},
    {"PATADDR1", 35},
    {"PATADDR2", 35},
    {"PATCITY", 35},
    {"PATST", 2},
    {"PATZIP", 11},
    {"PATSEX", 1},
    {"PATMSTAT", 10},
    {"PATDOB", 12},
    {"PATREL", 12},
    {"CLAIMID", 20},
    {"CLAIMAMT", 16},
    {"POSCODE", 3},
    {"RENLNAME", 35},
    {"RENFNAME", 35},
    {"RENID", 20},
    {"RENIDTYPE", 20},
    {"RENSECONDARYID1", 20},
    {"RENSECONDARYIDTYPE1", 20},
    {"RENSECONDARYID2", 20},
    {"RENSECONDARYIDTYPE2", 20},
    {"RENSECONDARYID3", 20},
    {"RENSECONDARYIDTYPE3", 20},
    {"DX1", 7},
    {"DX2", 7},
    {"DX3", 7},
    {"DX4", 7},
    {"DX5", 20},
    {"ADMISSIONDATETIME", 10},
    {"ADMISSIONTYPE", 15},
    {"ADMISSIONSOURCE", 15},
    {"PATIENTSTATUS", 15},
    {"DISCHARGEHOUR", 10},
    {"STATEMENTDATE", 16},
    {"MEDICALRECORDNUMBER", 20},
    {"FACILITYCODEVALUE", 5},
    {"FREQUENCYTYPECODE", 5},
    {"PRINCIPALDX", 10},
    {"ADMITDX", 10},
    {"ATTENDLNAME", 35},
    {"ATTENDFNAME", 35},
    {"ATTENDID", 20},
    {"ATTENDIDTYPE", 20},
    {"ATTENDSECONDARYID1", 20},
    {"ATTENDSECONDARYIDTYPE1", 20},
    {"OPERATELNAME", 35},
    {"OPERATEFNAME", 35},
    {"OPERATEID", 20},
    {"OPERATEIDTYPE", 20},
    {"OPERATESECONDARYID1", 20},
    {"OPERATESECONDARYIDTYPE1", 10},
    {"PRINCIPLEPROCDATE", 12},
    {"PRINCIPLEPROC", 12},
    {"DRG", 20},
    {"K3DATA", 50},
    {"PATIENTAMOUNTPAID", 12},
    {"TOTALPURCHASEDSERVICEAMOUNT", 12},
    {"PROVSIGNATUREONFILE", 20},
    {"PROVACCEPTASSIGNMENTCODE", 5},
    {"BENEFITINDICATOR", 5},
    {"RELEASEOFINFORMATION", 5},
    {"RELATEDCAUSECODE", 5},
    {"CLEARINGIDNUMBER", 20},
    {"PRIMARYSUBLNAME", 35},
    {"PRIMARYSUBFNAME", 35},
    {"PRIMARYSUBMI", 3},
    {"PRIMARYPAYERNAME", 35},
    {"PRIMARYPAYERADDR1", 35},
    {"PRIMARYPAYERADDR2", 35},
    {"PRIMARYPAYERCITY", 35},
    {"PRIMARYPAYERSTATE", 2},
    {"PRIMARYPAYERZIP", 12},
    {"PRIMARYGROUPNAME", 35},
    {"PRIMARYGROUPID", 20},
    {"PRIMARYSUBID", 20},
    {"PRIMARYPAYERID", 20},
    {"SECONDARYSUBLNAME", 35},
    {"SECONDARYSUBFNAME", 35},
    {"SECONDARYSUBMI", 2},
    {"SECONDARYPAYERNAME", 35},
    {"SECONDARYPAYERADDR1", 35},
    {"SECONDARYPAYERADDR2", 35},
    {"SECONDARYPAYERCITY", 35},
    {"SECONDARYPAYERSTATE", 2},
    {"SECONDARYPAYERZIP", 14},
    {"SECONDARYGROUPNAME", 35},
    {"SECONDARYGROUPID", 20},
    {"SECONDARYSUBID", 20},
    {"SECONDARYPAYERID", 20},
    {"TERTIARYSUBLNAME", 35},
    {"TERTIARYSUBFNAME", 35},
    {"TERTIARYSUBMI", 2},
    {"TERTIARYPAYERNAME", 35},
    {"TERTIARYPAYERADDR1", 35},
    {"TERTIARYPAYERADDR2", 35},
    {"TERTIARYPAYERCITY", 35},
    {"TERTIARYPAYERSTATE", 2},
    {"TERTIARYPAYERZIP", 12},
    {"TERTIARYGROUPNAME", 35},
    {"TERTIARYGROUPID", 20},
    {"TERTIARYSUBID", 20},
    {"TERTIARYPAYERID", 20},
    {"BILLINGPROVIDERNAME", 35},
    {"BILLINGPROVIDERADDR1", 35},
    {"BILLINGPROVIDERADDR2", 35},
    {"BILLINGPROVIDERCITY", 35},
    {"BILLINGPROVIDERST", 2},
    {"BILLINGPROVIDERZIP", 12},
    {"BILLINGPROVIDERID", 20},
    {"BILLINGPROVIDERIDTYPE", 20},
    {"BILLINGPROVIDERSECONDARYID1", 20},
    {"BILLINGPROVIDERSECONDARYIDTYPE1", 20},
    {"BILLINGPROVIDERSECONDARYID2", 20},
    {"BILLINGPROVIDERSECONDARYIDTYPE2", 20},
    {"BILLINGPROVIDERSECONDARYID3", 20},
    {"BILLINGPROVIDERSECONDARYIDTYPE3", 20},
    {"SUBMITTERNAME", 35},
    {"SUBMITTERADDR1", 35},
    {"SUBMITTERADDR2", 35},
    {"SUBMITTERCITY", 35},
    {"SUBMITTERST", 2},
    {"SUBMITTERZIP", 14},
};

}  // namespace

std::optional<int> OdbcWidthOf(std::string_view name) {
  name = TrimRightBlanks(name);
  for (const Width& w : kWidths) {
    if (w.name == name) return w.width;
  }
  return std::nullopt;
}

std::vector<CatalogueRow> OdbcWidthTable(const std::vector<std::string>& names) {
  std::vector<CatalogueRow> rows;
  rows.reserve(names.size());
  long long unknown = 0;
  for (const std::string& name : names) {
    if (const std::optional<int> width = OdbcWidthOf(name)) {
      rows.push_back({name, name, *width, "H", "C"});
    } else {
      ++unknown;
      rows.push_back(
          {name, "Field Error " + FormatIntegerWidth(unknown, 10), kOdbcUnknownWidth, "H", "C"});
    }
  }
  return rows;
}

}  // namespace ardentix
