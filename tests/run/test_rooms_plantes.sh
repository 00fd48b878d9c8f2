#!/bin/bash
# test_rooms.sh against includes planted where the map forbids them: in
# small trees of its own and in a copy of this one. Each must be named with
# its file and line, or its cycle; a tree as the map says must pass.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# expect NAME STATUS TEXT TREE: the check of TREE ends with STATUS and says TEXT.
expect() {
    local out status
    out=$(bash "$here/test_rooms.sh" "$4" 2>&1)
    status=$?
    if [ "$status" != "$2" ] || ! grep -qF -- "$3" <<< "$out"; then
        echo "FAIL $1: status $status (expected $2), output:"
        echo "$out"
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

# tree NAME MAP-LINES...: a tree whose README holds this map.
tree() {
    local dir=$scratch/$1
    shift
    mkdir -p "$dir/a" "$dir/b"
    {
        echo '<!-- rooms: begin -->'
        printf '%s\n' "$@"
        echo '<!-- rooms: end -->'
    } > "$dir/README.md"
    echo "$dir"
}

t=$(tree clean 'a/ b/' 'b/')
printf '#include "b/y.h"\n' > "$t/a/x.cpp"
: > "$t/b/y.h"
expect "a tree as its map says" 0 "no room calls back" "$t"

t=$(tree forbidden 'a/ b/' 'b/')
: > "$t/a/x.h"
printf '// the bus\n\n#include "a/x.h"\n' > "$t/b/y.h"
expect "an include the map does not allow" 1 "b/y.h:3: includes a/x.h, which the map does not allow b/" "$t"

t=$(tree cycle 'a/ b/' 'b/ a/')
printf '#include "b/y.h"\n' > "$t/a/x.h"
printf '#include "a/x.h"\n' > "$t/b/y.h"
expect "two rooms that call each other" 1 "cycle between rooms: a/ -> b/ -> a/" "$t"

t=$(tree alone 'a/ b/' 'b/ a/k.h')
printf '#include "b/y.h"\n' > "$t/a/x.h"
: > "$t/a/k.h"
printf '#include "a/k.h"\n' > "$t/b/y.h"
expect "a header of constants read alone" 0 "no room calls back" "$t"

printf '#include "a/x.h"\n' > "$t/a/k.h"
expect "a header read alone that calls its room" 1 "cycle between rooms: a/ -> b/ -> a/k.h -> a/" "$t"

# This tree, copied, with one include planted.
copy=$scratch/copy
mkdir -p "$copy"
(cd "$root" && cp -r README.md block rtc iow platform salle virtual host "$copy/")
expect "this tree" 0 "no room calls back" "$copy"
printf '#include "host/commun/options.h"\n' >> "$copy/rtc/bcd.cpp"
line=$(wc -l < "$copy/rtc/bcd.cpp")
expect "this tree with rtc/ calling the host" 1 \
    "rtc/bcd.cpp:$line: includes host/commun/options.h, which the map does not allow rtc/" "$copy"

[ $failures = 0 ] && echo "every planted include is caught"
exit $((failures > 0))
