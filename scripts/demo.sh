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
