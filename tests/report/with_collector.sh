#!/usr/bin/env bash
# Runs a test program with a report collector (tests/support/collector.py)
# listening on 127.0.0.1. A program whose name ends in .exe runs under wine64.
#
#   with_collector.sh PROGRAM [ARGS...]
#
# The program finds the collector through the environment, in its own path form
# (Windows paths for a Windows program):
#   UNINST_COLLECTOR_URL          http://127.0.0.1:PORT
#   UNINST_COLLECTOR_LOG          the JSON-lines log of received requests
#   UNINST_COLLECTOR_STATUS_FILE  write 200, 404, 500 or "never" here to change the answer
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
source_dir=${UNINST_SOURCE_DIR:-$(cd "$here/../.." && pwd)}

work=$(mktemp -d "${TMPDIR:-/tmp}/report-collector.XXXXXX")
collector_pid=
cleanup() {
  if [ -n "$collector_pid" ]; then
    kill "$collector_pid" 2>/dev/null || true
    wait "$collector_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$source_dir/tests/support/collector.py" --port-file "$work/port" --log "$work/log.jsonl" \
  --status-file "$work/status" &
collector_pid=$!
until [ -s "$work/port" ]; do
  kill -0 "$collector_pid" 2>/dev/null || { echo "collector did not start" >&2; exit 1; }
  sleep 0.1
done
export UNINST_COLLECTOR_URL="http://127.0.0.1:$(cat "$work/port")"

program=$1
shift
case "$program" in
  *.exe)
    # Wine maps the Unix root to drive Z:.
    export UNINST_COLLECTOR_LOG="Z:${work//\//\\}\\log.jsonl"
    export UNINST_COLLECTOR_STATUS_FILE="Z:${work//\//\\}\\status"
    "$source_dir/tests/support/wine-run" "$program" "$@"
    ;;
  *)
    export UNINST_COLLECTOR_LOG="$work/log.jsonl"
    export UNINST_COLLECTOR_STATUS_FILE="$work/status"
    "$program" "$@"
    ;;
esac
