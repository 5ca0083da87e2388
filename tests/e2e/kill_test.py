#!/usr/bin/env python3
"""Kill test: quenlox.exe is killed at random moments while it blocks or unblocks a 10 MB hosts
file. After every kill the hosts file must be exactly the old or exactly the new content. The
next start must see the right state: its menu caption decides whether the item blocks or
unblocks, so a toggle allowed to finish must flip the file. Run through with_session.sh.

    kill_test.py --exe quenlox.exe --driver e2e_driver.exe [--kills N]
"""
import argparse
import os
import random
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
from wine_paths import winpath  # noqa: E402

IN_LINE_ITEM = 1
MARKER = b"Quenlox"


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
    hosts = os.path.join(etc, "hosts")
    old = b"".join(b"10.%d.%d.%d host%d.intranet.example\r\n" % (i >> 16 & 255, i >> 8 & 255,
                                                                  i & 255, i)
                   for i in range(300000))[:10 * 1024 * 1024]
    old = old[:old.rfind(b"\r\n") + 2]
    os.remove(hosts)  # shared with the template: a new file, never a write into it
    with open(hosts, "wb") as f:
        f.write(old)
    exe, driver = winpath(args.exe), winpath(args.driver)

    def toggle(delay_ms):
        program = subprocess.Popen(["wine", exe], stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        result = subprocess.run(["wine", driver, "toggle-and-kill", str(IN_LINE_ITEM),
                                 str(delay_ms)], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        program.wait(timeout=60)
        if result.returncode != 0:
            raise RuntimeError("the driver could not choose the item")
        with open(hosts, "rb") as f:
            return f.read()

    # One toggle allowed to finish gives the blocked content.
    new = toggle(5000)
    if not new.split(b"\r")[0].count(MARKER) or old not in new:
        print("FAIL: the first block did not complete")
        return 1

    state, kills, changed, failures, checks = new, {"block": 0, "unblock": 0}, 0, 0, 0
    started = time.time()
    while min(kills.values()) < args.kills:
        blocking = state == old
        finish = rng.random() < 0.1
        # Long enough to cover the whole rewrite of 10 MB, short enough to land inside it often.
        delay = 5000 if finish else rng.randint(0, 700 if blocking else 450)
        after = toggle(delay)
        if after not in (old, new):
            failures += 1
            print("FAIL: after a kill at %d ms while %s the hosts file is neither old nor new "
                  "(%d bytes)" % (delay, "blocking" if blocking else "unblocking", len(after)))
            with open(hosts, "wb") as f:
                f.write(state)
            continue
        if finish:
            checks += 1
            if after == state:
                failures += 1
                print("FAIL: a finished toggle did not flip the file: wrong caption after a kill")
        else:
            kills["block" if blocking else "unblock"] += 1
            changed += after != state
        state = after
    print("kills while blocking: %d, while unblocking: %d; %d of them after the swap; %d finished "
          "toggles checked; %.0f s" % (kills["block"], kills["unblock"], changed, checks,
                                       time.time() - started))
    if changed == 0 or changed == sum(kills.values()):
        print("FAIL: the kills did not spread over the rewrite")
        failures += 1
    print("%d failures" % failures)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
