#include "sound/pads.h"

#include "app/assets.h"

uint8_t pulsados[kPadCount];
int32_t t_pulsados[kPadCount];

int padAt(int32_t, int32_t)
{
    return -1;
}

void drawSamplePads()
{
    drawImage(f_play, p_rect);
}

void drawLoopPads()
{
    drawImage(f_play, p_rect);
}

void samplePadsPress() {}

void loopPadsPress() {}

void tickPadFlash() {}
