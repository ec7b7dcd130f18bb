#!/bin/bash
# windowless-check.sh <libQt6Widgets> <program or static library>...
# Fails when a program needs the Qt Widgets library, or when an object of a program or library
# needs a symbol that the Qt Widgets library defines.
set -u

widgets=$1
shift
defined=$(mktemp)
trap 'rm -f "$defined"' EXIT
# The library's symbols without their version (name@@Qt_6).
nm -D --defined-only --format=just-symbols "$widgets" | sed 's/@.*//' | sort -u >"$defined"
if [[ ! -s $defined ]]; then
    echo "cannot read the symbols of $widgets"
    exit 1
fi
widgets_name=$(basename "$widgets")
widgets_name=${widgets_name%%.so*}

status=0
for file in "$@"; do
    if ! symbols=$(nm --undefined-only --format=just-symbols "$file" 2>/dev/null); then
        echo "cannot read the symbols of $file"
        status=1
        continue
    fi
    headers=$(objdump -p "$file" 2>/dev/null)
    if [[ $file != *.a && $headers =~ NEEDED\ +${widgets_name}\.so ]]; then
        echo "$file needs ${widgets_name}"
        status=1
    fi
    needs=$(grep -v ':$' <<<"$symbols" | sort -u | comm -12 - "$defined" | head -5)
    if [[ -n $needs ]]; then
        echo "$file needs what ${widgets_name} defines:"
        echo "$needs"
        status=1
    fi
done
[[ $status == 0 ]] && echo "$# programs and libraries without windows"
exit $status
