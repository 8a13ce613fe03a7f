#!/usr/bin/env bash
# Draws the program's three icons with ImageMagick and writes them as multi-size .ico files (installed
# into Resources/ beside the executable) and as 64-pixel PNG copies (compiled into the program, used
# when a file in Resources/ is missing). Run it again after changing a drawing; commit the results.
set -euo pipefail
cd "$(dirname "$0")"
S=256

# APX: the application. A transfer switch seen from above: two sources on the left (N above, E below),
# the load on the right, and the switch blade closing the upper source onto the load.
convert -size ${S}x${S} xc:none \
  -fill '#1f4e8c' -draw "roundrectangle 8,8 247,247 40,40" \
  -stroke white -strokewidth 18 -draw "line 40,78 96,78" -draw "line 40,178 96,178" \
  -draw "line 170,128 220,128" \
  -strokewidth 20 -draw "line 100,78 166,126" \
  -stroke none -fill white -draw "circle 100,78 100,94" -draw "circle 100,178 100,194" \
  -draw "circle 168,128 168,144" \
  -fill '#f2b21b' -draw "polygon 196,20 176,60 194,60 182,92 214,50 196,50 208,20" \
  apx.png

# Connect: a closed link on green.
convert -size ${S}x${S} xc:none \
  -fill '#2e8b3d' -draw "circle 128,128 128,10" \
  -stroke white -strokewidth 22 -draw "line 64,128 192,128" \
  -stroke none -fill white -draw "circle 64,128 64,158" -draw "circle 192,128 192,158" \
  connect.png

# Disconnect: the same link, broken, on grey.
convert -size ${S}x${S} xc:none \
  -fill '#7a7f87' -draw "circle 128,128 128,10" \
  -stroke white -strokewidth 22 -draw "line 64,128 104,128" -draw "line 152,128 192,128" \
  -stroke '#d9342b' -strokewidth 16 -draw "line 112,88 144,168" \
  -stroke none -fill white -draw "circle 64,128 64,158" -draw "circle 192,128 192,158" \
  disconnect.png

for name in apx:APX connect:Connect disconnect:Disconnect; do
  src=${name%%:*}; dst=${name##*:}
  convert $src.png -define icon:auto-resize=64,48,32,16 $dst.ico
  convert $src.png -resize 64x64 $dst.png
  rm $src.png
done
