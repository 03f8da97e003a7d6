#!/usr/bin/env python3
"""Checks the layering of the source tree.

The product's layers, top to bottom: launcher, framework/application,
framework/forms, framework/controls, framework/streaming, framework/classes,
system, runtime, platform. A file may include headers of its own layer and of
the layers below, never above, and never a file of the folders beside the
product (tests, fuzz, bench, tools). Only platform/ may include
operating-system headers: the other layers include nothing in angle brackets
but the C++ standard library, and of platform/ only its public headers
(win32.h, sync.h, crt_numbers.h).

The folders beside the product may include every layer (of platform/ only its
public headers), system headers, and the folders their AREAS entry names. A
header reached by its bare name through an include directory (the host
layer's own headers, formdump's) is allowed only in the folders that
INCLUDE_DIRECTORIES names; the build gives that directory only to the targets
that link the library declaring it.

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

# The folders beside the product, each with the folders it may include from
# besides the product's layers. The tests replay the fuzz targets' inputs
# through their entries and the benchmarks read into the fuzz target's sample
# classes; nothing includes the tests.
AREAS = {
    "tests": ("tests", "fuzz"),
    "fuzz": ("fuzz",),
    "bench": ("bench", "fuzz"),
    "tools": ("tools",),
}

# Include directories of libraries that only some targets link, with the
# folders whose files may use them: the host layer's own headers
# (hostwin_internals) and formdump's (formdump_lib).
INCLUDE_DIRECTORIES = {
    "platform/host/src": ("tests/platform", "fuzz", "tools"),
    "tools/formdump": ("tests/tools", "fuzz", "tools/formdump"),
}

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


def within(path, folder):
    return path == folder or path.startswith(folder + "/")


def layer_of(path):
    for index, layer in reversed(list(enumerate(LAYERS))):
        if within(path, layer):
            return index
    return None


def area_of(path):
    return next((area for area in AREAS if within(path, area)), None)


def check_layer_include(path, kind, header):
    """The problem with a product file's include, or None."""
    own = layer_of(path)
    if LAYERS[own] == "platform":
        return None
    if kind == "<":
        return None if header in STANDARD_HEADERS else f"system header <{header}> outside platform/"
    if header.startswith("platform/") and header not in PUBLIC_PLATFORM_HEADERS:
        return f"{header}: only {', '.join(sorted(PUBLIC_PLATFORM_HEADERS))} are public"
    target = layer_of(header)
    if target is None and area_of(header) is not None:
        return f"{header}: the product may not include {area_of(header)}/"
    if target is None:
        return f"{header}: not a header of a layer"
    if target > own:
        return f"{header}: includes upward ({LAYERS[target]} from {LAYERS[own]})"
    return None


def check_area_include(root, path, kind, header):
    """The problem with an include of a file beside the product, or None."""
    if kind == "<":
        return None
    directory = os.path.dirname(path)
    if os.path.exists(os.path.join(root, directory, header)):
        return None  # a file of its own folder
    if header.startswith("platform/"):
        if header in PUBLIC_PLATFORM_HEADERS:
            return None
        return f"{header}: only {', '.join(sorted(PUBLIC_PLATFORM_HEADERS))} are public"
    if layer_of(header) is not None:
        return None
    area = area_of(path)
    target = area_of(header)
    if target is not None:
        return None if target in AREAS[area] else f"{header}: {area}/ may not include {target}/"
    for include_directory, users in INCLUDE_DIRECTORIES.items():
        if os.path.exists(os.path.join(root, include_directory, header)):
            if any(within(path, user) for user in users):
                return None
            return f"{header}: a header of {include_directory}, for {', '.join(users)} only"
    return f"{header}: no such header"


def source_files(root, folder):
    for directory, _, files in os.walk(os.path.join(root, folder)):
        for name in sorted(files):
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(directory, name), root)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    problems = []
    for folder in LAYERS + list(AREAS):
        product = folder in LAYERS
        for path in source_files(root, folder):
            for number, line in enumerate(open(os.path.join(root, path), encoding="utf-8"), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                kind, header = match.groups()
                if product:
                    problem = check_layer_include(path, kind, header)
                else:
                    problem = check_area_include(root, path, kind, header)
                if problem:
                    problems.append(f"{path}:{number}: {problem}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
