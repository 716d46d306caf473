#!/usr/bin/env bash
# Links and read-only entries under Wine, prepared from the Linux side: a
# directory link inside the tree that points to a folder outside it is listed
# but never entered, and remove_all leaves everything outside alone; read-only
# files and folders are removed.
set -euo pipefail
. "$UNINST_SOURCE_DIR/tests/support/wine-env"
uninst_wine_env
export WINEDEBUG=-all
probe() { /usr/lib/wine/wine64 "$UNINST_BINARY_DIR/foundation-tests/fs_probe.exe" "$@" | tr -d '\r'; }
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d "$UNINST_WINE_ROOT/links.XXXXXX")
outside="$work/outside"
tree="$work/tree"
mkdir -p "$outside/deep" "$tree/sub"
echo precious >"$outside/precious.txt"
echo deeper >"$outside/deep/deeper.txt"
echo own >"$tree/sub/own.txt"
echo ro >"$tree/readonly.txt"
mkdir -p "$tree/rodir"
echo inside >"$tree/rodir/inside.txt"
ln -s "$outside" "$tree/sub/dirlink"
# No file link here: Wine 8 shows a Unix symbolic link to a file as a plain
# file (no reparse point) and DeleteFileW on it deletes the target, which no
# Win32 program can tell apart. Windows marks and deletes such a link as a link.
win() { /usr/lib/wine/wine64 winepath -w "$1" 2>/dev/null | tr -d '\r'; }
wtree=$(win "$tree")

echo "== the link shows as a directory reparse point"
attrib=$(probe attrib "$wtree\\sub\\dirlink")
(( (0x${attrib#attrib } & 0x410) == 0x410 )) || fail "dirlink attributes $attrib"

echo "== listing shows the link, nothing from its target"
listing=$(probe list "$wtree")
printf '%s\n' "$listing"
grep -qxF "D $wtree\\sub\\dirlink" <<<"$listing" || fail "the directory link is not listed among the directories"
! grep -q 'precious\|deeper\|dirlink\\' <<<"$listing" || fail "listing entered the link"

echo "== read-only file and folder (Wine shows missing write permission as read-only)"
chmod a-w "$tree/readonly.txt" "$tree/rodir/inside.txt" "$tree/rodir"
for p in readonly.txt rodir rodir\\inside.txt; do
  a=$(probe attrib "$wtree\\$p")
  (( 0x${a#attrib } & 0x1 )) || fail "$p is not read-only ($a)"
done

echo "== remove_all"
result=$(probe remove "$wtree")
echo "$result"
# Windows removes a directory link as a link; Wine 8 cannot remove a Unix
# symbolic link to a folder through Win32 at all (it answers "directory not
# empty" about the target). There the link and its folders stay, remove_all
# reports the failure, and everything else is gone.
if [ "$result" = "removed 1" ]; then
  [ ! -e "$tree" ] && [ ! -L "$tree" ] || fail "remove_all reported success, but: $(ls -laR "$tree")"
else
  [ "$result" = "removed 0" ] || fail "unexpected answer: $result"
  left=$(cd "$tree" && find . | sort | tr '\n' ' ')
  [ "$left" = ". ./sub ./sub/dirlink " ] || fail "left behind: $left"
  [ -L "$tree/sub/dirlink" ] || fail "the link is no longer a link"
fi
[ "$(cat "$outside/precious.txt")" = precious ] || fail "a file outside the tree was lost"
[ "$(cat "$outside/deep/deeper.txt")" = deeper ] || fail "a folder outside the tree was lost"

rm -rf "$work"
echo PASS
