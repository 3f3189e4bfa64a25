// The eight sample slots: path, display name, decoded sound and assigned flag.
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

// Decodes the file at path; null when it cannot be opened or decoded.
Mix_Chunk* loadSlotSound(const char* path);

// Frees the slot's sound if the slot is assigned; flag and handle are the caller's.
void releaseSlot(int slot);

// Releases the slot's old sound, loads path into it, stores path and the first
// eight bytes of name, and marks it assigned whatever the decode gave.
void assignSlot(int slot, const char* path, const char* name);

// releaseSlot for every slot, slot 0 first.
void releaseAllSlots();

// Shut-down: frees the sound of every slot, assigned or not.
void freeSlotSounds();

// Copies at most eight bytes of name into a display name, zero-filled.
void copyDisplayName(char (&dest)[kSlotNameSize], const char* name);
