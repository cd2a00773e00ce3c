#!/usr/bin/env bash
# Renders the committed PNG icons from resources/icons/vigilo.svg. Run it again
# after editing the SVG and commit the PNGs: the build itself needs no SVG tools.
set -euo pipefail
icons=$(cd "$(dirname "${BASH_SOURCE[0]}")/../resources/icons" && pwd)
command -v rsvg-convert >/dev/null || { echo "needs rsvg-convert: apt-get install -y librsvg2-bin" >&2; exit 1; }
for size in 16 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" "$icons/vigilo.svg" --output "$icons/vigilo-$size.png"
done
