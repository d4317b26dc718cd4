# Cross build for the device: an ARM9 (ARMv5TE) without FPU, soft-float EABI, statically
# linked so that the binary needs nothing from the device's own C library.
# Debian's cross compiler for arm-linux-gnueabi defaults to exactly this CPU class; the
# flags are spelt out so that no newer instruction can slip in.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(KELVARO_CROSS_TRIPLE arm-linux-gnueabi)
set(CMAKE_C_COMPILER ${KELVARO_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KELVARO_CROSS_TRIPLE}-g++)

set(KELVARO_ARMEL_FLAGS "-march=armv5te -mtune=arm926ej-s -mfloat-abi=soft -marm")
set(CMAKE_C_FLAGS_INIT "${KELVARO_ARMEL_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${KELVARO_ARMEL_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Libraries come from the cross prefix and from what we cross-build ourselves (FreeType),
# which the device preset hands over as CMAKE_PREFIX_PATH; never from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KELVARO_CROSS_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the cross-built tests through qemu. Without -cpu arm926 qemu emulates a newer
# core and ARMv7 instructions would pass unnoticed.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu arm926)
