#include "sound/slots.h"

#include "app/utf8.h"
#include "sound/decode.h"
#include "sound/hits.h"
#include "sound/loops.h"
#include "sound/mixer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

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
    retireHitView(slot);
    SDL_UnlockAudio();
    return sound;
}

// Puts a decoded sound (or null) into an emptied slot. If the slot is the running
// control loop's and its channel fell silent when the old sound was freed, the
// loops get a boundary at once, so they never stall.
void storeSlotSound(int slot, Mix_Chunk* sound)
{
    SDL_LockAudio();
    samples[slot] = sound;
    settleBeat();
    SDL_UnlockAudio();
}

// Frees the slot's sound if the slot is assigned, leaving null in its place.
void freeAssignedSound(int slot)
{
    if (asignados[slot])
        Mix_FreeChunk(takeSlotSound(slot)); // also silences any channel still playing it
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

void playSlotPart(int slot, Mix_Chunk* view, int64_t from, int64_t to)
{
    const Mix_Chunk* sound = samples[slot];
    if (!sound)
        return;
    if (from >= to)
    {
        Mix_HaltChannel(slot);
        return;
    }
    view->allocated = 0; // the data is the slot's
    view->abuf = sound->abuf + from * kMixerFrameBytes;
    view->alen = static_cast<Uint32>((to - from) * kMixerFrameBytes);
    view->volume = sound->volume;
    Mix_PlayChannelTimed(slot, view, kPlayOnce, kNoTimeLimit);
}

bool slotPartPlaying(int slot, const Mix_Chunk* view)
{
    return Mix_Playing(slot) && Mix_GetChunk(slot) == view;
}

int64_t slotPartEnd(int slot, const Mix_Chunk* view)
{
    return (view->abuf + view->alen - samples[slot]->abuf) / kMixerFrameBytes;
}

int64_t slotFrames(int slot)
{
    return samples[slot] ? samples[slot]->alen / kMixerFrameBytes : 0;
}

void mixSlotHead(Uint8* stream, int slot, int32_t volume, int64_t at, int64_t frames)
{
    const Mix_Chunk* sound = samples[slot];
    frames = std::min(frames, slotFrames(slot));
    if (frames > 0)
        SDL_MixAudio(stream + at * kMixerFrameBytes, sound->abuf,
                     static_cast<Uint32>(frames * kMixerFrameBytes),
                     volume * sound->volume / MIX_MAX_VOLUME);
}

void releaseSlot(int slot)
{
    freeAssignedSound(slot);
    asignados[slot] = 0;
}

void copyDisplayName(char (&dest)[kSlotNameSize], const char* name)
{
    const size_t length = characterPrefix(name, kSlotNameLength);
    memset(dest, 0, sizeof dest);
    memcpy(dest, name, length);
}

void assignSlot(int slot, const char* path, const char* name)
{
    freeAssignedSound(slot);                   // replaced in place: the slot stays assigned
    storeSlotSound(slot, loadSlotSound(path)); // decoded without the lock: it may take long
    snprintf(lista_samples[slot], kSlotPathSize, "%s", path);
    asignados[slot] = 1;
    copyDisplayName(nombres[slot], name);
}

void fillSlotFromPreset(int slot, const char* path, const char* name)
{
    snprintf(lista_samples[slot], kSlotPathSize, "%s", path);
    asignados[slot] = path[0] != '\0';
    copyDisplayName(nombres[slot], name);
    puts(path);
    storeSlotSound(slot, loadSlotSound(path));
}

void releaseAllSlots()
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        releaseSlot(slot);
}

void clearAssignedFlags()
{
    std::fill(std::begin(asignados), std::end(asignados), 0);
}

void freeSlotSounds()
{
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        Mix_FreeChunk(takeSlotSound(slot));
        asignados[slot] = 0;
    }
}
