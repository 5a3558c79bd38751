#!/usr/bin/env bash
# Draws the launcher's built-in pictures with ImageMagick: a dark, calm
# background (1920x1080) and five 32x32 monogram icons for the link row.
set -euo pipefail
out=${1:-resources}
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# Background: a night-blue gradient, a soft glow low on the horizon, a faint
# ridge line and a light grain, so white and grey text stays readable on it.
convert -size 1920x1080 gradient:'#0d1117'-'#1a2230' \
  \( -size 1920x1080 radial-gradient:'#3a4a5a'-'#00000000' -geometry +0+0 \) -compose screen -composite \
  \( -size 1920x1080 xc:none -fill '#0a0e14' \
     -draw "polygon 0,820 180,760 360,790 540,720 760,780 960,700 1180,770 1380,730 1600,790 1760,750 1920,780 1920,1080 0,1080" \) \
  -compose over -composite \
  \( -size 1920x1080 xc:gray50 +noise Gaussian -colorspace gray -blur 0x1 -evaluate multiply 0.06 \) \
  -compose plus -composite -depth 8 -strip "$out/background.png"

icon() {  # name, colour, text
  convert -size 32x32 xc:none -fill "$2" -draw "roundrectangle 0,0 31,31 7,7" \
    -font "$font" -pointsize "${4:-15}" -fill white -gravity center -annotate +0+1 "$3" \
    -depth 8 -strip "$out/icon_$1.png"
}
icon vk '#3f6aa0' 'VK' 13
icon discord '#5865c8' 'D'
icon forum '#8a5a2b' 'AP' 12
icon boosty '#e0692b' 'B'
icon github '#2b2f36' 'GH' 12
