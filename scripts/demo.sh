#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job on its built-in
# defaults (scripts/run-demo.sh): a simulated device, no real printer needed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Only what the main job runs: the server, its tools and their data, no tests.
QX_TARGETS="AL1MISvr qxctl qxreg qx_data" scripts/build.sh build
exec scripts/run-demo.sh build
