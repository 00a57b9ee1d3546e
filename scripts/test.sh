#!/usr/bin/env bash
# Installs what is needed, builds the normal and the sanitizer (ASan + UBSan)
# trees and runs every test in both. Any failure fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

scripts/build.sh build
QX_BUILD_TYPE=Debug scripts/build.sh build-asan -DQX_SANITIZE=ON -DQX_BUILD_BENCH=OFF

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
for dir in build build-asan; do
    echo "== tests in $dir"
    ctest --test-dir "$dir" --output-on-failure -j "${QX_JOBS:-2}" --timeout 600
done
