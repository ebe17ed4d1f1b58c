#!/bin/bash
# Registers and starts, stops, or reports on the zq61sim stand-in serial driver in the project's
# Wine prefix (made by wine-prefix.sh):
#   scripts/sim-driver.sh start    register (once) and start it; prints `zqsimctl ports`
#   scripts/sim-driver.sh stop     stop it and the prefix's wineserver
#   scripts/sim-driver.sh status   exit 0 and list the ports when it answers, 3 when not
#   scripts/sim-driver.sh remove   stop it and delete the service
# ZQ_BUILD_DIR (default build/windows) holds sim_chip/zq61sim.sys and sim_chip/zqsimctl.exe;
# ZQ_SIM_SYS and ZQ_SIMCTL name the two files directly instead.
#
# The driver's state lives as long as the wineserver: start leaves a persistent wineserver
# running (wineserver -p); stop ends it. With start= auto, Wine loads the driver again whenever
# a new wineserver session starts, so it comes back fresh (blank chips) in every session.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

build="${ZQ_BUILD_DIR:-$zq_repo/build/windows}"
sys="${ZQ_SIM_SYS:-$build/sim_chip/zq61sim.sys}"
ctl="${ZQ_SIMCTL:-$build/sim_chip/zqsimctl.exe}"
service=zq61sim
mkdir -p "$ZQ_WINE_LOGS"
log="$ZQ_WINE_LOGS/sim-driver.log"
out="$ZQ_WINE_LOGS/sim-driver.out"

die() {
    echo "sim-driver: $*" >&2
    exit 1
}

# Wine's output goes to files only: its background processes would hold a pipe open.
run() { wine "$@" >"$out" 2>>"$log" </dev/null; }
answers() { wine "$ctl" ports >"$out" 2>>"$log" </dev/null; }
# Wine's sc has no qc: the service's key tells whether and where it is registered.
registered() {
    run reg query "HKLM\\System\\CurrentControlSet\\Services\\$service" /v ImagePath &&
        grep -q ImagePath "$out"
}

start() {
    [ -f "$sys" ] || die "no $sys: build the windows preset first"
    [ -f "$ctl" ] || die "no $ctl: build the windows preset first"
    [ -f "$WINEPREFIX/system.reg" ] || die "no prefix at $WINEPREFIX: run scripts/wine-prefix.sh"
    # Registering in the session that ran `wineboot -i` leaves net start unable to find the
    # service; wine-prefix.sh ends its session, so this is always a later one.
    zq_wineserver_start
    local binpath
    binpath="Z:$(realpath "$sys" | sed 's#/#\\#g')"
    if ! registered; then
        run sc create "$service" type= kernel start= auto binPath= "$binpath" ||
            die "sc create failed (see $log)"
    elif ! grep -qiF "$binpath" "$out"; then
        # Wine's sc cannot reconfigure a service; its service manager reads the key when a
        # session starts, and start= auto then loads the driver from the new place.
        run reg add "HKLM\\System\\CurrentControlSet\\Services\\$service" /v ImagePath \
            /t REG_SZ /d "$binpath" /f || die "cannot change the driver's path (see $log)"
        zq_wineserver_stop
        zq_wineserver_start
    fi
    if ! answers; then
        run net start "$service" || true
    fi
    for _ in $(seq 1 50); do
        if answers; then
            cat "$out"
            return 0
        fi
        sleep 0.1
    done
    die "the driver does not answer (see $log)"
}

stop() {
    run net stop "$service" || true
    zq_wineserver_stop
}

case "${1:-}" in
start) start ;;
stop) stop ;;
status)
    if [ -f "$ctl" ] && answers; then
        cat "$out"
    else
        echo "zq61sim: not answering"
        exit 3
    fi
    ;;
remove)
    run net stop "$service" || true
    run sc delete "$service" || true
    zq_wineserver_stop
    ;;
*)
    echo "usage: $0 start|stop|status|remove" >&2
    exit 2
    ;;
esac
