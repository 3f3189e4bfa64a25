// The eight sample slots: path, display name, decoded sound and assigned flag.
//
// Only the operations below write the four arrays; every other module reads them.
// A slot is filled in one of two ways, the browser's assign and the preset load,
// which differ in when the slot counts as assigned and in what they print.
//
// The mixer's audio thread reads the loop slots' sounds at every boundary, so a
// sound is taken out of or put into `samples` only under the audio lock, and a
// released slot holds null, never a freed sound.
#pragma once

#include <SDL/SDL_mixer.h>
#include <cstdint>

constexpr int kSlotCount = 8;      // slots 0-3 one-shots, 4-7 loops; slot s plays on channel s
constexpr int kSlotPathSize = 200; // a path of at most 199 bytes and its terminator
constexpr int kSlotNameSize = 9;   // a display name of at most 8 bytes and its terminator
constexpr int kSlotNameLength = kSlotNameSize - 1;

extern char lista_samples[kSlotCount][kSlotPathSize]; // path relative to the working directory
extern char nombres[kSlotCount][kSlotNameSize];       // display name under the pad
extern Mix_Chunk* samples[kSlotCount];                // owned by the slot; null plays nothing
extern uint8_t asignados[kSlotCount];                 // the slot holds a sound the program loaded

// Decodes the file at path; null when it cannot be opened or decoded. The one place
// where a file becomes a sound, for the slots and for the browser's preview alike.
Mix_Chunk* loadSlotSound(const char* path);

// Plays the slot's sound once, with no time limit, on the slot's own channel. A
// channel still playing is cut and starts again; a null sound plays nothing.
void playSlot(int slot);

// Has the slot's channel play frames [from, to) of the slot's sound through `view`, a
// chunk that points into the sound; with no frames the channel stops. A slot with no
// sound leaves the channel alone. Under the audio lock.
void playSlotPart(int slot, Mix_Chunk* view, int64_t from, int64_t to);

// Whether the slot's channel plays through `view`, and the frame of the slot's sound
// on which that view ends. Under the audio lock.
bool slotPartPlaying(int slot, const Mix_Chunk* view);
int64_t slotPartEnd(int slot, const Mix_Chunk* view);

// Frames of the slot's sound; 0 when it has none.
int64_t slotFrames(int slot);

// Mixes the first `frames` frames of the slot's sound (fewer if it is shorter) into a
// pass from its frame `at` on, as the slot's channel at `volume` would mix them: how a
// sound starts on its own frame inside a pass. Audio thread.
void mixSlotHead(Uint8* stream, int slot, int32_t volume, int64_t at, int64_t frames);

// Frees the slot's sound if the slot is assigned, leaving null in its place, and
// clears its flag. Path and name stay until the slot is filled again.
void releaseSlot(int slot);

// The browser's assign: frees the slot's old sound, loads path into it, stores path
// and the first eight bytes of name (fewer where a UTF-8 character would be cut), and marks it
// assigned whatever the decode gave. The flag of a slot assigned before stays set throughout. A
// path too long for the slot is stored cut to fit.
void assignSlot(int slot, const char* path, const char* name);

// The preset load's fill of a released slot: stores path and the first eight bytes
// of name, counts the slot as assigned when path is not empty, prints path on
// standard output, then loads path into it.
void fillSlotFromPreset(int slot, const char* path, const char* name);

// releaseSlot for every slot, slot 0 first.
void releaseAllSlots();

// Start-up: no slot counts as assigned.
void clearAssignedFlags();

// Shut-down: frees the sound of every slot, assigned or not, and clears its flag.
void freeSlotSounds();

// Copies at most eight bytes of name into a display name, zero-filled, without
// cutting a UTF-8 character.
void copyDisplayName(char (&dest)[kSlotNameSize], const char* name);
