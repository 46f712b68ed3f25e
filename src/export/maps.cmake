# Map files, the map wizard and the format choice (included by CMakeLists.txt).
ardentix_library(export_maps
  SOURCES map_file.cc map.cc map_wizard.cc format_choice.cc
  DEPS export_catalogue logs ui common)
ardentix_test(export_maps_test
  SOURCES map_file_test.cc map_test.cc map_wizard_test.cc format_choice_test.cc
  DEPS export_maps)
