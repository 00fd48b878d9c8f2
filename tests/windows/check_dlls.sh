#!/usr/bin/env bash
# Checks the built Windows DLLs as files, with the cross toolchain's objdump:
# what they export, what they import, and - on 32-bit - that every entry
# point removes its own arguments.
# Usage: check_dlls.sh OBJDUMP BIN_DIR POINTER_BYTES
set -uo pipefail
objdump=$1 bin=$2 pointer_bytes=$3
failures=0 checks=0

check() {  # check DESCRIPTION EXPECTED ACTUAL
    checks=$((checks + 1))
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        failures=$((failures + 1))
        printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
    fi
}

# "name:ordinal" for every exported name.
named_exports() {
    "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        awk '/^\t\[ *[0-9]+\] / {i = $0; sub(/^\t\[ */, "", i); sub(/\].*/, "", i); print $NF ":" i + 1}'
}
exports() { named_exports "$1" | cut -d: -f1 | sort | tr '\n' ' '; }
import_dlls() { "$objdump" -p "$1" | awk '/DLL Name:/ {print tolower($3)}' | sort | tr '\n' ' '; }
# The imports from one DLL: "ordinal:name" per entry, name "<none>" when by ordinal.
imports_from() {
    "$objdump" -p "$1" | awk -v dll="$2" '
        /DLL Name:/ {inside = (tolower($3) == dll); next}
        inside && /^\t[0-9a-f]+\t/ {print ($2 + 0) ":" $3}
        inside && /^$/ {inside = 0}' | sort | tr '\n' ' '
}

block=$bin/rtc_iow24.dll
device=$bin/iowkit.dll
entry_points="NumInputs:0 NumOutputs:0 GetInputName:8 GetOutputName:8 CSimStart:12 CSimStop:12 CConfigure:4 CCalculate:12"

expected=""
for e in $entry_points; do expected+="${e%%:*} ${e%%:*}@${e##*:} "; done
expected=$(echo "$expected" | tr ' ' '\n' | grep . | sort | tr '\n' ' ')
check "rtc_iow24.dll exports the eight entry points under both names, nothing else" "$expected" "$(exports "$block")"

check "rtc_iow24.dll imports only Windows system DLLs and iowkit.dll" \
    "iowkit.dll kernel32.dll msvcrt.dll user32.dll " "$(import_dlls "$block")"
check "rtc_iow24.dll imports iowkit.dll by ordinals 1-4 and by no name" \
    "1:<none> 2:<none> 3:<none> 4:<none> " "$(imports_from "$block" iowkit.dll)"
check "rtc_iow24.dll shows its alerts with user32's MessageBoxA" \
    "MessageBoxA" "$("$objdump" -p "$block" | awk '/DLL Name:/ {u = (tolower($3) == "user32.dll"); next} u && /MessageBoxA/ {print $3}')"

if [ "$pointer_bytes" -eq 4 ]; then
    device_expected="IowKitCloseDevice@4:2 IowKitOpenDevice@0:1 IowKitRead@16:3 IowKitWrite@16:4 "
else
    device_expected="IowKitCloseDevice:2 IowKitOpenDevice:1 IowKitRead:3 IowKitWrite:4 "
fi
check "iowkit.dll exports the four device functions at ordinals 1-4" \
    "$device_expected" "$(named_exports "$device" | grep -E '^IowKit[A-Za-z]+@' | sort | tr '\n' ' ')"
# "ordinal:RVA" for every entry of the export address table.
export_rvas() {
    "$objdump" -p "$1" | sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' |
        awk '/\+base\[/ {o = $0; sub(/.*\+base\[ */, "", o); sub(/\].*/, "", o); print o ":" $(NF-2)}'
}
# Each function's plain name, decorated name and ordinal lead to one piece
# of code: a user's program may find it by any of them.
rvas=$(export_rvas "$device")
same=""
for e in IowKitOpenDevice:0:1 IowKitCloseDevice:4:2 IowKitRead:16:3 IowKitWrite:16:4; do
    name=${e%%:*} rest=${e#*:}
    bytes=${rest%%:*} ordinal=${rest##*:}
    at() { grep "^$1:" <<<"$rvas" | cut -d: -f2; }
    plain=$(named_exports "$device" | grep "^$name:" | cut -d: -f2)
    decorated=$(named_exports "$device" | grep "^$name@$bytes:" | cut -d: -f2)
    [ "$pointer_bytes" -eq 4 ] || decorated=$ordinal
    if [ -n "$plain" ] && [ -n "$(at "$ordinal")" ] && [ "$(at "$plain")" = "$(at "$ordinal")" ] &&
        [ "$(at "$decorated")" = "$(at "$ordinal")" ]; then
        same+="$name "
    fi
done
check "iowkit.dll exports each function under its plain name, its decorated name and its ordinal, all one code" \
    "IowKitOpenDevice IowKitCloseDevice IowKitRead IowKitWrite " "$same"
check "the shipped iowkit.dll exports nothing else but the four functions rtc_host calls" \
    "iowvirt_bench iowvirt_busy iowvirt_identity iowvirt_setting " \
    "$(exports "$device" | tr ' ' '\n' | grep -v '^IowKit' | grep . | tr '\n' ' ')"

if [ "$pointer_bytes" -eq 4 ]; then
    # Every return of a standard-call function pops its arguments: "ret $N".
    listing=$("$objdump" -d "$block")
    for e in $entry_points; do
        name=${e%%:*} bytes=${e##*:}
        rets=$(awk -v fn="<_${name}@${bytes}>:" '$2 == fn {inside = 1; next} /^$/ {inside = 0}
            inside && /\tret/ {print ($NF == "ret") ? "0" : $NF}' <<<"$listing" | sort -u | tr '\n' ' ')
        if [ "$bytes" -eq 0 ]; then want="0 "; else want=$(printf '$0x%x ' "$bytes"); fi
        check "$name returns with ret $bytes (the callee removes its arguments)" "$want" "$rets"
    done
fi

for dll in "$bin"/*.dll; do
    check "$(basename "$dll") needs no compiler runtime DLL" "" \
        "$(import_dlls "$dll" | tr ' ' '\n' | grep -E '^(libgcc|libstdc|libwinpthread)' | tr '\n' ' ')"
done

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
