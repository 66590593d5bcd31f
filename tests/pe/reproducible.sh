#!/usr/bin/env bash
# reproducible.sh [PRESET...]: two builds of this tree, copied to two folders whose paths differ
# (in length too), give byte-identical exes for each preset (default: windows and windows-x64).
# The tree is taken as it is, uncommitted changes included: what git tracks or would track.
# With both presets, the first folder's exes then go through a signed release (signed_release.sh),
# so signing is tested without building them a third time.
set -uo pipefail
cd "$(dirname "$0")/../.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(windows windows-x64)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folders=("$work/a" "$work/uma-pasta/bem-mais/funda")
for folder in "${folders[@]}"; do
  mkdir -p "$folder"
  git ls-files -z --cached --others --exclude-standard | xargs -0 tar -cf - | tar -xf - -C "$folder"
done

status=0
for preset in "${presets[@]}"; do
  exes=()
  for folder in "${folders[@]}"; do
    if ! (cd "$folder" && cmake --preset "$preset" -DBUILD_TESTING=OFF &&
      cmake --build --preset "$preset" --target inventario) >"$work/build.log" 2>&1; then
      echo "not ok - $preset: the build in $folder failed"
      tail -n 20 "$work/build.log" | sed 's/^/#   /'
      status=1
      continue 2
    fi
    exes+=("$folder/build/$preset/inventario.exe")
  done
  if cmp -s "${exes[@]}"; then
    echo "ok - $preset: both builds give the same $(stat -c %s "${exes[0]}") bytes ($(sha256sum <"${exes[0]}" | cut -c1-16)...)"
  else
    echo "not ok - $preset: the exes differ: $(cmp -l "${exes[@]}" | wc -l) bytes, first at $(cmp "${exes[@]}" | sed 's/.*byte //')"
    status=1
  fi
done
if [ -f "$work/a/build/windows/inventario.exe" ] && [ -f "$work/a/build/windows-x64/inventario.exe" ]; then
  bash tests/pe/signed_release.sh "$work/a/build/windows/inventario.exe" "$work/a/build/windows-x64/inventario.exe" ||
    status=1
fi
exit $status
