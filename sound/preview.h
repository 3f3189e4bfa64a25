// The sample browser's previews: files played once on any idle channel.
//
// A preview belongs to no slot. The main thread frees it once the mixer has ended it
// or given its channel to another sound, deciding that under the audio lock.
#pragma once

#include <SDL/SDL_mixer.h>
#include <vector>

// A preview sound handed to the mixer, and the channel it was started on.
struct Preview
{
    Mix_Chunk* sound;
    int channel;
};
extern std::vector<Preview> previews;

// Decodes the file at path and plays it once on the first idle channel. A file that
// does not decode plays nothing; a sound the mixer declines (no idle channel) is
// freed at once.
void playPreview(const char* path);

// Once per frame: frees the previews whose channel has ended them or moved on to
// another sound. Slot sounds are never in the list.
void releaseFinishedPreviews();

// Shut-down: frees every preview sound that is left.
void releaseAllPreviews();
