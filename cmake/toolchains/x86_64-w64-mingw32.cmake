# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# 64-bit Windows, cross-built with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
# CTest runs the test programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_RC_COMPILER ${triple}-windres)

# Libraries and headers from the MinGW tree only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The oldest Windows the programs run on, 64-bit Windows 7 SP1: compiled
# with its API, the headers refuse a call to anything newer
# (tests/win32/CheckWindows7.cmake reads what the .exe files import).
set(PSIFONOMOI_WINDOWS_API _WIN32_WINNT=0x0601 WINVER=0x0601)

# One .exe with nothing beside it: the C++ and GCC runtimes are linked in, so
# it imports only DLLs that every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(PSIFONOMOI_WINE NAMES wine wine64 wine-stable)
if(PSIFONOMOI_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PSIFONOMOI_WINE})
endif()
