#include "app/assets.h"

#include "app/shell.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

SDL_Surface* dialog;
SDL_Surface* dialog_2;
SDL_Surface* f_play;
SDL_Surface* f_presets;
SDL_Surface* f_smp;
SDL_Surface* teclas;
SDL_Surface* boton_p;
SDL_Surface* boton_p_2;
SDL_Surface* boton_s;
SDL_Surface* boton_s_2;
SDL_Surface* caja_s;
SDL_Surface* caja_l;
SDL_Surface* rata;
SDL_Surface* caja_s_2;
SDL_Surface* sample_sel;
SDL_Surface* asignado;
SDL_Surface* caja_p;

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

struct ImageFile
{
    SDL_Surface** handle;
    const char* name; // file in ./img/, also the name the failure message gives
    bool keyed;       // held as a 16-bit copy with black transparent
};

// Load order; the first missing file is the one reported.
const ImageFile kImages[] = {
    {&dialog, "dialog.bmp", false},
    {&dialog_2, "dialog_2.bmp", false},
    {&f_play, "f_play.bmp", false},
    {&f_presets, "f_presets.bmp", false},
    {&f_smp, "f_smp.bmp", false},
    {&teclas, "teclas.bmp", false},
    {&boton_p, "boton_p.bmp", true},
    {&boton_p_2, "boton_p_2.bmp", true},
    {&boton_s, "boton_s.bmp", true},
    {&boton_s_2, "boton_s_2.bmp", true},
    {&caja_s, "caja_s.bmp", true},
    {&caja_l, "caja_l.bmp", true},
    {&rata, "rata.bmp", true},
    {&caja_s_2, "caja_s_2.bmp", true},
    {&sample_sel, "sample_sel.bmp", true},
    {&asignado, "asignado.bmp", true},
    {&caja_p, "caja_p.bmp", true},
};

// Shut-down order.
SDL_Surface** const kFreeOrder[] = {
    &boton_p,   &boton_p_2,  &boton_s,  &boton_s_2, &dialog,   &f_play,
    &f_presets, &f_smp,      &teclas,   &caja_s,    &caja_l,   &rata,
    &caja_s_2,  &sample_sel, &asignado, &caja_p,    &dialog_2,
};

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
    SDL_Surface* image =
        TTF_RenderText_Blended(fuente, text, SDL_Color{colour.r, colour.g, colour.b, 0});
    if (image)
        renderedTexts.push_back({text, colour, image, true});
    return image;
}

// A 16-bit copy of the image with pure black as its colour key. Run-length encoded:
// the transparent runs are skipped whole, with the same pixels drawn.
SDL_Surface* keyedCopy(SDL_Surface* loaded)
{
    SDL_Surface* copy =
        SDL_CreateRGBSurface(SDL_SRCCOLORKEY, loaded->w, loaded->h, kScreenDepth, 0, 0, 0, 0);
    SDL_Rect whole = {0, 0, static_cast<Uint16>(loaded->w), static_cast<Uint16>(loaded->h)};
    SDL_UpperBlit(loaded, &whole, copy, nullptr);
    SDL_SetColorKey(copy, SDL_SRCCOLORKEY | SDL_RLEACCEL, SDL_MapRGB(screen->format, 0, 0, 0));
    SDL_FreeSurface(loaded);
    return copy;
}

void loadImages()
{
    for (const ImageFile& image : kImages)
    {
        char path[64];
        snprintf(path, sizeof path, "./img/%s", image.name);
        SDL_Surface* loaded = SDL_LoadBMP_RW(SDL_RWFromFile(path, "rb"), 1);
        if (!loaded)
        {
            fprintf(stderr, "No encuentro: %s\n", image.name);
            exit(kExitMissingImage);
        }
        *image.handle = image.keyed ? keyedCopy(loaded) : loaded;
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
    fuente = TTF_OpenFont(kFontPath, kFontSize);
}

void freeAssets()
{
    for (SDL_Surface** handle : kFreeOrder)
    {
        SDL_FreeSurface(*handle);
        *handle = nullptr;
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
    if (!target || !text || !fuente)
        return;
    SDL_Surface* rendered = renderedText(text, colour);
    if (!rendered)
        return;
    SDL_Rect where = {static_cast<Sint16>(at.x), static_cast<Sint16>(at.y), 0, 0};
    SDL_UpperBlit(rendered, nullptr, target, &where);
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
