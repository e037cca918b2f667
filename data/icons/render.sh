#!/usr/bin/env bash
# Draws the icons from corvel.svg with ImageMagick (which needs an SVG delegate such as librsvg
# for the first step). Run it after changing the SVG and keep the results in the tree:
#   corvel-256.png     installed for the desktop menu
#   corvel-SIZE.rgba   the window icon, built into the program as raw 8-bit RGBA pixels (no
#                      header), so that start-up decodes no image and loads no image plugin
set -euo pipefail
cd "$(dirname "$0")"
convert -background none corvel.svg -resize 256x256 -depth 8 -strip corvel-256.png
for size in 16 32 48 64; do
    convert corvel-256.png -filter Lanczos -resize "${size}x${size}" -depth 8 "rgba:corvel-$size.rgba"
done
