#!/usr/bin/env python3
"""End-to-end scenarios: the real quenlox.exe on a Wine desktop, driven by real mouse clicks and
key presses (xdotool), watched through screenshots, the registry and a driver program that reads
windows and dialogs from outside. Run through tests/wine/with_session.sh, which gives this run its
own prefix and display; each scenario starts from a fresh desktop and fresh settings.

    e2e.py --exe quenlox.exe --setup setup.exe --driver e2e_driver.exe --shots DIR
           --planted-dll dnsapi.dll [scenario ...]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
from wine_paths import winpath  # noqa: E402

MESSENGER = r"HKLM\SYSTEM\CurrentControlSet\Services\Messenger"
ZONE = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Zones\3"
RUN = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
WINE_SETTINGS = r"HKCU\Software\Wine"
INSTALL = "Program Files/Quenlox Test"  # a folder with a blank, below drive_c
SECOND = "Quenlox2"
ORIGINAL_HOSTS = b"# hosts of the e2e test\r\n127.0.0.1       localhost\r\n::1 localhost\r\n"

TEXT_INLINE_BLOCKED = ("The in-line browser ads are NOW BLOCKED and will no longer appear. Be sure "
                       "to close and reopen your browser to take effect.")
TEXT_WINDOW_BLOCKED = "The Windows spam popups are NOW BLOCKED and will no longer appear."
TEXT_BROWSER_BLOCKED = ("The browser popups are NOW BLOCKED and will no longer appear. Be sure to "
                        "close and reopen your browser to take effect.")
TEXT_NO_MESSENGER_VALUE = ("This block does not apply to your system as these popups only occur "
                           "on NT, XP, or later operating systems. ")
TEXT_DISABLE = ("You are about to disable and remove Quenlox from your system tray. "
                "Please confirm.")
TEXT_NO_HELP = ("We could not automatically open your browser, please view the help.html file in "
                "your installation folder.")
TITLE = "Quenlox Popup Software"
TEXT_RUNNING_UNINSTALL = ("Quenlox Popup Software is running. Please choose \"Disable Quenlox\" "
                          "from its icon in the notification area first, then run the uninstaller "
                          "again.")
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlox Popup Software"
SETUP_FOLDER = "Program Files/Quenlox Setup Test"  # blanks, as users' folders have
USER_LINE = b"10.0.0.5 intranet.example # added by the user while blocked\r\n"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout=10.0, interval=0.2):
    """Polls probe() until it returns something true; returns it, or fails naming `what`."""
    deadline = time.time() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.time() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


def read_icon_template():
    """The opaque pixels of the 16 x 16 program icon, from its source."""
    colours = {"K": (0, 0, 0), "W": (255, 255, 255), "B": (0, 0, 255)}
    rows = [line.rstrip("\n") for line in open(os.path.join(ROOT, "resources", "quenlox_icon.txt"))
            if line.strip() and not line.startswith("#")]
    return [(x, y, colours[c]) for y, row in enumerate(rows) for x, c in enumerate(row) if c != "."]


class Screen:
    def __init__(self, data):
        header, rest = data.split(b"\n", 1)
        check(header == b"P6", "screenshot is not a PPM")
        dims, rest = rest.split(b"\n", 1)
        self.width, self.height = map(int, dims.split())
        _, self.pixels = rest.split(b"\n", 1)

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]


class Desktop:
    def __init__(self, args):
        self.args = args
        self.prefix = os.environ["WINEPREFIX"]
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.icon = read_icon_template()
        self.processes = []
        self.nine_x = False

    # --- Wine and the driver -------------------------------------------------------------
    def wine(self, *argv, timeout=60, check_rc=False):
        result = subprocess.run(["wine"] + list(argv), capture_output=True, timeout=timeout)
        if check_rc and result.returncode != 0:
            raise Failure("wine %s failed with %d: %s" % (argv, result.returncode,
                                                         result.stderr.decode(errors="replace")))
        return result

    def driver(self, *argv, timeout=30):
        # A file, not a pipe: a program the driver starts could hold a pipe open after it ends.
        with tempfile.TemporaryFile() as out:
            subprocess.run(["wine", self.windows_path(self.args.driver)] + [str(a) for a in argv],
                           stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            return out.read().decode("latin-1").replace("\r\n", "\n")

    def windows_path(self, unix_path):
        return winpath(unix_path)

    def windows(self, cls):
        rows = []
        for line in self.driver("windows", cls).splitlines():
            parts = line.split()
            if len(parts) == 9:
                rows.append({"hwnd": parts[0], "pid": parts[1], "visible": parts[2] == "1",
                             "rect": tuple(int(p) for p in parts[3:7]),
                             "client": (int(parts[7]), int(parts[8]))})
        return rows

    def dialogs(self):
        found = []
        for line in self.driver("dialogs").splitlines():
            kind, _, text = line.partition("\t")
            if kind == "DIALOG":
                hwnd, _, caption = text.partition("\t")
                found.append({"hwnd": hwnd, "caption": caption, "statics": [], "buttons": [],
                              "icon": False, "keys": False})
            elif found and kind == "STATIC":
                found[-1]["statics"].append(text)
            elif found and kind == "BUTTON":
                found[-1]["buttons"].append(text)
            elif found and kind == "ICON":
                found[-1]["icon"] = found[-1]["icon"] or text == "1"
            elif found and kind == "KEYS":
                found[-1]["keys"] = text == "1"
        return found

    def press(self, dialog, key):
        """Types `key` into `dialog` once it holds the keyboard; typed earlier, the key would go
        to whichever window had it before."""
        wait_for("'%s' to take the keyboard" % dialog["caption"],
                 lambda: any(d["hwnd"] == dialog["hwnd"] and d["keys"] for d in self.dialogs()))
        self.key(key)

    def wait_dialog(self, caption, timeout=10):
        return wait_for("a dialog '%s'" % caption,
                        lambda: next((d for d in self.dialogs() if d["caption"] == caption), None),
                        timeout)

    def wait_no_dialog(self, timeout=10):
        wait_for("the dialogs to close", lambda: not self.dialogs(), timeout)

    # --- registry ---------------------------------------------------------------------------
    def reg_query(self, key, name):
        out = self.wine("reg", "query", key, "/v", name).stdout.decode("latin-1")
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                value = parts[2] if len(parts) == 3 else ""
                if parts[1] == "REG_DWORD":
                    return int(value, 16)
                return value
        return None

    def reg_dword(self, key, name, value):
        self.wine("reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f",
                  check_rc=True)

    def reg_string(self, key, name, value):
        self.wine("reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f", check_rc=True)

    def reg_delete(self, key, name):
        self.wine("reg", "delete", key, "/v", name, "/f")

    # --- files ------------------------------------------------------------------------------
    def hosts_path(self):
        if self.nine_x:
            return os.path.join(self.drive_c, "windows", "hosts")
        return os.path.join(self.drive_c, "windows", "system32", "drivers", "etc", "hosts")

    def pretend(self, version):
        """Makes Wine report another Windows to the programs started from now on: "win98" gives
        the 9x family, with its hosts file in the Windows folder and no Messenger service."""
        self.reg_string(WINE_SETTINGS, "Version", version)
        self.nine_x = version in ("win95", "win98", "winme")
        if self.nine_x:
            os.remove(os.path.join(self.drive_c, "windows", "system32", "drivers", "etc", "hosts"))
            self.wine("reg", "delete", MESSENGER, "/f", check_rc=True)
            self.write_hosts(ORIGINAL_HOSTS)

    def write_hosts(self, data):
        path = self.hosts_path()
        # A new file, never a write into the old one: the prefix shares files with its template.
        if os.path.exists(path):
            os.remove(path)
        with open(path, "wb") as f:
            f.write(data)

    def read_hosts(self):
        with open(self.hosts_path(), "rb") as f:
            return f.read()

    def install(self, folder, pages=True):
        target = os.path.join(self.drive_c, folder)
        shutil.rmtree(target, ignore_errors=True)
        os.makedirs(target)
        shutil.copy(self.args.exe, os.path.join(target, "quenlox.exe"))
        if pages:
            for name in ("index.html", "download.html"):
                shutil.copy(os.path.join(os.path.dirname(self.args.exe), name), target)
        return os.path.join(target, "quenlox.exe")

    # --- desktop ----------------------------------------------------------------------------
    def screen(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], capture_output=True,
                              check=True).stdout
        return Screen(data)

    def shot(self, name, around=None):
        """A screenshot of the desktop, or of the part `around` (left, top, right, bottom) with a
        margin, as the README shows it."""
        os.makedirs(self.args.shots, exist_ok=True)
        path = os.path.join(self.args.shots, name + ".png")
        crop = []
        if around:
            margin = 24
            left, top = max(around[0] - margin, 0), max(around[1] - margin, 0)
            right, bottom = min(around[2] + margin, 1024), min(around[3] + margin, 768)
            crop = ["-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage"]
        subprocess.run(["import", "-window", "root"] + crop + [path], check=True)
        return path

    def open_menu_rect(self, icon):
        """The open menu's rectangle, stretched to take in the icon it belongs to. The pointer
        goes onto the menu first, so that the icon's tip no longer covers it."""
        menu = [w for w in self.windows("#32768") if w["visible"]][0]["rect"]
        subprocess.run(["xdotool", "mousemove", str((menu[0] + menu[2]) // 2), str(menu[1] + 10)],
                       check=True)
        time.sleep(1.0)
        return (min(menu[0], icon[0] - 8), min(menu[1], icon[1] - 8), max(menu[2], icon[0] + 8),
                max(menu[3], icon[1] + 8))

    def dialog_rect(self, hwnd):
        return next(w for w in self.windows("#32770") if w["hwnd"] == hwnd)["rect"]

    def tray_icons(self):
        """Centres of the program's icons drawn on the taskbar's right end."""
        screen = self.screen()
        found = []
        top = screen.height - 34
        for y in range(top, screen.height - 15):
            for x in range(screen.width // 2, screen.width - 15):
                if screen.at(x + 1, y + 1) != (0, 0, 0) or screen.at(x + 3, y + 3) != (0, 0, 255):
                    continue
                if all(screen.at(x + dx, y + dy) == colour for dx, dy, colour in self.icon):
                    found.append((x + 8, y + 8))
        return found

    def click(self, x, y, button=1):
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)], check=True)

    def key(self, name):
        subprocess.run(["xdotool", "key", name], check=True)

    def start(self, exe, dll_overrides=None, argv=(), loads=None):
        """Starts a program; with `loads`, a file that receives Wine's report of every DLL the
        program loads."""
        env = dict(os.environ)
        if dll_overrides:
            env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES", "") + ";" + dll_overrides
        if loads:
            env["WINEDEBUG"] = "+loaddll"
        process = subprocess.Popen(["wine", self.windows_path(exe)] + list(argv),
                                   stdout=subprocess.DEVNULL, env=env,
                                   stderr=loads if loads else subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def run_quietly(self, exe, *argv, timeout=120):
        """Runs a Wine program to its end and gives its exit code. No pipes: a program it starts
        would inherit them and keep them open."""
        return subprocess.run(["wine", self.windows_path(exe)] + list(argv),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode

    def logon(self):
        """Runs the Run values as a logon does. No pipes: the programs it starts keep running."""
        subprocess.run(["wine", "wineboot"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120, check=True)

    def nsis_command(self, exe, words):
        # NSIS takes "/D=" and "_?=" to the end of its command line, so they must not be quoted:
        # the driver joins the words with blanks.
        words = " ".join(words).split(" ")
        return ["wine", self.windows_path(self.args.driver), "exec", self.windows_path(exe)] + words

    def nsis(self, exe, *words, timeout=120):
        """Runs an installer or uninstaller to its end and gives its exit code."""
        return self.nsis_started(exe, *words)(timeout)

    def nsis_started(self, exe, *words):
        """Starts an installer or uninstaller; the function returned waits for its exit code."""
        out = tempfile.TemporaryFile()
        process = subprocess.Popen(self.nsis_command(exe, words), stdout=out,
                                   stderr=subprocess.DEVNULL)

        def exit_code(timeout=120):
            process.wait(timeout=timeout)
            out.seek(0)
            code = out.read().decode().strip()
            out.close()
            return int(code) if code.isdigit() else None
        return exit_code

    def start_and_wait_icon(self, exe, icons=1, dll_overrides=None, loads=None):
        self.start(exe, dll_overrides, loads=loads)
        return wait_for("%d tray icon(s)" % icons,
                        lambda: (lambda found: found if len(found) == icons else None)(
                            self.tray_icons()), timeout=30)[0]

    def open_menu(self, icon, button):
        self.click(icon[0], icon[1], button)
        wait_for("the popup menu", lambda: [w for w in self.windows("#32768") if w["visible"]])

    def choose(self, index, count):
        x, y = map(int, wait_for("the menu item",
                                 lambda: self.driver("menu-item", index, count).split()))
        self.click(x, y)

    def menu_item(self, icon, button, index):
        self.open_menu(icon, button)
        self.choose(index, 4 if button == 1 else 3)

    def block_in_line(self, icon):
        """Chooses "Block In-Line Browser Ads", answers its notice; the blocked hosts file."""
        self.menu_item(icon, 1, 1)
        notice = self.wait_dialog(TITLE)
        check(notice["statics"] == [TEXT_INLINE_BLOCKED], "notice: %s" % notice)
        self.press(notice, "Return")
        self.wait_no_dialog()
        return self.read_hosts()

    def form1_alive(self):
        return bool(self.windows("TForm1"))

    def reset(self):
        """A fresh desktop: every program of the prefix ends, the settings go back to a typical
        NT machine with nothing blocked."""
        subprocess.run(["wineserver", "-k"], capture_output=True)
        subprocess.run(["wineserver", "-w"], capture_output=True)
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
        self.processes = []
        # The first Wine program after the kill starts a new Wine server, and one started while
        # the old one is still going away can fail: the settings are written once it answers.
        wait_for("the Wine server to answer",
                 lambda: self.wine("reg", "query", RUN.rsplit("\\", 1)[0]).returncode == 0,
                 timeout=60)
        self.reg_delete(WINE_SETTINGS, "Version")
        self.nine_x = False
        self.write_hosts(ORIGINAL_HOSTS)
        for folder in (os.path.dirname(self.hosts_path()), os.path.join(self.drive_c, "windows")):
            for name in ("hosts.sav", "hosts.quenlox-new", "hosts.quenlox-old"):
                if os.path.exists(os.path.join(folder, name)):
                    os.remove(os.path.join(folder, name))
        if os.path.exists(os.path.join(self.drive_c, "windows", "hosts")):
            os.remove(os.path.join(self.drive_c, "windows", "hosts"))
        self.reg_dword(MESSENGER, "Start", 3)
        self.reg_dword(ZONE, "1400", 0)
        self.reg_delete(RUN, "Quenlox")
        self.wine("reg", "delete", UNINSTALL, "/f")
        shutil.rmtree(os.path.join(self.drive_c, SETUP_FOLDER), ignore_errors=True)


SCENARIOS = []


def scenario(function):
    SCENARIOS.append(function)
    return function


@scenario
def start_up_icon_menus_and_run_value(d):
    exe = d.install(INSTALL)
    icon = d.start_and_wait_icon(exe)
    forms = d.windows("TForm1")
    check(len(forms) == 1 and not forms[0]["visible"], "Form1 is one hidden window: %s" % forms)
    run = d.reg_query(RUN, "Quenlox")
    check(run == '"C:\\Program Files\\Quenlox Test\\quenlox.exe"', "Run value: %r" % run)
    check(not d.dialogs(), "no dialog at start-up")

    d.open_menu(icon, 1)
    d.shot("left-click-menu", d.open_menu_rect(icon))
    menus = [w for w in d.windows("#32768") if w["visible"]]
    left_menu = menus[0]["rect"]
    # At the screen's corner the system moves the menu so that it stays on screen.
    check(left_menu[0] <= icon[0] <= left_menu[2] and abs(left_menu[3] - icon[1]) <= 20,
          "menu at the cursor: %s, icon %s" % (left_menu, icon))
    # Keys do not always reach a menu on the test desktop: start afresh for the other menu.
    d.reset()
    icon = d.start_and_wait_icon(exe)
    d.open_menu(icon, 3)
    d.shot("right-click-menu", d.open_menu_rect(icon))
    right_menu = [w for w in d.windows("#32768") if w["visible"]][0]["rect"]
    check(right_menu[3] - right_menu[1] < left_menu[3] - left_menu[1],
          "the right-click menu (3 items) is shorter than the left one (4 items)")
    # Keys do not always reach a menu on the test desktop: start afresh for the other menu.
    d.reset()
    icon = d.start_and_wait_icon(exe)

@scenario
def taskbar_created_restores_exactly_one_icon(d):
    d.start_and_wait_icon(d.install(INSTALL))
    d.driver("tray-delete")
    wait_for("the icon to go", lambda: not d.tray_icons())
    d.driver("taskbar-created")
    wait_for("one icon back", lambda: len(d.tray_icons()) == 1)
    d.driver("taskbar-created")
    time.sleep(1)
    check(len(d.tray_icons()) == 1, "a second broadcast leaves one icon")


@scenario
def second_start_is_independent_and_rewrites_the_run_value(d):
    d.start_and_wait_icon(d.install(INSTALL))
    d.start_and_wait_icon(d.install(SECOND), icons=2)
    check(len(d.windows("TForm1")) == 2, "two Form1 windows")
    run = d.reg_query(RUN, "Quenlox")
    check(run == "C:\\Quenlox2\\quenlox.exe", "Run value bare for a path without blanks: %r" % run)


@scenario
def window_popup_block_and_unblock(d):
    icon = d.start_and_wait_icon(d.install(INSTALL))
    d.menu_item(icon, 1, 0)
    notice = d.wait_dialog(TITLE)
    check(notice["statics"] == [TEXT_WINDOW_BLOCKED], "notice: %s" % notice)
    check(notice["buttons"] == ["OK"] and not notice["icon"], "plain notice: %s" % notice)
    d.shot("notice", d.dialog_rect(notice["hwnd"]))
    d.press(notice, "Return")
    d.wait_no_dialog()
    check(d.reg_query(MESSENGER, "Start") == 4, "Start = 4 after blocking")
    d.menu_item(icon, 1, 0)  # now "Un-Block Window Popup Spam (Currently Blocked)"
    wait_for("Start = 3", lambda: d.reg_query(MESSENGER, "Start") == 3)
    time.sleep(0.5)
    check(not d.dialogs(), "unblocking shows nothing")


@scenario
def browser_popup_block_and_unblock(d):
    icon = d.start_and_wait_icon(d.install(INSTALL))
    d.reg_dword(ZONE, "1400", 1)
    d.menu_item(icon, 1, 2)
    notice = d.wait_dialog(TITLE)
    check(notice["statics"] == [TEXT_BROWSER_BLOCKED], "notice: %s" % notice)
    d.press(notice, "Escape")
    d.wait_no_dialog()
    check(d.reg_query(ZONE, "1400") == 3, "1400 = 3 after blocking")
    d.menu_item(icon, 1, 2)
    wait_for("1400 = 0", lambda: d.reg_query(ZONE, "1400") == 0)


@scenario
def inline_block_and_unblock_round_trip(d):
    exe = d.install(INSTALL)
    icon = d.start_and_wait_icon(exe)
    blocked = d.block_in_line(icon)
    first_line = blocked.split(b"\r")[0]
    check(b"Quenlox" in first_line, "marker in the first line")
    check(ORIGINAL_HOSTS in blocked and b"\r\n0.0.0.0 " in blocked, "original kept, list added")
    with open(os.path.join(os.path.dirname(d.hosts_path()), "hosts.sav"), "rb") as f:
        check(f.read() == ORIGINAL_HOSTS, "hosts.sav is an exact copy")
    d.menu_item(icon, 1, 1)
    wait_for("the original hosts file", lambda: d.read_hosts() == ORIGINAL_HOSTS)
    etc = os.listdir(os.path.dirname(d.hosts_path()))
    check("hosts.quenlox-new" not in etc, "no temporary file left: %s" % etc)

    # The second process that does a refused write elevated: the write alone, no window.
    check(d.run_quietly(exe, "/elevated", "in-line", "block") == 0, "the elevated block ends well")
    check(d.read_hosts().startswith(first_line), "blocked by the elevated process")
    check(len(d.windows("TForm1")) == 1, "the elevated process opened no window")
    check(d.run_quietly(exe, "/elevated", "in-line", "unblock") == 0, "the elevated unblock too")
    check(d.read_hosts() == ORIGINAL_HOSTS, "unblocked by the elevated process")


@scenario
def wrong_typed_start_shows_the_error_report_and_no_menu(d):
    icon = d.start_and_wait_icon(d.install(INSTALL))
    d.reg_string(MESSENGER, "Start", "3")
    d.click(icon[0], icon[1], 1)
    report = d.wait_dialog(TITLE)
    check(report["statics"] == ["Invalid data type for 'Start'"], "report: %s" % report)
    check(report["icon"], "the error report has its icon")
    check(not [w for w in d.windows("#32768") if w["visible"]], "no menu opened")
    # While the cause remains, the next tray message (the button's release) shows it again.
    d.reg_dword(MESSENGER, "Start", 3)
    report = d.wait_dialog(TITLE)
    left, top, right, _ = d.dialog_rect(report["hwnd"])
    d.click((left + right) // 2, top + 8)  # the report may open behind: bring it forward
    d.press(report, "Return")
    d.wait_no_dialog()


@scenario
def disable_escape_keeps_enter_ends(d):
    icon = d.start_and_wait_icon(d.install(INSTALL))
    d.reg_dword(MESSENGER, "Start", 2)
    d.reg_dword(ZONE, "1400", 1)
    d.menu_item(icon, 3, 0)
    question = d.wait_dialog("Warning")
    check(question["statics"] == [TEXT_DISABLE], "question: %s" % question)
    check(question["buttons"] == ["&Yes", "&No"] and question["icon"], "buttons: %s" % question)
    d.shot("disable-question", d.dialog_rect(question["hwnd"]))
    d.press(question, "Escape")
    d.wait_no_dialog()
    check(d.form1_alive() and len(d.tray_icons()) == 1, "Escape answers No")
    check(d.reg_query(MESSENGER, "Start") == 2, "nothing changed")

    d.menu_item(icon, 3, 0)
    question = d.wait_dialog("Warning")
    d.press(question, "Return")
    wait_for("the program to end", lambda: not d.form1_alive(), timeout=15)
    check(d.reg_query(MESSENGER, "Start") == 3, "Start = 3 after disabling")
    check(d.reg_query(ZONE, "1400") == 0, "1400 = 0 after disabling")
    wait_for("the icon to go", lambda: not d.tray_icons())
    check(d.reg_query(RUN, "Quenlox") is not None, "the Run value stays")


@scenario
def help_faq_without_its_page_names_help_html(d):
    icon = d.start_and_wait_icon(d.install(INSTALL, pages=False))
    d.menu_item(icon, 1, 3)
    notice = d.wait_dialog(TITLE, timeout=20)
    check(notice["statics"] == [TEXT_NO_HELP], "notice: %s" % notice)
    d.press(notice, "Return")


@scenario
def buy_now_twice_gives_fresh_windows_and_support_notice_comes_first(d):
    icon = d.start_and_wait_icon(d.install(INSTALL))
    d.menu_item(icon, 3, 2)
    first = wait_for("the ordering window", lambda: d.windows("TFrmordr1"))
    check(len(first) == 1 and first[0]["visible"], "one ordering window")
    left, top, right, bottom = first[0]["rect"]
    check((right - left, bottom - top) == (504, 421), "outer size %s" % (first[0]["rect"],))
    time.sleep(0.5)
    d.shot("ordering-window", first[0]["rect"])
    x, y = first[0]["client"]
    d.click(x + 399 + 44, y + 354 + 11)  # "Return"
    wait_for("the window to close", lambda: not d.windows("TFrmordr1"))
    d.menu_item(icon, 3, 2)
    second = wait_for("a second ordering window", lambda: d.windows("TFrmordr1"))
    check(len(second) == 1, "a fresh window")
    x, y = second[0]["client"]
    d.click(x + 24 + 100, y + 313 + 8)  # the support label: its notice comes first
    notice = d.wait_dialog(TITLE)
    check(notice["statics"][0].startswith("If you have any questions or problems"),
          "support notice: %s" % notice)
    d.press(notice, "Return")
    time.sleep(2)
    for dialog in d.dialogs():  # without a mail client, its own notice follows
        check(dialog["statics"][0].startswith("You cannot view this file"), "%s" % dialog)
        d.press(dialog, "Return")


@scenario
def disable_while_ordering_window_is_open_ends_the_process(d):
    icon = d.start_and_wait_icon(d.install(INSTALL))
    d.menu_item(icon, 3, 2)
    wait_for("the ordering window", lambda: d.windows("TFrmordr1"))
    d.menu_item(icon, 3, 0)
    question = d.wait_dialog("Warning")
    d.press(question, "Return")
    wait_for("the program to end", lambda: not d.form1_alive(), timeout=15)
    check(not d.windows("TFrmordr1"), "the ordering window is gone too")


@scenario
def a_dnsapi_planted_beside_the_program_is_never_loaded(d):
    exe = d.install(INSTALL)
    folder = os.path.dirname(exe)
    shutil.copy(d.args.planted_dll, os.path.join(folder, "dnsapi.dll"))
    mark = os.path.join(folder, "dnsapi-was-loaded")
    # Wine loads its own dnsapi even when one lies beside the program; "n,b" makes it search for
    # a native one as Windows does, without which this scenario could not fail.
    icon = d.start_and_wait_icon(exe, dll_overrides="dnsapi=n,b")
    d.menu_item(icon, 1, 1)  # block the in-line ads: the DNS cache is flushed afterwards
    notice = d.wait_dialog(TITLE)
    d.press(notice, "Return")
    d.wait_no_dialog()
    d.menu_item(icon, 1, 1)  # and unblock
    wait_for("the original hosts file", lambda: d.read_hosts() == ORIGINAL_HOSTS)
    time.sleep(1)
    check(not os.path.exists(mark), "the dnsapi.dll planted beside the program was loaded")


def loaded(loads, dll):
    loads.seek(0)
    return ("\\" + dll + '"').encode() in loads.read().lower()


def start_as(d, version, loads):
    """Starts the program with Wine reporting `version`; its icon, and the hosts file's inode."""
    d.pretend(version)
    exe = d.install(INSTALL)
    inode = os.stat(d.hosts_path()).st_ino
    return d.start_and_wait_icon(exe, loads=loads), inode


def hosts_sav(d):
    with open(os.path.join(os.path.dirname(d.hosts_path()), "hosts.sav"), "rb") as f:
        return f.read(), os.fstat(f.fileno()).st_ino


@scenario
def windows_98_hosts_file_in_the_windows_folder_and_no_messenger(d):
    with tempfile.TemporaryFile() as loads:
        icon, original_inode = start_as(d, "win98", loads)
        d.menu_item(icon, 1, 0)  # "No Blocking Required - Window Popup Spam": nothing to do
        time.sleep(1)
        check(not d.dialogs(), "without the Messenger service its item does nothing visible")
        blocked = d.block_in_line(icon)
        check(b"Quenlox" in blocked.split(b"\r")[0], "the marker on line 1 of C:\\windows\\hosts")
        check(b"\r\n127.0.0.1 " in blocked and b"\r\n0.0.0.0 " not in blocked,
              "the 9x resolver's loopback address")
        saved, saved_inode = hosts_sav(d)
        check(saved == ORIGINAL_HOSTS, "hosts.sav beside it, an exact copy")
        # The 9x family has no second names of a file: the copy is a file of its own.
        check(saved_inode != original_inode, "hosts.sav is a copy, not a hard link")
        d.menu_item(icon, 1, 1)
        wait_for("the original hosts file", lambda: d.read_hosts() == ORIGINAL_HOSTS)
        etc = os.listdir(os.path.join(d.drive_c, "windows"))
        check(not [n for n in etc if n.startswith("hosts.quenlox")], "no leftovers: %s" % etc)
        check(not loaded(loads, "dnsapi.dll"), "no DNS cache to flush on the 9x family")
        check(not os.path.exists(os.path.join(d.drive_c, "windows", "system32", "drivers", "etc",
                                              "hosts")), "no hosts file made at the NT place")
    d.reg_dword(ZONE, "1400", 3)
    d.menu_item(icon, 3, 0)
    question = d.wait_dialog("Warning")
    d.press(question, "Return")
    wait_for("the program to end", lambda: not d.form1_alive(), timeout=15)
    check(d.reg_query(ZONE, "1400") == 0, "1400 = 0 after disabling")
    check(d.reg_query(MESSENGER, "Start") is None, "no Messenger key made")


@scenario
def windows_2000_all_three_blocks_and_their_notices(d):
    with tempfile.TemporaryFile() as loads:
        icon, original_inode = start_as(d, "win2k", loads)
        for item, text in ((0, TEXT_WINDOW_BLOCKED), (1, TEXT_INLINE_BLOCKED),
                           (2, TEXT_BROWSER_BLOCKED)):
            d.menu_item(icon, 1, item)
            notice = d.wait_dialog(TITLE)
            check(notice["statics"] == [text], "notice of item %d: %s" % (item, notice))
            d.press(notice, "Return")
            d.wait_no_dialog()
        check(d.reg_query(MESSENGER, "Start") == 4 and d.reg_query(ZONE, "1400") == 3,
              "both registry blocks made")
        check(b"Quenlox" in d.read_hosts().split(b"\r")[0], "the in-line block made")
        check(hosts_sav(d) == (ORIGINAL_HOSTS, original_inode),
              "hosts.sav is a second name of the original, as 2000 has them")
        check(loaded(loads, "dnsapi.dll"), "the DNS cache flushed after the in-line block")
        for item in range(3):
            d.menu_item(icon, 1, item)
        wait_for("everything unblocked",
                 lambda: (d.read_hosts() == ORIGINAL_HOSTS and d.reg_query(ZONE, "1400") == 0
                          and d.reg_query(MESSENGER, "Start") == 3))
        check(not d.dialogs(), "unblocking shows nothing")
    d.reg_delete(MESSENGER, "Start")
    d.menu_item(icon, 1, 0)
    notice = d.wait_dialog(TITLE)
    check(notice["statics"] == [TEXT_NO_MESSENGER_VALUE], "value-missing notice: %s" % notice)
    d.press(notice, "Return")


def exported_run_value(d):
    """The Run value as regedit exports it (UTF-16), so letters beyond ASCII survive."""
    export = os.path.join(d.drive_c, "run-export.reg")
    if os.path.exists(export):
        os.remove(export)
    d.wine("regedit", "/E", d.windows_path(export), RUN.replace("HKLM", "HKEY_LOCAL_MACHINE"))
    with open(export, "rb") as f:
        text = f.read().decode("utf-16")
    for line in text.splitlines():
        if line.startswith('"Quenlox"='):
            return line[len('"Quenlox"='):]
    return None


@scenario
def long_install_path_with_non_ascii_letters(d):
    # Letters of the ANSI code page (1252) beyond ASCII, blanks, and 255 characters: the longest
    # path this Wine starts a program from (longer ones fail in its loader with c0000135).
    folder = "Program Files/Quenlox \u00dcbung \u00e9t\u00e9/" + "/".join(
        ["Ordner mit Leerzeichen %02d" % i for i in range(7)])
    padding = 255 - len(r"C:\%s\x\quenlox.exe" % folder)
    folder += "/" + "x" * (padding + 1)
    exe = d.install(folder)
    windows_exe = "C:\\" + folder.replace("/", "\\") + "\\quenlox.exe"
    check(len(windows_exe) == 255, "the path is %d characters" % len(windows_exe))
    d.start_and_wait_icon(exe)
    expected = '"\\"%s\\""' % windows_exe.replace("\\", "\\\\")
    check(exported_run_value(d) == expected,
          "Run value: %r, expected %r" % (exported_run_value(d), expected))
    check(not d.dialogs(), "no dialog at start-up")


def start_menu_shortcuts(d):
    found = []
    for folder, _, names in os.walk(d.drive_c):
        found += [os.path.join(folder, n) for n in names if n == "Quenlox Popup Software.lnk"]
    return found


@scenario
def silent_install_block_then_silent_uninstall_restores_everything(d):
    folder = os.path.join(d.drive_c, SETUP_FOLDER)
    target = "C:\\" + SETUP_FOLDER.replace("/", "\\")
    # Another program's window of the same class does not stop the installer.
    d.start(d.args.driver, argv=("decoy", "TForm1", "Another program"))
    wait_for("the other program's window", lambda: d.windows("TForm1"))
    check(d.nsis(d.args.setup, "/S", "/D=" + target) == 0, "the installer succeeds")
    # A silent install starts nothing; the Run value starts the program at the next logon.
    time.sleep(3)
    check(not d.tray_icons(), "nothing started by the silent install")
    d.logon()
    icon = wait_for("the installed program's icon",
                    lambda: (lambda found: found[0] if len(found) == 1 else None)(d.tray_icons()),
                    timeout=30)
    check(d.reg_query(RUN, "Quenlox") == '"%s\\quenlox.exe"' % target,
          "Run value: %r" % d.reg_query(RUN, "Quenlox"))
    check(sorted(os.listdir(folder)) == ["THIRD-PARTY-NOTICES.txt", "download.html", "index.html",
                                         "quenlox-unblock.exe", "quenlox.exe", "uninstall.exe"],
          "installed files: %s" % os.listdir(folder))
    check(len(start_menu_shortcuts(d)) == 1, "one Start-menu shortcut")
    check(d.reg_query(UNINSTALL, "DisplayName") == TITLE, "Add or Remove Programs entry")
    check(d.reg_query(UNINSTALL, "UninstallString") == '"%s\\uninstall.exe"' % target,
          "uninstall string: %r" % d.reg_query(UNINSTALL, "UninstallString"))
    check(d.reg_query(UNINSTALL, "EstimatedSize") > 0, "an estimated size")

    for item in range(3):  # every block, each confirmed by its notice
        d.menu_item(icon, 1, item)
        notice = d.wait_dialog(TITLE)
        d.press(notice, "Return")
        d.wait_no_dialog()
    check(d.reg_query(MESSENGER, "Start") == 4 and d.reg_query(ZONE, "1400") == 3,
          "both registry blocks made")
    blocked = d.read_hosts()
    check(b"Quenlox" in blocked.split(b"\r")[0], "the in-line block made")
    d.write_hosts(blocked + USER_LINE)

    # While it runs, the uninstaller refuses and removes nothing.
    uninstaller = os.path.join(folder, "uninstall.exe")
    check(d.nsis(uninstaller, "/S", "_?=" + target) == 2, "refused while running")
    check(os.path.exists(os.path.join(folder, "quenlox.exe")), "nothing removed while running")
    refusing = d.nsis_started(uninstaller, "_?=" + target)
    notice = wait_for("the uninstaller's notice",
                      lambda: next((g for g in d.dialogs()
                                    if TEXT_RUNNING_UNINSTALL in g["statics"]), None), timeout=30)
    d.shot("uninstall-while-running", d.dialog_rect(notice["hwnd"]))
    left, top, right, _ = d.dialog_rect(notice["hwnd"])
    d.click((left + right) // 2, top + 8)  # it may open behind: bring it forward
    d.press(notice, "Return")
    check(refusing(timeout=30) == 2, "the uninstaller ends after its notice")

    # The program ended without disabling (a crash, a killed process): everything stays blocked.
    subprocess.run(["wineserver", "-k"], capture_output=True)
    subprocess.run(["wineserver", "-w"], capture_output=True)
    check(d.run_quietly(uninstaller, "/S") == 0, "the uninstaller starts")
    wait_for("the uninstall to finish", lambda: not os.path.exists(folder), timeout=60)
    check(d.read_hosts() == ORIGINAL_HOSTS + USER_LINE, "hosts file as before, the user's line kept")
    # Only "Disable Quenlox" lifts the registry blocks: 4 and 3 are also the system's own values.
    check(d.reg_query(MESSENGER, "Start") == 4, "Start stays 4")
    check(d.reg_query(ZONE, "1400") == 3, "1400 stays 3")
    check(d.reg_query(RUN, "Quenlox") is None, "Run value gone")
    check(d.reg_query(UNINSTALL, "DisplayName") is None, "Add or Remove Programs entry gone")
    check(not start_menu_shortcuts(d), "shortcut gone")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--setup", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--shots", required=True)
    parser.add_argument("--planted-dll", required=True)
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()
    desktop = Desktop(args)
    passed = failed = 0
    for run in SCENARIOS:
        if args.names and run.__name__ not in args.names:
            continue
        started = time.time()
        try:
            desktop.reset()
            run(desktop)
            passed += 1
            print("PASS %s (%.1f s)" % (run.__name__, time.time() - started), flush=True)
        except Exception as error:  # a scenario's failure must not stop the others
            failed += 1
            print("FAIL %s: %s" % (run.__name__, error), flush=True)
            if not isinstance(error, Failure):
                traceback.print_exc()
            try:
                print("  screenshot: " + desktop.shot("failed-" + run.__name__))
            except Exception:
                pass
    subprocess.run(["wineserver", "-k"], capture_output=True)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
