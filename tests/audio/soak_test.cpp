// The monkey soak: tens of thousands of random events through the program's own
// event routing, with frames between bursts, over the demo content and folders that
// also hold junk, while the mixer's audio thread plays, ends and restarts sounds.
// The invariants are checked after every event and every frame.
//
// Every event comes from one generator seeded once, so a seed gives the same events
// in every run and build; only the audio thread's timing varies. PADBOX_SOAK_SEED and
// PADBOX_SOAK_EVENTS replace the seed and the number of events (scripts/soak.sh runs
// it for minutes with random seeds).
#include "app/assets.h"
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/keyboard.h"
#include "preset/presetfile.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/preview.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
constexpr uint64_t kDefaultSeed = 20240611;
// About 15 s in every build, mostly real time in which sounds play out. The ARM
// build's tests run under an emulator, some twenty times slower per event.
#ifdef __arm__
constexpr long kDefaultEvents = 30000;
#else
constexpr long kDefaultEvents = 60000;
#endif

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

// The monkey's aims besides the single press areas: every letter and digit key, and
// the bands of the loop slots.
constexpr Box kKeys = {keyBox(0).x0, keyBox(0).y0, keyBox(kKeyCount - 1).x1,
                       keyBox(kKeyCount - 1).y1};
constexpr Box kLoopSlotBands = {slotBand(kFirstLoopSlot).x0, slotBand(kFirstLoopSlot).y0,
                                slotBand(kSlotCount - 1).x1, slotBand(kSlotCount - 1).y1};

using Events = std::vector<SDL_Event>;

SDL_Event key(SDLKey sym, Uint8 type = SDL_KEYDOWN)
{
    SDL_Event event = {};
    event.type = type;
    event.key.keysym.sym = sym;
    return event;
}

SDL_Event screenKey(int screenNumber)
{
    return key(static_cast<SDLKey>(SDLK_0 + screenNumber));
}

// Motion to (x, y) and a press of any button there.
void tapAt(Rng& rng, Events& out, int x, int y)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = static_cast<Uint16>(x);
    event.motion.y = static_cast<Uint16>(y);
    out.push_back(event);
    event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = static_cast<Uint8>(pick(rng, SDL_BUTTON_LEFT, SDL_BUTTON_WHEELDOWN));
    out.push_back(event);
}

// A tap in the area or on the pixels just around it, where its edges are.
void tapIn(Rng& rng, Events& out, Box a)
{
    tapAt(rng, out, pick(rng, a.x0 - 1, a.x1 + 1), pick(rng, a.y0 - 1, a.y1 + 1));
}

void tapsIn(Rng& rng, Events& out, Box a, int times)
{
    for (; times > 0; --times)
        tapIn(rng, out, a);
}

// One step of the monkey: a single event, or a gesture of several as a user makes it.
void nextStep(Rng& rng, Events& out)
{
    const int roll = pick(rng, 0, 99);
    if (roll < 35)
    {
        // Anywhere on the screen, and now and then far off it.
        const bool off = chance(rng, 3);
        tapAt(rng, out, pick(rng, 0, off ? UINT16_MAX : kScreenWidth - 1),
              pick(rng, 0, off ? UINT16_MAX : kScreenHeight - 1));
        if (chance(rng, 30))
            out.pop_back(); // motion alone
    }
    else if (roll < 45)
        out.push_back(key(static_cast<SDLKey>(SDLK_0 + pick(rng, 0, 3)),
                          chance(rng, 70) ? SDL_KEYDOWN : SDL_KEYUP));
    else if (roll < 52)
    {
        SDL_Event event = {};
        event.type = SDL_JOYBUTTONDOWN;
        event.jbutton.button = static_cast<Uint8>(pick(rng, 4, 5));
        out.push_back(event);
    }
    else if (roll < 57)
    {
        // Type a name, now and then one longer than a name may grow, then save or cancel.
        out.push_back(screenKey(kPresetScreen));
        tapIn(rng, out, kKeyboardButtonBox);
        for (int n = chance(rng, 5) ? pick(rng, 200, 300) : pick(rng, 0, 8); n > 0; --n)
            tapIn(rng, out, chance(rng, 90) ? kKeys : kDelKeyBox);
        tapIn(rng, out, chance(rng, 60) ? kSaveKeyBox : kCancelKeyBox);
    }
    else if (roll < 67)
    {
        // Choose a preset, perhaps far down the list, and load it.
        out.push_back(screenKey(kPresetScreen));
        tapsIn(rng, out, kPresetScrollDownBox, pick(rng, 0, chance(rng, 70) ? 3 : 40));
        tapIn(rng, out, kListBox);
        tapsIn(rng, out, kLoadButtonBox, pick(rng, 1, 2));
    }
    else
    {
        // Play pads, then mostly assign a file to a slot, often a loop's, while the
        // control loop's boundaries keep coming.
        out.push_back(screenKey(chance(rng, 70) ? kLoopPads : kSamplePads));
        for (int n = pick(rng, 1, 4); n > 0; --n)
            tapIn(rng, out, kPadBoxes[pick(rng, 0, 3)]);
        if (chance(rng, 30))
            return;
        out.push_back(screenKey(kSampleBrowser));
        tapIn(rng, out, chance(rng, 50) ? kKitsTabBox : kLoopsTabBox);
        tapsIn(rng, out, kBrowserScrollDownBox, pick(rng, 0, chance(rng, 70) ? 3 : 40));
        tapsIn(rng, out, kListBox, pick(rng, 1, 3));
        tapIn(rng, out, chance(rng, 70) ? kLoopSlotBands : kSlotColumnBox);
        tapIn(rng, out, kAssignBox);
        out.push_back(screenKey(kLoopPads));
    }
}

// ---- Invariants ------------------------------------------------------------

// The first broken invariant, or "". The loop state is read under the audio lock,
// so no boundary falls between two of the reads.
std::string brokenInvariant()
{
    if (modo < kPresetScreen || modo > kLoopPads)
        return "modo is " + std::to_string(modo);
    if (ct_lista < 0 || ct_lista > cantidad || ct_lista_2 < 0 || ct_lista_2 > cantidad)
        return "offsets " + std::to_string(ct_lista) + ", " + std::to_string(ct_lista_2) +
               " with cantidad " + std::to_string(cantidad);
    std::string why;
    SDL_LockAudio();
    const int32_t c = canal_control;
    int running = 0;
    for (int i = 0; i < kLoopCount; ++i)
    {
        const int channel = kFirstLoopSlot + i;
        running += sonando[i];
        if (sonando[i] && !pulsados2[i])
            why = "loop " + std::to_string(i) + " is running but switched off";
        else if (!sonando[i] && Mix_Playing(channel) && Mix_GetChunk(channel) == samples[channel])
            why = "loop " + std::to_string(i) + " sounds but is not running";
    }
    if (c != kNoControlLoop && (c < 0 || c >= kLoopCount))
        why = "canal_control is " + std::to_string(c);
    else if (c == kNoControlLoop && running)
        why = "loops run without a control loop";
    else if (c != kNoControlLoop && !sonando[c])
        why = "the control loop is not running";
    // A control loop with something to play never falls silent: no boundary would
    // come again and every loop would stall.
    else if (c != kNoControlLoop && samples[kFirstLoopSlot + c] &&
             samples[kFirstLoopSlot + c]->alen > 0 && !Mix_Playing(kFirstLoopSlot + c))
        why = "the control loop has stalled";
    SDL_UnlockAudio();
    return why;
}

// A save has just written presets/<nombre_archivo>: eleven lines, and every slot
// reads back as the path it was saved from, or empty where its line cannot hold it.
std::string brokenSave()
{
    const std::string path = presetPath(nombre_archivo);
    const std::string text = readFile(path);
    if (std::count(text.begin(), text.end(), '\n') != kSlotCount + 3)
        return "the saved preset " + path + " is not whole";
    SlotPaths read = {};
    if (FILE* in = fopen(path.c_str(), "r"))
    {
        readPresetPaths(in, read);
        fclose(in);
    }
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (read[slot][0] && strcmp(read[slot], lista_samples[slot]) != 0)
            return "slot " + std::to_string(slot) + " saved as \"" + lista_samples[slot] +
                   "\" reads back as \"" + read[slot] + "\"";
    return "";
}

// ---- Content ---------------------------------------------------------------

void writeTone(const std::string& path, int rate, int channels, WavEncoding encoding, long frames)
{
    writeWav(path, {rate, channels, encoding, WavLayout::Plain},
             sineFrames(frames, channels, 330.0, 0.4, rate));
}

// What a sample folder holds besides its real sounds: things that are not sound,
// broken WAVs, formats the mixer's own loader cannot play, and names with spaces and
// line breaks, which no preset line can carry as they are.
void addSampleJunk(const std::string& folder, long frames)
{
    constexpr size_t kWavHeaderBytes = 44;
    mkdir((folder + "sub folder").c_str(), 0755);
    writeFile(folder + "x.wav", "this is a text file, not a sound\n");
    writeFile(folder + "empty.wav", "");
    const std::string wav = wavBytes({kTestRate, 2, WavEncoding::S16, WavLayout::Plain},
                                     sineFrames(frames, 2, 330.0, 0.4, kTestRate));
    writeFile(folder + "truncated.wav", wav.substr(0, kWavHeaderBytes + 2 * frames));
    writeTone(folder + "deep 24.wav", kTestRate, 2, WavEncoding::S24, frames);
    writeTone(folder + "mono 8.wav", kTestRate, 1, WavEncoding::U8, frames);
    writeTone(folder + "odd 44k.wav", 44100, 2, WavEncoding::S16, 2 * frames + 1);
    writeTone(folder + "one frame.wav", kTestRate, 2, WavEncoding::S16, 1);
    writeTone(folder + "with spaces.wav", kTestRate, 2, WavEncoding::S16, frames);
    writeTone(folder + "line\nbreak.wav", kTestRate, 2, WavEncoding::S16, frames);
    writeTone(folder + "return at the end.wav\r", kTestRate, 2, WavEncoding::S16, frames);
}

std::string presetText(const std::vector<std::string>& paths)
{
    std::string text = kPresetHeader;
    for (const std::string& path : paths)
        text += path + "\n";
    return text + kPresetAuthor + kPresetClosing;
}

// The demo content plus junk in every folder. Short loops bring the control loop's
// boundaries many times a second; a long 48 kHz loop is resampled on every load, so
// boundaries come while it decodes. Capital initials keep the presets near the top
// of a list that fills with saved presets.
void addJunk()
{
    addSampleJunk(kKitsFolder, 3000);
    addSampleJunk(kLoopsFolder, 2205);
    writeTone("loops/tiny loop.wav", kTestRate, 2, WavEncoding::S16, 300);
    writeTone("loops/long 48k loop.wav", 48000, 2, WavEncoding::S16, 4 * 48000);
    mkdir("presets/Sub folder", 0755);
    writeFile("presets/Empty.trp", "");
    writeFile("presets/Binary.trp", std::string("\0\xff\x01\n\n\x80junk\r\n\0", 14));
    writeFile("presets/Short loops.trp",
              presetText({"kits/with spaces.wav", "kits/mono 8.wav", "kits/deep 24.wav",
                          "kits/odd 44k.wav", "loops/tiny loop.wav", "loops/one frame.wav",
                          "loops/odd 44k.wav", "loops/long 48k loop.wav"}));
    std::string junk =
        presetText({"kits/x.wav", "", "kits/truncated.wav", "kits/sub folder",
                    std::string(300, 'k'), "../kits/kick.wav", "loops/tiny loop.wav", "loops/"});
    for (size_t at = junk.find('\n'); at != std::string::npos; at = junk.find('\n', at + 2))
        junk.insert(at, "\r");
    writeFile("presets/Junk paths.trp", junk);
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

uint64_t fromEnvironment(const char* name, uint64_t fallback)
{
    const char* text = getenv(name);
    return text && *text ? strtoull(text, nullptr, 0) : fallback;
}
} // namespace

using SoakTest = ProgramTest;

TEST_F(SoakTest, RandomEventsKeepEveryInvariant)
{
    const uint64_t seed = fromEnvironment("PADBOX_SOAK_SEED", kDefaultSeed);
    const long total = static_cast<long>(fromEnvironment("PADBOX_SOAK_EVENTS", kDefaultEvents));
    printf("soak seed %llu, %ld events; again with PADBOX_SOAK_SEED=%llu PADBOX_SOAK_EVENTS=%ld\n",
           static_cast<unsigned long long>(seed), total, static_cast<unsigned long long>(seed),
           total);
    fflush(stdout);
    addJunk();
    const std::set<std::string> kits = folderEntries(kKitsFolder),
                                loops = folderEntries(kLoopsFolder),
                                presets = folderEntries(kPresetFolder),
                                descriptors = folderEntries("/proc/self/fd");
    Rng rng(seed);
    const auto start = std::chrono::steady_clock::now();
    long events = 0, frames = 0, loads = 0, saves = 0, withLoops = 0;
    std::string failure;
    // Keeps the first broken invariant, with where the seed's run reached it.
    auto holds = [&](std::string why, const char* where)
    {
        if (why.empty())
            why = brokenInvariant();
        if (!why.empty())
            failure = why + " " + where + " event " + std::to_string(events) + ", seed " +
                      std::to_string(seed);
        return why.empty();
    };

    // Preset loads and DEL print lines of their own; they would drown the report.
    testing::internal::CaptureStdout();
    Events step = {screenKey(kPresetScreen)};
    while (failure.empty() && events < total)
    {
        for (const SDL_Event& event : step)
        {
            const bool dialogShown = loop_win, keyboardShown = ver_teclado;
            bool quit = false;
            handleEvent(event, &quit);
            ++events;
            loads += !dialogShown && loop_win;
            withLoops += canal_control != kNoControlLoop;
            const bool saved = keyboardShown && !ver_teclado &&
                               std::string(nombre_archivo).find(kPresetEnding) != std::string::npos;
            saves += saved;
            if (!holds(quit ? "a quit request" : saved ? brokenSave() : "", "at"))
                break;
        }
        // Between bursts the main loop draws a frame; now and then the user pauses,
        // and frames go by while sounds end and boundaries come.
        const int pauseMs = chance(rng, 10) ? pick(rng, 2, 12) : 0;
        for (int n = pauseMs ? pick(rng, 1, 5) : chance(rng, 40); failure.empty() && n > 0; --n)
        {
            frame();
            ++frames;
            waitMs(pauseMs);
            holds("", "in the frame after");
        }
        step.clear();
        nextStep(rng, step);
    }
    testing::internal::GetCapturedStdout();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    printf("soak: %ld events, %ld frames in %.1f s (%.0f events/s); %ld loads, %ld saves, "
           "%ld events with loops playing\n",
           events, frames, seconds, events / seconds, loads, saves, withLoops);
    ASSERT_EQ(failure, "");

    EXPECT_EQ(folderEntries("/proc/self/fd"), descriptors) << "a file left open";
    // The sample folders are only read; the preset folder gains only typed names with
    // the ending, and no temporary file.
    EXPECT_EQ(folderEntries(kKitsFolder), kits);
    EXPECT_EQ(folderEntries(kLoopsFolder), loops);
    for (const std::string& name : folderEntries(kPresetFolder))
    {
        const size_t typed = name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789");
        EXPECT_TRUE(presets.count(name) ||
                    (typed != std::string::npos && name.substr(typed) == kPresetEnding))
            << name;
    }

    // Shut-down lets go of every sound; LeakSanitizer finds any that is not freed.
    stopProgram();
    EXPECT_TRUE(previews.empty());
    for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_EQ(samples[slot], nullptr) << "slot " << slot;
}
