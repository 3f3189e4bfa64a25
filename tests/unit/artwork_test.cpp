// The generated artwork: sizes, transparency of the keyed images, press areas outlined
// on their exact pixels and dark room where the program writes its own text.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Image = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

struct Box
{
    int x0, y0, x1, y1; // both ends included
};

Image load(const std::string& name)
{
    return Image(SDL_LoadBMP((std::string(PADBOX_TEST_STAGE) + "/img/" + name + ".bmp").c_str()),
                 &SDL_FreeSurface);
}

SDL_Color at(SDL_Surface* s, int x, int y)
{
    const Uint8* p = static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 value = 0;
    memcpy(&value, p, s->format->BytesPerPixel); // little-endian host
    SDL_Color c{};
    SDL_GetRGB(value, s->format, &c.r, &c.g, &c.b);
    return c;
}

int luma(SDL_Color c)
{
    return (2 * c.r + 5 * c.g + c.b) / 8;
}

// Black once reduced to the 16-bit display: the transparent colour of a keyed image.
bool keyedOut(SDL_Color c)
{
    return c.r < 8 && c.g < 4 && c.b < 8;
}

// The middle pixel of each side is a line: brighter than its neighbours across the side.
void expectOutlined(SDL_Surface* s, Box b, const char* what)
{
    const int mx = (b.x0 + b.x1) / 2, my = (b.y0 + b.y1) / 2;
    const int sides[4][4] = {
        {b.x0, my, 1, 0}, {b.x1, my, -1, 0}, {mx, b.y0, 0, 1}, {mx, b.y1, 0, -1}};
    for (const auto& [x, y, dx, dy] : sides)
    {
        const int edge = luma(at(s, x, y));
        EXPECT_GE(edge, luma(at(s, x + dx, y + dy)) + 20) << what << " at " << x << "," << y;
        if (x - dx >= 0 && y - dy >= 0 && x - dx < s->w && y - dy < s->h)
        {
            EXPECT_GE(edge, luma(at(s, x - dx, y - dy)) + 20) << what << " at " << x << "," << y;
        }
    }
}

// Where the program writes white or yellow text, nothing bright competes with it.
void expectDark(SDL_Surface* s, Box b, const char* what)
{
    int brightest = 0;
    for (int y = b.y0; y <= b.y1; ++y)
    {
        for (int x = b.x0; x <= b.x1; ++x)
        {
            brightest = std::max(brightest, luma(at(s, x, y)));
        }
    }
    EXPECT_LT(brightest, 40) << what;
}

// Keyboard keys are given in screen pixels; the panel is drawn at (4, 40).
Box onPanel(int x0, int y0, int x1, int y1)
{
    return {x0 - 4, y0 - 40, x1 - 4, y1 - 40};
}

// Runs one of the checks above on each box of an image.
void check(const char* image, const std::vector<Box>& boxes,
           void (*expect)(SDL_Surface*, Box, const char*))
{
    Image s = load(image);
    ASSERT_TRUE(s) << image;
    for (Box b : boxes)
    {
        expect(s.get(), b, image);
    }
}
} // namespace

TEST(Artwork, SeventeenImagesAtTheirSizes)
{
    const struct
    {
        const char* name;
        int w, h;
    } sized[] = {{"dialog", 260, 116},    {"dialog_2", 260, 116},  {"f_play", 320, 240},
                 {"f_presets", 320, 240}, {"f_smp", 320, 240},     {"teclas", 312, 130},
                 {"boton_p", 140, 100},   {"boton_p_2", 140, 100}, {"boton_s", 140, 100},
                 {"boton_s_2", 140, 100}, {"caja_s", 118, 18},     {"caja_l", 87, 18},
                 {"caja_s_2", 241, 17},   {"sample_sel", 51, 21},  {"asignado", 48, 17},
                 {"caja_p", 241, 17}};
    for (const auto& image : sized)
    {
        Image s = load(image.name);
        ASSERT_TRUE(s) << image.name;
        EXPECT_EQ(s->w, image.w) << image.name;
        EXPECT_EQ(s->h, image.h) << image.name;
    }
    Image rata = load("rata");
    ASSERT_TRUE(rata);
    EXPECT_LE(rata->w, 32);
    EXPECT_LE(rata->h, 32);
}

TEST(Artwork, KeyedImagesAreShapesOnBlack)
{
    // Per image: a pixel that must show what lies beneath, and one that must be drawn.
    const struct
    {
        const char* name;
        int clearX, clearY, drawnX, drawnY;
    } keyed[] = {
        {"boton_p", 0, 0, 70, 50},    {"boton_p_2", 0, 0, 70, 50},  {"boton_s", 0, 0, 70, 50},
        {"boton_s_2", 0, 0, 70, 50},  {"caja_s", 12, 8, 67, 17},    {"caja_l", 13, 8, 41, 17},
        {"rata", 11, 0, 2, 6},        {"caja_s_2", 120, 8, 120, 0}, {"caja_p", 120, 8, 120, 16},
        {"sample_sel", 25, 10, 1, 6}, {"asignado", 10, 8, 40, 3}};
    for (const auto& k : keyed)
    {
        Image s = load(k.name);
        ASSERT_TRUE(s) << k.name;
        EXPECT_TRUE(keyedOut(at(s.get(), k.clearX, k.clearY))) << k.name;
        EXPECT_FALSE(keyedOut(at(s.get(), k.drawnX, k.drawnY))) << k.name;
    }
    // Pads: black only in their rounded corners; every pixel inside stays opaque.
    for (const char* name : {"boton_p", "boton_p_2", "boton_s", "boton_s_2"})
    {
        Image s = load(name);
        ASSERT_TRUE(s) << name;
        const int corners[4][2] = {{0, 0}, {139, 0}, {0, 99}, {139, 99}};
        for (const auto& corner : corners)
        {
            EXPECT_TRUE(keyedOut(at(s.get(), corner[0], corner[1]))) << name;
        }
        for (int y = 3; y < 97; ++y)
        {
            for (int x = 3; x < 137; ++x)
            {
                ASSERT_FALSE(keyedOut(at(s.get(), x, y))) << name << " at " << x << "," << y;
            }
        }
    }
}

TEST(Artwork, PressAreasAreOutlinedOnTheirPixels)
{
    std::vector<Box> bands, keys = {onPanel(190, 118, 239, 142), onPanel(239, 120, 273, 143),
                                    onPanel(275, 120, 314, 144)}; // DEL, save, cancel
    const int bandTop[8] = {30, 51, 73, 95, 117, 139, 161, 183};
    for (int s = 0; s < 8; ++s)
    {
        bands.push_back({270, bandTop[s], 319, bandTop[s] + (s == 0 ? 18 : 19)});
    }
    for (int key = 0; key < 36; ++key)
    {
        const int x = 5 + 26 * (key % 12), y = 41 + 25 * (key / 12);
        keys.push_back(onPanel(x, y, x + 23, y + 23));
    }
    const std::vector<Box> presetScreen = {{8, 26, 243, 212},
                                           {299, 32, 319, 51},
                                           {299, 190, 319, 210},
                                           {207, 219, 319, 239},
                                           {2, 219, 100, 238}};
    const std::vector<Box> browser = {{12, 6, 128, 19},     {194, 6, 256, 19},
                                      {8, 26, 243, 212},    {247, 31, 265, 49},
                                      {247, 189, 265, 208}, {20, 218, 137, 232}};
    const std::vector<Box> pads = {
        {10, 10, 149, 109}, {170, 10, 309, 109}, {10, 130, 149, 229}, {170, 130, 309, 229}};
    check("f_presets", presetScreen, expectOutlined);
    check("f_smp", browser, expectOutlined);
    check("f_smp", bands, expectOutlined);
    check("f_play", pads, expectOutlined);
    check("teclas", keys, expectOutlined);
}

TEST(Artwork, RoomForTheProgramsTextStaysDark)
{
    const std::vector<Box> listRows = {{10, 32, 242, 211}};
    const std::vector<Box> slotLabel = {{180, 222, 250, 237}};
    const std::vector<Box> padNames = {
        {12, 110, 100, 125}, {172, 110, 260, 125}, {12, 230, 100, 239}, {172, 230, 260, 239}};
    check("f_presets", listRows, expectDark);
    check("f_smp", listRows, expectDark);
    check("f_smp", slotLabel, expectDark);
    check("f_play", padNames, expectDark);
    check("teclas", {onPanel(14, 150, 304, 165)}, expectDark); // the typed name
}
