#!/usr/bin/env python3
"""Kill test: quenlox.exe is killed at random moments while it blocks or unblocks a 10 MB hosts
file, in one round with a plain and one with a read-only hosts file. After every kill the hosts
file must be exactly the old or exactly the new content, and hosts.sav, where it exists, exactly
the unblocked file. A third round does the same as Windows 98, where the hosts file lives in the
Windows folder and the swap takes two renames. Some kills must land inside the write, shown by a
temporary file left behind, and no such leftover may survive the next toggle. The next start must see the right state: its
menu caption decides whether the item blocks or unblocks, so a toggle allowed to finish must flip
the file (and keep it read-only). Run through with_session.sh.

    kill_test.py --exe quenlox.exe --driver e2e_driver.exe [--kills N]
"""
import argparse
import os
import random
import stat
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
from wine_paths import winpath  # noqa: E402

IN_LINE_ITEM = 1
MARKER = b"Quenlox"
LEFTOVERS = ("hosts.quenlox-new", "hosts.quenlox-old", "hosts.sav.quenlox-new",
             "hosts.sav.quenlox-old")


def read_only(path):
    return not os.stat(path).st_mode & stat.S_IWUSR


def set_read_only(path, on):
    # Wine shows a file without write permission as read-only.
    mode = os.stat(path).st_mode
    os.chmod(path, mode & ~0o222 if on else mode | stat.S_IWUSR)


def wine_version(version):
    """Makes Wine report another Windows to the programs started from now on (None: its own)."""
    key = r"HKCU\Software\Wine"
    argv = (["reg", "add", key, "/v", "Version", "/d", version, "/f"] if version
            else ["reg", "delete", key, "/v", "Version", "/f"])
    subprocess.run(["wine"] + argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60)


def run_round(args, rng, etc, old, protect, label):
    hosts = os.path.join(etc, "hosts")
    backup = os.path.join(etc, "hosts.sav")
    for name in ("hosts", "hosts.sav") + LEFTOVERS:
        if os.path.exists(os.path.join(etc, name)):
            set_read_only(os.path.join(etc, name), False)
            os.remove(os.path.join(etc, name))  # shared with the template: new files only
    with open(hosts, "wb") as f:
        f.write(old)
    exe, driver = winpath(args.exe), winpath(args.driver)
    failures = []
    missed = []  # toggles whose menu item the driver could not choose
    moved_aside = [0]  # kills between the two renames of a swap without a one-step replace

    def fail(message):
        failures.append(message)
        print("FAIL (%s): %s" % (label, message), flush=True)

    def toggle(delay_ms):
        if protect and not read_only(hosts):
            set_read_only(hosts, True)  # a kill between its two attribute writes may lose it
        program = subprocess.Popen(["wine", exe], stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A file, not a pipe: the program could hold a pipe open.
        with tempfile.TemporaryFile() as said:
            result = subprocess.run(["wine", driver, "toggle-and-kill", str(IN_LINE_ITEM),
                                     str(delay_ms)], stdin=subprocess.DEVNULL, stdout=said,
                                    stderr=subprocess.DEVNULL, timeout=180)
            said.seek(0)
            shown = said.read().decode("latin-1")
        if result.returncode != 0:
            # The toggle did not happen; what stood in the way (the dialogs open instead of the
            # menu) is printed, and the round goes on with the file as it is.
            program.kill()  # the driver may not have reached it
            missed.append("%s; %r" % (
                {3: "no icon", 4: "no menu"}.get(result.returncode, result.returncode), shown))
            print("the driver could not choose the item: " + missed[-1], flush=True)
        program.wait(timeout=60)
        # A swap without a one-step replace (the 9x family) killed between its two renames
        # leaves the old file moved aside, which the next start puts back.
        content = b""  # none at all: neither old nor new
        for path in (hosts, hosts + ".quenlox-old"):
            if os.path.exists(path):
                with open(path, "rb") as f:
                    content = f.read()
                moved_aside[0] += path != hosts
                break
        if os.path.exists(backup):
            with open(backup, "rb") as f:
                if f.read() != old:
                    fail("hosts.sav is not an exact copy of the unblocked file")
        return content, [n for n in LEFTOVERS if os.path.exists(os.path.join(etc, n))]

    # One toggle allowed to finish gives the blocked content.
    new, _ = toggle(5000)
    if not new.split(b"\r")[0].count(MARKER) or old not in new:
        fail("the first block did not complete")
        return failures

    state, kills, changed, inside, checks = new, {"block": 0, "unblock": 0}, 0, 0, 0
    # The latest kill moment, per direction, follows the machine's speed: it shrinks after a kill
    # that came too late and grows after one that came too early, so kills gather around the
    # rewrite whatever it costs here.
    latest = {True: 700.0, False: 450.0}
    started = time.time()
    while min(kills.values()) < args.kills and len(failures) < 5:
        blocking = state == old
        finish = rng.random() < 0.1
        delay = 5000 if finish else rng.randint(0, int(latest[blocking]))
        after, leftovers = toggle(delay)
        if after not in (old, new):
            fail("after a kill at %d ms while %s the hosts file is neither old nor new (%d bytes)"
                 % (delay, "blocking" if blocking else "unblocking", len(after)))
            set_read_only(hosts, False)
            with open(hosts, "wb") as f:
                f.write(state)
            continue
        if finish:
            checks += 1
            if after == state:
                fail("a finished toggle did not flip the file: wrong caption after a kill")
            if leftovers:
                fail("leftovers survived a finished toggle: %s" % leftovers)
            if protect and not read_only(hosts):
                fail("a finished toggle lost the read-only attribute")
        else:
            kills["block" if blocking else "unblock"] += 1
            changed += after != state
            inside += bool(leftovers)
            latest[blocking] = min(max(latest[blocking] * (0.85 if after != state else 1.15),
                                       50.0), 3000.0)
        state = after
    print("%s hosts file: kills while blocking: %d, while unblocking: %d; %d of them after the "
          "swap, %d inside the write (a temporary file left); %d finished toggles checked; "
          "%d toggles the driver could not start; %d left only the old file moved aside; %.0f s"
          % (label, kills["block"], kills["unblock"], changed, inside, checks, len(missed),
             moved_aside[0], time.time() - started), flush=True)
    if len(missed) > 3:
        fail("the driver could not start %d toggles" % len(missed))
    if changed == 0 or changed == sum(kills.values()):
        fail("the kills did not spread over the rewrite")
    if inside == 0:
        fail("no kill landed inside the write")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--kills", type=int, default=50)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    args = parser.parse_args()
    rng = random.Random(args.seed)
    print("seed %d" % args.seed, flush=True)

    etc = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows", "system32", "drivers",
                       "etc")
    old = b"".join(b"10.%d.%d.%d host%d.intranet.example\r\n" % (i >> 16 & 255, i >> 8 & 255,
                                                                  i & 255, i)
                   for i in range(300000))[:10 * 1024 * 1024]
    old = old[:old.rfind(b"\r\n") + 2]
    failures = (run_round(args, rng, etc, old, False, "plain")
                + run_round(args, rng, etc, old, True, "read-only"))
    # The 9x family: its hosts file in the Windows folder, and a swap in two renames.
    wine_version("win98")
    nt_hosts = os.path.join(etc, "hosts")
    if os.path.exists(nt_hosts):
        set_read_only(nt_hosts, False)
        os.remove(nt_hosts)
    nine_x = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows")
    failures += run_round(args, rng, nine_x, old, False, "Windows 98")
    wine_version(None)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
