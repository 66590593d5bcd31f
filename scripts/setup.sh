#!/usr/bin/env bash
# Installs every Debian package the build and the test tiers need. Safe to run again: packages
# already present are left alone, and apt is only consulted when something is missing.
set -euo pipefail

native=(
  cmake ninja-build g++ clang libclang-rt-dev make pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev libicu-dev
  clang-format clang-tidy cppcheck
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine64 wine32:i386
  cups cups-client libcups2 libcups2:i386
  locales iproute2 util-linux file
)

# wine32 (the loader for the 32-bit product) comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  [ "$(id -u)" -eq 0 ] || { echo "setup: run as root to enable the i386 architecture" >&2; exit 1; }
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for pkg in "${native[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done

if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  if [ "${#missing[@]}" -gt 0 ]; then
    apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

# The e2e tests run the program under a Brazilian Portuguese locale as well as C.
if ! locale -a 2>/dev/null | grep -qi '^pt_BR\.utf8$'; then
  sed -i 's/^# *\(pt_BR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^pt_BR.UTF-8 UTF-8' /etc/locale.gen || echo 'pt_BR.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
