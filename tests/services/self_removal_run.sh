#!/usr/bin/env bash
# Runs the real self-removal script in Wine's cmd: a probe standing in for
# uninstaller.exe launches it from game folders with hostile names, beside decoy
# folders that a badly quoted command would hit. Only uninstaller.exe and, when
# allowed, the game folder may disappear; the script must be gone at the end.
#
#   self_removal_run.sh <removal probe .exe>
set -u
probe=$1
. "$UNINST_SOURCE_DIR/tests/support/wine-env"
uninst_wine_env || exit 1

drive="$WINEPREFIX/drive_c"
base="$drive/svc-run"
rm -rf "$base"
mkdir -p "$base"
failures=0

fail() {
  echo "FAIL [$case_id]: $*"
  failures=$((failures + 1))
}
expect_present() { [ -e "$1" ] || [ -L "$1" ] || fail "missing: ${1#$drive/}"; }
expect_absent() { [ -e "$1" ] || [ -L "$1" ] && fail "still there: ${1#$drive/}"; return 0; }

# A folder that a faulty command could empty or remove.
make_decoy() {
  mkdir -p "$1"
  echo decoy >"$1/uninstaller.exe"
  echo decoy >"$1/keep.txt"
}

# run_case ID NAME FLAG HOLD "PARENT DECOYS" "WORKING-FOLDER DECOYS" (decoy lists are |-separated)
run_case() {
  case_id=$1
  local name=$2 flag=$3 hold=$4 parent_decoys=$5 cwd_decoys=$6
  local root="$base/$case_id"
  games="$root/games"
  tmp="$root/tmp"
  game="$games/$name"
  mkdir -p "$game/sub" "$tmp"
  cp "$probe" "$game/uninstaller.exe"
  echo data >"$game/data.txt"
  echo res >"$game/sub/res.pak"
  local d
  IFS='|' read -r -a decoys <<<"$parent_decoys"
  for d in "${decoys[@]}"; do [ -n "$d" ] && make_decoy "$games/$d"; done
  IFS='|' read -r -a decoys <<<"$cwd_decoys"
  for d in "${decoys[@]}"; do [ -n "$d" ] && make_decoy "$tmp/$d"; done

  local win_game="C:\\svc-run\\$case_id\\games\\$name"
  local win_tmp="C:\\svc-run\\$case_id\\tmp"
  if [ "$hold" = hold ]; then
    wine64 "$win_game\\uninstaller.exe" "$win_tmp" "$flag" hold
  else
    wine64 "$win_game\\uninstaller.exe" "$win_tmp" "$flag"
  fi
  local rc=$?
  [ $rc -eq 0 ] || fail "probe exit code $rc (3: the script never waited for the running uninstaller)"
  # Every process of the prefix, the hidden cmd running the script included, has ended.
  wineserver -w

  expect_absent "$tmp/DeleteBat.bat"
  IFS='|' read -r -a decoys <<<"$parent_decoys"
  for d in "${decoys[@]}"; do
    [ -n "$d" ] || continue
    expect_present "$games/$d/uninstaller.exe"
    expect_present "$games/$d/keep.txt"
  done
  IFS='|' read -r -a decoys <<<"$cwd_decoys"
  for d in "${decoys[@]}"; do
    [ -n "$d" ] || continue
    expect_present "$tmp/$d/uninstaller.exe"
    expect_present "$tmp/$d/keep.txt"
  done
}

# The folder goes with everything in it.
expect_folder_removed() {
  expect_absent "$game"
  expect_present "$games"
}
# Only uninstaller.exe goes.
expect_folder_kept() {
  expect_absent "$game/uninstaller.exe"
  expect_present "$game/data.txt"
  expect_present "$game/sub/res.pak"
}

# Hostile names: what an unquoted or unescaped command would act on instead.
run_case spaces "x y" 1 - "x" "x|y"
expect_folder_removed
run_case ampersand "A&B" 1 - "A" "B"
expect_folder_removed
run_case caret "c^d" 1 - "cd" ""
expect_folder_removed
run_case percent "p%OS%q" 1 - "pWindows_NTq|p" "q"
expect_folder_removed
run_case percent-pair "100%tries%x" 1 - "1000x|100x|100" ""
expect_folder_removed
run_case bang "e!x!f" 1 - "ef|e" "f"
expect_folder_removed
run_case parens "g (1)" 1 - "g" "(1)|1"
expect_folder_removed
run_case separators "h;i,j=k" 1 - "h" "i|j|k"
expect_folder_removed
run_case chinese "铁砧 行动" 1 - "铁砧" "行动"
expect_folder_removed

# The user kept resources: the folder and its content stay.
run_case kept "keep me" 0 - "keep" "me"
expect_folder_kept

# A link inside the folder pointing outside: what it points to survives.
outside="$base/outside"
mkdir -p "$outside/inner"
echo precious >"$outside/precious.txt"
echo precious >"$outside/inner/deep.txt"
mkdir -p "$base/link/games/linked/sub"
ln -s "$outside" "$base/link/games/linked/sub/outlink"
run_case link "linked" 1 - "" ""
expect_present "$outside/precious.txt"
expect_present "$outside/inner/deep.txt"
expect_absent "$game/uninstaller.exe"

# The uninstaller still runs when the script starts: it goes once it has ended.
run_case running "still running" 1 hold "still" "running"
expect_folder_removed

# A folder name the ANSI code page (936) cannot spell: the script deletes only itself.
run_case unspellable "ก game" 1 - "" "game"
expect_present "$game/uninstaller.exe"
expect_present "$game/data.txt"

# A name that best-fit mapping would turn into its sibling's ("²" into "2").
run_case bestfit "Game²" 1 - "Game2" ""
expect_present "$game/uninstaller.exe"
expect_present "$game/data.txt"

if [ $failures -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
rm -rf "$base"
echo "all self-removal runs passed"
