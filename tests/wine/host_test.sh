#!/usr/bin/env bash
# The loader decision of host.sh on stand-in loaders: a 32-bit loader that starts, one the kernel
# cannot execute, none at all, and the switch that forces the 64-bit path. Prints one line per case
# and "N passed, M failed"; exits 1 when any case failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '#!/bin/sh\necho wine-8.0\n' >"$work/starts"
# Not a program any kernel runs: executing it fails as a 32-bit loader does where 32-bit
# emulation is off.
printf '\177ELF\001\001\001\000garbage' >"$work/refused"
chmod +x "$work/starts" "$work/refused"

passed=0
failed=0
# check NAME LOADER32 FORCE EXPECTED_BUILDS EXPECTED_WINE WHY_PATTERN
check() {
  local got
  got=$(env -u INVENTARIO_WINE_BUILDS -u WINE -u WINELOADER -u INVENTARIO_WINE64_ONLY \
    ${3:+INVENTARIO_WINE64_ONLY=$3} INVENTARIO_WINE32_LOADER="$2" \
    INVENTARIO_WINE64_LOADER="$work/wine64" bash -c \
    '. "$1" && printf "%s|%s|%s|%s" "$INVENTARIO_WINE_BUILDS" "$WINE" "${WINELOADER:-}" "$INVENTARIO_WINE_WHY"' \
    bash "$here/host.sh")
  local builds wine loader why
  IFS='|' read -r builds wine loader why <<<"$got"
  local expected_loader=
  [ "$5" = "$work/wine64" ] && expected_loader=$work/wine64
  if [ "$builds" = "$4" ] && [ "$wine" = "$5" ] && [ "$loader" = "$expected_loader" ] &&
    [[ "$why" == $6 ]]; then
    echo "ok - $1"
    passed=$((passed + 1))
  else
    echo "not ok - $1: got builds [$builds], WINE [$wine], WINELOADER [$loader], why [$why]"
    failed=$((failed + 1))
  fi
}

check "a 32-bit loader that starts runs both builds" "$work/starts" "" \
  "windows windows-x64" "$work/starts" ""
check "a 32-bit loader the kernel refuses leaves the x86_64 build" "$work/refused" "" \
  "windows-x64" "$work/wine64" "*does not start here*"
check "no 32-bit loader leaves the x86_64 build" "$work/missing" "" \
  "windows-x64" "$work/wine64" "*not installed*"
check "INVENTARIO_WINE64_ONLY takes the 64-bit path where both could run" "$work/starts" 1 \
  "windows-x64" "$work/wine64" "*INVENTARIO_WINE64_ONLY*"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
