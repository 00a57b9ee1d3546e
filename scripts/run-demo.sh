#!/usr/bin/env bash
# The main job on its built-in defaults, with nothing real: a simulated device
# on a private network, a printer set up for it in a demonstration registry
# store, and a printer driver's request for the printer's configuration over
# a private session bus that starts the server on demand (qxctl
# printer-config). Usage: scripts/run-demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin=$root/${1:-build}/bin

# Everything happens inside a network namespace of its own: the device's
# address exists only there, and nothing can leave the machine.
if [ "${QX_DEMO_INSIDE:-}" != 1 ]; then
    if [ "$(id -u)" -ne 0 ]; then exec sudo -E "$0" "$@"; fi
    exec unshare --net env QX_DEMO_INSIDE=1 "$0" "$@"
fi
ip link set lo up

work=$(mktemp -d /tmp/qx-demo-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export QX_REGISTRY_DIR=$work/store XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$QX_REGISTRY_DIR" "$XDG_DATA_HOME/dbus-1/services" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
device=127.0.0.2
step() { printf '\n== %s\n' "$*"; }

step "A simulated device answers SNMP at $device (snmpsim, profile data/demo/korvalen-5070.snmprec)"
mkdir -p "$work/device" "$work/cache"
# snmpsim wants its records in OID order and no comments.
python3 - "$root/data/demo/korvalen-5070.snmprec" > "$work/device/public.snmprec" <<'PY'
import sys
rows = [l.rstrip("\n") for l in open(sys.argv[1]) if l.strip() and not l.startswith("#")]
rows.sort(key=lambda l: [int(a) for a in l.split("|")[0].split(".")])
print("\n".join(rows))
PY
chown -R nobody:nogroup "$work/device" "$work/cache"
snmpsimd --data-dir="$work/device" --cache-dir="$work/cache" \
    --agent-udpv4-endpoint=$device:161 --process-user=nobody --process-group=nogroup \
    >"$work/snmpsim.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    snmpget -v1 -c public -r0 -t0.2 -Oqv $device 1.3.6.1.2.1.1.2.0 >/dev/null 2>&1 && break
    sleep 0.1
done
echo "sysObjectID: $(snmpget -v1 -c public -Oqvn $device 1.3.6.1.2.1.1.2.0)"

step "An administrator sets up the printer \"Korvalen 5070\" on a Standard TCP/IP port for it"
cat > "$work/printer.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Korvalen 5070]
"Name"="Korvalen 5070"
"Port"="IP_$device"
"Printer Driver"="Quorvia KV-C5070 PCL6"
"Location"="Second floor, room 2.14"

[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\IP_$device]
"IPAddress"="$device"

[HKEY_CURRENT_USER\\Software\\KORVALEN\\Quorvia KORVALEN Client\\QX-Tendra]
"SNMPNoConnnectTimeoutInHundredthOfASecond"=dword:00000064
REG
"$bin/qxreg" import "$work/printer.reg"

step "A private session bus that starts the server on demand"
cat > "$work/bus.conf" <<CONF
<busconfig><type>session</type>
 <listen>unix:path=$XDG_RUNTIME_DIR/bus</listen><auth>EXTERNAL</auth>
 <servicedir>$XDG_DATA_HOME/dbus-1/services</servicedir>
 <policy context="default"><allow send_destination="*" eavesdrop="true"/>
  <allow eavesdrop="true"/><allow own="*"/><allow user="*"/></policy></busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile >"$work/bus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/bus" ] && break; sleep 0.1; done
"$bin/AL1MISvr" -RegServer
echo "Registered; service file: $(ls "$XDG_DATA_HOME/dbus-1/services"); no server is running."

step "The printer driver asks for the printer's configuration (family code 3, a-LUMERA)"
# As a driver does: a configuration object (the bus starts the server), a
# cancel event, InitPrinter with the printer's port, server and attributes,
# every getter, ExitPrinter.
"$bin/qxctl" printer-config "Korvalen 5070" --family 3
server=$(busctl --user status com.quorvia.KORVALENMISvr 2>/dev/null | sed -n 's/^PID=//p')
if [ -n "$server" ]; then
    start=$(date +%s)
    while kill -0 "$server" 2>/dev/null; do
        [ $(($(date +%s) - start)) -gt 30 ] && { echo "The server did not end."; exit 1; }
        sleep 0.2
    done
    echo "The server that the bus started (pid $server) ended by itself $(($(date +%s) - start)) s later."
fi
