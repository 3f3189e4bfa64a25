#include "sound/slots.h"

#include "sound/decode.h"

#include <cstring>

char lista_samples[kSlotCount][kSlotPathSize];
char nombres[kSlotCount][kSlotNameSize];
Mix_Chunk* samples[kSlotCount];
uint8_t asignados[kSlotCount];

Mix_Chunk* loadSlotSound(const char* path)
{
    return decodeSound(path);
}

void releaseSlot(int slot)
{
    if (asignados[slot])
        Mix_FreeChunk(samples[slot]);
}

void copyDisplayName(char (&dest)[kSlotNameSize], const char* name)
{
    strncpy(dest, name, kSlotNameLength);
    dest[kSlotNameLength] = '\0';
}

void assignSlot(int slot, const char* path, const char* name)
{
    releaseSlot(slot);
    samples[slot] = loadSlotSound(path);
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
    for (Mix_Chunk*& sound : samples)
    {
        Mix_FreeChunk(sound);
        sound = nullptr;
    }
}
