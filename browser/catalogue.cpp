#include "browser/catalogue.h"

#include "app/assets.h"
#include "app/shell.h"
#include "sound/slots.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>

std::vector<std::string> lista;
int32_t cantidad;
int32_t ct_lista;
int32_t ct_lista_2;

namespace
{
// Rows of text: 15 pixels apart, the first at (10, 32), white.
constexpr int16_t kRowTextX = 10;
constexpr int16_t kRowTextY = 32;
constexpr int32_t kRowPitch = 15;
constexpr uint8_t kRowTextGrey = 255;

// The hover bar follows the pointer over this area and snaps to x = 6, y = 28 + 15j.
constexpr int32_t kHoverLeft = 6;
constexpr int32_t kHoverRight = 266;
constexpr int32_t kHoverTop = 27;
constexpr int32_t kListBottom = 212;
constexpr int16_t kBarX = 6;
constexpr int16_t kBarTop = 28;

// Presses hit rows 14 pixels tall, from y = 26 + 15k, within this area.
constexpr int32_t kPressLeft = 8;
constexpr int32_t kPressRight = 243;
constexpr int32_t kPressTop = 26;
constexpr int32_t kPressRowHeight = 14;
} // namespace

bool fitsListing(const char* folder, const char* name)
{
    if (strcmp(folder, kPresetFolder) == 0)
        return strlen(name) < static_cast<size_t>(kPresetNameSize);
    return strlen(folder) + strlen(name) < static_cast<size_t>(kSlotPathSize);
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
            drawText(screen, name, kRowTextX, static_cast<int16_t>(kRowTextY + kRowPitch * k),
                     kRowTextGrey, kRowTextGrey, kRowTextGrey);
    }
}

int hoverRowAt(int32_t x, int32_t y)
{
    if (x < kHoverLeft || x > kHoverRight || y < kHoverTop || y > kListBottom)
        return -1;
    return std::min(kVisibleRows - 1, static_cast<int>((y - kHoverTop) / kRowPitch));
}

void updateListHover(int32_t x, int32_t y)
{
    const int row = hoverRowAt(x, y);
    if (row < 0)
        return;
    r_caja.x = kBarX;
    r_caja.y = static_cast<Sint16>(kBarTop + kRowPitch * row);
}

int catalogueRowAt(int32_t x, int32_t y)
{
    if (x < kPressLeft || x > kPressRight || y < kPressTop || y > kListBottom)
        return -1;
    const int row = static_cast<int>((y - kPressTop) / kRowPitch);
    if (row >= kVisibleRows || y - kPressTop - kRowPitch * row >= kPressRowHeight)
        return -1; // the line between two rows, or the strip under the last one
    return row;
}

void scrollUp(int32_t* offset)
{
    if (*offset > 0)
        --*offset;
}

void scrollDown(int32_t* offset)
{
    if (*offset < cantidad)
        ++*offset;
}
