#!/usr/bin/env python3
"""Checks the layering of the source tree.

Layers, top to bottom: launcher, framework/application, framework/forms,
framework/controls, framework/streaming, framework/classes, system, runtime,
platform. A file may include headers of its own layer and of the layers below,
never above. Only platform/ may include operating-system headers: the other
layers include nothing in angle brackets but the C++ standard library, and of
platform/ only its public headers (win32.h, sync.h, crt_numbers.h).
Exits with status 1 and lists the offending lines when the rules are broken.
"""
import os
import re
import sys

LAYERS = [
    "platform",
    "runtime",
    "system",
    "framework/classes",
    "framework/streaming",
    "framework/controls",
    "framework/forms",
    "framework/application",
    "launcher",
]

STANDARD_HEADERS = set("""
algorithm any array atomic bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes climits
clocale cmath compare concepts condition_variable cstdarg cstddef cstdint cstdio cstdlib cstring ctime
cwchar cwctype deque exception functional initializer_list iomanip ios iosfwd iostream istream iterator
limits list map memory mutex new numeric optional ostream queue random ranges ratio set shared_mutex span
sstream stack stdexcept streambuf string string_view system_error thread tuple type_traits typeindex
typeinfo unordered_map unordered_set utility variant vector version cxxabi.h
""".split())

# The platform layer's headers that other layers may include: the Win32
# subset, the program's locks, and the C runtime's float conversions.
PUBLIC_PLATFORM_HEADERS = {"platform/win32.h", "platform/sync.h", "platform/crt_numbers.h"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(path):
    for index, layer in reversed(list(enumerate(LAYERS))):
        if path == layer or path.startswith(layer + "/"):
            return index
    return None


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    problems = []
    for layer in LAYERS:
        for directory, _, files in os.walk(os.path.join(root, layer)):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.relpath(os.path.join(directory, name), root)
                own = layer_of(path)
                for number, line in enumerate(open(os.path.join(root, path), encoding="utf-8"), 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    kind, header = match.groups()
                    if LAYERS[own] == "platform":
                        continue
                    if kind == "<":
                        if header not in STANDARD_HEADERS:
                            problems.append(f"{path}:{number}: system header <{header}> outside platform/")
                        continue
                    if header.startswith("platform/") and header not in PUBLIC_PLATFORM_HEADERS:
                        problems.append(f"{path}:{number}: {header}: only "
                                        f"{', '.join(sorted(PUBLIC_PLATFORM_HEADERS))} are public")
                    target = layer_of(header)
                    if target is None:
                        problems.append(f"{path}:{number}: {header}: not a header of a layer")
                    elif target > own:
                        problems.append(f"{path}:{number}: {header}: includes upward ({LAYERS[target]} from {LAYERS[own]})")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
