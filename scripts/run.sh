#!/bin/sh
# Sets up, builds and starts the program. With no evaluation board plugged in
# it starts on the simulated board (--demo). Extra arguments go to the program
# (--trace FILE, for one).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default

board_present() {
    # A board shows up as a hidraw node with USB vendor 0x09AA, product 0x2007.
    grep -qs 'HID_ID=0003:000009AA:00002007' /sys/class/hidraw/*/device/uevent
}

case " $* " in
*" --demo "*) ;;
*)
    if ! board_present; then
        echo "No QDM7720A evaluation board found: starting on the simulated board (--demo)."
        set -- --demo "$@"
    fi
    ;;
esac
exec build/default/bin/qdm7720a-eval "$@"
