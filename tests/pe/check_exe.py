#!/usr/bin/env python3
"""Checks the shape of a Windows build of inventario.exe without running it:

  check_exe.py OBJDUMP ARCH VERSION EXE      (ARCH: i686 or x86_64)

- the PE kind of the architecture (PE32 for i686, PE32+ for x86_64) and the console subsystem;
- imports from known DLLs only, the ones Windows maps from its system folder whatever folder the
  exe runs from (KnownDLLs on every version from 7 to 11), and no delay-loaded DLL: any other
  DLL named in the import table could be planted beside the exe and would run in its place;
- exactly the functions listed in imports-ARCH.txt beside this script, each of them one that
  Windows 7 has: a function the system lacks stops the exe from starting at all, so a toolchain
  or code change that adds an import fails here until someone has checked it and listed it;
- the manifest: asInvoker, the build's own processorArchitecture (Windows refuses to start a
  program whose manifest names another), no active code page;
- the version resource, carrying VERSION and the name the build is released as.
Prints one line per finding and exits 1 when there is any.
"""
import os
import re
import subprocess
import sys

KINDS = {"i686": ("pei-i386", "010b", "x86", "inventario.exe"),
         "x86_64": ("pei-x86-64", "020b", "amd64", "inventario-x64.exe")}
KNOWN_DLLS = {"kernel32.dll", "advapi32.dll", "msvcrt.dll"}


def version_value(image, name):
    """The text of a StringFileInfo value: UTF-16 name, NUL, padding, then the UTF-16 text."""
    match = re.search(re.escape(name.encode("utf-16-le")) + rb"\x00\x00(?:\x00\x00)?((?:[^\x00]\x00)+)",
                      image)
    return match.group(1).decode("utf-16-le") if match else None


def imported_functions(headers):
    """(dll, function) for each import by name, the DLL in lower case, from objdump -p."""
    functions = set()
    for block in re.split(r"\n\s*\n", headers.split("The Import Tables", 1)[-1]):
        dll = re.search(r"DLL Name: (\S+)", block)
        if not dll:
            continue
        for name in re.findall(r"^\s+[0-9a-fA-F]+\s+\d+\s+(\S+)\s*$", block, re.M):
            functions.add((dll.group(1).lower(), name))
    return functions


def listed_functions(arch):
    """The reviewed imports: "dll function" per line; blank lines and # comments are skipped."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), f"imports-{arch}.txt")
    functions = set()
    with open(path, encoding="ascii") as listing:
        for line in listing:
            line = line.split("#", 1)[0].strip()
            if line:
                dll, name = line.split()
                functions.add((dll.lower(), name))
    return os.path.basename(path), functions


def main():
    objdump, arch, version, exe = sys.argv[1:5]
    file_format, magic, manifest_arch, release_name = KINDS[arch]
    headers = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    image = open(exe, "rb").read()
    problems = []

    if f"file format {file_format}" not in headers:
        problems.append(f"not a {file_format} image")
    if not re.search(rf"^Magic\s+{magic}\b", headers, re.M):
        problems.append(f"optional header magic is not {magic}")
    if not re.search(r"^Subsystem\s+00000003\b", headers, re.M):
        problems.append("not a console program (subsystem 3)")
    dlls = re.findall(r"DLL Name: (\S+)", headers)
    if not dlls:
        problems.append("no import table found")
    for dll in dlls:
        if dll.lower() not in KNOWN_DLLS:
            problems.append(f"imports {dll}, which is not a known DLL")
    listing, listed = listed_functions(arch)
    imported = imported_functions(headers)
    for dll, name in sorted(imported - listed):
        problems.append(f"imports {dll} {name}, which {listing} does not list: check that Windows 7 "
                        f"has it (else look it up at run time), then list it")
    for dll, name in sorted(listed - imported):
        problems.append(f"{listing} lists {dll} {name}, which the exe does not import: remove it")
    delay = re.search(r"^Entry d ([0-9a-fA-F]+) ([0-9a-fA-F]+) Delay Import Directory", headers, re.M)
    if not delay:
        problems.append("no delay-import entry in the data directory")
    elif int(delay.group(1), 16) != 0:
        problems.append("has a delay-import directory")

    architectures = re.findall(rb'processorArchitecture="([^"]*)"', image)
    if architectures != [manifest_arch.encode()]:
        problems.append(f"manifest processorArchitecture is {architectures}, expected {manifest_arch}")
    if b'requestedExecutionLevel level="asInvoker"' not in image:
        problems.append("manifest does not ask to run asInvoker")
    if b"activeCodePage" in image:
        problems.append("manifest sets an active code page")
    for name, expected in (("FileVersion", version), ("ProductVersion", version),
                           ("OriginalFilename", release_name)):
        value = version_value(image, name)
        if value != expected:
            problems.append(f"version resource {name} is {value!r}, expected {expected!r}")

    for problem in problems:
        print(f"{exe}: {problem}")
    if not problems:
        print(f"{exe}: {arch} console program, known DLLs only ({', '.join(dlls)}), "
              f"{len(imported)} reviewed imports, "
              f"manifest for {manifest_arch}, version {version} of {release_name}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
