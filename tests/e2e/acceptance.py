#!/usr/bin/env python3
"""Acceptance scenarios of the whole uninstaller under Wine, one per run:

    acceptance.py SCENARIO

Each scenario builds a fresh fake installation (harness.py), drives the real
executable through its window with xdotool and checks files, registry,
shortcuts, the reports the collector received and the exit code. Screenshots
go to <binary dir>/artefacts/e2e/<scenario>/.
"""

import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import (BINARY_DIR, Collector, Installation, Wine, Wizard, is_ticked, log,  # noqa: E402
                     poll)

ARTEFACTS = os.environ.get("UNINST_E2E_ARTEFACTS") or os.path.join(BINARY_DIR, "artefacts", "e2e")
STAT_PATH = "/stat/log"
FEEDBACK_PATH = "/api/uninstallFeedback/save"


class Checks:
    def __init__(self, name):
        self.name = name
        self.failures = []

    def eq(self, what, got, expected):
        if got != expected:
            self.failures.append("%s: got %r, expected %r" % (what, got, expected))

    def true(self, what, cond):
        if not cond:
            self.failures.append(what)

    def done(self):
        if self.failures:
            for f in self.failures:
                log("FAIL", f)
            raise SystemExit(1)
        log("scenario %s passed" % self.name)


LIVE = []


class Scenario:
    def __init__(self, name, inst_kw=None, collector_status="200"):
        LIVE.append(self)
        self.name = name
        self.wine = Wine()
        self.art = os.path.join(ARTEFACTS, name)
        os.makedirs(self.art, exist_ok=True)
        self.collector = Collector(os.path.join(self.art, "collector"), collector_status)
        self.inst = Installation(self.wine, name, **(inst_kw or {}))
        self.checks = Checks(name)
        self.bat = self.wine.unix(self.wine.shell_folders()["temp"] + "\\DeleteBat.bat")
        if os.path.exists(self.bat):
            os.remove(self.bat)
        self.wizard = None

    def start(self):
        self.wizard = Wizard(self.wine, self.inst, self.art)
        self.wizard.wait_window()
        return self.wizard

    def finish(self):
        """Ends the scenario: the process has exited; wait for the script and the prefix."""
        self.wine.wait_idle()
        self.collector.stop()

    def abort(self):
        if self.wizard and self.wizard.proc.poll() is None:
            self.wizard.proc.kill()
            self.wizard.proc.wait()
        if self.collector.proc.poll() is None:
            self.collector.stop()

    # ---- common checks ----
    def reports(self):
        return [(r["path"], r["body"]) for r in self.collector.requests()]

    def check_feedback(self, result, texts):
        c = self.checks
        fb = [json.loads(b) for p, b in self.reports() if p == FEEDBACK_PATH]
        c.eq("feedback reports", len(fb), 1)
        if fb:
            c.eq("feedback result", fb[0].get("result"), result)
            c.eq("feedback reasons", json.loads(fb[0].get("result_text", "null")), texts)
            c.eq("feedback guid", fb[0].get("guid"), self.inst.guid or "")

    def check_device_report(self, expected):
        c = self.checks
        dev = [json.loads(b) for p, b in self.reports() if p == STAT_PATH]
        c.eq("device reports", len(dev), 1 if expected else 0)
        if expected and dev:
            c.eq("device report guid", dev[0].get("other", {}).get("guid"), self.inst.guid)
            c.eq("device report type", dev[0].get("type"), 30)
            order = [p for p, _ in self.reports()]
            c.eq("report order", order, [STAT_PATH, FEEDBACK_PATH])

    def check_shell(self, removed):
        s = self.inst.shell_state()
        for key in ("menu_folder", "menu_uninstall", "desktop"):
            self.checks.eq("shell entry %s present" % key, s[key], not removed)
        self.checks.eq("decoy start-menu folder present", s["decoy_menu"], True)
        self.checks.eq("decoy desktop shortcut present", s["decoy_desktop"], True)
        self.checks.eq("uninstall entry present", self.inst.uninstall_entry_exists(), not removed)
        self.checks.true("another game's uninstall entry stays",
                         self.wine.reg_key_exists(r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Other Game"))

    def check_script_ran(self, folder_removed):
        c = self.checks
        c.true("DeleteBat.bat deleted itself", not os.path.exists(self.bat))
        c.true("uninstaller.exe removed by the script", not os.path.exists(self.inst.unix("uninstaller.exe")))
        c.eq("installation folder exists", os.path.exists(self.inst.unix()), not folder_removed)


def run_uninstall(s, reasons=(), answer=None, shots=False):
    """Ticks the reasons, starts the uninstallation, answers the question when
    one is expected, and waits for the finish page."""
    w = s.start()
    for r in reasons:
        w.click(r)
    if reasons:
        # The clicks are applied in order; wait until the ticks show.
        ticked = {r for r in reasons if reasons.count(r) % 2 == 1}

        def ticks_shown():
            shot = s.wine.screenshot()
            return all(is_ticked(shot, w, r) == (r in ticked) for r in set(reasons))
        poll("the ticks", ticks_shown)
    if shots:
        w.save_window_shot("page1-reasons")
    w.click("btnUninst")
    if answer is not None:
        w.wait_question()
        if shots:
            w.wait_page("progress", screenshot="page2-progress")
        w.answer(answer == "keep")
    w.wait_page("finish", screenshot="page3-finish" if shots else None)
    return w


def finish_and_exit(s, w):
    w.click("btnUninstFinish")
    code = w.wait_exit()
    s.checks.eq("exit code", code, 0)
    s.finish()


# ---------------------------------------------------------------- scenarios

def scenario_cancel(name, control):
    s = Scenario(name)
    s.inst.create(s.collector)
    before = s.inst.remaining()
    w = s.start()
    # A double click on the background neither maximises nor moves the window.
    g0 = s.wine.geometry(w.wid)
    w.click_at(300, 390, double=True)
    w.click("ckb2")
    poll("the tick", lambda: is_ticked(s.wine.screenshot(), w, "ckb2"))
    g1 = s.wine.geometry(w.wid)
    s.checks.eq("window size after a double click", (g1["WIDTH"], g1["HEIGHT"]), (g0["WIDTH"], g0["HEIGHT"]))
    w.click(control)
    code = w.wait_exit()
    s.finish()
    c = s.checks
    c.eq("exit code", code, 0)
    c.eq("installation", s.inst.remaining(), before)
    c.eq("reports", s.reports(), [])
    c.true("no script written", not os.path.exists(s.bat))
    s.check_shell(removed=False)
    c.eq("GUID kept", s.wine.reg_value(s.inst.reg_key, "GUID"), s.inst.guid)
    c.done()


def scenario_uninstall_reasons():
    s = Scenario("uninstall-reasons")
    s.inst.create(s.collector)
    # The first and the last reason; the third ticked twice, so unticked.
    w = run_uninstall(s, reasons=("ckb1", "ckb8", "ckb3", "ckb3"), shots=True)
    finish_and_exit(s, w)
    s.check_device_report(True)
    s.check_feedback("10000001", ["无法游戏", "其他原因"])
    s.check_shell(removed=True)
    s.check_script_ran(folder_removed=True)
    s.checks.eq("GUID kept", s.wine.reg_value(s.inst.reg_key, "GUID"), s.inst.guid)
    s.checks.done()


RES_FILES = {"assetbundleres\\a.bundle": "a", "assetbundleres\\ui\\b.bundle": "b",
             "assetbundleres_old\\c.bundle": "c"}


def scenario_resources(case, answer):
    """case: absent, default or outside; answer: keep or remove (None when absent)."""
    name = "resources-%s%s" % (case, "-" + answer if answer else "")
    files = dict(__import__("harness").DEFAULT_FILES)
    if case == "default":
        files.update(RES_FILES)
    s = Scenario(name, {"files": files})
    app_data = None
    outside = "C:\\GameRes\\AnvilE2E-" + name
    if case == "outside":
        app_data = outside
        u = s.wine.unix(outside)
        import shutil
        if os.path.exists(u):
            shutil.rmtree(u)
        for rel in ("r1.bundle", "maps\\r2.bundle"):
            p = os.path.join(u, *rel.split("\\"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "w") as f:
                f.write("res")
    s.inst.create(s.collector, app_data=app_data)
    w = run_uninstall(s, answer=answer, shots=(case == "default" and answer == "keep"))
    finish_and_exit(s, w)
    c = s.checks
    keep = answer == "keep"
    if case == "default" and keep:
        # Everything whose path holds <install>\assetbundleres stays, and so does the folder.
        c.eq("left in the installation", s.inst.remaining(),
             {"assetbundleres", "assetbundleres\\a.bundle", "assetbundleres\\ui", "assetbundleres\\ui\\b.bundle",
              "assetbundleres_old", "assetbundleres_old\\c.bundle"})
        c.true("uninstaller.exe removed by the script", not os.path.exists(s.inst.unix("uninstaller.exe")))
        c.true("DeleteBat.bat deleted itself", not os.path.exists(s.bat))
    else:
        s.check_script_ran(folder_removed=True)
    if case == "outside":
        c.eq("outside resources present", os.path.exists(s.wine.unix(outside + "\\maps\\r2.bundle")), keep)
        c.eq("outside folder present", os.path.exists(s.wine.unix(outside)), keep)
        c.eq("AppData value", s.wine.reg_value(s.inst.reg_key, "AppData"), outside if keep else None)
    s.check_shell(removed=True)
    s.checks.done()


def scenario_locked_file():
    s = Scenario("locked-file")
    s.inst.create(s.collector)
    locked = s.inst.path("data\\maps\\m1.pak")
    holder_exe = os.path.join(BINARY_DIR, "e2e_hold_file.exe")
    ready = os.path.join(s.art, "holder.ready")
    release = os.path.join(s.art, "holder.release")
    for f in (ready, release):
        if os.path.exists(f):
            os.remove(f)
    import subprocess
    holder = s.wine.start([holder_exe, locked, s.wine.z(ready), s.wine.z(release)],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    poll("the holder to open the file", lambda: os.path.exists(ready))
    w = run_uninstall(s)
    c = s.checks
    c.true("the locked file stays", os.path.exists(s.inst.unix("data\\maps\\m1.pak")))
    c.true("other files go", not os.path.exists(s.inst.unix("data\\maps\\m2.pak")))
    w.click("btnUninstFinish")
    c.eq("exit code", w.wait_exit(), 0)
    with open(release, "w"):
        pass
    holder.wait()
    s.finish()
    c.true("DeleteBat.bat deleted itself", not os.path.exists(s.bat))
    c.true("uninstaller.exe removed by the script", not os.path.exists(s.inst.unix("uninstaller.exe")))
    c.done()


def scenario_no_guid():
    s = Scenario("no-guid")
    s.inst.create(s.collector, guid=None)
    s.inst.guid = None
    w = run_uninstall(s)
    finish_and_exit(s, w)
    s.check_device_report(False)
    s.check_feedback("00000000", [])
    s.check_shell(removed=True)
    s.check_script_ran(folder_removed=True)
    s.checks.done()


def scenario_key_without_backslash():
    # A register_key without a backslash: no registry value can be read, no
    # display name; shell entries and the uninstall entry stay; files still go.
    s = Scenario("key-without-backslash", {"register_key": "VARN2-ORCHID"})
    s.inst.create(s.collector)
    s.inst.guid = None
    w = run_uninstall(s)
    finish_and_exit(s, w)
    s.check_device_report(False)
    s.check_feedback("00000000", [])
    s.check_shell(removed=False)
    s.check_script_ran(folder_removed=True)
    s.checks.done()


def scenario_chinese_folder():
    s = Scenario("chinese-folder", {"folder": "C:\\Games\\AnvilE2E\\铁砧行动 测试&(1)"})
    s.inst.create(s.collector)
    sibling = s.wine.unix("C:\\Games\\AnvilE2E\\铁砧行动")
    os.makedirs(sibling, exist_ok=True)
    with open(os.path.join(sibling, "keep.txt"), "w") as f:
        f.write("decoy")
    w = run_uninstall(s, reasons=("ckb5",))
    finish_and_exit(s, w)
    s.check_feedback("00001000", ["画质不好"])
    s.check_script_ran(folder_removed=True)
    s.checks.true("the sibling folder stays", os.path.exists(os.path.join(sibling, "keep.txt")))
    s.check_shell(removed=True)
    s.checks.done()


def scenario_protected_install():
    # The uninstaller placed in the user's profile folder, which holds Desktop
    # and Documents: nothing may be removed.
    s = Scenario("protected-install")
    profile = s.wine.shell_folders()["profile"]
    s.inst.dir = profile
    s.inst.files = {"AnvilProtected-marker.txt": "mine"}
    marker_dir = s.wine.unix(profile + "\\AppData\\AnvilProtected")
    os.makedirs(marker_dir, exist_ok=True)
    with open(os.path.join(marker_dir, "settings.ini"), "w") as f:
        f.write("x")
    s.inst.create(s.collector, app_data=profile + "\\AppData\\AnvilProtected", fresh=False)
    w = run_uninstall(s)
    finish_and_exit(s, w)
    c = s.checks
    c.true("files in the profile stay", os.path.exists(s.inst.unix("AnvilProtected-marker.txt")))
    c.true("AppData folder stays", os.path.exists(os.path.join(marker_dir, "settings.ini")))
    c.true("platform.xml stays", os.path.exists(s.inst.unix("platform.xml")))
    c.eq("AppData value kept", s.wine.reg_value(s.inst.reg_key, "AppData"), profile + "\\AppData\\AnvilProtected")
    c.true("the profile folder stays", os.path.isdir(s.inst.unix()))
    c.true("uninstaller.exe removed by the script", not os.path.exists(s.inst.unix("uninstaller.exe")))
    os.remove(s.inst.unix("AnvilProtected-marker.txt"))
    os.remove(s.inst.unix("platform.xml"))
    c.done()


def scenario_protected_resources():
    # "AppData" names the public profile (which holds the common Desktop and
    # Documents): with the answer NO it still stays, and so does the value.
    s = Scenario("protected-resources")
    public = s.wine.shell_folders()["public"]
    marker = s.wine.unix(public + "\\anvil-e2e-marker.txt")
    with open(marker, "w") as f:
        f.write("public")
    s.inst.create(s.collector, app_data=public)
    w = run_uninstall(s, answer="remove")
    finish_and_exit(s, w)
    c = s.checks
    c.true("the public folder's files stay", os.path.exists(marker))
    c.eq("AppData value kept", s.wine.reg_value(s.inst.reg_key, "AppData"), public)
    s.check_script_ran(folder_removed=True)
    os.remove(marker)
    c.done()


def scenario_keys():
    # Escape and Alt+F4 do nothing while the files are being removed (an
    # installation large enough to take a while); Escape on the finish page
    # runs the finish sequence, so the script still runs.
    files = {"data\\d%02d\\f%04d.dat" % (i % 40, i): "x" for i in range(6000)}
    s = Scenario("keys", {"files": files})
    s.inst.create(s.collector)
    w = s.start()
    w.click("btnUninst")
    w.wait_page("progress")
    w.key("Escape")
    w.key("alt+F4")
    c = s.checks
    # The keys went in while the removal still ran.
    c.eq("page right after the keys", w.page(), "progress")
    w.wait_page("finish")
    c.true("still running after Escape and Alt+F4 during the removal", w.proc.poll() is None)
    w.key("Escape")
    c.eq("exit code", w.wait_exit(), 0)
    s.finish()
    s.check_script_ran(folder_removed=True)
    c.done()


def scenario_escape_on_reasons():
    s = Scenario("escape-on-reasons")
    s.inst.create(s.collector)
    before = s.inst.remaining()
    w = s.start()
    w.key("Escape")
    code = w.wait_exit()
    s.finish()
    s.checks.eq("exit code", code, 0)
    s.checks.eq("installation", s.inst.remaining(), before)
    s.checks.eq("reports", s.reports(), [])
    s.checks.true("no script written", not os.path.exists(s.bat))
    s.checks.done()


SCENARIOS = {
    "cancel-close-mark": lambda: scenario_cancel("cancel-close-mark", "btnCancel_small"),
    "cancel-button": lambda: scenario_cancel("cancel-button", "btnCancel"),
    "uninstall-reasons": scenario_uninstall_reasons,
    "resources-absent": lambda: scenario_resources("absent", None),
    "resources-default-keep": lambda: scenario_resources("default", "keep"),
    "resources-default-remove": lambda: scenario_resources("default", "remove"),
    "resources-outside-keep": lambda: scenario_resources("outside", "keep"),
    "resources-outside-remove": lambda: scenario_resources("outside", "remove"),
    "locked-file": scenario_locked_file,
    "no-guid": scenario_no_guid,
    "key-without-backslash": scenario_key_without_backslash,
    "chinese-folder": scenario_chinese_folder,
    "protected-install": scenario_protected_install,
    "protected-resources": scenario_protected_resources,
    "keys": scenario_keys,
    "escape-on-reasons": scenario_escape_on_reasons,
}


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in SCENARIOS:
        print("usage: acceptance.py SCENARIO\nscenarios: " + " ".join(SCENARIOS), file=sys.stderr)
        return 2
    try:
        SCENARIOS[sys.argv[1]]()
    finally:
        # A failed scenario leaves no uninstaller or collector behind.
        for s in LIVE:
            s.abort()
    return 0


if __name__ == "__main__":
    sys.exit(main())
