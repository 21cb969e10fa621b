#!/usr/bin/env bash
# The JPEG the image-file test saved as "capture", read on the Linux side with ImageMagick: a
# real JPEG named capture.jps, quality 100, 1280 x 480, 4:4:4, with its stereo descriptor, red on
# the left and blue on the right, which FFmpeg reads as side by side;
# and a detailed picture saved both as PNG and as JPEG, which must agree closely.
set -u
file="$1/image-files/capture.jps"
failures=0
check() { local what="$1"; shift; if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi; }

check "capture.jps exists" [ -f "$file" ]
[ -f "$file" ] || exit 1
info=$(timeout 30 identify -verbose "$file")
check "it is a JPEG" grep -q 'Format: JPEG' <<<"$info"
check "its quality is 100" grep -q 'Quality: 100' <<<"$info"
check "it is 1280 x 480" grep -q 'Geometry: 1280x480+0+0' <<<"$info"
check "its colours are not subsampled (4:4:4)" grep -q 'sampling-factor: 1x1,1x1,1x1' <<<"$info"
# The stereo descriptor right after the start of image: APP3 "_JPSJPS_", block length 4, then
# separation 0, left field first, side by side, stereoscopic.
head=$(head -c 20 "$file" | od -An -tx1 | tr -d ' \n')
check "APP3 _JPSJPS_ follows SOI with 00 04 02 01 (got $head)" \
    [ "$head" = "ffd8ffe300105f4a50534a50535f000400040201" ]
stereo=$(timeout 30 ffmpeg -v info -i "$file" -vf showinfo -f null - 2>&1 | grep -o 'type - .*')
check "FFmpeg reads it as side by side, left first ($stereo)" [ "$stereo" = "type - side by side" ]
left=$(timeout 30 convert "$file" -format '%[pixel:p{100,240}]' info:)
right=$(timeout 30 convert "$file" -format '%[pixel:p{1100,240}]' info:)
check "the left half is red (got $left)" grep -Eq '^s?rgb\((25[0-5]|24[0-9]),[0-9],[0-9]\)$|^red$' <<<"$left"
check "the right half is blue (got $right)" grep -Eq '^s?rgb\([0-9],[0-9],(25[0-5]|24[0-9])\)$|^blue$' <<<"$right"
detail="$1/image-files/detail"
psnr=$(timeout 30 compare -metric PSNR "$detail.png" "$detail.jps" null: 2>&1 | cut -d' ' -f1)
check "a detailed picture at quality 100 keeps above 40 dB of its PNG (got $psnr)" \
    awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p > 40) }'
[ $failures = 0 ]
