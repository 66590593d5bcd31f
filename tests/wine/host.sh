# How Windows programs run on this host: the one place that decides it. Source it; it sets, once
# per process tree (the result is exported, so scripts it starts do not ask again):
#   WINE                    the command to start every Windows program and Wine tool with
#                           ("$WINE" prog.exe, "$WINE" reg ..., "$WINE" wineboot -i)
#   INVENTARIO_WINE_BUILDS  the builds that can run here: "windows windows-x64" or "windows-x64"
#   INVENTARIO_WINE_WHY     why the i686 build cannot run here (empty when it can)
# Wine's 32-bit loader runs only where wine32:i386 is installed and the kernel executes 32-bit
# programs; /usr/bin/wine picks it whenever it is installed, even where it can never start. So it
# is tried once, and where it fails every Wine command goes through the 64-bit loader, which runs
# the x86_64 build (and Wine's own tools) in the same 64-bit prefixes.
# INVENTARIO_WINE64_ONLY=1 takes the 64-bit path on any host, so that path is tested everywhere.

if [ -z "${INVENTARIO_WINE_BUILDS:-}" ]; then
  # The loaders' places can be changed only so that tests can put stand-ins there.
  wine32_loader=${INVENTARIO_WINE32_LOADER:-/usr/lib/wine/wine}
  wine64_loader=${INVENTARIO_WINE64_LOADER:-/usr/lib/wine/wine64}
  INVENTARIO_WINE_WHY=
  if [ -n "${INVENTARIO_WINE64_ONLY:-}" ]; then
    INVENTARIO_WINE_WHY="INVENTARIO_WINE64_ONLY is set, so only Wine's 64-bit loader is used"
  elif [ ! -x "$wine32_loader" ]; then
    INVENTARIO_WINE_WHY="Wine's 32-bit loader is not installed (package wine32:i386)"
  elif ! wine32_answer=$("$wine32_loader" --version 2>&1 </dev/null); then
    INVENTARIO_WINE_WHY="Wine's 32-bit loader does not start here ($(printf '%s' "$wine32_answer" |
      head -n 1)); the kernel may refuse 32-bit programs"
  fi
  if [ -z "$INVENTARIO_WINE_WHY" ]; then
    INVENTARIO_WINE_BUILDS="windows windows-x64"
    WINE=$wine32_loader
  else
    INVENTARIO_WINE_BUILDS="windows-x64"
    WINE=$wine64_loader
    # Wine starts its helper processes (services, wineboot) through WINELOADER.
    export WINELOADER=$wine64_loader
  fi
  unset wine32_loader wine64_loader wine32_answer
  export WINE INVENTARIO_WINE_BUILDS INVENTARIO_WINE_WHY
fi

# wine_can_run BUILD: whether the build (a CMake preset name) runs on this host.
wine_can_run() {
  case " $INVENTARIO_WINE_BUILDS " in *" $1 "*) return 0 ;; *) return 1 ;; esac
}
