# The part of the cross builds for ARM handhelds that every architecture shares; the
# toolchain files cmake/armhf.cmake and cmake/arm64.cmake set the architecture and
# include it. scripts/device.sh sets it all up on a Debian machine, with the target's
# libraries installed through multiarch.
#
# The SDL development packages cannot sit beside the machine's own, so their files are
# unpacked into the build folder (PADBOX_DEVICE_DEV); pkg-config looks there first and
# then at the target's libraries installed through multiarch.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${PADBOX_DEVICE_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PADBOX_DEVICE_TRIPLET}-g++)

# The device build: no pointer on the touch screen, the display at the frame's size.
set(PADBOX_HANDHELD ON CACHE BOOL "Build for a handheld: pointer hidden, no window scale")

if(NOT PADBOX_DEVICE_DEV)
    set(PADBOX_DEVICE_DEV ${CMAKE_BINARY_DIR}/${PADBOX_DEVICE_ARCH}-dev)
endif()
# Compiler checks read the toolchain file again in projects of their own.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PADBOX_DEVICE_DEV)

# The sources include <SDL/SDL.h>: the folder above the one pkg-config names.
set(CMAKE_C_FLAGS_INIT "-isystem ${PADBOX_DEVICE_DEV}/usr/include")
set(CMAKE_CXX_FLAGS_INIT "-isystem ${PADBOX_DEVICE_DEV}/usr/include")
set(ENV{PKG_CONFIG_LIBDIR}
    "${PADBOX_DEVICE_DEV}/usr/lib/${PADBOX_DEVICE_TRIPLET}/pkgconfig:/usr/lib/${PADBOX_DEVICE_TRIPLET}/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
