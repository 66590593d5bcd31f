#!/usr/bin/env bash
# End-to-end checks of inventario.exe under Wine: run.sh EXE PREFIX STDIN_PIPE_EXE
# PREFIX must already be up (tests/wine/prefix.sh up PREFIX); it is a throwaway copy, so its
# folders are rearranged freely here. STDIN_PIPE_EXE is the launcher that gives the program a
# Windows pipe as its input. Prints "ok - NAME" or "not ok - NAME: WHY" per case and a closing
# "N passed, M failed"; exits non-zero when any case failed.
#
# Reports are compared with expected/report-template.txt byte for byte, except for the lines that
# show this host's memory, disks and uptime, which check_report.py holds to what Linux reports.
set -uo pipefail

if [ $# -ne 3 ]; then
  echo "usage: run.sh EXE PREFIX STDIN_PIPE_EXE" >&2
  exit 2
fi
exe=$(realpath "$1")
prefix=$(realpath -m "$2")
launcher=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=../wine/env.sh
. "$here/../wine/env.sh"
export WINEPREFIX="$prefix"
if [ ! -d "$prefix/drive_c/users/root" ]; then
  echo "run.sh: no Wine prefix at $prefix (run tests/wine/prefix.sh up $prefix first)" >&2
  exit 2
fi
# Wine takes the user locale from these; only LANG is set, per case.
unset LC_ALL LC_CTYPE LC_NUMERIC LC_TIME LC_COLLATE LC_MONETARY LC_MESSAGES LANGUAGE

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

report_name=relatorio_DESCONHECIDO.txt
drive_c=$prefix/drive_c
desktop=$drive_c/users/root/Desktop
tools=$drive_c/Ferramentas            # the exe lives here, so "next to the exe" is known
joao_desktop="$drive_c/users/joão/Desktop"
win_exe='C:\Ferramentas\inventario.exe'
time_limit=15

template=$here/expected/report-template.txt

mkdir -p "$tools" "$joao_desktop"
cp "$exe" "$tools/inventario.exe"


# A new prefix links Desktop to $HOME; a real folder keeps every report inside the prefix.
reset_prefix() {
  [ -L "$desktop" ] && rm "$desktop"
  mkdir -p "$desktop"
  rm -f "$desktop/$report_name" "$tools/$report_name" "$drive_c/$report_name" \
    "$joao_desktop/$report_name"
}

# run_exe LOCALE INPUT [PROFILE]: runs the exe with stdin from INPUT, stdout and stderr to files.
# With PROFILE, USERPROFILE is set to it first (an empty PROFILE removes the variable).
run_exe() {
  local locale=$1 input=$2
  local -a command=("$win_exe")
  if [ $# -ge 3 ]; then
    # No space before &&: cmd would keep it as part of the value.
    command=(cmd /c "set USERPROFILE=$3&& $win_exe")
  fi
  uptime_before=$(cut -d' ' -f1 /proc/uptime)
  LANG=$locale timeout -k 5 "$time_limit" wine "${command[@]}" \
    <"$input" >"$work/stdout" 2>"$work/stderr"
  status=$?
  uptime_after=$(cut -d' ' -f1 /proc/uptime)
}

# run_piped LOCALE DATA: runs the exe with stdin on a Windows pipe that holds DATA, writer closed.
run_piped() {
  uptime_before=$(cut -d' ' -f1 /proc/uptime)
  LANG=$1 timeout -k 5 "$time_limit" wine "$launcher" "$2" "$win_exe" \
    </dev/null >"$work/stdout" 2>"$work/stderr"
  status=$?
  uptime_after=$(cut -d' ' -f1 /proc/uptime)
}

# The four console lines of a successful run, as the ANSI code page bytes of PATH.
success_output() {
  printf 'Coletando informacoes do sistema...\r\nSucesso! Relatorio salvo em: %s\r\n\r\nPressione ENTER para sair...\r\n' "$1"
}

passed=0
failed=0
reasons=()
details=()

begin_case() {
  reset_prefix
  reasons=()
  details=()
}

end_case() {
  if [ ${#reasons[@]} -eq 0 ]; then
    echo "ok - $1"
    passed=$((passed + 1))
  else
    local IFS=';'
    echo "not ok - $1:${reasons[*]}"
    printf '#   %s\n' "${details[@]}"
    failed=$((failed + 1))
  fi
}

expect_status() {
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    reasons+=(" still running after ${time_limit}s")
  elif [ "$status" -ne "$1" ]; then
    reasons+=(" exit code $status, expected $1")
  fi
}

# expect_bytes WHAT ACTUAL EXPECTED: ACTUAL must be a file with exactly EXPECTED's bytes.
expect_bytes() {
  local what=$1 actual=$2 expected=$3
  if [ ! -f "$actual" ]; then
    reasons+=(" no $what at ${actual#"$prefix"/}")
  elif ! cmp -s "$actual" "$expected"; then
    reasons+=(" $what differs from the expected bytes")
    details+=("$(cmp "$actual" "$expected" 2>&1)" "hex dump, < expected, > got:")
    mapfile -t -O "${#details[@]}" details < <(diff <(xxd "$expected") <(xxd "$actual") | head -n 12)
  fi
}

# expect_report FILE SEPARATOR: FILE must be the expected report for a locale whose decimal
# separator is SEPARATOR.
expect_report() {
  local actual=$1 separator=$2
  if [ ! -f "$actual" ]; then
    reasons+=(" no report at ${actual#"$prefix"/}")
  elif ! python3 "$here/check_report.py" "$actual" "$template" "$separator" "$prefix" \
    "$uptime_before" "$uptime_after" >"$work/check" 2>&1; then
    reasons+=(" the report differs from the expected one")
    mapfile -t -O "${#details[@]}" details <"$work/check"
  fi
}

expect_no_file() {
  [ -e "$1" ] && reasons+=(" unexpected file ${1#"$prefix"/}")
}

expect_stderr_empty() {
  [ -s "$work/stderr" ] && reasons+=(" stderr not empty: $(head -c 200 "$work/stderr" | tr '\r\n' '  ')")
}

# Checks a full, ordinary success of a run from the default profile: exit 0, the four lines naming
# the Desktop report, that report as expected for SEPARATOR, and no report anywhere else.
check_desktop_result() {
  local separator=$1
  expect_status 0
  success_output 'C:\users\root\Desktop\relatorio_DESCONHECIDO.txt' >"$work/expected-stdout"
  expect_bytes stdout "$work/stdout" "$work/expected-stdout"
  expect_stderr_empty
  expect_report "$desktop/$report_name" "$separator"
  expect_no_file "$tools/$report_name"
  expect_no_file "$drive_c/$report_name"
}

started=$SECONDS

begin_case
run_exe pt_BR.UTF-8 /dev/null
check_desktop_result ,
end_case "report on the Desktop under pt_BR (decimal comma)"

begin_case
run_exe C.UTF-8 /dev/null
check_desktop_result .
end_case "report on the Desktop under C (decimal point)"

begin_case
rm -rf "$desktop"
run_exe C.UTF-8 /dev/null
expect_status 0
success_output 'C:\Ferramentas\relatorio_DESCONHECIDO.txt' >"$work/expected-stdout"
expect_bytes stdout "$work/stdout" "$work/expected-stdout"
expect_stderr_empty
expect_report "$tools/$report_name" .
expect_no_file "$desktop/$report_name"
end_case "missing Desktop puts the report next to the exe"

begin_case
run_exe pt_BR.UTF-8 /dev/null ""
expect_status 0
success_output 'C:\relatorio_DESCONHECIDO.txt' >"$work/expected-stdout"
expect_bytes stdout "$work/stdout" "$work/expected-stdout"
expect_stderr_empty
expect_report "$drive_c/$report_name" ,
expect_no_file "$desktop/$report_name"
expect_no_file "$tools/$report_name"
end_case "empty USERPROFILE puts the report in C:\\"

# Waiting for ENTER must not hang on input that has already ended, whatever kind of handle it is,
# nor fail on input that holds more than one line.
: >"$work/empty"
begin_case
run_exe pt_BR.UTF-8 "$work/empty"
check_desktop_result ,
end_case "stdin an empty file ends the run"

printf 'primeira\r\nsegunda\r\nterceira\r\n' >"$work/lines"
begin_case
run_exe pt_BR.UTF-8 "$work/lines"
check_desktop_result ,
end_case "stdin with several lines ends the run"

printf 'sem fim de linha' >"$work/unterminated"
begin_case
run_exe pt_BR.UTF-8 "$work/unterminated"
check_desktop_result ,
end_case "stdin ending without a line end ends the run"

# A Windows pipe whose writer has gone ends with a broken-pipe error rather than a zero-byte read.
begin_case
run_piped pt_BR.UTF-8 ""
check_desktop_result ,
end_case "stdin an empty, closed Windows pipe ends the run"

begin_case
run_piped pt_BR.UTF-8 "sem fim de linha"
check_desktop_result ,
end_case "stdin a closed Windows pipe holding no line end ends the run"

begin_case
run_exe pt_BR.UTF-8 /dev/null 'C:\users\joão'
expect_status 0
success_output $'C:\\users\\jo\xe3o\\Desktop\\relatorio_DESCONHECIDO.txt' >"$work/expected-stdout"
expect_bytes stdout "$work/stdout" "$work/expected-stdout"
if grep -q $'\xc3\xa3' "$work/stdout"; then
  reasons+=(" stdout holds UTF-8 (C3 A3) for the a-tilde instead of code page 1252")
fi
expect_stderr_empty
expect_report "$joao_desktop/$report_name" ,
end_case "stdout to a file is in the ANSI code page (non-ASCII profile path)"

begin_case
{
  cat "$template" "$template"
  printf 'linha antiga que deve sumir\r\n'
} >"$desktop/$report_name"
run_exe pt_BR.UTF-8 /dev/null
check_desktop_result ,
end_case "an older, longer report is replaced whole"

echo "# e2e took $((SECONDS - started))s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
