#include "preset/keyboard.h"

#include "app/layout.h"
#include "app/loop.h"
#include "browser/catalogue.h"
#include "preset/presetfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

uint8_t ver_teclado;
char saveFailure[kSaveFailureSize];
char nombre_archivo[kPresetNameSize];

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

bool inKeyboardButton(int32_t x, int32_t y)
{
    return inBox(kKeyboardButtonBox, x, y);
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
    saveFailure[0] = '\0'; // the reason shows until the next press on the keyboard
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
    char name[kPresetNameSize];
    memcpy(name, nombre_archivo, sizeof name);
    strncat(name, kPresetEnding, sizeof name - 1 - strlen(name));
    const std::string path = presetPath(name);
    if (!writePreset(path.c_str()))
    {
        const int error = errno;
        fprintf(stderr, "Not saved: %s: %s\n", path.c_str(), strerror(error));
        snprintf(saveFailure, sizeof saveFailure, "%s", saveFailureText(error));
        return;
    }
    memcpy(nombre_archivo, name, sizeof name);
    ver_teclado = 0;
    scanCatalogue(kPresetFolder);
}

const char* saveFailureText(int error)
{
    switch (error)
    {
    case EACCES:
    case EPERM:
    case EROFS:
        return "Not saved: read-only";
    case ENOSPC:
    case EDQUOT:
        return "Not saved: disk full";
    case EFBIG:
        return "Not saved: too big";
    case ENAMETOOLONG:
        return "Not saved: name too long";
    case EISDIR:
        return "Not saved: a folder has that name";
    case ENOENT:
    case ENOTDIR:
        return "Not saved: no preset folder";
    default:
        return "Not saved: cannot write";
    }
}
