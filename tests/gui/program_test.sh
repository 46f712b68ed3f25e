#!/bin/sh
# The program on a display: started without parameters it opens the main
# window (after the start-up splash); "Exit Application" ends it at once and
# "Quit Application" after its 1-second splash, both with exit status 0. A
# folder parameter opens the main window too; an exception in a menu action
# ends in the error dialog, Error.log and exit status 1.
# Usage: program_test.sh HARNESS [PROGRAM]
#   HARNESS is the test build of the program; PROGRAM, the program itself,
#   is only checked to open its window (it loads its desktop module).
set -u
harness=${1:?usage: program_test.sh HARNESS [PROGRAM]}
harness=$(cd "$(dirname "$harness")" && pwd)/$(basename "$harness")
program=${2:-}
[ -n "$program" ] && program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "SKIP: xvfb-run is not installed"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for run in tool_exit quit throw folder; do
  press=$run
  mkdir -p "$work/$run"
  set --
  if [ "$run" = folder ]; then
    # Started with one parameter naming a folder: the user interface works there.
    press=tool_exit
    mkdir -p "$work/data"
    set -- "$work/data"
  fi
  ( cd "$work/$run" && NO_AT_BRIDGE=1 ARDENTIX_GUI_SCRIPT=$press timeout 120 \
      xvfb-run -a -s "-screen 0 1280x1024x24" "$harness" "$@" >"$work/$run.out" 2>"$work/$run.err" )
  rc=$?
  log=$(grep "^gui: " "$work/$run.err")
  echo "== $run: exit status $rc"
  echo "$log"
  # What must be there, in this order (start-up splash first).
  want="shown: Ardentix|shown: M318 Ardentix|closed: M318 Ardentix|press: $press"
  if [ "$press" = throw ]; then
    # An exception in a menu action: the error dialog, Error.log, status 1.
    want="shown: Ardentix|shown: M318 Ardentix|closed: M318 Ardentix|press: service_account"
    want="$want|shown: Qorvane Software Error Handler|press: exit"
    want="$want|closed: Qorvane Software Error Handler"
    got=$(echo "$log" | sed 's/^gui: +[0-9]* //' | paste -sd'|' -)
    if [ "$rc" -ne 1 ] || [ "$got" != "$want" ] || ! grep -q "the harness failed on purpose" "$work/$run/Error.log"; then
      echo "FAIL: throw: status $rc, windows $got"; cat "$work/$run.err"; failed=1
    fi
    continue
  elif [ "$press" = quit ]; then
    want="$want|shown: M318 Ardentix|closed: M318 Ardentix|closed: Ardentix"
  else
    want="$want|closed: Ardentix"
  fi
  got=$(echo "$log" | sed 's/^gui: +[0-9]* //' | paste -sd'|' -)
  if [ "$rc" -ne 0 ]; then
    echo "FAIL: $press ended with status $rc"; cat "$work/$run.err"; failed=1
  elif [ "$got" != "$want" ]; then
    echo "FAIL: $press: windows were"; echo "  $got"; echo "expected"; echo "  $want"; failed=1
  elif [ -e "$work/$run/Error.log" ] || [ -e "$work/data/Error.log" ]; then
    echo "FAIL: $press wrote Error.log"; failed=1
  else
    # Time from the press to the main window's end: the quit splash takes 1 s.
    took=$(echo "$log" | awk -v p="press: $press" '
      { t = substr($2, 2) + 0; sub(/^gui: \+[0-9]+ /, "") }
      $0 == p { start = t } $0 == "closed: Ardentix" { print t - start }')
    echo "   main window closed $took ms after the press"
    if [ "$press" = quit ] && [ "$took" -lt 1000 ]; then
      echo "FAIL: quit closed the window after $took ms, before its splash's second"; failed=1
    fi
    if [ "$press" = tool_exit ] && [ "$took" -ge 1000 ]; then
      echo "FAIL: exit took $took ms; it closes at once"; failed=1
    fi
  fi
done
if [ -n "$program" ]; then
  mkdir -p "$work/program"
  # The program without parameters: still running with its window after
  # 3 seconds, and nothing said on stderr.
  state=$(cd "$work/program" && NO_AT_BRIDGE=1 xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$1" 2>"$2" & pid=$!
    sleep 3
    if kill -0 $pid 2>/dev/null; then echo open; kill $pid; else wait $pid; echo "ended $?"; fi
  ' sh "$program" "$work/program.err")
  echo "== program: $state"
  if [ "$state" != open ] || [ -s "$work/program.err" ]; then
    echo "FAIL: the program did not keep its window open"; cat "$work/program.err"; failed=1
  fi
fi
if [ $failed -ne 0 ]; then echo "0 passed, 1 failed"; exit 1; fi
echo "program on a display: exit and quit end with status 0"
