// The pass clock: frames mixed so far, and the moment each frame is heard.
//
// The mixer's audio thread mixes a pass of frames whenever the device asks for one,
// and the moments of those requests wobble with the thread's scheduling. A
// delay-locked loop smooths them into a steady line from frames to time, the line a
// sound card's own clock draws, so that a hit made at a known moment can be put on
// the frame the line gives for that moment plus a constant delay.
//
// Some audio layers ask for several passes in one request, all mixed at once and
// heard one after the other. Only the first pass of a request tells when its frames
// are heard; the others are mixed whole passes ahead of their time, and hits must
// allow for that.
#pragma once

#include <cstdint>

// Frames of every pass mixed so far: the first frame of the pass mixed next. Written
// by the audio thread at the end of each pass; read by others under the audio lock.
extern int64_t mixedFrames;

// The smoothed line: when the pass that begins at `frame` is due, how long a pass of
// `frames` frames takes, the requests it was drawn from, and how far ahead of the
// line the latest pass came.
struct PassLine
{
    int64_t frame;
    int32_t frames;
    double due;          // microseconds, on hitClockUs's clock
    double period;       // microseconds; 0 before the first pass
    double lastUs;       // the moment of the latest pass
    int32_t requests;    // device requests since the line started
    int32_t passesAhead; // whole passes the latest pass came before its time
};

// Requests the line needs before passes ahead of it tell something: the first
// requests of a device may fill its whole buffer at once.
constexpr int32_t kSettlingRequests = 64;
// Passes ahead taken into account, at most: more are a layer gone astray.
constexpr int32_t kMaxPassesAhead = 15;

// The line after the pass of `frames` frames that began at `frame` was mixed at
// `nowUs`. A pass mixed within a quarter period of the one before belongs to the same
// request and moves the line on without correcting it; a pass that comes half a pass
// or more before its time on the line counts as that many whole passes ahead (one
// mixed right after a late one, to catch up, is not ahead). The first pass, or one
// far off the line (the device stopped a while), starts it afresh at the mixer's
// nominal period, which the loop then corrects: the spacing of a device's first
// passes says nothing of its period.
PassLine advanceLine(const PassLine& line, int64_t frame, int32_t frames, int64_t nowUs);

// The frame the line puts at `us`: the next pass's first frame while it has no period.
int64_t lineFrameAt(const PassLine& line, int64_t us);

// Audio thread, at the end of each pass: feeds the pass's moment to the line, counts
// its frames and keeps the most passes ahead of the settled line that a quarter of
// the requests of some window of 64 showed.
void tickPassClock(int32_t frames, int64_t nowUs);

// The frame heard at `us` on the current line, and the current line. Under the
// audio lock.
int64_t frameAtUs(int64_t us);
PassLine passLine();

// How far before its time a pass may be mixed, in frames and as a time: the most whole
// passes ahead of the settled line kept so far, never fewer. Zero while the device asks
// for one pass at a time. Under the audio lock.
int64_t passLeadFrames();
int64_t passLeadUs();

// A new mixer: no frames mixed, no line yet, no requests seen.
void resetPassClock();
