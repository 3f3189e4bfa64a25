#include "sound/slots.h"

#include "sound/decode.h"
#include "sound/loops.h"
#include "sound/mixer.h"

#include <cstdio>
#include <cstring>

char lista_samples[kSlotCount][kSlotPathSize];
char nombres[kSlotCount][kSlotNameSize];
Mix_Chunk* samples[kSlotCount];
uint8_t asignados[kSlotCount];

namespace
{
// Empties the slot under the audio lock, so the callback sees either the old
// sound whole or null, and hands the old sound back for freeing, no channel playing
// any part of it.
Mix_Chunk* takeSlotSound(int slot)
{
    SDL_LockAudio();
    Mix_Chunk* sound = samples[slot];
    samples[slot] = nullptr;
    retireLoopView(slot);
    SDL_UnlockAudio();
    return sound;
}
} // namespace

Mix_Chunk* loadSlotSound(const char* path)
{
    return decodeSound(path);
}

void playSlot(int slot)
{
    Mix_PlayChannelTimed(slot, samples[slot], kPlayOnce, kNoTimeLimit);
}

void releaseSlot(int slot)
{
    if (asignados[slot])
        Mix_FreeChunk(takeSlotSound(slot)); // also silences any channel still playing it
}

void storeSlotSound(int slot, Mix_Chunk* sound)
{
    SDL_LockAudio();
    samples[slot] = sound;
    settleBeat();
    SDL_UnlockAudio();
}

void copyDisplayName(char (&dest)[kSlotNameSize], const char* name)
{
    strncpy(dest, name, kSlotNameLength);
    dest[kSlotNameLength] = '\0';
}

void assignSlot(int slot, const char* path, const char* name)
{
    releaseSlot(slot);
    storeSlotSound(slot, loadSlotSound(path)); // decoded without the lock: it may take long
    snprintf(lista_samples[slot], kSlotPathSize, "%s", path);
    asignados[slot] = 1;
    copyDisplayName(nombres[slot], name);
}

void releaseAllSlots()
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        releaseSlot(slot);
}

void freeSlotSounds()
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        Mix_FreeChunk(takeSlotSound(slot));
}
