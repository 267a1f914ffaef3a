#!/bin/sh
# Regenerates the PNG images in this folder from their vector sources. The PNGs are committed,
# so building Velloran never needs this script or the icon sets it reads.
#
# Sources: the Papirus icon theme (Debian package papirus-icon-theme, GPL-3), the flag-icons
# npm package (MIT), and Velloran's own drawings in art/. See LICENSE-icons.
#
# Needs (Debian): papirus-icon-theme librsvg2-bin npm fonts-dejavu-core
# Usage: sh resources/make-icons.sh [--sheet contact-sheet.png]   (the sheet also needs imagemagick)
set -eu

FLAG_ICONS_VERSION=7.5.0
PAPIRUS=/usr/share/icons/Papirus
here=$(cd "$(dirname "$0")" && pwd)
sheet=""
if [ "${1:-}" = "--sheet" ]; then sheet=$(realpath -m "${2:?--sheet needs a file name}"); fi

command -v rsvg-convert >/dev/null || { echo "make-icons: rsvg-convert missing (apt-get install librsvg2-bin)" >&2; exit 1; }
[ -d "$PAPIRUS" ] || { echo "make-icons: $PAPIRUS missing (apt-get install papirus-icon-theme)" >&2; exit 1; }

# librsvg loads an <image> only from the folder of the SVG that refers to it (or below), so
# every source is copied into one work folder first.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Copies a Papirus icon (following the theme's links) as $work/<name>.svg.
take() { # take <size/context/icon> <name>
  cp -L "$PAPIRUS/$1.svg" "$work/$2.svg"
}
# Copies a monochrome Papirus action glyph, repainted in one colour.
glyph() { # glyph <size/actions/icon> <colour> <name>
  sed -e "s/#444444/$2/g" "$PAPIRUS/$1.svg" > "$work/$3.svg"
}
# Renders an SVG body of the given size into resources/<name>.png at exactly that size.
render() { # render <width> <height> <name> <svg elements>
  cat > "$work/$3.compose.svg" <<EOF
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="$1" height="$2" viewBox="0 0 $1 $2">
$4
</svg>
EOF
  rsvg-convert -w "$1" -h "$2" "$work/$3.compose.svg" -o "$here/$3.png"
}
image() { # image <x> <y> <width> <height> <name>: one <image> element over $work/<name>.svg
  printf '<image x="%s" y="%s" width="%s" height="%s" xlink:href="%s.svg"/>\n' "$1" "$2" "$3" "$4" "$5"
}
# A round coloured badge with a white glyph, at the lower right of a document icon.
badge() { # badge <cx> <cy> <r> <colour> <glyph name>
  g=$(echo "$3" | awk '{ print $1 * 4 / 3 }')
  gx=$(echo "$1 $g" | awk '{ print $1 - $2 / 2 }')
  gy=$(echo "$2 $g" | awk '{ print $1 - $2 / 2 }')
  shadow=$(echo "$2 $3" | awk '{ print $1 + $2 / 14 }')
  printf '<circle cx="%s" cy="%s" r="%s" style="opacity:0.25"/>\n' "$1" "$shadow" "$3"
  printf '<circle cx="%s" cy="%s" r="%s" style="fill:%s"/>\n' "$1" "$2" "$3" "$4"
  image "$gx" "$gy" "$g" "$g" "$5"
}

# --- sources ---------------------------------------------------------------------------------
take 32x32/mimetypes/application-pdf pdf32
take 48x48/mimetypes/application-pdf pdf48
take 32x32/mimetypes/image-x-generic image32
take 48x48/mimetypes/text-html html48
take 24x24/mimetypes/text-x-generic text24
take 24x24/mimetypes/x-office-document document24
for icon in list-add:add edit-cut:cut kr_combine:combine raindrop:drop image-crop:crop \
            draw-text:text document-export:export; do
  glyph "16x16/actions/${icon%%:*}" '#ffffff' "white-${icon#*:}"
done
glyph 16x16/actions/dialog-information '#4285f4' about
glyph 24x24/actions/list-add '#4caf50' list-add
glyph 24x24/actions/list-remove '#f44336' list-remove
glyph 24x24/actions/go-up '#4285f4' go-up
glyph 24x24/actions/go-down '#4285f4' go-down
glyph 24x24/actions/media-playback-start '#4caf50' process
glyph 16x16/actions/tag-new '#4285f4' add-token
glyph 24x24/actions/format-justify-left '#444444' align-left
glyph 24x24/actions/format-justify-center '#444444' align-center
glyph 24x24/actions/format-justify-right '#444444' align-right
glyph 24x24/actions/insert-image '#444444' insert-image
cp "$here/art/velloran.svg" "$work/velloran.svg"

# --- main window: one document per tool, its action on a coloured badge ----------------------
render 32 32 NewPDF "$(image -2 0 32 32 pdf32; badge 23 23 9 '#4caf50' white-add)"
render 32 32 ExtractText "$(image -3 -2 32 32 image32; badge 23 23 9 '#ff9800' white-text)"
render 32 32 SplitPDF "$(image -2 0 32 32 pdf32; badge 23 23 9 '#ff9800' white-cut)"
render 32 32 MergePDF "$(image -2 0 32 32 pdf32; badge 23 23 9 '#4285f4' white-combine)"
render 32 32 WatermarkPDF "$(image -2 0 32 32 pdf32; badge 23 23 9 '#9c27b0' white-drop)"
render 32 32 CropPDF "$(image -2 0 32 32 pdf32; badge 23 23 9 '#009688' white-crop)"
render 32 32 About "$(printf '<circle cx="16" cy="17" r="14" style="opacity:0.2"/>\n'; printf '<circle cx="16" cy="16" r="14" style="fill:#ffffff"/>\n'; image 1 1 30 30 about)"

# --- file lists and their buttons ------------------------------------------------------------
render 32 32 PDFListIcon "$(image 0 0 32 32 pdf32)"
render 24 24 ListAdd "$(image 0 0 24 24 list-add)"
render 24 24 ListRemove "$(image 0 0 24 24 list-remove)"
render 24 24 ListMoveUp "$(image 0 0 24 24 go-up)"
render 24 24 ListMoveDown "$(image 0 0 24 24 go-down)"
render 24 24 Process "$(image 0 0 24 24 process)"
render 16 16 AddToken "$(image 0 0 16 16 add-token)"

# --- editors ---------------------------------------------------------------------------------
render 40 24 AlignLeft "$(image 8 0 24 24 align-left)"
render 40 24 AlignCenter "$(image 8 0 24 24 align-center)"
render 40 24 AlignRight "$(image 8 0 24 24 align-right)"
render 24 24 Image "$(image 0 0 24 24 insert-image)"
render 36 36 ExportToPDF "$(image -2 0 36 36 pdf48; badge 26 26 9.5 '#4285f4' white-export)"
render 36 36 ExportToHTML "$(image -2 0 36 36 html48; badge 26 26 9.5 '#4285f4' white-export)"
render 21 24 ExportToTXT "$(image -1.5 0 24 24 text24)"
render 23 24 AppendToTXT "$(image -2 0 24 24 text24; badge 16.5 17 6.5 '#4caf50' white-add)"
render 23 24 Document "$(image -0.5 0 24 24 document24)"

# --- language flags: 4:3 flags on a 24 x 24 square, with a thin frame ------------------------
npm pack --silent --pack-destination "$work" "flag-icons@$FLAG_ICONS_VERSION" >/dev/null
tar -xzf "$work/flag-icons-$FLAG_ICONS_VERSION.tgz" -C "$work"
for flag in de:Germany gb:UnitedKingdom fr:France it:Italy es:Spain; do
  cp "$work/package/flags/4x3/${flag%%:*}.svg" "$work/flag-${flag%%:*}.svg"
  render 24 24 "${flag#*:}" "$(printf '<clipPath id="c"><rect x="1" y="4" width="22" height="16.5" rx="1.5"/></clipPath>\n'
    printf '<g clip-path="url(#c)">'; image 1 4 22 16.5 "flag-${flag%%:*}"; printf '</g>\n'
    printf '<rect x="1.25" y="4.25" width="21.5" height="16" rx="1.4" style="fill:none;stroke:#000000;stroke-opacity:0.25;stroke-width:0.5"/>\n')"
done

# --- Velloran's own pictures: the list background and the About box's product box ------------
render 120 98 Logo "$(image 28 0 64 64 velloran)
<text x=\"60\" y=\"89\" style=\"font-family:DejaVu Sans;font-weight:bold;font-size:21px;text-anchor:middle;fill:#37474f\">Velloran</text>"

render 240 253 Boxshot "$(cat <<'EOF'
<defs>
 <linearGradient id="front" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#5c6bc0"/><stop offset="1" stop-color="#283593"/>
 </linearGradient>
 <linearGradient id="side" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#3949ab"/><stop offset="1" stop-color="#1a237e"/>
 </linearGradient>
 <radialGradient id="floor"><stop offset="0" stop-color="#000" stop-opacity="0.35"/><stop offset="1" stop-color="#000" stop-opacity="0"/></radialGradient>
</defs>
<ellipse cx="124" cy="243" rx="112" ry="9" fill="url(#floor)"/>
<path d="M 18,22 50,6 H 226 L 194,22 Z" fill="#7986cb"/>
<path d="M 194,22 226,6 V 226 L 194,244 Z" fill="url(#side)"/>
<rect x="18" y="22" width="176" height="222" fill="url(#front)"/>
<rect x="18" y="22" width="176" height="222" fill="none" stroke="#ffffff" stroke-opacity="0.15"/>
<rect x="18" y="186" width="176" height="8" fill="#c03630"/>
<circle cx="106" cy="88" r="52" fill="#ffffff" fill-opacity="0.12"/>
EOF
image 62 42 88 88 velloran
cat <<'EOF'
<text x="106" y="164" style="font-family:DejaVu Sans;font-weight:bold;font-size:30px;text-anchor:middle;fill:#ffffff">Velloran</text>
<text x="106" y="180" style="font-family:DejaVu Sans;font-size:11px;text-anchor:middle;fill:#c5cae9">PDF Utility</text>
<text x="106" y="218" style="font-family:DejaVu Sans;font-size:9px;text-anchor:middle;fill:#c5cae9">Create · Merge · Split</text>
<text x="106" y="231" style="font-family:DejaVu Sans;font-size:9px;text-anchor:middle;fill:#c5cae9">Watermark · Crop · OCR</text>
<g transform="matrix(1,-0.5,0,1,194,22)">
 <text transform="translate(16,111) rotate(90)" x="0" y="5" style="font-family:DejaVu Sans;font-weight:bold;font-size:14px;text-anchor:middle;fill:#ffffff">Velloran</text>
</g>
EOF
)"

# --- the program icon for the desktop (the SVG itself is installed as well) -------------------
mkdir -p "$here/desktop"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/art/velloran.svg" -o "$here/desktop/velloran-$size.png"
done

if [ -n "$sheet" ]; then
  montage=/usr/bin/montage
  [ -x "$montage" ] || { echo "make-icons: --sheet needs imagemagick" >&2; exit 1; }
  "$montage" -label '%t' -pointsize 10 -geometry '+10+10' -tile 8x -background '#f0f0f0' \
    "$here"/*.png "$here/desktop/velloran-128.png" "$sheet"
  echo "contact sheet: $sheet"
fi
