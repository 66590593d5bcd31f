#!/usr/bin/env bash
# signed_release.sh I686_EXE X86_64_EXE: signs the two exes into a release with a throwaway CA and
# certificates made here; the signatures must verify, carry the description, match SHA256SUMS and
# come off to give back the exes byte for byte; a wrong password, a certificate for another
# purpose, an expired one or an unknown CA must stop the release with one line and no archive.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/exes" "$work/unpacked"
cp "$1" "$work/exes/inventario.exe" && cp "$2" "$work/exes/inventario-x64.exe" && cd "$work" || exit 1
export PASSWORD=segredo
(
  set -e
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj /CN=Teste-CA
  openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj /CN=Teste
  for certificate in code:codeSigning:1 web:serverAuth:1 old:codeSigning:-1; do
    IFS=: read -r name purpose days <<<"$certificate"
    printf 'keyUsage=digitalSignature\nextendedKeyUsage=%s\n' "$purpose" >"$name.ext"
    openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days "$days" \
      -extfile "$name.ext" -out "$name.pem"
    openssl pkcs12 -export -inkey signer.key -in "$name.pem" -certfile ca.pem -passout env:PASSWORD -out "$name.pfx"
  done
) >openssl.log 2>&1 || { echo "not ok - openssl could not make the certificates" && cat openssl.log && exit 1; }

# release PFX PASSWORD CA: signs exes/ into dist/; its progress goes to out.log, its complaints to err.log.
release() {
  INVENTARIO_SIGN_PFX=$1.pfx INVENTARIO_SIGN_PASSWORD=$2 INVENTARIO_SIGN_CA=$3 INVENTARIO_SIGN_NAME=Teste \
    INVENTARIO_SIGN_URL=https://example.org/t INVENTARIO_SIGN_TIMESTAMP_URL='' \
    bash "$root/scripts/release.sh" --exes exes --dist dist >out.log 2>err.log
}
status=0
check() {
  [ "$1" = 0 ] && echo "ok - $2" && return
  echo "not ok - $2" && sed 's/^/#   /' out.log err.log
  status=1
}

release code "$PASSWORD" ca.pem && python3 -m zipfile -e dist/inventario-*.zip unpacked
check $? "a release signed with a code-signing certificate is written"
mkdir unpacked/sem-assinatura
for exe in inventario.exe inventario-x64.exe; do
  osslsigncode verify -CAfile ca.pem -in "unpacked/$exe" >out.log 2>&1 && grep -q 'Text description: Teste' out.log &&
    grep -q 'URL description: https://example.org/t' out.log &&
    osslsigncode remove-signature -in "unpacked/$exe" -out "unpacked/sem-assinatura/$exe" >>out.log 2>&1 &&
    cmp "exes/$exe" "unpacked/sem-assinatura/$exe"
  check $? "$exe: its signature verifies, carries the name and URL, and comes off to give back the unsigned exe"
done
(cd unpacked && sha256sum --quiet -c SHA256SUMS && [ "$(wc -l <SHA256SUMS)" = 5 ])
check $? "SHA256SUMS holds the signed exes, LEIA-ME.txt and the exes without their signatures"

while read -r pfx password ca expected; do
  ! release "$pfx" "$password" "$ca" && [ "$(grep -vc '^release: packing the exes' err.log)" = 1 ] &&
    grep -q "$expected" err.log && ! ls dist/*.zip >/dev/null 2>&1
  check $? "$pfx certificate, password $password, CA $ca: the release stops with one line and no archive"
done <<'CASES'
code errada ca.pem wrong INVENTARIO_SIGN_PASSWORD
web segredo ca.pem not for code signing
old segredo ca.pem expired on
code segredo /etc/ssl/certs/ca-certificates.crt does not verify against
CASES
exit $status
