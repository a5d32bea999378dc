#!/usr/bin/env bash
# The Debian package as a machine gets it. `build` makes the package from the build tree into
# PACKAGE_DIR; each other case unpacks it into a scratch root and checks one thing:
#   layout   every file in its FHS place, the dependencies, maintainer scripts that parse
#   units    systemd-analyze verifies both units, and the service exposes little
#   serves   the packaged helper, started as its units start it (socket activation), serves
#            the packaged ventoriactl on the virtual kernel driver and hands the fans back,
#            and the unit's ExecStopPost hands back what a killed helper left forced
# Usage: package_test.sh build BUILD_DIR PACKAGE_DIR | CASE PACKAGE_DIR BIN_DIR
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A test root the suite's clean-up recognises: /tmp/vtr.*, owned by this process.
scratch=$(mktemp -d /tmp/vtr.XXXXXXXX)
echo $$ >"$scratch.pid"
cleanup() {
    set +e  # every step, whatever the one before it found already gone
    [ -n "${helper:-}" ] && kill -KILL "$helper" 2>/dev/null
    [ -n "${hold:-}" ] && kill -KILL "$hold" 2>/dev/null
    wait 2>/dev/null || true
    if [ -n "${sim:-}" ] && [ -d "$scratch/mac/sys" ]; then
        VENTORIA_SYSROOT="$scratch/mac" "$sim" new >/dev/null 2>&1 || true
        grep -q " $scratch/mac/sys fuse" /proc/mounts && umount -l "$scratch/mac/sys"
    fi
    rm -rf "$scratch" "$scratch.pid"
}
trap cleanup EXIT

unpack() {
    local deb
    deb=$(ls "$1"/ventoria_*_*.deb) || fail "no package in $1"
    dpkg-deb -x "$deb" "$scratch/root"
    dpkg-deb -e "$deb" "$scratch/control"
    package="$deb"
}

case_layout() {
    local path
    for path in usr/bin/Ventoria usr/bin/ventoriactl usr/libexec/ventoria/VentoriaHelper; do
        [ -x "$scratch/root/$path" ] || fail "/$path is not an executable in the package"
    done
    for path in usr/lib/systemd/system/ventoria-helper.service \
        usr/lib/systemd/system/ventoria-helper.socket \
        usr/share/applications/io.kestrand.ventoria.desktop \
        usr/share/icons/hicolor/scalable/apps/io.kestrand.ventoria.svg \
        usr/share/doc/ventoria/copyright usr/share/doc/ventoria/changelog.gz \
        usr/share/man/man1/Ventoria.1.gz usr/share/man/man1/ventoriactl.1.gz; do
        [ -f "$scratch/root/$path" ] || fail "/$path is missing from the package"
    done
    # The manual names every command ventoriactl has.
    local manual command
    manual=$(gzip -dc "$scratch/root/usr/share/man/man1/ventoriactl.1.gz")
    for command in $("$scratch/root/usr/bin/ventoriactl" --help |
                     sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }'); do
        grep -qE "^\.BI? $command( |\$)" <<<"$manual" ||
            fail "ventoriactl's manual page has no $command"
    done
    [ -z "$(find "$scratch/root" -path '*/usr/local*' -print -quit)" ] ||
        fail "the package puts files under /usr/local"
    # Stripped: the debugging symbols would make it four times the size.
    ! readelf -S "$scratch/root/usr/libexec/ventoria/VentoriaHelper" | grep -q '\.symtab' ||
        fail "the helper is not stripped"
    local depends
    depends=$(dpkg-deb -f "$package" Depends)
    for library in libqt6core6 libqt6widgets6 libsystemd0 init-system-helpers; do
        [[ "$depends" == *"$library"* ]] || fail "Depends names no $library: $depends"
    done
    for script in postinst prerm postrm; do
        [ -x "$scratch/control/$script" ] || fail "no executable $script"
        sh -n "$scratch/control/$script" || fail "$script does not parse"
    done
    grep -q 'enable' "$scratch/control/postinst" || fail "postinst enables no unit"
    grep -q 'stop ventoria-helper.service' "$scratch/control/prerm" ||
        fail "prerm does not stop the helper before its files go"
}

case_units() {
    local units="$scratch/root/usr/lib/systemd/system"
    # verify resolves the targets the units name from the root it is given.
    cp -a /lib/systemd/system/*.target "$units/"
    for unit in ventoria-helper.service ventoria-helper.socket; do
        systemd-analyze verify --root="$scratch/root" "$units/$unit" ||
            fail "systemd-analyze verify refuses $unit"
    done
    local report score
    report=$(systemd-analyze security --offline=yes --root="$scratch/root" \
        "$units/ventoria-helper.service" 2>&1) || true
    score=$(sed -n 's/.*Overall exposure level for ventoria-helper.service: \([0-9.]*\).*/\1/p' \
        <<<"$report")
    [ -n "$score" ] || fail "no exposure score: $report"
    echo "exposure: $score"
    awk -v s="$score" 'BEGIN { exit !(s <= 2.0) }' || fail "exposure $score is above 2.0"
    # The socket is where the clients look: /var/run is /run on Debian.
    grep -qx 'ListenStream=/run/io.kestrand.ventoria.helper.socket' "$units/ventoria-helper.socket" ||
        fail "the socket unit listens elsewhere than the clients connect"
    # /sys stays writable: the fans are files there.
    ! grep -q '^ProtectKernelTunables=yes' "$units/ventoria-helper.service" ||
        fail "ProtectKernelTunables would make /sys read-only"
}

# True when fan 1's manual mode, as the driver has it, is $1.
fan_manual_is() {
    [ "$(cat "$scratch/mac/sys/devices/platform/applesmc.768/fan1_manual")" = "$1" ]
}

# Polls for up to ten seconds; true once "$@" succeeds.
eventually() {
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

case_serves() {
    local bin="$1" units="$scratch/root/usr/lib/systemd/system"
    sim="$bin/ventoria-sim"
    export VENTORIA_SYSROOT="$scratch/mac"
    "$sim" new --driver applesmc >/dev/null
    # What the package puts where the clients look for an installed helper.
    mkdir -p "$VENTORIA_SYSROOT/usr/lib/systemd/system"
    cp "$units/ventoria-helper.service" "$VENTORIA_SYSROOT/usr/lib/systemd/system/"
    local start stop_post socket
    start=$(sed -n 's/^ExecStart=//p' "$units/ventoria-helper.service")
    stop_post=$(sed -n 's/^ExecStopPost=//p' "$units/ventoria-helper.service")
    socket="$VENTORIA_SYSROOT$(sed -n 's/^ListenStream=//p' "$units/ventoria-helper.socket")"
    # Debian's /var/run is /run, so the clients' path and the socket unit's meet.
    mkdir -p "$VENTORIA_SYSROOT/run" "$VENTORIA_SYSROOT/var"
    ln -s ../run "$VENTORIA_SYSROOT/var/run"
    local ctl="$scratch/root/usr/bin/ventoriactl"

    # systemd's socket activation: the socket first, the helper on the first connection, in
    # the unit's environment but for the system root, which is the virtual Mac's.
    local environment=(-E "VENTORIA_SYSROOT=$VENTORIA_SYSROOT")
    for setting in $(sed -n 's/^Environment=//p' "$units/ventoria-helper.service"); do
        [[ "$setting" == VENTORIA_SYSROOT=* ]] || environment+=(-E "$setting")
    done
    # With the unit's privileges: root's uid and no capability at all, as its empty
    # CapabilityBoundingSet= and NoNewPrivileges= leave it; the fans' files are root's.
    grep -qx 'CapabilityBoundingSet=' "$units/ventoria-helper.service" ||
        fail "the unit keeps capabilities; the test no longer runs the helper as it would run"
    local sandbox=(setpriv --no-new-privs --bounding-set=-all --inh-caps=-all --ambient-caps=-all)
    "${sandbox[@]}" systemd-socket-activate -l "$socket" "${environment[@]}" \
        "$scratch/root$start" 2>"$scratch/helper.log" &
    helper=$!
    eventually test -S "$socket" || fail "no socket at $socket"
    "$ctl" doctor --json >"$scratch/doctor"
    python3 - "$scratch/doctor" <<'CHECK' || fail "doctor: $(cat "$scratch/doctor")"
import json, sys
report = json.load(open(sys.argv[1]))
assert "applesmc" in report["fans"]["access"], report["fans"]
assert report["fans"]["count"] == 2, report["fans"]
assert report["helper"]["installed"] is True, report["helper"]
assert report["helper"]["version"], report["helper"]
CHECK

    # setpriv and systemd-socket-activate each became the next program: this is the helper.
    grep -q "^CapBnd:[[:space:]]*0*$" "/proc/$helper/status" ||
        fail "the helper runs with capabilities: $(grep '^Cap' "/proc/$helper/status")"
    "$ctl" select max --hold 3 >"$scratch/hold.log" 2>&1 &
    hold=$!
    eventually fan_manual_is 1 || fail "the packaged helper did not force the fans: $(cat "$scratch/hold.log" "$scratch/helper.log")"
    wait "$hold" || fail "ventoriactl select max --hold failed"
    hold=
    eventually fan_manual_is 0 || fail "the fans were not handed back after the hold"

    # Killed while holding them: only ExecStopPost is left to hand them back.
    "$ctl" select max --hold 60 >/dev/null &
    hold=$!
    eventually fan_manual_is 1 || fail "the fans were not forced a second time"
    kill -KILL "$helper"
    wait "$helper" 2>/dev/null || true
    helper=
    kill -TERM "$hold" 2>/dev/null
    wait "$hold" 2>/dev/null || true
    hold=
    fan_manual_is 1 || fail "a killed helper should have left fan 1 forced"
    # shellcheck disable=SC2086 # the unit's command line, split as systemd splits it
    "${sandbox[@]}" "$scratch/root"$stop_post || fail "ExecStopPost ($stop_post) failed"
    fan_manual_is 0 || fail "ExecStopPost did not hand fan 1 back"
}

command=$1
shift
case "$command" in
build)
    cpack --config "$1/CPackConfig.cmake" -B "$2" >/dev/null
    rm -rf "$2/_CPack_Packages"
    ;;
layout | units)
    unpack "$1"
    "case_$command"
    ;;
serves)
    unpack "$1"
    case_serves "$2"
    ;;
*) fail "no case $command" ;;
esac
echo "ok: $command"
