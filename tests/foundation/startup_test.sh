#!/usr/bin/env bash
# Start-up guard of the real uninstaller under Wine: a second instance and a
# running launcher are refused with their boxes and exit code 0; a launcher
# name in other letter case is not recognised.
. "$UNINST_SOURCE_DIR/tests/foundation/gui_lib.sh"

work=$(mktemp -d "$UNINST_WINE_ROOT/startup.XXXXXX")
cd "$work"
bin=$UNINST_BINARY_DIR
mkdir app launcher other
cp "$bin/uninstaller.exe" app/
cp "$bin/foundation-tests/waiter.exe" launcher/QXlauncher.exe
cp "$bin/foundation-tests/waiter.exe" other/qxlauncher.exe
cp "$bin/foundation-tests/waiter.exe" holder.exe
caption="提示"
already="卸载程序已经运行中"
launcher_text="QXlauncher正在运行中，无法卸载"
[ -z "$(windows_named "$caption")" ] || fail "a box is open before the test"

echo "== another process holds the single-instance mutex"
start_bg holder -- holder.exe stop-holder kestrow_varn2
wait_file stop-holder.ready
start_bg second WINEDEBUG=$MSGBOX_DEBUG -- app/uninstaller.exe
box=$(wait_new_window "$caption")
press_return "$box"
[ "$(exit_code_of second)" = 0 ] || fail "refused instance exit code $(cat second.rc)"
shown_text second "$already" || fail "second instance showed no '$already' box"
touch stop-holder
[ "$(exit_code_of holder)" = 0 ] || fail "mutex holder"

echo "== the launcher runs; a second uninstaller meanwhile is refused as a second instance"
start_bg launcher -- launcher/QXlauncher.exe stop-launcher
wait_file stop-launcher.ready
start_bg first WINEDEBUG=$MSGBOX_DEBUG -- app/uninstaller.exe
box1=$(wait_new_window "$caption")
start_bg again WINEDEBUG=$MSGBOX_DEBUG -- app/uninstaller.exe
box2=$(wait_new_window "$caption" "$box1")
press_return "$box2"
[ "$(exit_code_of again)" = 0 ] || fail "second uninstaller exit code $(cat again.rc)"
shown_text again "$already" || fail "second uninstaller showed no '$already' box"
[ ! -e first.rc ] || fail "the first uninstaller ended with the second one"
press_return "$box1"
[ "$(exit_code_of first)" = 0 ] || fail "launcher refusal exit code $(cat first.rc)"
shown_text first "$launcher_text" || fail "no '$launcher_text' box"
touch stop-launcher
[ "$(exit_code_of launcher)" = 0 ] || fail "launcher stand-in"

echo "== a launcher name in other letter case is not the launcher"
start_bg other -- other/qxlauncher.exe stop-other
wait_file stop-other.ready
start_bg third WINEDEBUG=$MSGBOX_DEBUG -- app/uninstaller.exe
# Start-up either ends or reaches its window; no refusal box comes first.
while [ ! -e third.rc ]; do
  [ -z "$(windows_named "$caption")" ] || fail "start-up refused with a box"
  [ -z "$(windows_named "铁砧行动2卸载向导")" ] || break
  sleep 0.2
done
if [ -e third.rc ]; then
  [ "$(cat third.rc)" = 0 ] || fail "start-up exit code $(cat third.rc)"
else
  # The wizard is up: the guard let it through. End this uninstaller.
  kill_bg third
  exit_code_of third >/dev/null
fi
! grep -a -q MSGBOX_OnInit third.out || fail "start-up showed a message box"
touch stop-other
[ "$(exit_code_of other)" = 0 ] || fail "lower-case stand-in"

cd / && rm -rf "$work"
echo PASS
