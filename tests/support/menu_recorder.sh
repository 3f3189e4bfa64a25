#!/bin/sh
# Stands in for the firmware menu: records where and how it was started.
{
    echo "cwd=$(pwd)"
    echo "argc=$#"
    echo "arg0=$0"
    for arg in "$@"; do echo "arg=$arg"; done
} > "${PADBOX_MENU_RECORD:-/dev/null}"
