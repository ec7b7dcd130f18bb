#!/usr/bin/env bash
# The package's folders as its postinst leaves them, over a folder of an earlier version: run in
# a mount namespace of its own, over copies of /etc and /opt, so the computer's own stay as they
# are. Exit 77 (skipped) where the system refuses the namespace.
set -euo pipefail
postinst=$1
[ "$(id -u)" -eq 0 ] || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unshare -m true 2>/dev/null || exit 77
unshare -m bash -euo pipefail -c '
    work=$1 postinst=$2
    mount --make-rprivate /
    cp -a /etc "$work/etc"
    mount --bind "$work/etc" /etc
    mkdir -p "$work/opt"
    mount --bind "$work/opt" /opt
    # An earlier version: the folder writable by the group, a document readable by every account.
    mkdir -p /opt/dosarium/bin /opt/dosarium/Data/2009/D/S
    chmod 2775 /opt/dosarium /opt/dosarium/Data
    printf x > /opt/dosarium/Data/2009/D/S/1
    chmod 0664 /opt/dosarium/Data/2009/D/S/1
    ln -s /etc/hostname /opt/dosarium/Data/legatura
    sh "$postinst" configure >/dev/null
    cd /opt/dosarium
    stat -c "%a %U %G %n" . bin Data TEMP TMPSQL Data/2009/D/S/1
    stat -L -c "%a %n" /etc/hostname
' bash "$work" "$postinst" > "$work/modes"
expected="755 root root .
755 root root bin
2770 root dosarium Data
2770 root dosarium TEMP
2770 root dosarium TMPSQL
660 root root Data/2009/D/S/1
$(stat -L -c "%a %n" /etc/hostname)"
if [ "$(cat "$work/modes")" != "$expected" ]; then
    echo "postinst left:"; cat "$work/modes"
    echo "expected:"; echo "$expected"
    exit 1
fi
echo "postinst modes as expected"
