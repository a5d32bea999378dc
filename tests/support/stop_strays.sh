#!/bin/sh
# The suite's clean-up step: stops every program a test left running, and removes the system
# roots of tests that did not end normally. A program is a stray when its VENTORIA_SYSROOT is a
# test root (/tmp/vtr.*) that is gone, or whose test process (ROOT.pid) is gone; roots of
# running test processes, from this suite or another, are left alone. Strays fail the step:
# a test that leaves a helper running is a broken test, even when its assertions passed.

# "PID ROOT COMMAND" for every process whose environment names a test root.
with_test_roots() {
    if [ -d /proc/self ]; then
        for environ in /proc/[0-9]*/environ; do
            pid=${environ#/proc/}
            pid=${pid%/environ}
            [ "$pid" = "$$" ] && continue
            root=$({ tr '\0' '\n' < "$environ"; } 2>/dev/null |
                sed -n 's|^VENTORIA_SYSROOT=\(/tmp/vtr\.[A-Za-z0-9]*\)$|\1|p')
            [ -n "$root" ] || continue
            echo "$pid $root $({ tr '\0' ' ' < "/proc/$pid/cmdline"; } 2>/dev/null)"
        done
    else
        # No /proc (macOS): ps shows each process's environment after its command.
        ps -axeww -o pid= -o command= |
            sed -n 's|^ *\([0-9][0-9]*\) \(.*\)VENTORIA_SYSROOT=\(/tmp/vtr\.[A-Za-z0-9]*\).*$|\1 \3 \2|p'
    fi
}

strays=0
found=$(with_test_roots)
while read -r pid root command; do
    [ -n "$pid" ] || continue
    if [ -d "$root" ]; then
        owner=$(cat "$root.pid" 2>/dev/null) || continue
        kill -0 "$owner" 2>/dev/null && continue
    fi
    kill -KILL "$pid" 2>/dev/null || continue
    echo "stopped ${command:-process $pid} under $root"
    strays=$((strays + 1))
done <<EOF
$found
EOF
# A virtual kernel driver stopped above leaves its /sys mounted and dead: only a lazy unmount
# takes it away, and the root cannot be removed before.
unmount_driver() {
    grep -q " $1/sys fuse" /proc/mounts 2>/dev/null || return 0
    umount -l "$1/sys" 2>/dev/null || fusermount3 -u -z "$1/sys" 2>/dev/null
}
for marker in /tmp/vtr.*.pid; do
    owner=$(cat "$marker" 2>/dev/null) || continue
    kill -0 "$owner" 2>/dev/null && continue
    unmount_driver "${marker%.pid}"
    rm -rf "${marker%.pid}" "$marker"
done
[ "$strays" -eq 0 ]
