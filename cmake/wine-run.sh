#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh PREFIX PROGRAM [ARGS...].
# PREFIX is the Wine prefix, a folder of the build tree made on first use
# (concurrent first uses wait for one another). Wine's own diagnostics are
# silenced, so that a program's standard error is its own.
set -e
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ ! -f "$prefix/.ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  # No Mono or Gecko installers: the programs need neither.
  WINEDLLOVERRIDES="mscoree=;mshtml=" flock "$prefix.lock" sh -c \
    '[ -f "$WINEPREFIX/.ready" ] || { wineboot -i >/dev/null 2>&1 && wineserver -w && touch "$WINEPREFIX/.ready"; }'
fi
# A program whose start lost the race with a Wine server that was exiting
# ("wine client error:0: recvmsg: Connection reset by peer") never ran: it is
# started once more. Its standard error is passed on after it ends.
err=$(mktemp)
trap 'rm -f "$err"' EXIT
set +e
wine "$@" 2>"$err"
rc=$?
if [ $rc -ne 0 ] && grep -q '^wine client error' "$err"; then
  wine "$@" 2>"$err"
  rc=$?
fi
set -e
cat "$err" >&2
exit $rc
