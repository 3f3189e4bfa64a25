#include "artdraw.h"

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace
{
// Each pixel's coverage is measured on a grid of kSub x kSub points.
constexpr int kSub = 4;

struct Font
{
    int size;
    bool bold;
    TTF_Font* font;
};

std::string fontPath;
std::vector<Font> fonts;

Box inset(Box b, int by)
{
    return {b.x0 + by, b.y0 + by, b.x1 - by, b.y1 - by};
}

void blend(Canvas& c, int x, int y, Rgb colour, float amount)
{
    if (x < 0 || y < 0 || x >= c.w || y >= c.h || amount <= 0.0f)
    {
        return;
    }
    Rgb& p = c.px[static_cast<size_t>(y * c.w + x)];
    p = mix(p, colour, std::min(amount, 1.0f));
}

// Paints every pixel of the bounds by the share of its sample points that lie inside.
template <typename Inside, typename Colour>
void cover(Canvas& c, Box bounds, Inside inside, Colour colourAt)
{
    for (int y = std::max(bounds.y0, 0); y <= std::min(bounds.y1, c.h - 1); ++y)
    {
        for (int x = std::max(bounds.x0, 0); x <= std::min(bounds.x1, c.w - 1); ++x)
        {
            int hits = 0;
            for (int sy = 0; sy < kSub; ++sy)
            {
                for (int sx = 0; sx < kSub; ++sx)
                {
                    hits += inside(x + (sx + 0.5f) / kSub, y + (sy + 0.5f) / kSub) ? 1 : 0;
                }
            }
            blend(c, x, y, colourAt(y), static_cast<float>(hits) / (kSub * kSub));
        }
    }
}

// Point test of a box with rounded corners; the box covers [x0, x1 + 1) x [y0, y1 + 1).
bool insideRound(Box b, float radius, float px, float py)
{
    const float left = static_cast<float>(b.x0), right = static_cast<float>(b.x1 + 1);
    const float top = static_cast<float>(b.y0), bottom = static_cast<float>(b.y1 + 1);
    if (px < left || px >= right || py < top || py >= bottom)
    {
        return false;
    }
    const float cx = std::clamp(px, left + radius, right - radius);
    const float cy = std::clamp(py, top + radius, bottom - radius);
    const float dx = px - cx, dy = py - cy;
    return dx * dx + dy * dy <= radius * radius;
}

float edge(float ax, float ay, float bx, float by, float px, float py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

TTF_Font* fontFor(int size, bool bold)
{
    for (const Font& f : fonts)
    {
        if (f.size == size && f.bold == bold)
        {
            return f.font;
        }
    }
    TTF_Font* font = TTF_OpenFont(fontPath.c_str(), size);
    if (font == nullptr)
    {
        return nullptr;
    }
    TTF_SetFontStyle(font, bold ? TTF_STYLE_BOLD : TTF_STYLE_NORMAL);
    fonts.push_back({size, bold, font});
    return font;
}

// Renders text and hands each glyph pixel's position and opacity to paint; x is the
// left edge, y the middle of the capitals.
template <typename Paint>
void renderGlyphs(const char* text, int size, bool bold, int x, int y, Paint paint)
{
    TTF_Font* font = fontFor(size, bold);
    if (font == nullptr)
    {
        return;
    }
    SDL_Surface* glyphs =
        TTF_RenderUTF8_Blended(font, text, SDL_Color{kWhite.r, kWhite.g, kWhite.b, 0});
    if (glyphs == nullptr)
    {
        return;
    }
    int minx, maxx, miny, capHeight, advance;
    TTF_GlyphMetrics(font, 'H', &minx, &maxx, &miny, &capHeight, &advance);
    const int top = y - TTF_FontAscent(font) + capHeight / 2;
    SDL_LockSurface(glyphs);
    for (int gy = 0; gy < glyphs->h; ++gy)
    {
        const auto* row = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(glyphs->pixels) + gy * glyphs->pitch);
        for (int gx = 0; gx < glyphs->w; ++gx)
        {
            Uint8 r, g, b, a;
            SDL_GetRGBA(row[gx], glyphs->format, &r, &g, &b, &a);
            if (a > 0)
            {
                paint(x + gx, top + gy, a / 255.0f);
            }
        }
    }
    SDL_UnlockSurface(glyphs);
    SDL_FreeSurface(glyphs);
}

// PNG pieces. The image data goes into stored (uncompressed) deflate blocks: icons are
// small, and no compression library is needed.
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr size_t kStoredBlockMax = 65535;
constexpr uint8_t kPngRgba = 6, kPngDepth = 8;
constexpr uint32_t kAdlerModulus = 65521;

// 16-bit BMP in the display's 5-6-5 layout: file and info headers, then the three
// channel masks (BI_BITFIELDS), then the pixels.
constexpr uint32_t kBmpInfoSize = 40;
constexpr uint32_t kBmpHeadersSize = 14 + kBmpInfoSize + 3 * 4;
constexpr uint32_t kBmpBits = 16;
constexpr uint32_t kBmpBitfields = 3;
constexpr uint32_t kRedMask = 0xf800, kGreenMask = 0x07e0, kBlueMask = 0x001f;

void putLittle(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
    {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

bool writeFile(const std::vector<uint8_t>& bytes, const std::string& path)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
    {
        return false;
    }
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

void putBig32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

uint32_t crc32(const uint8_t* data, size_t size)
{
    static const std::array<uint32_t, 256> table = []
    {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n)
        {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
            {
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < size; ++i)
    {
        c = table[(c ^ data[i]) & 0xff] ^ (c >> 8);
    }
    return c ^ 0xffffffffu;
}

uint32_t adler32(const std::vector<uint8_t>& data)
{
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data)
    {
        a = (a + byte) % kAdlerModulus;
        b = (b + a) % kAdlerModulus;
    }
    return (b << 16) | a;
}

void putChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& body)
{
    putBig32(out, static_cast<uint32_t>(body.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    putBig32(out, crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks.
std::vector<uint8_t> zlibStored(const std::vector<uint8_t>& raw)
{
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t at = 0;
    do
    {
        const size_t n = std::min(kStoredBlockMax, raw.size() - at);
        const bool last = at + n == raw.size();
        z.push_back(last ? 1 : 0);
        const uint16_t len = static_cast<uint16_t>(n);
        const uint16_t nlen = static_cast<uint16_t>(~len);
        z.insert(z.end(), {static_cast<uint8_t>(len), static_cast<uint8_t>(len >> 8),
                           static_cast<uint8_t>(nlen), static_cast<uint8_t>(nlen >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<long>(at),
                 raw.begin() + static_cast<long>(at + n));
        at += n;
    } while (at < raw.size());
    putBig32(z, adler32(raw));
    return z;
}
} // namespace

Canvas makeCanvas(int w, int h, Rgb fill)
{
    return {w, h, std::vector<Rgb>(static_cast<size_t>(w * h), fill)};
}

Rgb mix(Rgb from, Rgb to, float amount)
{
    auto channel = [amount](uint8_t a, uint8_t b)
    { return static_cast<uint8_t>(std::lround(a + (b - a) * amount)); };
    return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

void fillBox(Canvas& c, Box b, Rgb colour)
{
    for (int y = b.y0; y <= b.y1; ++y)
    {
        for (int x = b.x0; x <= b.x1; ++x)
        {
            blend(c, x, y, colour, 1.0f);
        }
    }
}

void fillRound(Canvas& c, Box b, float radius, Rgb colour)
{
    fillRoundGradient(c, b, radius, colour, colour);
}

void fillRoundGradient(Canvas& c, Box b, float radius, Rgb top, Rgb bottom)
{
    const float span = static_cast<float>(std::max(b.y1 - b.y0, 1));
    cover(
        c, b, [&](float px, float py) { return insideRound(b, radius, px, py); },
        [&](int y) { return mix(top, bottom, (y - b.y0) / span); });
}

void frameRound(Canvas& c, Box b, float radius, float width, Rgb colour)
{
    const int w = static_cast<int>(std::ceil(width));
    const Box inner = inset(b, w);
    const float innerRadius = std::max(radius - width, 0.0f);
    cover(
        c, b,
        [&](float px, float py)
        { return insideRound(b, radius, px, py) && !insideRound(inner, innerRadius, px, py); },
        [&](int) { return colour; });
}

void fillCircle(Canvas& c, float cx, float cy, float radius, Rgb colour)
{
    ringCircle(c, cx, cy, radius, radius, colour);
}

void ringCircle(Canvas& c, float cx, float cy, float radius, float width, Rgb colour)
{
    arcRing(c, cx, cy, radius, width, 0.0f, 360.0f, colour);
}

void arcRing(Canvas& c, float cx, float cy, float radius, float width, float from, float to,
             Rgb colour)
{
    const Box bounds{static_cast<int>(cx - radius) - 1, static_cast<int>(cy - radius) - 1,
                     static_cast<int>(cx + radius) + 1, static_cast<int>(cy + radius) + 1};
    const float inner = radius - width;
    cover(
        c, bounds,
        [&](float px, float py)
        {
            const float d = std::hypot(px - cx, py - cy);
            float angle = std::atan2(px - cx, cy - py) * kDegreesPerRadian;
            if (angle < 0.0f)
            {
                angle += 360.0f;
            }
            return d <= radius && d >= inner && angle >= from && angle <= to;
        },
        [&](int) { return colour; });
}

void fillTriangle(Canvas& c, const float (&x)[3], const float (&y)[3], Rgb colour)
{
    const Box bounds{static_cast<int>(*std::min_element(x, x + 3)),
                     static_cast<int>(*std::min_element(y, y + 3)),
                     static_cast<int>(*std::max_element(x, x + 3)),
                     static_cast<int>(*std::max_element(y, y + 3))};
    const float sign = edge(x[0], y[0], x[1], y[1], x[2], y[2]) < 0 ? -1.0f : 1.0f;
    cover(
        c, bounds,
        [&](float px, float py)
        {
            return sign * edge(x[0], y[0], x[1], y[1], px, py) >= 0 &&
                   sign * edge(x[1], y[1], x[2], y[2], px, py) >= 0 &&
                   sign * edge(x[2], y[2], x[0], y[0], px, py) >= 0;
        },
        [&](int) { return colour; });
}

void lineV(Canvas& c, int x, int y0, int y1, Rgb colour)
{
    fillBox(c, {x, y0, x, y1}, colour);
}

bool openFonts(const char* path)
{
    if (TTF_Init() != 0)
    {
        return false;
    }
    fontPath = path;
    return fontFor(12, false) != nullptr;
}

void closeFonts()
{
    for (const Font& f : fonts)
    {
        TTF_CloseFont(f.font);
    }
    fonts.clear();
    TTF_Quit();
}

int labelWidth(const char* text, int size, bool bold)
{
    int w = 0, h = 0;
    TTF_Font* font = fontFor(size, bold);
    if (font == nullptr || TTF_SizeUTF8(font, text, &w, &h) != 0)
    {
        return 0;
    }
    return w;
}

void drawLabel(Canvas& c, const char* text, int size, bool bold, int x, int y, Rgb colour)
{
    renderGlyphs(text, size, bold, x, y,
                 [&](int px, int py, float a) { blend(c, px, py, colour, a); });
}

void drawLabelCentred(Canvas& c, const char* text, int size, bool bold, int x, int y, Rgb colour)
{
    drawLabel(c, text, size, bold, x - labelWidth(text, size, bold) / 2, y, colour);
}

void drawLabelOver(Canvas& c, const char* text, int size, bool bold, int x, int y, Rgb colour,
                   Rgb under)
{
    renderGlyphs(text, size, bold, x - labelWidth(text, size, bold) / 2, y,
                 [&](int px, int py, float a)
                 {
                     if (px >= 0 && py >= 0 && px < c.w && py < c.h)
                     {
                         c.px[static_cast<size_t>(py * c.w + px)] = mix(under, colour, a);
                     }
                 });
}

bool saveCanvas(const Canvas& c, const std::string& path)
{
    const uint32_t rowBytes = (static_cast<uint32_t>(c.w) * 2 + 3) & ~3u; // rows end on 4 bytes
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(c.h);
    std::vector<uint8_t> bmp = {'B', 'M'};
    putLittle(bmp, kBmpHeadersSize + pixelBytes, 4);
    putLittle(bmp, 0, 4); // reserved
    putLittle(bmp, kBmpHeadersSize, 4);
    putLittle(bmp, kBmpInfoSize, 4);
    putLittle(bmp, static_cast<uint32_t>(c.w), 4);
    putLittle(bmp, static_cast<uint32_t>(c.h), 4); // positive: the bottom row comes first
    putLittle(bmp, 1, 2);                          // planes
    putLittle(bmp, kBmpBits, 2);
    putLittle(bmp, kBmpBitfields, 4);
    putLittle(bmp, pixelBytes, 4);
    for (int field = 0; field < 4; ++field) // resolution, palette size and use: none
    {
        putLittle(bmp, 0, 4);
    }
    for (uint32_t mask : {kRedMask, kGreenMask, kBlueMask})
    {
        putLittle(bmp, mask, 4);
    }
    for (int y = c.h - 1; y >= 0; --y)
    {
        for (int x = 0; x < c.w; ++x)
        {
            const Rgb p = c.px[static_cast<size_t>(y * c.w + x)];
            putLittle(bmp, static_cast<uint32_t>((p.r >> 3) << 11 | (p.g >> 2) << 5 | p.b >> 3), 2);
        }
        bmp.resize(bmp.size() + rowBytes - static_cast<uint32_t>(c.w) * 2, 0);
    }
    return writeFile(bmp, path);
}

bool savePng(const Canvas& c, const Canvas& matte, const std::string& path)
{
    std::vector<uint8_t> raw; // each row: filter type 0, then RGBA pixels
    for (int y = 0; y < c.h; ++y)
    {
        raw.push_back(0);
        for (int x = 0; x < c.w; ++x)
        {
            const size_t i = static_cast<size_t>(y * c.w + x);
            raw.insert(raw.end(), {c.px[i].r, c.px[i].g, c.px[i].b, matte.px[i].r});
        }
    }
    std::vector<uint8_t> header;
    putBig32(header, static_cast<uint32_t>(c.w));
    putBig32(header, static_cast<uint32_t>(c.h));
    header.insert(header.end(), {kPngDepth, kPngRgba, 0, 0, 0});

    std::vector<uint8_t> png(std::begin(kPngSignature), std::end(kPngSignature));
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlibStored(raw));
    putChunk(png, "IEND", {});

    return writeFile(png, path);
}
