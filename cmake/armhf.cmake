# Cross build for 32-bit ARM handhelds (Debian armhf: ARMv7 with hardware floating
# point). scripts/device.sh armhf sets it all up.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(PADBOX_DEVICE_ARCH armhf) # Debian's name, which the device zip carries
set(PADBOX_DEVICE_TRIPLET arm-linux-gnueabihf)
# Programs built here, the tests and the build's own tools, run through qemu's user
# mode; the loader and libraries come from the multiarch folders.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
