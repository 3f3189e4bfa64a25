// The layout of the four screens: where each image is drawn, where each press
// counts, where the program writes text and in which colour. The program, the artwork
// generator (which outlines every press area on exactly its pixels) and the tests all
// read these values, so a box moved here moves in all three at once.
#pragma once

#include <cstdint>

// A rectangle of screen pixels by its corners, both included: columns x0 to x1,
// rows y0 to y1. It covers the area [x0, x1 + 1) x [y0, y1 + 1).
struct Box
{
    int x0, y0, x1, y1;
};

struct Point
{
    int x, y;
};

struct Rgb
{
    uint8_t r, g, b;
};

constexpr int width(Box b)
{
    return b.x1 - b.x0 + 1;
}

constexpr int height(Box b)
{
    return b.y1 - b.y0 + 1;
}

// The middle pixel; of an even span, the one right of or below the middle.
constexpr int midX(Box b)
{
    return (b.x0 + b.x1 + 1) / 2;
}

constexpr int midY(Box b)
{
    return (b.y0 + b.y1 + 1) / 2;
}

// The box moved by (dx, dy).
constexpr Box moved(Box b, int dx, int dy)
{
    return {b.x0 + dx, b.y0 + dy, b.x1 + dx, b.y1 + dy};
}

// The box in the pixels of an image drawn over `image`.
constexpr Box inImage(Box b, Box image)
{
    return moved(b, -image.x0, -image.y0);
}

// The box moved to (0, 0): the extent of an image drawn over it.
constexpr Box extentOf(Box b)
{
    return inImage(b, b);
}

// Press areas that include their edge pixels.
constexpr bool inBox(Box b, int32_t x, int32_t y)
{
    return b.x0 <= x && x <= b.x1 && b.y0 <= y && y <= b.y1;
}

// Strictly inside the area the box covers: its first column and row lie on the
// area's border and do not count; its last column and row do.
constexpr bool insideStrictly(Box b, int32_t x, int32_t y)
{
    return b.x0 < x && x < b.x1 + 1 && b.y0 < y && y < b.y1 + 1;
}

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;
constexpr int kRightEdge = kScreenWidth - 1; // areas "from x on" run to here
constexpr int kBottomEdge = kScreenHeight - 1;
constexpr Box kScreenBox{0, 0, kRightEdge, kBottomEdge}; // the backgrounds

// Text colours: list rows, the typed preset name and the pad names are white, the
// slot label yellow.
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};

// Colours of the artwork that the program draws with too.
constexpr Rgb kPanel{21, 25, 36};   // the face of panels
constexpr Rgb kWell{8, 9, 14};      // fields and wells
constexpr Rgb kEdge{78, 168, 214};  // the outline of what can be pressed
constexpr Rgb kText{226, 232, 242}; // labels
constexpr Rgb kAmber{255, 178, 52}; // what is active, and what needs the eye

// The list of the preset screen and the sample browser: twelve rows 15 pixels apart.
// A press hits a row of 14 pixels; the line under each belongs to no row.
constexpr int kVisibleRows = 12;
constexpr int kRowPitch = 15;
constexpr int kPressRowHeight = 14;
constexpr Box kListBox{8, 26, 243, 212};
constexpr Point kRowTextAt{10, 32}; // row 0's name; row k is kRowPitch * k lower

constexpr Box listRow(int row)
{
    const int top = kListBox.y0 + kRowPitch * row;
    return {kListBox.x0, top, kListBox.x1, top + kPressRowHeight - 1};
}

// The hover bar follows the pointer over this area in bands of kRowPitch from its
// top, the last band running to the bottom; it snaps to its row, one pixel in.
constexpr Box kHoverArea{6, 27, 266, kListBox.y1};
constexpr Box kHoverBar{6, 28, 246, 44}; // over row 0

// Preset screen.
constexpr Box kPresetScrollUpBox{299, 32, kRightEdge, 51};
constexpr Box kPresetScrollDownBox{299, 190, kRightEdge, 210};
constexpr Box kKeyboardButtonBox{207, 219, kRightEdge, kBottomEdge}; // also closes the keyboard
constexpr Box kLoadButtonBox{2, 219, 100, 238};
constexpr Box kDialogBox{23, 54, 282, 169}; // the load dialog

// The on-screen keyboard: its panel, 3 rows of 12 letter and digit keys of 24 x 24
// pixels with gaps between them, the panel keys and the field the name is typed in.
constexpr Box kKeyboardPanel{4, 40, 315, 169};
constexpr int kKeyColumns = 12;
constexpr int kKeyRows = 3;
constexpr int kKeySize = 24;
constexpr int kKeyLeft = 5;
constexpr int kKeyPitchX = 26;
constexpr int kKeyRowTops[kKeyRows] = {41, 66, 91};
constexpr char kKeyCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789"; // row by row
constexpr int kKeyCount = kKeyColumns * kKeyRows;
static_assert(sizeof kKeyCharacters == kKeyCount + 1);

// The box of key k, the k-th of kKeyCharacters.
constexpr Box keyBox(int key)
{
    const int x = kKeyLeft + kKeyPitchX * (key % kKeyColumns), y = kKeyRowTops[key / kKeyColumns];
    return {x, y, x + kKeySize - 1, y + kKeySize - 1};
}

constexpr Box kDelKeyBox{190, 118, 239, 142};
constexpr Box kSaveKeyBox{239, 120, 273, 143}; // shares a column with DEL
constexpr Box kCancelKeyBox{275, 120, 314, 144};
constexpr Box kNameField{8, 145, 311, 167};
constexpr Point kPresetNameAt{14, 150}; // the typed name, inside the field
// The typed name keeps the same margin on the right; a longer one shows its end.
constexpr int kPresetNameRoom =
    kNameField.x1 - (kPresetNameAt.x - kNameField.x0) - kPresetNameAt.x + 1;
// A failed save's reason, in amber, takes the place of the panel's hint beside DEL:
// the area is painted with the panel's face first.
constexpr Box kSaveReasonArea{8, 124, 187, 143};
constexpr Point kSaveReasonAt{10, 126};

// Sample browser.
constexpr Box kKitsTabBox{12, 6, 128, 19};
constexpr Box kLoopsTabBox{194, 6, 256, 19};
constexpr Box kKitsHighlight{3, 4, 120, 21}; // the active tab's image, over its tab
constexpr Box kLoopsHighlight{184, 4, 270, 21};
constexpr Box kBrowserScrollUpBox{247, 31, 265, 49};
constexpr Box kBrowserScrollDownBox{247, 189, 265, 208};
constexpr Box kAssignBox{20, 218, 137, 232};
constexpr Point kSlotLabelAt{180, 222};                              // "Sample: n", yellow
constexpr Box kSlotLabelRoom{kSlotLabelAt.x, 218, 262, kBottomEdge}; // left empty for it

// The slot column: eight bands 22 pixels apart, 20 tall, the first one pixel shorter.
constexpr Box kSlotColumnBox{270, 30, kRightEdge, 209};
constexpr int kSlotBandOrigin = 29; // where band 0 would start at full height
constexpr int kSlotBandPitch = 22;
constexpr int kSlotBandHeight = 20;

constexpr Box slotBand(int slot)
{
    const int top = kSlotBandOrigin + kSlotBandPitch * slot;
    return {kSlotColumnBox.x0, top < kSlotColumnBox.y0 ? kSlotColumnBox.y0 : top, kSlotColumnBox.x1,
            top + kSlotBandHeight - 1};
}

// The slot cursor and the assigned markers, at slot 0; they stand kMarkerPitch apart,
// one pixel more than the bands, so their shapes keep to rows inside every band.
constexpr Box kSlotCursor{269, 29, 319, 49};
constexpr Box kSlotMarker{271, 32, 318, 48};
constexpr int kMarkerPitch = 23;

// The pads of screens 2 and 3: each image is drawn over its box, and a press counts
// strictly inside it. A pad's slot name is written just under it, two pixels in.
constexpr int kPadCount = 4;
constexpr Box kPadBoxes[kPadCount] = {
    {10, 10, 149, 109}, {170, 10, 309, 109}, {10, 130, 149, 229}, {170, 130, 309, 229}};
constexpr int kPadNameIndent = 2;

constexpr Point padNamePoint(int pad)
{
    return {kPadBoxes[pad].x0 + kPadNameIndent, kPadBoxes[pad].y1 + 1};
}

// How each pad is played: the key that hits it, by its letter (SDL's symbol of a letter
// key is its small letter), and its MIDI note, counted from the first pad's. Screen 2's
// one-shot pads S1-S4 and screen 3's loop pads L1-L4. The key handling, the MIDI input
// and the keys and notes drawn on the pads all read these.
constexpr char kOneShotKeys[kPadCount] = {'z', 'x', 'c', 'v'};
constexpr char kLoopKeys[kPadCount] = {'a', 's', 'd', 'f'};
constexpr int kFirstOneShotNote = 36; // notes 36-39 play one-shot slots S1-S4
constexpr int kFirstLoopNote = 40;    // notes 40-43 switch loops L1-L4

// Marks on a pad, in the pixels of its image. The background holds, under every pad,
// the pad's key and note for each screen and the sign of a loop waiting for its
// boundary. The pad images leave a window over the legend of their own screen; the
// sign, which covers a loop pad's state label, is shown over the pads that wait.
constexpr Box kOneShotLegend{5, 5, 44, 17};
constexpr Box kLoopLegend{95, 5, 134, 17};
constexpr Box kWaitingSign{38, 79, 101, 93};
// The control loop's pad shows how far its pass has come: this bar fills from one
// boundary to the next.
constexpr Box kBeatBar{12, 94, 127, 96};

// The progress box drawn over any screen while long work keeps frames from coming:
// the file on one line, a bar of how much of it is read under it.
constexpr Box kProgressBox{30, 92, 289, 147};
constexpr Point kProgressTextAt{38, 102};
constexpr Box kProgressBar{38, 126, 281, 135};
