// The monkey soak: tens of thousands of random events through the program's own
// event routing, with frames between bursts, over the demo content and folders that
// also hold junk, while the mixer's audio thread plays, ends and restarts sounds.
// The invariants are checked after every event and every frame.
//
// Every event comes from one generator seeded once, so a seed gives the same events
// in every run and build; only the audio thread's timing varies. PADBOX_SOAK_SEED and
// PADBOX_SOAK_EVENTS replace the seed and the number of events (scripts/soak.sh runs
// it for minutes with random seeds).
#include "app/loop.h"
#include "browser/browser.h"
#include "browser/catalogue.h"
#include "preset/keyboard.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/preview.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <SDL/SDL_mixer.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <sys/stat.h>

namespace
{
// About 15 s in every build, mostly real time in which sounds play out. The ARM
// build's tests run under an emulator, some twenty times slower per event.
#ifdef __arm__
constexpr long kDefaultEvents = 30000;
#else
constexpr long kDefaultEvents = 60000;
#endif

// Every letter and digit key, and the bands of the loop slots.
constexpr Box kKeys = {keyBox(0).x0, keyBox(0).y0, keyBox(kKeyCount - 1).x1,
                       keyBox(kKeyCount - 1).y1};
constexpr Box kLoopSlotBands = {slotBand(kFirstLoopSlot).x0, slotBand(kFirstLoopSlot).y0,
                                slotBand(kSlotCount - 1).x1, slotBand(kSlotCount - 1).y1};

struct Monkey
{
    std::mt19937_64 rng;
    std::vector<SDL_Event> out;

    // A whole number from low to high, both included. Plain modulo rather than a
    // standard distribution, whose results differ between standard libraries.
    int pick(int low, int high)
    {
        return low + int(rng() % uint64_t(high - low + 1));
    }
    bool chance(int percent)
    {
        return pick(0, 99) < percent;
    }
    void screen(int number)
    {
        out.push_back(keyEvent(SDL_KEYDOWN, SDLKey(SDLK_0 + number)));
    }

    // Motion to a point of the box or just around it, where its edges are, and a press
    // of any button there.
    void tap(Box a, int times = 1)
    {
        for (; times > 0; --times)
        {
            SDL_Event motion = keyEvent(SDL_MOUSEMOTION), press = keyEvent(SDL_MOUSEBUTTONDOWN);
            motion.motion.x = Uint16(pick(a.x0 - 1, a.x1 + 1));
            motion.motion.y = Uint16(pick(a.y0 - 1, a.y1 + 1));
            press.button.button = Uint8(pick(SDL_BUTTON_LEFT, SDL_BUTTON_WHEELDOWN));
            out.insert(out.end(), {motion, press});
        }
    }

    // One step: a single event, or a gesture of several as a user makes it.
    void step()
    {
        const int roll = pick(0, 99);
        if (roll < 35)
        {
            // Anywhere on the screen, and now and then far off it; sometimes motion alone.
            const bool off = chance(3);
            tap({1, 1, off ? UINT16_MAX - 1 : kScreenWidth - 2,
                 off ? UINT16_MAX - 1 : kScreenHeight - 2});
            if (chance(30))
                out.pop_back();
        }
        else if (roll < 45)
            out.push_back(
                keyEvent(chance(70) ? SDL_KEYDOWN : SDL_KEYUP, SDLKey(SDLK_0 + pick(0, 3))));
        else if (roll < 52)
        {
            out.push_back(keyEvent(SDL_JOYBUTTONDOWN)); // every other field zero
            out.back().jbutton.button = Uint8(pick(4, 5));
        }
        else if (roll < 57)
        {
            // Type a name, now and then one longer than a name may grow, then save or cancel.
            screen(kPresetScreen);
            tap(kKeyboardButtonBox);
            for (int n = chance(5) ? pick(200, 300) : pick(0, 8); n > 0; --n)
                tap(chance(90) ? kKeys : kDelKeyBox);
            tap(chance(60) ? kSaveKeyBox : kCancelKeyBox);
        }
        else if (roll < 67)
        {
            // Choose a preset, perhaps far down the list, and load it.
            screen(kPresetScreen);
            tap(kPresetScrollDownBox, pick(0, chance(70) ? 3 : 40));
            tap(kListBox);
            tap(kLoadButtonBox, pick(1, 2));
        }
        else
        {
            // Play pads, then mostly assign a file to a slot, often a loop's, while the
            // control loop's boundaries keep coming.
            screen(chance(70) ? kLoopPads : kSamplePads);
            tap(kPadBoxes[pick(0, 3)], pick(1, 4));
            if (chance(30))
                return;
            screen(kSampleBrowser);
            tap(chance(50) ? kKitsTabBox : kLoopsTabBox);
            tap(kBrowserScrollDownBox, pick(0, chance(70) ? 3 : 40));
            tap(kListBox, pick(1, 3));
            // Now and then the other tab, or the folder listed again, before the assign.
            if (chance(15))
                tap(chance(50) ? kKitsTabBox : kLoopsTabBox);
            else if (chance(5))
                screen(kSampleBrowser);
            tap(chance(70) ? kLoopSlotBands : kSlotColumnBox);
            tap(kAssignBox);
            screen(kLoopPads);
        }
    }
};

// The first broken invariant, or "". The loop state is read under the audio lock,
// so no boundary falls between two of the reads.
std::string brokenInvariant()
{
    if (modo < kPresetScreen || modo > kLoopPads)
        return "modo is " + std::to_string(modo);
    if (ct_lista < 0 || ct_lista > cantidad || ct_lista_2 < 0 || ct_lista_2 > cantidad)
        return "list offsets out of the list";
    if (modo == kSampleBrowser && lista_sel[0] &&
        strncmp(lista_sel, sampleFolder(), strlen(sampleFolder())) != 0)
        return std::string("the selection ") + lista_sel + " is not in the folder shown";
    std::string why;
    SDL_LockAudio();
    const int32_t c = canal_control;
    const auto withSound = [](int i)
    { return samples[kFirstLoopSlot + i] && samples[kFirstLoopSlot + i]->alen > 0; };
    int onWithSound = 0;
    for (int i = 0; i < kLoopCount; ++i)
    {
        onWithSound += pulsados2[i] && withSound(i);
        if (sonando[i] && !pulsados2[i])
            why = "loop " + std::to_string(i) + " is running but switched off";
        else if (!sonando[i] && Mix_Playing(kFirstLoopSlot + i) &&
                 Mix_GetChunk(kFirstLoopSlot + i) == samples[kFirstLoopSlot + i])
            why = "loop " + std::to_string(i) + " sounds but is not running";
    }
    if (c != kNoControlLoop && (c < 0 || c >= kLoopCount))
        why = "canal_control is " + std::to_string(c);
    // Only a running loop with a sound holds the beat, and one always does while a
    // loop with a sound is on.
    else if (c == kNoControlLoop ? onWithSound > 0 : !sonando[c] || !withSound(c))
        why = "a loop with a sound is on and no loop holds the beat, or one without it does";
    // The control loop never falls silent: no boundary would come again and every
    // loop would stall.
    else if (c != kNoControlLoop && !Mix_Playing(kFirstLoopSlot + c) && !controlStartPending())
        why = "the control loop has stalled";
    SDL_UnlockAudio();
    return why;
}

// Presets that no save may replace: bits without write permission. The empty name
// and a one-letter name are typed often.
const char* const kReadOnlyPresets[] = {"presets/.trp", "presets/a.trp"};

// Junk beside the demo content: things that are not sound, broken WAVs, formats the
// mixer's own loader cannot play, names no preset line can carry as they are, and
// named pipes, which would block whoever opens them to read. A tiny loop brings
// boundaries many times a second; long loops are resampled on every load, so
// boundaries come while they decode. Capitals keep the presets near the list's top.
void addJunk()
{
    const std::vector<double> tone = sineFrames(3000, 2, 330.0, 0.4, kTestRate);
    for (const std::string folder : {"kits/", "loops/"})
    {
        std::filesystem::create_directory(folder + "sub folder");
        mkfifo((folder + "pipe.wav").c_str(), 0644);
        writeFile(folder + "x.wav", "this is a text file, not a sound\n");
        writeFile(folder + "empty.wav", "");
        writeFile(folder + "truncated.wav",
                  wavBytes({kTestRate, 2, kS16, kPlain}, tone).substr(0, 3000));
        writeWav(folder + "mono 8.wav", {kTestRate, 1, kU8, kPlain}, tone);
        writeWav(folder + "odd 44k.wav", {44100, 2, kS24, kPlain}, tone);
        writeWav(folder + "one frame.wav", {kTestRate, 2, kS16, kPlain}, {0.5, 0.5});
        writeWav(folder + "line\nbreak.wav\r", {kTestRate, 2, kS16, kPlain}, tone);
    }
    writeWav("loops/tiny loop.wav", {kTestRate, 2, kS16, kPlain}, std::vector<double>(600, 0.3));
    for (int rate : {44100, 48000})
        writeWav("loops/long " + std::to_string(rate) + ".wav", {rate, 2, kS16, kPlain},
                 sineFrames(5 * rate, 2, 330.0, 0.4, rate));
    for (const char* path : kReadOnlyPresets)
    {
        writeFile(path,
                  "h\nkits/pipe.wav\n/dev/stdin\n\n\nloops/pipe.wav\n\n\nloops/long 44100.wav\n");
        chmod(path, 0444);
    }
    std::filesystem::create_directory("presets/Sub folder");
    writeFile("presets/Empty.trp", "");
    writeFile("presets/Binary.trp", std::string("\0\xff\x01\n\n\x80junk\r\n\0", 14));
    writeFile("presets/Short loops.trp",
              "h\nkits/mono 8.wav\nkits/odd 44k.wav\n\n\nloops/tiny loop.wav\nloops/one "
              "frame.wav\nloops/odd 44k.wav\nloops/long 48000.wav\n");
    writeFile("presets/Junk paths.trp",
              "h\r\nkits/x.wav\r\n\r\nkits/truncated.wav\r\nkits/sub folder\r\n" +
                  std::string(300, 'k') +
                  "\r\n../kits/kick.wav\r\nloops/tiny loop.wav\r\nloops/\r\n");
}

// The paths in the folders.
std::set<std::string> entries(std::initializer_list<const char*> folders)
{
    std::set<std::string> paths;
    for (const char* folder : folders)
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            paths.insert(entry.path());
    return paths;
}

unsigned long long fromEnvironment(const char* name, unsigned long long fallback)
{
    const char* text = getenv(name);
    return text && *text ? strtoull(text, nullptr, 0) : fallback;
}
} // namespace

using SoakTest = ProgramTest;

TEST_F(SoakTest, RandomEventsKeepEveryInvariant)
{
    const unsigned long long seed = fromEnvironment("PADBOX_SOAK_SEED", 20240611);
    const long total = long(fromEnvironment("PADBOX_SOAK_EVENTS", kDefaultEvents));
    printf("soak: again with PADBOX_SOAK_SEED=%llu PADBOX_SOAK_EVENTS=%ld\n", seed, total);
    fflush(stdout);
    addJunk();
    // The sample folders are only read, and every file opened is closed again.
    const auto unchanged = {kKitsFolder, kLoopsFolder, "/proc/self/fd"};
    const std::set<std::string> before = entries(unchanged), presets = entries({kPresetFolder});
    const std::string readOnly = readFile(kReadOnlyPresets[0]);
    Monkey monkey = {std::mt19937_64(uint64_t(seed)), {}};
    const Uint32 start = SDL_GetTicks();
    long events = 0, frames = 0;
    std::string failure;
    // Keeps the first broken invariant, with where the seed's run reached it.
    auto holds = [&](std::string why, const char* where)
    {
        why = why.empty() ? brokenInvariant() : why;
        failure = why.empty() ? "" : why + " " + where + " event " + std::to_string(events);
        return why.empty();
    };

    // Preset loads, DEL and failed saves print lines of their own; they would drown
    // the report.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    while (failure.empty() && events < total)
    {
        for (const SDL_Event& event : monkey.out)
        {
            const bool quit = feed(event);
            ++events;
            if (!holds(quit ? "a quit request" : "", "at"))
                break;
        }
        // Between bursts the main loop draws a frame; now and then the user pauses,
        // and frames go by while sounds end and boundaries come.
        const int pauseMs = monkey.chance(10) ? monkey.pick(2, 12) : 0;
        for (int n = pauseMs ? monkey.pick(1, 5) : monkey.chance(40); failure.empty() && n > 0;
             --n, ++frames)
        {
            frame();
            SDL_Delay(Uint32(pauseMs));
            holds("", "in the frame after");
        }
        monkey.out.clear();
        monkey.step();
    }
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    const double seconds = (SDL_GetTicks() - start) / 1000.0;
    printf("soak: %ld events, %ld frames in %.1f s (%.0f events/s)\n", events, frames, seconds,
           events / seconds);
    ASSERT_EQ(failure, "");
    EXPECT_EQ(entries(unchanged), before);
    // The preset folder gains only typed names with the ending, and no temporary file;
    // the read-only presets stay as they were.
    for (const std::string& path : entries({kPresetFolder}))
    {
        const size_t typed = path.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789",
                                                    sizeof kPresetFolder - 1);
        EXPECT_TRUE(presets.count(path) ||
                    path.substr(std::min(typed, path.size())) == kPresetEnding)
            << path;
    }
    for (const char* path : kReadOnlyPresets)
        EXPECT_TRUE(readFile(path) == readOnly &&
                    std::filesystem::status(path).permissions() == std::filesystem::perms(0444))
            << path;

    // Shut-down lets go of every sound; LeakSanitizer finds any that is not freed.
    stopProgram();
    EXPECT_EQ(preview.sound, nullptr);
    EXPECT_EQ(std::count(samples, samples + kSlotCount, nullptr), kSlotCount);
}
