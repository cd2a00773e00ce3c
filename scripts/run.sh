#!/usr/bin/env bash
# Installs what is missing, builds Vigilo and opens its window.
source "$(dirname "$0")/common.sh"
need_packages "${build_packages[@]}"
configure_and_build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  echo "No display found, so Vigilo's window cannot open here." >&2
  echo "Start it on a virtual display instead:" >&2
  echo "  apt-get install -y xvfb && xvfb-run -a $build/bin/vigilo" >&2
  exit 1
fi
exec "$build/bin/vigilo"
