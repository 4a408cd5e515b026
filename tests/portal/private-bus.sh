# Sourced by the portal tests and benchmarks: a session bus of their own that starts no service by
# itself, so that the desktop's real portal never answers in place of the stand-in.
# private_bus_config DIR [SERVICEDIR] writes DIR/bus.conf (listening in DIR);
# private_bus_start DIR starts a daemon on it, exports DBUS_SESSION_BUS_ADDRESS and sets bus_pid.

private_bus_config() {
    local services=""
    [ -n "${2:-}" ] && services="  <servicedir>$2</servicedir>"
    cat >"$1/bus.conf" <<XML
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$1</listen>
  <auth>EXTERNAL</auth>
$services
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
XML
}

private_bus_start() {
    DBUS_SESSION_BUS_ADDRESS="$(dbus-daemon --config-file="$1/bus.conf" --fork --print-address=1 \
        --print-pid=3 3>"$1/bus.pid")"
    export DBUS_SESSION_BUS_ADDRESS
    bus_pid="$(cat "$1/bus.pid")"
}
