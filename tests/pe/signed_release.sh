#!/usr/bin/env bash
# signed_release.sh I686_EXE X86_64_EXE: packs the two exes into a signed release with a
# throwaway CA and code-signing certificate made here (gone with the temporary folder), then
# checks that both signatures verify and carry the description given, that SHA256SUMS holds, and
# that removing the signatures gives back the exes byte for byte; and that a wrong password, a
# certificate for something else than code signing, an expired one or a CA that does not vouch
# for it each stop the release with one line and no archive.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/exes"
cp "$1" "$work/exes/inventario.exe" && cp "$2" "$work/exes/inventario-x64.exe" || exit 1
cd "$work" || exit 1
export PASSWORD=segredo

quiet() { "$@" >/dev/null 2>&1 || { echo "not ok - $*"; exit 1; }; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Teste CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign
quiet openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Teste Assinatura"
# certificate NAME PURPOSE DAYS: NAME.pfx, signed by the CA, for PURPOSE, valid DAYS (negative: expired).
certificate() {
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$2" >"$1.ext"
  quiet openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days "$3" -extfile "$1.ext" -out "$1.pem"
  quiet openssl pkcs12 -export -inkey signer.key -in "$1.pem" -certfile ca.pem -passout env:PASSWORD -out "$1.pfx"
}
certificate code codeSigning 1
certificate web serverAuth 1
certificate old codeSigning -1

# release PFX PASSWORD CA: the release's exit status; its progress in release.log, its complaints in
# release.err.
release() {
  INVENTARIO_SIGN_PFX=$1.pfx INVENTARIO_SIGN_PASSWORD=$2 INVENTARIO_SIGN_CA=$3 INVENTARIO_SIGN_NAME="Inventario teste" \
    INVENTARIO_SIGN_URL=https://example.org/inventario INVENTARIO_SIGN_TIMESTAMP_URL='' \
    bash "$root/scripts/release.sh" --exes exes --dist dist >release.log 2>release.err
}

status=0
check() {
  if [ "$1" = 0 ]; then echo "ok - $2"; else
    echo "not ok - $2"
    sed 's/^/#   /' release.log release.err
    status=1
  fi
}
release code "$PASSWORD" ca.pem
check $? "a release signed with a code-signing certificate is written"
mkdir unpacked unpacked/sem-assinatura
python3 -m zipfile -e dist/inventario-*.zip unpacked || exit 1
for exe in inventario.exe inventario-x64.exe; do
  osslsigncode verify -CAfile ca.pem -in "unpacked/$exe" >verify.log 2>&1 &&
    grep -q 'Text description: Inventario teste' verify.log && grep -q 'URL description: https://example.org/inventario' verify.log
  check $? "$exe: its signature verifies against the CA and carries the name and URL"
  osslsigncode remove-signature -in "unpacked/$exe" -out "unpacked/sem-assinatura/$exe" >/dev/null 2>&1 &&
    cmp "exes/$exe" "unpacked/sem-assinatura/$exe"
  check $? "$exe: without its signature it is the unsigned build, byte for byte"
done
(cd unpacked && sha256sum --quiet -c SHA256SUMS) && [ "$(wc -l <unpacked/SHA256SUMS)" = 5 ]
check $? "SHA256SUMS holds the signed exes, LEIA-ME.txt and the exes without their signatures"

while read -r pfx password ca expected; do
  release "$pfx" "$password" "$ca"
  result=$?
  message=$(grep -v '^release: packing the exes' release.err)
  [ $result != 0 ] && [ "$(wc -l <<<"$message")" = 1 ] && grep -q "$expected" <<<"$message" && ! ls dist/*.zip >/dev/null 2>&1
  check $? "$pfx certificate, password $password, CA $ca: stops with one line ($message) and no archive"
done <<'CASES'
code errada ca.pem wrong INVENTARIO_SIGN_PASSWORD
web segredo ca.pem not for code signing
old segredo ca.pem expired on
code segredo /etc/ssl/certs/ca-certificates.crt does not verify against
CASES
exit $status
