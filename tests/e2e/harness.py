#!/usr/bin/env python3
"""End-to-end harness: the real uninstaller.exe in a Wine prefix on an X display.

It builds a fake installation of the game in the prefix (files and folders, an
encrypted platform.xml made with configtool, the registry values and the
uninstall entry in the 32-bit view, Start-menu and desktop shortcuts), runs a
report collector on 127.0.0.1 as both web-service endpoints, starts the
uninstaller under wine64, finds its window, clicks at layout coordinates,
answers the keep-resources box, takes screenshots and reads back files,
registry and the received reports.

Every wait polls for a state; none has a time limit of its own (ctest's test
timeout bounds a run that never reaches its state).

Environment
    UNINST_SOURCE_DIR, UNINST_BINARY_DIR   set by ctest (the win64 build tree)
    UNINST_WINE_ROOT                       the Wine root; the harness uses its own
                                           prefix and display in "<root>/e2e"
    UNINST_E2E_ARTEFACTS                   where screenshots go (default
                                           <binary dir>/artefacts/e2e)
"""

import ctypes
import json
import os
import shutil
import subprocess
import sys
import time

SOURCE_DIR = os.environ.get("UNINST_SOURCE_DIR") or os.path.abspath(
    os.path.join(os.path.dirname(__file__), "..", ".."))
BINARY_DIR = os.environ.get("UNINST_BINARY_DIR") or os.path.join(SOURCE_DIR, "build", "win64")
WINE64 = "/usr/lib/wine/wine64"

WINDOW_TITLE = "铁砧行动2卸载向导"
QUESTION_TITLE = "卸载提示"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"

# Layout coordinates of the wizard's controls (uninstall.xml): centres of the
# click areas. A check box's tick crosses its point TICK_OFFSET from the box's
# corner.
CONTROLS = {
    "btnCancel_small": (914 + 8, 44 + 8),
    "btnUninst": (472 + 115, 310 + 25),
    "btnCancel": (702 + 117, 302 + 33),
    "btnUninstFinish": (647 + 115, 255 + 25),
    "ckb1": (84 + 7, 218 + 7), "ckb2": (509 + 7, 218 + 7),
    "ckb3": (84 + 7, 251 + 7), "ckb4": (509 + 7, 251 + 7),
    "ckb5": (259 + 7, 218 + 7), "ckb6": (730 + 7, 218 + 7),
    "ckb7": (259 + 7, 251 + 7), "ckb8": (730 + 7, 251 + 7),
}


TICK_OFFSET = (9, 7)


def is_ticked(shot, wizard, box):
    """Whether the tick of check box `box` (e.g. "ckb1") shows."""
    x, y = CONTROLS[box]
    p = rgb_at(shot, *wizard.point(x - 7 + TICK_OFFSET[0], y - 7 + TICK_OFFSET[1]))
    return bool(p) and p[0] > 180 and 90 < p[1] < 200 and p[2] < 120


def log(*args):
    print("[e2e]", *args, flush=True)


def poll(what, probe, interval=0.1):
    """Calls probe until it returns something true and returns that."""
    announced = time.monotonic()
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() - announced > 15:
            log("still waiting for", what)
            announced = time.monotonic()
        time.sleep(interval)


class Wine:
    """The prefix, its display and the programs run in it."""

    def __init__(self):
        base = os.environ.get("UNINST_WINE_ROOT") or "/tmp/uninst-wine-%d" % os.getuid()
        root = os.path.join(base, "e2e")
        os.makedirs(root, exist_ok=True)
        env = dict(os.environ, UNINST_WINE_ROOT=root)
        # wine-env starts the display and prepares the prefix; take over what it sets.
        script = '. "$1/tests/support/wine-env" && uninst_wine_env >&2 && env -0'
        out = subprocess.run(["bash", "-c", script, "wine-env", SOURCE_DIR], env=env,
                             stdout=subprocess.PIPE, check=True).stdout
        self.env = dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)
        self.prefix = self.env["WINEPREFIX"]
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.x_env = dict(self.env, LC_ALL="C.UTF-8")
        self._win_env = None
        self._x = None

    # ---- programs ----
    def run(self, args, check=False, **kw):
        return subprocess.run([WINE64] + list(args), env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, check=check, **kw)

    def start(self, args, **kw):
        return subprocess.Popen([WINE64] + list(args), env=self.env, **kw)

    def wait_idle(self):
        """Waits until every process of the prefix has ended (the wineserver exits)."""
        subprocess.run(["wineserver", "-w"], env=self.env, check=False)

    # ---- paths ----
    def unix(self, win_path):
        """A C: path as a Linux path (the prefix's drive_c)."""
        assert win_path[:3].upper() == "C:\\", win_path
        return os.path.join(self.drive_c, *[p for p in win_path[3:].split("\\") if p])

    @staticmethod
    def z(unix_path):
        return "Z:" + unix_path.replace("/", "\\")

    def win_env(self):
        if self._win_env is None:
            out = self.run(["cmd", "/c", "set"]).stdout.decode("gbk", "replace")
            self._win_env = {}
            for line in out.replace("\r", "").split("\n"):
                if "=" in line:
                    k, v = line.split("=", 1)
                    self._win_env[k.upper()] = v
        return self._win_env

    def shell_folders(self):
        e = self.win_env()
        return {
            "common_programs": e["PROGRAMDATA"] + r"\Microsoft\Windows\Start Menu\Programs",
            "programs": e["APPDATA"] + r"\Microsoft\Windows\Start Menu\Programs",
            "common_desktop": e["PUBLIC"] + r"\Desktop",
            "desktop": e["USERPROFILE"] + r"\Desktop",
            "temp": e["TEMP"],
            "profile": e["USERPROFILE"],
            "public": e["PUBLIC"],
        }

    # ---- registry (32-bit view) ----
    def reg_add(self, key, name, value):
        self.run(["reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/reg:32", "/f"], check=True)

    def reg_delete_key(self, key):
        self.run(["reg", "delete", key, "/reg:32", "/f"])

    def reg_value(self, key, name):
        """The value's data, or None when the key or value is missing."""
        r = self.run(["reg", "query", key, "/v", name, "/reg:32"])
        if r.returncode != 0:
            return None
        for line in r.stdout.decode("gbk", "replace").replace("\r", "").split("\n"):
            parts = line.strip().split("    ")
            if len(parts) >= 2 and parts[0] == name and parts[1].startswith("REG_"):
                return parts[2] if len(parts) > 2 else ""
        return None

    def reg_key_exists(self, key):
        return self.run(["reg", "query", key, "/reg:32"]).returncode == 0

    # ---- X ----
    def xdo(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.x_env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode()

    def focus(self, wid):
        """Gives a window the keyboard focus (there is no window manager on
        the test display, so the X input focus is set directly)."""
        def probe():
            if wid not in self.xdo("search", "--onlyvisible", "--name", ".").split():
                raise AssertionError("window %s is gone" % wid)
            self.xdo("windowfocus", "--sync", wid)
            return self.xdo("getwindowfocus").strip() == wid
        poll("window %s to take the focus" % wid, probe)

    def visible_windows(self):
        ids = self.xdo("search", "--onlyvisible", "--name", ".").split()
        out = []
        for wid in ids:
            out.append((wid, self.xdo("getwindowname", wid).strip()))
        return out

    def find_window(self, title):
        for wid, name in self.visible_windows():
            if name == title:
                return wid
        return None

    def geometry(self, wid):
        g = {}
        for line in self.xdo("getwindowgeometry", "--shell", wid).split():
            if "=" in line:
                k, v = line.split("=", 1)
                g[k] = int(v)
        return g if "X" in g else None

    def screenshot(self, path=None, area=None):
        """The screen, read straight from the X server (fast enough to poll);
        also saved as PNG when path is given. `area` (left, top, width,
        height) reads only that part."""
        if path:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            xwd = subprocess.run(["xwd", "-root", "-silent"], env=self.x_env, stdout=subprocess.PIPE,
                                 check=True).stdout
            subprocess.run(["convert", "xwd:-", path], input=xwd, check=True)
        x = self._screen()
        return x.grab(*area) if area else x.grab()

    def screen_bytes(self, area):
        """The raw bytes of an area (left, top, width, height) of the screen,
        for telling cheaply whether it changed."""
        return self._screen().raw(*area)

    def _screen(self):
        if self._x is None:
            self._x = XScreen(self.env["DISPLAY"])
        return self._x


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


class XScreen:
    """Pixels of the root window through Xlib (XGetImage)."""

    def __init__(self, display):
        x = ctypes.cdll.LoadLibrary("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XGetImage.restype = ctypes.POINTER(_XImage)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XDisplayWidth.argtypes = x.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x = x
        self.dpy = x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)
        self.root = x.XDefaultRootWindow(self.dpy)
        self.width = x.XDisplayWidth(self.dpy, 0)
        self.height = x.XDisplayHeight(self.dpy, 0)

    def raw(self, left, top, width, height):
        """The bytes of an area of the screen as the server sends them; for
        telling cheaply whether the area changed."""
        img = self.x.XGetImage(self.dpy, self.root, left, top, width, height, 0xFFFFFFFF, 2)  # ZPixmap
        if not img:
            raise RuntimeError("XGetImage failed")
        im = img.contents
        data = ctypes.string_at(im.data, im.bytes_per_line * im.height)
        self.x.XFree(im.data)
        self.x.XFree(img)
        return data

    def grab(self, left=0, top=0, width=None, height=None):
        """The screen, or only the given area of it (cheap enough to poll at a
        high rate); pixels are read by screen coordinates, None outside."""
        width = self.width - left if width is None else width
        height = self.height - top if height is None else height
        img = self.x.XGetImage(self.dpy, self.root, left, top, width, height, 0xFFFFFFFF, 2)  # ZPixmap
        if not img:
            raise RuntimeError("XGetImage failed")
        im = img.contents
        size = im.bytes_per_line * im.height
        data = ctypes.string_at(im.data, size)
        bpl, step = im.bytes_per_line, im.bits_per_pixel // 8
        masks = (im.red_mask, im.green_mask, im.blue_mask)
        little = im.byte_order == 0
        self.x.XFree(im.data)
        self.x.XFree(img)
        shifts = [(m & -m).bit_length() - 1 for m in masks]

        def read(x, y):
            if not (left <= x < left + width and top <= y < top + height):
                return None
            i = (y - top) * bpl + (x - left) * step
            v = int.from_bytes(data[i:i + step], "little" if little else "big")
            return tuple((v & m) >> sh for m, sh in zip(masks, shifts))
        return self.width, self.height, read


class Collector:
    """tests/support/collector.py on 127.0.0.1, recording every request."""

    def __init__(self, workdir, status="200"):
        os.makedirs(workdir, exist_ok=True)
        self.port_file = os.path.join(workdir, "port")
        self.log_file = os.path.join(workdir, "requests.jsonl")
        for f in (self.port_file, self.log_file):
            if os.path.exists(f):
                os.remove(f)
        self.proc = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE_DIR, "tests", "support", "collector.py"),
             "--port-file", self.port_file, "--log", self.log_file, "--status", status])
        poll("the collector's port", lambda: os.path.exists(self.port_file) and os.path.getsize(self.port_file))
        with open(self.port_file) as f:
            self.port = int(f.read().strip())
        self.base = "http://127.0.0.1:%d" % self.port

    def requests(self):
        if not os.path.exists(self.log_file):
            return []
        with open(self.log_file, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


DEFAULT_FILES = {
    "game.exe": "MZ game",
    "readme.txt": "read me",
    "bin\\engine.dll": "MZ engine",
    "bin\\x64\\physics.dll": "MZ physics",
    "data\\maps\\m1.pak": "map one",
    "data\\maps\\m2.pak": "map two",
    "data\\sounds\\s.bank": "sound",
    "logs\\empty\\.keep": "",
}


class Installation:
    """A fake installation of one edition of the game in the prefix."""

    def __init__(self, wine, name, register_key=r"HKEY_LOCAL_MACHINE\SOFTWARE\AnvilWorks\VARN2-ORCHID",
                 display_name="铁砧行动2青岚版", folder=None, files=None, platform="rulo"):
        self.wine = wine
        self.name = name
        self.register_key = register_key
        self.display_name = display_name
        self.platform = platform
        self.dir = folder or ("C:\\Games\\AnvilE2E\\" + name)
        self.files = dict(DEFAULT_FILES if files is None else files)
        self.reg_key = None
        if "\\" in register_key:
            root, sub = register_key.split("\\", 1)
            self.reg_key = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU"}.get(root, root) + "\\" + sub

    def path(self, rel=""):
        return self.dir + ("\\" + rel if rel else "")

    def unix(self, rel=""):
        return self.wine.unix(self.path(rel))

    # ---- building ----
    def create(self, collector, guid="{6F1E2D3C-0001-4E2A-9B7C-E2E000000001}", app_data=None,
               stat_url=None, feedback_root=None, fresh=True):
        """Writes the installation; fresh=False adds to an existing folder
        instead of replacing it (for a folder that is not the test's own)."""
        udir = self.unix()
        if fresh and os.path.exists(udir):
            shutil.rmtree(udir)
        for rel, text in self.files.items():
            p = self.unix(rel)
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "w", encoding="utf-8") as f:
                f.write(text)
        shutil.copy(os.path.join(BINARY_DIR, "uninstaller.exe"), self.unix("uninstaller.exe"))
        self.write_config(stat_url if stat_url is not None else collector.base + "/stat/log",
                          feedback_root if feedback_root is not None else collector.base)
        # Registry: the installation's key and the uninstall entry, 32-bit view.
        if self.reg_key:
            self.wine.reg_delete_key(self.reg_key)
            self.wine.reg_add(self.reg_key, "InstallPath", self.dir)
            if guid is not None:
                self.wine.reg_add(self.reg_key, "GUID", guid)
            if app_data is not None:
                self.wine.reg_add(self.reg_key, "AppData", app_data)
        self.guid = guid
        self.make_shell_entries()

    def write_config(self, stat_url, feedback_root):
        xml = (
            '<?xml version="1.0" encoding="UTF-8"?>\n'
            '<config Internet="lan" platform="%s" channel_id="4096">\n'
            '  <template>\n'
            '    <platform>\n'
            '      <register_key>%s</register_key>\n'
            '      <pcdn_root_url>%s</pcdn_root_url>\n'
            '    </platform>\n'
            '    <log>\n'
            '      <stat_log_url>%s</stat_log_url>\n'
            '    </log>\n'
            '  </template>\n'
            '</config>\n') % (self.platform, xml_escape(self.register_key), xml_escape(feedback_root),
                              xml_escape(stat_url))
        plain = self.unix("platform.plain.xml")
        with open(plain, "w", encoding="utf-8") as f:
            f.write(xml)
        configtool = os.path.join(BINARY_DIR, "configtool.exe")
        r = self.wine.run([configtool, "encrypt", self.wine.z(plain), self.path("platform.xml")])
        if r.returncode != 0:
            raise RuntimeError("configtool failed: %s" % r.stderr.decode(errors="replace"))
        os.remove(plain)

    def shell_paths(self):
        sf = self.wine.shell_folders()
        n = self.display_name
        return {
            "menu_folder": sf["common_programs"] + "\\" + n,
            "menu_uninstall": sf["common_programs"] + "\\卸载" + n + ".lnk",
            "desktop": sf["desktop"] + "\\" + n + ".lnk",
            # Another game's entries beside them must stay.
            "decoy_menu": sf["common_programs"] + "\\Other Game",
            "decoy_desktop": sf["desktop"] + "\\Other Game.lnk",
        }

    def make_shell_entries(self):
        for key, p in self.shell_paths().items():
            u = self.wine.unix(p)
            if key.endswith("folder") or key == "decoy_menu":
                os.makedirs(u, exist_ok=True)
                with open(os.path.join(u, "play.lnk"), "wb") as f:
                    f.write(b"L\0\0\0fake shortcut")
            else:
                os.makedirs(os.path.dirname(u), exist_ok=True)
                with open(u, "wb") as f:
                    f.write(b"L\0\0\0fake shortcut")
        if self.display_name:
            self.wine.reg_delete_key(UNINSTALL_KEY + "\\" + self.display_name)
            self.wine.reg_add(UNINSTALL_KEY + "\\" + self.display_name, "DisplayName", self.display_name)
            self.wine.reg_add(UNINSTALL_KEY + "\\" + self.display_name, "UninstallString",
                              self.path("uninstaller.exe"))
        self.wine.reg_add(UNINSTALL_KEY + "\\Other Game", "DisplayName", "Other Game")

    def shell_state(self):
        return {k: os.path.exists(self.wine.unix(p)) for k, p in self.shell_paths().items()}

    def uninstall_entry_exists(self):
        return self.wine.reg_key_exists(UNINSTALL_KEY + "\\" + self.display_name)

    def remaining(self):
        """Relative paths of every file and folder left in the installation."""
        out = set()
        root = self.unix()
        for d, dirs, files in os.walk(root):
            for n in dirs + files:
                out.add(os.path.relpath(os.path.join(d, n), root).replace("/", "\\"))
        return out


def xml_escape(s):
    return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


# A pixel of the red OK button, which only the finish page shows (window
# coordinates).
FINISH_PIXEL = (647 + 10, 255 + 12)


def rgb_at(shot, x, y):
    w, h, read = shot
    if not (0 <= x < w and 0 <= y < h):
        return None
    return read(x, y)


class Wizard:
    """The running uninstaller and its window."""

    def __init__(self, wine, inst, artefacts):
        self.wine = wine
        self.inst = inst
        self.artefacts = artefacts
        os.makedirs(artefacts, exist_ok=True)
        self.stdout = open(os.path.join(artefacts, "uninstaller.out"), "wb")
        workdir = os.path.join(artefacts, "cwd")
        os.makedirs(workdir, exist_ok=True)
        self.proc = wine.start([inst.path("uninstaller.exe")], stdout=self.stdout,
                               stderr=subprocess.STDOUT, cwd=workdir)
        self.wid = None
        self.origin = None

    def wait_window(self):
        def probe():
            if self.proc.poll() is not None:
                raise AssertionError("the uninstaller ended (code %s) before showing its window"
                                     % self.proc.returncode)
            wid = self.wine.find_window(WINDOW_TITLE)
            if not wid:
                return None
            g = self.wine.geometry(wid)
            if not g or g["WIDTH"] != 980 or g["HEIGHT"] != 420:
                return None
            return wid, g
        self.wid, g = poll("the wizard window", probe)
        self.origin = (g["X"], g["Y"])
        # The first frame is presented by the layered timer: wait for the reasons page.
        self.wait_page("reasons")
        return self.wid

    def point(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def refresh_origin(self):
        g = self.wine.geometry(self.wid)
        if g:
            self.origin = (g["X"], g["Y"])

    def click_at(self, x, y, double=False):
        sx, sy = self.point(x, y)
        self.wine.xdo("mousemove", "--sync", sx, sy)
        if double:
            self.wine.xdo("click", "--repeat", 2, "--delay", 80, 1)
        else:
            self.wine.xdo("click", 1)

    def click(self, control):
        self.click_at(*CONTROLS[control])

    def key(self, *keys):
        """Real key presses (XTEST) into the wizard once it has the focus."""
        self.wine.focus(self.wid)
        self.wine.xdo("key", *keys)

    # ---- pages, seen from outside ----
    def page(self, shot=None):
        """"reasons", "progress", "finish" or None, from the pixels on screen."""
        shot = shot or self.wine.screenshot()

        def px(x, y):
            return rgb_at(shot, *self.point(x, y))
        # The orange cancel button is only on the reasons page.
        c = px(702 + 14, 302 + 30)
        if c and c[0] > 200 and 90 < c[1] < 200 and c[2] < 90:
            return "reasons"
        # The red OK button is only on the finish page.
        f = px(*FINISH_PIXEL)
        if f and f[0] > 150 and f[1] < 100 and f[2] < 100:
            return "finish"
        # The bar's track, dark until the bar is full, on the blue-grey panel.
        t, panel = px(905, 235), px(905, 200)
        if t and panel and panel[2] > 30 and panel[2] > panel[0] and (
                max(t) < 30 or (t[0] > 200 and t[2] < 80)):
            return "progress"
        return None

    def wait_page(self, name, screenshot=None):
        def probe():
            if self.proc.poll() is not None:
                raise AssertionError("the uninstaller ended (code %s) while waiting for the %s page"
                                     % (self.proc.returncode, name))
            self.refresh_origin()
            shot = self.wine.screenshot()
            return shot if self.page(shot) == name else None
        shot = poll("the %s page" % name, probe)
        if screenshot:
            self.save_window_shot(screenshot)
        return shot

    def save_window_shot(self, name):
        full = os.path.join(self.artefacts, name + ".full.png")
        self.wine.screenshot(full)
        x, y = self.origin
        subprocess.run(["convert", full, "-crop", "980x420+%d+%d" % (x, y), "+repage",
                        os.path.join(self.artefacts, name + ".png")], check=True)
        os.remove(full)
        log("screenshot", os.path.join(self.artefacts, name + ".png"))

    def question_box(self):
        return self.wine.find_window(QUESTION_TITLE)

    def wait_question(self):
        return poll("the keep-resources question", self.question_box)

    def answer(self, keep):
        """Answers the keep-resources box: YES keeps the resources."""
        wid = self.wait_question()
        # The box's buttons take their mnemonics: Y for YES, N for NO. The
        # key goes to the box's window itself, whichever window has the focus.
        self.wine.xdo("key", "--window", wid, "y" if keep else "n")
        poll("the question to close", lambda: not self.question_box())

    def wait_exit(self):
        code = self.proc.wait()
        self.stdout.close()
        return code
