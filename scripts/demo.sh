#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job on its built-in
# defaults (scripts/run-demo.sh): a simulated device, no real printer needed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec scripts/run-demo.sh build
