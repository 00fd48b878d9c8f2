#!/bin/bash
# The README's map of rooms, checked: every `#include "…"` of a file of the
# code's rooms is of its own room, or of a room or file its line in the map
# allows. Prints each include the map does not allow; fails if there is one.
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
map=$(sed -n '/<!-- rooms: begin -->/,/<!-- rooms: end -->/p' "$root/README.md" |
    grep -E '^[a-z]+/')
if [ -z "$map" ]; then
    echo "no map of rooms in $root/README.md" >&2
    exit 2
fi
status=0
while read -r room allowed; do
    [ -d "$root/$room" ] || { echo "the map names $room, which is no folder" >&2; status=1; continue; }
    for file in "$root/$room"*.cpp "$root/$room"*.h; do
        [ -e "$file" ] || continue
        while IFS= read -r included; do
            ok=0
            case "$included" in "$room"*) [ "${included#"$room"}" = "$(basename "$included")" ] && ok=1 ;; esac
            for allow in $allowed; do
                case "$allow" in
                    */) case "$included" in "$allow"*) [ "${included#"$allow"}" = "$(basename "$included")" ] && ok=1 ;; esac ;;
                    *) [ "$included" = "$allow" ] && ok=1 ;;
                esac
            done
            if [ $ok = 0 ]; then
                echo "${file#"$root/"}: includes $included, which the map does not allow $room"
                status=1
            fi
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done
done <<< "$map"
[ $status = 0 ] && echo "every include is as the map of rooms says"
exit $status
