"""Uninstallers that hand their work to a second process and end at once
(--uninstaller hands-off): the launcher's re-check comes before the removal,
so the user is told the copy is still installed while it is being removed.
The rehearsal waits for the second process before it reports, so that
nothing it started outlives it, and tells what the user then sees."""
import os
import signal
import time

from stand_in import HANDS_OFF_SECONDS

# How long the rehearsal waits for a second process beyond its delay.
GRACE_SECONDS = 30


def wait_for_second_processes(stand_ins):
    """Waits until each hands-off uninstaller's second process has recorded
    its work (stand_ins(role) gives the records); one still running at the
    deadline is ended. Returns the second processes' records."""
    deadline = time.monotonic() + HANDS_OFF_SECONDS + GRACE_SECONDS
    while True:
        started = [r["second_pid"] for r in stand_ins("uninstaller") if "second_pid" in r]
        done = stand_ins("second process")
        if len(done) >= len(started) or time.monotonic() >= deadline:
            break
        time.sleep(0.1)
    finished = {r["pid"] for r in done}
    for pid in started:
        if pid not in finished:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
    return done


def account(records, still_installed, say):
    """The lines that tell what the second processes did and when."""
    for record in records:
        after = f"{record['seconds']:g} seconds after the uninstaller had ended"
        if still_installed:
            say(f"   The uninstaller handed the removal to a second process and ended at once, so "
                f"Setup.exe re-checked before anything was removed and told the user the old "
                f"software was still installed; {after}, the second process removed the copy "
                f"(run again, Setup.exe would find no earlier copy)")
        else:
            say(f"   The uninstaller handed the removal to a second process and ended at once; "
                f"{after}, the second process removed the copy")


def verdict_hint(records):
    """What the STOPPED verdict of a re-check adds for a hands-off uninstaller."""
    if not records:
        return ""
    return " (the uninstaller handed the removal to a second process, which removed the copy later)"
