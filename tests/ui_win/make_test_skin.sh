#!/usr/bin/env bash
# Makes the small skin archive of the GUI tests: a layout with one page and
# plain-coloured images, so that a screenshot tells exactly which image (or no
# image) is on screen at each point.
#
#   tests/ui_win/make_test_skin.sh OUTDIR   -> OUTDIR/test_skin.zip
#
# The page image is opaque (0x336699) inside a 20-pixel transparent margin; the
# button is blue, its hot image red; the check mark green; the bar fill yellow.
set -euo pipefail
out=${1:?usage: make_test_skin.sh OUTDIR}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
png() { convert "$@" -strip -define png:exclude-chunks=date,time "PNG32:$tmp/$name"; }
name=panel.png   png -size 400x300 xc:none -fill '#336699' -draw 'rectangle 20,20 379,279'
name=btn.png     png -size 120x40 xc:'#0000ff'
name=btn_hot.png png -size 120x40 xc:'#ff0000'
name=check.png   png -size 20x20 xc:'#00ff00'
name=bar.png     png -size 10x5 xc:'#ffff00'
cp "$here/test_layout.xml" "$tmp/test.xml"
(cd "$tmp" && TZ=UTC touch -t 202001010000 ./* && zip -q -X -D test_skin.zip test.xml panel.png btn.png btn_hot.png check.png bar.png)
mv "$tmp/test_skin.zip" "$out/test_skin.zip"
