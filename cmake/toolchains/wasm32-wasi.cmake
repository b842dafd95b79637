# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# WebAssembly for the web page and the npm package, with Debian's clang-14,
# wasi-libc, libc++ for wasm32 (libc++-dev-wasm32) and lld. The module is a
# reactor (no main: JavaScript calls _initialize once, then the exports) and
# imports nothing, so it needs no WASI host.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)

set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_AR llvm-ar-14 CACHE FILEPATH "Archiver that indexes LLVM bitcode")
set(CMAKE_RANLIB llvm-ranlib-14 CACHE FILEPATH "Indexer of LLVM bitcode archives")

# Debian installs the wasm32 headers and libraries under /usr's multiarch
# folders (include/wasm32-wasi, lib/wasm32-wasi). libc++ comes from there by
# hand: clang would otherwise look for it in the sysroot's plain lib folder.
set(CMAKE_CXX_FLAGS_INIT "--target=wasm32-wasi --sysroot=/usr -fno-exceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-nostdlib++ -fuse-ld=lld -mexec-model=reactor -Wl,--no-entry")
set(CMAKE_CXX_STANDARD_LIBRARIES "-L/usr/lib/wasm32-wasi -lc++ -lc++abi" CACHE STRING
  "The C++ runtime for wasm32")
# Whole-program optimisation lets the linker keep only what the exports reach.
# Only in the optimised build, the module shipped; CMake learns the target's
# properties from a test build, which must not be bitcode.
# (Cache entries: CMake would append its own -O3 to _INIT values.)
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -flto -DNDEBUG" CACHE STRING "Flags of the optimised build")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-flto -Wl,--gc-sections -Wl,--strip-all" CACHE STRING
  "Linker flags of the optimised build")

# CMake's checks make a library, not a module: the linker would drop the
# strings it reads the target's properties from, as nothing calls them.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# Programs (node, npm) from the build machine; nothing else is looked for.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
