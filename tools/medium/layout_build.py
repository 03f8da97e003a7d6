"""The layout a rehearsal runs with: the medium's own Setup.exe's, read from
the program. When the host Setup.exe was built with another layout (the CMake
cache keeps earlier build options), a host Setup.exe with the medium's layout
is built once, quietly, in a build directory of its own under build/."""
import hashlib
import os
import subprocess

from host_answers import REPOSITORY
from layout import LayoutError, read_layout

# The build options of cmake/MediumLayout.cmake, by the layout's field.
OPTIONS = (("product_key_prefix", "SETUP_VENDOR_KEY_PREFIX"),
           ("user_data_key", "SETUP_USER_DATA_KEY"),
           ("japanese_folder", "SETUP_JAPANESE_FOLDER"),
           ("english_folder", "SETUP_ENGLISH_FOLDER"))


class LayoutBuildError(Exception):
    """The host Setup.exe with the medium's layout could not be built."""


def describe(layout):
    return (f"folders {layout.japanese_folder} and {layout.english_folder}, product key "
            f"prefix HKLM\\{layout.product_key_prefix}, per-user key HKCU\\{layout.user_data_key}")


def build_directory(layout):
    """build/host-layout-<digest of the layout>: one per layout."""
    text = "\0".join(getattr(layout, field) for field, _ in OPTIONS)
    return os.path.join(REPOSITORY, "build",
                        "host-layout-" + hashlib.sha256(text.encode()).hexdigest()[:12])


def build_host_program(layout):
    """The host Setup.exe built with the layout (built when it is not yet)."""
    directory = build_directory(layout)
    program = os.path.join(directory, "bin", "Setup.exe")
    options = [f"-D{option}={getattr(layout, field)}" for field, option in OPTIONS]
    configure = ["cmake", "-S", REPOSITORY, "-B", directory, "-G", "Ninja",
                 "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DSETUP_BUILD_TESTS=OFF", *options]
    build = ["cmake", "--build", directory, "--target", "Setup"]
    configured = os.path.isfile(os.path.join(directory, "CMakeCache.txt"))
    for command in ([build] if configured else [configure, build]):
        done = subprocess.run(command, capture_output=True, text=True, errors="replace",
                              stdin=subprocess.DEVNULL, check=False)
        if done.returncode != 0:
            lines = (done.stderr.strip() or done.stdout.strip()).splitlines()
            raise LayoutBuildError(f"building a host Setup.exe with the medium's layout in "
                                   f"{directory} failed: {lines[-1] if lines else done.returncode}")
    return program


def rehearsal_layout(medium_program, host_program, build=True):
    """(layout, program to rehearse, lines saying where the layout came from)
    for the medium's Setup.exe (a path or None) and the host build's. With
    build False (the medium's own program runs), nothing is built."""
    try:
        host_layout = read_layout(host_program)
    except LayoutError as error:
        raise LayoutError(f"{host_program}: {error}") from None
    try:
        layout = read_layout(medium_program) if medium_program else None
        reason = None if medium_program else "the medium has no Setup.exe"
    except LayoutError as error:
        layout, reason = None, f"the medium's Setup.exe {error}"
    if layout is None:
        return host_layout, host_program, [
            f"layout: {describe(host_layout)}, the host build's ({reason}; a launcher built "
            f"for another product needs the host build configured with its options)"]
    if layout == host_layout or not build:
        return layout, host_program, [f"layout: {describe(layout)}, from the medium's Setup.exe"]
    program = build_host_program(layout)
    return layout, program, [
        f"layout: {describe(layout)}, from the medium's Setup.exe",
        f"the host build has another layout ({describe(host_layout)}): rehearsing with a host "
        f"Setup.exe built with the medium's layout in {os.path.dirname(os.path.dirname(program))}"]
