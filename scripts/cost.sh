#!/usr/bin/env bash
# What a period end costs the machine, by hand (not part of the tests): the
# CPU time of Vigilo's own process and of its whole tree (the web engine's
# helpers included) per period end at "10 sec", the real window on a virtual
# display watching a local page of about PAGE_KB thousand characters that
# changes at every request. The accessibility bus is on, as any listener (an
# on-screen keyboard, a test tool) turns it on.
#
#   bash scripts/cost.sh [PAGE_KB] [BLOCKS] [PER_BLOCK]
#
# Measures, in this order:
#   Vigilo with QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY=0, window shown, then
#   minimized;
#   Vigilo as built, no screen reader announced, shown, then minimized; then
#   a screen reader announced on the bus (as Orca does), shown, minimized;
#   the same four for a Chromium tab loading the page again every 10 s, when
#   Debian's chromium is installed (it is skipped otherwise).
# Each figure is the median of BLOCKS blocks (5) of PER_BLOCK period ends (6)
# each, after 2 period ends of warm-up; the blocks follow too. Other work on
# the machine adds to the figures: the load is printed before and after.
#
# Builds Vigilo in build-rel/ (Release, as the benchmarks' figures) unless
# VIGILO_COST_PROGRAM names a program to measure. Logs stay in the folder
# printed at the start (VIGILO_COST_DIR to choose it).
set -euo pipefail

if [ "${1:-}" = --inner ]; then
  inner=1
  shift
else
  inner=0
fi
size=${1:-40}
blocks=${2:-5}
per_block=${3:-6}
if ! [[ "$size" =~ ^[1-9][0-9]*$ && "$blocks" =~ ^[1-9][0-9]*$ && "$per_block" =~ ^[1-9][0-9]*$ ]]
then
  echo "usage: bash scripts/cost.sh [PAGE_KB] [BLOCKS] [PER_BLOCK]" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")" && pwd)

if [ "$inner" = 0 ]; then
  source "$scripts/common.sh"
  need_packages "${build_packages[@]}" xvfb openbox xdotool dbus at-spi2-core python3-gi \
    gir1.2-atspi-2.0
  program=${VIGILO_COST_PROGRAM:-}
  kind="given program"
  if [ -z "$program" ]; then
    release="$here/build-rel"
    cmake -S "$here" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIGILO_WERROR=ON >/dev/null
    cmake --build "$release" --target vigilo >/dev/null
    program=$release/bin/vigilo
    kind="Release build"
  fi
  work=${VIGILO_COST_DIR:-$(mktemp -d /tmp/vigilo-cost.XXXXXX)}
  mkdir -p "$work/program" -m 700 "$work/runtime"
  cp "$program" "$work/program/vigilo"
  cp "$here/resources/start.htm" "$work/program/"
  rm -f "$work/program/vigilo.cfg"
  echo "Cost per period end: page of $size kB, median of $blocks blocks of $per_block period ends"
  echo "Program: $program ($kind); CPU: $(lscpu | sed -n 's/^Model name: *//p' | head -1)," \
    "$(nproc) processors; logs in $work"
  echo "Load before: $(uptime | sed 's/.*load average: //')"
  # The bus keeps its switches in the desktop's settings, which outlive the
  # session: the run's own stay in memory.
  export VIGILO_COST_DIR=$work XDG_RUNTIME_DIR=$work/runtime GSETTINGS_BACKEND=memory
  exec dbus-run-session -- bash "$0" --inner "$size" "$blocks" "$per_block" 2>"$work/dbus.log"
fi
exec 2>&1

work=$VIGILO_COST_DIR
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
trap cleanup EXIT

source "$scripts/session.sh"
start_pages "$size"
start_display
/usr/bin/python3 "$scripts/soak_reader.py" listen
unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON

printf '%-58s %8s %8s   %s\n' "CPU seconds per period end" vigilo tree "blocks (tree)"
# measure LABEL PID WHO: WHO's requests mark the period ends.
measure() {
  local figures
  figures=$(/usr/bin/python3 "$scripts/cost_meter.py" "$2" "$work/server.log" "$3" "$blocks" \
    "$per_block" 2)
  echo "$1 $figures" >>"$work/cost.log"
  set -- "$1" $figures
  printf '%-58s %8s %8s   %s\n' "$1" "${2#own=}" "${3#tree=}" "${5#tree_blocks=}"
}
# shown_then_minimized LABEL PID WHO: both figures; while minimized the
# page must not be loaded.
shown_then_minimized() {
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  measure "$1, shown" "$2" "$3"
  xdotool windowminimize --sync "$window"
  local loads
  loads=$(requests pane)
  measure "$1, minimized" "$2" "$3"
  [ "$(requests pane)" = "$loads" ] ||
    echo "  (the pane loaded $(($(requests pane) - loads)) pages while minimized)"
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
}
stop() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

export QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY=0
start_vigilo single "$work/vigilo-off.log"
shown_then_minimized "Vigilo, web accessibility off" "$vigilo" reader
stop "$vigilo"
unset QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY

start_vigilo single "$work/vigilo.log"
shown_then_minimized "Vigilo, bus on, no screen reader" "$vigilo" reader
/usr/bin/python3 "$scripts/soak_reader.py" screen-reader on
shown_then_minimized "Vigilo, screen reader announced" "$vigilo" reader
stop "$vigilo"
/usr/bin/python3 "$scripts/soak_reader.py" screen-reader off

if ! command -v chromium >/dev/null; then
  echo "Debian's chromium is not installed: no tab to compare with."
else
  chromium --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --password-store=basic \
    --user-data-dir="$work/chromium" --window-size=1280,1000 \
    "$base/watched.htm?refresh=10" >"$work/chromium.log" 2>&1 &
  chrome=$!
  pids+=($chrome)
  window=$(timeout 60 xdotool search --sync --onlyvisible --class chromium | head -1)
  [ -n "$window" ] || { echo "Chromium's window did not open" >&2; exit 1; }
  shown_then_minimized "Chromium tab, bus on, no screen reader" "$chrome" tab
  /usr/bin/python3 "$scripts/soak_reader.py" screen-reader on
  shown_then_minimized "Chromium tab, screen reader announced" "$chrome" tab
  stop "$chrome"
fi
echo "Load after: $(uptime | sed 's/.*load average: //')"
