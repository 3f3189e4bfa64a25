// Loading a preset while loops run, heard through the disk driver: the loops stop
// at the load and none starts again, not even one queued on the next boundary.
#include "preset/presetscreen.h"
#include "sound/loops.h"
#include "sound/slots.h"
#include "tests/support/sdlenv.h"
#include "tests/support/stage.h"
#include "tests/support/wav.h"

#include <algorithm>
#include <cstring>

using PresetLoadAudioTest = ProgramTest;

TEST_F(PresetLoadAudioTest, LoadingStopsRunningLoopsAndStartsNoneAgain)
{
    constexpr int16_t kControlLevel = 1000;
    constexpr int kLoopFrames = 11025; // half a second
    writeWav16("loops/control.wav", constantStereo(kLoopFrames, kControlLevel), 2);
    writeWav16("loops/queued.wav", constantStereo(kLoopFrames, 2000), 2);
    // The preset names the same loops, so a loop started again would be heard.
    writeFile("presets/same.trp", "h\n\n\n\n\nloops/control.wav\nloops/queued.wav\n");
    assignSlot(4, "loops/control.wav", "control");
    assignSlot(5, "loops/queued.wav", "queued");
    toggleLoop(0);
    toggleLoop(1); // queued for the control loop's boundary
    waitMs(150);
    strcpy(nombre_archivo, "same.trp");
    loadPreset();
    ASSERT_STREQ(lista_samples[5], "loops/queued.wav");
    waitMs(900); // past the boundary the queued loop waited for
    stopProgram();

    // The control loop was heard from its start, cut short by the load; then silence.
    const std::vector<int16_t> heard = leftChannel(readCapture(audioFile));
    const auto at = [](int16_t level) { return [=](int16_t v) { return heardAs(v, level); }; };
    const auto first = std::find_if(heard.begin(), heard.end(), at(kControlLevel));
    ASSERT_NE(first, heard.end());
    const auto end = std::find_if_not(first, heard.end(), at(kControlLevel));
    EXPECT_LT(end - first, kLoopFrames) << "cut short by the load";
    EXPECT_EQ(std::count_if(end, heard.end(), at(0)), heard.end() - end) << "nothing after it";
}
