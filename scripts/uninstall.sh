#!/usr/bin/env bash
# Removes what scripts/install.sh added for the current user, and nothing else:
#   bash scripts/uninstall.sh [FOLDER]
# FOLDER is the install folder (default ~/.local/opt/vigilo). The files listed
# in its manifest go, then the folders the install created if they are empty.
# The random list vigilo.cfg is the user's and stays, and with it its folder.
set -euo pipefail
prefix=${1:-$HOME/.local/opt/vigilo}
case "$prefix" in /*) ;; *) prefix="$PWD/$prefix" ;; esac
manifest="$prefix/vigilo-install-manifest.txt"
if [ ! -f "$manifest" ]; then
  echo "No Vigilo install in $prefix: $manifest is missing. Nothing was removed." >&2
  exit 1
fi

files=()
dirs=()
data=
while IFS= read -r line; do
  case "$line" in
    "file /"*) files+=("${line#file }") ;;
    "dir /"*) dirs+=("${line#dir }") ;;
    "data /"*) data=${line#data } ;;
  esac
done <"$manifest"

for f in "${files[@]}"; do
  [ "${f##*/}" = vigilo.cfg ] && continue
  if [ -f "$f" ] || [ -L "$f" ]; then
    rm -f -- "$f"
  fi
done
rm -f -- "$manifest"
# A folder sorts before everything inside it, so in reverse order each folder
# comes after its contents.
if [ ${#dirs[@]} -gt 0 ]; then
  while IFS= read -r d; do
    rmdir -- "$d" 2>/dev/null || true
  done < <(printf '%s\n' "${dirs[@]}" | LC_ALL=C sort -r)
fi

# Caches are refreshed only where they exist, as the install did.
if [ -n "$data" ] && [ -f "$data/icons/hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
  gtk-update-icon-cache --quiet --force --ignore-theme-index "$data/icons/hicolor" || true
fi
if [ -n "$data" ] && [ -f "$data/applications/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
  update-desktop-database --quiet "$data/applications" || true
fi
if [ -n "$data" ] && [ -d "$data/icons/hicolor" ]; then
  touch -c "$data/icons/hicolor"
fi
echo "Vigilo is uninstalled."
if [ -d "$prefix" ] && [ -n "$(ls -A "$prefix")" ]; then
  echo "Left in place: $prefix, which holds files the install did not add (such as vigilo.cfg)."
fi
