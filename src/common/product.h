// The product's identity: model code, title and version text. They appear in
// logs, the error report, the splash and --version.
#ifndef ARDENTIX_COMMON_PRODUCT_H_
#define ARDENTIX_COMMON_PRODUCT_H_

#include <string_view>

namespace ardentix {

// Characters 5 to 8 are the model number; 6 to 8 select the product title.
inline constexpr std::string_view kModelCode = "QVK0M318";
inline constexpr std::string_view kProductTitle = "Ardentix";
// The version text, with its leading blank; the sub-version text is the same.
inline constexpr std::string_view kVersionText = " 1.18H-20";

}  // namespace ardentix

#endif  // ARDENTIX_COMMON_PRODUCT_H_
