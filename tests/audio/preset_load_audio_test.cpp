// Loading a preset while loops run, heard through the disk driver: the loops stop
// at the load and none starts again, not even one queued on the next boundary.
#include "app/loop.h"
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <algorithm>
#include <cstring>

namespace
{
using PresetLoadAudioTest = ProgramTest;

constexpr int16_t kControlLevel = 1000, kQueuedLevel = 2000;
constexpr int kLoopFrames = 11025; // half a second
} // namespace

TEST_F(PresetLoadAudioTest, LoadingStopsRunningLoopsAndStartsNoneAgain)
{
    writeWav16("loops/control.wav", constantStereo(kLoopFrames, kControlLevel), 2);
    writeWav16("loops/queued.wav", constantStereo(kLoopFrames, kQueuedLevel), 2);
    // The preset names the same loops, so a loop started again would be heard.
    writeFile("presets/same.trp", "Tamo Ri Presets\n\n\n\n\nloops/control.wav\nloops/queued.wav\n"
                                  "\n\nOru\nSe supone que no deberias estar leyendo esto.\n");
    assignSlot(4, "loops/control.wav", "control");
    assignSlot(5, "loops/queued.wav", "queued");

    toggleLoop(0);
    toggleLoop(1);
    ASSERT_EQ(canal_control, 0);
    ASSERT_EQ(pulsados2[1], 1) << "queued for the control loop's boundary";
    waitMs(150);

    strcpy(nombre_archivo, "same.trp");
    testing::internal::CaptureStdout();
    loadPreset();
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(loop_win, 1);
    EXPECT_STREQ(lista_samples[4], "loops/control.wav");
    EXPECT_EQ(asignados[5], 1);

    waitMs(900); // past the boundary the queued loop waited for
    for (int i = 0; i < kLoopCount; ++i)
    {
        EXPECT_EQ(sonando[i], 0);
        EXPECT_EQ(pulsados2[i], 0);
    }
    EXPECT_EQ(canal_control, kNoControlLoop);
    stopProgram();

    // The control loop was heard from its start, once, and cut short by the load;
    // after it, silence.
    const std::vector<int16_t> heard = leftChannel(readCapture(audioFile));
    const auto first = std::find(heard.begin(), heard.end(), kControlLevel);
    ASSERT_NE(first, heard.end());
    const auto end = std::find_if(first, heard.end(), [](int16_t v) { return v != kControlLevel; });
    EXPECT_LT(end - first, kLoopFrames) << "cut short by the load";
    EXPECT_GT(end - first, 0);
    EXPECT_EQ(std::count_if(end, heard.end(), [](int16_t v) { return v != 0; }), 0)
        << "nothing sounds after the load";
    EXPECT_EQ(std::count(heard.begin(), heard.end(), kQueuedLevel), 0);
}
