#!/usr/bin/env bash
# The layout listing round trip: a layout made by wine.WindowInfo.RoundTrip, its listing compiled
# into layout_replay as that program's TVX_AppInit, and the two layouts compared line for line.
# Arguments: the build tree, the listing folder, runtime_tests.exe, the Wine loader.
set -u
TREE="$1" DIR="$2" TESTS="$3" WINE_LOADER="$4"
cd "$DIR" || exit 1
rm -f layout-made.txt layout-replayed.txt
"$WINE_LOADER" "$TESTS" --gtest_filter=WindowInfo.RoundTrip >maker.log 2>&1 ||
    { echo "the layout maker failed:"; cat maker.log; exit 1; }
[ -s layout-listing.inc ] && [ -s layout-made.txt ] || { echo "no listing or layout written"; exit 1; }
echo "listing:"; cat layout-listing.inc
cmake --build "$TREE" --target layout_replay >build.log 2>&1 ||
    { echo "the listing does not compile:"; cat build.log; exit 1; }
"$WINE_LOADER" "$TREE/tests/layout_replay.exe" >replay.log 2>&1
[ -s layout-replayed.txt ] || { echo "the replay wrote no layout:"; cat replay.log; exit 1; }
if ! diff layout-made.txt layout-replayed.txt; then
    echo "the replayed layout differs (< made, > replayed)"
    exit 1
fi
echo "the replayed layout is the one made: $(wc -l <layout-made.txt) windows"
