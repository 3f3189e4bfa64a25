// The generated artwork: the display's pixel layout, sizes, transparency of the keyed
// images and press areas outlined on their exact pixels.
#include "tests/support/pixel.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>

namespace
{
using Image = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

Image load(const std::string& name)
{
    return Image(SDL_LoadBMP((std::string(PADBOX_TEST_STAGE) + "/img/" + name + ".bmp").c_str()),
                 &SDL_FreeSurface);
}

int luma(Uint32 c)
{
    return (2 * int(c >> 16) + 5 * int((c >> 8) & 0xff) + int(c & 0xff)) / 8;
}

// Black once reduced to the 16-bit display: the transparent colour of a keyed image.
bool keyedOut(Uint32 c)
{
    return (c >> 16) < 8 && ((c >> 8) & 0xff) < 4 && (c & 0xff) < 8;
}
} // namespace

TEST(Artwork, ImagesAtTheirSizesKeyedOnBlackWhereTheyShowWhatLiesBeneath)
{
    // Per image: its size, and for keyed images a pixel that must show what lies
    // beneath and one that must be drawn.
    const struct
    {
        const char* name;
        int w, h, clearX, clearY, drawnX, drawnY;
    } images[] = {
        {"dialog", 260, 116, -1, 0, 0, 0},     {"dialog_2", 260, 116, -1, 0, 0, 0},
        {"f_play", 320, 240, -1, 0, 0, 0},     {"f_presets", 320, 240, -1, 0, 0, 0},
        {"f_smp", 320, 240, -1, 0, 0, 0},      {"teclas", 312, 130, -1, 0, 0, 0},
        {"boton_p", 140, 100, 0, 0, 70, 50},   {"boton_p_2", 140, 100, 139, 99, 70, 50},
        {"boton_s", 140, 100, 0, 99, 70, 50},  {"boton_s_2", 140, 100, 139, 0, 70, 50},
        {"caja_s", 118, 18, 12, 8, 67, 17},    {"caja_l", 87, 18, 13, 8, 41, 17},
        {"caja_s_2", 241, 17, 120, 8, 120, 0}, {"caja_p", 241, 17, 120, 8, 120, 16},
        {"sample_sel", 51, 21, 25, 10, 1, 6},  {"asignado", 48, 17, 10, 8, 40, 3},
        {"rata", 0, 0, 11, 0, 2, 6},
    };
    for (const auto& image : images)
    {
        Image s = load(image.name);
        ASSERT_TRUE(s) << image.name;
        const SDL_PixelFormat& f = *s->format;
        EXPECT_EQ(std::tuple(int{f.BitsPerPixel}, f.Rmask, f.Gmask, f.Bmask),
                  std::tuple(16, 0xf800u, 0x07e0u, 0x001fu))
            << image.name << " is in the display's 5-6-5 layout";
        if (image.w) // the pointer image, never drawn, has no fixed size
        {
            EXPECT_EQ(std::pair(s->w, s->h), std::pair(image.w, image.h)) << image.name;
        }
        if (image.clearX < 0)
            continue;
        EXPECT_TRUE(keyedOut(pixelAt(s.get(), image.clearX, image.clearY))) << image.name;
        EXPECT_FALSE(keyedOut(pixelAt(s.get(), image.drawnX, image.drawnY))) << image.name;
    }
}

TEST(Artwork, PressAreasAreOutlinedOnTheirPixels)
{
    // Both ends included; keyboard boxes are relative to the panel, drawn at (4, 40).
    const struct
    {
        const char* image;
        int x0, y0, x1, y1;
    } boxes[] = {
        {"f_presets", 8, 26, 243, 212},    {"f_presets", 2, 219, 100, 238}, // list, load
        {"f_presets", 299, 190, 319, 210}, {"f_smp", 12, 6, 128, 19},       // scroll, kits tab
        {"f_smp", 270, 30, 319, 48},       {"f_smp", 270, 183, 319, 202},   // slots 0 and 7
        {"f_smp", 247, 189, 265, 208},     {"f_smp", 20, 218, 137, 232},    // scroll, assign
        {"f_play", 10, 10, 149, 109},      {"f_play", 170, 130, 309, 229},  // pads 1 and 4
        {"teclas", 1, 1, 24, 24},          {"teclas", 287, 51, 310, 74},    // keys a and 9
        {"teclas", 186, 78, 235, 102},     {"teclas", 271, 80, 310, 104},   // DEL, cancel
    };
    for (const auto& b : boxes)
    {
        Image s = load(b.image);
        ASSERT_TRUE(s) << b.image;
        // The middle pixel of each side is a line: brighter than its neighbours across it.
        const int mx = (b.x0 + b.x1) / 2, my = (b.y0 + b.y1) / 2;
        const int sides[4][4] = {
            {b.x0, my, 1, 0}, {b.x1, my, -1, 0}, {mx, b.y0, 0, 1}, {mx, b.y1, 0, -1}};
        for (const auto& [x, y, dx, dy] : sides)
        {
            const int edge = luma(pixelAt(s.get(), x, y));
            EXPECT_GE(edge, luma(pixelAt(s.get(), x + dx, y + dy)) + 20)
                << b.image << " at " << x << "," << y;
            if (x - dx >= 0 && y - dy >= 0 && x - dx < s->w && y - dy < s->h)
            {
                EXPECT_GE(edge, luma(pixelAt(s.get(), x - dx, y - dy)) + 20)
                    << b.image << " at " << x << "," << y;
            }
        }
    }
}
