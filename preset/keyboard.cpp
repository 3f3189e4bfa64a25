#include "preset/keyboard.h"

#include "app/loop.h"
#include "browser/catalogue.h"
#include "preset/presetfile.h"
#include "preset/presetscreen.h"

#include <cstdio>
#include <cstring>

uint8_t ver_teclado;

namespace
{
// Letter and digit keys: 3 rows of 12 keys of 24 x 24 pixels, with gaps between.
constexpr int kKeyColumns = 12;
constexpr int kKeyRows = 3;
constexpr int32_t kKeySize = 24;
constexpr int32_t kKeyLeft = 5, kKeyPitchX = 26;
constexpr int32_t kKeyRowTops[kKeyRows] = {41, 66, 91};
constexpr int kLetterCount = 26;

constexpr int32_t kDelLeft = 190, kDelRight = 239, kDelTop = 118, kDelBottom = 142;
constexpr int32_t kSaveLeft = 239, kSaveRight = 273, kSaveTop = 120, kSaveBottom = 143;
constexpr int32_t kCancelLeft = 275, kCancelRight = 314, kCancelTop = 120, kCancelBottom = 144;

bool within(int32_t v, int32_t low, int32_t high)
{
    return v >= low && v <= high;
}

char keyCharacter(int row, int column)
{
    const int n = kKeyColumns * row + column;
    return static_cast<char>(n < kLetterCount ? 'a' + n : '0' + (n - kLetterCount));
}

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
    for (int column = 0; column < kKeyColumns; ++column)
    {
        const int32_t left = kKeyLeft + kKeyPitchX * column;
        for (int row = 0; row < kKeyRows; ++row)
            if (within(x, left, left + kKeySize - 1) &&
                within(y, kKeyRowTops[row], kKeyRowTops[row] + kKeySize - 1))
                return keyCharacter(row, column);
    }
    return '\0';
}

bool inDelKey(int32_t x, int32_t y)
{
    return within(x, kDelLeft, kDelRight) && within(y, kDelTop, kDelBottom);
}

bool inSaveKey(int32_t x, int32_t y)
{
    return within(x, kSaveLeft, kSaveRight) && within(y, kSaveTop, kSaveBottom);
}

bool inCancelKey(int32_t x, int32_t y)
{
    return within(x, kCancelLeft, kCancelRight) && within(y, kCancelTop, kCancelBottom);
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
