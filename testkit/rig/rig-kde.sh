#!/usr/bin/env bash
# A headless KDE Plasma desktop for the Wayland tests: a private D-Bus, KWin with one virtual
# 1280x720 output and Xwayland, PipeWire with WirePlumber, the permission store and the
# screen-cast portal (xdg-desktop-portal with its KDE back end). Same contract as rig.sh: runs
# the given command inside it with WAYLAND_DISPLAY, DISPLAY, XAUTHORITY, DBUS_SESSION_BUS_ADDRESS
# and XDG_RUNTIME_DIR set, then stops every process it started, by PID, and removes its folder.
# Programs made for rig.sh drive this seat when RIG_DRIVER names magnifier_kde_rig_driver.
# Usage: testkit/rig/rig-kde.sh COMMAND [ARG...]   (exit status: the command's; 3 if the rig failed)
rig_desktop=KDE
source "$(dirname "${BASH_SOURCE[0]}")/rig-common.sh"

# kwin_wayland carries a file capability (cap_sys_resource); where the bounding set lacks it, as
# in a container, the kernel refuses to execute it at all. A copy has no capabilities and needs none.
mkdir -p "$rig/bin"
cp /usr/bin/kwin_wayland "$rig/bin/kwin_wayland" || fail "no kwin_wayland"
# KWin starts the programs named after its options once Xwayland is up, with its DISPLAY set:
# this one writes that environment down for the rig.
cat >"$rig/bin/announce" <<'SH'
#!/bin/sh
env >"$XDG_RUNTIME_DIR/kwin.env.part" && mv "$XDG_RUNTIME_DIR/kwin.env.part" "$XDG_RUNTIME_DIR/kwin.env"
SH
chmod +x "$rig/bin/announce"
# Without the permission checks any client may bind KWin's privileged interfaces: the seat
# driver's fake input, and the portal's screen cast whatever its executable's path; and any
# process may take a screenshot through org.kde.KWin.ScreenShot2, to see what a failing test saw.
start kwin env KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
    "$rig/bin/kwin_wayland" --virtual --xwayland \
    --width 1280 --height 720 --socket wayland-rig --no-lockscreen --no-global-shortcuts --no-kactivities \
    "$rig/bin/announce"
compositor_pid=${pids[-1]}
wait_for '[ -s "$XDG_RUNTIME_DIR/kwin.env" ]' 300 || fail "KWin started no Xwayland"
wait_for 'has_name org.kde.KWin' 100 || fail "KWin did not come up"
display=$(sed -n 's/^DISPLAY=//p' "$XDG_RUNTIME_DIR/kwin.env")
[ -n "$display" ] || fail "KWin gave no DISPLAY"
XAUTHORITY=$(sed -n 's/^XAUTHORITY=//p' "$XDG_RUNTIME_DIR/kwin.env")
# KWin's own Xwayland takes no authority: an empty file makes clients send none.
if [ -z "$XAUTHORITY" ]; then
    XAUTHORITY=$rig/Xauthority
    : >"$XAUTHORITY"
fi
export WAYLAND_DISPLAY=wayland-rig DISPLAY=$display XAUTHORITY

# Its share dialog is Qt Quick: drawn with GL on llvmpipe, the portal crashed now and then while
# the dialog was open ("The Wayland connection experienced a fatal error").
portal_kde=$(ls /usr/lib/*/libexec/xdg-desktop-portal-kde 2>/dev/null | head -n 1)
[ -n "$portal_kde" ] || fail "no xdg-desktop-portal-kde"
rig_portal portal-kde org.freedesktop.impl.portal.desktop.kde KDE env QT_QUICK_BACKEND=software "$portal_kde"
rig_run "$@"
