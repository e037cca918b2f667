#!/usr/bin/env bash
# Draws the PNG icons from corvel.svg with ImageMagick (which needs an SVG delegate such as
# librsvg for the first step). Run it after changing the SVG and keep the results in the tree:
# the build installs the SVG and the 256 px PNG, and builds the small ones into the program as
# its window icon.
set -euo pipefail
cd "$(dirname "$0")"
convert -background none corvel.svg -resize 256x256 -depth 8 -strip corvel-256.png
for size in 16 32 48 64; do
    convert corvel-256.png -filter Lanczos -resize "${size}x${size}" -depth 8 -strip "corvel-$size.png"
done
