#!/bin/sh
# Screenshots of the desktop windows under Xvfb: the main window, the
# splash, the Information dialog, the QV.INI Editor and the error dialog,
# written as PNG files into OUTDIR; the program checks the texts each window
# shows. Needs xvfb-run, xauth and fonts-liberation2.
# Usage: screenshots.sh OUTDIR
#   The screenshot program is $ARDENTIX_GUI_SCREENS, else
#   build/src/shell/ardentix_gui_screens under the repository.
set -u
out=${1:?usage: screenshots.sh OUTDIR}
root=$(cd "$(dirname "$0")/../.." && pwd)
screens=${ARDENTIX_GUI_SCREENS:-$root/build/src/shell/ardentix_gui_screens}
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "SKIP: xvfb-run is not installed"
  exit 77
fi
if [ ! -x "$screens" ]; then
  echo "no screenshot program at $screens (build with ARDENTIX_GUI on)"
  exit 1
fi
if ! fc-list 2>/dev/null | grep -q "Liberation Mono"; then
  echo "note: Liberation Mono is not installed (fonts-liberation2); pictures use another face"
fi
mkdir -p "$out"
NO_AT_BRIDGE=1 timeout 150 xvfb-run -a -s "-screen 0 1280x1024x24" "$screens" "$out"
