// Sound synthesis for the demo content: stereo buffers, noise, filters, envelopes
// and the instruments that the kits and loops are played on.
#pragma once

#include "sound/mixer.h"

#include <vector>

constexpr int kRate = kMixerRate; // so the files load without conversion

// Lengths of the one-shot drum voices; a drum never sounds past its length.
constexpr int kKickFrames = kRate * 45 / 100;
constexpr int kClapFrames = kRate * 35 / 100;
constexpr int kClosedHatFrames = kRate * 9 / 100;
constexpr int kOpenHatFrames = kRate * 36 / 100;
constexpr int kTomFrames = kRate * 60 / 100;

// A stereo sound in floating point, full scale at +-1. Voices written past its end
// wrap round to its start, so a loop's tails run into its own beginning.
struct Sound
{
    std::vector<float> left;
    std::vector<float> right;
};

// Buffers: a silent sound, its length, and adding one stereo frame with wrap-round.
Sound makeSound(int frames);
int soundFrames(const Sound& sound);
void mixFrame(Sound& sound, long frame, float left, float right);

// Levels: the largest absolute sample, and scaling the sound to a peak in dBFS.
float peakOf(const Sound& sound);
void normalizePeak(Sound& sound, float peakDb);

// Fades the first and last frames in and out, so a loop whose tails ring across
// its end still starts from silence and ends on it.
void fadeEdges(Sound& sound, int frames);

// Pitch of a MIDI note number (69 = A4 = 440 Hz).
float noteHz(float midi);

// White noise in [-1, 1) from one fixed seed, so every run writes the same files.
float whiteNoise();

// Trapezoidal state-variable filter: one call filters one sample at the given
// cutoff (Hz) and resonance (Q) and gives all three responses.
struct Svf
{
    float ic1 = 0;
    float ic2 = 0;
};
struct SvfOut
{
    float low, band, high;
};
SvfOut svfTick(Svf& filter, float in, float cutoff, float q);

// One-pole low-pass for darkening echoes.
struct OnePole
{
    float z = 0;
};
float onePoleLow(OnePole& filter, float in, float cutoff);

// Band-limited (polyBLEP) sawtooth; phase runs from 0 to 1 and is advanced.
float sawTick(float& phase, float hz);

// Attack, exponential decay to sustain, and a release that lands exactly on zero,
// all in seconds. Gate is how long the note is held.
struct Envelope
{
    float attack, decay, sustain, release;
};
float envelopeAt(const Envelope& envelope, float t, float gate);

// Drums: each adds one hit at frame `at` with a velocity of 0 to 1; the hat also
// takes a pan of -1 (left) to 1 (right) and the tom its pitch.
void playKick(Sound& out, long at, float velocity);
void playClap(Sound& out, long at, float velocity);
void playHat(Sound& out, long at, float velocity, bool open, float pan);
void playTom(Sound& out, long at, float velocity, float hz);

// Pitched voices: each adds one note at frame `at`, held for `gate` frames and
// then released.
void playBass(Sound& out, long at, long gate, int midi, float velocity);
void playKeys(Sound& out, long at, long gate, int midi, float velocity);
void playLead(Sound& out, long at, long gate, int midi, float velocity);

// Ping-pong echo of the sound onto itself, darkened, with delays in frames;
// echoes past the end wrap round like every voice.
void addEcho(Sound& sound, long delay, float feedback);
