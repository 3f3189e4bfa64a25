// Drawing kit of the artwork generator: an RGB canvas, anti-aliased shapes,
// DejaVu labels, 16-bit BMP and PNG output.
#pragma once

#include "app/layout.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr float kDegreesPerRadian = 57.29578f;

struct Canvas
{
    int w, h;
    std::vector<Rgb> px;
};

// Canvas of w x h filled with one colour.
Canvas makeCanvas(int w, int h, Rgb fill);
Rgb mix(Rgb from, Rgb to, float amount);

// Shapes. Straight edges fall exactly on the box's pixels; curves are smoothed.
void fillBox(Canvas& c, Box b, Rgb colour);
void fillRound(Canvas& c, Box b, float radius, Rgb colour);
void fillRoundGradient(Canvas& c, Box b, float radius, Rgb top, Rgb bottom);
void frameRound(Canvas& c, Box b, float radius, float width, Rgb colour);
void fillCircle(Canvas& c, float cx, float cy, float radius, Rgb colour);
void ringCircle(Canvas& c, float cx, float cy, float radius, float width, Rgb colour);
// Part of a ring, between two angles in degrees measured clockwise from twelve o'clock.
void arcRing(Canvas& c, float cx, float cy, float radius, float width, float from, float to,
             Rgb colour);
void fillTriangle(Canvas& c, const float (&x)[3], const float (&y)[3], Rgb colour);
void lineV(Canvas& c, int x, int y0, int y1, Rgb colour);

// Labels, set in the font given to openFonts at any point size.
bool openFonts(const char* path);
void closeFonts();
int labelWidth(const char* text, int size, bool bold);

// Draws text with its left edge at x and the middle of its capitals at y.
void drawLabel(Canvas& c, const char* text, int size, bool bold, int x, int y, Rgb colour);
// The same, centred on x.
void drawLabelCentred(Canvas& c, const char* text, int size, bool bold, int x, int y, Rgb colour);
// Centred text blended over `under` instead of the canvas, touching only the glyph
// pixels: lets a keyed image repaint a label of the background below it.
void drawLabelOver(Canvas& c, const char* text, int size, bool bold, int x, int y, Rgb colour,
                   Rgb under);

// Writes the canvas as a 16-bit BMP in the display's 5-6-5 layout, so that the program
// shows it without converting it. Each channel keeps its top bits, as the display's own
// conversion of a 24-bit image keeps them: the screen shows the same pixels.
bool saveCanvas(const Canvas& c, const std::string& path);

// Writes the canvas as an RGBA PNG whose opacity is the red channel of a matte of the
// same size (white opaque, black clear), painted with the same shapes.
bool savePng(const Canvas& c, const Canvas& matte, const std::string& path);
