#!/usr/bin/env bash
# GUI tests of the skin UI's Windows layer, under wine64 on Xvfb, with real
# mouse and keys from xdotool.
#
# ui_probe.exe shows tests/ui_win/test_layout.xml from its own skin archive
# (ZIPRES 103) and logs what its window receives; wizard_probe.exe shows the
# real uninstall.xml from the real archive. Pixels are read from the probe
# window's own dump (xwd -id), which keeps the per-pixel alpha that the
# layered window was given. Screenshots are kept in ui_win-artefacts/ of the
# build tree. Every wait polls for a state; nothing sleeps and hopes.
set -euo pipefail

. "$UNINST_SOURCE_DIR/tests/support/wine-env"
uninst_wine_env
probes="$UNINST_BINARY_DIR/ui_win-tests"
artefacts="$UNINST_BINARY_DIR/ui_win-artefacts"
pixels="$UNINST_SOURCE_DIR/tests/ui_win/xwd_pixels.py"
mkdir -p "$artefacts"
work=$(mktemp -d)
title="界面测试窗口"

x() { LC_ALL=C.UTF-8 "$@"; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Colours of the test skin (AARRGGBB as the window holds them).
transparent=00000000 panel=FF336699 blue=FF0000FF red=FFFF0000 green=FF00FF00 yellow=FFFFFF00

probe_pid="" probe_log="" win="" wx=0 wy=0 ww=0 wh=0

cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# start_probe EXE NAME ARGS...: starts a probe (its log is $work/NAME.log).
start_probe() {
  local exe=$1 name=$2
  shift 2
  probe_log="$work/$name.log"
  : >"$probe_log"
  /usr/lib/wine/wine64 "$probes/$exe" "$(winpath "$probe_log")" "$@" &
  probe_pid=$!
}

# find_window NAME: the one visible X window with that title (polls).
find_window() {
  local w
  while :; do
    for w in $(x xdotool search --onlyvisible --name . 2>/dev/null); do
      if [ "$(x xdotool getwindowname "$w" 2>/dev/null)" = "$1" ]; then
        echo "$w"
        return 0
      fi
    done
    probe_alive || { echo "find_window: the probe ended before showing '$1'" >&2; return 1; }
    sleep 0.1
  done
}

# Reads the probe window's geometry into wx wy ww wh.
geometry() {
  eval "$(x xdotool getwindowgeometry --shell "$win" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/g_\1=/p')"
  wx=$g_X wy=$g_Y ww=$g_WIDTH wh=$g_HEIGHT
}

probe_alive() { [ -n "$probe_pid" ] && kill -0 "$probe_pid" 2>/dev/null; }

# wait_log LINE: polls until the probe has logged exactly that line.
wait_log() {
  until grep -qxF "$1" "$probe_log"; do
    if ! probe_alive && ! grep -qxF "$1" "$probe_log"; then
      echo "wait_log: the probe ended without logging '$1'; log:" >&2
      cat "$probe_log" >&2
      return 1
    fi
    sleep 0.1
  done
}

log_count() { grep -cxF "$1" "$probe_log" || true; }

dump() { x xwd -id "$win" -silent >"$work/dump.xwd"; }
px() { python3 "$pixels" "$work/dump.xwd" px "$1" "$2"; }
count() { python3 "$pixels" "$work/dump.xwd" count "$@"; }

# wait_px X Y COLOUR: polls the window until the pixel (window coordinates) has the colour.
wait_px() {
  local tries=0
  while :; do
    dump
    [ "$(px "$1" "$2")" = "$3" ] && return 0
    tries=$((tries + 1))
    # Says once what it waits for, so that a hung run shows where it stands.
    [ "$tries" -eq 200 ] && echo "wait_px: still waiting for $3 at $1,$2 (now $(px "$1" "$2"))" >&2
    sleep 0.05
  done
}

# Mouse actions at window coordinates.
move() { x xdotool mousemove $((wx + $1)) $((wy + $2)); }
click_at() { x xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; }
drag() { # drag X Y DX DY
  x xdotool mousemove $((wx + $1)) $((wy + $2)) mousedown 1
  x xdotool mousemove $((wx + $1 + $3 / 2)) $((wy + $2 + $4 / 2))
  x xdotool mousemove $((wx + $1 + $3)) $((wy + $2 + $4)) mouseup 1
}

# The probe has handled everything sent so far once it logs the click that
# follows: X delivers input in order. Clicks the check box and waits for it.
sync_input() {
  local n
  n=$(log_count "click chk")
  click_at 210 60
  until [ "$(log_count "click chk")" -gt "$n" ]; do sleep 0.05; done
}

stop_probe() {
  if probe_alive; then kill "$probe_pid" 2>/dev/null || true; fi
  wait "$probe_pid" 2>/dev/null || true
  probe_pid=""
}

failures=0
check() { # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok - $what"
  else
    echo "not ok - $what" >&2
    failures=$((failures + 1))
  fi
}
eq() { [ "$1" = "$2" ] || { echo "  expected $2, got $1" >&2; return 1; }; }
ge() { [ "$1" -ge "$2" ] || { echo "  expected at least $2, got $1" >&2; return 1; }; }

# ---- 1. layered window: transparent where nothing is drawn, opaque images and text ----
start_probe ui_probe.exe layered --backdrop ff00ff
win=$(find_window "$title")
wait_log "windowinit root"
geometry
check "window takes the layout's size 400x300" eq "${ww}x${wh}" "400x300"
wait_px 30 30 "$panel"
python3 "$pixels" "$work/dump.xwd" png "$artefacts/test-window.png" 808080
x xwd -root -silent | convert xwd:- -crop "$((ww + 40))x$((wh + 40))+$((wx - 20))+$((wy - 20))" +repage \
  "$artefacts/test-window-screen.png"
check "margin without image is fully transparent" eq "$(px 5 5)" "$transparent"
check "corner pixel is fully transparent" eq "$(px 399 299)" "$transparent"
check "page image is opaque" eq "$(px 30 30)" "$panel"
check "button image (no alpha) is copied opaque" eq "$(px 100 60)" "$blue"
check "progress fill covers half of the bar" eq "$(px 60 205):$(px 185 205):$(px 195 205)" "$yellow:$yellow:$panel"
check "unchecked check box shows the page" eq "$(px 210 60)" "$panel"
# GDI text: white text on the page; yellow text over the transparent margin
# becomes opaque where the glyphs are and stays transparent between them.
check "label text is drawn opaque in its colour" ge "$(count 40 120 340 150 FFFFFFFF 40)" 100
check "text over the transparent margin is opaque" ge "$(count 30 281 330 300 FFFFFF00 40)" 200
check "margin between the glyphs stays transparent" ge "$(count 30 281 330 300 "$transparent")" 200

# ---- 2. hover shows the hot image, pressing hides it, release outside sends no click ----
move 100 60
wait_px 100 60 "$red"
check "hover shows the hot image" eq "$(px 100 60)" "$red"
wait_log "mouseenter btn"
x xdotool mousedown 1
wait_px 100 60 "$blue"
check "pressing hides the hot image" eq "$(px 100 60)" "$blue"
move 300 250
x xdotool mouseup 1
sync_input
check "press on the button and release outside sends no click" eq "$(log_count "click btn")" 0
click_at 100 60
wait_log "click btn"
check "a full click on the button sends one click" eq "$(log_count "click btn")" 1

# Check box: "click" first (the old state), then "selectchanged", then the
# mark. sync_input has clicked it before, so its state follows the number of
# "selectchanged" lines: odd means ticked.
chk_colour() { if [ $(($(log_count "selectchanged chk") % 2)) -eq 1 ]; then echo "$green"; else echo "$panel"; fi; }
wait_px 210 60 "$(chk_colour)"
n_sel=$(log_count "selectchanged chk")
click_at 210 60
until [ "$(log_count "selectchanged chk")" -gt "$n_sel" ]; do sleep 0.05; done
wait_px 210 60 "$(chk_colour)"
last_two=$(grep -E '^(click|selectchanged) chk$' "$probe_log" | tail -2 | tr '\n' '|')
check "check box sends click before selectchanged" eq "$last_two" "click chk|selectchanged chk|"
before=$(px 210 60)
click_at 210 60
wait_px 210 60 "$([ "$before" = "$green" ] && echo "$panel" || echo "$green")"
check "each click flips the check mark" eq "$(px 210 60)" "$(chk_colour)"

# ---- 3. dragging the background or a label moves the window; buttons and check boxes do not ----
geometry
x0=$wx y0=$wy
drag 300 250 60 40
until geometry && [ "$wx,$wy" = "$((x0 + 60)),$((y0 + 40))" ]; do sleep 0.05; done
check "dragging the background moves the window" eq "$wx,$wy" "$((x0 + 60)),$((y0 + 40))"
x0=$wx y0=$wy
drag 60 135 -30 -20
until geometry && [ "$wx,$wy" = "$((x0 - 30)),$((y0 - 20))" ]; do sleep 0.05; done
check "dragging a label moves the window" eq "$wx,$wy" "$((x0 - 30)),$((y0 - 20))"
x0=$wx y0=$wy
clicks=$(log_count "click btn")
drag 100 60 50 40
sync_input
geometry
check "dragging from a button does not move the window" eq "$wx,$wy" "$x0,$y0"
check "... and sends no click" eq "$(log_count "click btn")" "$clicks"
drag 210 60 50 40
sync_input
geometry
check "dragging from a check box does not move the window" eq "$wx,$wy" "$x0,$y0"

# ---- 4. a double click on the drag area does not maximize ----
x xdotool mousemove $((wx + 300)) $((wy + 250)) click --repeat 2 --delay 60 1
sync_input
geometry
check "double click on the background keeps size and place" eq "$wx,$wy,${ww}x$wh" "$x0,$y0,400x300"
check "... and never maximizes the window" eq "$(log_count maximized)" 0

# ---- 5. keys: Tab moves the focus and is swallowed, Return does nothing, Escape closes ----
click_at 300 250   # the window takes the keyboard focus
n_focus=$(log_count "setfocus btn")
x xdotool key Tab
until [ "$(log_count "setfocus btn")" -gt "$n_focus" ]; do sleep 0.05; done
check "Tab moves the focus to a control" ge "$(log_count "setfocus btn")" $((n_focus + 1))
x xdotool key Return
x xdotool key a
wait_log "keydown 65"
check "Tab never reaches the window's key handling" eq "$(log_count "keydown 9")" 0
check "Return leaves the window open" eq "$(log_count final)" 0
x xdotool key Escape
wait_log final
wait_log "loop end"
rc=0
wait "$probe_pid" || rc=$?
probe_pid=""
check "Escape closes the window" eq "$(log_count final)" 1
check "... and the probe ends normally" eq "$rc" 0

# ---- 6. the guard matters: without it a double click on the drag area maximizes ----
start_probe ui_probe.exe no-guard --no-dblclk-guard
win=$(find_window "$title")
wait_log "windowinit root"
geometry
x xdotool mousemove $((wx + 300)) $((wy + 250)) click --repeat 2 --delay 60 1
wait_log maximized
check "without the guard the same double click maximizes (so the check above can fail)" \
  eq "$(log_count maximized)" 1
stop_probe

# ---- 7. no layered windows in the system: an opaque window painted the ordinary way ----
start_probe ui_probe.exe opaque --no-layered --backdrop ff00ff
win=$(find_window "$title")
wait_log "windowinit root"
geometry
wait_px 100 60 "$blue"
python3 "$pixels" "$work/dump.xwd" png "$artefacts/test-window-opaque.png" 808080
check "fallback window is opaque everywhere" eq "$(px 5 5 | cut -c1-2)" FF
check "fallback window shows the page" eq "$(px 30 30)" "$panel"
check "fallback window draws the label text" ge "$(count 40 120 340 150 FFFFFFFF 40)" 100
move 100 60
wait_px 100 60 "$red"
check "fallback window repaints on hover" eq "$(px 100 60)" "$red"
stop_probe

# ---- 8. skin failures: a layout that does not build, an archive that is missing ----
start_probe ui_probe.exe failure --layout missing.xml
box=$(find_window Tessel)
x xwd -root -silent | convert xwd:- "$artefacts/skin-failure-box.png"
check "the failure box has no probe window behind it" eq "$(log_count initwindow)" 0
x xdotool windowfocus --sync "$box" key Return
rc=0
wait "$probe_pid" || rc=$?
probe_pid=""
check "after the failure box the process ends with code 1" eq "$rc" 1

start_probe ui_probe.exe no-archive --resource-id 999
win=$(find_window "$title")
check "a missing archive gives an empty window without InitWindow" eq "$(log_count initwindow)" 0
check "... and without a failure box" eq "$(x xdotool search --onlyvisible --name '^Tessel$' 2>/dev/null | wc -l)" 0
stop_probe

# ---- 9. the wizard's reasons page from the real skin archive ----
start_probe wizard_probe.exe wizard --layout uninstall.xml --backdrop 808080
win=$(find_window "$title")
wait_log "windowinit pages"
geometry
check "wizard window is 980x420" eq "${ww}x${wh}" "980x420"
while dump && [ "$(px 490 210 | cut -c1-2)" != FF ]; do sleep 0.05; done
python3 "$pixels" "$work/dump.xwd" png "$artefacts/wizard-reasons.png" 808080
check "wizard corners are transparent" eq "$(px 0 0):$(px 979 419)" "$transparent:$transparent"
check "wizard panel is opaque" eq "$(px 490 210 | cut -c1-2)$(px 30 200 | cut -c1-2)" FFFF
# The start button's hot image.
normal=$(px 480 335)
move 480 335
while dump && [ "$(px 480 335)" = "$normal" ]; do sleep 0.05; done
python3 "$pixels" "$work/dump.xwd" png "$artefacts/wizard-reasons-hover.png" 808080
check "hovering the start button changes it" eq "$([ "$(px 480 335)" != "$normal" ] && echo changed)" changed
# Ticking the first reason draws the check mark over its square.
before=$(count 84 218 99 233 FFFF9A1F 60)
click_at 91 225
while dump && [ "$(count 84 218 99 233 FFFF9A1F 60)" -le "$before" ]; do sleep 0.05; done
python3 "$pixels" "$work/dump.xwd" png "$artefacts/wizard-reasons-ticked.png" 808080
check "ticking a reason shows the check mark" ge "$(count 84 218 99 233 FFFF9A1F 60)" 5
stop_probe

# ---- 10. the wizard's progress and finish pages, as the removal worker shows them ----
start_probe wizard_probe.exe progress --layout uninstall.xml --page progress
win=$(find_window "$title")
wait_log "windowinit pages"
# The bar: 40 % of 828 pixels filled from x 82, the rest is the empty track.
while dump && [ "$(px 400 235 | cut -c1-2)" != FF ]; do sleep 0.05; done
python3 "$pixels" "$work/dump.xwd" png "$artefacts/wizard-progress.png" 808080
fill=$(px 100 235) track=$(px 600 235)
check "progress fill is drawn up to 40 %" eq "$([ "$fill" != "$track" ] && [ "$(px 410 235)" = "$fill" ] && echo ok)" ok
check "progress track stays empty past 40 %" eq "$(px 420 235)" "$track"
# The path in file_lab: light text (0xebeaea) on the dark page, left aligned.
check "current file is drawn in the label" ge "$(count 80 245 500 295 FFEBEAEA 40)" 80
check "the label text starts at the left" ge "$(count 80 245 200 295 FFEBEAEA 40)" 20
stop_probe

start_probe wizard_probe.exe finish --layout uninstall.xml --page finish
win=$(find_window "$title")
wait_log "windowinit pages"
while dump && [ "$(px 760 280 | cut -c1-2)" != FF ]; do sleep 0.05; done
python3 "$pixels" "$work/dump.xwd" png "$artefacts/wizard-finish.png" 808080
red_ok=$(count 650 258 875 302 FFD83028 60)
check "finish page shows the red OK button under btnUninstFinish" ge "$red_ok" 2000
click_at 760 280
wait_log "click btnUninstFinish"
check "a click on it reaches the window as btnUninstFinish" eq "$(log_count "click btnUninstFinish")" 1
stop_probe

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; screenshots in $artefacts" >&2
  exit 1
fi
echo "all GUI checks passed; screenshots in $artefacts"
