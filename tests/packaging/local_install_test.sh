#!/usr/bin/env bash
# The application on a Linux machine without the package installs the helper as systemd's
# job, through the install script it runs for real on "/". The machine is never touched: the
# script runs in a private mount namespace where /usr/local, /etc/systemd/system and /run are
# empty file systems of the test's own, and systemctl is a stand-in that logs what it is asked
# and, on "enable --now", starts the installed helper on the installed socket unit's path the
# way systemd would (systemd-socket-activate). There is no fan driver here: the helper answers,
# and refuses the choice for that reason, which is the proof it runs.
# Then who may command the fans, by logind's seat file, which the test writes.
# Usage: local_install_test.sh BIN_DIR      (as root; skipped, status 77, where it cannot be)
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

bin="$1"
if [ "${VENTORIA_IN_NAMESPACE:-}" != 1 ]; then
    [ "$(id -u)" = 0 ] || { echo "skipped: needs root for a private mount namespace"; exit 77; }
    unshare --mount true 2>/dev/null || { echo "skipped: no mount namespace"; exit 77; }
    export VENTORIA_IN_NAMESPACE=1
    exec unshare --mount "$0" "$@"
fi

scratch=$(mktemp -d /tmp/vtr.XXXXXXXX)
echo $$ >"$scratch.pid"
# The helper is no child of ours (systemctl's stand-in started it and ended): it is stopped
# as systemd would stop it, by its PID, and waited for, then killed if it will not end.
cleanup() {
    set +e
    if [ -f "$scratch/activator.pid" ]; then
        local helper
        helper=$(cat "$scratch/activator.pid")
        kill -TERM "$helper" 2>/dev/null
        for _ in $(seq 100); do
            kill -0 "$helper" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$helper" 2>/dev/null
    fi
    rm -rf "$scratch" "$scratch.pid"
}
trap cleanup EXIT

mount --make-rprivate /
for place in /usr/local /etc/systemd/system /run; do
    mkdir -p "$place"
    mount -t tmpfs tmpfs "$place"
    # Nothing below runs unless the place is the test's own.
    [ "$(findmnt -n -o FSTYPE --target "$place")" = tmpfs ] || fail "$place is not private"
done
cat >"$scratch/systemctl" <<STUB
#!/bin/sh
echo "\$*" >>"$scratch/systemctl.log"
[ "\$1" = enable ] || exit 0
start=\$(sed -n 's/^ExecStart=//p' /etc/systemd/system/ventoria-helper.service)
socket=\$(sed -n 's/^ListenStream=//p' /etc/systemd/system/ventoria-helper.socket)
env=\$(sed -n 's/^Environment=/-E /p' /etc/systemd/system/ventoria-helper.service)
systemd-socket-activate -l "\$socket" \$env "\$start" >"$scratch/helper.log" 2>&1 </dev/null &
echo \$! >"$scratch/activator.pid"
# The socket unit's SocketMode: anyone may connect, and the helper decides at accept.
for _ in \$(seq 50); do [ -S "\$socket" ] && exec chmod 666 "\$socket"; sleep 0.1; done
exit 1
STUB
chmod 755 "$scratch/systemctl"
mount --bind "$scratch/systemctl" /usr/bin/systemctl

export VENTORIA_SYSROOT=/
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp "$@"; }
# A user may install only through pkexec; where it is missing they are told what to install.
if ! command -v pkexec >/dev/null; then
    as_nobody "$bin/ventoriactl" select max --hold 1 >"$scratch/pkexec.log" 2>&1 || true
    grep -q "pkexec is not installed: install it (sudo apt install pkexec)" "$scratch/pkexec.log" ||
        fail "without pkexec: $(cat "$scratch/pkexec.log")"
    [ ! -e /usr/local/libexec/ventoria ] || fail "something was installed without pkexec"
fi
if "$bin/ventoriactl" select max --hold 1 >"$scratch/select.log" 2>&1; then
    fail "a choice without a fan driver succeeded: $(cat "$scratch/select.log")"
fi
grep -q "No supported fan driver" "$scratch/select.log" ||
    fail "the installed helper did not answer: $(cat "$scratch/select.log" "$scratch/helper.log")"
[ "$(cat "$scratch/systemctl.log")" = "stop ventoria-helper.socket ventoria-helper.service
daemon-reload
enable --now ventoria-helper.socket ventoria-helper.service" ] ||
    fail "systemctl was asked: $(cat "$scratch/systemctl.log")"
# Owner and exact mode: find prints the file only when both are so.
owned() { [ -n "$(find "$1" -user root -perm "$2")" ]; }
owned /usr/local/libexec/ventoria/VentoriaHelper 0755 || fail "the helper is not root's 0755"
for unit in ventoria-helper.service ventoria-helper.socket; do
    cmp -s "$bin/$unit" "/etc/systemd/system/$unit" || fail "$unit is not the bundle's"
    owned "/etc/systemd/system/$unit" 0644 || fail "$unit is not root's 0644"
done
[ -z "$(find /usr/local /etc/systemd/system -name '*.new')" ] || fail "a copy was left behind"

# Installed and current: found, and not installed a second time.
"$bin/ventoriactl" doctor >"$scratch/doctor.log" 2>&1 || true
grep -q "^Helper: installed, answering" "$scratch/doctor.log" ||
    fail "doctor: $(cat "$scratch/doctor.log")"
"$bin/ventoriactl" select max --hold 1 >/dev/null 2>&1 || true
[ "$(grep -c '^enable' "$scratch/systemctl.log")" = 1 ] || fail "the helper was installed again"
# Who may command the fans is logind's word: the user of seat0's active session. A user whose
# session is elsewhere (over ssh a session has no seat) is refused at accept.
mkdir -p /run/systemd/seats
printf 'ACTIVE=c1\nACTIVE_UID=65534\nSESSIONS=c1\n' >/run/systemd/seats/seat0
as_nobody "$bin/ventoriactl" select max --hold 1 >"$scratch/seat.log" 2>&1 || true
grep -q "No supported fan driver" "$scratch/seat.log" ||
    fail "the seat's active user was not heard: $(cat "$scratch/seat.log")"
printf 'ACTIVE=c2\nACTIVE_UID=4321\nSESSIONS=c1 c2\n' >/run/systemd/seats/seat0
if as_nobody "$bin/ventoriactl" select max --hold 1 >"$scratch/away.log" 2>&1 ||
    grep -q "No supported fan driver" "$scratch/away.log"; then
    fail "a user away from the machine was heard: $(cat "$scratch/away.log")"
fi
grep -q "refused a connection from user 65534: not at the machine" "$scratch/helper.log" ||
    fail "the refusal was not logged: $(cat "$scratch/helper.log")"
echo "ok"
