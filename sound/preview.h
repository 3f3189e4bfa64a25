// The sample browser's preview: one file played once on any idle channel.
//
// A preview belongs to no slot. One plays at a time, so previews never hold more
// than one sound. The main thread frees it once the mixer has ended it or given its
// channel to another sound, deciding that under the audio lock.
#pragma once

#include <SDL/SDL_mixer.h>

// The preview handed to the mixer and the channel it was started on; no sound when
// there is none.
struct Preview
{
    Mix_Chunk* sound;
    int channel;
};
extern Preview preview;

// Stops the preview still playing, then decodes the file at path and plays it once
// on the first idle channel. A file that does not decode plays nothing; a sound the
// mixer declines (no idle channel) is freed at once.
void playPreview(const char* path);

// Once per frame: frees the preview once its channel has ended it or moved on to
// another sound. A slot's sound is never the preview.
void releaseFinishedPreview();

// Stops the preview, if it still plays, and frees its sound: a new preview, a preset
// load and shut-down.
void stopPreview();
