#!/usr/bin/env bash
# Regenerates the Quorvane Windows icons from vector primitives with ImageMagick.
#
#   src/resources/quorvane.ico          application icon
#   src/resources/quorvane-service.ico  same motif plus a gear badge (service mode)
#
# Design (all coordinates below live on a 256 x 256 grid; each size gets its
# own drawing, tuned where needed, instead of a shrunk copy of the 256 px one):
#   * a rounded square in deep teal; from 32 px up it has a slightly darker
#     rim so the tile stays defined on both light and dark backgrounds;
#   * a bold white "Q" monogram built from a thick ring plus a diagonal tail
#     with round caps that cuts through the ring - simple enough to read at
#     16 px;
#   * service variant: the Q moves up and to the left a little and an amber
#     gear with a dark-teal hub sits in the bottom-right corner, separated
#     from the tile by a thin dark-teal outline.
# The small layers (16, 24 px) use heavier strokes so the shapes do not fade.
#
# Each size is rendered to a PNG and the layers are packed into one ICO, every
# layer PNG-compressed (scripts/pack-icon.py), which keeps the executables
# small. Requires ImageMagick 6 (`convert`), awk and python3.
#
# Usage: scripts/make-icons.sh [output-dir]   (default: src/resources)

set -euo pipefail

script_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out_dir=${1:-"$(dirname "$script_dir")/src/resources"}
mkdir -p "$out_dir"

command -v convert >/dev/null 2>&1 || {
    echo "make-icons.sh: ImageMagick 'convert' not found on PATH" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sizes=(16 32 48 256)

# Palette.
teal='#0E6B6B'      # tile
teal_rim='#0A4D4F'  # tile rim, gear outline and hub
white='#FFFFFF'     # monogram
amber='#F4A81D'     # gear

# gear_points CX CY R_OUTER R_ROOT TEETH
# Prints an MVG polygon point list for a gear: trapezoidal teeth around a
# root circle, starting with a tooth pointing straight up.
gear_points() {
    awk -v cx="$1" -v cy="$2" -v ro="$3" -v ri="$4" -v n="$5" 'BEGIN {
        pi = atan2(0, -1)
        step = 2 * pi / n
        for (i = 0; i < n; i++) {
            a = -pi / 2 + i * step
            # Tooth tip spans 26% of the pitch, the tooth base 44%.
            f[1] = -0.22; f[2] = -0.13; f[3] = 0.13; f[4] = 0.22
            rr[1] = ri;   rr[2] = ro;    rr[3] = ro;   rr[4] = ri
            for (k = 1; k <= 4; k++) {
                t = a + f[k] * step
                printf "%.2f,%.2f ", cx + rr[k] * cos(t), cy + rr[k] * sin(t)
            }
        }
    }'
}

# snap SIZE VALUE -> VALUE (on the 256 grid) rounded so that it lands on a
# whole pixel at SIZE; keeps the tile edges crisp at every size.
snap() {
    awk -v s="$1" -v v="$2" 'BEGIN { printf "%.4f", int(v * s / 256 + 0.5) * 256 / s }'
}

# mvg SIZE VARIANT  -> prints the drawing commands for one layer on the
# 256 grid. VARIANT is "app" or "service". The caller sets up the scaling.
mvg() {
    local size=$1 variant=$2

    # Tile: a dark-teal rim (1 px at 32/48 px, ~5 px at 256 px, none below
    # 32 px where every pixel is needed) around the teal face.
    local inset rim radius=48
    inset=$(snap "$size" 6)
    if ((size >= 32)); then rim=$(awk -v s="$size" 'BEGIN { print (s >= 256) ? 5 : 256 / s }'); else rim=0; fi
    if ((size <= 24)); then inset=0; radius=56; fi
    local lo hi
    lo=$inset
    hi=$(awk -v i="$inset" 'BEGIN { print 256 - i }')
    printf 'fill %s stroke none\n' "$teal_rim"
    printf 'roundrectangle %s,%s %s,%s %s,%s\n' "$lo" "$lo" "$hi" "$hi" "$radius" "$radius"
    printf 'fill %s\n' "$teal"
    printf 'roundrectangle %s,%s %s,%s %s,%s\n' \
        "$(awk -v a="$lo" -v r="$rim" 'BEGIN { print a + r }')" \
        "$(awk -v a="$lo" -v r="$rim" 'BEGIN { print a + r }')" \
        "$(awk -v a="$hi" -v r="$rim" 'BEGIN { print a - r }')" \
        "$(awk -v a="$hi" -v r="$rim" 'BEGIN { print a - r }')" \
        "$((radius - 4))" "$((radius - 4))"

    # Monogram: a thick ring (centre qx,qy, radius qr along the stroke
    # centre line) and a round-capped tail that starts inside the counter
    # just right of the bottom and sweeps out through the ring towards the
    # bottom-right corner - a letter Q rather than a magnifying glass. Small
    # layers get heavier strokes and a tail that intrudes less into the
    # counter, so it stays open.
    local qx=127 qy=114 qr=70 ring_w=34 tail_w=34
    local tail="131,144 199,208"
    if [[ $variant == service ]]; then
        # Smaller and nudged up-left to leave the corner to the badge.
        qx=108; qy=102; qr=62; ring_w=32; tail_w=32
        tail="112,128 168,182"
    fi
    if ((size <= 24)); then
        ring_w=$((ring_w + 6)); tail_w=$((tail_w + 4))
        if [[ $variant == service ]]; then tail="120,138 170,184"; else tail="140,154 202,210"; fi
    fi
    printf 'fill none stroke %s stroke-width %s stroke-linecap round\n' "$white" "$ring_w"
    printf 'circle %s,%s %s,%s\n' "$qx" "$qy" "$qx" "$((qy - qr))"
    printf 'stroke-width %s\n' "$tail_w"
    printf 'line %s\n' "$tail"

    if [[ $variant == service ]]; then
        # Gear badge in the bottom-right corner: amber teeth outlined in dark
        # teal (which also separates it from the monogram), dark-teal hub.
        local gx=190 gy=190 g_out=56 g_root=42 teeth=8 hub=16 outline=10
        if ((size <= 24)); then
            gx=188; gy=188; g_out=64; g_root=46; teeth=6; hub=14; outline=14
        fi
        printf 'fill %s stroke %s stroke-width %s stroke-linejoin round\n' \
            "$amber" "$teal_rim" "$outline"
        printf 'polygon %s\n' "$(gear_points "$gx" "$gy" "$g_out" "$g_root" "$teeth")"
        printf 'fill %s stroke none\n' "$teal_rim"
        printf 'circle %s,%s %s,%s\n' "$gx" "$gy" "$gx" "$((gy - hub))"
    fi
}

# Each layer is drawn at 4x its size and box-filtered down: exact area
# coverage, so edges are evenly anti-aliased at every size.
render() {
    local variant=$1 out=$2
    local layers=()
    local size big scale
    for size in "${sizes[@]}"; do
        local png="$work/$variant-$size.png"
        big=$((size * 4))
        scale=$(awk -v s="$big" 'BEGIN { printf "%.6f", s / 256 }')
        convert -size "${big}x${big}" xc:none \
            -draw "push graphic-context
                   translate -0.5,-0.5
                   scale $scale,$scale
                   $(mvg "$size" "$variant")
                   pop graphic-context" \
            -filter box -resize "${size}x${size}" \
            "PNG32:$png"
        layers+=("$png")
    done
    "$script_dir/pack-icon.py" "$out" "${layers[@]}"
    echo "wrote $out ($(wc -c <"$out") bytes)"
}

render app "$out_dir/quorvane.ico"
render service "$out_dir/quorvane-service.ico"
