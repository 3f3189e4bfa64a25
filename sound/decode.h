// Sound files to mixer chunks at their true pitch and length.
//
// The mixer's own loader reads only plain 8- and 16-bit PCM WAV files and changes
// their rate without any filter, so it keeps just those already at the mixer's rate;
// every other file is read with libsndfile and resampled with libsoxr.
#pragma once

#include <SDL/SDL_mixer.h>
#include <cstdint>
#include <cstdio>

// The longest sound decoded: ten minutes (about 53 MB at 22050 Hz, 16-bit stereo).
// A longer file is refused before any sample buffer is allocated.
constexpr int kMaxSoundSeconds = 600;

// Sources outside these limits are refused: they bound the work a file can ask for.
constexpr int kMinSourceRate = 1000;
constexpr int kMaxSourceRate = 384000;
constexpr int kMaxSourceChannels = 8;

// Which loader takes a file.
enum SoundRoute
{
    kMixerLoader, // a plain PCM WAV at the mixer's rate, which the mixer's loader reads as it is
    kDecoder,     // anything else: libsndfile decides whether it can read it
    kRefused,     // a WAV whose header is broken or asks for too much
};

// Reads the header of the stream (leaving its position anywhere) and picks the loader.
// Only RIFF WAVE files are looked into; every chunk up to the sample data must lie
// within the stream.
SoundRoute routeSound(FILE* stream, int mixerRate);

// Told, between blocks of every decode, which file is read and how much of it (0 to
// 1), the first time before anything is read. Returning false stops the decode,
// which then gives null. Runs on the thread that decodes.
using DecodeWatcher = bool (*)(const char* path, double done);

// Installs the watcher every later decode reports to; null removes it, and then
// every decode runs to its end. The decoder's one way up to the program: the shell
// installs its progress watcher at start-up and removes it at shut-down.
void setDecodeWatcher(DecodeWatcher watcher);

// Tells the installed watcher, if any, how much of the file at path is read (0 to 1);
// whether the work should go on. Other long reads of the main thread, such as a
// preset's, report through it too.
bool workWanted(const char* path, double done);

// Decodes the file at path into a chunk in the open mixer's format (16-bit, mono or
// stereo, any rate); null, silently, when the mixer is not open in such a format or
// the file cannot be opened, is not a regular file, is not sound, is corrupt, breaks
// the limits above or is stopped by the watcher.
// Mono plays on both sides; more than two channels are mixed down. Mix_FreeChunk
// frees the result.
Mix_Chunk* decodeSound(const char* path);

// Mixes interleaved frames of inChannels channels into outChannels (1 or 2). In
// stereo the first two channels are left and right and every further channel goes to
// both sides at half level, scaled so that full-scale input stays within full scale;
// in mono all channels are averaged.
void mixDown(const float* in, int inChannels, long frames, float* out, int outChannels);
