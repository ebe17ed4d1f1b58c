#!/bin/bash
# Try the programs without hardware: installs whatever is missing, builds the Windows build,
# prepares the project's Wine prefix with the stand-in driver (simulated chips behind COM21 and
# COM22) and opens a shell where these work as typed:
#   zq61prog ...        the console programmer
#   zq61station ...     the station's window (on your display, or on a private Xvfb display)
#   ZQ61CFG             the dialog
#   board ...           plug, unplug, break a simulated board (board alone says how)
# With --ledger it also starts a throw-away PostgreSQL server, sets ZQ61_LEDGER to it and runs
# `zq61prog ledger init`, so the line's commands work too. Everything it started (the
# wineserver, Xvfb, the database server) is stopped when the shell ends.
#   scripts/try.sh [--ledger]
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

ledger=0
case "${1:-}" in
'') ;;
--ledger) ledger=1 ;;
*) echo "usage: $0 [--ledger]" >&2; exit 2 ;;
esac

bash scripts/build-windows.sh

export ZQ_BUILD_DIR="$repo/build/windows"
source scripts/wine-env.sh
bash scripts/wine-prefix.sh >/dev/null
source scripts/xvfb.sh
source scripts/db-servers.sh
# Everything started here is stopped on every way out.
trap 'zq_wineserver_stop; zq_xvfb_stop; zq_db_stop' EXIT
# Ctrl+C at the shell's prompt must not end this script; a trap (not an ignore) leaves the
# programs started from the shell their own Ctrl+C.
trap ':' INT

display="your display ${DISPLAY:-}"
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    zq_xvfb_start
    display="a private Xvfb display ($DISPLAY, nothing shows; e.g. import -window root shot.png)"
fi
zq_wineserver_start
bash scripts/sim-driver.sh start >/dev/null

if [ "$ledger" = 1 ]; then
    echo "starting a throw-away PostgreSQL server..."
    zq_db_start pg >"$ZQ_WINE_LOGS/try-db.out" 2>&1 || { cat "$ZQ_WINE_LOGS/try-db.out"; exit 1; }
    export ZQ61_LEDGER="$ZQ_TEST_PG"
    wine "$ZQ_BUILD_DIR/programmer/zq61prog.exe" ledger init
fi

# The shell starts in a folder of its own, so the logs it writes stay out of the sources; it is
# emptied first, since the simulated chips start blank in every session and an old log would
# not match them.
rm -rf "$repo/build/try"
mkdir -p "$repo/build/try"
# The default label, as the package has it beside the exes.
cp "$repo/res/label_default.zpl" "$repo/build/try/"
rc="$repo/build/try-shell.rc"
cat >"$rc" <<RC
[ -f ~/.bashrc ] && source ~/.bashrc
export PATH="$repo/scripts/try-bin:\$PATH"
cd "$repo/build/try"
PS1='(zq61 try) \w\\$ '
RC
cat <<BANNER

Simulated chips on COM21 and COM22 (blank), windows on $display.
Try:  zq61prog list
      zq61prog write --port COM21 --serial SN000001 --product "Bench Board"
      zq61prog read --port COM21
      zq61prog batch --serial-from ZQ000001 --log shift.csv --count 3 &
      board next COM21     (the next, blank board in COM21's socket)
      board             (plug, unplug, next, break, mend, hold, release a simulated board)
      zq61station --serial-from ZQ000101 --log station.csv &
      label-printer 9100 labels &     (a network label printer: each label to labels/)
      zq61prog batch --serial-from ZQ000201 --log labelled.csv --count 2 \\
          --label label_default.zpl --printer tcp:127.0.0.1:9100
BANNER
if [ "$ledger" = 1 ]; then
    cat <<BANNER
      zq61prog ledger sequence --name line1 --serial-from ZQ000001
      zq61prog batch --sequence line1 --station st-a --ports COM21 --count 1
      zq61prog ledger report --sequence line1
BANNER
fi
echo "exit (or Ctrl+D) ends the shell and stops everything this started."
echo
bash --rcfile "$rc" -i || true
