#include "app/assets.h"

#include "app/shell.h"

#include <cstdio>
#include <cstdlib>

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
SDL_Rect btn_sampler[4];
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

// A 16-bit copy of the image with pure black as its colour key.
SDL_Surface* keyedCopy(SDL_Surface* loaded)
{
    SDL_Surface* copy =
        SDL_CreateRGBSurface(SDL_SRCCOLORKEY, loaded->w, loaded->h, kScreenDepth, 0, 0, 0, 0);
    SDL_Rect whole = {0, 0, static_cast<Uint16>(loaded->w), static_cast<Uint16>(loaded->h)};
    SDL_UpperBlit(loaded, &whole, copy, nullptr);
    SDL_SetColorKey(copy, SDL_SRCCOLORKEY, SDL_MapRGB(screen->format, 0, 0, 0));
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

SDL_Rect rect(Sint16 x, Sint16 y, Uint16 w, Uint16 h)
{
    return SDL_Rect{x, y, w, h};
}

void setLayout()
{
    p_rect = rect(0, 0, kScreenWidth, kScreenHeight);
    bp1 = rect(10, 10, 140, 100);
    bp2 = rect(170, 10, 140, 100);
    bp3 = rect(10, 130, 140, 100);
    bp4 = rect(170, 130, 140, 100);
    btn_sampler[0] = bp1;
    btn_sampler[1] = bp2;
    btn_sampler[2] = bp3;
    btn_sampler[3] = bp4;
    r_s = rect(3, 4, 118, 18);
    r_l = rect(184, 4, 87, 18);
    r_caja = rect(0, 0, 241, 17);
    r_caja_sample = rect(0, 0, 51, 21);
    r_caja_asignado = rect(0, 0, 48, 17);
    r_teclas = rect(4, 40, 312, 130);
    r_dialog = rect(23, 54, 260, 116);
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
    if (fuente)
        TTF_CloseFont(fuente);
    fuente = nullptr;
    TTF_Quit();
}

void drawImage(SDL_Surface* image, const SDL_Rect& at)
{
    SDL_Rect where = at;
    SDL_UpperBlit(image, nullptr, screen, &where);
}

void drawText(SDL_Surface* target, const char* text, int16_t x, int16_t y, uint8_t r, uint8_t g,
              uint8_t b)
{
    if (!target || !text || !fuente)
        return;
    SDL_Color colour = {r, g, b, 0};
    SDL_Surface* rendered = TTF_RenderText_Blended(fuente, text, colour);
    if (!rendered)
        return;
    SDL_Rect where = {x, y, 0, 0};
    SDL_UpperBlit(rendered, nullptr, target, &where);
    SDL_FreeSurface(rendered);
}
