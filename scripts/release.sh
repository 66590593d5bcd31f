#!/usr/bin/env bash
# Builds the release archive dist/inventario-<version>.zip: inventario.exe (i686),
# inventario-x64.exe (x86_64), LEIA-ME.txt for technicians and SHA256SUMS. Both exes are built from
# the commit at HEAD, exported to a temporary folder, so edits not committed never reach a
# release; the builds are reproducible, so anyone can rebuild that commit and get the same exes.
# The archive is reproducible too: fixed order, permissions and dates (the commit's).
#
# Given a code-signing certificate, both exes get an Authenticode signature (osslsigncode), which
# SmartScreen and office policies look for:
#   INVENTARIO_SIGN_PFX            the PKCS#12 file (certificate, its chain and private key)
#   INVENTARIO_SIGN_PASSWORD       its password; handed to openssl and osslsigncode through a pipe,
#                                  never on a command line
#   INVENTARIO_SIGN_NAME           the signature's description (default: Inventario)
#   INVENTARIO_SIGN_URL            the signature's URL (optional)
#   INVENTARIO_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional), so the signature
#                                  outlives the certificate
#   INVENTARIO_SIGN_CA             the CA file the signatures must verify against (default: the
#                                  system's, /etc/ssl/certs/ca-certificates.crt)
#   INVENTARIO_SIGN_TIMESTAMP_CA   the CA file the time stamps must verify against (default: the
#                                  system's)
# A signed archive's SHA256SUMS also lists, as sem-assinatura/<exe>, each exe with its signature
# removed: the exe a rebuild of the commit gives. Both signatures are verified, and their removal
# checked to give back the built exes, before the archive is written; any failure stops the
# release with one line and no archive.
#
# release.sh [--exes DIR] [--dist DIR]: --exes packs DIR's inventario.exe and inventario-x64.exe
# instead of building HEAD (the reproducibility check signs its own builds this way); --dist
# writes the archive to DIR instead of dist.
set -euo pipefail

usage="usage: release.sh [--exes DIR] [--dist DIR]"
exes_from=
dist=dist
while [ $# -gt 0 ]; do
  case $1 in
    --exes | --dist)
      [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
      if [ "$1" = --exes ]; then exes_from=$(realpath "$2"); else dist=$(realpath -m "$2"); fi
      shift 2
      ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
pfx=${INVENTARIO_SIGN_PFX:-}
[ -z "$pfx" ] || pfx=$(realpath -m "$pfx")
ca=$(realpath -m "${INVENTARIO_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}")
timestamp_ca=$(realpath -m "${INVENTARIO_SIGN_TIMESTAMP_CA:-/etc/ssl/certs/ca-certificates.crt}")
# Kept out of the environment of everything started from here on.
password=${INVENTARIO_SIGN_PASSWORD-}
unset INVENTARIO_SIGN_PASSWORD
cd "$(dirname "$0")/.."
bash scripts/setup.sh

fail() {
  echo "release: $*" >&2
  exit 1
}
# What went wrong, in the first line of an osslsigncode log that says it (2.5 and 2.9 word it
# differently), else the log's first line.
reason() {
  sed -n -E -e 's/^[[:space:]]*Error: //p' -e 's/.*:Verify error: //p' -e '/^(Unsupported|Failed to) /p' "$1" |
    head -n1 | grep . || grep -m1 . "$1"
}
send_password() { printf '%s' "$password"; }

commit=$(git rev-parse HEAD)
version=$(sed -n 's/^project(inventario VERSION \([0-9][0-9.]*\)[ )].*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt's project()"
archive=$dist/inventario-$version.zip
# An archive left from an earlier run must not pass for this one if this one fails.
rm -f "$archive"
if [ -n "$exes_from" ]; then
  echo "release: packing the exes in $exes_from, not a build of ${commit:0:12}" >&2
elif [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the tree has uncommitted changes; they are not in the release of ${commit:0:12}" >&2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The certificate is checked before the builds, so a wrong password costs seconds, not minutes.
if [ -n "$pfx" ]; then
  [ -r "$pfx" ] || fail "cannot read INVENTARIO_SIGN_PFX $pfx"
  [ -r "$ca" ] || fail "cannot read INVENTARIO_SIGN_CA $ca"
  # PKCS#12 files exported by older Windows use ciphers OpenSSL 3 keeps in its legacy provider.
  signer_certificate() {
    openssl pkcs12 "$@" -in "$pfx" -passin fd:3 -nokeys -clcerts -out "$work/signer.pem" 3< <(send_password) 2>/dev/null
  }
  if ! signer_certificate && ! signer_certificate -legacy; then
    fail "cannot open $pfx: wrong INVENTARIO_SIGN_PASSWORD, or not a PKCS#12 file"
  fi
  signer=$(openssl x509 -in "$work/signer.pem" -noout -subject -nameopt oneline,-esc_msb 2>/dev/null |
    sed 's/^subject= *//') ||
    fail "no certificate with its private key in $pfx"
  openssl x509 -in "$work/signer.pem" -noout -checkend 0 >/dev/null ||
    fail "the certificate \"$signer\" expired on $(openssl x509 -in "$work/signer.pem" -noout -enddate | cut -d= -f2)"
  # A certificate without extended key usage is good for any purpose, code signing included.
  purposes=$(openssl x509 -in "$work/signer.pem" -noout -ext extendedKeyUsage 2>/dev/null | sed -n 's/^ *//; 2,$p')
  if [ -n "$purposes" ] && ! grep -q "Code Signing" <<<"$purposes"; then
    fail "the certificate \"$signer\" is not for code signing (it is for: $purposes)"
  fi
fi

mkdir "$work/source"
git archive --format=tar HEAD | tar -xf - -C "$work/source"
stage=$work/inventario-$version
mkdir "$stage"
for build in windows:inventario.exe windows-x64:inventario-x64.exe; do
  preset=${build%%:*}
  exe=${build#*:}
  if [ -n "$exes_from" ]; then
    cp "$exes_from/$exe" "$stage/$exe"
    continue
  fi
  echo "release: building $preset from ${commit:0:12}"
  (cd "$work/source" && cmake --preset "$preset" -DBUILD_TESTING=OFF >/dev/null &&
    cmake --build --preset "$preset" --target inventario >/dev/null)
  cp "$work/source/build/$preset/inventario.exe" "$stage/$exe"
done

unsigned_sums=()
if [ -n "$pfx" ]; then
  signing=(-pkcs12 "$pfx" -readpass /dev/fd/3 -h sha256 -n "${INVENTARIO_SIGN_NAME:-Inventario}")
  [ -z "${INVENTARIO_SIGN_URL:-}" ] || signing+=(-i "$INVENTARIO_SIGN_URL")
  verifying=(-CAfile "$ca")
  if [ -n "${INVENTARIO_SIGN_TIMESTAMP_URL:-}" ]; then
    signing+=(-ts "$INVENTARIO_SIGN_TIMESTAMP_URL")
    verifying+=(-TSA-CAfile "$timestamp_ca")
  fi
  mkdir "$work/signed" "$work/sem-assinatura"
  for exe in inventario.exe inventario-x64.exe; do
    echo "release: signing $exe as \"$signer\""
    osslsigncode sign "${signing[@]}" -in "$stage/$exe" -out "$work/signed/$exe" \
      3< <(send_password) >"$work/sign.log" 2>&1 || fail "signing $exe failed: $(reason "$work/sign.log")"
    osslsigncode verify "${verifying[@]}" -in "$work/signed/$exe" >"$work/verify.log" 2>&1 ||
      fail "the signature on $exe does not verify against $ca: $(reason "$work/verify.log")"
    # osslsigncode passes a signature whose time stamp fails, judging it at the current time; the
    # time stamp asked for must hold, or the signature dies with the certificate.
    if [ -n "${INVENTARIO_SIGN_TIMESTAMP_URL:-}" ] &&
      ! grep -q '^Timestamp Server Signature verification: ok' "$work/verify.log"; then
      fail "the time stamp on $exe does not verify against $timestamp_ca: $(reason "$work/verify.log")"
    fi
    osslsigncode remove-signature -in "$work/signed/$exe" -out "$work/sem-assinatura/$exe" \
      >"$work/remove.log" 2>&1 ||
      fail "removing the signature from $exe failed: $(reason "$work/remove.log")"
    # What a rebuild of the commit is compared with: it must be the built exe, byte for byte.
    cmp -s "$stage/$exe" "$work/sem-assinatura/$exe" ||
      fail "$exe with its signature removed differs from the exe built:" \
        "$(cmp "$stage/$exe" "$work/sem-assinatura/$exe" | sed 's/.*: //')"
    mv "$work/signed/$exe" "$stage/$exe"
  done
  unsigned_sums=(sem-assinatura/inventario.exe sem-assinatura/inventario-x64.exe)
fi

# Notepad before Windows 10 shows a file as one line without CR LF, and guesses the encoding
# without a byte-order mark.
{
  printf '\xEF\xBB\xBF'
  sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$work/source/packaging/LEIA-ME.txt"
} >"$stage/LEIA-ME.txt"
(cd "$stage" && sha256sum inventario.exe inventario-x64.exe LEIA-ME.txt >SHA256SUMS)
[ ${#unsigned_sums[@]} -eq 0 ] || (cd "$work" && sha256sum "${unsigned_sums[@]}" >>"$stage/SHA256SUMS")

mkdir -p "$dist"
python3 - "$stage" "$archive" "$(git log -1 --format=%ct HEAD)" <<'PYTHON'
import os
import sys
import time
import zipfile

stage, archive, commit_time = sys.argv[1], sys.argv[2], int(sys.argv[3])
# Zip dates have no time zone and start in 1980; the commit's UTC time is the same everywhere.
stamp = max(time.gmtime(commit_time)[:6], (1980, 1, 1, 0, 0, 0))
names = ["inventario.exe", "inventario-x64.exe", "LEIA-ME.txt", "SHA256SUMS"]
temporary = archive + ".part"
with zipfile.ZipFile(temporary, "w") as zip_file:
    for name in names:
        entry = zipfile.ZipInfo(name, date_time=stamp)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.create_system = 0
        entry.external_attr = 0
        with open(os.path.join(stage, name), "rb") as source:
            zip_file.writestr(entry, source.read(), compresslevel=9)
os.replace(temporary, archive)
PYTHON

echo "release: $archive (commit $commit)"
sed 's/^/  /' "$stage/SHA256SUMS"
echo "  $(sha256sum "$archive" | cut -d' ' -f1)  $(basename "$archive")"
