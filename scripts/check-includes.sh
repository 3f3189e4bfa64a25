#!/bin/sh
# Checks that includes point one way: every program file includes only headers of
# its own layer or a lower one, the browser never includes the preset screens, and
# inside preset/ the screen uses the keyboard, which uses the preset file, never back.
#
#   0  constants       app/layout.h, app/images.h, sound/mixer.h; app/utf8, the text rules
#   1  sound engine    sound/decode, slots, loops, mixer, preview, regularfile
#   2  platform        app/assets, app/display (the screen and the joystick), app/loop.h
#   3  screens         sound/pads, browser/, preset/
#   4  the shell       app/shell, app/loop.cpp, app/progress, app/midi, app/main.cpp,
#                      app/terminate.cpp
set -eu
cd "$(dirname "$0")/.."

layer() {
    case $1 in
    app/layout.h | app/images.h | app/utf8.* | sound/mixer.h) echo 0 ;;
    sound/pads.*) echo 3 ;;
    sound/*) echo 1 ;;
    app/assets.* | app/display.* | app/loop.h) echo 2 ;;
    browser/* | preset/*) echo 3 ;;
    app/*) echo 4 ;;
    *) echo "unknown layer: $1" >&2 && echo 9 ;;
    esac
}

status=0
for file in app/*.cpp app/*.h sound/*.cpp sound/*.h browser/*.cpp browser/*.h \
    preset/*.cpp preset/*.h; do
    from=$(layer "$file")
    for header in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file"); do
        to=$(layer "$header")
        if [ "$to" -gt "$from" ]; then
            echo "$file (layer $from) includes $header (layer $to)"
            status=1
        fi
        case $file:$header in
        browser/*:preset/*)
            echo "$file includes $header: the browser does not depend on the preset screens"
            status=1
            ;;
        preset/keyboard.*:preset/presetscreen.h | preset/presetfile.*:preset/presetscreen.h | \
            preset/presetfile.*:preset/keyboard.h)
            echo "$file includes $header: in preset/, screen -> keyboard -> file, never back"
            status=1
            ;;
        esac
    done
done
[ $status -eq 0 ] && echo "includes point one way"
exit $status
