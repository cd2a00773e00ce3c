#!/usr/bin/env bash
# Installs Vigilo for the current user, building it first if needed:
#   bash scripts/install.sh [FOLDER]
# The program and its start page go to FOLDER (default ~/.local/opt/vigilo),
# which must stay the user's own: the random list is saved beside the program.
# The launcher, icons and metainfo go to $XDG_DATA_HOME (default
# ~/.local/share). No root is needed once the build's packages are there.
source "$(dirname "$0")/common.sh"
prefix=${1:-$HOME/.local/opt/vigilo}
case "$prefix" in /*) ;; *) prefix="$PWD/$prefix" ;; esac

need_packages "${build_packages[@]}"
if [ -f "$build/CMakeCache.txt" ] && [ -x "$build/bin/vigilo" ]; then
  cmake --build "$build" --target vigilo
else
  configure_and_build
fi
cmake --install "$build" --prefix "$prefix"
echo "Vigilo is installed in $prefix and in the applications menu."
echo "To remove it: bash $here/scripts/uninstall.sh${1:+ \"$prefix\"}"
