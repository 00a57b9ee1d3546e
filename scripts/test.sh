#!/usr/bin/env bash
# Installs what is needed, builds the normal and the sanitizer (ASan + UBSan)
# trees and runs every test in both. Any failure fails the run.
#
# Each tree's run ends with the number of tests that ran and that skipped
# (GoogleTest cases; a program in which one skipped is shown by ctest as
# "Skipped"). In CI (CI=true) a skipped test fails the run unless it is
# listed in tests/skips-allowed.txt with a reason: CI runs as root and has
# every tool, so nothing there has a reason to skip.
#
# QX_TREES limits the run to some of the trees ("build", "build-asan").
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

trees=${QX_TREES:-build build-asan}
for dir in $trees; do
    case $dir in
        build) scripts/build.sh build ;;
        build-asan) QX_BUILD_TYPE=Debug scripts/build.sh build-asan -DQX_SANITIZE=ON -DQX_BUILD_BENCH=OFF ;;
        *) echo "unknown tree $dir" >&2; exit 2 ;;
    esac
done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0

# Counts the cases in the GoogleTest reports of one tree and applies the CI
# rule. Prints the counts and the skipped cases; exits 1 when the rule fails.
summarise() {
    python3 - "$1" "$2" "${CI:-}" <<'PY'
import glob, sys, xml.etree.ElementTree as ET
results, allowed_file, ci = sys.argv[1], sys.argv[2], sys.argv[3] == "true"
allowed = {}
for number, line in enumerate(open(allowed_file, encoding="utf-8"), 1):
    line = line.strip()
    if not line or line.startswith("#"):
        continue
    name, _, reason = line.partition(" ")
    if not reason.strip():
        sys.exit(f"{allowed_file}:{number}: {name} has no reason")
    allowed[name] = reason.strip()
ran, skipped, unreadable = 0, [], []
for report in sorted(glob.glob(f"{results}/*.xml")):
    try:
        cases = ET.parse(report).getroot().iter("testcase")
    except ET.ParseError:
        unreadable.append(report)
        continue
    for case in cases:
        if case.get("status") != "run":
            continue  # disabled
        name = f"{case.get('classname')}.{case.get('name')}"
        if case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped.append(name)
        else:
            ran += 1
print(f"{ran} tests ran, {len(skipped)} skipped")
for name in skipped:
    print(f"  skipped: {name}" + (f" (allowed: {allowed[name]})" if name in allowed else ""))
for report in unreadable:
    print(f"  unreadable report: {report}")
refused = [n for n in skipped if n not in allowed]
if ci and refused:
    print(f"CI: {len(refused)} skipped tests are not in {allowed_file}")
    sys.exit(1)
PY
}

status=0
for dir in $trees; do
    echo "== tests in $dir"
    results=$PWD/$dir/test-results
    rm -rf "$results"
    mkdir -p "$results"
    tree_status=0
    GTEST_OUTPUT=xml:$results/ ctest --test-dir "$dir" --output-on-failure -j "${QX_JOBS:-2}" \
        --timeout 600 || tree_status=$?
    echo "== summary of $dir"
    summarise "$results" tests/skips-allowed.txt || tree_status=1
    [ "$tree_status" -eq 0 ] || status=1
done
exit $status
