// The generated artwork: the display's pixel layout, sizes, transparency of the keyed
// images and press areas outlined on their exact pixels.
#include "tests/support/pixel.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace
{
using Image = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

Image load(const std::string& name)
{
    return Image(SDL_LoadBMP((std::string(PADBOX_TEST_STAGE) + "/img/" + name + ".bmp").c_str()),
                 &SDL_FreeSurface);
}

// Black once reduced to the 16-bit display: the transparent colour of a keyed image.
bool keyedOut(Uint32 c)
{
    return (c & 0xf8fcf8) == 0;
}
} // namespace

TEST(Artwork, ImagesAtTheirSizesKeyedOnBlackWhereTheyShowWhatLiesBeneath)
{
    // Per image: the box whose size it has, and for keyed images a pixel that must
    // show what lies beneath and one that must be drawn.
    const Box kNoSize{0, 0, -1, -1}, kPad = kPadBoxes[0];
    const struct
    {
        const char* name;
        Box box;
        int clearX, clearY, drawnX, drawnY;
    } images[] = {
        {"caja_s", kKitsHighlight, 12, 8, 67, 17},  {"boton_p", kPad, 0, 0, 70, 50},
        {"caja_l", kLoopsHighlight, 13, 8, 41, 17}, {"boton_p_2", kPad, 139, 99, 70, 50},
        {"sample_sel", kSlotCursor, 25, 10, 1, 6},  {"boton_s", kPad, 0, 99, 70, 50},
        {"asignado", kSlotMarker, 10, 8, 40, 3},    {"boton_s_2", kPad, 139, 0, 70, 50},
        {"caja_s_2", kHoverBar, 120, 8, 120, 0},    {"dialog", kDialogBox, -1, 0, 0, 0},
        {"caja_p", kHoverBar, 120, 8, 120, 16},     {"f_play", kScreenBox, -1, 0, 0, 0},
        {"teclas", kKeyboardPanel, -1, 0, 0, 0},    {"f_smp", kScreenBox, -1, 0, 0, 0},
        {"f_presets", kScreenBox, -1, 0, 0, 0},     {"rata", kNoSize, 11, 0, 2, 6},
        {"dialog_2", kDialogBox, -1, 0, 0, 0},
    };
    for (const auto& image : images)
    {
        SCOPED_TRACE(image.name);
        Image s = load(image.name);
        ASSERT_TRUE(s);
        const SDL_PixelFormat& f = *s->format;
        EXPECT_EQ(std::tuple(int{f.BitsPerPixel}, f.Rmask, f.Gmask, f.Bmask),
                  std::tuple(16, 0xf800u, 0x07e0u, 0x001fu))
            << "in the display's 5-6-5 layout";
        if (width(image.box)) // the pointer image, never drawn, has no fixed size
        {
            EXPECT_EQ(std::pair(s->w, s->h), std::pair(width(image.box), height(image.box)));
        }
        if (image.clearX < 0)
            continue;
        EXPECT_TRUE(keyedOut(pixelAt(s.get(), image.clearX, image.clearY)));
        EXPECT_FALSE(keyedOut(pixelAt(s.get(), image.drawnX, image.drawnY)));
    }
}

TEST(Artwork, PressAreasAreOutlinedOnTheirPixels)
{
    const auto key = [](Box b) { return inImage(b, kKeyboardPanel); }; // in the panel's pixels
    const std::pair<const char*, std::vector<Box>> images[] = {
        {"f_presets",
         {kListBox, kLoadButtonBox, kKeyboardButtonBox, kPresetScrollUpBox, kPresetScrollDownBox}},
        {"f_smp",
         {kKitsTabBox, kLoopsTabBox, slotBand(0), slotBand(7), kBrowserScrollUpBox,
          kBrowserScrollDownBox, kAssignBox}},
        {"f_play", {kPadBoxes[0], kPadBoxes[1], kPadBoxes[2], kPadBoxes[3]}},
        {"teclas",
         {key(keyBox(0)), key(keyBox(kKeyCount - 1)), key(kDelKeyBox), key(kCancelKeyBox)}},
    };
    for (const auto& [image, boxes] : images)
    {
        SCOPED_TRACE(image);
        Image s = load(image);
        ASSERT_TRUE(s);
        for (const Box& b : boxes)
        {
            // The middle pixel of each side is a line: brighter than its neighbours across it.
            const int mx = (b.x0 + b.x1) / 2, my = (b.y0 + b.y1) / 2;
            const auto luma = [&](int x, int y)
            {
                const Uint32 c =
                    x < 0 || y < 0 || x >= s->w || y >= s->h ? 0 : pixelAt(s.get(), x, y);
                return (2 * int(c >> 16) + 5 * int((c >> 8) & 0xff) + int(c & 0xff)) / 8;
            };
            for (const auto& [x, y, dx, dy] : {std::array{b.x0, my, 1, 0},
                                               {b.x1, my, -1, 0},
                                               {mx, b.y0, 0, 1},
                                               {mx, b.y1, 0, -1}})
                EXPECT_GE(luma(x, y), std::max(luma(x + dx, y + dy), luma(x - dx, y - dy)) + 20)
                    << x << "," << y;
        }
    }
}
