# Shared Wine settings for the test tiers. Source it; it sets WINEPREFIX from $1 or keeps the
# caller's, and WINE, the command every Windows program starts with (see host.sh).
# shellcheck source=host.sh
. "$(dirname "${BASH_SOURCE[0]}")/host.sh"
export WINEDEBUG=-all
# A 64-bit prefix, as on the PCs the program meets: the 32-bit exe runs there through WoW64 and
# reads the registry's 64-bit view, which only such a prefix has; the 64-bit exe runs natively.
export WINEARCH=win64
# No Mono or Gecko installer prompts when a prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# Printers come from CUPS: unless a test starts its own server, point Wine at none, so the host's
# printers never leak into a run.
export CUPS_SERVER=${CUPS_SERVER:-/nonexistent/inventario-no-cups.sock}
