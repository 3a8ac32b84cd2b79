# What the Wayland rigs share, sourced by rig.sh (GNOME) and rig-kde.sh (KDE) after they set
# rig_desktop to the XDG_CURRENT_DESKTOP name: the rig's folder and its cleanup, a private D-Bus,
# PipeWire with WirePlumber, and at the end the permission store, the portal and the command.
# RIG_DIR names the rig's folder, where NAME.pid holds the PID of each service (for tests that
# stop one and start it again).
# Between the two, the desktop's script starts its compositor (recording its PID in
# compositor_pid) and exports WAYLAND_DISPLAY, DISPLAY and XAUTHORITY.
set -uo pipefail

rig=$(mktemp -d /tmp/magnifier-rig.XXXXXX)
chmod 700 "$rig"
pids=()
compositor_pid=

stop_all() {
    local pid
    # Newest first: the portal before the compositor it talks to, the bus last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill -TERM "$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    # The compositor removes its X display's lock files and sockets when it ends in time; if it
    # had to be killed they would stay, naming a process that is gone.
    if [ -n "$compositor_pid" ]; then
        for lock in /tmp/.X*-lock; do
            [ -e "$lock" ] || continue
            [ "$(tr -d ' \n' <"$lock" 2>/dev/null)" = "$compositor_pid" ] || continue
            n=${lock#/tmp/.X}
            n=${n%-lock}
            rm -f "$lock" "/tmp/.X11-unix/X$n"
        done
    fi
    rm -rf "$rig"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

fail() {
    echo "rig: $*" >&2
    for log in "$rig"/*.log; do
        [ -s "$log" ] && { echo "---- $(basename "$log")" >&2; tail -n 30 "$log" >&2; }
    done
    exit 3
}

# Waits up to $2 tenths of a second for the command in $1 to succeed.
wait_for() {
    for _ in $(seq "$2"); do eval "$1" && return 0; sleep 0.1; done
    return 1
}

start() {  # start NAME COMMAND...: runs in the background with output to NAME.log
    local name=$1
    shift
    "$@" >"$rig/$name.log" 2>&1 &
    pids+=($!)
    echo "$!" >"$rig/$name.pid"
}

export XDG_RUNTIME_DIR=$rig/run
export HOME=$rig/home XDG_CONFIG_HOME=$rig/config XDG_DATA_HOME=$rig/data XDG_CACHE_HOME=$rig/cache
export XDG_STATE_HOME=$rig/state
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
export RIG_DIR=$rig
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=$rig_desktop GSETTINGS_BACKEND=memory
export GDK_BACKEND=wayland NO_AT_BRIDGE=1 GTK_A11Y=none
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER

# A bus that activates nothing: every service on it is started here and stopped here.
cat >"$rig/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$XDG_RUNTIME_DIR/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
start dbus dbus-daemon --nofork --nopidfile --config-file="$rig/bus.conf"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
wait_for '[ -S "$XDG_RUNTIME_DIR/bus" ]' 50 || fail "the D-Bus daemon did not start"

has_name() { dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'; }

start pipewire pipewire
wait_for '[ -S "$XDG_RUNTIME_DIR/pipewire-0" ]' 50 || fail "PipeWire did not start"
start wireplumber wireplumber

# rig_portal LOG BUS_NAME WHAT COMMAND...: the permission store, the desktop's portal back end
# (COMMAND, which owns BUS_NAME on the bus) and the portal itself.
rig_portal() {
    local log=$1 name=$2 what=$3
    shift 3
    start permission-store /usr/libexec/xdg-permission-store --replace
    wait_for 'has_name org.freedesktop.impl.portal.PermissionStore' 100 || fail "the permission store did not start"
    start "$log" "$@"
    wait_for "has_name $name" 200 || fail "the $what portal did not start"
    start portal /usr/libexec/xdg-desktop-portal --replace
    wait_for 'has_name org.freedesktop.portal.Desktop' 200 || fail "the portal did not start"
}

# rig_run COMMAND [ARG...]: runs the command inside the rig; the rig's exit status is its.
rig_run() {
    echo "rig: up on WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY in $rig" >&2
    "$@"
    status=$?
    [ -n "${RIG_KEEP_LOGS:-}" ] && cp "$rig"/*.log "$RIG_KEEP_LOGS"/ 2>/dev/null
    exit $status
}
