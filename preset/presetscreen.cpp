#include "preset/presetscreen.h"

#include "app/assets.h"

char nombre_archivo[kPresetNameSize];
uint8_t loop_win;

void drawPresetScreen()
{
    drawImage(f_presets, p_rect);
}

void presetScreenPress() {}

void loadPreset() {}
