#!/usr/bin/env bash
# Draws the 256 px PNG icon from corvel.svg with ImageMagick. Run it after changing the SVG and
# keep the result in the tree; the build installs both files.
set -euo pipefail
cd "$(dirname "$0")"
convert -background none corvel.svg -resize 256x256 -depth 8 -strip corvel-256.png
