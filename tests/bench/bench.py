#!/usr/bin/env python3
"""The benchmarks: each row a figure of quenlox beside its reference, measured in the same run on
the same Wine desktop. Run through tests/wine/with_session.sh (own prefix and display).

    bench.py BUILD_DIR [SHIPPED_EXE]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
from wine_paths import winpath  # noqa: E402

MESSENGER = r"HKLM\SYSTEM\CurrentControlSet\Services\Messenger"
ZONE = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Zones\3"
MOUSE_MOVE = 512
MESSAGES = 3000
ROUNDS = 5
STARTS = 15
SIZE_LIMIT = 280 * 1024
SOAK_ROUNDS = 10  # the first of them is the first tenth of the run


def log(step):
    print("bench: " + step, file=sys.stderr, flush=True)


def wine(exe, *argv, timeout=120):
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", winpath(exe)] + [str(a) for a in argv], stdin=subprocess.DEVNULL,
                       stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        return out.read().decode("latin-1").strip()


def start(exe, *argv):
    return subprocess.Popen(["wine", winpath(exe)] + list(argv), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def reg_dword(key, name, value):
    subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value),
                    "/f"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True, timeout=60)


def write_file(path, data_lines, size):
    """A hosts-like file of about `size` bytes built from `data_lines`, repeated."""
    if os.path.exists(path):
        os.remove(path)  # the prefix shares its files with the template
    chunk = "".join(data_lines).encode()
    with open(path, "wb") as f:
        written = 0
        while written < size:
            f.write(chunk)
            written += len(chunk)


def wait_window(driver, cls, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        if wine(driver, "windows", cls):
            return
        time.sleep(0.2)
    raise RuntimeError("no window of class " + cls)


def tray_message_cost(build, driver, hosts):
    quenlox = start(os.path.join(build, "quenlox.exe"))
    reference = start(os.path.join(build, "bench_tray_reference.exe"), winpath(hosts))
    wait_window(driver, "TForm1")
    wait_window(driver, "QuenloxBenchReference")
    ours, theirs = [], []
    wine(driver, "tray-message", 200, MOUSE_MOVE)  # warm caches on both sides
    wine(driver, "tray-message", 200, MOUSE_MOVE, "QuenloxBenchReference")
    for _ in range(ROUNDS):
        ours.append(float(wine(driver, "tray-message", MESSAGES, MOUSE_MOVE)))
        theirs.append(float(wine(driver, "tray-message", MESSAGES, MOUSE_MOVE,
                                 "QuenloxBenchReference")))
    subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for process in (quenlox, reference):
        process.wait(timeout=30)
    return statistics.median(ours), statistics.median(theirs)


def probe_memory(bench, folder):
    big, small = os.path.join(folder, "hosts-50mb"), os.path.join(folder, "hosts-1kb")
    write_file(big, ["0.0.0.0 ads%05d.example\n" % i for i in range(1000)], 50 * 1024 * 1024)
    write_file(small, ["0.0.0.0 ads%05d.example\n" % i for i in range(40)], 1024)
    peaks = {}
    for name, path in (("big", big), ("small", small)):
        runs = [wine(bench, "probe-memory", winpath(path)).split() for _ in range(3)]
        if any(len(r) != 3 or r[2] != "0" for r in runs):
            raise RuntimeError("the probe failed: %s" % runs)
        peaks[name] = min(int(r[0]) for r in runs)
    os.remove(big)
    return peaks["big"], peaks["small"]


def block_times(bench, folder):
    path = os.path.join(folder, "hosts-10mb")
    write_file(path, ["127.0.0.1       localhost\r\n", "10.1.2.3 intranet%d.example\r\n"],
               10 * 1024 * 1024)
    out = wine(bench, "block-times", winpath(path), ROUNDS).split()
    if len(out) != 6:
        raise RuntimeError("block-times failed")
    for name in ("hosts-10mb", "hosts-10mb.sav"):
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    return tuple(float(x) for x in out)


def startup(build, driver):
    ours = float(wine(driver, "startup", winpath(os.path.join(build, "quenlox.exe")), "TForm1",
                      STARTS))
    theirs = float(wine(driver, "startup", winpath(os.path.join(build, "bench_tray_only.exe")),
                        "QuenloxBenchTrayOnly", STARTS))
    return ours, theirs


def soak(build, driver, hosts):
    """The program that counts the objects it holds, driven through ten equal rounds; its private
    bytes and held objects after the first round and after the last."""
    write_file(hosts, ["127.0.0.1       localhost\r\n", "::1 localhost\r\n"], 40)
    reg_dword(MESSENGER, "Start", 3)
    reg_dword(ZONE, "1400", 0)
    program = start(os.path.join(build, "quenlox_counting.exe"))
    out = wine(driver, "soak", SOAK_ROUNDS, timeout=3600).split()
    subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program.wait(timeout=30)
    if len(out) != 4:
        raise RuntimeError("the soak stopped: %s" % out)
    return tuple(int(x) for x in out)


def main():
    build = os.path.abspath(sys.argv[1])
    # The size is that of the shipped, 32-bit program, also where the Wine build is for x86_64.
    shipped = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.path.join(build,
                                                                                  "quenlox.exe")
    driver = os.path.join(build, "e2e_driver.exe")
    bench = os.path.join(build, "bench_win32.exe")
    drive_c = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    folder = os.path.join(drive_c, "bench")
    os.makedirs(folder, exist_ok=True)
    hosts = os.path.join(drive_c, "windows", "system32", "drivers", "etc", "hosts")
    write_file(hosts, ["127.0.0.1       localhost\r\n", "::1 localhost\r\n"], 40)
    reg_dword(MESSENGER, "Start", 3)
    reg_dword(ZONE, "1400", 0)

    rows = []
    log("tray messages")
    ours, theirs = tray_message_cost(build, driver, hosts)
    rows.append(("1 tray message (us/message)", ours, theirs, ours / theirs, "<= 1.1"))
    log("probe memory")
    big, small = probe_memory(bench, folder)
    rows.append(("2 probe peak private bytes, 50 MB vs 1 KB (KiB)", big / 1024, small / 1024,
                 (big - small) / 1024, "<= 1024 KiB more"))
    log("block and unblock")
    block, unblock, durable, copy, fast_block, fast_unblock = block_times(bench, folder)
    rows.append(("3a block 10 MB hosts (ms), beside a durable copy", block, durable,
                 block / durable, "<= 1.5"))
    rows.append(("3b unblock 10 MB hosts (ms), beside a durable copy", unblock, durable,
                 unblock / durable, "<= 1.5"))
    rows.append(("3a' block beside CopyFile alone", block, copy, block / copy, "-"))
    rows.append(("3b' unblock beside CopyFile alone", unblock, copy, unblock / copy, "-"))
    rows.append(("3c block, writes not flushed, beside CopyFile", fast_block, copy,
                 fast_block / copy, "-"))
    rows.append(("3d unblock, writes not flushed, beside CopyFile", fast_unblock, copy,
                 fast_unblock / copy, "-"))
    log("start-up")
    ours, theirs = startup(build, driver)
    rows.append(("4 start-up to the icon (ms)", ours, theirs, ours / theirs, "<= 1.5"))
    size = os.path.getsize(shipped)
    rows.append(("5 quenlox.exe stripped (KiB)", size / 1024, SIZE_LIMIT / 1024,
                 size / SIZE_LIMIT, "< 1"))

    log("soak")
    first_bytes, first_held, last_bytes, last_held = soak(build, driver, hosts)
    rows.append(("6a soak private bytes, end vs first tenth (KiB)", last_bytes / 1024,
                 first_bytes / 1024, (last_bytes - first_bytes) / 1024, "<= 64 KiB more"))
    rows.append(("6b soak objects held, end vs first tenth", last_held, first_held,
                 last_held - first_held, "0 more"))
    print("| row | quenlox | reference | ratio (or difference) | target |")
    print("|---|---:|---:|---:|---|")
    for name, a, b, ratio, target in rows:
        print("| %s | %.2f | %.2f | %.2f | %s |" % (name, a, b, ratio, target))
    print("reference: 1 an empty window doing exactly the calls every tray message requires; "
          "2 the 1 KB file; 3a, 3b a durable copy of the same file (delete the last copy, "
          "CopyFile, flush), 3a' to 3d CopyFile alone; 4 an empty program that only adds an "
          "icon; 5 the limit; 6 the soak's first tenth")
    return 0


if __name__ == "__main__":
    sys.exit(main())
