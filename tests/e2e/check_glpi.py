#!/usr/bin/env python3
"""Holds a GLPI inventory file to the report the same run saved, field by field:

  check_glpi.py INVENTORY REPORT SEPARATOR [SOFTWARE=NAME|VERSION|PUBLISHER...]
      [DETAIL=NAME|FIELD|VALUE...] [NETWORK=DESCRIPTION|MAC|IP|MASK|SUBNET|STATUS...]
      [VIDEO=NAME|CHIPSET|MEMORY...] [MONITOR=MANUFACTURER|NAME|SERIAL|DESCRIPTION...]
      [FIELD=PATH=VALUE...] [MEMORY=ONE]

SEPARATOR is the report's decimal separator. Each SOFTWARE names a program whose version and
publisher the inventory must carry, each DETAIL one more field of a program. NETWORK entries, when
given, are all the adapters the inventory must list (an empty part: the field is left out); VIDEO
and MONITOR entries must be among those listed, each monitor once. Each FIELD names a value the
inventory must hold at PATH ("bios.ssn", "hardware.uuid"; an empty VALUE: none at all).
MEMORY=ONE: the memories are one entry holding nothing but the whole memory. Sizes agree when the
inventory's whole MiB, in GB, round to the report's two decimals. The run's time is the inventory
file's. Prints one line per difference and exits 1 when there is any.
"""
import os
import json
import re
import sys
from datetime import datetime, timezone

problems = []


def expect(what, got, wanted):
    if got != wanted:
        problems.append(f"{what}: inventory has {got!r}, report has {wanted!r}")


def gb(text, separator):
    return float(text.replace(separator, "."))


def near_gb(what, mib, report_gb):
    # Whole MiB lose less than 1 MiB; the report rounds to 0.01 GB.
    if mib is None or abs(mib / 1024 - report_gb) > 0.005 + 1 / 1024:
        problems.append(f"{what}: inventory has {mib} MiB, report has {report_gb} GB")


def block(lines, heading):
    """The items of a report list after its heading: its "• " lines up to the first empty line
    (a fallback sentence or a warning line is no item)."""
    start = lines.index(heading) + 1
    end = lines.index("", start)
    return [line.removeprefix("• ") for line in lines[start:end] if line.startswith("• ")]


def found(text, *fallbacks):
    """What the report shows, or None where it shows its fallback: the inventory leaves that out."""
    return None if text in fallbacks else text


def main(inventory_path, report_path, separator, extras):
    with open(inventory_path, encoding="utf-8") as f:
        doc = json.load(f)
    with open(report_path, encoding="utf-8-sig", newline="") as f:
        lines = f.read().split("\r\n")
    field = {}
    for line in lines:
        match = re.match(r"^\S+ \*([^*]+):\* (.*)$", line)
        if match:
            field[match.group(1)] = match.group(2)
    content = doc["content"]
    hardware = content.get("hardware", {})
    system = content.get("operatingsystem", {})

    # The report shows the NetBIOS name: the DNS host name up to its first dot, upper case, at
    # most 15 characters. The inventory names the PC by its DNS host name.
    name = field["Dispositivo"]
    dns_name = hardware.get("name")
    if dns_name is None or dns_name.split(".")[0].upper()[:15] != name:
        problems.append(f"hardware.name {dns_name!r} is not the DNS form of {name!r}")
    # The board's UUID where the firmware gives one, else its serial, else the installation's time.
    deviceid = doc.get("deviceid", "")
    host = re.escape(dns_name or name)
    uuid = hardware.get("uuid")
    serial = content.get("bios", {}).get("ssn")
    match = re.fullmatch(host + r"-(\d{4}-\d\d-\d\d-\d\d-\d\d-\d\d)", deviceid)
    if uuid is not None or serial is not None:
        expect("deviceid", deviceid, f"{dns_name or name}-{uuid if uuid is not None else serial}")
    elif not match:
        problems.append(f"deviceid {deviceid!r} is not {dns_name}-YYYY-MM-DD-hh-mm-ss")
    elif "install_date" in system:
        # The installation's time in UTC, so that it is the same whatever the time zone.
        installed = datetime.strptime(system["install_date"], "%Y-%m-%d %H:%M:%S").astimezone(timezone.utc)
        expect("deviceid's time", match.group(1), installed.strftime("%Y-%m-%d-%H-%M-%S"))
    expect("action", doc.get("action"), "inventory")
    expect("itemtype", doc.get("itemtype"), "Computer")
    if not re.fullmatch(r"inventario-\d+\.\d+\.\d+", content.get("versionclient", "")):
        problems.append(f"versionclient {content.get('versionclient')!r}")
    expect("versionprovider", content.get("versionprovider"),
           {"name": "inventario", "version": content.get("versionclient", "").removeprefix("inventario-")})
    for port in content.get("networks", []):
        if "type" not in port:
            problems.append(f"network {port.get('description')!r} has no type")
    near_gb("hardware.memory", hardware.get("memory"), gb(field["RAM"].removesuffix(" GB"), separator))
    expect("hardware.winprodid", hardware.get("winprodid"), found(field["ID do Windows"], "Não encontrado"))

    os_name, version, build = re.fullmatch(r"(.*) \(Versão: (.*) \| Build:(.*)\)", field["Sistema"]).groups()
    expect("operatingsystem.name", system.get("name"), "Windows")
    os_name = found(os_name, "Windows Desconhecido")
    expect("operatingsystem.full_name", system.get("full_name"),
           os_name if os_name is None or os_name.startswith("Microsoft") else "Microsoft " + os_name)
    expect("operatingsystem.version", system.get("version"), found(version, ""))
    bare_build = build.split(".")[0]
    kernel = system.get("kernel_version", "")
    if bare_build and not re.fullmatch(r"\d+\.\d+\." + re.escape(bare_build), kernel):
        problems.append(f"operatingsystem.kernel_version {kernel!r} is not major.minor.{bare_build}")
    if "." in build:
        expect("operatingsystem.service_pack", system.get("service_pack"), build)
    expect("operatingsystem.arch", system.get("arch"), "64-bit")
    days, hours = map(int, re.fullmatch(r"(\d+) dias, (\d+) horas", field["Tempo ligado"]).groups())
    if "boot_time" in system:
        run = datetime.fromtimestamp(int(os.path.getmtime(inventory_path)))
        up = (run - datetime.strptime(system["boot_time"], "%Y-%m-%d %H:%M:%S")).total_seconds()
        if days * 24 + hours not in {int((up - 1) // 3600), int((up + 1) // 3600)}:
            problems.append(f"boot_time {system['boot_time']} is {up}s before the run, report says {days}d {hours}h")
    else:
        problems.append("no operatingsystem.boot_time")

    expect("cpus", [cpu.get("name") for cpu in content.get("cpus", [])],
           [cpu for cpu in [found(field["Processador"], "Desconhecido")] if cpu])

    drives = {drive["letter"]: drive for drive in content.get("drives", [])}
    number = r"(\d+" + re.escape(separator) + r"\d\d)"
    shown = re.findall(r"([C-Z]): Total: " + number + r" GB \| Livre: " + number + " GB", field["Discos"])
    expect("drive letters", sorted(drives), sorted(letter + ":" for letter, _, _ in shown))
    for letter, total, free in shown:
        drive = drives.get(letter + ":", {})
        near_gb(f"{letter}: total", drive.get("total"), gb(total, separator))
        # Free space moves while the host works; the report's own check allows as much.
        if abs(drive.get("free", -1) / 1024 - gb(free, separator)) > 0.5:
            problems.append(f"{letter}: free {drive.get('free')} MiB, report {free} GB")
        expect(f"{letter}: systemdrive", drive.get("systemdrive"), letter == "C")

    address, gateway = field["IP Local / Gateway"].split(" / ")
    gateway = found(gateway, "Não encontrado", "Não obtido")
    networks = content.get("networks", [])
    if address == "Não obtido":
        # An adapter may be up without an address; none has one the report passed by.
        expect("networks with an address", [n for n in networks if "ipaddress" in n], [])
    else:
        # The report's adapter is one of them, as the report shows it.
        # The adapter's name, without the link status the report adds in parentheses.
        name = re.sub(r" \((?:[^()]|\([^()]*\))*\)$", "", field["Rede"])
        shown = {"description": name, "ipaddress": address,
                 "ipgateway": gateway, "mac": field["MAC"].lower().replace("-", ":") or None, "status": "up"}
        if not any(all(n.get(k) == v for k, v in shown.items()) for n in networks):
            problems.append(f"the report's adapter {shown} is not among the networks {networks}")
    expect("hardware.defaultgateway", hardware.get("defaultgateway"), gateway)
    wanted = [arg.split("|") for kind, arg in extras if kind == "NETWORK"]
    if wanted:
        expect("network descriptions", sorted(n.get("description") for n in networks), sorted(w[0] for w in wanted))
        for description, mac, ip, mask, subnet, status in wanted:
            entry = next((n for n in networks if n.get("description") == description), {})
            for key, value in (("mac", mac), ("ipaddress", ip), ("ipmask", mask), ("ipsubnet", subnet),
                               ("status", status)):
                expect(f"{description} {key}", entry.get(key), value or None)
            expect(f"{description} type", entry.get("type"), "ethernet")

    for drive in content.get("drives", []):
        if "serial" in drive and not (re.fullmatch(r"[0-9A-F]{8}", drive["serial"]) and drive.get("type") == "Local disk"):
            problems.append(f"drive {drive}: serial is not 8 upper-case hex digits of a local disk")
    for cpu in content.get("cpus", []):
        if "core" in cpu and cpu.get("thread", 0) < cpu["core"]:
            problems.append(f"cpu {cpu}: fewer threads than cores")
    # The graphics line and the videos are one list.
    graphics = field["Placa Gráfica"]
    expect("videos", [v.get("name") for v in content.get("videos", [])],
           [] if graphics == "Não identificada" else graphics.split(" | "))
    for arg in (arg for kind, arg in extras if kind == "VIDEO"):
        name, chipset, memory = arg.split("|")
        video = {"name": name, "chipset": chipset or None, "memory": int(memory) if memory else None}
        videos = content.get("videos", [])
        if not any(all(v.get(k) == x for k, x in video.items()) for v in videos):
            problems.append(f"video {video} is not among {videos}")
    for arg in (arg for kind, arg in extras if kind == "MONITOR"):
        maker, name, serial, description = arg.split("|")
        monitor = {"manufacturer": maker, "name": name or None, "serial": serial or None, "description": description}
        monitors = content.get("monitors", [])
        matches = [m for m in monitors if all(m.get(k) == x for k, x in monitor.items())]
        if len(matches) != 1:
            problems.append(f"monitor {monitor} is listed {len(matches)} times in {monitors}")

    printers = [line.removesuffix(" (Padrão)") for line in block(lines, "🖨️ *Impressoras Instaladas:*")]
    expect("printers", [p.get("name") for p in content.get("printers", [])], printers)
    programs = block(lines, "📦 *Programas Instalados:*")
    listed = content.get("softwares", [])
    expect("softwares", [s.get("name") for s in listed], programs)
    for arg in (arg for kind, arg in extras if kind == "DETAIL"):
        program, key, value = arg.split("|")
        entry = next((s for s in listed if s.get("name") == program), {})
        expect(f"{program} {key}", entry.get(key), value or None)
    softwares = [arg for kind, arg in extras if kind == "SOFTWARE"]
    for wanted in softwares:
        program, version, publisher = wanted.split("|")
        entry = next((s for s in listed if s.get("name") == program), {})
        expect(f"{program} version", entry.get("version"), version or None)
        expect(f"{program} publisher", entry.get("publisher"), publisher or None)

    for wanted in (arg for kind, arg in extras if kind == "FIELD"):
        path, value = wanted.split("=", 1)
        section, key = path.split(".")
        got = content.get(section, {}).get(key)
        expect(path, None if got is None else str(got), value or None)
    if ("MEMORY", "ONE") in extras:
        memories = content.get("memories", [])
        if len(memories) != 1 or set(memories[0]) != {"capacity"} or \
                memories[0]["capacity"] < hardware.get("memory", 0):
            problems.append(f"memories {memories} are not one entry of the whole memory")

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3], [tuple(arg.split("=", 1)) for arg in sys.argv[4:]]))
