# Cross build for 64-bit ARM handhelds and boards (Debian arm64, such as a Raspberry
# Pi's 64-bit system). scripts/device.sh arm64 sets it all up.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(PADBOX_DEVICE_ARCH arm64) # Debian's name, which the device zip carries
set(PADBOX_DEVICE_TRIPLET aarch64-linux-gnu)
# Programs built here, the tests and the build's own tools, run through qemu's user
# mode; the loader and libraries come from the multiarch folders.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
