#!/usr/bin/env bash
# known_dlls.sh EXE...: each Windows exe imports only known DLLs, the ones Windows maps from its
# system folder whatever folder the exe runs from (KnownDLLs on every version from 7 to 11), and
# delay-loads none. Any other DLL named in the import table could be planted beside the exe and
# would run in its place. Reads the PE with objdump -p, which reads PE32 and PE32+ alike.
set -uo pipefail

known=(KERNEL32.DLL ADVAPI32.DLL MSVCRT.DLL)
status=0
for exe in "$@"; do
  if ! dump=$(objdump -p "$exe" 2>&1); then
    echo "not ok - $exe: objdump cannot read it: $dump"
    status=1
    continue
  fi
  mapfile -t dlls < <(sed -n 's/^\tDLL Name: //p' <<<"$dump" | tr '[:lower:]' '[:upper:]')
  problems=()
  # Every exe imports kernel32: without it, the table was not read at all.
  [[ " ${dlls[*]} " == *" KERNEL32.DLL "* ]] || problems+=("no KERNEL32.dll among [${dlls[*]}]")
  for dll in "${dlls[@]}"; do
    [[ " ${known[*]} " == *" $dll "* ]] || problems+=("imports $dll")
  done
  # Data directory entry 13: "Entry d RVA SIZE Delay Import Directory".
  delay=$(awk '$1 == "Entry" && $2 == "d" { print $3 }' <<<"$dump")
  [[ "$delay" =~ ^0+$ ]] || problems+=("has a delay-import directory [${delay:-none listed}]")
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok - $exe imports only known DLLs: ${dlls[*]}"
  else
    echo "not ok - $exe: ${problems[*]}"
    status=1
  fi
done
exit $status
