#include "preset/keyboard.h"

uint8_t ver_teclado;

void keyboardPress() {}

void panelKeysPress() {}

void savePreset() {}
