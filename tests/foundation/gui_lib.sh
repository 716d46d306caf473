# Helpers for the foundation's script tests under wine64 on Xvfb (bash, sourced).
# Every wait polls for a state; the test's own ctest timeout ends a hang.
set -euo pipefail
. "$UNINST_SOURCE_DIR/tests/support/wine-env"
uninst_wine_env
export WINEDEBUG=-all
export LC_ALL=zh_CN.UTF-8
# The message boxes' texts come out of Wine's msgbox trace channel.
MSGBOX_DEBUG=-all,trace+msgbox

fail() { echo "FAIL: $*" >&2; exit 1; }

# Programs started here are ended when the test ends, also on failure (a box
# left open would otherwise keep its process waiting).
bg_list=$(mktemp)
end_started() {
  local pid
  for pid in $(cat "$bg_list"); do kill "$pid" 2>/dev/null || true; done
  rm -f "$bg_list"
}
trap end_started EXIT

xdo() { LC_ALL=C.UTF-8 xdotool "$@"; }

# Visible top-level windows, one "id<TAB>name" line each.
list_windows() {
  local w
  for w in $(xdo search --onlyvisible --name . 2>/dev/null || true); do
    printf '%s\t%s\n' "$w" "$(xdo getwindowname "$w" 2>/dev/null || true)"
  done
}

# Ids of visible windows titled exactly $1.
windows_named() { list_windows | awk -F '\t' -v n="$1" '$2 == n { print $1 }'; }

# Waits for a visible window titled $1 that is not among the ids in $2 (a
# space-separated list) and prints its id.
wait_new_window() {
  local name=$1 known=" ${2:-} " w
  while :; do
    for w in $(windows_named "$name"); do
      case "$known" in *" $w "*) ;; *) echo "$w"; return 0 ;; esac
    done
    sleep 0.2
  done
}

# Presses Return in window $1 (there is no window manager: focus it directly).
press_return() {
  xdo windowfocus --sync "$1"
  xdo key --clearmodifiers Return
}

# Waits until the file $1 exists.
wait_file() { while [ ! -e "$1" ]; do sleep 0.2; done; }

# Starts a Windows program in the background; its exit code lands in $1.rc.
# Usage: start_bg NAME [VAR=value...] -- program args...
start_bg() {
  local tag=$1; shift
  local envs=()
  while [ "$1" != "--" ]; do envs+=("$1"); shift; done
  shift
  # The wine64 process id is the Windows process's own, for kill_bg.
  ( env "${envs[@]}" /usr/lib/wine/wine64 "$@" >"$tag.out" 2>&1 &
    echo $! >"$tag.pid"
    echo $! >>"$bg_list"
    wait $! && echo 0 >"$tag.rc" || echo $? >"$tag.rc" ) &
  wait_file "$tag.pid"
}

# Ends a program that start_bg started.
kill_bg() { kill "$(cat "$1.pid")" 2>/dev/null || true; }

# Waits for the background program $1 and prints its exit code.
exit_code_of() { wait_file "$1.rc"; cat "$1.rc"; }

# Wine's trace form of a UTF-16 string: non-ASCII as \xxxx.
wine_debugstr() {
  python3 -c 'import sys; print("L\"" + "".join(c if 32 <= ord(c) < 127 else "\\%04x" % ord(c) for c in sys.argv[1]) + "\"")' "$1"
}

# Succeeds when the program's trace ($1.out) shows a message box with text $2.
shown_text() { grep -aF "MSGBOX_OnInit $(wine_debugstr "$2")" "$1.out" >/dev/null; }
