// The pass clock: frames mixed so far, and the moment each frame is heard.
//
// The mixer's audio thread mixes a pass of frames whenever the device asks for one,
// and the moments of those requests wobble with the thread's scheduling. A
// delay-locked loop smooths them into a steady line from frames to time, the line a
// sound card's own clock draws, so that a hit made at a known moment can be put on
// the frame the line gives for that moment plus a constant delay.
#pragma once

#include <cstdint>

// Frames of every pass mixed so far: the first frame of the pass mixed next. Written
// by the audio thread at the end of each pass; read by others under the audio lock.
extern int64_t mixedFrames;

// The smoothed line: when the pass that begins at `frame` is due, and how long a pass
// of `frames` frames takes.
struct PassLine
{
    int64_t frame;
    int32_t frames;
    double due;    // microseconds, on hitClockUs's clock
    double period; // microseconds; 0 before the first pass
};

// The line after the pass of `frames` frames that began at `frame` was mixed at
// `nowUs`. The first pass, or one far off the line (the device stopped a while),
// starts it afresh at the mixer's nominal period, which the loop then corrects: the
// first passes may come in a burst, and their spacing says nothing of the period.
PassLine advanceLine(const PassLine& line, int64_t frame, int32_t frames, int64_t nowUs);

// The frame the line puts at `us`: the next pass's first frame while it has no period.
int64_t lineFrameAt(const PassLine& line, int64_t us);

// Audio thread, at the end of each pass: feeds the pass's moment to the line and
// counts its frames.
void tickPassClock(int32_t frames, int64_t nowUs);

// The frame heard at `us` on the current line, and the current line. Under the
// audio lock.
int64_t frameAtUs(int64_t us);
PassLine passLine();

// A new mixer: no frames mixed, no line yet.
void resetPassClock();
