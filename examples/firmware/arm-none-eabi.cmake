# Cross-compiling for a Cortex-M0+ with the GNU Arm Embedded toolchain and
# newlib (Debian: gcc-arm-none-eabi, libnewlib-arm-none-eabi). Packages are
# found in the target's root only, so kelvane is given by kelvane_DIR.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_C_FLAGS_INIT "-mthumb -mcpu=cortex-m0plus -Os")
# No board's startup code or linker script: newlib's stub system calls
# (libnosys) stand in for the system.
set(CMAKE_C_STANDARD_LIBRARIES_INIT "-Wl,--start-group -lc -lnosys -Wl,--end-group")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
