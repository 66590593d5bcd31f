#!/usr/bin/env bash
# Builds the release archive dist/inventario-<version>.zip: inventario.exe (i686),
# inventario-x64.exe (x86_64), LEIA-ME.txt for technicians and SHA256SUMS. Both exes are built from
# the commit at HEAD, exported to a temporary folder, so edits not committed never reach a
# release; the builds are reproducible, so anyone can rebuild that commit and get the same exes.
# The archive is reproducible too: fixed order, permissions and dates (the commit's).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

commit=$(git rev-parse HEAD)
version=$(sed -n 's/^project(inventario VERSION \([0-9][0-9.]*\)[ )].*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt's project()" >&2; exit 1; }
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the tree has uncommitted changes; they are not in the release of ${commit:0:12}" >&2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/source"
git archive --format=tar HEAD | tar -xf - -C "$work/source"
stage=$work/inventario-$version
mkdir "$stage"
for build in windows:inventario.exe windows-x64:inventario-x64.exe; do
  preset=${build%%:*}
  echo "release: building $preset from ${commit:0:12}"
  (cd "$work/source" && cmake --preset "$preset" -DBUILD_TESTING=OFF >/dev/null &&
    cmake --build --preset "$preset" --target inventario >/dev/null)
  cp "$work/source/build/$preset/inventario.exe" "$stage/${build#*:}"
done

# Notepad before Windows 10 shows a file as one line without CR LF, and guesses the encoding
# without a byte-order mark.
{
  printf '\xEF\xBB\xBF'
  sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$work/source/packaging/LEIA-ME.txt"
} >"$stage/LEIA-ME.txt"
(cd "$stage" && sha256sum inventario.exe inventario-x64.exe LEIA-ME.txt >SHA256SUMS)

mkdir -p dist
archive=dist/inventario-$version.zip
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
