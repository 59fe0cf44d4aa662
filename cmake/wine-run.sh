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
# A Wine server that stays two minutes after its last program: one that
# exits between two programs can drop the connection of the next one as it
# starts ("wine client error ... Connection reset by peer"). When a server
# is already running this returns at once.
wineserver -p120 >/dev/null 2>&1 || true
exec wine "$@"
