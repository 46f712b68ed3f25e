# The export engine with its dialog (included by this folder's CMakeLists.txt),
# and the 837 family that plugs into it.
ardentix_library(export
  SOURCES engine.cc odbc_widths.cc export_dialog.cc
  DEPS export_catalogue export_maps export_writers x12 logs ui pdf common)
ardentix_test(export_engine_test
  SOURCES engine_test.cc export_dialog_test.cc
  DEPS export)

# The 837 family and its mode-109 handler (above the claim field lookup).
ardentix_library(export_837
  SOURCES export_837.cc
  DEPS export claims_fields)
ardentix_test(export_837_test
  SOURCES export_837_test.cc
  DEPS export_837)

# The sets of one file exported through the dispatcher into one joined output.
ardentix_test(export_joined_test
  SOURCES joined_export_test.cc
  DEPS export_837)
