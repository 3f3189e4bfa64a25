#include "preset/presetscreen.h"

#include "app/assets.h"
#include "app/display.h"
#include "app/layout.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/keyboard.h"
#include "preset/presetfile.h"
#include "sound/loops.h"
#include "sound/pads.h"
#include "sound/preview.h"
#include "sound/slots.h"

#include <cstdio>

uint8_t loop_win;

namespace
{
void chooseRow(int row)
{
    snprintf(nombre_archivo, kPresetNameSize, "%s", catalogueEntry(ct_lista_2 + row));
}

// The list, its scroll buttons, the keyboard button and the load button, each
// tested on the same position.
void listPress()
{
    const int row = catalogueRowAt(mx, my);
    if (row >= 0)
        chooseRow(row);
    if (inScrollUp(mx, my))
        pressScrollArrow(&ct_lista_2, kRowUp);
    if (inScrollDown(mx, my))
        pressScrollArrow(&ct_lista_2, kRowDown);
    if (inKeyboardButton(mx, my))
    {
        ver_teclado = 1;
        nombre_archivo[0] = '\0';
        saveFailure[0] = '\0';
    }
    if (inLoadButton(mx, my))
        loadPreset();
}

void drawSaveFailure()
{
    fillBox(screen, kSaveReasonArea, kPanel);
    drawTextIn(screen, saveFailure, kSaveReasonAt, kAmber, kSaveReasonArea.x1 - kSaveReasonAt.x + 1,
               kKeepStart);
}
} // namespace

bool inScrollUp(int32_t x, int32_t y)
{
    return inBox(kPresetScrollUpBox, x, y);
}

bool inScrollDown(int32_t x, int32_t y)
{
    return inBox(kPresetScrollDownBox, x, y);
}

bool inLoadButton(int32_t x, int32_t y)
{
    return inBox(kLoadButtonBox, x, y);
}

void drawPresetScreen()
{
    drawImage(f_presets, p_rect);
    drawCatalogueRows(ct_lista_2);
    if (ver_teclado)
    {
        drawImage(teclas, r_teclas);
        drawTextIn(screen, nombre_archivo, kPresetNameAt, kWhite, kPresetNameRoom, kKeepEnd);
        if (saveFailure[0])
            drawSaveFailure();
    }
    else
        drawImage(caja_p, r_caja);
    if (loop_win)
        drawImage(dialog, r_dialog);
}

void presetScreenPress()
{
    if (loop_win)
    {
        loop_win = 0;
        return;
    }
    if (ver_teclado)
        keyboardPress();
    else
        listPress();
    panelKeysPress();
}

void resetPresetScreen()
{
    ver_teclado = 0;
    loop_win = 0;
}

void putPlayerAtRest()
{
    modo = kPresetScreen;
    resetBrowser();
    resetPads();
    resetLoops();
    resetPresetScreen();
    stopPreview();
}

void loadPreset()
{
    const std::string path = presetPath(nombre_archivo);
    if (!presetReadable(path))
        return;
    putPlayerAtRest();
    releaseAllSlots();
    readPreset(path.c_str());
    loop_win = 1;
}
