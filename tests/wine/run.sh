#!/usr/bin/env bash
# Runs a Windows test executable under Wine in the suite's prefix: run.sh PREFIX EXE [ARGS...].
# Output goes through a file, not a pipe, so that no Wine helper process can hold the caller's
# pipe open; the exit code is the program's.
set -uo pipefail
# Wine only accepts an absolute WINEPREFIX.
prefix=$(realpath -m "$1")
shift
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=env.sh
. "$here/env.sh"
export WINEPREFIX="$prefix"
out=$(mktemp)
"$WINE" "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit "$status"
