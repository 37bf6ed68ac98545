#!/usr/bin/env bash
# Renders the program's images with ImageMagick. The PNGs are committed; run
# this only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")/../resources"
out=images
c() { convert -background none "$@"; }

# Window icon: a blue radio with an antenna.
c -size 32x32 xc:none -fill '#1f5fbf' -stroke '#0b2f66' -draw 'roundrectangle 6,10 25,30 3,3' \
  -fill '#cfe0ff' -stroke none -draw 'rectangle 9,13 22,18' \
  -stroke '#0b2f66' -strokewidth 2 -draw 'line 20,10 26,2' \
  -fill '#0b2f66' -stroke none -draw 'circle 12,24 12,26' -draw 'circle 19,24 19,26' $out/blue.png
# Open: a folder.
c -size 32x32 xc:none -fill '#e8b84a' -stroke '#8a6412' -draw 'polygon 3,9 12,9 14,12 28,12 28,27 3,27' \
  -fill '#f6d77e' -draw 'polygon 3,27 8,16 31,16 28,27' $out/open.png
# Save: a floppy disk.
c -size 32x32 xc:none -fill '#3b5b8c' -stroke '#1c2f4f' -draw 'roundrectangle 3,3 28,28 2,2' \
  -fill '#f0f0f0' -stroke none -draw 'rectangle 8,4 23,12' -fill '#1c2f4f' -draw 'rectangle 18,5 21,11' \
  -fill '#d0d0d0' -draw 'rectangle 7,17 24,27' $out/save.png
# Serial: a DB9 connector.
c -size 50x50 xc:none -fill '#9aa3ad' -stroke '#3d444c' -strokewidth 2 -draw 'polygon 4,14 46,14 40,36 10,36' \
  -fill '#3d444c' -stroke none \
  -draw 'circle 11,21 11,23' -draw 'circle 18,21 18,23' -draw 'circle 25,21 25,23' -draw 'circle 32,21 32,23' -draw 'circle 39,21 39,23' \
  -draw 'circle 15,29 15,31' -draw 'circle 22,29 22,31' -draw 'circle 29,29 29,31' -draw 'circle 36,29 36,31' $out/Rs232.png
# Network: three linked hosts.
c -size 128x128 xc:none -stroke '#2d6a2d' -strokewidth 6 -draw 'line 64,34 24,96' -draw 'line 64,34 104,96' -draw 'line 24,96 104,96' \
  -stroke '#173d17' -strokewidth 3 -fill '#5cb85c' \
  -draw 'roundrectangle 44,14 84,50 6,6' -draw 'roundrectangle 4,80 44,116 6,6' -draw 'roundrectangle 84,80 124,116 6,6' $out/network.png
# Carried but not shown.
c -size 32x32 xc:none -fill white -stroke '#555555' -draw 'polygon 7,3 20,3 26,9 26,29 7,29' $out/new.png
c -size 32x32 xc:none -fill white -stroke '#555555' -draw 'rectangle 4,4 18,22' -draw 'rectangle 12,10 27,28' $out/copy.png
c -size 32x32 xc:none -stroke '#555555' -strokewidth 2 -fill none -draw 'circle 9,24 9,28' -draw 'circle 22,24 22,28' \
  -draw 'line 11,21 24,3' -draw 'line 20,21 7,3' $out/cut.png
c -size 32x32 xc:none -fill '#c89a5a' -stroke '#6b4a1f' -draw 'roundrectangle 5,5 26,29 2,2' \
  -fill white -draw 'rectangle 9,9 22,26' -fill '#888888' -stroke none -draw 'rectangle 12,3 19,7' $out/paste.png
c -size 32x32 xc:none -fill '#444444' -stroke '#111111' -draw 'roundrectangle 9,8 22,30 3,3' \
  -stroke '#111111' -strokewidth 2 -draw 'line 19,8 19,1' -fill '#9fd39f' -stroke none -draw 'rectangle 11,11 20,16' $out/radio.png

# Desktop icon at 16 and 32 pixels, from the window icon.
mkdir -p icons/16x16 icons/32x32
cp $out/blue.png icons/32x32/velmora-radio.png
convert $out/blue.png -resize 16x16 icons/16x16/velmora-radio.png
