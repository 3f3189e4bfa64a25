// The images of the img/ folder, listed once: the program loads them from this
// table, mkart draws one picture for each of its rows and the build reads the names
// out of it.
#pragma once

// How the program holds an image.
enum ImageHeld
{
    kAsLoaded, // the decoded file itself
    kKeyed,    // a 16-bit copy with black transparent
};

// One row per image, in load order (the first missing file is the one reported): its
// id, its name (the program's handle and the file <name>.bmp), how it is held, and its
// place in the shut-down order.
#define PADBOX_IMAGES(X)                                                                           \
    X(kDialogImage, dialog, kAsLoaded, 4)                                                          \
    X(kSavedDialogImage, dialog_2, kAsLoaded, 16) /* loaded and freed, never drawn */              \
    X(kPadsBackground, f_play, kAsLoaded, 5)                                                       \
    X(kPresetBackground, f_presets, kAsLoaded, 6)                                                  \
    X(kBrowserBackground, f_smp, kAsLoaded, 7)                                                     \
    X(kKeyboardImage, teclas, kAsLoaded, 8)                                                        \
    X(kLoopPadImage, boton_p, kKeyed, 0)                                                           \
    X(kLitLoopPadImage, boton_p_2, kKeyed, 1)                                                      \
    X(kOneShotPadImage, boton_s, kKeyed, 2)                                                        \
    X(kLitOneShotPadImage, boton_s_2, kKeyed, 3)                                                   \
    X(kKitsTabImage, caja_s, kKeyed, 9)                                                            \
    X(kLoopsTabImage, caja_l, kKeyed, 10)                                                          \
    X(kPointerImage, rata, kKeyed, 11) /* loaded and freed, never drawn */                         \
    X(kBrowserHoverImage, caja_s_2, kKeyed, 12)                                                    \
    X(kSlotCursorImage, sample_sel, kKeyed, 13)                                                    \
    X(kSlotMarkerImage, asignado, kKeyed, 14)                                                      \
    X(kPresetHoverImage, caja_p, kKeyed, 15)

#define PADBOX_IMAGE_ID(id, name, held, freeRank) id,
enum ImageId
{
    PADBOX_IMAGES(PADBOX_IMAGE_ID) kImageCount
};
#undef PADBOX_IMAGE_ID

struct ImageFile
{
    const char* file; // in img/, also the name a failure message gives
    ImageHeld held;
    int freeRank; // 0 is freed first
};

#define PADBOX_IMAGE_FILE(id, name, held, freeRank) {#name ".bmp", held, freeRank},
constexpr ImageFile kImageFiles[kImageCount] = {PADBOX_IMAGES(PADBOX_IMAGE_FILE)};
#undef PADBOX_IMAGE_FILE

// Every place in the shut-down order is taken once.
constexpr bool freeRanksTakenOnce()
{
    for (int rank = 0; rank < kImageCount; ++rank)
    {
        int taken = 0;
        for (const ImageFile& image : kImageFiles)
            taken += image.freeRank == rank;
        if (taken != 1)
            return false;
    }
    return true;
}
static_assert(freeRanksTakenOnce(), "each image has its own place in the shut-down order");
