#include "app/assets.h"

#include "app/display.h"
#include "sound/regularfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#define PADBOX_IMAGE_HANDLE(id, name, held, freeRank) SDL_Surface* name;
PADBOX_IMAGES(PADBOX_IMAGE_HANDLE)
#undef PADBOX_IMAGE_HANDLE

TTF_Font* fuente;

SDL_Rect p_rect;
SDL_Rect bp1, bp2, bp3, bp4;
SDL_Rect btn_sampler[kPadCount];
SDL_Rect r_s, r_l;
SDL_Rect r_caja;
SDL_Rect r_caja_sample;
SDL_Rect r_caja_asignado;
SDL_Rect r_teclas;
SDL_Rect r_dialog;

namespace
{
const char kFontPath[] = "./img/letras.ttf";

// The handle of each image, by its id.
#define PADBOX_IMAGE_HANDLE(id, name, held, freeRank) &name,
SDL_Surface** const kImageHandles[kImageCount] = {PADBOX_IMAGES(PADBOX_IMAGE_HANDLE)};
#undef PADBOX_IMAGE_HANDLE

// Why an image ends start-up. A missing one keeps the message of old; the others
// name what is wrong with the file that is there.
const char kMissingImage[] = "No encuentro: ";
const char kUnreadableImage[] = "Cannot open image";
const char kCorruptImage[] = "Cannot read image";
const char kHugeImage[] = "Image too large:";
const char kUnconvertedImage[] = "Cannot convert image";
constexpr size_t kDetailSize = 96;

// In a BMP file's header: after the file header, the size of the bitmap header, which
// tells how wide its width and height fields are.
constexpr int kBmpInfoSizeAt = 14, kBmpWidthAt = 18;
constexpr uint32_t kBmpCoreHeaderSize = 12; // 16-bit width and height, one after the other

// A text as the font renders it. The same texts are drawn frame after frame, so each
// rendering is kept while it is drawn every frame.
struct RenderedText
{
    std::string text;
    Rgb colour;
    SDL_Surface* image;
    bool drawn; // in the frame being drawn
};
std::vector<RenderedText> renderedTexts;

SDL_Surface* renderedText(const char* text, Rgb colour)
{
    for (RenderedText& kept : renderedTexts)
        if (kept.colour.r == colour.r && kept.colour.g == colour.g && kept.colour.b == colour.b &&
            kept.text == text)
        {
            kept.drawn = true;
            return kept.image;
        }
    const SDL_Color sdlColour = {colour.r, colour.g, colour.b, 0};
    SDL_Surface* image = isUtf8(text) ? TTF_RenderUTF8_Blended(fuente, text, sdlColour)
                                      : TTF_RenderText_Blended(fuente, text, sdlColour);
    if (!image)
        return nullptr;
    // Run-length encoded, the clear pixels around the glyphs are skipped whole.
    SDL_SetAlpha(image, SDL_SRCALPHA | SDL_RLEACCEL, SDL_ALPHA_OPAQUE);
    renderedTexts.push_back({text, colour, image, true});
    return image;
}

// A 16-bit copy of the image with pure black as its colour key, or null when there is
// no memory for it. Run-length encoded: the transparent runs are skipped whole, with
// the same pixels drawn.
SDL_Surface* keyedCopy(SDL_Surface* loaded)
{
    SDL_Surface* copy =
        SDL_CreateRGBSurface(SDL_SRCCOLORKEY, loaded->w, loaded->h, kScreenDepth, 0, 0, 0, 0);
    if (copy)
    {
        SDL_Rect whole = {0, 0, static_cast<Uint16>(loaded->w), static_cast<Uint16>(loaded->h)};
        SDL_UpperBlit(loaded, &whole, copy, nullptr);
        SDL_SetColorKey(copy, SDL_SRCCOLORKEY | SDL_RLEACCEL, SDL_MapRGB(screen->format, 0, 0, 0));
    }
    SDL_FreeSurface(loaded);
    return copy;
}

// Ends start-up for an image that cannot be used, with the reason on standard error.
[[noreturn]] void refuseImage(const char* reason, const char* name, const char* detail)
{
    if (detail)
        fprintf(stderr, "%s %s: %s\n", reason, name, detail);
    else
        fprintf(stderr, "%s%s\n", reason, name);
    exit(kExitMissingImage);
}

// The image file opened for reading; start-up ends when it is missing, cannot be
// opened, or is no regular file.
SDL_RWops* openImage(const char* path, const char* name)
{
    if (SDL_RWops* file = openRegularStream(path))
        return file;
    const int error = errno;
    struct stat info;
    if (stat(path, &info) != 0)
        refuseImage(kMissingImage, name, nullptr);
    refuseImage(kUnreadableImage, name,
                S_ISREG(info.st_mode) ? strerror(error) : "not a regular file");
}

// Start-up ends for a file whose header promises more pixels than any screen needs,
// before any of them is read.
void refuseHugeImage(SDL_RWops* file, const char* name)
{
    uint8_t header[kBmpHeaderBytes];
    if (SDL_RWread(file, header, 1, kBmpHeaderBytes) != kBmpHeaderBytes)
        return; // the decoder says what is wrong with it
    SDL_RWseek(file, 0, RW_SEEK_SET);
    const Extent extent = bmpExtent(header);
    if (extent.width <= kMaxImageWidth && extent.height <= kMaxImageHeight)
        return;
    char detail[kDetailSize];
    snprintf(detail, sizeof detail, "%ldx%ld pixels, more than %dx%d", extent.width, extent.height,
             kMaxImageWidth, kMaxImageHeight);
    refuseImage(kHugeImage, name, detail);
}

void loadImages()
{
    for (int id = 0; id < kImageCount; ++id)
    {
        const ImageFile& image = kImageFiles[id];
        SDL_Surface*& handle = *kImageHandles[id];
        char path[64];
        snprintf(path, sizeof path, "./img/%s", image.file);
        SDL_RWops* file = openImage(path, image.file);
        refuseHugeImage(file, image.file);
        SDL_Surface* loaded = SDL_LoadBMP_RW(file, 1);
        if (!loaded)
            refuseImage(kCorruptImage, image.file, SDL_GetError());
        handle = image.held == kKeyed ? keyedCopy(loaded) : loaded;
        if (!handle)
            refuseImage(kUnconvertedImage, image.file, SDL_GetError());
    }
}

void setLayout()
{
    p_rect = rectOf(kScreenBox);
    SDL_Rect* const pads[kPadCount] = {&bp1, &bp2, &bp3, &bp4};
    for (int k = 0; k < kPadCount; ++k)
    {
        *pads[k] = rectOf(kPadBoxes[k]);
        btn_sampler[k] = rectOf(kPadBoxes[k]);
    }
    r_s = rectOf(kKitsHighlight);
    r_l = rectOf(kLoopsHighlight);
    // Placed when drawn; the hover bar starts at the corner until the pointer moves.
    r_caja = rectOf(extentOf(kHoverBar));
    r_caja_sample = rectOf(extentOf(kSlotCursor));
    r_caja_asignado = rectOf(extentOf(kSlotMarker));
    r_teclas = rectOf(kKeyboardPanel);
    r_dialog = rectOf(kDialogBox);
}
} // namespace

void loadAssets()
{
    loadImages();
    setLayout();
    SDL_RWops* font = openRegularStream(kFontPath);
    fuente = font ? TTF_OpenFontRW(font, 1, kFontSize) : nullptr;
}

void freeAssets()
{
    for (int rank = 0; rank < kImageCount; ++rank)
        for (int id = 0; id < kImageCount; ++id)
            if (kImageFiles[id].freeRank == rank)
            {
                SDL_FreeSurface(*kImageHandles[id]);
                *kImageHandles[id] = nullptr;
            }
    for (RenderedText& kept : renderedTexts)
        SDL_FreeSurface(kept.image);
    renderedTexts.clear();
    if (fuente)
        TTF_CloseFont(fuente);
    fuente = nullptr;
    TTF_Quit();
}

SDL_Rect rectOf(Box b)
{
    return SDL_Rect{static_cast<Sint16>(b.x0), static_cast<Sint16>(b.y0),
                    static_cast<Uint16>(width(b)), static_cast<Uint16>(height(b))};
}

Box boxOf(const SDL_Rect& r)
{
    return Box{r.x, r.y, r.x + r.w - 1, r.y + r.h - 1};
}

void drawImage(SDL_Surface* image, const SDL_Rect& at)
{
    SDL_Rect where = at;
    SDL_UpperBlit(image, nullptr, screen, &where);
}

void drawText(SDL_Surface* target, const char* text, Point at, Rgb colour)
{
    drawTextIn(target, text, at, colour, INT_MAX, kKeepStart);
}

void drawTextIn(SDL_Surface* target, const char* text, Point at, Rgb colour, int room, TextCut cut)
{
    if (!target || !text || !fuente)
        return;
    SDL_Surface* rendered = renderedText(text, colour);
    if (!rendered)
        return;
    const Columns shown = visibleColumns(rendered->w, room, cut);
    SDL_Rect part = {static_cast<Sint16>(shown.first), 0, static_cast<Uint16>(shown.count),
                     static_cast<Uint16>(rendered->h)};
    SDL_Rect where = {static_cast<Sint16>(at.x), static_cast<Sint16>(at.y), 0, 0};
    SDL_UpperBlit(rendered, &part, target, &where);
}

void forgetUndrawnTexts()
{
    for (size_t i = 0; i < renderedTexts.size();)
    {
        if (renderedTexts[i].drawn)
        {
            renderedTexts[i++].drawn = false;
            continue;
        }
        SDL_FreeSurface(renderedTexts[i].image);
        renderedTexts[i] = renderedTexts.back();
        renderedTexts.pop_back();
    }
}

Columns visibleColumns(int width, int room, TextCut cut)
{
    const int count = std::max(0, std::min(width, room));
    return {cut == kKeepEnd ? width - count : 0, count};
}

Extent bmpExtent(const uint8_t* header)
{
    const auto le = [header](int at, int bytes)
    {
        uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | header[at + i];
        return value;
    };
    if (header[0] != 'B' || header[1] != 'M')
        return {0, 0}; // the decoder says what is wrong with it
    if (le(kBmpInfoSizeAt, 4) == kBmpCoreHeaderSize)
        return {long(le(kBmpWidthAt, 2)), long(le(kBmpWidthAt + 2, 2))};
    // A negative height stands for rows stored top to bottom.
    const auto width = static_cast<int32_t>(le(kBmpWidthAt, 4));
    const auto height = static_cast<int32_t>(le(kBmpWidthAt + 4, 4));
    return {std::labs(width), std::labs(height)};
}

void fillBox(SDL_Surface* target, Box area, Rgb colour)
{
    SDL_Rect where = rectOf(area);
    SDL_FillRect(target, &where, SDL_MapRGB(target->format, colour.r, colour.g, colour.b));
}
