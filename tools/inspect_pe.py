#!/usr/bin/env python3
"""Inspects a Windows program file (PE) as it would ship.

  inspect_pe.py FILE [--check] [--max-size BYTES]

Prints the file's size, machine, subsystem, whether it still carries symbols,
the size of each section, the DLLs it imports, its resources (type/name) and
the execution level its manifest asks for. With --check it fails (status 1)
unless the program: imports only system DLLs, carries no symbol table, has
exactly one manifest (RT_MANIFEST id 1, so no toolchain default manifest was
linked beside ours) asking for requireAdministrator, and has the resources
TFORMMAIN and MAINICON. With --max-size it also fails when the file is larger
than BYTES. The resources are read by the host build's own PE reader (its
hostwin-ask, the reader that loads language resource files): run
./dev build host first. Exit status: 0 fine, 1 problems found, 2 the file
cannot be inspected or a wrong command line.
"""
import json
import os
import re
import struct
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}
RESOURCE_TYPES = {3: "ICON", 6: "STRING", 10: "RCDATA", 14: "GROUP_ICON", 16: "VERSION", 24: "MANIFEST"}
MACHINES = {0x14C: "i386", 0x8664: "x86-64"}
SUBSYSTEMS = {2: "windows (GUI)", 3: "console"}
HOSTWIN_ASK = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                           "build", "host", "bin", "hostwin-ask")


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not a program file (no MZ header)")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        (self.machine, sections, _, self.symbol_table, self.symbol_count, optional_size,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        wide = magic == 0x20B
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (112 if wide else 96)
        self.directory = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        self.file_sizes = []  # bytes each section takes in the file
        table = optional + optional_size
        for i in range(sections):
            name, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), vaddr, max(vsize, rsize), raddr))
            self.file_sizes.append(rsize)

    def offset(self, rva):
        for _, vaddr, size, raddr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError(f"address {rva:#x} is in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imports(self):
        rva, size = self.directory[1]
        names = []
        at = self.offset(rva) if size else None
        while at is not None:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, at)
            if not name and not first:
                break
            names.append(self.text(name))
            at += 20
        return names



def resources_of(path):
    """(type, name, bytes) of every resource of the file, names as numbers or
    texts, as the host's PE reader finds them."""
    try:
        done = subprocess.run([HOSTWIN_ASK, "pe", path, "--data"], capture_output=True,
                              stdin=subprocess.DEVNULL, check=False)
    except OSError as error:
        raise ValueError(f"{HOSTWIN_ASK}: {error.strerror} (./dev build host builds it)") from None
    if done.returncode != 0:
        raise ValueError(done.stderr.decode(errors="replace").strip())
    answer = json.loads(done.stdout)
    if answer.get("resources") is None:
        raise ValueError("the resource directory is malformed")
    return [(r["type"], r["name"], bytes.fromhex(r["hex"])) for r in answer["resources"]]


def execution_level(manifest):
    match = re.search(rb'requestedExecutionLevel\s+level="([^"]+)"', manifest)
    return match.group(1).decode() if match else None


def cannot(message):
    """Ends with one line on standard error and status 2."""
    print(message, file=sys.stderr)
    sys.exit(2)


def main():
    if len(sys.argv) < 2:
        cannot(__doc__.strip())
    if sys.argv[1] in ("--help", "-h"):
        print(__doc__.strip())
        sys.exit(0)
    path, options = sys.argv[1], sys.argv[2:]
    check = "--check" in options
    max_size = None
    if "--max-size" in options:
        at = options.index("--max-size") + 1
        if at == len(options) or not options[at].isdigit():
            cannot("--max-size needs a number of bytes")
        max_size = int(options[at])
    try:
        with open(path, "rb") as file:
            data = file.read()
        image = Image(data)
        imports = image.imports()
        resources = resources_of(path)
    except OSError as error:
        cannot(f"{path}: cannot be read ({error.strerror})")
    except (ValueError, struct.error) as error:
        cannot(f"{path}: {error}")
    manifests = [(name, body) for kind, name, body in resources if kind == 24]
    print(f"{path}: {len(data)} bytes ({len(data) / 1024:.0f} KiB), "
          f"{MACHINES.get(image.machine, hex(image.machine))}, "
          f"subsystem {SUBSYSTEMS.get(image.subsystem, image.subsystem)}, "
          f"{'stripped' if not image.symbol_count else f'{image.symbol_count} symbols'}")
    print("sections: " + ", ".join(f"{name} {size}" for (name, _, _, _), size
                                   in zip(image.sections, image.file_sizes)))
    print("imports: " + " ".join(imports))
    print("resources: " + " ".join(f"{RESOURCE_TYPES.get(k, k)}/{n}" for k, n, _ in resources))
    for name, body in manifests:
        print(f"manifest {name}: requestedExecutionLevel {execution_level(body)}, "
              f"{body.count(b'supportedOS')} supportedOS entries")
    problems = []
    if max_size is not None and len(data) > max_size:
        problems.append(f"{len(data)} bytes, more than the limit of {max_size}")
    if check:
        problems += release_problems(image, imports, resources, manifests)
    for problem in problems:
        print(f"{path}: {problem}", file=sys.stderr)
    sys.exit(1 if problems else 0)


def release_problems(image, imports, resources, manifests):
    """What keeps the program from shipping as it is (see --check)."""
    problems = []
    foreign = [name for name in imports if name.lower() not in SYSTEM_DLLS]
    if foreign:
        problems.append("imports non-system libraries: " + " ".join(foreign))
    if image.symbol_count:
        problems.append("not stripped")
    if [name for name, _ in manifests] != [1]:
        problems.append(f"expected one manifest with id 1, found {[name for name, _ in manifests]}")
    elif execution_level(manifests[0][1]) != "requireAdministrator":
        problems.append("the manifest does not ask for requireAdministrator")
    names = {(kind, name) for kind, name, _ in resources}
    for wanted in ((10, "TFORMMAIN"), (14, "MAINICON")):
        if wanted not in names:
            problems.append(f"resource {RESOURCE_TYPES[wanted[0]]}/{wanted[1]} missing")
    return problems


if __name__ == "__main__":
    main()
