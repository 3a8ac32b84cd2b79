#!/usr/bin/env bash
# A headless GNOME desktop for the Wayland tests: a private D-Bus, mutter with virtual monitors
# (RIG_MONITORS, default one of 1280x720; RIG_SCALE=S lays them out in logical pixels at scale S)
# and Xwayland, PipeWire with WirePlumber, the permission store and the
# screen-cast portal (xdg-desktop-portal with its GNOME back end). Runs the given command inside
# it with WAYLAND_DISPLAY, DISPLAY, XAUTHORITY, DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR set,
# then stops every process it started, by PID, and removes its folder. RIG_DIR names that folder,
# where NAME.pid holds the PID of each service (for tests that stop one and start it again).
# Usage: testkit/rig/rig.sh COMMAND [ARG...]   (exit status: the command's; 3 if the rig failed)
set -uo pipefail

rig=$(mktemp -d /tmp/magnifier-rig.XXXXXX)
chmod 700 "$rig"
pids=()
mutter_pid=

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
    # Mutter removes its X display's lock files and sockets when it ends in time; if it had to
    # be killed they would stay, naming a process that is gone.
    if [ -n "$mutter_pid" ]; then
        for lock in /tmp/.X*-lock; do
            [ -e "$lock" ] || continue
            [ "$(tr -d ' \n' <"$lock" 2>/dev/null)" = "$mutter_pid" ] || continue
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
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME GSETTINGS_BACKEND=memory
if [ -n "${RIG_SCALE:-}" ]; then
    # Mutter lays monitors out in logical pixels only with this feature, read from its settings.
    export GSETTINGS_BACKEND=keyfile
    mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
    printf "[org/gnome/mutter]\nexperimental-features=['scale-monitor-framebuffer']\n" \
        >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
fi
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

monitors=()
for size in ${RIG_MONITORS:-1280x720}; do monitors+=(--virtual-monitor "$size"); done
start mutter mutter --headless --wayland "${monitors[@]}" --wayland-display=wayland-rig
mutter_pid=${pids[-1]}
wait_for 'has_name org.gnome.Mutter.ScreenCast && has_name org.gnome.Mutter.RemoteDesktop' 300 ||
    fail "mutter did not come up"
wait_for 'grep -q "Using public X11 display" "$rig/mutter.log"' 300 || fail "mutter started no Xwayland"
display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$rig/mutter.log" | head -n 1)
export WAYLAND_DISPLAY=wayland-rig DISPLAY=$display
wait_for 'ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* >/dev/null 2>&1' 100 || fail "no Xwayland authority file"
XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -n 1)
export XAUTHORITY

if [ -n "${RIG_SCALE:-}" ]; then
    # Every monitor at the scale, side by side, in a logical layout (RIG_LAYOUT=physical: in
    # real pixels), as a temporary configuration.
    state=$(gdbus call --session --dest org.gnome.Mutter.DisplayConfig --object-path /org/gnome/Mutter/DisplayConfig \
        --method org.gnome.Mutter.DisplayConfig.GetCurrentState) || fail "no display configuration"
    # The serial, then every monitor side by side at the scale with its current mode.
    read -r serial logical < <(RIG_STATE=$state python3 - <<'PY'
import os, re
state = os.environ["RIG_STATE"]
scale = float(os.environ["RIG_SCALE"])
serial = re.match(r"\(uint32 (\d+),", state).group(1)
monitors, x = [], 0
for connector, mode, width in re.findall(r"\(\('([^']+)', '[^']*', '[^']*', '[^']*'\), \[.*?\('([^']+)', (\d+), \d+, [^(]*?'is-current': <true>", state):
    monitors.append(f"({x}, 0, {scale}, uint32 0, {'true' if x == 0 else 'false'}, [('{connector}', '{mode}', @a{{sv}} {{}})])")
    x += int(width) if os.environ.get("RIG_LAYOUT") == "physical" else round(int(width) / scale)
print(serial, "[" + ", ".join(monitors) + "]")
PY
)
    [ -n "$serial" ] && [ "$logical" != "[]" ] || fail "no monitor in the display configuration: $state"
    gdbus call --session --dest org.gnome.Mutter.DisplayConfig --object-path /org/gnome/Mutter/DisplayConfig \
        --method org.gnome.Mutter.DisplayConfig.ApplyMonitorsConfig "$serial" 1 "$logical" \
        "{'layout-mode': <uint32 $([ "${RIG_LAYOUT:-}" = physical ] && echo 2 || echo 1)>}" >/dev/null || fail "mutter refused scale $RIG_SCALE"
fi

start permission-store /usr/libexec/xdg-permission-store --replace
wait_for 'has_name org.freedesktop.impl.portal.PermissionStore' 100 || fail "the permission store did not start"
# Without GDK_BACKEND, as in a desktop session: its dialogs take a program's X11 window as their
# parent only through a connection to the X display of their own.
start portal-gnome env -u GDK_BACKEND /usr/libexec/xdg-desktop-portal-gnome --replace
wait_for 'has_name org.freedesktop.impl.portal.desktop.gnome' 200 || fail "the GNOME portal did not start"
start portal /usr/libexec/xdg-desktop-portal --replace
wait_for 'has_name org.freedesktop.portal.Desktop' 200 || fail "the portal did not start"

echo "rig: up on WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY in $rig" >&2
"$@"
status=$?
[ -n "${RIG_KEEP_LOGS:-}" ] && cp "$rig"/*.log "$RIG_KEEP_LOGS"/ 2>/dev/null
exit $status
