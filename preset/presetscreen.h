// The preset screen: preset list, load button and load dialog, keyboard button.
#pragma once

#include "browser/catalogue.h"

#include <cstdint>
#include <string>

extern char nombre_archivo[kPresetNameSize]; // preset name without folder
extern uint8_t loop_win;                     // the load dialog is shown

// Press areas of the screen; every bound includes both ends.
bool inScrollUp(int32_t x, int32_t y);
bool inScrollDown(int32_t x, int32_t y);
bool inKeyboardButton(int32_t x, int32_t y); // also the keyboard's close area
bool inLoadButton(int32_t x, int32_t y);

// The file a preset name stands for: the preset folder followed by the name.
std::string presetPath(const char* name);

// True when path is a regular file that opens for reading.
bool presetReadable(const std::string& path);

// Background, list, then the keyboard or the hover bar, then the load dialog.
void drawPresetScreen();

// A press at (mx, my): dismisses the dialog alone; otherwise the keyboard or the
// list, scroll, keyboard and load buttons, and then the panel keys.
void presetScreenPress();

// Keyboard and load dialog hidden.
void resetPresetScreen();

// Loads presets/<nombre_archivo> into all eight slots after putting the player at
// rest, and shows the dialog. A name that leads to no readable file changes nothing.
void loadPreset();
