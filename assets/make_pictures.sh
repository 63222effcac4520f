#!/usr/bin/env bash
# Draws every picture the program embeds, as 24-bit uncompressed BMPs, and
# the program's icon. Needs ImageMagick and fonts-liberation (Debian):
#   bash assets/make_pictures.sh
# The results are committed; run this again only to change a picture.
set -euo pipefail
cd "$(dirname "$0")"

fonts=/usr/share/fonts/truetype/liberation
sans=$fonts/LiberationSans-Regular.ttf
bold=$fonts/LiberationSans-Bold.ttf
for f in "$sans" "$bold"; do
  [ -f "$f" ] || { echo "missing $f (apt-get install fonts-liberation)" >&2; exit 1; }
done

window_grey='#f0f0f0'
row_green='rgb(64,120,64)'
row_text='rgb(138,255,138)'
box_green='rgb(128,200,64)'
speed_green='rgb(80,200,80)'
running_red='rgb(255,64,64)'

# 24-bit, uncompressed, no alpha: what the program's loader expects.
save_bmp() { convert "$1" -alpha off -type TrueColor BMP3:"$2"; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# --- Diagram of the test: 16 threads, each a queue of 32 files of 4 KiB. ---
diagram=(-size 300x231 xc:white
  -fill "$row_green" -draw 'rectangle 0,0 299,19'
  -font "$bold" -pointsize 12 -fill "$row_text" -gravity North -annotate +0+3 'SMALL FILE WRITE TEST'
  -gravity NorthWest)
for t in $(seq 0 15); do
  x=$((16 + 17 * t))
  diagram+=(-fill "$row_green" -draw "rectangle $x,25 $((x + 11)),36")
  diagram+=(-font "$bold" -pointsize 8 -fill "$row_text" -gravity NorthWest)
  label=$((t + 1))
  if [ "$label" -lt 10 ]; then lx=$((x + 4)); else lx=$((x + 1)); fi
  diagram+=(-annotate +"$lx"+27 "$label")
  for f in $(seq 0 31); do
    y=$((40 + 2 * f))
    diagram+=(-fill "$speed_green" -draw "line $x,$y $((x + 11)),$y")
  done
done
diagram+=(
  -font "$sans" -pointsize 11 -fill '#202020' -gravity North
  -annotate +0+107 '16 threads  x  32 queued files  x  4 KiB'
  -stroke '#b0b0b0' -draw 'line 12,124 287,124' -stroke none
  -gravity NorthWest -font "$bold" -pointsize 10 -fill '#202020'
  -annotate +16+131 'TOTAL FILES = 512'
  -annotate +16+150 'FILE SIZE = 4KB'
  -annotate +16+169 'TEST COUNT = 10'
  -annotate +16+188 'THREAD = 16'
  -annotate +16+207 'FILE QUEUES = 32'
  -annotate +150+131 'BLOCK SIZE = 4 KB'
  -annotate +150+150 'API CACHE = OFF'
  -annotate +150+169 'RANDOM DATA = ON'
  -annotate +150+188 'SEQUENTIAL ACCESS = ON'
)
convert "${diagram[@]}" "$tmp/diagram.png"
save_bmp "$tmp/diagram.png" diagram.bmp

# --- Donation banner and its blank twin. ---
convert -size 358x68 gradient:'#fff7dc-#ffd27a' \
  -fill none -stroke '#b8860b' -draw 'rectangle 0,0 357,67' -stroke none \
  -fill "$running_red" -draw 'circle 24,26 24,16' -draw 'circle 42,26 42,16' \
  -draw 'polygon 14,30 52,30 33,54' \
  -font "$bold" -pointsize 20 -fill '#5a3a00' -annotate +66+28 'Support Quillmark' \
  -font "$sans" -pointsize 12 -fill '#5a3a00' -annotate +66+46 'A small donation keeps this benchmark free.' \
  -font "$bold" -pointsize 11 -fill '#1a4fa0' -annotate +66+61 'Click here to donate' \
  "$tmp/donation.png"
save_bmp "$tmp/donation.png" donation.bmp
save_bmp "xc:#d8d8d8[358x68!]" blank_banner.bmp

# --- The scale above the speed bar: five words spread evenly. ---
convert -size 259x23 xc:"$window_grey" \
  -font "$sans" -pointsize 8 -fill '#303030' \
  -gravity NorthWest -annotate +1+4 'VERY SLOW' \
  -gravity North -annotate -53+4 'SLOW' -annotate +0+4 'MID-RANGE' -annotate +53+4 'FAST' \
  -gravity NorthEast -annotate +1+4 'VERY FAST' \
  \( -size 3x130 gradient:"$running_red"-'#e8d040' -size 3x129 gradient:'#e8d040'-"$speed_green" -append -rotate -90 \) \
  -gravity NorthWest -geometry +0+17 -composite \
  "$tmp/scale.png"
save_bmp "$tmp/scale.png" scale.bmp

# --- Reference cards: one per reference drive, in the look of the main
# window. They name the drive and its reference speed (bar value / 100)
# and nothing else: no run of ours stands behind them. ---
names=(
  'Crucial P2 2280 SSD - 500 GB'
  'WD Black SN850 - 500 GB'
  'WD Black SN850 - INTEL RAID 0 - 1 TB'
  'Samsung SSD 850 Pro - 256 GB'
  'Samsung SSD 860 Pro - 512 GB'
  'Samsung SSD 860 Pro - 256 GB'
  'WDC PC SN730 - 512 GB'
)
bars=(78 137 123 26 52 83 103)
for k in $(seq 1 7); do
  name=${names[$((k - 1))]}
  bar=${bars[$((k - 1))]}
  speed=$(printf '%d.%02d' $((bar / 100)) $((bar % 100)))
  fill=$((20 + 600 * bar / 170))
  convert -size 646x855 xc:"$window_grey" \
    -fill '#1c3f80' -draw 'rectangle 0,0 645,21' \
    -font "$bold" -pointsize 12 -fill white -annotate +8+15 'Quillmark V2.08 - Orvanta' \
    -fill none -stroke '#a0a0a0' -draw 'rectangle 0,0 645,854' -stroke none \
    -fill white -draw 'rectangle 3,22 642,41' \
    -font "$sans" -pointsize 12 -fill black -annotate +10+36 'Quillmark' \
    -font "$sans" -pointsize 11 -fill black -gravity North -annotate +0+62 "Reference drive $k of 7" \
    -gravity NorthWest -fill "$box_green" -draw 'rectangle 20,82 625,130' \
    -fill none -stroke '#808080' -draw 'line 20,82 625,82' -draw 'line 20,82 20,130' \
    -stroke white -draw 'line 20,130 625,130' -draw 'line 625,82 625,130' -stroke none \
    -font "$sans" -pointsize 24 -fill black -gravity North -annotate +0+92 "$name" \
    -font "$sans" -pointsize 11 -fill black -annotate +0+150 'MB/s' \
    -gravity NorthWest -fill "$speed_green" -draw 'rectangle 170,170 475,250' \
    -fill none -stroke '#808080' -draw 'line 170,170 475,170' -draw 'line 170,170 170,250' \
    -stroke white -draw 'line 170,250 475,250' -draw 'line 475,170 475,250' -stroke none \
    -font "$sans" -pointsize 44 -fill black -gravity North -annotate +0+182 "$speed MB/s" \
    -font "$bold" -pointsize 12 -fill '#303030' \
    -gravity NorthWest -annotate +20+280 'VERY SLOW' \
    -gravity North -annotate -150+280 'SLOW' -annotate +0+280 'MID-RANGE' -annotate +150+280 'FAST' \
    -gravity NorthEast -annotate +20+280 'VERY FAST' \
    -gravity NorthWest -fill white -draw 'rectangle 20,302 625,320' \
    -fill "$speed_green" -draw "rectangle 21,303 $fill,319" \
    -fill none -stroke '#808080' -draw 'rectangle 20,302 625,320' -stroke none \
    -fill "$row_green" -draw 'rectangle 20,360 625,800' \
    -font "$bold" -pointsize 48 -fill "$row_text" -gravity North -annotate +0+420 'REFERENCE VALUE' \
    -font "$sans" -pointsize 20 -annotate +0+510 "Bar value $bar on the comparison scale" \
    -annotate +0+540 "stands for $speed MB/s." \
    -annotate +0+610 'This card shows the reference speed' \
    -annotate +0+640 'given for this drive, not a run' \
    -annotate +0+670 'measured on this machine.' \
    -font "$sans" -pointsize 11 -fill '#505050' -annotate +0+820 "Quillmark V2.08 - reference card $k" \
    "$tmp/reference.png"
  save_bmp "$tmp/reference.png" "reference_$k.bmp"
done

# --- The picture of a slot without a result. ---
convert -size 644x783 xc:'#d9d9d9' \
  -fill none -stroke '#808080' -draw 'rectangle 4,4 639,778' -stroke none \
  -font "$bold" -pointsize 80 -fill black -gravity Center -annotate +0+0 'EMPTY SLOT' \
  "$tmp/empty.png"
save_bmp "$tmp/empty.png" empty_slot.bmp

# --- The program's icon: the result rows' green with a speed bar. ---
convert -size 256x256 xc:none \
  -fill "$row_green" -draw 'roundrectangle 8,8 247,247 40,40' \
  -font "$bold" -pointsize 190 -fill "$row_text" -gravity Center -annotate +0-14 'Q' \
  -gravity NorthWest -fill white -draw 'rectangle 40,200 215,222' \
  -fill "$speed_green" -draw 'rectangle 40,200 160,222' \
  "$tmp/icon.png"
convert "$tmp/icon.png" -define icon:auto-resize=48,32,16 quillmark.ico

identify diagram.bmp donation.bmp blank_banner.bmp scale.bmp reference_*.bmp empty_slot.bmp
