#!/usr/bin/env bash
# A headless GNOME desktop for the Wayland tests: a private D-Bus, mutter with one virtual
# 1280x720 monitor and Xwayland, PipeWire with WirePlumber, the permission store and the
# screen-cast portal (xdg-desktop-portal with its GNOME back end). Runs the given command inside
# it with WAYLAND_DISPLAY, DISPLAY, XAUTHORITY, DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR set,
# then stops every process it started, by PID, and removes its folder.
# Usage: testkit/rig/rig.sh COMMAND [ARG...]   (exit status: the command's; 3 if the rig failed)
rig_desktop=GNOME
source "$(dirname "${BASH_SOURCE[0]}")/rig-common.sh"

start mutter mutter --headless --wayland --virtual-monitor 1280x720 --wayland-display=wayland-rig
compositor_pid=${pids[-1]}
wait_for 'has_name org.gnome.Mutter.ScreenCast && has_name org.gnome.Mutter.RemoteDesktop' 300 ||
    fail "mutter did not come up"
wait_for 'grep -q "Using public X11 display" "$rig/mutter.log"' 300 || fail "mutter started no Xwayland"
display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$rig/mutter.log" | head -n 1)
export WAYLAND_DISPLAY=wayland-rig DISPLAY=$display
wait_for 'ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* >/dev/null 2>&1' 100 || fail "no Xwayland authority file"
XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -n 1)
export XAUTHORITY

rig_portal portal-gnome org.freedesktop.impl.portal.desktop.gnome GNOME /usr/libexec/xdg-desktop-portal-gnome --replace
rig_run "$@"
