// The preset screen: preset list, load button and load dialog, keyboard button.
#pragma once

#include <cstdint>

constexpr int kPresetNameSize = 200;

extern char nombre_archivo[kPresetNameSize]; // preset name without folder
extern uint8_t loop_win;                     // the load dialog is shown

void drawPresetScreen();
void presetScreenPress();

// Puts the player at rest and loads presets/<nombre_archivo> into all eight slots.
void loadPreset();
