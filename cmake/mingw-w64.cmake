# Cross-building the Windows programs on Linux with MinGW-w64 (the posix
# thread model, which std::thread and std::mutex need):
#     cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Every program is linked statically: one .exe to copy, no DLLs beside it.
# The tests run under Wine (scripts/windows_leg.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QV_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW_PREFIX}-windres)

# Only the cross compiler's own headers and libraries: never the build
# machine's /usr/include or /usr/lib.
set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# A program whose entry is wmain (wide arguments) adds -municode to its own
# link options: target_link_options(<program> PRIVATE -municode).
# Windows 7 and later: ReplaceFileW, CreateHardLinkW, GetFinalPathNameByHandleW.
# -Wno-restrict: GCC 12 warns falsely inside std::string (its bug 105329).
# NOMINMAX: std::min and std::max stay usable beside windows.h.
# UNICODE: the wide (W) forms of the Win32 calls are the ones named.
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DNOMINMAX -DUNICODE -D_UNICODE -D_FILE_OFFSET_BITS=64 -Wno-restrict")

# Programs built here run under Wine: ctest and the test discovery start them so.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# The windows need Qt, which this build does not have.
set(QV_WITH_QT OFF CACHE BOOL "Build the Qt parts (the windows and what still needs Qt)")
