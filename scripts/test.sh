#!/usr/bin/env bash
# Installs what is missing, builds Vigilo and runs every test twice: as built
# for use, then built again with AddressSanitizer and UndefinedBehaviorSanitizer
# (in build-asan/, leak detection on). Fails when either run fails.
source "$(dirname "$0")/common.sh"
need_packages "${build_packages[@]}" pulseaudio pulseaudio-utils sox curl \
  desktop-file-utils appstream nghttp2-server dbus-daemon
export QT_QPA_PLATFORM=offscreen
# Each test program has its own bound (300 s); ctest stops one that runs over.
configure_and_build
plain=0
(cd "$build" && ctest --output-on-failure) || plain=$?

sanitized_build="${VIGILO_ASAN_BUILD_DIR:-$here/build-asan}"
configure_and_build "$sanitized_build" -DCMAKE_BUILD_TYPE=Debug -DVIGILO_SANITIZE=ON
sanitized=0
(cd "$sanitized_build" &&
  ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS="suppressions=$here/tests/sanitizers/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$here/tests/sanitizers/ubsan.supp" \
  ctest --output-on-failure) || sanitized=$?

[ "$plain" -eq 0 ] || echo "The tests failed." >&2
[ "$sanitized" -eq 0 ] || echo "The tests failed under the sanitizers." >&2
[ "$plain" -eq 0 ] && [ "$sanitized" -eq 0 ]
