// The "Select Format" dialog: one column of buttons in which a person picks
// the kind of output before an export, a report or a claim-form action.
// A format button closes the dialog and gives its one-letter code; "Cancel"
// and the close box give empty text. What a code means is the caller's
// business.
//
//   variant 1 (report formatter): "Text" A, "HTML" B, "RTF" C, "PDF" D
//   variant 2 (export dialog):    "CSV" A, "XML" B, "DBF" C
//   variant 3 (claim-form print): "Print" A; "Form Control" opens the
//                                 form-alignment dialog and keeps the choice open
//   variant 4 (claim-form image): "BMP" A, "JPG" B, "TIF" C
#ifndef ARDENTIX_EXPORT_FORMAT_CHOICE_H_
#define ARDENTIX_EXPORT_FORMAT_CHOICE_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/dialog.h"

namespace ardentix {

// The form-alignment dialog opened by "Form Control" (variant 3). It lives
// above this layer, so the program registers it; without one the button
// does nothing. Returns the previous opener.
using FormControlOpener = std::function<void(const std::string& folder)>;
FormControlOpener SetFormControlOpener(FormControlOpener opener);

// Builds the dialog of a variant (1 to 4; nullptr for any other) with its
// handlers; a pressed format button stores its code in `*code` and closes
// the dialog. `folder` is handed to the form-alignment dialog (variant 3).
std::unique_ptr<ui::Dialog> BuildFormatDialog(int variant, const std::string& folder,
                                              std::string* code);

// Shows the dialog of the variant modally and returns the code of the
// pressed button, or empty text (Cancel, close box, unknown variant, or an
// unattended run, where no dialog is shown).
std::string SelectFormat(int variant, const std::string& folder = {});

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_FORMAT_CHOICE_H_
