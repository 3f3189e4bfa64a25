// Draws the images of the program's table (app/images.h), or the desktop icon.
// Usage: mkart <font.ttf> <outdir> | mkart --icon <size> <file.png>
//
// The pictures are the user's only guide to where a press counts, so every button is
// outlined on exactly the pixels its press area covers, and the places where the
// program writes its own text are left dark and empty. Pure black is the transparent
// colour of the pads, highlights and markers, so their opaque parts never use it.
#include "app/images.h"
#include "artdraw.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// Palette: dark slate with cyan for what can be pressed and amber for what is active;
// the colours the program draws with too are in the layout header.
constexpr Rgb kTransparent{0, 0, 0};
constexpr Rgb kBack{13, 15, 22};
constexpr Rgb kRule{44, 52, 70};
constexpr Rgb kLine{64, 76, 100};
constexpr Rgb kLampOff{86, 98, 122};
constexpr Rgb kButtonTop{46, 55, 76};
constexpr Rgb kButtonBottom{29, 34, 48};
constexpr Rgb kTextDim{122, 134, 158};
constexpr Rgb kAmberDeep{226, 112, 18};
constexpr Rgb kCyan{84, 214, 248};
constexpr Rgb kCyanDeep{18, 128, 190};
constexpr Rgb kInk{8, 8, 12}; // darkest opaque colour of the keyed images

constexpr float kButtonRadius = 3.0f;
constexpr int kLabelSize = 12;
constexpr int kSmallSize = 10;
constexpr int kTinySize = 9;

constexpr const char* kSlotNames[8] = {"S1", "S2", "S3", "S4", "L1", "L2", "L3", "L4"};
constexpr int kCursorW = width(kSlotCursor), kCursorH = height(kSlotCursor);
constexpr int kMarkerW = width(kSlotMarker), kMarkerH = height(kSlotMarker);
constexpr float kLedX = 40.5f, kLedY = 3.5f, kLedRadius = 3.5f; // in the marker image

constexpr int kPadW = width(kPadBoxes[0]), kPadH = height(kPadBoxes[0]);
constexpr float kPadRadius = 8.0f;

constexpr int kPanelW = width(kKeyboardPanel), kPanelH = height(kKeyboardPanel);
constexpr int kDialogW = width(kDialogBox), kDialogH = height(kDialogBox);
constexpr int kBarW = width(kHoverBar), kBarH = height(kHoverBar);

// Panel of a button: rounded face, outline on the box's own edge pixels.
void drawButton(Canvas& c, Box b, Rgb edge)
{
    fillRoundGradient(c, b, kButtonRadius, kButtonTop, kButtonBottom);
    frameRound(c, b, kButtonRadius, 1.0f, edge);
}

void drawLabelledButton(Canvas& c, Box b, const char* label, int size, Rgb edge, Rgb colour)
{
    drawButton(c, b, edge);
    drawLabelCentred(c, label, size, true, midX(b), midY(b), colour);
}

// A triangle pointing up or down, centred in the box.
void drawArrow(Canvas& c, Box b, bool up, Rgb colour)
{
    const float cx = (b.x0 + b.x1 + 1) / 2.0f, cy = (b.y0 + b.y1 + 1) / 2.0f;
    const float half = 5.0f, rise = up ? -3.5f : 3.5f;
    fillTriangle(c, {cx - half, cx + half, cx}, {cy - rise, cy - rise, cy + rise}, colour);
}

void drawScrollButtons(Canvas& c, Box up, Box down)
{
    drawButton(c, up, kEdge);
    drawArrow(c, up, true, kText);
    drawButton(c, down, kEdge);
    drawArrow(c, down, false, kText);
    lineV(c, midX(up), up.y1 + 4, down.y0 - 4, kRule);
}

// The screen keys '0'-'3' as four small caps from (x, y); lit[k] colours cap k.
void drawScreenKeys(Canvas& c, int x, int y, const Rgb* const (&lit)[4], bool vertical)
{
    constexpr int kCap = 11, kStep = 13;
    for (int k = 0; k < 4; ++k)
    {
        const int cx = vertical ? x : x + k * kStep, cy = vertical ? y + k * kStep : y;
        const Box cap{cx, cy, cx + kCap - 1, cy + kCap - 1};
        const Rgb colour = lit[k] != nullptr ? *lit[k] : kTextDim;
        frameRound(c, cap, 2.0f, 1.0f, lit[k] != nullptr ? colour : kRule);
        const char digit[2] = {static_cast<char>('0' + k), '\0'};
        drawLabelCentred(c, digit, kTinySize, true, midX(cap), midY(cap), colour);
    }
}

void drawListPanel(Canvas& c)
{
    fillBox(c, kListBox, kPanel);
    frameRound(c, kListBox, 2.0f, 1.0f, kLine);
}

Canvas presetBackground()
{
    Canvas c = makeCanvas(kScreenWidth, kScreenHeight, kBack);
    drawLabel(c, "Presets", kLabelSize, true, 8, 12, kAmber);
    drawLabel(c, "screen", kTinySize, false, 226, 12, kTextDim);
    const Rgb* const lit[4] = {&kAmber, nullptr, nullptr, nullptr};
    drawScreenKeys(c, 264, 7, lit, false);
    drawListPanel(c);
    drawScrollButtons(c, kPresetScrollUpBox, kPresetScrollDownBox);
    drawLabelledButton(c, kLoadButtonBox, "Load", kLabelSize, kAmber, kAmber);
    drawLabelledButton(c, kKeyboardButtonBox, "Keyboard", kLabelSize, kEdge, kText);
    drawLabelCentred(c, "pick a row, then Load", kTinySize, false, 154, 229, kTextDim);
    return c;
}

// Tab face with its label, and the unlit lamp left of it that the highlight lights.
void drawTab(Canvas& c, Box tab, const char* label)
{
    fillBox(c, tab, kPanel);
    frameRound(c, tab, kButtonRadius, 1.0f, kEdge);
    drawLabelCentred(c, label, kLabelSize, true, midX(tab), midY(tab), kText);
}

float lampX(Box tab)
{
    return tab.x0 - 5.0f;
}

constexpr float kLampY = 13.0f, kLampRadius = 3.0f;

Canvas browserBackground()
{
    Canvas c = makeCanvas(kScreenWidth, kScreenHeight, kBack);
    drawTab(c, kKitsTabBox, "Kits");
    drawTab(c, kLoopsTabBox, "Loops");
    for (Box tab : {kKitsTabBox, kLoopsTabBox})
    {
        ringCircle(c, lampX(tab), kLampY, kLampRadius, 1.0f, kLampOff);
    }
    const Rgb* const lit[4] = {nullptr, &kAmber, nullptr, nullptr};
    drawScreenKeys(c, 266, 225, lit, false);
    drawLabelCentred(c, "Browser", kSmallSize, true, 155, 12, kTextDim);
    drawListPanel(c);
    drawScrollButtons(c, kBrowserScrollUpBox, kBrowserScrollDownBox);

    drawLabelCentred(c, "Slot", kTinySize, true, 295, 24, kTextDim);
    for (int s = 0; s < 8; ++s)
    {
        const Box band = slotBand(s);
        drawButton(c, band, kEdge);
        drawLabelCentred(c, kSlotNames[s], kLabelSize, true, 292, midY(band),
                         s < 4 ? kText : kCyan);
        ringCircle(c, kSlotMarker.x0 + kLedX, kSlotMarker.y0 + kMarkerPitch * s + kLedY, kLedRadius,
                   1.0f, kLampOff);
    }
    drawLabelledButton(c, kAssignBox, "Assign to slot", kLabelSize, kAmber, kAmber);
    fillBox(c, kSlotLabelRoom, kBack);
    return c;
}

// A pad's key and MIDI note on a dark chip: the key bright, the note dim.
void drawLegend(Canvas& c, Box chip, char key, int note)
{
    fillBox(c, chip, kWell);
    const char letter[2] = {static_cast<char>(toupper(key)), '\0'};
    const std::string rest = " \u00b7 " + std::to_string(note); // a middle dot
    const int letterW = labelWidth(letter, kTinySize, true);
    const int x = midX(chip) - (letterW + labelWidth(rest.c_str(), kTinySize, false)) / 2;
    drawLabel(c, letter, kTinySize, true, x, midY(chip), kText);
    drawLabel(c, rest.c_str(), kTinySize, false, x + letterW, midY(chip), kTextDim);
}

Canvas padBackground()
{
    Canvas c = makeCanvas(kScreenWidth, kScreenHeight, kBack);
    for (int k = 0; k < kPadCount; ++k)
    {
        const Box pad = kPadBoxes[k];
        frameRound(c, pad, 1.0f, 1.0f, kLine);
        // Under the pad's image, which shows one legend through a window.
        drawLegend(c, moved(kOneShotLegend, pad.x0, pad.y0), kOneShotKeys[k],
                   kFirstOneShotNote + k);
        drawLegend(c, moved(kLoopLegend, pad.x0, pad.y0), kLoopKeys[k], kFirstLoopNote + k);
        const Box sign = moved(kWaitingSign, pad.x0, pad.y0);
        fillBox(c, sign, kAmber);
        drawLabelCentred(c, "WAITING", kTinySize, true, midX(sign), midY(sign), kInk);
    }
    const Rgb* const lit[4] = {nullptr, nullptr, &kAmber, &kCyan};
    drawScreenKeys(c, 155, 94, lit, true);
    return c;
}

Canvas keyboardPanel()
{
    Canvas c = makeCanvas(kPanelW, kPanelH, kBack);
    const Box whole{0, 0, kPanelW - 1, kPanelH - 1};
    fillRound(c, whole, 4.0f, kPanel);
    frameRound(c, whole, 4.0f, 1.0f, kRule);
    for (int key = 0; key < kKeyCount; ++key)
    {
        const char text[2] = {kKeyCharacters[key], '\0'};
        drawLabelledButton(c, inImage(keyBox(key), kKeyboardPanel), text, kLabelSize, kEdge, kText);
    }
    drawLabel(c, "Preset name", kSmallSize, true, 6, 86, kTextDim);
    drawLabel(c, "type it, then Save", kTinySize, false, 6, 98, kTextDim);

    // DEL and save share one column: square corners and a single line there make the
    // pair read as one split key.
    const Box del = inImage(kDelKeyBox, kKeyboardPanel);
    const Box save = inImage(kSaveKeyBox, kKeyboardPanel);
    fillBox(c, del, kButtonBottom);
    fillBox(c, save, kButtonBottom);
    frameRound(c, del, 0.0f, 1.0f, kEdge);
    frameRound(c, save, 0.0f, 1.0f, kAmber);
    drawLabelCentred(c, "DEL", kSmallSize, true, midX(del), midY(del), kText);
    drawLabelCentred(c, "Save", kSmallSize, true, midX(save), midY(save), kAmber);
    const Box cancel = inImage(kCancelKeyBox, kKeyboardPanel);
    drawButton(c, cancel, kEdge);
    drawLabelCentred(c, "Cancel", kSmallSize, false, midX(cancel), midY(cancel), kText);

    const Box field = inImage(kNameField, kKeyboardPanel);
    fillRound(c, field, 2.0f, kWell);
    frameRound(c, field, 2.0f, 1.0f, kRule);
    return c;
}

Canvas dialogPanel(const char* title)
{
    Canvas c = makeCanvas(kDialogW, kDialogH, kBack);
    const Box whole{0, 0, kDialogW - 1, kDialogH - 1};
    fillRoundGradient(c, whole, 6.0f, kButtonTop, kPanel);
    frameRound(c, whole, 6.0f, 2.0f, kAmber);
    constexpr int kMiddle = kDialogW / 2, kBadgeY = 34;
    fillCircle(c, kMiddle, kBadgeY, 14.0f, kAmber);
    drawLabelCentred(c, "\u2713", 18, true, kMiddle, kBadgeY, kInk); // check mark
    drawLabelCentred(c, title, 14, true, kMiddle, 68, kText);
    drawLabelCentred(c, "tap to continue", kSmallSize, false, kMiddle, 92, kTextDim);
    return c;
}

// A clockwise circular arrow: a ring open at the top right, its head at the open end.
void drawLoopArrow(Canvas& c, float cx, float cy, Rgb colour)
{
    constexpr float kRadius = 22.0f, kWidth = 5.0f, kFrom = 70.0f, kTo = 340.0f;
    constexpr float kTip = 28.0f, kHeadHalf = 8.0f;
    arcRing(c, cx, cy, kRadius, kWidth, kFrom, kTo, colour);
    const float mid = kRadius - kWidth / 2.0f;
    auto along = [&](float degrees, float r, float* x, float* y)
    {
        const float a = degrees / kDegreesPerRadian;
        *x = cx + r * std::sin(a);
        *y = cy - r * std::cos(a);
    };
    float bx0, by0, bx1, by1, tx, ty;
    along(kTo - 2.0f, mid - kHeadHalf, &bx0, &by0);
    along(kTo - 2.0f, mid + kHeadHalf, &bx1, &by1);
    along(kTo + kTip, mid, &tx, &ty);
    fillTriangle(c, {bx0, bx1, tx}, {by0, by1, ty}, colour);
}

// A pad on black corners. Lit pads are filled with an accent; dark ones keep the slate.
Canvas padImage(bool lit, bool loop)
{
    Canvas c = makeCanvas(kPadW, kPadH, kTransparent);
    const Box whole{0, 0, kPadW - 1, kPadH - 1};
    const Rgb accent = loop ? kCyan : kAmber, deep = loop ? kCyanDeep : kAmberDeep;
    const float cx = kPadW / 2.0f, cy = kPadH / 2.0f - 4.0f;
    if (lit)
    {
        fillRoundGradient(c, whole, kPadRadius, accent, deep);
        frameRound(c, whole, kPadRadius, 2.0f, mix(accent, kText, 0.6f));
    }
    else
    {
        fillRoundGradient(c, whole, kPadRadius, kButtonTop, kButtonBottom);
        frameRound(c, whole, kPadRadius, 2.0f, mix(accent, kButtonBottom, 0.55f));
    }
    const Rgb mark = lit ? kInk : mix(accent, kButtonBottom, 0.35f);
    if (loop)
    {
        drawLoopArrow(c, cx, cy, mark);
    }
    else
    {
        ringCircle(c, cx, cy, 22.0f, 3.0f, mark);
        fillCircle(c, cx, cy, 10.0f, mark);
    }
    // A window onto the key and note that the background draws under the pad.
    fillBox(c, loop ? kLoopLegend : kOneShotLegend, kTransparent);
    const char* state = loop ? (lit ? "PLAYING" : "LOOP OFF") : (lit ? "HIT" : "TAP");
    drawLabelCentred(c, state, kTinySize, true, midX(kWaitingSign), midY(kWaitingSign),
                     lit ? kInk : mix(kTextDim, kButtonBottom, 0.2f));
    return c;
}

// Active tab: lamp lit, label repainted in amber, underline. Drawn over the tab.
Canvas tabHighlight(Box highlight, Box tab, const char* label)
{
    Canvas c = makeCanvas(width(highlight), height(highlight), kTransparent);
    const Box t = inImage(tab, highlight);
    fillCircle(c, lampX(t), kLampY - highlight.y0, kLampRadius + 0.5f, kAmber);
    drawLabelOver(c, label, kLabelSize, true, midX(t), midY(t), kAmber, kPanel);
    const int half = labelWidth(label, kLabelSize, true) / 2 + 6;
    fillBox(c, {midX(t) - half, t.y1 + 1, midX(t) + half, t.y1 + 2}, kAmber);
    return c;
}

// List row highlight: an outline, so the row's text drawn before it stays readable.
Canvas hoverBar()
{
    Canvas c = makeCanvas(kBarW, kBarH, kTransparent);
    frameRound(c, {0, 0, kBarW - 1, kBarH - 1}, 3.0f, 1.0f, kAmber);
    return c;
}

// Selected slot: an amber pointer and edge bar on the left of the band.
Canvas slotCursor()
{
    Canvas c = makeCanvas(kCursorW, kCursorH, kTransparent);
    fillBox(c, {0, 0, 2, 12}, kAmber);
    fillTriangle(c, {4.0f, 4.0f, 11.0f}, {1.5f, 11.5f, 6.5f}, kAmber);
    fillBox(c, {kCursorW - 3, 0, kCursorW - 1, 12}, kAmber);
    return c;
}

// Assigned slot: lights the lamp ring that the background draws in each band.
Canvas slotMarker()
{
    Canvas c = makeCanvas(kMarkerW, kMarkerH, kTransparent);
    fillCircle(c, kLedX, kLedY, kLedRadius, kCyan);
    return c;
}

// Pointer arrow, white with a dark rim: a head and a slanted stem.
void drawPointerShape(Canvas& c, float grow, Rgb colour)
{
    fillTriangle(c, {1.0f - grow, 1.0f - grow, 10.0f + 1.6f * grow},
                 {1.5f - 2.2f * grow, 14.5f + 1.6f * grow, 11.0f + grow}, colour);
    fillTriangle(c, {3.5f - grow, 6.5f + grow, 9.0f + grow}, {11.5f, 11.0f, 16.5f + grow}, colour);
    fillTriangle(c, {3.5f - grow, 9.0f + grow, 6.5f - grow}, {11.5f, 16.5f + grow, 17.5f + grow},
                 colour);
}

Canvas pointer()
{
    Canvas c = makeCanvas(13, 20, kTransparent);
    drawPointerShape(c, 1.0f, kInk);
    drawPointerShape(c, 0.0f, kText);
    return c;
}

// The desktop icon is laid out on a 64-pixel grid and scaled to its size: a slate tile
// holding the four pads, a lit and a dark sample pad above, a dark and a lit loop pad below.
constexpr int kIconGrid = 64;
constexpr Box kIconTile{2, 2, 61, 61};
constexpr float kIconTileRadius = 12.0f, kIconPadRadius = 4.0f;
constexpr Box kIconPads[4] = {{8, 8, 29, 29}, {34, 8, 55, 29}, {8, 34, 29, 55}, {34, 34, 55, 55}};
constexpr bool kIconPadLit[4] = {true, false, false, true};

Box scaled(Box b, float scale)
{
    return {static_cast<int>(std::lround(b.x0 * scale)),
            static_cast<int>(std::lround(b.y0 * scale)),
            static_cast<int>(std::lround((b.x1 + 1) * scale)) - 1,
            static_cast<int>(std::lround((b.y1 + 1) * scale)) - 1};
}

bool writeIcon(int size, const std::string& path)
{
    const float scale = static_cast<float>(size) / kIconGrid;
    const Box tile = scaled(kIconTile, scale);
    Canvas matte = makeCanvas(size, size, kTransparent);
    fillRound(matte, tile, kIconTileRadius * scale, kWhite); // opaque

    Canvas c = makeCanvas(size, size, kBack);
    fillRoundGradient(c, tile, kIconTileRadius * scale, kButtonTop, kBack);
    const float frame = std::max(1.0f, scale);
    for (int k = 0; k < 4; ++k)
    {
        const Box pad = scaled(kIconPads[k], scale);
        const bool loop = k >= 2;
        const Rgb accent = loop ? kCyan : kAmber, deep = loop ? kCyanDeep : kAmberDeep;
        const float radius = kIconPadRadius * scale;
        if (kIconPadLit[k])
        {
            fillRoundGradient(c, pad, radius, accent, deep);
        }
        else
        {
            fillRoundGradient(c, pad, radius, kButtonTop, kButtonBottom);
            frameRound(c, pad, radius, frame, mix(accent, kButtonBottom, 0.4f));
        }
    }
    return savePng(c, matte, path);
}

int iconMain(const char* size, const char* path)
{
    const int pixels = atoi(size);
    if (pixels < kIconGrid / 4 || !writeIcon(pixels, path))
    {
        fprintf(stderr, "mkart: cannot write the %s-pixel icon %s\n", size, path);
        return 1;
    }
    return 0;
}

// The picture of each image of the table.
Canvas picture(ImageId image)
{
    switch (image)
    {
    case kDialogImage:
        return dialogPanel("Preset loaded");
    case kSavedDialogImage:
        return dialogPanel("Preset saved");
    case kPadsBackground:
        return padBackground();
    case kPresetBackground:
        return presetBackground();
    case kBrowserBackground:
        return browserBackground();
    case kKeyboardImage:
        return keyboardPanel();
    case kLoopPadImage:
        return padImage(false, true);
    case kLitLoopPadImage:
        return padImage(true, true);
    case kOneShotPadImage:
        return padImage(false, false);
    case kLitOneShotPadImage:
        return padImage(true, false);
    case kKitsTabImage:
        return tabHighlight(kKitsHighlight, kKitsTabBox, "Kits");
    case kLoopsTabImage:
        return tabHighlight(kLoopsHighlight, kLoopsTabBox, "Loops");
    case kPointerImage:
        return pointer();
    case kBrowserHoverImage:
    case kPresetHoverImage:
        return hoverBar();
    case kSlotCursorImage:
        return slotCursor();
    case kSlotMarkerImage:
        return slotMarker();
    case kImageCount:
        break;
    }
    return {};
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--icon")
    {
        return iconMain(argv[2], argv[3]);
    }
    if (argc != 3)
    {
        fprintf(stderr, "usage: mkart <font.ttf> <outdir> | mkart --icon <size> <file.png>\n");
        return 2;
    }
    if (!openFonts(argv[1]))
    {
        fprintf(stderr, "mkart: cannot open font %s: %s\n", argv[1], SDL_GetError());
        return 1;
    }
    int status = 0;
    for (int id = 0; id < kImageCount; ++id)
    {
        const std::string path = std::string(argv[2]) + "/" + kImageFiles[id].file;
        if (!saveCanvas(picture(static_cast<ImageId>(id)), path))
        {
            fprintf(stderr, "mkart: cannot write %s: %s\n", path.c_str(), strerror(errno));
            status = 1;
        }
    }
    closeFonts();
    return status;
}
