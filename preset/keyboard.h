// The on-screen keyboard of the preset screen and the save procedure.
#pragma once

#include <cstdint>

extern uint8_t ver_teclado; // the keyboard is shown

// A press while the keyboard is shown: close area and the 36 keys.
void keyboardPress();

// The panel keys DEL, save and cancel, tested on every press of the preset screen.
void panelKeysPress();

// Writes the slots to presets/<nombre_archivo>.trp and lists the folder again.
void savePreset();
