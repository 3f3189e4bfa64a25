// The mixer: its output format, opening and closing it, and its program-wide settings.
//
// The format is the one every part of padbox agrees on: the decoder converts to it,
// the demo content is written in it, and the tests read captured audio in it.
#pragma once

#include <SDL/SDL_audio.h>
#include <cstdint>

constexpr int kMixerRate = 22050;
// Signed 16-bit in the host's byte order, which is little-endian on every target
// padbox is built for; the decoder writes its samples in host order.
constexpr uint16_t kMixerFormat = AUDIO_S16SYS;
constexpr int kMixerChannels = 2; // stereo output
constexpr int kMixerBuffer = 256; // frames mixed in one pass of the audio thread
constexpr int kMixerFrameBytes = 2 * kMixerChannels;

// Arguments of a channel play: the sound once, with no time limit.
constexpr int kPlayOnce = 0;
constexpr int kNoTimeLimit = -1;

// Volume given to every mixer channel; above the mixer's maximum, so full volume.
extern int32_t volumen;

// Opens the audio device in the format above. When it cannot be opened, one line on
// standard error says so and start-up goes on without sound.
void openMixer();

// Every channel at volumen, the loop synchroniser's channel-finished callback and
// mixPass as the post-mix callback.
void setUpMixer();

// The post-mix callback, on the audio thread once per pass: loop starts and hits
// mixed in on their frames, then the pass clock told of the pass.
void mixPass(void* unused, Uint8* stream, int len);

// Closes the audio device.
void closeMixer();
