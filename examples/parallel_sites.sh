#!/bin/sh
# The main job on many sites at once, one process per site, as a regional
# study runs thousands of them: GNU parallel (Debian package parallel) starts
# as many at a time as there are cores. Each site folder holds its keyword
# files and data; the program may be started in any folder, and writes each
# site's monitoring files and page beside its keyword file.
#
#   examples/parallel_sites.sh MODEL SITE_DIR...
#
# HARJULAMPI names the program (default build/default/examples/harjulampi; it
# may be a command of several words, such as an emulator and the program),
# JOBS the number of jobs at a time (default: one per core). A site that
# fails stops the others and the script's status is not 0.
set -eu
if [ $# -lt 2 ]; then
  echo "usage: $0 MODEL SITE_DIR..." >&2
  exit 2
fi
model=$1
shift
# shellcheck disable=SC2086  # HARJULAMPI is split into its words on purpose
exec parallel --jobs "${JOBS:-100%}" --halt now,fail=1 --tag \
  ${HARJULAMPI:-build/default/examples/harjulampi} {} "$model" ::: "$@"
