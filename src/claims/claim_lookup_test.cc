#include "claims/claim_lookup.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "claims/claim_lookup_reference.h"
#include "claims/claim_rules.h"
#include "claims/field_name_list.h"
#include "common/files.h"
#include "ui/headless.h"
#include "ui/ui.h"
#include "x12/access.h"
#include "x12/loader.h"
#include "x12/parts.h"

namespace ardentix::claims {
namespace {

namespace fs = std::filesystem;

fs::path Fixture(std::string_view name) {
  return fs::path(ARDENTIX_SOURCE_DIR) / "tests/data/claims" / name;
}

// A loaded file with its lookup (the lookup keeps references to the list).
struct Loaded {
  explicit Loaded(const fs::path& file) : x12(x12::LoadX12File(file, false)) {}
  explicit Loaded(std::string_view bytes, bool) : x12(x12::LoadX12Bytes(bytes)) {}
  x12::X12File x12;
  ClaimLookup lookup{x12.list, x12.index};
  ReferenceClaimLookup reference{x12.list, x12.index};
  ReferenceClaimLookup counted{x12.list, x12.index, true};

  std::string Get(std::string_view name, std::size_t claim = 1, std::size_t occurrence = 1,
                  const UserFieldTable& udf = UserFieldTable()) const {
    return lookup.Lookup(BindField(name, udf), claim, occurrence);
  }
};

std::unique_ptr<Loaded> Load(std::string_view name) {
  return std::make_unique<Loaded>(Fixture(name));
}

struct Case {
  const char* name;
  const char* value;
  std::size_t claim = 1;
  std::size_t occurrence = 1;
};

struct FixtureTable {
  const char* file;
  std::vector<Case> cases;
};

// --- expected values of our fixtures -----------------------------------------

const FixtureTable kProfessional{
    "837p_5010_claims.x12",
    {
        // Transaction set header, submitter and receiver (header level).
        {"TSCONTROLNUMBER", "0021"},
        {"BHTREFID", "BATCH21"},
        {"SUBMITTERNAME", "PREMIER BILLING SERVICE"},
        {"SUBMITTERADDR1", "9 SUBMIT WAY"},
        {"SUBMITTERADDR2", "SUITE 2"},
        {"SUBMITTERCITY", "SENDTON"},
        {"SUBMITTERST", "PA"},
        {"SUBMITTERZIP", "17000"},
        {"SUBMITTERPHONE", "3055552222"},
        {"SUBMITTERCONTACT", "JERRY"},
        {"SUBMITTERID", "TGJ23"},
        {"RECEIVERID", "66783JJT"},
        {"RECEIVERNAME", "KEY INSURANCE COMPANY"},
        {"RECEIVERADDITIONALNAME", "KEY HEALTH PLANS"},
        {"RECEIVERADDR1", "1 RECEIVER PLAZA"},
        {"RECEIVERADDR2", ""},
        {"RECEIVERCITY", "RECVILLE"},
        {"RECEIVERST", "NJ"},
        {"RECEIVERZIP", "08000"},
        // The file's billing and pay-to providers (header level).
        {"BILLINGPROVIDERTYPE", "2"},
        {"BILLINGPROVIDERNAME", "BILLING CLINIC"},
        {"BILLINGPROVIDERLASTNAME", "BILLING CLINIC"},
        {"BILLINGPROVIDERFIRSTNAME", ""},
        {"BILLINGPROVIDERADDR1", "1 MAIN ST"},
        {"BILLINGPROVIDERADDR2", "FLOOR 3"},
        {"BILLINGPROVIDERCITY", "HARRISBURG"},
        {"BILLINGPROVIDERST", "PA"},
        {"BILLINGPROVIDERZIP", "17111"},
        {"BILLINGPROVIDERIDTYPE", "National Provider ID"},
        {"BILLINGPROVIDERIDCODE", "XX"},
        {"BILLINGPROVIDERID", "1234567893"},
        {"BILLINGPROVIDERSECONDARYIDCODE1", "EI"},
        {"BILLINGPROVIDERSECONDARYIDTYPE1", "Employers Identification Number"},
        {"BILLINGPROVIDERSECONDARYID1", "111222333"},
        {"BILLINGPROVIDERSECONDARYID2", "BP77"},
        {"BILLINGPROVIDERSECONDARYID3", ""},  // the pay-to provider's REF is not the biller's
        {"BILLINGPROVIDERNAME", "BILLING CLINIC", 3},
        {"PAYTOPROVIDERNAME", "PAYTO OFFICE"},
        {"PAYTOPROVIDERADDR1", "PO BOX 5"},
        {"PAYTOPROVIDERADDR2", ""},
        {"PAYTOPROVIDERCITY", "LANCASTER"},
        {"PAYTOPROVIDERST", "PA"},
        {"PAYTOPROVIDERZIP", "17601"},
        {"PAYTOPROVIDERIDTYPE", "National Provider ID"},
        {"PAYTOPROVIDERIDCODE", "XX"},
        {"PAYTOPROVIDERID", "1999999984"},
        {"PAYTOPROVIDERSECONDARYID1", "444555666"},
        {"PAYTOPROVIDERSECONDARYIDCODE", "EI"},
        // 201: the claim.
        {"CLAIMID", "PCN1"},
        {"CLAIMIDX", "PCN1"},  // a name reaches the entry its text begins with
        {"CLAIMAMT", "125.5"},
        {"CLAIMAMTDDDDDD_CC", "125 5"},
        {"RELATEDCAUSECODE", "AA:EM:NJ"},
        {"PATSIGNATURESOURCE", "P"},
        {"CLEARINGIDNUMBER", "CLEAR1"},
        {"MULTICLAIMTOTAL", "125.5"},
        // 202: dates by DTP01, CLM indicators, references, amounts, notes.
        {"ONSETOFILLNESDATE", "20221201"},
        {"ACCIDENTDATE", "20221130"},
        {"LMPDATE", "20221101"},
        {"INITIALTREATMENTDATE", "20221202"},
        {"DATELASTSEEN", "20221203"},
        {"ACUTEMANIFESTATIONDATE", "20221204"},
        {"SIMILARILLNESSONSETDATE", "20221205"},
        {"LASTXRAYDATE", "20221206"},
        {"DISABILITYBEGINDATE", "20221207"},
        {"DISABILITYENDDATE", "20221208"},
        {"DATELASTWORKED", "20221209"},
        {"RETURNTOWORKDATE", "20221210"},
        {"RETURNTOWORK", ""},  // reaches the group, but only RETURNTOWORKDATE has a value
        {"ASSUMEDCAREDATE", "20221211"},
        {"RELINQUISHEDCAREDATE", "20221212"},
        {"ORDERDATE", "20221213"},
        {"REFERRALDATE", "20221214"},
        {"ESTIMATEDDATEOFBIRTH", "20221215"},
        {"HEARINGVISIONPRESCRIPTIONDATE", "20221216"},
        {"ADJUDDATE", "20221217"},
        {"DISCHARGEDATE", ""},
        {"PROVSIGNATUREONFILE", "Yes"},
        {"PROVACCEPTASSIGNMENTCODE", "Assigned"},
        {"BENEFITINDICATOR", "No"},
        {"RELEASEOFINFORMATION", "I"},  // neither Y nor N: unchanged
        {"RELATEDCAUSE", "Auto Accident"},
        {"PATIENTAMOUNTPAID", "20"},
        {"TOTALPURCHASEDSERVICEAMOUNT", "5.25"},
        {"PRIORAUTHORIZATIONNUMBER", "PA777"},
        {"ICNDCN", "ICN888"},
        {"MEDICALRECORDNUMBER", "MRN999"},
        {"CLAIMNOTEADD", "ADDITIONAL NOTE"},
        {"CLAIMNOTECER", "CERT NOTE"},
        {"CLAIMNOTEDCP", "GOALS"},
        {"CLAIMNOTEDGN", "DIAG NOTE"},
        {"CLAIMNOTEPMT", "PAY NOTE"},
        {"CLAIMNOTETPO", "THIRD PARTY"},
        // 203: other payers (AMT01 compared by prefix: D is the first AMT*D...).
        {"COBPAYERPAIDAMT", "30"},
        {"COBDISCOUNTAMT", "2.5"},
        {"COBAPPROVEDAMT", "40"},
        {"COBPAYERALLOWEDAMT", "45"},
        {"COBPATRESPONSE", "3"},
        {"COBCOVEREDAMT", "41"},
        {"COBPERDAYLIMIT", "100"},
        {"COBPATPAIDAMT", "20"},
        {"COBTAX", "1.1"},
        {"COBCLMTOTTAX", "2.2"},
        {"OISUBORDER", "Tertiary"},  // the SBR after the first OI
        {"OISUBID", "OTHERID"},
        {"OISUBLNAME", "SMITH"},
        {"OISUBFNAME", "JANE"},
        {"OISUBMI", "B"},
        {"OIPAYERNAME", "OTHER PAYER"},
        {"OIPAYERID", "OP01"},
        {"OIPAYERADDR1", "3 ELM ST"},  // the first N3 after the OI
        {"OIPAYERCITY", "YORK"},
        {"OIPAYERSTATE", "PA"},
        {"OIPAYERZIP", "17402"},
        {"OIPAYERMEMNUM", "MEM1"},
        {"OIPAYERCLINUM", "CLI1"},
        {"OIPAYERPOLNUM", "POL1"},
        {"OIPAYERSSN", "SSN1"},
        // 204: CLM05, diagnoses, K3.
        {"FACILITYCODEVALUE", "11"},
        {"POSCODE", "11"},
        {"FACILITYCODEQUALIFIER", "B"},
        {"FREQUENCYTYPECODE", "1"},
        {"FREQUENCYCODE", "1"},
        {"TYPEOFBILL", "111"},
        {"POSDESC", "Office"},
        {"PRINCIPALDX", "E119"},  // ABK read like BK
        {"ADMITDX", "I10"},
        {"DRG", ""},
        {"ECODE", ""},
        {"SEGMENTNOTE", "M"},
        {"K3DATA", "ABCDEFGHIJ"},
        {"K3DATA_3_4", "CDEF"},
        {"K3DATA_0_3", "AB"},  // cuts are clamped to the text
        {"K3DATA_9_99", "IJ"},
        {"K3DATA_20_5", ""},
        {"K3DATA_1_99999999999", "ABCDEFGHIJ"},
        // 205 (no HI begins with BF or ABF in this claim).
        {"OTHERDX01", ""},
        // 227: the first HI, whatever its qualifier.
        {"DX1", "E119"},
        {"DX2", "I10"},
        {"DX3", "J069"},
        {"DX4", "M545"},
        {"DX5", "Z23"},
        {"DX1_XX", "E11 9"},
        {"DX2_XX", "I10"},
        {"DX3_XX", "J06 9"},
        {"DX4_XX", "M54 5"},
        // 216: subscriber.
        {"SUBFNAME", "JOHN"},
        {"subfname", ""},  // names are compared as written
        {"SUBLNAME", "SMITH"},
        {"SUBMI", "A"},
        {"SUBNAMEPREFIX", "DR"},
        {"SUBNAMESUFIX", "JR"},
        {"SUBID", "SUBID1"},
        {"SUBADDR1", "2 OAK ST"},
        {"SUBADDR2", "APT 4"},
        {"SUBCITY", "YORK"},
        {"SUBST", "PA"},
        {"SUBZIP", "17401"},
        {"SUBDOB", "19700315"},
        {"SUBSEX", "M"},
        {"SUBMSTATUS", "M"},
        {"SUBSSN", "123456789"},
        {"SUBACCOUNTID", "ACCT77"},
        {"SUBORDERCODE", "P"},
        {"SUBORDER", "Primary"},
        {"SUBREL", "Self"},
        {"SUBGROUPID", "GRP100"},
        {"SUBGROUPNAME", "ACME GROUP"},
        {"SUBCLMTYPECODE", "CI"},
        {"SUBCLMTYPE", "Commercial Insurance Company"},
        // 217: payer.
        {"PAYERNAME", "PAYER ONE"},
        {"PAYERID", "P0001"},
        {"PAYERADDR1", "100 PAYER RD"},
        {"PAYERADDR2", ""},
        {"PAYERCITY", "CAMP HILL"},
        {"PAYERSTATE", "PA"},
        {"PAYERZIP", "17011"},
        {"PAYERST", ""},  // 999
        {"PAYERPRIORPAYMENT", "12.34"},
        {"PAYERPRIORPAYMENTX", "12.34"},
        // 218: patient.
        {"PATLNAME", "SMITH"},
        {"PATFNAME", "JANE"},
        {"PATMI", "Q"},
        {"PATADDR1", "2 OAK ST"},
        {"PATCITY", "YORK"},
        {"PATST", "PA"},
        {"PATZIP", "17401"},
        {"PATDOB", "20100704"},
        {"PATSEX", "F"},
        {"PATREL", "Child"},
        {"PROPERYCASUALTYCLAIMNUMBER", "PC555"},
        {"PATMSTAT", ""},
        {"PATNAMEPREFIX", ""},
        // 219 and 222: referring and rendering providers with secondary ids.
        {"REFLNAME", "REFERRER"},
        {"REFFNAME", "RITA"},
        {"REFID", "1111111111"},
        {"REFSECONDARYID1", "REFG2"},
        {"REFSECONDARYIDCODE1", "G2"},
        {"REFSECONDARYIDTYPE1", "Provider Commercial Number"},
        {"REFSECONDARYID2", ""},
        {"RENLNAME", "RENDER"},
        {"RENFNAME", "RON"},
        {"RENIDTYPECODE", "XX"},
        {"RENIDTYPE", "National Provider ID"},
        {"RENID", "2222222222"},
        {"RENSECONDARYID", "RENG2"},  // no repeat number: the first
        {"RENSECONDARYID1", "RENG2"},
        {"RENSECONDARYIDTYPE1", "Provider Commercial Number"},
        {"RENSECONDARYIDCODE2", "0B"},
        {"RENSECONDARYID2", ""},
        {"RENSECONDARYIDTYPE2", ""},  // that REF has no REF02
        {"RENSECONDARYIDCODE3", "1C"},
        {"RENSECONDARYIDTYPE3", "Medicare Provider Number"},
        {"RENSECONDARYID3", "MCARE"},
        {"RENSECONDARYID4", ""},
        // 223 to 226: on a 5010 interchange the facility is NM1*77.
        {"FACILITYNAME", "SERVICE SITE"},
        {"FACILITYADDR1", "5 SITE AVE"},
        {"FACILITYCITY", "READING"},
        {"FACILITYST", "PA"},
        {"FACILITYZIP", "19601"},
        {"FACILITYID", "3333333333"},
        {"FACILITYIDCODE", "XX"},
        {"FACILITYIDTYPE", "National Provider ID"},
        {"FACILITYSECONDARYID1", "SITEG2"},
        {"FACILITYSECONDARYIDCODE1", "G2"},
        {"SERVICELOCATIONNAME", "SERVICE SITE"},
        {"SERVICELOCATIONADDR1", "5 SITE AVE"},
        {"SERVICELOCATIONCITY", "READING"},
        {"SERVICELOCATIONST", "PA"},
        {"SERVICELOCATIONZIP", "19601"},
        {"SERVICELOCATIONID", "3333333333"},
        {"ILABNAME", "IN LAB"},
        {"ILABADDR1", "7 LAB RD"},
        {"ILABCITY", "ERIE"},
        {"ILABST", "PA"},
        {"ILABZIP", "16501"},
        {"ILABID", "4444444444"},
        {"TLABNAME", "TEST LAB"},
        {"TLABADDR1", "8 LAB RD"},
        {"TLABZIP", "16502"},
        {"TLABID", "5555555555"},
        // 228 to 231: service lines.
        {"CLAIMTYPE", "Professional"},
        {"CLAIMTYPE7", "Professional"},
        {"PROC1", "99213"},
        {"MODA1", "25"},
        {"MODB1", "59"},
        {"MODC1", "76"},
        {"AMT1", "100"},
        {"AMT01", "100"},
        {"DDDDDD_CC1", "100 00"},
        {"UNITS1", "1"},
        {"POSLINECODE1", "11"},
        {"POSLINEDESC1", "Office"},
        {"DXLINK1", "1"},
        {"SUPDXLINKA1", "1"},
        {"SUPDXLINKB1", "2"},
        {"SUPDXLINKC1", "3"},
        {"SUPDXLINKD1", "4"},
        {"DOS1", "20230101-20230105"},
        {"MM_DD_YY_DOSF1", "01 01 23"},
        {"MM_DD_YY_DOST1", "01 05 23"},
        {"LINEITEMCONTROLNUMBER1", "LINE1"},
        {"PRICEAMT1", "80"},
        {"PRICEREF1", "REPRICER1"},
        {"PROC2", "36415"},
        {"MODA2", ""},
        {"AMT2", "25.5"},
        {"DDDDDD_CC2", "25 5"},
        {"UNITS2", "2"},
        {"POSLINECODE2", "22"},
        {"POSLINEDESC2", "Outpatient"},
        {"DOS2", "20230102"},
        {"MM_DD_YY_DOSF2", "01 02 23"},
        {"MM_DD_YY_DOST2", ""},
        {"LINEITEMCONTROLNUMBER2", ""},
        {"PROC3", ""},
        {"PROC", ""},
        {"ILINE1", ""},  // no SV2 on a professional line
        {"DPROC1", ""},
        // 238: insurance by payer order.
        {"PRIMARYGROUPID", "GRP100"},
        {"PRIMARYGROUPNAME", "ACME GROUP"},
        {"PRIMARYINSURANCETYPECODE", "C1"},
        {"PRIMARYSUBID", "SUBID1"},
        {"PRIMARYSUBLNAME", "SMITH"},
        {"PRIMARYSUBFNAME", "JOHN"},
        {"PRIMARYSUBMI", "A"},
        {"PRIMARYSUBADDR1", "2 OAK ST"},
        {"PRIMARYSUBADDR2", "APT 4"},
        {"PRIMARYSUBCITY", "YORK"},
        {"PRIMARYSUBSTATE", "PA"},
        {"PRIMARYSUBZIP", "17401"},
        {"PRIMARYSUBDOB", "19700315"},
        {"PRIMARYSUBSEX", "M"},
        {"PRIMARYPAYERNAME", "PAYER ONE"},
        {"PRIMARYPAYERID", "P0001"},
        {"PRIMARYPAYERADDR1", "100 PAYER RD"},
        {"PRIMARYPAYERADDR2", ""},
        {"PRIMARYPAYERCITY", "CAMP HILL"},
        {"PRIMARYPAYERSTATE", "PA"},
        {"PRIMARYPAYERZIP", "17011"},
        {"SECONDARYGROUPID", "GRP200"},
        {"SECONDARYGROUPNAME", "OTHER GROUP"},
        {"SECONDARYINSURANCETYPECODE", "C1"},
        {"SECONDARYSUBID", "OTHERID"},
        {"SECONDARYSUBLNAME", "SMITH"},
        {"SECONDARYSUBFNAME", "JANE"},
        {"SECONDARYSUBMI", "B"},
        {"SECONDARYPAYERNAME", "OTHER PAYER"},
        {"SECONDARYPAYERID", "OP01"},
        {"SECONDARYPAYERADDR1", "200 OTHER RD"},
        {"SECONDARYPAYERCITY", "PHILADELPHIA"},
        {"SECONDARYPAYERSTATE", "PA"},
        {"SECONDARYPAYERZIP", "19101"},
        {"TERTIARYGROUPID", "GRP300"},
        {"TERTIARYGROUPNAME", "THIRD GROUP"},
        {"TERTIARYSUBID", "THIRDID"},
        {"TERTIARYPAYERNAME", "THIRD PAYER"},
        {"TERTIARYPAYERID", "TP01"},
        {"TERTIARYPAYERADDR1", ""},
        // 239 to 244: the providers of the claim's billing-provider level.
        {"HIERARCHIALCLAIMBILLINGPROVIDERNAME", "BILLING CLINIC"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERADDR1", "1 MAIN ST"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERADDR2", "FLOOR 3"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERCITY", "HARRISBURG"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERST", "PA"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERZIP", "17111"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERIDTYPE", "National Provider ID"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERIDCODE", "XX"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERID", "1234567893"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERSECONDARYIDCODE1", "EI"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERSECONDARYID2", "BP77"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERSECONDARYIDTYPE2", "Provider Commercial Number"},
        {"HIERARCHIALCLAIMBILLINGPROVIDERSECONDARYID3", ""},
        {"HIERARCHIALCLAIMPAYTOPROVIDERNAME", "PAYTO OFFICE"},
        {"HIERARCHIALCLAIMPAYTOPROVIDERADDR1", "PO BOX 5"},
        {"HIERARCHIALCLAIMPAYTOPROVIDERCITY", "LANCASTER"},
        {"HIERARCHIALCLAIMPAYTOPROVIDERST", "PA"},
        {"HIERARCHIALCLAIMPAYTOPROVIDERZIP", "17601"},
        {"HIERARCHIALCLAIMPAYTOPROVIDERIDTYPE", "National Provider ID"},
        {"HIERARCHIALCLAIMPAYTOPROVIDERIDCODE", "XX"},
        {"HIERARCHIALCLAIMPAYTOPROVIDERID", "1999999984"},
        {"HIERARCHIALCLAIMPAYTOPROVIDERSECONDARYID1", "444555666"},
        // The unit begins at the subscriber HL: no billing provider of its own.
        {"CLAIMBILLINGPROVIDERNAME", ""},
        {"CLAIMPAYTOPROVIDERNAME", ""},
        // Unit 3 stands under the second billing provider; its codes show
        // both directions of the code lists: SBR02 "180" and PAT01 "190"
        // begin with the codes 18 and 19 (value against entry), SBR09 "1"
        // begins the code 10 (entry against value), CLM05-1 "111" begins
        // with 11.
        {"HIERARCHIALCLAIMBILLINGPROVIDERNAME", "SECOND BILLING", 3},
        {"HIERARCHIALCLAIMBILLINGPROVIDERIDTYPE", "Employers ID", 3},
        {"HIERARCHIALCLAIMBILLINGPROVIDERSECONDARYID1", "SB2", 3},
        {"HIERARCHIALCLAIMPAYTOPROVIDERNAME", "", 3},
        {"CLAIMID", "PCN3", 3},
        {"SUBLNAME", "BROWN", 3},
        {"SUBREL", "Self", 3},
        {"SUBORDER", "Secondary", 3},
        {"SUBCLMTYPECODE", "1", 3},
        {"SUBCLMTYPE", "Central Certification", 3},
        {"PATREL", "Child", 3},
        {"PATLNAME", "", 3},
        {"FACILITYCODEVALUE", "111", 3},
        {"POSDESC", "Office", 3},
        {"POSLINEDESC1", "Home", 3},
        {"PROVSIGNATUREONFILE", "Yes", 3},  // "y", compared upper-cased
        {"PROVACCEPTASSIGNMENTCODE", "Patient Refuses to Assign Benefits", 3},
        {"RELATEDCAUSE", "Other Accident", 3},
    }};

const FixtureTable kProviderUnits{
    // Three billing providers with one subscriber each: the units begin at
    // the billing-provider HLs.
    "837p_5010_provider_units.x12",
    {
        {"CLAIMBILLINGPROVIDERNAME", "FIRST PRACTICE"},
        {"CLAIMBILLINGPROVIDERADDR1", "10 FIRST ST"},
        {"CLAIMBILLINGPROVIDERADDR2", ""},
        {"CLAIMBILLINGPROVIDERCITY", "YORK"},
        {"CLAIMBILLINGPROVIDERST", "PA"},
        {"CLAIMBILLINGPROVIDERZIP", "17401"},
        {"CLAIMBILLINGPROVIDERIDTYPE", ""},  // no NM108
        {"CLAIMBILLINGPROVIDERIDCODE", ""},
        {"CLAIMBILLINGPROVIDERID", ""},
        {"CLAIMBILLINGPROVIDERSECONDARYID1", "100000001"},
        {"CLAIMBILLINGPROVIDERSECONDARYID2", ""},
        {"CLAIMPAYTOPROVIDERNAME", "FIRST PAYTO"},
        {"CLAIMPAYTOPROVIDERZIP", "17402"},
        {"CLAIMPAYTOPROVIDERSECONDARYID1", "100000087"},
        {"BILLINGPROVIDERNAME", "FIRST PRACTICE"},
        {"BILLINGPROVIDERIDTYPE", ""},
        {"BILLINGPROVIDERID", ""},
        {"SUBMITTERADDR1", ""},
        {"SUBMITTERID", "S2"},
        {"SUBMITTERCONTACT", "ANN"},
        {"CLAIMID", "U2", 3},
        {"SUBLNAME", "WHITE", 3},
        {"CLAIMBILLINGPROVIDERNAME", "SECOND PRACTICE", 3},
        {"CLAIMBILLINGPROVIDERIDTYPE", "National Provider ID", 3},
        {"CLAIMBILLINGPROVIDERIDCODE", "XX", 3},
        {"CLAIMBILLINGPROVIDERID", "1888888888", 3},
        {"CLAIMBILLINGPROVIDERSECONDARYID1", "200000002", 3},
        {"CLAIMBILLINGPROVIDERSECONDARYIDCODE2", "G2", 3},
        {"CLAIMBILLINGPROVIDERSECONDARYIDTYPE2", "Provider Commercial Number", 3},
        {"CLAIMBILLINGPROVIDERSECONDARYID3", "", 3},
        {"CLAIMPAYTOPROVIDERNAME", "SECOND PAYTO", 3},
        {"CLAIMPAYTOPROVIDERADDR1", "PO BOX 20", 3},
        {"CLAIMPAYTOPROVIDERCITY", "ERIE", 3},
        {"CLAIMPAYTOPROVIDERSECONDARYID1", "200000087", 3},
        {"CLAIMPAYTOPROVIDERSECONDARYIDCODE", "EI", 3},
        {"HIERARCHIALCLAIMBILLINGPROVIDERNAME", "SECOND PRACTICE", 3},
        {"HIERARCHIALCLAIMPAYTOPROVIDERNAME", "SECOND PAYTO", 3},
        {"HIERARCHIALCLAIMBILLINGPROVIDERNAME", "FIRST PRACTICE", 1},
        {"HIERARCHIALCLAIMPAYTOPROVIDERNAME", "FIRST PAYTO", 1},
        // The middle provider has no pay-to provider of its own.
        {"CLAIMBILLINGPROVIDERNAME", "MIDDLE PRACTICE", 2},
        {"CLAIMPAYTOPROVIDERNAME", "", 2},
        {"HIERARCHIALCLAIMBILLINGPROVIDERNAME", "MIDDLE PRACTICE", 2},
        {"HIERARCHIALCLAIMPAYTOPROVIDERNAME", "", 2},
        {"HIERARCHIALCLAIMPAYTOPROVIDERSECONDARYID1", "", 2},
        {"CLAIMPAYTOPROVIDERSECONDARYID1", "", 2},
        {"BILLINGPROVIDERNAME", "FIRST PRACTICE", 3},
        {"BILLINGPROVIDERSECONDARYID1", "100000001", 3},
        {"PAYTOPROVIDERNAME", "FIRST PAYTO", 3},
    }};

const FixtureTable kInstitutional4010{
    "837i_4010_claim.x12",
    {
        {"TSCONTROLNUMBER", "0041"},
        {"SUBMITTERNAME", "HOSPITAL BILLING"},
        {"BILLINGPROVIDERNAME", "GENERAL HOSPITAL"},
        {"CLAIMTYPE", "Institutional"},
        {"CLAIMID", "INST1"},
        {"CLAIMAMT", "1500.00"},
        {"CLAIMAMTDDDDDD_CC", "1500 00"},
        {"TYPEOFBILL", "131"},
        {"FACILITYCODEQUALIFIER", "A"},
        {"POSDESC", ""},  // 13 is not in the place-of-service list
        {"PROVSIGNATUREONFILE", ""},
        {"PROVACCEPTASSIGNMENTCODE", "Assigned"},
        {"STATEMENTDATE", "20230301-20230305"},
        {"ADMISSIONDATETIME", "202303011000"},
        {"DISCHARGEHOUR", "1130"},
        {"DISCHARGEDATE", "1130"},  // no CR6: DTP*096
        {"ADJUDDATE", "20230310"},
        {"ADMISSIONTYPECODE", "5"},
        {"ADMISSIONTYPE", "Error = 5"},
        {"ADMISSIONSOURCECODE", "7"},
        {"ADMISSIONSOURCE", "Emergency Room"},
        {"PATIENTSTATUSCODE", "20"},
        {"PATIENTSTATUS", "Expired (Christian Science Patient"},
        {"ICNDCN", "ORIGICN"},
        {"MEDICALRECORDNUMBER", "MRN4010"},
        {"PRIORAUTHORIZATIONNUMBER", "AUTH4010"},
        {"PATIENTAMOUNTPAID", "100"},
        {"CLAIMNOTEADD", "INST NOTE"},
        {"PRINCIPALDX", "4019"},
        {"ADMITDX", "7802"},
        {"ECODE", ""},  // no HI begins with BN
        {"DRG", "470"},
        {"DX1", "4019"},
        {"DX2", "7802"},
        {"DX3", "E8889"},
        {"DX3_XX", "E88 89"},
        {"OTHERDX01", "25000"},
        {"OTHERDX02", "4280"},
        {"OTHERDX03", ""},
        {"OTHERDXA02", "4280"},
        {"OTHERDXB01", "V5861"},  // the second HI with BF
        {"OTHERDXC01", ""},
        {"OTHERDX13", ""},
        {"PRINCIPLEPROC", "3722"},  // no BP: BR
        {"PRINCIPLEPROCDATE", "20230302"},
        {"OTHERPROC01", "8872"},  // no BO: BQ
        {"OTHERPROC02", "9904"},
        {"OTHERPROCDATE01", "20230303"},
        {"OTHERPROCDATE02", "20230304"},
        {"OTHERPROCDATE03", ""},
        {"OTHERPROCB01", ""},
        {"OCCURRENCESPAN01", "70"},
        {"OCCURRENCECODE01", "11"},
        {"OCCURRENCECODE02", "24"},
        {"OCCURRENCEDATE01", "20230228"},
        {"OCCURRENCEDATE02", "20230227"},
        {"VALUECODE01", "80"},
        {"VALUEAMOUNT01", "4"},
        {"VALUECODE02", "A1"},
        {"VALUEAMOUNT02", "125.5"},
        {"VALUECODE03", "01"},
        {"VALUEQTY03", "2"},
        {"VALUEQTY01", ""},
        {"CONDITIONCODE01", "01"},
        {"CONDITIONCODE02", "17"},
        {"CONDITIONDATE01", "20230225"},
        {"CONDITIONDATE02", ""},
        {"TREATMENTCODE01", "A1"},
        {"ATTENDLNAME", "ATTEND"},
        {"ATTENDFNAME", "ANNA"},
        {"ATTENDID", "1666666666"},
        {"ATTENDSECONDARYID1", "ATT1G"},
        {"ATTENDSECONDARYIDCODE1", "1G"},
        {"ATTENDSECONDARYIDTYPE1", "Provider UPIN Number"},
        {"OPERATELNAME", "OPERATOR"},
        {"OPERATEFNAME", "OTTO"},
        {"OPERATEID", "1555555555"},
        {"OPERATESECONDARYID1", "OPR1G"},
        {"OPERATESECONDARYIDCODE", "1G"},
        {"OPERATESECONDARYIDTYPE1", "Provider UPIN Number"},
        {"FACILITYNAME", "FACILITY FA"},  // 4010: NM1*FA
        {"FACILITYADDR1", "2 FACILITY WAY"},
        {"FACILITYCITY", "PITTSBURGH"},
        {"FACILITYZIP", "15202"},
        {"FACILITYID", "1444444444"},
        {"FACILITYSECONDARYID1", "FAC1J"},
        {"FACILITYSECONDARYIDTYPE1", "Facility ID Number"},
        {"SERVICELOCATIONNAME", "LOCATION 77"},
        {"ILINE1", "SSV2"},
        {"IREVCODE1", "0300"},
        {"IPROCTYPE1", "HC"},
        {"IPROC1", "85025"},
        {"IMODA1", "AA"},
        {"IMODB1", "BB"},
        {"IMODC1", "CC"},
        {"IMODD1", "DD"},
        {"IAMT1", "50"},
        {"IUNITSTYPE1", "Unit"},
        {"IUNITSQTY1", "2"},
        {"IUNITS1", "2"},
        {"IUNITSRATE1", "25"},
        {"IDOS1", "20230301"},
        {"IADJUDDATE1", "20230310"},
        {"IADJUDID1", "00120"},
        {"IADJUDAMT1", "40"},
        {"NDCCODE1", ""},
        {"ILINE2", "SSV2"},
        {"IREVCODE2", "0450"},
        {"IUNITSTYPE2", "Days"},
        {"IUNITSRATE2", "100"},
        {"IADJUDDATE2", ""},
        {"NDCCODE2", "00093101001"},
        {"NDCUNITPRICE2", "12.5"},
        {"NDCUNITS2", "2"},
        {"IUNITSTYPE3", "International Unit"},
        {"IPROC3", ""},
        {"ILINE4", ""},
        {"PROC1", ""},
        {"SUBMI", "T"},
        {"SUBCLMTYPE", ""},  // no code of the SBR09 list begins with MA
        {"SUBCLMTYPECODE", ""},
        {"PAYERNAME", "MEDICARE A"},
    }};

const FixtureTable kInstitutional5010{
    "837i_5010_icd10.x12",
    {
        {"CLAIMTYPE", "Institutional"},
        {"PRINCIPALDX", "I2510"},
        {"ADMITDX", ""},
        {"ECODE", "X580XXA"},
        {"OTHERDX01", "E785"},
        {"OTHERDX02", "I10"},
        {"PRINCIPLEPROC", "02703ZZ"},
        {"PRINCIPLEPROCDATE", "20230401"},
        {"OTHERPROC01", "0BH17EZ"},
        {"OTHERPROCDATE01", "20230401"},
        {"DX1", "I2510"},
        {"DX1_XX", "I25 10"},
        {"FACILITYNAME", "CITY HOSPITAL CAMPUS"},  // 5010: NM1*77
        {"FACILITYADDR1", "9 CAMPUS RD"},
        {"FACILITYZIP", "16502"},
        {"SERVICELOCATIONNAME", "CITY HOSPITAL CAMPUS"},
        {"DISCHARGEDATE", "20230415"},  // CR605
        {"ADMISSIONTYPE", "Emergency"},
        {"ADMISSIONSOURCE", "Clinic Referal"},
        {"PATIENTSTATUSCODE", "01"},
        {"PATIENTSTATUS", "Discharged to home or self care (routine discharge)"},
        {"PROVACCEPTASSIGNMENTCODE", "Not Assigned"},
        {"SUBCLMTYPE", "Medicare Part B"},
        {"SUBCLMTYPECODE", "MB"},
        {"STATEMENTDATE", "20230401-20230402"},
        {"IUNITSTYPE1", "Days"},
        {"IAMT1", "900"},
        {"IDOS1", "20230401-20230402"},
        {"MM_DD_YY_DOSF1", "04 01 23"},
        {"MM_DD_YY_DOST1", "04 02 23"},
    }};

const FixtureTable kDental4010{"837d_4010_dental.x12",
                               {
                                   {"CLAIMTYPE", "Dental"},
                                   {"DPROC1", "D2150"},
                                   {"DMODA1", "L"},
                                   {"DMODB1", "R"},
                                   {"DMODC1", ""},
                                   {"DAMT1", "150"},
                                   {"TOOTH1", "3"},
                                   {"TOOTH2", "14"},
                                   {"DPROC2", "D1110"},
                                   {"DAMT2", "100"},
                                   // The suffix is a component of TOO03 of the claim's first TOO.
                                   {"TOOTHSURFACE1", "Mesial"},
                                   {"TOOTHSURFACE2", "Occlusal"},
                                   {"TOOTHSURFACE3", "Distal"},
                                   {"TOOTHSURFACE4", ""},
                                   {"TOOTHSURFACE", ""},
                                   {"TOOTHSERFACE1", "Mesial"},  // the dental catalogue's spelling
                                   {"TOOTHSERFACE2", "Occlusal"},
                                   {"DOS1", ""},
                                   {"FACILITYNAME", ""},
                                   {"BILLINGPROVIDERIDTYPE", "Employers ID"},
                               }};

const FixtureTable kDental5010{"837d_5010_dental.x12",
                               {
                                   {"CLAIMTYPE", "Dental"},
                                   {"DPROC1", "D2330"},
                                   {"DAMT1", "80"},
                                   {"TOOTH1", "8"},
                                   {"TOOTHSURFACE1", "Incisal"},
                                   {"TOOTHSURFACE2", "Lingual"},
                                   {"TOOTHSERFACE3", "Facial"},
                               }};

const FixtureTable* const kTables[] = {&kProfessional,      &kProviderUnits, &kInstitutional4010,
                                       &kInstitutional5010, &kDental4010,    &kDental5010};

void CheckTable(const FixtureTable& table) {
  const auto f = Load(table.file);
  ASSERT_GT(f->x12.list.size(), 10u) << table.file;
  for (const Case& c : table.cases) {
    EXPECT_EQ(f->Get(c.name, c.claim, c.occurrence), c.value)
        << table.file << ": " << c.name << " of claim " << c.claim << " occurrence "
        << c.occurrence;
  }
}

TEST(ClaimLookup, ProfessionalClaimsOfEveryGroup) { CheckTable(kProfessional); }
TEST(ClaimLookup, ProvidersOfUnitsThatBeginAtTheBillingProvider) { CheckTable(kProviderUnits); }
TEST(ClaimLookup, Institutional4010) { CheckTable(kInstitutional4010); }
TEST(ClaimLookup, Institutional5010WithIcd10Qualifiers) { CheckTable(kInstitutional5010); }
TEST(ClaimLookup, Dental4010And5010) {
  CheckTable(kDental4010);
  CheckTable(kDental5010);
}

// Every group code of the vocabulary is asked for at least once with a value.
TEST(ClaimLookup, FixtureTablesReachEveryGroupCode) {
  std::set<FieldGroupCode> reached;
  for (const FixtureTable* t : kTables) {
    for (const Case& c : t->cases) {
      if (*c.value != '\0') reached.insert(FieldGroupOf(c.name, UserFieldTable()));
    }
  }
  for (FieldGroupCode code = 101; code <= 111; ++code) EXPECT_TRUE(reached.count(code)) << code;
  for (FieldGroupCode code = 201; code <= 246; ++code) EXPECT_TRUE(reached.count(code)) << code;
}

TEST(ClaimLookup, EveryNameOfTheTableHasARule) {
  const auto table = FieldNameTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const bool empty_by_design = table[i].code == kAlwaysEmptyFieldCode;
    EXPECT_EQ(rules::RuleForEntry(static_cast<int>(i)) == nullptr, empty_by_design)
        << table[i].text;
  }
}

constexpr const char* kUdfIni =
    "[X12UDF]\r\n"
    "UDF=MYMRN\r\nSEGMENT=REF\r\nQUALIFIER=EA\r\nLOOP=2300\r\nRETURN=3\r\n"
    "UDF=MYBILLER\r\nSEGMENT=NM1\r\nQUALIFIER=85\r\nLOOP=2010AA\r\nRETURN=4\r\n"
    "UDF=MYX\r\nSEGMENT=REF\r\nQUALIFIER=ZZ\r\nLOOP=2300\r\nRETURN=3\r\n"
    "UDF=MYXY\r\nSEGMENT=REF\r\nQUALIFIER=G1\r\nLOOP=2300\r\nRETURN=3\r\n"
    "UDF=MYSEG\r\nSEGMENT=CLM\r\nLOOP=2300\r\nRETURN=1\r\n"
    "UDF=MYNOTHING\r\nSEGMENT=REF\r\nQUALIFIER=EA\r\nLOOP=2300\r\nRETURN=X\r\n";

TEST(ClaimLookup, UserDefinedNamesOfClaimAndHeaderLoops) {
  const auto f = Load("837p_5010_claims.x12");
  const UserFieldTable udf = UserFieldTable::FromText(kUdfIni);
  const Case cases[] = {
      {"MYMRN", "MRN999"},             // loop 2300: REF02 of the claim's REF*EA
      {"mymrn", "MRN999"},             // user names ignore letter case
      {"MYMRN", "", 3},                // that claim has no REF*EA
      {"MYBILLER", "BILLING CLINIC"},  // loop 2010AA: header level, the list's first NM1*85
      {"MYBILLER", "BILLING CLINIC", 3},
      {"MYXY", "PA777"},  // MYX (no REF*ZZ) is tried first, then MYXY
      {"MYSEG", "CCLM"},  // field 1: the id with its first letter twice
      {"MYNOTHING", ""},  // RETURN is not a number
      {"MYUNKNOWN", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(f->Get(c.name, c.claim, c.occurrence, udf), c.value) << c.name << " " << c.claim;
  }
  EXPECT_EQ(BindField("MYMRN", udf).code(), kUserClaimFieldCode);
  EXPECT_EQ(BindField("MYBILLER", udf).code(), kUnknownFieldCode);
  // A header-level user name is not answered at claim level, nor the reverse.
  EXPECT_EQ(f->lookup.Value(BindField("MYBILLER", udf), 1, 1), "");
  EXPECT_EQ(f->lookup.HeaderValue(BindField("MYMRN", udf), 1), "");
}

// The lookup remembers header values and the searches of the whole list: one
// name defined anew by another table keeps to its own definition.
TEST(ClaimLookup, HeaderUserNamesOfSeveralTablesOnOneLookup) {
  const auto f = Load("837p_5010_claims.x12");
  const struct {
    const char* qualifier;
    const char* value;
  } tables[] = {
      {"85", "BILLING CLINIC"}, {"41", "PREMIER BILLING SERVICE"}, {"85", "BILLING CLINIC"}};
  for (const auto& t : tables) {
    const std::string ini = std::string("[X12UDF]\r\nUDF=MYHEADER\r\nSEGMENT=NM1\r\nQUALIFIER=") +
                            t.qualifier + "\r\nLOOP=1000A\r\nRETURN=4\r\n";
    EXPECT_EQ(f->Get("MYHEADER", 1, 1, UserFieldTable::FromText(ini)), t.value) << t.qualifier;
  }
}

TEST(ClaimLookup, ClaimsAndOccurrencesOutOfRange) {
  const auto f = Load("837p_5010_claims.x12");
  EXPECT_EQ(f->lookup.UnitCount(), 3u);
  EXPECT_EQ(f->lookup.SubscriberLevelCount(), 3u);
  EXPECT_EQ(f->lookup.ClaimCount(1), 1u);
  EXPECT_EQ(f->lookup.ClaimCount(2), 2u);
  EXPECT_EQ(f->lookup.ClaimCount(4), 0u);
  EXPECT_EQ(f->Get("CLAIMID", 0), "");
  EXPECT_EQ(f->Get("CLAIMID", 4), "");
  EXPECT_EQ(f->Get("CLAIMID", 1, 0), "");
  EXPECT_EQ(f->Get("CLAIMID", 1, 2), "");  // unit 1 holds one claim
  EXPECT_EQ(f->Get("CLAIMID", 2, 3), "");
  EXPECT_EQ(f->Get("MULTICLAIMTOTAL", 0), "");
  // Header names: the providers need a claim the index knows, the
  // submitter does not.
  EXPECT_EQ(f->Get("BILLINGPROVIDERNAME", 0), "");
  EXPECT_EQ(f->Get("BILLINGPROVIDERNAME", 4), "");
  EXPECT_EQ(f->Get("SUBMITTERNAME", 0), "PREMIER BILLING SERVICE");

  // A list without claim units (no billing-provider HL): its index is {1}
  // and record 1 carries no claim number.
  const std::string no_units =
      "ISA*00*          *00*          *ZZ*A              *ZZ*B              "
      "*230101*1200*^*00501*000000001*0*P*:~ST*837*1~NM1*41*2*SENDER*****46*S~"
      "NM1*85*2*LONE BILLER~CLM*X1*5~SE*5*1~IEA*1*000000001~";
  Loaded bare(no_units, true);
  EXPECT_EQ(bare.lookup.UnitCount(), 1u);
  EXPECT_EQ(bare.Get("SUBMITTERNAME"), "SENDER");
  EXPECT_EQ(bare.Get("BILLINGPROVIDERNAME"), "");
  EXPECT_EQ(bare.Get("CLAIMID"), "");  // no subscriber HL to search from
}

// The lookup remembers the last unit and claim; asking other units in
// between (ClaimCount included) must not leak into the next answer.
TEST(ClaimLookup, RequestsInAnyOrderGiveTheSameText) {
  const auto f = Load("837p_5010_claims.x12");
  const BoundField total = BindField("MULTICLAIMTOTAL", UserFieldTable());
  const BoundField patient = BindField("PATLNAME", UserFieldTable());
  EXPECT_EQ(f->lookup.Value(total, 2, 2), "125.3");
  EXPECT_EQ(f->lookup.ClaimCount(1), 1u);
  EXPECT_EQ(f->lookup.Value(total, 2, 2), "125.3");
  EXPECT_EQ(f->lookup.ClaimCount(3), 1u);
  EXPECT_EQ(f->lookup.Value(patient, 2, 2), "JONES");
  EXPECT_EQ(f->lookup.Value(total, 1, 1), "125.5");
  EXPECT_EQ(f->lookup.Value(patient, 2, 1), "");
  EXPECT_EQ(f->lookup.Value(patient, 1, 1), "SMITH");
}

TEST(ClaimLookup, ClaimTypeNeedsALineOne) {
  const std::string isa =
      "ISA*00*          *00*          *ZZ*A              *ZZ*B              "
      "*230101*1200*^*00501*000000001*0*P*:~ST*837*1~HL*1**20*1~NM1*85*2*B~HL*2*1*22*0~"
      "NM1*IL*1*SUB~CLM*X1*5~";
  Loaded no_lines(isa + "SE*1*1~IEA*1*1~", true);
  EXPECT_EQ(no_lines.Get("CLAIMID"), "X1");
  EXPECT_EQ(no_lines.Get("CLAIMTYPE"), "");
  Loaded line_two(isa + "LX*2~SV1*HC:1*5~SE*1*1~IEA*1*1~", true);
  EXPECT_EQ(line_two.Get("CLAIMTYPE"), "");
  EXPECT_EQ(line_two.Get("PROC2"), "1");
}

TEST(ClaimLookup, SubmitterAddressOnlyWithASubmitterName) {
  const std::string isa =
      "ISA*00*          *00*          *ZZ*A              *ZZ*B              "
      "*230101*1200*^*00501*000000001*0*P*:~";
  const std::string tail = "N3*1 SENDER ST~PER*IC*BOB~HL*1**20*1~SE*5*1~IEA*1*000000001~";
  Loaded named(isa + "ST*837*1~NM1*41*2*SENDER*****46*S1~" + tail, true);
  Loaded unnamed(isa + "ST*837*1~NM1*41*2******46*S1~" + tail, true);
  for (const char* name : {"SUBMITTERID", "SUBMITTERADDR1", "SUBMITTERCONTACT"}) {
    EXPECT_NE(named.Get(name), "") << name;
    EXPECT_EQ(unnamed.Get(name), "") << name;
  }
}

// The formatting rules on values the fixtures do not hold.
TEST(ClaimLookup, FormattingRules) {
  struct FormatCase {
    rules::Format format;
    const char* raw;
    const char* expected;
  };
  const FormatCase cases[] = {
      {rules::Format::kAmountSplit, "125.50", "125 50"},
      {rules::Format::kAmountSplit, "125", "125 00"},
      {rules::Format::kAmountSplit, ".5", " 5"},
      {rules::Format::kDosFrom, "20230131", "01 31 23"},
      {rules::Format::kDosFrom, "20230131-20230203", "01 31 23"},
      {rules::Format::kDosFrom, "230131", "01 31 23"},
      {rules::Format::kDosFrom, "2023013", ""},
      {rules::Format::kDosTo, "20230131-20230203", "02 03 23"},
      {rules::Format::kDosTo, "20230131", ""},
      {rules::Format::kDxBlank, "25000", "250 00"},
      {rules::Format::kDxBlank, "401", "401"},
      {rules::Format::kYesNo, "n", "No"},
      {rules::Format::kYesNo, "W", "W"},
      {rules::Format::kAssignment, "N", "Not Assigned"},
      {rules::Format::kRelatedCause, "AB", "Auto Abuse"},
      {rules::Format::kRelatedCause, "EM", "Employment"},
      {rules::Format::kToothSurface, "F", "Facial"},
      {rules::Format::kUnitWords, "UN", "Unit"},
      {rules::Format::kAdmissionType, "", "Error = "},
      {rules::Format::kAdmissionSource, "A", "Transfer form a Rural Primary Care Hospital"},
      {rules::Format::kPatientStatus, "51", "Hospice - medical facility"},
      {rules::Format::kPatientStatus, "6",
       "Discharged/transfered to home under care of Home Health Service "},
      {rules::Format::kPatientStatus, "X", "Error = X"},
      {rules::Format::kClaimType, "SSV3", "Dental"},
      {rules::Format::kClaimType, "SSVD", ""},
  };
  const x12::SegmentList list;
  for (const FormatCase& c : cases) {
    rules::Rule r;
    r.format = c.format;
    EXPECT_EQ(rules::Apply(r, ResolvedField(), c.raw, true, list, 0), c.expected) << c.raw;
  }
  // The institutional words answer even when CL1 is absent.
  rules::Rule r;
  r.format = rules::Format::kAdmissionType;
  EXPECT_EQ(rules::Apply(r, ResolvedField(), "", false, list, 0), "Error = ");
  r.format = rules::Format::kAmountSplit;
  EXPECT_EQ(rules::Apply(r, ResolvedField(), "", false, list, 0), "");
}

// --- the mended faults -------------------------------------------------------

// Unit 2 of the professional fixture holds two claims: PCN2A directly under
// the subscriber (one line, no REF*D9) and PCN2B under a patient level (two
// lines, REF*D9). Read with the bare occurrence counter over the whole unit,
// one claim answers for the other.
TEST(ClaimLookupFaults, SeveralClaimsInOneUnitReadTheirOwnLoops) {
  const auto f = Load("837p_5010_claims.x12");
  struct Row {
    const char* name;
    std::size_t occurrence;
    const char* own;      // this lookup
    const char* counted;  // the bare counter
  };
  const Row rows[] = {
      {"CLAIMID", 1, "PCN2A", "PCN2A"},
      {"CLAIMID", 2, "PCN2B", "PCN2B"},
      {"CLEARINGIDNUMBER", 1, "", "CLEAR2B"},
      {"CLEARINGIDNUMBER", 2, "CLEAR2B", "CLEAR2B"},
      {"PATLNAME", 1, "", "JONES"},  // claim A's patient is the subscriber
      {"PATFNAME", 2, "MARY", "MARY"},
      {"PATREL", 1, "", "Spouse"},
      {"PATREL", 2, "Spouse", "Spouse"},
      {"PROC2", 1, "", "97110"},
      {"LINEITEMCONTROLNUMBER2", 1, "", "L2B2"},
      {"PROC1", 2, "99213", "99212"},
      {"DOS1", 2, "20230111", "20230110"},
      {"PRIMARYPAYERNAME", 2, "PAYER ONE", ""},
      {"HIERARCHIALCLAIMBILLINGPROVIDERNAME", 2, "BILLING CLINIC", ""},
      {"RELATEDCAUSE", 1, "Employment", "Employment"},
      {"RELATEDCAUSE", 2, "Auto Abuse", "Auto Abuse"},
      {"ONSETOFILLNESDATE", 1, "20230110", "20230110"},
      {"PRINCIPALDX", 2, "M545", "M545"},
      {"FACILITYCODEVALUE", 2, "21", "21"},
      {"POSDESC", 2, "Inpatient", "Inpatient"},
      {"SUBLNAME", 2, "JONES", "JONES"},
      {"SUBFNAME", 2, "MARK", "MARK"},
      {"MULTICLAIMTOTAL", 1, "125.3", "125.3"},
      {"MULTICLAIMTOTAL", 2, "125.3", "125.3"},
  };
  for (const Row& r : rows) {
    const BoundField field = BindField(r.name, UserFieldTable());
    EXPECT_EQ(f->lookup.Value(field, 2, r.occurrence), r.own) << r.name << " " << r.occurrence;
    EXPECT_EQ(f->counted.Value(field, 2, r.occurrence), r.counted) << r.name << " " << r.occurrence;
  }
}

// With one CLM in a unit the claim reads exactly what the documented scans
// of the whole unit find, for every name.
TEST(ClaimLookupFaults, UnitsWithOneClaimKeepTheDocumentedValues) {
  std::size_t units = 0;
  for (const FixtureTable* t : kTables) {
    const auto f = Load(t->file);
    for (std::size_t c = 1; c <= f->lookup.UnitCount(); ++c) {
      if (f->lookup.ClaimCount(c) > 1) continue;
      ++units;
      for (const std::string& name : ExpandedFieldNames(3, 3)) {
        const BoundField field = BindField(name, UserFieldTable());
        ASSERT_EQ(f->lookup.Value(field, c, 1), f->counted.Value(field, c, 1))
            << t->file << " " << name << " claim " << c;
      }
    }
  }
  EXPECT_GE(units, 8u);
}

// CLAIMBILLINGPROVIDERSECONDARY* and CLAIMPAYTOPROVIDERSECONDARY* read the
// REFs after the unit's own NM1*85 / NM1*87; the header repeat of the
// file's first NM1 gives the first provider's for every unit.
TEST(ClaimLookupFaults, ClaimProviderSecondaryIdsAreTheUnitsOwn) {
  const auto f = Load("837p_5010_provider_units.x12");
  struct Row {
    const char* name;
    const char* own;
    const char* first_provider;
  };
  const Row rows[] = {
      {"CLAIMBILLINGPROVIDERSECONDARYID1", "200000002", "100000001"},
      {"CLAIMBILLINGPROVIDERSECONDARYIDCODE2", "G2", ""},
      {"CLAIMPAYTOPROVIDERSECONDARYID1", "200000087", "100000087"},
  };
  for (const Row& r : rows) {
    const BoundField field = BindField(r.name, UserFieldTable());
    EXPECT_EQ(f->lookup.Value(field, 3, 1), r.own) << r.name;
    // The same rule read as a header repeat from the list's first NM1.
    rules::Rule header_repeat = *field.rule();
    header_repeat.scope = rules::Scope::kList;
    header_repeat.anchor = header_repeat.via;
    header_repeat.via = rules::Seg{};
    EXPECT_EQ(f->reference.ValueWithRule(field, header_repeat, 3, 1), r.first_provider) << r.name;
  }
}

// ABK, ABF, ABN, BBR and BBQ are read like BK, BF, BN, BR and BQ.
TEST(ClaimLookupFaults, Icd10QualifiersReadLikeTheirIcd9Twins) {
  const auto f = Load("837i_5010_icd10.x12");
  const char* const names[] = {"PRINCIPALDX", "OTHERDX01", "ECODE", "PRINCIPLEPROC", "OTHERPROC01"};
  for (const char* name : names) {
    const BoundField field = BindField(name, UserFieldTable());
    EXPECT_NE(f->lookup.Value(field, 1, 1), "") << name;
    // The same rule knowing only the ICD-9 qualifier finds nothing.
    rules::Rule icd9 = *field.rule();
    icd9.anchor.q2 = {};
    rules::Rule fallback;
    if (icd9.fallback != nullptr) {
      fallback = *icd9.fallback;
      fallback.anchor.q2 = {};
      icd9.fallback = &fallback;
    }
    EXPECT_EQ(f->reference.ValueWithRule(field, icd9, 1, 1), "") << name;
  }
}

// MULTICLAIMTOTAL adds exactly: 50.1 + 75.2 is 125.3, which a double sum
// misses.
TEST(ClaimLookupFaults, ClaimTotalsAreExact) {
  const auto f = Load("837p_5010_claims.x12");
  EXPECT_EQ(f->Get("MULTICLAIMTOTAL", 2, 1), "125.3");
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, 50.1 + 75.2).ptr;
  EXPECT_NE(std::string(buffer, end), "125.3");
}

// --- the fast lookup against the documented scans ---------------------------

// Asks every name of the table (and a few user names) for every claim and
// occurrence, plus one beyond each end, in claim order and again in name
// order (so that the lookup's remembered claim changes between requests).
void ExpectSameAsReference(const x12::SegmentList& list, const x12::ClaimIndex& index,
                           const std::string& what, bool both_orders) {
  const ClaimLookup lookup(list, index);
  const ReferenceClaimLookup reference(list, index);
  const UserFieldTable udf = UserFieldTable::FromText(kUdfIni);
  std::vector<BoundField> fields;
  for (const std::string& name : ExpandedFieldNames(4, 3)) fields.push_back(BindField(name, udf));
  for (const char* name : {"MYMRN", "MYBILLER", "MYXY", "MYSEG"}) {
    fields.push_back(BindField(name, udf));
  }
  struct Request {
    std::size_t claim;
    std::size_t occurrence;
  };
  std::vector<Request> requests;
  for (std::size_t c = 0; c <= lookup.UnitCount() + 1; ++c) {
    const std::size_t m = std::max<std::size_t>(lookup.ClaimCount(c), 1);
    for (std::size_t k = 0; k <= m + 1; ++k) requests.push_back({c, k});
  }
  std::size_t mismatches = 0;
  // The export's form writes every value into one text whose old contents
  // must never show through.
  std::string reused = "left over from an earlier value";
  auto compare = [&](const BoundField& field, const Request& r) {
    const std::string fast = field.IsClaimLevel() ? lookup.Value(field, r.claim, r.occurrence)
                                                  : lookup.HeaderValue(field, r.claim);
    const std::string slow = field.IsClaimLevel() ? reference.Value(field, r.claim, r.occurrence)
                                                  : reference.HeaderValue(field, r.claim);
    lookup.LookupInto(field, r.claim, r.occurrence, reused);
    if ((fast != slow || reused != slow) && ++mismatches <= 10) {
      ADD_FAILURE() << what << ": " << field.name() << " claim " << r.claim << " occurrence "
                    << r.occurrence << ": \"" << fast << "\" (into a text: \"" << reused
                    << "\") but the scans give \"" << slow << "\"";
    }
  };
  for (const Request& r : requests) {
    for (const BoundField& field : fields) compare(field, r);
  }
  if (both_orders) {
    for (const BoundField& field : fields) {
      for (const Request& r : requests) compare(field, r);
    }
  }
  EXPECT_EQ(mismatches, 0u) << what;
}

TEST(ClaimLookupAgreement, FixturesGiveWhatTheDocumentedScansGive) {
  std::vector<fs::path> files;
  for (const char* folder : {"tests/data/claims", "tests/data/x12"}) {
    for (const auto& e : fs::directory_iterator(fs::path(ARDENTIX_SOURCE_DIR) / folder)) {
      if (e.is_regular_file()) files.push_back(e.path());
    }
  }
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));
  for (const fs::path& file : files) {
    const x12::X12File x = x12::LoadX12File(file, false);
    ExpectSameAsReference(x.list, x.index, file.filename().string(), true);
  }
}

TEST(ClaimLookupAgreement, SampleFilesGiveWhatTheDocumentedScansGive) {
  const fs::path root = fs::path(ARDENTIX_SAMPLES_DIR) / "files";
  if (!fs::is_directory(root)) GTEST_SKIP() << "sample folder " << root << " is absent";
  ui::ScopedUi quiet(std::make_unique<ui::HeadlessUi>(nullptr));
  std::size_t files = 0, claims = 0;
  for (const auto& e : fs::directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    const x12::X12File x = x12::LoadX12File(e.path(), false);
    const std::string name = e.path().filename().string();
    ++files;
    ExpectSameAsReference(x.list, x.index, name, false);
    // The sets as the dispatcher hands them to the claim listing.
    if (!x12::SetHeaderValue(x.list, x.list.size(), 1, 1, "ST").starts_with("837")) continue;
    for (std::size_t i = 1; i <= x12::CountSegmentsOfKind("ISA", x.list); ++i) {
      const x12::SegmentList batch = x12::ExtractInterchange(x.list, i);
      for (std::size_t s = 1; s <= x12::CountSegmentsOfKind("ST", batch); ++s) {
        const x12::SegmentList set = x12::ExtractSet(batch, s);
        const x12::ClaimIndex index = x12::BuildClaimIndex(set, 3);
        claims += x12::CountSegmentsOfKind("HL", set);
        ExpectSameAsReference(set, index, name + " set " + std::to_string(s), false);
      }
    }
  }
  EXPECT_GT(files, 100u);
  EXPECT_GT(claims, 100u);
}

// --- other tools' readings of the shared samples ----------------------------

// The text between <tag> and </tag> of every occurrence, in order.
std::vector<std::string_view> Regions(std::string_view text, std::string_view tag) {
  std::vector<std::string_view> out;
  const std::string open = "<" + std::string(tag) + ">";
  const std::string close = "</" + std::string(tag) + ">";
  std::size_t at = 0;
  while ((at = text.find(open, at)) != std::string_view::npos) {
    const std::size_t begin = at + open.size();
    const std::size_t end = text.find(close, begin);
    if (end == std::string_view::npos) break;
    out.push_back(text.substr(begin, end - begin));
    at = end + close.size();
  }
  return out;
}

std::string TagValue(std::string_view region, std::string_view tag) {
  const auto values = Regions(region, tag);
  return values.empty() ? std::string() : std::string(values.front());
}

TEST(ClaimLookupSamples, Pyx12Simple837pAgreesWithItsXmlRendering) {
  const fs::path root = ARDENTIX_SAMPLES_DIR;
  std::string xml;
  if (!ReadWholeFile(root / "expected/pyx12__test_files_simple_837p.xml.idtag", xml)) {
    GTEST_SKIP() << "pyx12 sample rendering is absent";
  }
  Loaded f(root / "files/pyx12__simple_837p.txt");
  ASSERT_EQ(f.lookup.UnitCount(), 1u);
  ASSERT_EQ(f.lookup.ClaimCount(1), 2u);

  const std::string_view billing = Regions(xml, "L2010AA").at(0);
  const std::string_view subscriber = Regions(xml, "L2010BA").at(0);
  const std::string_view payer = Regions(xml, "L2010BB").at(0);
  const std::string_view sbr = Regions(Regions(xml, "L2000B").at(0), "SBR").at(0);
  struct Pair {
    const char* name;
    std::string expected;
  };
  const Pair header[] = {
      {"BILLINGPROVIDERNAME", TagValue(billing, "NM103")},
      {"HIERARCHIALCLAIMBILLINGPROVIDERNAME", TagValue(billing, "NM103")},
      {"BILLINGPROVIDERIDCODE", TagValue(billing, "NM108")},
      {"BILLINGPROVIDERID", TagValue(billing, "NM109")},
      {"BILLINGPROVIDERADDR1", TagValue(billing, "N301")},
      {"BILLINGPROVIDERCITY", TagValue(billing, "N401")},
      {"BILLINGPROVIDERST", TagValue(billing, "N402")},
      {"BILLINGPROVIDERZIP", TagValue(billing, "N403")},
      {"BILLINGPROVIDERSECONDARYIDCODE1", TagValue(billing, "REF01")},
      {"BILLINGPROVIDERSECONDARYID1", TagValue(billing, "REF02")},
      {"SUBLNAME", TagValue(subscriber, "NM103")},
      {"SUBFNAME", TagValue(subscriber, "NM104")},
      {"SUBID", TagValue(subscriber, "NM109")},
      {"SUBADDR1", TagValue(subscriber, "N301")},
      {"SUBCITY", TagValue(subscriber, "N401")},
      {"SUBST", TagValue(subscriber, "N402")},
      {"SUBZIP", TagValue(subscriber, "N403")},
      {"SUBDOB", TagValue(subscriber, "DMG02")},
      {"SUBSEX", TagValue(subscriber, "DMG03")},
      {"SUBORDERCODE", TagValue(sbr, "SBR01")},
      {"SUBCLMTYPECODE", TagValue(sbr, "SBR09")},
      {"PAYERNAME", TagValue(payer, "NM103")},
      {"PAYERID", TagValue(payer, "NM109")},
  };
  for (std::size_t k = 1; k <= 2; ++k) {
    for (const Pair& p : header) {
      ASSERT_NE(p.expected, "") << p.name;
      EXPECT_EQ(f.Get(p.name, 1, k), p.expected) << p.name << " claim " << k;
    }
  }
  // The patient is the subscriber: SBR02 18, no patient level.
  EXPECT_EQ(TagValue(sbr, "SBR02"), "18");
  EXPECT_TRUE(Regions(xml, "L2010CA").empty());
  EXPECT_EQ(f.Get("SUBREL"), "Self");
  EXPECT_EQ(f.Get("PATLNAME"), "");

  // Each claim and its service lines.
  const auto claims = Regions(xml, "L2300");
  ASSERT_EQ(claims.size(), 2u);
  for (std::size_t k = 1; k <= claims.size(); ++k) {
    const std::string_view claim = claims[k - 1];
    EXPECT_EQ(f.Get("CLAIMID", 1, k), TagValue(claim, "CLM01"));
    EXPECT_EQ(f.Get("CLAIMAMT", 1, k), TagValue(claim, "CLM02"));
    EXPECT_EQ(f.Get("FACILITYCODEVALUE", 1, k), TagValue(claim, "CLM05-01"));
    EXPECT_EQ(f.Get("FREQUENCYTYPECODE", 1, k), TagValue(claim, "CLM05-03"));
    EXPECT_EQ(f.Get("PRINCIPALDX", 1, k), TagValue(claim, "HI01-02"));
    const auto rendering = Regions(claim, "L2310B");
    EXPECT_EQ(f.Get("RENLNAME", 1, k),
              rendering.empty() ? std::string() : TagValue(rendering[0], "NM103"));
    const auto lines = Regions(claim, "L2400");
    ASSERT_FALSE(lines.empty());
    for (std::size_t n = 1; n <= lines.size() + 1; ++n) {
      const std::string_view line = n <= lines.size() ? lines[n - 1] : std::string_view();
      const std::string no = std::to_string(n);
      EXPECT_EQ(f.Get("PROC" + no, 1, k), TagValue(line, "SV101-02")) << k << " " << n;
      EXPECT_EQ(f.Get("MODA" + no, 1, k), TagValue(line, "SV101-03")) << k << " " << n;
      EXPECT_EQ(f.Get("AMT" + no, 1, k), TagValue(line, "SV102")) << k << " " << n;
      EXPECT_EQ(f.Get("UNITS" + no, 1, k), TagValue(line, "SV104")) << k << " " << n;
      EXPECT_EQ(f.Get("DXLINK" + no, 1, k), TagValue(line, "SV107-01")) << k << " " << n;
      EXPECT_EQ(f.Get("DOS" + no, 1, k), TagValue(line, "DTP03")) << k << " " << n;
      EXPECT_EQ(f.Get("LINEITEMCONTROLNUMBER" + no, 1, k), TagValue(line, "REF02"))
          << k << " " << n;
    }
  }
  EXPECT_EQ(f.Get("MULTICLAIMTOTAL", 1, 2), "42");
}

TEST(ClaimLookupSamples, OopFactoryInstitutional4010) {
  const fs::path file =
      fs::path(ARDENTIX_SAMPLES_DIR) / "files/oopfactory__hipaa_Claims_InstitutionalClaim4010.txt";
  if (!fs::is_regular_file(file)) GTEST_SKIP() << file << " is absent";
  Loaded f(file);
  ASSERT_EQ(f.lookup.UnitCount(), 1u);
  EXPECT_EQ(f.lookup.ClaimCount(1), 1u);
  const Case cases[] = {
      {"CLAIMTYPE", "Institutional"},
      {"CLAIMID", "756048Q"},
      {"CLAIMAMT", "89.93"},
      {"MEDICALRECORDNUMBER", "TEST MEDICAL RECORD NUMBER"},
      {"FACILITYCODEVALUE", "14"},
      {"FACILITYCODEQUALIFIER", "A"},
      {"FREQUENCYTYPECODE", "1"},
      {"ADMISSIONTYPECODE", "3"},
      {"ADMISSIONSOURCECODE", "1"},
      {"BILLINGPROVIDERNAME", "JONES HOSPITAL"},
      {"BILLINGPROVIDERID", "330127"},
      {"BILLINGPROVIDERADDR1", "225 MAIN STREET BARKLEY BUILDING"},
      {"BILLINGPROVIDERCITY", "CENTERVILLE"},
      {"BILLINGPROVIDERSECONDARYIDCODE2", "EI"},
      {"BILLINGPROVIDERSECONDARYID2", "123456789"},  // the tax id
      {"IREVCODE1", "305"},
      {"IPROC1", "85025"},
      {"IAMT2", "76.54"},
  };
  for (const Case& c : cases) EXPECT_EQ(f.Get(c.name), c.value) << c.name;
  // Statement dates 1996-09-11 to 1996-09-12.
  EXPECT_EQ(f.Get("STATEMENTDATE").substr(0, 8), "19960911");
}

}  // namespace
}  // namespace ardentix::claims
