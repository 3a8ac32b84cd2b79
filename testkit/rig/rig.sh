#!/usr/bin/env bash
# A headless GNOME desktop for the Wayland tests: a private D-Bus, mutter with virtual monitors
# (RIG_MONITORS, default one of 1280x720; RIG_SCALE=S lays them out in logical pixels at scale S)
# and Xwayland, PipeWire with WirePlumber, the permission store and the screen-cast portal
# (xdg-desktop-portal with its GNOME back end). Runs the given command inside it with
# WAYLAND_DISPLAY, DISPLAY, XAUTHORITY, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR and RIG_DIR set,
# then stops every process it started, by PID, and removes its folder.
# Usage: testkit/rig/rig.sh COMMAND [ARG...]   (exit status: the command's; 3 if the rig failed)
rig_desktop=GNOME
source "$(dirname "${BASH_SOURCE[0]}")/rig-common.sh"

if [ -n "${RIG_SCALE:-}" ]; then
    # Mutter lays monitors out in logical pixels only with this feature, read from its settings.
    export GSETTINGS_BACKEND=keyfile
    mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
    printf "[org/gnome/mutter]\nexperimental-features=['scale-monitor-framebuffer']\n" \
        >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
fi

monitors=()
for size in ${RIG_MONITORS:-1280x720}; do monitors+=(--virtual-monitor "$size"); done
start mutter mutter --headless --wayland "${monitors[@]}" --wayland-display=wayland-rig
compositor_pid=${pids[-1]}
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

# Without GDK_BACKEND, as in a desktop session: its dialogs take a program's X11 window as their
# parent only through a connection to the X display of their own.
rig_portal portal-gnome org.freedesktop.impl.portal.desktop.gnome GNOME \
    env -u GDK_BACKEND /usr/libexec/xdg-desktop-portal-gnome --replace
rig_run "$@"
