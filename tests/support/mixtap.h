// Marked test sounds and the mixed stream as the mixer produced it.
//
// Every slot's test sound holds a level of its own, a power of two, so the level of
// the mix tells which slots sound in each frame; a short silent head marks where a
// sound starts, so a restart shows even when a sound follows itself.
#pragma once

#include <SDL/SDL.h>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kMarkFrames = 64; // silent head of every marked sound

// Writes a stereo WAV of `frames` frames for the slot: the silent head, the slot's
// level, then `tail` silent frames.
void writeMarkedSound(const std::string& path, int slot, int frames, int tail = 0);

// Start frames of the slot's sound in a mixed left channel (onsets less the head).
std::vector<int64_t> soundStarts(const std::vector<int16_t>& left, int slot);

// Spans [first, last) in which the slot sounds.
struct Span
{
    int64_t first, last;
};
std::vector<Span> soundSpans(const std::vector<int16_t>& left, int slot);

// Records every mixing pass from the mixer's post-mix hook into room made beforehand,
// so the audio thread allocates nothing. Call after the mixer is open.
void startMixTap(int maxFrames);

// Frames mixed so far. Read under the audio lock it is the exact frame from which
// a channel started now is heard.
int64_t mixPosition();

// Left channel of everything tapped; call once the mixer is closed.
std::vector<int16_t> tappedLeft();

// Whether every pass tapped was 256 frames long, as the library's callback asked.
bool everyPassWhole();

// Whether the disk driver's capture ends with the tapped stream, all of which
// fitted the room made for it; where the library resamples, less the last few passes,
// which its converter still held when it closed.
bool captureEndsWithTap(const std::vector<int16_t>& capture);

// Waits in real time until at least `frame` frames are mixed.
void waitForFrame(int64_t frame);

// Runs `action` under the audio lock once at least `frame` frames are mixed;
// returns the frame from which its effect is heard.
template <typename Action>
int64_t atFrame(int64_t frame, Action action)
{
    waitForFrame(frame);
    SDL_LockAudio();
    const int64_t at = mixPosition();
    action();
    SDL_UnlockAudio();
    return at;
}
