# The export engine with its dialog (included by this folder's CMakeLists.txt),
# and the 837 family that plugs into it.
ardentix_library(export
  SOURCES engine.cc odbc_widths.cc export_dialog.cc
  DEPS export_catalogue export_maps export_writers x12 logs ui pdf common)
ardentix_test(export_engine_test
  SOURCES engine_test.cc export_dialog_test.cc
  DEPS export)
