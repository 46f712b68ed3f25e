// dBASE III tables: the writer of format "C" (through MakeDbfWriter in
// writers.h) and the naming rule of its output. The file format itself (the
// header, the reader, the appending of tables) is common/dbf.h, included
// here for the writer's callers.
//
// The writer names the fields F_000001, F_000002, ... and takes their lengths
// from the column widths. A table that does not exist is created; an existing
// one receives further records after its fields have been checked against
// the export's (count, names, types, widths): on a mismatch nothing is
// appended and the reason is returned. The record count and the date are
// written when the writer closes. No work files are made.
#ifndef ARDENTIX_EXPORT_DBF_WRITER_H_
#define ARDENTIX_EXPORT_DBF_WRITER_H_

#include <string>
#include <string_view>

#include "common/dbf.h"

namespace ardentix {

inline constexpr std::string_view kDbfDigitNameError =
    "DBF File Name Error. DBF file name cannot begin with a number.";

// The file a dBASE export writes: with `prefix_digit_names`, a file name
// (the part after the last "/") that begins with a digit gets "a_" in front;
// the folders of the path are left alone. `prefixed`, when given, tells
// whether the prefix was added.
std::string DbfOutputPath(std::string_view path, bool prefix_digit_names, bool* prefixed = nullptr);

}  // namespace ardentix

#endif  // ARDENTIX_EXPORT_DBF_WRITER_H_
