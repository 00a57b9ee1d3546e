#!/usr/bin/env bash
# Configures and builds one tree. Usage: scripts/build.sh [DIR] [cmake options...]
# DIR defaults to build/; QX_JOBS sets the parallelism (default 2); QX_TARGETS
# (blank-separated) builds only those targets instead of everything.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=${QX_BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
targets=()
for t in ${QX_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$dir" -j "${QX_JOBS:-2}" "${targets[@]}"
