#!/usr/bin/env python3
"""The demo's driver (scripts/demo runs it after building): a demo installation
of a few hundred files, a resource folder, the encrypted configuration,
registry values, shortcuts and a running report collector; then the real
uninstaller driven through a whole uninstallation on the display, and a
summary of what happened.

    demo_run.py OUT_DIR
"""

import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Collector, Installation, Wine, Wizard, is_ticked, poll  # noqa: E402


def demo_files():
    files = {"AnvilWatch2.exe": "MZ", "launcher\\QXlauncher.exe": "MZ", "readme.txt": "Anvil Watch 2"}
    for d in range(12):
        for f in range(20):
            files["data\\pack%02d\\chunk%03d.pak" % (d, f)] = "pak %d %d" % (d, f)
    for f in range(30):
        files["bin\\module%02d.dll" % f] = "MZ module"
    for d in range(4):
        for f in range(10):
            files["assetbundleres\\bundle%d\\asset%02d.ab" % (d, f)] = "asset"
    return files


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.getcwd(), "demo-output")
    shots = os.path.join(out, "screenshots")
    os.makedirs(shots, exist_ok=True)
    print("== preparing Wine (a prefix and a display; the first run takes a minute)")
    wine = Wine()
    print("   display %s, prefix %s" % (wine.env.get("DISPLAY"), wine.prefix))
    collector = Collector(os.path.join(out, "collector"))
    print("   report collector listening on %s" % collector.base)
    files = demo_files()
    inst = Installation(wine, "demo", folder="C:\\Games\\铁砧行动2", files=files,
                        register_key=r"HKEY_LOCAL_MACHINE\SOFTWARE\AnvilWorks\VARN2-QX", display_name="铁砧行动2")
    bat = wine.unix(wine.shell_folders()["temp"] + "\\DeleteBat.bat")
    if os.path.exists(bat):
        os.remove(bat)
    wizard = None
    try:
        inst.create(collector)
        before = inst.remaining()
        nfiles = sum(1 for p in before if os.path.isfile(inst.unix(p)))
        print("== demo installation %s: %d files in %d folders (with the resource folder assetbundleres)"
              % (inst.dir, nfiles, len(before) - nfiles))
        print("   registry %s: GUID, InstallPath; uninstall entry \"%s\"; Start-menu and desktop shortcuts"
              % (inst.register_key, inst.display_name))

        print("== starting uninstaller.exe")
        wizard = Wizard(wine, inst, out)
        wizard.wait_window()
        for r in ("ckb2", "ckb7"):
            wizard.click(r)

        def ticks_shown():
            shot = wine.screenshot()
            return all(is_ticked(shot, wizard, r) for r in ("ckb2", "ckb7"))
        poll("the ticks", ticks_shown)
        wizard.artefacts = shots
        wizard.save_window_shot("1-reasons")
        print("   ticked two reasons; clicking the uninstall button")
        wizard.click("btnUninst")
        wizard.wait_question()
        wizard.wait_page("progress", screenshot="2-progress")
        print("   asked whether to keep the local resources: answering NO (remove them)")
        wizard.answer(keep=False)
        wizard.wait_page("finish", screenshot="3-finish")
        print("   finish page reached; clicking OK")
        wizard.click("btnUninstFinish")
        code = wizard.wait_exit()
        print("   uninstaller exited with code %d" % code)
        print("== waiting for the self-removal script")
        wine.wait_idle()
    finally:
        if wizard and wizard.proc.poll() is None:
            wizard.proc.kill()
        collector.stop()

    print("== what happened")
    left = inst.remaining() if os.path.exists(inst.unix()) else set()
    print("   files and folders removed: %d of %d" % (len(before) - len(left), len(before)))
    print("   installation folder %s: %s" % (inst.dir, "still there" if os.path.exists(inst.unix()) else
                                             "removed by DeleteBat.bat"))
    print("   DeleteBat.bat: %s" % ("still there" if os.path.exists(bat) else "ran and deleted itself"))
    shell = inst.shell_state()
    print("   Start-menu folder, uninstall shortcut, desktop shortcut: %s" %
          ("removed" if not (shell["menu_folder"] or shell["menu_uninstall"] or shell["desktop"]) else shell))
    print("   uninstall entry \"%s\": %s" % (inst.display_name, "present" if inst.uninstall_entry_exists()
                                            else "removed"))
    reqs = collector.requests()
    print("   reports received by the collector: %d" % len(reqs))
    for r in reqs:
        body = r["body"]
        try:
            doc = json.loads(body)
            summary = ", ".join("%s=%s" % (k, json.dumps(doc[k], ensure_ascii=False)[:60]) for k in list(doc)[:4])
        except ValueError:
            summary = body[:80]
        print("     POST %s  %s" % (r["path"], summary))
    print("   screenshots of the three pages: %s" % shots)
    for n in ("1-reasons", "2-progress", "3-finish"):
        print("     %s" % os.path.join(shots, n + ".png"))
    ok = code == 0 and not left and len(reqs) == 2
    print("== demo %s" % ("finished: the game was uninstalled" if ok else "finished with surprises (see above)"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
