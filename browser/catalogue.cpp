#include "browser/catalogue.h"

#include "app/assets.h"
#include "app/display.h"
#include "sound/slots.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>

std::vector<std::string> lista;
int32_t cantidad;
int32_t ct_lista;
int32_t ct_lista_2;
int32_t* held_list;
int32_t held_step;

bool fitsListing(const char* folder, const char* name)
{
    if (strcmp(folder, kPresetFolder) == 0)
        return strlen(name) < static_cast<size_t>(kPresetNameSize) && !isSaveLeftover(name);
    return strlen(folder) + strlen(name) < static_cast<size_t>(kSlotPathSize);
}

bool isSaveLeftover(const char* name)
{
    const size_t length = strlen(name), marker = strlen(kSaveTempMarker);
    return length >= marker + kSaveTempRandomLength &&
           strncmp(name + length - kSaveTempRandomLength - marker, kSaveTempMarker, marker) == 0;
}

// Equal names cannot be told apart, so any sort by strcmp gives the same rows;
// this one stays quick for folders of thousands of files.
void sortNames(std::string* rows, int32_t count)
{
    if (count <= 0)
        return;
    std::sort(rows, rows + count,
              [](const std::string& a, const std::string& b)
              { return strcmp(a.c_str(), b.c_str()) < 0; });
}

void clearCatalogue()
{
    std::vector<std::string>().swap(lista);
    cantidad = 0;
}

void scanCatalogue(const char* folder)
{
    clearCatalogue();
    // A folder that cannot be opened leaves the catalogue empty, silently.
    if (DIR* dpdf = opendir(folder))
    {
        while (const dirent* epdf = readdir(dpdf))
            if (fitsListing(folder, epdf->d_name))
                lista.emplace_back(epdf->d_name);
        closedir(dpdf);
    }
    cantidad = static_cast<int32_t>(lista.size());
    sortNames(lista.data(), cantidad);
}

const char* catalogueEntry(int32_t index)
{
    if (index < 0 || index >= cantidad)
        return "";
    return lista[static_cast<size_t>(index)].c_str();
}

void drawCatalogueRows(int32_t offset)
{
    for (int k = 0; k < kVisibleRows; ++k)
    {
        const char* name = catalogueEntry(offset + k);
        if (*name)
            drawTextIn(screen, name, {kRowTextAt.x, kRowTextAt.y + kRowPitch * k}, kWhite,
                       width(kListBox) - (kRowTextAt.x - kListBox.x0), kKeepStart);
    }
}

int hoverRowAt(int32_t x, int32_t y)
{
    if (!inBox(kHoverArea, x, y))
        return -1;
    return std::min(kVisibleRows - 1, static_cast<int>((y - kHoverArea.y0) / kRowPitch));
}

void updateListHover(int32_t x, int32_t y)
{
    const int row = hoverRowAt(x, y);
    if (row < 0)
        return;
    r_caja.x = static_cast<Sint16>(kHoverBar.x0);
    r_caja.y = static_cast<Sint16>(kHoverBar.y0 + kRowPitch * row);
}

int catalogueRowAt(int32_t x, int32_t y)
{
    for (int row = 0; row < kVisibleRows; ++row)
        if (inBox(listRow(row), x, y))
            return row;
    return -1; // off the list, the line between two rows, or the strip under the last one
}

void scrollUp(int32_t* offset, int32_t rows)
{
    if (*offset > 0)
        *offset = std::max(0, *offset - rows);
}

void scrollDown(int32_t* offset, int32_t rows)
{
    if (*offset < cantidad)
        *offset = static_cast<int32_t>(std::min<int64_t>(cantidad, int64_t{*offset} + rows));
}

void pressScrollArrow(int32_t* offset, int32_t step)
{
    held_list = offset;
    held_step = step;
    scrollHeldList(1);
}

void scrollHeldList(int32_t rows)
{
    if (!held_list)
        return;
    if (held_step == kRowUp)
        scrollUp(held_list, rows);
    else
        scrollDown(held_list, rows);
}
