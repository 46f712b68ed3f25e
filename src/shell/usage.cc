#include "shell/usage.h"

#include "shell/startup.h"

namespace ardentix::shell {

std::string UsageText() {
  return R"(Usage: ardentix [TYPE [SOURCE [DESTINATION [OPTIONS]]]]
       ardentix FOLDER
       ardentix --help | --version

Converts and shows health-care X12 files (837 I/P/D, 835, 270/271, 276/277,
997/999, 864). With a SOURCE the run is unattended: no window opens, questions
take their default answer (a terminal is asked), and the run is logged to
parse.log. Without a SOURCE the user interface starts; a single FOLDER
parameter makes it work in that folder.

Parameters (positional; a later one can only be given with all earlier ones):
  TYPE         output type word (below)
  SOURCE       an X12 file, or a folder whose X12 files are all processed
  DESTINATION  output file or folder; for ODBC the data source and table as DSN:TABLE
  OPTIONS      option words separated by commas, e.g. HO,OW

Type words:
  CSV        comma-separated export of the mapped fields
  XML        XML export of the mapped fields
  DBF        dBASE table export of the mapped fields
  ODBC       export into the ODBC table DESTINATION (DSN:TABLE)
  TXT        readable text report
  HTM        HTML report
  RTF        RTF report
  PDF        PDF report
  837        one 837 file per claim
  835        the transaction handler's 835 output (from an 837 source: a 997 file)
  276        one 276 claim status request per claim
  HL7        HL7 text from the claims
  ISA        split the source into one file per production interchange
  CSVTO837I  CSV to 837I; accepted, but no such conversion is available

Option words:
  OW            overwrite existing outputs without asking
  IC            individual claims: one output per claim
  MF            merge into the destination (DBF and ODBC: use an existing table)
  MN            keep the whole source file name as the output name (CSV from a folder)
  MO            progress meters off
  HO            first line of the output holds the field names
  FL            X12 loop layout instead of the mapped layout
  SL            835 exports: one row per service line
  PO            passed to the export engine; no effect there
  SO            passed to the export engine; no effect there
  ML            a new parse log per run (PARSE<date><time>.LOG) instead of parse.log
  ST            ask no questions (command-line runs never ask anyway)
  MAP=file      the map file of the export (used when the file exists)
  SELECTMAP=mask  choose the map file in a file chooser with this mask
  FILTER=field,value  835 outputs: only the claim payments whose field begins with value
  DEBUG=ON      write the export trace qvdebug.log

Exit status:
  0  the run did what was asked
  1  a run-time error; Error.log is written in the current folder
  2  usage error: missing or unknown type word, missing source, or a run mode
     this build does not include
  3  a file could not be processed, or an output could not be written or was declined
)";
}

std::string VersionText() {
  return std::string(ProductTitle(kModelCode)) + " (model " + std::string(kModelCode) +
         ") version" + std::string(kVersionText) + "\n";
}

std::optional<std::string> InformationalText(const std::vector<std::string>& args) {
  if (args.size() != 1) return std::nullopt;
  if (args[0] == "--help") return UsageText();
  if (args[0] == "--version") return VersionText();
  return std::nullopt;
}

}  // namespace ardentix::shell
