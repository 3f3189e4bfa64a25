// The preset screen: preset list, load button and load dialog, keyboard button.
#pragma once

#include <cstdint>

extern uint8_t loop_win; // the load dialog is shown

// Press areas of the screen; every bound includes both ends.
bool inScrollUp(int32_t x, int32_t y);
bool inScrollDown(int32_t x, int32_t y);
bool inLoadButton(int32_t x, int32_t y);

// Background, list, then the keyboard or the hover bar, then the load dialog.
void drawPresetScreen();

// A press at (mx, my): dismisses the dialog alone; otherwise the keyboard or the
// list, scroll, keyboard and load buttons, and then the panel keys.
void presetScreenPress();

// Keyboard and load dialog hidden.
void resetPresetScreen();

// Every screen's state back at its start, the preset screen showing, and no preview
// playing: start-up and preset loading alike. The loop state is cleared before any
// sound is released, so the mixer's callback starts nothing from here on.
void putPlayerAtRest();

// Loads presets/<nombre_archivo> into all eight slots after putting the player at
// rest, and shows the dialog. A name that leads to no readable file changes nothing.
void loadPreset();
