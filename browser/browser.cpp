#include "browser/browser.h"

#include "app/assets.h"
#include "app/display.h"
#include "app/loop.h"
#include "browser/catalogue.h"
#include "sound/preview.h"
#include "sound/slots.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

uint8_t modo_samples;
int32_t canal_sel;
char lista_sel[kSlotPathSize];

namespace
{
constexpr size_t kLabelSize = 32;

constexpr uint8_t kKitsChosen = 1; // values of modo_samples
constexpr uint8_t kLoopsChosen = 0;
constexpr int kOneShotSlots = 4; // slots 0-3 are samples, 4-7 loops

void chooseTab(uint8_t kitsTab)
{
    modo_samples = kitsTab;
    ct_lista_2 = 0;
    ct_lista = 0;
    listSampleFolder();
}

// Whether the selected file is in the listing of the current folder.
bool selectionListed()
{
    const size_t folder = strlen(sampleFolder());
    if (strncmp(lista_sel, sampleFolder(), folder) != 0)
        return false;
    const char* name = lista_sel + folder;
    return std::binary_search(lista.begin(), lista.begin() + cantidad, name,
                              [](const std::string& a, const std::string& b)
                              { return strcmp(a.c_str(), b.c_str()) < 0; });
}

void drawSlotColumn()
{
    r_caja_sample.x = static_cast<Sint16>(kSlotCursor.x0);
    r_caja_sample.y = static_cast<Sint16>(kSlotCursor.y0 + kMarkerPitch * canal_sel);
    drawImage(sample_sel, r_caja_sample);
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        if (!asignados[slot])
            continue;
        r_caja_asignado.x = static_cast<Sint16>(kSlotMarker.x0);
        r_caja_asignado.y = static_cast<Sint16>(kSlotMarker.y0 + kMarkerPitch * slot);
        drawImage(asignado, r_caja_asignado);
    }
}
} // namespace

BrowserControl browserControlAt(int32_t x, int32_t y)
{
    if (inBox(kKitsTabBox, x, y))
        return kKitsTab;
    if (inBox(kLoopsTabBox, x, y))
        return kLoopsTab;
    if (inBox(kBrowserScrollUpBox, x, y))
        return kScrollUp;
    if (inBox(kBrowserScrollDownBox, x, y))
        return kScrollDown;
    if (inBox(kSlotColumnBox, x, y))
        return kSlotColumn;
    if (inBox(kAssignBox, x, y))
        return kAssignButton;
    if (inBox(kListBox, x, y))
        return kListRows;
    return kNoControl;
}

int slotBandAt(int32_t y)
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (inBox(slotBand(slot), kSlotColumnBox.x0, y))
            return slot;
    return -1;
}

void formatSlotLabel(char* out, size_t size, int32_t slot)
{
    if (slot < kOneShotSlots)
        snprintf(out, size, "Sample: %i", static_cast<int>(slot + 1));
    else
        snprintf(out, size, "Loop: %i", static_cast<int>(slot - kOneShotSlots + 1));
}

const char* entryPath(char* out, size_t size, const char* folder, const char* name)
{
    if (strlen(folder) + strlen(name) >= size)
        name = "";
    snprintf(out, size, "%s%s", folder, name);
    return name;
}

void drawSampleBrowser()
{
    drawImage(f_smp, p_rect);
    drawCatalogueRows(ct_lista);
    char label[kLabelSize];
    formatSlotLabel(label, sizeof label, canal_sel);
    drawText(screen, label, kSlotLabelAt, kYellow);
    if (modo_samples)
        drawImage(caja_s, r_s);
    else
        drawImage(caja_l, r_l);
    drawImage(caja_s_2, r_caja);
    drawSlotColumn();
}

void sampleBrowserPress()
{
    switch (browserControlAt(mx, my))
    {
    case kKitsTab:
        chooseTab(kKitsChosen);
        break;
    case kLoopsTab:
        chooseTab(kLoopsChosen);
        break;
    case kScrollUp:
        pressScrollArrow(&ct_lista, kRowUp);
        break;
    case kScrollDown:
        pressScrollArrow(&ct_lista, kRowDown);
        break;
    case kSlotColumn:
        if (const int slot = slotBandAt(my); slot >= 0)
            canal_sel = slot;
        break;
    case kAssignButton:
        assignSelectedEntry();
        break;
    case kListRows:
        if (const int row = catalogueRowAt(mx, my); row >= 0)
            previewEntry(row);
        break;
    case kNoControl:
        break;
    }
}

void assignSelectedEntry()
{
    if (lista_sel[0])
        assignSlot(canal_sel, lista_sel, strrchr(lista_sel, '/') + 1);
}

void previewEntry(int row)
{
    const char* name = catalogueEntry(ct_lista + row);
    lista_sel[0] = '\0';
    if (!*name)
    {
        stopPreview();
        return;
    }
    entryPath(lista_sel, sizeof lista_sel, sampleFolder(), name);
    playPreview(lista_sel);
}

void listSampleFolder()
{
    scanCatalogue(sampleFolder());
    if (!selectionListed())
        lista_sel[0] = '\0';
}

const char* sampleFolder()
{
    return modo_samples ? kKitsFolder : kLoopsFolder;
}

void resetBrowser()
{
    modo_samples = kKitsChosen;
    canal_sel = 0;
    ct_lista = 0;
    ct_lista_2 = 0;
    lista_sel[0] = '\0';
}
