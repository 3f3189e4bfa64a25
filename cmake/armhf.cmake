# Cross build for 32-bit ARM handhelds (Debian armhf) on a Debian machine with the
# armhf libraries installed through multiarch. scripts/armhf.sh sets it all up.
#
# The SDL development packages cannot sit beside the machine's own, so their files are
# unpacked into the build folder (PADBOX_ARMHF_DEV); pkg-config looks there first and
# then at the armhf libraries installed through multiarch.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(PADBOX_ARMHF_TRIPLET arm-linux-gnueabihf)

# The device build: no pointer on the touch screen, the display at the frame's size.
set(PADBOX_HANDHELD ON CACHE BOOL "Build for a handheld: pointer hidden, no window scale")

set(CMAKE_C_COMPILER ${PADBOX_ARMHF_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PADBOX_ARMHF_TRIPLET}-g++)

# Programs built here, the tests and the build's own tools, run through qemu's user
# mode; the armhf loader and libraries come from the multiarch folders.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)

if(NOT PADBOX_ARMHF_DEV)
    set(PADBOX_ARMHF_DEV ${CMAKE_BINARY_DIR}/armhf-dev)
endif()
# Compiler checks read this file again in projects of their own.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PADBOX_ARMHF_DEV)

# The sources include <SDL/SDL.h>: the folder above the one pkg-config names.
set(CMAKE_C_FLAGS_INIT "-isystem ${PADBOX_ARMHF_DEV}/usr/include")
set(CMAKE_CXX_FLAGS_INIT "-isystem ${PADBOX_ARMHF_DEV}/usr/include")
set(ENV{PKG_CONFIG_LIBDIR}
    "${PADBOX_ARMHF_DEV}/usr/lib/${PADBOX_ARMHF_TRIPLET}/pkgconfig:/usr/lib/${PADBOX_ARMHF_TRIPLET}/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
