#!/usr/bin/env bash
# Static checks of the whole tree: clang-tidy (the configuration in .clang-tidy) over the native
# build's sources and tests and over the Windows-only sources with the MinGW headers, then
# cppcheck. Needs both builds configured (scripts/test.sh does that first). Exits non-zero on any
# finding.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

run-clang-tidy -p build/native -quiet -extra-arg=-Wno-unknown-warning-option 'src/|tests/|bench/' \
  >build/clang-tidy-native.log 2>&1 || status=1

# clang reads the Windows sources as MinGW's g++ would: same target, same system headers.
cxx=$(ls -d /usr/lib/gcc/i686-w64-mingw32/*-posix/include/c++ | head -n 1)
run-clang-tidy -p build/windows -quiet -extra-arg=-Wno-unknown-warning-option \
  -extra-arg=--target=i686-w64-mingw32 -extra-arg=-isystem"$cxx" \
  -extra-arg=-isystem"$cxx/i686-w64-mingw32" -extra-arg=-isystem/usr/i686-w64-mingw32/include \
  'src/platform/win32/|bench/' >build/clang-tidy-windows.log 2>&1 || status=1

cppcheck --project=build/native/compile_commands.json --library=googletest \
  --enable=warning,performance,portability --inline-suppr --quiet --error-exitcode=1 \
  --suppress='*:/usr/*' >build/cppcheck.log 2>&1 || status=1

for log in build/clang-tidy-native.log build/clang-tidy-windows.log build/cppcheck.log; do
  if grep -qE '(error|warning):' "$log"; then
    sed -E 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '(error|warning):' | sort -u
    status=1
  fi
done
if [ "$status" -eq 0 ]; then echo "lint: clang-tidy and cppcheck found nothing"; fi
exit "$status"
