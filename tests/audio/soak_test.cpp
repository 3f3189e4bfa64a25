// The monkey soak: tens of thousands of random events through the program's own
// event routing, with frames between bursts as the main loop draws them, over the
// demo content and folders that also hold junk, while the mixer's audio thread
// plays, ends and restarts sounds. The program's invariants are checked after every
// event and every frame.
//
// Every event comes from one generator seeded once, so a seed gives the same events
// in the same order in every run and every build; only the audio thread's timing
// varies. PADBOX_SOAK_SEED and PADBOX_SOAK_EVENTS replace the seed and the number of
// events (scripts/soak.sh runs it for minutes with random seeds).
#include "app/assets.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/keyboard.h"
#include "preset/presetfile.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/pads.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr uint64_t kDefaultSeed = 20240611;
// About 15 s in every build: most of it is real time in which the user pauses and
// sounds play out, so the sanitizer builds take only a few seconds longer. The ARM
// build's tests run under an emulator, some twenty times slower per event.
#ifdef __arm__
constexpr long kDefaultEvents = 30000;
#else
constexpr long kDefaultEvents = 60000;
#endif
constexpr size_t kRecentEvents = 16; // shown with a broken invariant

using Rng = std::mt19937_64;

// A whole number from low to high, both included. Plain modulo rather than a
// standard distribution, whose results differ between standard libraries.
int pick(Rng& rng, int low, int high)
{
    return low + static_cast<int>(rng() % static_cast<uint64_t>(high - low + 1));
}

bool chance(Rng& rng, int percent)
{
    return pick(rng, 0, 99) < percent;
}

// ---- Events ----------------------------------------------------------------

// Where a press does something on one screen or another; bounds included.
struct Area
{
    int left, top, right, bottom;
};

// Preset screen, on-screen keyboard, sample browser, pads.
constexpr Area kListRows = {8, 26, 243, 212};
constexpr Area kPresetScrollUp = {299, 32, 319, 51};
constexpr Area kPresetScrollDown = {299, 190, 319, 210};
constexpr Area kKeyboardButton = {207, 219, 319, 239};
constexpr Area kLoadButton = {2, 219, 100, 238};
constexpr Area kKeys = {5, 41, 314, 114};
constexpr Area kDelKey = {190, 118, 239, 142};
constexpr Area kSaveKey = {239, 120, 273, 143};
constexpr Area kCancelKey = {275, 120, 314, 144};
constexpr Area kKitsTab = {12, 6, 128, 19};
constexpr Area kLoopsTab = {194, 6, 256, 19};
constexpr Area kBrowserScrollUp = {247, 31, 265, 49};
constexpr Area kBrowserScrollDown = {247, 189, 265, 208};
constexpr Area kSlotColumn = {270, 30, 319, 209};
constexpr Area kLoopSlotBands = {270, 117, 319, 202};
constexpr Area kAssignButton = {20, 218, 137, 232};
constexpr Area kPads[] = {
    {10, 10, 150, 110}, {170, 10, 310, 110}, {10, 130, 150, 230}, {170, 130, 310, 230}};

constexpr const Area* kAreas[] = {
    &kListRows, &kPresetScrollUp,  &kPresetScrollDown,  &kKeyboardButton, &kLoadButton,
    &kKeys,     &kDelKey,          &kSaveKey,           &kCancelKey,      &kKitsTab,
    &kLoopsTab, &kBrowserScrollUp, &kBrowserScrollDown, &kSlotColumn,     &kAssignButton,
    &kPads[0],  &kPads[1],         &kPads[2],           &kPads[3],
};

struct Point
{
    int x, y;
};

// A point of the area or of the pixels just around it, where its edges are.
Point pointIn(Rng& rng, const Area& area)
{
    return {pick(rng, area.left - 1, area.right + 1), pick(rng, area.top - 1, area.bottom + 1)};
}

// Mostly a press area, otherwise anywhere on the screen, and rarely off it.
Point anyPoint(Rng& rng)
{
    const int roll = pick(rng, 0, 99);
    if (roll < 75)
        return pointIn(rng, *kAreas[pick(rng, 0, static_cast<int>(std::size(kAreas)) - 1)]);
    if (roll < 97)
        return {pick(rng, 0, kScreenWidth - 1), pick(rng, 0, kScreenHeight - 1)};
    return {pick(rng, 0, UINT16_MAX), pick(rng, 0, UINT16_MAX)};
}

SDL_Event motion(Point at)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = static_cast<Uint16>(at.x);
    event.motion.y = static_cast<Uint16>(at.y);
    return event;
}

// Any button presses; the program acts on every one.
SDL_Event press(Rng& rng)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = static_cast<Uint8>(pick(rng, SDL_BUTTON_LEFT, SDL_BUTTON_WHEELDOWN));
    return event;
}

SDL_Event key(Uint8 type, SDLKey sym)
{
    SDL_Event event = {};
    event.type = type;
    event.key.keysym.sym = sym;
    return event;
}

SDL_Event screenKey(Rng& rng, int screenNumber)
{
    return key(chance(rng, 70) ? SDL_KEYDOWN : SDL_KEYUP,
               static_cast<SDLKey>(SDLK_0 + screenNumber));
}

SDL_Event joystick(Uint8 button)
{
    SDL_Event event = {};
    event.type = SDL_JOYBUTTONDOWN;
    event.jbutton.button = button;
    return event;
}

// Events the program has no use for; none of them may quit it.
SDL_Event ignoredEvent(Rng& rng)
{
    static const SDLKey kOtherKeys[] = {SDLK_a, SDLK_c, SDLK_4, SDLK_9, SDLK_RETURN, SDLK_SPACE};
    static const Uint8 kOtherButtons[] = {0, 1, 2, 3, 7, 8, 11};
    SDL_Event event = {};
    switch (pick(rng, 0, 3))
    {
    case 0:
        event.type = SDL_MOUSEBUTTONUP;
        event.button.button = SDL_BUTTON_LEFT;
        return event;
    case 1:
        return key(chance(rng, 50) ? SDL_KEYDOWN : SDL_KEYUP,
                   kOtherKeys[pick(rng, 0, static_cast<int>(std::size(kOtherKeys)) - 1)]);
    case 2:
        return joystick(
            kOtherButtons[pick(rng, 0, static_cast<int>(std::size(kOtherButtons)) - 1)]);
    default:
        event.type = SDL_VIDEOEXPOSE;
        return event;
    }
}

std::string describe(const SDL_Event& event)
{
    char text[64];
    switch (event.type)
    {
    case SDL_MOUSEMOTION:
        snprintf(text, sizeof text, "motion to (%d, %d)", event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
        snprintf(text, sizeof text, "press of button %d", event.button.button);
        break;
    case SDL_MOUSEBUTTONUP:
        snprintf(text, sizeof text, "release of button %d", event.button.button);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    {
        const int sym = event.key.keysym.sym;
        snprintf(text, sizeof text, "key %s, sym %d '%c'",
                 event.type == SDL_KEYDOWN ? "down" : "up", sym, isprint(sym) ? sym : '?');
        break;
    }
    case SDL_JOYBUTTONDOWN:
        snprintf(text, sizeof text, "joystick button %d", event.jbutton.button);
        break;
    default:
        snprintf(text, sizeof text, "event type %d", event.type);
        break;
    }
    return text;
}

// ---- Steps: single events and short gestures ---------------------------------

using Events = std::vector<SDL_Event>;

void tap(Rng& rng, Events& out, Point at)
{
    out.push_back(motion(at));
    out.push_back(press(rng));
}

void tapIn(Rng& rng, Events& out, const Area& area)
{
    tap(rng, out, pointIn(rng, area));
}

// Half of the gestures first call up the screen they are meant for.
void maybeShow(Rng& rng, Events& out, int screenNumber)
{
    if (chance(rng, 50))
        out.push_back(key(SDL_KEYDOWN, static_cast<SDLKey>(SDLK_0 + screenNumber)));
}

// Opens the keyboard, types a few keys, and mostly saves.
void typeAndSave(Rng& rng, Events& out)
{
    maybeShow(rng, out, kPresetScreen);
    tapIn(rng, out, kKeyboardButton);
    // Now and then a name long enough to reach the longest a preset name can be.
    for (int n = chance(rng, 5) ? pick(rng, 200, 300) : pick(rng, 0, 8); n > 0; --n)
        tapIn(rng, out, chance(rng, 90) ? kKeys : kDelKey);
    const int roll = pick(rng, 0, 9);
    if (roll < 5)
        tapIn(rng, out, kSaveKey);
    else if (roll < 8)
        tapIn(rng, out, kCancelKey);
}

// A number of scroll presses: mostly a few, sometimes far down a long list.
int scrolls(Rng& rng)
{
    return chance(rng, 70) ? pick(rng, 0, 3) : pick(rng, 0, 40);
}

// Chooses a preset, perhaps after scrolling, and loads it.
void chooseAndLoad(Rng& rng, Events& out)
{
    maybeShow(rng, out, kPresetScreen);
    for (int n = scrolls(rng); n > 0; --n)
        tapIn(rng, out, chance(rng, 70) ? kPresetScrollDown : kPresetScrollUp);
    tapIn(rng, out, kListRows);
    tapIn(rng, out, kLoadButton);
    if (chance(rng, 30))
        tapIn(rng, out, kLoadButton); // dismisses the dialog, or loads again
}

// Picks a tab, previews rows, selects a slot and assigns.
void browseAndAssign(Rng& rng, Events& out)
{
    maybeShow(rng, out, kSampleBrowser);
    if (chance(rng, 50))
        tapIn(rng, out, chance(rng, 50) ? kKitsTab : kLoopsTab);
    for (int n = scrolls(rng); n > 0; --n)
        tapIn(rng, out, chance(rng, 70) ? kBrowserScrollDown : kBrowserScrollUp);
    for (int n = pick(rng, 1, 3); n > 0; --n)
        tapIn(rng, out, kListRows);
    tapIn(rng, out, kSlotColumn);
    tapIn(rng, out, kAssignButton);
}

// A few quick presses on the pads of screen 2 or 3.
void playPads(Rng& rng, Events& out)
{
    maybeShow(rng, out, chance(rng, 60) ? kLoopPads : kSamplePads);
    for (int n = pick(rng, 1, 6); n > 0; --n)
        tapIn(rng, out, kPads[pick(rng, 0, 3)]);
}

// Changes a loop while loops play: switches some on, then assigns a file to a loop
// slot while the control loop's boundaries keep coming.
void swapLoopWhilePlaying(Rng& rng, Events& out)
{
    out.push_back(key(SDL_KEYDOWN, SDLK_3));
    for (int n = pick(rng, 1, 3); n > 0; --n)
        tapIn(rng, out, kPads[pick(rng, 0, 3)]);
    out.push_back(key(SDL_KEYDOWN, SDLK_1));
    if (chance(rng, 70))
        tapIn(rng, out, kLoopsTab);
    for (int n = pick(rng, 0, 3); n > 0; --n)
        tapIn(rng, out, kBrowserScrollDown);
    tapIn(rng, out, kListRows);
    tapIn(rng, out, kLoopSlotBands);
    tapIn(rng, out, kAssignButton);
    out.push_back(key(SDL_KEYDOWN, SDLK_3));
}

// One step of the monkey: a single event, or a gesture of several.
void nextStep(Rng& rng, Events& out)
{
    const int roll = pick(rng, 0, 99);
    if (roll < 30)
        tap(rng, out, anyPoint(rng));
    else if (roll < 42)
        out.push_back(motion(anyPoint(rng)));
    else if (roll < 50)
        out.push_back(press(rng));
    else if (roll < 60)
        out.push_back(screenKey(rng, pick(rng, 0, 3)));
    else if (roll < 66)
        out.push_back(joystick(static_cast<Uint8>(pick(rng, 4, 5))));
    else if (roll < 69)
        out.push_back(ignoredEvent(rng));
    else if (roll < 73)
        typeAndSave(rng, out);
    else if (roll < 80)
        chooseAndLoad(rng, out);
    else if (roll < 87)
        browseAndAssign(rng, out);
    else if (roll < 94)
        swapLoopWhilePlaying(rng, out);
    else
        playPads(rng, out);
}

// ---- Invariants ------------------------------------------------------------

__attribute__((format(printf, 1, 2))) std::string broken(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Where the list's hover bar snaps to: x = 6, y = 28 + 15 row.
constexpr int kBarX = 6, kBarTop = 28, kRowPitch = 15;

bool isFlag(uint8_t value)
{
    return value == 0 || value == 1;
}

template <size_t N>
bool terminated(const char (&text)[N])
{
    return memchr(text, '\0', N) != nullptr;
}

// What the mixer and the loop synchroniser show at one moment: read under the audio
// lock, so no boundary falls between two of the reads.
struct MixerView
{
    int32_t control;
    uint8_t running[kLoopCount], on[kLoopCount];
    bool playing[kSlotCount];
    Mix_Chunk* chunk[kSlotCount];
    // Whether the control loop's slot holds something to play. The mixer cuts a
    // sound's length to whole frames when it plays it, on the audio thread too.
    bool controlAudible;
};

MixerView readMixer()
{
    MixerView view;
    SDL_LockAudio();
    view.control = canal_control;
    for (int i = 0; i < kLoopCount; ++i)
    {
        view.running[i] = sonando[i];
        view.on[i] = pulsados2[i];
    }
    for (int channel = 0; channel < kSlotCount; ++channel)
    {
        view.playing[channel] = Mix_Playing(channel);
        view.chunk[channel] = view.playing[channel] ? Mix_GetChunk(channel) : nullptr;
    }
    const bool controlLoop = view.control >= 0 && view.control < kLoopCount;
    const Mix_Chunk* sound = controlLoop ? samples[kFirstLoopSlot + view.control] : nullptr;
    view.controlAudible = sound && sound->alen > 0;
    SDL_UnlockAudio();
    return view;
}

bool isPreview(const Mix_Chunk* sound, int channel)
{
    for (const Preview& preview : previews)
        if (preview.sound == sound && preview.channel == channel)
            return true;
    return false;
}

std::string brokenLoopInvariant(const MixerView& view)
{
    const int32_t c = view.control;
    if (c != kNoControlLoop && (c < 0 || c >= kLoopCount))
        return broken("canal_control is %d", c);
    for (int i = 0; i < kLoopCount; ++i)
    {
        if (!isFlag(view.running[i]) || !isFlag(view.on[i]))
            return broken("loop %d flags sonando %d pulsados2 %d", i, view.running[i], view.on[i]);
        if (view.running[i] && !view.on[i])
            return broken("loop %d is running but switched off", i);
        // Switching a loop off halts its channel at once; it sounds again only
        // once it runs.
        const int channel = kFirstLoopSlot + i;
        if (view.playing[channel] && view.chunk[channel] == samples[channel] && !view.running[i])
            return broken("loop %d sounds but is not running", i);
    }
    if (c == kNoControlLoop)
    {
        for (int i = 0; i < kLoopCount; ++i)
            if (view.running[i])
                return broken("loop %d is running without a control loop", i);
        return "";
    }
    if (!view.running[c])
        return broken("control loop %d is not running", c);
    // A control loop with something to play never falls silent: its channel plays it,
    // or a preview that took the channel while the slot was empty, until the boundary.
    if (view.controlAudible && !view.playing[kFirstLoopSlot + c])
        return broken("control loop %d has stalled: channel %d is silent", c, kFirstLoopSlot + c);
    return "";
}

// Every sound is owned once, by a slot or by the preview list, and a channel plays
// only its slot's sound or a preview started on it: nothing plays a freed sound.
std::string brokenSoundOwnership(const MixerView& view, bool afterFrame)
{
    std::set<const Mix_Chunk*> owned;
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        if (!samples[slot])
            continue;
        if (!asignados[slot])
            return broken("slot %d holds a sound but is not assigned", slot);
        if (!owned.insert(samples[slot]).second)
            return broken("slot %d shares its sound", slot);
    }
    // A frame leaves only the previews still playing, one per channel; a preview
    // started after that may take the channel of one that ended meanwhile.
    const size_t mostPreviews = kSlotCount + (afterFrame ? 0 : 1);
    if (previews.size() > mostPreviews)
        return broken("%zu previews kept", previews.size());
    for (const Preview& preview : previews)
    {
        if (!preview.sound || !owned.insert(preview.sound).second)
            return broken("preview on channel %d is null or owned twice", preview.channel);
        if (preview.channel < 0 || preview.channel >= kSlotCount)
            return broken("preview on channel %d", preview.channel);
    }
    for (int channel = 0; channel < kSlotCount; ++channel)
        if (view.playing[channel] && view.chunk[channel] != samples[channel] &&
            !isPreview(view.chunk[channel], channel))
            return broken("channel %d plays a sound that no one owns", channel);
    return "";
}

std::string brokenScreenInvariant()
{
    if (modo < kPresetScreen || modo > kLoopPads)
        return broken("modo is %d", modo);
    if (cantidad < 0 || static_cast<size_t>(cantidad) != lista.size())
        return broken("cantidad %d with %zu rows", cantidad, lista.size());
    if (ct_lista < 0 || ct_lista > cantidad || ct_lista_2 < 0 || ct_lista_2 > cantidad)
        return broken("offsets ct_lista %d ct_lista_2 %d with cantidad %d", ct_lista, ct_lista_2,
                      cantidad);
    for (int32_t i = 1; i < cantidad; ++i)
        if (strcmp(lista[i - 1].c_str(), lista[i].c_str()) > 0)
            return broken("rows %d and %d out of order", i - 1, i);
    if (canal_sel < 0 || canal_sel >= kSlotCount)
        return broken("canal_sel is %d", canal_sel);
    if (lista_sel < 0)
        return broken("lista_sel is %d", lista_sel);
    if (!isFlag(modo_samples) || !isFlag(ver_teclado) || !isFlag(loop_win))
        return broken("flags modo_samples %d ver_teclado %d loop_win %d", modo_samples, ver_teclado,
                      loop_win);
    if (!terminated(nombre_archivo))
        return "nombre_archivo has no terminator";
    if (ver_teclado && strlen(nombre_archivo) > static_cast<size_t>(kTypedNameMax))
        return broken("a typed name of %zu characters", strlen(nombre_archivo));
    for (int k = 0; k < kPadCount; ++k)
        if (!isFlag(pulsados[k]) || t_pulsados[k] < 0 || t_pulsados[k] > kFlashFrames)
            return broken("pad %d flash %d, %d frames", k, pulsados[k], t_pulsados[k]);
    for (int slot = 0; slot < kSlotCount; ++slot)
    {
        if (!isFlag(asignados[slot]) || !terminated(lista_samples[slot]) ||
            !terminated(nombres[slot]))
            return broken("slot %d: flag %d, or a path or name without terminator", slot,
                          asignados[slot]);
        // Assigned from the browser or read from a preset, a slot has a path exactly
        // when it is assigned, and shows the start of the path's file name.
        if (asignados[slot] != (lista_samples[slot][0] != '\0') ||
            strncmp(nombres[slot], fileNamePart(lista_samples[slot]), kSlotNameLength) != 0)
            return broken("slot %d: flag %d, path \"%.40s\", name \"%s\"", slot, asignados[slot],
                          lista_samples[slot], nombres[slot]);
    }
    // The hover bar stays where it started until it snaps to a row.
    const bool atStart = r_caja.x == 0 && r_caja.y == 0;
    const int barRow = (r_caja.y - kBarTop) / kRowPitch;
    const bool onRow = r_caja.x == kBarX && r_caja.y == kBarTop + kRowPitch * barRow &&
                       barRow >= 0 && barRow < kVisibleRows;
    if (!atStart && !onRow)
        return broken("hover bar at (%d, %d)", r_caja.x, r_caja.y);
    if (archivo)
        return "a preset file is left open";
    return "";
}

std::string brokenInvariant(const MixerView& view, bool afterFrame)
{
    std::string why = brokenScreenInvariant();
    if (why.empty())
        why = brokenLoopInvariant(view);
    if (why.empty())
        why = brokenSoundOwnership(view, afterFrame);
    return why;
}

// ---- Content ---------------------------------------------------------------

constexpr size_t kWavHeaderBytes = 44; // of a plain 16-bit PCM file

std::vector<double> tone(long frames, int channels, int rate)
{
    return sineFrames(frames, channels, 330.0, 0.4, rate);
}

void writeWavFile(const std::string& path, int rate, int channels, WavEncoding encoding,
                  long frames)
{
    writeWav(path, {rate, channels, encoding, WavLayout::Plain}, tone(frames, channels, rate));
}

// The first keep bytes of a WAV file: cut in its header or in its sound.
void writeTruncatedWav(const std::string& path, long frames, size_t keep)
{
    const std::string bytes =
        wavBytes({kTestRate, 2, WavEncoding::S16, WavLayout::Plain}, tone(frames, 2, kTestRate));
    writeFile(path, bytes.substr(0, keep));
}

// One of the preset file's fixed lines with another line end.
template <size_t N>
std::string fixedLine(const char (&line)[N], const char* lineEnd)
{
    return std::string(line, N - 2) + lineEnd;
}

std::string presetText(const std::vector<std::string>& paths, const char* lineEnd = "\n")
{
    std::string text = fixedLine(kPresetHeader, lineEnd);
    for (const std::string& path : paths)
        text += path + lineEnd;
    return text + fixedLine(kPresetAuthor, lineEnd) + fixedLine(kPresetClosing, lineEnd);
}

// What a sample folder holds besides its real sounds: things that are not sound at
// all, broken WAVs, formats the mixer's own loader cannot play, names with spaces
// and with line breaks.
void addSampleJunk(const std::string& folder, long frames)
{
    mkdir((folder + "sub folder").c_str(), 0755);
    writeWavFile(folder + "sub folder/inner.wav", kTestRate, 2, WavEncoding::S16, frames);
    writeFile(folder + "x.wav", "this is a text file, not a sound\n");
    writeFile(folder + "empty.wav", "");
    writeTruncatedWav(folder + "truncated.wav", frames, kWavHeaderBytes + 2 * frames);
    writeTruncatedWav(folder + "cut header.wav", frames, kWavHeaderBytes - 14);
    writeWavFile(folder + "deep 24.wav", kTestRate, 2, WavEncoding::S24, frames);
    writeWavFile(folder + "mono 8.wav", kTestRate, 1, WavEncoding::U8, frames);
    writeWavFile(folder + "cd 44k.wav", 44100, 2, WavEncoding::S16, 2 * frames);
    writeWavFile(folder + "odd 44k.wav", 44100, 2, WavEncoding::S16, 2 * frames + 1);
    writeWavFile(folder + "dat 48k.wav", 48000, 2, WavEncoding::S16, 2 * frames);
    writeWavFile(folder + "one frame.wav", kTestRate, 2, WavEncoding::S16, 1);
    writeWavFile(folder + "with spaces.wav", kTestRate, 2, WavEncoding::S16, frames);
    // Names a preset line cannot carry as they are.
    writeWavFile(folder + "line\nbreak.wav", kTestRate, 2, WavEncoding::S16, frames);
    writeWavFile(folder + "return at the end.wav\r", kTestRate, 2, WavEncoding::S16, frames);
}

// The stage's demo content plus junk in every folder. The loops are short, so the
// control loop's boundaries come many times a second. The presets' capital initials
// keep them near the top of a list that fills with saved presets.
void addJunk()
{
    addSampleJunk(kKitsFolder, 3000);
    addSampleJunk(kLoopsFolder, 2205);
    writeWavFile("loops/tiny loop.wav", kTestRate, 2, WavEncoding::S16, 300);
    writeWavFile("loops/short loop.wav", kTestRate, 2, WavEncoding::S16, 1500);
    // Resampled on every load, long enough that boundaries come while it decodes.
    writeWavFile("loops/long 48k loop.wav", 48000, 2, WavEncoding::S16, 4 * 48000);

    mkdir("presets/Sub folder", 0755);
    writeFile("presets/Empty.trp", "");
    writeFile("presets/Only header.trp", "Tamo Ri Presets\n");
    writeFile("presets/Binary.trp", std::string("\0\xff\x01\n\n\x80junk\r\n\0", 14));
    writeFile("presets/X.wav", "not a preset\n");
    writeFile("presets/Short loops.trp",
              presetText({"kits/with spaces.wav", "kits/mono 8.wav", "kits/deep 24.wav",
                          "kits/cd 44k.wav", "loops/tiny loop.wav", "loops/short loop.wav",
                          "loops/one frame.wav", "loops/dat 48k.wav"}));
    writeFile("presets/Crlf lines.trp",
              presetText({"kits/kick.wav", "", "kits/hat.wav", "", "loops/short loop.wav",
                          "loops/beat.wav", "", "loops/tiny loop.wav"},
                         "\r\n"));
    writeFile("presets/Junk paths.trp",
              presetText({"kits/x.wav", "kits/empty.wav", "kits/truncated.wav", "kits/sub folder",
                          "kits/cut header.wav", "kits/missing.wav", "loops/empty.wav",
                          "loops/truncated.wav"}));
    writeFile("presets/Long line.trp",
              presetText({std::string(300, 'k'), "kits/clap.wav", "../kits/tom.wav", "kits/",
                          "loops/mono 8.wav", "loops/deep 24.wav", "loops/cd 44k.wav",
                          "loops/with spaces.wav"}));
}

std::set<std::string> folderEntries(const char* folder)
{
    std::set<std::string> names;
    if (DIR* dir = opendir(folder))
    {
        while (const dirent* entry = readdir(dir))
            names.insert(entry->d_name);
        closedir(dir);
    }
    return names;
}

bool endsWithPresetEnding(const std::string& name)
{
    const size_t ending = strlen(kPresetEnding);
    return name.size() >= ending && name.compare(name.size() - ending, ending, kPresetEnding) == 0;
}

// A name typed on the keyboard, letters and digits, with the ending a save gives it.
bool isSavedPresetName(const std::string& name)
{
    if (!endsWithPresetEnding(name))
        return false;
    for (size_t i = 0; i + strlen(kPresetEnding) < name.size(); ++i)
        if (!islower(static_cast<unsigned char>(name[i])) &&
            !isdigit(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// A preset file as a save writes it: the header, eight paths, the closing lines.
bool isWholePreset(const std::string& text)
{
    const std::string closing = std::string(kPresetAuthor) + kPresetClosing;
    const size_t lines = std::count(text.begin(), text.end(), '\n');
    return text.rfind(kPresetHeader, 0) == 0 && text.size() >= closing.size() &&
           text.compare(text.size() - closing.size(), closing.size(), closing) == 0 &&
           lines == static_cast<size_t>(kSlotCount) + 3;
}

// A save has just written presets/<nombre_archivo>: the whole layout, and every slot
// reads back as the path it was saved from, or empty where its line cannot hold it.
std::string brokenSave()
{
    const std::string path = presetPath(nombre_archivo);
    if (!isWholePreset(readFile(path)))
        return broken("the saved preset %.60s is not whole", path.c_str());
    SlotPaths read = {};
    if (FILE* in = fopen(path.c_str(), "r"))
    {
        readPresetPaths(in, read);
        fclose(in);
    }
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (read[slot][0] && strcmp(read[slot], lista_samples[slot]) != 0)
            return broken("slot %d saved as \"%.60s\" reads back as \"%.60s\"", slot,
                          lista_samples[slot], read[slot]);
    return "";
}

size_t openDescriptors()
{
    return folderEntries("/proc/self/fd").size();
}

// ---- The soak ----------------------------------------------------------------

uint64_t seedToUse()
{
    const char* text = getenv("PADBOX_SOAK_SEED");
    return text && *text ? strtoull(text, nullptr, 0) : kDefaultSeed;
}

long eventsToRun()
{
    const char* text = getenv("PADBOX_SOAK_EVENTS");
    return text && *text ? strtol(text, nullptr, 0) : kDefaultEvents;
}

struct Tally
{
    long events = 0;
    long frames = 0;
    long loads = 0;
    long previews = 0;
    long loopSwitches = 0;
    long queuedStarts = 0; // queued loops seen running: boundaries at work
    long loopEvents = 0;   // events after which a control loop was playing
};

// What an event is counted by: the state before it.
struct Before
{
    uint8_t dialog;
    uint8_t keyboard;
    size_t previews;
    MixerView mixer;
};

void count(Tally& tally, const Before& before, const MixerView& after)
{
    tally.loads += !before.dialog && loop_win;
    tally.previews += previews.size() > before.previews;
    for (int i = 0; i < kLoopCount; ++i)
    {
        tally.loopSwitches += before.mixer.on[i] != after.on[i];
        tally.queuedStarts += before.mixer.on[i] && !before.mixer.running[i] && after.running[i];
    }
    tally.loopEvents += after.control >= 0 && after.control < kLoopCount &&
                        after.playing[kFirstLoopSlot + after.control];
}

class SoakTest : public ProgramTest
{
  protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        addJunk();
        startingPresets = folderEntries(kPresetFolder);
        startingKits = folderEntries(kKitsFolder);
        startingLoops = folderEntries(kLoopsFolder);
        startingDescriptors = openDescriptors();
    }

    // Feeds one event as the main loop would; false after a broken invariant or a
    // quit request, which the soak never asks for.
    bool feed(const SDL_Event& event)
    {
        recent.push_back(describe(event));
        if (recent.size() > kRecentEvents)
            recent.pop_front();
        const Before before = {loop_win, ver_teclado, previews.size(), readMixer()};
        bool quit = false;
        handleEvent(event, &quit);
        ++tally.events;
        const MixerView after = readMixer();
        count(tally, before, after);
        if (quit)
            return holds("the program asked to quit");
        const bool saved = before.keyboard && !ver_teclado && endsWithPresetEnding(nombre_archivo);
        const std::string why = saved ? brokenSave() : "";
        return holds(why.empty() ? brokenInvariant(after, false) : why);
    }

    bool drawFrame()
    {
        frame();
        ++tally.frames;
        recent.push_back("frame");
        if (recent.size() > kRecentEvents)
            recent.pop_front();
        return holds(brokenInvariant(readMixer(), true));
    }

    // Keeps the first broken invariant with the events that led to it; it is
    // reported once the program's own output is no longer captured.
    bool holds(const std::string& why)
    {
        if (why.empty())
            return true;
        std::string trail;
        for (const std::string& line : recent)
            trail += "\n    " + line;
        failure = why + "\n  after event " + std::to_string(tally.events - 1) + " (" +
                  recent.back() + ") with seed " + std::to_string(seed) +
                  "; the last ones, the failing one last:" + trail;
        return false;
    }

    uint64_t seed = 0;
    std::string failure;
    Tally tally;
    std::deque<std::string> recent;
    std::set<std::string> startingPresets, startingKits, startingLoops;
    size_t startingDescriptors = 0;
};
} // namespace

TEST_F(SoakTest, RandomEventsKeepEveryInvariant)
{
    seed = seedToUse();
    const long total = eventsToRun();
    printf("soak seed %llu, %ld events; again with PADBOX_SOAK_SEED=%llu PADBOX_SOAK_EVENTS=%ld\n",
           static_cast<unsigned long long>(seed), total, static_cast<unsigned long long>(seed),
           total);
    fflush(stdout);
    Rng rng(seed);
    const auto start = std::chrono::steady_clock::now();

    // Preset loads and DEL print lines of their own; they would drown the report.
    testing::internal::CaptureStdout();
    bool ok = feed(key(SDL_KEYDOWN, SDLK_0)); // lists the preset folder with its junk
    Events step;
    while (ok && tally.events < total)
    {
        step.clear();
        nextStep(rng, step);
        for (const SDL_Event& event : step)
            if (!(ok = feed(event)))
                break;
        if (!ok)
            break;
        // Between bursts the main loop draws a frame; now and then the user pauses,
        // and frames go by while sounds end and boundaries come.
        if (chance(rng, 6))
        {
            const int pauseMs = pick(rng, 2, 12);
            for (int n = pick(rng, 1, 5); ok && n > 0; --n)
            {
                ok = drawFrame();
                waitMs(pauseMs);
            }
        }
        else if (chance(rng, 30))
            ok = drawFrame();
    }
    if (ok)
        ok = drawFrame();
    testing::internal::GetCapturedStdout();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printf("soak: %ld events, %ld frames in %.1f s (%.0f events/s); %ld loads, %ld previews, "
           "%ld loop switches, %ld queued loops started at a boundary, %ld events with loops "
           "playing\n",
           tally.events, tally.frames, seconds, tally.events / seconds, tally.loads, tally.previews,
           tally.loopSwitches, tally.queuedStarts, tally.loopEvents);
    ASSERT_TRUE(ok) << failure;

    EXPECT_EQ(openDescriptors(), startingDescriptors) << "a file left open";
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(cwd, stage);
    // The sample folders are only read; the preset folder gains only saved presets,
    // typed names of letters and digits with the ending, and no temporary file.
    EXPECT_EQ(folderEntries(kKitsFolder), startingKits);
    EXPECT_EQ(folderEntries(kLoopsFolder), startingLoops);
    int saved = 0;
    size_t longest = 0;
    for (const std::string& name : folderEntries(kPresetFolder))
    {
        if (startingPresets.count(name))
            continue;
        ++saved;
        longest = std::max(longest, name.size());
        EXPECT_TRUE(isSavedPresetName(name)) << name;
    }
    printf("soak: %d presets saved, the longest name %zu bytes\n", saved, longest);

    stopProgram();
    EXPECT_TRUE(previews.empty());
    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_EQ(samples[slot], nullptr) << "slot " << slot;
}
