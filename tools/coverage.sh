#!/usr/bin/env bash
# Line and branch coverage of the library (src/) by the test suite: builds the
# coverage preset (gcc --coverage), runs every test but the Windows cross
# build, and prints the totals and the files below a line coverage of 90 %.
# The HTML report goes to build/coverage/html. Branches that exist only for
# exceptions thrown by the compiler's own code paths are not counted.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/coverage
rc=(--rc lcov_branch_coverage=1 --rc geninfo_no_exception_branch=1)

cmake --preset coverage >/dev/null
cmake --build --preset coverage -j2 >/dev/null
lcov --quiet --zerocounters --directory "$dir"
ctest --preset coverage -j2 >"$dir/tests.log" 2>&1 || { tail -20 "$dir/tests.log"; exit 1; }
lcov --quiet "${rc[@]}" --capture --directory "$dir" --output-file "$dir/all.info" 2>/dev/null
lcov --quiet "${rc[@]}" --extract "$dir/all.info" "$PWD/src/*" --output-file "$dir/src.info"
genhtml --quiet "${rc[@]}" --output-directory "$dir/html" "$dir/src.info" >/dev/null
lcov "${rc[@]}" --list "$dir/src.info" | awk -F'|' 'NR > 3 && $2 ~ /%/ { split($2, l, "%"); if (l[1] + 0 < 90) print }'
lcov "${rc[@]}" --summary "$dir/src.info" 2>&1 | grep -E 'lines|branches|functions'
