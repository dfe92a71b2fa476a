#!/usr/bin/env bash
# Renders the PNG icons from the SVG sources. Run by hand after an SVG
# changes and commit the PNGs, so the build needs no SVG renderer.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for svg in *.svg; do
  for size in 48 256; do
    rsvg-convert -w "$size" -h "$size" "$svg" -o "${svg%.svg}.$size.png"
  done
done
