#!/usr/bin/env python3
"""Compares a report written under Wine with the expected template, byte for byte, except for
the placeholder lines, which must hold what this host has:

  check_report.py REPORT TEMPLATE SEPARATOR PREFIX UPTIME_BEFORE UPTIME_AFTER [NAME=TEXT...]

{NAME}    exactly TEXT, for each NAME=TEXT given: what the case set the machine up to show (its
          computer name, the Windows registry profile it imported, the processor Wine found, its
          network, printers and programs); a TEXT with CR LF in it stands for several lines
{RAM}     the memory Linux reports (MemTotal), in GB of 2^30 bytes, two decimals
{DISCOS}  every drive letter C: to Z: of the prefix that maps to a folder, with the size and free
          space of the file system behind it (free space may move by a little while the run goes)
{UPTIME}  days and hours of the host's uptime, taken before and after the run

SEPARATOR is the decimal separator the locale gives. Prints one line per difference and exits 1
when there is any.
"""
import os
import re
import sys
from decimal import ROUND_HALF_UP, Decimal

GB = 2**30
# A line that ends in one of these shows what this host has; every other line, once the NAME=TEXT
# values are filled in, is compared byte for byte, so a placeholder left unfilled shows as a
# difference rather than passing.
HOST_PLACEHOLDER = re.compile(rb"\{(RAM|DISCOS|UPTIME)\}$")
# Free space moves while the suite runs: Wine, the suite and anything else on the host write to
# the same disk. Reading the wrong figure (the blocks free to the superuser rather than to users,
# or the total) is off by far more than this.
FREE_TOLERANCE_GB = Decimal("0.5")


def two_decimals(byte_count, separator):
    value = (Decimal(byte_count) / Decimal(GB)).quantize(Decimal("0.01"), rounding=ROUND_HALF_UP)
    return str(value).replace(".", separator)


def memory_bytes():
    with open("/proc/meminfo") as meminfo:
        for line in meminfo:
            if line.startswith("MemTotal:"):
                return int(line.split()[1]) * 1024
    raise RuntimeError("no MemTotal in /proc/meminfo")


def drives(prefix):
    """(letter, total bytes, free bytes) for each drive of the prefix that maps to a folder."""
    found = []
    for letter in "cdefghijklmnopqrstuvwxyz":
        link = os.path.join(prefix, "dosdevices", letter + ":")
        if os.path.isdir(link):
            stat = os.statvfs(link)
            found.append((letter.upper(), stat.f_blocks * stat.f_frsize, stat.f_bavail * stat.f_frsize))
    return found


def check_disks(text, separator, prefix):
    problems = []
    number = r"(\d+)" + re.escape(separator) + r"(\d\d)"
    entry = re.compile(r"([C-Z]): Total: " + number + r" GB \| Livre: " + number + r" GB")
    expected = drives(prefix)
    entries = text.split(" | ")
    pairs = [" | ".join(entries[i:i + 2]) for i in range(0, len(entries), 2)]
    if len(pairs) != len(expected):
        return [f"disks: {text!r}, expected the drives {[d[0] for d in expected]}"]
    for pair, (letter, total, free) in zip(pairs, expected):
        match = entry.fullmatch(pair)
        if not match:
            problems.append(f"disk entry {pair!r} is not in the expected form")
            continue
        if match.group(1) != letter:
            problems.append(f"disk {match.group(1)}: where {letter}: was expected")
        shown_total = f"{match.group(2)}{separator}{match.group(3)}"
        if shown_total != two_decimals(total, separator):
            problems.append(f"{letter}: total {shown_total}, host has {two_decimals(total, separator)}")
        shown_free = Decimal(f"{match.group(4)}.{match.group(5)}")
        host_free = Decimal(two_decimals(free, "."))
        if abs(shown_free - host_free) > FREE_TOLERANCE_GB:
            problems.append(f"{letter}: free {shown_free}, host has {host_free}")
    return problems


def check_uptime(text, before, after):
    match = re.fullmatch(r"(\d+) dias, (\d+) horas", text)
    if not match:
        return [f"uptime {text!r} is not in the form 'N dias, H horas'"]
    shown = (int(match.group(1)), int(match.group(2)))
    # Wine counts ticks on the raw monotonic clock, which drifts from /proc/uptime's clock by a
    # fraction of a second over hours: a run near an hour's turn may show either hour.
    margin = 5.0
    possible = {(int(s) // 86400, int(s) // 3600 % 24) for s in (float(before) - margin, float(after) + margin)}
    if shown not in possible:
        return [f"uptime {shown} days and hours, host had {sorted(possible)}"]
    return []


def main():
    report_path, template_path, separator, prefix, before, after = sys.argv[1:7]
    with open(template_path, "rb") as template_file:
        expected = template_file.read()
    # Filled in before the text is cut into lines, since one TEXT may stand for several. Raw bytes
    # of the arguments, so that a non-ASCII TEXT is compared as the UTF-8 it was given in whatever
    # locale this script runs.
    for argument in sys.argv[7:]:
        name, _, text = os.fsencode(argument).partition(b"=")
        expected = expected.replace(b"{" + name + b"}", text)
    with open(report_path, "rb") as report_file:
        report = report_file.read().split(b"\r\n")
    template = expected.split(b"\r\n")
    if len(report) != len(template):
        print(f"the report has {len(report) - 1} lines, expected {len(template) - 1}")
        for number, (got, want) in enumerate(zip(report, template), start=1):
            if got != want and HOST_PLACEHOLDER.search(want) is None:
                print(f"first difference, line {number}: {got!r}, expected {want!r}")
                break
        return 1
    problems = []
    for number, (got, want) in enumerate(zip(report, template), start=1):
        host_value = HOST_PLACEHOLDER.search(want)
        if host_value is None:
            if got != want:
                problems.append(f"line {number}: {got!r}, expected {want!r}")
            continue
        label = want[:host_value.start()].decode()
        placeholder = host_value.group(1).decode()
        line = got.decode("utf-8", errors="replace")
        if not line.startswith(label):
            problems.append(f"line {number}: {line!r} does not start with {label!r}")
            continue
        value = line[len(label):]
        if placeholder == "RAM":
            want_ram = two_decimals(memory_bytes(), separator) + " GB"
            if value != want_ram:
                problems.append(f"RAM {value!r}, host has {want_ram!r}")
        elif placeholder == "DISCOS":
            problems += check_disks(value, separator, prefix)
        else:
            problems += check_uptime(value, before, after)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
