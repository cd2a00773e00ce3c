#!/usr/bin/env bash
# Installs what is missing, builds Vigilo and runs every test.
source "$(dirname "$0")/common.sh"
need_packages "${build_packages[@]}" qt6-base-private-dev pulseaudio pulseaudio-utils sox curl \
  desktop-file-utils appstream nghttp2-server
configure_and_build
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600
