#!/usr/bin/env bash
# Installs every Debian package the build and the test tiers need. Safe to run again: packages
# already present are left alone, and apt is only consulted when something is missing.
#
# The amd64 packages are required; setup fails, naming them, when they cannot be installed. The
# i386 ones only serve to run the i686 exe under Wine's 32-bit loader: when they cannot be
# installed (a mirror caught mid-sync, say), setup says so in one line and goes on, and the
# Windows tiers then run the x86_64 build alone (tests/wine/host.sh decides).
set -euo pipefail

required=(
  cmake ninja-build g++ clang libclang-rt-dev make pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev libicu-dev
  clang-format clang-tidy cppcheck
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  nlohmann-json3-dev python3 python3-jsonschema zip
  osslsigncode openssl
  wine wine64
  cups cups-client libcups2
  locales iproute2 util-linux file
)
for_i686=(wine32:i386 libcups2:i386)

missing_of() {
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
  done
}

mapfile -t missing < <(missing_of "${required[@]}")
mapfile -t missing_i686 < <(missing_of "${for_i686[@]}")
root=
[ "$(id -u)" -eq 0 ] && root=1

if [ -z "$root" ]; then
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
    exit 1
  fi
  if [ "${#missing_i686[@]}" -gt 0 ]; then
    echo "setup: ${missing_i686[*]} not installed (that needs root); the i686 exe will be built but not run" >&2
  fi
elif [ "${#missing[@]}" -gt 0 ] || [ "${#missing_i686[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  log=$(mktemp)
  # One index that fails (a mirror mid-sync) must not stop the packages the others can give.
  if ! apt-get update -q >"$log" 2>&1; then
    echo "setup: warning: apt-get update could not read every package index ($(grep -m 1 -E '^E:' "$log" | cut -c4- | sed 's/ *\[IP:.*//' | cut -c1-240)); going on with the rest" >&2
  fi
  if [ "${#missing[@]}" -gt 0 ] &&
    ! apt-get install -y -q --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
    tail -n 15 "$log" >&2
    echo "setup: could not install ${missing[*]}; the builds and tests need them" >&2
    rm -f "$log"
    exit 1
  fi
  if [ "${#missing_i686[@]}" -gt 0 ] &&
    ! apt-get install -y -q --no-install-recommends "${missing_i686[@]}" >"$log" 2>&1; then
    echo "setup: ${missing_i686[*]} could not be installed ($(grep -m 1 -E '^E:' "$log" | cut -c4-)); the i686 exe will be built but not run" >&2
  fi
  rm -f "$log"
fi

# The e2e tests run the program under a Brazilian Portuguese locale as well as C.
if ! locale -a 2>/dev/null | grep -qi '^pt_BR\.utf8$'; then
  [ -n "$root" ] || { echo "setup: the pt_BR.UTF-8 locale is missing; run as root to make it" >&2; exit 1; }
  sed -i 's/^# *\(pt_BR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^pt_BR.UTF-8 UTF-8' /etc/locale.gen || echo 'pt_BR.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
