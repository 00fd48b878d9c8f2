#!/usr/bin/env bash
# Anyone can check the package: a second build of the same sources, copied
# to another folder and built in another build folder, gives a ZIP
# byte-identical to this build's.
# Usage: check_reproducible.sh SOURCE_DIR BUILD_DIR ZIP
set -euo pipefail
source=$1 build=$2 zip=$3
other=$build/reproducible
rm -rf "$other"
mkdir -p "$other/sources-elsewhere"
trap 'rm -rf "$other"' EXIT

# The sources as they stand (committed or not), without any build.
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$source" && git ls-files -co --exclude-standard -z |
        xargs -0 cp --parents -t "$other/sources-elsewhere")
    # The copy has no history: it takes the commit's time as this build did.
    SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
else
    (cd "$source" && tar cf - --exclude=./build .) | (cd "$other/sources-elsewhere" && tar xf -)
fi

cmake -S "$other/sources-elsewhere" -B "$other/build-elsewhere" \
    --toolchain "$other/sources-elsewhere/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")" \
    -DRTC_TESTS=OFF >/dev/null
cmake --build "$other/build-elsewhere" --target paquet -j 2 >/dev/null
second=$other/build-elsewhere/package/$(basename "$zip")
if cmp "$zip" "$second"; then
    echo "ok: two builds in two folders give the same ZIP, $(sha256sum <"$zip" | cut -c1-64)"
else
    echo "FAILED: the second build's ZIP differs"
    unzip -lv "$zip"
    unzip -lv "$second"
    exit 1
fi
