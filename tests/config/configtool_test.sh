#!/bin/bash
# configtool end to end on real files: encrypt, decrypt, show, usage and errors.
# Usage: configtool_test.sh host|win CONFIGTOOL
# "win" runs the Windows configtool.exe under wine64 with Windows paths.
set -u
mode=$1
tool=$2
failures=0
passes=0

work=$(mktemp -d "${TMPDIR:-/tmp}/configtool-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ "$mode" = win ]; then
  . "$UNINST_SOURCE_DIR/tests/support/wine-env"
  uninst_wine_env
  # Windows path of a Linux path (drive Z: maps the root).
  winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
  run() { wine64 "$tool" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
else
  winpath() { printf '%s' "$1"; }
  run() { "$tool" "$@"; }
fi

check() {  # name, condition result (0 = pass)
  if [ "$2" -eq 0 ]; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    echo "FAIL: $1" >&2
  fi
}

expect_status() {  # name, expected, actual
  [ "$2" = "$3" ]; check "$1 (exit status $3, expected $2)" $?
}

# --- encrypt and decrypt ---------------------------------------------------------
cat >"$work/platform.src.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<root Internet=" wan " platform="pf" channel_id="4096">
  <template>
    <platform>
      <register_key>HKEY_LOCAL_MACHINE\Software\Game</register_key>
      <pcdn_root_url>http://cdn.test</pcdn_root_url>
      <lnk_name>游戏</lnk_name>
    </platform>
    <log><stat_log_url>http://stat.test/log</stat_log_url></log>
  </template>
  <ch_4096><platform><pcdn_root_url>http://channel.test</pcdn_root_url></platform></ch_4096>
</root>
XML
printf '[Channel]\r\nsub_channel_id = 0x2000\r\nad_id = 123456789012\r\n' >"$work/channel.src.ini"
mkdir -p "$work/install"

run encrypt "$(winpath "$work/platform.src.xml")" "$(winpath "$work/install/platform.xml")" >/dev/null
expect_status "encrypt platform.xml" 0 $?
run encrypt "$(winpath "$work/channel.src.ini")" "$(winpath "$work/install/platform_exm.ini")" >/dev/null
expect_status "encrypt platform_exm.ini" 0 $?

size=$(stat -c %s "$work/install/platform.xml")
[ $((size % 8)) -eq 0 ] && [ "$size" -ge "$(stat -c %s "$work/platform.src.xml")" ]
check "encrypted size is whole blocks ($size)" $?
! grep -q 'pcdn_root_url' "$work/install/platform.xml"
check "encrypted file does not hold the text" $?

run decrypt "$(winpath "$work/install/platform.xml")" "$(winpath "$work/round.xml")" >/dev/null
expect_status "decrypt" 0 $?
cmp -s "$work/platform.src.xml" "$work/round.xml"
check "decrypt gives back the exact text" $?

# A file encrypted by the known answer: "0123456789abcdef".
printf '\x69\x00\x4f\xed\x37\xc3\x4c\x17\x85\x11\x14\x19\x0f\x87\x47\xcd' >"$work/known.bin"
run decrypt "$(winpath "$work/known.bin")" "$(winpath "$work/known.txt")" >/dev/null
[ "$(cat "$work/known.txt")" = "0123456789abcdef" ]
check "decrypt of the known answer" $?

# --- show ------------------------------------------------------------------------
out=$(run show "$(winpath "$work/install")" 2>"$work/show.err")
expect_status "show" 0 $?
expected_head="register_key=HKEY_LOCAL_MACHINE\\Software\\Game
internet=wan
platform_name=pf
channel_id=2
sub_channel_id=8192
ad_id=123456789012
platform.register_key=HKEY_LOCAL_MACHINE\\Software\\Game
platform.lnk_name=游戏"
[ "$(printf '%s\n' "$out" | head -n 8)" = "$expected_head" ]
check "show prints the scalars first, then the tables in order" $?
printf '%s\n' "$out" | grep -qx 'platform.pcdn_root_url=http://channel.test'
check "show: channel profile wins" $?
printf '%s\n' "$out" | grep -qx 'log.stat_log_url=http://stat.test/log'
check "show: log table" $?
printf '%s\n' "$out" | grep -qx 'launcher.check_level=3'
check "show: defaults" $?
[ "$(printf '%s\n' "$out" | wc -l)" -eq $((6 + 16 + 4 + 3 * 10)) ]
check "show prints one line per setting" $?
[ ! -s "$work/show.err" ]
check "show of a clean configuration is silent on stderr" $?

# A plain platform.xml (forgotten encryption) loads nothing and says so.
mkdir -p "$work/plain"
cp "$work/platform.src.xml" "$work/plain/platform.xml"
out=$(run show "$(winpath "$work/plain")" 2>"$work/plain.err")
expect_status "show of a plain platform.xml" 1 $?
grep -q 'well-formed XML' "$work/plain.err"
check "show explains the plain file" $?
printf '%s\n' "$out" | grep -qx 'platform_name='
check "show of a plain file still lists the defaults" $?

# wan without a channel file.
mkdir -p "$work/nochannel"
cp "$work/install/platform.xml" "$work/nochannel/"
run show "$(winpath "$work/nochannel")" >/dev/null 2>"$work/nochannel.err"
expect_status "show of wan without channel INI" 1 $?
grep -q 'platform_exm.ini' "$work/nochannel.err"
check "show names the channel files" $?

# --- errors ----------------------------------------------------------------------
mkdir -p "$work/empty"
run show "$(winpath "$work/empty")" >/dev/null 2>"$work/empty.err"
expect_status "show of a folder without platform.xml" 1 $?
grep -q 'no platform.xml' "$work/empty.err"
check "show says platform.xml is missing" $?

run encrypt "$(winpath "$work/absent.xml")" "$(winpath "$work/out.bin")" >/dev/null 2>"$work/absent.err"
expect_status "encrypt of a missing input" 1 $?
grep -q 'cannot open' "$work/absent.err" && [ ! -e "$work/out.bin" ]
check "missing input: a clear error and no output" $?

run decrypt "$(winpath "$work")" "$(winpath "$work/out.bin")" >/dev/null 2>"$work/dir.err"
status=$?
[ "$status" = 1 ]
check "decrypt of a folder fails cleanly (status $status)" $?

run encrypt "$(winpath "$work/platform.src.xml")" "$(winpath "$work/no/such/dir/out.bin")" >/dev/null 2>"$work/out.err"
expect_status "encrypt into a missing folder" 1 $?
grep -q 'cannot create' "$work/out.err"
check "unwritable output: a clear error" $?

run >/dev/null 2>"$work/usage.err"
expect_status "no arguments" 2 $?
grep -q '^usage: configtool encrypt IN OUT' "$work/usage.err"
check "usage on stderr" $?
run frobnicate x >/dev/null 2>&1
expect_status "unknown command" 2 $?
run encrypt onlyone >/dev/null 2>&1
expect_status "missing argument" 2 $?
run --help >"$work/help.out" 2>&1
expect_status "--help" 0 $?
grep -q 'configtool show DIR' "$work/help.out"
check "--help prints usage" $?

echo "configtool: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
