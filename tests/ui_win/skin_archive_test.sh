#!/usr/bin/env bash
# The wizard's skin archive as the build made it: exactly the uninstaller's
# entries, every image at its size, page backgrounds opaque on the panel and
# transparent in the corners, a layout that names only entries of the archive
# and places the controls where the wizard expects them, four distinct icons
# with the usual sizes, and a drawing script that gives the same bytes twice.
set -euo pipefail
export LC_ALL=C.UTF-8

skin="$UNINST_BINARY_DIR/skin"
src="$UNINST_SOURCE_DIR"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok - $what"; else echo "not ok - $what" >&2; failures=$((failures + 1)); fi
}
eq() { [ "$1" = "$2" ] || { printf '  expected: %s\n  got:      %s\n' "$2" "$1" >&2; return 1; }; }

unzip -q "$skin/skin.zip" -d "$work/zip"

# Entries: the layout and its nine images, nothing of the installer dialog.
expected_entries="bar.png cancel_uninstall_bk.png cancel_uninstall_hover.png check.png henxin_uninstall.png \
henxin_uninstall_bk.png uninst_bk_1.png uninst_bk_2.png uninst_bk_3.png uninstall.xml"
entries=$(cd "$work/zip" && ls | sort | tr '\n' ' ' | sed 's/ $//')
check "archive holds exactly the uninstaller's entries" eq "$entries" "$(echo $expected_entries)"
check "the archived layout is res/uninstall.xml" cmp -s "$work/zip/uninstall.xml" "$src/res/uninstall.xml"

size_of() { identify -format '%wx%h' "$work/zip/$1"; }
while read -r name size; do
  check "$name is $size" eq "$(size_of "$name")" "$size"
done <<'SIZES'
uninst_bk_1.png 980x420
uninst_bk_2.png 980x420
uninst_bk_3.png 980x420
henxin_uninstall_bk.png 230x50
henxin_uninstall.png 230x50
cancel_uninstall_bk.png 235x66
cancel_uninstall_hover.png 235x66
check.png 15x15
bar.png 191x9
SIZES

alpha_at() { convert "$work/zip/$1" -format "%[fx:int(255*p{$2,$3}.a+0.5)]" info:; }
for page in uninst_bk_1.png uninst_bk_2.png uninst_bk_3.png; do
  check "$page is transparent in its corners" eq "$(alpha_at "$page" 0 0),$(alpha_at "$page" 979 419)" "0,0"
  check "$page is opaque on the panel" eq "$(alpha_at "$page" 490 210),$(alpha_at "$page" 40 380)" "255,255"
done
check "check.png is a tick on a transparent ground" eq "$(alpha_at check.png 0 0),$(alpha_at check.png 6 10)" "0,255"
check "bar.png is an opaque fill" eq "$(alpha_at bar.png 0 0),$(alpha_at bar.png 190 8)" "255,255"

# The layout: every image it names is in the archive, and the controls sit
# where the page images draw their texts and the wizard looks for them.
python3 - "$work/zip/uninstall.xml" "$work/zip" >"$work/layout.txt" <<'PY'
import os, sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
print("window", root.get("size"), root.get("caption"), repr(root.get("layeredimage")), "bktrans" in root.attrib)
for font in root.iter("Font"):
    print("font", font.get("id"), font.get("name"), font.get("size"), font.get("bold"), font.get("shared"))
missing = []
for el in root.iter():
    for attr in ("bkimage", "hotimage", "selectedimage", "foreimage"):
        v = el.get(attr)
        if v and not os.path.exists(os.path.join(sys.argv[2], v)):
            missing.append(v)
print("missing", " ".join(missing) or "none")
for page in root.iter("HorizontalLayout"):
    print("page", page.get("name"), page.get("bkimage"), page.get("width"), page.get("height"), page.get("visible"))
    for c in page:
        print(" ", c.tag, c.get("name"), c.get("float"), c.get("pos"), c.get("width"), c.get("height"),
              c.get("bkimage") or "-", c.get("hotimage") or "-", c.get("selectedimage") or "-",
              c.get("selected") or "-", c.get("foreimage") or "-", c.get("align") or "-",
              c.get("value") or "-", c.get("font") or "-", c.get("textcolor") or "-")
PY
cat >"$work/expected.txt" <<'EOF'
window 980,420 0,0,0,-1 '' True
font 0 宋体 20 false true
missing none
page background_one uninst_bk_1.png 980 420 true
  Button btnCancel true 914,44 16 16 - - - - - - - - -
  Button btnUninst true 472,310 230 50 henxin_uninstall_bk.png henxin_uninstall.png - - - - - - -
  Button btnCancel true 702,302 235 66 cancel_uninstall_bk.png cancel_uninstall_hover.png - - - - - - -
  CheckBox ckb1 true 84,218 15 15 - - check.png false - - - - -
  CheckBox ckb2 true 509,218 15 15 - - check.png false - - - - -
  CheckBox ckb3 true 84,251 15 15 - - check.png false - - - - -
  CheckBox ckb4 true 509,251 15 15 - - check.png false - - - - -
  CheckBox ckb5 true 259,218 15 15 - - check.png false - - - - -
  CheckBox ckb6 true 730,218 15 15 - - check.png false - - - - -
  CheckBox ckb7 true 259,251 15 15 - - check.png false - - - - -
  CheckBox ckb8 true 730,251 15 15 - - check.png false - - - - -
page background_two uninst_bk_2.png 980 420 false
  Progress prgUninst true 82,229 828 13 - - - - bar.png center 0 - -
  Label file_lab true 80,245 828 50 - - - - - left - 0 0xffebeaea
page background_thr uninst_bk_3.png 980 420 false
  Button btnUninstFinish true 647,255 230 50 - - - - - - - - -
EOF
check "layout matches the wizard's pages and controls" diff -u "$work/expected.txt" "$work/layout.txt"

# Icons: 16, 32, 48 and 256 pixels each, four different pictures.
for icon in default rulo test match; do
  sizes=$(identify -format '%wx%h ' "$skin/icon_$icon.ico" | tr ' ' '\n' | sort | tr '\n' ' ' | sed 's/ $//')
  check "icon_$icon.ico has 16, 32, 48 and 256 px" eq "$sizes" "16x16 256x256 32x32 48x48"
done
sums=$(for icon in default rulo test match; do convert "$skin/icon_$icon.ico[1]" rgba:- | md5sum; done | sort -u | wc -l)
check "the four icons are different pictures" eq "$sums" 4

# Reproducible: the script gives the same bytes on a second run.
bash "$src/res/make_skin.sh" "$work/again" >/dev/null
for f in skin.zip icon_default.ico icon_rulo.ico icon_test.ico icon_match.ico; do
  check "$f is the same on a second run" cmp -s "$skin/$f" "$work/again/$f"
done

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
