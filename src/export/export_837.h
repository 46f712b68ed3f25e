// The 837 claim family of the export engine, and the 837 handler of
// dispatch mode 109.
//
//  - Claims837Family: one row per claim (occurrence k = 1..m of claim unit
//    n, n = 1..the subscriber levels of the part, m the CLM segments of the
//    unit); a field's value is the claim-level lookup for names of a group
//    code above 200, the header-level lookup otherwise, and, when that is
//    blank, the ParseSpecValue of the name (comma-separated and XML only).
//    Lookup values are CsvCleaned in every format; ParseSpecValue is raw.
//    The catalogue is that of the claim type (CLAIMTYPE of claim 1 of unit
//    1). The field names are bound once per export (qv.ini's [X12UDF] read
//    once) and one ClaimLookup serves every row.
//  - Export837Handler: the handler the dispatcher calls for an 837 part in
//    mode 109: the unattended export of ExportDialog, its failure reported
//    through DispatchContext::failed. It returns empty text.
//  - Register837ExportHandler: puts the handler into a HandlerTable's 837
//    slot for mode 109; in every other mode the slot's previous handler
//    (the claim listing, when it is registered first) still answers.
#ifndef ARDENTIX_EXPORT_EXPORT_837_H_
#define ARDENTIX_EXPORT_EXPORT_837_H_

#include <memory>
#include <string>

#include "export/engine.h"
#include "export/export_dialog.h"
#include "x12/dispatch.h"

namespace ardentix {

class Claims837Family : public ExportFamily {
 public:
  Claims837Family();
  const FamilyTraits& traits() const override { return traits_; }
  // The subscriber levels (HL segments with HL03 "22").
  std::size_t UnitCount(const ExportPart& part) const override;
  // CLAIMTYPE of occurrence 1 of claim unit 1, upper-cased.
  std::string ClaimType(const ExportPart& part) const override;
  FieldCatalogue Catalogue(const ExportPart& part, CatalogueVariant variant) const override;
  std::unique_ptr<RowSource> Rows(const ExportPart& part, const RowRequest& request) const override;

 private:
  FamilyTraits traits_;
};

// The family object shared by the handler and the claim listing.
const Claims837Family& Claims837();

// The unattended export of one 837 part (mode 109). Other modes return
// empty text and do nothing.
std::string Export837Handler(x12::DispatchContext& context);

// Makes `table.claims` answer mode 109 with Export837Handler and hand every
// other mode to the handler that was there before (when there was one).
void Register837ExportHandler(x12::HandlerTable& table);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_EXPORT_837_H_
