#!/bin/sh
# The cross build for 32-bit ARM handhelds: scripts/device.sh armhf.
exec "$(dirname "$0")/device.sh" armhf
