#!/usr/bin/env python3
"""Where a linked program's bytes come from, from the GNU linker's map.

  map_sizes.py MAP [--members N] [--why MEMBER]

Sums the input sections the linker kept (code, read-only data, data, unwind
and exception tables) by origin: the program's own libraries and objects, and
each archive of the toolchain (libstdc++, libgcc, mingwex, winpthreads, ...).
Then lists the N largest archive members and objects (default 25). With
--why it prints which file and symbol pulled an archive member in (the map's
"Archive member included" table), e.g. --why cp-demangle.o.
The build writes the map of the Windows Setup.exe to build/PRESET/bin/Setup.map.
"""
import collections
import re
import sys

# An input section line: " .text  0x00401000  0x1a4 /path/lib.a(member.o)",
# the name sometimes alone on the line before the address and size.
SECTION = re.compile(r"^ (\.\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
KEPT = (".text", ".rdata", ".data", ".eh_frame", ".gcc_except_table", ".pdata", ".xdata",
        ".bss", ".ctors", ".dtors", ".CRT", ".tls")


def origin(path):
    """(group, member): the archive's name or 'objects', and the member or object."""
    match = re.match(r"(.*?)([^/]+\.a)\((.*)\)$", path)
    if match:
        return match.group(2), match.group(3)
    return "objects", path.rsplit("/", 1)[-1]


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    count = 25
    if "--members" in sys.argv:
        count = int(sys.argv[sys.argv.index("--members") + 1])
    lines = open(path, encoding="latin-1").read().splitlines()
    if "--why" in sys.argv:
        wanted = sys.argv[sys.argv.index("--why") + 1]
        for i, line in enumerate(lines):
            if wanted in line and "(" in line and i + 1 < len(lines) and lines[i + 1].startswith(" "):
                print(line.strip(), "<-", lines[i + 1].strip())
        return
    in_layout = False
    pending = None
    groups = collections.Counter()
    members = collections.Counter()
    kinds = collections.Counter()
    for line in lines:
        if line.startswith("Linker script and memory map"):
            in_layout = True
            continue
        if not in_layout:
            continue
        if re.match(r"^ \.\S+$", line):
            pending = line.strip()
            continue
        match = SECTION.match(line)
        if not match:
            pending = None
            continue
        name = match.group(1) or pending
        pending = None
        size = int(match.group(3), 16)
        if not name or not size or not name.startswith(KEPT):
            continue
        if name.startswith(".bss"):
            continue  # takes no room in the file
        group, member = origin(match.group(4))
        groups[group] += size
        members[f"{group}: {member}"] += size
        kinds[name.split("$")[0].split(".", 2)[1]] += size
    print("by origin:")
    for group, size in groups.most_common():
        print(f"  {size:9,}  {group}")
    print("by kind of section:")
    for kind, size in kinds.most_common():
        print(f"  {size:9,}  .{kind}")
    print(f"the {count} largest members and objects:")
    for member, size in members.most_common(count):
        print(f"  {size:9,}  {member}")


if __name__ == "__main__":
    main()
