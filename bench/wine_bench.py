#!/usr/bin/env python3
"""Whole runs under Wine, side by side in one session: inventario.exe, the floor program (the same
system calls with none of the program's work) and the wmic queries that cover the same fields.

  wine_bench.py BUILD_DIR PREFIX [RUNS]

The prefix gets an office PC's registry plus installed programs spread over the three Uninstall
keys (one in ten repeating an earlier name): first as many as an office PC has, then as many as
the busiest machines. For each, prints the median wall time of each command, the ratios, and the
program's peak memory as Windows reports it for the process (private bytes and working set,
through GetProcessMemoryInfo). The wmic queries do not list programs, so only the program and the
floor have more to do on the busier machine.
"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

PROGRAM_COUNTS = (100, 1000)  # an office PC, and a machine with every runtime and driver there is
HERE = os.path.dirname(os.path.abspath(__file__))
WMIC_QUERIES = [
    "os get Caption,Version,BuildNumber,SerialNumber,LastBootUpTime",
    "computersystem get Name,TotalPhysicalMemory",
    "cpu get Name",
    "logicaldisk get DeviceID,DriveType,Size,FreeSpace",
    "nicconfig get Description,IPAddress,DefaultIPGateway,MACAddress,DHCPEnabled",
]


def wine(args, log, stdin=subprocess.DEVNULL):
    """Runs one Wine command with every stream on files, as Wine's helpers require."""
    with open(log, "ab") as out:
        return subprocess.run([os.environ["WINE"], *args], stdin=stdin, stdout=out, stderr=out, check=False)


def programs_reg(path, count):
    words = ["Editor", "Leitor", "Planilhas", "Navegador", "Driver", "Gráfico", "Atualização",
             "Office", "Runtime", "Impressora", "Scanner", "Ferramentas", "Cliente", "Backup"]
    rng = random.Random(7)
    keys = [r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall",
            r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall",
            r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall"]
    seen = []
    lines = ["Windows Registry Editor Version 5.00", ""]
    for number in range(count):
        if seen and rng.random() < 0.1:
            name = rng.choice(seen).upper()
        else:
            name = " ".join(rng.choice(words) for _ in range(rng.randint(2, 4))) + f" {number}.{rng.randint(0, 9)}"
        seen.append(name)
        lines += [f"[{keys[number % 3]}\\{{bench-{number}}}]", f'"DisplayName"="{name}"', '"Publisher"="Fornecedor"', ""]
    with open(path, "wb") as out:
        out.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))


def timed(command, log):
    started = time.perf_counter()
    result = command()
    elapsed = time.perf_counter() - started
    if result.returncode != 0:
        sys.exit(f"wine_bench: a run failed ({result.returncode}); see {log}")
    return elapsed


def main():
    build, prefix = sys.argv[1], os.path.abspath(sys.argv[2])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    os.environ.update(WINEPREFIX=prefix, WINEDEBUG="-all", LANG="pt_BR.UTF-8")
    work = tempfile.mkdtemp()
    log = os.path.join(work, "wine.log")
    exe = "Z:" + os.path.join(os.path.abspath(build), "inventario.exe").replace("/", "\\")
    floor = "Z:" + os.path.join(os.path.abspath(build), "bench", "floor.exe").replace("/", "\\")
    measure = "Z:" + os.path.join(os.path.abspath(build), "bench", "measure.exe").replace("/", "\\")

    def import_reg(path):
        wine(["reg", "import", "Z:" + os.path.abspath(path).replace("/", "\\"), "/reg:64"], log)

    def run_wmic():
        for query in WMIC_QUERIES:
            result = wine(["wmic", *query.split()], log)
            if result.returncode != 0:
                return result
        return result

    import_reg(os.path.join(HERE, "..", "tests", "fixtures", "registry", "office-pc.reg"))
    wine(["cmd", "/c", "exit"], log)  # Wine's services up before anything is timed
    for count in PROGRAM_COUNTS:
        # The same generator each time, so the larger set contains the smaller one.
        registry = os.path.join(work, f"programs-{count}.reg")
        programs_reg(registry, count)
        import_reg(registry)
        times = {"inventario": [], "inventario /glpi": [], "floor": [], "floor /glpi": [], "wmic": []}
        for _ in range(runs):
            times["inventario"].append(timed(lambda: wine([exe], log), log))
            times["inventario /glpi"].append(timed(lambda: wine([exe, "/glpi"], log), log))
            times["floor"].append(timed(lambda: wine([floor], log), log))
            times["floor /glpi"].append(timed(lambda: wine([floor, "/glpi"], log), log))
            times["wmic"].append(timed(run_wmic, log))
        out = os.path.join(work, "measure.txt")
        with open(out, "wb") as stream:
            subprocess.run([os.environ["WINE"], measure, exe], stdin=subprocess.DEVNULL, stdout=stream, stderr=subprocess.DEVNULL, check=False)
        with open(out, "rb") as stream:
            memory = stream.read().decode("latin-1").strip().splitlines()[-1]

        median = {name: statistics.median(values) for name, values in times.items()}
        print(f"whole run under Wine, {count} installed programs, median of {runs} runs each:")
        for name, value in median.items():
            print(f"  {name:<16} {value * 1000:8.1f} ms   (runs: {', '.join(f'{v * 1000:.0f}' for v in times[name])})")
        print(f"  inventario / floor = {median['inventario'] / median['floor']:.2f}  (goal: at most 1.20)")
        print(f"  wmic / inventario  = {median['wmic'] / median['inventario']:.2f}  (goal: at least 4.00)")
        # /glpi adds seven value reads per program, the firmware table, the DNS name, the domain, the
        # installation's values, the devices' calls and the JSON file; the floor makes them too.
        print(f"  inventario /glpi / inventario = {median['inventario /glpi'] / median['inventario']:.2f}")
        print(f"  inventario /glpi / floor /glpi = {median['inventario /glpi'] / median['floor /glpi']:.2f}  (goal: at most 1.10)")
        # The most any program making these calls could gain on this machine: the floor's own ratio.
        print(f"  wmic / floor       = {median['wmic'] / median['floor']:.2f}  (the best a program making these calls can do here)")
        print(f"  inventario.exe memory, as Windows reports it: {memory}  (goal: private at most 8192 kb with 1000 programs)")
    size = os.path.getsize(os.path.join(build, "inventario.exe"))
    print(f"inventario.exe size: {size} bytes ({size / 1048576:.2f} MiB, goal: at most 1 MiB)")


if __name__ == "__main__":
    main()
