#!/usr/bin/env bash
# Draws the uninstall wizard's skin and the window icons, and packs the skin
# archive. This script is the source of every image: nothing binary is kept in git.
#
#   res/make_skin.sh OUTDIR
#
# Writes into OUTDIR: the PNG images that uninstall.xml names, skin.zip (those
# images and uninstall.xml, made by the zip tool) and the icons icon_default.ico,
# icon_rulo.ico, icon_test.ico and icon_match.ico (16, 32, 48 and 256 px).
# Needs ImageMagick's convert, zip and the WenQuanYi Zen Hei font. The output is
# the same byte for byte on every run (no time stamps in PNGs or in the archive).
set -euo pipefail

out=${1:?usage: make_skin.sh OUTDIR}
here=$(cd "$(dirname "$0")" && pwd)
font=${UNINST_SKIN_FONT:-/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc}
[ -f "$font" ] || { echo "make_skin: font $font missing (package fonts-wqy-zenhei)" >&2; exit 1; }
command -v convert >/dev/null || { echo "make_skin: ImageMagick's convert missing" >&2; exit 1; }
command -v zip >/dev/null || { echo "make_skin: zip missing" >&2; exit 1; }
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 8-bit RGBA PNGs without time stamps, so that a rebuild gives the same bytes.
save() { # save SRC DEST: re-encode SRC as a reproducible 8-bit RGBA PNG
  convert "$1" -strip -define png:exclude-chunks=date,time "PNG32:$2"
}

W=980 H=420
game="铁砧行动2"

# Colours of the panel and its texts.
panel_top='#2c3342' panel_bottom='#141821' panel_edge='#465063'
title_grey='#8f99a9' heading='#ffffff' subtext='#b4bdca' reason_text='#e1e6ec'
accent='#ff9a1f'

# The card every page sits on: a dark panel with rounded corners inside a
# transparent margin (no shadow: where a system composes layered windows without
# blending, a soft shadow would show as a hard dark frame), the window title and
# an accent mark.
make_panel() { # make_panel DEST
  convert -size ${W}x${H} gradient:"$panel_top-$panel_bottom" "$tmp/grad.png"
  convert -size ${W}x${H} xc:black -fill white -draw "roundrectangle 16,16 963,403 18,18" "$tmp/mask.png"
  convert "$tmp/grad.png" "$tmp/mask.png" -alpha off -compose CopyOpacity -composite \
    -fill none -stroke "$panel_edge" -strokewidth 1 -draw "roundrectangle 16.5,16.5 962.5,402.5 18,18" \
    -stroke none -fill "$accent" -draw "rectangle 40,40 43,58" \
    -font "$font" -pointsize 16 -fill "$title_grey" -annotate +52+56 "$game  卸载向导" \
    "$1"
}

# A close mark: a cross filling the 16 x 16 hot area of btnCancel at (914, 44).
close_mark=(-stroke '#aeb6c3' -strokewidth 2 -draw 'line 916,46 928,58' -draw 'line 928,46 916,58')

# --- reasons page -----------------------------------------------------------
# The eight reasons, each beside an empty square under its check box (x, y).
reasons=(
  "84 218 无法进入游戏"
  "259 218 画面效果不如预期"
  "509 218 游戏经常崩溃"
  "730 218 射击手感不如预期"
  "84 251 游戏运行卡顿"
  "259 251 准备去玩其他游戏"
  "509 251 最近没时间玩"
  "730 251 其他问题"
)
make_panel "$tmp/panel.png"
args=()
for r in "${reasons[@]}"; do
  read -r x y text <<<"$r"
  args+=(-stroke '#8792a5' -strokewidth 1 -fill '#0d1016'
         -draw "rectangle $((x)).5,$((y)).5 $((x + 14)).5,$((y + 14)).5"
         -stroke none -fill "$reason_text" -font "$font" -pointsize 17
         -annotate +$((x + 24))+$((y + 14)) "$text")
done
convert "$tmp/panel.png" "${close_mark[@]}" "${args[@]}" \
  -stroke none -font "$font" -fill "$heading" -pointsize 30 -annotate +84+112 '指挥官，真的要离开了吗？' \
  -fill "$subtext" -pointsize 18 -annotate +84+152 '请告诉我们您卸载游戏的原因（可多选），我们会努力做得更好。' \
  -stroke '#343c4b' -strokewidth 1 -draw 'line 84,185 896,185' \
  "$tmp/bk1.png"
save "$tmp/bk1.png" "$out/uninst_bk_1.png"

# --- progress page ------------------------------------------------------------
# The empty track under prgUninst (82, 229, 828 x 13); file_lab shows the path below it.
make_panel "$tmp/panel.png"
convert "$tmp/panel.png" \
  -font "$font" -fill "$heading" -pointsize 30 -annotate +84+130 "正在卸载《$game》" \
  -fill "$subtext" -pointsize 18 -annotate +84+172 '正在删除游戏文件，请稍候……' \
  -fill '#0b0e13' -stroke '#3a4354' -strokewidth 1 -draw 'roundrectangle 81.5,228.5 910.5,242.5 3,3' \
  "$tmp/bk2.png"
save "$tmp/bk2.png" "$out/uninst_bk_2.png"

# --- finish page ----------------------------------------------------------------
# The heading and a red OK button under btnUninstFinish (647, 255, 230 x 50).
make_panel "$tmp/panel.png"
convert -size 230x50 gradient:'#ef4b43-#b8211b' \
  \( -size 230x50 xc:black -fill white -draw 'roundrectangle 0,0 229,49 8,8' \) \
  -alpha off -compose CopyOpacity -composite \
  -fill none -stroke '#ff8a80' -strokewidth 1 -draw 'roundrectangle 0.5,0.5 228.5,48.5 8,8' \
  -stroke none -font "$font" -pointsize 22 -fill white -gravity center -annotate +0+0 '确定' \
  "$tmp/ok.png"
convert "$tmp/panel.png" \
  -font "$font" -fill "$heading" -pointsize 34 -annotate +84+140 '卸载完成' \
  -fill "$subtext" -pointsize 18 -annotate +84+184 "《$game》已从您的电脑中移除。" \
  -annotate +84+214 '感谢您一路相伴，期待与您再次并肩作战！' \
  "$tmp/ok.png" -geometry +647+255 -compose Over -composite \
  "$tmp/bk3.png"
save "$tmp/bk3.png" "$out/uninst_bk_3.png"

# --- buttons ------------------------------------------------------------------------
# "Uninstall anyway": a quiet outlined button, 230 x 50; the hot image is drawn over
# the normal one while the mouse is over it.
button_outline() { # fill border text-colour dest
  convert -size 230x50 xc:none -fill "$1" -stroke "$2" -strokewidth 1 \
    -draw 'roundrectangle 0.5,0.5 228.5,48.5 8,8' \
    -stroke none -font "$font" -pointsize 20 -fill "$3" -gravity center -annotate +0+0 '仍要卸载' \
    "$4"
}
button_outline '#1a1f29' '#7d889b' '#c9d0da' "$tmp/u0.png"
button_outline '#384152' '#d2d9e3' '#ffffff' "$tmp/u1.png"
save "$tmp/u0.png" "$out/henxin_uninstall_bk.png"
save "$tmp/u1.png" "$out/henxin_uninstall.png"

# "Cancel uninstall": the button we hope the player takes, 235 x 66, an orange body
# of 219 x 50 with a glow in the margin.
button_glow() { # top bottom glow-opacity dest
  convert -size 235x66 xc:none -fill "$accent" -draw 'roundrectangle 8,8 226,57 9,9' \
    -channel A -blur 0x4 -evaluate multiply "$3" +channel "$tmp/glow.png"
  convert -size 219x50 gradient:"$1-$2" \
    \( -size 219x50 xc:black -fill white -draw 'roundrectangle 0,0 218,49 8,8' \) \
    -alpha off -compose CopyOpacity -composite \
    -font "$font" -pointsize 22 -fill white -gravity center -annotate +0+0 '取消卸载' \
    "$tmp/body.png"
  convert "$tmp/glow.png" "$tmp/body.png" -geometry +8+8 -compose Over -composite "$4"
}
button_glow '#ffab3d' '#e56f0a' 0.45 "$tmp/c0.png"
button_glow '#ffc46b' '#f7861c' 0.9 "$tmp/c1.png"
save "$tmp/c0.png" "$out/cancel_uninstall_bk.png"
save "$tmp/c1.png" "$out/cancel_uninstall_hover.png"

# --- check mark and bar fill --------------------------------------------------------
# A tick over the empty 15 x 15 square, transparent around it.
convert -size 15x15 xc:none -fill none -stroke "$accent" -strokewidth 2.4 \
  -draw 'polyline 3,7.5 6.2,11 12,3.5' "$tmp/check.png"
save "$tmp/check.png" "$out/check.png"
# The fill is stretched to the done part of the 828 x 13 bar: only a vertical
# gradient, so that stretching keeps its look at every width.
convert -size 191x9 gradient:'#ffc866-#e8720c' "$tmp/bar.png"
save "$tmp/bar.png" "$out/bar.png"

# --- icons --------------------------------------------------------------------------
# One emblem (an anvil on a rounded square) in a colour per platform, with a letter
# badge for the non-default ones, at the sizes Windows asks for.
make_icon() { # top bottom badge-letter dest
  convert -size 256x256 gradient:"$1-$2" \
    \( -size 256x256 xc:black -fill white -draw 'roundrectangle 8,8 247,247 52,52' \) \
    -alpha off -compose CopyOpacity -composite \
    -fill white -stroke none \
    -draw 'polygon 40,78 196,78 216,96 178,104 158,132 158,150 186,150 192,184 64,184 70,150 98,150 98,132 64,116 40,100' \
    -draw 'rectangle 58,196 198,212' \
    "$tmp/icon.png"
  if [ -n "$3" ]; then
    convert "$tmp/icon.png" -fill '#ffffff' -stroke '#1b1f27' -strokewidth 6 -draw 'circle 196,196 196,146' \
      -stroke none -font "$font" -pointsize 68 -fill '#1b1f27' -annotate +174+220 "$3" "$tmp/icon.png"
  fi
  convert "$tmp/icon.png" -define icon:auto-resize=256,48,32,16 "$4"
}
make_icon '#5b7fa8' '#24364d' '' "$out/icon_default.ico"
make_icon '#4fb06a' '#1c5a2e' 'R' "$out/icon_rulo.ico"
make_icon '#f0a030' '#8a4a08' 'T' "$out/icon_test.ico"
make_icon '#d0455a' '#6a1424' 'M' "$out/icon_match.ico"

# --- the archive --------------------------------------------------------------------
# Only the uninstaller's layout and its images; fixed times and order, no extra fields.
images=(uninst_bk_1.png uninst_bk_2.png uninst_bk_3.png henxin_uninstall_bk.png henxin_uninstall.png
        cancel_uninstall_bk.png cancel_uninstall_hover.png check.png bar.png)
cp "$here/uninstall.xml" "$tmp/uninstall.xml"
for f in "${images[@]}"; do cp "$out/$f" "$tmp/$f"; done
(cd "$tmp" && TZ=UTC touch -t 202001010000 uninstall.xml "${images[@]}" \
  && rm -f skin.zip && TZ=UTC zip -q -X -D -9 skin.zip uninstall.xml "${images[@]}")
mv "$tmp/skin.zip" "$out/skin.zip"
