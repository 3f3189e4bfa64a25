// The eight sample slots: path, display name, decoded sound and assigned flag.
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

// Frees the slot's sound if the slot is assigned, leaving null in its place; the
// flag is the caller's.
void releaseSlot(int slot);

// Puts a decoded sound (or null) into an emptied slot. If the slot is the running
// control loop's and its channel fell silent when the old sound was freed, the
// loops get a boundary at once, so they never stall.
void storeSlotSound(int slot, Mix_Chunk* sound);

// Releases the slot's old sound, loads path into it, stores path and the first
// eight bytes of name, and marks it assigned whatever the decode gave. A path too
// long for the slot is stored cut to fit.
void assignSlot(int slot, const char* path, const char* name);

// releaseSlot for every slot, slot 0 first.
void releaseAllSlots();

// Shut-down: frees the sound of every slot, assigned or not.
void freeSlotSounds();

// Copies at most eight bytes of name into a display name, zero-filled.
void copyDisplayName(char (&dest)[kSlotNameSize], const char* name);
