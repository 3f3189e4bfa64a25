// Images, layout rectangles, the program font and text drawing.
#pragma once

#include "app/images.h"
#include "app/layout.h"
#include "app/utf8.h"

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <cstdint>

constexpr int kScreenDepth = 16;
constexpr int kFontSize = 12;

// The exit status of a start-up that finds an image missing.
constexpr int kExitMissingImage = 3;

// One handle per image of the table in app/images.h, named as its row names it
// (dialog, f_play, boton_s, caja_p, ...): backgrounds, dialog and keyboard held as
// loaded; pads, highlights and markers as 16-bit copies with black transparent.
#define PADBOX_IMAGE_HANDLE(id, name, held, freeRank) extern SDL_Surface* name;
PADBOX_IMAGES(PADBOX_IMAGE_HANDLE)
#undef PADBOX_IMAGE_HANDLE

// The program font at size 12; null when it cannot be opened, and then no text shows.
extern TTF_Font* fuente;

// Layout rectangles, set by loadAssets from the boxes of the layout.
extern SDL_Rect p_rect;                 // backgrounds
extern SDL_Rect bp1, bp2, bp3, bp4;     // pad image positions
extern SDL_Rect btn_sampler[kPadCount]; // pad hit boxes
extern SDL_Rect r_s, r_l;               // kits and loops tab highlights
extern SDL_Rect r_caja;                 // list hover bar, moved by pointer motion
extern SDL_Rect r_caja_sample;          // selected-slot marker, placed when drawn
extern SDL_Rect r_caja_asignado;        // assigned-slot markers, placed when drawn
extern SDL_Rect r_teclas;               // on-screen keyboard
extern SDL_Rect r_dialog;               // load dialog

// A layout box as an SDL rectangle, and back.
SDL_Rect rectOf(Box b);
Box boxOf(const SDL_Rect& r);

// Loads the images of the table, sets the layout and opens the font. The first image
// that is missing, unreadable, no BMP, larger than kMaxImageWidth x kMaxImageHeight
// or without memory for its copy ends start-up with status 3 and a line saying so.
void loadAssets();

// No image needs more than four times the screen each way; a larger one is refused
// before its pixels are read.
constexpr int kMaxImageWidth = 4 * kScreenWidth;
constexpr int kMaxImageHeight = 4 * kScreenHeight;

// The width and height a BMP file's first kBmpHeaderBytes give, whatever their sign
// (a negative height stands for rows stored top to bottom); 0 by 0 when they do not
// start a BMP file.
constexpr int kBmpHeaderBytes = 26;
struct Extent
{
    long width, height;
};
Extent bmpExtent(const uint8_t* header);

// Frees the images in their fixed order and closes the font.
void freeAssets();

// Draws a whole image with its top-left corner at the rectangle's x and y.
void drawImage(SDL_Surface* image, const SDL_Rect& at);

// Draws text in the program font, anti-aliased, top-left at `at`: as UTF-8 when its
// bytes are valid UTF-8, as Latin-1 otherwise. Draws nothing without a target, a
// text or a font. A text drawn in the last frame in the same colour is not rendered
// again.
void drawText(SDL_Surface* target, const char* text, Point at, Rgb colour);

// Once a frame is drawn: frees the renderings of texts it did not draw.
void forgetUndrawnTexts();

// Which part of a text wider than its room shows: its start, or its end.
enum TextCut
{
    kKeepStart,
    kKeepEnd,
};

// drawText within `room` pixels from at.x.
void drawTextIn(SDL_Surface* target, const char* text, Point at, Rgb colour, int room, TextCut cut);

// The columns of a text `width` pixels wide that show in `room` pixels.
struct Columns
{
    int first, count;
};
Columns visibleColumns(int width, int room, TextCut cut);

// Fills the area with one colour.
void fillBox(SDL_Surface* target, Box area, Rgb colour);
