#include "export/map_wizard.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "common/files.h"
#include "common/number.h"
#include "common/text.h"
#include "export/map.h"
#include "export/map_file.h"
#include "ui/dialog.h"
#include "ui/ui.h"

namespace ardentix {

namespace {

namespace fs = std::filesystem;
using Names = std::initializer_list<std::string_view>;

// ---- the names the questions append ------------------------------------

const Names kSubmitter = {"SUBMITTERLNAME", "SUBMITTERADDR1", "SUBMITTERADDR2",   "SUBMITTERCITY",
                          "SUBMITTERST",    "SUBMITTERZIP",   "SUBMITTERCONTACT", "SUBMITTERID"};
const Names kReceiver = {"RECEIVERNAME",  "RECEIVERADDITIONALNAME", "RECEIVERID", "RECEIVERADDR1",
                         "RECEIVERADDR2", "RECEIVERCITY",           "RECEIVERST", "RECEIVERZIP"};
const Names kBillingProvider = {
    "BILLINGPROVIDERNAME",   "BILLINGPROVIDERADDR1",  "BILLINGPROVIDERADDR2",
    "BILLINGPROVIDERCITY",   "BILLINGPROVIDERST",     "BILLINGPROVIDERZIP",
    "BILLINGPROVIDERIDTYPE", "BILLINGPROVIDERIDCODE", "BILLINGPROVIDERID"};
const Names kPayToProvider = {"PAYTOPROVIDERNAME",   "PAYTOPROVIDERADDR1",  "PAYTOPROVIDERADDR2",
                              "PAYTOPROVIDERCITY",   "PAYTOPROVIDERST",     "PAYTOPROVIDERZIP",
                              "PAYTOPROVIDERIDTYPE", "PAYTOPROVIDERIDCODE", "PAYTOPROVIDERID"};
const Names kSubscriber = {"SUBLNAME",  "SUBFNAME", "SUBMI",  "SUBIDCODE", "SUBADDR1",
                           "SUBADDR2",  "SUBCITY",  "SUBST",  "SUBZIP",    "SUBSEX",
                           "SUBSTATUS", "SUBDOB",   "SUBREL", "SUBORDER"};
const Names kPatient = {"PATLNAME", "PATFNAME", "PATMI",  "PATADDR1", "PATADDR2", "PATCITY",
                        "PATST",    "PATZIP",   "PATSEX", "PATMSTAT", "PATDOB",   "PATREL"};
const Names kPayer = {"PAYERNAME", "PAYERADDR1", "PAYERADDR2", "PAYERCITY", "PAYERST", "PAYERZIP"};
const Names kAlwaysInstitutional = {"CLAIMID", "CLAIMAMT", "POSCODE", "ICNDCN"};
const Names kAlwaysProfessional = {"CLAIMID", "CLAIMAMT", "POSCODE", "DX1",
                                   "DX2",     "DX3",      "DX4",     "DX5"};
const Names kReferring = {"REFLNAME",  "REFFNAME",       "REFID",
                          "REFIDTYPE", "REFSECONDARYID", "REFSECONDARYIDCODE"};
const Names kAttending = {"ATTENDLNAME", "ATTENDFNAME", "ATTENDID", "ATTENDSECONDARYID",
                          "ATTENDSECONDARYIDCODE"};
const Names kOperating = {"OPERATELNAME", "OPERATEFNAME", "OPERATEID", "OPERATESECONDARYID",
                          "OPERATESECONDARYIDCODE"};
const Names kFacility = {"FACILITYNAME",
                         "FACILITYADDR1",
                         "FACILITYADDR2",
                         "FACILITYCITY",
                         "FACILITYST",
                         "FACILITYZIP",
                         "FACILITYIDTYPE",
                         "FACILITYIDCODE",
                         "FACILITYID",
                         "FACILITYSECONDARYIDTYPE",
                         "FACILITYSECONDARYIDCODE",
                         "FACILITYSECONDARYID"};
const Names kRendering = {"RENLNAME", "RENFNAME", "RENIDTYPECODE", "RENIDTYPE", "RENID"};
const Names kServiceLocation = {"SERVICELOCATIONNAME",  "SERVICELOCATIONADDR1",
                                "SERVICELOCATIONADDR2", "SERVICELOCATIONCITY",
                                "SERVICELOCATIONST",    "SERVICELOCATIONZIP"};
const Names kIndependentLab = {"ILABNAME", "ILABADDR1", "ILABADDR2",
                               "ILABCITY", "ILABST",    "ILABZIP"};
const Names kTestingLab = {"TLABNAME", "TLABADDR1", "TLABADDR2", "TLABCITY", "TLABST", "TLABZIP"};

const Names kInstitutionalLine = {"IREVCODE",  "IPROCTYPE", "IPROC",     "IMODA",     "IMODB",
                                  "IMODC",     "IDOS",      "IAMT",      "IUNITS",    "IPRICEAMT",
                                  "IPRICEREF", "IADJUDID",  "IADJUDAMT", "IADJUDDATE"};
const Names kNdcLine = {"NDCUNITS", "NDCCODE", "NDCUNITPRICE"};
const Names kProfessionalLine = {"PROC",        "MODA",     "MODB",     "MODC",
                                 "DOS",         "AMT",      "UNITS",    "DXLINK",
                                 "POSLINECODE", "PRICEAMT", "PRICEREF", "ADJUDID"};
const Names kDentalLine = {"DPROC",  "DMODA",   "DMODB",     "DMODC",     "DDOS",    "DAMT",
                           "DUNITS", "DDXLINK", "DPRICEAMT", "DPRICEREF", "DADJUDID"};

const Names kClaimPayment = {"CLAIMPATCTL",      "CLAIMSTATUSCODE", "CLAIMSTATUSDESC",
                             "CLAIMTOTALCHARGE", "CLAIMTOTALPAID",  "PATRESPONSIBLE",
                             "FILIND",           "FILINDDESC",      "PAYERCLAIMCODE",
                             "FACILITYTYPECODE", "CLAIMFREQ"};
const Names kClaimAdjustment = {"CLMADJGRPCODE", "CLMADJGRPDESC", "CLMADJCODE", "CLMADJAMT",
                                "CLMADJQTY"};
const Names kClaimAdjustmentEach = {"CLMADJCODE", "CLMADJAMT", "CLMADJQTY"};
const Names kRemitLine = {"DATEOFSERVICE",    "PROCEDURE",           "PROCEDUREMODA",
                          "PROCEDUREMODB",    "PROCEDUREMODC",       "PROCEDUREMODD",
                          "PROCBILLEDAMT",    "PROCPAYAMT",          "PROCREVENUECODE",
                          "PROCUNITSPAID",    "PROCUNITS",           "PROCEDUREDESCRIPTION",
                          "PROCALLOWEDAMT",   "PROCPERDAYLIMITAMT",  "PROCDEDUCTIONAMT",
                          "PROCNETBILLEDAMT", "PROCTAXAMT",          "PROCTOTALBEFORETAXESAMT",
                          "PROCDEDUCTAMT",    "PROCCOINSAMT",        "PROCCOADJAMT",
                          "PROCPROTHERAM",    "PROCCOPAYAMT",        "SERVICEDATEFROM",
                          "SERVICEDATETO",    "PROCPRIORAUTHNUMBER", "PROCCTLNUMBER",
                          "PROCREMARKCODE"};
const Names kRemitLineAdjustment = {"PROCADJGRPCODE", "PROCADJCODE", "PROCADJAMT", "PROCADJQTY"};
const Names kProviderAdjustmentLetter = {"PROVADJREASONCODE", "PROVADJREASONID", "PROVADJAMT"};

const Names kEligibilitySubscriber = {"SUBID",  "SUBIDQUAL",        "SUBLNAME",     "SUBFNAME",
                                      "SUBMI",  "SUBADDIDCODEDESC", "SUBADDIDCODE", "SUBADDID",
                                      "SUBDOB", "SUBGENDER"};
const Names kDependent = {"DEPID", "DEPLNAME", "DEPFNAME", "DEPMI"};
const Names kEligibilityAlways = {"INQUIRYCODE",
                                  "INQUIRYDESC",
                                  "REQVALRESPONSECODE",
                                  "REQVALREJECTREASONDESC",
                                  "REQVALREJECTREASONCODE",
                                  "REQVALFOLLOWUPCODE",
                                  "TRACEREFID",
                                  "TRACEORGID",
                                  "TRACEREFRENCEID",
                                  "INFORMATIONRECEIVERNAME",
                                  "INFORMATIONRECEIVERIDTYPECODE",
                                  "INFORMATIONRECEIVERIDTYPEDESC",
                                  "INFORMATIONRECEIVERIDCODE",
                                  "XOVERCARRIER",
                                  "SERVICEDATE",
                                  "ISSUEDATE",
                                  "ELIGIBILITYDATE",
                                  "ADMISSIONSERVICEDATE",
                                  "SERVICEPROVIDERID",
                                  "SERVICEPROVIDER"};
const Names kEligibilityLine = {"BENEFIT",     "COVERAGELEVEL", "SERVICETYPE", "INSURANCETYPE",
                                "DESCRIPTION", "TIMEPERIOD",    "AMOUNT"};
const Names kStatusClaim = {"DATEOFSERVICE",    "CLAIMPERIODDATESTART",  "DATERECEIVED",
                            "TRACEID",          "CLAIMPAYMENTMETHODCOD", "CLAIMCHECKDATE",
                            "CLAIMCHECKNUMBER", "CLAIMTOTALAMOUNT",      "CLAIMPAYMENTAMOUNT",
                            "CLAIMSTATUS1",     "CLAIMSTATUSCODE1",      "CLAIMSTATUS2",
                            "CLAIMSTATUSCODE2", "CLAIMSTATUS3",          "CLAIMSTATUSCODE3"};

// The twelve counted groups of 837I: subject (as it appears in the
// questions), question title and name stem.
struct CountedGroup {
  std::string_view subject;
  std::string_view title;
  std::string_view stem;
};
constexpr CountedGroup kCountedGroups[] = {
    {"Diagnosis", "OtherDX", "OTHERDX"},
    {"Procedure", "OTHERPROC", "OTHERPROC"},
    {"Procedure Date", "OTHERPROCDATE", "OTHERPROCDATE"},
    {"Occurence Span", "OCCURRENCESPAN", "OCCURRENCESPAN"},
    {"Occurence Code", "OCCURRENCECODE", "OCCURRENCECODE"},
    {"Occurence Date", "OCCURRENCEDATE", "OCCURRENCEDATE"},
    {"Value Code", "VALUECODE", "VALUECODE"},
    {"Value Amount", "VALUEAMOUNT", "VALUEAMOUNT"},
    {"Value Quantity ", "VALUEQTY", "VALUEQTY"},
    {"Condition Code", "CONDITIONCODE", "CONDITIONCODE"},
    {"Condition Date", "CONDITIONDATE", "CONDITIONDATE"},
    {"Treatment Code", "TREATMENTCODE", "TREATMENTCODE"},
};

constexpr std::string_view kSubscriberData = "Subscriber Data";
constexpr std::string_view kPayerTitle = "Payer";
constexpr std::string_view kServiceLines = "Service Lines";

std::string Numbered(std::string_view stem, std::string_view suffix) {
  std::string name(stem);
  name.append(suffix);
  return name;
}

// Collects the names while the questions are asked.
class Questions {
 public:
  bool Ask(std::string_view question, std::string_view title) {
    return ui::CurrentUi().AskYesNo(question, title, true);
  }
  void Add(Names names, std::string_view suffix = {}) {
    for (std::string_view name : names) names_.push_back(Numbered(name, suffix));
  }
  void Include(std::string_view question, std::string_view title, Names names) {
    if (Ask(question, title)) Add(names);
  }
  // The small count dialog: the prompt, a three-digit field prefilled with
  // the default and "Continue". A number above `max` (or below 0) shows
  // `message` and asks again.
  int Count(std::string_view prompt, std::string_view title, int initial, int max,
            std::string_view message) {
    for (;;) {
      ui::Dialog dialog(std::string(title), 400, 80);
      dialog.AddLabel("prompt", std::string(prompt), ui::Rect{10, 10, 380, 16});
      dialog.AddEdit("count", FormatInteger(initial), ui::Rect{10, 34, 36, 16}, 3);
      ui::Control& go = dialog.AddButton("continue", "Continue", ui::Rect{60, 34, 90, 16});
      go.is_default = true;
      dialog.OnClick("continue", [](ui::Dialog& d, const ui::Event&) { d.Close(1); });
      ui::CurrentUi().RunModal(dialog);
      const std::int64_t value = LeadingInteger(dialog.Text("count"));
      if (value >= 0 && value <= max) return static_cast<int>(value);
      ui::CurrentUi().Message(message, title, ui::MessageIcon::kWarning);
    }
  }
  std::vector<std::string> Take() { return std::move(names_); }

 private:
  std::vector<std::string> names_;
};

// Submitter to operating provider, shared by 837I and 837P.
void Ask837Head(Questions& q, Names always) {
  q.Include("Include Submitter Information?", kSubscriberData, kSubmitter);
  q.Include("Include Receiver Information?", kSubscriberData, kReceiver);
  q.Include("Include Billing Provider Information?", kSubscriberData, kBillingProvider);
  q.Include("Include Pay to Provider Information?", kSubscriberData, kPayToProvider);
  q.Include("Include Subscriber Information?", kSubscriberData, kSubscriber);
  q.Include("Include Patient Information?", kPayerTitle, kPatient);
  q.Include("Include Payer Information?", kPayerTitle, kPayer);
  q.Add(always);
  q.Include("Include Referring Provider Information?", kPayerTitle, kReferring);
  q.Include("Include Attending Provider Information?", kPayerTitle, kAttending);
  q.Include("Include Operating Provider Information?", kPayerTitle, kOperating);
}

void AskLines(Questions& q, std::string_view title, int initial, int max, std::string_view message,
              Names per_line, Names extra = {}) {
  const int lines = q.Count("Number of service lines to include?", title, initial, max, message);
  for (int n = 1; n <= lines; ++n) {
    const std::string suffix = FormatInteger(n);
    q.Add(per_line, suffix);
    q.Add(extra, suffix);
  }
}

void Ask837I(Questions& q) {
  Ask837Head(q, kAlwaysInstitutional);
  q.Include("Include Facility Information?", kPayerTitle, kFacility);
  for (const CountedGroup& group : kCountedGroups) {
    const std::string subject(group.subject);
    if (!q.Ask("Include Other " + subject + " Information?", group.title)) continue;
    const int segments = q.Count("Number of Other " + subject + " Segments to include?",
                                 group.title, 1, 24, "Must be 0 minimum 25 maximum.");
    const int elements = q.Count("Number of Other " + subject + " Elements to include per Segment?",
                                 group.title, 10, 12, "Must be 0 minimum 12 maximum.");
    if (group.stem == "OTHERPROC") q.Add({"PRINCIPLEPROC", "PRINCIPLEPROCDATE"});
    for (const std::string& name : CountedGroupNames(group.stem, segments, elements)) {
      q.Add({name});
    }
  }
  if (q.Ask("Include Service Line Information?", kServiceLines)) {
    const bool ndc = q.Ask("Include National Drug Code Information?", "NDC");
    AskLines(q, kServiceLines, 10, 998, "Must be 0 minimum 999 maximum.", kInstitutionalLine,
             ndc ? kNdcLine : Names{});
  }
}

void Ask837P(Questions& q) {
  Ask837Head(q, kAlwaysProfessional);
  q.Include("Include Rendering Provider Information?", kPayerTitle, kRendering);
  q.Include("Include Facility Information?", kPayerTitle, kFacility);
  q.Include("Include Service Location Information?", kPayerTitle, kServiceLocation);
  q.Include("Include Independent LAB Information?", kPayerTitle, kIndependentLab);
  q.Include("Include Testing LAB Information?", kPayerTitle, kTestingLab);
  if (q.Ask("Include Service Line Information?", kServiceLines)) {
    AskLines(q, kServiceLines, 10, 50, "Must be 0 minimum 50 maximum.", kProfessionalLine);
  }
}

void Ask837D(Questions& q) {
  q.Include("Include Subscriber Information?", kSubscriberData, kSubscriber);
  q.Include("Include Patient Information?", kPayerTitle, kPatient);
  q.Include("Include Payer Information?", kPayerTitle, kPayer);
  q.Add(kAlwaysProfessional);
  if (q.Ask("Include Service Line Information?", kServiceLines)) {
    AskLines(q, kServiceLines, 10, 50, "Must be 0 minimum 50 maximum.", kDentalLine);
  }
}

void Ask835(Questions& q) {
  q.Include("Include Subscriber Information?", kSubscriberData, kSubscriber);
  q.Include("Include Patient Information?", kPayerTitle, kPatient);
  q.Include("Include Claim Payment Information?", "CLP Segment Data Loop 2100", kClaimPayment);
  constexpr std::string_view kCas = "CAS Segment Data Loop 2100";
  if (q.Ask("Include Claim Adjustments?", kCas)) {
    const int count = q.Count("Number of additional claim adjustments to include?", kCas, 6, 6,
                              "Must be 0 minimum 6 maximum.");
    q.Add(kClaimAdjustment);
    for (int k = 1; k <= count; ++k) q.Add(kClaimAdjustmentEach, FormatInteger(k));
  }
  constexpr std::string_view kLoop2110 = "Loop 2110 Data";
  if (q.Ask("Include Service Line Information?", kLoop2110)) {
    const int lines = q.Count("Number of service lines to include?", kLoop2110, 10, 998,
                              "Must be 0 minimum 999 maximum.");
    const int adjustments = q.Count("Number of ajustment segments per service lines to include?",
                                    kLoop2110, 1, 98, "Must be 0 minimum 99 maximum.");
    for (int n = 1; n <= lines; ++n) {
      const std::string line = FormatInteger(n);
      q.Add(kRemitLine, line);
      if (adjustments > 1) {
        for (int m = 1; m <= adjustments - 1; ++m) {
          q.Add(kRemitLineAdjustment, line + "." + FormatInteger(m));
        }
      } else {
        q.Add(kRemitLineAdjustment, line);
      }
    }
  }
  constexpr std::string_view kProvider = "Provider Summary Adjustments";
  if (q.Ask("Include Provider Adjustments?", kProvider)) {
    const int count = q.Count("Number of additional claim adjustments to include?", kProvider, 1,
                              10, "Must be 0 minimum 10 maximum.");
    for (int k = 1; k <= count; ++k) {
      const std::string number = FormatInteger(k);
      q.Add({"PROVADJREFID", "PROVADJPERIOD"}, number);
      for (char letter = 'A'; letter <= 'F'; ++letter) {
        q.Add(kProviderAdjustmentLetter, std::string(1, letter) + number);
      }
    }
  }
}

void AskEligibility(Questions& q) {
  q.Include("Include Subscriber Information?", kSubscriberData, kEligibilitySubscriber);
  q.Include("Include Dependent Information?", "Dependent", kDependent);
  q.Add(kEligibilityAlways);
  AskLines(q, kServiceLines, 10, 998, "Must be 0 minimum 999 maximum.", kEligibilityLine);
}

void AskStatus(Questions& q) {
  q.Include("Include Subscriber Information?", kSubscriberData, kSubscriber);
  q.Include("Include Patient Information?", kPayerTitle, kPatient);
  q.Include("Include Claim Information?", "CLP Segment Data Loop 2100", kStatusClaim);
}

// "Select Transaction Type": the button caption, or "837I" when the dialog
// is closed.
std::string ChooseTransactionType() {
  static constexpr std::string_view kTypes[] = {"837I", "837P", "837D", "835",
                                                "270",  "271",  "276",  "277"};
  ui::Dialog dialog("Select Transaction Type", 180, 190);
  std::string chosen = "837I";
  int row = 10;
  for (std::string_view type : kTypes) {
    const std::string id = ToLower(type);
    dialog.AddButton(id, std::string(type), ui::Rect{10, row, 60, 12}).font = ui::Font::kF1;
    dialog.OnClick(id, [&chosen, type](ui::Dialog& d, const ui::Event&) {
      chosen = type;
      d.Close(1);
    });
    row += 20;
  }
  ui::CurrentUi().RunModal(dialog);
  return chosen;
}

// "Select File Type": true for XML; closing the dialog counts as CSV.
bool ChooseXml() {
  ui::Dialog dialog("Select File Type", 180, 70);
  bool xml = false;
  dialog.AddButton("xml", "XML", ui::Rect{10, 10, 60, 12}).font = ui::Font::kF1;
  dialog.AddLabel("preferred", "(Preferred)", ui::Rect{80, 10, 99, 12});
  dialog.AddButton("csv", "CSV", ui::Rect{10, 30, 60, 12}).font = ui::Font::kF1;
  dialog.OnClick("xml", [&xml](ui::Dialog& d, const ui::Event&) {
    xml = true;
    d.Close(1);
  });
  dialog.OnClick("csv", [](ui::Dialog& d, const ui::Event&) { d.Close(1); });
  ui::CurrentUi().RunModal(dialog);
  return xml;
}

}  // namespace

std::vector<std::string> CountedGroupNames(std::string_view stem, int segments, int elements) {
  std::vector<std::string> names;
  elements = std::min(elements, 12);
  if (segments == 1) {
    for (int e = 1; e <= elements; ++e) {
      names.push_back(Numbered(stem, (e < 10 ? "0" : "") + FormatInteger(e)));
    }
    return names;
  }
  for (int e = 1; e <= elements; ++e) {
    const char letter = static_cast<char>('A' + e - 1);
    for (int k = 1; k <= segments; ++k) {
      names.push_back(Numbered(stem, std::string(1, letter) + FormatInteger(k)));
    }
  }
  return names;
}

std::optional<fs::path> MapWizard(const fs::path& folder) {
  ui::Ui& ui = ui::CurrentUi();
  const std::string type = ChooseTransactionType();
  const bool xml = ChooseXml();
  const std::string name = "qv" + ToLower(type) + (xml ? ".xml" : ".csv");
  const fs::path target = folder.empty() ? fs::path(name) : folder / name;

  if (const std::optional<fs::path> existing = FindFileNoCase(folder, name)) {
    // The old map is replaced only when the new one is complete (the write
    // below renames over it), so declining or failing later keeps it.
    if (!ui.AskYesNo(
            "A map file already exists. Do you wish to replace the existing " + type + " map file?",
            " Erase Existing QV" + type + ".XML Mapping File?", false)) {
      ui.Launch(ui::LaunchKind::kEditor, existing->string());
      return existing;
    }
  } else if (!ui.AskYesNo("Do you wish to create an " + type + " map file?",
                          " Create a QV" + type + ".XML Mapping File?", true)) {
    return std::nullopt;
  }

  Questions q;
  if (type == "837I") {
    Ask837I(q);
  } else if (type == "837P") {
    Ask837P(q);
  } else if (type == "837D") {
    Ask837D(q);
  } else if (type == "835") {
    Ask835(q);
  } else if (type == "270" || type == "271") {
    AskEligibility(q);
  } else {
    AskStatus(q);
  }
  const std::vector<std::string> names = q.Take();
  const std::string text = xml ? XmlMapText(names) : CsvMapText(names);

  if (!WriteMapFile(folder, name, text)) {
    // The old map, if any, is untouched; it is shown as before.
    if (const auto kept = FindFileNoCase(folder, name)) {
      ui.Launch(ui::LaunchKind::kEditor, kept->string());
      return kept;
    }
    return std::nullopt;
  }
  ui.Launch(ui::LaunchKind::kEditor, target.string());
  return target;
}

}  // namespace ardentix
