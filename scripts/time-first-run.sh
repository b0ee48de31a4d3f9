#!/bin/bash
# Times what a newcomer meets, each on a fresh clone of REF (default HEAD)
# in a temporary folder, with the packages already installed:
#   scripts/time-first-run.sh run [REF]    clone to the editor's window under `make run`
#   scripts/time-first-run.sh test [REF]   clone to the end of `make test`
# It prints the seconds and the machine's load while it ran (1-minute load
# average, sampled every 10 s): on a shared machine a figure means little
# without it. The window is found by polling the run's display for it, for at
# most an hour; the editor is then stopped and the clone removed.
set -u
what=${1:-}
ref=${2:-HEAD}
case "$what" in
  run|test) ;;
  *) echo "usage: scripts/time-first-run.sh run|test [REF]" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse --verify "$ref^{commit}") || exit 2
wineserver=$(. "$root/scripts/wine-settings.sh" && echo "$WINESERVER")
clone=$(mktemp -d "${TMPDIR:-/tmp}/qm-fresh.XXXXXX") || exit 1
log=$clone.log
loads=$clone.loads
job=""

finish() {
  if [ -n "$job" ]; then
    # make and everything it started run in a session of their own.
    kill -TERM -- "-$job" 2>/dev/null
    wait "$job" 2>/dev/null
  fi
  [ -n "${sampler:-}" ] && kill "$sampler" 2>/dev/null
  # Only this clone's own Wine prefix.
  WINEPREFIX="$clone/repo/build/wine-prefix" "$wineserver" -k 2>/dev/null
  rm -rf "$clone" "$loads"
}
trap finish EXIT

( while :; do cut -d' ' -f1 /proc/loadavg; sleep 10; done ) >"$loads" &
sampler=$!

start=$(date +%s%N)
git clone -q --no-checkout "$root" "$clone/repo" && git -C "$clone/repo" checkout -q --detach "$commit" || exit 1
echo "Fresh clone of $(git -C "$root" log -1 --format='%h %s' "$commit") in $clone/repo; log: $log"

elapsed() { echo $((($(date +%s%N) - start + 500000000) / 1000000000)); }
report_load() {
  awk '{ s += $1; if (NR == 1 || $1 < lo) lo = $1; if ($1 > hi) hi = $1 }
       END { if (NR) printf "load average (1 min) while it ran: min %.1f, mean %.1f, max %.1f over %d samples\n", lo, s / NR, hi, NR }' "$loads"
}

if [ "$what" = test ]; then
  make -C "$clone/repo" test >"$log" 2>&1
  status=$?
  echo "make test: exit $status after $(elapsed) s"
  report_load
  exit $status
fi

setsid make -C "$clone/repo" run >"$log" 2>&1 &
job=$!
display=${DISPLAY:-}
deadline=$((SECONDS + 3600))
while [ $SECONDS -lt $deadline ]; do
  if ! kill -0 "$job" 2>/dev/null; then
    echo "make run ended before a window showed; the end of its log:" >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
  # The run says which virtual display it started when there is none.
  [ -z "$display" ] && display=$(sed -n 's/^No DISPLAY: started Xvfb on \(:[0-9]*\)$/\1/p' "$log")
  if [ -n "$display" ] &&
     DISPLAY=$display xdotool search --onlyvisible --name '^Quillmarch - hall\.vrk' >/dev/null 2>&1; then
    echo "make run: the editor's window showed after $(elapsed) s"
    report_load
    exit 0
  fi
  sleep 0.1
done
echo "make run: no window after an hour" >&2
exit 1
