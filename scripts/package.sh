#!/usr/bin/env bash
# Installs what is missing, builds Vigilo and makes its Debian package in the
# build folder (build/vigilo_VERSION_ARCH.deb) with `cpack -G DEB`:
#   bash scripts/package.sh && apt install ./build/vigilo_*.deb
# The package names whoever makes it as its maintainer, the way Debian's own
# tools do: DEBFULLNAME and DEBEMAIL, else the login at this machine.
source "$(dirname "$0")/common.sh"
need_packages "${build_packages[@]}" "${package_packages[@]}"
configure_and_build
rm -f "$build"/vigilo_*.deb
(cd "$build" && cpack -G DEB)
if [ -z "${DEBEMAIL:-}${EMAIL:-}" ]; then
  echo "Note: with DEBEMAIL unset the package names $(id -un) at this machine as its" \
    "maintainer (lintian refuses root there)." >&2
fi
echo "To install it: apt install $(ls "$build"/vigilo_*.deb)"
