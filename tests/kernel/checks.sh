#!/bin/sh
# The checks on the kernel that run.sh boots, run in a chroot of the build machine's
# root with /dev, /proc and /sys of that kernel and /tmp/out written back to the build
# folder. Sound modules are loaded in two steps: first without the sequencer, then
# with it, and the virtual MIDI card once padbox runs, so its ports appear late.
# Exits with the number of checks that failed.
#
#   checks.sh BUILD
set -u
build=$1
modules=$build/kernel/modules
tools=$build/tests/kernel
out=/tmp/out
notes=240 # the benchmark's
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=alsa AUDIODEV=hw:Loopback,0
failures=0

result() { # status, check
    if [ "$1" -eq 0 ]; then
        echo "kernel check: $2: ok"
    else
        echo "kernel check: $2: FAILED"
        failures=$((failures + 1))
    fi
}

load() { # modules...
    for module in "$@"; do
        insmod "$modules/$module.ko" || echo "insmod $module failed"
    done
}

within() { # tenths of a second, command...: whether the command succeeds by then
    tenths=$1
    shift
    until "$@" >/dev/null 2>&1; do
        tenths=$((tenths - 1))
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
    done
}

playing() { # padbox's sound reaches the loopback card
    grep -q RUNNING /proc/asound/Loopback/pcm0p/sub0/status
}

ends() { # pid: the program quits in order on a terminate, with status 0
    kill -TERM "$1"
    wait "$1"
}

# SDL's ALSA driver has alsa-lib report each underrun of the playback: lines of the
# emulator's load, not of padbox.
withoutUnderruns() { # file
    grep -v "^ALSA lib .*underrun occurred" "$1"
}

underruns() { # file: how many underruns it reports
    grep -c "underrun occurred" "$1"
}

# Readable, subscribable ports of every client but the system's, as aconnect lists
# them, one client:port a line.
sources() {
    aconnect -i | awk '/^client / { client = $2 + 0; next }
        client != 0 && /^ +[0-9]+ / { print client ":" $1 }'
}

# The ports padbox's input is connected from, one client:port a line.
connected() {
    aconnect -l | awk "/^client / { ours = /'padbox'/; next }
        ours && /Connected From:/ { sub(/.*Connected From: /, \"\"); print }" |
        sed 's/\[[^]]*\]//g; s/[ ,][ ,]*/\n/g' | grep .
}

everySourceConnected() {
    for port in $(sources); do
        connected | grep -qx "$port" || return 1
    done
}

# 1. No sequencer: the loopback card alone. padbox plays and says why it has no MIDI.
load soundcore snd snd-timer snd-pcm snd-aloop
[ ! -e /dev/snd/seq ]
result $? "no /dev/snd/seq before the sequencer's modules"
cp -r "$build/stage" /tmp/plain
cd /tmp/plain || exit 1
./padbox 2>"$out/no-sequencer.err" &
program=$!
within 100 playing
result $? "without a sequencer padbox starts and plays to the loopback card"
ends "$program"
result $? "without a sequencer padbox ends in order"
[ "$(withoutUnderruns "$out/no-sequencer.err")" = \
    "Couldn't open the ALSA sequencer: No such file or directory; running without MIDI" ]
result $? "without a sequencer padbox says why in one line"
cat "$out/no-sequencer.err"

# 2. The sequencer, with its Midi Through port: padbox connects to it at start.
load snd-seq-device snd-seq snd-seq-dummy snd-rawmidi snd-seq-midi-event snd-seq-virmidi
mkdir /tmp/kit
cp -r "$build/stage/img" /tmp/kit/
"$tools/kernelcheck" sounds /tmp/kit
cd /tmp/kit || exit 1
"$tools/padbox_kernel" >"$out/midi.out" 2>"$out/midi.err" &
program=$!
within 100 connected && within 100 playing && everySourceConnected
result $? "padbox's client appears and connects to every source at start"

# 3. A MIDI card that appears while padbox runs: its four ports are connected.
load snd-virmidi
within 100 everySourceConnected
result $? "the four ports of a card loaded later are connected"
aconnect -l >"$out/aconnect.txt"
cat "$out/aconnect.txt"

# 4. Notes to the new card's first port, recorded from the loopback's other side into a
# buffer of a second, which the capture never overruns; run.sh checks the recording.
# When the playback underruns, the card goes on copying what its buffer held until the
# underrun is seen, and the recording gains frames the program never wrote. A
# recording during which the emulator let padbox underrun is made once more, and the
# last is kept if every one did.
cat /proc/asound/Loopback/pcm0p/sub0/hw_params >"$out/hw_params.txt"
period=$(sed -n 's/^period_size: //p' "$out/hw_params.txt")
buffer=$(sed -n 's/^buffer_size: //p' "$out/hw_params.txt")
midi=$(ls /dev/snd/midiC*D0)
record() { # whether padbox played the checks' notes without an underrun
    before=$(underruns "$out/midi.err")
    arecord -q -D hw:Loopback,1 -f S16_LE -r 22050 -c 2 --period-size="$period" \
        --buffer-size=22050 -t raw /tmp/heard.raw &
    recorder=$!
    within 100 grep -q RUNNING /proc/asound/Loopback/pcm1c/sub0/status
    result $? "arecord records the loopback card"
    "$tools/kernelcheck" play "$midi"
    result $? "the checks' notes written to $midi"
    kill -INT "$recorder"
    wait "$recorder"
    [ "$(underruns "$out/midi.err")" -eq "$before" ]
}
for attempt in 1 2 3; do
    record && break
    echo "padbox's playback underran during recording $attempt"
done
cp /tmp/heard.raw "$out/"

# 5. The benchmark: note bytes written to the first frame of their sound recorded.
"$tools/kernelcheck" bench "$midi" hw:Loopback,1 "$period" "$buffer" "$notes" >"$out/bench.txt"
result $? "the benchmark's $notes notes each heard once"
cat "$out/bench.txt"

# 6. The MIDI card unplugged while padbox plays, as a USB card goes: its driver let go
# of its device. padbox plays on.
unplugged() {
    ! aconnect -l | grep -q "'Virtual Raw MIDI"
}
timeout 10 sh -c "echo snd_virmidi.0 >/sys/bus/platform/drivers/snd_virmidi/unbind" &&
    within 100 unplugged && everySourceConnected
result $? "the virtual MIDI card unplugged"
sleep 1
kill -0 "$program" && playing
result $? "padbox plays on without the card"

ends "$program"
result $? "with MIDI padbox ends in order: its reader stops before the mixer closes"
! withoutUnderruns "$out/midi.err"
result $? "with a sequencer padbox prints nothing on standard error"
echo "padbox's playback underran $(underruns "$out/midi.err") times in the emulator"
exit "$failures"
