#!/usr/bin/env bash
# The crash handler under Wine: a crash on a worker thread (an access violation,
# or a C++ exception that nothing catches) writes core.dmp into the current
# directory, naming that thread, replaces an older dump, and shows the box
# "Error" captioned "error"; without a dump file the box still comes.
. "$UNINST_SOURCE_DIR/tests/foundation/gui_lib.sh"

probe="$UNINST_BINARY_DIR/foundation-tests/crash_probe.exe"
work=$(mktemp -d "$UNINST_WINE_ROOT/crash.XXXXXX")

# Prints "<thread id> <exception code>" from a minidump's exception stream.
dump_exception() {
  python3 - "$1" <<'PY'
import struct, sys
d = open(sys.argv[1], "rb").read()
sig, _, count, rva = struct.unpack_from("<4sIII", d, 0)
assert sig == b"MDMP", "not a minidump"
for i in range(count):
    kind, _, at = struct.unpack_from("<III", d, rva + 12 * i)
    if kind == 6:  # ExceptionStream: ThreadId, alignment, ExceptionRecord.ExceptionCode
        print(struct.unpack_from("<I", d, at)[0], "%x" % struct.unpack_from("<I", d, at + 8)[0])
        break
else:
    sys.exit("no exception stream")
PY
}

# Runs the probe in mode $1 in folder $2, closes the crash box, prints the exit code.
crash_in() {
  local mode=$1 dir=$2
  ( cd "$dir" && start_bg probe -- "$probe" "$mode" tid.txt )
  local box=
  while [ -z "$box" ]; do
    [ ! -e "$dir/probe.rc" ] || fail "$mode: the process ended (code $(cat "$dir/probe.rc")) without the crash box"
    box=$(windows_named error | head -n 1)
    [ -n "$box" ] || sleep 0.2
  done
  [ "$(windows_named error | wc -l)" = 1 ] || fail "more than one crash box"
  press_return "$box"
  exit_code_of "$dir/probe"
}

for mode in av cpp; do
  echo "== $mode on a worker thread, over an older, larger core.dmp"
  dir="$work/$mode"
  mkdir -p "$dir"
  head -c 4000000 /dev/zero | tr '\0' 'Z' >"$dir/core.dmp"
  rc=$(crash_in "$mode" "$dir")
  [ "$rc" != 0 ] || fail "$mode: the process ended with 0 after a crash"
  [ -f "$dir/core.dmp" ] || fail "$mode: no core.dmp"
  size=$(stat -c %s "$dir/core.dmp")
  [ "$size" -lt 4000000 ] || fail "$mode: core.dmp was not replaced ($size bytes)"
  ! grep -q ZZZZZZZZZZZZZZZZ "$dir/core.dmp" || fail "$mode: old content left in core.dmp"
  read -r thread code < <(dump_exception "$dir/core.dmp")
  [ "$thread" = "$(tr -d '\r\n' <"$dir/tid.txt")" ] || fail "$mode: dump names thread $thread, not the worker $(cat "$dir/tid.txt")"
  case $mode in
    av) [ "$code" = c0000005 ] || fail "av: exception code $code" ;;
    cpp) [ "$code" = e0435858 ] || fail "cpp: exception code $code (the uncaught C++ exception did not reach the handler)" ;;
  esac
done

echo "== core.dmp cannot be created"
dir="$work/blocked"
mkdir -p "$dir/core.dmp"
rc=$(crash_in av "$dir")
[ "$rc" != 0 ] || fail "blocked: exit code 0 after a crash"
[ -d "$dir/core.dmp" ] && [ -z "$(ls -A "$dir/core.dmp")" ] || fail "blocked: core.dmp changed"

rm -rf "$work"
echo PASS
