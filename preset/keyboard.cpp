#include "preset/keyboard.h"

#include "app/layout.h"
#include "app/loop.h"
#include "browser/catalogue.h"
#include "preset/presetfile.h"
#include "preset/presetscreen.h"

#include <cstdio>
#include <cstring>

uint8_t ver_teclado;

namespace
{
void logName()
{
    printf("______");
    printf("DEL:    %s \n", nombre_archivo);
}

// Logs the name before and after; only a shown keyboard edits it, and not when
// the same press saves, so a press on the line DEL and save share never saves a
// name shortened by accident.
void delPress(bool alsoSaves)
{
    logName();
    if (ver_teclado && !alsoSaves)
        deleteLastKey(nombre_archivo);
    logName();
}
} // namespace

char keyAt(int32_t x, int32_t y)
{
    for (int key = 0; key < kKeyCount; ++key)
        if (inBox(keyBox(key), x, y))
            return kKeyCharacters[key];
    return '\0';
}

bool inDelKey(int32_t x, int32_t y)
{
    return inBox(kDelKeyBox, x, y);
}

bool inSaveKey(int32_t x, int32_t y)
{
    return inBox(kSaveKeyBox, x, y);
}

bool inCancelKey(int32_t x, int32_t y)
{
    return inBox(kCancelKeyBox, x, y);
}

void appendKey(char* name, char c)
{
    const size_t length = strlen(name);
    if (length >= kTypedNameMax)
        return;
    name[length] = c;
    name[length + 1] = '\0';
}

void deleteLastKey(char* name)
{
    const size_t length = strlen(name);
    if (length > 0)
        name[length - 1] = '\0';
}

void keyboardPress()
{
    if (inKeyboardButton(mx, my))
    {
        ver_teclado = 0;
        nombre_archivo[0] = '\0';
    }
    const char key = keyAt(mx, my);
    if (key)
        appendKey(nombre_archivo, key);
}

void panelKeysPress()
{
    const bool saves = inSaveKey(mx, my) && ver_teclado;
    if (inDelKey(mx, my))
        delPress(saves);
    if (saves)
        savePreset();
    if (inCancelKey(mx, my))
        ver_teclado = 0;
}

void savePreset()
{
    strncat(nombre_archivo, kPresetEnding, kPresetNameSize - 1 - strlen(nombre_archivo));
    writePreset(presetPath(nombre_archivo).c_str());
    ver_teclado = 0;
    scanCatalogue(kPresetFolder);
}
