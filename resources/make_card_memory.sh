#!/usr/bin/env bash
# Draws the card memory picture (663 x 545): the four memory banks of a UHF tag with their
# 16-bit words and word addresses. Run by hand when the artwork changes; the JPEG is committed.
set -euo pipefail
out=${1:-card_memory.jpg}
font=DejaVu-Sans
args=(-size 663x545 xc:white -font "$font" -fill black -stroke none)
args+=(-pointsize 22 -annotate +200+34 "Logical memory mapping")
bank() { # y title colour word... (each word "label|addr")
  local y=$1 title=$2 colour=$3; shift 3
  args+=(-fill "$colour" -stroke black -strokewidth 1 -draw "rectangle 20,$y 190,$((y + 100))")
  args+=(-stroke none -fill black -pointsize 16 -annotate +32+$((y + 56)) "$title")
  local i=0
  for w in "$@"; do
    local label=${w%%|*} addr=${w##*|}
    local top=$((y + i * (100 / $#)))
    local h=$((100 / $#))
    args+=(-fill white -stroke black -strokewidth 1 -draw "rectangle 240,$top 500,$((top + h))")
    args+=(-stroke none -fill black -pointsize 13 -annotate +252+$((top + h / 2 + 5)) "$label")
    args+=(-annotate +515+$((top + h / 2 + 5)) "$addr")
    i=$((i + 1))
  done
  args+=(-stroke gray40 -draw "line 190,$((y + 50)) 240,$((y + 50))")
}
bank 60 "Bank 03  User" "#f3d9b1" "User memory|00h-..."
bank 175 "Bank 02  TID" "#cfe3c8" "TID [31:16]|00h-0Fh" "TID [15:0]|10h-1Fh"
bank 290 "Bank 01  EPC" "#c9daf0" "CRC-16|00h-0Fh" "PC|10h-1Fh" "EPC|20h-..."
bank 405 "Bank 00  Reserved" "#f0c9c9" "Kill Password [31:16]|00h-0Fh" "Kill Password [15:0]|10h-1Fh" \
  "Access Password [31:16]|20h-2Fh" "Access Password [15:0]|30h-3Fh"
args+=(-pointsize 12 -fill gray30 -annotate +20+532 "EPC Class-1 Generation-2 UHF tag: 16-bit words, word addresses at the right")
convert "${args[@]}" -quality 90 "$out"
