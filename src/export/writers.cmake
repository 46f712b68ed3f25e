# The output writers: comma-separated, XML, dBASE and, when unixODBC is
# installed, ODBC. Included by this folder's CMakeLists.txt.
set(ARDENTIX_WRITER_SOURCES writers.cc writer_file.cc csv_writer.cc xml_writer.cc dbf_writer.cc
    odbc_writer_common.cc)

option(ARDENTIX_ODBC "Build the ODBC writer (needs unixODBC)" ON)
set(ARDENTIX_ODBC_LIBRARY "")
if(NOT ARDENTIX_ODBC)
  # Built without ODBC on request.
else()
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(ARDENTIX_ODBC_PC QUIET IMPORTED_TARGET odbc)
  endif()
endif()
if(NOT ARDENTIX_ODBC)
elseif(TARGET PkgConfig::ARDENTIX_ODBC_PC)
  set(ARDENTIX_ODBC_LIBRARY PkgConfig::ARDENTIX_ODBC_PC)
else()
  find_path(ARDENTIX_ODBC_INCLUDE sqlext.h)
  find_library(ARDENTIX_ODBC_LIB odbc)
  if(ARDENTIX_ODBC_INCLUDE AND ARDENTIX_ODBC_LIB)
    add_library(ardentix_odbc INTERFACE)
    target_include_directories(ardentix_odbc INTERFACE ${ARDENTIX_ODBC_INCLUDE})
    target_link_libraries(ardentix_odbc INTERFACE ${ARDENTIX_ODBC_LIB})
    set(ARDENTIX_ODBC_LIBRARY ardentix_odbc)
  endif()
endif()

if(ARDENTIX_ODBC_LIBRARY)
  message(STATUS "Export writers: ODBC writer built with unixODBC")
  ardentix_library(export_writers
    SOURCES ${ARDENTIX_WRITER_SOURCES} odbc_writer.cc
    DEPS common export_catalogue ${ARDENTIX_ODBC_LIBRARY})
else()
  message(WARNING "Export writers: unixODBC not found (Debian package unixodbc-dev) or "
                  "ARDENTIX_ODBC is OFF; building without the ODBC writer: ODBC exports "
                  "will fail with a message")
  ardentix_library(export_writers
    SOURCES ${ARDENTIX_WRITER_SOURCES}
    DEPS common export_catalogue)
endif()
if(ARDENTIX_ODBC_LIBRARY)
  target_compile_definitions(export_writers PRIVATE ARDENTIX_HAVE_ODBC=1)
endif()

ardentix_test(export_writers_test
  SOURCES writers_test.cc dbf_writer_test.cc
  DEPS export_writers)
if(ARDENTIX_ODBC_LIBRARY)
  ardentix_test(export_odbc_writer_test
    SOURCES odbc_writer_test.cc
    DEPS export_writers)
endif()
