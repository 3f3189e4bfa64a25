// The on-screen keyboard of the preset screen and the save procedure.
#pragma once

#include "browser/catalogue.h"

#include <cstdint>

constexpr int kTypedNameMax = 195; // room left for the ".trp" ending and the terminator
constexpr char kPresetEnding[] = ".trp";

constexpr int kSaveFailureSize = 48;

extern uint8_t ver_teclado;                // the keyboard is shown
extern char saveFailure[kSaveFailureSize]; // why the last save failed, shown in the panel; or empty
extern char nombre_archivo[kPresetNameSize]; // preset name without folder: chosen or typed

// The preset screen's keyboard button, which is also the keyboard's close area; both
// bounds included.
bool inKeyboardButton(int32_t x, int32_t y);

// The character of the letter or digit key at (x, y), or '\0' in a gap or outside
// the keys.
char keyAt(int32_t x, int32_t y);

// Boxes of the panel keys; every bound includes both ends.
bool inDelKey(int32_t x, int32_t y);
bool inSaveKey(int32_t x, int32_t y);
bool inCancelKey(int32_t x, int32_t y);

// Appends c to name unless the name already holds kTypedNameMax characters.
void appendKey(char* name, char c);

// Removes the last character of name, if any.
void deleteLastKey(char* name);

// A press while the keyboard is shown: close area and the 36 keys.
void keyboardPress();

// The panel keys DEL, save and cancel, tested on every press of the preset screen.
// DEL and save change the name and the files only while the keyboard is shown.
void panelKeysPress();

// Writes the slots to presets/<nombre_archivo>.trp; then the name keeps its ending,
// the keyboard closes and the folder is listed again. A save that fails leaves the
// name and the keyboard as they were, with its reason in saveFailure and a line on
// standard error.
void savePreset();

// The short reason shown for a save that failed with the error number, such as
// "Not saved: read-only".
const char* saveFailureText(int error);
