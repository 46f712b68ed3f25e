#include "claims/claim_rules.h"

#include <deque>
#include <utility>
#include <vector>

#include "common/number.h"
#include "common/text.h"

namespace ardentix::claims::rules {

namespace {

using dictionary::CodeListAt;

constexpr Seg S(std::string_view id, std::string_view q1 = {}, std::string_view q2 = {}) {
  return Seg{id, q1, q2};
}

// ICD-9 qualifiers and their ICD-10 twins, read alike.
constexpr Seg kHiBK = S("HI", "BK", "ABK");
constexpr Seg kHiBF = S("HI", "BF", "ABF");
constexpr Seg kHiBN = S("HI", "BN", "ABN");
constexpr Seg kHiBQ = S("HI", "BQ", "BBQ");
constexpr Seg kHiBR = S("HI", "BR", "BBR");

// --- rule builders ---------------------------------------------------------

Rule At(Seg anchor, int field, int component = 0, Format format = Format::kNone) {
  Rule r;
  r.anchor = anchor;
  r.field = static_cast<std::uint8_t>(field);
  r.component = static_cast<std::uint8_t>(component);
  r.format = format;
  return r;
}

Rule After(Seg anchor, Seg target, int field, int component = 0, Format format = Format::kNone) {
  Rule r = At(anchor, field, component, format);
  r.step = Step::kFollow;
  r.target = target;
  return r;
}

Rule Described(Rule r, Format format, CodeListAt codes) {
  r.format = format;
  r.codes = codes;
  return r;
}

// HInn families: composite nn of the m-th HI with the qualifier.
Rule Hi(Seg anchor, int component) {
  Rule r = At(anchor, 0, component);
  r.field = kFieldFromPosition;
  r.find = Find::kNth;
  return r;
}

// Service line n: the segment after LX n.
Rule Line(Seg target, int field, int component = 0, Format format = Format::kNone) {
  Rule r = After(S("LX"), target, field, component, format);
  r.find = Find::kLine;
  return r;
}

// Header searches in front of the first (hl 1) or second (hl 2) HL.
Rule Header(int hl, Seg anchor, int field, Seg target = {}) {
  Rule r = At(anchor, field);
  r.scope = hl == 1 ? Scope::kHeader1 : Scope::kHeader2;
  if (!target.empty()) {
    r.step = Step::kFollow;
    r.target = target;
  }
  return r;
}

// --- parties -----------------------------------------------------------------

enum class PartyKind {
  kHeader,     // NM1 in front of the first or second HL; secondary ids by header repeat
  kUnit,       // NM1 in the claim unit
  kUnitChain,  // first HL of the unit, then NM1 (claim unit from start)
  kBilling,    // first HL of the billing level, then NM1
};

struct Party {
  std::string_view prefix;
  FieldGroupCode lo;
  FieldGroupCode hi;
  PartyKind kind;
  Seg anchor;  // the NM1 with its qualifier
  int name_hl = 0;
  int address_hl = 0;
  bool submitter = false;
};

// Element of the party's NM1 (lookup numbering) for an ending, 0 when the
// ending is not an NM1 element.
int NameField(std::string_view ending) {
  if (ending == "NAME" || ending == "LNAME" || ending == "LASTNAME") return 4;
  if (ending == "FNAME" || ending == "FIRSTNAME") return 5;
  if (ending == "MI") return 6;
  if (ending == "TYPE") return 3;
  if (ending == "ID") return 10;
  if (ending == "IDCODE" || ending == "IDTYPECODE" || ending == "IDTYPE") return 9;
  return 0;
}

// The address segment and element of an ending.
bool AddressField(std::string_view ending, Seg& seg, int& field) {
  if (ending == "ADDR1" || ending == "ADDR2") {
    seg = S("N3");
    field = ending == "ADDR1" ? 2 : 3;
    return true;
  }
  if (ending == "CITY" || ending == "ST" || ending == "STATE" || ending == "ZIP") {
    seg = S("N4");
    field = ending == "CITY" ? 2 : ending == "ZIP" ? 4 : 3;
    return true;
  }
  return false;
}

// Party rule for an ending; false when the ending is not a party ending.
bool PartyRule(const Party& p, std::string_view ending, Rule& out) {
  const Seg hl = S("HL");
  const Seg nm1 = p.anchor;
  Rule r;
  // Secondary identifiers: the n-th REF after the party's NM1.
  if (ending == "SECONDARYIDCODE" || ending == "SECONDARYIDTYPE" || ending == "SECONDARYID") {
    r.step = Step::kRepeat;
    r.target = S("REF");
    r.field = ending == "SECONDARYID" ? 3 : 2;
    if (ending == "SECONDARYIDTYPE") {
      r.format = p.prefix == "REN" ? Format::kDescribeIfRef02 : Format::kDescribeEntry;
      r.codes = dictionary::kSecondaryIdTypeCodes;
    }
    switch (p.kind) {
      // In the header and billing-level scopes the REFs end at the next NM1
      // or the next HL, in the claim unit at the next NM1.
      case PartyKind::kHeader:  // header repeat: from the list's first NM1
        r.scope = Scope::kList;
        r.anchor = nm1;
        r.repeat_stop_at_hl = true;
        break;
      case PartyKind::kUnit:
        r.anchor = nm1;
        break;
      case PartyKind::kUnitChain:  // the unit's own NM1, not the file's first
        r.scope = Scope::kUnitFromStart;
        r.anchor = hl;
        r.via = nm1;
        r.repeat_stop_at_hl = true;
        break;
      case PartyKind::kBilling:
        r.scope = Scope::kBilling;
        r.anchor = hl;
        r.via = nm1;
        r.repeat_stop_at_hl = true;
        break;
    }
    out = r;
    return true;
  }
  Seg address;
  int field = NameField(ending);
  const bool is_address = field == 0 && AddressField(ending, address, field);
  if (field == 0) return false;
  if (ending == "IDTYPE") {
    r.format = Format::kDescribeEntry;
    r.codes = dictionary::kProviderIdTypeCodes;
  }
  r.field = static_cast<std::uint8_t>(field);
  switch (p.kind) {
    case PartyKind::kHeader: {
      Rule h = Header(is_address ? p.address_hl : p.name_hl, nm1, field, address);
      h.format = r.format;
      h.codes = r.codes;
      h.needs_submitter_name = p.submitter && ending != "NAME";
      out = h;
      return true;
    }
    case PartyKind::kUnit:
      r.anchor = nm1;
      if (is_address) {
        r.step = Step::kFollow;
        r.target = address;
      }
      break;
    case PartyKind::kUnitChain:
    case PartyKind::kBilling:
      r.scope = p.kind == PartyKind::kBilling ? Scope::kBilling : Scope::kUnitFromStart;
      r.anchor = hl;
      r.via = nm1;
      if (is_address) {
        r.step = Step::kNext;
        r.target = address;
      }
      break;
  }
  out = r;
  return true;
}

constexpr Party kParties[] = {
    {"SUBMITTER", 101, 103, PartyKind::kHeader, S("NM1", "41"), 1, 1, true},
    {"RECEIVER", 104, 105, PartyKind::kHeader, S("NM1", "40"), 1, 2},
    {"BILLINGPROVIDER", 106, 108, PartyKind::kHeader, S("NM1", "85"), 2, 2},
    {"PAYTOPROVIDER", 109, 111, PartyKind::kHeader, S("NM1", "87"), 2, 2},
    {"SUB", 216, 216, PartyKind::kUnit, S("NM1", "IL")},
    {"PAYER", 217, 217, PartyKind::kUnit, S("NM1", "PR")},
    {"PAT", 218, 218, PartyKind::kUnit, S("NM1", "QC")},
    {"REF", 219, 219, PartyKind::kUnit, S("NM1", "DN")},
    {"ATTEND", 220, 220, PartyKind::kUnit, S("NM1", "71")},
    {"OPERATE", 221, 221, PartyKind::kUnit, S("NM1", "72")},
    {"REN", 222, 222, PartyKind::kUnit, S("NM1", "82")},
    {"FACILITY", 223, 223, PartyKind::kUnit, S("NM1", "FA")},
    {"SERVICELOCATION", 224, 224, PartyKind::kUnit, S("NM1", "77")},
    {"ILAB", 225, 225, PartyKind::kUnit, S("NM1", "LI")},
    {"TLAB", 226, 226, PartyKind::kUnit, S("NM1", "TL")},
    {"CLAIMBILLINGPROVIDER", 232, 234, PartyKind::kUnitChain, S("NM1", "85")},
    {"CLAIMPAYTOPROVIDER", 235, 237, PartyKind::kUnitChain, S("NM1", "87")},
    {"HIERARCHIALCLAIMBILLINGPROVIDER", 239, 241, PartyKind::kBilling, S("NM1", "85")},
    {"HIERARCHIALCLAIMPAYTOPROVIDER", 242, 244, PartyKind::kBilling, S("NM1", "87")},
};

// Group 238: the SBR whose SBR01 begins with P, S or T.
bool InsuranceRule(std::string_view name, Rule& out) {
  struct Order {
    std::string_view prefix;
    std::string_view code;
  };
  static constexpr Order kOrders[] = {{"PRIMARY", "P"}, {"SECONDARY", "S"}, {"TERTIARY", "T"}};
  for (const Order& o : kOrders) {
    if (!name.starts_with(o.prefix)) continue;
    const std::string_view ending = name.substr(o.prefix.size());
    const Seg sbr = S("SBR", o.code);
    const std::pair<std::string_view, Rule> own[] = {
        {"GROUPID", At(sbr, 4)},
        {"GROUPNAME", At(sbr, 5)},
        {"INSURANCETYPECODE", At(sbr, 6)},
        {"SUBDOB", After(sbr, S("DMG"), 3)},
        {"SUBSEX", After(sbr, S("DMG"), 4)},
    };
    for (const auto& [own_ending, rule] : own) {
      if (ending == own_ending) {
        out = rule;
        return true;
      }
    }
    for (const auto& [party, nm1] : {std::pair{std::string_view("SUB"), S("NM1", "IL")},
                                     std::pair{std::string_view("PAYER"), S("NM1", "PR")}}) {
      if (!ending.starts_with(party)) continue;
      const std::string_view rest = ending.substr(party.size());
      Seg address;
      int field = 0;
      if (AddressField(rest, address, field)) {
        Rule r = At(sbr, field);
        r.via = nm1;
        r.step = Step::kNext;
        r.target = address;
        out = r;
        return true;
      }
      field = NameField(rest);
      if (field == 0 || rest == "IDTYPE" || rest == "IDCODE") continue;
      out = After(sbr, nm1, field);
      return true;
    }
    return false;
  }
  return false;
}

struct Table {
  std::deque<Rule> storage;
  std::vector<const Rule*> by_entry;
  Rule user_claim;
  Rule user_header;
};

Table Build() {
  Table t;
  const auto entries = FieldNameTable();
  t.by_entry.assign(entries.size(), nullptr);
  auto keep = [&](const Rule& r) -> Rule& { return t.storage.emplace_back(r); };
  auto put = [&](std::string_view text, const Rule& r) -> Rule& {
    Rule& kept = keep(r);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].text == text) t.by_entry[i] = &kept;
    }
    return kept;
  };

  // Transaction set header.
  put("TSCONTROLNUMBER", Header(1, S("ST", "837"), 3));
  put("BHTREFID", Header(1, S("BHT"), 4));
  put("RECEIVERADDITIONALNAME", Header(1, S("NM1", "40"), 2, S("N2")));
  put("SUBMITTERPHONE", Header(1, S("NM1", "41"), 5, S("PER"))).needs_submitter_name = true;
  put("SUBMITTERCONTACT", Header(1, S("NM1", "41"), 3, S("PER"))).needs_submitter_name = true;

  // 201: claim.
  const Seg clm = S("CLM");
  put("CLAIMID", At(clm, 2));
  put("CLAIMAMT", At(clm, 3));
  put("CLAIMAMTDDDDDD_CC", At(clm, 3, 0, Format::kAmountSplit));
  put("RELATEDCAUSECODE", At(clm, 12));
  put("PATSIGNATURESOURCE", At(clm, 11));
  put("CLEARINGIDNUMBER", After(clm, S("REF", "D9"), 3));
  put("MULTICLAIMTOTAL", Rule{}).special = Special::kClaimTotal;

  // 202: dates, indicators, institutional codes, references, amounts, notes.
  const std::pair<std::string_view, std::string_view> dates[] = {
      {"ADJUDDATE", "573"},
      {"ORDERDATE", "938"},
      {"INITIALTREATMENTDATE", "454"},
      {"REFERRALDATE", "330"},
      {"DATELASTSEEN", "304"},
      {"ONSETOFILLNESDATE", "431"},
      {"ACUTEMANIFESTATIONDATE", "453"},
      {"SIMILARILLNESSONSETDATE", "438"},
      {"ACCIDENTDATE", "439"},
      {"LMPDATE", "484"},
      {"LASTXRAYDATE", "455"},
      {"DISABILITYBEGINDATE", "360"},
      {"DISABILITYENDDATE", "361"},
      {"DATELASTWORKED", "297"},
      {"ASSUMEDCAREDATE", "090"},
      {"RELINQUISHEDCAREDATE", "091"},
      {"DISCHARGEHOUR", "096"},
      {"STATEMENTDATE", "434"},
      {"ADMISSIONDATETIME", "435"},
      {"ESTIMATEDDATEOFBIRTH", "ABC"},
      {"HEARINGVISIONPRESCRIPTIONDATE", "471"},
  };
  for (const auto& [name, qualifier] : dates) put(name, At(S("DTP", qualifier), 4));
  // Of the names that reach RETURNTOWORK only RETURNTOWORKDATE has a value.
  t.by_entry[FindFieldNameEntry("RETURNTOWORK")] = &keep([] {
    Rule r = At(S("DTP", "296"), 4);
    r.rest_prefix = "DATE";
    return r;
  }());
  Rule& discharge = put("DISCHARGEDATE", At(S("CR6"), 6));
  discharge.fallback = &keep(At(S("DTP", "096"), 4));
  put("PROVSIGNATUREONFILE", At(clm, 7, 0, Format::kYesNo));
  put("PROVACCEPTASSIGNMENTCODE", At(clm, 8, 0, Format::kAssignment));
  put("BENEFITINDICATOR", At(clm, 9, 0, Format::kYesNo));
  put("RELEASEOFINFORMATION", At(clm, 10, 0, Format::kYesNo));
  put("RELATEDCAUSE", At(clm, 12, 1, Format::kRelatedCause));
  put("ADMISSIONTYPECODE", At(S("CL1"), 2));
  put("ADMISSIONSOURCECODE", At(S("CL1"), 3));
  put("PATIENTSTATUSCODE", At(S("CL1"), 4));
  put("ADMISSIONTYPE", At(S("CL1"), 2, 0, Format::kAdmissionType));
  put("ADMISSIONSOURCE", At(S("CL1"), 3, 0, Format::kAdmissionSource));
  put("PATIENTSTATUS", At(S("CL1"), 4, 0, Format::kPatientStatus));
  put("ICNDCN", At(S("REF", "F8"), 3));
  put("PRIORAUTHORIZATIONNUMBER", At(S("REF", "G1"), 3));
  put("MEDICALRECORDNUMBER", At(S("REF", "EA"), 3));
  put("PATIENTAMOUNTPAID", At(S("AMT", "F5"), 3));
  put("TOTALPURCHASEDSERVICEAMOUNT", At(S("AMT", "NE"), 3));
  for (std::string_view note : {"ADD", "CER", "DCP", "DGN", "PMT", "TPO"}) {
    put("CLAIMNOTE" + std::string(note), At(S("NTE", note), 3));
  }

  // 203: other payers.
  const std::pair<std::string_view, std::string_view> cob[] = {
      {"COBPAYERPAIDAMT", "D"}, {"COBAPPROVEDAMT", "AAE"}, {"COBPAYERALLOWEDAMT", "B6"},
      {"COBPATRESPONSE", "F2"}, {"COBCOVEREDAMT", "AU"},   {"COBDISCOUNTAMT", "D8"},
      {"COBPERDAYLIMIT", "DY"}, {"COBPATPAIDAMT", "F5"},   {"COBTAX", "T"},
      {"COBCLMTOTTAX", "T2"},
  };
  for (const auto& [name, qualifier] : cob) put(name, At(S("AMT", qualifier), 3));
  const Seg oi = S("OI");
  put("OISUBORDER", Described(After(oi, S("SBR"), 2), Format::kDescribeEntry,
                              dictionary::kPayerResponsibilityCodes));
  put("OISUBID", After(oi, S("NM1", "IL"), 10));
  put("OISUBLNAME", After(oi, S("NM1", "IL"), 4));
  put("OISUBFNAME", After(oi, S("NM1", "IL"), 5));
  put("OISUBMI", After(oi, S("NM1", "IL"), 6));
  put("OIPAYERNAME", After(oi, S("NM1", "PR"), 4));
  put("OIPAYERID", After(oi, S("NM1", "PR"), 10));
  put("OIPAYERADDR1", After(oi, S("N3"), 2));
  put("OIPAYERADDR2", After(oi, S("N3"), 3));
  put("OIPAYERCITY", After(oi, S("N4"), 2));
  put("OIPAYERSTATE", After(oi, S("N4"), 3));
  put("OIPAYERZIP", After(oi, S("N4"), 4));
  put("OIPAYERMEMNUM", After(oi, S("REF", "1W"), 3));
  put("OIPAYERCLINUM", After(oi, S("REF", "23"), 3));
  put("OIPAYERPOLNUM", After(oi, S("REF", "IG"), 3));
  put("OIPAYERSSN", After(oi, S("REF", "SY"), 3));

  // 204: claim codes.
  put("FACILITYCODEVALUE", At(clm, 6, 1));
  put("POSCODE", At(clm, 6, 1));
  put("FACILITYCODEQUALIFIER", At(clm, 6, 2));
  put("FREQUENCYTYPECODE", At(clm, 6, 3));
  put("FREQUENCYCODE", At(clm, 6, 3));
  put("TYPEOFBILL", At(clm, 6, 0, Format::kTypeOfBill));
  put("POSDESC", Described(At(clm, 6, 1), Format::kDescribeValue, dictionary::kFacilityCodes));
  put("PRINCIPALDX", At(kHiBK, 2, 2));
  put("ADMITDX", At(kHiBK, 3, 2));
  put("DRG", At(S("HI", "DR"), 2, 2));
  put("ECODE", At(kHiBN, 4, 2));
  put("SEGMENTNOTE", After(S("NM1", "IL"), S("DMG"), 4));
  put("K3DATA", At(S("K3"), 2, 1, Format::kK3));

  // HI families.
  put("OTHERDX", Hi(kHiBF, 2));
  put("OTHERPROC", Hi(S("HI", "BO"), 2)).fallback = &keep(Hi(kHiBQ, 2));
  put("OTHERPROCDATE", Hi(S("HI", "BO"), 4)).fallback = &keep(Hi(kHiBQ, 4));
  put("PRINCIPLEPROC", At(S("HI", "BP"), 2, 2)).fallback = &keep(At(kHiBR, 2, 2));
  put("PRINCIPLEPROCDATE", At(S("HI", "BP"), 2, 4)).fallback = &keep(At(kHiBR, 2, 4));
  put("OCCURRENCESPAN", Hi(S("HI", "BI"), 2));
  put("OCCURRENCECODE", Hi(S("HI", "BH"), 2));
  put("OCCURRENCEDATE", Hi(S("HI", "BH"), 4));
  put("VALUECODE", Hi(S("HI", "BE"), 2));
  put("VALUEAMOUNT", Hi(S("HI", "BE"), 5));
  put("VALUEQTY", Hi(S("HI", "BE"), 6));
  put("CONDITIONCODE", Hi(S("HI", "BG"), 2));
  put("CONDITIONDATE", Hi(S("HI", "BG"), 4));
  put("TREATMENTCODE", Hi(S("HI", "TC"), 2));

  // 216 and 218: subscriber and patient, beyond their party endings.
  const Seg il = S("NM1", "IL");
  const Seg sbr = S("SBR");
  put("SUBDOB", After(il, S("DMG"), 3));
  put("SUBSEX", After(il, S("DMG"), 4));
  put("SUBMSTATUS", After(il, S("DMG"), 5));
  put("SUBNAMEPREFIX", At(il, 7));
  put("SUBNAMESUFIX", At(il, 8));
  put("SUBSSN", After(il, S("REF", "SY"), 3));
  put("SUBACCOUNTID", After(il, S("REF", "FY"), 3));
  put("SUBORDERCODE", At(sbr, 2));
  put("SUBORDER",
      Described(At(sbr, 2), Format::kDescribeEntry, dictionary::kPayerResponsibilityCodes));
  put("SUBREL",
      Described(At(sbr, 3), Format::kDescribeValue, dictionary::kSubscriberRelationshipCodes));
  put("SUBGROUPID", At(sbr, 4));
  put("SUBGROUPNAME", At(sbr, 5));
  put("SUBCLMTYPECODE",
      Described(At(sbr, 10), Format::kCodeIfListed, dictionary::kClaimFilingIndicatorCodes));
  put("SUBCLMTYPE",
      Described(At(sbr, 10), Format::kDescribeEntry, dictionary::kClaimFilingIndicatorCodes));
  const Seg qc = S("NM1", "QC");
  put("PATDOB", After(qc, S("DMG"), 3));
  put("PATSEX", After(qc, S("DMG"), 4));
  put("PROPERYCASUALTYCLAIMNUMBER", After(qc, S("REF"), 3));
  put("PATREL",
      Described(At(S("PAT"), 2), Format::kDescribeValue, dictionary::kPatientRelationshipCodes));

  // 227: the first HI of the claim, whatever its qualifier.
  for (int i = 1; i <= 5; ++i) {
    const std::string dx = "DX" + std::to_string(i);
    put(dx, At(S("HI"), i + 1, 2));
    if (i <= 4) put(dx + "_XX", At(S("HI"), i + 1, 2, Format::kDxBlank));
  }

  // 228 to 231: service lines.
  Rule claim_type = Line(S("SV"), 1, 0, Format::kClaimType);
  claim_type.find = Find::kLineOne;
  put("CLAIMTYPE", claim_type);
  const Seg sv1 = S("SV1");
  put("PROC", Line(sv1, 2, 2));
  put("MODA", Line(sv1, 2, 3));
  put("MODB", Line(sv1, 2, 4));
  put("MODC", Line(sv1, 2, 5));
  put("AMT", Line(sv1, 3));
  put("DDDDDD_CC", Line(sv1, 3, 0, Format::kAmountSplit));
  put("UNITS", Line(sv1, 5));
  put("POSLINECODE", Line(sv1, 6));
  put("POSLINEDESC", Described(Line(sv1, 6), Format::kDescribeValue, dictionary::kFacilityCodes));
  put("DXLINK", Line(sv1, 8, 1));
  put("SUPDXLINKA", Line(sv1, 8, 1));
  put("SUPDXLINKB", Line(sv1, 8, 2));
  put("SUPDXLINKC", Line(sv1, 8, 3));
  put("SUPDXLINKD", Line(sv1, 8, 4));
  put("DOS", Line(S("DTP", "472"), 4));
  put("MM_DD_YY_DOSF", Line(S("DTP", "472"), 4, 0, Format::kDosFrom));
  put("MM_DD_YY_DOST", Line(S("DTP", "472"), 4, 0, Format::kDosTo));
  put("LINEITEMCONTROLNUMBER", Line(S("REF", "6R"), 3));
  const Seg sv2 = S("SV2");
  put("ILINE", Line(sv2, 1));
  put("IREVCODE", Line(sv2, 2));
  put("IPROCTYPE", Line(sv2, 3, 1));
  put("IPROC", Line(sv2, 3, 2));
  put("IMODA", Line(sv2, 3, 3));
  put("IMODB", Line(sv2, 3, 4));
  put("IMODC", Line(sv2, 3, 5));
  put("IMODD", Line(sv2, 3, 6));
  put("IAMT", Line(sv2, 4));
  put("IUNITSTYPE", Line(sv2, 5, 0, Format::kUnitWords));
  put("IUNITSQTY", Line(sv2, 6));
  put("IUNITS", Line(sv2, 6));
  put("IUNITSRATE", Line(sv2, 7));
  put("IDOS", Line(S("DTP", "472"), 4));
  put("IADJUDDATE", Line(S("DTP", "573"), 4));
  put("IADJUDID", Line(S("SVD"), 2));
  put("IADJUDAMT", Line(S("SVD"), 3));
  put("NDCCODE", Line(S("LIN"), 4));
  put("NDCUNITPRICE", Line(S("CTP"), 4));
  put("NDCUNITS", Line(S("CTP"), 5));
  const Seg sv3 = S("SV3");
  put("DPROC", Line(sv3, 2, 2));
  put("DMODA", Line(sv3, 2, 3));
  put("DMODB", Line(sv3, 2, 4));
  put("DMODC", Line(sv3, 2, 5));
  put("DAMT", Line(sv3, 3));
  put("TOOTH", Line(S("TOO"), 3));
  // The suffix is a component of TOO03 of the first TOO after the claim's
  // first LX. The dental catalogue spells the name TOOTHSERFACE.
  Rule surface = After(S("LX"), S("TOO"), 4, 0, Format::kToothSurface);
  surface.find = Find::kFirstLine;
  surface.component = kComponentFromLine;
  put("TOOTHSURFACE", surface);
  put("TOOTHSERFACE", surface);
  put("PRICEAMT", Line(S("HCP"), 3));
  put("PRICEREF", Line(S("HCP"), 5));

  // 246.
  put("PAYERPRIORPAYMENT", At(S("AMT", "C4"), 3));

  // 238 and the parties, for every entry that has no rule yet.
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (t.by_entry[i] != nullptr) continue;
    const FieldNameEntry& e = entries[i];
    Rule r;
    if (e.code == 238 && InsuranceRule(e.text, r)) {
      t.by_entry[i] = &keep(r);
      continue;
    }
    for (const Party& p : kParties) {
      if (e.code < p.lo || e.code > p.hi || !e.text.starts_with(p.prefix)) continue;
      if (PartyRule(p, e.text.substr(p.prefix.size()), r)) {
        Rule& kept = keep(r);
        if (p.prefix == "FACILITY") {  // NM1*77 on a 5010 interchange
          Party p5010 = p;
          p5010.anchor = S("NM1", "77");
          Rule r5010;
          PartyRule(p5010, e.text.substr(p.prefix.size()), r5010);
          kept.rule_5010 = &keep(r5010);
        }
        t.by_entry[i] = &kept;
      }
      break;
    }
  }

  t.user_claim.special = Special::kUserClaim;
  t.user_header.special = Special::kUserHeader;
  return t;
}

const Table& Rules() {
  static const Table table = Build();
  return table;
}

// Words of a code table compared loosely (the value begins with the code).
struct Word {
  std::string_view code;
  std::string_view text;
};

template <std::size_t N>
const Word* FindWord(const Word (&words)[N], std::string_view value) {
  for (const Word& w : words) {
    if (LooseEquals(value, w.code)) return &w;
  }
  return nullptr;
}

template <std::size_t N>
std::string WordsOrSame(const Word (&words)[N], std::string value) {
  const Word* w = FindWord(words, value);
  return w != nullptr ? std::string(w->text) : value;
}

template <std::size_t N>
std::string WordsOrError(const Word (&words)[N], const std::string& value) {
  const Word* w = FindWord(words, value);
  return w != nullptr ? std::string(w->text) : "Error = " + value;
}

constexpr Word kYesNo[] = {{"Y", "Yes"}, {"N", "No"}};
constexpr Word kAssignment[] = {
    {"A", "Assigned"}, {"N", "Not Assigned"}, {"P", "Patient Refuses to Assign Benefits"}};
constexpr Word kRelatedCause[] = {
    {"AA", "Auto Accident"}, {"AB", "Auto Abuse"}, {"EM", "Employment"}, {"OA", "Other Accident"}};
constexpr Word kToothSurface[] = {{"B", "Buccal"},  {"D", "Distal"},  {"F", "Facial"},
                                  {"I", "Incisal"}, {"L", "Lingual"}, {"M", "Mesial"},
                                  {"O", "Occlusal"}};
constexpr Word kUnitWords[] = {{"DA", "Days"}, {"UN", "Unit"}, {"F2", "International Unit"}};
constexpr Word kAdmissionType[] = {{"1", "Emergency"},      {"2", "Urgent"},
                                   {"3", "Elective"},       {"4", "Newborn"},
                                   {"7", "Emergency Room"}, {"9", "Information Not Available"}};
constexpr Word kAdmissionSource[] = {
    {"1", "Physician Referal"},
    {"2", "Clinic Referal"},
    {"3", "HMO Referal"},
    {"4", "Transfer form a Hospital"},
    {"5", "Transfer form SNF"},
    {"6", "Transfer form Another care Facility"},
    {"7", "Emergency Room"},
    {"8", "Court/Law Enforcement"},
    {"9", "Information Not Available"},
    {"A", "Transfer form a Rural Primary Care Hospital"},
};

struct StatusWord {
  int code;
  std::string_view text;
};
constexpr StatusWord kPatientStatus[] = {
    {1, "Discharged to home or self care (routine discharge)"},
    {2, "Discharged/transfered to another short-term general hospital"},
    {3, "Discharged/transfered to SNF"},
    {4, "Discharged/transfered to an ICF"},
    {5, "Discharged/transfered to another type of institution"},
    {6, "Discharged/transfered to home under care of Home Health Service "},
    {7, "Left against advice or dicontinued care"},
    {8, "Discharged/transfered to home under care of IV drug therapy provider"},
    {9, "Admitted as an inpatient to this hospital"},
    {20, "Expired (Christian Science Patient"},
    {30, "Still patient or or expected to return to outpatient services"},
    {40, "Expired at home (Hospice Only)"},
    {41, "Expired in medical facility"},
    {42, "Expired place unknown (Hospice Only)"},
    {50, "Hospice - home"},
    {51, "Hospice - medical facility"},
};

// MM DD YY of a date CCYYMMDD.
std::string MonthDayYear(std::string_view date) {
  std::string out;
  out.reserve(8);
  out.append(date.substr(4, 2)).push_back(' ');
  out.append(date.substr(6, 2)).push_back(' ');
  out.append(date.substr(2, 2));
  return out;
}

}  // namespace

const Rule* RuleForEntry(int entry) {
  const Table& t = Rules();
  if (entry < 0 || static_cast<std::size_t>(entry) >= t.by_entry.size()) return nullptr;
  return t.by_entry[static_cast<std::size_t>(entry)];
}

const Rule& UserClaimRule() { return Rules().user_claim; }
const Rule& UserHeaderRule() { return Rules().user_header; }

bool Matches(const x12::SegmentList& list, std::uint32_t rec, const Seg& seg) {
  if (!list.Id(rec).starts_with(seg.id)) return false;
  if (!seg.HasQualifier()) return true;
  const std::string_view qualifier = list.Element(rec, 1);
  return qualifier.starts_with(seg.q1) || (!seg.q2.empty() && qualifier.starts_with(seg.q2));
}

std::string ReadField(const x12::SegmentList& list, std::uint32_t rec, std::size_t field,
                      std::size_t component) {
  if (field == 0) return {};
  if (field == 1) {
    // The segment id, read with its first character written twice.
    const std::string_view id = list.Id(rec);
    if (id.empty()) return {};
    std::string doubled(1, id.front());
    doubled.append(id);
    return component == 0 ? doubled
                          : std::string(Piece(doubled, list.delimiters().component, component));
  }
  const std::string_view element = list.Element(rec, field - 1);
  if (component == 0) return std::string(element);
  return std::string(Piece(element, list.delimiters().component, component));
}

std::string Apply(const Rule& rule, const ResolvedField& field, std::string raw, bool found,
                  const x12::SegmentList& list, std::uint32_t rec) {
  switch (rule.format) {
    case Format::kAdmissionType:
      return WordsOrError(kAdmissionType, raw);
    case Format::kAdmissionSource:
      return WordsOrError(kAdmissionSource, raw);
    case Format::kPatientStatus: {
      const std::int64_t number = LeadingInteger(raw);
      for (const StatusWord& w : kPatientStatus) {
        if (w.code == number) return std::string(w.text);
      }
      return "Error = " + raw;
    }
    default:
      break;
  }
  if (!found) return {};
  switch (rule.format) {
    case Format::kNone:
    case Format::kAdmissionType:
    case Format::kAdmissionSource:
    case Format::kPatientStatus:
      return raw;
    case Format::kAmountSplit:
      if (raw.find('.') == std::string::npos) return raw + " 00";
      for (char& c : raw) {
        if (c == '.') c = ' ';
      }
      return raw;
    case Format::kDosFrom:
      if (raw.size() == 17 || raw.size() == 8) return MonthDayYear(raw);
      if (raw.size() == 6) return MonthDayYear("00" + raw);
      return {};
    case Format::kDosTo:
      return raw.size() == 17 ? MonthDayYear(std::string_view(raw).substr(9)) : std::string();
    case Format::kDxBlank:
      if (raw.size() > 3) raw.insert(3, 1, ' ');
      return raw;
    case Format::kYesNo: {
      const Word* w = FindWord(kYesNo, ToUpper(raw));
      return w != nullptr ? std::string(w->text) : raw;
    }
    case Format::kAssignment:
      return WordsOrSame(kAssignment, std::move(raw));
    case Format::kRelatedCause:
      return WordsOrSame(kRelatedCause, std::move(raw));
    case Format::kToothSurface:
      return WordsOrSame(kToothSurface, std::move(raw));
    case Format::kUnitWords:
      return WordsOrSame(kUnitWords, std::move(raw));
    case Format::kDescribeEntry:
      return std::string(
          dictionary::DescribeCode(rule.codes, raw, dictionary::CodeMatch::kEntryBeginsWithValue));
    case Format::kDescribeValue:
      return std::string(
          dictionary::DescribeCode(rule.codes, raw, dictionary::CodeMatch::kValueBeginsWithEntry));
    case Format::kDescribeIfRef02:
      if (rec == 0 || list.Element(rec, 2).empty()) return {};
      return std::string(
          dictionary::DescribeCode(rule.codes, raw, dictionary::CodeMatch::kEntryBeginsWithValue));
    case Format::kCodeIfListed:
      return dictionary::DescribeCode(rule.codes, raw, dictionary::CodeMatch::kEntryBeginsWithValue)
                     .empty()
                 ? std::string()
                 : raw;
    case Format::kClaimType:
      if (raw == "SSV1") return "Professional";
      if (raw == "SSV2") return "Institutional";
      if (raw == "SSV3") return "Dental";
      return {};
    case Format::kTypeOfBill: {
      const char sep = list.delimiters().component;
      std::string out(Piece(raw, sep, 1));
      out.append(Piece(raw, sep, 3));
      return out;
    }
    case Format::kK3:
      if (!field.has_cut) return raw;
      return std::string(SubText(raw, field.cut_start, field.cut_length));
  }
  return raw;
}

std::string FormatTotal(const Decimal& sum) { return sum.ToString(); }

}  // namespace ardentix::claims::rules
