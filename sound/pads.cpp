#include "sound/pads.h"

#include "app/assets.h"
#include "app/display.h"
#include "app/layout.h"
#include "app/loop.h"
#include "sound/loops.h"
#include "sound/slots.h"

uint8_t pulsados[kPadCount];
int32_t t_pulsados[kPadCount];

namespace
{
const SDL_Rect& padRect(int pad)
{
    static const SDL_Rect* const drawnAt[kPadCount] = {&bp1, &bp2, &bp3, &bp4};
    return *drawnAt[pad];
}

// Shows, over the pad, a part of the background that its image covers.
void showUnderPad(int pad, Box part)
{
    const SDL_Rect& at = padRect(pad);
    SDL_Rect from = rectOf(moved(part, at.x, at.y)), to = from;
    SDL_UpperBlit(f_play, &from, screen, &to);
}

// Background, the four pads each lit or dark, and the names of the assigned slots.
// Each pad's image lets the key and note of its screen show through from the background.
void drawPads(SDL_Surface* dark, SDL_Surface* lit, const uint8_t* litFlags, int firstSlot)
{
    drawImage(f_play, p_rect);
    for (int k = 0; k < kPadCount; ++k)
        drawImage(litFlags[k] ? lit : dark, padRect(k));
    for (int k = 0; k < kPadCount; ++k)
    {
        const int slot = firstSlot + k;
        if (!asignados[slot])
            continue;
        drawText(screen, nombres[slot], padNamePoint(k), kWhite);
    }
}

// A colour part of the way from one colour to another.
Rgb blend(Rgb from, Rgb to, int64_t part, int64_t whole)
{
    const auto channel = [&](uint8_t a, uint8_t b)
    { return static_cast<uint8_t>(a + (b - a) * part / whole); };
    return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

// The control loop's pad: a bar filled as far as its pass has come. The column at the
// bar's end takes the share of it that is filled, so the bar moves every frame even
// when a pass is longer than the bar has columns.
void drawBeatBar()
{
    int32_t control = kNoControlLoop;
    int64_t frame = 0, length = 0;
    if (!beatPosition(&control, &frame, &length))
        return;
    const SDL_Rect& at = padRect(control);
    const Box bar = moved(kBeatBar, at.x, at.y);
    const int64_t reach = frame * width(bar); // in columns times length
    const int full = static_cast<int>(reach / length);
    fillBox(screen, bar, kWell);
    if (full > 0)
        fillBox(screen, {bar.x0, bar.y0, bar.x0 + full - 1, bar.y1}, kText);
    if (full < width(bar))
        fillBox(screen, {bar.x0 + full, bar.y0, bar.x0 + full, bar.y1},
                blend(kWell, kText, reach % length, length));
}
} // namespace

int padAt(int32_t x, int32_t y)
{
    for (int k = 0; k < kPadCount; ++k)
        if (insideStrictly(boxOf(btn_sampler[k]), x, y))
            return k;
    return -1;
}

void drawSamplePads()
{
    drawPads(boton_s, boton_s_2, pulsados, 0);
}

void drawLoopPads()
{
    uint8_t running[kPadCount];
    for (int k = 0; k < kPadCount; ++k)
        running[k] = sonando[k]; // the callback may change it meanwhile; the next frame shows that
    drawPads(boton_p, boton_p_2, running, kFirstLoopSlot);
    for (int k = 0; k < kPadCount; ++k)
        if (!running[k] && pulsados2[k])
            showUnderPad(k, kWaitingSign); // switched on, waiting for the boundary
    drawBeatBar();
}

void showHit(const Hit& hit)
{
    if (hit.kind != kOneShotHit)
        return; // a loop pad shows sonando
    pulsados[hit.index] = 1;
    t_pulsados[hit.index] = kFlashFrames;
}

void padHit(const Hit& hit)
{
    playHit(hit);
    showHit(hit);
}

void postHitLight(const Hit& hit)
{
    SDL_Event event{};
    event.type = kHitShownEvent;
    event.user.code = hit.kind * kPadCount + hit.index;
    SDL_PushEvent(&event);
}

void showPostedHit(const SDL_Event& event)
{
    const int code = event.user.code;
    showHit({static_cast<HitKind>(code / kPadCount), code % kPadCount, kMaxVelocity, 0});
}

void samplePadsPress()
{
    const int hit = padAt(mx, my);
    for (int k = 0; k < kPadCount; ++k)
        if (k != hit)
            pulsados[k] = 0; // a press anywhere else darkens the pad at once
    if (hit >= 0)
        padHit({kOneShotHit, hit, kMaxVelocity, event_stamp});
}

void loopPadsPress()
{
    const int hit = padAt(mx, my);
    if (hit >= 0)
        padHit({kLoopHit, hit, kMaxVelocity, event_stamp});
}

void resetPads()
{
    clearHits();
    for (int pad = 0; pad < kPadCount; ++pad)
    {
        pulsados[pad] = 0;
        t_pulsados[pad] = 0;
    }
}

void tickPadFlash()
{
    for (int k = 0; k < kPadCount; ++k)
    {
        if (t_pulsados[k] != 0)
            --t_pulsados[k];
        else
            pulsados[k] = 0;
    }
}
