#!/usr/bin/env bash
# Prepares the Wine prefix that one run of the test suite uses, or shuts it down.
#   prefix.sh up PREFIX     a fresh prefix, copied from a template that is booted once per build
#                           folder, with a persistent wineserver and Wine's services started
#   prefix.sh down PREFIX   stops that prefix's wineserver
# Wine's helper processes keep the standard handles of the command that started them, so every
# Wine command here writes to a log file, never to the caller's pipes.
set -euo pipefail
action=$1
# Wine only accepts an absolute WINEPREFIX.
prefix=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=env.sh
. "$here/env.sh"
log="$prefix.log"

case "$action" in
  up)
    template="$prefix-template"
    mkdir -p "$(dirname "$prefix")"
    # The marker is written only after a boot that finished, so a template left half-made by an
    # interrupted or failed boot is built again rather than copied. It names the loader that booted
    # it: a prefix made by the 64-bit loader alone lacks the 32-bit side the other one sets up.
    if [ "$(cat "$template/.booted" 2>/dev/null)" != "$WINE" ]; then
      rm -rf "$template"
      WINEPREFIX="$template" "$WINE" wineboot -i >"$template.log" 2>&1 </dev/null
      WINEPREFIX="$template" wineserver -w
      [ -d "$template/drive_c/users" ] || { cat "$template.log" >&2; exit 1; }
      printf '%s' "$WINE" >"$template/.booted"
    fi
    if [ -d "$prefix" ]; then
      WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
      rm -rf "$prefix"
    fi
    cp -a "$template" "$prefix"
    # A new prefix links the user folders to $HOME; real folders keep every report inside it.
    for folder in "$prefix"/drive_c/users/*/*; do
      if [ -L "$folder" ]; then rm "$folder" && mkdir "$folder"; fi
    done
    export WINEPREFIX="$prefix"
    wineserver -p >"$log" 2>&1 </dev/null
    "$WINE" cmd /c exit >>"$log" 2>&1 </dev/null
    echo "wine prefix ready: $prefix"
    ;;
  down)
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    echo "wine prefix stopped: $prefix"
    ;;
  *)
    echo "usage: prefix.sh up|down PREFIX" >&2
    exit 2
    ;;
esac
