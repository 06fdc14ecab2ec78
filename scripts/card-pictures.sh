#!/usr/bin/env bash
# Remakes the card pictures of the README (docs/cards-horizontal.png, docs/cards-vertical.png)
# with the built program: a demo data folder with a few holders and photos, a background and a
# logo, then `horalog cards --pdf` in both styles and the top of the first page as PNG.
# Needs build/horalog, sqlcipher, ImageMagick and poppler-utils.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
data=$work/data

# The first start creates the data folder and both databases.
timeout 10 ./build/horalog --data "$data" >/dev/null 2>&1 || true
[ -f "$data/sysdat.mdb" ] || { echo "no data folder made" >&2; exit 1; }

convert -size 400x254 gradient:'#f4f8fc'-'#c9daea' -quality 90 "$data/cardback.jpg"
convert -size 200x200 xc:white -fill '#1f4e79' -draw 'circle 100,100 100,10' \
  -fill white -draw 'rectangle 60,70 140,130' -quality 90 "$data/cardlogo.jpg"

sql=$work/holders.sql
echo "PRAGMA key='tpwx.kq';" >"$sql"
echo "UPDATE gid SET DESCX = 'OFFICE' WHERE ID = 1;" >>"$sql"
i=0
for holder in "1001001:Alice Martin:Sales:#b5c7d8" "1001002:Bruno Keller:Workshop:#c8d8b5" \
              "1001003:Chloe Durand:Reception:#d8c3b5" "1001004:Daniel Novak:Warehouse:#c3b5d8" \
              "1001005:Emma Larsen:Accounts:#b5d8d3" "1001006:Farid Haddad:Workshop:#d8d3b5"; do
  IFS=: read -r card name room colour <<<"$holder"
  i=$((i + 1))
  photo=$work/photo$i.jpg
  convert -size 240x320 gradient:"$colour"-'#f0f0f0' -fill '#4a5866' \
    -draw 'circle 120,125 120,65' -draw 'ellipse 120,330 100,115 0,360' \
    -type TrueColor -quality 90 "$photo"
  printf "INSERT INTO staffs (CARDNO, NAME, WORKGRP, PHOTO, MEMO) VALUES (%s, '%s', 1, X'%s', '%s' || char(10) || 'Ext. %s');\n" \
    "$card" "$name" "$(xxd -p "$photo" | tr -d '\n')" "$room" "$((400 + i))" >>"$sql"
done
sqlcipher "$data/sysdat.mdb" <"$sql" >/dev/null

ini=$XDG_CONFIG_HOME/Quorvane/Horalog.ini
mkdir -p "$(dirname "$ini")"
printf '[General]\nCardLogoEnable=1\nCardRemakrString1=Dept\nCardRemarkEnable2=1\nCardRemakrString2=Phone\n' >"$ini"

for style in horizontal vertical; do
  ./build/horalog --data "$data" cards --style "$style" --pdf "$work/$style.pdf"
  pdftoppm -r 110 -f 1 -l 1 -singlefile -png "$work/$style.pdf" "$work/$style"
  # the top of the page: two rows of cards
  rows=42
  [ "$style" = vertical ] && rows=64
  convert "$work/$style.png" -gravity north -crop 100%x${rows}%+0+0 +repage "docs/cards-$style.png"
done
echo "docs/cards-horizontal.png docs/cards-vertical.png"
