#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job on its built-in
# defaults against a demonstration registry store (nothing on this machine's
# own store is touched).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build

bin=$PWD/build/bin
export QX_REGISTRY_DIR=$(mktemp -d /tmp/qx-demo-XXXXXX)
trap 'rm -rf "$QX_REGISTRY_DIR"' EXIT
echo "Demonstration store: $QX_REGISTRY_DIR"

echo
echo "== The settings the server reads, before any are stored"
"$bin/qxctl" settings --family 1 | sed -n 1,12p
echo
echo "== An installer creates the settings key and stores two settings"
"$bin/qxreg" add "HKCU\\Software\\KORVALEN\\Quorvia KORVALEN Client\\QX-Tendra" /v DoIpxDiscovery /t REG_DWORD /d 0 /f
"$bin/qxreg" add "HKCU\\Software\\KORVALEN\\Quorvia KORVALEN Client\\QX-Tendra" /v DoIpDiscoveryRangeFrom /t REG_SZ /d 10.1.0.1 /f
"$bin/qxreg" query "HKCU\\Software\\KORVALEN\\Quorvia KORVALEN Client\\QX-Tendra"
echo
echo "== The settings the server reads now"
"$bin/qxctl" settings --family 1 --json | grep -B2 -A3 '"stored": true'
echo
echo "== Export and import of the client key"
"$bin/qxreg" export "HKCU\\Software\\KORVALEN" "$QX_REGISTRY_DIR/client.reg" /y
"$bin/qxreg" delete "HKCU\\Software\\KORVALEN" /f
"$bin/qxreg" import "$QX_REGISTRY_DIR/client.reg"
"$bin/qxreg" query "HKCU\\Software\\KORVALEN" /s
echo
echo "== An administrator sets up printers: a Standard TCP/IP port, an IPP port, a printer"
echo "   connection to a QX-2 controller's share and a printer whose port name is its address"
cat > "$QX_REGISTRY_DIR/printers.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print\Printers\Office Laser]
"Name"="Office Laser"
"Port"="IP_10.1.2.3"
"Printer Driver"="QX Universal PCL"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print\Printers\Plotter]
"Name"="Plotter"
"Port"="AIPP_1"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print\Printers\Reception]
"Name"="Reception"
"Port"="10.1.2.7"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print\Monitors\Standard TCP/IP Port\Ports\IP_10.1.2.3]
"IPAddress"="10.1.2.3"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Print\Monitors\AIPP Port\Ports\AIPP_1]
"Url"="http://10.1.2.5:631/printers/plotter"

[HKEY_CURRENT_USER\Printers\Connections\,,CTRL,print]
"Port"="QX2Port"
REG
"$bin/qxreg" import "$QX_REGISTRY_DIR/printers.reg"
echo
echo "== The printers table: without a PrinterDiscovery store the port monitors are not asked"
"$bin/qxctl" printers --family 1 --spooler-addresses
echo
echo "== Storing the addresses creates the store; the next table reads the port monitors too"
"$bin/qxctl" printers --family 1 --spooler-addresses --store | tail -1
"$bin/qxctl" printers --family 1 | grep -E '^\[|^    address'
"$bin/qxreg" query "HKCU\\Software\\KORVALEN\\Quorvia KORVALEN Client\\QX-Tendra\\PrinterDiscovery"
